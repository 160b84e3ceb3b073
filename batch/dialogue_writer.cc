#include "batch/dialogue_writer.h"

#include "batch/writers.h"

namespace batch {

void DialogueWriter::write(const Record& record, std::string& out) {
  if (started_) {
    out += "2\n";
  }
  int changed = 0;
  for (int k = 0; k < 81; ++k) {
    changed += record.cells[k] != entered_[k] ? 1 : 0;
  }
  append_number(static_cast<uint64_t>(changed), out);
  out += '\n';
  for (int k = 0; k < 81; ++k) {
    if (record.cells[k] != entered_[k]) {
      out += static_cast<char>('1' + k % 9);
      out += ' ';
      out += static_cast<char>('1' + k / 9);
      out += ' ';
      out += static_cast<char>('0' + record.cells[k]);
      out += '\n';
    }
  }
  out += "0\n";
  entered_ = record.cells;
  started_ = true;
}

void DialogueWriter::finish(std::string& out) {
  if (started_) {
    out += "1\n";
  }
}

}  // namespace batch
