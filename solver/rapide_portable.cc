// The fast engine for any processor: built without instruction-set flags.
#include "solver/rapide_moteur.h"

void vite_portable(int32_t* cases, RapportVite& rapport, Placement* journal) {
  vite::resoudre(cases, rapport, journal);
}
