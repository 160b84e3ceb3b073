// The solution counter built with AVX-512 (F, BW, DQ, VL) on top of the AVX2
// set (CMake sets the flags on this file only); run only where the processor
// has them.
#include "solver/compteur_moteur.h"

int32_t compter_avx512(const Grid& grille, Grid& solution) {
  return moteur::compter(grille, solution);
}
