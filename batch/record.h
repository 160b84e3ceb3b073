// What the reader hands on for every puzzle or refused line of the input: one
// record, with the place it came from. Plain data, no allocation, so that a
// chunk of records can be filled, solved and reused without touching the heap.
#pragma once

#include <array>
#include <cstdint>

namespace batch {

// Why a line was refused. `none` marks a puzzle.
enum class Refusal : uint8_t {
  none,
  bad_byte,     // a byte that is neither a cell, a blank nor '|' (column, byte)
  cell_count,   // a line of cells that is neither a puzzle nor a block row (count)
  after_cells,  // 81 cells followed by something that does not start a comment (column, byte)
  too_long,     // a line too long to be a puzzle (length)
  short_block,  // a block that ends before its ninth row (count = rows)
};

struct Record {
  uint32_t source = 0;  // index of the input it came from
  uint64_t line = 0;    // first line of the puzzle or the refused line, from 1
  Refusal refusal = Refusal::none;
  uint8_t byte = 0;    // bad_byte, after_cells: the byte found
  uint32_t count = 0;  // cell_count: cells; short_block: rows
  uint64_t where = 0;  // bad_byte, after_cells: column from 1; too_long: length in bytes
  // A puzzle's cells line by line, 0 for empty: cell k is column k % 9 + 1
  // of line k / 9 + 1.
  std::array<uint8_t, 81> cells{};

  bool puzzle() const { return refusal == Refusal::none; }
};

}  // namespace batch
