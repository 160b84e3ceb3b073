// Time per puzzle of the solution counter, including the proof that there is
// no second solution: the first 5,000 17-clue puzzles, and the hard top95 set.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "solver/rapide.h"
#include "solver/solver_testing.h"

namespace {

void count_file(benchmark::State& state, const char* file, size_t limit) {
  auto lines = solver_testing::read_lines(solver_testing::data_dir() / file);
  if (lines.empty()) {
    state.SkipWithError("puzzle collections not found");
    return;
  }
  if (lines.size() > limit) {
    lines.resize(limit);
  }
  std::vector<Grid> puzzles;
  puzzles.reserve(lines.size());
  for (const auto& line : lines) {
    puzzles.push_back(solver_testing::grid_from_text(line));
  }
  int64_t total = 0;
  for (auto _ : state) {
    for (const Grid& g : puzzles) {
      Grid solution;
      total += compter_solutions(g, solution);
      benchmark::DoNotOptimize(solution);
    }
  }
  benchmark::DoNotOptimize(total);
  // Reported as time per puzzle and puzzles per second.
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(puzzles.size()));
  state.counters["per_puzzle"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * static_cast<double>(puzzles.size()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_CountSudoku17First5000(benchmark::State& state) { count_file(state, "sudoku17.txt", 5000); }
BENCHMARK(BM_CountSudoku17First5000)->Unit(benchmark::kMillisecond);

void BM_CountTop95(benchmark::State& state) { count_file(state, "top95.txt", 95); }
BENCHMARK(BM_CountTop95)->Unit(benchmark::kMillisecond);

}  // namespace
