// An in-memory platform for tests and fuzzers. Standard input is a list of
// scripted reads; every byte written to descriptors 1 and 2 and every call is
// recorded; exit_process throws FakePlatform::Exit so a test can catch the
// end of a run and look at its status.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "console/platform.h"

namespace console {

class FakePlatform final : public Platform {
 public:
  // Thrown by exit_process: the run ended with `status`.
  struct Exit {
    int32_t status;
  };

  struct Event {
    enum Kind { write, read, exit } kind;
    int fd;             // descriptor written, or 0 for reads and exits
    std::string bytes;  // bytes written or delivered; the status for an exit
  };

  FakePlatform() = default;
  // Standard input as scripted reads: one read delivers at most the bytes of
  // the front entry (fewer when less is asked for; the rest stays in front).
  explicit FakePlatform(std::vector<std::string> script) : reads(script.begin(), script.end()) {}

  // Sets which of descriptors 0, 1, 2 are character devices.
  FakePlatform& devices(bool in_device, bool out_device, bool err_device = false) {
    char_device[0] = in_device;
    char_device[1] = out_device;
    char_device[2] = err_device;
    return *this;
  }

  bool is_char_device(int fd) override;
  WriteResult write(int fd, const char* data, std::size_t n) override;
  bool read(char* buffer, std::size_t n, std::size_t& count) override;
  [[noreturn]] void exit_process(int32_t status) override;

  /// Number of write calls made to `fd`.
  int writes_to(int fd) const;

  bool char_device[3] = {false, false, false};
  std::deque<std::string> reads;
  bool fail_reads_when_empty = false;         // after the script: reads fail
  std::optional<WriteResult> stdout_failure;  // every write to fd 1 fails so
  std::string out;                            // bytes written to fd 1
  std::string err;                            // bytes written to fd 2
  std::vector<Event> events;
  std::optional<int32_t> status;  // set by exit_process
};

/// Runs `body` as the main program of a run over `platform` (set up as
/// start_run does), stops with status 0 when it returns, and gives the exit
/// status, whichever way the run ended.
template <class Body>
int32_t run_fake(FakePlatform& platform, Body&& body);

}  // namespace console

#include "console/channel.h"
#include "console/console.h"

template <class Body>
int32_t console::run_fake(FakePlatform& platform, Body&& body) {
  try {
    open_console(platform);
    body();
    stop_run(0);
  } catch (const FakePlatform::Exit& e) {
    return e.status;
  }
}
