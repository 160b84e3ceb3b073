// The cost of a made puzzle by depth: `generate` with --jobs 1's demand for
// one depth (minimal, no symmetry), puzzles 0, 1, 2... of seed 1, a fixed
// number of them per depth. Besides the time, each benchmark reports the
// solves spent per puzzle (by the fast engine, and the few counts), which
// the load of a shared machine does not change: the measure to compare
// search methods by. Depths 9 and 10 take minutes; they run only when the
// environment has SUDOKU_BENCH_DEEP set.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "batch/generate.h"

namespace {

void make(benchmark::State& state, int depth) {
  batch::Demand demand;
  demand.iterations_min = depth;
  demand.iterations_max = depth;
  uint64_t index = 0;
  uint64_t solves = 0;
  for (auto _ : state) {
    batch::Made made;
    if (!batch::generate(demand, 1, index++, batch::Deadline::max(), made)) {
      state.SkipWithError("no puzzle made");
      return;
    }
    solves += made.solves;
    benchmark::DoNotOptimize(made);
  }
  state.counters["puzzles"] =
      benchmark::Counter(static_cast<double>(index), benchmark::Counter::kIsRate);
  state.counters["solves_per_puzzle"] =
      benchmark::Counter(static_cast<double>(solves) / static_cast<double>(index));
}

// Puzzles per depth: about a second or two each on one core.
constexpr int kPuzzles[] = {0, 2000, 2000, 2000, 1000, 300, 100, 20, 5, 3, 1};

const bool kRegistered = [] {
  const int deepest = std::getenv("SUDOKU_BENCH_DEEP") != nullptr ? 10 : 8;
  for (int depth = 1; depth <= deepest; ++depth) {
    benchmark::RegisterBenchmark(("BM_Generate/depth:" + std::to_string(depth)).c_str(), make,
                                 depth)
        ->Iterations(kPuzzles[depth])
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace
