// The command line in the program's own words: before the option parser
// sees the arguments, they are checked against the options it knows, so
// that every mistake gets a message that says what was wrong and what is
// allowed, in the user's language. The parser itself is not named here: the
// caller describes its options.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace batch {

struct OptionName {
  std::string long_name;  // without "--"
  char short_name = 0;    // 0 when none
  bool takes_value = false;
  std::string value_name;  // "N", "FORMAT"...
};

/// The message for the first mistake in `args` (without the program name):
/// an unknown option (with the closest known name), a value given to a flag,
/// an option's value missing or empty. Empty when there is none. Arguments
/// after "--", and "-" alone, are operands.
std::string check_arguments(const std::vector<OptionName>& options,
                            const std::vector<std::string>& args);

/// The name among `names` closest to `typed` (edit distance, a prefix
/// counts as close), or empty when none is close enough to be a likely typo.
std::string closest_name(std::string_view typed, const std::vector<std::string>& names);

}  // namespace batch
