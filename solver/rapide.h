// The fast engine: the same solving iterations as `resoudre`, on bit masks,
// with every placement recorded in the order it is written; and a solution
// counter by exhaustive search. Used by the batch companion; the dialogue
// keeps `resoudre`.
//
// `resoudre_vite` gives exactly what `resoudre` gives for every grid (cells
// holding any 32-bit value included): the same final grid, per-iteration
// counts, `niter`, `nremplies`, `nvides`, `progres` and the three flags.
// Like the rest of the solver it does no I/O and allocates nothing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "solver/solver.h"

// The phases of an iteration, in the order they run.
enum class Phase : int8_t { carres = 0, colonnes = 1, lignes = 2 };

// One digit written into the grid by the solving iterations. The unit that
// forced it follows from the phase and the cell: the box of (i, j), column i
// or line j.
struct Placement {
  int8_t iteration = 0;  // 1..10
  Phase phase = Phase::carres;
  int8_t chiffre = 0;  // 1..9
  int8_t i = 0;        // column 1..9
  int8_t j = 0;        // line 1..9
  bool operator==(const Placement&) const = default;
};

// Every placement of one solve, in the order written. A cell is written at
// most during one scan (it is occupied afterwards), by at most nine digits
// when several digits of that scan name it, so 81 * 9 entries always suffice.
struct Journal {
  std::array<Placement, std::size_t{81} * 9> placements{};
  int32_t n = 0;
};

// The solving iterations of `resoudre` on `grille` in place. When `journal`
// is given, it is cleared and receives every placement in order.
void resoudre_vite(Grid& grille, Resolution& etat, Journal* journal = nullptr);

// Puzzles drawn from one complete grid, as a puzzle maker has them: the
// grid's digits at some cells (the givens), the other cells empty.
//
// A complete grid made ready for `resoudre_parmi`: per band b (lines 3b to
// 3b + 2) and digit d, the cells of d as bits 9 * (line - 3b) + column,
// lines and columns from 0; sixteen words a band (words 9 to 15 are 0).
struct SolutionVite {
  alignas(64) std::array<uint32_t, 48> mots{};
  Grid grille{};
  bool valide = false;  // complete, each unit holding each digit once
};

// Makes `solution` ready; `resoudre_parmi` solves puzzles of any grid, the
// fast way only when it is a valid complete one.
void prepare_solution(const Grid& solution, SolutionVite& prete);

// A set of cells as three bands of 27 bits, numbered as in `SolutionVite`.
using Bandes = std::array<uint32_t, 3>;

// The grid holding the digits of `solution` at the cells `donnees` and 0
// elsewhere.
inline Grid grille_des_donnees(const Grid& solution, const Bandes& donnees) {
  Grid grille;
  for (std::size_t c = 0; c < 81; ++c) {
    grille.cells[c] = (donnees[c / 27] >> (c % 27) & 1U) != 0 ? solution.cells[c] : 0;
  }
  return grille;
}

// The cells of `grille` that hold something other than 0.
inline Bandes cases_remplies(const Grid& grille) {
  Bandes remplies{};
  for (std::size_t c = 0; c < 81; ++c) {
    remplies[c / 27] |= static_cast<uint32_t>(grille.cells[c] != 0) << (c % 27);
  }
  return remplies;
}

// What `resoudre_vite` gives of a solve that a puzzle maker reads.
struct BilanVite {
  int32_t niter;         // as `Resolution::niter`
  int32_t vides;         // cells holding 0 at the end (81 - nremplies)
  int32_t progres;       // as `Resolution::progres`
  int32_t derniers[3];   // digits placed by the box, column and line phases of iteration niter
  int32_t drapeaux[3];   // posscarre, posscol, posslign
  uint32_t remplies[3];  // the cells holding a digit at the end, as `Bandes`
};

// The solve of the puzzle of `solution` with the givens `donnees` (bits
// beyond 27 ignored): what `resoudre_vite` gives for the grid holding the
// solution's digits at those cells and 0 elsewhere.
void resoudre_parmi(const SolutionVite& solution, const Bandes& donnees, BilanVite& bilan);

// The dialogue's literal solving iterations (`resoudre` itself, one statement
// of the rules) with the journal of every placement, cleared first: the
// reference that `resoudre_vite` is checked against. Slow; for tests.
void resoudre_journal(Grid& grille, Resolution& etat, Journal& journal);

// Number of complete solutions of `grille` that keep its non-zero cells:
// 0, 1, or 2 meaning two or more (the search stops at the second). When it
// returns 1, `solution` holds that solution; otherwise `solution` is
// unspecified. Givens that repeat a digit in a unit give 0, and so does a
// cell holding a value other than 0..9, since no solution can keep it.
// Runs the widest version of the counter this processor can run
// (solver/compteur.h).
int32_t compter_solutions(const Grid& grille, Grid& solution);

// The same contract by a plainer search (per-cell masks, a queue of naked
// singles, unit sweeps): the reference `compter_solutions` is checked against
// in tests and fuzzing. Several times slower.
int32_t compter_solutions_reference(const Grid& grille, Grid& solution);

// A digit given twice in one unit: the kind of unit (box, column or line),
// its number 1..9 (a box counts in reading order, a column is i, a line j)
// and the digit.
struct Doublon {
  Phase unite = Phase::carres;
  int8_t numero = 0;
  int8_t chiffre = 0;
};

// Finds the first digit repeated in a unit of `grille`: boxes 1..9 first,
// then columns, then lines; within a unit, the first cell in reading order
// whose digit occurs earlier in it. Only cells holding 1..9 count. Returns
// false, leaving `trouve` alone, when no digit repeats.
bool doublon(const Grid& grille, Doublon& trouve);
