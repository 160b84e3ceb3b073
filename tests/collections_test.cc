// The puzzle collections through the real program in one scripted session:
// the first puzzle is typed whole, and each later one after menu answer 2 as
// the cells that differ from the grid before it (the rest is kept). Every
// outcome the program prints is compared with the solver library's own
// answer for the same grid: the grid echoed after entry, the verdict and its
// reason, the solved grid, and every line of the iteration report. A grid
// reported as found must also be a valid solution that keeps the givens, and
// the published solution where the collection has one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "solver/solver.h"
#include "tests/support/child.h"

namespace {

namespace fs = std::filesystem;

struct Puzzle {
  std::string where;  // file:line
  Grid grid;
  std::optional<Grid> solution;
};

// 81 characters, line by line, '.' or '0' for an empty cell.
std::optional<Grid> parse_line(const std::string& line) {
  if (line.size() < 81) {
    return std::nullopt;
  }
  Grid g;
  for (int k = 0; k < 81; ++k) {
    char c = line[k];
    if (c == '.' || c == '0') {
      g.cells[k] = 0;
    } else if (c >= '1' && c <= '9') {
      g.cells[k] = c - '0';
    } else {
      return std::nullopt;
    }
  }
  return g;
}

std::vector<std::string> lines_of(const fs::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    lines.push_back(line);
  }
  return lines;
}

// Adds the puzzles of `file`; with `stride` > 1 only lines 1, 1 + stride, ...
void add_collection(const fs::path& file, std::size_t stride, std::vector<Puzzle>& puzzles) {
  std::vector<std::string> lines = lines_of(file);
  ASSERT_FALSE(lines.empty()) << "missing or empty: " << file;
  fs::path solutions_file = file;
  solutions_file.replace_extension(".solutions");
  std::vector<std::string> solutions = lines_of(solutions_file);
  for (std::size_t n = 0; n < lines.size(); n += stride) {
    std::optional<Grid> g = parse_line(lines[n]);
    ASSERT_TRUE(g.has_value()) << file.filename().string() << ":" << n + 1;
    Puzzle p{file.filename().string() + ":" + std::to_string(n + 1), *g, std::nullopt};
    if (n < solutions.size()) {
      p.solution = parse_line(solutions[n]);
    }
    puzzles.push_back(p);
  }
}

// The grids of long_solves.csv: 81 comma-separated integers a line.
void add_csv(const fs::path& file, std::vector<Puzzle>& puzzles) {
  std::vector<std::string> lines = lines_of(file);
  ASSERT_FALSE(lines.empty()) << "missing or empty: " << file;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    Grid g;
    std::istringstream values(lines[n]);
    std::string value;
    int k = 0;
    while (std::getline(values, value, ',') && k < 81) {
      g.cells[k++] = std::stoi(value);
    }
    ASSERT_EQ(k, 81) << file.filename().string() << ":" << n + 1;
    puzzles.push_back({file.filename().string() + ":" + std::to_string(n + 1), g, std::nullopt});
  }
}

// The typed answers: the first grid whole, then for each later grid menu 2
// and the cells that changed (emptied cells are typed with the value 0); each
// entry confirmed with 0; menu 1 at the end.
std::string script(const std::vector<Puzzle>& puzzles) {
  std::string text;
  Grid typed;  // the program's entry grid so far
  for (std::size_t p = 0; p < puzzles.size(); ++p) {
    if (p > 0) {
      text += "2\n";
    }
    std::string cells;
    int count = 0;
    for (int j = 1; j <= 9; ++j) {
      for (int i = 1; i <= 9; ++i) {
        if (puzzles[p].grid(i, j) != typed(i, j)) {
          cells += std::to_string(i) + " " + std::to_string(j) + " " +
                   std::to_string(puzzles[p].grid(i, j)) + "\n";
          ++count;
        }
      }
    }
    text += std::to_string(count) + "\n" + cells + "0\n";
    typed = puzzles[p].grid;
  }
  return text + "1\n";
}

// What the program printed for one solve.
struct Outcome {
  Grid echoed;  // the entry grid shown before the confirmation question
  bool found = false;
  std::string reason;  // the line after "pas de solution"
  Grid solved;
  std::vector<std::string> report;
};

// A table row on the screen: the line number, then nine values with dots
// between the groups.
bool parse_row(const std::string& line, int& j, std::array<int32_t, 9>& values) {
  if (line.size() < 2 || line[0] < '1' || line[0] > '9' || line[1] != ' ') {
    return false;
  }
  std::istringstream words(line);
  std::string word;
  words >> j;
  int n = 0;
  while (words >> word) {
    if (word == ".") {
      continue;
    }
    if (n == 9) {
      return false;
    }
    values[n++] = std::stoi(word);
  }
  return n == 9;
}

// Splits standard output (records separated by CR LF) into one outcome per
// solve. Returns a message on a layout it does not recognise.
std::string parse_outcomes(const std::string& out, std::vector<Outcome>& outcomes) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at <= out.size();) {
    std::size_t end = out.find("\r\n", at);
    if (end == std::string::npos) {
      if (at < out.size()) {
        lines.push_back(out.substr(at));
      }
      break;
    }
    lines.push_back(out.substr(at, end - at));
    at = end + 2;
  }

  Grid table;  // the rows of the last table printed
  Outcome current;
  enum { entry, verdict, after_verdict } where = entry;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const std::string& line = lines[n];
    int j = 0;
    std::array<int32_t, 9> values{};
    if (parse_row(line, j, values)) {
      for (int i = 1; i <= 9; ++i) {
        table(i, j) = values[i - 1];
      }
    } else if (line.starts_with("entrez 0 si c'est bon")) {
      current = Outcome{};
      current.echoed = table;
      where = verdict;
    } else if (line == "le sudoku est trouve" && where == verdict) {
      current.found = true;
      where = after_verdict;
    } else if (line == "pas de solution" && where == verdict && n + 1 < lines.size()) {
      current.reason = lines[++n];
      where = after_verdict;
    } else if (line.starts_with("iteration:") && where == after_verdict) {
      current.report.push_back(line);
    } else if (line.starts_with("tapez 1 pour finir") && where == after_verdict) {
      current.solved = table;
      outcomes.push_back(current);
      where = entry;
    } else if (where == verdict && !line.empty()) {
      return "unexpected line " + std::to_string(n + 1) + " after the confirmation: " + line;
    }
  }
  return {};
}

bool valid_solution(const Grid& g) {
  for (int k = 0; k < 9; ++k) {
    unsigned line = 0;
    unsigned column = 0;
    unsigned box = 0;
    for (int m = 0; m < 9; ++m) {
      auto bit = [](int32_t v) { return v >= 1 && v <= 9 ? 1U << v : 1U; };
      line |= bit(g(m + 1, k + 1));
      column |= bit(g(k + 1, m + 1));
      box |= bit(g(k % 3 * 3 + m % 3 + 1, k / 3 * 3 + m / 3 + 1));
    }
    if (line != 0x3FEU || column != 0x3FEU || box != 0x3FEU) {
      return false;
    }
  }
  return true;
}

bool keeps_givens(const Grid& puzzle, const Grid& g) {
  for (int k = 0; k < 81; ++k) {
    if (puzzle.cells[k] != 0 && puzzle.cells[k] != g.cells[k]) {
      return false;
    }
  }
  return true;
}

std::string report_line(int32_t e, const Resolution& r) {
  char line[80];
  std::snprintf(line, sizeof line,
                "iteration:%2d on a trouve %2d  carres, %2d lignes et %2d colonnes",
                static_cast<int>(e), static_cast<int>(r.ncarres[e]), static_cast<int>(r.nlignes[e]),
                static_cast<int>(r.ncolonnes[e]));
  return line;
}

std::string show(const Grid& g) {
  std::string text;
  for (int j = 1; j <= 9; ++j) {
    for (int i = 1; i <= 9; ++i) {
      text += std::to_string(g(i, j)) + (i < 9 ? " " : "\n");
    }
  }
  return text;
}

// Every 160th puzzle of the 17-clue collection: about three hundred.
constexpr std::size_t kSeventeenStride = 160;

TEST(Collections, OneSessionAgreesWithTheSolver) {
  fs::path data = SUDOKU_DATA_DIR;
  ASSERT_TRUE(fs::is_directory(data)) << "no puzzle collections at " << data;
  std::vector<fs::path> files;
  for (const fs::directory_entry& e : fs::directory_iterator(data)) {
    if (e.path().extension() == ".txt" && e.path().filename() != "sudoku17.txt") {
      files.push_back(e.path());
    }
  }
  std::sort(files.begin(), files.end());
  std::vector<Puzzle> puzzles;
  for (const fs::path& f : files) {
    add_collection(f, 1, puzzles);
  }
  add_csv(data / "long_solves.csv", puzzles);
  add_collection(data / "sudoku17.txt", kSeventeenStride, puzzles);
  if (HasFatalFailure()) {
    return;
  }

  testing_support::Child child;
  child.argv = {SUDOKU_BINARY};
  child.in = testing_support::Input::file;
  child.out = testing_support::Output::file;
  child.input = script(puzzles);
  child.timeout_seconds = 300;
  testing_support::Result r = testing_support::run_child(child);
  ASSERT_FALSE(r.timed_out);
  ASSERT_EQ(r.status, 0) << testing_support::visible(r.err);
  ASSERT_EQ(r.err, "");

  std::vector<Outcome> outcomes;
  std::string problem = parse_outcomes(r.out, outcomes);
  ASSERT_EQ(problem, "");
  ASSERT_EQ(outcomes.size(), puzzles.size());

  int found = 0;
  for (std::size_t p = 0; p < puzzles.size(); ++p) {
    const Puzzle& puzzle = puzzles[p];
    const Outcome& o = outcomes[p];
    SCOPED_TRACE(puzzle.where);
    Grid expected = puzzle.grid;
    Resolution res;
    resoudre(expected, res);
    bool complete = 81 - res.nremplies == 0;

    EXPECT_EQ(o.echoed, puzzle.grid) << "entry grid shown:\n" << show(o.echoed);
    EXPECT_EQ(o.found, complete);
    if (complete) {
      ++found;
      EXPECT_EQ(o.solved, expected) << "solved grid shown:\n" << show(o.solved);
      EXPECT_TRUE(valid_solution(o.solved)) << show(o.solved);
      EXPECT_TRUE(keeps_givens(puzzle.grid, o.solved)) << show(o.solved);
      if (puzzle.solution) {
        EXPECT_EQ(o.solved, *puzzle.solution) << show(o.solved);
      }
    } else {
      bool candidates = res.posscarre == 1 || res.posscol == 1 || res.posslign == 1;
      EXPECT_EQ(o.reason, candidates ? "trop de possibilite" : "pas de possibilites");
    }
    std::vector<std::string> report;
    for (int32_t e = 1; e <= res.niter; ++e) {
      report.push_back(report_line(e, res));
    }
    EXPECT_EQ(o.report, report);
  }
  // The sample must exercise both verdicts.
  EXPECT_GT(found, 0);
  EXPECT_LT(found, static_cast<int>(puzzles.size()));
}

}  // namespace
