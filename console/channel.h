// The console layer's state for one run, shared by its parts (records,
// formatted output, input, run frame). Not part of the layer's interface:
// only console/*.cc and the console tests include this.
#pragma once

#include <array>
#include <cstdint>

#include "console/platform.h"

namespace console {

inline constexpr int32_t kRecordSize = 132;

// The console input record: the bytes of the current input line.
struct InputRecord {
  std::array<char, kRecordSize> buffer{};
  int32_t position = 0;    // index of the next byte to deliver
  int32_t last = -1;       // index of the last valid byte; -1 when empty
  bool line_open = false;  // the last read stopped inside a line (a full record, no LF)
  bool exhausted() const { return last < position; }
};

// Output side of the console channel.
struct OutputChannel {
  bool line_pending = false;  // a record's line end is still to be written
  bool finished = false;      // finish_output has run
};

struct ConsoleState {
  Platform* platform = nullptr;
  bool interactive = false;    // standard input and output both character devices
  bool console_input = false;  // standard input is a character device
  bool stderr_char_device = false;
  bool stopping = false;  // stop_run has begun
  OutputChannel output;
  InputRecord input;
};

/// The state of the current run.
ConsoleState& state();

/// Sets up the state for a run on `platform`: classifies descriptors 0, 1, 2
/// and chooses the arrangement. start_run calls it; tests call it directly.
void open_console(Platform& platform);

}  // namespace console
