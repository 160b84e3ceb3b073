// Faults and resources: the real program with standard descriptors that fail,
// refuse, vanish or do not block, and a long session whose memory must not
// grow. Expected bytes come from the transcripts in tests/transcripts/ and
// from the console rules: a record's text is one write, the line-control
// bytes in front of it another; only a refused or disk-full text write ends
// the run, every other shortfall is ignored; a missing descriptor counts as a
// character device.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/console_testing.h"
#include "tests/support/child.h"

namespace {

using testing_support::Child;
using testing_support::first_difference;
using testing_support::Input;
using testing_support::Output;
using testing_support::Result;
using testing_support::run_child;

using testing_support::kSanitized;

const std::string kCountPrompt = "combien de cases voulez-vous rentrer ou modifier?";
const std::string kMenuPrompt = "tapez 1 pour finir, 2 pour rajouter ou modifier des points";

std::string transcript(const std::string& file) {
  std::ifstream in(std::string(SUDOKU_TRANSCRIPTS_DIR) + "/" + file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

using console::StatementKind;
using console::testing::report;

// A timeout only catches a program that hangs: sanitizer builds on a busy
// machine take many times longer than a plain build.
constexpr int kTimeoutSeconds = 300;

Result run(Input in, Output out, const std::string& input = "") {
  Child child;
  child.argv = {SUDOKU_BINARY};
  child.in = in;
  child.out = out;
  child.input = input;
  child.timeout_seconds = kTimeoutSeconds;
  return run_child(child);
}

// How a run ended: by itself (no timeout, no signal), with `status`, and with
// `err` on standard error.
void expect_end(const Result& r, int status, const std::string& err) {
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.signal, 0);
  EXPECT_EQ(r.status, status);
  EXPECT_TRUE(r.err == err) << "standard error: " << first_difference(err, r.err);
}

void expect_out(const Result& r, const std::string& out) {
  EXPECT_TRUE(r.out == out) << "standard output: " << first_difference(out, r.out);
}

// ---- Standard output that fails ---------------------------------------------

// The first output of a run is the count prompt with nothing in front, so its
// text is the first write and fails at once.
TEST(FaultyOutput, DiskFullEndsTheRunAtTheFirstRecord) {
  expect_end(run(Input::file, Output::dev_full, transcript("typical.in")), 1,
             report(6422, StatementKind::write));
}

TEST(FaultyOutput, WriteRefusedEndsTheRunAtTheFirstRecord) {
  expect_end(run(Input::file, Output::sealed_memfd, transcript("typical.in")), 1,
             report(6421, StatementKind::write));
}

// Past the file size limit (with SIGXFSZ ignored, as a parent may leave it) a
// write fails with EFBIG, which is a full disk: the file keeps every byte up
// to the limit, and nothing is lost silently.
TEST(FaultyOutput, FileSizeLimitIsADiskFull) {
  Child child;
  child.argv = {SUDOKU_BINARY};
  child.input = transcript("typical.in");
  child.file_size_limit = 1024;
  child.timeout_seconds = kTimeoutSeconds;
  Result r = run_child(child);
  expect_end(r, 1, report(6422, StatementKind::write));
  expect_out(r, transcript("typical.out").substr(0, 1024));
}

// A memfd that cannot grow past its size refuses (EPERM) a write that does
// not fit, and takes nothing of it: the whole output stays inside the first
// page, where a write is not split. The file keeps every byte written before
// the refused write, then the zeros it was created with. Only a record's text
// counts: a refused line end is ignored.
TEST(FaultyOutput, RefusalPartWayKeepsEverythingWrittenBefore) {
  const std::string in = transcript("typical.in");
  const std::string out = transcript("typical.out");
  const std::size_t at = out.find("\r\niteration: 1 ");
  ASSERT_NE(at, std::string::npos);
  ASSERT_LT(out.size(), 4096U);
  const std::string refused = report(6421, StatementKind::write);
  struct Row {
    const char* what;
    std::size_t cap;
    std::string kept;
    int status;
    std::string err;
  };
  const Row rows[] = {
      // The line end in front of the first report line fits; the line's text
      // does not and is refused. The stop then writes the line end still
      // pending, which fits.
      {"text refused", at + 2 + 20, out.substr(0, at + 2) + "\r\n", 1, refused},
      // The line end itself does not fit: its failure is ignored, the text
      // after it is refused, and the stop's line end fails unnoticed.
      {"line end and text refused", at + 1, out.substr(0, at), 1, refused},
      // Everything but the stop's line end fits: the run ends normally.
      {"last line end refused", out.size() - 2, out.substr(0, out.size() - 2), 0, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Child child;
    child.argv = {SUDOKU_BINARY};
    child.in = Input::file;
    child.out = Output::capped_memfd;
    child.output_cap = row.cap;
    child.input = in;
    child.timeout_seconds = kTimeoutSeconds;
    Result r = run_child(child);
    expect_end(r, row.status, row.err);
    expect_out(r, row.kept + std::string(row.cap - row.kept.size(), '\0'));
  }
}

// Nobody reads the pipe: every write fails with EPIPE, which is neither a
// refusal nor a full disk, so the program does not die of SIGPIPE and the
// run goes on to its own end, reading all its input.
TEST(FaultyOutput, ClosedPipeIsIgnoredToTheEndOfTheRun) {
  {
    SCOPED_TRACE("normal end at the menu");
    expect_end(run(Input::file, Output::closed_pipe, transcript("typical.in")), 0, "");
  }
  {
    SCOPED_TRACE("end of input in the middle of a triple");
    expect_end(run(Input::file, Output::closed_pipe, transcript("eof_triple.in")), 1, report(6501));
  }
}

// ---- Missing and unreadable standard input, missing standard output ----------

// A closed descriptor counts as a character device. Standard output closed
// with a file as input is the redirected arrangement; every write fails with
// EBADF, is ignored, and the run ends as it would with output, also through a
// fatal report, which still reaches standard error.
TEST(MissingDescriptors, StandardOutputClosed) {
  {
    SCOPED_TRACE("input a file: normal end");
    expect_end(run(Input::file, Output::closed, transcript("typical.in")), 0, "");
  }
  {
    SCOPED_TRACE("input a file: bad value");
    expect_end(run(Input::file, Output::closed, transcript("bad_value_alone.in")), 1, report(6101));
  }
  {
    // A terminal as input and a closed output make the interactive
    // arrangement: the line ends written as reads begin fail unnoticed, the
    // typed lines are read one by one, and the menu's 1 ends the run.
    SCOPED_TRACE("input a terminal: normal end");
    expect_end(run(Input::pty, Output::closed, transcript("typical.in")), 0, "");
  }
}

// Standard input closed also counts as a character device, but its first read
// fails (EBADF): error 6500 at the count prompt. What reaches standard output
// depends on the arrangement, as for any failing read:
//   - output a file: redirected; the prompt's line end is pending and only
//     the stop writes it;
//   - output a terminal: interactive; the read writes the prompt's line end
//     before it starts, and the stop writes the still pending one again;
//   - output closed too: interactive, nothing can be written, the report
//     still goes to standard error.
TEST(MissingDescriptors, StandardInputClosed) {
  const std::string err = report(6500);
  {
    SCOPED_TRACE("output a file");
    Result r = run(Input::closed, Output::file);
    expect_end(r, 1, err);
    expect_out(r, kCountPrompt + "\r\n");
  }
  {
    SCOPED_TRACE("output a terminal");
    Result r = run(Input::closed, Output::pty);
    expect_end(r, 1, err);
    expect_out(r, kCountPrompt + "\r\n\r\n");
  }
  {
    SCOPED_TRACE("output closed");
    expect_end(run(Input::closed, Output::closed), 1, err);
  }
}

// Reading a directory fails (EISDIR): error 6500 at the count prompt, in the
// redirected arrangement since a directory is no character device.
TEST(UnreadableInput, DirectoryAsStandardInput) {
  for (Output out : {Output::file, Output::pty}) {
    SCOPED_TRACE(out == Output::file ? "output a file" : "output a terminal");
    Result r = run(Input::directory, out);
    expect_end(r, 1, report(6500));
    expect_out(r, kCountPrompt + "\r\n");
  }
}

// ---- Long sessions --------------------------------------------------------------

// A session of menu-2 rounds built from the transcript menu2_same: the grid
// is entered and solved, then each round answers 2 at the menu, 0 cells and 7
// (not 1) to the confirmation, and solves the same entry grid again, so every
// round prints the same bytes, from one menu prompt to the next.
struct Session {
  std::string head_in;   // the entry of the grid and its confirmation
  std::string round_in;  // one menu-2 round
  std::string last_in;   // the final menu answer
  std::string head_out;  // up to the first menu prompt
  std::string round_out;
  std::string last_out;  // the last menu prompt and the stop's line end

  std::string input(std::size_t rounds) const {
    std::string bytes = head_in;
    for (std::size_t k = 0; k < rounds; ++k) {
      bytes += round_in;
    }
    return bytes + last_in;
  }
  std::string output(std::size_t rounds) const {
    std::string bytes = head_out;
    for (std::size_t k = 0; k < rounds; ++k) {
      bytes += round_out;
    }
    return bytes + last_out;
  }
};

Session menu2_session() {
  Session s;
  s.round_in = "2\n0\n7\n";
  s.last_in = "1\n";
  const std::string in = transcript("menu2_same.in");
  const std::string out = transcript("menu2_same.out");
  if (in.ends_with(s.round_in + s.last_in)) {
    s.head_in = in.substr(0, in.size() - s.round_in.size() - s.last_in.size());
  }
  std::size_t first = out.find(kMenuPrompt);
  std::size_t second = out.find(kMenuPrompt, first + 1);
  if (second != std::string::npos) {
    s.head_out = out.substr(0, first);
    s.round_out = out.substr(first, second - first);
    s.last_out = out.substr(second);
  }
  return s;
}

// Sets an environment variable for the programs run while it lives.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    old_ = had_ ? old : "";
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    if (had_) {
      ::setenv(name_, old_.c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

// Thousands of rounds need no more memory than one: every round reuses the
// same grids and the same input and output records. The peak resident size
// also counts the test process as fork copied it, the same for both runs.
TEST(LongSession, PeakMemoryStaysFlat) {
  if (!testing_support::wrapper().empty()) {
    GTEST_SKIP() << "the memory of a wrapped program is the wrapper's";
  }
  // AddressSanitizer keeps freed blocks in a quarantine of up to 256 MiB
  // before reusing them, so a program that allocates and frees as it goes
  // would seem to grow; without the quarantine only what it keeps counts.
  std::string asan_options;
  if (const char* options = std::getenv("ASAN_OPTIONS")) {
    asan_options = std::string(options) + ":";
  }
  ScopedEnvironment no_quarantine(
      "ASAN_OPTIONS", asan_options + "quarantine_size_mb=0:thread_local_quarantine_size_kb=0");
  const Session s = menu2_session();
  ASSERT_FALSE(s.head_in.empty());
  ASSERT_EQ(s.last_out, kMenuPrompt + "\r\n");

  Result one = run(Input::file, Output::dev_null, s.input(1));
  expect_end(one, 0, "");
  Result many = run(Input::file, Output::dev_null, s.input(3000));
  expect_end(many, 0, "");
  EXPECT_LE(many.max_rss_kb, one.max_rss_kb + 1024)
      << "one round: " << one.max_rss_kb << " KiB, 3000 rounds: " << many.max_rss_kb << " KiB";
  if (!kSanitized) {
    EXPECT_LT(many.max_rss_kb, 16 * 1024);
  }
}

// Standard input and output inherited in non-blocking mode: reads meet an
// empty pipe (the input comes in pieces, each sent once the program has read
// everything before it) and writes meet a full one (the output is read only
// when the pipe is nearly full). The program waits instead of taking EAGAIN
// for a failure, and not a byte is lost or doubled.
TEST(LongSession, NonBlockingPipesLoseNoByte) {
  // Under a memory checker fewer rounds still fill the output pipe often.
  const std::size_t rounds = testing_support::wrapper().empty() ? 2000 : 200;
  constexpr std::size_t kRoundsPerPiece = 50;
  const Session s = menu2_session();
  ASSERT_FALSE(s.head_in.empty());
  ASSERT_FALSE(s.round_out.empty());

  Child child;
  child.argv = {SUDOKU_BINARY};
  child.in = Input::pipe;
  child.out = Output::pipe;
  child.nonblocking = true;
  child.slow_reader = true;
  child.timeout_seconds = kTimeoutSeconds;
  child.pipe_pieces.push_back(s.head_in);
  for (std::size_t k = 0; k < rounds; k += kRoundsPerPiece) {
    std::string piece;
    for (std::size_t n = 0; n < kRoundsPerPiece; ++n) {
      piece += s.round_in;
    }
    child.pipe_pieces.push_back(piece);
  }
  child.pipe_pieces.push_back(s.last_in);
  Result r = run_child(child);
  expect_end(r, 0, "");
  expect_out(r, s.output(rounds));
}

}  // namespace
