// What a drawn puzzle shows, worked out once from a solve and then drawn by
// the SVG writer and the PDF book alike: each cell's digit and how it is
// inked, the step that wrote it and its iteration, the cell of the next move
// and the unit that forces it, and the caption. Plain data (the caption's
// texts are views into strings that outlive the run's records); no I/O.
//
// Cells are named as Sudoku writing names them, row first: r9c1 is line 9,
// column 1, which the dialogue calls (1,9).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "batch/solve.h"

namespace batch {

// What a picture draws of a solve.
enum class View : uint8_t {
  result,   // the givens and the digits the forced placements wrote
  givens,   // the puzzle as given, for a person to solve
  explain,  // the result, each placed digit with its step and its iteration's colour
  hint,     // the puzzle as given, the next move's cell marked, its unit shaded
};

// How a cell's digit is inked.
enum class Ink : uint8_t {
  none,      // empty
  given,     // part of the puzzle
  placed,    // written by a forced placement
  searched,  // the only solution's digit, where forced placements did not reach
};

struct PictureCell {
  uint8_t digit = 0;
  Ink ink = Ink::none;
  uint8_t iteration = 0;  // placed: the iteration that wrote it
  uint16_t step = 0;      // placed, explain: its step number from 1
  bool shaded = false;    // hint: in the unit that forces the next move
};

// What the caption says: where the puzzle comes from and its number in the
// run. `note` is for facts the source does not give (a generated puzzle's
// depth and givens); empty otherwise.
struct Caption {
  std::string_view source;
  uint64_t line = 0;
  uint64_t number = 0;  // from 1, in output order
  std::string_view note;
};

struct Picture {
  View view = View::result;
  Caption caption;
  std::array<PictureCell, 81> cells{};  // cell k is r(k / 9 + 1)c(k % 9 + 1)
  Verdict verdict = Verdict::aucune;
  int32_t solutions = -1;  // as in Result: -1 when not counted
  // hint: the cell of the next move (-1 when no digit is forced) and the
  // unit that forces it.
  int16_t mark = -1;
  Phase unit = Phase::carres;
  uint16_t iterations = 0;  // explain: bit e set when iteration e placed a digit
};

// The frame of one drawn puzzle, in the units of the SVG (a pixel at full
// size), which the PDF scales to its slot: the caption's two lines, the grid
// of 40-unit cells, then for a result or an explanation the legend.
inline constexpr int kFrameWidth = 400;
inline constexpr int kFrameMargin = 20;
inline constexpr int kCellSize = 40;
inline constexpr int kGridTop = 64;
inline constexpr int kLegendHeight = 30;

/// Whether the frame of `view` has a legend.
inline bool has_legend(View view) { return view == View::result || view == View::explain; }

/// The frame's height for `view`.
inline int frame_height(View view) {
  return kGridTop + 9 * kCellSize + (has_legend(view) ? kLegendHeight : 0) + kFrameMargin;
}

// One entry of the legend: a swatch in the ink of placed digits of
// `iteration` (or of `ink` when 0), then its words.
struct LegendEntry {
  Ink ink = Ink::given;
  int iteration = 0;
  std::string label;
};

/// The legend of `picture`: the inks it uses, for an explanation one entry
/// per iteration that placed a digit.
std::vector<LegendEntry> legend(const Picture& picture);

/// The colour of `ink` (placed digits without an iteration) as "#rrggbb".
const char* ink_colour(Ink ink);

// How many iterations an explanation can colour apart: the engine runs at
// most ten.
inline constexpr int kIterationColours = 10;

/// Works out the picture of `result` for `view`. The journal is needed for
/// explain and hint, the solution count for searched digits.
void make_picture(View view, const Caption& caption, const Result& result, Picture& picture);

/// The cell name "r9c1" of cell k (0..80).
std::string cell_name(int k);

/// The caption's first line: "12. source:line" (the number when `numbered`),
/// then the note; the source with control bytes escaped.
std::string caption_title(const Picture& picture, bool numbered);

/// The caption's second line for people: the verdict and the solution
/// count, or for a hint the next move's cell and unit (never its digit).
std::string caption_detail(const Picture& picture);

/// The colour of iteration e (1..10) as "#rrggbb".
const char* iteration_colour(int e);

/// Appends `text` with every byte that is not UTF-8 replaced by U+FFFD, so
/// that an XML document or a PDF can hold any file name.
void append_utf8(std::string_view text, std::string& out);

}  // namespace batch
