// The solution counter for any processor: built without instruction-set flags.
#include "solver/compteur_moteur.h"

int32_t compter_portable(const Grid& grille, Grid& solution) {
  return moteur::compter(grille, solution);
}
