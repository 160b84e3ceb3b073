#include "batch/solve.h"

#include <array>

namespace batch {
namespace {

// A cell's digit as a count of one in its nibble (below), 0 for an empty cell.
constexpr std::array<uint64_t, 16> kCount = [] {
  std::array<uint64_t, 16> count{};
  for (int d = 1; d <= 9; ++d) {
    count[d] = uint64_t{1} << (4 * (d - 1));
  }
  return count;
}();

// Whether a digit repeats in a line, a column or a box of a record's cells
// (0 to 9), so that `doublon`, which names the first repeat in its own order,
// runs only for the rare grids that have one. Each unit counts its digits in
// nibbles of one word (digit d in bits 4(d-1)..4d-1, nine at most each): a
// digit repeats where a nibble reached 2. Adding needs no test per cell, and
// the columns' and boxes' counts stay in registers.
bool any_repeat(const std::array<uint8_t, 81>& cells) {
  constexpr uint64_t kTwoOrMore = 0xEEEEEEEEEULL;
  uint64_t columns[9] = {};
  uint64_t repeated = 0;
  for (int band = 0; band < 3; ++band) {
    uint64_t boxes[3] = {};
    for (int row = 3 * band; row < 3 * band + 3; ++row) {
      uint64_t line = 0;
      for (int column = 0; column < 9; ++column) {
        const uint64_t count = kCount[cells[row * 9 + column] & 15U];
        line += count;
        columns[column] += count;
        boxes[column / 3] += count;
      }
      repeated |= line;
    }
    repeated |= boxes[0] | boxes[1] | boxes[2];
  }
  for (const uint64_t column : columns) {
    repeated |= column;
  }
  return (repeated & kTwoOrMore) != 0;
}

}  // namespace

const char* verdict_text(Verdict v) {
  switch (v) {
    case Verdict::trouve:
      return "le sudoku est trouve";
    case Verdict::trop:
      return "trop de possibilite";
    case Verdict::aucune:
      break;
  }
  return "pas de possibilites";
}

void solve(const Record& record, const SolveOptions& options, Result& result) {
  for (int k = 0; k < 81; ++k) {
    result.givens.cells[k] = record.cells[k];
    result.grille.cells[k] = record.cells[k];
  }
  resoudre_vite(result.grille, result.etat, options.journal ? &result.journal : nullptr);
  const Resolution& etat = result.etat;
  if (81 - etat.nremplies == 0) {
    result.verdict = Verdict::trouve;
  } else if (etat.posslign == 1 || etat.posscarre == 1 || etat.posscol == 1) {
    result.verdict = Verdict::trop;
  } else {
    result.verdict = Verdict::aucune;
  }
  result.origin.made = false;
  result.solutions = -1;
  result.repeated = any_repeat(record.cells) && doublon(result.givens, result.doublon);
  if (options.count) {
    // The grid the forced placements left has the same solutions as the
    // givens, and the search starts from all they found. Each digit a scan
    // writes had one possible cell in its unit, so every solution has it
    // there. When a scan forces two digits into one cell, the second
    // replaces the first, which then has no possible cell left in its
    // unit: neither grid has a solution.
    result.solutions = result.repeated ? 0 : compter_solutions(result.grille, result.solution);
  }
}

}  // namespace batch
