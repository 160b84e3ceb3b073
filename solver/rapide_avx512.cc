// The fast engine built with AVX-512 (F, BW, DQ, VL) on top of the AVX2 set
// (CMake sets the flags on this file only); run only where the processor has
// them.
#include "solver/rapide_rondes.h"

void vite_avx512(int32_t* cases, RapportVite& rapport, Placement* journal) {
  rondes::resoudre(cases, rapport, journal);
}
