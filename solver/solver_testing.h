// Test helpers for the solver: grids from text, the puzzle collections, and a
// small reference model of the solve used to cross-check exact counters.
#pragma once

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "solver/solver.h"

namespace solver_testing {

// 81 characters read line by line; '1'..'9' are digits, anything else empty.
inline Grid grid_from_text(const std::string& text) {
  Grid g;
  for (size_t k = 0; k < 81 && k < text.size(); ++k) {
    const char c = text[k];
    g.cells[k] = (c >= '1' && c <= '9') ? c - '0' : 0;
  }
  return g;
}

// 81 comma-separated integers read line by line.
inline Grid grid_from_csv(const std::string& text) {
  Grid g;
  std::istringstream in(text);
  std::string item;
  for (size_t k = 0; k < 81 && std::getline(in, item, ','); ++k) {
    g.cells[k] = std::stoi(item);
  }
  return g;
}

inline std::filesystem::path data_dir() { return SUDOKU_DATA_DIR; }

inline std::vector<std::string> read_lines(const std::filesystem::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) {
      lines.push_back(line);
    }
  }
  return lines;
}

// Reference model of the solve, written from the rules rather than from the
// library: flat 0-based cells (index = 9 * line + column), a digit fits an
// empty cell when no other cell sharing a line, column or box holds it, and a
// phase that places anything in its first pass runs nine more.
struct Model {
  std::array<int32_t, 81> cells{};
  int32_t nremplies = 0;
  int32_t niter = 0;
  std::array<std::array<int32_t, 3>, 11> counts{};  // [iteration][box, column, line]
  std::array<int32_t, 3> flags{};                   // box, column, line
};

inline bool fits(const std::array<int32_t, 81>& g, int cell, int32_t d) {
  if (g[cell] != 0) {
    return false;
  }
  const int r = cell / 9;
  const int c = cell % 9;
  const int box = 9 * (r - r % 3) + (c - c % 3);  // top-left cell of the box
  for (int k = 0; k < 9; ++k) {
    const int peers[] = {9 * r + k, 9 * k + c, box + 9 * (k / 3) + k % 3};
    for (const int p : peers) {
      if (p != cell && g[p] == d) {
        return false;
      }
    }
  }
  return true;
}

// The nine units of a phase in visiting order, each as its cells in order.
inline std::array<std::array<int, 9>, 9> model_units(int phase) {
  std::array<std::array<int, 9>, 9> units{};
  for (int u = 0; u < 9; ++u) {
    for (int k = 0; k < 9; ++k) {
      if (phase == 0) {  // box u: origin column 3*(u/3), origin line 3*(u%3); column outer
        units[u][k] = 9 * (3 * (u % 3) + k % 3) + 3 * (u / 3) + k / 3;
      } else if (phase == 1) {  // column u
        units[u][k] = 9 * k + u;
      } else {  // line u
        units[u][k] = 9 * u + k;
      }
    }
  }
  return units;
}

inline Model model_solve(const Grid& start) {
  Model m;
  m.cells = start.cells;
  auto& g = m.cells;
  bool progress = true;
  for (int b = 1; b <= 10; ++b) {
    int empty = 0;
    for (const int32_t v : g) {
      empty += v == 0 ? 1 : 0;
    }
    if (b > 1 && (empty == 0 || !progress)) {
      break;
    }
    m.niter = b;
    for (int phase = 0; phase < 3; ++phase) {
      int32_t& count = m.counts[b][phase];
      for (int pass = 0; pass < (count > 0 ? 10 : 1); ++pass) {
        for (const auto& unit : model_units(phase)) {
          std::array<std::vector<int>, 10> where;
          for (const int cell : unit) {
            for (int32_t d = 1; d <= 9; ++d) {
              if (fits(g, cell, d)) {
                where[d].push_back(cell);
              }
            }
          }
          m.flags[phase] = 0;
          for (int32_t d = 1; d <= 9; ++d) {
            if (where[d].size() == 1) {
              g[where[d][0]] = d;
              ++count;
            }
            if (!where[d].empty()) {
              m.flags[phase] = 1;
            }
          }
        }
      }
    }
    m.nremplies = 81 - static_cast<int32_t>(std::count(g.begin(), g.end(), 0));
    progress = m.counts[b][0] + m.counts[b][1] + m.counts[b][2] > 0;
  }
  return m;
}

}  // namespace solver_testing
