// The fast engine built with AVX2, BMI1/BMI2 and POPCNT (CMake sets the flags
// on this file only); run only where the processor has them. Without a
// journal, its phases run by rounds (solver/rapide_rondes.h).
#include "solver/rapide_rondes.h"

void vite_avx2(int32_t* cases, RapportVite& rapport, Placement* journal) {
#if defined(__AVX2__)
  rondes::resoudre(cases, rapport, journal);
#else
  vite::resoudre(cases, rapport, journal);
#endif
}
