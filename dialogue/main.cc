// The program's entry: the console run frame around the main program.
#include "console/console.h"
#include "dialogue/dialogue.h"

int main() { console::start_run(sudoku); }
