// The program's entry: the console run frame around the main program; with
// arguments, only the usage or the version.
#include "console/console.h"
#include "dialogue/dialogue.h"
#include "dialogue/usage.h"

int main(int argc, char** argv) {
  if (argc > 1) {
    return usage(argc, argv);
  }
  console::start_run(sudoku);
}
