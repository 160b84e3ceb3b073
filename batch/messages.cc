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

void start_messages(const char* dir) {
  std::setlocale(LC_ALL, "");
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
  switch (record.refusal) {
    case Refusal::none:
      break;
    case Refusal::bad_byte:
      append_printf(out, pick("column %llu: %s is not a cell (1-9, '.', '0' or '_')", translate),
                    where, byte.c_str());
      break;
    case Refusal::after_cells:
      append_printf(out,
                    pick("column %llu: %s after the 81 cells; a comment starts with a blank, "
                         "a tab, ';', ':' or '#'",
                         translate),
                    where, byte.c_str());
      break;
    case Refusal::cell_count:
      append_printf(out,
                    pick("%u cells; a puzzle line has 81, a row of the block form 9", translate),
                    static_cast<unsigned>(record.count));
      break;
    case Refusal::too_long:
      append_printf(out, pick("a line of %llu bytes that is not a puzzle", translate), where);
      break;
    case Refusal::short_block:
      append_printf(
          out, pick("a block of %u rows; a puzzle in block form has 9 rows of 9 cells", translate),
          static_cast<unsigned>(record.count));
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
