// Throughput of the console layer over an in-memory platform: records per
// second through write_formatted and write_free_form, and values per second
// through read_int.
//
// The platform here is lighter than FakePlatform, which keeps every write: it
// only counts the bytes and calls written, and serves standard input from one
// buffer that starts over when it is used up, so that the loop never meets the
// end of the input. All three descriptors are files, the redirected
// arrangement of a run whose input and output are redirected.
//
// Counters: `records` (records per second), `values` (integer items read per
// second), `writes_per_record` (write calls on standard output per record,
// averaged over the run).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

#include "console/channel.h"
#include "console/console.h"
#include "console/platform.h"

namespace {

class CountingPlatform final : public console::Platform {
 public:
  // `input` is served over and over; it should end with a line end so that
  // the next round starts on a fresh line.
  explicit CountingPlatform(std::string input = {}) : input_(std::move(input)) {}

  bool is_char_device(int) override { return false; }

  console::WriteResult write(int fd, const char* data, std::size_t n) override {
    benchmark::DoNotOptimize(data);
    if (fd == console::kStdout) {
      ++writes;
      bytes += n;
    }
    return console::WriteResult::ok;
  }

  // Serves up to `n` bytes of the input, as a read of a regular file does,
  // and starts over at the end of the buffer.
  bool read(char* buffer, std::size_t n, std::size_t& count) override {
    if (input_.empty()) {
      count = 0;
      return true;
    }
    if (at_ == input_.size()) {
      at_ = 0;
    }
    count = std::min(n, input_.size() - at_);
    input_.copy(buffer, count, at_);
    at_ += count;
    return true;
  }

  // Reached only on a fatal error (end of input, a bad value), which the
  // benchmarks never cause.
  [[noreturn]] void exit_process(int32_t) override { std::abort(); }

  int64_t writes = 0;
  int64_t bytes = 0;

 private:
  std::string input_;
  std::size_t at_ = 0;
};

void report_output(benchmark::State& state, const CountingPlatform& platform,
                   int64_t records_per_statement) {
  const int64_t records = state.iterations() * records_per_statement;
  state.SetItemsProcessed(records);
  state.SetBytesProcessed(platform.bytes);
  state.counters["records"] =
      benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
  state.counters["writes_per_record"] =
      static_cast<double>(platform.writes) / static_cast<double>(records);
}

constexpr const char* kRow = "(I2,' ',3I3,'  . ',3I3,'  . ',3I3,/)";
constexpr const char* kIteration =
    "(' iteration:',I2,' on a trouve ',I2,'  carres, ',I2,' lignes et ',I2,' colonnes')";

// One grid row: ten items, two records (the row's text and an empty record).
void BM_WriteRow(benchmark::State& state) {
  CountingPlatform platform;
  console::open_console(platform);
  int32_t j = 0;
  for (auto _ : state) {
    j = j % 9 + 1;
    console::write_formatted(kRow, {j, 5, 3, 0, 0, 7, 0, 0, 0, j});
  }
  report_output(state, platform, 2);
}
BENCHMARK(BM_WriteRow);

// One iteration report line: four items, one record.
void BM_WriteIteration(benchmark::State& state) {
  CountingPlatform platform;
  console::open_console(platform);
  int32_t e = 0;
  for (auto _ : state) {
    e = e % 10 + 1;
    console::write_formatted(kIteration, {e, 12, 3, 10});
  }
  report_output(state, platform, 1);
}
BENCHMARK(BM_WriteIteration);

// One prompt: a free-form line, one record.
void BM_WriteFreeForm(benchmark::State& state) {
  CountingPlatform platform;
  console::open_console(platform);
  for (auto _ : state) {
    console::write_free_form("donnez i,j et la valeur");
  }
  report_output(state, platform, 1);
}
BENCHMARK(BM_WriteFreeForm);

void report_input(benchmark::State& state, int64_t values_per_statement) {
  const int64_t values = state.iterations() * values_per_statement;
  state.SetItemsProcessed(values);
  state.counters["values"] =
      benchmark::Counter(static_cast<double>(values), benchmark::Counter::kIsRate);
}

// Input made of `line` repeated `times` times.
std::string repeated(std::string_view line, int times) {
  std::string text;
  for (int n = 0; n < times; ++n) {
    text += line;
  }
  return text;
}

// The entry of one cell: a line "i j value", a statement of three items.
void BM_ReadCell(benchmark::State& state) {
  CountingPlatform platform(repeated("3 1 5\n", 1000));
  console::open_console(platform);
  int32_t i = 0;
  int32_t j = 0;
  int32_t value = 0;
  for (auto _ : state) {
    console::read_begin();
    console::read_int(i);
    console::read_int(j);
    console::read_int(value);
    console::read_end();
    benchmark::DoNotOptimize(value);
  }
  report_input(state, 3);
}
BENCHMARK(BM_ReadCell);

// A one-item answer (count, confirmation, menu): a line "2".
void BM_ReadAnswer(benchmark::State& state) {
  CountingPlatform platform(repeated("2\n", 1000));
  console::open_console(platform);
  int32_t answer = 0;
  for (auto _ : state) {
    console::read_begin();
    console::read_int(answer);
    console::read_end();
    benchmark::DoNotOptimize(answer);
  }
  report_input(state, 1);
}
BENCHMARK(BM_ReadAnswer);

}  // namespace
