// Made puzzles checked apart from the code that made them: the dialogue's
// literal `resoudre` for the verdict and the depth, the counter for one
// solution, each given (with its symmetric partners) taken away in turn for
// minimality, the pattern for symmetry.
#include "batch/generate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "solver/rapide.h"

namespace batch {
namespace {

constexpr Deadline kNever = Deadline::max();

Resolution literal(const Grid& puzzle) {
  Grid g = puzzle;
  Resolution etat;
  resoudre(g, etat);
  return etat;
}

bool finished(const Grid& puzzle) { return literal(puzzle).nremplies == 81; }

int nombre_de_cases(const Grid& puzzle) {
  int n = 0;
  for (const int32_t v : puzzle.cells) {
    n += v != 0 ? 1 : 0;
  }
  return n;
}

bool one_solution(const Grid& puzzle) {
  Grid solution;
  return compter_solutions(puzzle, solution) == 1;
}

// Every given, with the cells the symmetry maps it to, found needed.
void expect_minimal(const Made& m, bool beyond) {
  for (int c = 0; c < 81; ++c) {
    if (m.puzzle.cells[c] == 0) {
      continue;
    }
    Grid less = m.puzzle;
    for (int d = c; less.cells[d] != 0; d = symmetric_cell(m.symmetry, d)) {
      less.cells[d] = 0;
    }
    EXPECT_FALSE(beyond ? one_solution(less) : finished(less)) << "cell " << c << " can go";
  }
}

struct Case {
  const char* name;
  Demand demand;
  int puzzles;
};

TEST(Generate, EveryPuzzleMeetsItsDemand) {
  auto with = [](auto change) {
    Demand d;
    change(d);
    return d;
  };
  const std::vector<Case> cases{
      {"default", Demand{}, 30},
      {"depth 1", with([](Demand& d) { d.iterations_min = d.iterations_max = 1; }), 10},
      {"depth 3", with([](Demand& d) { d.iterations_min = d.iterations_max = 3; }), 10},
      {"depth 4-5", with([](Demand& d) { d.iterations_min = 4, d.iterations_max = 5; }), 5},
      {"depth 6", with([](Demand& d) { d.iterations_min = d.iterations_max = 6; }), 2},
      {"depth 4, rotate180", with([](Demand& d) {
         d.iterations_min = d.iterations_max = 4;
         d.symmetry = Symmetry::rotate180;
       }),
       2},
      {"depth 3-4, mirror, not minimal", with([](Demand& d) {
         d.iterations_min = 3, d.iterations_max = 4;
         d.symmetry = Symmetry::mirror;
         d.minimal = false;
       }),
       3},
      {"givens 26-30", with([](Demand& d) { d.givens_min = 26, d.givens_max = 30; }), 10},
      {"not minimal", with([](Demand& d) { d.minimal = false; }), 10},
      {"rotate180", with([](Demand& d) { d.symmetry = Symmetry::rotate180; }), 10},
      {"rotate90", with([](Demand& d) { d.symmetry = Symmetry::rotate90; }), 10},
      {"mirror", with([](Demand& d) { d.symmetry = Symmetry::mirror; }), 10},
      {"flip", with([](Demand& d) { d.symmetry = Symmetry::flip; }), 10},
      {"diagonal", with([](Demand& d) { d.symmetry = Symmetry::diagonal; }), 10},
      {"random", with([](Demand& d) { d.symmetry = Symmetry::random; }), 10},
      {"beyond", with([](Demand& d) { d.beyond = true; }), 5},
      {"beyond rotate180", with([](Demand& d) {
         d.beyond = true;
         d.symmetry = Symmetry::rotate180;
       }),
       3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int index = 0; index < c.puzzles; ++index) {
      SCOPED_TRACE("puzzle " + std::to_string(index));
      Made m;
      ASSERT_TRUE(generate(c.demand, 2026, static_cast<uint64_t>(index), kNever, m));
      const Resolution etat = literal(m.puzzle);
      int givens = 0;
      for (int k = 0; k < 81; ++k) {
        if (m.puzzle.cells[k] != 0) {
          ++givens;
          EXPECT_EQ(m.puzzle.cells[k], m.solution.cells[k]) << "cell " << k;
        }
        const int partner = symmetric_cell(m.symmetry, k);
        EXPECT_EQ(m.puzzle.cells[k] != 0, m.puzzle.cells[partner] != 0) << k << " " << partner;
      }
      EXPECT_EQ(givens, m.givens);
      EXPECT_GE(givens, c.demand.givens_min);
      EXPECT_LE(givens, c.demand.givens_max);
      Grid solution;
      EXPECT_EQ(compter_solutions(m.puzzle, solution), 1);
      EXPECT_EQ(solution, m.solution);
      if (c.demand.symmetry != Symmetry::random) {
        EXPECT_EQ(m.symmetry, c.demand.symmetry);
      }
      if (c.demand.beyond) {
        // Not finished, and the dialogue says "trop de possibilite".
        EXPECT_LT(etat.nremplies, 81);
        EXPECT_TRUE(etat.posscarre == 1 || etat.posscol == 1 || etat.posslign == 1);
      } else {
        EXPECT_EQ(etat.nremplies, 81);
        EXPECT_EQ(etat.niter, m.iterations);
        EXPECT_GE(etat.niter, c.demand.iterations_min);
        EXPECT_LE(etat.niter, c.demand.iterations_max);
      }
      if (c.demand.minimal) {
        expect_minimal(m, c.demand.beyond);
      }
    }
  }
}

TEST(Generate, SameSeedAndIndexSamePuzzle) {
  Demand any;
  any.symmetry = Symmetry::random;
  Demand deep;  // made by the search
  deep.iterations_min = deep.iterations_max = 4;
  for (const Demand& d : {any, deep}) {
    SCOPED_TRACE(d.iterations_min);
    Made a;
    Made b;
    Made other;
    ASSERT_TRUE(generate(d, 5, 17, kNever, a));
    ASSERT_TRUE(generate(d, 5, 16, kNever, other));  // another puzzle in between
    ASSERT_TRUE(generate(d, 5, 17, kNever, b));
    EXPECT_EQ(a.puzzle, b.puzzle);
    EXPECT_EQ(a.symmetry, b.symmetry);
    EXPECT_NE(a.puzzle, other.puzzle);
    ASSERT_TRUE(generate(d, 6, 17, kNever, other));
    EXPECT_NE(a.puzzle, other.puzzle);
  }
  // Other seeds, other puzzles, whatever the index.
  struct Pair {
    uint64_t seed_a, index_a, seed_b, index_b;
  };
  for (const Pair& p : std::vector<Pair>{{1, 2, 2, 1}, {3, 3, 4, 4}, {0, 5, 5, 0}}) {
    SCOPED_TRACE(std::to_string(p.seed_a) + ":" + std::to_string(p.index_a) + " " +
                 std::to_string(p.seed_b) + ":" + std::to_string(p.index_b));
    Made a;
    Made b;
    ASSERT_TRUE(generate(any, p.seed_a, p.index_a, kNever, a));
    ASSERT_TRUE(generate(any, p.seed_b, p.index_b, kNever, b));
    EXPECT_NE(a.puzzle, b.puzzle);
  }
}

TEST(Generate, PassedDeadlineFails) {
  Made m;
  EXPECT_FALSE(generate(Demand{}, 1, 0, Deadline::min(), m));
  Demand ten;
  ten.iterations_min = 10;
  EXPECT_FALSE(
      generate(ten, 1, 0, std::chrono::steady_clock::now() + std::chrono::milliseconds(50), m));
}

// The search relies on this: taking givens away (all from one solution)
// never lets the literal solve finish where it did not, nor finish in fewer
// iterations. Checked along chains of removals in random order, from made
// puzzles with some of their solution's digits put back.
TEST(Generate, FewerGivensNeverFinishEarlier) {
  uint64_t state = 7;
  auto next = [&state](int n) {
    state = state * 6364136223846793005U + 1442695040888963407U;
    return static_cast<int>((state >> 33) % static_cast<uint64_t>(n));
  };
  for (int index = 0; index < 20; ++index) {
    Made m;
    ASSERT_TRUE(generate(Demand{}, 11, static_cast<uint64_t>(index), kNever, m));
    Grid puzzle = m.puzzle;
    for (int c = 0; c < 81; ++c) {
      if (puzzle.cells[c] == 0 && next(3) == 0) {
        puzzle.cells[c] = m.solution.cells[c];
      }
    }
    Resolution before = literal(puzzle);
    for (int left = nombre_de_cases(puzzle); left > 0; --left) {
      int k = next(left);
      int c = 0;
      for (; puzzle.cells[c] == 0 || k-- > 0; ++c) {
      }
      puzzle.cells[c] = 0;
      const Resolution after = literal(puzzle);
      if (after.nremplies == 81) {
        SCOPED_TRACE("puzzle " + std::to_string(index) + ", " + std::to_string(left) + " givens");
        ASSERT_EQ(before.nremplies, 81);
        ASSERT_GE(after.niter, before.niter);
      }
      before = after;
    }
  }
}

// The search skips a solve when the puzzle's givens lie among the cells
// that a stalled solve ended with. Checked from made puzzles: a given taken
// away stalls the literal solve, ending with cells C; that puzzle with any of
// C's other cells added (their digits from the solution) never finishes, and
// when its solve stalls, it ends with C exactly.
TEST(Generate, GivensWithinAStalledSolveStallThere) {
  uint64_t state = 5;
  auto next = [&state](int n) {
    state = state * 6364136223846793005U + 1442695040888963407U;
    return static_cast<int>((state >> 33) % static_cast<uint64_t>(n));
  };
  auto filled = [](const Grid& g) {
    std::vector<bool> f(81);
    for (int c = 0; c < 81; ++c) {
      f[c] = g.cells[c] != 0;
    }
    return f;
  };
  int stalls = 0;
  for (int index = 0; index < 6; ++index) {
    Made m;
    ASSERT_TRUE(generate(Demand{}, 13, static_cast<uint64_t>(index), kNever, m));
    for (int given = 0; given < 81; ++given) {
      if (m.puzzle.cells[given] == 0) {
        continue;
      }
      Grid less = m.puzzle;
      less.cells[given] = 0;
      Grid ended = less;
      Resolution etat;
      resoudre(ended, etat);
      ASSERT_LT(etat.nremplies, 81);  // made puzzles are minimal
      if (etat.progres != 0) {
        continue;  // cut short by the iteration cap, not stalled
      }
      ++stalls;
      const std::vector<bool> c = filled(ended);
      for (int trial = 0; trial < 3; ++trial) {
        SCOPED_TRACE("puzzle " + std::to_string(index) + ", cell " + std::to_string(given));
        Grid more = less;
        for (int k = 0; k < 81; ++k) {
          if (c[k] && more.cells[k] == 0 && next(trial + 2) == 0) {
            more.cells[k] = m.solution.cells[k];
          }
        }
        Grid g = more;
        Resolution e;
        resoudre(g, e);
        ASSERT_LT(e.nremplies, 81);
        const std::vector<bool> f = filled(g);
        for (int k = 0; k < 81; ++k) {
          ASSERT_TRUE(!f[k] || c[k]) << "cell " << k << " filled beyond the stalled solve";
        }
        if (e.progres == 0) {
          ASSERT_EQ(f, c);
        }
      }
    }
  }
  EXPECT_GT(stalls, 50);
}

TEST(Generate, SymmetriesMapCellsAsNamed) {
  struct Row {
    const char* name;
    int from;
    int to;
  };
  // Cell 1 is the top line's second cell; 8 its last; 72 the bottom left.
  for (const Row& r : std::vector<Row>{{"none", 1, 1},
                                       {"rotate180", 1, 79},
                                       {"rotate90", 1, 17},
                                       {"rotate90", 8, 80},
                                       {"mirror", 1, 7},
                                       {"flip", 1, 73},
                                       {"diagonal", 1, 9},
                                       {"diagonal", 72, 8}}) {
    SCOPED_TRACE(std::string(r.name) + " " + std::to_string(r.from));
    Symmetry s{};
    ASSERT_TRUE(symmetry_named(r.name, s));
    EXPECT_STREQ(symmetry_name(s), r.name);
    EXPECT_EQ(symmetric_cell(s, r.from), r.to);
  }
  Symmetry s{};
  EXPECT_FALSE(symmetry_named("spiral", s));
}

}  // namespace
}  // namespace batch
