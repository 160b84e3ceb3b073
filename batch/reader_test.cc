// The reader on one table of inputs, in every form it reads and damaged, each
// fed whole, a byte at a time and in blocks of seven: the records must not
// depend on where the blocks end.
#include "batch/reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace batch {
namespace {

const std::string kPuzzle =
    "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......";
const std::string kOther =
    "52...6.........7.13...........4..8..6......5...........418.........3..2...87.....";

// A record as "line:cells" for a puzzle, "line:kind detail" for a refusal.
std::string describe(const Record& r) {
  std::string text = std::to_string(r.line) + ":";
  const std::string lines = std::to_string(r.line) + "-" + std::to_string(r.last) + " ";
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
      return text + "short_block " + lines + std::to_string(r.count);
    case Refusal::long_block:
      return text + "long_block " + lines + std::to_string(r.count);
    case Refusal::block_rule:
      return text + "block_rule " + lines + std::to_string(r.count);
    case Refusal::utf16:
      return text + "utf16 " + std::to_string(r.byte);
    case Refusal::not_text:
      return text + "not_text";
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

// The rows of `p` in block form: `cell` writes one row of nine cells, `rule`
// is the line after rows 3 and 6 ("" for none), `skip` leaves a row out.
std::string rows_of(const std::string& p, const std::string& gap, const std::string& bar,
                    const std::string& rule, int skip = -1) {
  std::string text;
  for (int j = 0; j < 9; ++j) {
    if ((j == 3 || j == 6) && !rule.empty()) {
      text += rule + "\n";
    }
    if (j == skip) {
      continue;
    }
    for (int i = 0; i < 9; ++i) {
      text += p[j * 9 + i];
      text += i == 8 ? "" : (i == 2 || i == 5 ? gap + bar + gap : gap);
    }
    text += "\n";
  }
  return text;
}

std::string with(const std::string& p, char empty) {
  std::string q = p;
  std::replace(q.begin(), q.end(), '.', empty);
  return q;
}

std::string spaced(const std::string& p, const std::string& gap) {
  std::string q;
  for (std::size_t k = 0; k < p.size(); ++k) {
    q += (k > 0 ? gap : "") + p.substr(k, 1);
  }
  return q;
}

std::string repeated(const std::string& text, int times) {
  std::string all;
  for (int n = 0; n < times; ++n) {
    all += text;
  }
  return all;
}

struct Case {
  int line;
  std::string input;
  std::vector<std::string> records;
};

TEST(Reader, EveryFormAndItsDamage) {
  const std::string p = kPuzzle;
  const std::string q = kOther;
  const std::string P = "1:" + p;
  const std::string plain = rows_of(p, "", "", "");
  const std::string ascii = "+-------+-------+-------+\n" +
                            rows_of(p, " ", "|", "|-------+-------+-------|") +
                            "+-------+-------+-------+\n";
  // Box-drawing: a rule after every row, double lines between bands.
  std::string boxed = "\u2554\u2550\u2550\u2550\u2564\u2550\u2550\u2550\u2557\n";
  for (int j = 0; j < 9; ++j) {
    boxed += "\u2551 " + spaced(p.substr(j * 9, 9), " \u2502 ") + " \u2551\n";
    boxed += j == 8 ? "\u255a\u2550\u2550\u2550\u2567\u2550\u2550\u2550\u255d\n"
                    : "\u255f\u2500\u2500\u2500\u253c\u2500\u2500\u2500\u2562\n";
  }
  const std::string long_comment(10000, 'c');
  const std::vector<Case> cases = {
      // One puzzle a line: every empty cell, spacing and comment.
      {__LINE__,
       with(p, '0') + "\n" + with(p, '_') + "\n" + with(p, '*') + "\n" + with(p, 'x') + "\n" +
           with(p, 'X') + "\n" + with(p, '-') + "\n",
       {P, "2:" + p, "3:" + p, "4:" + p, "5:" + p, "6:" + p}},
      {__LINE__,
       spaced(p, " ") + "\n" + spaced(p, "\t") + "\n" + spaced(p, "|") + "\n  " +
           rows_of(p, " ", "|", "").substr(0, 0) + spaced(p, " | ") + "  \n",
       {P, "2:" + p, "3:" + p, "4:" + p}},
      {__LINE__,
       p + " a 1\n" + p + "\t1.2\n" + p + ";c\n" + p + ":d\n" + p + "#e\n" + p + ",9.1,2,3\n" +
           spaced(p, " ") + " rated 3\n" + spaced(p, " ") + " ; 1 2\n",
       {P, "2:" + p, "3:" + p, "4:" + p, "5:" + p, "6:" + p, "7:" + p, "8:" + p}},
      // Kaggle CSV, a forum list with ratings, a heading.
      {__LINE__, "quizzes,solutions\n" + with(p, '0') + "," + with(q, '0') + "\n", {"2:" + p}},
      {__LINE__, "Grid 01\n" + plain + "Grid 02\n" + rows_of(q, "", "", ""), {"2:" + p, "12:" + q}},
      {__LINE__, "\u00C9nigme 1\n" + p + "\n\u00E9t\u00E9, 2\n" + q, {"2:" + p, "4:" + q}},
      // A label before a row is no heading, whatever marks the empty cells.
      {__LINE__,
       "A " + with(p, 'x').substr(0, 9) + "\nB " + with(p, '.').substr(9, 9) + "\nC " +
           with(p, 'x') + "\n",
       {"1:bad_byte 1 65", "2:bad_byte 1 66", "3:bad_byte 1 67"}},
      // Line ends: CR LF, lone CR, mixed, none at the end; a byte order mark.
      {__LINE__, p + "\r\n\r\n" + p + "\r" + q + "\r\r\n" + p, {P, "3:" + p, "4:" + q, "6:" + p}},
      {__LINE__, repeated(p + "\r", 3), {P, "2:" + p, "3:" + p}},
      {__LINE__, "\xEF\xBB\xBF" + p + "\n", {P}},
      {__LINE__, "# title\n\n   \t\n  # indented\n  " + p + "\n", {"5:" + p}},
      // Block form: plain, ASCII borders, box drawing, rows with comments,
      // the .sdk sections; blocks set apart by blank lines or borders.
      {__LINE__, plain + "\n" + rows_of(q, "", "", "") + "\n" + p, {P, "11:" + q, "21:" + p}},
      {__LINE__, ascii + ascii + ascii, {"2:" + p, "15:" + p, "28:" + p}},
      {__LINE__, boxed + "\r\n" + boxed, {"2:" + p, "22:" + p}},
      {__LINE__, rows_of(p, " ", "|", "------+-------+------") + "\n", {P}},
      {__LINE__,
       "#Aauthor\n#Ddescription\n[Puzzle]\n" + plain + "[State]\n" + rows_of(q, "", "", "") + q +
           "\n[Puzzle]\n" + q + "\n",
       {"4:" + p, "25:" + q}},
      {__LINE__, "123456789 row one\n" + plain.substr(10), {"1:123456789" + p.substr(9)}},
      // Damaged blocks: never a puzzle made of rows that did not stand together.
      {__LINE__,
       rows_of(p, "", "", "", 4) + plain + plain + plain + plain,
       {"1:long_block 1-44 44"}},
      {__LINE__,
       rows_of(p, "", "", "", 4) + "\n" + plain + "\n" + plain,
       {"1:short_block 1-8 8", "10:" + p, "20:" + p}},
      {__LINE__, plain + "1 2 3 4 5 6 7 8 9\n\n" + plain, {"1:long_block 1-10 10", "12:" + p}},
      {__LINE__,
       "+---+\n" + rows_of(p, " ", "|", "---+---+---", 7) + "+---+\n+---+\n" + ascii,
       {"2:block_rule 2-11 8", "15:" + p}},
      {__LINE__,
       boxed.substr(0, boxed.find("\u255f", boxed.find("\u255f") + 1)) + boxed,
       {"2:short_block 2-4 2", "6:" + p}},
      {__LINE__,
       "1 2 3 | 4 5 6 | 7 8 9\n\n. . . . . . . . .\n# note\n" + p + "\n",
       {"1:short_block 1-1 1", "3:short_block 3-3 1", "5:" + p}},
      {__LINE__, rows_of(p, "", "", "", 8) + p + "\n", {"1:short_block 1-8 8", "9:" + p}},
      // Damaged lines: the reason, the bad byte and its column.
      {__LINE__,
       "12k\n  \x01\n1 2 3 + 4\n",
       {"1:bad_byte 3 107", "2:bad_byte 3 1", "3:bad_byte 7 43"}},
      {__LINE__,
       p + "k\n" + p + "|k\n" + spaced(p, " ") + " 5\n",
       {"1:after_cells 82 107", "2:after_cells 83 107", "3:cell_count 82"}},
      {__LINE__,
       p.substr(1) + "\n" + p + "1\n" + spaced(p.substr(1), " ") + "\n",
       {"1:cell_count 80", "2:cell_count 82", "3:cell_count 80"}},
      {__LINE__, "Puzzle " + p + "\n[Puzzle\n", {"1:bad_byte 1 80", "2:bad_byte 1 91"}},
      {__LINE__, p + " " + long_comment + "\n# " + long_comment + "\n" + p, {P, "3:" + p}},
      // A stray byte in each part of an 81-byte line that the plain reading
      // takes sixteen bytes at a time (the last part overlaps the one
      // before); 81 dashes are a rule.
      {__LINE__,
       "@" + p.substr(1) + "\n" + p.substr(0, 15) + "@" + p.substr(16) + "\n" + p.substr(0, 65) +
           "@" + p.substr(66) + "\n" + p.substr(0, 80) + "@\n" + std::string(81, '-') + "\n" +
           with(p, '-') + "\n",
       {"1:bad_byte 1 64", "2:bad_byte 16 64", "3:bad_byte 66 64", "4:bad_byte 81 64", "6:" + p}},
      {__LINE__, std::string(10000, '1') + "\r\n" + p + "\n", {"1:too_long 10000", "2:" + p}},
      {__LINE__, std::string(5000, '@'), {"1:bad_byte 1 64"}},
      {__LINE__, "", {}},
      {__LINE__, "\n\r\n\r", {}},
      // Not text: refused once, as a whole.
      {__LINE__, "\xFF\xFE" + spaced(p, std::string(1, '\0')) + "\n" + p, {"1:utf16 0"}},
      {__LINE__, "\xFE\xFF\n", {"1:utf16 1"}},
      {__LINE__,
       p + "\n\x7F" + "ELF\x02\x01\n" + std::string("\0\0\0\n", 4) + p,
       {P, "2:bad_byte 1 127", "3:not_text"}},
      {__LINE__, repeated("\x89PNG\x1A\n", 6) + p, {"1:not_text"}},
      {__LINE__,
       "\x89PNG\n\x89PNG\n" + p + "\n\x89PNG\n",
       {"1:bad_byte 1 137", "2:bad_byte 1 137", "3:" + p, "4:bad_byte 1 137"}},
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
