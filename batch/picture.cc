#include "batch/picture.h"

#include <algorithm>

#include "batch/messages.h"
#include "batch/writers.h"

namespace batch {
namespace {

bool digit(int32_t v) { return v >= 1 && v <= 9; }

// Whether cell k lies in the unit of kind `unit` that holds cell `at`.
bool same_unit(Phase unit, int at, int k) {
  switch (unit) {
    case Phase::carres:
      return at / 27 == k / 27 && at % 9 / 3 == k % 9 / 3;
    case Phase::colonnes:
      return at % 9 == k % 9;
    case Phase::lignes:
      break;
  }
  return at / 9 == k / 9;
}

}  // namespace

void make_picture(View view, const Caption& caption, const Result& result, Picture& picture) {
  picture = Picture{};
  picture.view = view;
  picture.caption = caption;
  picture.verdict = result.verdict;
  picture.solutions = result.solutions;
  for (int k = 0; k < 81; ++k) {
    if (digit(result.givens.cells[k])) {
      picture.cells[k].digit = static_cast<uint8_t>(result.givens.cells[k]);
      picture.cells[k].ink = Ink::given;
    }
  }
  if (view == View::hint) {
    if (result.journal.n > 0) {
      const Placement& p = result.journal.placements[0];
      picture.mark = static_cast<int16_t>((p.j - 1) * 9 + (p.i - 1));
      picture.unit = p.phase;
      for (int k = 0; k < 81; ++k) {
        picture.cells[k].shaded = same_unit(p.phase, picture.mark, k);
      }
    }
    return;
  }
  if (view == View::givens) {
    return;
  }
  for (int k = 0; k < 81; ++k) {
    PictureCell& cell = picture.cells[k];
    if (cell.ink == Ink::none && digit(result.grille.cells[k])) {
      cell.digit = static_cast<uint8_t>(result.grille.cells[k]);
      cell.ink = Ink::placed;
    }
  }
  // A cell that one scan wrote twice (a contradiction) keeps the last step,
  // whose digit is the one in the grid.
  for (int32_t s = 0; s < result.journal.n; ++s) {
    const Placement& p = result.journal.placements[s];
    PictureCell& cell = picture.cells[(p.j - 1) * 9 + (p.i - 1)];
    cell.iteration = static_cast<uint8_t>(p.iteration);
    if (view == View::explain) {
      cell.step = static_cast<uint16_t>(s + 1);
    }
    picture.iterations = static_cast<uint16_t>(picture.iterations | (1U << p.iteration));
  }
  if (result.solutions == 1) {
    for (int k = 0; k < 81; ++k) {
      PictureCell& cell = picture.cells[k];
      if (cell.ink == Ink::none && digit(result.solution.cells[k])) {
        cell.digit = static_cast<uint8_t>(result.solution.cells[k]);
        cell.ink = Ink::searched;
      }
    }
  }
}

std::string cell_name(int k) {
  std::string name = "r";
  name += static_cast<char>('1' + k / 9);
  name += 'c';
  name += static_cast<char>('1' + k % 9);
  return name;
}

std::string caption_title(const Picture& picture, bool numbered) {
  std::string place;
  append_escaped(picture.caption.source, place);
  place += ':';
  append_number(picture.caption.line, place);
  std::string title;
  if (numbered) {
    append_number(picture.caption.number, title);
    title += ". ";
  }
  append_utf8(place, title);
  if (!picture.caption.note.empty()) {
    title += " \xC2\xB7 ";  // a middle dot
    append_utf8(picture.caption.note, title);
  }
  return title;
}

std::string caption_detail(const Picture& picture) {
  std::string detail;
  if (picture.view == View::hint) {
    if (picture.mark < 0) {
      const bool complete = std::all_of(picture.cells.begin(), picture.cells.end(),
                                        [](const PictureCell& c) { return c.digit != 0; });
      detail = complete ? tr("next move: none, the grid is complete")
                        : tr("next move: none, no digit is forced");
      return detail;
    }
    const char* format = nullptr;
    int unit = 0;
    switch (picture.unit) {
      case Phase::carres:
        format = tr("next move: %s, forced by box %d");
        unit = box_number(picture.mark % 9 + 1, picture.mark / 9 + 1);
        break;
      case Phase::colonnes:
        format = tr("next move: %s, forced by column %d");
        unit = picture.mark % 9 + 1;
        break;
      case Phase::lignes:
        format = tr("next move: %s, forced by row %d");
        unit = picture.mark / 9 + 1;
        break;
    }
    append_printf(detail, format, cell_name(picture.mark).c_str(), unit);
    return detail;
  }
  if (picture.view == View::givens) {
    return detail;
  }
  detail = verdict_text(picture.verdict);
  if (picture.solutions >= 2) {
    detail += " \xC2\xB7 ";
    detail += tr("solutions: 2 or more");
  } else if (picture.solutions >= 0) {
    detail += " \xC2\xB7 ";
    append_printf(detail, tr("solutions: %d"), picture.solutions);
  }
  return detail;
}

std::vector<LegendEntry> legend(const Picture& picture) {
  bool inked[4] = {};
  for (const PictureCell& cell : picture.cells) {
    inked[static_cast<int>(cell.ink)] = true;
  }
  std::vector<LegendEntry> entries;
  if (inked[static_cast<int>(Ink::given)]) {
    entries.push_back({Ink::given, 0, tr("given")});
  }
  if (picture.view == View::explain) {
    bool first = true;
    for (int e = 1; e <= kIterationColours; ++e) {
      if ((picture.iterations & (1U << e)) != 0) {
        // The first one says what the numbers are.
        std::string label;
        append_printf(label, first ? tr("iteration %d") : "%d", e);
        entries.push_back({Ink::placed, e, label});
        first = false;
      }
    }
  } else if (inked[static_cast<int>(Ink::placed)]) {
    entries.push_back({Ink::placed, 0, tr("forced")});
  }
  if (inked[static_cast<int>(Ink::searched)]) {
    entries.push_back({Ink::searched, 0, tr("by search")});
  }
  return entries;
}

const char* ink_colour(Ink ink) {
  switch (ink) {
    case Ink::placed:
      return "#1f5fbf";
    case Ink::searched:
      return "#a0a0a0";
    case Ink::none:
    case Ink::given:
      break;
  }
  return "#000000";
}

const char* iteration_colour(int e) {
  // Dark enough to read as text on white, and told apart by most eyes.
  static constexpr const char* kColours[kIterationColours] = {
      "#1f5fbf", "#c0500a", "#00805a", "#a0307f", "#7a6a00",
      "#5b3fc0", "#c02838", "#00798c", "#6d4c41", "#505050"};
  return kColours[(e >= 1 && e <= kIterationColours ? e : 1) - 1];
}

void append_utf8(std::string_view text, std::string& out) {
  std::size_t k = 0;
  while (k < text.size()) {
    const std::size_t n = utf8_length(text, k);
    if (n > 0) {
      out.append(text.substr(k, n));
      k += n;
    } else {
      out += "\xEF\xBF\xBD";
      ++k;
    }
  }
}

}  // namespace batch
