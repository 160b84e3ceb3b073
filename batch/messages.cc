#include "batch/messages.h"

#include <libintl.h>

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace batch {
namespace {

constexpr const char* kDomain = "sudoku-batch";

const char* pick(const char* english, bool translate) { return translate ? tr(english) : english; }
const char* pickn(const char* singular, const char* plural, unsigned long n, bool translate) {
  if (translate) {
    return trn(singular, plural, n);
  }
  return n == 1 ? singular : plural;
}

// A byte as people can read it: 'x' when printable, else its hexadecimal code.
void append_byte(uint8_t byte, bool translate, std::string& out) {
  if (byte >= 0x21 && byte < 0x7F) {
    append_printf(out, "'%c'", static_cast<char>(byte));
  } else if (byte == ' ') {
    out += pick("a blank", translate);
  } else {
    append_printf(out, pick("byte 0x%02X", translate), static_cast<unsigned>(byte));
  }
}

}  // namespace

const char* tr(const char* english) { return dgettext(kDomain, english); }

const char* trn(const char* singular, const char* plural, unsigned long n) {
  return dngettext(kDomain, singular, plural, n);
}

void start_messages(const char* dir) {
  // Only the categories the program reads: the messages and their
  // characters, numbers in the summaries, and the paper size of a PDF book.
  // The others each cost a file to open and map at every start.
  for (const int category : {LC_CTYPE, LC_MESSAGES, LC_NUMERIC, LC_PAPER}) {
    std::setlocale(category, "");
  }
  const char* chosen = std::getenv("SUDOKU_BATCH_LOCALEDIR");
  bindtextdomain(kDomain, chosen != nullptr && *chosen != '\0' ? chosen : dir);
  bind_textdomain_codeset(kDomain, "UTF-8");
  textdomain(kDomain);
}

void append_printf(std::string& out, const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n > 0) {
    out.append(buffer, static_cast<std::size_t>(n) < sizeof buffer ? static_cast<std::size_t>(n)
                                                                   : sizeof buffer - 1);
  }
}

int box_number(int i, int j) { return (j - 1) / 3 * 3 + (i - 1) / 3 + 1; }

void append_refusal(const Record& record, bool translate, std::string& out) {
  std::string byte;
  append_byte(record.byte, translate, byte);
  const auto where = static_cast<unsigned long long>(record.where);
  const auto first = static_cast<unsigned long long>(record.line);
  const auto last = static_cast<unsigned long long>(record.last);
  const unsigned count = record.count;
  switch (record.refusal) {
    case Refusal::none:
      break;
    case Refusal::bad_byte:
      append_printf(out,
                    pick("column %llu: %s is not a cell (1-9, or '.', '0', '_', '*', 'x' or '-' "
                         "for an empty cell)",
                         translate),
                    where, byte.c_str());
      break;
    case Refusal::after_cells:
      append_printf(out,
                    pick("column %llu: %s after the 81 cells; a comment starts with a blank, "
                         "';', ':', '#' or ','",
                         translate),
                    where, byte.c_str());
      break;
    case Refusal::cell_count:
      append_printf(
          out,
          pickn("%u cell; a puzzle line has 81, a row of the block form 9",
                "%u cells; a puzzle line has 81, a row of the block form 9", count, translate),
          count);
      break;
    case Refusal::too_long:
      append_printf(out, pick("a line of %llu bytes that is not a puzzle", translate), where);
      break;
    case Refusal::short_block:
      append_printf(out,
                    pickn("lines %llu-%llu: a block of %u row; a puzzle in block form has 9 "
                          "rows of 9 cells",
                          "lines %llu-%llu: a block of %u rows; a puzzle in block form has 9 "
                          "rows of 9 cells",
                          count, translate),
                    first, last, count);
      break;
    case Refusal::long_block:
      append_printf(out,
                    pick("lines %llu-%llu: %u rows with no break; puzzles in block form are set "
                         "apart by a blank line, a heading or a border",
                         translate),
                    first, last, count);
      break;
    case Refusal::block_rule:
      append_printf(out,
                    pick("lines %llu-%llu: a rule after row %u of a block; rules stand after "
                         "rows 3 and 6, or after every row",
                         translate),
                    first, last, count);
      break;
    case Refusal::utf16:
      out += record.byte == 0
                 ? pick(
                       "UTF-16 text (little-endian), not read; convert it to UTF-8, for "
                       "example with iconv -f UTF-16 -t UTF-8",
                       translate)
                 : pick(
                       "UTF-16 text (big-endian), not read; convert it to UTF-8, for "
                       "example with iconv -f UTF-16 -t UTF-8",
                       translate);
      break;
    case Refusal::not_text:
      // The byte is the first refused line's when four refusals in a row
      // made the input as a whole not text; 0 for a NUL byte.
      out += record.byte >= 0x80
                 ? pick(
                       "not text (bytes that are not ASCII, in line after line), the input is "
                       "not read from here on",
                       translate)
                 : pick("not text (NUL or control bytes), the input is not read from here on",
                        translate);
      break;
  }
}

void append_explanation(const Placement& p, int overwrites, std::string& out) {
  const char* format = nullptr;
  int unit = 0;
  switch (p.phase) {
    case Phase::carres:
      format = tr("%d has only one place in box %d: (%d,%d)");
      unit = box_number(p.i, p.j);
      break;
    case Phase::colonnes:
      format = tr("%d has only one place in column %d: (%d,%d)");
      unit = static_cast<unsigned char>(p.i);
      break;
    case Phase::lignes:
      format = tr("%d has only one place in line %d: (%d,%d)");
      unit = static_cast<unsigned char>(p.j);
      break;
  }
  append_printf(out, format, p.chiffre, unit, p.i, p.j);
  if (overwrites != 0) {
    append_printf(out, tr(", over the %d just written there (a contradiction)"), overwrites);
  }
}

void append_doublon(const Doublon& d, std::string& out) {
  const char* format = nullptr;
  switch (d.unite) {
    case Phase::carres:
      format = tr("%d repeated in box %d");
      break;
    case Phase::colonnes:
      format = tr("%d repeated in column %d");
      break;
    case Phase::lignes:
      format = tr("%d repeated in line %d");
      break;
  }
  append_printf(out, format, d.chiffre, d.numero);
}

}  // namespace batch
