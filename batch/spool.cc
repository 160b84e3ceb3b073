#include "batch/spool.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace batch {

Spool::~Spool() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

bool Spool::open() {
  const char* dir = std::getenv("TMPDIR");
  folder_ = dir != nullptr && *dir != '\0' ? dir : "/tmp";
  std::string path = folder_ + "/sudoku-batch.XXXXXX";
  fd_ = ::mkostemp(path.data(), O_CLOEXEC);
  if (fd_ < 0) {
    error_ = errno;
    return false;
  }
  ::unlink(path.c_str());
  return true;
}

int write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd p{fd, POLLOUT, 0};
      ::poll(&p, 1, -1);
    } else {
      return n < 0 ? errno : EIO;
    }
  }
  return 0;
}

bool Spool::write(std::string_view bytes) {
  if (error_ == 0) {
    error_ = write_all(fd_, bytes);
  }
  return error_ == 0;
}

bool Spool::rewind() {
  if (error_ == 0 && ::lseek(fd_, 0, SEEK_SET) != 0) {
    error_ = errno;
  }
  return error_ == 0;
}

long Spool::read(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, size);
    if (n >= 0) {
      return static_cast<long>(n);
    }
    if (errno != EINTR) {
      error_ = errno;
      return -1;
    }
  }
}

}  // namespace batch
