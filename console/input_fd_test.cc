// Console input over real descriptors: the probe program reads from a file, a
// pipe, a directory, a closed descriptor, /dev/null and a pseudo-terminal in
// canonical mode, and streams far longer than the input record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/console.h"
#include "console/console_testing.h"
#include "tests/support/child.h"

namespace console {
namespace {

using testing_support::Child;
using testing_support::first_difference;
using testing_support::Input;
using testing_support::Output;
using testing_support::Result;
using testing_support::run_child;

// The probe is built with the same flags as this test.
using testing_support::kSanitized;

using testing::report;

Result probe(Input in, Output out, std::vector<std::string> ops, std::string input = "") {
  Child c;
  c.argv = {CONSOLE_PROBE};
  c.argv.insert(c.argv.end(), ops.begin(), ops.end());
  c.in = in;
  c.out = out;
  c.input = std::move(input);
  c.timeout_seconds = 20;
  return run_child(c);
}

void expect_run(const Result& r, const std::string& out, int32_t error) {
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.status, error == 0 ? 0 : 1);
  EXPECT_EQ(r.out, out) << first_difference(out, r.out);
  EXPECT_EQ(r.err, error == 0 ? "" : report(error)) << first_difference(report(error), r.err);
}

TEST(InputDescriptors, RegularFile) {
  // The last line has no line end: it is read normally, the read after it
  // is the end of input.
  Result r = probe(Input::file, Output::file, {"read=2", "read=1", "read=1"}, "7 8\r\n5");
  expect_run(r, "values: 7 8\r\nvalues: 5\r\n", 6501);

  // A line longer than the record is read whole.
  r = probe(Input::file, Output::file, {"read=2"}, "5" + std::string(300, ' ') + "6\r\n");
  expect_run(r, "values: 5 6\r\n", 0);
}

TEST(InputDescriptors, Pipe) {
  Result r = probe(Input::pipe, Output::pipe, {"grid", "read=1"}, "3 1 5\n\n 2 9\n");
  expect_run(r, "grid: 3 1 5\r\nvalues: 2\r\n", 0);
}

// A pipe may deliver a line in pieces; the number is not cut at the seam.
TEST(InputDescriptors, LineDeliveredInPiecesThroughAPipe) {
  Child c;
  c.argv = {CONSOLE_PROBE, "read=2"};
  c.in = Input::pipe;
  c.out = Output::pipe;
  c.pipe_pieces = {"12", "3 4", "5\n"};
  c.timeout_seconds = 20;
  expect_run(run_child(c), "values: 123 45\r\n", 0);
}

TEST(InputDescriptors, UnreadableOrMissingInput) {
  // Reading a directory fails; a closed descriptor counts as a device and its
  // read fails too; /dev/null is a device that is at its end at once.
  expect_run(probe(Input::directory, Output::file, {"read=1"}), "", 6500);
  expect_run(probe(Input::closed, Output::file, {"read=1"}), "", 6500);
  expect_run(probe(Input::dev_null, Output::file, {"free=prompt", "read=1"}), "prompt\r\n", 6501);
}

// A pseudo-terminal in canonical mode, also standard output (the interactive
// arrangement). The answer is typed only once the prompt's line end has been
// written, which the program must do before it waits.
TEST(InputDescriptors, Terminal) {
  const std::string longest = "5" + std::string(128, ' ') + "6";  // 130 characters
  struct Case {
    int line;
    std::string typed;
    std::string out;
    int32_t error;
  };
  const Case cases[] = {
      {__LINE__, "5\n", "prompt\r\nvalues: 5\r\n", 0},
      {__LINE__, "\n\n7 8\n", "prompt\r\nvalues: 7\r\n", 0},
      {__LINE__, longest + "\n", "prompt\r\nvalues: 5\r\n", 0},
      {__LINE__, longest + " \n", "prompt\r\n\r\n", 6407},
      {__LINE__, "\x04", "prompt\r\n\r\n", 6501},           // Ctrl-D at the start of a line
      {__LINE__, "12\x04", "prompt\r\nvalues: 12\r\n", 0},  // Ctrl-D after some characters
      {__LINE__, "12\x16\x1a\n", "prompt\r\n\r\n", 6501},   // a literal Ctrl-Z before Enter
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(::testing::Message() << "row at line " << k.line);
    Child c;
    c.argv = {CONSOLE_PROBE, "free=prompt", "read=1"};
    c.in = Input::pty;
    c.out = Output::pty;
    c.steps = {{"prompt\r\n", k.typed}};
    c.timeout_seconds = 20;
    expect_run(run_child(c), k.out, k.error);
  }
}

// Standard input a terminal, standard output a file: the console line limit
// holds, and nothing is written at the read.
TEST(InputDescriptors, TerminalInputWithRedirectedOutput) {
  Child c;
  c.argv = {CONSOLE_PROBE, "free=prompt", "read=1", "read=1"};
  c.in = Input::pty;
  c.out = Output::file;
  c.input = "4\n" + std::string(131, '1') + "\n";
  c.timeout_seconds = 20;
  expect_run(run_child(c), "prompt\r\nvalues: 4\r\n", 6407);
}

// A stream of tens of megabytes on a single line passes through the 132-byte
// record without the process growing: a value is never held beyond
// kTokenMax characters, and the rest of a line is skipped as it comes.
TEST(InputDescriptors, LongLineThroughAPipeKeepsMemoryBounded) {
  constexpr std::size_t kMiB = 1 << 20;
  Result small = probe(Input::pipe, Output::pipe, {"read=1"}, "5\n");
  expect_run(small, "values: 5\r\n", 0);

  Child digits;
  digits.argv = {CONSOLE_PROBE, "read=1"};
  digits.in = Input::pipe;
  digits.out = Output::pipe;
  digits.input = std::string(kMiB, '7');
  digits.input_repeat = 64;
  Result r = run_child(digits);
  expect_run(r, "", 6101);
  EXPECT_LT(r.max_rss_kb, small.max_rss_kb + 4096);

  Child discarded = digits;  // " 5 5 5 ..." for one item: 5, and 64 MiB discarded
  discarded.input.clear();
  for (std::size_t k = 0; k < kMiB / 2; ++k) {
    discarded.input += " 5";
  }
  r = run_child(discarded);
  expect_run(r, "values: 5\r\n", 0);
  EXPECT_LT(r.max_rss_kb, small.max_rss_kb + 4096);
  if (!kSanitized) {
    EXPECT_LT(r.max_rss_kb, 16 * 1024);
  }
}

}  // namespace
}  // namespace console
