// Time of one solve for a few representative grids: the empty grid (one
// iteration of single passes), a typical puzzle, the two long-solve grids that
// run all ten iterations, and the collection puzzle that costs the most work.
// Each grid is solved by the dialogue's engine `resoudre` (BM_NAME) and by the
// fast engine `resoudre_vite` (BM_NAME_Vite); the Sudoku17 benchmarks solve the
// whole 17-clue collection per iteration, so their ratio is the per-puzzle
// speed-up over that file. BM_PuzzlesOfAGrid solves the puzzles a puzzle
// maker meets, as grids (`resoudre_vite`) and as givens of a known grid
// (`resoudre_parmi`).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "solver/rapide.h"
#include "solver/rapide_versions.h"
#include "solver/solver.h"
#include "solver/solver_testing.h"

namespace {

// Line n (1-based) of a file of the data folder, or "" when it is missing.
std::string data_line(const char* file, size_t n) {
  const auto lines = solver_testing::read_lines(solver_testing::data_dir() / file);
  return n <= lines.size() ? lines[n - 1] : std::string();
}

void lent(Grid& g, Resolution& etat) { resoudre(g, etat); }
void vite(Grid& g, Resolution& etat) { resoudre_vite(g, etat); }
using Engine = void (*)(Grid&, Resolution&);

template <Engine engine>
void solve(benchmark::State& state, const Grid& start) {
  Resolution etat;
  for (auto _ : state) {
    Grid g = start;
    engine(g, etat);
    benchmark::DoNotOptimize(g);
    benchmark::DoNotOptimize(etat);
  }
}

template <Engine engine>
void solve_data(benchmark::State& state, const char* file, size_t n) {
  const std::string line = data_line(file, n);
  if (line.empty()) {
    state.SkipWithError("puzzle collections not found");
    return;
  }
  const bool csv = line.find(',') != std::string::npos;
  solve<engine>(state,
                csv ? solver_testing::grid_from_csv(line) : solver_testing::grid_from_text(line));
}

template <Engine engine>
void BM_EmptyGrid(benchmark::State& state) {
  solve<engine>(state, Grid{});
}
BENCHMARK(BM_EmptyGrid<lent>)->Name("BM_EmptyGrid");
BENCHMARK(BM_EmptyGrid<vite>)->Name("BM_EmptyGrid_Vite");

// Line 21 of own_easy50: 32 givens, the other 49 cells placed in one iteration.
template <Engine engine>
void BM_TypicalPuzzle(benchmark::State& state) {
  solve_data<engine>(state, "own_easy50.txt", 21);
}
BENCHMARK(BM_TypicalPuzzle<lent>)->Name("BM_TypicalPuzzle");
BENCHMARK(BM_TypicalPuzzle<vite>)->Name("BM_TypicalPuzzle_Vite");

template <Engine engine>
void BM_LongSolve1(benchmark::State& state) {
  solve_data<engine>(state, "long_solves.csv", 1);
}
BENCHMARK(BM_LongSolve1<lent>)->Name("BM_LongSolve1");
BENCHMARK(BM_LongSolve1<vite>)->Name("BM_LongSolve1_Vite");

template <Engine engine>
void BM_LongSolve2(benchmark::State& state) {
  solve_data<engine>(state, "long_solves.csv", 2);
}
BENCHMARK(BM_LongSolve2<lent>)->Name("BM_LongSolve2");
BENCHMARK(BM_LongSolve2<vite>)->Name("BM_LongSolve2_Vite");

// The puzzle of all the collections whose solve makes the most placement
// tests (about 19,700): a 17-clue puzzle solved in five iterations.
template <Engine engine>
void BM_SlowestPuzzle(benchmark::State& state) {
  solve_data<engine>(state, "sudoku17.txt", 5489);
}
BENCHMARK(BM_SlowestPuzzle<lent>)->Name("BM_SlowestPuzzle");
BENCHMARK(BM_SlowestPuzzle<vite>)->Name("BM_SlowestPuzzle_Vite");

// Every puzzle of sudoku17.txt per iteration. Items are puzzles; the counter
// `per_puzzle` is the mean time of one solve.
template <typename Solve>
void solve_file(benchmark::State& state, Solve solve_one) {
  std::vector<Grid> grids;
  for (const auto& line : solver_testing::read_lines(solver_testing::data_dir() / "sudoku17.txt")) {
    grids.push_back(solver_testing::grid_from_text(line));
  }
  if (grids.empty()) {
    state.SkipWithError("puzzle collections not found");
    return;
  }
  for (auto _ : state) {
    for (const Grid& start : grids) {
      Grid g = start;
      solve_one(g);
      benchmark::DoNotOptimize(g);
    }
  }
  const auto n = static_cast<double>(grids.size());
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(grids.size()));
  state.counters["per_puzzle"] = benchmark::Counter(
      n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

template <Engine engine>
void BM_Sudoku17(benchmark::State& state) {
  if (engine == vite) {
    state.SetLabel(std::string("version ") + nom_chemin(chemin_choisi()));
  }
  Resolution etat;
  solve_file(state, [&etat](Grid& g) {
    engine(g, etat);
    benchmark::DoNotOptimize(etat);
  });
}
BENCHMARK(BM_Sudoku17<lent>)->Name("BM_Sudoku17")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sudoku17<vite>)->Name("BM_Sudoku17_Vite")->Unit(benchmark::kMillisecond);

// The fast engine keeping its journal, as the batch companion's explanations
// need.
void BM_Sudoku17_ViteJournal(benchmark::State& state) {
  Resolution etat;
  Journal journal;
  solve_file(state, [&etat, &journal](Grid& g) {
    resoudre_vite(g, etat, &journal);
    benchmark::DoNotOptimize(etat);
    benchmark::DoNotOptimize(journal);
  });
}
BENCHMARK(BM_Sudoku17_ViteJournal)->Unit(benchmark::kMillisecond);

// The puzzles met while taking the givens of a few complete grids away one
// at a time, in random orders, as long as the forced placements finish
// (about 4,000): what a puzzle maker solves. The grids are the solutions of
// the first puzzles of sudoku17.txt.
struct PuzzleDeGrille {
  const SolutionVite* solution;
  Bandes donnees;
  Grid grille;
};

const std::vector<SolutionVite>& grilles() {
  static const std::vector<SolutionVite> g = [] {
    std::vector<SolutionVite> v;
    const auto lines = solver_testing::read_lines(solver_testing::data_dir() / "sudoku17.txt");
    for (std::size_t n = 0; n < lines.size() && v.size() < 10; ++n) {
      Grid solution;
      if (compter_solutions(solver_testing::grid_from_text(lines[n]), solution) == 1) {
        v.emplace_back();
        prepare_solution(solution, v.back());
      }
    }
    return v;
  }();
  return g;
}

const std::vector<PuzzleDeGrille>& puzzles_de_grilles() {
  static const std::vector<PuzzleDeGrille> p = [] {
    std::vector<PuzzleDeGrille> v;
    std::mt19937 hasard(1);
    constexpr uint32_t kBande = (1U << 27) - 1;
    for (const SolutionVite& s : grilles()) {
      for (int tour = 0; tour < 5; ++tour) {
        std::array<std::size_t, 81> ordre{};
        std::iota(ordre.begin(), ordre.end(), 0);
        std::shuffle(ordre.begin(), ordre.end(), hasard);
        Bandes bandes{kBande, kBande, kBande};
        for (const std::size_t x : ordre) {
          PuzzleDeGrille q{&s, bandes, Grid{}};
          q.donnees[x / 27] &= ~(1U << (x % 27));
          for (std::size_t c = 0; c < 81; ++c) {
            const bool donnee = (q.donnees[c / 27] >> (c % 27) & 1U) != 0;
            q.grille.cells[c] = donnee ? s.grille.cells[c] : 0;
          }
          Grid g = q.grille;
          Resolution etat;
          resoudre_vite(g, etat);
          if (etat.nremplies == 81) {
            bandes = q.donnees;
          }
          v.push_back(q);
        }
      }
    }
    return v;
  }();
  return p;
}

void BM_PuzzlesOfAGrid_Vite(benchmark::State& state) {
  const auto& puzzles = puzzles_de_grilles();
  for (auto _ : state) {
    for (const PuzzleDeGrille& q : puzzles) {
      Grid g = q.grille;
      Resolution etat;
      resoudre_vite(g, etat);
      benchmark::DoNotOptimize(etat);
    }
  }
  state.counters["puzzles"] = static_cast<double>(puzzles.size());
}
BENCHMARK(BM_PuzzlesOfAGrid_Vite)->Unit(benchmark::kMillisecond);

void BM_PuzzlesOfAGrid_Parmi(benchmark::State& state) {
  const auto& puzzles = puzzles_de_grilles();
  for (auto _ : state) {
    for (const PuzzleDeGrille& q : puzzles) {
      BilanVite bilan;
      resoudre_parmi(*q.solution, q.donnees, bilan);
      benchmark::DoNotOptimize(bilan);
    }
  }
  state.counters["puzzles"] = static_cast<double>(puzzles.size());
}
BENCHMARK(BM_PuzzlesOfAGrid_Parmi)->Unit(benchmark::kMillisecond);

// Each version of the fast engine this processor can run, by name
// (BM_Sudoku17_Vite runs the one `resoudre_vite` chose).
const bool kVersions = [] {
  for (const Chemin chemin : {Chemin::portable, Chemin::avx2, Chemin::avx512}) {
    if (!chemin_possible(chemin)) {
      continue;
    }
    const std::string name = std::string("BM_Sudoku17_Vite_") + nom_chemin(chemin);
    benchmark::RegisterBenchmark(name.c_str(), [chemin](benchmark::State& state) {
      Resolution etat;
      solve_file(state, [&etat, chemin](Grid& g) {
        resoudre_vite_par(chemin, g, etat);
        benchmark::DoNotOptimize(etat);
      });
    })->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace
