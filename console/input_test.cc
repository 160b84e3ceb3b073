// Console integer input over the in-memory platform. Each table row is a
// read statement on the lines typed, followed by a one-item statement that
// shows where the first one left the input; rows run with standard input as
// a console (one line per read) and as a file (all lines in one stream).
#include "console/input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console/channel.h"
#include "console/console_testing.h"
#include "console/fake_platform.h"
#include "tests/support/child.h"

namespace console {
namespace {

constexpr int32_t U = -777;  // an item's value before the statement: "unchanged"

using testing::report;

struct Row {
  int line;
  std::vector<std::string> typed;  // input lines, each given its CR LF
  std::vector<int32_t> items;      // the items afterwards (also when an error stops the run)
  int32_t error = 0;               // the fatal error expected, or 0
  int32_t next = 42;               // read by the next statement from the line "42"
};

struct Outcome {
  int32_t status = -1;
  std::vector<int32_t> items;
  int32_t next = U;
  std::string out;
  std::string err;
};

// One statement of `count` items, then a one-item statement.
Outcome run_statements(const std::vector<std::string>& reads, bool console_input,
                       std::size_t count) {
  FakePlatform p(reads);
  p.devices(console_input, false);
  Outcome o;
  o.items.assign(count, U);
  o.status = run_fake(p, [&] {
    read_begin();
    for (int32_t& item : o.items) {
      read_int(item);
    }
    read_end();
    read_begin();
    read_int(o.next);
    read_end();
  });
  o.out = p.out;
  o.err = p.err;
  return o;
}

void check_rows(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    // A console line holds at most 130 characters: longer rows run as a file.
    bool fits = std::all_of(row.typed.begin(), row.typed.end(),
                            [](const std::string& line) { return line.size() <= 130; });
    for (bool console_input : {true, false}) {
      if (console_input && !fits) {
        continue;
      }
      SCOPED_TRACE(::testing::Message()
                   << "row at line " << row.line << (console_input ? ", console" : ", file"));
      std::vector<std::string> reads;
      std::string stream;
      for (const std::string& line : row.typed) {
        reads.push_back(line + "\r\n");
        stream += line + "\r\n";
      }
      reads.push_back("42\r\n");
      stream += "42\r\n";
      if (!console_input) {
        reads = {stream};  // a file: the record may hold several lines
      }
      Outcome o = run_statements(reads, console_input, row.items.size());
      EXPECT_EQ(o.items, row.items);
      EXPECT_EQ(o.out, "");
      if (row.error != 0) {
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.err, report(row.error)) << testing_support::visible(o.err);
        EXPECT_EQ(o.next, U);
      } else {
        EXPECT_EQ(o.status, 0);
        EXPECT_EQ(o.err, "");
        EXPECT_EQ(o.next, row.next);
      }
    }
  }
}

TEST(Input, Separators) {
  check_rows({
      {__LINE__, {"3 1 5"}, {3, 1, 5}},
      {__LINE__, {"3,1,5"}, {3, 1, 5}},
      {__LINE__, {"3 , 1 , 5"}, {3, 1, 5}},
      {__LINE__, {"3\t1\t5"}, {3, 1, 5}},
      {__LINE__, {"3,\t1 ,\t5"}, {3, 1, 5}},
      {__LINE__, {"\t 3\t1  5  "}, {3, 1, 5}},
      {__LINE__, {",5"}, {U, 5}},
      {__LINE__, {"3,,5"}, {3, U, 5}},
      {__LINE__, {"3 ,,5"}, {3, U, 5}},  // one comma joins the blanks, the next is a null value
      {__LINE__, {",,", "7"}, {U, U, 7}},
      {__LINE__, {"3 1 5 9"}, {3, 1, 5}},
      {__LINE__, {"2 9 9"}, {2}},
  });
}

TEST(Input, LineBreaksAndEmptyLines) {
  check_rows({
      {__LINE__, {"3", "1 5"}, {3, 1, 5}},
      {__LINE__, {"", "", "3 1 5"}, {3, 1, 5}},
      {__LINE__, {"   ", "\t", "7"}, {7}},
      {__LINE__, {"1,", ",5"}, {1, U, 5}},
      {__LINE__, {"5\r7", "8"}, {5, 8}},  // a lone CR ends the line; "7" is left
      {__LINE__, {"5\r7"}, {5}},
  });
}

TEST(Input, Slash) {
  check_rows({
      {__LINE__, {"3 1/"}, {3, 1, U}},
      {__LINE__, {"3 1/ 9"}, {3, 1, U}},
      {__LINE__, {"/"}, {U, U, U}},
      {__LINE__, {"3 1 5/"}, {3, 1, 5}},
      {__LINE__, {"3,/"}, {3, U, U}},
      {__LINE__, {"3", "/ 8"}, {3, U, U}},
  });
}

TEST(Input, RepeatCounts) {
  check_rows({
      {__LINE__, {"3*7"}, {7, 7, 7}},
      {__LINE__, {"3*,"}, {U, U, U}},
      {__LINE__, {"3* 7"}, {U, U, U}},  // a blank right after the count ends a null value
      {__LINE__, {"2*1 5"}, {1, 1, 5}},
      {__LINE__, {"5*1"}, {1}},
      {__LINE__, {"2*7", "8"}, {7, 7, 8}},
      {__LINE__, {"3*7/"}, {7, 7, 7}},
      {__LINE__, {"2*5/ 9"}, {5, 5, U}},
      // A count of 1 owes nothing further: a blank after it is skipped like any
      // leading blank, a comma is a null value, and another count may follow.
      {__LINE__, {"1* 5"}, {5}},
      {__LINE__, {"1*,5"}, {U, 5}},
      {__LINE__, {"1*3*4"}, {4, 4, 4}},
      {__LINE__, {"-1*5"}, {5, 5, 5}},
      {__LINE__, {"-2147483648*5 9"}, {5, 5, 5}},
      // A null repetition ended by the line end leaves one more line at read_end.
      {__LINE__, {"2*", "8"}, {U, U}},
      {__LINE__, {"2*", "8"}, {U, U, 8}},
      {__LINE__, {"0*5"}, {U}, 6502},
      {__LINE__, {"*5"}, {U}, 6502},
      {__LINE__, {"1 2*3*4"}, {1, U, U}, 6503},
      {__LINE__, {"x*5"}, {U}, 6101},
      {__LINE__, {"2147483648*5"}, {U}, 6100},
      {__LINE__, {"3*x"}, {U}, 6101},
  });
}

TEST(Input, ValueLength) {
  const std::string zeros(258, '0');
  check_rows({
      {__LINE__, {zeros + "7 9"}, {7}},  // 259 characters: the longest value
      {__LINE__, {zeros + "07 9"}, {U}, 6101},
      {__LINE__, {std::string(1000, ' ') + "8"}, {8}},
  });
}

TEST(Input, QuotedAndParenthesisedValues) {
  check_rows({
      {__LINE__, {"''"}, {U}},
      {__LINE__, {"\"\""}, {U}},
      {__LINE__, {"()"}, {U}},
      {__LINE__, {"( )"}, {U}},
      {__LINE__, {"(", ")"}, {U}},
      {__LINE__, {"'',5"}, {U, 5}},
      {__LINE__, {"'' 5"}, {U, 5}},
      {__LINE__, {"''/ 5"}, {U, U}},
      {__LINE__, {"(),5"}, {U, 5}},  // ")" ends like a blank, the comma joins it
      {__LINE__, {"2*'' 5"}, {U, U, 5}},
      {__LINE__, {"'", "x',5"}, {U, 5}},  // the first byte of the next line is skipped
      {__LINE__, {"3 '5'"}, {3, U}, 6504},
      {__LINE__, {"\"5\""}, {U}, 6504},
      {__LINE__, {"(1,2)"}, {U}, 6504},
      {__LINE__, {"(,)"}, {U}, 6504},  // inside parentheses a comma is text
      {__LINE__, {"(7", "8)"}, {U}, 6504},
      {__LINE__, {"'it''s'"}, {U}, 6504},
      {__LINE__, {"'" + std::string(300, '5') + "'"}, {U}, 6504},  // any length
  });
}

// Conversion cases, checked on to_int32 itself and as typed values.
struct ConversionRow {
  int line;
  std::string text;
  int32_t value;
  int32_t error = 0;
};

const std::vector<ConversionRow>& conversions() {
  static const std::vector<ConversionRow> table = {
      // Signs and range.
      {__LINE__, "+7", 7},
      {__LINE__, "007", 7},
      {__LINE__, "-0", 0},
      {__LINE__, "-", 0},
      {__LINE__, "+", 0},
      {__LINE__, "-2147483648", -2147483647 - 1},
      {__LINE__, "2147483647", 2147483647},
      {__LINE__, "-2147483647", -2147483647},
      {__LINE__, "+0002147483647", 2147483647},
      {__LINE__, "2147483648", 0, 6100},
      {__LINE__, "-2147483649", 0, 6100},
      {__LINE__, "-02147483648", 0, 6100},
      {__LINE__, "99999999999999999999", 0, 6100},
      {__LINE__, "12\x1az", 12},  // Ctrl-Z ends a decimal number
      // Based form.
      {__LINE__, "16#1F", 31},
      {__LINE__, "16#1f", 31},
      {__LINE__, "#ff", 255},
      {__LINE__, "0#10", 16},
      {__LINE__, "2#101", 5},
      {__LINE__, "-16#10", -16},
      {__LINE__, "+8#17", 15},
      {__LINE__, "36#Zz", 35 * 36 + 35},
      {__LINE__, "16#", 0},
      {__LINE__, "16#FFFFFFFF", -1},
      {__LINE__, "16#80000000", -2147483647 - 1},
      {__LINE__, "-16#FFFFFFFF", 1},
      {__LINE__, "10#2147483647", 2147483647},
      {__LINE__, "16#100000000", 0, 6100},
      {__LINE__, "10#2147483648", 0, 6100},
      {__LINE__, "37#1", 0, 6303},
      {__LINE__, "1#1", 0, 6303},
      {__LINE__, "-99#", 0, 6303},
      {__LINE__, "16#1#2", 0, 6302},
      {__LINE__, "8#9", 0, 6101},
      {__LINE__, "16#g", 0, 6101},
      {__LINE__, "16#1.0", 0, 6101},
      // Characters that are no part of an integer.
      {__LINE__, "1.5", 0, 6101},
      {__LINE__, "3x", 0, 6101},
      {__LINE__, "1e2", 0, 6101},
      {__LINE__, "a", 0, 6101},
      {__LINE__, "5-3", 0, 6101},
      {__LINE__, "--5", 0, 6101},
      {__LINE__, "7)", 0, 6101},
      {__LINE__, "7(", 0, 6101},
      {__LINE__, "7'", 0, 6101},
      {__LINE__, "\xc3\xa9", 0, 6101},
      {__LINE__, std::string("1\0", 2), 0, 6101},
  };
  return table;
}

TEST(Input, ToInt32) {
  for (const ConversionRow& c : conversions()) {
    SCOPED_TRACE(::testing::Message() << "row at line " << c.line);
    Conversion got = to_int32(c.text);
    EXPECT_EQ(got.error, c.error);
    EXPECT_EQ(got.value, c.value);
  }
  EXPECT_EQ(to_int32("").value, 0);  // "*" with no count before it reads 0
}

TEST(Input, ConversionsAsTypedValues) {
  std::vector<Row> rows;
  for (const ConversionRow& c : conversions()) {
    rows.push_back({c.line, {c.text + " 9"}, {c.error != 0 ? U : c.value}, c.error});
  }
  check_rows(rows);
}

// The separator that ended each value, as the scanner reports it.
TEST(Input, ScannerSeparators) {
  FakePlatform p({"1 , 2,3/"});
  run_fake(p, [] {
    read_begin();
    for (auto [text, separator] :
         {std::pair{"1", Separator::blank}, {"2", Separator::comma}, {"3", Separator::slash}}) {
      EXPECT_EQ(next_value().text, text);
      EXPECT_EQ(read_statement().last_separator, separator);
    }
  });
}

// ---- Lines as they arrive from standard input ----------------------------------

struct LineRow {
  int line;
  std::vector<std::string> reads;  // the reads standard input delivers
  bool console_input;
  int32_t item;  // after a one-item statement
  int32_t error;
  bool reads_fail = false;  // once the reads above are used up
};

TEST(Input, LineReads) {
  const std::string longest = "5" + std::string(129, ' ');  // 130 characters
  const LineRow rows[] = {
      {__LINE__, {}, true, U, 6501},
      {__LINE__, {}, false, U, 6501},
      {__LINE__, {"", "5\r\n"}, false, U, 6501},  // a read of no bytes is final
      // Ctrl-Z as the last character before the line end: the digits are not read.
      {__LINE__, {"12\x1a\r\n"}, true, U, 6501},
      {__LINE__, {"\x1a\r\n"}, true, U, 6501},
      {__LINE__, {"\x1axy"}, true, U, 6501},  // counted on the bytes read, before an LF is added
      {__LINE__, {"12\x1a\r\n"}, false, U, 6501},
      {__LINE__, {"1\x1a 2\r\n"}, true, 1, 0},
      {__LINE__, {}, false, U, 6500, true},  // the read fails
      // A last line without a line end (or Ctrl-D after some characters).
      {__LINE__, {"12"}, true, 12, 0},
      {__LINE__, {"12"}, false, 12, 0},
      // The line length limit holds for a console only.
      {__LINE__, {longest + "\r\n"}, true, 5, 0},
      {__LINE__, {longest + " \r\n"}, true, U, 6407},
      {__LINE__, {longest + " \r\n"}, false, 5, 0},
      {__LINE__, {std::string(400, ' ') + "8\r\n"}, false, 8, 0},
      // A last line without a line end that fills whole records is still read.
      {__LINE__, {std::string(131, ' ') + "7"}, false, 7, 0},
      {__LINE__, {std::string(263, ' ') + "7"}, false, 7, 0},
      {__LINE__, {std::string(131, ' ') + "7"}, true, U, 6407},
  };
  for (const LineRow& row : rows) {
    SCOPED_TRACE(::testing::Message() << "row at line " << row.line);
    FakePlatform p(row.reads);
    p.devices(row.console_input, false);
    p.fail_reads_when_empty = row.reads_fail;
    int32_t item = U;
    int32_t status = run_fake(p, [&] {
      read_begin();
      read_int(item);
      read_end();
    });
    EXPECT_EQ(item, row.item);
    EXPECT_EQ(status, row.error == 0 ? 0 : 1);
    EXPECT_EQ(p.err, row.error == 0 ? "" : report(row.error));
  }
}

// Lines ended by LF alone; the LF after a closing quote is left for the
// statement's end, which leaves that line only.
TEST(Input, LineFeedOnlyLineEnds) {
  const std::vector<std::string> lines = {"3 1\n", "5\n", "''\n", "6\n"};
  for (bool console_input : {true, false}) {
    SCOPED_TRACE(console_input ? "console" : "file");
    FakePlatform p(console_input
                       ? lines
                       : std::vector<std::string>{lines[0] + lines[1] + lines[2] + lines[3]});
    p.devices(console_input, false);
    std::vector<int32_t> v(5, U);
    auto statement = [&](std::size_t from, std::size_t to) {
      read_begin();
      for (std::size_t k = from; k < to; ++k) {
        read_int(v[k]);
      }
      read_end();
    };
    EXPECT_EQ(run_fake(p,
                       [&] {
                         statement(0, 3);
                         statement(3, 4);
                         statement(4, 5);
                       }),
              0);
    EXPECT_EQ(v, (std::vector<int32_t>{3, 1, 5, U, 6}));
  }
}

// ---- The dialogue's statements ------------------------------------------------

// i, j and then the cell (i, j): the third target comes from the values just
// stored. The grid is indexed [line j][column i].
TEST(Input, CellStatement) {
  struct CellRow {
    int line;
    std::vector<std::string> reads;
    int32_t i, j, cell;  // the cell (i, j) afterwards
  };
  const CellRow rows[] = {
      {__LINE__, {"3 1 5\r\n"}, 3, 1, 5},
      {__LINE__, {"3,1,5\r\n"}, 3, 1, 5},
      {__LINE__, {"3,\r\n", "\r\n", "1 5\r\n"}, 3, 1, 5},
      {__LINE__, {"3 1/\r\n"}, 3, 1, 4},
      {__LINE__, {",,5\r\n"}, 7, 8, 5},  // i and j keep 7 and 8
      {__LINE__, {"2*9 6\r\n"}, 9, 9, 6},
  };
  for (const CellRow& row : rows) {
    for (bool console_input : {true, false}) {
      SCOPED_TRACE(::testing::Message()
                   << "row at line " << row.line << (console_input ? ", console" : ", file"));
      FakePlatform p(row.reads);
      p.devices(console_input, console_input);
      int32_t grid[9][9];
      for (auto& line : grid) {
        std::fill(std::begin(line), std::end(line), 4);
      }
      int32_t i = 7;
      int32_t j = 8;
      EXPECT_EQ(run_fake(p,
                         [&] {
                           read_begin();
                           read_int(i);
                           read_int(j);
                           read_int(grid[j - 1][i - 1]);
                           read_end();
                         }),
                0);
      EXPECT_EQ(i, row.i);
      EXPECT_EQ(j, row.j);
      EXPECT_EQ(grid[row.j - 1][row.i - 1], row.cell);
      int changed = 0;
      for (auto& line : grid) {
        changed += static_cast<int>(
            std::count_if(std::begin(line), std::end(line), [](int32_t c) { return c != 4; }));
      }
      EXPECT_EQ(changed, row.cell != 4 ? 1 : 0);
    }
  }
}

// ---- Both arrangements: the output around a read ---------------------------------

// A prompt, a read statement, a second line: what fd 1 receives and when.
struct Exchange {
  int32_t status;
  int32_t item;
  std::string out;
  std::string err;
  std::vector<std::string> trace;  // "w:<bytes>" per write to fd 1, "r" per read
};

Exchange exchange(bool in_device, bool out_device, std::vector<std::string> reads) {
  FakePlatform p(std::move(reads));
  p.devices(in_device, out_device);
  Exchange e{};
  e.item = U;
  e.status = run_fake(p, [&] {
    write_free_form("prompt");
    read_begin();
    read_int(e.item);
    read_end();
    write_free_form("next");
  });
  for (const FakePlatform::Event& ev : p.events) {
    if (ev.kind == FakePlatform::Event::read) {
      e.trace.push_back("r");
    } else if (ev.kind == FakePlatform::Event::write && ev.fd == kStdout) {
      e.trace.push_back("w:" + ev.bytes);
    }
  }
  e.out = p.out;
  e.err = p.err;
  return e;
}

using Trace = std::vector<std::string>;

TEST(Input, InteractiveLineEndIsWrittenBeforeTheWait) {
  Exchange e = exchange(true, true, {"\r\n", "5\r\n"});
  EXPECT_EQ(e.status, 0);
  EXPECT_EQ(e.item, 5);
  // The empty line is skipped without a byte written; after the answer's line
  // the next record needs no line end in front.
  EXPECT_EQ(e.trace, (Trace{"w:prompt", "w:\r\n", "r", "r", "w:next", "w:\r\n"}));
}

TEST(Input, RedirectedOutputWritesNothingAtARead) {
  for (bool in_device : {true, false}) {
    SCOPED_TRACE(in_device ? "console input" : "file input");
    Exchange e = exchange(in_device, false, {"5\r\n"});
    EXPECT_EQ(e.status, 0);
    EXPECT_EQ(e.item, 5);
    EXPECT_EQ(e.trace, (Trace{"w:prompt", "r", "w:\r\n", "w:next", "w:\r\n"}));
  }
}

TEST(Input, FatalErrorAtAPromptInBothArrangements) {
  struct Case {
    int line;
    bool interactive;
    std::vector<std::string> reads;
    int32_t error;
    std::string out;
  };
  const Case cases[] = {
      // End of input: the read never passed a line end, so the stop writes
      // one more CR LF.
      {__LINE__, true, {}, 6501, "prompt\r\n\r\n"},
      {__LINE__, false, {}, 6501, "prompt\r\n"},
      // A bad value ended by its line end: that line end was passed first.
      {__LINE__, true, {"a\r\n"}, 6101, "prompt\r\n"},
      {__LINE__, true, {"a 5\r\n"}, 6101, "prompt\r\n\r\n"},
      {__LINE__, false, {"a\r\n"}, 6101, "prompt\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "row at line " << c.line);
    Exchange e = exchange(c.interactive, c.interactive, c.reads);
    EXPECT_EQ(e.status, 1);
    EXPECT_EQ(e.item, U);
    EXPECT_EQ(e.out, c.out) << testing_support::visible(e.out);
    EXPECT_EQ(e.err, report(c.error));
  }
}

// In the interactive arrangement the record is shared with the output side: a
// statement that follows output does not read what the record held.
TEST(Input, SharedRecordIsEmptiedAfterOutput) {
  for (bool interactive : {true, false}) {
    SCOPED_TRACE(interactive ? "interactive" : "console input, redirected output");
    FakePlatform p({"5\r\n"});
    p.devices(true, interactive);
    int32_t item = U;
    EXPECT_EQ(run_fake(p,
                       [&] {
                         InputRecord& r = state().input;
                         std::string stale = "7\r\n";
                         std::copy(stale.begin(), stale.end(), r.buffer.begin());
                         r.position = 0;
                         r.last = 2;
                         write_free_form("prompt");
                         read_begin();
                         read_int(item);
                         read_end();
                       }),
              0);
    EXPECT_EQ(item, interactive ? 5 : 7);
  }
}

}  // namespace
}  // namespace console
