// The fast engine built with AVX-512 (F, BW, DQ, VL) on top of the AVX2 set
// (CMake sets the flags on this file only); run only where the processor has
// them. Without a journal, its phases run by rounds (solver/rapide_rondes.h).
#include "solver/rapide_rondes.h"

void vite_avx512(int32_t* cases, RapportVite& rapport, Placement* journal) {
#if defined(__AVX512F__)
  rondes::resoudre(cases, rapport, journal);
#else
  vite::resoudre(cases, rapport, journal);
#endif
}

void parmi_avx512(const uint32_t* mots, const uint32_t* donnees, BilanVite& bilan) {
#if defined(__AVX512F__)
  rondes::parmi(mots, donnees, bilan);
#else
  static_cast<void>(mots);
  static_cast<void>(donnees);
  static_cast<void>(bilan);
#endif
}
