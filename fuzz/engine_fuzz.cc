// Fuzz target: the fast engine against the literal one. The input becomes a
// grid (fuzz/grid_decode.h); both engines solve it and must agree on the
// final grid, every counter, the flags and every placement in order. Every
// version of the fast engine this build has and this processor can run is
// checked, with and without the journal. The solve of puzzles drawn from a
// known grid (`resoudre_parmi`) is checked against the fast engine on the
// grid they make: the input's own solution with its givens, a fixed valid
// solution with the input's occupied cells as givens, and the input itself
// as a "solution" (seldom a valid one) with the same givens.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/grid_decode.h"
#include "solver/compteur.h"
#include "solver/rapide.h"
#include "solver/rapide_versions.h"
#include "solver/solver.h"

namespace {

const char* version = "";

[[noreturn]] void fail(const char* what, const Grid& start) {
  std::fprintf(stderr, "engines disagree (%s version): %s\ngrid:", version, what);
  for (const int32_t v : start.cells) {
    std::fprintf(stderr, " %d", v);
  }
  std::fprintf(stderr, "\n");
  std::abort();
}

void expect_same_state(const Resolution& a, const Resolution& b, const Grid& start) {
  if (a.ncarres != b.ncarres || a.ncolonnes != b.ncolonnes || a.nlignes != b.nlignes) {
    fail("counts", start);
  }
  if (a.nremplies != b.nremplies || a.nvides != b.nvides || a.progres != b.progres ||
      a.niter != b.niter) {
    fail("nremplies, nvides, progres or niter", start);
  }
  if (a.posscarre != b.posscarre || a.posscol != b.posscol || a.posslign != b.posslign) {
    fail("flags", start);
  }
}

// `resoudre_parmi` in every version against `resoudre_vite` on the grid
// holding the digits of `solution` at the cells `donnees`.
void check_parmi(const Grid& solution, const Bandes& donnees, const Grid& start) {
  SolutionVite prete;
  prepare_solution(solution, prete);
  Grid g = grille_des_donnees(solution, donnees);
  Resolution etat;
  resoudre_vite(g, etat);
  const auto b = static_cast<std::size_t>(etat.niter);
  const Bandes remplies = cases_remplies(g);
  for (const Chemin chemin : {Chemin::portable, Chemin::avx2, Chemin::avx512}) {
    if (!chemin_possible(chemin)) {
      continue;
    }
    version = nom_chemin(chemin);
    BilanVite r{};
    resoudre_parmi_par(chemin, prete, donnees, r);
    if (r.niter != etat.niter || r.vides != 81 - etat.nremplies || r.progres != etat.progres) {
      fail("puzzle of a known grid: niter, cells left or progres", start);
    }
    if (r.derniers[0] != etat.ncarres[b] || r.derniers[1] != etat.ncolonnes[b] ||
        r.derniers[2] != etat.nlignes[b]) {
      fail("puzzle of a known grid: counts", start);
    }
    if (r.drapeaux[0] != etat.posscarre || r.drapeaux[1] != etat.posscol ||
        r.drapeaux[2] != etat.posslign) {
      fail("puzzle of a known grid: flags", start);
    }
    if (r.remplies[0] != remplies[0] || r.remplies[1] != remplies[1] ||
        r.remplies[2] != remplies[2]) {
      fail("puzzle of a known grid: cells filled", start);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const Grid start = grid_decode::decode(data, size);

  // The literal engine (the dialogue's, with its journal) from a clean state.
  Grid lent = start;
  Resolution etat_lent;
  static Journal attendu;
  resoudre_journal(lent, etat_lent, attendu);

  // The fast one from a state an earlier solve left behind.
  Resolution sale;
  sale.ncarres.fill(3);
  sale.ncolonnes.fill(-1);
  sale.nlignes.fill(5);
  sale.ncarres[0] = sale.ncolonnes[0] = sale.nlignes[0] = 0;  // unused by both
  sale.nremplies = 12;
  sale.nvides = 2.0F;
  sale.progres = 0;
  sale.niter = 7;
  sale.posscarre = sale.posscol = sale.posslign = 9;
  for (const Chemin chemin : {Chemin::portable, Chemin::avx2, Chemin::avx512}) {
    if (!chemin_possible(chemin)) {
      continue;
    }
    version = nom_chemin(chemin);
    Grid vite = start;
    Resolution etat_vite = sale;
    static Journal journal;
    journal.n = 17;
    resoudre_vite_par(chemin, vite, etat_vite, &journal);
    if (vite != lent) {
      fail("final grid", start);
    }
    expect_same_state(etat_vite, etat_lent, start);
    if (journal.n != attendu.n) {
      fail("number of placements", start);
    }
    for (int32_t k = 0; k < journal.n; ++k) {
      if (journal.placements[k] != attendu.placements[k]) {
        fail("placement", start);
      }
    }

    // Without a journal.
    Grid sans = start;
    Resolution etat_sans = sale;
    resoudre_vite_par(chemin, sans, etat_sans);
    if (sans != lent) {
      fail("final grid without a journal", start);
    }
    expect_same_state(etat_sans, etat_lent, start);
  }

  // The version `resoudre_vite` chose.
  version = "chosen";
  Grid vite = start;
  Resolution etat_vite = sale;
  resoudre_vite(vite, etat_vite);
  if (vite != lent) {
    fail("final grid", start);
  }
  expect_same_state(etat_vite, etat_lent, start);

  Bandes occupees{};
  for (std::size_t c = 0; c < 81; ++c) {
    occupees[c / 27] |= static_cast<uint32_t>(start.cells[c] != 0) << (c % 27);
  }
  Grid seule;
  if (compter_solutions(start, seule) == 1) {
    check_parmi(seule, occupees, start);
  }
  static const Grid fixe = [] {
    Grid g;
    const auto cells = grid_decode::solution(0);
    std::copy(cells.begin(), cells.end(), g.cells.begin());
    return g;
  }();
  check_parmi(fixe, occupees, start);
  check_parmi(start, occupees, start);
  return 0;
}
