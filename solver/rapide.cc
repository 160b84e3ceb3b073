// `resoudre_vite`: the fast engine (solver/rapide_moteur.h) in the widest
// version this build has and this processor can run, chosen once, as the
// solution counter's (solver/compteur_choix.cc decides which the processor
// can run). `resoudre_parmi` likewise, its own engine with AVX-512 and the
// grid's solve otherwise.
#include "solver/rapide.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "solver/compteur.h"
#include "solver/rapide_versions.h"

namespace {

using Version = void (*)(int32_t*, RapportVite&, Placement*);

Version version(Chemin chemin) {
#if defined(SUDOKU_COUNTER_X86)
  if (chemin_possible(chemin)) {
    switch (chemin) {
      case Chemin::portable:
        break;
      case Chemin::avx2:
        return vite_avx2;
      case Chemin::avx512:
        return vite_avx512;
    }
  }
#else
  static_cast<void>(chemin);
#endif
  return vite_portable;
}

void resout(Version v, Grid& grille, Resolution& etat, Journal* journal) {
  RapportVite r;
  v(grille.cells.data(), r, journal != nullptr ? journal->placements.data() : nullptr);
  if (journal != nullptr) {
    journal->n = r.placements;
  }
  for (int32_t b = 1; b <= 10; ++b) {
    etat.ncarres[b] = r.comptes[b][0];
    etat.ncolonnes[b] = r.comptes[b][1];
    etat.nlignes[b] = r.comptes[b][2];
  }
  etat.niter = r.niter;
  etat.nremplies = 81 - r.vides;
  etat.nvides = static_cast<float>(r.vides);
  etat.progres = r.progres;
  etat.posscarre = r.drapeaux[0];
  etat.posscol = r.drapeaux[1];
  etat.posslign = r.drapeaux[2];
}

// `resoudre_parmi` by the solve of the grid itself.
void parmi_par_grille(Version v, const SolutionVite& solution, const Bandes& donnees,
                      BilanVite& bilan) {
  Grid grille = grille_des_donnees(solution.grille, donnees);
  Resolution etat;
  resout(v, grille, etat, nullptr);
  bilan.niter = etat.niter;
  bilan.vides = 81 - etat.nremplies;
  bilan.progres = etat.progres;
  const auto b = static_cast<std::size_t>(etat.niter);
  bilan.derniers[0] = etat.ncarres[b];
  bilan.derniers[1] = etat.ncolonnes[b];
  bilan.derniers[2] = etat.nlignes[b];
  bilan.drapeaux[0] = etat.posscarre;
  bilan.drapeaux[1] = etat.posscol;
  bilan.drapeaux[2] = etat.posslign;
  const Bandes remplies = cases_remplies(grille);
  std::copy(remplies.begin(), remplies.end(), bilan.remplies);
}

// Whether `resoudre_parmi` has an engine of its own on this path.
bool par_rondes(Chemin chemin) {
#if defined(SUDOKU_COUNTER_X86)
  return chemin == Chemin::avx512 && chemin_possible(chemin);
#else
  static_cast<void>(chemin);
  return false;
#endif
}

void parmi(bool rondes, Version v, const SolutionVite& solution, const Bandes& donnees,
           BilanVite& bilan) {
#if defined(SUDOKU_COUNTER_X86)
  if (rondes && solution.valide) {
    parmi_avx512(solution.mots.data(), donnees.data(), bilan);
    return;
  }
#else
  static_cast<void>(rondes);
#endif
  parmi_par_grille(v, solution, donnees, bilan);
}

}  // namespace

void prepare_solution(const Grid& solution, SolutionVite& prete) {
  prete.grille = solution;
  prete.mots.fill(0);
  std::array<uint32_t, 27> vus{};  // digits seen per line, column and box
  bool valide = true;
  for (std::size_t c = 0; c < 81; ++c) {
    const int32_t v = solution.cells[c];
    if (v < 1 || v > 9) {
      valide = false;
      continue;
    }
    const uint32_t bit = 1U << v;
    const std::size_t ligne = c / 9;
    const std::size_t colonne = c % 9;
    const std::size_t boite = 3 * (ligne / 3) + colonne / 3;
    for (const std::size_t u : {ligne, 9 + colonne, 18 + boite}) {
      valide = valide && (vus[u] & bit) == 0;
      vus[u] |= bit;
    }
    prete.mots[16 * (c / 27) + static_cast<std::size_t>(v - 1)] |= 1U << (c % 27);
  }
  prete.valide = valide;
}

void resoudre_parmi_par(Chemin chemin, const SolutionVite& solution, const Bandes& donnees,
                        BilanVite& bilan) {
  parmi(par_rondes(chemin), version(chemin), solution, donnees, bilan);
}

void resoudre_parmi(const SolutionVite& solution, const Bandes& donnees, BilanVite& bilan) {
  static const bool rondes = par_rondes(chemin_choisi());
  static const Version choisie = version(chemin_choisi());
  parmi(rondes, choisie, solution, donnees, bilan);
}

void resoudre_vite_par(Chemin chemin, Grid& grille, Resolution& etat, Journal* journal) {
  resout(version(chemin), grille, etat, journal);
}

void resoudre_vite(Grid& grille, Resolution& etat, Journal* journal) {
  static const Version choisie = version(chemin_choisi());
  resout(choisie, grille, etat, journal);
}
