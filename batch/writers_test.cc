// Each writer on one solved puzzle and one refused line, byte for byte, and
// the escaping of names that hold any byte. The puzzle is a full grid less
// two cells, which the box phase of the first iteration fills: 1 at (1,1)
// from box 1, then 8 at (9,9) from box 9.
#include "batch/writers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch/dialogue_writer.h"

namespace batch {
namespace {

const std::string kSolution =
    "123456789456789123789123456234567891567891234891234567345678912678912345912345678";

Record puzzle_record() {
  Record r;
  r.line = 7;
  for (int k = 0; k < 81; ++k) {
    r.cells[k] = static_cast<uint8_t>(kSolution[k] - '0');
  }
  r.cells[0] = 0;
  r.cells[80] = 0;
  return r;
}

Record refused_record() {
  Record r;
  r.line = 9;
  r.refusal = Refusal::bad_byte;
  r.where = 3;
  r.byte = '@';
  return r;
}

std::string write(Format format, bool count, bool explain, bool hint) {
  const WriteOptions options{format, count, explain, hint};
  Result result;
  solve(puzzle_record(), SolveOptions{count, explain || hint}, result);
  std::string out;
  write_header(options, out);
  write_result(options, "f.txt", 7, result, out);
  write_refusal(options, "f.txt", refused_record(), out);
  return out;
}

const std::string kGivens = "." + kSolution.substr(1, 79) + ".";
constexpr const char* kRefusal =
    "column 3: '@' is not a cell (1-9, or '.', '0', '_', '*', 'x' or '-' for an empty cell)";

TEST(Writers, Text) {
  EXPECT_EQ(write(Format::text, true, true, false),
            "f.txt:7\n"
            " 1 2 3 | 4 5 6 | 7 8 9\n"
            " 4 5 6 | 7 8 9 | 1 2 3\n"
            " 7 8 9 | 1 2 3 | 4 5 6\n"
            "-------+-------+-------\n"
            " 2 3 4 | 5 6 7 | 8 9 1\n"
            " 5 6 7 | 8 9 1 | 2 3 4\n"
            " 8 9 1 | 2 3 4 | 5 6 7\n"
            "-------+-------+-------\n"
            " 3 4 5 | 6 7 8 | 9 1 2\n"
            " 6 7 8 | 9 1 2 | 3 4 5\n"
            " 9 1 2 | 3 4 5 | 6 7 8\n"
            "verdict: le sudoku est trouve\n"
            "iteration 1: 2 boxes, 0 lines, 0 columns\n"
            "solutions: 1\n"
            "steps:\n"
            "  iteration 1: 1 has only one place in box 1: (1,1)\n"
            "  iteration 1: 8 has only one place in box 9: (9,9)\n"
            "\n"
            "f.txt:9\n"
            "refused: " +
                std::string(kRefusal) +
                "\n"
                "\n");
  // The hint draws the grid as given, the cell of the move marked.
  const std::string hint = write(Format::text, false, false, true);
  EXPECT_TRUE(hint.starts_with("f.txt:7\n * 2 3 | 4 5 6 | 7 8 9\n")) << hint;
  EXPECT_NE(hint.find(" 9 1 2 | 3 4 5 | 6 7 .\n"), std::string::npos) << hint;
  EXPECT_NE(hint.find("iteration 1: 2 boxes, 0 lines, 0 columns\n"
                      "next move: 1 has only one place in box 1: (1,1)\n\n"),
            std::string::npos)
      << hint;
}

// A full grid whose givens repeat a digit: the verdict stays the dialogue's,
// and every format says which digit repeats where; the hint says the grid is
// complete.
TEST(Writers, ConflictInEveryFormat) {
  Record r;
  for (int k = 0; k < 81; ++k) {
    r.cells[k] = static_cast<uint8_t>(kSolution[k] - '0');
  }
  r.cells[1] = 4;  // (2,1): a second 4 in line 1
  Result result;
  solve(r, SolveOptions{false, true}, result);
  const struct {
    Format format;
    std::string expected;
  } rows[] = {
      {Format::text,
       "the givens break the rules: 4 repeated in box 1\n"
       "next move: none, the grid is complete\n"},
      {Format::line, "\tle sudoku est trouve\t0,0,0\t\tbox:1:4\n"},
      {Format::csv, ",,box:1:4,\n"},
      {Format::jsonl, R"("conflict":{"unit":"box","number":1,"digit":4},)"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.format));
    std::string out;
    write_result(WriteOptions{row.format, false, false, true}, "f", 1, result, out);
    EXPECT_NE(out.find(row.expected), std::string::npos) << out;
  }
}

TEST(Writers, Line) {
  EXPECT_EQ(
      write(Format::line, false, false, false),
      kSolution + "\tle sudoku est trouve\t2,0,0\t-\n" + "error\tf.txt\t9\t" + kRefusal + "\n");
  EXPECT_EQ(write(Format::line, true, false, true),
            kSolution + "\tle sudoku est trouve\t2,0,0\t1\t1:carres:1@(1,1)\t-\n" +
                "error\tf.txt\t9\t" + kRefusal + "\n");
}

TEST(Writers, Csv) {
  EXPECT_EQ(
      write(Format::csv, true, true, false),
      "source,line,givens,verdict,iterations,grid,solutions,solution,placements,conflict,error\n"
      "f.txt,7," +
          kGivens + ",le sudoku est trouve,\"2,0,0\"," + kSolution + ",1," + kSolution +
          ",1:carres:1@(1,1) 1:carres:8@(9,9),,\n"
          "f.txt,9,,,,,,,,,\"" +
          kRefusal + "\"\n");
}

TEST(Writers, Jsonl) {
  EXPECT_EQ(
      write(Format::jsonl, true, true, false),
      R"({"source":"f.txt","line":7,"givens":")" + kGivens +
          R"(","verdict":"le sudoku est trouve","conflict":null,"iterations":[{"carres":2,)"
          R"("lignes":0,)"
          R"("colonnes":0}],"grid":")" +
          kSolution + R"(","solutions":1,"solution":")" + kSolution +
          R"(","placements":[{"iteration":1,"phase":"carres","digit":1,"i":1,"j":1},)"
          R"({"iteration":1,"phase":"carres","digit":8,"i":9,"j":9}]})"
          "\n"
          R"x({"source":"f.txt","line":9,"error":"column 3: '@' is not a cell (1-9, or '.', )x"
          R"x('0', '_', '*', 'x' or '-' for an empty cell)"})x"
          "\n");
}

// A made puzzle (here the full grid less two cells, as if a half turn kept
// its pattern) in each format.
TEST(Writers, MadePuzzle) {
  Result result;
  solve(puzzle_record(), SolveOptions{true, false}, result);
  result.origin = {true, 42, Symmetry::rotate180, 79};
  struct Row {
    Format format;
    std::string expected;
  };
  const std::vector<Row> rows{
      {Format::text,
       "puzzle 3 (seed 42)\n"
       " . 2 3 | 4 5 6 | 7 8 9\n"
       " 4 5 6 | 7 8 9 | 1 2 3\n"
       " 7 8 9 | 1 2 3 | 4 5 6\n"
       "-------+-------+-------\n"
       " 2 3 4 | 5 6 7 | 8 9 1\n"
       " 5 6 7 | 8 9 1 | 2 3 4\n"
       " 8 9 1 | 2 3 4 | 5 6 7\n"
       "-------+-------+-------\n"
       " 3 4 5 | 6 7 8 | 9 1 2\n"
       " 6 7 8 | 9 1 2 | 3 4 5\n"
       " 9 1 2 | 3 4 5 | 6 7 .\n"
       "iterations: 1, givens: 79, symmetry: rotate180\n\n"},
      {Format::line, kGivens + " # iterations 1, 79 givens, symmetry rotate180\n"},
      {Format::csv, "number,puzzle,solution,givens,verdict,iterations,symmetry,seed\n3," + kGivens +
                        "," + kSolution + ",79,le sudoku est trouve,\"2,0,0\",rotate180,42\n"},
      {Format::jsonl, R"({"number":3,"puzzle":")" + kGivens + R"(","solution":")" + kSolution +
                          R"(","givens":79,"verdict":"le sudoku est trouve","iterations":)"
                          R"([{"carres":2,"lignes":0,"colonnes":0}],"symmetry":"rotate180",)"
                          R"("seed":42})"
                          "\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.format));
    WriteOptions options{row.format};
    options.made = true;
    std::string out;
    write_header(options, out);
    write_result(options, "-", 3, result, out);
    EXPECT_EQ(out, row.expected);
  }
}

TEST(Writers, NamesWithAnyByte) {
  struct Row {
    std::string name, json, escaped, csv;
  };
  const Row rows[] = {
      {"a\"b\\c", R"("a\"b\\c")", "a\"b\\\\c", "\"a\"\"b\\c\""},
      {"t\tn\nr\r\x01\x7F", R"("t\tn\nr\r\u0001\u007f")", "t\\tn\\nr\\r\\x01\\x7F",
       "\"t\tn\nr\r\x01\x7F\""},
      {"é€😀", "\"é€😀\"", "é€😀", "é€😀"},
      {"a,b", "\"a,b\"", "a,b", "\"a,b\""},
      // Not UTF-8: a lone continuation byte, 0xFF, an overlong form, a
      // surrogate, a code point past U+10FFFF, a sequence cut short.
      {"\x80|\xFF|\xC0\x80|\xED\xA0\x80|\xF4\x90\x80\x80|\xE2\x82",
       "\"\xEF\xBF\xBD|\xEF\xBF\xBD|\xEF\xBF\xBD\xEF\xBF\xBD|\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD|"
       "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD|\xEF\xBF\xBD\xEF\xBF\xBD\"",
       "\x80|\xFF|\xC0\x80|\xED\xA0\x80|\xF4\x90\x80\x80|\xE2\x82",
       "\x80|\xFF|\xC0\x80|\xED\xA0\x80|\xF4\x90\x80\x80|\xE2\x82"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.escaped);
    std::string json;
    append_json_string(row.name, json);
    EXPECT_EQ(json, row.json);
    std::string escaped;
    append_escaped(row.name, escaped);
    EXPECT_EQ(escaped, row.escaped);
    std::string csv;
    write_refusal(WriteOptions{Format::csv}, row.name, refused_record(), csv);
    EXPECT_EQ(csv.substr(0, csv.find(",9,")), row.csv);
  }
}

TEST(DialogueWriter, FirstPuzzleWholeThenTheDifferences) {
  DialogueWriter writer;
  std::string out;
  writer.finish(out);
  EXPECT_EQ(out, "") << "no puzzle, no session";

  Record first;
  first.cells[0] = 5;   // (1,1)
  first.cells[10] = 7;  // (2,2)
  first.cells[80] = 9;  // (9,9)
  Record second = first;
  second.cells[0] = 0;
  second.cells[10] = 3;
  second.cells[17] = 1;  // (9,2)
  writer.write(first, out);
  writer.write(second, out);
  writer.write(second, out);
  writer.finish(out);
  EXPECT_EQ(out,
            "3\n1 1 5\n2 2 7\n9 9 9\n0\n"
            "2\n3\n1 1 0\n2 2 3\n9 2 1\n0\n"
            "2\n0\n0\n"
            "1\n");
}

}  // namespace
}  // namespace batch
