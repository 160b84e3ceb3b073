// The svg format: one SVG document for the whole run, the puzzles one below
// the other, each in a frame of the same height with its caption (see
// batch/picture.h). The document has a viewBox and no fixed size, so that a
// web page scales it; its texts name DejaVu Sans with a generic fallback, and
// every text taken from the input is escaped for XML. Refused lines are not
// drawn. Nothing here does I/O.
//
// Each cell is an element carrying its name (data-cell="r9c1"); a digit is a
// text of class "given", "placed" or "searched" carrying its cell, and for an
// explanation its step and iteration (data-step, data-iteration).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "batch/picture.h"
#include "batch/solve.h"
#include "batch/writers.h"

namespace batch {

/// What the svg format draws for `options`: an explanation, a hint, or the
/// result.
View svg_view(const WriteOptions& options);

/// Appends the document's start, sized for `puzzles` frames.
void write_svg_header(const WriteOptions& options, uint64_t puzzles, std::string& out);

/// Appends the frame of `result`, placed by the caption's number.
void write_svg_puzzle(const WriteOptions& options, const Caption& caption, const Result& result,
                      std::string& out);

/// Appends the document's end.
void write_svg_footer(std::string& out);

/// Appends `text` escaped for XML text and attribute values: &, <, >, " and
/// ' as entities; control bytes, U+FFFE, U+FFFF and bytes that are not UTF-8,
/// which XML cannot hold, as U+FFFD.
void append_xml_text(std::string_view text, std::string& out);

}  // namespace batch
