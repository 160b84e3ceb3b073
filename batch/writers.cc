#include "batch/writers.h"

#include <algorithm>
#include <charconv>

#include "batch/messages.h"

namespace batch {
namespace {

const char* phase_name(Phase p) {
  switch (p) {
    case Phase::carres:
      return "carres";
    case Phase::colonnes:
      return "colonnes";
    case Phase::lignes:
      break;
  }
  return "lignes";
}

void append_grid81(const Grid& g, std::string& out) {
  char cells[81];
  for (int k = 0; k < 81; ++k) {
    const int32_t v = g.cells[k];
    cells[k] = v >= 1 && v <= 9 ? static_cast<char>('0' + v) : '.';
  }
  out.append(cells, 81);
}

// The iterations as "carres,lignes,colonnes" each, blank-separated, made in
// a buffer and appended at once (about thirty numbers a puzzle).
void append_iterations(const Resolution& etat, std::string& out) {
  char text[10 * 3 * 21];  // at most ten iterations of three numbers, each with a separator
  char* at = text;
  const int32_t last = std::min(etat.niter, 10);
  for (int32_t e = 1; e <= last; ++e) {
    at = write_number(static_cast<uint64_t>(etat.ncarres[e]), at);
    *at++ = ',';
    at = write_number(static_cast<uint64_t>(etat.nlignes[e]), at);
    *at++ = ',';
    at = write_number(static_cast<uint64_t>(etat.ncolonnes[e]), at);
    *at++ = ' ';
  }
  if (at != text) {
    --at;  // no blank after the last
  }
  out.append(text, at);
}

// The iterations as JSON objects, comma-separated.
void append_json_iterations(const Resolution& etat, std::string& out) {
  for (int32_t e = 1; e <= etat.niter; ++e) {
    out += e > 1 ? ",{\"carres\":" : "{\"carres\":";
    append_number(static_cast<uint64_t>(etat.ncarres[e]), out);
    out += ",\"lignes\":";
    append_number(static_cast<uint64_t>(etat.nlignes[e]), out);
    out += ",\"colonnes\":";
    append_number(static_cast<uint64_t>(etat.ncolonnes[e]), out);
    out += '}';
  }
}

// How many placements the options list: all, the first, or none.
int32_t listed(const WriteOptions& options, const Result& result) {
  if (options.explain) {
    return result.journal.n;
  }
  if (options.hint) {
    return result.journal.n > 0 ? 1 : 0;
  }
  return 0;
}

void append_compact_placements(const WriteOptions& options, const Result& result,
                               std::string& out) {
  const int32_t n = listed(options, result);
  for (int32_t k = 0; k < n; ++k) {
    const Placement& p = result.journal.placements[k];
    if (k > 0) {
      out += ' ';
    }
    append_number(static_cast<uint64_t>(p.iteration), out);
    out += ':';
    out += phase_name(p.phase);
    out += ':';
    out += static_cast<char>('0' + p.chiffre);
    out += "@(";
    out += static_cast<char>('0' + p.i);
    out += ',';
    out += static_cast<char>('0' + p.j);
    out += ')';
  }
}

// A csv field: quoted when it holds a comma, a quote or a line end.
void append_csv_field(std::string_view text, std::string& out) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += text;
    return;
  }
  out += '"';
  for (const char c : text) {
    if (c == '"') {
      out += '"';
    }
    out += c;
  }
  out += '"';
}

// The unit of a repeated digit as the machine formats name it.
const char* unit_name(Phase p) {
  switch (p) {
    case Phase::carres:
      return "box";
    case Phase::colonnes:
      return "column";
    case Phase::lignes:
      break;
  }
  return "line";
}

// "unit:number:digit" when the givens repeat a digit, else `none`.
void append_conflict(const Result& result, const char* none, std::string& out) {
  if (!result.repeated) {
    out += none;
    return;
  }
  out += unit_name(result.doublon.unite);
  out += ':';
  append_number(static_cast<uint64_t>(result.doublon.numero), out);
  out += ':';
  append_number(static_cast<uint64_t>(result.doublon.chiffre), out);
}

bool complete(const Grid& g) {
  for (const int32_t v : g.cells) {
    if (v < 1 || v > 9) {
      return false;
    }
  }
  return true;
}

// The grid, with the cell (mark_i, mark_j) drawn as '*' when it is not 0.
void draw_grid(const Grid& g, std::string& out, int mark_i = 0, int mark_j = 0) {
  for (int j = 1; j <= 9; ++j) {
    if (j == 4 || j == 7) {
      out += "-------+-------+-------\n";
    }
    for (int i = 1; i <= 9; ++i) {
      out += ' ';
      const int32_t v = g(i, j);
      out += i == mark_i && j == mark_j ? '*' : v >= 1 && v <= 9 ? static_cast<char>('0' + v) : '.';
      if (i == 3 || i == 6) {
        out += " |";
      }
    }
    out += '\n';
  }
}

void write_text(const WriteOptions& options, std::string_view source, uint64_t line,
                const Result& result, std::string& out) {
  append_escaped(source, out);
  out += ':';
  append_number(line, out);
  out += '\n';
  if (options.hint && !options.explain) {
    // The grid as given, the cell of the next move marked: not the answer.
    const Placement* p = result.journal.n > 0 ? &result.journal.placements[0] : nullptr;
    draw_grid(result.givens, out, p != nullptr ? p->i : 0, p != nullptr ? p->j : 0);
  } else {
    draw_grid(result.grille, out);
  }
  append_printf(out, tr("verdict: %s\n"), verdict_text(result.verdict));
  const Resolution& etat = result.etat;
  for (int32_t e = 1; e <= etat.niter; ++e) {
    append_printf(out, tr("iteration %d: %d boxes, %d lines, %d columns\n"), e, etat.ncarres[e],
                  etat.nlignes[e], etat.ncolonnes[e]);
  }
  if (options.count) {
    if (result.solutions >= 2) {
      out += tr("solutions: 2 or more\n");
    } else {
      append_printf(out, tr("solutions: %d"), result.solutions);
      if (result.repeated) {
        out += " (";
        append_doublon(result.doublon, out);
        out += ')';
      }
      out += '\n';
    }
    if (result.solutions == 1 && !(result.solution == result.grille)) {
      out += tr("solution:\n");
      draw_grid(result.solution, out);
    }
  } else if (result.repeated) {
    out += tr("the givens break the rules: ");
    append_doublon(result.doublon, out);
    out += '\n';
  }
  if (options.explain || options.hint) {
    Grid work = result.givens;
    const int32_t n = listed(options, result);
    out += options.explain ? tr("steps:\n") : tr("next move: ");
    if (n == 0 && complete(result.givens)) {
      out += options.explain ? tr("  none: the grid is complete\n")
                             : tr("none, the grid is complete\n");
    } else if (n == 0) {
      out +=
          options.explain ? tr("  none: no digit is forced\n") : tr("none, no digit is forced\n");
    }
    for (int32_t k = 0; k < n; ++k) {
      const Placement& p = result.journal.placements[k];
      if (options.explain) {
        append_printf(out, tr("  iteration %d: "), p.iteration);
      }
      append_explanation(p, work(p.i, p.j), out);
      work(p.i, p.j) = static_cast<unsigned char>(p.chiffre);  // 1..9
      out += '\n';
    }
  }
  out += '\n';
}

void write_line(const WriteOptions& options, const Result& result, std::string& out) {
  append_grid81(result.grille, out);
  out += '\t';
  out += verdict_text(result.verdict);
  out += '\t';
  append_iterations(result.etat, out);
  if (options.count) {
    out += '\t';
    append_number(static_cast<uint64_t>(result.solutions), out);
  }
  if (options.explain || options.hint) {
    out += '\t';
    append_compact_placements(options, result, out);
  }
  out += '\t';
  append_conflict(result, "-", out);
  out += '\n';
}

void write_csv(const WriteOptions& options, std::string_view source, uint64_t line,
               const Result& result, std::string& out) {
  append_csv_field(source, out);
  out += ',';
  append_number(line, out);
  out += ',';
  append_grid81(result.givens, out);
  out += ',';
  out += verdict_text(result.verdict);
  out += ',';
  const std::size_t at = out.size();
  append_iterations(result.etat, out);
  if (out.find(',', at) != std::string::npos) {
    out.insert(at, 1, '"');
    out += '"';
  }
  out += ',';
  append_grid81(result.grille, out);
  if (options.count) {
    out += ',';
    append_number(static_cast<uint64_t>(result.solutions), out);
    out += ',';
    if (result.solutions == 1) {
      append_grid81(result.solution, out);
    }
  }
  if (options.explain || options.hint) {
    out += ',';
    append_compact_placements(options, result, out);
  }
  out += ',';
  append_conflict(result, "", out);
  out += ",\n";
}

void write_jsonl(const WriteOptions& options, std::string_view source, uint64_t line,
                 const Result& result, std::string& out) {
  out += "{\"source\":";
  append_json_string(source, out);
  out += ",\"line\":";
  append_number(line, out);
  out += ",\"givens\":\"";
  append_grid81(result.givens, out);
  out += "\",\"verdict\":\"";
  out += verdict_text(result.verdict);
  out += "\",\"conflict\":";
  if (result.repeated) {
    out += "{\"unit\":\"";
    out += unit_name(result.doublon.unite);
    out += "\",\"number\":";
    append_number(static_cast<uint64_t>(result.doublon.numero), out);
    out += ",\"digit\":";
    append_number(static_cast<uint64_t>(result.doublon.chiffre), out);
    out += '}';
  } else {
    out += "null";
  }
  out += ",\"iterations\":[";
  append_json_iterations(result.etat, out);
  out += "],\"grid\":\"";
  append_grid81(result.grille, out);
  out += '"';
  if (options.count) {
    out += ",\"solutions\":";
    append_number(static_cast<uint64_t>(result.solutions), out);
    if (result.solutions == 1) {
      out += ",\"solution\":\"";
      append_grid81(result.solution, out);
      out += '"';
    }
  }
  if (options.explain || options.hint) {
    out += ",\"placements\":[";
    const int32_t n = listed(options, result);
    for (int32_t k = 0; k < n; ++k) {
      const Placement& p = result.journal.placements[k];
      out += k > 0 ? ",{\"iteration\":" : "{\"iteration\":";
      append_number(static_cast<uint64_t>(p.iteration), out);
      out += ",\"phase\":\"";
      out += phase_name(p.phase);
      out += "\",\"digit\":";
      out += static_cast<char>('0' + p.chiffre);
      out += ",\"i\":";
      out += static_cast<char>('0' + p.i);
      out += ",\"j\":";
      out += static_cast<char>('0' + p.j);
      out += '}';
    }
    out += ']';
  }
  out += "}\n";
}

// --- puzzles made by --generate -------------------------------------------

void write_made_line(const Result& result, std::string& out) {
  append_grid81(result.givens, out);
  out += " # ";
  if (result.verdict == Verdict::trouve) {
    out += "iterations ";
    append_number(static_cast<uint64_t>(result.etat.niter), out);
  } else {
    out += verdict_text(result.verdict);
  }
  out += ", ";
  append_number(static_cast<uint64_t>(result.origin.givens), out);
  out += " givens";
  if (result.origin.symmetry != Symmetry::none) {
    out += ", symmetry ";
    out += symmetry_name(result.origin.symmetry);
  }
  out += '\n';
}

void write_made_text(uint64_t number, const Result& result, std::string& out) {
  append_printf(out, tr("puzzle %llu (seed %llu)\n"), static_cast<unsigned long long>(number),
                static_cast<unsigned long long>(result.origin.seed));
  draw_grid(result.givens, out);
  if (result.verdict == Verdict::trouve) {
    append_printf(out, tr("iterations: %d, givens: %d"), result.etat.niter, result.origin.givens);
  } else {
    append_printf(out, tr("beyond the forced placements (%s), givens: %d"),
                  verdict_text(result.verdict), result.origin.givens);
  }
  if (result.origin.symmetry != Symmetry::none) {
    append_printf(out, tr(", symmetry: %s"), symmetry_name(result.origin.symmetry));
  }
  out += "\n\n";
}

void write_made_csv(uint64_t number, const Result& result, std::string& out) {
  append_number(number, out);
  out += ',';
  append_grid81(result.givens, out);
  out += ',';
  append_grid81(result.solution, out);
  out += ',';
  append_number(static_cast<uint64_t>(result.origin.givens), out);
  out += ',';
  out += verdict_text(result.verdict);
  out += ",\"";
  append_iterations(result.etat, out);
  out += "\",";
  out += symmetry_name(result.origin.symmetry);
  out += ',';
  append_number(result.origin.seed, out);
  out += '\n';
}

void write_made_jsonl(uint64_t number, const Result& result, std::string& out) {
  out += "{\"number\":";
  append_number(number, out);
  out += ",\"puzzle\":\"";
  append_grid81(result.givens, out);
  out += "\",\"solution\":\"";
  append_grid81(result.solution, out);
  out += "\",\"givens\":";
  append_number(static_cast<uint64_t>(result.origin.givens), out);
  out += ",\"verdict\":\"";
  out += verdict_text(result.verdict);
  out += "\",\"iterations\":[";
  append_json_iterations(result.etat, out);
  out += "],\"symmetry\":\"";
  out += symmetry_name(result.origin.symmetry);
  out += "\",\"seed\":";
  append_number(result.origin.seed, out);
  out += "}\n";
}

// The forms of a made puzzle; false for a format that has none of its own.
bool write_made(const WriteOptions& options, uint64_t number, const Result& result,
                std::string& out) {
  switch (options.format) {
    case Format::text:
      write_made_text(number, result, out);
      return true;
    case Format::line:
      write_made_line(result, out);
      return true;
    case Format::csv:
      write_made_csv(number, result, out);
      return true;
    case Format::jsonl:
      write_made_jsonl(number, result, out);
      return true;
    case Format::svg:
    case Format::pdf:
      break;
  }
  return false;
}

}  // namespace

char* write_number(uint64_t v, char* at) {
  if (v < 10) {  // most numbers written: counts per phase
    *at = static_cast<char>('0' + v);
    return at + 1;
  }
  return std::to_chars(at, at + 20, v).ptr;
}

void append_number(uint64_t v, std::string& out) {
  char digits[20];
  out.append(digits, write_number(v, digits));
}

void append_escaped(std::string_view text, std::string& out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (b < 0x20 || b == 0x7F) {
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += c;
    }
  }
}

std::size_t utf8_length(std::string_view text, std::size_t k) {
  const auto b = static_cast<unsigned char>(text[k]);
  if (b < 0x80) {
    return 1;
  }
  // The sequence's length, the range of its second byte (which rules out
  // overlong forms, surrogates and code points past U+10FFFF).
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (b >= 0xC2 && b <= 0xDF) {
    length = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3;
    low = b == 0xE0 ? 0xA0 : 0x80;
    high = b == 0xED ? 0x9F : 0xBF;
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4;
    low = b == 0xF0 ? 0x90 : 0x80;
    high = b == 0xF4 ? 0x8F : 0xBF;
  }
  bool valid = length > 0 && k + length <= text.size();
  for (std::size_t m = 1; valid && m < length; ++m) {
    const auto c = static_cast<unsigned char>(text[k + m]);
    valid = m == 1 ? (c >= low && c <= high) : (c >= 0x80 && c <= 0xBF);
  }
  return valid ? length : 0;
}

void append_json_string(std::string_view text, std::string& out) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  std::size_t k = 0;
  while (k < text.size()) {
    const auto b = static_cast<unsigned char>(text[k]);
    if (b < 0x80) {
      if (b == '"' || b == '\\') {
        out += '\\';
        out += static_cast<char>(b);
      } else if (b == '\n') {
        out += "\\n";
      } else if (b == '\t') {
        out += "\\t";
      } else if (b == '\r') {
        out += "\\r";
      } else if (b < 0x20 || b == 0x7F) {
        out += "\\u00";
        out += kHex[b >> 4];
        out += kHex[b & 15];
      } else {
        out += static_cast<char>(b);
      }
      ++k;
      continue;
    }
    const std::size_t length = utf8_length(text, k);
    if (length > 0) {
      out.append(text.substr(k, length));
      k += length;
    } else {
      out += "\xEF\xBF\xBD";
      ++k;
    }
  }
  out += '"';
}

void write_header(const WriteOptions& options, std::string& out) {
  if (options.format != Format::csv) {
    return;
  }
  if (options.made) {
    out += "number,puzzle,solution,givens,verdict,iterations,symmetry,seed\n";
    return;
  }
  out += "source,line,givens,verdict,iterations,grid";
  if (options.count) {
    out += ",solutions,solution";
  }
  if (options.explain || options.hint) {
    out += ",placements";
  }
  out += ",conflict,error\n";
}

void write_result(const WriteOptions& options, std::string_view source, uint64_t line,
                  const Result& result, std::string& out) {
  if (result.origin.made && write_made(options, line, result, out)) {
    return;
  }
  switch (options.format) {
    case Format::text:
      write_text(options, source, line, result, out);
      break;
    case Format::line:
      write_line(options, result, out);
      break;
    case Format::csv:
      write_csv(options, source, line, result, out);
      break;
    case Format::jsonl:
      write_jsonl(options, source, line, result, out);
      break;
    case Format::svg:
    case Format::pdf:
      break;  // drawn by their own writers
  }
}

void write_refusal(const WriteOptions& options, std::string_view source, const Record& record,
                   std::string& out) {
  std::string message;
  switch (options.format) {
    case Format::text:
      append_escaped(source, out);
      out += ':';
      append_number(record.line, out);
      out += '\n';
      out += tr("refused: ");
      append_refusal(record, true, out);
      out += "\n\n";
      break;
    case Format::line:
      out += "error\t";
      append_escaped(source, out);
      out += '\t';
      append_number(record.line, out);
      out += '\t';
      append_refusal(record, false, out);
      out += '\n';
      break;
    case Format::csv: {
      append_csv_field(source, out);
      out += ',';
      append_number(record.line, out);
      out += ",,,,,";
      if (options.count) {
        out += ",,";
      }
      if (options.explain || options.hint) {
        out += ',';
      }
      out += ',';
      append_refusal(record, false, message);
      append_csv_field(message, out);
      out += '\n';
      break;
    }
    case Format::jsonl:
      out += "{\"source\":";
      append_json_string(source, out);
      out += ",\"line\":";
      append_number(record.line, out);
      out += ",\"error\":";
      append_refusal(record, false, message);
      append_json_string(message, out);
      out += "}\n";
      break;
    case Format::svg:
    case Format::pdf:
      break;  // pictures leave refused lines to the report on standard error
  }
}

}  // namespace batch
