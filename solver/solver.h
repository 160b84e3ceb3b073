// The solver: a 9x9 grid, the three placement tests, the unit scans that find
// hidden singles, and the solving iterations that apply them.
//
// The solver does no I/O and allocates nothing. Every procedure works in place
// on arguments passed by reference; indices are 1-based, and loops visit cells
// in fixed orders because the order of placements shows in the results.
#pragma once

#include <array>
#include <cstdint>

// A 9x9 grid addressed (i, j), both 1..9: i is the position across a printed
// line (the column), j the printed line number. Stored line by line: the nine
// cells of line j are contiguous. 0 is an empty cell, 1..9 a digit; any other
// value is an occupied cell that equals no digit.
struct Grid {
  std::array<int32_t, 81> cells{};

  int32_t& operator()(int32_t i, int32_t j) { return cells[(j - 1) * 9 + (i - 1)]; }
  const int32_t& operator()(int32_t i, int32_t j) const { return cells[(j - 1) * 9 + (i - 1)]; }
  bool operator==(const Grid&) const = default;
};

// Per-digit tables of a scan, indexed by digit 1..9 (entry 0 is unused).
using DigitTable = std::array<int32_t, 10>;

// Box origin of a coordinate 1..9: 1, 4 or 7.
int32_t origine(int32_t c);

// Placement tests. Each clears `libre` (sets it to 0) when digit d rules out
// cell (i, j) and never sets it, so a caller that starts from 1 and calls
// several tests gets the conjunction of their verdicts. The grid is only read.
//   carre:      d occurs in the box of (i, j), the cell itself excepted.
//   vertical:   d occurs in column i (j unused).
//   horizontal: d occurs in line j (i unused).
void carre(int32_t& i, int32_t& j, const Grid& grille, int32_t& d, int32_t& libre);
void vertical(int32_t& i, int32_t& j, const Grid& grille, int32_t& d, int32_t& libre);
void horizontal(int32_t& i, int32_t& j, const Grid& grille, int32_t& d, int32_t& libre);

// Unit scans. Each reports the digits that have exactly one possible cell in
// its unit: chiffre(d) = d with the cell in xpos(d), ypos(d), else all three 0;
// `possible` is 1 when some digit has at least one possible cell. The grid is
// only read.
//   recherche:  the box with origin (i0, j0).
//   rechercol:  column i; j is used as the running line counter and is
//               overwritten (it holds 10 on return).
//   recherlign: line j; i is used as the running counter and is overwritten
//               (it holds 10 on return).
void recherche(const Grid& grille, int32_t& i0, int32_t& j0, DigitTable& chiffre, DigitTable& xpos,
               DigitTable& ypos, int32_t& possible);
void rechercol(const Grid& grille, int32_t& i, int32_t& j, DigitTable& chiffre, DigitTable& xpos,
               DigitTable& ypos, int32_t& possible);
void recherlign(const Grid& grille, int32_t& i, int32_t& j, DigitTable& chiffre, DigitTable& xpos,
                DigitTable& ypos, int32_t& possible);

// Iteration counters, indexed by iteration 1..10 (entry 0 is unused).
using IterationTable = std::array<int32_t, 11>;

// The state of the solving iterations. It lives as long as the main program;
// every solve re-initialises all of it except the three candidate flags, which
// iteration 1 always sets.
struct Resolution {
  IterationTable ncarres{};    // digits placed by the box phase, per iteration
  IterationTable nlignes{};    // ... by the line phase
  IterationTable ncolonnes{};  // ... by the column phase
  int32_t nremplies = 0;       // non-zero cells after the last iteration
  float nvides = 81.0F;        // empty cells, 81 - nremplies
  int32_t progres = 1;         // 1 while the last iteration placed something
  int32_t niter = 0;           // the last iteration whose body ran
  int32_t posscarre = 0;       // `possible` of the last box scanned
  int32_t posscol = 0;         // ... of the last column scanned
  int32_t posslign = 0;        // ... of the last line scanned
};

// Runs the solving iterations on `grille` in place: at most ten iterations of
// a box, a column and a line phase, until the grid is full or an iteration
// places nothing. The solve is complete when 81 - nremplies = 0.
void resoudre(Grid& grille, Resolution& etat);
