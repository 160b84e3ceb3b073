// Fuzz target: the integer reader over the in-memory platform. The first byte
// chooses the arrangement and the statement shapes (bits of the second byte:
// 0 a one-item statement, 1 a three-item statement whose third item is a cell
// chosen by the first two); the rest is standard input. The run ends with the
// values read, or exactly one report of a known error.
#include <cstddef>
#include <cstdint>
#include <string>

#include "console/fake_platform.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 2) {
    return 0;
  }
  bool in_device = (data[0] & 1) != 0;
  bool out_device = (data[0] & 2) != 0;
  uint8_t shapes = data[1];
  std::string input(reinterpret_cast<const char*>(data) + 2, size - 2);

  console::FakePlatform platform;
  platform.devices(in_device, out_device);
  if (!input.empty()) {
    platform.reads.push_back(input);
  }
  int32_t status = console::run_fake(platform, [shapes] {
    int32_t grid[9][9] = {};
    int32_t outside = 0;
    // At most eight statements, then end of input stops the run anyway.
    for (int s = 0; s < 8; ++s) {
      console::write_free_form("?");
      console::read_begin();
      if ((shapes >> s & 1) == 0) {
        int32_t item = 0;
        console::read_int(item);
      } else {
        int32_t i = 0;
        int32_t j = 0;
        console::read_int(i);
        console::read_int(j);
        bool inside = i >= 1 && i <= 9 && j >= 1 && j <= 9;
        console::read_int(inside ? grid[j - 1][i - 1] : outside);
      }
      console::read_end();
    }
  });
  fuzz_support::check_ending(status, platform.err);
  fuzz_support::check_records(platform.out);
  return 0;
}
