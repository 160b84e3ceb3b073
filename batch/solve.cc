#include "batch/solve.h"

namespace batch {

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
  }
  result.grille = result.givens;
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
  result.repeated = doublon(result.givens, result.doublon);
  if (options.count) {
    result.solutions = result.repeated ? 0 : compter_solutions(result.givens, result.solution);
  }
}

}  // namespace batch
