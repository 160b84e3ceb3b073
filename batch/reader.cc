// The reader keeps no more than one line prefix and one block: a complete
// line inside the block handed over is judged where it lies, and only a line
// cut by the end of a block is copied (its first kKept bytes).
#include "batch/reader.h"

#include <algorithm>
#include <cstring>

namespace batch {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// The bytes that mark an empty cell.
constexpr char kEmpty[] = {'.', '0', '_', '*', 'x', 'X', '-'};

// For each byte: 1 + its value when it is a cell ('1'-'9', or an empty
// cell), else 0.
constexpr std::array<uint8_t, 256> kCells = [] {
  std::array<uint8_t, 256> table{};
  for (char c : kEmpty) {
    table[static_cast<unsigned char>(c)] = 1;
  }
  for (int d = 1; d <= 9; ++d) {
    table['0' + d] = static_cast<uint8_t>(d + 1);
  }
  return table;
}();

bool is_cell(char c) { return kCells[static_cast<unsigned char>(c)] != 0; }
bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool starts_field(char c) { return c == ';' || c == ':' || c == '#' || c == ','; }

// The value of a cell: its digit, 0 for an empty cell.
uint8_t cell_value(char c) {
  return static_cast<uint8_t>(kCells[static_cast<unsigned char>(c)] - 1);
}

// The most common line, 81 cells and nothing else, read in one pass: the
// general rules give the same puzzle for it, except in a section that holds
// no puzzle and for a line of 81 '-', which is a rule.
bool plain_puzzle(const char* text, std::array<uint8_t, 81>& cells) {
  // Sixteen bytes at a time (SSE2 on every x86-64), the last sixteen
  // overlapping the fifth: '1'..'9' give 1..9, the empty cells 0, any other
  // byte marks the line as not plain.
  using Octets = uint8_t __attribute__((vector_size(16)));
  Octets other = {};
  Octets not_dash = {};
  for (const std::size_t at : {0, 16, 32, 48, 64, 65}) {
    Octets c;
    std::memcpy(&c, text + at, sizeof(c));
    const Octets digit = c - '1';  // 0..8 for '1'..'9'
    const auto is_digit = reinterpret_cast<Octets>(digit < 9);
    Octets is_empty = {};
    for (const char e : kEmpty) {
      is_empty |= reinterpret_cast<Octets>(c == static_cast<uint8_t>(e));
    }
    other |= ~(is_digit | is_empty);
    not_dash |= reinterpret_cast<Octets>(c != '-');
    const Octets value = (digit + 1) & is_digit;
    std::memcpy(cells.data() + at, &value, sizeof(value));
  }
  uint64_t halves[4];
  std::memcpy(halves, &other, sizeof(other));
  std::memcpy(halves + 2, &not_dash, sizeof(not_dash));
  return (halves[0] | halves[1]) == 0 && (halves[2] | halves[3]) != 0;
}

// The length of the separator at text[k]: a blank, a tab or '|' (1), a
// box-drawing character U+2500..U+257F in UTF-8 (3), or none (0).
std::size_t separator(const char* text, std::size_t k, std::size_t kept) {
  const char c = text[k];
  if (is_blank(c) || c == '|') {
    return 1;
  }
  if (c == '\xE2' && k + 2 < kept && (text[k + 1] == '\x94' || text[k + 1] == '\x95') &&
      (static_cast<unsigned char>(text[k + 2]) & 0xC0) == 0x80) {
    return 3;
  }
  return 0;
}

std::size_t skip_separators(const char* text, std::size_t k, std::size_t kept) {
  while (k < kept) {
    const std::size_t n = separator(text, k, kept);
    if (n == 0) {
      break;
    }
    k += n;
  }
  return k;
}

// Whether the cells that end at `p` may end the line: what follows is
// separators to the end, or a comment.
bool ends_cells(const char* text, std::size_t p, std::size_t kept, uint64_t length, bool together) {
  const std::size_t q = skip_separators(text, p, kept);
  const bool blank_after = q > p && is_blank(text[p]);
  if (q >= kept) {
    return kept == length || (together && blank_after);
  }
  return starts_field(text[q]) || (blank_after && (together || !is_cell(text[q])));
}

bool is_rule_line(const char* text, std::size_t start, std::size_t kept) {
  for (std::size_t k = start; k < kept;) {
    const char c = text[k];
    if (c == '-' || c == '+' || c == '=') {
      ++k;
      continue;
    }
    const std::size_t n = separator(text, k, kept);
    if (n == 0) {
      return false;
    }
    k += n;
  }
  return true;
}

// "[Name]" with blanks around: a section header; `puzzle` says whether it
// opens the section of the puzzle.
bool is_section(const char* text, std::size_t start, std::size_t kept, bool& puzzle) {
  std::size_t end = kept;
  while (end > start && is_blank(text[end - 1])) {
    --end;
  }
  if (text[start] != '[' || end - start < 2 || text[end - 1] != ']') {
    return false;
  }
  static constexpr char kPuzzle[] = "puzzle";
  puzzle = end - start - 2 == 6;
  for (std::size_t k = 0; puzzle && k < 6; ++k) {
    const char c = text[start + 1 + k];
    puzzle = (c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) == kPuzzle[k];
  }
  return true;
}

// A box-drawing corner that opens a drawn grid at its top left: U+250C to
// U+250F, U+2552 to U+2554 or U+256D.
bool is_top_corner(const char* text, std::size_t k, std::size_t kept) {
  if (k + 2 >= kept || text[k] != '\xE2') {
    return false;
  }
  const auto b = static_cast<unsigned char>(text[k + 2]);
  return text[k + 1] == '\x94' ? b >= 0x8C && b <= 0x8F
                               : text[k + 1] == '\x95' && ((b >= 0x92 && b <= 0x94) || b == 0xAD);
}

// A letter at k: ASCII, or a Latin letter in UTF-8 (U+00C0 to U+024F but
// the signs U+00D7 and U+00F7), as in "Énigme 1".
bool letter_at(const char* text, std::size_t k, std::size_t kept) {
  if (is_letter(text[k])) {
    return true;
  }
  if (k + 1 >= kept || (static_cast<unsigned char>(text[k + 1]) & 0xC0) != 0x80) {
    return false;
  }
  const auto lead = static_cast<unsigned char>(text[k]);
  const auto next = static_cast<unsigned char>(text[k + 1]);
  return lead == 0xC3 ? next != 0x97 && next != 0xB7 : lead >= 0xC4 && lead <= 0xC9;
}

// Every cell character counts, 'x' and 'X' too: a row with a label before
// it is no heading, whatever marks its empty cells.
bool is_heading(const char* text, std::size_t start, std::size_t kept) {
  if (!letter_at(text, start, kept) || text[start] == 'x' || text[start] == 'X') {
    return false;
  }
  int cells = 0;
  for (std::size_t k = start; k < kept; ++k) {
    cells += is_cell(text[k]) ? 1 : 0;
  }
  return cells < 9;
}

bool non_text(const Record& r) {
  return r.refusal == Refusal::bad_byte && (r.byte < 0x20 || r.byte >= 0x7F);
}

}  // namespace

bool looks_like_puzzle(std::string_view text) {
  std::size_t cells = 0;
  std::size_t others = 0;
  for (std::size_t k = 0; k < text.size();) {
    const std::size_t n = separator(text.data(), k, text.size());
    if (n > 0 || text[k] == '\n' || text[k] == '\r') {
      k += std::max<std::size_t>(n, 1);
      continue;
    }
    ++(is_cell(text[k]) ? cells : others);
    ++k;
  }
  return cells >= 17 && cells * 4 >= (cells + others) * 3;
}

void Reader::feed(const char* data, std::size_t size) {
  at_ = data;
  end_ = data + size;
}

void Reader::end_of_input() { ended_ = true; }

void Reader::drop_partial_line() {
  partial_kept_ = 0;
  partial_length_ = 0;
  partial_open_ = false;
}

bool Reader::next(Record& record) {
  for (;;) {
    if (!probing_ && taken_ < queued_) {
      record = queue_[taken_++];
      return true;
    }
    if (taken_ == queued_) {
      queued_ = 0;
      taken_ = 0;
    }
    if (at_ == end_) {
      if (!ended_ || flushed_) {
        return false;
      }
      flushed_ = true;
      if (partial_open_ && !stopped_) {
        ++line_;
        judge(partial_.data(), partial_kept_, partial_length_);
      }
      drop_partial_line();
      if (!stopped_) {
        end_block();
      }
      probing_ = false;
      continue;
    }
    if (after_cr_) {
      after_cr_ = false;
      if (*at_ == '\n') {
        ++at_;
        continue;
      }
    }
    if (stopped_) {
      at_ = end_;
      continue;
    }
    const auto left = static_cast<std::size_t>(end_ - at_);
    const auto* lf = static_cast<const char*>(std::memchr(at_, '\n', left));
    const auto* cr = static_cast<const char*>(
        std::memchr(at_, '\r', static_cast<std::size_t>((lf != nullptr ? lf : end_) - at_)));
    const char* stop = cr != nullptr ? cr : lf;
    const auto size = static_cast<std::size_t>((stop != nullptr ? stop : end_) - at_);
    const char* line = at_;
    if (stop == nullptr || partial_open_) {
      const std::size_t copied = std::min(kKept - partial_kept_, size);
      std::memcpy(partial_.data() + partial_kept_, at_, copied);
      partial_kept_ += copied;
      partial_length_ += size;
      partial_open_ = true;
    }
    if (stop == nullptr) {
      at_ = end_;
      continue;
    }
    at_ = stop + 1;
    after_cr_ = *stop == '\r';
    ++line_;
    if (partial_open_) {
      judge(partial_.data(), partial_kept_, partial_length_);
      drop_partial_line();
    } else {
      judge(line, std::min(size, kKept), size);
    }
  }
}

void Reader::judge(const char* text, std::size_t kept, uint64_t length) {
  Record record;
  record.source = source_;
  record.line = line_;
  switch (classify(text, kept, length, record)) {
    case Kind::skip:
      end_block();
      after_rule_ = false;
      break;
    case Kind::rule:
      block_rule();
      break;
    case Kind::row:
      block_row();
      break;
    case Kind::record:
      end_block();
      after_rule_ = false;
      push(record);
      break;
  }
}

Reader::Kind Reader::classify(const char* text, std::size_t kept, uint64_t length, Record& record) {
  if (line_ == 1 && kept >= 2 &&
      (std::memcmp(text, "\xFF\xFE", 2) == 0 || std::memcmp(text, "\xFE\xFF", 2) == 0)) {
    record.refusal = Refusal::utf16;
    record.byte = text[0] == '\xFF' ? 0 : 1;
    return Kind::record;
  }
  if (line_ == 1 && kept >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0) {
    text += 3;
    kept -= 3;
    length -= 3;
  }
  if (length == 81 && kept == 81 && !other_section_ && plain_puzzle(text, cells_)) {
    record.cells = cells_;
    return Kind::record;
  }
  if (std::memchr(text, '\0', kept) != nullptr) {
    record.refusal = Refusal::not_text;
    return Kind::record;
  }
  std::size_t start = 0;
  while (start < kept && is_blank(text[start])) {
    ++start;
  }
  if (start == length || (start < kept && text[start] == '#')) {
    return Kind::skip;
  }
  if (start == kept) {
    record.refusal = Refusal::too_long;  // blanks past what is kept
    record.where = length;
    return Kind::record;
  }
  bool puzzle_section = false;
  if (is_section(text, start, kept, puzzle_section)) {
    other_section_ = !puzzle_section;
    return Kind::skip;
  }
  if (other_section_ || is_heading(text, start, kept)) {
    return Kind::skip;
  }
  if (kept == length && is_rule_line(text, start, kept)) {
    top_border_ = is_top_corner(text, start, kept);
    return Kind::rule;
  }

  // The cells, up to the first byte that is neither a cell nor a separator.
  uint32_t n = 0;
  bool together = true;
  bool row = false;
  bool puzzle = false;
  std::size_t after81 = 0;
  std::size_t k = start;
  while (k < kept) {
    const char c = text[k];
    if (is_cell(c)) {
      if (n < 81) {
        cells_[n] = cell_value(c);
      }
      ++n;
      ++k;
      if (n == 9) {
        row = ends_cells(text, k, kept, length, together);
      } else if (n == 81) {
        puzzle = ends_cells(text, k, kept, length, together);
        after81 = k;
      }
      continue;
    }
    const std::size_t s = separator(text, k, kept);
    if (s == 0) {
      break;
    }
    together = together && n == 0;
    k += s;
  }
  if (puzzle) {
    record.cells = cells_;
    return Kind::record;
  }
  if (row) {
    return Kind::row;
  }
  if (n >= 81) {
    const std::size_t q = skip_separators(text, after81, kept);
    if (q < kept && !is_cell(text[q])) {
      record.refusal = Refusal::after_cells;
      record.where = q + 1;
      record.byte = static_cast<uint8_t>(text[q]);
      return Kind::record;
    }
  }
  if (k < kept && n < 81) {
    record.refusal = Refusal::bad_byte;
    record.where = k + 1;
    record.byte = static_cast<uint8_t>(text[k]);
  } else if (kept < length) {
    record.refusal = Refusal::too_long;
    record.where = length;
  } else {
    record.refusal = Refusal::cell_count;
    record.count = n;
  }
  return Kind::record;
}

void Reader::block_row() {
  if (rows_ == 0) {
    block_line_ = line_;
    ruled_ = false;
    every_row_ = false;
  }
  block_last_ = line_;
  after_rule_ = false;
  if (rows_ < 9) {
    std::copy_n(cells_.begin(), 9, block_.begin() + static_cast<std::ptrdiff_t>(rows_) * 9);
  } else if (damage_ == Refusal::none) {
    damage_ = Refusal::long_block;
  }
  ++rows_;
}

void Reader::block_rule() {
  const bool doubled = after_rule_;
  after_rule_ = true;
  if (rows_ == 0) {
    return;  // a border above a block
  }
  if (doubled || top_border_) {
    end_block();  // two rules in a row, or the top border of the next block: a break
    after_rule_ = true;
    return;
  }
  if (damage_ != Refusal::none || rows_ >= 9) {
    return;  // after the ninth row, a border below: the next break ends the block
  }
  if (!ruled_ && rows_ == 1) {
    every_row_ = true;
  } else if (!every_row_ && rows_ != 3 && rows_ != 6) {
    damage_ = Refusal::block_rule;
    damage_row_ = rows_;
  }
  ruled_ = true;
}

void Reader::end_block() {
  if (rows_ == 0) {
    return;
  }
  Record record;
  record.source = source_;
  record.line = block_line_;
  record.last = block_last_;
  record.count = rows_;
  if (damage_ != Refusal::none) {
    record.refusal = damage_;
    if (damage_ == Refusal::block_rule) {
      record.count = damage_row_;
    }
  } else if (rows_ == 9) {
    record.cells = block_;
    record.last = 0;
    record.count = 0;
  } else {
    record.refusal = Refusal::short_block;
  }
  rows_ = 0;
  damage_ = Refusal::none;
  push(record);
}

void Reader::push(const Record& record) {
  if (record.refusal == Refusal::not_text || record.refusal == Refusal::utf16) {
    // The input as a whole: named at the first line held back, if any.
    Record whole = record;
    if (probing_ && queued_ > 0) {
      whole.line = queue_[0].line;
      queued_ = 0;
      taken_ = 0;
    }
    queue_[queued_++] = whole;
    probing_ = false;
    stopped_ = true;
    rows_ = 0;
    return;
  }
  if (probing_ && non_text(record)) {
    queue_[queued_++] = record;
    if (queued_ == kBinaryProbe) {
      Record whole = queue_[0];
      whole.refusal = Refusal::not_text;
      queued_ = 0;
      push(whole);
    }
    return;
  }
  probing_ = false;
  queue_[queued_++] = record;
}

}  // namespace batch
