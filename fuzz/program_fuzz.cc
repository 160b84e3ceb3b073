// Fuzz target: the whole program over the in-memory platform. The first byte
// chooses the arrangement (which of standard input and output are character
// devices); the rest is standard input. At a console, input arrives a line
// per read, as a terminal delivers it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "console/fake_platform.h"
#include "dialogue/dialogue.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  bool in_device = (data[0] & 1) != 0;
  bool out_device = (data[0] & 2) != 0;
  std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);

  console::FakePlatform platform;
  platform.devices(in_device, out_device);
  if (in_device) {
    std::size_t start = 0;
    while (start < input.size()) {
      std::size_t end = input.find('\n', start);
      end = end == std::string::npos ? input.size() : end + 1;
      platform.reads.push_back(input.substr(start, end - start));
      start = end;
    }
  } else if (!input.empty()) {
    platform.reads.push_back(input);
  }
  int32_t status = console::run_fake(platform, [] { sudoku(); });
  fuzz_support::check_ending(status, platform.err);
  fuzz_support::check_records(platform.out);
  if (!in_device || !out_device) {
    // Redirected output ends with the last record's line end.
    if (!platform.out.empty() && !platform.out.ends_with("\r\n")) {
      fuzz_support::fail("redirected output without its final line end", platform.out);
    }
  }
  return 0;
}
