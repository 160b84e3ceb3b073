// Test-only helpers for the console tests: runs over the in-memory platform
// in either console arrangement, a stand-in for a read statement, the report
// frame, and a byte-exact comparison that names the first difference.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "console/fake_platform.h"
#include "tests/support/child.h"

namespace console::testing {

struct Arrangement {
  const char* name;
  bool input_device;
  bool output_device;
};
inline constexpr Arrangement kInteractive{"interactive", true, true};
inline constexpr Arrangement kRedirected{"redirected", false, false};

// What a run over the fake platform left: the bytes of fds 1 and 2, the exit
// status, and what fd 1 held each time a read statement began to wait.
struct FakeRun {
  FakePlatform platform;
  std::vector<std::string> out_at_reads;
  int32_t status = -1;

  explicit FakeRun(Arrangement a) { platform.devices(a.input_device, a.output_device); }

  // Does what a read statement of one input line does around the console
  // output: before_input, then the wait (fd 1 noted), then the line's end.
  void read_line() {
    before_input();
    out_at_reads.push_back(platform.out);
    input_line_done();
  }

  template <class Body>
  FakeRun& run(Body&& body) {
    status = run_fake(platform, body);
    return *this;
  }
  const std::string& out() const { return platform.out; }
  const std::string& err() const { return platform.err; }
};

/// The report of fatal error `number` ("6501") for a READ or WRITE statement.
inline std::string report(std::string_view number, std::string_view kind,
                          std::string_view message) {
  std::string bytes =
      "\r\nrun-time error F" + std::string(number) + ": " + std::string(kind) + "(CON";
  bytes += message.empty() ? ")\r\n" : ")\r\n- ";
  return bytes + std::string(message) + "\r\n";
}

/// The report of fatal error `number`, with its message, for a statement of `kind`.
inline std::string report(int32_t number, StatementKind kind = StatementKind::read) {
  return report(std::to_string(number), kind == StatementKind::read ? "READ" : "WRITE",
                error_message(number));
}

/// Byte-exact comparison; on a mismatch the message shows the first differing
/// offset with control bytes made visible.
inline ::testing::AssertionResult same_bytes(const std::string& expected,
                                             const std::string& actual) {
  std::string difference = testing_support::first_difference(expected, actual);
  if (difference.empty()) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << difference;
}

}  // namespace console::testing
