// Puzzle making: puzzles that the forced placements finish (or, on request,
// puzzles with one solution that they do not finish), made from a seed.
//
// A puzzle is made from a complete grid filled at random; givens are then
// taken away, a whole symmetry orbit at a time, as long as the puzzle stays
// solved by the forced placements (or keeps one solution). A puzzle deeper
// than chance gives comes from a local search: put a few of the solution's
// digits back, take givens away again, the removal that leaves the deepest
// puzzle first, keep the result when it is at least as deep. Every puzzle handed out is minimal: no
// given can go (with a symmetry, no given together with those the symmetry maps it to, so the
// pattern stays whole); and it is checked at the end: solved to the last
// cell within the iteration cap (or not, beyond them), one solution by the
// counter, depth and givens as asked.
//
// Nothing here does I/O or allocates. Puzzle `index` of a run depends only on
// the run's seed, the index and the demand, never on which thread makes it or
// what it made before; a deadline can only make it fail, never change it.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string_view>

#include "solver/solver.h"

namespace batch {

/// The patterns the givens can keep. `random` picks one of the others
/// (`none` included) for each puzzle.
enum class Symmetry : uint8_t { none, rotate180, rotate90, mirror, flip, diagonal, random };

/// The option's name of a symmetry ("rotate180"...).
const char* symmetry_name(Symmetry s);

/// The symmetry called `name`; false when there is none.
bool symmetry_named(std::string_view name, Symmetry& s);

/// The cell (0..80, line by line) that `s` maps cell `c` to; `random` maps
/// every cell to itself.
constexpr int symmetric_cell(Symmetry s, int c) {
  const int i = c % 9;  // column, from 0
  const int j = c / 9;  // line, from 0
  switch (s) {
    case Symmetry::rotate180:
      return 80 - c;
    case Symmetry::rotate90:  // a quarter turn clockwise
      return 9 * i + (8 - j);
    case Symmetry::mirror:  // left and right
      return 9 * j + (8 - i);
    case Symmetry::flip:  // top and bottom
      return 9 * (8 - j) + i;
    case Symmetry::diagonal:  // about the diagonal from the top left
      return 9 * i + j;
    case Symmetry::none:
    case Symmetry::random:
      break;
  }
  return c;
}

/// What is asked of every puzzle.
struct Demand {
  int32_t iterations_min = 1;  // depth: the iterations the solve runs, 1..10
  int32_t iterations_max = 10;
  int32_t givens_min = 0;
  int32_t givens_max = 81;
  bool minimal = true;  // check that no single given can go
  bool beyond = false;  // one solution, not finished by the forced placements
  Symmetry symmetry = Symmetry::none;
};

/// A puzzle made.
struct Made {
  Grid puzzle{};
  Grid solution{};
  Symmetry symmetry = Symmetry::none;  // the one kept (never `random`)
  int32_t givens = 0;
  int32_t iterations = 0;  // the iterations its solve runs
  uint64_t solves = 0;     // its cost: the solves and counts of the puzzles tried
};

using Deadline = std::chrono::steady_clock::time_point;

/// Makes puzzle `index` of the run `seed` into `made`. Returns false, with
/// `made` unspecified, when `deadline` passes, or `stop` (when given) turns
/// non-zero, before a puzzle meeting `demand` is found. Both are looked at
/// every few milliseconds of search.
bool generate(const Demand& demand, uint64_t seed, uint64_t index, Deadline deadline, Made& made,
              const std::atomic<int>* stop = nullptr);

/// True when removing any one given of `puzzle` (solved by the forced
/// placements when `beyond` is false, with one solution when true) loses
/// that property; with a symmetry, any one given and those it maps to, so
/// that the pattern stays symmetric.
bool minimal(const Grid& puzzle, bool beyond, Symmetry symmetry = Symmetry::none);

}  // namespace batch
