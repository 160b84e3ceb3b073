// The platform seam: the few operating-system operations the console layer
// needs. The POSIX implementation (platform_posix.cc) is the only code that
// touches file descriptors; tests and fuzzers use FakePlatform instead.
#pragma once

#include <cstddef>
#include <cstdint>

namespace console {

inline constexpr int kStdin = 0;
inline constexpr int kStdout = 1;
inline constexpr int kStderr = 2;

// How a write ended. Only the two named failures matter to the console layer;
// every other failure is a shortfall that it ignores.
enum class WriteResult { ok, disk_full, access_denied, failed };

class Platform {
 public:
  virtual ~Platform() = default;

  /// True when `fd` is a character device: a terminal or a device such as
  /// /dev/null, and also a closed descriptor or one whose type is unknown.
  virtual bool is_char_device(int fd) = 0;

  /// Writes all `n` bytes to `fd` unchanged, unbuffered.
  virtual WriteResult write(int fd, const char* data, std::size_t n) = 0;

  /// One read of at most `n` bytes from standard input into `buffer`. Returns
  /// false when the read fails; otherwise stores the byte count in `count`,
  /// where 0 means end of input.
  virtual bool read(char* buffer, std::size_t n, std::size_t& count) = 0;

  /// Ends the process with `status`.
  [[noreturn]] virtual void exit_process(int32_t status) = 0;
};

/// The process's own platform (POSIX descriptors 0, 1 and 2).
Platform& posix_platform();

}  // namespace console
