// The puzzle reader: bytes in, records out (a puzzle or a refusal, with its
// line number). It does no I/O: the caller hands it the input block by block
// and drains it with `next`; the records do not depend on where blocks end.
//
// Lines end with LF, CR LF or a lone CR; the last may lack one. A UTF-8 byte
// order mark at the start is skipped.
//
// Cells are the digits 1-9, and '.', '0', '_', '*', 'x', 'X' or '-' for an
// empty cell. Separators between cells are ignored: blanks, tabs, '|' and
// the box-drawing characters U+2500 to U+257F (in UTF-8).
//
// - A puzzle line holds 81 cells, however spaced. After the 81st cell the
//   line may go on with a comment that starts with ';', ':', '#' or ',' (a
//   CSV field), or with a blank followed by anything that is not a cell; when
//   the 81 cells stand together, anything after a blank is a comment.
// - A row of the block form holds 9 cells, with the same comments.
// - A rule is a line of '-', '+', '=', '|', box-drawing characters and
//   blanks only (so a row of nine '-' cells is a rule).
// - Skipped lines: blank lines; lines whose first non-blank is '#'; section
//   headers such as "[Puzzle]" (the lines of any other section, such as
//   "[State]", are skipped too); headings, lines that start with a letter
//   other than 'x' or 'X' and hold fewer than 9 cell characters, such as
//   "Grid 01" or a CSV header row.
// - Anything else is refused with its reason: cell count, the bad byte and
//   its column, or length.
//
// The block rule, which never makes a puzzle of rows that did not stand
// together: a block is 9 rows between two breaks. A break is a skipped line,
// a puzzle line, a refused line, the end of the input, two rules in a row
// (the border below one grid and the border above the next), or a rule that
// opens a drawn grid with a top-left box-drawing corner. Rules inside a
// block may stand after rows 3 and 6 (between bands) or after every row (a
// rule after row 1 says so), and one after row 9 (its border). A block that
// ends before its ninth row, a rule anywhere else, or a tenth row before a
// break makes the block damaged: its rows and all that follow up to the next
// break are refused as one record naming their first and last lines. So
// blocks written back to back must be set apart by a blank line, a heading
// or a border of their own each; a single line between two blocks is not
// enough, since a damaged block would then borrow its neighbour's rows.
//
// The whole input is refused once, and its rest not read, when it starts
// with a UTF-16 byte order mark, when a line holds a NUL byte, or when its
// first four records are all lines refused for a control byte or a byte
// that is not ASCII (a binary file).
//
// Memory is bounded whatever the line length: a line is judged on its first
// kKept bytes and its length, and the rest is counted without being stored.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "batch/record.h"

namespace batch {

class Reader {
 public:
  /// Bytes of a line kept for judging it; a longer line is a puzzle or a row
  /// with a long comment, a skipped line, or refused.
  static constexpr std::size_t kKept = 4096;
  /// Refusals of non-text bytes that, before any other record, make the
  /// input a binary file.
  static constexpr int kBinaryProbe = 4;

  explicit Reader(uint32_t source = 0) : source_(source) {}

  /// Hands over the next `size` bytes of the input. They must stay valid
  /// until `next` has returned false.
  void feed(const char* data, std::size_t size);
  /// Says that the input has ended; `next` then also gives what the last
  /// line and an unfinished block hold.
  void end_of_input();
  /// The next record, or false when the bytes fed so far hold no more.
  bool next(Record& record);
  /// Drops an unfinished last line (after a read error, say).
  void drop_partial_line();

  /// Lines seen so far, the last one included even without its line end.
  uint64_t lines() const { return line_; }

 private:
  enum class Kind : uint8_t { skip, rule, row, record };

  // Judges one whole line (`kept` bytes of it in hand, `length` in all,
  // without its line end) and queues what it gives.
  void judge(const char* text, std::size_t kept, uint64_t length);
  Kind classify(const char* text, std::size_t kept, uint64_t length, Record& record);
  void block_row();
  void block_rule();
  void end_block();
  void push(const Record& record);

  uint32_t source_;
  uint64_t line_ = 0;

  const char* at_ = nullptr;
  const char* end_ = nullptr;
  bool ended_ = false;
  bool flushed_ = false;
  bool after_cr_ = false;       // the last line ended with a CR: an LF next is its end too
  bool stopped_ = false;        // the input was refused as a whole
  bool other_section_ = false;  // in a section that holds no puzzle

  // The line that the last block cut in two.
  std::array<char, kKept> partial_{};
  std::size_t partial_kept_ = 0;
  uint64_t partial_length_ = 0;
  bool partial_open_ = false;

  // The line being judged: its cells when it is a row or a puzzle.
  std::array<uint8_t, 81> cells_{};

  // The block in progress.
  uint32_t rows_ = 0;  // rows since its first, past 9 when it runs on
  uint64_t block_line_ = 0;
  uint64_t block_last_ = 0;
  bool after_rule_ = false;  // the last line that was not skipped is a rule
  bool ruled_ = false;       // a rule stood between two of its rows
  bool every_row_ = false;   // its rules stand after every row
  bool top_border_ = false;  // the rule just judged opens a drawn grid
  Refusal damage_ = Refusal::none;
  uint32_t damage_row_ = 0;
  std::array<uint8_t, 81> block_{};

  // Records judged and not yet handed out: a line can end a block (one
  // refusal) and give its own record; at the start of the input, refusals
  // of non-text bytes are held until it is clear whether it is text.
  std::array<Record, 8> queue_{};
  int queued_ = 0;
  int taken_ = 0;
  bool probing_ = true;
};

/// Whether `text` (a command-line operand) looks like an attempt at a
/// puzzle rather than a file name: at least 17 cell characters, making three
/// quarters of its bytes that are not separators.
bool looks_like_puzzle(std::string_view text);

}  // namespace batch
