// cairo, opened the first time a book is, not when the program starts.
// Linked in, cairo and the twenty libraries it brings cost every run of
// sudoku-batch several milliseconds of loading and relocation, whatever
// the format and however few the puzzles: more than solving thousands of
// them. The pdf writer calls cairo through this table only.
#pragma once

#include <cairo-pdf.h>
#include <cairo.h>

#include <string>

namespace batch {

// Every cairo function the pdf writer calls, each under its name less the
// "cairo_" prefix.
// clang-format off
#define SUDOKU_CAIRO_FUNCTIONS(X)                                                      \
  X(create) X(destroy) X(fill) X(line_to) X(move_to) X(pdf_surface_create_for_stream) \
  X(pdf_surface_set_metadata) X(rectangle) X(restore) X(save) X(scale)               \
  X(select_font_face) X(set_font_size) X(set_line_cap) X(set_line_width)             \
  X(set_source_rgb) X(show_page) X(show_text) X(status) X(status_to_string)          \
  X(stroke) X(surface_destroy) X(surface_finish) X(surface_status) X(text_extents)   \
  X(translate)
// clang-format on

struct CairoLibrary {
// NOLINTNEXTLINE(bugprone-macro-parentheses): a member is named, not an expression
#define SUDOKU_CAIRO_MEMBER(name) decltype(&::cairo_##name) name = nullptr;
  SUDOKU_CAIRO_FUNCTIONS(SUDOKU_CAIRO_MEMBER)
#undef SUDOKU_CAIRO_MEMBER
};

/// The library, opened on the first call and kept open. Null, with the
/// reason in `why`, when it or one of its functions cannot be found.
const CairoLibrary* cairo_library(std::string& why);

}  // namespace batch
