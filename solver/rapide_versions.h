// The fast engine's versions for each instruction set, as the solution
// counter has them (solver/compteur.h): `resoudre_vite` runs the widest one
// this build has and this processor can run; these entry points let tests,
// fuzz targets and benchmarks name one.
#pragma once

#include <cstdint>

#include "solver/compteur.h"
#include "solver/rapide.h"
#include "solver/solver.h"

// `resoudre_vite` with the version given, which must be possible
// (`chemin_possible`); an impossible one runs the portable version.
void resoudre_vite_par(Chemin chemin, Grid& grille, Resolution& etat, Journal* journal = nullptr);

// `resoudre_parmi` with the version given, as `resoudre_vite_par`. Only the
// AVX-512 version has an engine of its own; the others solve the grid.
void resoudre_parmi_par(Chemin chemin, const SolutionVite& solution, const Bandes& donnees,
                        BilanVite& bilan);

// What one solve of a version reports, in plain arrays: each version is the
// same engine compiled with other instruction sets, and shares no inline
// function with the rest of the program (solver/rapide_moteur.h).
struct RapportVite {
  int32_t comptes[11][3];  // digits placed per iteration 1..10 and per phase
  int32_t niter;
  int32_t vides;        // cells holding 0 at the end
  int32_t progres;      // 1 unless the last iteration placed nothing
  int32_t drapeaux[3];  // `possible` of the last box, column and line scanned
  int32_t placements;   // journal entries written
};

// The versions themselves (rapide_*.cc): the grid's 81 cells line by line,
// solved in place; `journal`, when not null, receives every placement in
// order. Only those this build has exist.
void vite_portable(int32_t* cases, RapportVite& rapport, Placement* journal);
void vite_avx2(int32_t* cases, RapportVite& rapport, Placement* journal);
void vite_avx512(int32_t* cases, RapportVite& rapport, Placement* journal);

// `resoudre_parmi`'s own engine (rapide_avx512.cc, which has it only when
// built for AVX-512): `mots` as `SolutionVite::mots`, valid and complete.
void parmi_avx512(const uint32_t* mots, const uint32_t* donnees, BilanVite& bilan);
