#include "tests/support/child.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace testing_support {
namespace {

[[noreturn]] void fail(const char* what) {
  throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

int memfd(const char* name, unsigned flags = 0) {
  int fd = ::memfd_create(name, MFD_CLOEXEC | flags);
  if (fd < 0) {
    fail("memfd_create");
  }
  return fd;
}

void write_all(int fd, const std::string& bytes) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + at, bytes.size() - at);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      fail("write");
    }
    at += static_cast<std::size_t>(n);
  }
}

std::string read_back(int fd) {
  std::string bytes;
  char buffer[65536];
  off_t at = 0;
  for (;;) {
    ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
    if (n <= 0) {
      return bytes;
    }
    bytes.append(buffer, static_cast<std::size_t>(n));
    at += n;
  }
}

double now() {
  timespec t{};
  ::clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A pseudo-terminal that passes input in canonical mode but neither echoes it
// nor translates output, so what the parent reads back are the program's own
// bytes.
void open_pty(int& master, int& slave) {
  termios t{};
  if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
    fail("openpty");
  }
  ::tcgetattr(slave, &t);
  t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ECHOCTL);
  t.c_lflag |= ICANON | ISIG;
  t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  t.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR);
  ::tcsetattr(slave, TCSANOW, &t);
  ::fcntl(master, F_SETFD, FD_CLOEXEC);
  ::fcntl(slave, F_SETFD, FD_CLOEXEC);
}

}  // namespace

std::vector<std::string> wrapper() {
  std::vector<std::string> words;
  const char* text = std::getenv("SUDOKU_TEST_WRAPPER");
  std::string word;
  for (const char* c = text != nullptr ? text : "";; ++c) {
    if (*c != '\0' && *c != ' ' && *c != '\t') {
      word += *c;
      continue;
    }
    if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
    if (*c == '\0') {
      return words;
    }
  }
}

Result run_child(const Child& child) {
  ::signal(SIGPIPE, SIG_IGN);
  int child_in = -1;
  int child_out = -1;
  int feed = -1;      // parent's end for standard input (pipe or pty master)
  int capture = -1;   // parent's end to read standard output from (pipe or pty master)
  int out_file = -1;  // memfd holding standard output
  int master = -1;
  int slave = -1;
  int drain_probe = -1;  // the parent's copy of the input pipe's read end (pipe_pieces)
  bool pty = child.in == Input::pty || child.out == Output::pty;
  if (pty) {
    open_pty(master, slave);
  }

  switch (child.in) {
    case Input::file:
      child_in = memfd("stdin");
      write_all(child_in, child.input);
      ::lseek(child_in, 0, SEEK_SET);
      break;
    case Input::pipe: {
      int p[2];
      if (::pipe2(p, O_CLOEXEC) != 0) {
        fail("pipe");
      }
      child_in = p[0];
      feed = p[1];
      if (!child.pipe_pieces.empty()) {
        drain_probe = ::fcntl(p[0], F_DUPFD_CLOEXEC, 0);
      }
      break;
    }
    case Input::pty:
      child_in = slave;
      feed = master;
      break;
    case Input::dev_null:
      child_in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
      break;
    case Input::directory:
      child_in = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      break;
    case Input::closed:
      break;
  }

  switch (child.out) {
    case Output::file:
      out_file = memfd("stdout");
      child_out = out_file;
      break;
    case Output::pipe:
    case Output::closed_pipe: {
      int p[2];
      if (::pipe2(p, O_CLOEXEC) != 0) {
        fail("pipe");
      }
      child_out = p[1];
      capture = p[0];
      if (child.out == Output::closed_pipe) {
        ::close(capture);
        capture = -1;
      }
      break;
    }
    case Output::pty:
      child_out = slave;
      capture = master;
      break;
    case Output::dev_null:
      child_out = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
      break;
    case Output::dev_full:
      child_out = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
      break;
    case Output::sealed_memfd:
      child_out = memfd("sealed", MFD_ALLOW_SEALING);
      if (::fcntl(child_out, F_ADD_SEALS, F_SEAL_WRITE) != 0) {
        fail("F_ADD_SEALS");
      }
      break;
    case Output::capped_memfd:
      out_file = memfd("capped", MFD_ALLOW_SEALING);
      child_out = out_file;
      if (::ftruncate(out_file, static_cast<off_t>(child.output_cap)) != 0 ||
          ::fcntl(out_file, F_ADD_SEALS, F_SEAL_GROW | F_SEAL_SHRINK) != 0) {
        fail("capped memfd");
      }
      break;
    case Output::closed:
      break;
  }
  if (child.nonblocking) {
    for (int fd : {child_in, child_out}) {
      if (fd >= 0 && fd != slave) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
      }
    }
  }
  int err_file = memfd("stderr");

  std::vector<std::string> words = wrapper();
  // Under a wrapper (valgrind) the program runs slower: its times stretch.
  const int stretch = words.empty() ? 1 : kWrappedTimeoutFactor;
  int timeout_seconds = child.timeout_seconds * stretch;
  words.insert(words.end(), child.argv.begin(), child.argv.end());
  std::vector<char*> args;
  args.reserve(words.size() + 1);
  for (const std::string& a : words) {
    args.push_back(const_cast<char*>(a.c_str()));
  }
  args.push_back(nullptr);

  pid_t pid = ::fork();
  if (pid < 0) {
    fail("fork");
  }
  if (pid == 0) {
    if (pty) {
      ::setsid();
      ::ioctl(slave, TIOCSCTTY, 0);
    }
    // Move the three descriptors into place; a descriptor the test wants
    // closed stays closed.
    int fds[3] = {child_in, child_out, child.err_to_out ? child_out : err_file};
    int high[3];
    for (int k = 0; k < 3; ++k) {
      high[k] = fds[k] < 0 ? -1 : ::fcntl(fds[k], F_DUPFD, 10);
    }
    for (int k = 0; k < 3; ++k) {
      if (high[k] < 0) {
        ::close(k);
      } else {
        ::dup2(high[k], k);
      }
    }
    ::signal(SIGPIPE, SIG_DFL);
    if (child.file_size_limit > 0) {
      rlimit limit{static_cast<rlim_t>(child.file_size_limit),
                   static_cast<rlim_t>(child.file_size_limit)};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      ::signal(SIGXFSZ, SIG_IGN);
    }
    ::execvp(args[0], args.data());
    std::perror("execvp");
    ::_exit(127);
  }

  // The parent keeps only its own ends.
  for (int fd : {child_in, child_out}) {
    if (fd >= 0 && fd != out_file && fd != slave) {
      ::close(fd);
    }
  }
  if (slave >= 0) {
    ::close(slave);
  }

  // Standard input goes out in copies of `input` (input_repeat of them), or
  // step by step at a pty; standard output is read as it comes.
  Result result;
  std::string pending;
  std::size_t copies_left = 0;
  std::size_t piece = 0;
  if (child.steps.empty() && child.pipe_pieces.empty() && child.input_repeat > 0) {
    pending = child.input;
    copies_left = child.input_repeat - 1;
  }
  std::size_t step = 0;
  if (feed >= 0) {
    ::fcntl(feed, F_SETFL, ::fcntl(feed, F_GETFL) | O_NONBLOCK);
  }
  if (capture >= 0) {
    ::fcntl(capture, F_SETFL, ::fcntl(capture, F_GETFL) | O_NONBLOCK);
  }
  // A slow reader waits for the pipe to hold at least 7/8 of its capacity.
  // A write of n bytes finds no room only when every page of the pipe is in
  // use and the last one lacks n bytes; the program's writes are far shorter
  // than 1/8 of a page, so the pipe then holds more than the threshold and
  // the reader never waits for a writer that waits for it.
  int slow_threshold = 0;
  if (child.slow_reader && child.out == Output::pipe) {
    int size = ::fcntl(capture, F_GETPIPE_SZ);
    slow_threshold = size > 0 ? size - size / 8 : 0;
  }
  bool capture_open = capture >= 0;
  bool reaped = false;
  int status = 0;
  rusage usage{};
  double deadline = now() + timeout_seconds;
  double interrupt_at =
      child.interrupt_after_ms > 0 ? now() + child.interrupt_after_ms * stretch / 1000.0 : 0;
  while (capture_open || !reaped) {
    if (interrupt_at > 0 && now() > interrupt_at && !reaped) {
      ::kill(pid, SIGINT);
      interrupt_at = 0;
    }
    if (step < child.steps.size() && pending.empty()) {
      const auto& [expect, send] = child.steps[step];
      if (result.out.ends_with(expect)) {
        ++step;
        if (child.interrupt_when_waiting && step == child.steps.size()) {
          ::kill(pid, SIGINT);
        } else {
          pending = send;
        }
      }
    }
    if (drain_probe >= 0 && pending.empty() && piece < child.pipe_pieces.size()) {
      int unread = 0;
      if (::ioctl(drain_probe, FIONREAD, &unread) == 0 && unread == 0) {
        pending = child.pipe_pieces[piece++];
      }
    }
    if (feed >= 0 && feed != master && pending.empty() && copies_left == 0 &&
        step == child.steps.size() && piece == child.pipe_pieces.size()) {
      ::close(feed);  // end of input for a pipe
      feed = -1;
    }
    if (now() > deadline) {
      ::kill(pid, SIGKILL);
      result.timed_out = true;
      deadline = now() + 3600;
    }

    bool want_capture = capture_open;
    if (want_capture && slow_threshold > 0 && !reaped) {
      int unread = 0;
      want_capture = ::ioctl(capture, FIONREAD, &unread) != 0 || unread >= slow_threshold;
    }
    pollfd fds[2];
    nfds_t count = 0;
    if (want_capture) {
      fds[count++] = {capture, POLLIN, 0};
    }
    bool want_feed = feed >= 0 && !pending.empty();
    if (want_feed) {
      fds[count++] = {feed, POLLOUT, 0};
    }
    if (::poll(fds, count, 20) < 0 && errno != EINTR) {
      fail("poll");
    }
    // With a terminal on both sides the master is polled twice, once for each
    // direction; the requested events tell the two entries apart.
    for (nfds_t k = 0; k < count; ++k) {
      if (fds[k].events == POLLIN && want_capture && fds[k].revents != 0) {
        char buffer[65536];
        ssize_t n = ::read(capture, buffer, sizeof buffer);
        if (n > 0) {
          result.out.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
          capture_open = false;  // the pipe ended, or the terminal's slave side closed (EIO)
        }
      } else if (fds[k].events == POLLOUT && want_feed && fds[k].revents != 0) {
        ssize_t n = ::write(feed, pending.data(), std::min<std::size_t>(pending.size(), 65536));
        if (n > 0) {
          pending.erase(0, static_cast<std::size_t>(n));
          if (pending.empty() && copies_left > 0) {
            --copies_left;
            pending = child.input;
          }
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
          pending.clear();  // the program closed its input
          copies_left = 0;
        }
      }
    }
    if (!reaped && ::wait4(pid, &status, WNOHANG, &usage) == pid) {
      reaped = true;
      if (feed >= 0 && feed != master) {
        ::close(feed);
        feed = -1;
        pending.clear();
        copies_left = 0;
      }
    }
  }
  result.max_rss_kb = usage.ru_maxrss;
  if (WIFEXITED(status)) {
    result.status = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
  }

  if (feed >= 0 && feed != master) {
    ::close(feed);
  }
  if (capture >= 0 && capture != master) {
    ::close(capture);
  }
  if (master >= 0) {
    ::close(master);
  }
  if (drain_probe >= 0) {
    ::close(drain_probe);
  }
  if (out_file >= 0) {
    result.out = read_back(out_file);
    ::close(out_file);
  }
  result.err = read_back(err_file);
  ::close(err_file);
  return result;
}

std::string visible(const std::string& bytes) {
  std::string text;
  for (unsigned char c : bytes) {
    if (c == '\r') {
      text += "\\r";
    } else if (c == '\n') {
      text += "\\n\n";
    } else if (c < 0x20 || c >= 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      text += hex;
    } else {
      text += static_cast<char>(c);
    }
  }
  return text;
}

std::string first_difference(const std::string& expected, const std::string& actual) {
  if (expected == actual) {
    return {};
  }
  std::size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) {
    ++at;
  }
  std::size_t from = at > 40 ? at - 40 : 0;
  return "first difference at byte " + std::to_string(at) + " (expected " +
         std::to_string(expected.size()) + " bytes, got " + std::to_string(actual.size()) +
         ")\n--- expected from byte " + std::to_string(from) + ":\n" +
         visible(expected.substr(from, 120)) + "\n--- actual from byte " + std::to_string(from) +
         ":\n" + visible(actual.substr(from, 120));
}

}  // namespace testing_support
