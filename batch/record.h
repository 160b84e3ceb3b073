// What the reader hands on for every puzzle or refused line of the input: one
// record, with the place it came from. Plain data, no allocation, so that a
// chunk of records can be filled, solved and reused without touching the heap.
#pragma once

#include <array>
#include <cstdint>

namespace batch {

// Why a line, a block or the whole input was refused. `none` marks a puzzle.
enum class Refusal : uint8_t {
  none,
  bad_byte,     // a byte that is neither a cell nor a separator (column, byte)
  cell_count,   // a line of cells that is neither a puzzle nor a block row (count)
  after_cells,  // 81 cells followed by something that does not start a comment (column, byte)
  too_long,     // a line too long to be a puzzle (length)
  short_block,  // a block that ends before its ninth row (count = rows, line..last)
  long_block,   // rows running on past the ninth with no break (count = rows, line..last)
  block_rule,   // a rule after a row where no band ends (count = that row, line..last)
  utf16,        // a UTF-16 input, not read (byte: 0 little-endian, 1 big-endian)
  not_text,     // NUL or control bytes: the input is not text, its rest is not read
};

struct Record {
  uint32_t source = 0;  // index of the input it came from
  uint64_t line = 0;    // first line of the puzzle or the refused line, from 1
  uint64_t last = 0;    // the blocks' refusals: the last line of the block's rows
  Refusal refusal = Refusal::none;
  uint8_t byte = 0;    // bad_byte, after_cells: the byte found
  uint32_t count = 0;  // cell_count: cells; the blocks' refusals: rows
  uint64_t where = 0;  // bad_byte, after_cells: column from 1; too_long: length in bytes
  // A puzzle's cells line by line, 0 for empty: cell k is column k % 9 + 1
  // of line k / 9 + 1.
  std::array<uint8_t, 81> cells{};

  bool puzzle() const { return refusal == Refusal::none; }
};

}  // namespace batch
