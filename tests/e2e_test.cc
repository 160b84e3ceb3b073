// End-to-end transcripts: the real program run with its standard streams set
// up as files, pipes, terminals or the null device, its standard output,
// standard error and exit status compared byte for byte with the files under
// tests/transcripts/ (see the comments in tests/transcripts/cases).
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "console/console.h"
#include "tests/support/child.h"

namespace {

using testing_support::Child;
using testing_support::first_difference;
using testing_support::Input;
using testing_support::Output;
using testing_support::Result;

struct Arrangement {
  const char* name;
  Input in;
  Output out;
};

// Standard input and output both character devices is the interactive
// arrangement; everything else is redirected.
constexpr std::array<Arrangement, 8> kArrangements = {{
    {"file_file", Input::file, Output::file},
    {"file_pipe", Input::file, Output::pipe},
    {"pipe_pipe", Input::pipe, Output::pipe},
    {"file_pty", Input::file, Output::pty},
    {"pty_file", Input::pty, Output::file},
    {"pty_pty", Input::pty, Output::pty},
    {"null_pty", Input::dev_null, Output::pty},
    {"null_file", Input::dev_null, Output::file},
}};

bool is_char_device(Input in) { return in == Input::pty || in == Input::dev_null; }
bool is_char_device(Output out) { return out == Output::pty; }

struct Case {
  std::string name;
  const Arrangement* arrangement;
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name << " in " << (c.arrangement != nullptr ? c.arrangement->name : "?");
}

std::string path_of(const std::string& file) {
  return std::string(SUDOKU_TRANSCRIPTS_DIR) + "/" + file;
}

bool read_file(const std::string& file, std::string& bytes) {
  std::ifstream in(path_of(file), std::ios::binary);
  if (!in) {
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  bytes = text.str();
  return true;
}

// The manifest: one case a line, its name and then its arrangements; '#'
// starts a comment. An unknown arrangement name is kept as a case without an
// arrangement, which its test reports.
std::vector<Case> load_cases() {
  std::vector<Case> cases;
  std::string manifest;
  if (!read_file("cases", manifest)) {
    return cases;
  }
  std::istringstream lines(manifest);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::string name;
    std::string word;
    if (!(words >> name)) {
      continue;
    }
    while (words >> word) {
      const Arrangement* found = nullptr;
      for (const Arrangement& a : kArrangements) {
        if (word == a.name) {
          found = &a;
        }
      }
      cases.push_back({found != nullptr ? name : name + "__" + word, found});
    }
  }
  return cases;
}

// Standard error as expected: "$(message)" in the file stands for the message
// text of the error number reported just before it, so the transcripts fix
// the frame and the number but leave the wording to the console layer. An
// error without a message text has no "- " line.
std::string expected_err(std::string err) {
  std::size_t at = err.find("$(message)");
  if (at == std::string::npos) {
    return err;
  }
  std::size_t f = err.rfind("error F", at);
  int number = f == std::string::npos ? 0 : std::atoi(err.substr(f + 7, 4).c_str());
  std::string_view message = console::error_message(number);
  if (message.empty() && at >= 2 && err.compare(at - 2, 2, "- ") == 0) {
    err.replace(at - 2, 12, "");
  } else {
    err.replace(at, 10, message);
  }
  return err;
}

class Transcript : public testing::TestWithParam<Case> {};

TEST_P(Transcript, Matches) {
  const Case& c = GetParam();
  ASSERT_NE(c.arrangement, nullptr) << "unknown arrangement in tests/transcripts/cases: " << c.name;
  const Arrangement& a = *c.arrangement;
  bool interactive = is_char_device(a.in) && is_char_device(a.out);

  std::string input;
  std::string out;
  std::string err;
  std::string status;
  ASSERT_TRUE(read_file(c.name + ".in", input)) << c.name << ".in";
  if (!(interactive && read_file(c.name + ".tty.out", out))) {
    ASSERT_TRUE(read_file(c.name + ".out", out)) << c.name << ".out";
  }
  ASSERT_TRUE(read_file(c.name + ".err", err)) << c.name << ".err";
  ASSERT_TRUE(read_file(c.name + ".status", status)) << c.name << ".status";

  Child child;
  child.argv = {SUDOKU_BINARY};
  child.in = a.in;
  child.out = a.out;
  child.timeout_seconds = 10;
  if (a.in == Input::dev_null) {
    ASSERT_TRUE(input.empty()) << "the null device delivers no input";
  } else {
    child.input = input;
  }
  if (a.in == Input::pty) {
    // Typed lines end with Enter; the end of input is Ctrl-D at a line start.
    ASSERT_TRUE(input.empty() || input.back() == '\n') << "a typed line without Enter";
    child.input += "\x04";
  }

  Result r = run_child(child);
  ASSERT_FALSE(r.timed_out) << "the program was still running after " << child.timeout_seconds
                            << " s; standard output so far:\n"
                            << testing_support::visible(r.out);
  EXPECT_EQ(r.signal, 0);
  EXPECT_EQ(r.status, std::atoi(status.c_str()));
  EXPECT_TRUE(r.out == out) << "standard output: " << first_difference(out, r.out);
  std::string want_err = expected_err(err);
  EXPECT_TRUE(r.err == want_err) << "standard error: " << first_difference(want_err, r.err);
}

// Test names: the case, then the arrangement ("typical_pty_pty").
std::string case_name(const testing::TestParamInfo<Case>& param) {
  std::string name = param.param.name + "_" +
                     (param.param.arrangement != nullptr ? param.param.arrangement->name : "");
  for (char& ch : name) {
    if (std::isalnum(static_cast<unsigned char>(ch)) == 0) {
      ch = '_';
    }
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(All, Transcript, testing::ValuesIn(load_cases()), case_name);

// An interrupt while the program waits at a prompt ends it through the
// platform's default action: no report, and no pending line end written.
// Interactively the prompt's CR LF went out when the read began; redirected
// it never does.
TEST(Interrupt, AtAPromptLeavesThePendingLineEnd) {
  const std::string prompt = "combien de cases voulez-vous rentrer ou modifier?";
  struct Row {
    Input in;
    Output out;
    std::string expected;
  };
  for (const Row& row :
       {Row{Input::pty, Output::pty, prompt + "\r\n"}, Row{Input::pipe, Output::pipe, prompt}}) {
    SCOPED_TRACE(row.in == Input::pty ? "interactive" : "redirected");
    Child child;
    child.argv = {SUDOKU_BINARY};
    child.in = row.in;
    child.out = row.out;
    child.steps = {{row.expected, ""}};
    child.interrupt_when_waiting = true;
    child.timeout_seconds = 10;
    Result r = run_child(child);
    ASSERT_FALSE(r.timed_out);
    EXPECT_EQ(r.signal, SIGINT);
    EXPECT_TRUE(r.out == row.expected) << first_difference(row.expected, r.out);
    EXPECT_EQ(r.err, "");
  }
}

// Arguments are answered before any dialogue: the usage or the version on
// standard output, anything else refused with the usage on standard error.
TEST(Arguments, HelpVersionOrRefusal) {
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out_start, err_start;
  } rows[] = {
      {{"--help"}, 0, "usage : sudoku [--help | --version]\n", ""},
      {{"--version"}, 0, "sudoku ", ""},
      {{"--verbose"}, 2, "", "sudoku : argument refuse : --verbose\nusage : sudoku"},
      {{"--help", "x"}, 2, "", "sudoku : argument refuse : --help\nusage : sudoku"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.args.front());
    Child child;
    child.argv = {SUDOKU_BINARY};
    child.argv.insert(child.argv.end(), row.args.begin(), row.args.end());
    child.timeout_seconds = 10;
    const Result r = run_child(child);
    EXPECT_EQ(r.status, row.status);
    EXPECT_TRUE(r.out.starts_with(row.out_start) && (row.status == 0 || r.out.empty())) << r.out;
    EXPECT_TRUE(r.err.starts_with(row.err_start) && (row.status != 0 || r.err.empty())) << r.err;
  }
}

// Every case of the manifest has its files and at least one arrangement, and
// a case that only runs redirected has no interactive output lying unused.
TEST(TranscriptFiles, EveryCaseIsComplete) {
  std::vector<Case> cases = load_cases();
  ASSERT_FALSE(cases.empty()) << "no cases in " << path_of("cases");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes;
    for (const char* suffix : {".in", ".out", ".err", ".status"}) {
      EXPECT_TRUE(read_file(c.name + suffix, bytes)) << "missing " << c.name << suffix;
    }
    if (read_file(c.name + ".tty.out", bytes)) {
      bool runs_interactive = false;
      for (const Case& other : cases) {
        runs_interactive |= other.name == c.name && other.arrangement != nullptr &&
                            is_char_device(other.arrangement->in) &&
                            is_char_device(other.arrangement->out);
      }
      EXPECT_TRUE(runs_interactive) << c.name << ".tty.out is never used";
    }
  }
}

}  // namespace
