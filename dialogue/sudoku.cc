#include "dialogue/dialogue.h"
void sudoku() {}
