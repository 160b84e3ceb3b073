// A test-only program that runs console statements named on its command line
// over the process's real descriptors, so tests can drive the console layer
// through files, pipes, terminals and faulty descriptors.
//
//   free=TEXT            write_free_form(TEXT)
//   record=TEXT          write_record(TEXT)
//   format=TEMPLATE|1|2  write_formatted(TEMPLATE, {1, 2})
//   read=N               a read statement of N items (each starting at -777),
//                        then the values as a free-form line "values: a b c"
//   grid                 the dialogue's statement shape: i, j, then cell (i, j)
//                        of a 9x9 grid (cells start at 0), then a free-form
//                        line "grid: i j cell"
//   fatal=NUMBER         fatal_error(NUMBER, READ)
//   repeat=K             run the remaining operations K times
// The run then stops with status 0.
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "console/console.h"

namespace {

int g_argc = 0;
char** g_argv = nullptr;

void run_operation(std::string_view op) {
  auto value = [&](std::string_view key) { return op.substr(key.size()); };
  if (op.starts_with("free=")) {
    console::write_free_form(value("free="));
  } else if (op.starts_with("record=")) {
    console::write_record(value("record="));
  } else if (op.starts_with("format=")) {
    std::string_view rest = value("format=");
    std::size_t bar = rest.find('|');
    std::string_view line_template = rest.substr(0, bar);
    std::vector<int32_t> items;
    while (bar != std::string_view::npos) {
      rest = rest.substr(bar + 1);
      bar = rest.find('|');
      items.push_back(
          static_cast<int32_t>(std::strtol(std::string(rest.substr(0, bar)).c_str(), nullptr, 10)));
    }
    console::write_formatted(line_template, items);
  } else if (op.starts_with("read=")) {
    std::vector<int32_t> items(std::strtoul(std::string(value("read=")).c_str(), nullptr, 10),
                               -777);
    console::read_begin();
    for (int32_t& item : items) {
      console::read_int(item);
    }
    console::read_end();
    std::string line = "values:";
    for (int32_t item : items) {
      line += ' ' + std::to_string(item);
    }
    console::write_free_form(line);
  } else if (op == "grid") {
    static int32_t grid[9][9] = {};
    static int32_t scratch = 0;
    int32_t i = 0;
    int32_t j = 0;
    console::read_begin();
    console::read_int(i);
    console::read_int(j);
    bool inside = i >= 1 && i <= 9 && j >= 1 && j <= 9;
    int32_t& cell = inside ? grid[j - 1][i - 1] : scratch;
    console::read_int(cell);
    console::read_end();
    console::write_free_form("grid: " + std::to_string(i) + ' ' + std::to_string(j) + ' ' +
                             std::to_string(cell));
  } else if (op.starts_with("fatal=")) {
    console::fatal_error(std::atoi(std::string(value("fatal=")).c_str()),
                         console::StatementKind::read);
  }
}

void probe() {
  for (int a = 1; a < g_argc; ++a) {
    std::string_view op = g_argv[a];
    if (op.starts_with("repeat=")) {
      long times = std::strtol(g_argv[a] + 7, nullptr, 10);
      for (long t = 0; t < times; ++t) {
        for (int b = a + 1; b < g_argc; ++b) {
          run_operation(g_argv[b]);
        }
      }
      return;
    }
    run_operation(op);
  }
}

}  // namespace

int main(int argc, char** argv) {
  g_argc = argc;
  g_argv = argv;
  console::start_run(probe);
}
