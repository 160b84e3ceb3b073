// The solution counter built with AVX2, BMI1/BMI2 and POPCNT (CMake sets the
// flags on this file only); run only where the processor has them.
#include "solver/compteur_moteur.h"

int32_t compter_avx2(const Grid& grille, Grid& solution) {
  return moteur::compter(grille, solution);
}
