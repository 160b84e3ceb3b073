// `resoudre_vite`: the fast engine (solver/rapide_moteur.h) in the widest
// version this build has and this processor can run, chosen once, as the
// solution counter's (solver/compteur_choix.cc decides which the processor
// can run).
#include "solver/rapide.h"

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

}  // namespace

void resoudre_vite_par(Chemin chemin, Grid& grille, Resolution& etat, Journal* journal) {
  resout(version(chemin), grille, etat, journal);
}

void resoudre_vite(Grid& grille, Resolution& etat, Journal* journal) {
  static const Version choisie = version(chemin_choisi());
  resout(choisie, grille, etat, journal);
}
