// The answers that the dialogue `sudoku` expects, so that a whole input of
// puzzles replays in one session: the first puzzle as a count and one
// "i j value" triple per given, 0 to confirm the grid; each later puzzle after
// the menu answer 2 as the cells that differ from the puzzle before it (value
// 0 empties a cell), 0 to confirm; the menu answer 1 at the end. One answer
// per line.
#pragma once

#include <string>

#include "batch/record.h"

namespace batch {

class DialogueWriter {
 public:
  /// Appends the answers that enter `record`'s puzzle.
  void write(const Record& record, std::string& out);
  /// Appends the answer that ends the session, when a puzzle was written.
  void finish(std::string& out);

 private:
  std::array<uint8_t, 81> entered_{};  // the dialogue's entry grid so far
  bool started_ = false;
};

}  // namespace batch
