// tableau: a grid as a numbered table of nine lines in three bands, with the
// column header above line 1 and a dashed rule before lines 4 and 7.
//
// Each statement ends its text with "/", so every printed line is followed by
// an empty record; the first character of each record (the dot, or the blank
// of a one-digit line number) is its line control and is not shown.
#include "console/console.h"
#include "dialogue/dialogue.h"

void tableau(const Grid& grille) {
  for (int32_t j = 1; j <= 9; ++j) {
    if (j == 4 || j == 7) {
      console::write_formatted("(/,'.   ---------------------------------',/)");
    }
    if (j == 1) {
      console::write_formatted("(/,'.    1  2  3      4  5  6      7  8  9 ',/)");
    }
    console::write_formatted(
        "(I2,' ',3I3,'  . ',3I3,'  . ',3I3,/)",
        {j, grille(1, j), grille(2, j), grille(3, j), grille(4, j), grille(5, j), grille(6, j),
         grille(7, j), grille(8, j), grille(9, j)});
  }
}
