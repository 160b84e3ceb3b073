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
#include <cstddef>
#include <cstdint>
#include <utility>

namespace {

using Chiffres = uint16_t;  // bit d set for each digit d in 1..9
using Unites = uint32_t;    // bit u set for each unit u in 0..26
constexpr Chiffres kTous = 0x3FE;

constexpr int32_t kIterations = 10;
constexpr int32_t kPasses = 10;

// The 27 units in visiting order: the boxes (0..8) by origin, i0 outer and
// j0 inner; the columns 1..9 (9..17); the lines 1..9 (18..26). Phase p
// scans the units 9p .. 9p + 8. Cells are numbered 9 * (j - 1) + (i - 1);
// this is the first cell of each unit.
constexpr std::array<int, 27> kPremiere = [] {
  std::array<int, 27> p{};
  for (int k = 0; k < 9; ++k) {
    p[k] = 27 * (k % 3) + 3 * (k / 3);
    p[9 + k] = k;
    p[18 + k] = 9 * k;
  }
  return p;
}();

// The box of a cell: 3 * stack + band, the box order above.
constexpr int boite(int c) { return 3 * (c % 9 / 3) + c / 9 / 3; }

// The three units of each cell: their numbers, and as a set.
struct Trois {
  uint8_t boite;
  uint8_t colonne;
  uint8_t ligne;
};
constexpr std::array<Trois, 81> kTrois = [] {
  std::array<Trois, 81> t{};
  for (int c = 0; c < 81; ++c) {
    t[c] = Trois{static_cast<uint8_t>(boite(c)), static_cast<uint8_t>(9 + c % 9),
                 static_cast<uint8_t>(18 + c / 9)};
  }
  return t;
}();
constexpr std::array<Unites, 81> kUnitesDe = [] {
  std::array<Unites, 81> u{};
  for (int c = 0; c < 81; ++c) {
    u[c] = Unites{1} << kTrois[c].boite | Unites{1} << kTrois[c].colonne |
           Unites{1} << kTrois[c].ligne;
  }
  return u;
}();

// The cells of a unit of each phase as offsets from its first cell. No
// result depends on the order a unit's cells are read in: a digit's single
// cell is the only one, and the writes go in digit order.
constexpr std::array<std::array<int, 9>, 3> kDecalages{{
    {0, 1, 2, 9, 10, 11, 18, 19, 20},    // box
    {0, 9, 18, 27, 36, 45, 54, 63, 72},  // column
    {0, 1, 2, 3, 4, 5, 6, 7, 8},         // line
}};

// The digits seen in at least one (`une`) and in at least two (`deux`) of
// the sets q[o], o the offsets of phase P; unrolled.
template <int P, std::size_t... N>
inline void une_deux(const uint16_t* q, uint16_t& une, uint16_t& deux,
                     std::index_sequence<N...> /*unused*/) {
  ((deux |= une & q[kDecalages[P][N]], une |= q[kDecalages[P][N]]), ...);
}

// Removes digit d from the sets of the nine cells of a unit of phase P
// (offsets from q); returns the positions, in offset order, whose set held
// it. Without a branch: which sets hold d is unpredictable.
template <int P, std::size_t... N>
inline uint32_t retire(uint16_t* q, int d, std::index_sequence<N...> /*unused*/) {
  uint32_t avaient = 0;
  ((avaient |= ((q[kDecalages[P][N]] >> d) & 1U) << N,
    q[kDecalages[P][N]] &= static_cast<uint16_t>(~(1U << d))),
   ...);
  return avaient;
}

// Bit k set for each group of bits 3k .. 3k + 2 of a that is not 0.
constexpr uint32_t trios(uint32_t a) {
  return static_cast<uint32_t>((a & 7U) != 0) | static_cast<uint32_t>((a & 070U) != 0) << 1 |
         static_cast<uint32_t>((a & 0700U) != 0) << 2;
}

// Bits 0, 1, 2 of s moved to bits 0, 3, 6.
constexpr uint32_t etale(uint32_t s) { return (s & 1U) | (s & 2U) << 2 | (s & 4U) << 4; }

struct Moteur {
  Grid& grille;
  Resolution& etat;
  Journal* journal;
  std::array<Chiffres, 81> permis{};   // digits that may go into each cell
  int32_t vides = 0;                   // cells holding 0
  Unites changees = 0;                 // units whose sets changed since their last scan
  std::array<int32_t, 27> possible{};  // `possible` of each unit's last scan

  // The digit sets of every cell from the grid as it stands. The digits of
  // each unit are gathered a band of three lines at a time, in locals.
  void reconstruit() {
    std::array<Chiffres, 27> presents{};
    for (int bande = 0; bande < 3; ++bande) {
      std::array<Chiffres, 3> boites{};
      for (int l = 3 * bande; l < 3 * bande + 3; ++l) {
        Chiffres ligne = 0;
        for (int i = 0; i < 9; ++i) {
          const auto v = static_cast<uint32_t>(grille.cells[9 * l + i]);
          const auto bit = static_cast<Chiffres>(v - 1 < 9 ? 1U << v : 0);
          ligne |= bit;
          boites[i / 3] |= bit;
          presents[9 + i] |= bit;
        }
        presents[18 + l] = ligne;
      }
      for (int k = 0; k < 3; ++k) {
        presents[3 * k + bande] = boites[k];
      }
    }
    vides = 0;
    for (int c = 0; c < 81; ++c) {
      const Trois& t = kTrois[c];
      const bool vide = grille.cells[c] == 0;
      vides += vide ? 1 : 0;
      permis[c] = vide ? kTous & ~(presents[t.boite] | presents[t.colonne] | presents[t.ligne]) : 0;
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

  // Scans unit u (of phase P) and writes its singles in increasing digit
  // order; keeps the scan's `possible` and returns the number of digits
  // written. Which digits are single does not depend on the order the cells
  // are read in, so they are read at fixed offsets from the unit's first
  // cell.
  template <int P>
  int32_t balaye(int u, int32_t b) {
    changees &= ~(Unites{1} << u);
    const int premiere = kPremiere[u];
    const Chiffres* q = permis.data() + premiere;
    Chiffres une = 0;
    Chiffres deux = 0;
    une_deux<P>(q, une, deux, std::make_index_sequence<9>{});
    possible[u] = une != 0 ? 1 : 0;
    const Chiffres seuls = une & ~deux;
    if (seuls == 0) {
      return 0;
    }
    // Each single's cell, found before any write changes the sets.
    std::array<int, 10> ou{};
    for (Chiffres s = seuls; s != 0; s &= s - 1) {
      const int d = std::countr_zero(s);
      for (const int o : kDecalages[P]) {
        ou[d] = ((q[o] >> d) & 1U) != 0 ? premiere + o : ou[d];
      }
    }
    int32_t places = 0;
    for (Chiffres s = seuls; s != 0; s &= s - 1) {
      const int d = std::countr_zero(s);
      const int c = ou[d];
      const int32_t avant = grille.cells[c];
      grille.cells[c] = d;
      ++places;
      note(b, static_cast<Phase>(P), d, c);
      if (avant == 0) {
        --vides;
        permis[c] = 0;
        // d leaves the sets of the cell's line, column and box; the units of
        // the cells whose set held it have changed.
        const Trois& t = kTrois[c];
        const int bande = (t.ligne - 18) / 3;
        const int pile = (t.colonne - 9) / 3;
        constexpr auto kNeuf = std::make_index_sequence<9>{};
        const uint32_t ligne = retire<2>(permis.data() + kPremiere[t.ligne], d, kNeuf);
        const uint32_t colonne = retire<1>(permis.data() + kPremiere[t.colonne], d, kNeuf);
        const uint32_t carre = retire<0>(permis.data() + kPremiere[t.boite], d, kNeuf);
        changees |= kUnitesDe[c] |
                    // the columns of the line's cells, their boxes 3 * pile + bande
                    ligne << 9 | etale(trios(ligne)) << bande |
                    // the lines of the column's cells, their boxes 3 * pile + bande
                    colonne << 18 | trios(colonne) << (3 * pile) |
                    // the lines and columns of the box's cells
                    trios(carre) << (18 + 3 * bande) |
                    ((carre | carre >> 3 | carre >> 6) & 7) << (9 + 3 * pile);
      } else {
        reconstruit();  // the digit replaced may have left its units
      }
    }
    return places;
  }

  // A phase: passes over its nine units until one places nothing, at most
  // ten. Once a pass places nothing the grid is as it was, and every later
  // pass would repeat it exactly. A pass scans only the units that changed,
  // in order; the phase flag is the `possible` of its last unit, scanned
  // now or before.
  template <int P>
  void phase(int32_t b, int32_t& compte, int32_t& drapeau) {
    constexpr Unites kPhase = Unites{0x1FF} << (9 * P);
    for (int32_t n = 1; n <= kPasses; ++n) {
      int32_t places = 0;
      Unites restantes = kPhase;  // the units of this pass not yet reached
      for (Unites a_voir = changees & restantes; a_voir != 0; a_voir = changees & restantes) {
        const int u = std::countr_zero(a_voir);
        restantes &= ~((Unites{2} << u) - 1);
        places += balaye<P>(u, b);
      }
      drapeau = possible[9 * P + 8];
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
      phase<0>(b, etat.ncarres[b], etat.posscarre);
      phase<1>(b, etat.ncolonnes[b], etat.posscol);
      phase<2>(b, etat.nlignes[b], etat.posslign);
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
