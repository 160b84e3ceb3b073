// Formatted output: preparation of templates into steps, the records a
// statement builds, integer editing, and refused templates.
#include "console/format.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "console/console_testing.h"

namespace console {
namespace {

using testing::FakeRun;
using testing::kRedirected;
using testing::same_bytes;

using Records = std::vector<std::string>;

// The records one statement builds, before the console's line control.
Records records_of(std::string_view line_template, const std::vector<int32_t>& items) {
  Preparation p = prepare_template(line_template);
  EXPECT_EQ(p.fault, TemplateFault::none) << "at " << p.position;
  Records records;
  EXPECT_TRUE(carry_out(p.prepared, items, [&](std::string_view r) { records.emplace_back(r); }));
  return records;
}

constexpr const char* kRule = "(/,'.   ---------------------------------',/)";
constexpr const char* kHeader = "(/,'.    1  2  3      4  5  6      7  8  9 ',/)";
constexpr const char* kRow = "(I2,' ',3I3,'  . ',3I3,'  . ',3I3,/)";
constexpr const char* kIteration =
    "(' iteration:',I2,' on a trouve ',I2,'  carres, ',I2,' lignes et ',I2,' colonnes')";
constexpr const char* kTitle = "(/,' Vous avez entre le tableau suivant:',/)";

TEST(Format, PreparedSteps) {
  struct Case {
    const char* line_template;
    const char* steps;
  };
  const Case cases[] = {
      {kRow, "[I2][lit ' '][I3 x3][lit '  . '][I3 x3][lit '  . '][I3 x3][/][end]"},
      {"(/)", "[/][end]"},
      {"(i3)", "[I3][end]"},
      {"  (I2,)", "[I2][end]"},
      {"(0I3,0/)", "[I3][/][end]"},
      // Blanks and tabs are skipped outside literals, between digits too, so
      // without a comma "I2 3I3" is a width of 23 and then I3.
      {"( 1 0 I 1\t0 , 2 / )", "[I10 x10][/ x2][end]"},
      {"(I2 3I3)", "[I23][I3][end]"},
      {"(' a''b \"c\"',\"d\"\"e 'f'\")",
       "[lit ' a'b \"c\"'][lit 'd\"e 'f'']"
       "[end]"},
      {"('')", "[lit ''][end]"},
      {"(32767I32767)", "[I32767 x32767][end]"},
      // Whatever follows the closing parenthesis is never read.
      {"(I2)'open literal((", "[I2][end]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line_template);
    Preparation p = prepare_template(std::string_view(c.line_template));
    EXPECT_EQ(p.fault, TemplateFault::none);
    EXPECT_EQ(describe(p.prepared), c.steps);
  }
}

TEST(Format, RecordsOfTheProgramsTemplates) {
  struct Case {
    const char* line_template;
    std::vector<int32_t> items;
    Records records;
  };
  const std::string rule = ".   " + std::string(33, '-');
  const std::vector<Case> cases = {
      {kRule, {}, {"", rule, ""}},
      {kHeader, {}, {"", ".    1  2  3      4  5  6      7  8  9 ", ""}},
      {kRow, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {" 1   0  0  0  .   0  0  0  .   0  0  0", ""}},
      {kRow, {3, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {" 3   1  2  3  .   4  5  6  .   7  8  9", ""}},
      // Values that fill their width touch the field before them.
      {kRow,
       {9, 123, -45, 1000, -100, 0, 9, 10, 99, -9},
       {" 9 123-45***  . ***  0  9  .  10 99 -9", ""}},
      {kIteration,
       {1, 5, 3, 2},
       {" iteration: 1 on a trouve  5  carres,  3 lignes et  2 colonnes"}},
      {kIteration,
       {10, 0, 81, 12},
       {" iteration:10 on a trouve  0  carres, 81 lignes et 12 colonnes"}},
      {kTitle, {}, {"", " Vous avez entre le tableau suivant:", ""}},
      {"(/)", {}, {"", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line_template);
    EXPECT_EQ(records_of(c.line_template, c.items), c.records);
  }
  EXPECT_EQ(rule.size(), 37U);
  EXPECT_EQ(records_of(kRow, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0})[0].size(), 38U);
  EXPECT_EQ(records_of(kIteration, {1, 5, 3, 2})[0].size(), 62U);
}

TEST(Format, Walk) {
  struct Case {
    const char* name;
    const char* line_template;
    std::vector<int32_t> items;
    Records records;
  };
  const std::vector<Case> cases = {
      {"doubled apostrophe, quotation mark kept", "(' it''s \"q\"')", {}, {" it's \"q\""}},
      {"quotation-mark literal", "(\" say \"\"hi\"\" 'x'\")", {}, {" say \"hi\" 'x'"}},
      {"a lone apostrophe", "('''')", {}, {"'"}},
      {"text after the closing parenthesis", "(' a')(' b')\"", {}, {" a"}},
      {"items run out inside a repeat count", "(3I3,' x')", {1, 2}, {"  1  2"}},
      {"literal after a field's last use", "(2I3,' x',I2)", {1, 2}, {"  1  2 x"}},
      {"no items: stop at the first field", "(' a',I3,' b')", {}, {" a"}},
      {"break count ends the record n times", "(' a',3/' b')", {}, {" a", "", "", " b"}},
      {"break count of zero", "(0/)", {}, {"", ""}},
      {"blanks between digits", "(1 0I 1 0)", {-7, 8}, {"        -7         8"}},
      {"lowercase i", "(i3,I3)", {42, -1}, {" 42 -1"}},
      {"break between fields of one count", "(2I2/)", {1, 2}, {" 1 2", ""}},
      {"no fields, no items", "()", {}, {""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(records_of(c.line_template, c.items), c.records);
  }
}

TEST(Format, IntegerEditing) {
  struct Case {
    int32_t value;
    int32_t width;
    const char* field;
  };
  const Case cases[] = {
      {999, 3, "999"},
      {-99, 3, "-99"},
      {1000, 3, "***"},
      {-100, 3, "***"},
      {0, 3, "  0"},
      {7, 3, "  7"},
      {0, 2, " 0"},
      {10, 2, "10"},
      {-1, 2, "-1"},
      {100, 2, "**"},
      {-10, 2, "**"},
      {5, 1, "5"},
      {-5, 1, "*"},
      {INT32_MAX, 10, "2147483647"},
      {INT32_MIN, 11, "-2147483648"},
      {INT32_MIN, 12, " -2147483648"},
      {INT32_MIN, 10, "**********"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.value << " in I" << c.width);
    std::string field = "|";
    edit_integer(c.value, c.width, field);
    EXPECT_EQ(field, std::string("|") + c.field);
  }
}

TEST(Format, TemplateTextEndsAtNulOrClosingParenthesis) {
  // Back to back in one buffer: only the first template is read.
  static const char kTwo[] = "(' a',I2)(' b',I2)";
  FakeRun r(kRedirected);
  r.run([] {
    write_formatted(kTwo, {7});
    write_formatted(kTwo + 9, {8});
  });
  EXPECT_TRUE(same_bytes("a 7\r\nb 8\r\n", r.out()));

  // Without a length, a NUL ends the text: a template cut by it is refused.
  static const char kCut[] = "(' a'\0)";
  EXPECT_EQ(prepare_template(kCut).fault, TemplateFault::no_close);
  static const char kCutLiteral[] = "(' a\0')";
  EXPECT_EQ(prepare_template(kCutLiteral).fault, TemplateFault::open_literal);
  // With a length, a NUL is an ordinary character of a literal.
  EXPECT_EQ(records_of(std::string_view(kCutLiteral, sizeof kCutLiteral - 1), {}),
            Records{std::string(" a\0", 3)});
}

TEST(Format, RefusedTemplatesEndTheRunWithOneReport) {
  struct Case {
    std::string line_template;
    std::vector<int32_t> items;
    const char* number;
  };
  const std::vector<Case> cases = {
      {"", {}, "6600"},
      {"I3)", {1}, "6600"},
      {"x(I3)", {1}, "6600"},
      {"(", {}, "6601"},
      {"(I3", {1}, "6601"},
      {"(I3, ", {1}, "6601"},
      {"(' abc)", {}, "6602"},
      {"(\" abc')", {}, "6602"},
      {"(A3)", {}, "6603"},
      {"(3X,I2)", {1}, "6603"},
      {"(F5.2)", {}, "6603"},
      {"(I3.2)", {1}, "6603"},
      {"((I3))", {1}, "6603"},
      {"(2(I3))", {1}, "6603"},
      {"(3' a')", {}, "6603"},
      {"(5)", {}, "6603"},
      {"(I2,,I3)", {1, 2}, "6603"},
      {"(,I2)", {1}, "6603"},
      {"(I2:)", {1}, "6603"},
      {"(I)", {1}, "6604"},
      {"(I,I2)", {1}, "6604"},
      {"(I0)", {1}, "6604"},
      {"(32768I2)", {1}, "6605"},
      {"(I32768)", {1}, "6605"},
      {"(99999999999999999999I2)", {1}, "6605"},
      {"(I3)", {1, 2}, "6606"},
      {"(' a')", {1}, "6606"},
      {"(/)", {0}, "6606"},
      {"(2I3,/,I3)", {1, 2, 3, 4}, "6606"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line_template);
    FakeRun r(kRedirected);
    r.run([&] {
      write_free_form("before");
      write_formatted(c.line_template, c.items);
      write_free_form("after");
    });
    EXPECT_EQ(r.status, 1);
    std::string_view message = error_message(std::atoi(c.number));
    EXPECT_FALSE(message.empty());
    EXPECT_TRUE(same_bytes(testing::report(c.number, "WRITE", message), r.err()));
    // Nothing of the refused statement is written; the run's final line end is.
    EXPECT_TRUE(same_bytes("before\r\n", r.out()));
  }
}

}  // namespace
}  // namespace console
