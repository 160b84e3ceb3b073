// POSIX implementation of the platform seam: descriptors 0, 1 and 2 with
// fstat, write(2), read(2), poll(2) and _exit. No stdio or iostream buffering.
//
// Standard input at a terminal: a terminal in canonical mode delivers one typed
// line per read ending with LF alone, while the console layer expects each
// line to end with CR LF. So each typed line has its final LF replaced by
// CR LF and is handed on in pieces of at most the size asked for. Other
// input (file, pipe) is read up to an LF or a full buffer, so a line that a
// pipe delivers in pieces still reaches the console whole.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "console/platform.h"

namespace console {
namespace {

// Waits until `fd` is ready for `events`, for descriptors inherited in
// non-blocking mode. False when waiting itself fails.
bool wait_ready(int fd, short events) {
  pollfd p{fd, events, 0};
  for (;;) {
    if (::poll(&p, 1, -1) >= 0) {
      return true;
    }
    if (errno != EINTR) {
      return false;
    }
  }
}

class PosixPlatform final : public Platform {
 public:
  PosixPlatform() {
    // A write to a closed pipe is a shortfall that the console ignores, not a
    // reason to die.
    ::signal(SIGPIPE, SIG_IGN);
    terminal_input_ = ::isatty(kStdin) == 1;
  }

  bool is_char_device(int fd) override {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
      return true;
    }
    return S_ISCHR(st.st_mode);
  }

  WriteResult write(int fd, const char* data, std::size_t n) override {
    while (n > 0) {
      ssize_t written = ::write(fd, data, n);
      if (written > 0) {
        data += written;
        n -= static_cast<std::size_t>(written);
        continue;
      }
      if (written < 0 && errno == EINTR) {
        continue;
      }
      if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        if (wait_ready(fd, POLLOUT)) {
          continue;
        }
        return WriteResult::failed;
      }
      if (written == 0) {
        return WriteResult::failed;
      }
      switch (errno) {
        case ENOSPC:
        case EDQUOT:
        case EFBIG:  // past the file size limit, where SIGXFSZ is ignored
          return WriteResult::disk_full;
        case EACCES:
        case EPERM:
          return WriteResult::access_denied;
        default:
          return WriteResult::failed;
      }
    }
    return WriteResult::ok;
  }

  bool read(char* buffer, std::size_t n, std::size_t& count) override {
    if (!terminal_input_) {
      return whole_read(buffer, n, count);
    }
    if (line_start_ == line_end_) {
      std::size_t got = 0;
      if (!raw_read(line_, kLineMax, got)) {
        return false;
      }
      if (got == 0) {
        count = 0;
        return true;
      }
      if (line_[got - 1] == '\n') {
        line_[got - 1] = '\r';
        line_[got] = '\n';
        ++got;
      }
      line_start_ = 0;
      line_end_ = got;
    }
    count = line_end_ - line_start_ < n ? line_end_ - line_start_ : n;
    std::memcpy(buffer, line_ + line_start_, count);
    line_start_ += count;
    return true;
  }

  [[noreturn]] void exit_process(int32_t status) override { ::_exit(status); }

 private:
  // A canonical terminal line holds at most 4095 characters and its LF.
  static constexpr std::size_t kLineMax = 4096;

  static bool raw_read(char* buffer, std::size_t n, std::size_t& count) {
    for (;;) {
      ssize_t got = ::read(kStdin, buffer, n);
      if (got >= 0) {
        count = static_cast<std::size_t>(got);
        return true;
      }
      if (errno == EINTR) {
        continue;
      }
      if ((errno == EAGAIN || errno == EWOULDBLOCK) && wait_ready(kStdin, POLLIN)) {
        continue;
      }
      return false;
    }
  }

  // Standard input that is not a terminal: fills `buffer` up to an LF, `n`
  // bytes or the end of the input. A pipe may hand over a line in several
  // pieces as its writer produces it; passing on a piece that stops inside a
  // line would make the console end the line there and cut a number in two.
  // A regular file gives whole reads anyway. A failure after some bytes hands
  // those on; the next read meets the failure again.
  static bool whole_read(char* buffer, std::size_t n, std::size_t& count) {
    count = 0;
    while (count < n && (count == 0 || buffer[count - 1] != '\n')) {
      std::size_t got = 0;
      if (!raw_read(buffer + count, n - count, got)) {
        return count > 0;
      }
      if (got == 0) {
        break;
      }
      count += got;
    }
    return true;
  }

  bool terminal_input_ = false;
  char line_[kLineMax + 1]{};  // one typed line, with room for the added CR
  std::size_t line_start_ = 0;
  std::size_t line_end_ = 0;
};

}  // namespace

Platform& posix_platform() {
  static PosixPlatform platform;
  return platform;
}

}  // namespace console
