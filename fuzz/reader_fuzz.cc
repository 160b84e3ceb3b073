// The batch program's puzzle reader on any bytes. The first byte chooses the
// size of the blocks the rest is fed in; the records must be the same as
// when it is fed whole, and there must be exactly one record per puzzle,
// refused line or block, as a small model of the line rules counts them:
// lines end at LF, CR LF or a lone CR; a line is skipped (blank, '#'
// comment, section header or a line of a section other than the puzzle's,
// heading), a rule, a row (nine cells among separators, then a comment), or
// gives a record; a run of rows gives one record at the next break (a
// skipped line, a record, two rules in a row, a rule opening a drawn grid,
// the end); a UTF-16 mark, a NUL byte or four non-text refusals first end
// the input with one record.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "batch/reader.h"

namespace {

using batch::Reader;
using batch::Record;

std::vector<Record> read(std::string_view input, std::size_t block) {
  Reader reader;
  std::vector<Record> records;
  Record r;
  for (std::size_t at = 0; at < input.size(); at += block) {
    const std::size_t size = std::min(block, input.size() - at);
    reader.feed(input.data() + at, size);
    while (reader.next(r)) {
      records.push_back(r);
    }
  }
  reader.end_of_input();
  while (reader.next(r)) {
    records.push_back(r);
  }
  return records;
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_cell(char c) {
  return std::string_view("123456789.0_*xX-").find(c) != std::string_view::npos;
}

// Bytes of the separator at the front of `s`: blank, tab, '|', or U+2500..U+257F.
std::size_t separator(std::string_view s) {
  if (!s.empty() && (is_blank(s[0]) || s[0] == '|')) {
    return 1;
  }
  if (s.size() >= 3 && s[0] == '\xE2' && (s[1] == '\x94' || s[1] == '\x95') &&
      (static_cast<unsigned char>(s[2]) >> 6) == 2) {
    return 3;
  }
  return 0;
}

enum class Kind { skip, rule, top_rule, row, record, non_text, whole };

struct Model {
  bool first = true;
  bool other_section = false;

  // Whether cells ending where `rest` starts may end the line.
  static bool ends(std::string_view rest, bool full, bool together) {
    std::string_view after = rest;
    while (!after.empty() && separator(after) > 0) {
      after.remove_prefix(separator(after));
    }
    const bool blank = after.size() < rest.size() && is_blank(rest[0]);
    if (after.empty()) {
      return full || (together && blank);
    }
    return std::string_view(";:#,").find(after[0]) != std::string_view::npos ||
           (blank && (together || !is_cell(after[0])));
  }

  Kind classify(std::string_view line) {
    const bool at_start = first;
    first = false;
    uint64_t length = line.size();
    std::string_view s = line.substr(0, Reader::kKept);
    if (at_start && (s.starts_with("\xFF\xFE") || s.starts_with("\xFE\xFF"))) {
      return Kind::whole;
    }
    if (at_start && s.starts_with("\xEF\xBB\xBF")) {
      s.remove_prefix(3);
      length -= 3;
    }
    if (s.find('\0') != std::string_view::npos) {
      return Kind::whole;
    }
    const bool full = s.size() == length;
    while (!s.empty() && is_blank(s[0])) {
      s.remove_prefix(1);
    }
    if (s.empty()) {
      return full ? Kind::skip : Kind::record;
    }
    if (s[0] == '#') {
      return Kind::skip;
    }
    std::string_view trimmed = s;
    while (!trimmed.empty() && is_blank(trimmed.back())) {
      trimmed.remove_suffix(1);
    }
    if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
      std::string name(trimmed.substr(1, trimmed.size() - 2));
      for (char& c : name) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      }
      other_section = name != "puzzle";
      return Kind::skip;
    }
    if (other_section) {
      return Kind::skip;
    }
    // A heading starts with a letter other than x or X (ASCII, or U+00C0 to
    // U+024F in UTF-8 but U+00D7 and U+00F7) and holds fewer than 9 cells.
    const auto u = [&s](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const bool latin =
        s.size() >= 2 && (u(1) >> 6) == 2 &&
        ((u(0) == 0xC3 && u(1) != 0x97 && u(1) != 0xB7) || (u(0) >= 0xC4 && u(0) <= 0xC9));
    if (((std::isalpha(u(0)) != 0 && s[0] != 'x' && s[0] != 'X') || latin) &&
        std::count_if(s.begin(), s.end(), is_cell) < 9) {
      return Kind::skip;
    }
    if (full) {
      bool rule = true;
      for (std::string_view r = s; rule && !r.empty();) {
        const std::size_t n = r[0] == '-' || r[0] == '+' || r[0] == '=' ? 1 : separator(r);
        rule = n > 0;
        r.remove_prefix(rule ? n : 0);
      }
      if (rule) {
        const bool top =
            s.size() >= 3 && s[0] == '\xE2' &&
            ((s[1] == '\x94' && s[2] >= '\x8C' && s[2] <= '\x8F') ||
             (s[1] == '\x95' && ((s[2] >= '\x92' && s[2] <= '\x94') || s[2] == '\xAD')));
        return top ? Kind::top_rule : Kind::rule;
      }
    }
    int cells = 0;
    bool together = true;
    bool row = false;
    std::string_view r = s;
    while (!r.empty()) {
      if (is_cell(r[0])) {
        r.remove_prefix(1);
        ++cells;
        if (cells == 81 && ends(r, full, together)) {
          return Kind::record;
        }
        row = row || (cells == 9 && ends(r, full, together));
      } else if (separator(r) > 0) {
        together = together && cells == 0;
        r.remove_prefix(separator(r));
      } else {
        break;
      }
    }
    if (row) {
      return Kind::row;
    }
    const auto b = r.empty() ? 'a' : static_cast<unsigned char>(r[0]);
    return cells < 81 && (b < 0x20 || b >= 0x7F) ? Kind::non_text : Kind::record;
  }
};

// Cuts `input` into lines at LF, CR LF and lone CR.
std::vector<std::string_view> lines_of(std::string_view input) {
  std::vector<std::string_view> lines;
  while (!input.empty()) {
    const std::size_t end = input.find_first_of("\r\n");
    lines.push_back(input.substr(0, end));
    if (end == std::string_view::npos) {
      break;
    }
    const bool crlf = input[end] == '\r' && end + 1 < input.size() && input[end + 1] == '\n';
    input.remove_prefix(end + (crlf ? 2 : 1));
  }
  return lines;
}

std::size_t expected_records(std::string_view input) {
  Model model;
  std::size_t records = 0;
  std::size_t held = 0;  // non-text refusals before any other record
  bool probing = true;
  bool rows = false;
  bool after_rule = false;
  auto end_run = [&] {
    if (rows) {
      ++records;
      probing = false;
    }
    rows = false;
  };
  for (const std::string_view line : lines_of(input)) {
    const Kind kind = model.classify(line);
    if (kind == Kind::whole) {
      end_run();
      return records + (probing ? 0 : held) + 1;
    }
    const bool doubled = after_rule;
    after_rule = kind == Kind::rule || kind == Kind::top_rule;
    switch (kind) {
      case Kind::rule:
        if (doubled) {
          end_run();
        }
        break;
      case Kind::top_rule:
        end_run();
        break;
      case Kind::row:
        rows = true;
        break;
      case Kind::non_text:
        end_run();
        if (!probing) {
          ++records;
        } else if (++held == static_cast<std::size_t>(Reader::kBinaryProbe)) {
          return records + 1;
        }
        break;
      case Kind::record:
        end_run();
        ++records;
        probing = false;
        break;
      default:
        end_run();
        break;
    }
    if (!probing && held > 0) {
      records += held;
      held = 0;
    }
  }
  end_run();
  return records + held;
}

bool same(const Record& a, const Record& b) {
  return a.source == b.source && a.line == b.line && a.refusal == b.refusal && a.byte == b.byte &&
         a.count == b.count && a.where == b.where && a.cells == b.cells;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  const std::size_t block = data[0] % 32 + 1;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);

  const std::vector<Record> whole = read(input, input.size() + 1);
  const std::vector<Record> pieces = read(input, block);
  if (whole.size() != pieces.size()) {
    std::abort();
  }
  for (std::size_t k = 0; k < whole.size(); ++k) {
    if (!same(whole[k], pieces[k])) {
      std::abort();
    }
  }
  if (whole.size() != expected_records(input)) {
    std::abort();
  }
  // Records come in line order; a block's refusal names its first row, which
  // comes before the line that cut it.
  const uint64_t lines = std::max<uint64_t>(1, lines_of(input).size());
  for (std::size_t k = 0; k < whole.size(); ++k) {
    const Record& r = whole[k];
    if (r.line < 1 || r.line > lines || (k > 0 && r.line <= whole[k - 1].line) ||
        (r.last != 0 && r.last < r.line)) {
      std::abort();
    }
    for (const uint8_t v : r.cells) {
      if (v > 9 || (!r.puzzle() && v != 0)) {
        std::abort();
      }
    }
  }
  return 0;
}
