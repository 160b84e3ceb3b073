#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "console/fake_platform.h"
#include "dialogue/dialogue.h"

namespace {

using console::FakePlatform;

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++n;
  }
  return n;
}

struct Entry {
  FakePlatform platform;
  Grid saisie{};
  Saisies v;
  int32_t status = -1;

  // Runs entree over `lines` typed to a redirected console.
  void run(std::vector<std::string> lines) {
    platform.reads.assign(lines.begin(), lines.end());
    status = console::run_fake(platform, [this] { entree(saisie, v); });
  }
};

TEST(Entree, StoresTriplesAndEchoesTheGridOnce) {
  Entry e;
  e.run({"2\n", "3 1 5\n", "9,9,9\n", "0\n"});
  EXPECT_EQ(e.status, 0);
  Grid expected{};
  expected(3, 1) = 5;
  expected(9, 9) = 9;
  EXPECT_EQ(e.saisie, expected);
  EXPECT_EQ(count(e.platform.out, "donnez i,j et la valeur"), 2);
  EXPECT_EQ(count(e.platform.out, "Vous avez entre le tableau suivant:"), 2);
  EXPECT_EQ(count(e.platform.out, "entrez 0 si c'est bon"), 1);
}

TEST(Entree, CountOfZeroOrLessAsksForNoCell) {
  for (const char* answer : {"0\n", "-5\n", ",\n", "/\n"}) {
    SCOPED_TRACE(answer);
    Entry e;
    e.run({answer, "0\n"});
    EXPECT_EQ(e.status, 0);
    EXPECT_EQ(count(e.platform.out, "donnez"), 0);
    EXPECT_EQ(e.v.ncases, answer[0] == '-' ? -5 : 0);
  }
}

TEST(Entree, AnswerOneStartsOverKeepingTheGrid) {
  Entry e;
  e.run({"1\n", "1 1 4\n", "1\n", "1\n", "1 1 6\n", "2\n"});
  EXPECT_EQ(e.status, 0);
  EXPECT_EQ(e.saisie(1, 1), 6);
  EXPECT_EQ(count(e.platform.out, "combien de cases"), 2);
  EXPECT_EQ(e.v.corriger, 2);
}

// i is the entry loop's counter: a null i takes the counter's value, which
// is one more than the i last read.
TEST(Entree, NullCoordinatesTakeTheCounterAndTheLastJ) {
  Entry e;
  e.run({"3\n", ",4 6\n", ",,7\n", "6,,8\n", "0\n"});
  EXPECT_EQ(e.status, 0);
  Grid expected{};
  expected(1, 4) = 6;  // i = 1 (counter), j = 4
  expected(2, 4) = 7;  // i = 2 (counter), j = 4 kept
  expected(6, 4) = 8;  // i = 6 typed, j = 4 kept
  EXPECT_EQ(e.saisie, expected);
  EXPECT_EQ(e.v.i, 7);
  EXPECT_EQ(e.v.j, 4);
}

TEST(Entree, JIsCarriedIntoTheNextEntryDialogue) {
  Entry e;
  e.run({"1\n", "1 3 9\n", "0\n"});
  e.platform.out.clear();
  e.run({"1\n", "2,,8\n", "0\n"});
  EXPECT_EQ(e.saisie(2, 3), 8);
}

// A triple naming a cell outside the grid reads its value, stores it nowhere
// and goes on like any other entry. Unguarded, (0, 2) would land in the
// visible cell (9, 1), where only a comparison of the grid can see it.
TEST(Entree, CellsOutsideTheGridAreNeverWritten) {
  const int32_t outside[][2] = {{0, 1},         {1, 0},         {10, 5},        {5, 10},
                                {-1, 3},        {3, -1},        {INT32_MAX, 1}, {1, INT32_MAX},
                                {INT32_MIN, 9}, {9, INT32_MIN}, {0, 0},         {0, 2}};
  for (const auto& [i, j] : outside) {
    SCOPED_TRACE(std::to_string(i) + "," + std::to_string(j));
    Entry e;
    e.run({"2\n", std::to_string(i) + " " + std::to_string(j) + " 7\n", "2 2 3\n", "0\n"});
    EXPECT_EQ(e.status, 0);
    Grid expected{};
    expected(2, 2) = 3;
    EXPECT_EQ(e.saisie, expected);
    EXPECT_EQ(count(e.platform.out, "donnez"), 2);
  }
}

TEST(Entree, CounterWrapsAfterTheLargestI) {
  Entry e;
  e.run({"1\n", "2147483647 1 5\n", "0\n"});
  EXPECT_EQ(e.status, 0);
  EXPECT_EQ(e.v.i, INT32_MIN);
  EXPECT_EQ(e.saisie, Grid{});
}

TEST(Entree, EndOfInputInsideATripleStopsTheRun) {
  Entry e;
  e.run({"1\n", "3 1\n"});
  EXPECT_EQ(e.status, 1);
  EXPECT_NE(e.platform.err.find("F6501"), std::string::npos);
  EXPECT_EQ(e.saisie, Grid{});
}

}  // namespace
