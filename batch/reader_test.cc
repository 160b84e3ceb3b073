// The reader on tables of inputs, each fed whole, a byte at a time and in
// blocks of seven: the records must not depend on where the blocks end.
#include "batch/reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace batch {
namespace {

const std::string kPuzzle =
    "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......";

// A record as "line:cells" for a puzzle, "line:kind detail" for a refusal.
std::string describe(const Record& r) {
  std::string text = std::to_string(r.line) + ":";
  switch (r.refusal) {
    case Refusal::none:
      for (const uint8_t v : r.cells) {
        text += v == 0 ? '.' : static_cast<char>('0' + v);
      }
      return text;
    case Refusal::bad_byte:
      return text + "bad_byte " + std::to_string(r.where) + " " + std::to_string(r.byte);
    case Refusal::after_cells:
      return text + "after_cells " + std::to_string(r.where) + " " + std::to_string(r.byte);
    case Refusal::cell_count:
      return text + "cell_count " + std::to_string(r.count);
    case Refusal::too_long:
      return text + "too_long " + std::to_string(r.where);
    case Refusal::short_block:
      return text + "short_block " + std::to_string(r.count);
  }
  return text;
}

std::vector<std::string> read_all(const std::string& input, std::size_t block) {
  Reader reader;
  std::vector<std::string> records;
  Record r;
  for (std::size_t at = 0; at < input.size(); at += block) {
    reader.feed(input.data() + at, std::min(block, input.size() - at));
    while (reader.next(r)) {
      records.push_back(describe(r));
    }
  }
  reader.end_of_input();
  while (reader.next(r)) {
    records.push_back(describe(r));
  }
  return records;
}

std::string block_form() {
  std::string rows;
  for (int j = 0; j < 9; ++j) {
    if (j == 3 || j == 6) {
      rows += "------+-------+------\n\n";
    }
    for (int i = 0; i < 9; ++i) {
      rows += kPuzzle[j * 9 + i];
      rows += i == 2 || i == 5 ? " | " : " ";
    }
    rows += "\n";
  }
  return rows;
}

struct Case {
  int line;
  std::string input;
  std::vector<std::string> records;
};

TEST(Reader, Table) {
  const std::string p = kPuzzle;
  std::string zeros = p;
  std::string underscores = p;
  for (std::size_t k = 0; k < 81; ++k) {
    zeros[k] = p[k] == '.' ? '0' : p[k];
    underscores[k] = p[k] == '.' ? '_' : p[k];
  }
  const std::string long_comment(10000, 'c');
  const std::vector<Case> cases = {
      {__LINE__, p + "\n" + zeros + "\n" + underscores, {"1:" + p, "2:" + p, "3:" + p}},
      {__LINE__,
       p + " a\n" + p + "\tb\n" + p + ";c\n" + p + ":d\n" + p + "#e\n",
       {"1:" + p, "2:" + p, "3:" + p, "4:" + p, "5:" + p}},
      {__LINE__, p + "\r\n\r\n" + p + "\r", {"1:" + p, "3:" + p}},
      {__LINE__, "\xEF\xBB\xBF" + p + "\n", {"1:" + p}},
      {__LINE__, "# title\n\n   \t\n  # indented\n  " + p + "\n", {"5:" + p}},
      {__LINE__, "+-------+\n" + block_form() + "+-------+\n" + p + "\n", {"2:" + p, "16:" + p}},
      {__LINE__,
       "1 2 3 | 4 5 6 | 7 8 9\n\n. . . . . . . . .\n# note\n" + p + "\n",
       {"1:short_block 2", "5:" + p}},
      {__LINE__, "123456789\n", {"1:short_block 1"}},
      {__LINE__, "12x\n", {"1:bad_byte 3 120"}},
      {__LINE__, "  \x01\n", {"1:bad_byte 3 1"}},
      {__LINE__, "1 2 3 - 4\n", {"1:bad_byte 7 45"}},
      {__LINE__, p + "x\n" + p + "|\n", {"1:after_cells 82 120", "2:after_cells 82 124"}},
      {__LINE__, p.substr(1) + "\n" + p + "1\n", {"1:cell_count 80", "2:cell_count 82"}},
      {__LINE__, p + " " + long_comment + "\n# " + long_comment + "\n" + p, {"1:" + p, "3:" + p}},
      {__LINE__, std::string(10000, '1') + "\r\n" + p + "\n", {"1:too_long 10000", "2:" + p}},
      {__LINE__, std::string(5000, 'x'), {"1:bad_byte 1 120"}},
      {__LINE__, "", {}},
      {__LINE__, "\n\n", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("case at line " + std::to_string(c.line));
    for (const std::size_t block : {c.input.size() + 1, std::size_t{1}, std::size_t{7}}) {
      SCOPED_TRACE("blocks of " + std::to_string(block));
      EXPECT_EQ(read_all(c.input, block), c.records);
    }
  }
}

TEST(Reader, DroppedPartialLineGivesNoRecord) {
  Reader reader;
  const std::string input = kPuzzle + "\n" + kPuzzle.substr(0, 40);
  reader.feed(input.data(), input.size());
  Record r;
  ASSERT_TRUE(reader.next(r));
  EXPECT_FALSE(reader.next(r));
  reader.drop_partial_line();
  reader.end_of_input();
  EXPECT_FALSE(reader.next(r));
}

}  // namespace
}  // namespace batch
