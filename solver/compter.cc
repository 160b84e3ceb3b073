// The reference solution counter: exhaustive search on candidate masks,
// stopping at the second solution, kept beside the fast one (compteur_*.cc)
// as what that one is checked against; and the search for a repeated given.
//
// A search state holds, for each empty cell, the mask of the digits it may
// still take (bit d - 1 for digit d; 0 once a digit is placed there), the
// digit placed in each cell, and for each of the 27 units (9 lines, 9
// columns, 9 boxes) the mask of the digits placed in it. Placing a digit
// removes it from the 20 peers of its cell: a peer left with no candidate is a
// contradiction, a peer left with one goes on a queue and is placed in turn
// (naked single). Every unit that lost a candidate is marked; once the queue
// is empty, each marked unit is swept to find, per digit, whether it has one
// or several candidate cells (twice |= once & m; once |= m): a digit neither
// placed nor possible anywhere in the unit is a contradiction, a digit with a
// single cell is placed there (hidden single). Propagation ends when no unit
// is marked and the queue is empty. The search then branches on the empty
// cell with the fewest candidates, each candidate on a copy of the state
// (about 300 bytes, on the stack), and stops as soon as a second solution is
// found. Nothing is allocated; the recursion is at most 81 deep.
#include <array>
#include <bit>
#include <cstdint>

#include "solver/rapide.h"

namespace {

constexpr uint16_t kChiffres = 0x1FF;         // digits 1..9
constexpr uint32_t kToutes = (1U << 27) - 1;  // every unit

// Cells are numbered 0..80 line by line, as in Grid. Units 0..8 are the
// lines, 9..17 the columns, 18..26 the boxes in reading order.
struct Tables {
  std::array<std::array<uint8_t, 9>, 27> cases{};     // the cells of each unit
  std::array<std::array<uint8_t, 3>, 81> unites{};    // the units of each cell
  std::array<std::array<uint8_t, 20>, 81> voisins{};  // the cells sharing a unit with it
  std::array<uint32_t, 81> marques{};                 // the units of each cell, as bits
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
    for (const uint8_t u : t.unites[c]) {
      t.marques[c] |= 1U << u;
    }
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
  std::array<uint16_t, 81> cand;   // candidates of each empty cell, 0 when placed
  std::array<uint8_t, 81> valeur;  // the digit placed in each cell
  std::array<uint16_t, 27> poses;  // digits placed in each unit
  int32_t vides;                   // cells without a placed digit
};

// The work left to a propagation: cells left with a single candidate, to be
// placed (a cell enters when its mask drops to one bit, which happens at most
// once), and the units that lost a candidate since they were last swept.
struct Travail {
  std::array<uint8_t, 81> file;
  int32_t n = 0;
  uint32_t marquees = kToutes;
};

// Places the digit of mask `bit` in the empty cell c and removes it from the
// peers. False on a contradiction (the state is then to be dropped).
bool placer(Etat& e, int c, uint16_t bit, Travail& t) {
  if ((e.cand[c] & bit) == 0) {
    return false;
  }
  e.cand[c] = 0;
  e.valeur[c] = static_cast<uint8_t>(std::countr_zero(static_cast<unsigned>(bit)) + 1);
  --e.vides;
  t.marquees |= kTables.marques[c];
  for (const uint8_t u : kTables.unites[c]) {
    if ((e.poses[u] & bit) != 0) {
      return false;
    }
    e.poses[u] |= bit;
  }
  for (const uint8_t p : kTables.voisins[c]) {
    uint16_t v = e.cand[p];
    if ((v & bit) != 0) {
      v &= ~bit;
      e.cand[p] = v;
      if (v == 0) {
        return false;
      }
      t.marquees |= kTables.marques[p];
      if ((v & (v - 1)) == 0) {
        t.file[t.n++] = p;
      }
    }
  }
  return true;
}

// Naked and hidden singles until nothing more is forced.
bool propager(Etat& e, Travail& t) {
  for (;;) {
    while (t.n > 0) {
      const int c = t.file[--t.n];
      if (e.cand[c] != 0 && !placer(e, c, e.cand[c], t)) {
        return false;
      }
    }
    if (t.marquees == 0) {
      return true;
    }
    const int u = std::countr_zero(t.marquees);
    t.marquees &= t.marquees - 1;
    uint16_t une = 0;
    uint16_t deux = 0;
    for (const uint8_t c : kTables.cases[u]) {
      deux |= une & e.cand[c];
      une |= e.cand[c];
    }
    if ((une | e.poses[u]) != kChiffres) {
      return false;
    }
    for (uint16_t seuls = une & ~deux; seuls != 0; seuls &= seuls - 1) {
      const auto bit = static_cast<uint16_t>(seuls & -seuls);
      // A placement of this loop may have taken the only cell of a later
      // digit: then no cell holds it any more.
      int c = -1;
      for (const uint8_t k : kTables.cases[u]) {
        if ((e.cand[k] & bit) != 0) {
          c = k;
          break;
        }
      }
      if (c < 0 || !placer(e, c, bit, t)) {
        return false;
      }
    }
  }
}

// Counts the solutions below a propagated state, up to two.
void chercher(Etat& e, int32_t& n, Grid& solution) {
  if (e.vides == 0) {
    if (++n == 1) {
      for (int c = 0; c < 81; ++c) {
        solution.cells[c] = e.valeur[c];
      }
    }
    return;
  }
  int meilleure = -1;
  int moins = 10;
  for (int c = 0; c < 81 && moins > 2; ++c) {
    if (e.cand[c] != 0) {
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
    Travail t;
    t.marquees = 0;
    if (reste == 0) {  // the last candidate may use the state itself
      if (placer(e, meilleure, bit, t) && propager(e, t)) {
        chercher(e, n, solution);
      }
    } else {
      Etat copie = e;
      if (placer(copie, meilleure, bit, t) && propager(copie, t)) {
        chercher(copie, n, solution);
      }
    }
  }
}

}  // namespace

int32_t compter_solutions_reference(const Grid& grille, Grid& solution) {
  Etat e;
  e.cand.fill(kChiffres);
  e.valeur.fill(0);
  e.poses.fill(0);
  e.vides = 81;
  Travail t;
  for (int c = 0; c < 81; ++c) {
    const int32_t d = grille.cells[c];
    if (d < 0 || d > 9) {
      return 0;  // a cell that holds no digit is in no solution
    }
    if (d != 0 && !placer(e, c, static_cast<uint16_t>(1U << (d - 1)), t)) {
      return 0;
    }
  }
  int32_t n = 0;
  if (propager(e, t)) {
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
