// A spool: bytes set aside in an unnamed temporary file (in $TMPDIR, else
// /tmp) while a run goes on, then read back in order; the file is gone when
// the spool is closed or the program ends. It keeps memory flat where a
// document's start needs what only its end knows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace batch {

/// Writes all of `bytes` to descriptor `fd`, again after an interruption and,
/// on a non-blocking descriptor, after waiting for room. Returns 0, or the
/// errno of the failure.
int write_all(int fd, std::string_view bytes);

class Spool {
 public:
  Spool() = default;
  Spool(const Spool&) = delete;
  Spool& operator=(const Spool&) = delete;
  ~Spool();

  /// Creates the file. False, with error() set, when it cannot.
  bool open();
  /// Appends `bytes`; false once a write has failed.
  bool write(std::string_view bytes);
  /// Reads back from the start, `block` bytes at a time, handing each block to
  /// `take` (which returns false to stop). False when a read failed.
  template <typename Take>
  bool replay(std::size_t block, Take take);
  /// The errno of the first failure, 0 when none.
  int error() const { return error_; }
  /// The folder the file is made in.
  const std::string& folder() const { return folder_; }

 private:
  bool rewind();
  long read(char* buffer, std::size_t size);

  std::string folder_;
  int fd_ = -1;
  int error_ = 0;
};

template <typename Take>
bool Spool::replay(std::size_t block, Take take) {
  if (!rewind()) {
    return false;
  }
  std::string buffer(block, '\0');
  for (;;) {
    const long n = read(buffer.data(), block);
    if (n < 0) {
      return false;
    }
    if (n == 0 || !take(std::string_view(buffer.data(), static_cast<std::size_t>(n)))) {
      return true;
    }
  }
}

}  // namespace batch
