#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "solver/solver.h"
#include "solver/solver_testing.h"

namespace {

using solver_testing::grid_from_csv;
using solver_testing::grid_from_text;
using solver_testing::model_solve;

static_assert(std::is_same_v<decltype(Resolution::nvides), float>);

const std::string kSolutionA =
    "483921657967345821251876493548132976729564138136798245372689514814253769695417382";
const std::string kSolutionB =
    "523816749784593126691472835239145687457268913168937254342789561915624378876351492";

// A Resolution left dirty by an earlier solve: the solve must reset it.
Resolution dirty_state() {
  Resolution etat;
  etat.ncarres.fill(7);
  etat.ncolonnes.fill(7);
  etat.nlignes.fill(7);
  etat.ncarres[0] = etat.ncolonnes[0] = etat.nlignes[0] = 0;  // unused entry
  etat.nremplies = -1;
  etat.nvides = -1.0F;
  etat.progres = 0;
  etat.niter = 99;
  etat.posscarre = etat.posscol = etat.posslign = 5;
  return etat;
}

int32_t total(const Resolution& etat) {
  int32_t sum = 0;
  for (int32_t b = 1; b <= 10; ++b) {
    sum += etat.ncarres[b] + etat.ncolonnes[b] + etat.nlignes[b];
  }
  return sum;
}

void expect_matches_model(const Grid& start) {
  Grid g = start;
  Resolution etat = dirty_state();
  resoudre(g, etat);
  const solver_testing::Model m = model_solve(start);
  EXPECT_EQ(g.cells, m.cells);
  EXPECT_EQ(etat.niter, m.niter);
  EXPECT_EQ(etat.nremplies, m.nremplies);
  EXPECT_EQ(etat.nvides, static_cast<float>(81 - m.nremplies));
  for (int32_t b = 1; b <= 10; ++b) {
    SCOPED_TRACE(b);
    EXPECT_EQ(etat.ncarres[b], m.counts[b][0]);
    EXPECT_EQ(etat.ncolonnes[b], m.counts[b][1]);
    EXPECT_EQ(etat.nlignes[b], m.counts[b][2]);
  }
  EXPECT_EQ((std::array{etat.posscarre, etat.posscol, etat.posslign}), m.flags);
}

// Grids made from a solution with some cells emptied. The rectangles hold two
// digits that can swap, so no unit has a single for them; the flags then show
// whether the last box, column and line scanned still had an empty cell.
TEST(Resoudre, OutcomesOfSmallGrids) {
  using Cells = std::vector<std::pair<int32_t, int32_t>>;
  const Cells far_rectangle{{1, 2}, {3, 2}, {1, 5}, {3, 5}};
  Cells far_plus_one = far_rectangle;
  far_plus_one.emplace_back(9, 9);
  const Cells near_rectangle{{7, 6}, {9, 6}, {7, 9}, {9, 9}};
  struct Case {
    int line;
    std::string solution;  // empty: the empty grid
    Cells emptied;
    int32_t niter;
    int32_t ncarres1;
    std::array<int32_t, 3> flags;
    int32_t nremplies;
  };
  const Case cases[] = {
      // empty grid: every digit has nine cells everywhere, nothing is placed
      {__LINE__, "", {}, 1, 0, {1, 1, 1}, 0},
      // full grid: iteration 1 still runs
      {__LINE__, kSolutionA, {}, 1, 0, {0, 0, 0}, 81},
      // one empty cell: box (4,4) fills it, the grid is full, no iteration 2
      {__LINE__, kSolutionA, {{5, 5}}, 1, 1, {0, 0, 0}, 81},
      // nothing forced; box (7,7), column 9 and line 9 are full
      {__LINE__, kSolutionA, far_rectangle, 1, 0, {0, 0, 0}, 77},
      // (9,9) is forced in iteration 1; iteration 2 finds nothing and stops
      {__LINE__, kSolutionA, far_plus_one, 2, 1, {0, 0, 0}, 77},
      // nothing forced; the last units scanned hold the rectangle
      {__LINE__, kSolutionB, near_rectangle, 1, 0, {1, 1, 1}, 77},
  };
  Resolution etat = dirty_state();  // reused: each solve resets it
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Grid g = grid_from_text(c.solution);
    for (const auto& [i, j] : c.emptied) {
      g(i, j) = 0;
    }
    resoudre(g, etat);
    IterationTable ncarres{};
    ncarres[1] = c.ncarres1;
    EXPECT_EQ(etat.niter, c.niter);
    EXPECT_EQ(etat.ncarres, ncarres);
    EXPECT_EQ(etat.ncolonnes, IterationTable{});
    EXPECT_EQ(etat.nlignes, IterationTable{});
    EXPECT_EQ((std::array{etat.posscarre, etat.posscol, etat.posslign}), c.flags);
    EXPECT_EQ(etat.nremplies, c.nremplies);
    EXPECT_EQ(etat.nvides, static_cast<float>(81 - c.nremplies));
    // progres stays 1 only when the last iteration run placed something
    EXPECT_EQ(etat.progres, c.ncarres1 != 0 && c.niter == 1 ? 1 : 0);
    if (c.nremplies == 81) {
      EXPECT_EQ(g, grid_from_text(c.solution));
    }
  }
}

// Line 1 lacks 1 and 2, both held by column 2, so the first box scan writes 1
// then 2 into (1, 1); the second pass finds 3..9 all single in (2, 1). Every
// other cell holds 10, which is occupied but no digit.
TEST(Resoudre, TwoDigitsForOneCellAreBothWrittenAndCounted) {
  Grid g;
  g.cells.fill(10);
  g(1, 1) = 0;
  g(2, 1) = 0;
  g(2, 5) = 1;
  g(2, 8) = 2;
  const Grid start = g;
  Resolution etat;
  resoudre(g, etat);
  EXPECT_EQ(g(1, 1), 2);
  EXPECT_EQ(g(2, 1), 9);
  EXPECT_EQ(etat.ncarres[1], 9);
  EXPECT_EQ(total(etat), 9);
  EXPECT_EQ(etat.nremplies, 81);
  EXPECT_EQ(etat.niter, 1);
  EXPECT_EQ(etat.progres, 1);
  EXPECT_EQ((std::array{etat.posscarre, etat.posscol, etat.posslign}), (std::array{0, 0, 0}));
  expect_matches_model(start);
}

TEST(Resoudre, LongSolvesReachTheIterationCap) {
  const auto lines = solver_testing::read_lines(solver_testing::data_dir() / "long_solves.csv");
  ASSERT_EQ(lines.size(), 2U) << solver_testing::data_dir() / "long_solves.csv";
  struct Case {
    int32_t nremplies;
    bool tenth_places;
  };
  const Case cases[] = {{77, false}, {76, true}};
  for (size_t n = 0; n < 2; ++n) {
    SCOPED_TRACE(n + 1);
    Grid g = grid_from_csv(lines[n]);
    const Grid start = g;
    Resolution etat;
    resoudre(g, etat);
    EXPECT_EQ(etat.niter, 10);
    EXPECT_EQ(etat.nremplies, cases[n].nremplies);
    const int32_t tenth = etat.ncarres[10] + etat.ncolonnes[10] + etat.nlignes[10];
    EXPECT_EQ(tenth != 0, cases[n].tenth_places);
    EXPECT_EQ(etat.progres, cases[n].tenth_places ? 1 : 0);
    expect_matches_model(start);
  }
}

// The model agrees on every grid of the smaller collections and a fixed
// sample of the 17-clue puzzles, counters and flags included.
TEST(Resoudre, AgreesWithReferenceModel) {
  const auto dir = solver_testing::data_dir();
  std::vector<std::string> puzzles;
  for (const char* name :
       {"own_easy50.txt", "top95.txt", "hardest_norvig11.txt", "own_invalid7.txt",
        "tdoku_unique18.txt", "tdoku_nosolution10.txt", "tdoku_multisolution15.txt"}) {
    const auto lines = solver_testing::read_lines(dir / name);
    ASSERT_FALSE(lines.empty()) << dir / name;
    puzzles.insert(puzzles.end(), lines.begin(), lines.end());
  }
  const auto seventeen = solver_testing::read_lines(dir / "sudoku17.txt");
  ASSERT_FALSE(seventeen.empty()) << dir / "sudoku17.txt";
  for (size_t n = 0; n < seventeen.size(); n += 1000) {
    puzzles.push_back(seventeen[n]);
  }
  for (const std::string& p : puzzles) {
    SCOPED_TRACE(p);
    expect_matches_model(grid_from_text(p));
    if (HasFailure()) {
      return;
    }
  }
}

}  // namespace
