// Solution counter: exhaustive search on candidate masks, stopping at the
// second solution; and the search for a repeated given.
//
// A search state holds, for each cell, the mask of the digits it may still
// take (bit d - 1 for digit d) plus a flag bit once a digit is placed there,
// and, for each of the 27 units (9 lines, 9 columns, 9 boxes), the mask of the
// digits placed in it. Placing a digit removes it from the 20 peers of its
// cell: a peer left with no candidate is a contradiction, a peer left with one
// goes on a queue and is placed in turn (naked single). When the queue is
// empty, one sweep over the units finds, per digit, whether it has one or
// several candidate cells (twice |= once & m; once |= m): a digit that is
// neither placed nor possible anywhere in a unit is a contradiction, a digit
// with a single cell is placed there (hidden single). Propagation ends when a
// sweep places nothing. The search then branches on the empty cell with the
// fewest candidates, each candidate on a copy of the state (under 250 bytes,
// on the stack), and stops as soon as a second solution is found. Nothing is
// allocated; the recursion is at most 81 deep.
#include <array>
#include <bit>
#include <cstdint>

#include "solver/rapide.h"

namespace {

constexpr uint16_t kChiffres = 0x1FF;  // digits 1..9
constexpr uint16_t kPose = 0x200;      // the cell holds a placed digit

// Cells are numbered 0..80 line by line, as in Grid. Units 0..8 are the
// lines, 9..17 the columns, 18..26 the boxes in reading order.
struct Tables {
  std::array<std::array<uint8_t, 9>, 27> cases{};     // the cells of each unit
  std::array<std::array<uint8_t, 3>, 81> unites{};    // the units of each cell
  std::array<std::array<uint8_t, 20>, 81> voisins{};  // the cells sharing a unit with it
};

constexpr Tables construire() {
  Tables t;
  for (int u = 0; u < 9; ++u) {
    for (int k = 0; k < 9; ++k) {
      t.cases[u][k] = static_cast<uint8_t>(9 * u + k);
      t.cases[9 + u][k] = static_cast<uint8_t>(9 * k + u);
      t.cases[18 + u][k] = static_cast<uint8_t>(27 * (u / 3) + 3 * (u % 3) + 9 * (k / 3) + k % 3);
    }
  }
  for (int c = 0; c < 81; ++c) {
    const int ligne = c / 9;
    const int colonne = c % 9;
    t.unites[c] = {static_cast<uint8_t>(ligne), static_cast<uint8_t>(9 + colonne),
                   static_cast<uint8_t>(18 + 3 * (ligne / 3) + colonne / 3)};
    int n = 0;
    for (int p = 0; p < 81; ++p) {
      const bool voisin = p != c && (p / 9 == ligne || p % 9 == colonne ||
                                     (p / 27 == c / 27 && p % 9 / 3 == colonne / 3));
      if (voisin) {
        t.voisins[c][n++] = static_cast<uint8_t>(p);
      }
    }
  }
  return t;
}

constexpr Tables kTables = construire();

struct Etat {
  std::array<uint16_t, 81> cand;   // candidates, or the placed digit | kPose
  std::array<uint16_t, 27> poses;  // digits placed in each unit
  int32_t vides;                   // cells without a placed digit
};

// Cells left with a single candidate, waiting to be placed. A cell enters
// when its mask drops to one bit, which happens at most once.
struct File {
  std::array<uint8_t, 81> cases;
  int32_t n = 0;
};

// Places the digit of mask `bit` in cell c and removes it from the peers.
// False on a contradiction (the state is then to be dropped).
bool placer(Etat& e, int c, uint16_t bit, File& file) {
  const uint16_t m = e.cand[c];
  if ((m & kPose) != 0) {
    return (m & bit) != 0;
  }
  if ((m & bit) == 0) {
    return false;
  }
  e.cand[c] = bit | kPose;
  --e.vides;
  for (const uint8_t u : kTables.unites[c]) {
    if ((e.poses[u] & bit) != 0) {
      return false;
    }
    e.poses[u] |= bit;
  }
  // A placed peer holding the same digit was caught by the unit masks, so
  // only empty peers can hold the bit here.
  for (const uint8_t p : kTables.voisins[c]) {
    uint16_t v = e.cand[p];
    if ((v & bit) != 0) {
      v &= ~bit;
      e.cand[p] = v;
      if (v == 0) {
        return false;
      }
      if ((v & (v - 1)) == 0) {
        file.cases[file.n++] = p;
      }
    }
  }
  return true;
}

// Naked and hidden singles until nothing more is forced.
bool propager(Etat& e, File& file) {
  for (;;) {
    while (file.n > 0) {
      const int c = file.cases[--file.n];
      if (!placer(e, c, static_cast<uint16_t>(e.cand[c] & kChiffres), file)) {
        return false;
      }
    }
    for (int u = 0; u < 27; ++u) {
      uint16_t une = 0;
      uint16_t deux = 0;
      for (const uint8_t c : kTables.cases[u]) {
        const uint16_t m = e.cand[c];
        if ((m & kPose) == 0) {
          deux |= une & m;
          une |= m;
        }
      }
      if ((une | e.poses[u]) != kChiffres) {
        return false;
      }
      for (uint16_t seuls = une & ~deux; seuls != 0; seuls &= seuls - 1) {
        const auto bit = static_cast<uint16_t>(seuls & -seuls);
        // An earlier placement of this sweep may have taken the cell or the
        // digit; `placer` accepts the digit already there and refuses the rest.
        int c = -1;
        for (const uint8_t k : kTables.cases[u]) {
          if ((e.cand[k] & bit) != 0) {
            c = k;
            break;
          }
        }
        if (c < 0 || !placer(e, c, bit, file)) {
          return false;
        }
      }
    }
    if (file.n == 0) {
      return true;
    }
  }
}

// Counts the solutions below a propagated state, up to two.
void chercher(Etat& e, int32_t& n, Grid& solution) {
  if (e.vides == 0) {
    if (++n == 1) {
      for (int c = 0; c < 81; ++c) {
        solution.cells[c] = std::countr_zero(static_cast<unsigned>(e.cand[c])) + 1;
      }
    }
    return;
  }
  int meilleure = -1;
  int moins = 10;
  for (int c = 0; c < 81 && moins > 2; ++c) {
    if ((e.cand[c] & kPose) == 0) {
      const int k = std::popcount(static_cast<unsigned>(e.cand[c]));
      if (k < moins) {
        moins = k;
        meilleure = c;
      }
    }
  }
  for (uint16_t reste = e.cand[meilleure]; reste != 0 && n < 2;) {
    const auto bit = static_cast<uint16_t>(reste & -reste);
    reste &= reste - 1;
    File file;
    if (reste == 0) {  // the last candidate may use the state itself
      if (placer(e, meilleure, bit, file) && propager(e, file)) {
        chercher(e, n, solution);
      }
    } else {
      Etat copie = e;
      if (placer(copie, meilleure, bit, file) && propager(copie, file)) {
        chercher(copie, n, solution);
      }
    }
  }
}

}  // namespace

int32_t compter_solutions(const Grid& grille, Grid& solution) {
  Etat e;
  e.cand.fill(kChiffres);
  e.poses.fill(0);
  e.vides = 81;
  File file;
  for (int c = 0; c < 81; ++c) {
    const int32_t d = grille.cells[c];
    if (d < 0 || d > 9) {
      return 0;  // a cell that holds no digit is in no solution
    }
    if (d != 0 && !placer(e, c, static_cast<uint16_t>(1U << (d - 1)), file)) {
      return 0;
    }
  }
  int32_t n = 0;
  if (propager(e, file)) {
    chercher(e, n, solution);
  }
  return n;
}

bool doublon(const Grid& grille, Doublon& trouve) {
  // Kinds in the order of the phases, units by number, cells in order.
  constexpr std::array<Phase, 3> kSortes{Phase::carres, Phase::colonnes, Phase::lignes};
  for (int s = 0; s < 3; ++s) {
    for (int u = 0; u < 9; ++u) {
      const int unite = s == 0 ? 18 + u : s == 1 ? 9 + u : u;
      uint16_t vus = 0;
      for (const uint8_t c : kTables.cases[unite]) {
        const int32_t d = grille.cells[c];
        if (d < 1 || d > 9) {
          continue;
        }
        const auto bit = static_cast<uint16_t>(1U << (d - 1));
        if ((vus & bit) != 0) {
          trouve = {kSortes[s], static_cast<int8_t>(u + 1), static_cast<int8_t>(d)};
          return true;
        }
        vus |= bit;
      }
    }
  }
  return false;
}
