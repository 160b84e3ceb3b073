// The solution counter, in every version this processor can run, against the
// reference counter and the known counts of every collection; and the search
// for repeated givens.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "solver/compteur.h"
#include "solver/rapide.h"
#include "solver/solver_testing.h"

// The engine once more, built here (its portable version) with its search
// nodes counted: a branching choice gone wrong still counts right, only on
// far larger trees.
namespace {
int64_t noeuds = 0;
}  // namespace
#define COMPTEUR_NOEUD() (++noeuds)
#include "solver/compteur_moteur.h"
#undef COMPTEUR_NOEUD

namespace {

using solver_testing::grid_from_text;

// A complete valid grid: line j, column i holds (3 * (j % 3) + j / 3 + i) % 9 + 1
// (0-based i, j), the usual shifted pattern.
Grid grille_pleine() {
  Grid g;
  for (int j = 0; j < 9; ++j) {
    for (int i = 0; i < 9; ++i) {
      g.cells[9 * j + i] = (3 * (j % 3) + j / 3 + i) % 9 + 1;
    }
  }
  return g;
}

// Every counter with the contract of `compter_solutions`: the one it runs,
// each version this processor can run, the reference, and the one run on
// the grid the forced placements leave (which sudoku-batch counts).
struct Compteur {
  std::string nom;
  std::function<int32_t(const Grid&, Grid&)> compter;
};
std::vector<Compteur> compteurs() {
  std::vector<Compteur> tous{{"compter_solutions", compter_solutions},
                             {"reference", compter_solutions_reference},
                             {"after the forced placements", [](const Grid& g, Grid& s) {
                                Grid placee = g;
                                Resolution etat;
                                resoudre_vite(placee, etat);
                                return compter_solutions(placee, s);
                              }}};
  for (const Chemin c : {Chemin::portable, Chemin::avx2, Chemin::avx512}) {
    if (chemin_possible(c)) {
      tous.push_back(
          {nom_chemin(c), [c](const Grid& g, Grid& s) { return compter_solutions_par(c, g, s); }});
    }
  }
  return tous;
}

// Reference counter, written apart from the library: plain backtracking on
// the empty cell where the fewest digits fit, up to two solutions. Givens
// that repeat a digit give 0.
int32_t compte_reference(Grid& g, Grid& premiere) {
  std::array<int, 27> pris{};  // digits in each line, column and box, as bits
  auto unites = [](int c) {
    return std::array<int, 3>{c / 9, 9 + c % 9, 18 + 3 * (c / 27) + c % 9 / 3};
  };
  for (int c = 0; c < 81; ++c) {
    if (g.cells[c] != 0) {
      for (const int u : unites(c)) {
        if ((pris[u] & (1 << g.cells[c])) != 0) {
          return 0;
        }
        pris[u] |= 1 << g.cells[c];
      }
    }
  }
  int meilleure = -1;
  int libres = 0;
  for (int c = 0, moins = 10; c < 81; ++c) {
    if (g.cells[c] == 0) {
      const auto u = unites(c);
      const int possibles = ~(pris[u[0]] | pris[u[1]] | pris[u[2]]) & 0x3FE;
      if (std::popcount(static_cast<unsigned>(possibles)) < moins) {
        moins = std::popcount(static_cast<unsigned>(possibles));
        meilleure = c;
        libres = possibles;
      }
    }
  }
  if (meilleure < 0) {
    premiere = g;
    return 1;
  }
  int32_t n = 0;
  for (int32_t d = 1; d <= 9 && n < 2; ++d) {
    if ((libres & (1 << d)) != 0) {
      g.cells[meilleure] = d;
      Grid trouvee;
      const int32_t k = compte_reference(g, trouvee);
      if (n == 0 && k > 0) {
        premiere = trouvee;
      }
      n += k;
      g.cells[meilleure] = 0;
    }
  }
  return n < 2 ? n : 2;
}

// `compter_solutions` runs the widest version this processor can run.
TEST(Compter, RunsTheWidestPossibleVersion) {
  const Chemin choisi = chemin_choisi();
  std::cout << "solution counter version: " << nom_chemin(choisi) << "\n";
  EXPECT_TRUE(chemin_possible(Chemin::portable));
  EXPECT_TRUE(chemin_possible(choisi));
  for (const Chemin c : {Chemin::portable, Chemin::avx2, Chemin::avx512}) {
    if (static_cast<int>(c) > static_cast<int>(choisi)) {
      EXPECT_FALSE(chemin_possible(c)) << nom_chemin(c);
    }
  }
  if (chemin_possible(Chemin::avx512)) {
    EXPECT_TRUE(chemin_possible(Chemin::avx2));
  }
}

TEST(Compter, EveryCollectionHasItsKnownCount) {
  const auto dir = solver_testing::data_dir();
  // Expected count per file (2 meaning two or more); files with exactly one
  // solution must match their .solutions file line by line.
  const std::map<std::string, int32_t> attendu{
      {"own_easy50.txt", 1},         {"top95.txt", 1},
      {"hardest_norvig11.txt", 1},   {"sudoku17.txt", 1},
      {"tdoku_unique18.txt", 1},     {"own_invalid7.txt", 0},
      {"tdoku_nosolution10.txt", 0}, {"tdoku_multisolution15.txt", 2},
  };
  const std::vector<Compteur> tous = compteurs();
  for (const auto& [nom, compte] : attendu) {
    const auto puzzles = solver_testing::read_lines(dir / nom);
    ASSERT_FALSE(puzzles.empty()) << dir / nom;
    const auto solutions = solver_testing::read_lines(
        std::filesystem::path(dir / nom).replace_extension(".solutions"));
    const bool avec_solutions = !solutions.empty();
    if (avec_solutions) {
      ASSERT_EQ(solutions.size(), puzzles.size()) << nom;
    }
    for (const Compteur& c : tous) {
      for (size_t n = 0; n < puzzles.size(); ++n) {
        SCOPED_TRACE(testing::Message() << c.nom << ", " << nom << " line " << n + 1);
        Grid solution;
        ASSERT_EQ(c.compter(grid_from_text(puzzles[n]), solution), compte);
        if (avec_solutions) {
          ASSERT_EQ(solution, grid_from_text(solutions[n]));
        }
      }
    }
  }
}

// The search trees on the hard collections, nodes per puzzle, stay near what
// the branching choice gives (the trees are the same for every version).
TEST(Compter, SearchTreesStaySmall) {
  const struct {
    const char* nom;
    double au_plus;  // about 5 % above the trees measured
  } cas[] = {
      {"top95.txt", 17.8},
      {"tdoku_unique18.txt", 130.0},
      {"tdoku_nosolution10.txt", 262.0},
      {"hardest_norvig11.txt", 14.8},
  };
  for (const auto& c : cas) {
    const auto puzzles = solver_testing::read_lines(solver_testing::data_dir() / c.nom);
    ASSERT_FALSE(puzzles.empty()) << c.nom;
    noeuds = 0;
    for (const auto& ligne : puzzles) {
      Grid solution;
      moteur::compter(grid_from_text(ligne), solution);
    }
    EXPECT_LE(static_cast<double>(noeuds) / static_cast<double>(puzzles.size()), c.au_plus)
        << c.nom;
  }
}

// Puzzles one step from a collection's, which random grids rarely are: a
// 17-clue puzzle less one given has two or more solutions (no puzzle with 16
// givens has one); a unique puzzle with a wrong digit added, one that repeats
// nothing, has none (a solution would also solve the original, whose only
// solution holds another digit there); with the right digit added it keeps
// its solution.
TEST(Compter, PuzzlesOneStepFromTheCollections) {
  const auto dir = solver_testing::data_dir();
  struct Collection {
    const char* nom;
    size_t combien;
    bool minimale;  // every puzzle has 17 givens
  };
  const Collection collections[] = {{"sudoku17", 40, true},
                                    {"top95", 95, false},
                                    {"tdoku_unique18", 18, false},
                                    {"hardest_norvig11", 11, false}};
  const std::vector<Compteur> tous = compteurs();
  for (const Collection& col : collections) {
    const auto puzzles = solver_testing::read_lines(dir / (std::string(col.nom) + ".txt"));
    ASSERT_GE(puzzles.size(), col.combien) << dir / col.nom;
    auto solutions = solver_testing::read_lines(dir / (std::string(col.nom) + ".solutions"));
    if (solutions.empty()) {  // sudoku17 has none: the reference gives them
      for (size_t n = 0; n < col.combien; ++n) {
        Grid s;
        ASSERT_EQ(compter_solutions_reference(grid_from_text(puzzles[n]), s), 1);
        solutions.push_back(std::string(81, '0'));
        for (int c = 0; c < 81; ++c) {
          solutions.back()[c] = static_cast<char>('0' + s.cells[c]);
        }
      }
    }
    for (size_t n = 0; n < col.combien; ++n) {
      const Grid puzzle = grid_from_text(puzzles[n]);
      const Grid solution = grid_from_text(solutions[n]);
      const int vide = static_cast<int>(std::find(puzzle.cells.begin(), puzzle.cells.end(), 0) -
                                        puzzle.cells.begin());
      Grid moins = puzzle;  // the first given removed
      *std::find_if(moins.cells.begin(), moins.cells.end(), [](int32_t v) { return v != 0; }) = 0;
      Grid juste = puzzle;
      juste.cells[vide] = solution.cells[vide];
      Grid faux = puzzle;  // the first digit that repeats nothing, other than the solution's
      for (int32_t d = 1; d <= 9 && faux.cells[vide] == 0; ++d) {
        faux.cells[vide] = d;
        Doublon ignore;
        if (d == solution.cells[vide] || doublon(faux, ignore)) {
          faux.cells[vide] = 0;
        }
      }
      struct Cas {
        const char* quoi;
        const Grid& grille;
        int32_t compte;
      };
      std::vector<Cas> cas{{"right digit added", juste, 1}};
      if (faux.cells[vide] != 0) {
        cas.push_back({"wrong digit added", faux, 0});
      }
      if (col.minimale) {
        cas.push_back({"one given removed", moins, 2});
      }
      for (const Compteur& k : tous) {
        for (const Cas& c : cas) {
          SCOPED_TRACE(testing::Message()
                       << k.nom << ", " << col.nom << " line " << n + 1 << ", " << c.quoi);
          Grid trouvee;
          ASSERT_EQ(k.compter(c.grille, trouvee), c.compte);
          if (c.compte == 1) {
            ASSERT_EQ(trouvee, solution);
          }
        }
      }
    }
  }
}

// Against the reference on grids made from known solutions: a random part of
// the cells kept (30 to 55 per cent, so many grids have several
// solutions), and in one grid of three a kept cell changed to a random digit,
// which often leaves none.
TEST(Compter, AgreesWithBacktrackingOnPartialGrids) {
  std::vector<std::string> solutions;
  for (const char* nom : {"top95.solutions", "own_easy50.solutions", "tdoku_unique18.solutions"}) {
    const auto lignes = solver_testing::read_lines(solver_testing::data_dir() / nom);
    ASSERT_FALSE(lignes.empty()) << solver_testing::data_dir() / nom;
    solutions.insert(solutions.end(), lignes.begin(), lignes.end());
  }
  const std::vector<Compteur> tous = compteurs();
  std::mt19937 hasard(11);
  std::array<int, 3> vus{};
  for (int essai = 0; essai < 1000; ++essai) {
    const Grid pleine = grid_from_text(solutions[essai % solutions.size()]);
    std::uniform_int_distribution<int> part(30, 55);
    std::uniform_int_distribution<int> cent(0, 99);
    const int garder = part(hasard);
    Grid g;
    for (int c = 0; c < 81; ++c) {
      g.cells[c] = cent(hasard) < garder ? pleine.cells[c] : 0;
    }
    if (essai % 3 == 0) {
      const int c = std::uniform_int_distribution<int>(0, 80)(hasard);
      g.cells[c] = std::uniform_int_distribution<int>(1, 9)(hasard);
    }
    Grid attendue;
    Grid copie = g;
    const int32_t compte = compte_reference(copie, attendue);
    for (const Compteur& c : tous) {
      SCOPED_TRACE(testing::Message() << c.nom << ", grid " << essai);
      Grid solution;
      ASSERT_EQ(c.compter(g, solution), compte);
      if (compte == 1) {
        ASSERT_EQ(solution, attendue);
      }
    }
    ++vus[compte];
  }
  // The grids reach every answer, each many times.
  for (const int n : vus) {
    EXPECT_GT(n, 100);
  }
}

TEST(Compter, SmallCases) {
  const Grid pleine = grille_pleine();
  Grid trou = pleine;
  trou.cells[40] = 0;
  Grid invalide = pleine;
  std::swap(invalide.cells[0], invalide.cells[1]);  // line 1 and box 1 stay right, columns not
  Grid hors = Grid{};
  hors.cells[5] = 10;
  Grid negatif = Grid{};
  negatif.cells[80] = -3;
  // Box 1 holds 3 to 9 but in its first two cells, and column 2 holds 1
  // and 2 lower down: the box scan forces both 1 and 2 into its first cell.
  const Grid deux_en_une = solver_testing::grid_from_text(
      "..3......"
      "456......"
      "789......"
      ".1......."
      ".2......." +
      std::string(36, '.'));
  Grid derniere = pleine;
  derniere.cells[80] = 0;
  Grid latin;  // every line and column holds each digit once, the boxes do not
  for (int c = 0; c < 81; ++c) {
    latin.cells[c] = (c / 9 + c % 9) % 9 + 1;
  }
  Grid pleine_hors = pleine;
  pleine_hors.cells[80] = 10;
  // An empty grid with these values in these cells.
  const auto avec = [](std::initializer_list<std::pair<int, int32_t>> valeurs) {
    Grid g;
    for (const auto& [c, v] : valeurs) {
      g.cells[c] = v;
    }
    return g;
  };
  struct Cas {
    const char* nom;
    Grid grille;
    int32_t compte;
  };
  const std::vector<Cas> cas{
      {"empty grid", Grid{}, 2},
      {"full valid grid", pleine, 1},
      {"full grid with two cells swapped", invalide, 0},
      {"one empty cell", trou, 1},
      {"cell holding 10", hors, 0},
      {"cell holding -3", negatif, 0},
      {"two digits forced into one cell", deux_en_une, 0},
      {"last cell empty", derniere, 1},
      {"full grid whose boxes repeat digits", latin, 0},
      {"full grid but the last cell holding 10", pleine_hors, 0},
      {"a digit twice in a line, two boxes apart", avec({{0, 5}, {8, 5}}), 0},
      {"a digit twice in a box, on two lines and columns", avec({{0, 5}, {10, 5}}), 0},
      {"a digit twice in a column, in the first and last bands", avec({{4, 5}, {76, 5}}), 0},
      {"a digit twice in a column, within one band", avec({{31, 7}, {49, 7}}), 0},
      {"a digit twice, no unit shared", avec({{0, 5}, {13, 5}, {80, 5}}), 2},
      {"last cell holding the largest value", avec({{80, INT32_MAX}}), 0},
      {"first cell holding the smallest value", avec({{0, INT32_MIN}}), 0},
  };
  for (const Compteur& k : compteurs()) {
    for (const Cas& c : cas) {
      SCOPED_TRACE(testing::Message() << k.nom << ", " << c.nom);
      Grid solution;
      ASSERT_EQ(k.compter(c.grille, solution), c.compte);
      if (c.compte == 1) {
        EXPECT_EQ(solution, pleine);
      }
    }
  }
}

TEST(Compter, RepeatedGivensAreNamed) {
  struct Cas {
    const char* nom;
    std::vector<std::array<int, 3>> poses;  // i, j, digit
    bool trouve;
    Doublon attendu;
  };
  // A box repeat that shares no line or column; a column repeat in two
  // boxes; a line repeat; a box repeat found before a line repeat met
  // earlier in reading order; values that are not digits never repeat.
  const std::vector<Cas> cas{
      {"box", {{4, 4, 7}, {6, 5, 7}}, true, {Phase::carres, 5, 7}},
      {"column", {{2, 1, 3}, {2, 9, 3}}, true, {Phase::colonnes, 2, 3}},
      {"line", {{1, 8, 9}, {9, 8, 9}}, true, {Phase::lignes, 8, 9}},
      {"boxes before lines",
       {{1, 1, 5}, {9, 1, 5}, {7, 9, 2}, {8, 8, 2}},
       true,
       {Phase::carres, 9, 2}},
      {"not digits", {{1, 1, 10}, {2, 1, 10}, {3, 1, -1}, {4, 1, -1}}, false, {}},
      {"no repeat", {{1, 1, 1}, {2, 2, 2}, {5, 5, 1}}, false, {}},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    Grid g;
    for (const auto& [i, j, d] : c.poses) {
      g(i, j) = d;
    }
    Doublon d{Phase::lignes, 0, 0};
    ASSERT_EQ(doublon(g, d), c.trouve);
    if (c.trouve) {
      EXPECT_EQ(d.unite, c.attendu.unite);
      EXPECT_EQ(d.numero, c.attendu.numero);
      EXPECT_EQ(d.chiffre, c.attendu.chiffre);
      for (const Compteur& k : compteurs()) {
        Grid solution;
        EXPECT_EQ(k.compter(g, solution), 0) << k.nom;
      }
    }
  }
}

}  // namespace
