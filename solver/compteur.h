// The solution counter's versions for each instruction set. `compter_solutions`
// (solver/rapide.h) runs the widest version this build has and this processor
// can run; these entry points let tests, fuzz targets and benchmarks name one.
#pragma once

#include <cstdint>

#include "solver/solver.h"

// A version of the counter: `portable` is built everywhere and runs on any
// processor; `avx2` (with BMI2) and `avx512` are built on x86-64 unless the
// build asks for the portable version only (SUDOKU_PORTABLE_COUNTER).
enum class Chemin : int8_t { portable = 0, avx2 = 1, avx512 = 2 };

// Whether this build has the version and this processor can run it.
bool chemin_possible(Chemin chemin);

// The version `compter_solutions` runs: the widest possible one.
Chemin chemin_choisi();

// "portable", "avx2" or "avx512".
const char* nom_chemin(Chemin chemin);

// `compter_solutions` with the version given, which must be possible; an
// impossible one runs the portable version.
int32_t compter_solutions_par(Chemin chemin, const Grid& grille, Grid& solution);

// The versions themselves, each in its own file (compteur_*.cc); only those
// this build has exist.
int32_t compter_portable(const Grid& grille, Grid& solution);
int32_t compter_avx2(const Grid& grille, Grid& solution);
int32_t compter_avx512(const Grid& grille, Grid& solution);
