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

Repeat first_repeat(const Grid& givens) {
  const Phase kinds[] = {Phase::carres, Phase::colonnes, Phase::lignes};
  for (const Phase kind : kinds) {
    for (int32_t u = 1; u <= 9; ++u) {
      unsigned seen = 0;
      unsigned twice = 0;
      for (int32_t m = 0; m < 9; ++m) {
        int32_t i = 0;
        int32_t j = 0;
        if (kind == Phase::carres) {
          i = (u - 1) % 3 * 3 + m % 3 + 1;
          j = (u - 1) / 3 * 3 + m / 3 + 1;
        } else if (kind == Phase::colonnes) {
          i = u;
          j = m + 1;
        } else {
          i = m + 1;
          j = u;
        }
        const int32_t v = givens(i, j);
        if (v >= 1 && v <= 9) {
          twice |= seen & (1U << v);
          seen |= 1U << v;
        }
      }
      for (int32_t d = 1; d <= 9; ++d) {
        if ((twice & (1U << d)) != 0) {
          return Repeat{kind, static_cast<int8_t>(u), static_cast<int8_t>(d)};
        }
      }
    }
  }
  return Repeat{};
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
  result.solutions = -1;
  result.repeat = Repeat{};
  if (options.count) {
    result.repeat = first_repeat(result.givens);
    result.solutions =
        result.repeat.digit != 0 ? 0 : compter_solutions(result.givens, result.solution);
  }
}

}  // namespace batch
