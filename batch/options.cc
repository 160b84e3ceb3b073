#include "batch/options.h"

#include <algorithm>

#include "batch/messages.h"

namespace batch {
namespace {

std::size_t distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) {
    row[j] = j;
  }
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string unknown(const std::string& shown, std::string_view name,
                    const std::vector<OptionName>& options) {
  std::vector<std::string> names;
  names.reserve(options.size());
  for (const OptionName& o : options) {
    names.push_back(o.long_name);
  }
  std::string message;
  append_printf(message, tr("unknown option '%s'"), shown.c_str());
  const std::string close = closest_name(name, names);
  if (!close.empty()) {
    append_printf(message, tr("; did you mean '--%s'?"), close.c_str());
  }
  return message;
}

std::string needs_value(const OptionName& o) {
  std::string message;
  append_printf(message, tr("option '--%s' needs a value (%s)"), o.long_name.c_str(),
                o.value_name.c_str());
  return message;
}

bool is_option(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

}  // namespace

std::string closest_name(std::string_view typed, const std::vector<std::string>& names) {
  std::string best;
  std::size_t best_distance = 0;
  for (const std::string& name : names) {
    std::size_t d = distance(typed, name);
    if (typed.size() >= 2 && name.starts_with(typed)) {
      d = std::min<std::size_t>(d, 1);
    }
    // On a tie, the name that starts with the same letter.
    const bool tie_won =
        d == best_distance && !typed.empty() && name[0] == typed[0] && best[0] != typed[0];
    if (best.empty() || d < best_distance || tie_won) {
      best = name;
      best_distance = d;
    }
  }
  const std::size_t allowed = std::max<std::size_t>(2, typed.size() / 3);
  return best_distance <= allowed ? best : std::string();
}

std::string check_arguments(const std::vector<OptionName>& options,
                            const std::vector<std::string>& args) {
  for (std::size_t k = 0; k < args.size(); ++k) {
    const std::string& arg = args[k];
    if (arg == "--") {
      break;
    }
    if (!is_option(arg)) {
      continue;
    }
    const OptionName* found = nullptr;
    if (arg[1] == '-') {
      const std::size_t equals = arg.find('=');
      const std::string name = arg.substr(2, equals == std::string::npos ? equals : equals - 2);
      for (const OptionName& o : options) {
        found = o.long_name == name ? &o : found;
      }
      if (found == nullptr) {
        return unknown("--" + name, name, options);
      }
      std::string message;
      if (!found->takes_value && equals != std::string::npos) {
        append_printf(message, tr("option '--%s' takes no value"), name.c_str());
        return message;
      }
      if (found->takes_value && equals != std::string::npos && equals + 1 == arg.size()) {
        return needs_value(*found);
      }
      if (found->takes_value && equals == std::string::npos) {
        if (k + 1 == args.size() || is_option(args[k + 1])) {
          return needs_value(*found);
        }
        ++k;
      }
      continue;
    }
    // Short options, several flags together, the last one perhaps with its value.
    for (std::size_t c = 1; c < arg.size(); ++c) {
      found = nullptr;
      for (const OptionName& o : options) {
        found = o.short_name == arg[c] ? &o : found;
      }
      if (found == nullptr) {
        std::string message;
        append_printf(message, tr("unknown option '-%c'"), arg[c]);
        return message;
      }
      if (found->takes_value) {
        if (c + 1 == arg.size()) {
          if (k + 1 == args.size() || is_option(args[k + 1])) {
            return needs_value(*found);
          }
          ++k;
        }
        break;
      }
    }
  }
  return {};
}

}  // namespace batch
