// Console integer input: read statements that fill 32-bit integer items from
// the text typed on standard input.
//
// A statement is read_begin, one read_int per item, read_end. Each read_int
// scans one value and stores it before returning, so a caller may pick a
// later item from the values just stored. The text between values is one of:
//   - blanks, tabs and line ends (a line end counts as a blank), possibly
//     with one comma among them ("3 , 1");
//   - a comma with no value before it since the last comma: a null value,
//     which leaves its item unchanged ("3,,5", ",5");
//   - a slash: the statement ends, the remaining items keep their values.
// "n*v" gives v to the next n items, "n*" followed by a separator gives them
// null values. A value in quotes or parentheses is null when empty and
// rejected otherwise. A statement starts on a fresh line and read_end
// discards whatever is left of its last line.
//
// The input record holds one line of at most 132 bytes (a console delivers
// one typed line, CR LF included, per read). With input from a file or a
// pipe a line may be longer: the record is refilled as it is used up, and
// nothing longer than one value (kTokenMax characters) is ever kept.
#include "console/input.h"

#include <array>
#include <limits>

#include "console/channel.h"
#include "console/console.h"

namespace console {
namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kEndOfFileMark = '\x1a';  // Ctrl-Z

// The value being scanned. It survives the scan: a pending repeat count hands
// the same text out again.
struct Token {
  std::array<char, kTokenMax> text{};
  std::size_t length = 0;
  Form form = Form::plain;

  bool empty() const { return length == 0; }
  Value value() const { return {std::string_view(text.data(), length), form}; }
};

ReadStatement g_statement;
Token g_token;

[[noreturn]] void fail(int32_t number) { fatal_error(number, StatementKind::read); }

// The next byte of the current line, reading a line when the record is used up.
char take() {
  InputRecord& r = state().input;
  if (r.exhausted()) {
    fill_record();
  }
  return r.buffer[static_cast<std::size_t>(r.position++)];
}

// Hands the byte just taken back, so that the next take() returns it again.
void put_back() { --state().input.position; }

void append(char c) {
  if (g_token.length == kTokenMax) {
    // A longer value can only come from a file or a pipe. A plain value is
    // refused at once, so that no amount of input makes it grow; a quoted or
    // parenthesised one is refused with 6504 when it ends, whatever its length.
    if (g_token.form == Form::plain) {
      fail(6101);
    }
    return;
  }
  g_token.text[g_token.length++] = c;
}

// A blank (or a line end, which counts as one) is skipped before a value and
// anywhere inside parentheses; elsewhere it ends the value.
bool blank_is_skipped() {
  return (g_token.empty() && g_statement.repeat_left == 0) || g_token.form == Form::parenthesised;
}

// At "*": the text so far is a repeat count for the value that follows.
void start_repeat() {
  if (g_statement.repeat_left != 0) {
    fail(6503);
  }
  Conversion count = to_int32(g_token.value().text);
  if (count.error != 0) {
    fail(count.error);
  }
  if (count.value == 0) {
    fail(6502);
  }
  // A negative count is accepted: repeat_left stays negative, never comes
  // back to 0 and the value goes to every remaining item of the statement.
  g_statement.repeat_left = count.value > 0 ? count.value - 1 : -1;
  g_token.length = 0;
}

// After an opening quote: the text up to the matching quote, where a doubled
// quote stands for one. The byte after the closing quote is the value's
// separator and is consumed, except an LF, which is left for the next scan.
// A comma or a slash separates as such; any other byte counts as a blank.
void scan_quoted(char quote) {
  g_token.form = Form::quoted;
  for (;;) {
    char c = take();
    if (c == kCr || c == kLf) {
      // The text goes on on the next line, whose first byte is skipped.
      put_back();
      next_record();
      take();
      continue;
    }
    if (c != quote) {
      append(c);
      continue;
    }
    char after = take();
    if (after == quote) {
      append(quote);
      continue;
    }
    if (after == kLf) {
      put_back();
    }
    g_statement.last_separator = after == ','   ? Separator::comma
                                 : after == '/' ? Separator::slash
                                                : Separator::blank;
    return;
  }
}

// The digits after "#" in `base`: "0".."9", then "a".."z" in either case for 10..35.
Conversion to_based(std::string_view digits, int64_t base, bool negative) {
  if (base == 0) {
    base = 16;
  } else if (base < 2 || base > 36) {
    return {0, 6303};
  }
  const uint64_t limit =
      base == 10 ? std::numeric_limits<int32_t>::max() : std::numeric_limits<uint32_t>::max();
  uint64_t value = 0;
  for (char c : digits) {
    int64_t digit = 0;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'z') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'Z') {
      digit = c - 'A' + 10;
    } else if (c == '#') {
      return {0, 6302};
    } else {
      return {0, 6101};
    }
    if (digit >= base) {
      return {0, 6101};
    }
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    if (value > limit) {
      return {0, 6100};
    }
  }
  // The result is the 32-bit pattern: 16#FFFFFFFF reads as -1.
  uint32_t bits = static_cast<uint32_t>(value);
  if (negative) {
    bits = 0U - bits;
  }
  return {static_cast<int32_t>(bits), 0};
}

}  // namespace

Conversion to_int32(std::string_view text) {
  // Only this exact text reaches the one value below -2147483647; the digit
  // loop refuses 2147483648 whatever its sign or leading zeros.
  if (text == "-2147483648") {
    return {std::numeric_limits<int32_t>::min(), 0};
  }
  std::size_t at = 0;
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    at = 1;
  }
  int64_t value = 0;
  for (; at < text.size(); ++at) {
    char c = text[at];
    if (c >= '0' && c <= '9') {
      value = value * 10 + (c - '0');
      if (value > std::numeric_limits<int32_t>::max()) {
        return {0, 6100};
      }
    } else if (c == kEndOfFileMark) {
      break;  // ends the number; what follows is ignored
    } else if (c == '#') {
      return to_based(text.substr(at + 1), value, negative);
    } else {
      return {0, 6101};  // also a NUL byte: the text's length is its end
    }
  }
  return {static_cast<int32_t>(negative ? -value : value), 0};
}

void fill_record() {
  ConsoleState& s = state();
  InputRecord& r = s.input;
  std::size_t count = 0;
  if (!s.platform->read(r.buffer.data(), r.buffer.size(), count)) {
    fail(6500);
  }
  if (count == 0) {
    if (!r.line_open) {
      fail(6501);
    }
    // The input ended right after a full record that stopped inside a line:
    // that last line ends here, as any last line without a line end does,
    // and the next read meets the end of input.
    r.line_open = false;
    r.buffer[0] = kLf;
    r.position = 0;
    r.last = 0;
    return;
  }
  const std::size_t got = count;
  r.line_open = r.buffer[got - 1] != kLf && got == r.buffer.size();
  if (r.buffer[got - 1] != kLf) {
    if (got < r.buffer.size()) {
      // The last line of a file without a line end, or a console line ended
      // by Ctrl-D: it ends here.
      r.buffer[count++] = kLf;
    } else if (s.console_input) {
      fail(6407);  // a console line of more than 130 characters
    }
    // Otherwise a long line from a file or a pipe: the next read goes on with it.
  }
  if (got > 2 && r.buffer[got - 3] == kEndOfFileMark) {
    fail(6501);  // Ctrl-Z typed as the last character before Enter
  }
  r.position = 0;
  r.last = static_cast<int32_t>(count) - 1;
}

void next_record() {
  ConsoleState& s = state();
  InputRecord& r = s.input;
  if (s.console_input) {
    // A console read is one line: drop the record. Leaving a line that was
    // never read still takes one.
    if (r.last < 0) {
      fill_record();
    }
    r.last = -1;
    r.position = 0;
  } else {
    // The record may hold the lines that follow: skip up to the next LF only.
    while (take() != kLf) {
    }
  }
  input_line_done();
}

Value next_value() {
  if (g_statement.repeat_left != 0) {
    if (g_statement.repeat_left > 0) {
      --g_statement.repeat_left;
    }
    return g_token.value();
  }
  g_token.length = 0;
  g_token.form = Form::plain;
  g_statement.ended_by_line_end = false;
  for (;;) {
    char c = take();
    switch (c) {
      case kCr:
      case kLf:
        // The line has ended (after a lone CR, the rest up to the LF goes
        // with it). An empty line before a value is skipped.
        put_back();
        next_record();
        if (blank_is_skipped()) {
          continue;
        }
        // A null value here ("2*" then Enter) leaves ended_by_line_end false
        // although the line has been left: read_end then leaves one more line
        // (at a console it waits for it and discards it).
        g_statement.ended_by_line_end = !g_token.empty();
        g_statement.last_separator = Separator::blank;
        return g_token.value();
      case ' ':
      case '\t':
        if (blank_is_skipped()) {
          continue;
        }
        g_statement.last_separator = Separator::blank;
        return g_token.value();
      case ',':
        if (g_token.empty() && g_statement.last_separator == Separator::blank &&
            g_statement.repeat_left == 0) {
          // The comma belongs to the blanks before it ("3 , 1").
          g_statement.last_separator = Separator::comma;
          continue;
        }
        if (g_token.form == Form::parenthesised) {
          append(c);
          continue;
        }
        g_statement.last_separator = Separator::comma;
        return g_token.value();
      case '/':
        g_statement.last_separator = Separator::slash;
        return g_token.value();
      case '*':
        start_repeat();
        continue;
      case '\'':
      case '"':
        if (!g_token.empty()) {
          append(c);
          continue;
        }
        scan_quoted(c);
        return g_token.value();
      case '(':
        if (!g_token.empty()) {
          append(c);
          continue;
        }
        g_token.form = Form::parenthesised;
        continue;
      case ')':
        if (g_token.form != Form::parenthesised) {
          append(c);
          continue;
        }
        g_statement.last_separator = Separator::blank;
        return g_token.value();
      default:
        append(c);
        continue;
    }
  }
}

const ReadStatement& read_statement() { return g_statement; }

void read_begin() {
  before_input();
  ConsoleState& s = state();
  if (s.interactive && s.output.line_pending) {
    // The record shared with the output side last held output, not input.
    s.input.last = -1;
    s.input.position = 0;
  }
  g_statement = ReadStatement{};
}

void read_int(int32_t& item) {
  if (g_statement.last_separator == Separator::slash && g_statement.repeat_left == 0) {
    return;  // a slash has ended the statement
  }
  Value v = next_value();
  if (v.text.empty()) {
    return;  // a null value
  }
  if (v.form != Form::plain) {
    fail(6504);
  }
  Conversion c = to_int32(v.text);
  if (c.error != 0) {
    fail(c.error);
  }
  item = c.value;
}

void read_end() {
  // A value ended by its line end has left that line already. Otherwise the
  // rest of the line, and any repetition not used, is discarded.
  if (!g_statement.ended_by_line_end) {
    next_record();
  }
}

}  // namespace console
