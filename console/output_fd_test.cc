// Console output over real descriptors: the probe program runs console
// statements with its standard output a pipe, a regular file, /dev/full, a
// sealed memfd, a pipe nobody reads, or closed.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "console/console_testing.h"

namespace console {
namespace {

using testing::report;
using testing::same_bytes;
using testing_support::Input;
using testing_support::Output;

struct Case {
  const char* name;
  Input in;
  Output out;
  std::vector<std::string> operations;
  std::optional<std::string> out_bytes;  // when standard output can be read back
  std::string err;
  int status;
  std::size_t cap = 0;  // for Output::capped_memfd
};

const std::string kLong(299, 'L');

// "abc" first; ".xy" after it; a row record and the empty record of its
// closing "/"; "0zz" with its extra line end; a record longer than the
// record buffer; the stop's line end.
const std::vector<std::string> kMixed = {
    "free=abc", "record=.xy", "format=(I2,' ',3I3,/)|1|2|3|4", "record=0zz", "record=." + kLong,
};
const std::string kMixedBytes = "abc\r\nxy\r\n1   2  3  4\r\n\r\n\r\nzz\r\n" + kLong + "\r\n";

TEST(OutputFd, ProbeOverRealDescriptors) {
  const std::string disk_full = report("6422", "WRITE", error_message(6422));
  const std::string refused = report("6421", "WRITE", error_message(6421));
  const std::vector<Case> cases = {
      {"pipe", Input::file, Output::pipe, kMixed, kMixedBytes, "", 0},
      {"regular file", Input::dev_null, Output::file, kMixed, kMixedBytes, "", 0},
      // The first record has no line end in front: its text is the first
      // write, and it fails.
      {"/dev/full",
       Input::file,
       Output::dev_full,
       {"free=abc", "free=def"},
       std::nullopt,
       disk_full,
       1},
      // A one-character record writes nothing; the next record's line end
      // fails unnoticed, its text fails the run.
      {"/dev/full after a one-character record",
       Input::file,
       Output::dev_full,
       {"record=.", "free=abc", "free=def"},
       std::nullopt,
       disk_full,
       1},
      {"memfd sealed against writes",
       Input::file,
       Output::sealed_memfd,
       {"free=abc"},
       std::nullopt,
       refused,
       1},
      // Room for "abc" and the line end in front of "def", not for "def":
      // what was written before the failure stays intact.
      {"memfd that cannot grow",
       Input::file,
       Output::capped_memfd,
       {"free=abc", "free=def", "free=ghi"},
       "abc\r\n",
       refused,
       1,
       5},
      {"pipe nobody reads",
       Input::file,
       Output::closed_pipe,
       {"free=abc", "free=def"},
       std::nullopt,
       "",
       0},
      // The failed writes are ignored and the run reaches the next operation.
      {"pipe nobody reads, then an error",
       Input::file,
       Output::closed_pipe,
       {"free=abc", "fatal=6501"},
       std::nullopt,
       report("6501", "READ", error_message(6501)),
       1},
      {"fd 1 closed, input a device",
       Input::dev_null,
       Output::closed,
       {"free=abc", "free=def"},
       std::nullopt,
       "",
       0},
      {"fd 1 closed, input a file", Input::file, Output::closed, {"free=abc"}, std::nullopt, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing_support::Child child;
    child.argv = {CONSOLE_PROBE};
    child.argv.insert(child.argv.end(), c.operations.begin(), c.operations.end());
    child.in = c.in;
    child.out = c.out;
    child.output_cap = c.cap;
    testing_support::Result r = testing_support::run_child(child);
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.status, c.status);
    EXPECT_TRUE(same_bytes(c.err, r.err));
    if (c.out_bytes) {
      EXPECT_TRUE(same_bytes(*c.out_bytes, r.out));
    }
  }
}

}  // namespace
}  // namespace console
