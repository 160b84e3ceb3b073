// The run frame over the in-memory platform: the arrangement chosen at start,
// the fatal report frame, and what the stop writes in each arrangement.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "console/console_testing.h"

namespace console {
namespace {

using testing::Arrangement;
using testing::FakeRun;
using testing::kInteractive;
using testing::kRedirected;
using testing::report;
using testing::same_bytes;

TEST(Run, ArrangementIsInteractiveOnlyWhenBothStreamsAreDevices) {
  // A read writes the pending line end only in the interactive arrangement;
  // it never clears it, so the stop writes one more.
  struct Case {
    Arrangement arrangement;
    std::string out;
  };
  const Case cases[] = {
      {{"both devices", true, true}, "p\r\n\r\n"},
      {{"input a device", true, false}, "p\r\n"},
      {{"output a device", false, true}, "p\r\n"},
      {{"neither", false, false}, "p\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arrangement.name);
    FakeRun r(c.arrangement);
    r.run([] {
      write_free_form("p");
      before_input();
    });
    EXPECT_TRUE(same_bytes(c.out, r.out()));
  }
}

TEST(Run, FatalReportFrame) {
  struct Case {
    int32_t number;
    StatementKind kind;
    std::string err;
  };
  const Case cases[] = {
      {6501, StatementKind::read,
       "\r\nrun-time error F6501: READ(CON)\r\n"
       "- end of input while an integer value was expected\r\n"},
      {6101, StatementKind::read,
       "\r\nrun-time error F6101: READ(CON)\r\n"
       "- invalid character in an integer value: expected an optional sign and digits\r\n"},
      {6422, StatementKind::write,
       "\r\nrun-time error F6422: WRITE(CON)\r\n"
       "- writing to standard output failed: no space left on the device\r\n"},
      {6421, StatementKind::write,
       "\r\nrun-time error F6421: WRITE(CON)\r\n"
       "- writing to standard output was refused: access denied\r\n"},
      // A number without a message: the frame closes with an empty line.
      {1234, StatementKind::write, "\r\nrun-time error F1234: WRITE(CON)\r\n\r\n"},
      {7, StatementKind::read, "\r\nrun-time error F0007: READ(CON)\r\n\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    FakeRun r(kRedirected);
    r.run([&] { fatal_error(c.number, c.kind); });
    EXPECT_EQ(r.status, 1);
    // The report starts with its line end even as the run's first byte.
    EXPECT_TRUE(same_bytes(c.err, r.err()));
    EXPECT_TRUE(same_bytes("", r.out()));
  }
}

TEST(Run, EveryErrorNumberHasAOneLineMessage) {
  for (int32_t number : {6100, 6101, 6302, 6303, 6407, 6500, 6501, 6502, 6503, 6504, 6421, 6422,
                         6600, 6601, 6602, 6603, 6604, 6605, 6606}) {
    SCOPED_TRACE(number);
    std::string_view message = error_message(number);
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(message.find_first_of("\r\n"), std::string_view::npos);
  }
}

TEST(Run, StopWritesThePendingLineEnd) {
  // The read stand-in passes its input line unless a fatal error comes
  // first: "before the line end" is the end of input at a prompt, "after the
  // line end" a bad value that ended its line.
  struct Case {
    const char* name;
    std::function<void(FakeRun&)> body;
    std::string interactive_out;
    std::string redirected_out;
    int32_t status;
  };
  const std::vector<Case> cases = {
      {"normal end after a read",
       [](FakeRun& r) {
         write_free_form("menu");
         r.read_line();
       },
       "menu\r\n", "menu\r\n", 0},
      {"normal end after a record", [](FakeRun&) { write_free_form("menu"); }, "menu\r\n",
       "menu\r\n", 0},
      {"normal end with nothing written", [](FakeRun&) {}, "", "", 0},
      {"fatal error before the line end",
       [](FakeRun&) {
         write_free_form("prompt");
         before_input();
         fatal_error(6501, StatementKind::read);
       },
       "prompt\r\n\r\n", "prompt\r\n", 1},
      {"fatal error after the line end",
       [](FakeRun&) {
         write_free_form("prompt");
         before_input();
         input_line_done();
         fatal_error(6101, StatementKind::read);
       },
       "prompt\r\n", "prompt\r\n", 1},
      {"fatal error with nothing written", [](FakeRun&) { fatal_error(6501, StatementKind::read); },
       "", "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRun interactive(kInteractive);
    interactive.run([&] { c.body(interactive); });
    EXPECT_EQ(interactive.status, c.status);
    EXPECT_TRUE(same_bytes(c.interactive_out, interactive.out()));

    FakeRun redirected(kRedirected);
    redirected.run([&] { c.body(redirected); });
    EXPECT_EQ(redirected.status, c.status);
    EXPECT_TRUE(same_bytes(c.redirected_out, redirected.out()));
    EXPECT_EQ(redirected.err().empty(), c.status == 0);
  }
}

TEST(Run, ReportComesAfterTheOutputAndBeforeTheLastLineEnd) {
  FakeRun r(kRedirected);
  r.run([] {
    write_free_form("a");
    fatal_error(6501, StatementKind::read);
  });
  // fd and bytes of each call, in order.
  std::vector<std::pair<int, std::string>> calls;
  for (const FakePlatform::Event& e : r.platform.events) {
    if (e.kind == FakePlatform::Event::write) {
      calls.emplace_back(e.fd, e.bytes);
    } else {
      calls.emplace_back(-1, e.bytes);
    }
  }
  std::string message(error_message(6501));
  const std::vector<std::pair<int, std::string>> expected = {
      {1, "a"},   {2, "\r\n"},    {2, "run-time error "}, {2, "F6501"}, {2, ": READ("},
      {2, "CON"}, {2, ")\r\n- "}, {2, message},           {2, "\r\n"},  {1, "\r\n"},
      {-1, "1"},
  };
  EXPECT_EQ(calls, expected);
}

TEST(Run, StopRunsAtMostOnce) {
  FakeRun r(kRedirected);
  r.run([] {
    write_free_form("a");
    finish_output();  // the line end now
  });
  EXPECT_EQ(r.status, 0);
  // A second stop ends the process with its status but writes nothing more.
  try {
    stop_run(3);
  } catch (const FakePlatform::Exit& e) {
    EXPECT_EQ(e.status, 3);
  }
  EXPECT_TRUE(same_bytes("a\r\n", r.out()));
  EXPECT_EQ(r.platform.status, 3);
}

}  // namespace
}  // namespace console
