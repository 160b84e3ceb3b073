// Runs a program with its standard descriptors set up as a test asks: regular
// files, pipes, a pseudo-terminal, /dev/null, /dev/full, a memfd sealed
// against writes or against growing past a size, a directory, a closed pipe
// or a closed descriptor. Captures what it writes, its exit status or signal,
// and its peak resident memory.
//
// When the environment variable SUDOKU_TEST_WRAPPER is set, its words are put
// in front of every program run (for example a memory checker with its
// options), and timeouts are multiplied by kWrappedTimeoutFactor.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// Whether this test program (and so the programs built with it) runs under
// AddressSanitizer, whose own memory makes absolute memory figures meaningless.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
#else
inline constexpr bool kSanitized = false;
#endif

enum class Input { file, pipe, pty, dev_null, directory, closed };
// capped_memfd: a memfd of `output_cap` bytes sealed against growing; writes
// past its end fail with EPERM, and what fits is read back.
enum class Output {
  file,
  pipe,
  pty,
  dev_null,
  dev_full,
  sealed_memfd,
  capped_memfd,
  closed_pipe,
  closed
};

struct Child {
  std::vector<std::string> argv;  // argv[0] is the program's path
  Input in = Input::file;
  Output out = Output::file;
  // Bytes of standard input (file, pipe or pty). A pty receives them as typed
  // keys: send "\x04" at the start of a line for end of input.
  std::string input;
  std::size_t input_repeat = 1;  // the input is sent this many times over (pipes)
  // For a pty: instead of `input`, send each `second` once the output so far
  // ends with its `first`.
  std::vector<std::pair<std::string, std::string>> steps;
  // For a pipe: instead of `input`, send each piece once the program has read
  // everything sent before it (the pipe is empty), then close the pipe.
  std::vector<std::string> pipe_pieces;
  // For a pipe as standard output: read it only once it is nearly full (or
  // the program has ended), so that the program's writes keep meeting a full
  // pipe.
  bool slow_reader = false;
  std::size_t output_cap = 0;  // size of a capped_memfd
  // When non-zero: the file size limit (RLIMIT_FSIZE) in bytes, with SIGXFSZ
  // ignored, so that a write past it fails with EFBIG.
  long file_size_limit = 0;
  bool err_to_out = false;              // standard error goes where standard output goes (one pty)
  bool nonblocking = false;             // O_NONBLOCK on the child's pipe ends
  bool interrupt_when_waiting = false;  // with steps: SIGINT instead of the last send
  // When non-zero: SIGINT this many milliseconds after the start (ten times
  // as many under a wrapper).
  int interrupt_after_ms = 0;
  int timeout_seconds = 30;
};

struct Result {
  std::string out;      // bytes written to standard output (empty when not captured)
  std::string err;      // bytes written to standard error
  int status = -1;      // exit status, or -1 when ended by a signal
  int signal = 0;       // the signal that ended it, or 0
  long max_rss_kb = 0;  // peak resident set size
  bool timed_out = false;
};

Result run_child(const Child& child);

inline constexpr int kWrappedTimeoutFactor = 10;

/// The words of SUDOKU_TEST_WRAPPER, put in front of every program run; empty
/// when it is unset or blank.
std::vector<std::string> wrapper();

/// Shows bytes with CR, LF and other controls made visible, for failure messages.
std::string visible(const std::string& bytes);

/// A failure message naming the first offset where `actual` differs from
/// `expected`, with the bytes around it made visible; empty when equal.
std::string first_difference(const std::string& expected, const std::string& actual);

}  // namespace testing_support
