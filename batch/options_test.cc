// The argument check on a table of command lines, and the closest names.
#include "batch/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace batch {
namespace {

TEST(Options, EveryMistakeNamed) {
  const std::vector<OptionName> options = {
      {"format", 'f', true, "FORMAT"}, {"count", 'c', false, ""}, {"jobs", 'j', true, "N"},
      {"quiet", 'q', false, ""},       {"hint", 0, false, ""},
  };
  const struct {
    std::vector<std::string> args;
    std::string message;
  } rows[] = {
      {{"-f", "csv", "--count", "-cqj4", "-", "file", "--", "--nothing"}, ""},
      {{"--jobs=0", "-j", "2", "--format=line"}, ""},
      {{"--cuont"}, "unknown option '--cuont'; did you mean '--count'?"},
      {{"--hnt=1"}, "unknown option '--hnt'; did you mean '--hint'?"},
      {{"--verbose"}, "unknown option '--verbose'"},
      {{"-cx"}, "unknown option '-x'"},
      {{"--count=0"}, "option '--count' takes no value"},
      {{"--jobs=", "4"}, "option '--jobs' needs a value (N)"},
      {{"--jobs", "--count"}, "option '--jobs' needs a value (N)"},
      {{"-cj"}, "option '--jobs' needs a value (N)"},
      {{"file", "--format"}, "option '--format' needs a value (FORMAT)"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.args.front());
    EXPECT_EQ(check_arguments(options, row.args), row.message);
  }
  EXPECT_EQ(closest_name("jsn", {"csv", "jsonl", "line", "text"}), "jsonl");
  EXPECT_EQ(closest_name("xml", {"csv", "jsonl", "line", "text"}), "");
}

}  // namespace
}  // namespace batch
