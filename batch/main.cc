// sudoku-batch: solves, explains and classifies puzzles, with the dialogue's
// own engine. The options are parsed by CLI11, which also writes the help;
// the mistakes are told in the program's own words (batch/options.h);
// everything else is the driver's.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <thread>

#include "batch/driver.h"
#include "batch/messages.h"
#include "batch/options.h"
#include "batch/pdf_writer.h"

#ifndef SUDOKU_BATCH_VERSION
#define SUDOKU_BATCH_VERSION "unknown"
#endif
#ifndef SUDOKU_BATCH_LOCALEDIR
#define SUDOKU_BATCH_LOCALEDIR "/usr/share/locale"
#endif
#ifndef SUDOKU_BATCH_RELATIVE_LOCALEDIR
#define SUDOKU_BATCH_RELATIVE_LOCALEDIR "../share/locale"
#endif

namespace {

// Where the message catalogues are: found from the program's own place, so
// that an installed tree works under any prefix (a package installs under
// /usr what was configured for /usr/local) and the build tree finds its
// batch/locale; else the folder configured at build time.
std::string locale_dir() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    for (const char* relative : {SUDOKU_BATCH_RELATIVE_LOCALEDIR, "batch/locale"}) {
      const std::filesystem::path dir = (program.parent_path() / relative).lexically_normal();
      if (std::filesystem::is_directory(dir, error)) {
        return dir.string();
      }
    }
  }
  return SUDOKU_BATCH_LOCALEDIR;
}

// A number of seconds from 0 to 1e9 in decimal digits with at most one point
// ("2", "0.5", ".5", "3."), read the same under every locale: CLI11 and the
// C library would take the decimal separator from LC_NUMERIC, which the
// summaries set. No sign, exponent, NaN or infinity.
bool read_seconds(const std::string& text, double& seconds) {
  double whole = 0;
  double fraction = 0;
  double scale = 1;
  bool point = false;
  bool digit = false;
  for (const char c : text) {
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      digit = true;
      if (point) {
        scale /= 10;
        fraction += (c - '0') * scale;
      } else {
        whole = whole * 10 + (c - '0');
      }
    } else {
      return false;
    }
  }
  if (!digit || whole + fraction > 1e9) {
    return false;
  }
  seconds = whole + fraction;
  return true;
}

// The help in the usual layout of a Unix program: usage, description,
// "-f, --format=FORMAT" with the text at column 25, exit statuses.
class Help : public CLI::Formatter {
 public:
  std::string make_usage(const CLI::App* /*app*/, std::string /*name*/) const override {
    return std::string(batch::tr("Usage: sudoku-batch [OPTIONS] [FILE | PUZZLE]...\n"
                                 "       sudoku-batch --generate=N [OPTIONS]")) +
           "\n" +
           batch::tr(
               "Solve, explain and classify Sudoku puzzles with the forced placements of the\n"
               "dialogue sudoku. A FILE holds puzzles one per line (81 cells: digits, and '.',\n"
               "'0', '_', '*', 'x' or '-' for an empty cell, spaced or not) or in block form\n"
               "(9 rows of 9 cells, blocks set apart by a blank line, a heading or a border);\n"
               "- or no FILE is standard input; an argument of 81 cells is a puzzle itself.\n");
  }
  std::string make_description(const CLI::App* /*app*/) const override { return {}; }
  std::string make_positionals(const CLI::App* /*app*/) const override { return {}; }
  std::string make_option(const CLI::Option* opt, bool /*is_positional*/) const override {
    std::string left = "  ";
    const std::vector<std::string>& shorts = opt->get_snames();
    left += shorts.empty() ? "    " : "-" + shorts.front() + ", ";
    left += "--" + opt->get_lnames().front();
    if (!opt->get_option_text().empty()) {
      left += "=" + opt->get_option_text();
    }
    left += left.size() < 24 ? std::string(24 - left.size(), ' ') : "\n" + std::string(24, ' ');
    return left + opt->get_description() + "\n";
  }
};

// Reads "K" or "K-L", each within lo..hi, into k and l; a message when
// the text is not that.
std::string read_range(const std::string& text, int32_t lo, int32_t hi, int32_t& k, int32_t& l) {
  const std::size_t dash = text.find('-');
  const std::string first = text.substr(0, dash);
  const std::string last = dash == std::string::npos ? first : text.substr(dash + 1);
  auto number = [lo, hi](const std::string& digits, int32_t& v) {
    if (digits.empty() || digits.size() > 2 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
      return false;
    }
    v = std::stoi(digits);
    return v >= lo && v <= hi;
  };
  std::string why;
  if (!number(first, k) || !number(last, l) || k > l) {
    batch::append_printf(why, batch::tr("'%s' is not K or K-L with %d <= K <= L <= %d"),
                         text.c_str(), lo, hi);
  }
  return why;
}

// A seed for a run that names none: below 10^15, so that it reads and
// copies easily and stays exact as a JSON number.
uint64_t fresh_seed() {
  std::random_device device;
  const uint64_t noise =
      (uint64_t{device()} << 32 | device()) ^
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  return noise % 1000000000000000U;
}

// The options as the argument check knows them.
std::vector<batch::OptionName> option_names(const CLI::App& app) {
  std::vector<batch::OptionName> names;
  for (const CLI::Option* opt : app.get_options()) {
    if (!opt->nonpositional()) {
      continue;
    }
    batch::OptionName name;
    name.long_name = opt->get_lnames().empty() ? std::string() : opt->get_lnames().front();
    name.short_name = opt->get_snames().empty() ? 0 : opt->get_snames().front()[0];
    name.takes_value = opt->get_items_expected_max() > 0;
    name.value_name = opt->get_option_text();
    names.push_back(name);
  }
  return names;
}

// What CLI11 found wrong, in the program's words: the checks before parsing
// leave it the values our validators refuse (their message is ours) and the
// options that exclude each other.
std::string parse_error_text(const CLI::ParseError& e) {
  std::string what = e.what();
  std::string text;
  if (e.get_name() == "ExcludesError") {
    const std::size_t at = what.find(" excludes ");
    if (at != std::string::npos) {
      batch::append_printf(text, batch::tr("%s and %s cannot be used together"),
                           what.substr(0, at).c_str(), what.substr(at + 10).c_str());
      return text;
    }
  }
  if (e.get_name() == "ValidationError") {
    // A value outside a set: "--name: value not in {a,b}".
    const std::size_t colon = what.find(": ");
    const std::size_t set = what.find(" not in {");
    if (colon != std::string::npos && set != std::string::npos && set > colon) {
      batch::append_printf(
          text, batch::tr("%s: '%s' is not one of %s"), what.substr(0, colon).c_str(),
          what.substr(colon + 2, set - colon - 2).c_str(), what.substr(set + 8).c_str());
      return text;
    }
    return what;
  }
  batch::append_printf(text, batch::tr("invalid arguments: %s"), what.c_str());
  return text;
}

int usage_error(const std::string& message) {
  std::cerr << "sudoku-batch: " << message << '\n'
            << batch::tr("Try 'sudoku-batch --help' for more information.") << '\n';
  return 2;
}

}  // namespace

namespace {

int run_program(int argc, char** argv) {
  batch::start_messages(locale_dir().c_str());
  using batch::tr;

  batch::Config config;
  CLI::App app({}, "sudoku-batch");
  app.formatter(std::make_shared<Help>());
  app.set_help_flag("-h,--help", tr("print this help and exit"));
  app.set_version_flag("-V,--version", "sudoku-batch " SUDOKU_BATCH_VERSION,
                       tr("print the version and exit"));
  app.option_defaults()->group(tr("Options"));
  // An option given twice: the last one counts, as in most programs.
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);

  const std::map<std::string, batch::Format> formats{
      {"text", batch::Format::text},   {"line", batch::Format::line}, {"csv", batch::Format::csv},
      {"jsonl", batch::Format::jsonl}, {"svg", batch::Format::svg},   {"pdf", batch::Format::pdf}};
  std::string format_name = "text";
  app.add_option("-f,--format", format_name, tr("text (default), line, csv, jsonl, svg or pdf"))
      ->check(CLI::Validator(
          [&formats](const std::string& name) {
            std::string why;
            if (formats.count(name) == 0) {
              batch::append_printf(why, tr("'%s' is not text, line, csv, jsonl, svg or pdf"),
                                   name.c_str());
              std::vector<std::string> names;
              names.reserve(formats.size());
              for (const auto& [known, format] : formats) {
                names.push_back(known);
              }
              const std::string close = batch::closest_name(name, names);
              if (!close.empty()) {
                batch::append_printf(why, tr("; did you mean '%s'?"), close.c_str());
              }
            }
            return why;
          },
          ""))
      ->option_text(tr("FORMAT"));
  auto* count = app.add_flag("-c,--count", config.write.count,
                             tr("count the solutions: 0, 1, or 2 for two or more"));
  auto* explain = app.add_flag("-e,--explain", config.write.explain,
                               tr("list every forced placement in order, with its reason"));
  auto* hint = app.add_flag("--hint", config.write.hint,
                            tr("show only the first forced placement (the next move)"));
  auto* per_page =
      app.add_option("--per-page", config.write.per_page, tr("pdf: grids a page, 1, 2, 4 or 6"))
          ->check(CLI::Validator(
              [](const std::string& value) {
                std::string why;
                if (value != "1" && value != "2" && value != "4" && value != "6") {
                  batch::append_printf(why, tr("'%s' is not 1, 2, 4 or 6"), value.c_str());
                }
                return why;
              },
              ""))
          ->option_text(tr("N"));
  const std::map<std::string, batch::Paper> papers{{"a4", batch::Paper::a4},
                                                   {"letter", batch::Paper::letter}};
  std::string paper_name;
  auto* paper =
      app.add_option("--paper", paper_name, tr("pdf: a4 or letter (default: the locale's paper)"))
          ->check(CLI::IsMember({"a4", "letter"}, CLI::ignore_case))
          ->option_text(tr("PAPER"));
  auto* dialogue = app.add_flag("-d,--dialogue", config.dialogue,
                                tr("write the answers that sudoku expects, not results"));
  const unsigned processors = std::max(1U, std::thread::hardware_concurrency());
  // A whole number from lo to hi, in digits only: no sign, no exponent, no
  // value that would wrap or be clamped to another.
  auto number_check = [](uint64_t lo, uint64_t hi) {
    return CLI::Validator(
        [lo, hi](const std::string& value) {
          std::string why;
          uint64_t n = 0;
          const char* end = value.data() + value.size();
          const auto [stop, error] = std::from_chars(value.data(), end, n);
          const bool ok = !value.empty() &&
                          value.find_first_not_of("0123456789") == std::string::npos &&
                          stop == end && error == std::errc() && n >= lo && n <= hi;
          if (!ok) {
            batch::append_printf(why, tr("'%s' is not a number from %s to %s"), value.c_str(),
                                 std::to_string(lo).c_str(), std::to_string(hi).c_str());
          }
          return why;
        },
        "");
  };
  std::string jobs = "0";
  app.add_option("-j,--jobs", jobs, tr("worker threads, 0 for one per processor (the default)"))
      ->check(number_check(0, 1024))
      ->option_text(tr("N"));
  app.add_flag("-q,--quiet", config.quiet, tr("no progress line"));
  app.add_flag("-s,--stats", config.stats, tr("a summary on standard error at the end"));
  // Making puzzles.
  auto* generate = app.add_option("-g,--generate", config.generate,
                                  tr("make N puzzles that the forced placements solve"))
                       ->check(number_check(1, 1000000000000))
                       ->option_text(tr("N"));
  auto range_check = [](int32_t lo, int32_t hi) {
    return CLI::Validator(
        [lo, hi](const std::string& text) {
          int32_t k = 0;
          int32_t l = 0;
          return read_range(text, lo, hi, k, l);
        },
        "");
  };
  std::string iterations = "1-10";
  std::string givens = "17-81";
  std::string symmetry = "none";
  auto* depth = app.add_option("--iterations", iterations,
                               tr("K or K-L: the iterations that solve them (1 to 10)"))
                    ->check(range_check(1, 10))
                    ->option_text("K[-L]")
                    ->needs(generate);
  app.add_option("--givens", givens, tr("K-L: the number of givens"))
      ->check(range_check(0, 81))
      ->option_text("K-L")
      ->needs(generate);
  bool not_minimal = false;
  app.add_flag("--no-minimal", not_minimal, tr("skip the check that every given is needed"))
      ->needs(generate);
  app.add_flag("--beyond", config.demand.beyond,
               tr("puzzles with one solution that the forced placements do not finish"))
      ->needs(generate)
      ->excludes(depth);
  app.add_option("--symmetry", symmetry,
                 tr("none, rotate180, rotate90, mirror, flip, diagonal or random"))
      ->check(CLI::Validator(
          [](const std::string& name) {
            batch::Symmetry s{};
            std::string why;
            if (!batch::symmetry_named(name, s)) {
              batch::append_printf(why, tr("'%s' is not a symmetry"), name.c_str());
            }
            return why;
          },
          ""))
      ->option_text(tr("NAME"))
      ->needs(generate);
  auto* seed = app.add_option("--seed", config.seed, tr("the seed (default: a fresh one)"))
                   ->check(number_check(0, UINT64_MAX))
                   ->option_text("S")
                   ->needs(generate);
  std::string time_limit;
  app.add_option("--time-limit", time_limit, tr("give up after this many seconds"))
      ->check(CLI::Validator(
          [](const std::string& value) {
            std::string why;
            double seconds = 0;
            if (!read_seconds(value, seconds)) {
              batch::append_printf(why, tr("'%s' is not a number of seconds from 0 to 1000000000"),
                                   value.c_str());
            }
            return why;
          },
          ""))
      ->option_text(tr("SECONDS"))
      ->needs(generate);
  generate->excludes(count)->excludes(explain)->excludes(hint)->excludes(dialogue);
  // Described in the usage lines, which the help shows instead of a list of
  // positionals.
  app.add_option("operands", config.operands)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  explain->excludes(hint);
  dialogue->excludes(count)->excludes(explain)->excludes(hint);
  dialogue->excludes(app.get_option("--format"))->excludes(per_page)->excludes(paper);
  app.footer(
      tr("Output: one record per puzzle or refused line, in input order; refused lines\n"
         "are also reported on standard error as FILE:LINE: message.\n"
         "Exit status: 0 every puzzle read or made, 1 some line refused or the time\n"
         "limit passed, 2 a usage error, an unreadable file or a failed write, 130 or\n"
         "143 ended by SIGINT or SIGTERM."));

  // A puzzle may mark its empty cells with '-', so an argument of 81 cell
  // characters may start with one; no option is made of cell characters, so
  // it stays a puzzle, with '.' for those cells.
  for (int k = 1; k < argc; ++k) {
    if (argv[k][0] == '-' && batch::is_puzzle_operand(argv[k])) {
      std::replace(argv[k], argv[k] + 81, '-', '.');
    }
  }
  const std::string mistake =
      batch::check_arguments(option_names(app), std::vector<std::string>(argv + 1, argv + argc));
  if (!mistake.empty()) {
    return usage_error(mistake);
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    std::cout << app.help();
    return std::cout.flush() ? 0 : 2;
  } catch (const CLI::CallForVersion& e) {
    std::cout << e.what() << '\n';
    return std::cout.flush() ? 0 : 2;
  } catch (const CLI::ParseError& e) {
    return usage_error(parse_error_text(e));
  }
  config.write.format = formats.at(format_name);
  if ((per_page->count() > 0 || paper->count() > 0) && config.write.format != batch::Format::pdf) {
    std::cerr << "sudoku-batch: " << tr("--per-page and --paper go with --format=pdf") << '\n'
              << tr("Try 'sudoku-batch --help' for more information.") << '\n';
    return 2;
  }
  if (config.write.format == batch::Format::pdf && !batch::pdf_available()) {
    std::cerr << "sudoku-batch: " << tr("this sudoku-batch was built without PDF output (cairo)")
              << '\n';
    return 2;
  }
  std::transform(paper_name.begin(), paper_name.end(), paper_name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  config.write.paper = paper->count() > 0 ? papers.at(paper_name) : batch::locale_paper();
  if (config.generate > 0) {
    // Made puzzles are input lines unless asked otherwise.
    if (app.get_option("--format")->count() == 0) {
      config.write.format = batch::Format::line;
    }
    if (!config.operands.empty()) {
      std::cerr << "sudoku-batch: " << tr("--generate reads no FILE or PUZZLE") << '\n'
                << tr("Try 'sudoku-batch --help' for more information.") << '\n';
      return 2;
    }
    read_range(iterations, 1, 10, config.demand.iterations_min, config.demand.iterations_max);
    read_range(givens, 0, 81, config.demand.givens_min, config.demand.givens_max);
    if (config.demand.givens_max < 17) {
      std::cerr << "sudoku-batch: "
                << tr("--givens: no puzzle with fewer than 17 givens has one solution") << '\n'
                << tr("Try 'sudoku-batch --help' for more information.") << '\n';
      return 2;
    }
    batch::symmetry_named(symmetry, config.demand.symmetry);
    config.demand.minimal = !not_minimal;
    config.write.made = true;
    if (seed->count() == 0) {
      config.seed = fresh_seed();
    }
  }
  if (!time_limit.empty()) {
    read_seconds(time_limit, config.time_limit);
  }
  config.jobs = std::stoul(jobs) == 0 ? processors : static_cast<unsigned>(std::stoul(jobs));
  return batch::run(config);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run_program(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "sudoku-batch: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "sudoku-batch: unexpected failure\n");
  }
  return 2;
}
