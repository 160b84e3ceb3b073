// What each view of a picture holds, on the puzzle of writers_test.cc: a full
// grid less r1c1 and r9c9, which the box phase of the first iteration fills
// (1 in box 1, then 8 in box 9); and the XML escaping of any text.
#include "batch/picture.h"

#include <gtest/gtest.h>

#include <string>

#include "batch/svg_writer.h"

namespace batch {
namespace {

const std::string kSolution =
    "123456789456789123789123456234567891567891234891234567345678912678912345912345678";

Result solved(bool count) {
  Record record;
  for (int k = 0; k < 81; ++k) {
    record.cells[k] = static_cast<uint8_t>(kSolution[k] - '0');
  }
  record.cells[0] = 0;
  record.cells[80] = 0;
  Result result;
  solve(record, SolveOptions{count, true}, result);
  return result;
}

TEST(Picture, Views) {
  struct Case {
    View view;
    bool count;
    Ink corner;     // r1c1 and r9c9
    uint16_t step;  // of r9c9
    int mark;       // -1 none
    int shaded;     // cells
    const char* detail;
  };
  const Case cases[] = {
      {View::result, false, Ink::placed, 0, -1, 0, "le sudoku est trouve"},
      {View::result, true, Ink::placed, 0, -1, 0, "le sudoku est trouve \xC2\xB7 solutions: 1"},
      {View::explain, false, Ink::placed, 2, -1, 0, "le sudoku est trouve"},
      {View::givens, false, Ink::none, 0, -1, 0, ""},
      {View::hint, false, Ink::none, 0, 0, 9, "next move: r1c1, forced by box 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.view) * 2 + static_cast<int>(c.count));
    Picture p;
    make_picture(c.view, Caption{"f.txt", 7, 3, {}}, solved(c.count), p);
    EXPECT_EQ(p.cells[0].ink, c.corner);
    EXPECT_EQ(p.cells[80].ink, c.corner);
    EXPECT_EQ(p.cells[80].digit, c.corner == Ink::none ? 0 : 8);
    EXPECT_EQ(p.cells[80].step, c.step);
    EXPECT_EQ(p.cells[1].ink, Ink::given);
    EXPECT_EQ(p.cells[1].digit, 2);
    EXPECT_EQ(p.mark, c.mark);
    int shaded = 0;
    for (const PictureCell& cell : p.cells) {
      shaded += cell.shaded ? 1 : 0;
    }
    EXPECT_EQ(shaded, c.shaded);
    EXPECT_EQ(caption_detail(p), c.detail);
  }
}

// No next move: the caption tells a complete grid from one where nothing
// is forced, as the text formats do.
TEST(Picture, HintWithoutAMove) {
  Picture p;
  p.view = View::hint;
  for (PictureCell& cell : p.cells) {
    cell.digit = 5;
  }
  EXPECT_EQ(caption_detail(p), "next move: none, the grid is complete");
  p.cells[40].digit = 0;
  EXPECT_EQ(caption_detail(p), "next move: none, no digit is forced");
}

// The only solution's digits fill what forced placements leave (here the
// solve is made to have placed nothing), with no step.
TEST(Picture, SearchedDigitsWhereForcedPlacementsStop) {
  Result result = solved(true);
  result.grille = result.givens;
  result.journal.n = 0;
  Picture p;
  make_picture(View::explain, Caption{}, result, p);
  EXPECT_EQ(p.cells[0].ink, Ink::searched);
  EXPECT_EQ(p.cells[0].digit, 1);
  EXPECT_EQ(p.cells[0].step, 0);
}

TEST(Picture, CaptionTitle) {
  Picture p;
  make_picture(View::givens, Caption{"a\tb\xFF.txt", 44, 12, "depth 3"}, solved(false), p);
  EXPECT_EQ(caption_title(p, true), "12. a\\tb\xEF\xBF\xBD.txt:44 \xC2\xB7 depth 3");
  EXPECT_EQ(caption_title(p, false), "a\\tb\xEF\xBF\xBD.txt:44 \xC2\xB7 depth 3");
  EXPECT_EQ(cell_name(0), "r1c1");
  EXPECT_EQ(cell_name(72), "r9c1");
}

TEST(Svg, XmlText) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"plain", "plain"},
      {"<a & \"b\" 'c'>", "&lt;a &amp; &quot;b&quot; &apos;c&apos;&gt;"},
      {"caf\xC3\xA9", "caf\xC3\xA9"},                            // UTF-8 kept
      {"x\x01y", "x\xEF\xBF\xBDy"},                              // a control byte
      {"\xFF\xC3", "\xEF\xBF\xBD\xEF\xBF\xBD"},                  // not UTF-8
      {"\xEF\xBF\xBF", "\xEF\xBF\xBD"},                          // not an XML character
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // a surrogate
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    std::string out;
    append_xml_text(c.in, out);
    EXPECT_EQ(out, c.out);
  }
}

}  // namespace
}  // namespace batch
