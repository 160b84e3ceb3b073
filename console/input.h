// Console integer input, the pieces behind read_begin / read_int / read_end
// (console.h). The dialogue never includes this header; the console's own
// tests use it to reach the scanner and the conversion directly.
//
// Input comes a line at a time into the console input record (channel.h):
// fill_record reads one line, next_record leaves the current one. next_value
// cuts the text into values and separators; to_int32 turns a value's text
// into an integer. Every failure is a fatal READ error: the console raises
// fatal_error at the moment the cause is met, and nothing is handed back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace console {

/// Longest value text the scanner holds.
inline constexpr std::size_t kTokenMax = 259;

enum class Separator : uint8_t { comma, blank, slash };

/// How a value was written: plain text, "(...)" or '...' / "...".
enum class Form : uint8_t { plain, parenthesised, quoted };

/// State of the current read statement; read_begin resets it.
struct ReadStatement {
  Separator last_separator = Separator::comma;  // what ended the previous value
  int32_t repeat_left = 0;                      // further items owed by a repeat count (<0: all)
  bool ended_by_line_end = false;               // the last fresh value ended its line (line left)
};

/// One value of a statement. An empty text is a null value: its item is left
/// unchanged. The text stays valid until the next scan.
struct Value {
  std::string_view text;
  Form form = Form::plain;
};

/// A converted integer, or the number of the error met (then `value` is 0).
struct Conversion {
  int32_t value = 0;
  int32_t error = 0;
};

/// Converts a value or a repeat count: an optional sign and decimal digits,
/// or the based form [sign][base]#digits (base 2..36, none or 0 meaning 16).
/// Pure: never raises, never reads input.
[[nodiscard]] Conversion to_int32(std::string_view text);

/// Reads one line of standard input into the input record (at most 132
/// bytes); raises 6500, 6501 or 6407.
void fill_record();

/// Leaves the current input line, then tells the output side (input_line_done).
void next_record();

/// Scans the next value of the current statement, reading lines as needed,
/// and records the separator that ended it in read_statement().
Value next_value();

/// The state of the current statement (for tests).
const ReadStatement& read_statement();

}  // namespace console
