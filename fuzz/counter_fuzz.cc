// Fuzz target: the solution counter, in every version this processor can run,
// against the reference counter. The input becomes a grid
// (fuzz/grid_decode.h); every counter must give the same count and, when it
// is 1, the same solution, which must keep the grid's digits and break no
// rule. (`compter_solutions` runs one of these versions; the unit tests check
// which.) Grids with no solution and few digits can make both engines search
// for a long time, up to a second or two per input under the sanitizers.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/grid_decode.h"
#include "solver/compteur.h"
#include "solver/rapide.h"

namespace {

[[noreturn]] void fail(const char* what, const char* version, const Grid& start) {
  std::fprintf(stderr, "counters disagree (%s): %s\ngrid:", version, what);
  for (const int32_t v : start.cells) {
    std::fprintf(stderr, " %d", v);
  }
  std::fprintf(stderr, "\n");
  std::abort();
}

// A complete grid that keeps the digits of `start` and has each digit once
// in every line, column and box.
bool solves(const Grid& solution, const Grid& start) {
  for (int c = 0; c < 81; ++c) {
    const int32_t v = solution.cells[c];
    if (v < 1 || v > 9 || (start.cells[c] != 0 && start.cells[c] != v)) {
      return false;
    }
  }
  for (int u = 0; u < 9; ++u) {
    int line = 0;
    int column = 0;
    int box = 0;
    for (int k = 0; k < 9; ++k) {
      line |= 1 << solution.cells[9 * u + k];
      column |= 1 << solution.cells[9 * k + u];
      box |= 1 << solution.cells[27 * (u / 3) + 3 * (u % 3) + 9 * (k / 3) + k % 3];
    }
    if (line != 0x3FE || column != 0x3FE || box != 0x3FE) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const Grid start = grid_decode::decode(data, size);
  Grid expected;
  const int32_t count = compter_solutions_reference(start, expected);
  if (count == 1 && !solves(expected, start)) {
    fail("the reference's solution is not one", "reference", start);
  }
  for (const Chemin chemin : {Chemin::portable, Chemin::avx2, Chemin::avx512}) {
    if (!chemin_possible(chemin)) {
      continue;
    }
    Grid solution;
    solution.cells.fill(-7);
    if (compter_solutions_par(chemin, start, solution) != count) {
      fail("count", nom_chemin(chemin), start);
    }
    if (count == 1 && solution != expected) {
      fail("solution", nom_chemin(chemin), start);
    }
  }
  return 0;
}
