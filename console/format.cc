// Formatted record output: line templates filled with integer items.
//
// A statement runs in two passes. Preparation reads the template once, from
// its "(" to the ")" that closes it, into a list of steps and refuses anything
// outside the small grammar in format.h; it never writes. The walk then takes
// the items in order: each item advances to the next field use (writing the
// literals and breaks met on the way into the current record), and after the
// last item the walk runs on through literals and breaks up to the next field
// or the end, then ends the statement's last record.
//
// Refusals are fatal WRITE errors, raised before any byte of the statement is
// written:
//   6600 no "(" at the start        6604 an I field without a width >= 1
//   6601 no closing ")"             6605 a count or width above 32767
//   6602 a literal left open        6606 more items than fields
//   6603 any other element: other edit descriptors, a nested "(", a count in
//        front of a literal or ")", a second comma, a stray character.
// More items than fields would, in other formatting schemes, restart the
// template; this program never needs that, so it is refused outright.
#include "console/format.h"

#include <string_view>
#include <utility>

#include "console/console.h"

namespace console {
namespace {

// The template text being read: either of known size, or ending at a NUL.
class TemplateText {
 public:
  TemplateText(const char* data, std::size_t size, bool ends_at_nul)
      : data_(data), size_(size), ends_at_nul_(ends_at_nul) {}

  bool at_end() const { return pos_ >= size_ || (ends_at_nul_ && data_[pos_] == '\0'); }
  char peek() const { return data_[pos_]; }
  char take() { return data_[pos_++]; }
  std::size_t position() const { return pos_; }

  // Skips blanks and tabs; returns true when a character follows.
  bool skip_blanks() {
    while (!at_end() && (peek() == ' ' || peek() == '\t')) {
      ++pos_;
    }
    return !at_end();
  }

  bool at_digit() { return skip_blanks() && peek() >= '0' && peek() <= '9'; }

  // Reads a run of digits, blanks between them skipped. Saturates above the
  // largest accepted number so that any length of digits is safe.
  int32_t number() {
    int32_t value = 0;
    while (at_digit()) {
      int32_t digit = take() - '0';
      value = value > kTemplateNumberMax ? value : value * 10 + digit;
    }
    return value;
  }

 private:
  const char* data_;
  std::size_t size_;
  bool ends_at_nul_;
  std::size_t pos_ = 0;
};

// Reads a literal whose opening delimiter has been taken. False when the text
// ends first.
bool read_literal(TemplateText& text, char delimiter, std::string& literal) {
  while (!text.at_end()) {
    char c = text.take();
    if (c != delimiter) {
      literal += c;
    } else if (!text.at_end() && text.peek() == delimiter) {
      literal += text.take();
    } else {
      return true;
    }
  }
  return false;
}

Preparation prepare(TemplateText text) {
  Preparation result;
  auto refuse = [&](TemplateFault fault, std::size_t at) {
    result.fault = fault;
    result.position = at;
    result.prepared.steps.clear();
    return result;
  };
  std::vector<TemplateStep>& steps = result.prepared.steps;

  if (!text.skip_blanks() || text.peek() != '(') {
    return refuse(TemplateFault::no_open, text.position());
  }
  text.take();
  for (;;) {
    if (!text.skip_blanks()) {
      return refuse(TemplateFault::no_close, text.position());
    }
    std::size_t element_at = text.position();
    bool has_count = text.at_digit();
    int32_t count = has_count ? text.number() : 1;
    if (count > kTemplateNumberMax) {
      return refuse(TemplateFault::number_too_large, element_at);
    }
    count = count == 0 ? 1 : count;
    if (!text.skip_blanks()) {
      return refuse(TemplateFault::no_close, text.position());
    }
    std::size_t at = text.position();
    char c = text.take();
    TemplateStep step;
    if ((c == '\'' || c == '"') && !has_count) {
      step.kind = TemplateStep::Kind::literal;
      if (!read_literal(text, c, step.text)) {
        return refuse(TemplateFault::open_literal, at);
      }
    } else if (c == 'I' || c == 'i') {
      if (!text.at_digit()) {
        return refuse(TemplateFault::no_width, at);
      }
      int32_t width = text.number();
      if (width > kTemplateNumberMax) {
        return refuse(TemplateFault::number_too_large, at);
      }
      if (width == 0) {
        return refuse(TemplateFault::no_width, at);
      }
      step.kind = TemplateStep::Kind::field;
      step.count = count;
      step.width = width;
    } else if (c == '/') {
      step.kind = TemplateStep::Kind::line_break;
      step.count = count;
    } else if (c == ')' && !has_count) {
      steps.push_back(std::move(step));  // the end step
      return result;
    } else {
      return refuse(TemplateFault::unsupported, has_count ? element_at : at);
    }
    steps.push_back(std::move(step));
    if (text.skip_blanks() && text.peek() == ',') {
      text.take();
    }
  }
}

}  // namespace

Preparation prepare_template(std::string_view text) {
  return prepare(TemplateText(text.data(), text.size(), false));
}

Preparation prepare_template(const char* text) {
  if (text == nullptr) {
    return prepare(TemplateText("", 0, false));
  }
  return prepare(TemplateText(text, static_cast<std::size_t>(-1), true));
}

std::string describe(const PreparedTemplate& prepared) {
  std::string out;
  for (const TemplateStep& step : prepared.steps) {
    switch (step.kind) {
      case TemplateStep::Kind::literal:
        out += "[lit '" + step.text + "']";
        break;
      case TemplateStep::Kind::field:
        out += "[I" + std::to_string(step.width);
        out += step.count == 1 ? "]" : " x" + std::to_string(step.count) + "]";
        break;
      case TemplateStep::Kind::line_break:
        out += step.count == 1 ? "[/]" : "[/ x" + std::to_string(step.count) + "]";
        break;
      case TemplateStep::Kind::end:
        out += "[end]";
        break;
    }
  }
  return out;
}

int64_t field_capacity(const PreparedTemplate& prepared) {
  int64_t capacity = 0;
  for (const TemplateStep& step : prepared.steps) {
    if (step.kind == TemplateStep::Kind::field) {
      capacity += step.count;
    }
  }
  return capacity;
}

int32_t fault_error_number(TemplateFault fault) {
  switch (fault) {
    case TemplateFault::none:
      return 0;
    case TemplateFault::no_open:
      return 6600;
    case TemplateFault::no_close:
      return 6601;
    case TemplateFault::open_literal:
      return 6602;
    case TemplateFault::unsupported:
      return 6603;
    case TemplateFault::no_width:
      return 6604;
    case TemplateFault::number_too_large:
      return 6605;
    case TemplateFault::too_many_items:
      return 6606;
  }
  return 6603;
}

void edit_integer(int32_t value, int32_t width, std::string& record) {
  if (width <= 0) {
    return;
  }
  // Digits of the magnitude, least significant first; 64 bits hold the
  // magnitude of the most negative value.
  char digits[10];
  std::size_t n = 0;
  int64_t magnitude = value < 0 ? -static_cast<int64_t>(value) : value;
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  std::size_t length = n + (value < 0 ? 1 : 0);
  auto field = static_cast<std::size_t>(width);
  if (length > field) {
    record.append(field, '*');
    return;
  }
  record.append(field - length, ' ');
  if (value < 0) {
    record += '-';
  }
  while (n > 0) {
    record += digits[--n];
  }
}

bool carry_out(const PreparedTemplate& prepared, std::span<const int32_t> items,
               const std::function<void(std::string_view)>& end_record) {
  if (static_cast<int64_t>(items.size()) > field_capacity(prepared)) {
    return false;
  }
  const std::vector<TemplateStep>& steps = prepared.steps;
  std::size_t next = 0;  // the next step to take
  const TemplateStep* field = nullptr;
  int32_t uses_left = 0;  // further uses of `field`
  std::string record;

  auto end_current = [&] {
    end_record(record);
    record.clear();
  };
  // Moves to the next field use when `more_items`; otherwise runs on through
  // literals and breaks and stops at a field or the end. Returns the field to
  // use, or null.
  auto advance = [&](bool more_items) -> const TemplateStep* {
    if (uses_left > 0) {
      if (!more_items) {
        return nullptr;
      }
      --uses_left;
      return field;
    }
    for (;;) {
      const TemplateStep& step = steps[next];
      switch (step.kind) {
        case TemplateStep::Kind::literal:
          record += step.text;
          ++next;
          break;
        case TemplateStep::Kind::line_break:
          for (int32_t k = 0; k < step.count; ++k) {
            end_current();
          }
          ++next;
          break;
        case TemplateStep::Kind::field:
          if (!more_items) {
            return nullptr;
          }
          field = &step;
          uses_left = step.count - 1;
          ++next;
          return field;
        case TemplateStep::Kind::end:
          return nullptr;
      }
    }
  };

  for (int32_t item : items) {
    // The capacity check above guarantees a field for every item.
    const TemplateStep* use = advance(true);
    edit_integer(item, use->width, record);
  }
  advance(false);
  end_current();
  return true;
}

namespace {

void run_statement(const Preparation& preparation, std::span<const int32_t> items) {
  if (preparation.fault != TemplateFault::none) {
    fatal_error(fault_error_number(preparation.fault), StatementKind::write);
  }
  bool done =
      carry_out(preparation.prepared, items, [](std::string_view record) { write_record(record); });
  if (!done) {
    fatal_error(fault_error_number(TemplateFault::too_many_items), StatementKind::write);
  }
}

}  // namespace

void write_formatted(std::string_view line_template, std::span<const int32_t> items) {
  run_statement(prepare_template(line_template), items);
}

void write_formatted(const char* line_template, std::span<const int32_t> items) {
  run_statement(prepare_template(line_template), items);
}

void write_formatted(const char* line_template, std::initializer_list<int32_t> items) {
  run_statement(prepare_template(line_template), std::span(items.begin(), items.size()));
}

}  // namespace console
