// Unit scans: find the digits that have exactly one possible cell in a box, a
// column or a line. The three scans share one algorithm and differ only in the
// cells they visit:
//   1. clear the outputs and the working tables;
//   2. for each cell of the unit in order, and each digit 1..9, record the cell
//      as a candidate of the digit when the cell is empty and none of carre,
//      horizontal, vertical rules the digit out;
//   3. report every digit with exactly one candidate, and set `possible` when
//      any digit has a candidate.
// The grid is only read; every decision is taken against the grid as it was
// when the scan started.
#include <array>

#include "solver/solver.h"

namespace {

// Working tables of one scan, rebuilt on every call. candi(d, k), candj(d, k)
// hold the cell of the k-th candidate of digit d; a unit has nine cells, so
// k never exceeds 9.
struct Candidats {
  DigitTable ncand{};
  std::array<DigitTable, 10> candi{};
  std::array<DigitTable, 10> candj{};
};

void commence(Candidats& t, DigitTable& chiffre, DigitTable& xpos, DigitTable& ypos,
              int32_t& possible) {
  possible = 0;
  chiffre.fill(0);
  xpos.fill(0);
  ypos.fill(0);
  t = Candidats{};
}

// Records cell (i, j) as a candidate of every digit that may go there.
void examine(const Grid& grille, int32_t& i, int32_t& j, Candidats& t) {
  // An occupied cell is never a candidate; the placement tests have no effect
  // other than clearing `libre`, so they need not run for it.
  if (grille(i, j) != 0) {
    return;
  }
  for (int32_t d = 1; d <= 9; ++d) {
    int32_t libre = 1;
    carre(i, j, grille, d, libre);
    horizontal(i, j, grille, d, libre);
    vertical(i, j, grille, d, libre);
    if (libre == 1) {
      const int32_t k = ++t.ncand[d];
      t.candi[d][k] = i;
      t.candj[d][k] = j;
    }
  }
}

void conclut(const Candidats& t, DigitTable& chiffre, DigitTable& xpos, DigitTable& ypos,
             int32_t& possible) {
  for (int32_t d = 1; d <= 9; ++d) {
    if (t.ncand[d] == 1) {
      chiffre[d] = d;
      xpos[d] = t.candi[d][1];
      ypos[d] = t.candj[d][1];
    } else {
      chiffre[d] = 0;
    }
    if (t.ncand[d] >= 1) {
      possible = 1;
    }
  }
}

}  // namespace

void recherche(const Grid& grille, int32_t& i0, int32_t& j0, DigitTable& chiffre, DigitTable& xpos,
               DigitTable& ypos, int32_t& possible) {
  Candidats t;
  commence(t, chiffre, xpos, ypos, possible);
  for (int32_t i = i0; i <= i0 + 2; ++i) {
    for (int32_t j = j0; j <= j0 + 2; ++j) {
      examine(grille, i, j, t);
    }
  }
  conclut(t, chiffre, xpos, ypos, possible);
}

void rechercol(const Grid& grille, int32_t& i, int32_t& j, DigitTable& chiffre, DigitTable& xpos,
               DigitTable& ypos, int32_t& possible) {
  Candidats t;
  commence(t, chiffre, xpos, ypos, possible);
  for (j = 1; j <= 9; ++j) {
    examine(grille, i, j, t);
  }
  conclut(t, chiffre, xpos, ypos, possible);
}

void recherlign(const Grid& grille, int32_t& i, int32_t& j, DigitTable& chiffre, DigitTable& xpos,
                DigitTable& ypos, int32_t& possible) {
  Candidats t;
  commence(t, chiffre, xpos, ypos, possible);
  for (i = 1; i <= 9; ++i) {
    examine(grille, i, j, t);
  }
  conclut(t, chiffre, xpos, ypos, possible);
}
