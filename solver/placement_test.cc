#include <gtest/gtest.h>

#include <array>

#include "solver/solver.h"

namespace {

// The verdict of each test on its own, each starting from libre = 1.
std::array<int32_t, 3> verdicts(const Grid& g, int32_t i, int32_t j, int32_t d) {
  std::array<int32_t, 3> v{1, 1, 1};
  carre(i, j, g, d, v[0]);
  vertical(i, j, g, d, v[1]);
  horizontal(i, j, g, d, v[2]);
  return v;
}

TEST(Origine, MapsEachCoordinateToItsBoxStart) {
  const std::array<int32_t, 10> expected{0, 1, 1, 1, 4, 4, 4, 7, 7, 7};
  for (int32_t c = 1; c <= 9; ++c) {
    EXPECT_EQ(origine(c), expected[c]) << "c = " << c;
  }
}

TEST(Placement, EachTestSeesOnlyItsUnit) {
  struct Case {
    int line;
    int32_t x, y, value;              // the one non-empty cell
    int32_t i, j, d;                  // the cell and digit asked about
    std::array<int32_t, 3> expected;  // carre, vertical, horizontal
  };
  const Case cases[] = {
      {__LINE__, 5, 5, 3, 5, 5, 3, {1, 0, 0}},  // the tested cell itself: not seen by carre
      {__LINE__, 4, 4, 3, 5, 5, 3, {0, 1, 1}},  // same box only
      {__LINE__, 5, 1, 3, 5, 5, 3, {1, 0, 1}},  // same column only
      {__LINE__, 9, 5, 3, 5, 5, 3, {1, 1, 0}},  // same line only
      {__LINE__, 4, 4, 4, 5, 5, 3, {1, 1, 1}},  // another digit
      {__LINE__, 4, 7, 3, 5, 9, 3, {0, 1, 1}},  // box of (5, 9) is 4..6 by 7..9
      {__LINE__, 6, 9, 3, 5, 9, 3, {0, 1, 0}},
      {__LINE__, 6, 6, 3, 5, 9, 3, {1, 1, 1}},  // just above that box
      {__LINE__, 3, 8, 3, 5, 9, 3, {1, 1, 1}},  // just left of it
      {__LINE__, 1, 1, 9, 3, 3, 9, {0, 1, 1}},  // corner boxes
      {__LINE__, 9, 9, 1, 7, 7, 1, {0, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Grid g;
    g(c.x, c.y) = c.value;
    EXPECT_EQ(verdicts(g, c.i, c.j, c.d), c.expected);
  }
}

TEST(Placement, ValuesOutsideDigitsNeverRuleOut) {
  for (const int32_t fill : {0, 10, -3, 2147483647}) {
    Grid g;
    g.cells.fill(fill);
    for (int32_t i = 1; i <= 9; ++i) {
      for (int32_t j = 1; j <= 9; ++j) {
        for (int32_t d = 1; d <= 9; ++d) {
          ASSERT_EQ(verdicts(g, i, j, d), (std::array<int32_t, 3>{1, 1, 1}))
              << "fill " << fill << " cell " << i << "," << j << " digit " << d;
        }
      }
    }
  }
}

TEST(Placement, OnlyClearsAndLeavesArgumentsAlone) {
  Grid g;  // d = 7 is nowhere, so no test clears
  int32_t i = 2;
  int32_t j = 8;
  int32_t d = 7;
  int32_t libre = 0;
  carre(i, j, g, d, libre);
  vertical(i, j, g, d, libre);
  horizontal(i, j, g, d, libre);
  EXPECT_EQ(libre, 0);
  EXPECT_EQ(i, 2);
  EXPECT_EQ(j, 8);
  EXPECT_EQ(d, 7);

  g(2, 8) = 7;  // a cleared flag stays cleared across later tests
  libre = 1;
  vertical(i, j, g, d, libre);
  carre(i, j, g, d, libre);
  EXPECT_EQ(libre, 0);
}

}  // namespace
