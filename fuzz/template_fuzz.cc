// Fuzz target: the line template interpreter. The first byte gives the number
// of items (0 to 15), the next four bytes per item their values, and the rest
// is the template text. A template yields records, or the report of a faulty
// template: never anything else.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "console/fake_platform.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  std::size_t count = data[0] & 15U;
  std::size_t at = 1;
  std::vector<int32_t> items;
  for (std::size_t k = 0; k < count && at + 4 <= size; ++k, at += 4) {
    uint32_t bits = 0;
    std::memcpy(&bits, data + at, 4);
    items.push_back(static_cast<int32_t>(bits));
  }
  std::string_view text(reinterpret_cast<const char*>(data) + at, size - at);

  console::FakePlatform platform;
  int32_t status = console::run_fake(platform, [&] { console::write_formatted(text, items); });
  fuzz_support::check_ending(status, platform.err);
  if (status == 1 && platform.err.find("WRITE(CON)") == std::string::npos) {
    fuzz_support::fail("a template fault reported as a READ error", platform.err);
  }
  return 0;
}
