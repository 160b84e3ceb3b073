// The grids the solver's fuzz targets work on, from the fuzzer's bytes. The
// first byte chooses how the rest becomes a grid:
//
//   mode 0, cells:    one byte a cell, mostly 0..9, a few odd values;
//   mode 1, puzzle:   a valid solution shaped by four bytes, then pairs
//                     (cell, what) that give the solution's digit there or,
//                     now and then, any digit, a blank or an odd value;
//   mode 2, holes:    that solution full, with the pairs making holes (or
//                     writing odd values) instead;
//   mode 3, any:      every cell any 32-bit value, four bytes a cell.
// Cells left undescribed are 0 (modes 0, 1 and 3) or the solution's digit
// (mode 2).
#pragma once

#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "solver/solver.h"

namespace grid_decode {

// Occupied cells that equal no digit, including ones whose low bits do.
constexpr std::array<int32_t, 8> kOdd{10, -1, INT_MIN, INT_MAX, 0x10005, -9, 256, 11};

// A cell value from one byte: 0..9 most of the time, else an odd value.
inline int32_t cell_from_byte(uint8_t b) {
  return b < 240 ? b % 10 : kOdd[(b - 240) % kOdd.size()];
}

// A valid solution: the usual pattern with its digits, bands, rows within
// bands, stacks and columns within stacks shuffled by `seed`.
inline std::array<int32_t, 81> solution(uint32_t seed) {
  auto next = [&seed](uint32_t n) {
    seed = seed * 1664525U + 1013904223U;
    return (seed >> 16) % n;
  };
  auto shuffle = [&next](auto& a) {
    for (uint32_t k = a.size() - 1; k > 0; --k) {
      std::swap(a[k], a[next(k + 1)]);
    }
  };
  std::array<int32_t, 9> digit{1, 2, 3, 4, 5, 6, 7, 8, 9};
  shuffle(digit);
  std::array<int, 9> line{};
  std::array<int, 9> column{};
  std::array<int, 3> band{0, 1, 2};
  std::array<int, 3> stack{0, 1, 2};
  shuffle(band);
  shuffle(stack);
  for (int g = 0; g < 3; ++g) {
    std::array<int, 3> in_band{0, 1, 2};
    std::array<int, 3> in_stack{0, 1, 2};
    shuffle(in_band);
    shuffle(in_stack);
    for (int k = 0; k < 3; ++k) {
      line[3 * g + k] = 3 * band[g] + in_band[k];
      column[3 * g + k] = 3 * stack[g] + in_stack[k];
    }
  }
  std::array<int32_t, 81> s{};
  for (int r = 0; r < 9; ++r) {
    for (int c = 0; c < 9; ++c) {
      const int lr = line[r];
      s[9 * r + c] = digit[(3 * (lr % 3) + lr / 3 + column[c]) % 9];
    }
  }
  return s;
}

inline Grid decode(const uint8_t* data, std::size_t size) {
  Grid g;
  if (size == 0) {
    return g;
  }
  const int mode = data[0] % 4;
  ++data;
  --size;
  if (mode == 0) {
    for (std::size_t k = 0; k < 81 && k < size; ++k) {
      g.cells[k] = cell_from_byte(data[k]);
    }
  } else if (mode == 3) {
    for (std::size_t k = 0; k < 81 && 4 * k + 4 <= size; ++k) {
      uint32_t v = 0;
      std::memcpy(&v, data + 4 * k, 4);
      g.cells[k] = static_cast<int32_t>(v);
    }
  } else {
    uint32_t seed = 0;
    for (std::size_t k = 0; k < 4 && k < size; ++k) {
      seed |= uint32_t{data[k]} << (8 * k);
    }
    const std::array<int32_t, 81> s = solution(seed);
    if (mode == 2) {
      g.cells = s;
    }
    for (std::size_t k = 4; k + 1 < size; k += 2) {
      const int c = data[k] % 81;
      const uint8_t what = data[k + 1];
      if (what < 224) {
        g.cells[c] = mode == 1 ? s[c] : 0;
      } else if (what < 234) {
        g.cells[c] = what - 224;  // any digit, or a blank
      } else {
        g.cells[c] = kOdd[what % kOdd.size()];
      }
    }
  }
  return g;
}
}  // namespace grid_decode
