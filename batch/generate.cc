// Puzzle making. Terms: a puzzle "holds" when it has the property the run
// asks for, solved by the forced placements (`resoudre_vite`, which gives
// what the dialogue gives) or, beyond them, one solution by the counter. The
// givens go a symmetry orbit at a time: the one cell, or the two or four
// cells that the symmetry maps onto each other. Every puzzle tried holds
// digits of the grid filled first, so the forced placements run as
// `resoudre_parmi`: that grid once, then the givens as a set of cells, and
// back only what the search reads.
//
// Taking givens away first tries blocks of orbits at once (the first thirty
// of a full grid nearly always go together), halving the block when the
// puzzle stops holding, down to one orbit at a time.
//
// Fewer givens never help the forced placements. The digits that singles
// alone can place grow with the givens: a candidate that more givens rule out
// stays ruled out, so a single stays single, whatever the order of the
// scans; scan by scan, the solve of a puzzle with more givens has placed all
// that the solve with fewer has, and more. So a puzzle with fewer givens
// (all from the same solution) finishes no earlier: its depth can only grow,
// and a given whose removal keeps the solve from finishing, stalled or cut
// short by the ten-iteration cap, is needed for good, whatever goes after
// it. Having one solution is monotone too: one pass does for it. (The last
// pass over a puzzle made at random, `acheve`, tries the orbits that a cut
// solve kept once more all the same; it finds none.)
//
// A solve that stalls (an iteration places nothing) has placed every digit
// that singles can reach from its givens, and the digits it placed are the
// solution's. Any puzzle of that solution whose givens lie among the cells
// it ended with stalls there too: the placements from it reach those cells
// and no further. So each orbit keeps the cells of the last few stalled
// solves of puzzles without it, and a removal that leaves a puzzle within
// one of them is known to fail without a solve (over a quarter of the
// removals the search considers; the random reduction keeps and uses them
// only when a search follows it).
//
// The local search for depth works on minimal puzzles. A move puts back a
// few orbits of the solution, then takes givens away again greedily: at each
// step every given that can still go is tried, and the one whose removal
// leaves the deepest puzzle goes (between equal depths, the one whose solve
// ends in a later phase, then with more cells left for its last iteration).
// A given that cannot go is never tried again within the move, so a greedy
// reduction costs about one solve per given plus the few that can go, no
// more than taking them away in random order, and its puzzles run deeper.
// During the walk only the givens that share a unit or a digit with the
// orbits put back are tried (the others nearly always stay needed); the
// puzzle found deep enough is then reduced over all its givens. Most moves
// end where they began: no given of the puzzle can go once the orbits are
// back, and the reduction takes those orbits away again. The puzzle's own
// givens are tried first, and when none can go the move ends there, without
// trying the orbits put back.
#include "batch/generate.h"

#include <algorithm>
#include <array>
#include <bit>
#include <optional>

#include "solver/rapide.h"

namespace batch {
namespace {

// splitmix64: a whole sequence from any 64-bit state, good enough for
// shuffling, and cheap to seed from (seed, index).
struct Hasard {
  uint64_t etat;

  uint64_t suivant() {
    uint64_t z = (etat += 0x9E3779B97F4A7C15U);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9U;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBU;
    return z ^ (z >> 31);
  }
  // Uniform in 0 .. n - 1 (n > 0), by multiply and shift.
  uint32_t sous(uint32_t n) {
    return static_cast<uint32_t>(((suivant() >> 32) * uint64_t{n}) >> 32);
  }
  template <typename T, std::size_t N>
  void melange(std::array<T, N>& a, int n) {
    for (int k = n - 1; k > 0; --k) {
      std::swap(a[k], a[sous(static_cast<uint32_t>(k + 1))]);
    }
  }
};

constexpr std::array<Symmetry, 6> kSymetries{Symmetry::none,     Symmetry::rotate180,
                                             Symmetry::rotate90, Symmetry::mirror,
                                             Symmetry::flip,     Symmetry::diagonal};

// A set of cells, by their index 0..80 in reading order: three bands of 27
// cells, as the fast engine takes the givens of a puzzle (`Bandes`).
struct Cases {
  Bandes bandes{};

  static constexpr uint32_t kBande = (1U << 27) - 1;
  constexpr void set(std::size_t c) { bandes[c / 27] |= 1U << (c % 27); }
  bool none() const { return (bandes[0] | bandes[1] | bandes[2]) == 0; }
  bool any() const { return !none(); }
  Cases operator~() const {
    return Cases{{~bandes[0] & kBande, ~bandes[1] & kBande, ~bandes[2] & kBande}};
  }
  Cases operator&(const Cases& o) const {
    return Cases{{bandes[0] & o.bandes[0], bandes[1] & o.bandes[1], bandes[2] & o.bandes[2]}};
  }
  Cases operator|(const Cases& o) const {
    return Cases{{bandes[0] | o.bandes[0], bandes[1] | o.bandes[1], bandes[2] | o.bandes[2]}};
  }
  Cases& operator&=(const Cases& o) { return *this = *this & o; }
  Cases& operator|=(const Cases& o) { return *this = *this | o; }
};

Cases cases_de(const Grid& g) { return Cases{cases_remplies(g)}; }

// The orbits of a symmetry: each orbit's cells, listed once, by its first
// cell in reading order.
struct Orbites {
  std::array<std::array<uint8_t, 4>, 81> cases{};
  std::array<Cases, 81> masques{};  // the same cells as a set
  std::array<uint8_t, 81> taille{};
  std::array<uint8_t, 81> premieres{};  // the first cell of each orbit
  int n = 0;
};

constexpr Orbites orbites(Symmetry s) {
  Orbites o;
  for (int c = 0; c < 81; ++c) {
    int premiere = c;
    for (int d = symmetric_cell(s, c); d != c; d = symmetric_cell(s, d)) {
      premiere = std::min(premiere, d);
    }
    if (premiere != c) {
      continue;
    }
    int t = 0;
    int d = c;
    do {
      o.cases[c][t++] = static_cast<uint8_t>(d);
      o.masques[c].set(static_cast<std::size_t>(d));
      d = symmetric_cell(s, d);
    } while (d != c);
    o.taille[c] = static_cast<uint8_t>(t);
    o.premieres[o.n++] = static_cast<uint8_t>(c);
  }
  return o;
}

// The cells that share a line, a column or a box with each cell, itself
// included.
constexpr std::array<Cases, 81> kVoisines = [] {
  std::array<Cases, 81> v{};
  for (std::size_t x = 0; x < 81; ++x) {
    for (std::size_t c = 0; c < 81; ++c) {
      if (c / 9 == x / 9 || c % 9 == x % 9 || (c / 27 == x / 27 && c % 9 / 3 == x % 9 / 3)) {
        v[x].set(c);
      }
    }
  }
  return v;
}();

constexpr std::array<Orbites, 6> kOrbites = [] {
  std::array<Orbites, 6> o{};
  for (std::size_t k = 0; k < kSymetries.size(); ++k) {
    o[k] = orbites(kSymetries[k]);
  }
  return o;
}();

// The number of digits in a set of them (bits 1 to 9): a table, since this
// file is built for any processor, where std::popcount is a call.
constexpr std::array<uint8_t, 1024> kCompte = [] {
  std::array<uint8_t, 1024> t{};
  for (std::size_t x = 1; x < t.size(); ++x) {
    t[x] = static_cast<uint8_t>(t[x & (x - 1)] + 1);
  }
  return t;
}();

// A complete grid at random: the three boxes of the diagonal filled freely
// (they share no unit), then the cell with the fewest digits left first, its
// digits in random order, backtracking on a dead end.
struct Remplissage {
  Grid& grille;
  Hasard& hasard;
  std::array<uint16_t, 27> pris{};  // digits present in each line, column, box

  static int boite(int c) { return 3 * (c / 27) + c % 9 / 3; }
  uint16_t libres(int c) const {
    return static_cast<uint16_t>(~(pris[c / 9] | pris[9 + c % 9] | pris[18 + boite(c)]) & 0x3FE);
  }
  void pose(int c, int d) {
    grille.cells[c] = d;
    const auto bit = static_cast<uint16_t>(1U << d);
    pris[c / 9] ^= bit;
    pris[9 + c % 9] ^= bit;
    pris[18 + boite(c)] ^= bit;
  }

  bool remplit() {
    int meilleure = -1;
    int moins = 10;
    for (int c = 0; c < 81; ++c) {
      if (grille.cells[c] == 0) {
        const int n = kCompte[libres(c)];
        if (n < moins) {
          moins = n;
          meilleure = c;
        }
      }
    }
    if (meilleure < 0) {
      return true;
    }
    uint16_t reste = libres(meilleure);
    while (reste != 0) {
      // One of the digits left, at random.
      int k = static_cast<int>(hasard.sous(kCompte[reste]));
      uint16_t r = reste;
      while (k-- > 0) {
        r &= static_cast<uint16_t>(r - 1);
      }
      const int d = std::countr_zero(r);
      reste &= static_cast<uint16_t>(~(1U << d));
      pose(meilleure, d);
      if (remplit()) {
        return true;
      }
      pose(meilleure, d);  // the exclusive or takes it back out
      grille.cells[meilleure] = 0;
    }
    return false;
  }

  void fait() {
    grille = Grid{};
    for (int b = 0; b < 3; ++b) {
      std::array<int, 9> chiffres{1, 2, 3, 4, 5, 6, 7, 8, 9};
      hasard.melange(chiffres, 9);
      for (int k = 0; k < 9; ++k) {
        pose(30 * b + 9 * (k / 3) + k % 3, chiffres[k]);
      }
    }
    remplit();
  }
};

// The solve of a puzzle by the forced placements, as the search reads it.
struct Essai {
  BilanVite bilan{};
  bool trouve = false;
  bool trop = false;  // not finished, and the dialogue says "trop de possibilite"
  int32_t niter() const { return bilan.niter; }
  // Not finished within the ten iterations, the last of them still placing.
  bool coupe() const { return !trouve && bilan.progres == 1; }
  // Not finished, an iteration having placed nothing.
  bool cale() const { return !trouve && bilan.progres == 0; }
};

Essai essai_de(const BilanVite& bilan) {
  Essai e;
  e.bilan = bilan;
  e.trouve = bilan.vides == 0;
  e.trop =
      !e.trouve && (bilan.drapeaux[0] == 1 || bilan.drapeaux[1] == 1 || bilan.drapeaux[2] == 1);
  return e;
}

// Whether `puzzle` holds; when it does not, `pour_de_bon` tells whether no
// puzzle with fewer givens can hold either.
bool tient(const Grid& puzzle, bool beyond, bool& pour_de_bon) {
  if (beyond) {
    Grid solution;
    pour_de_bon = true;
    return compter_solutions(puzzle, solution) == 1;
  }
  Grid g = puzzle;
  Resolution etat;
  resoudre_vite(g, etat);
  const bool trouve = etat.nremplies == 81;
  pour_de_bon = trouve || etat.progres == 0;
  return trouve;
}

int nombre(const Grid& puzzle) {
  return static_cast<int>(
      std::count_if(puzzle.cells.begin(), puzzle.cells.end(), [](int32_t v) { return v != 0; }));
}

class Atelier {
 public:
  Atelier(const Demand& demand, Hasard& hasard, Deadline deadline, const std::atomic<int>* stop)
      : demand_(demand), hasard_(hasard), deadline_(deadline), stop_(stop) {}

  bool fait(Made& made) {
    symetrie_ = demand_.symmetry;
    if (symetrie_ == Symmetry::random) {
      symetrie_ = kSymetries[hasard_.sous(kSymetries.size())];
    }
    orbites_ = &kOrbites[static_cast<std::size_t>(symetrie_)];
    garde_ = !demand_.beyond && demand_.iterations_min >= kRecherche;
    for (;;) {
      if (abandon()) {
        return false;
      }
      Remplissage{solution_, hasard_}.fait();
      prepare_solution(solution_, prete_);
      n_arrets_.fill(0);
      chiffres_.fill(Cases{});
      for (std::size_t c = 0; c < 81; ++c) {
        chiffres_[static_cast<std::size_t>(solution_.cells[c])].set(c);
      }
      Grid puzzle = solution_;
      std::array<uint8_t, 81> ordre = orbites_->premieres;
      hasard_.melange(ordre, orbites_->n);
      depouille(puzzle, ordre, orbites_->n, 32);
      if (demand_.minimal && !demand_.beyond) {
        acheve(puzzle);
      }
      Essai e = essaie(cases_de(puzzle));
      if (accepte(puzzle, e, made)) {
        return true;
      }
      if (!demand_.beyond && e.niter() < demand_.iterations_min &&
          demand_.iterations_min >= kRecherche && cherche(puzzle, e) && accepte(puzzle, e, made)) {
        return true;
      }
    }
  }

 private:
  // From this depth on, puzzles made at random are too rare: search.
  static constexpr int32_t kRecherche = 3;
  // Moves of the local search without a deeper puzzle before it restarts
  // from a new grid, and solves between looks at the clock (a millisecond or
  // two).
  static constexpr int kPatience = 3000;
  static constexpr uint64_t kEssaisParRegard = 1024;
  // A move puts back one to this many orbits (tried: 1 to 12; 5 reaches
  // depths 5 to 8 in the fewest solves, 8 about as well).
  static constexpr uint32_t kAjouts = 5;

  // Whether the forced placements surely stall on the puzzle of this
  // solution with the givens `donnees`, orbit `premiere` having just been
  // taken away: the givens lie among the cells that a stalled solve (of a
  // puzzle without that orbit) ended with, and the placements from there
  // reach no further than that solve did.
  bool calera(const Cases& donnees, int premiere) const {
    const auto p = static_cast<std::size_t>(premiere);
    const std::size_t n = std::min<std::size_t>(n_arrets_[p], kArrets);
    for (std::size_t k = 0; k < n; ++k) {
      if ((donnees & ~arrets_[p][k]).none()) {
        return true;
      }
    }
    return false;
  }
  // Keeps the cells that a stalled solve (`e`) of a puzzle without orbit
  // `premiere` ended with, in place of the oldest kept.
  void retient(const Essai& e, int premiere) {
    if (e.cale()) {
      const auto p = static_cast<std::size_t>(premiere);
      arrets_[p][n_arrets_[p]++ % kArrets] =
          Cases{{e.bilan.remplies[0], e.bilan.remplies[1], e.bilan.remplies[2]}};
    }
  }
  // The solve of the puzzle of this solution with the givens `donnees`.
  Essai essaie(const Cases& donnees) {
    ++essais_;
    BilanVite bilan;
    resoudre_parmi(prete_, donnees.bandes, bilan);
    return essai_de(bilan);
  }
  // The solve of the puzzle with the givens `donnees`, orbit `premiere`
  // having just been taken away; nothing, without a solve, when a kept
  // stalled solve shows that it stalls. With `garde_`, a solve that stalls
  // is kept in turn; without it, every puzzle is solved.
  std::optional<Essai> essaie_sauf_calage(const Cases& donnees, int premiere) {
    if (garde_ && calera(donnees, premiere)) {
      return std::nullopt;
    }
    const Essai e = essaie(donnees);
    if (garde_) {
      retient(e, premiere);
    }
    return e;
  }

  void retire(Grid& g, int premiere) const {
    for (int t = 0; t < orbites_->taille[premiere]; ++t) {
      g.cells[orbites_->cases[premiere][t]] = 0;
    }
  }
  void remet(Grid& g, int premiere) const {
    for (int t = 0; t < orbites_->taille[premiere]; ++t) {
      const int c = orbites_->cases[premiere][t];
      g.cells[c] = solution_.cells[c];
    }
  }

  // Takes away, from `puzzle`, the orbits ordre[0 .. n) that can go, in that
  // order, trying `bloc` at a time while they go together. Notes against
  // each orbit that stays the version of the puzzle it was tried on, or
  // kPourDeBon.
  void depouille(Grid& puzzle, const std::array<uint8_t, 81>& ordre, int n, int bloc) {
    essaye_.fill(0);
    ++version_;
    Cases donnees = cases_de(puzzle);
    int k = 0;
    while (k < n) {
      const int m = std::min(bloc, n - k);
      Grid essai = puzzle;
      Cases restees = donnees;
      for (int t = k; t < k + m; ++t) {
        retire(essai, ordre[t]);
        restees &= ~orbites_->masques[ordre[t]];
      }
      bool pour_de_bon = true;
      bool tenu = false;
      if (demand_.beyond) {
        ++essais_;
        tenu = tient(essai, true, pour_de_bon);
      } else {
        if (const auto e = essaie_sauf_calage(restees, ordre[k])) {
          tenu = e->trouve;
          pour_de_bon = !e->coupe();
        }
      }
      if (tenu) {
        puzzle = essai;
        donnees = restees;
        ++version_;
        k += m;
      } else if (m > 1) {
        bloc = m / 2;
      } else {
        essaye_[ordre[k]] = pour_de_bon ? kPourDeBon : version_;
        ++k;
      }
    }
  }

  // Tries each orbit left again until none can go: minimal for the method.
  void acheve(Grid& puzzle) {
    Cases donnees = cases_de(puzzle);
    for (bool encore = true; encore;) {
      encore = false;
      for (int k = 0; k < orbites_->n; ++k) {
        const int p = orbites_->premieres[k];
        if (puzzle.cells[p] == 0 || essaye_[p] == version_ || essaye_[p] == kPourDeBon) {
          continue;
        }
        const Cases restees = donnees & ~orbites_->masques[p];
        const auto e = essaie_sauf_calage(restees, p);
        if (!e) {
          essaye_[p] = kPourDeBon;
          continue;
        }
        if (e->trouve) {
          retire(puzzle, p);
          donnees = restees;
          ++version_;
          encore = true;
        } else {
          essaye_[p] = e->coupe() ? version_ : kPourDeBon;
        }
      }
    }
  }

  // How deep a solve goes, for choosing between removals: its depth, then
  // the phase its last placement came in, then the cells that its last
  // iteration placed; lowest of all when deeper than asked.
  int32_t profondeur(const Essai& e) const {
    const BilanVite& r = e.bilan;
    const int32_t b = r.niter;
    if (b > demand_.iterations_max) {
      return -1;
    }
    const int32_t phase = r.derniers[2] != 0 ? 3 : r.derniers[1] != 0 ? 2 : 1;
    return 10000 * b + 1000 * phase + r.derniers[0] + r.derniers[1] + r.derniers[2];
  }

  // A minimal puzzle and its solve, the one a move of the search starts from.
  struct Base {
    const Grid& puzzle;
    const Cases& donnees;  // its givens
    const Essai& essai;
  };

  // Takes givens away from `puzzle` (solved by the forced placements, its
  // givens `donnees`, kept up to date) while one of the orbits with a cell in
  // `parmi` (any orbit, without it) can go, the one leaving the deepest
  // puzzle first. Returns the solve of the puzzle left.
  //
  // `base`, when given, is a minimal puzzle whose givens `puzzle` holds,
  // with more. While the puzzle holds all of the base's givens, each of the
  // others can go (what is left still holds the base); so when none of the
  // base's givens can go, the reduction ends at the base itself. The base's
  // givens are tried first in each step, and the others only when one of
  // them can go: the outcome is the same, without the solves that would
  // only lead back to the base.
  Essai reduit(Grid& puzzle, Cases& donnees, const Cases* parmi, const Base* base = nullptr) {
    std::array<uint8_t, 81> restent{};
    int n = 0;
    for (int k = 0; k < orbites_->n; ++k) {
      const int p = orbites_->premieres[k];
      if (puzzle.cells[p] != 0 && (parmi == nullptr || (*parmi & orbites_->masques[p]).any())) {
        restent[n++] = static_cast<uint8_t>(p);
      }
    }
    hasard_.melange(restent, n);  // equal depths: the first tried goes
    const Cases de_base = base != nullptr ? base->donnees : Cases{};
    Essai dernier;
    bool retiree = false;
    for (;;) {
      enum : uint8_t { kPasEssayee, kReste, kPart };
      std::array<uint8_t, 81> issue{};  // of restent[k]
      int choisie = -1;
      int32_t meilleure = 0;
      auto essaye = [&](int k) {
        const int o = restent[k];
        issue[k] = kReste;  // needed for good, unless it goes
        const auto e = essaie_sauf_calage(donnees & ~orbites_->masques[o], o);
        if (!e || !e->trouve) {
          return;
        }
        issue[k] = kPart;
        const int32_t p = profondeur(*e);
        if (choisie < 0 || p > meilleure || (p == meilleure && k < choisie)) {
          meilleure = p;
          choisie = k;
          dernier = *e;
        }
      };
      if (base != nullptr && (de_base & ~donnees).none()) {
        bool une = false;
        for (int k = 0; k < n; ++k) {
          if (base->puzzle.cells[restent[k]] != 0) {
            essaye(k);
            une = une || issue[k] == kPart;
          }
        }
        if (!une) {
          puzzle = base->puzzle;
          donnees = base->donnees;
          return base->essai;
        }
      }
      for (int k = 0; k < n; ++k) {
        if (issue[k] == kPasEssayee) {
          essaye(k);
        }
      }
      if (choisie < 0) {
        break;
      }
      // Those that can go stay in their order, the last in place of the one
      // that goes.
      const int sortie = restent[choisie];
      int m = 0;
      int place = 0;
      for (int k = 0; k < n; ++k) {
        if (issue[k] == kPart) {
          if (k == choisie) {
            place = m;
          }
          restent[m++] = restent[k];
        }
      }
      retire(puzzle, sortie);
      donnees &= ~orbites_->masques[sortie];
      retiree = true;
      restent[place] = restent[--m];
      n = m;
    }
    return retiree ? dernier : essaie(donnees);
  }

  // Adds to `proches` the cells that share a unit or a digit with a cell of
  // orbit `premiere`.
  void marque_proches(int premiere, Cases& proches) const {
    for (int t = 0; t < orbites_->taille[premiere]; ++t) {
      const std::size_t x = orbites_->cases[premiere][t];
      proches |= kVoisines[x] | chiffres_[static_cast<std::size_t>(solution_.cells[x])];
    }
  }

  // The local search for depth, from `puzzle` (minimal, solved by
  // `courant`): a walk over puzzles at least as deep as the one before, each
  // move putting back one to kAjouts orbits of the solution and reducing
  // again. Ends with a puzzle deep enough (minimal when the demand says so)
  // and its solve in `courant`, or false after kPatience moves without a
  // deeper one.
  bool cherche(Grid& puzzle, Essai& courant) {
    int32_t actuelle = courant.niter();
    int32_t record = actuelle;
    std::array<uint8_t, 81> vides{};
    Cases donnees = cases_de(puzzle);
    for (int sans = 0; sans < kPatience; ++sans) {
      if (essais_ >= regard_) {
        regard_ = essais_ + kEssaisParRegard;
        if (abandon()) {
          return false;
        }
      }
      Grid essai = puzzle;
      Cases donnees_essai = donnees;
      int n_vides = 0;
      for (int k = 0; k < orbites_->n; ++k) {
        if (essai.cells[orbites_->premieres[k]] == 0) {
          vides[n_vides++] = orbites_->premieres[k];
        }
      }
      Cases proches;
      const int ajouts = 1 + static_cast<int>(hasard_.sous(kAjouts));
      for (int a = 0; a < ajouts && n_vides > 0; ++a) {
        const uint32_t k = hasard_.sous(static_cast<uint32_t>(n_vides));
        remet(essai, vides[k]);
        donnees_essai |= orbites_->masques[vides[k]];
        marque_proches(vides[k], proches);
        vides[k] = vides[--n_vides];
      }
      const Base base{puzzle, donnees, courant};
      const Essai e = reduit(essai, donnees_essai, &proches, &base);
      const int32_t b = e.niter();
      if (b > demand_.iterations_max) {
        continue;
      }
      if (b > record) {
        record = b;
        sans = 0;
      }
      if (b < actuelle) {
        continue;
      }
      actuelle = b;
      puzzle = essai;
      donnees = donnees_essai;
      courant = e;
      if (b >= demand_.iterations_min) {
        if (!demand_.minimal) {
          return true;
        }
        Grid reduite = puzzle;
        Cases donnees_reduite = donnees;
        const Essai r = reduit(reduite, donnees_reduite, nullptr);
        if (r.niter() <= demand_.iterations_max) {
          puzzle = reduite;
          courant = r;
          return true;
        }
      }
    }
    return false;
  }

  // The final checks of a puzzle, solved by `e`, against the demand; fills
  // `made`.
  bool accepte(const Grid& puzzle, const Essai& e, Made& made) {
    const int givens = nombre(puzzle);
    if (givens < demand_.givens_min || givens > demand_.givens_max) {
      return false;
    }
    if (demand_.beyond ? !e.trop
                       : (!e.trouve || e.niter() < demand_.iterations_min ||
                          e.niter() > demand_.iterations_max)) {
      return false;
    }
    Grid seule;
    ++essais_;
    if (compter_solutions(puzzle, seule) != 1 || !(seule == solution_)) {
      return false;
    }
    made.puzzle = puzzle;
    made.solution = solution_;
    made.symmetry = symetrie_;
    made.givens = givens;
    made.iterations = e.niter();
    made.solves = essais_;
    return true;
  }

  // Whether the time is up or the run was asked to stop.
  bool abandon() const {
    return (stop_ != nullptr && stop_->load(std::memory_order_relaxed) != 0) ||
           std::chrono::steady_clock::now() >= deadline_;
  }

  const Demand& demand_;
  Hasard& hasard_;
  Deadline deadline_;
  const std::atomic<int>* stop_;
  Symmetry symetrie_ = Symmetry::none;
  const Orbites* orbites_ = nullptr;
  Grid solution_{};
  SolutionVite prete_;  // the same, for the fast engine
  // The version of the puzzle each orbit was last found needed in, or
  // kPourDeBon; reset by each pass of `depouille`.
  static constexpr uint64_t kPourDeBon = UINT64_MAX;
  uint64_t version_ = 0;
  std::array<uint64_t, 81> essaye_{};
  // For each orbit, the cells that the last kArrets stalled solves of
  // puzzles without it ended with (this solution's puzzles), the oldest
  // replaced first.
  static constexpr std::size_t kArrets = 16;
  std::array<std::array<Cases, kArrets>, 81> arrets_{};
  std::array<uint32_t, 81> n_arrets_{};
  std::array<Cases, 10> chiffres_{};  // the cells of each digit in the solution
  // Whether stalled solves are kept and used: only when a search may follow
  // (the search itself runs only then), which gains by them; the random
  // reduction alone does not.
  bool garde_ = false;
  uint64_t essais_ = 0;  // solves and counts so far
  uint64_t regard_ = 0;  // the solve count at which the clock is next looked at
};

}  // namespace

const char* symmetry_name(Symmetry s) {
  switch (s) {
    case Symmetry::none:
      return "none";
    case Symmetry::rotate180:
      return "rotate180";
    case Symmetry::rotate90:
      return "rotate90";
    case Symmetry::mirror:
      return "mirror";
    case Symmetry::flip:
      return "flip";
    case Symmetry::diagonal:
      return "diagonal";
    case Symmetry::random:
      break;
  }
  return "random";
}

bool symmetry_named(std::string_view name, Symmetry& s) {
  for (const Symmetry t :
       {Symmetry::none, Symmetry::rotate180, Symmetry::rotate90, Symmetry::mirror, Symmetry::flip,
        Symmetry::diagonal, Symmetry::random}) {
    if (name == symmetry_name(t)) {
      s = t;
      return true;
    }
  }
  return false;
}

bool minimal(const Grid& puzzle, bool beyond, Symmetry symmetry) {
  for (int c = 0; c < 81; ++c) {
    if (puzzle.cells[c] != 0) {
      Grid essai = puzzle;
      for (int d = c; essai.cells[d] != 0; d = symmetric_cell(symmetry, d)) {
        essai.cells[d] = 0;
      }
      bool pour_de_bon = false;
      if (tient(essai, beyond, pour_de_bon)) {
        return false;
      }
    }
  }
  return true;
}

bool generate(const Demand& demand, uint64_t seed, uint64_t index, Deadline deadline, Made& made,
              const std::atomic<int>* stop) {
  // Each puzzle's own sequence, from the run's seed and its index: the
  // index mixed into the seed's hash and mixed again, so that no two (seed,
  // index) pairs met in practice share a sequence (hashing the two alike
  // and combining them gave seed 1's third puzzle to seed 2 as its second,
  // and one and the same puzzle wherever the index equalled the seed).
  Hasard melangeur{seed};
  Hasard hasard{Hasard{melangeur.suivant() ^ index}.suivant()};
  Atelier atelier(demand, hasard, deadline, stop);
  return atelier.fait(made);
}

}  // namespace batch
