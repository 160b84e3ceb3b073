// The driver: opens the inputs in turn, reads them in large blocks, cuts the
// records into chunks, solves and writes each chunk (on worker threads with
// --jobs above 1, the output still in input order and a bounded number of
// chunks in flight), writes the messages, the progress line and the summary
// on standard error, and works out the exit status.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "batch/generate.h"
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
  // --generate: the number of puzzles to make instead of reading any (0:
  // read), what is asked of them, the run's seed, and the time allowed in
  // seconds (0: no limit).
  uint64_t generate = 0;
  Demand demand;
  uint64_t seed = 0;
  double time_limit = 0;
};

/// True when `operand` is itself a puzzle: exactly 81 cell characters.
bool is_puzzle_operand(const std::string& operand);

/// Runs the program on descriptors 0, 1 and 2. Returns the exit status: 0
/// when every line was read (or every puzzle made), 1 when some line was
/// refused (or the time limit passed first), 2 when an input could not be
/// read or the output could not be written, 130 or 143 when SIGINT or
/// SIGTERM ended the run (after the records written so far).
///
/// An operand that is a puzzle, or that names no file and looks like an
/// attempted puzzle, is read as the text of puzzles itself: its records, a
/// puzzle or what is wrong with it, come from the operand's position.
int run(const Config& config);

}  // namespace batch
