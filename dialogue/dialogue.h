// The dialogue: what the user sees and types. It shows grids (tableau), takes
// the entry grid from the user (entree) and runs the main loop of entry,
// solve, verdict, iteration report and menu (sudoku).
//
// The dialogue checks no input itself: every read and write goes through the
// console layer, which ends the run on unreadable input or a failed write.
#pragma once

#include <cstdint>

#include "solver/solver.h"

// Prints `grille` as a numbered table: a column header above line 1, a dashed
// rule before lines 4 and 7, and each line's nine values in three groups.
void tableau(const Grid& grille);

// The entry dialogue's variables. They keep their values for the whole run,
// so a later entry starts with the j last read.
struct Saisies {
  int32_t ncases = 0;    // cells to enter in this pass
  int32_t corriger = 0;  // answer to the confirmation question; 1 asks again
  int32_t i = 0;         // the entry loop's counter, overwritten by each read
  int32_t j = 0;
};

// Asks for cells to enter or change, reads them into `saisie`, echoes the grid
// and asks for confirmation; starts over while the answer is 1.
void entree(Grid& saisie, Saisies& v);

// The main program: entry, then solve, verdict, iteration report and menu
// until the user chooses to finish.
void sudoku();
