// sudoku-batch: solves, explains and classifies puzzles given in the
// one-line form, with the dialogue's own engine. The options are parsed by
// CLI11, which also writes the help; everything else is the driver's.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <thread>

#include "batch/driver.h"
#include "batch/messages.h"
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

// The help in the usual layout of a Unix program: usage, description,
// "-f, --format=FORMAT" with the text at column 25, exit statuses.
class Help : public CLI::Formatter {
 public:
  std::string make_usage(const CLI::App* /*app*/, std::string /*name*/) const override {
    return std::string(batch::tr("Usage: sudoku-batch [OPTIONS] [FILE | PUZZLE]...")) + "\n" +
           batch::tr(
               "Solve, explain and classify Sudoku puzzles with the forced placements of the\n"
               "dialogue sudoku. A FILE holds puzzles one per line (81 cells: digits, and '.',\n"
               "'0' or '_' for an empty cell) or in block form (9 rows of 9 cells); - or no\n"
               "FILE is standard input; an argument of exactly 81 cells is a puzzle itself.\n");
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
          ->check(CLI::IsMember({1, 2, 4, 6}))
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
  config.jobs = std::max(1U, std::thread::hardware_concurrency());
  app.add_option("-j,--jobs", config.jobs, tr("worker threads (default: the number of CPUs)"))
      ->check(CLI::Range(1U, 1024U))
      ->option_text(tr("N"));
  app.add_flag("-q,--quiet", config.quiet, tr("no progress line"));
  app.add_flag("-s,--stats", config.stats, tr("a summary on standard error at the end"));
  // Described in the usage lines, which the help shows instead of a list of
  // positionals.
  app.add_option("operands", config.operands);
  explain->excludes(hint);
  dialogue->excludes(count)->excludes(explain)->excludes(hint);
  dialogue->excludes(app.get_option("--format"))->excludes(per_page)->excludes(paper);
  app.footer(
      tr("Output: one record per puzzle or refused line, in input order; refused lines\n"
         "are also reported on standard error as FILE:LINE: message.\n"
         "Exit status: 0 every puzzle read, 1 some line refused, 2 a usage error, an\n"
         "unreadable file or a failed write."));

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    std::cout << app.help();
    return std::cout.flush() ? 0 : 2;
  } catch (const CLI::CallForVersion& e) {
    std::cout << e.what() << '\n';
    return std::cout.flush() ? 0 : 2;
  } catch (const CLI::ParseError& e) {
    std::cerr << "sudoku-batch: " << e.what() << '\n'
              << tr("Try 'sudoku-batch --help' for more information.") << '\n';
    return 2;
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
