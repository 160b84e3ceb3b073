// The driver: opens the inputs in turn, reads them in large blocks, cuts the
// records into chunks, solves and writes each chunk (on worker threads with
// --jobs above 1, the output still in input order and a bounded number of
// chunks in flight), writes the messages, the progress line and the summary
// on standard error, and works out the exit status.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "batch/writers.h"

namespace batch {

/// The name that records given on the command line carry as their source;
/// their line is the operand's position among the operands, from 1.
inline constexpr const char* kArgumentSource = "(argument)";

struct Config {
  WriteOptions write;
  bool dialogue = false;  // write the dialogue's answers instead of results
  unsigned jobs = 1;
  bool quiet = false;  // no progress line
  bool stats = false;  // a summary on standard error at the end
  // Files, "-" for standard input, or puzzles of exactly 81 cell characters.
  std::vector<std::string> operands;
};

/// True when `operand` is itself a puzzle: exactly 81 cell characters.
bool is_puzzle_operand(const std::string& operand);

/// Runs the program on descriptors 0, 1 and 2. Returns the exit status: 0
/// when every line was read, 1 when some line was refused, 2 when an input
/// could not be read or the output could not be written.
int run(const Config& config);

}  // namespace batch
