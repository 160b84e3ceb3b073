// Time of one solve for a few representative grids: the empty grid (one
// iteration of single passes), a typical puzzle, the two long-solve grids that
// run all ten iterations, and the collection puzzle that costs the most work.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "solver/solver.h"
#include "solver/solver_testing.h"

namespace {

// Line n (1-based) of a file of the data folder, or "" when it is missing.
std::string data_line(const char* file, size_t n) {
  const auto lines = solver_testing::read_lines(solver_testing::data_dir() / file);
  return n <= lines.size() ? lines[n - 1] : std::string();
}

void solve(benchmark::State& state, const Grid& start) {
  Resolution etat;
  for (auto _ : state) {
    Grid g = start;
    resoudre(g, etat);
    benchmark::DoNotOptimize(g);
    benchmark::DoNotOptimize(etat);
  }
}

void solve_data(benchmark::State& state, const char* file, size_t n) {
  const std::string line = data_line(file, n);
  if (line.empty()) {
    state.SkipWithError("puzzle collections not found");
    return;
  }
  const bool csv = line.find(',') != std::string::npos;
  solve(state, csv ? solver_testing::grid_from_csv(line) : solver_testing::grid_from_text(line));
}

void BM_EmptyGrid(benchmark::State& state) { solve(state, Grid{}); }
BENCHMARK(BM_EmptyGrid);

// First puzzle of easy50: solved in one iteration.
void BM_TypicalPuzzle(benchmark::State& state) { solve_data(state, "easy50.txt", 1); }
BENCHMARK(BM_TypicalPuzzle);

void BM_LongSolve1(benchmark::State& state) { solve_data(state, "long_solves.csv", 1); }
BENCHMARK(BM_LongSolve1);

void BM_LongSolve2(benchmark::State& state) { solve_data(state, "long_solves.csv", 2); }
BENCHMARK(BM_LongSolve2);

// The puzzle of all the collections whose solve makes the most placement
// tests (about 19,700): a 17-clue puzzle solved in five iterations.
void BM_SlowestPuzzle(benchmark::State& state) { solve_data(state, "sudoku17.txt", 5489); }
BENCHMARK(BM_SlowestPuzzle);

}  // namespace
