// The reader keeps no more than one line prefix and one block: a complete
// line inside the block handed over is judged where it lies, and only a line
// cut by the end of a block is copied (its first kKept bytes).
#include "batch/reader.h"

#include <algorithm>
#include <cstring>

namespace batch {
namespace {

uint8_t cell_value(char c) {
  if (c >= '1' && c <= '9') {
    return static_cast<uint8_t>(c - '0');
  }
  return 0;
}

bool is_cell(char c) { return (c >= '0' && c <= '9') || c == '.' || c == '_'; }
bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool starts_comment(char c) { return is_blank(c) || c == ';' || c == ':' || c == '#'; }
bool is_rule(char c) { return c == '-' || c == '+' || c == '='; }

}  // namespace

void Reader::feed(const char* data, std::size_t size) {
  at_ = data;
  end_ = data + size;
}

void Reader::end_of_input() { ended_ = true; }

void Reader::drop_partial_line() {
  partial_kept_ = 0;
  partial_length_ = 0;
}

void Reader::push(const Record& record) { queue_[queued_++] = record; }

bool Reader::next(Record& record) {
  for (;;) {
    if (taken_ < queued_) {
      record = queue_[taken_++];
      return true;
    }
    queued_ = 0;
    taken_ = 0;
    if (at_ == end_) {
      if (!ended_ || flushed_) {
        return false;
      }
      flushed_ = true;
      if (partial_length_ > 0) {
        ++line_;
        judge(partial_.data(), partial_kept_, partial_length_);
        partial_kept_ = 0;
        partial_length_ = 0;
      }
      if (rows_ > 0) {
        refuse_block();
      }
      continue;
    }
    const auto* found =
        static_cast<const char*>(std::memchr(at_, '\n', static_cast<std::size_t>(end_ - at_)));
    const char* stop = found != nullptr ? found : end_;
    const auto size = static_cast<std::size_t>(stop - at_);
    if (found == nullptr || partial_length_ > 0) {
      const std::size_t room = kKept - partial_kept_;
      const std::size_t copied = std::min(room, size);
      std::memcpy(partial_.data() + partial_kept_, at_, copied);
      partial_kept_ += copied;
      partial_length_ += size;
      if (size > 0) {
        partial_last_ = stop[-1];
      }
    }
    at_ = found != nullptr ? found + 1 : end_;
    if (found == nullptr) {
      continue;
    }
    ++line_;
    if (partial_length_ > 0) {
      judge(partial_.data(), partial_kept_, partial_length_);
      partial_kept_ = 0;
      partial_length_ = 0;
    } else {
      judge(stop - size, size, size);
    }
  }
}

void Reader::judge(const char* text, std::size_t kept, uint64_t length) {
  // The line end's CR, and a byte order mark at the start of the input.
  const char last = kept == length ? (kept > 0 ? text[kept - 1] : 0) : partial_last_;
  if (length > 0 && last == '\r') {
    --length;
  }
  // A line is judged on the same bytes whether it came whole or in pieces.
  kept = static_cast<std::size_t>(std::min<uint64_t>({kept, length, kKept}));
  if (line_ == 1 && kept >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0) {
    text += 3;
    kept -= 3;
    length -= 3;
  }

  std::size_t start = 0;
  while (start < kept && is_blank(text[start])) {
    ++start;
  }
  if (start == length || (start < kept && text[start] == '#')) {
    return;
  }

  Record record;
  record.source = source_;
  record.line = line_;

  // One puzzle on the line.
  std::size_t run = start;
  while (run < kept && run - start < 81 && is_cell(text[run])) {
    ++run;
  }
  if (run - start == 81 && (run == length || (run < kept && starts_comment(text[run])))) {
    for (std::size_t k = 0; k < 81; ++k) {
      record.cells[k] = cell_value(text[start + k]);
    }
    if (rows_ > 0) {
      refuse_block();
    }
    push(record);
    return;
  }

  // A block row, a rule, or a refusal.
  uint32_t cells = 0;
  std::size_t bad = kept;
  bool rule = false;
  for (std::size_t k = start; k < kept; ++k) {
    const char c = text[k];
    if (is_cell(c)) {
      ++cells;
    } else if (is_rule(c)) {
      rule = true;
    } else if (!is_blank(c) && c != '|') {
      bad = k;
      break;
    }
  }
  if (bad == kept && kept == length) {
    if (cells == 0) {
      return;  // a rule between the rows of a block, or blanks and bars
    }
    if (cells == 9 && !rule) {
      block_row(text + start, kept - start);
      return;
    }
  }

  if (bad == kept && rule && cells > 0) {
    // Cells and rule characters mixed: the first rule character is the fault.
    bad = start;
    while (!is_rule(text[bad])) {
      ++bad;
    }
  }
  if (run - start == 81 && run < kept && !is_cell(text[run])) {
    record.refusal = Refusal::after_cells;
    record.where = run + 1;
    record.byte = static_cast<uint8_t>(text[run]);
  } else if (bad < kept) {
    record.refusal = Refusal::bad_byte;
    record.where = bad + 1;
    record.byte = static_cast<uint8_t>(text[bad]);
  } else if (kept < length) {
    record.refusal = Refusal::too_long;
    record.where = length;
  } else {
    record.refusal = Refusal::cell_count;
    record.count = cells;
  }
  if (rows_ > 0) {
    refuse_block();
  }
  push(record);
}

void Reader::block_row(const char* text, std::size_t size) {
  if (rows_ == 0) {
    block_line_ = line_;
  }
  int i = 0;
  for (std::size_t k = 0; k < size; ++k) {
    if (is_cell(text[k])) {
      block_[rows_ * 9 + i++] = cell_value(text[k]);
    }
  }
  if (++rows_ == 9) {
    Record record;
    record.source = source_;
    record.line = block_line_;
    record.cells = block_;
    rows_ = 0;
    push(record);
  }
}

void Reader::refuse_block() {
  Record record;
  record.source = source_;
  record.line = block_line_;
  record.refusal = Refusal::short_block;
  record.count = static_cast<uint32_t>(rows_);
  rows_ = 0;
  push(record);
}

}  // namespace batch
