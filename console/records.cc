// Console records: the line-control character, the held-back CR LF line end,
// and free-form lines.
//
// The first character of every record chooses the bytes written in front of
// its text and is never printed. A record's own line end is not written after
// it: it stays pending (`line_pending`) and is written in front of the next
// record, when a read starts at an interactive console, or when the run ends.
// Each record goes out at once: the line-control bytes in one write, then the
// text, in pieces of at most one record buffer (132 characters).
#include <algorithm>
#include <string_view>

#include "console/channel.h"
#include "console/console.h"

namespace console {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kFreeFormWidth = 79;

// Line-control bytes for a record starting with `c`.
std::string_view control_bytes(char c, bool line_pending) {
  switch (c) {
    case '+':
      return "\r";
    case '0':
      return line_pending ? "\r\n\r\n" : "\r\n";
    case '1':
      return "\r\n\f\r \r";
    default:
      return line_pending ? kLineEnd : std::string_view();
  }
}

// Writes text bytes of a record; a refused or disk-full write ends the run.
// Any other shortfall (closed pipe, I/O error) is ignored.
void write_text(std::string_view text) {
  switch (state().platform->write(kStdout, text.data(), text.size())) {
    case WriteResult::disk_full:
      fatal_error(6422, StatementKind::write);
    case WriteResult::access_denied:
      fatal_error(6421, StatementKind::write);
    case WriteResult::ok:
    case WriteResult::failed:
      break;
  }
}

// Writes bytes whose outcome does not matter: line-control bytes and line ends.
void write_unchecked(std::string_view bytes) {
  if (!bytes.empty()) {
    state().platform->write(kStdout, bytes.data(), bytes.size());
  }
}

}  // namespace

void write_record(std::string_view record) {
  if (record.empty()) {
    record = " ";
  }
  OutputChannel& out = state().output;
  write_unchecked(control_bytes(record.front(), out.line_pending));

  // The record buffer holds the control character and 131 characters of text;
  // a longer record goes on in further pieces of a whole buffer each.
  std::size_t piece = kRecordSize - 1;
  for (std::size_t at = 1; at < record.size(); at += piece, piece = kRecordSize) {
    write_text(record.substr(at, piece));
  }
  out.line_pending = true;
}

void write_free_form(std::string_view text) {
  // A line is 79 columns: a text of up to 78 characters is one record, with
  // the blank line-control character in front. A longer text is cut into
  // pieces of 79 characters, each a record with its own leading blank.
  char record[kFreeFormWidth + 1];
  record[0] = ' ';
  if (text.size() <= kFreeFormWidth - 1) {
    std::copy(text.begin(), text.end(), record + 1);
    write_record(std::string_view(record, text.size() + 1));
    return;
  }
  for (std::size_t at = 0; at < text.size(); at += kFreeFormWidth) {
    std::string_view piece = text.substr(at, kFreeFormWidth);
    std::copy(piece.begin(), piece.end(), record + 1);
    write_record(std::string_view(record, piece.size() + 1));
  }
}

void before_input() {
  ConsoleState& s = state();
  if (s.interactive && s.output.line_pending) {
    write_unchecked(kLineEnd);
  }
}

void input_line_done() {
  ConsoleState& s = state();
  if (s.interactive) {
    s.output.line_pending = false;
  }
}

void finish_output() {
  OutputChannel& out = state().output;
  if (out.finished) {
    return;
  }
  out.finished = true;
  if (out.line_pending) {
    write_unchecked(kLineEnd);
  }
}

}  // namespace console
