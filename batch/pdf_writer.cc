#include "batch/pdf_writer.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

#include "batch/cairo_library.h"
#include "batch/messages.h"
#include "batch/spool.h"

namespace batch {
namespace {

// The back pictures wait in the spool as they are, less their caption's
// texts (the answer pages name the number only).
static_assert(std::is_trivially_copyable_v<Picture>);

// The library, set by the first book that opens; books are drawn on the
// main thread only.
const CairoLibrary* cairo = nullptr;

constexpr double kMargin = 40;  // points around the page's grids
constexpr double kFoot = 40;    // points below them, for the page number
constexpr std::size_t kReadBlock = sizeof(Picture) * 256;

struct Colour {
  double r, g, b;
};

Colour colour(const char* hex) {
  auto part = [hex](int at) {
    int v = 0;
    for (int k = at; k < at + 2; ++k) {
      const char c = hex[k];
      v = v * 16 + (c >= 'a' ? c - 'a' + 10 : c - '0');
    }
    return v / 255.0;
  };
  return {part(1), part(3), part(5)};
}

void set_colour(cairo_t* cr, const char* hex) {
  const Colour c = colour(hex);
  cairo->set_source_rgb(cr, c.r, c.g, c.b);
}

void font(cairo_t* cr, double size, bool bold, bool italic = false) {
  cairo->select_font_face(cr, "DejaVu Sans",
                          italic ? CAIRO_FONT_SLANT_OBLIQUE : CAIRO_FONT_SLANT_NORMAL,
                          bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo->set_font_size(cr, size);
}

void text_at(cairo_t* cr, double x, double y, const std::string& text) {
  cairo->move_to(cr, x, y);
  cairo->show_text(cr, text.c_str());
}

// `text` centred on x, its baseline at y.
void centred(cairo_t* cr, double x, double y, const std::string& text) {
  cairo_text_extents_t e;
  cairo->text_extents(cr, text.c_str(), &e);
  text_at(cr, x - e.x_bearing - e.width / 2, y, text);
}

// `text` as it fits in `width`: whole, or its first `keep` bytes and its end
// with an ellipsis between (a file's name says more than its folders).
std::string fitted(cairo_t* cr, const std::string& text, std::size_t keep, double width) {
  cairo_text_extents_t e;
  cairo->text_extents(cr, text.c_str(), &e);
  if (e.x_advance <= width) {
    return text;
  }
  std::size_t from = keep;
  std::string shown;
  do {
    ++from;
    while (from < text.size() && (static_cast<unsigned char>(text[from]) & 0xC0) == 0x80) {
      ++from;  // not inside a UTF-8 sequence
    }
    shown = text.substr(0, keep) + "\xE2\x80\xA6" + text.substr(from);
    cairo->text_extents(cr, shown.c_str(), &e);
  } while (e.x_advance > width && from < text.size());
  return shown;
}

void grid_lines(cairo_t* cr, bool thick) {
  for (int n = 0; n <= 9; ++n) {
    if ((n % 3 == 0) != thick) {
      continue;
    }
    const double at = n * kCellSize;
    cairo->move_to(cr, at, 0);
    cairo->line_to(cr, at, 9 * kCellSize);
    cairo->move_to(cr, 0, at);
    cairo->line_to(cr, 9 * kCellSize, at);
  }
  if (thick) {
    set_colour(cr, "#000000");
    cairo->set_line_width(cr, 3);
    cairo->set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
  } else {
    set_colour(cr, "#9a9a9a");
    cairo->set_line_width(cr, 1);
    cairo->set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  }
  cairo->stroke(cr);
}

void draw_legend(cairo_t* cr, const Picture& picture, double top) {
  double x = kFrameMargin;
  font(cr, 11, false);
  for (const LegendEntry& entry : legend(picture)) {
    set_colour(cr, entry.iteration > 0 ? iteration_colour(entry.iteration) : ink_colour(entry.ink));
    cairo->rectangle(cr, x, top + 8, 10, 10);
    cairo->fill(cr);
    set_colour(cr, "#333333");
    text_at(cr, x + 14, top + 17, entry.label);
    cairo_text_extents_t e;
    cairo->text_extents(cr, entry.label.c_str(), &e);
    x += 14 + e.x_advance + 12;
  }
}

// One frame, as the SVG draws it, in frame units.
void draw_frame(cairo_t* cr, const Picture& picture, const std::string& title) {
  font(cr, 15, true);
  set_colour(cr, "#000000");
  const std::size_t number = title.find(". ");
  text_at(cr, kFrameMargin, 26,
          fitted(cr, title, number == std::string::npos ? 0 : number + 2, 9 * kCellSize));
  const std::string detail = caption_detail(picture);
  if (!detail.empty()) {
    font(cr, 12, false);
    set_colour(cr, "#444444");
    text_at(cr, kFrameMargin, 48, detail);
  }
  cairo->save(cr);
  cairo->translate(cr, kFrameMargin, kGridTop);
  for (int k = 0; k < 81; ++k) {
    if (picture.cells[k].shaded) {
      set_colour(cr, "#fbe3a0");
      const int column = k % 9;
      const int row = k / 9;
      cairo->rectangle(cr, column * kCellSize, row * kCellSize, kCellSize, kCellSize);
      cairo->fill(cr);
    }
  }
  grid_lines(cr, false);
  grid_lines(cr, true);
  if (picture.mark >= 0) {
    set_colour(cr, "#c0500a");
    cairo->set_line_width(cr, 4);
    const int column = picture.mark % 9;
    const int row = picture.mark / 9;
    cairo->rectangle(cr, column * kCellSize + 4, row * kCellSize + 4, 32, 32);
    cairo->stroke(cr);
  }
  for (int k = 0; k < 81; ++k) {
    const PictureCell& cell = picture.cells[k];
    if (cell.ink == Ink::none) {
      continue;
    }
    const int column = k % 9;
    const int row = k / 9;
    const double x = column * kCellSize;
    const double y = row * kCellSize;
    const char* ink = cell.step > 0 ? iteration_colour(cell.iteration) : ink_colour(cell.ink);
    font(cr, 24, cell.ink == Ink::given, cell.ink == Ink::searched);
    set_colour(cr, ink);
    centred(cr, x + kCellSize / 2.0, y + 29, std::string(1, static_cast<char>('0' + cell.digit)));
    if (cell.step > 0) {
      font(cr, 9, false);
      std::string step;
      append_number(cell.step, step);
      text_at(cr, x + 3, y + 11, step);
    }
  }
  cairo->restore(cr);
  if (has_legend(picture.view)) {
    draw_legend(cr, picture, kGridTop + 9 * kCellSize);
  }
}

cairo_status_t append_bytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* sink = static_cast<std::string**>(closure);
  if (*sink != nullptr) {
    (*sink)->append(reinterpret_cast<const char*>(data), length);
  }
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

bool pdf_available() { return true; }

struct Book::State {
  WriteOptions options;
  double width = 0;
  double height = 0;
  int columns = 1;
  int rows = 1;
  std::string* sink = nullptr;  // where cairo's bytes go now
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
  Spool answers;
  uint64_t leaves = 0;
  int slot = 0;  // the next slot on the page being drawn
  int page = 0;  // pages begun

  ~State() {
    if (cr != nullptr) {
      cairo->destroy(cr);
    }
    if (surface != nullptr) {
      cairo->surface_destroy(surface);
    }
  }

  void end_page() {
    std::string number;
    append_number(static_cast<uint64_t>(page), number);
    font(cr, 10, false);
    set_colour(cr, "#000000");
    centred(cr, width / 2, height - kFoot / 2, number);
    cairo->show_page(cr);
    slot = 0;
  }

  void draw(const Picture& picture, const std::string& title, const char* heading) {
    if (slot == 0) {
      ++page;
      if (heading != nullptr) {
        font(cr, 12, true);
        set_colour(cr, "#000000");
        text_at(cr, kMargin, kMargin / 2 + 6, heading);
      }
    }
    const double slot_width = (width - 2 * kMargin) / columns;
    const double slot_height = (height - kMargin - kFoot) / rows;
    const double frame = frame_height(picture.view);
    const double scale = std::min(slot_width / kFrameWidth, slot_height / frame);
    const int column = slot % columns;
    const int row = slot / columns;
    const double x = kMargin + column * slot_width + (slot_width - kFrameWidth * scale) / 2;
    const double y = kMargin + row * slot_height + (slot_height - frame * scale) / 2;
    cairo->save(cr);
    cairo->translate(cr, x, y);
    cairo->scale(cr, scale, scale);
    draw_frame(cr, picture, title);
    cairo->restore(cr);
    if (++slot == columns * rows) {
      end_page();
    }
  }
};

Book::Book(const WriteOptions& options) : state_(std::make_unique<State>()) {
  State& s = *state_;
  s.options = options;
  const bool letter = options.paper == Paper::letter;
  s.width = letter ? 612 : 595.276;
  s.height = letter ? 792 : 841.89;
  s.columns = options.per_page >= 4 ? 2 : 1;
  s.rows = std::max(1, options.per_page / s.columns);
}

Book::~Book() = default;

bool Book::open(std::string& why) {
  State& s = *state_;
  if (has_answers(s.options) && !s.answers.open()) {
    append_printf(why, tr("cannot make a temporary file in %s: %s"), s.answers.folder().c_str(),
                  std::strerror(s.answers.error()));
    return false;
  }
  std::string missing;
  cairo = cairo_library(missing);
  if (cairo == nullptr) {
    append_printf(why, tr("cannot load the PDF library: %s"), missing.c_str());
    return false;
  }
  s.surface = cairo->pdf_surface_create_for_stream(append_bytes, &s.sink, s.width, s.height);
  s.cr = cairo->create(s.surface);
  if (cairo->status(s.cr) != CAIRO_STATUS_SUCCESS) {
    why = cairo->status_to_string(cairo->status(s.cr));
    return false;
  }
  cairo->pdf_surface_set_metadata(s.surface, CAIRO_PDF_METADATA_CREATOR, "sudoku-batch");
  return true;
}

void Book::add(const Leaf& leaf, std::string& out) {
  State& s = *state_;
  s.sink = &out;
  ++s.leaves;
  s.draw(leaf.front, caption_title(leaf.front, true), nullptr);
  if (has_answers(s.options)) {
    Picture back = leaf.back;
    back.caption.source = {};
    back.caption.note = {};
    s.answers.write(std::string_view(reinterpret_cast<const char*>(&back), sizeof back));
  }
  s.sink = nullptr;
}

bool Book::finish(const std::function<bool(std::string_view)>& write, std::string& why) {
  State& s = *state_;
  std::string out;
  s.sink = &out;
  auto flush = [&out, &write] {
    const bool written = write(out);
    out.clear();
    return written;
  };
  if (s.slot > 0) {
    s.end_page();
  }
  if (has_answers(s.options) && s.leaves > 0) {
    const std::string heading = tr("Solutions");
    std::string carry;
    s.answers.replay(kReadBlock, [&](std::string_view bytes) {
      carry.append(bytes);
      std::size_t at = 0;
      for (; at + sizeof(Picture) <= carry.size(); at += sizeof(Picture)) {
        Picture back;
        std::memcpy(&back, carry.data() + at, sizeof back);
        std::string title;
        append_number(back.caption.number, title);
        title += '.';
        s.draw(back, title, heading.c_str());
        if (!flush()) {
          return false;
        }
      }
      carry.erase(0, at);
      return true;
    });
    if (s.slot > 0) {
      s.end_page();
    }
  }
  if (s.page == 0) {
    // An empty run still makes a valid document: one blank page.
    cairo->show_page(s.cr);
  }
  if (s.answers.error() != 0) {
    append_printf(why, tr("cannot use the temporary file: %s"), std::strerror(s.answers.error()));
  }
  cairo->surface_finish(s.surface);
  const cairo_status_t status = cairo->surface_status(s.surface);
  s.sink = nullptr;
  flush();
  if (status != CAIRO_STATUS_SUCCESS && why.empty()) {
    why = cairo->status_to_string(status);
  }
  return why.empty();
}

}  // namespace batch
