// The batch companion end to end: the real sudoku-batch against the real
// dialogue and the literal solver. Its answers (--dialogue) replay every
// puzzle of the collections in one session of `sudoku`, whose verdicts,
// iteration reports and solved grids must equal what sudoku-batch wrote for
// the same puzzles; its solution counts and solutions must equal the
// collections' published facts; its explained placements must rebuild its
// grids. Then the faults: refused lines among good ones, a missing file, a
// full disk, a line of 256 MiB, the French messages, and the output order and
// memory with several workers.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "solver/rapide.h"
#include "solver/solver.h"
#include "tests/support/child.h"

namespace {

namespace fs = std::filesystem;
using testing_support::Child;
using testing_support::Input;
using testing_support::Output;
using testing_support::Result;
using testing_support::run_child;

constexpr int kTimeoutSeconds = 600;

// The programs run in English unless a test asks otherwise, whatever the
// locale of the person running the tests.
const bool kEnglish = [] {
  ::setenv("LC_ALL", "C", 1);
  ::unsetenv("LANGUAGE");
  return true;
}();

// Every 40th puzzle of the 17-clue collection: about 1,200.
constexpr std::size_t kSeventeenStride = 40;

std::vector<std::string> lines_of(const fs::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) {
    parts.push_back(part);
  }
  return parts;
}

Grid grid_of(const std::string& cells) {
  Grid g;
  for (int k = 0; k < 81 && k < static_cast<int>(cells.size()); ++k) {
    g.cells[k] = cells[k] >= '1' && cells[k] <= '9' ? cells[k] - '0' : 0;
  }
  return g;
}

std::string cells_of(const Grid& g) {
  std::string text;
  for (const int32_t v : g.cells) {
    text += v >= 1 && v <= 9 ? static_cast<char>('0' + v) : '.';
  }
  return text;
}

// One puzzle of the collections, with where it came from and its published
// solution, if any.
struct Puzzle {
  std::string where;
  std::string cells;
  std::string solution;
  std::string collection;
};

// The collections' puzzles: every line of each *.txt, every 40th of sudoku17.
std::vector<Puzzle> collections() {
  std::vector<Puzzle> puzzles;
  const fs::path data = SUDOKU_DATA_DIR;
  if (!fs::is_directory(data)) {
    return puzzles;  // the tests fail on an empty list
  }
  std::vector<fs::path> files;
  for (const fs::directory_entry& e : fs::directory_iterator(data)) {
    if (e.path().extension() == ".txt") {
      files.push_back(e.path());
    }
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    const std::vector<std::string> lines = lines_of(file);
    fs::path solutions_file = file;
    const std::vector<std::string> solutions =
        lines_of(solutions_file.replace_extension(".solutions"));
    const std::size_t stride = file.filename() == "sudoku17.txt" ? kSeventeenStride : 1;
    for (std::size_t n = 0; n < lines.size(); n += stride) {
      puzzles.push_back({file.filename().string() + ":" + std::to_string(n + 1),
                         lines[n].substr(0, 81), n < solutions.size() ? solutions[n] : "",
                         file.stem().string()});
    }
  }
  return puzzles;
}

// A file in the test's temporary folder, removed at the end.
class TempFile {
 public:
  TempFile(const std::string& name, const std::string& bytes)
      : path_(fs::temp_directory_path() /
              ("batch_e2e_" + std::to_string(::getpid()) + "_" + name)) {
    std::ofstream(path_, std::ios::binary) << bytes;
  }
  ~TempFile() { fs::remove(path_); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  std::string path() const { return path_.string(); }

 private:
  fs::path path_;
};

// Sets environment variables for the programs run while it lives.
class Environment {
 public:
  void set(const char* name, const std::string& value) {
    const char* old = std::getenv(name);
    saved_.emplace_back(name, old != nullptr ? old : "", old != nullptr);
    ::setenv(name, value.c_str(), 1);
  }
  ~Environment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      std::get<2>(*it) ? ::setenv(std::get<0>(*it), std::get<1>(*it).c_str(), 1)
                       : ::unsetenv(std::get<0>(*it));
    }
  }

 private:
  std::vector<std::tuple<const char*, std::string, bool>> saved_;
};

Result batch(std::vector<std::string> args, const std::string& input = "",
             Output out = Output::file, Input in = Input::file) {
  Child child;
  child.argv = {SUDOKU_BATCH_BINARY};
  child.argv.insert(child.argv.end(), args.begin(), args.end());
  child.in = in;
  child.out = out;
  child.input = input;
  child.timeout_seconds = kTimeoutSeconds;
  return run_child(child);
}

// --- what the dialogue prints ----------------------------------------------

struct Outcome {
  bool found = false;
  std::string reason;  // the line after "pas de solution"
  Grid solved;
  std::vector<std::string> report;
};

// Splits the dialogue's output (records ended by CR LF) into one outcome per
// solve: the verdict, its reason, the last table shown, the report lines.
std::vector<Outcome> outcomes_of(const std::string& out) {
  std::vector<Outcome> outcomes;
  Outcome current;
  Grid table;
  bool solving = false;
  std::vector<std::string> lines;
  std::size_t at = 0;
  for (std::size_t end; (end = out.find("\r\n", at)) != std::string::npos; at = end + 2) {
    lines.push_back(out.substr(at, end - at));
  }
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const std::string& line = lines[n];
    if (line.size() > 2 && line[0] >= '1' && line[0] <= '9' && line[1] == ' ') {
      std::istringstream words(line);
      int j = 0;
      words >> j;
      int i = 1;
      for (std::string word; words >> word && i <= 9;) {
        if (word != ".") {
          table(i++, j) = std::stoi(word);
        }
      }
    } else if (line.starts_with("entrez 0 si c'est bon")) {
      current = Outcome{};
      solving = true;
    } else if (solving && line == "le sudoku est trouve") {
      current.found = true;
    } else if (solving && line == "pas de solution" && n + 1 < lines.size()) {
      current.reason = lines[++n];
    } else if (solving && line.starts_with("iteration:")) {
      current.report.push_back(line);
    } else if (solving && line.starts_with("tapez 1 pour finir")) {
      current.solved = table;
      outcomes.push_back(current);
      solving = false;
    }
  }
  return outcomes;
}

// The report line the dialogue prints for "c,l,k" (carres, lignes, colonnes).
std::string report_line(int e, const std::string& counts) {
  const std::vector<std::string> c = split(counts, ',');
  char line[80];
  std::snprintf(line, sizeof line,
                "iteration:%2d on a trouve %2d  carres, %2d lignes et %2d colonnes", e,
                std::stoi(c.at(0)), std::stoi(c.at(1)), std::stoi(c.at(2)));
  return line;
}

// --- minimal reading of the flat jsonl records -------------------------------

// The raw value of `key` in a flat record: a number, or a string's contents.
std::string json_value(const std::string& record, const std::string& key) {
  const std::string tag = "\"" + key + "\":";
  const std::size_t at = record.find(tag);
  if (at == std::string::npos) {
    return {};
  }
  std::size_t from = at + tag.size();
  if (record[from] == '"') {
    return record.substr(from + 1, record.find('"', from + 1) - from - 1);
  }
  return record.substr(from, record.find_first_of(",}]", from) - from);
}

// The values of `key` in each object of the list `list` of a record.
std::vector<std::string> json_list(const std::string& record, const std::string& list) {
  std::vector<std::string> objects;
  std::size_t at = record.find("\"" + list + "\":[");
  if (at == std::string::npos) {
    return objects;
  }
  const std::size_t end = record.find(']', at);
  for (at = record.find('{', at); at < end; at = record.find('{', at + 1)) {
    objects.push_back(record.substr(at, record.find('}', at) - at + 1));
  }
  return objects;
}

std::string all_cells(const std::vector<Puzzle>& puzzles) {
  std::string text;
  for (const Puzzle& p : puzzles) {
    text += p.cells + "\n";
  }
  return text;
}

// --- the collections ---------------------------------------------------------

TEST(BatchCollections, DialogueReplayAgreesWithTheRecords) {
  const std::vector<Puzzle> puzzles = collections();
  ASSERT_FALSE(puzzles.empty()) << "no puzzle collections at " << SUDOKU_DATA_DIR;
  // A refused line among the puzzles: reported, and left out of the answers.
  std::string input = all_cells(puzzles);
  input.insert(input.find('\n') + 1, "12k45\n");
  const TempFile file("replay.txt", input);

  const Result answers = batch({"--dialogue", file.path()});
  ASSERT_EQ(answers.status, 1) << answers.err;
  EXPECT_EQ(answers.err, file.path() +
                             ":2: column 3: 'k' is not a cell (1-9, or '.', '0', '_', '*', 'x' "
                             "or '-' for an empty cell)\n");

  Child dialogue;
  dialogue.argv = {SUDOKU_BINARY};
  dialogue.input = answers.out;
  dialogue.timeout_seconds = kTimeoutSeconds;
  const Result session = run_child(dialogue);
  ASSERT_EQ(session.status, 0) << session.err;
  const std::vector<Outcome> outcomes = outcomes_of(session.out);
  ASSERT_EQ(outcomes.size(), puzzles.size());

  const Result lines = batch({"--format=line", "--jobs=2", file.path()});
  ASSERT_EQ(lines.status, 1);
  std::vector<std::string> records = split(lines.out, '\n');
  ASSERT_EQ(records.size(), puzzles.size() + 1);
  EXPECT_TRUE(records[1].starts_with("error\t"));
  records.erase(records.begin() + 1);

  int found = 0;
  for (std::size_t p = 0; p < puzzles.size(); ++p) {
    SCOPED_TRACE(puzzles[p].where);
    const std::vector<std::string> fields = split(records[p], '\t');
    ASSERT_EQ(fields.size(), 4U) << records[p];
    const Outcome& o = outcomes[p];
    EXPECT_EQ(fields[1], o.found ? "le sudoku est trouve" : o.reason);
    std::vector<std::string> report;
    const std::vector<std::string> iterations = split(fields[2], ' ');
    for (std::size_t e = 0; e < iterations.size(); ++e) {
      report.push_back(report_line(static_cast<int>(e + 1), iterations[e]));
    }
    EXPECT_EQ(report, o.report);
    // The dialogue shows the grid only when it is found; the literal
    // iterations give it in every case.
    Grid expected = grid_of(puzzles[p].cells);
    Resolution etat;
    resoudre(expected, etat);
    EXPECT_EQ(fields[0], cells_of(expected));
    if (o.found) {
      ++found;
      EXPECT_EQ(fields[0], cells_of(o.solved));
    }
  }
  EXPECT_GT(found, 0);
  EXPECT_LT(found, static_cast<int>(puzzles.size()));
}

// One run with --count and --explain: the counts and solutions are the
// published ones, and the placements, applied in order to the givens, give
// the grid and add up to each iteration's counts; --hint gives the first.
TEST(BatchCollections, CountsSolutionsAndPlacements) {
  const std::vector<Puzzle> puzzles = collections();
  ASSERT_FALSE(puzzles.empty()) << "no puzzle collections at " << SUDOKU_DATA_DIR;
  const TempFile file("explain.txt", all_cells(puzzles));
  const Result all = batch({"--format=jsonl", "--count", "--explain", file.path()});
  const Result first = batch({"--format=jsonl", "--hint", file.path()});
  ASSERT_EQ(all.status + first.status, 0) << all.err << first.err;
  const std::vector<std::string> records = split(all.out, '\n');
  const std::vector<std::string> hints = split(first.out, '\n');
  ASSERT_EQ(records.size(), puzzles.size());
  ASSERT_EQ(hints.size(), puzzles.size());
  for (std::size_t p = 0; p < puzzles.size(); ++p) {
    SCOPED_TRACE(puzzles[p].where);
    const std::string& r = records[p];
    const std::string& c = puzzles[p].collection;
    const std::string count = c == "own_invalid7" || c == "tdoku_nosolution10" ? "0"
                              : c == "tdoku_multisolution15"                   ? "2"
                                                                               : "1";
    EXPECT_EQ(json_value(r, "solutions"), count);
    EXPECT_EQ(json_value(r, "solution").empty(), count != "1");
    if (!puzzles[p].solution.empty()) {
      EXPECT_EQ(json_value(r, "solution"), puzzles[p].solution);
    }

    Grid g = grid_of(json_value(r, "givens"));
    std::vector<std::array<int, 3>> counts;  // carres, lignes, colonnes
    const std::vector<std::string> placements = json_list(r, "placements");
    for (const std::string& placement : placements) {
      const auto e = static_cast<std::size_t>(std::stoi(json_value(placement, "iteration")));
      const std::string phase = json_value(placement, "phase");
      counts.resize(std::max(counts.size(), e));
      ++counts[e - 1][phase == "carres" ? 0 : phase == "lignes" ? 1 : 2];
      g(std::stoi(json_value(placement, "i")), std::stoi(json_value(placement, "j"))) =
          std::stoi(json_value(placement, "digit"));
    }
    EXPECT_EQ(cells_of(g), json_value(r, "grid"));
    const std::vector<std::string> iterations = json_list(r, "iterations");
    counts.resize(iterations.size());
    for (std::size_t e = 0; e < iterations.size(); ++e) {
      EXPECT_EQ(json_value(iterations[e], "carres") + "," + json_value(iterations[e], "lignes") +
                    "," + json_value(iterations[e], "colonnes"),
                std::to_string(counts[e][0]) + "," + std::to_string(counts[e][1]) + "," +
                    std::to_string(counts[e][2]))
          << "iteration " << e + 1;
    }
    const std::vector<std::string> hint = json_list(hints[p], "placements");
    EXPECT_EQ(hint, std::vector<std::string>(placements.begin(),
                                             placements.begin() + (placements.empty() ? 0 : 1)));
  }
}

// The same output, byte for byte, whatever the number of workers, with
// refused lines among the puzzles.
TEST(BatchCollections, WorkersKeepTheInputOrder) {
  std::vector<Puzzle> puzzles = collections();
  ASSERT_FALSE(puzzles.empty()) << "no puzzle collections at " << SUDOKU_DATA_DIR;
  std::string input;
  for (std::size_t p = 0; p < puzzles.size(); ++p) {
    input += puzzles[p].cells + (p % 97 == 0 ? "x\n" : "\n");
  }
  const TempFile file("order.txt", input);
  const Result one = batch({"--format=jsonl", "--count", "--jobs=1", file.path()});
  const Result three = batch({"--format=jsonl", "--count", "--jobs=3", file.path()});
  EXPECT_EQ(one.status, 1);
  EXPECT_EQ(three.status, 1);
  EXPECT_EQ(one.out, three.out);
  EXPECT_EQ(one.err, three.err);
}

// --- faults --------------------------------------------------------------------

const std::string kGood =
    "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......";

TEST(BatchFaults, RefusedLinesKeepTheirPlace) {
  const std::string input = kGood + "\n" + kGood.substr(0, 80) + "\n\n# a comment\n" + kGood +
                            "k\n" + kGood + " ; fine\r\n";
  const Result r = batch({"--format=jsonl", "-"}, input, Output::file, Input::pipe);
  EXPECT_EQ(r.status, 1);
  const std::vector<std::string> records = split(r.out, '\n');
  ASSERT_EQ(records.size(), 4U) << r.out;
  EXPECT_EQ(json_value(records[0], "line"), "1");
  EXPECT_EQ(records[1], R"({"source":"-","line":2,"error":"80 cells; a puzzle line has 81, )"
                        R"(a row of the block form 9"})");
  EXPECT_EQ(json_value(records[2], "line"), "5");
  EXPECT_TRUE(json_value(records[2], "error").starts_with("column 82: 'k' after the 81 cells"));
  EXPECT_EQ(json_value(records[3], "line"), "6");
  EXPECT_EQ(json_value(records[3], "givens"), kGood);
  EXPECT_EQ(split(r.err, '\n').size(), 2U) << r.err;
  EXPECT_TRUE(r.err.starts_with("-:2: 80 cells")) << r.err;
}

// A standard input left non-blocking, that runs dry between pieces, is waited
// for rather than taken for a read error.
TEST(BatchFaults, NonBlockingInputIsWaitedFor) {
  Child child;
  child.argv = {SUDOKU_BATCH_BINARY, "--format=line"};
  child.in = Input::pipe;
  child.nonblocking = true;
  child.pipe_pieces = {kGood.substr(0, 40), kGood.substr(40) + "\n", kGood + "\n"};
  child.timeout_seconds = kTimeoutSeconds;
  const Result r = run_child(child);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(split(r.out, '\n').size(), 2U);
}

// A puzzle typed at a terminal gets its record at once, before the end of
// the input: the next line is typed only once the record is on the screen.
TEST(BatchFaults, TypedPuzzleAnsweredAtOnce) {
  Child child;
  child.argv = {SUDOKU_BATCH_BINARY, "--format=line", "--jobs=2"};
  child.in = Input::pty;
  child.out = Output::pty;
  child.steps = {{"", kGood + "\n"}, {"0,0,0\t-\n", kGood + "\n"}, {"0,0,0\t-\n", "\x04"}};
  child.timeout_seconds = 20;
  const Result r = run_child(child);
  EXPECT_FALSE(r.timed_out) << testing_support::visible(r.out);
  EXPECT_EQ(r.status, 0) << r.err;
}

// Files as other programs write them, and damaged ones, through the real
// program: every puzzle read, none invented, one refusal per damage.
TEST(BatchFormats, ExchangedFilesAndTheirDamage) {
  const std::string p = kGood;
  std::string rows;  // p in block form, one row a line
  for (int j = 0; j < 9; ++j) {
    rows += p.substr(j * 9, 9) + "\n";
  }
  std::string spaced;
  for (const char c : p) {
    spaced += std::string(spaced.empty() ? "" : " ") + c;
  }
  std::string zeros = p;
  std::replace(zeros.begin(), zeros.end(), '.', '0');
  std::string utf16 = "\xFF\xFE";
  for (const char c : p + "\n") {
    utf16 += std::string(1, c) + '\0';
  }
  const struct {
    std::string name, input;
    int status;
    std::size_t puzzles;
    std::string err;  // what standard error holds after the file's name
  } rows_[] = {
      {"kaggle.csv",
       "quizzes,solutions\n" + zeros + "," + zeros + "\n" + zeros + "," + zeros + "\n", 0, 2, ""},
      {"forum.txt", p + ",9.1,1.2,1.2\r" + spaced + "\r" + p + "\t# hard\r", 0, 3, ""},
      {"euler.txt", "Grid 01\n" + rows + "Grid 02\n" + rows, 0, 2, ""},
      {"state.sdk", "#Aanyone\n[Puzzle]\n" + rows + "[State]\n" + rows, 0, 1, ""},
      {"back-to-back.txt", rows.substr(10) + rows + rows + "\n" + rows, 1, 1,
       ":1: lines 1-26: 26 rows with no break; puzzles in block form are set apart by a blank "
       "line, a heading or a border\n"},
      {"short-block.txt", rows.substr(10) + "\n" + rows, 1, 1,
       ":1: lines 1-8: a block of 8 rows; a puzzle in block form has 9 rows of 9 cells\n"},
      {"utf16.txt", utf16 + utf16, 1, 0,
       ":1: UTF-16 text (little-endian), not read; convert it to UTF-8, for example with iconv "
       "-f UTF-16 -t UTF-8\n"},
      {"binary.bin",
       std::string("\x7F"
                   "ELF\x02\x01\x01\0\0\0\n",
                   11) +
           p + "\n",
       1, 0, ":1: not text (NUL or control bytes), the input is not read from here on\n"},
      {"latin1.txt",
       "\xAB"
       "facile\xBB\n\xABmoyen\xBB\n\xE9t\xE9\n\xB0 1\n" +
           p + "\n",
       1, 0,
       ":1: not text (bytes that are not ASCII, in line after line), the input is not read from "
       "here on\n"},
  };
  for (const auto& row : rows_) {
    SCOPED_TRACE(row.name);
    const TempFile file(row.name, row.input);
    const Result r = batch({"--format=line", file.path()});
    EXPECT_EQ(r.status, row.status);
    EXPECT_EQ(r.err, row.err.empty() ? "" : file.path() + row.err);
    const std::vector<std::string> records = split(r.out, '\n');
    EXPECT_EQ(std::count_if(records.begin(), records.end(),
                            [](const std::string& record) { return !record.starts_with("error"); }),
              static_cast<long>(row.puzzles))
        << r.out;
  }
  // An operand that is no file and looks like a puzzle is read as one.
  const Result typo = batch({"--format=line", p.substr(1), spaced});
  EXPECT_EQ(typo.status, 1);
  EXPECT_EQ(typo.err, "(argument):1: 80 cells; a puzzle line has 81, a row of the block form 9\n");
  EXPECT_EQ(split(typo.out, '\n').size(), 2U);
  // A puzzle argument may start with '-', an empty cell, where an option would.
  std::string dashed = "." + p.substr(1);
  std::replace(dashed.begin(), dashed.end(), '.', '-');
  const Result dash = batch({"--format=line", dashed, "-c"});
  EXPECT_EQ(dash.status, 0) << dash.err;
  EXPECT_EQ(dash.out, batch({"--format=line", "." + p.substr(1), "-c"}).out);
}

// Standard output and standard error on one terminal: once the terminal has
// applied every carriage return and erase, the screen holds whole records
// and whole messages only, and nothing is left of a progress line.
TEST(BatchTerminal, SharedTerminalHoldsWholeRecords) {
  std::string input;
  for (int n = 0; n < 20000; ++n) {
    input += n % 1000 == 999 ? "12k\n" : kGood + "\n";
  }
  const TempFile file("shared.txt", input);
  Child child;
  child.argv = {SUDOKU_BATCH_BINARY, "--format=line", "--jobs=2", file.path()};
  child.out = Output::pty;
  child.err_to_out = true;
  child.timeout_seconds = kTimeoutSeconds;
  const Result r = run_child(child);
  EXPECT_EQ(r.status, 1);
  // The screen: CR returns to the line's start, ESC [ K erases to its end.
  std::vector<std::string> screen(1);
  std::size_t column = 0;
  for (std::size_t k = 0; k < r.out.size(); ++k) {
    const char c = r.out[k];
    std::string& line = screen.back();
    if (c == '\n') {
      screen.emplace_back();
      column = 0;
    } else if (c == '\r') {
      column = 0;
    } else if (r.out.compare(k, 3, "\033[K") == 0) {
      line.resize(std::min(line.size(), column));
      k += 2;
    } else {
      line.resize(std::max(line.size(), column + 1));
      line[column++] = c;
    }
  }
  const std::string record = split(batch({"--format=line", kGood}).out, '\n').at(0);
  const std::string refusal = "error\t" + file.path() + "\t";
  std::size_t records = 0;
  for (std::size_t n = 0; n + 1 < screen.size(); ++n) {
    const std::string& line = screen[n];
    const bool whole =
        line == record || line.starts_with(refusal) || line.starts_with(file.path() + ":");
    EXPECT_TRUE(whole) << "line " << n + 1 << ": " << testing_support::visible(line);
    records += line == record || line.starts_with(refusal) ? 1 : 0;
    if (!whole) {
      break;
    }
  }
  EXPECT_EQ(records, 20000U);
  EXPECT_EQ(screen.back(), "");
}

// Ctrl-C while puzzles are typed: the records written stay whole, and the
// run ends with 130 after a line that says where the puzzles come from.
TEST(BatchTerminal, InterruptEndsTheRunWithItsStatus) {
  Child child;
  child.argv = {SUDOKU_BATCH_BINARY, "--format=line"};
  child.in = Input::pty;
  child.out = Output::pty;
  child.steps = {{"", kGood + "\n"}, {"0,0,0\t-\n", ""}};
  child.interrupt_when_waiting = true;
  child.timeout_seconds = 20;
  const Result r = run_child(child);
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.status, 130);
  EXPECT_EQ(r.err,
            "sudoku-batch: reading puzzles from the terminal; end with Ctrl-D at the start of a "
            "line\n");
}

TEST(BatchFaults, MissingFileIsReportedAndTheRestRead) {
  const TempFile file("present.txt", kGood + "\n");
  const Result r = batch({"--format=line", "/nonexistent/puzzles.txt", "", file.path()});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err,
            "sudoku-batch: /nonexistent/puzzles.txt: No such file or directory\n"
            "sudoku-batch: '': No such file or directory\n");
  EXPECT_EQ(split(r.out, '\n').size(), 1U);
}

TEST(BatchFaults, UsageErrorsEndWithStatusTwo) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--format=xml"},
                                             {"--jobs=abc"},
                                             {"--explain", "--hint"},
                                             {"--dialogue", "-c"},
                                             {"--per-page=4"},
                                             {"--format=pdf", "--per-page=3"},
                                             {"--format=pdf", "--paper=a3"},
                                             {"--no-such-option"}}) {
    SCOPED_TRACE(args[0] + (args.size() > 1 ? " " + args[1] : ""));
    const Result r = batch(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.starts_with("sudoku-batch: ")) << r.err;
  }
  // The message says what was wrong with the value and what is accepted.
  EXPECT_EQ(batch({"--format=xml"}).err,
            "sudoku-batch: --format: 'xml' is not text, line, csv, jsonl, svg or pdf\n"
            "Try 'sudoku-batch --help' for more information.\n");
  EXPECT_EQ(batch({"--generate=1e3"}).err,
            "sudoku-batch: --generate: '1e3' is not a number from 1 to 1000000000000\n"
            "Try 'sudoku-batch --help' for more information.\n");
}

// A PDF is not for a terminal: the run stops before reading anything.
TEST(BatchFaults, PdfToATerminalIsRefused) {
  Child child;
  child.argv = {SUDOKU_BATCH_BINARY, "--format=pdf", kGood};
  child.out = Output::pty;
  const Result r = run_child(child);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err,
            "sudoku-batch: a PDF is not written to a terminal; redirect the output to a file\n");
  EXPECT_EQ(r.out.find("%PDF"), std::string::npos);
}

TEST(BatchFaults, FullDiskIsAnErrorNotACutOutput) {
  std::string input;
  for (int n = 0; n < 2000; ++n) {
    input += kGood + "\n";
  }
  const Result r = batch({"--format=jsonl", "--jobs=2"}, input, Output::dev_full);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "sudoku-batch: cannot write the output: No space left on device\n");
}

TEST(BatchFaults, HugeLineIsRefusedInBoundedMemory) {
  Child child;
  child.argv = {SUDOKU_BATCH_BINARY, "--format=jsonl"};
  child.in = Input::pipe;
  child.input = std::string(1 << 20, '1');
  child.input_repeat = 256;  // 256 MiB of cells without a line end
  child.timeout_seconds = kTimeoutSeconds;
  const Result r = run_child(child);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out,
            R"({"source":"-","line":1,"error":"a line of 268435456 bytes that is not a puzzle"})"
            "\n");
  if (!testing_support::kSanitized) {
    EXPECT_LT(r.max_rss_kb, 16 * 1024) << "peak " << r.max_rss_kb << " KiB";
  }
}

// The peak memory does not grow with the input: about 5,000 puzzles and ten
// times as many take the same.
TEST(BatchFaults, MemoryStaysFlat) {
  if (testing_support::kSanitized) {
    GTEST_SKIP() << "the sanitizer's own memory hides the program's";
  }
  // The PDF book too, whose answer pages come after all its puzzles: 1,000
  // puzzles and ten times as many.
  for (const auto& [args, puzzles] : std::vector<std::pair<std::vector<std::string>, int>>{
           {{"--format=jsonl", "--explain"}, 5000},
           {{"--format=pdf", "--count", "--explain", "--per-page=6"}, 1000}}) {
    SCOPED_TRACE(args[0]);
    std::string input;
    for (int n = 0; n < puzzles; ++n) {
      input += kGood + "\n";
    }
    Child child;
    child.argv = {SUDOKU_BATCH_BINARY, "--jobs=2"};
    child.argv.insert(child.argv.end(), args.begin(), args.end());
    child.in = Input::pipe;
    child.out = Output::dev_null;
    child.input = input;
    child.timeout_seconds = kTimeoutSeconds;
    const Result small = run_child(child);
    child.input_repeat = 10;
    const Result large = run_child(child);
    ASSERT_EQ(small.status, 0);
    ASSERT_EQ(large.status, 0);
    EXPECT_LE(large.max_rss_kb, small.max_rss_kb + small.max_rss_kb / 10 + 256)
        << puzzles << " puzzles: " << small.max_rss_kb
        << " KiB, ten times as many: " << large.max_rss_kb << " KiB";
  }
}

TEST(BatchMessages, FrenchWhenTheLocaleAsksForIt) {
  const fs::path catalogue =
      fs::path(SUDOKU_BATCH_LOCALE_DIR) / "fr" / "LC_MESSAGES" / "sudoku-batch.mo";
  if (!fs::exists(catalogue)) {
    GTEST_SKIP() << "no French catalogue at " << catalogue << " (msgfmt, Debian: gettext)";
  }
  Environment env;
  env.set("SUDOKU_BATCH_LOCALEDIR", SUDOKU_BATCH_LOCALE_DIR);
  // LANGUAGE picks the catalogue under any locale but C and POSIX; C.UTF-8 is
  // built into the C library, so this needs no generated locale.
  env.set("LC_ALL", "C.UTF-8");
  env.set("LANGUAGE", "fr");
  const std::string input = "123\n";
  Result r = batch({"--format=jsonl"}, input);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "-:1: 3 cases ; une ligne de grille en a 81, une rangée de la forme en bloc 9\n");
  // The machine formats stay in English.
  EXPECT_EQ(
      r.out,
      R"({"source":"-","line":1,"error":"3 cells; a puzzle line has 81, a row of the block form 9"})"
      "\n");
  r = batch({"--help"});
  EXPECT_NE(r.out.find("Utilisation : sudoku-batch [OPTIONS] [FICHIER | GRILLE]..."),
            std::string::npos)
      << r.out;
  r = batch({"--explain", "--count", kGood});
  EXPECT_NE(r.out.find("verdict : trop de possibilite\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  itération 1 : 4 n'a qu'une place dans le carré 4 : (2,6)\n"),
            std::string::npos)
      << r.out;

  // LANG alone, as most systems set it, when this system has a French locale.
  if (std::setlocale(LC_ALL, "fr_FR.UTF-8") == nullptr) {
    std::setlocale(LC_ALL, "C");
    std::cerr << "note: no fr_FR.UTF-8 locale here (Debian: locales, locale-gen); "
                 "LANG=fr_FR.UTF-8 not tried\n";
    return;
  }
  std::setlocale(LC_ALL, "C");
  ::unsetenv("LC_ALL");
  ::unsetenv("LANGUAGE");
  env.set("LANG", "fr_FR.UTF-8");
  r = batch({"--format=line"}, input);
  EXPECT_EQ(r.err,
            "-:1: 3 cases ; une ligne de grille en a 81, une rangée de la forme en bloc 9\n");
  // A French LC_NUMERIC writes "0,5", but the options are read the same
  // everywhere.
  r = batch({"--generate=1", "--seed=1", "--time-limit=0.5", "--format=line"});
  EXPECT_EQ(r.status, 0) << r.err;
  r = batch({"--generate=1", "--seed=1", "--time-limit=0,5", "--format=line"});
  EXPECT_EQ(r.status, 2);
}

}  // namespace

// --- making puzzles ------------------------------------------------------------

// Made puzzles, one run with one worker and one with three: the same bytes.
// Each record checked apart from the program: the literal iterations give
// its verdict and per-iteration counts, the counter its one solution, and
// no given can go. The line form reads back as puzzles the dialogue solves.
TEST(BatchGenerate, SameSeedSameOutputAndEveryPuzzleHolds) {
  const std::vector<std::string> args{"--generate=60", "--seed=20261208", "--format=jsonl",
                                      "--symmetry=random", "--stats"};
  std::vector<std::string> one_job = args;
  one_job.emplace_back("--jobs=1");
  std::vector<std::string> three_jobs = args;
  three_jobs.emplace_back("--jobs=3");
  const Result one = batch(one_job);
  const Result three = batch(three_jobs);
  ASSERT_EQ(one.status, 0) << one.err;
  ASSERT_EQ(three.status, 0) << three.err;
  EXPECT_EQ(one.out, three.out);
  EXPECT_TRUE(one.err.starts_with("seed: 20261208\npuzzles made: 60 of 60\n")) << one.err;

  const std::vector<std::string> records = split(one.out, '\n');
  ASSERT_EQ(records.size(), 60U);
  std::string lines;
  for (std::size_t n = 0; n < records.size(); ++n) {
    const std::string& record = records[n];
    SCOPED_TRACE(record);
    EXPECT_EQ(json_value(record, "number"), std::to_string(n + 1));
    EXPECT_EQ(json_value(record, "seed"), "20261208");
    EXPECT_EQ(json_value(record, "verdict"), "le sudoku est trouve");
    const Grid puzzle = grid_of(json_value(record, "puzzle"));
    Grid solved = puzzle;
    Resolution etat;
    resoudre(solved, etat);
    ASSERT_EQ(etat.nremplies, 81);
    EXPECT_EQ(cells_of(solved), json_value(record, "solution"));
    const std::vector<std::string> iterations = json_list(record, "iterations");
    ASSERT_EQ(static_cast<int>(iterations.size()), etat.niter);
    for (int e = 1; e <= etat.niter; ++e) {
      EXPECT_EQ(json_value(iterations[e - 1], "carres"), std::to_string(etat.ncarres[e]));
      EXPECT_EQ(json_value(iterations[e - 1], "lignes"), std::to_string(etat.nlignes[e]));
      EXPECT_EQ(json_value(iterations[e - 1], "colonnes"), std::to_string(etat.ncolonnes[e]));
    }
    Grid solution;
    EXPECT_EQ(compter_solutions(puzzle, solution), 1);
    const int givens = static_cast<int>(
        std::count_if(puzzle.cells.begin(), puzzle.cells.end(), [](int32_t v) { return v != 0; }));
    EXPECT_EQ(json_value(record, "givens"), std::to_string(givens));
    // Symmetric puzzles are minimal for their pattern, so only a puzzle
    // without one must need every single given.
    if (json_value(record, "symmetry") == "none") {
      for (int c = 0; c < 81; ++c) {
        if (puzzle.cells[c] != 0) {
          Grid less = puzzle;
          less.cells[c] = 0;
          Resolution r;
          resoudre(less, r);
          EXPECT_LT(r.nremplies, 81) << "cell " << c << " can go";
        }
      }
    }
    lines += json_value(record, "puzzle") + " # from the test\n";
  }
  // The default format reads back.
  const Result line = batch({"--generate=60", "--seed=20261208", "--symmetry=random"});
  ASSERT_EQ(line.status, 0) << line.err;
  const Result again = batch({"--format=line", "-"}, line.out, Output::file, Input::pipe);
  EXPECT_EQ(again.status, 0) << again.err;
  const std::vector<std::string> solved = split(again.out, '\n');
  ASSERT_EQ(solved.size(), 60U);
  for (const std::string& s : solved) {
    EXPECT_EQ(split(s, '\t').at(1), "le sudoku est trouve");
  }
}

// A request that cannot be met in time: status 1, a message, and only whole
// records of what was made.
TEST(BatchGenerate, TimeLimitEndsTheRunWithWhatWasMade) {
  const Result r = batch({"--generate=3", "--iterations=10", "--time-limit=0.3", "--jobs=2"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "sudoku-batch: time limit reached: 0 of 3 puzzles made\n");
}

// A picture cut short by the time limit is still a whole document, of the
// puzzles the message counts.
TEST(BatchGenerate, TimeLimitEndsAPictureWithWhatWasMade) {
  for (const char* format : {"--format=svg", "--format=pdf"}) {
    SCOPED_TRACE(format);
    const Result r = batch({"--generate=100000000", "--iterations=1-3", "--time-limit=0.5",
                            "--seed=1", "--jobs=1", format});
    EXPECT_EQ(r.status, 1);
    const std::string made = r.err.substr(r.err.find("reached: ") + 9);
    ASSERT_NE(made.substr(0, 2), "0 ") << r.err;
    const std::string& text = r.out;
    if (std::string(format) == "--format=svg") {
      EXPECT_TRUE(text.ends_with("</svg>\n"));
      std::size_t frames = 0;
      const std::string frame = "<g class=\"puzzle\"";
      for (std::size_t at = text.find(frame); at != std::string::npos;
           at = text.find(frame, at + 1)) {
        ++frames;
      }
      EXPECT_EQ(frames, std::stoul(made));
    } else {
      EXPECT_TRUE(text.starts_with("%PDF-"));
      EXPECT_NE(text.find("%%EOF", text.size() - 16), std::string::npos);
    }
  }
}

// Ctrl-C while a deep puzzle is being made, which takes minutes: the run
// ends at once with 130, on the main thread as on a worker. The seed is one
// whose first two puzzles take seconds each: a fresh one is now and then
// lucky and makes a puzzle before the signal.
TEST(BatchGenerate, InterruptStopsThePuzzleBeingMade) {
  for (const char* jobs : {"--jobs=1", "--jobs=2"}) {
    SCOPED_TRACE(jobs);
    Child child;
    child.argv = {SUDOKU_BATCH_BINARY, "--generate=2", "--iterations=10", "--seed=1", jobs};
    child.out = Output::pipe;
    child.interrupt_after_ms = 300;
    child.timeout_seconds = 10;
    const Result r = run_child(child);
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.status, 130);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
  }
}

TEST(BatchGenerate, UsageErrors) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--generate=2", kGood},
                                             {"--generate=0"},
                                             {"--generate=2", "--iterations=0"},
                                             {"--generate=2", "--iterations=5-3"},
                                             {"--generate=2", "--iterations=11"},
                                             {"--generate=2", "--givens=10-16"},
                                             {"--generate=2", "--symmetry=spiral"},
                                             {"--generate=2", "--beyond", "--iterations=3"},
                                             {"--generate=2", "--count"},
                                             {"--iterations=3"},
                                             {"--seed=3"},
                                             {"--generate=2", "--seed=-1"},
                                             {"--generate=2", "--seed=18446744073709551616"},
                                             {"--generate=2", "--time-limit=nan"},
                                             {"--generate=2", "--time-limit=1e10"},
                                             {"--format=pdf", "--per-page=x"}}) {
    SCOPED_TRACE(args[0] + (args.size() > 1 ? " " + args[1] : ""));
    const Result r = batch(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.starts_with("sudoku-batch: ")) << r.err;
  }
}
