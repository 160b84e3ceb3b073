// The fast engine against the literal one: every collection, both long
// solves, and a short table of grids no collection holds.
#include "solver/rapide.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <filesystem>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "solver/compteur.h"
#include "solver/rapide_versions.h"
#include "solver/solver.h"
#include "solver/solver_testing.h"

namespace {

using solver_testing::grid_from_csv;
using solver_testing::grid_from_text;

// Debug and sanitizer builds run the literal engine at about a millisecond a
// grid, so they take every kStride-th puzzle of the 17-clue collection, and
// there compare with the journalled literal engine only.
#ifdef NDEBUG
constexpr size_t kStride = 1;
#else
constexpr size_t kStride = 16;
#endif

// A state left behind by some earlier solve: both engines must reset it.
Resolution dirty_state() {
  Resolution etat;
  etat.ncarres.fill(7);
  etat.ncolonnes.fill(-3);
  etat.nlignes.fill(7);
  etat.ncarres[0] = etat.ncolonnes[0] = etat.nlignes[0] = 0;
  etat.nremplies = -1;
  etat.nvides = -1.0F;
  etat.progres = 0;
  etat.niter = 99;
  etat.posscarre = etat.posscol = etat.posslign = 5;
  return etat;
}

void expect_same_state(const Resolution& a, const Resolution& b) {
  EXPECT_EQ(a.ncarres, b.ncarres);
  EXPECT_EQ(a.ncolonnes, b.ncolonnes);
  EXPECT_EQ(a.nlignes, b.nlignes);
  EXPECT_EQ(a.nremplies, b.nremplies);
  EXPECT_EQ(a.nvides, b.nvides);
  EXPECT_EQ(a.progres, b.progres);
  EXPECT_EQ(a.niter, b.niter);
  EXPECT_EQ(a.posscarre, b.posscarre);
  EXPECT_EQ(a.posscol, b.posscol);
  EXPECT_EQ(a.posslign, b.posslign);
}

// The journal replayed on the start grid gives the final grid, and its
// entries per iteration and phase add up to the counts.
void expect_journal_consistent(const Grid& start, const Grid& end, const Resolution& etat,
                               const Journal& journal) {
  Grid g = start;
  std::array<std::array<int32_t, 3>, 11> counts{};
  for (int32_t k = 0; k < journal.n; ++k) {
    const Placement& p = journal.placements[k];
    ASSERT_TRUE(p.iteration >= 1 && p.iteration <= etat.niter && p.chiffre >= 1 && p.chiffre <= 9 &&
                p.i >= 1 && p.i <= 9 && p.j >= 1 && p.j <= 9);
    g(p.i, p.j) = p.chiffre;
    ++counts[p.iteration][static_cast<int>(p.phase)];
  }
  EXPECT_EQ(g, end);
  for (int32_t b = 1; b <= 10; ++b) {
    SCOPED_TRACE(b);
    EXPECT_EQ(counts[b][0], etat.ncarres[b]);
    EXPECT_EQ(counts[b][1], etat.ncolonnes[b]);
    EXPECT_EQ(counts[b][2], etat.nlignes[b]);
  }
}

// Both engines on one grid: the same grid, state and placements. The
// reference is the literal engine with its journal; `resoudre` itself, the
// same code without one, is run too unless `seul_journal`.
void expect_same(const Grid& start, bool seul_journal = false) {
  Grid lent = start;
  Resolution etat_lent = dirty_state();
  Journal attendu;
  resoudre_journal(lent, etat_lent, attendu);
  if (!seul_journal) {
    Grid g = start;
    Resolution etat = dirty_state();
    resoudre(g, etat);
    EXPECT_EQ(g, lent);
    expect_same_state(etat, etat_lent);
  }

  Grid vite = start;
  Resolution etat_vite = dirty_state();
  Journal journal;
  journal.n = 3;  // left over: the engine clears it
  resoudre_vite(vite, etat_vite, &journal);
  EXPECT_EQ(vite, lent);
  expect_same_state(etat_vite, etat_lent);
  ASSERT_EQ(journal.n, attendu.n);
  for (int32_t k = 0; k < journal.n; ++k) {
    EXPECT_EQ(journal.placements[k], attendu.placements[k]) << "placement " << k;
  }
  expect_journal_consistent(start, vite, etat_vite, journal);

  // Without a journal: the same outcome.
  Grid sans = start;
  Resolution etat_sans = dirty_state();
  resoudre_vite(sans, etat_sans);
  EXPECT_EQ(sans, lent);
  expect_same_state(etat_sans, etat_lent);

  // Every version this processor can run, the one chosen included.
  for (const Chemin chemin : {Chemin::portable, Chemin::avx2, Chemin::avx512}) {
    if (!chemin_possible(chemin)) {
      continue;
    }
    SCOPED_TRACE(nom_chemin(chemin));
    Grid g = start;
    Resolution etat = dirty_state();
    resoudre_vite_par(chemin, g, etat);  // without a journal: the AVX versions' rounds
    EXPECT_EQ(g, lent);
    expect_same_state(etat, etat_lent);
    g = start;
    etat = dirty_state();
    resoudre_vite_par(chemin, g, etat, &journal);
    EXPECT_EQ(g, lent);
    expect_same_state(etat, etat_lent);
    ASSERT_EQ(journal.n, attendu.n);
    for (int32_t k = 0; k < journal.n; ++k) {
      EXPECT_EQ(journal.placements[k], attendu.placements[k]) << "placement " << k;
    }
  }
}

TEST(Rapide, AgreesWithLiteralEngineOnEveryCollection) {
  const auto dir = solver_testing::data_dir();
  if (!std::filesystem::is_directory(dir)) {
    FAIL() << "no puzzle collections at " << dir << " (SUDOKU_DATA_DIR)";
  }
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() == ".txt") {
      files.push_back(entry.path());
    }
  }
  ASSERT_FALSE(files.empty());
  for (const auto& file : files) {
    const auto lines = solver_testing::read_lines(file);
    const size_t stride = lines.size() > 10000 ? kStride : 1;
    for (size_t n = 0; n < lines.size(); n += stride) {
      SCOPED_TRACE(file.filename().string() + ":" + std::to_string(n + 1));
      expect_same(grid_from_text(lines[n]), stride > 1);
      if (HasFailure()) {
        return;
      }
    }
  }
  const auto longues = solver_testing::read_lines(dir / "long_solves.csv");
  ASSERT_EQ(longues.size(), 2U);
  for (const std::string& line : longues) {
    SCOPED_TRACE(line);
    expect_same(grid_from_csv(line));
  }
}

const std::string kSolution =
    "483921657967345821251876493548132976729564138136798245372689514814253769695417382";

// The solution with 52 cells emptied: the solve runs three iterations, every
// phase places digits, and it stops with 54 cells filled.
Grid holed() {
  Grid g = grid_from_text(kSolution);
  for (int c = 0; c < 81; ++c) {
    if (5 * c % 11 < 7) {
      g.cells[c] = 0;
    }
  }
  return g;
}

TEST(Rapide, AgreesOnGridsNoCollectionHolds) {
  struct Case {
    std::string what;
    Grid grid;
  };
  std::vector<Case> cases{{"empty grid", Grid{}},
                          {"full grid", grid_from_text(kSolution)},
                          {"holed solution", holed()}};
  // Occupied cells that equal no digit, alone and in numbers.
  // 261 and 65536 hold 5 and 0 in their low bits.
  for (const int32_t v : {10, -7, INT_MIN, INT_MAX, 261, 65536}) {
    Grid g = holed();
    g(5, 5) = v;
    g(1, 9) = v;
    cases.push_back({"two cells hold " + std::to_string(v), g});
    Grid h = holed();
    for (int c = 0; c < 81; c += 7) {
      h.cells[c] = h.cells[c] == 0 ? v : 0;
    }
    cases.push_back({"many cells hold " + std::to_string(v), h});
  }
  // Two digits of one box scan name (1, 1): 1 is written there, then 2
  // replaces it. 1 is then nowhere in column 1, so (1, 4), the last empty
  // cell of the next box scanned, may take it among its singles.
  Grid deux;
  deux.cells.fill(10);
  deux(1, 1) = 0;
  deux(2, 1) = 0;
  deux(1, 4) = 0;
  deux(2, 8) = 1;
  deux(2, 5) = 2;
  {
    // Box (1, 1) places 1 and 2 in (1, 1); box (1, 4) then places 1 and 3..9
    // in (1, 4); the second pass 3..9 in (2, 1).
    Grid g = deux;
    Resolution etat;
    resoudre_vite(g, etat);
    EXPECT_EQ(g(1, 1), 2);
    EXPECT_EQ(g(1, 4), 9);
    EXPECT_EQ(g(2, 1), 9);
    EXPECT_EQ(etat.ncarres[1], 17);
  }
  cases.push_back({"two digits for one cell", deux});
  {
    Grid g = holed();
    Resolution etat;
    resoudre_vite(g, etat);
    ASSERT_EQ(etat.niter, 3);
    ASSERT_EQ(etat.nremplies, 54);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    expect_same(c.grid);
  }
}

// Digits 0..9 only, most of them from one solution and a few anywhere:
// grids whose solve writes a digit twice into a unit or two digits into one
// cell, or leaves a digit no cell in a unit, as well as sound ones. The
// AVX2 and AVX-512 versions check their rounds against such grids and must
// hand them back to the scans.
TEST(Rapide, AgreesOnGridsWithStrayDigits) {
  std::mt19937 hasard(2026);
  std::uniform_int_distribution<int> centieme(0, 99);
  std::uniform_int_distribution<int> chiffre(1, 9);
  const Grid solution = grid_from_text(kSolution);
  for (int k = 0; k < 600; ++k) {
    const int vides = 50 + k % 25;  // percent of empty cells
    const int egares = k % 3;       // percent of digits anywhere
    Grid g;
    for (int c = 0; c < 81; ++c) {
      const int t = centieme(hasard);
      g.cells[c] = t < vides ? 0 : t < vides + egares ? chiffre(hasard) : solution.cells[c];
    }
    SCOPED_TRACE("grid " + std::to_string(k));
    expect_same(g);
    if (HasFailure()) {
      return;
    }
  }
}

// Puzzles of a known complete grid (`resoudre_parmi`): what the literal
// engine gives for the grid holding the solution's digits at the givens,
// from every version. The puzzles are those met while taking the givens away
// one at a time, in random orders, as long as the forced placements finish:
// the kind a puzzle maker solves (about a fifth of them need ten rounds in
// some phase and are solved again pass by pass). "Solutions" that are not
// valid grids are solved as grids, on givens drawn at random.
TEST(Rapide, SolvesPuzzlesOfAKnownGrid) {
  const Grid solution = grid_from_text(kSolution);
  Grid repetee = solution;  // a digit twice in line 1 and in its box
  repetee(2, 1) = repetee(1, 1);
  Grid trouee = solution;
  trouee(9, 9) = 0;
  Grid hors = solution;
  hors(5, 5) = 10;
  struct Cas {
    std::string what;
    Grid grille;
    bool valide;
  };
  const std::vector<Cas> cas{{"solution", solution, true},
                             {"digit twice", repetee, false},
                             {"empty cell", trouee, false},
                             {"value 10", hors, false}};
  std::mt19937 hasard(7);
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.what);
    SolutionVite prete;
    prepare_solution(c.grille, prete);
    EXPECT_EQ(prete.valide, c.valide);
    // The solve of the puzzle `bandes`, checked; whether it finishes.
    auto verifie = [&](const Bandes& bandes) {
      Grid g = grille_des_donnees(c.grille, bandes);
      Resolution etat;
      resoudre(g, etat);
      const auto b = static_cast<std::size_t>(etat.niter);
      const Bandes remplies = cases_remplies(g);
      for (const Chemin chemin : {Chemin::portable, Chemin::avx2, Chemin::avx512}) {
        if (!chemin_possible(chemin)) {
          continue;
        }
        SCOPED_TRACE(nom_chemin(chemin));
        BilanVite bilan{};
        resoudre_parmi_par(chemin, prete, bandes, bilan);
        EXPECT_EQ(bilan.niter, etat.niter);
        EXPECT_EQ(bilan.vides, 81 - etat.nremplies);
        EXPECT_EQ(bilan.progres, etat.progres);
        EXPECT_EQ(bilan.derniers[0], etat.ncarres[b]);
        EXPECT_EQ(bilan.derniers[1], etat.ncolonnes[b]);
        EXPECT_EQ(bilan.derniers[2], etat.nlignes[b]);
        EXPECT_EQ(bilan.drapeaux[0], etat.posscarre);
        EXPECT_EQ(bilan.drapeaux[1], etat.posscol);
        EXPECT_EQ(bilan.drapeaux[2], etat.posslign);
        EXPECT_EQ(Bandes({bilan.remplies[0], bilan.remplies[1], bilan.remplies[2]}), remplies);
      }
      BilanVite choisi{};
      resoudre_parmi(prete, bandes, choisi);
      EXPECT_EQ(choisi.niter, etat.niter);
      EXPECT_EQ(choisi.vides, 81 - etat.nremplies);
      return etat.nremplies == 81;
    };
    if (c.valide) {
      for (int tour = 0; tour < 5 && !HasFailure(); ++tour) {
        std::array<std::size_t, 81> ordre{};
        std::iota(ordre.begin(), ordre.end(), 0);
        std::shuffle(ordre.begin(), ordre.end(), hasard);
        constexpr uint32_t kBande = (1U << 27) - 1;
        Bandes bandes{kBande, kBande, kBande};
        for (const std::size_t x : ordre) {
          Bandes sans = bandes;
          sans[x / 27] &= ~(1U << (x % 27));
          SCOPED_TRACE("round " + std::to_string(tour) + ", cell " + std::to_string(x));
          if (verifie(sans)) {
            bandes = sans;
          }
        }
      }
    } else {
      std::uniform_int_distribution<uint32_t> mot(0, (1U << 27) - 1);
      for (int k = 0; k < 40 && !HasFailure(); ++k) {
        SCOPED_TRACE("puzzle " + std::to_string(k));
        verifie(Bandes{mot(hasard), mot(hasard), mot(hasard)});
      }
    }
  }
}

}  // namespace
