#include "dialogue/usage.h"

#include <cstdio>
#include <cstring>

#ifndef SUDOKU_VERSION
#define SUDOKU_VERSION "unknown"
#endif

namespace {

constexpr const char* kUsage =
    "usage : sudoku [--help | --version]\n"
    "Resout une grille de sudoku par placements forces, en dialogue : le programme\n"
    "demande les cases connues, affiche la grille, puis donne la grille trouvee ou\n"
    "dit pourquoi il s'arrete. Il ne prend aucun argument.\n"
    "Pour charger une grille ecrite dans un fichier :\n"
    "  sudoku-batch --dialogue FICHIER | sudoku\n"
    "Manuel : man sudoku\n";

}  // namespace

int usage(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    return std::fputs(kUsage, stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 2;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    return std::fputs("sudoku " SUDOKU_VERSION "\n", stdout) >= 0 && std::fflush(stdout) == 0 ? 0
                                                                                              : 2;
  }
  std::fprintf(stderr, "sudoku : argument refuse : %s\n%s", argv[1], kUsage);
  return 2;
}
