// Box origins and the three placement tests. Each test looks for digit d in
// one unit of cell (i, j) and only ever clears `libre`; cell values other than
// 1..9 never match a digit, since d is always 1..9.
#include "solver/solver.h"

int32_t origine(int32_t c) {
  int32_t o = 0;
  if (c >= 1) {
    o = 1;
  }
  if (c >= 4) {
    o = 4;
  }
  if (c >= 7) {
    o = 7;
  }
  return o;
}

void carre(int32_t& i, int32_t& j, const Grid& grille, int32_t& d, int32_t& libre) {
  const int32_t i0 = origine(i);
  const int32_t j0 = origine(j);
  bool trouve = false;
  for (int32_t k = i0; k <= i0 + 2; ++k) {
    for (int32_t l = j0; l <= j0 + 2; ++l) {
      if (k == i && l == j) {
        continue;
      }
      if (grille(k, l) == d) {
        trouve = true;
      }
    }
  }
  if (trouve) {
    libre = 0;
  }
}

void vertical(int32_t& i, int32_t& /*j*/, const Grid& grille, int32_t& d, int32_t& libre) {
  bool trouve = false;
  for (int32_t k = 1; k <= 9; ++k) {
    if (grille(i, k) == d) {
      trouve = true;
    }
  }
  if (trouve) {
    libre = 0;
  }
}

void horizontal(int32_t& /*i*/, int32_t& j, const Grid& grille, int32_t& d, int32_t& libre) {
  bool trouve = false;
  for (int32_t k = 1; k <= 9; ++k) {
    if (grille(k, j) == d) {
      trouve = true;
    }
  }
  if (trouve) {
    libre = 0;
  }
}
