// The run frame: start, stop, and the report of a fatal run-time error.
//
// A report goes to standard error in a fixed frame:
//   CR LF "run-time error F<4 digits>: READ(CON)" CR LF "- <message>" CR LF
// (": WRITE(" for a failed output statement), and the run stops with status
// 1. The last visible act of every stop is the pending line end, if any.
#include <cstdlib>
#include <string_view>

#include "console/channel.h"
#include "console/console.h"

namespace console {
namespace {

ConsoleState g_state;

struct ErrorText {
  int32_t number;
  std::string_view message;
};

// Messages for the numbers this program can meet; 6600 to 6606 are the line
// template faults of formatted output (format.cc).
constexpr ErrorText kErrors[] = {
    {6100, "integer value out of range: a value must lie between -2147483648 and 2147483647"},
    {6101, "invalid character in an integer value: expected an optional sign and digits"},
    {6302, "a based integer holds a second '#'"},
    {6303, "the base before '#' must be 2 to 36, or empty for 16"},
    {6407, "input line longer than 130 characters"},
    {6500, "standard input could not be read"},
    {6501, "end of input while an integer value was expected"},
    {6502, "a repeat count before '*' must be a positive integer"},
    {6503, "a second repeat count while one is still pending"},
    {6504, "expected an integer value, found a quoted or parenthesised one"},
    {6421, "writing to standard output was refused: access denied"},
    {6422, "writing to standard output failed: no space left on the device"},
    {6600, "a line template must begin with '('"},
    {6601, "a line template ends without its closing ')'"},
    {6602, "a literal in a line template is not closed"},
    {6603, "a line template holds an element other than a literal, an I field or '/'"},
    {6604, "an I field in a line template has no width of 1 or more"},
    {6605, "a count or width in a line template is above 32767"},
    {6606, "an output statement has more items than its template has fields"},
};

void write_error(std::string_view bytes) {
  g_state.platform->write(kStderr, bytes.data(), bytes.size());
}

}  // namespace

ConsoleState& state() { return g_state; }

void open_console(Platform& platform) {
  g_state = ConsoleState{};
  g_state.platform = &platform;
  bool in = platform.is_char_device(kStdin);
  bool out = platform.is_char_device(kStdout);
  g_state.stderr_char_device = platform.is_char_device(kStderr);
  g_state.interactive = in && out;
  g_state.console_input = in;
}

void start_run(Platform& platform, void (*main_program)()) {
  open_console(platform);
  main_program();
  stop_run(0);
}

void stop_run(int32_t status) {
  if (!g_state.stopping) {
    g_state.stopping = true;
    finish_output();
  }
  g_state.platform->exit_process(status);
  std::abort();  // exit_process does not return
}

std::string_view error_message(int32_t number) {
  for (const ErrorText& e : kErrors) {
    if (e.number == number) {
      return e.message;
    }
  }
  return {};
}

void fatal_error(int32_t number, StatementKind kind) {
  // Error numbers have four digits; anything else is clamped into the frame.
  uint32_t n = number < 0 ? 0U : static_cast<uint32_t>(number) % 10000U;
  char code[5] = {'F', static_cast<char>('0' + n / 1000), static_cast<char>('0' + n / 100 % 10),
                  static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)};
  std::string_view message = error_message(number);

  write_error("\r\n");
  write_error("run-time error ");
  write_error(std::string_view(code, sizeof code));
  write_error(kind == StatementKind::read ? ": READ(" : ": WRITE(");
  write_error("CON");
  write_error(message.empty() ? ")\r\n" : ")\r\n- ");
  write_error(message);
  write_error("\r\n");
  stop_run(1);
}

}  // namespace console
