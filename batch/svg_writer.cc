#include "batch/svg_writer.h"

#include <vector>

namespace batch {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The rules of the grid: thin between cells, thick around the boxes.
constexpr std::string_view kThinLines =
    "M40 0V360M80 0V360M160 0V360M200 0V360M280 0V360M320 0V360"
    "M0 40H360M0 80H360M0 160H360M0 200H360M0 280H360M0 320H360";
constexpr std::string_view kThickLines = "M0 0H360V360H0ZM120 0V360M240 0V360M0 120H360M0 240H360";

void attribute(std::string_view name, int v, std::string& out) {
  out += ' ';
  out += name;
  out += "=\"";
  append_number(static_cast<uint64_t>(v), out);
  out += '"';
}

void digit_text(const PictureCell& cell, int k, std::string& out) {
  const int x = k % 9 * kCellSize;
  const int y = k / 9 * kCellSize;
  const char* kind = cell.ink == Ink::given    ? "given"
                     : cell.ink == Ink::placed ? "placed"
                                               : "searched";
  out += "<text class=\"";
  out += kind;
  out += "\" data-cell=\"";
  out += cell_name(k);
  out += '"';
  if (cell.step > 0) {
    attribute("data-step", cell.step, out);
  }
  if (cell.ink == Ink::placed && cell.iteration > 0) {
    attribute("data-iteration", cell.iteration, out);
  }
  attribute("x", x + kCellSize / 2, out);
  attribute("y", y + 29, out);
  if (cell.ink == Ink::placed && cell.step > 0) {
    out += " style=\"fill:";  // over the class's colour
    out += iteration_colour(cell.iteration);
    out += '"';
  }
  out += '>';
  out += static_cast<char>('0' + cell.digit);
  out += "</text>";
  if (cell.step > 0) {
    out += "<text class=\"step\"";
    attribute("x", x + 3, out);
    attribute("y", y + 11, out);
    out += " fill=\"";
    out += iteration_colour(cell.iteration);
    out += "\">";
    append_number(cell.step, out);
    out += "</text>";
  }
  out += '\n';
}

// The legend's entries side by side; text widths are estimated, at about
// 0.6 of the font size a character (DejaVu Sans's digits and lower case).
void write_legend(const Picture& picture, int top, std::string& out) {
  const std::vector<LegendEntry> entries = legend(picture);
  out += "<g class=\"legend\">\n";
  int x = kFrameMargin;
  for (const LegendEntry& entry : entries) {
    const char* colour =
        entry.iteration > 0 ? iteration_colour(entry.iteration) : ink_colour(entry.ink);
    out += "<rect";
    attribute("x", x, out);
    attribute("y", top + 8, out);
    out += " width=\"10\" height=\"10\" fill=\"";
    out += colour;
    out += "\"/><text class=\"key\"";
    attribute("x", x + 14, out);
    attribute("y", top + 17, out);
    out += '>';
    append_xml_text(entry.label, out);
    out += "</text>\n";
    x += 14 + static_cast<int>(entry.label.size()) * 13 / 2 + 14;
  }
  out += "</g>\n";
}

}  // namespace

View svg_view(const WriteOptions& options) {
  if (options.made) {
    return View::givens;  // a made puzzle is drawn to be solved
  }
  if (options.explain) {
    return View::explain;
  }
  return options.hint ? View::hint : View::result;
}

void append_xml_text(std::string_view text, std::string& out) {
  std::size_t k = 0;
  while (k < text.size()) {
    const char c = text[k];
    const auto b = static_cast<unsigned char>(c);
    const std::size_t n = utf8_length(text, k);
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c == '"') {
      out += "&quot;";
    } else if (c == '\'') {
      out += "&apos;";
    } else if (n == 0 || (b < 0x20 && c != '\t' && c != '\n' && c != '\r') ||
               text.substr(k, n) == "\xEF\xBF\xBE" || text.substr(k, n) == "\xEF\xBF\xBF") {
      out += kReplacement;
    } else {
      out.append(text.substr(k, n));
      k += n;
      continue;
    }
    k += n > 0 ? n : 1;
  }
}

void write_svg_header(const WriteOptions& options, uint64_t puzzles, std::string& out) {
  const uint64_t height = puzzles * static_cast<uint64_t>(frame_height(svg_view(options)));
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"";
  out += " viewBox=\"0 0 ";
  append_number(kFrameWidth, out);
  out += ' ';
  append_number(height, out);
  out +=
      "\">\n"
      "<style>\n"
      "text{font-family:'DejaVu Sans',sans-serif}\n"
      ".title{font-size:15px;font-weight:bold}\n"
      ".detail{font-size:12px;fill:#444}\n"
      ".key{font-size:11px;fill:#333}\n"
      ".given,.placed,.searched{font-size:24px;text-anchor:middle}\n"
      ".given{font-weight:bold;fill:#000}\n"
      ".placed{fill:#1f5fbf}\n"
      ".searched{fill:#a0a0a0;font-style:italic}\n"
      ".step{font-size:9px}\n"
      ".cell{fill:#fff}\n"
      ".shaded{fill:#fbe3a0}\n"
      ".thin{fill:none;stroke:#9a9a9a;stroke-width:1}\n"
      ".thick{fill:none;stroke:#000;stroke-width:3;stroke-linecap:square}\n"
      ".mark{fill:none;stroke:#c0500a;stroke-width:4}\n"
      "</style>\n"
      "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
}

void write_svg_puzzle(const WriteOptions& options, const Caption& caption, const Result& result,
                      std::string& out) {
  Picture picture;
  make_picture(svg_view(options), caption, result, picture);
  const int height = frame_height(picture.view);
  out += "<g class=\"puzzle\" id=\"puzzle-";
  append_number(caption.number, out);
  out += "\" transform=\"translate(0 ";
  append_number((caption.number > 0 ? caption.number - 1 : 0) * static_cast<uint64_t>(height), out);
  out += ")\">\n<text class=\"title\" x=\"20\" y=\"26\"";
  // A title wider than the grid, by the same estimate, is squeezed to it.
  const std::string title = caption_title(picture, false);
  constexpr std::size_t kTitleFits = 9 * kCellSize / 9;  // characters of about 9 units
  if (title.size() > kTitleFits) {
    out += " textLength=\"360\" lengthAdjust=\"spacingAndGlyphs\"";
  }
  out += '>';
  append_xml_text(title, out);
  out += "</text>\n<text class=\"detail\" x=\"20\" y=\"48\">";
  append_xml_text(caption_detail(picture), out);
  out += "</text>\n<g transform=\"translate(20 64)\">\n";
  for (int k = 0; k < 81; ++k) {
    out += picture.cells[k].shaded ? "<rect class=\"cell shaded\"" : "<rect class=\"cell\"";
    out += " data-cell=\"";
    out += cell_name(k);
    out += '"';
    attribute("x", k % 9 * kCellSize, out);
    attribute("y", k / 9 * kCellSize, out);
    out += " width=\"40\" height=\"40\"/>\n";
  }
  out += "<path class=\"thin\" d=\"";
  out += kThinLines;
  out += "\"/>\n<path class=\"thick\" d=\"";
  out += kThickLines;
  out += "\"/>\n";
  if (picture.mark >= 0) {
    out += "<rect class=\"mark\" data-cell=\"";
    out += cell_name(picture.mark);
    out += '"';
    attribute("x", picture.mark % 9 * kCellSize + 4, out);
    attribute("y", picture.mark / 9 * kCellSize + 4, out);
    out += " width=\"32\" height=\"32\" rx=\"4\"/>\n";
  }
  for (int k = 0; k < 81; ++k) {
    if (picture.cells[k].ink != Ink::none) {
      digit_text(picture.cells[k], k, out);
    }
  }
  out += "</g>\n";
  if (has_legend(picture.view)) {
    write_legend(picture, kGridTop + 9 * kCellSize, out);
  }
  out += "</g>\n";
}

void write_svg_footer(std::string& out) { out += "</svg>\n"; }

}  // namespace batch
