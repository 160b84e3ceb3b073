// Provisional: a plain backtracking solution counter. To be replaced by a
// search on bit masks.
#include "solver/rapide.h"

namespace {

bool peut(const Grid& g, int32_t i, int32_t j, int32_t d) {
  for (int32_t k = 1; k <= 9; ++k) {
    if (g(i, k) == d || g(k, j) == d) {
      return false;
    }
  }
  const int32_t i0 = origine(i);
  const int32_t j0 = origine(j);
  for (int32_t k = i0; k < i0 + 3; ++k) {
    for (int32_t l = j0; l < j0 + 3; ++l) {
      if (g(k, l) == d) {
        return false;
      }
    }
  }
  return true;
}

void cherche(Grid& g, int32_t cell, int32_t& n, Grid& solution) {
  if (n >= 2) {
    return;
  }
  while (cell < 81 && g.cells[cell] != 0) {
    ++cell;
  }
  if (cell == 81) {
    if (++n == 1) {
      solution = g;
    }
    return;
  }
  const int32_t i = cell % 9 + 1;
  const int32_t j = cell / 9 + 1;
  for (int32_t d = 1; d <= 9 && n < 2; ++d) {
    if (peut(g, i, j, d)) {
      g.cells[cell] = d;
      cherche(g, cell + 1, n, solution);
      g.cells[cell] = 0;
    }
  }
}

}  // namespace

int32_t compter_solutions(const Grid& grille, Grid& solution) {
  Grid g = grille;
  for (int32_t j = 1; j <= 9; ++j) {
    for (int32_t i = 1; i <= 9; ++i) {
      const int32_t d = g(i, j);
      if (d != 0) {
        g(i, j) = 0;
        const bool ok = peut(g, i, j, d);
        g(i, j) = d;
        if (!ok) {
          return 0;
        }
      }
    }
  }
  int32_t n = 0;
  cherche(g, 0, n, solution);
  return n;
}
