// tableau: the whole bytes of a printed grid on a redirected console.
#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <string>

#include "console/fake_platform.h"
#include "dialogue/dialogue.h"

namespace {

// Screen lines joined as the console writes them: each line is followed by
// CR LF (the last one by the stop's).
std::string screen(std::initializer_list<std::string> lines) {
  std::string bytes;
  for (const std::string& line : lines) {
    bytes += line + "\r\n";
  }
  return bytes;
}

std::string print(const Grid& grille) {
  console::FakePlatform platform;
  int32_t status = console::run_fake(platform, [&] { tableau(grille); });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(platform.err, "");
  return platform.out;
}

// Records lose their first character: the header's and the rule's dots, the
// blank in front of a one-digit line number. The first record of the run, the
// header's empty one, writes nothing; every later record starts with CR LF.
const std::string kHeader = "    1  2  3      4  5  6      7  8  9 ";
const std::string kRule = "   ---------------------------------";

TEST(Tableau, AllZeroGrid) {
  EXPECT_EQ(print(Grid{}), screen({"",
                                   kHeader,
                                   "",
                                   "1   0  0  0  .   0  0  0  .   0  0  0",
                                   "",
                                   "2   0  0  0  .   0  0  0  .   0  0  0",
                                   "",
                                   "3   0  0  0  .   0  0  0  .   0  0  0",
                                   "",
                                   "",
                                   kRule,
                                   "",
                                   "4   0  0  0  .   0  0  0  .   0  0  0",
                                   "",
                                   "5   0  0  0  .   0  0  0  .   0  0  0",
                                   "",
                                   "6   0  0  0  .   0  0  0  .   0  0  0",
                                   "",
                                   "",
                                   kRule,
                                   "",
                                   "7   0  0  0  .   0  0  0  .   0  0  0",
                                   "",
                                   "8   0  0  0  .   0  0  0  .   0  0  0",
                                   "",
                                   "9   0  0  0  .   0  0  0  .   0  0  0",
                                   ""}));
}

TEST(Tableau, ValuesOutOfRangeAndAtTheEdgesOfTheirFields) {
  Grid g{};
  // Line 2 reads across i = 1..9; line 5 and line 9 likewise.
  const int32_t line2[] = {123, -45, 1000, -100, 0, 9, 10, 99, -9};
  const int32_t line5[] = {999, -99, INT32_MIN, INT32_MAX, 1, 2, 3, 4, 5};
  const int32_t line9[] = {-1, 0, 0, 0, 0, 0, 0, 0, 5000};
  for (int32_t i = 1; i <= 9; ++i) {
    g(i, 2) = line2[i - 1];
    g(i, 5) = line5[i - 1];
    g(i, 9) = line9[i - 1];
  }
  EXPECT_EQ(print(g), screen({"",
                              kHeader,
                              "",
                              "1   0  0  0  .   0  0  0  .   0  0  0",
                              "",
                              "2 123-45***  . ***  0  9  .  10 99 -9",
                              "",
                              "3   0  0  0  .   0  0  0  .   0  0  0",
                              "",
                              "",
                              kRule,
                              "",
                              "4   0  0  0  .   0  0  0  .   0  0  0",
                              "",
                              "5 999-99***  . ***  1  2  .   3  4  5",
                              "",
                              "6   0  0  0  .   0  0  0  .   0  0  0",
                              "",
                              "",
                              kRule,
                              "",
                              "7   0  0  0  .   0  0  0  .   0  0  0",
                              "",
                              "8   0  0  0  .   0  0  0  .   0  0  0",
                              "",
                              "9  -1  0  0  .   0  0  0  .   0  0***",
                              ""}));
}

}  // namespace
