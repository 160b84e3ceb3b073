// Which version of the counter runs: chosen once, from what the processor
// says it has (the Debian package targets baseline x86-64).
#include <cstdint>

#include "solver/compteur.h"
#include "solver/rapide.h"

namespace {

using Compteur = int32_t (*)(const Grid&, Grid&);

bool processeur_a(Chemin chemin) {
#if defined(SUDOKU_COUNTER_X86)
  __builtin_cpu_init();
  const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
                    __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
  switch (chemin) {
    case Chemin::portable:
      return true;
    case Chemin::avx2:
      return avx2;
    case Chemin::avx512:
      return avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
             __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl");
  }
#endif
  return chemin == Chemin::portable;
}

Compteur compteur(Chemin chemin) {
#if defined(SUDOKU_COUNTER_X86)
  if (processeur_a(chemin)) {
    switch (chemin) {
      case Chemin::portable:
        break;
      case Chemin::avx2:
        return compter_avx2;
      case Chemin::avx512:
        return compter_avx512;
    }
  }
#else
  static_cast<void>(chemin);
#endif
  return compter_portable;
}

}  // namespace

bool chemin_possible(Chemin chemin) { return processeur_a(chemin); }

Chemin chemin_choisi() {
  for (const Chemin chemin : {Chemin::avx512, Chemin::avx2}) {
    if (processeur_a(chemin)) {
      return chemin;
    }
  }
  return Chemin::portable;
}

const char* nom_chemin(Chemin chemin) {
  switch (chemin) {
    case Chemin::avx2:
      return "avx2";
    case Chemin::avx512:
      return "avx512";
    case Chemin::portable:
      break;
  }
  return "portable";
}

int32_t compter_solutions_par(Chemin chemin, const Grid& grille, Grid& solution) {
  return compteur(chemin)(grille, solution);
}

int32_t compter_solutions(const Grid& grille, Grid& solution) {
  static const Compteur choisi = compteur(chemin_choisi());
  return choisi(grille, solution);
}
