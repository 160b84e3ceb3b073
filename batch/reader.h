// The puzzle reader: bytes in, records out (a puzzle or a refused line, with
// its line number). It does no I/O: the caller hands it the input block by
// block and drains it with `next`.
//
// Forms it accepts, line by line (LF or CR LF ends, the last line may lack one):
// - one puzzle per line: 81 cells, digits 1-9 and '.', '0' or '_' for an empty
//   cell, after optional leading blanks; what follows the 81st cell must start
//   with a blank, a tab, ';', ':' or '#' and is a comment;
// - the block form: 9 rows of 9 cells each, blanks and '|' ignored; lines made
//   only of '-', '+', '=', '|' and blanks are skipped inside and outside blocks;
// - blank lines and lines whose first non-blank is '#' are skipped anywhere.
//
// Memory is bounded whatever the line length: a line is judged on its first
// kKept bytes and its length, and the rest is counted without being stored.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "batch/record.h"

namespace batch {

class Reader {
 public:
  /// Bytes of a line kept for judging it; a longer line is a puzzle with a
  /// long comment, a comment line, or refused.
  static constexpr std::size_t kKept = 4096;

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
  // Judges one whole line (`kept` bytes of it in hand, `length` in all) and
  // queues what it gives.
  void judge(const char* text, std::size_t kept, uint64_t length);
  void block_row(const char* text, std::size_t kept);
  void refuse_block();
  void push(const Record& record);

  uint32_t source_;
  uint64_t line_ = 0;

  const char* at_ = nullptr;
  const char* end_ = nullptr;
  bool ended_ = false;
  bool flushed_ = false;

  // The line that the last block cut in two.
  std::array<char, kKept> partial_{};
  std::size_t partial_kept_ = 0;
  uint64_t partial_length_ = 0;
  char partial_last_ = 0;

  // The block in progress.
  int rows_ = 0;
  uint64_t block_line_ = 0;
  std::array<uint8_t, 81> block_{};

  // Records judged and not yet handed out: a line can end a block (one
  // refusal) and give its own record.
  std::array<Record, 2> queue_{};
  int queued_ = 0;
  int taken_ = 0;
};

}  // namespace batch
