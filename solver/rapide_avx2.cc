// The fast engine built with AVX2, BMI1/BMI2 and POPCNT (CMake sets the flags
// on this file only); run only where the processor has them.
#include "solver/rapide_moteur.h"

void vite_avx2(int32_t* cases, RapportVite& rapport, Placement* journal) {
  vite::resoudre(cases, rapport, journal);
}
