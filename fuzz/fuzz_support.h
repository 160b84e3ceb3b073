// Checks shared by the fuzz targets: what a run over the in-memory platform
// may leave behind, whatever its input.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "console/console.h"

namespace fuzz_support {

[[noreturn]] inline void fail(const char* what, std::string_view bytes) {
  std::fprintf(stderr, "invariant broken: %s\n%.*s\n", what, static_cast<int>(bytes.size()),
               bytes.data());
  std::abort();
}

// A run ends with status 0 and nothing on standard error, or with status 1
// and exactly one report frame of a known error:
//   CR LF "run-time error F" 4 digits ": READ(CON)" or ": WRITE(CON)" CR LF "- " message CR LF
inline void check_ending(int32_t status, const std::string& err) {
  if (status == 0) {
    if (!err.empty()) {
      fail("standard error written on a normal end", err);
    }
    return;
  }
  if (status != 1) {
    fail("exit status other than 0 and 1", err);
  }
  constexpr std::string_view head = "\r\nrun-time error F";
  if (err.size() < head.size() + 4 || err.compare(0, head.size(), head) != 0) {
    fail("report frame does not start as it should", err);
  }
  std::string digits = err.substr(head.size(), 4);
  int32_t number = std::atoi(digits.c_str());
  std::string_view message = console::error_message(number);
  if (message.empty()) {
    fail("report of an unknown error number", err);
  }
  std::string rest = err.substr(head.size() + 4);
  std::string tail = ")\r\n- " + std::string(message) + "\r\n";
  if (rest != ": READ(CON" + tail && rest != ": WRITE(CON" + tail) {
    fail("report frame is not exactly one frame", err);
  }
}

// Standard output is made of records: printable text, and line ends that are
// always CR LF (a lone CR or LF is never written by this program's records).
inline void check_records(const std::string& out) {
  for (std::size_t k = 0; k < out.size(); ++k) {
    unsigned char c = static_cast<unsigned char>(out[k]);
    if (c == '\r') {
      if (k + 1 >= out.size() || out[k + 1] != '\n') {
        fail("CR without LF on standard output", out);
      }
      ++k;
    } else if (c == '\n') {
      fail("LF without CR on standard output", out);
    } else if (c < 0x20 || c > 0x7e) {
      fail("unprintable byte on standard output", out);
    }
  }
}

}  // namespace fuzz_support
