// Time per puzzle of the solution counter, including the proof that there is
// no second solution: the first 5,000 17-clue puzzles, as given and as the
// forced placements (`resoudre_vite`, untimed) leave them, which is what
// `--count` counts; the hard top95 set and tdoku's unique-solution puzzles.
// Each set runs through `compter_solutions` (the label names the version it
// chose here, and the row gives the search nodes per puzzle), through each
// version this processor can run, and through the reference counter.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

// The engine once more, here, built like this file (the portable version),
// counting the nodes of its searches: the same trees as every version's,
// and a figure that the machine's load does not move.
namespace {
int64_t noeuds = 0;
}  // namespace
#define COMPTEUR_NOEUD() (++noeuds)
#include "solver/compteur_moteur.h"
#undef COMPTEUR_NOEUD

#include "solver/compteur.h"
#include "solver/rapide.h"
#include "solver/solver_testing.h"

namespace {

using Counter = int32_t (*)(const Grid&, Grid&);

void count_file(benchmark::State& state, const char* file, size_t limit, bool forced,
                Counter count) {
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
    if (forced) {
      Resolution etat;
      resoudre_vite(puzzles.back(), etat);
    }
  }
  if (count == compter_solutions) {
    // Search nodes per puzzle, counted once outside the timed loop.
    noeuds = 0;
    for (const Grid& g : puzzles) {
      Grid solution;
      moteur::compter(g, solution);
    }
    state.counters["nodes"] = static_cast<double>(noeuds) / static_cast<double>(puzzles.size());
  }
  int64_t total = 0;
  for (auto _ : state) {
    for (const Grid& g : puzzles) {
      Grid solution;
      total += count(g, solution);
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

struct Set {
  const char* name;
  const char* file;
  size_t limit;
  bool forced;  // counted after the forced placements
};
constexpr Set kSets[] = {{"Sudoku17First5000", "sudoku17.txt", 5000, false},
                         {"Sudoku17First5000Forced", "sudoku17.txt", 5000, true},
                         {"Top95", "top95.txt", 95, false},
                         {"TdokuUnique18", "tdoku_unique18.txt", 18, false}};

int32_t par_portable(const Grid& g, Grid& s) {
  return compter_solutions_par(Chemin::portable, g, s);
}
int32_t par_avx2(const Grid& g, Grid& s) { return compter_solutions_par(Chemin::avx2, g, s); }
int32_t par_avx512(const Grid& g, Grid& s) { return compter_solutions_par(Chemin::avx512, g, s); }

// BM_Count<set> (compter_solutions), BM_Count<set>_<version>, BM_Count<set>_Reference.
const bool kRegistered = [] {
  const struct {
    const char* suffix;
    Counter count;
    bool possible;
  } counters[] = {
      {"", compter_solutions, true},
      {"_portable", par_portable, chemin_possible(Chemin::portable)},
      {"_avx2", par_avx2, chemin_possible(Chemin::avx2)},
      {"_avx512", par_avx512, chemin_possible(Chemin::avx512)},
      {"_Reference", compter_solutions_reference, true},
  };
  for (const Set& set : kSets) {
    for (const auto& c : counters) {
      if (!c.possible) {
        continue;
      }
      const std::string name = std::string("BM_Count") + set.name + c.suffix;
      const Counter count = c.count;
      auto* b = benchmark::RegisterBenchmark(name.c_str(), [set, count](benchmark::State& state) {
        if (count == compter_solutions) {
          state.SetLabel(std::string("version ") + nom_chemin(chemin_choisi()));
        }
        count_file(state, set.file, set.limit, set.forced, count);
      });
      b->Unit(benchmark::kMicrosecond);
    }
  }
  return true;
}();

}  // namespace
