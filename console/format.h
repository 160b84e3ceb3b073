// Formatted output internals, visible to tests: template preparation, the
// walk that turns items into records, and integer editing.
//
// A line template is a parenthesised text such as "(I2,' ',3I3,/)". It is
// prepared into steps (literal text, integer fields, record breaks and the
// end) without any output; the walk then fills the fields with the items and
// hands each record to a sink as soon as it ends. write_formatted (console.h)
// joins the two and sends the records to write_record.
//
// Grammar accepted, after the first "(" and up to the ")" that closes it:
//   'text'  or  "text"                  literal; the delimiter doubled stands
//                                       for itself; no count in front
//   [count] I width                     integer field, either case of I
//   [count] /                           record break
//   )                                   end; nothing after it is read
// One comma may follow each element. Blanks and tabs are skipped outside
// literals, also between the digits of a number. A count of 0 acts as 1.
// Anything else is refused (TemplateFault).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace console {

/// Largest repeat count, break count or field width a template may hold. It
/// keeps a record's size bounded by the items given.
inline constexpr int32_t kTemplateNumberMax = 32767;

struct TemplateStep {
  enum class Kind { literal, field, line_break, end };
  Kind kind = Kind::end;
  std::string text;   // literal: its characters, doubled delimiters undone
  int32_t count = 1;  // field: repeat count; break: records to end
  int32_t width = 0;  // field: width, 1 or more
};

/// The steps of one template, always ending with exactly one end step.
struct PreparedTemplate {
  std::vector<TemplateStep> steps;
};

/// Why a template or a statement is refused. Each fault is its own fatal
/// WRITE error (fault_error_number).
enum class TemplateFault {
  none,
  no_open,           // the text does not start with "("
  no_close,          // the text ends before the closing ")"
  open_literal,      // a literal is not closed
  unsupported,       // an element other than a literal, I field, "/" or ")"
  no_width,          // an I field without a width of 1 or more
  number_too_large,  // a count or width above kTemplateNumberMax
  too_many_items,    // more items than the template has fields
};

struct Preparation {
  PreparedTemplate prepared;  // complete only when fault is none
  TemplateFault fault = TemplateFault::none;
  std::size_t position = 0;  // offset in the text where the fault was found
};

/// Prepares a template of known length; a NUL in it is an ordinary character.
[[nodiscard]] Preparation prepare_template(std::string_view text);
/// Prepares a template whose text ends at its first NUL (or at its ")").
[[nodiscard]] Preparation prepare_template(const char* text);

/// The steps in a short readable form, e.g. "[lit ' '][I3 x3][/][end]".
[[nodiscard]] std::string describe(const PreparedTemplate& prepared);

/// How many items the template can take: the sum of its fields' repeat counts.
[[nodiscard]] int64_t field_capacity(const PreparedTemplate& prepared);

/// The fatal error number reported for `fault` (0 for none).
[[nodiscard]] int32_t fault_error_number(TemplateFault fault);

/// Carries out one statement: fills the fields with `items` in order and
/// calls `end_record` with each record as it ends (the last one even when
/// empty). Returns false, having done nothing, when there are more items
/// than fields.
bool carry_out(const PreparedTemplate& prepared, std::span<const int32_t> items,
               const std::function<void(std::string_view)>& end_record);

/// Appends `value` edited into a field of `width`: right-justified, "-" for a
/// negative value, never "+", and `width` asterisks when it does not fit.
void edit_integer(int32_t value, int32_t width, std::string& record);

}  // namespace console
