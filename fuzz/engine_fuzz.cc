// Fuzz target: the fast engine against the literal one. The first byte
// chooses how the rest becomes a grid; both engines solve it and must agree
// on the final grid, every counter, the flags and every placement in order.
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
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "solver/rapide.h"
#include "solver/solver.h"

namespace {

// Occupied cells that equal no digit, including ones whose low bits do.
constexpr std::array<int32_t, 8> kOdd{10, -1, INT_MIN, INT_MAX, 0x10005, -9, 256, 11};

// A cell value from one byte: 0..9 most of the time, else an odd value.
int32_t cell_from_byte(uint8_t b) { return b < 240 ? b % 10 : kOdd[(b - 240) % kOdd.size()]; }

// A valid solution: the usual pattern with its digits, bands, rows within
// bands, stacks and columns within stacks shuffled by `seed`.
std::array<int32_t, 81> solution(uint32_t seed) {
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

Grid decode(const uint8_t* data, std::size_t size) {
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

[[noreturn]] void fail(const char* what, const Grid& start) {
  std::fprintf(stderr, "engines disagree: %s\ngrid:", what);
  for (const int32_t v : start.cells) {
    std::fprintf(stderr, " %d", v);
  }
  std::fprintf(stderr, "\n");
  std::abort();
}

void expect_same_state(const Resolution& a, const Resolution& b, const Grid& start) {
  if (a.ncarres != b.ncarres || a.ncolonnes != b.ncolonnes || a.nlignes != b.nlignes) {
    fail("counts", start);
  }
  if (a.nremplies != b.nremplies || a.nvides != b.nvides || a.progres != b.progres ||
      a.niter != b.niter) {
    fail("nremplies, nvides, progres or niter", start);
  }
  if (a.posscarre != b.posscarre || a.posscol != b.posscol || a.posslign != b.posslign) {
    fail("flags", start);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const Grid start = decode(data, size);

  // The literal engine (the dialogue's, with its journal) from a clean state.
  Grid lent = start;
  Resolution etat_lent;
  static Journal attendu;
  resoudre_journal(lent, etat_lent, attendu);

  // The fast one from a state an earlier solve left behind.
  Resolution sale;
  sale.ncarres.fill(3);
  sale.ncolonnes.fill(-1);
  sale.nlignes.fill(5);
  sale.ncarres[0] = sale.ncolonnes[0] = sale.nlignes[0] = 0;  // unused by both
  sale.nremplies = 12;
  sale.nvides = 2.0F;
  sale.progres = 0;
  sale.niter = 7;
  sale.posscarre = sale.posscol = sale.posslign = 9;
  Grid vite = start;
  Resolution etat_vite = sale;
  static Journal journal;
  journal.n = 17;
  resoudre_vite(vite, etat_vite, &journal);
  if (vite != lent) {
    fail("final grid", start);
  }
  expect_same_state(etat_vite, etat_lent, start);
  if (journal.n != attendu.n) {
    fail("number of placements", start);
  }
  for (int32_t k = 0; k < journal.n; ++k) {
    if (journal.placements[k] != attendu.placements[k]) {
      fail("placement", start);
    }
  }

  // Without a journal.
  Grid sans = start;
  Resolution etat_sans = sale;
  resoudre_vite(sans, etat_sans);
  if (sans != lent) {
    fail("final grid without a journal", start);
  }
  expect_same_state(etat_sans, etat_lent, start);
  return 0;
}
