// One writer per output format: a result (or a refused line) in, text out,
// appended to a buffer that the caller reuses. Nothing here does I/O.
//
//   text   for a person: the place, the grid drawn, the verdict, one line per
//          iteration, the solution count, the steps; a blank line after each.
//   line   one tab-separated line per puzzle: grid, verdict, iterations
//          ("carres,lignes,colonnes" of each, blank-separated), then the
//          solution count with --count and the placements with --explain or
//          --hint ("iteration:phase:digit@(i,j)", blank-separated), and last
//          the conflict: "unit:number:digit" when the givens repeat a digit
//          (unit box, column or line), else "-". A refused line gives
//          "error", source, line and message.
//   csv    a header row, then one row per puzzle or refused line, quoted as
//          RFC 4180 asks; the conflict column as in line, empty for none.
//   jsonl  one JSON object per line; a puzzle's has "conflict": null or
//          {"unit": ..., "number": n, "digit": d}.
//   svg    one SVG document for the run, a drawn grid per puzzle
//          (batch/svg_writer.h);
//   pdf    a printable book, grids a page (batch/pdf_writer.h).
//
// Puzzles made by --generate (Result::origin) are written in forms of their
// own: line gives the puzzle as an input line with a comment ("# iterations
// 4, 24 givens"), so that the output can be read back; text draws the
// puzzle; csv and jsonl give the puzzle, its solution, givens, verdict,
// iterations, symmetry and the run's seed.
// The text format names a conflict in words; with --hint it draws the grid
// as given with the cell of the next move marked '*', not the grid solved.
//
// The verdicts and the machine formats' error messages are never translated;
// the text format's labels and sentences are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "batch/record.h"
#include "batch/solve.h"

namespace batch {

enum class Format : uint8_t { text, line, csv, jsonl, svg, pdf };

enum class Paper : uint8_t { a4, letter };

struct WriteOptions {
  Format format = Format::text;
  bool count = false;    // solution counts were asked for
  bool explain = false;  // every placement
  bool hint = false;     // the first placement only
  int per_page = 4;      // pdf: grids a page, 1, 2, 4 or 6
  Paper paper = Paper::a4;
  bool made = false;  // the puzzles are made by --generate, not read
};

/// Appends what comes before the first record (the csv header row).
void write_header(const WriteOptions& options, std::string& out);

/// Appends the record of a solved puzzle that came from `source`.
void write_result(const WriteOptions& options, std::string_view source, uint64_t line,
                  const Result& result, std::string& out);

/// Appends the record of a refused line.
void write_refusal(const WriteOptions& options, std::string_view source, const Record& record,
                   std::string& out);

/// Appends `text` as a JSON string, quotes included: control characters,
/// quote and backslash escaped; bytes that are not UTF-8 become U+FFFD.
void append_json_string(std::string_view text, std::string& out);

/// Appends `text` with backslash, control bytes and DEL written as \\, \t,
/// \n, \r or \xNN, so that a file name cannot break a line or a field.
void append_escaped(std::string_view text, std::string& out);

/// The length of the valid UTF-8 sequence that starts at text[k], or 0 when
/// the bytes there are not one (overlong forms and surrogates included).
std::size_t utf8_length(std::string_view text, std::size_t k);

/// Writes `v` in decimal at `at` (20 bytes at most) and returns the end.
char* write_number(uint64_t v, char* at);

/// Appends `v` in decimal.
void append_number(uint64_t v, std::string& out);

}  // namespace batch
