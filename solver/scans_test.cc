#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "solver/solver.h"
#include "solver/solver_testing.h"

namespace {

using solver_testing::grid_from_text;

const char kSolution[] =
    "483921657967345821251876493548132976729564138136798245372689514814253769695417382";

enum class Kind { box, column, line };

struct Scan {
  DigitTable chiffre;
  DigitTable xpos;
  DigitTable ypos;
  int32_t possible;
};

// Scans unit n (1..9) of a kind; boxes are numbered in the solve's order
// (1,1), (1,4), (1,7), (4,1), ... Outputs start out as garbage so that a scan
// that fails to clear them shows.
Scan scan(const Grid& g, Kind kind, int32_t n) {
  Scan s;
  s.chiffre.fill(-5);
  s.xpos.fill(-5);
  s.ypos.fill(-5);
  s.chiffre[0] = s.xpos[0] = s.ypos[0] = 0;  // unused entry
  s.possible = -5;
  int32_t a = 0;
  int32_t b = 0;
  switch (kind) {
    case Kind::box:
      a = 1 + 3 * ((n - 1) / 3);
      b = 1 + 3 * ((n - 1) % 3);
      recherche(g, a, b, s.chiffre, s.xpos, s.ypos, s.possible);
      break;
    case Kind::column:
      a = n;
      rechercol(g, a, b, s.chiffre, s.xpos, s.ypos, s.possible);
      break;
    case Kind::line:
      b = n;
      recherlign(g, a, b, s.chiffre, s.xpos, s.ypos, s.possible);
      break;
  }
  return s;
}

struct Single {
  int32_t d, x, y;
};

// The scan result that reports exactly `singles`.
Scan expected(std::initializer_list<Single> singles, int32_t possible) {
  Scan s{{}, {}, {}, possible};
  for (const Single& one : singles) {
    s.chiffre[one.d] = one.d;
    s.xpos[one.d] = one.x;
    s.ypos[one.d] = one.y;
  }
  return s;
}

void expect_scan(const Scan& actual, const Scan& want) {
  EXPECT_EQ(actual.chiffre, want.chiffre);
  EXPECT_EQ(actual.xpos, want.xpos);
  EXPECT_EQ(actual.ypos, want.ypos);
  EXPECT_EQ(actual.possible, want.possible);
}

TEST(Scans, FullAndEmptyUnits) {
  const Grid full = grid_from_text(kSolution);
  const Grid empty;
  for (const Kind kind : {Kind::box, Kind::column, Kind::line}) {
    for (int32_t n = 1; n <= 9; ++n) {
      SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(kind) << " unit " << n);
      expect_scan(scan(full, kind, n), expected({}, 0));
      expect_scan(scan(empty, kind, n), expected({}, 1));
    }
  }
}

TEST(Scans, OneEmptyCellReportsTheMissingDigit) {
  Grid g = grid_from_text(kSolution);
  g(5, 5) = 0;  // held 6
  expect_scan(scan(g, Kind::box, 5), expected({{6, 5, 5}}, 1));
  expect_scan(scan(g, Kind::column, 5), expected({{6, 5, 5}}, 1));
  expect_scan(scan(g, Kind::line, 5), expected({{6, 5, 5}}, 1));
  expect_scan(scan(g, Kind::line, 4), expected({}, 0));
}

TEST(Scans, MissingDigitRuledOutByAnotherUnit) {
  Grid g = grid_from_text(std::string(kSolution, 9));  // line 1 only
  g(1, 1) = 0;                                         // held 4
  g(1, 5) = 4;
  expect_scan(scan(g, Kind::line, 1), expected({}, 0));
  expect_scan(scan(g, Kind::box, 1), expected({}, 1));  // 4 can still go in lines 2 and 3
}

TEST(Scans, TwoDigitsMayNameTheSameCell) {
  // Line 1 lacks 1 and 2; column 2 holds both, so each can only go in (1, 1).
  Grid g = grid_from_text("..3456789");
  g(2, 5) = 1;
  g(2, 8) = 2;
  expect_scan(scan(g, Kind::line, 1), expected({{1, 1, 1}, {2, 1, 1}}, 1));
}

TEST(Scans, OccupiedCellsHoldingNoDigitAreNeverCandidates) {
  Grid g;
  g.cells.fill(10);
  g(4, 6) = 0;  // the only empty cell: every digit has it as its single cell
  g(9, 9) = -1;
  Scan all = expected({}, 1);
  for (int32_t d = 1; d <= 9; ++d) {
    all.chiffre[d] = d;
    all.xpos[d] = 4;
    all.ypos[d] = 6;
  }
  for (int32_t n = 1; n <= 9; ++n) {
    SCOPED_TRACE(n);
    expect_scan(scan(g, Kind::box, n), n == 5 ? all : expected({}, 0));
    expect_scan(scan(g, Kind::column, n), n == 4 ? all : expected({}, 0));
    expect_scan(scan(g, Kind::line, n), n == 6 ? all : expected({}, 0));
  }
}

TEST(Scans, ColumnAndLineScansOverwriteTheirRunningCounter) {
  const Grid g;
  DigitTable c, x, y;
  int32_t p = 0;
  int32_t i = 3;
  int32_t j = -40;
  rechercol(g, i, j, c, x, y, p);
  EXPECT_EQ(i, 3);
  EXPECT_EQ(j, 10);
  i = -40;
  j = 7;
  recherlign(g, i, j, c, x, y, p);
  EXPECT_EQ(i, 10);
  EXPECT_EQ(j, 7);
  i = 4;
  j = 7;
  recherche(g, i, j, c, x, y, p);
  EXPECT_EQ(i, 4);
  EXPECT_EQ(j, 7);
}

// Every unit of the data grids against candidates recomputed directly.
TEST(Scans, AgreeWithDirectCandidateCount) {
  std::vector<Grid> grids;
  for (const char* name : {"top95.txt", "own_invalid7.txt", "tdoku_nosolution10.txt"}) {
    const auto lines = solver_testing::read_lines(solver_testing::data_dir() / name);
    ASSERT_FALSE(lines.empty()) << solver_testing::data_dir() / name;
    for (const std::string& line : lines) {
      grids.push_back(grid_from_text(line));
    }
  }
  for (const Grid& g : grids) {
    for (int kind = 0; kind < 3; ++kind) {
      const auto units = solver_testing::model_units(kind);
      for (int32_t n = 1; n <= 9; ++n) {
        Scan want = expected({}, 0);
        for (int32_t d = 1; d <= 9; ++d) {
          int count = 0;
          for (const int cell : units[n - 1]) {
            if (solver_testing::fits(g.cells, cell, d) && ++count == 1) {
              want.xpos[d] = cell % 9 + 1;
              want.ypos[d] = cell / 9 + 1;
            }
          }
          want.possible |= count > 0 ? 1 : 0;
          if (count != 1) {
            want.xpos[d] = want.ypos[d] = 0;
          }
          want.chiffre[d] = count == 1 ? d : 0;
        }
        SCOPED_TRACE(testing::Message() << "kind " << kind << " unit " << n);
        expect_scan(scan(g, static_cast<Kind>(kind), n), want);
        if (HasFailure()) {
          return;
        }
      }
    }
  }
}

}  // namespace
