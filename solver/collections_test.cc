// Every puzzle of the *.txt collections through the solver.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "solver/solver.h"
#include "solver/solver_testing.h"

namespace {

bool valid_sudoku(const Grid& g) {
  for (int32_t u = 1; u <= 9; ++u) {
    std::set<int32_t> column, line, box;
    const int32_t i0 = 1 + 3 * ((u - 1) % 3);
    const int32_t j0 = 1 + 3 * ((u - 1) / 3);
    for (int32_t k = 1; k <= 9; ++k) {
      column.insert(g(u, k));
      line.insert(g(k, u));
      box.insert(g(i0 + (k - 1) % 3, j0 + (k - 1) / 3));
    }
    const std::set<int32_t> digits{1, 2, 3, 4, 5, 6, 7, 8, 9};
    if (column != digits || line != digits || box != digits) {
      return false;
    }
  }
  return true;
}

// The whole 17-clue collection (49,151 puzzles) takes minutes in a debug or
// sanitizer build, so collections that large are sampled: every kStride-th
// puzzle (1,229 of them), always the same ones.
constexpr size_t kSampleAbove = 10000;
constexpr size_t kStride = 40;

TEST(Collections, EveryPuzzleSolvesSoundly) {
  const auto dir = solver_testing::data_dir();
  if (!std::filesystem::is_directory(dir)) {
    FAIL() << "no puzzle collections at " << dir << " (SUDOKU_DATA_DIR)";
  }
  // Forced placements are sound for any puzzle that has a solution: each
  // placed digit sits in its cell in every solution, so no two placements
  // ever name one cell and the counts add up to the cells filled.
  const std::set<std::string> unsolvable{"own_invalid7.txt", "tdoku_nosolution10.txt"};
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() != ".txt") {
      continue;
    }
    ++files;
    const std::string name = entry.path().filename().string();
    const bool solvable = unsolvable.count(name) == 0;
    const auto puzzles = solver_testing::read_lines(entry.path());
    const size_t stride = puzzles.size() > kSampleAbove ? kStride : 1;
    auto solutions_file = entry.path();
    const auto solutions =
        solver_testing::read_lines(solutions_file.replace_extension(".solutions"));
    for (size_t n = 0; n < puzzles.size(); n += stride) {
      SCOPED_TRACE(testing::Message() << name << " line " << n + 1);
      const Grid start = solver_testing::grid_from_text(puzzles[n]);
      Grid g = start;
      Resolution etat;
      resoudre(g, etat);
      int32_t givens = 0;
      int32_t filled = 0;
      for (size_t k = 0; k < 81; ++k) {
        givens += start.cells[k] != 0 ? 1 : 0;
        filled += g.cells[k] != 0 ? 1 : 0;
        if (start.cells[k] != 0) {
          ASSERT_EQ(g.cells[k], start.cells[k]) << "given changed at " << k;
        }
      }
      ASSERT_GE(etat.niter, 1);
      ASSERT_LE(etat.niter, 10);
      ASSERT_EQ(etat.nremplies, filled);
      if (etat.nremplies == 81) {
        ASSERT_TRUE(valid_sudoku(g));
      }
      if (n < solutions.size()) {
        const Grid solution = solver_testing::grid_from_text(solutions[n]);
        for (size_t k = 0; k < 81; ++k) {
          if (g.cells[k] != 0) {
            ASSERT_EQ(g.cells[k], solution.cells[k]) << "cell " << k;
          }
        }
      }
      if (solvable) {
        int32_t placed = 0;
        for (int32_t b = 1; b <= 10; ++b) {
          placed += etat.ncarres[b] + etat.ncolonnes[b] + etat.nlignes[b];
        }
        ASSERT_EQ(placed, filled - givens);
      }
    }
  }
  EXPECT_GT(files, 0);
}

}  // namespace
