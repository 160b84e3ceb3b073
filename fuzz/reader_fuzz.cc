// The batch program's puzzle reader on any bytes. The first byte chooses the
// size of the blocks the rest is fed in; the records must be the same as
// when it is fed whole, and there must be exactly one record per puzzle or
// refused line, as a small model of the line rules counts them: a line is
// skipped (blank, '#' comment, rule), a row of a block (nine cells among
// blanks and bars), or gives a record; a block gives one record when its
// ninth row comes, and a block cut short one refusal more.
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

bool is_cell(char c) { return (c >= '0' && c <= '9') || c == '.' || c == '_'; }
bool is_blank(char c) { return c == ' ' || c == '\t'; }

enum class Kind { skip, row, record };

Kind classify(std::string_view line, bool first) {
  if (!line.empty() && line.back() == '\r') {
    line.remove_suffix(1);
  }
  if (first && line.substr(0, 3) == "\xEF\xBB\xBF") {
    line.remove_prefix(3);
  }
  std::size_t start = 0;
  while (start < line.size() && start < Reader::kKept && is_blank(line[start])) {
    ++start;
  }
  if (start == line.size() || (start < Reader::kKept && line[start] == '#')) {
    return Kind::skip;
  }
  if (line.size() > Reader::kKept) {
    return Kind::record;
  }
  int cells = 0;
  bool rule = false;
  for (const char c : line) {
    if (is_cell(c)) {
      ++cells;
    } else if (c == '-' || c == '+' || c == '=') {
      rule = true;
    } else if (!is_blank(c) && c != '|') {
      return Kind::record;
    }
  }
  if (cells == 0) {
    return Kind::skip;
  }
  return cells == 9 && !rule ? Kind::row : Kind::record;
}

std::size_t expected_records(std::string_view input) {
  std::size_t records = 0;
  int rows = 0;
  bool first = true;
  while (!input.empty()) {
    const std::size_t end = input.find('\n');
    const std::string_view line = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    switch (classify(line, first)) {
      case Kind::skip:
        break;
      case Kind::row:
        if (++rows == 9) {
          ++records;
          rows = 0;
        }
        break;
      case Kind::record:
        records += rows > 0 ? 2 : 1;
        rows = 0;
        break;
    }
    first = false;
  }
  return records + (rows > 0 ? 1 : 0);
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
  uint64_t lines = 1;
  for (const char c : input) {
    lines += c == '\n' ? 1 : 0;
  }
  for (std::size_t k = 0; k < whole.size(); ++k) {
    const Record& r = whole[k];
    if (r.line < 1 || r.line > lines || (k > 0 && r.line <= whole[k - 1].line)) {
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
