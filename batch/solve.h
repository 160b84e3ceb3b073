// The pure solve: a puzzle in, a result out. The forced-placement iterations
// of the dialogue (through the fast engine, which gives the same results),
// the verdict the dialogue would print, and on request the journal of
// placements and the number of solutions.
#pragma once

#include <cstdint>

#include "batch/generate.h"
#include "batch/record.h"
#include "solver/rapide.h"
#include "solver/solver.h"

namespace batch {

// The dialogue's three outcomes, in the words it prints.
enum class Verdict : uint8_t { trouve, trop, aucune };

/// The dialogue's text for a verdict; never translated.
const char* verdict_text(Verdict v);

struct SolveOptions {
  bool count = false;    // count the solutions by exhaustive search
  bool journal = false;  // keep every placement (for --explain and --hint)
};

struct Result {
  Grid givens{};
  Grid grille{};  // the grid as far as the iterations got
  Resolution etat{};
  Verdict verdict = Verdict::aucune;
  Journal journal{};       // with SolveOptions::journal only
  int32_t solutions = -1;  // with SolveOptions::count: 0, 1, or 2 for two or more
  Grid solution{};         // when solutions == 1
  bool repeated = false;   // the givens repeat a digit in a unit
  Doublon doublon{};       // the first repeated digit, when `repeated`
  // A puzzle that --generate made: how, for the writers to say.
  struct Origin {
    bool made = false;
    uint64_t seed = 0;  // the run's seed; the record's line is the puzzle's number
    Symmetry symmetry = Symmetry::none;
    int32_t givens = 0;
  } origin{};
};

/// Solves the puzzle of `record` into `result` (reused between calls).
void solve(const Record& record, const SolveOptions& options, Result& result);

}  // namespace batch
