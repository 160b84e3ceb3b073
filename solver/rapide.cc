// The fast engine: the solving iterations of resoudre.cc on bit masks.
//
// Each empty cell keeps the set of digits that may go there (bit d for digit
// d): those that occur in none of its box, column and line. A unit scan then
// needs only its nine cells' sets: a digit seen in exactly one of them is a
// single, and `possible` is whether any digit was seen at all.
//
// Writing digit d into an empty cell empties the cell's set and removes d
// from the sets of its twenty peers. When two digits of one scan name the
// same cell, the second write replaces the first digit, which may thereby
// leave its units; the sets are then rebuilt from the grid.
//
// A unit whose nine sets have not changed since its last scan would report
// what it reported then. That report placed nothing (a placement changes the
// unit's own sets), so the scan is skipped and its `possible` reused.
#include "solver/rapide.h"

#include <array>
#include <bit>
#include <cstdint>

namespace {

using Cellule = uint8_t;    // cell index 0..80: 9 * (j - 1) + (i - 1)
using Chiffres = uint16_t;  // bit d set for each digit d in 1..9
using Unites = uint32_t;    // bit u set for each unit u in 0..26
constexpr Chiffres kTous = 0x3FE;

constexpr int32_t kIterations = 10;
constexpr int32_t kPasses = 10;

// The 27 units, each as its cells in visiting order: the boxes (0..8) by
// origin, i0 outer and j0 inner, a box's cells i outer and j inner; then the
// columns 1..9 (9..17), then the lines 1..9 (18..26). Phase p scans the
// units 9p .. 9p + 8.
constexpr std::array<std::array<Cellule, 9>, 27> kUnites = [] {
  std::array<std::array<Cellule, 9>, 27> u{};
  for (int k = 0; k < 9; ++k) {
    for (int n = 0; n < 9; ++n) {
      const int i = 3 * (k / 3) + n / 3;  // 0-based column
      const int j = 3 * (k % 3) + n % 3;  // 0-based line
      u[k][n] = static_cast<Cellule>(9 * j + i);
      u[9 + k][n] = static_cast<Cellule>(9 * n + k);
      u[18 + k][n] = static_cast<Cellule>(9 * k + n);
    }
  }
  return u;
}();

constexpr int boite(int c) { return 3 * (c % 9 / 3) + c / 9 / 3; }

// The three units of each cell.
constexpr std::array<Unites, 81> kUnitesDe = [] {
  std::array<Unites, 81> u{};
  for (int c = 0; c < 81; ++c) {
    u[c] = Unites{1} << boite(c) | Unites{1} << (9 + c % 9) | Unites{1} << (18 + c / 9);
  }
  return u;
}();

// The twenty other cells that share a unit with each cell.
constexpr std::array<std::array<Cellule, 20>, 81> kPairs = [] {
  std::array<std::array<Cellule, 20>, 81> p{};
  for (int c = 0; c < 81; ++c) {
    int n = 0;
    for (int o = 0; o < 81; ++o) {
      if (o != c && (c / 9 == o / 9 || c % 9 == o % 9 || boite(c) == boite(o))) {
        p[c][n++] = static_cast<Cellule>(o);
      }
    }
  }
  return p;
}();

struct Moteur {
  Grid& grille;
  Resolution& etat;
  Journal* journal;
  std::array<Chiffres, 81> permis{};   // digits that may go into each cell
  int32_t vides = 0;                   // cells holding 0
  Unites changees = 0;                 // units whose sets changed since their last scan
  std::array<int32_t, 27> possible{};  // `possible` of each unit's last scan

  // The digit sets of every cell from the grid as it stands.
  void reconstruit() {
    std::array<Chiffres, 27> presents{};
    vides = 0;
    for (int c = 0; c < 81; ++c) {
      const int32_t v = grille.cells[c];
      if (v >= 1 && v <= 9) {
        const auto bit = static_cast<Chiffres>(1U << v);
        presents[boite(c)] |= bit;
        presents[9 + c % 9] |= bit;
        presents[18 + c / 9] |= bit;
      }
    }
    for (int c = 0; c < 81; ++c) {
      if (grille.cells[c] == 0) {
        ++vides;
        permis[c] = kTous & ~(presents[boite(c)] | presents[9 + c % 9] | presents[18 + c / 9]);
      } else {
        permis[c] = 0;
      }
    }
    changees = (Unites{1} << 27) - 1;
  }

  void note(int32_t b, Phase p, int32_t d, int c) {
    if (journal != nullptr) {
      journal->placements[journal->n++] =
          Placement{static_cast<int8_t>(b), p, static_cast<int8_t>(d),
                    static_cast<int8_t>(c % 9 + 1), static_cast<int8_t>(c / 9 + 1)};
    }
  }

  // Scans unit u and writes its singles in increasing digit order. Returns
  // the number of digits written; sets `drapeau` to the scan's `possible`.
  int32_t balaye(int u, int32_t b, Phase p, int32_t& drapeau) {
    const Unites bit_u = Unites{1} << u;
    if ((changees & bit_u) == 0) {
      drapeau = possible[u];
      return 0;
    }
    changees &= ~bit_u;
    const auto& cellules = kUnites[u];
    std::array<Chiffres, 9> m{};
    Chiffres une = 0;
    Chiffres deux = 0;
    for (int n = 0; n < 9; ++n) {
      m[n] = permis[cellules[n]];
      deux |= une & m[n];
      une |= m[n];
    }
    possible[u] = une != 0 ? 1 : 0;
    drapeau = possible[u];
    const Chiffres seuls = une & ~deux;
    if (seuls == 0) {
      return 0;
    }
    // Each single's cell, found before any write changes the sets.
    std::array<Cellule, 10> ou{};
    for (int n = 0; n < 9; ++n) {
      for (Chiffres s = m[n] & seuls; s != 0; s &= s - 1) {
        ou[std::countr_zero(s)] = cellules[n];
      }
    }
    int32_t places = 0;
    for (Chiffres s = seuls; s != 0; s &= s - 1) {
      const int d = std::countr_zero(s);
      const int c = ou[d];
      const int32_t avant = grille.cells[c];
      grille.cells[c] = d;
      ++places;
      note(b, p, d, c);
      if (avant == 0) {
        --vides;
        permis[c] = 0;
        Unites touchees = kUnitesDe[c];
        const auto bit = static_cast<Chiffres>(1U << d);
        for (const Cellule o : kPairs[c]) {
          if ((permis[o] & bit) != 0) {
            permis[o] &= static_cast<Chiffres>(~bit);
            touchees |= kUnitesDe[o];
          }
        }
        changees |= touchees;
      } else {
        reconstruit();  // the digit replaced may have left its units
      }
    }
    return places;
  }

  // A phase: passes over its nine units until one places nothing, at most
  // ten. Once a pass places nothing the grid is as it was, and every later
  // pass would repeat it exactly.
  void phase(int32_t b, Phase p, int32_t& compte, int32_t& drapeau) {
    const int premiere = 9 * static_cast<int>(p);
    for (int32_t n = 1; n <= kPasses; ++n) {
      int32_t places = 0;
      for (int u = premiere; u < premiere + 9; ++u) {
        places += balaye(u, b, p, drapeau);
      }
      compte += places;
      if (places == 0) {
        break;
      }
    }
  }

  void resout() {
    for (int32_t b = 1; b <= kIterations; ++b) {
      etat.ncarres[b] = 0;
      etat.nlignes[b] = 0;
      etat.ncolonnes[b] = 0;
    }
    etat.niter = 0;
    etat.nvides = 81.0F;
    etat.progres = 1;
    reconstruit();
    for (int32_t b = 1; b <= kIterations; ++b) {
      if (etat.nvides == 0.0F || etat.progres == 0) {
        break;
      }
      etat.niter = b;
      phase(b, Phase::carres, etat.ncarres[b], etat.posscarre);
      phase(b, Phase::colonnes, etat.ncolonnes[b], etat.posscol);
      phase(b, Phase::lignes, etat.nlignes[b], etat.posslign);
      etat.nremplies = 81 - vides;
      if (etat.nlignes[b] == 0 && etat.ncolonnes[b] == 0 && etat.ncarres[b] == 0) {
        etat.progres = 0;
      }
      etat.nvides = static_cast<float>(81 - etat.nremplies);
    }
  }
};

}  // namespace

void resoudre_vite(Grid& grille, Resolution& etat, Journal* journal) {
  if (journal != nullptr) {
    journal->n = 0;
  }
  Moteur moteur{grille, etat, journal};
  moteur.resout();
}
