#include "batch/driver.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

#include "batch/dialogue_writer.h"
#include "batch/messages.h"
#include "batch/pdf_writer.h"
#include "batch/reader.h"
#include "batch/solve.h"
#include "batch/spool.h"
#include "batch/svg_writer.h"

namespace batch {
namespace {

using Clock = std::chrono::steady_clock;

// Bytes per read. Larger blocks save no time: each first touch of a fresh
// page of the block costs a page fault, dear on some machines (32 KiB, eight
// pages, read a large file as fast as 64 KiB did, and a small one faster).
constexpr std::size_t kBlock = std::size_t{1} << 15;
constexpr std::size_t kChunk = 256;  // records per chunk
// Puzzles per chunk when making them: deep ones take long enough each for
// the output to follow them one by one.
constexpr std::size_t kMadeChunk = 64;
constexpr int32_t kDeep = 6;

// The signal (SIGINT or SIGTERM) that asked the run to stop, or 0. Lock-free,
// so the handler may set it, and atomic, so the workers that make puzzles
// see it.
std::atomic<int> g_stop{0};
static_assert(std::atomic<int>::is_always_lock_free);

void on_stop_signal(int signal) { g_stop = signal; }

// SIGINT and SIGTERM stop the run between records, and a puzzle being made;
// a read they interrupt returns at once (no SA_RESTART).
void catch_stop_signals() {
  struct sigaction action {};
  action.sa_handler = on_stop_signal;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

// Whether descriptors a and b are the same terminal.
bool same_terminal(int a, int b) {
  struct stat sa {};
  struct stat sb {};
  return ::isatty(a) == 1 && ::isatty(b) == 1 && ::fstat(a, &sa) == 0 && ::fstat(b, &sb) == 0 &&
         sa.st_rdev == sb.st_rdev;
}

struct Stats {
  uint64_t puzzles = 0;
  uint64_t refused = 0;
  uint64_t verdicts[3] = {};
  uint64_t solutions[3] = {};
  uint64_t iterations[11] = {};  // puzzles by the number of iterations run
  uint64_t givens = 0;           // made puzzles: the givens of all, the fewest, the most
  int32_t givens_min = 81;
  int32_t givens_max = 0;

  void add(const Stats& other) {
    puzzles += other.puzzles;
    givens += other.givens;
    givens_min = std::min(givens_min, other.givens_min);
    givens_max = std::max(givens_max, other.givens_max);
    refused += other.refused;
    for (int k = 0; k < 3; ++k) {
      verdicts[k] += other.verdicts[k];
      solutions[k] += other.solutions[k];
    }
    for (int k = 0; k < 11; ++k) {
      iterations[k] += other.iterations[k];
    }
  }
};

struct Chunk {
  // Room for a whole chunk from the start: the records, and the text of a
  // chunk of one-line results, which would otherwise be copied to ever
  // larger strings while the first chunk is written (each fresh page of
  // memory costs a fault; a page reserved and never written costs nothing).
  Chunk() {
    records.reserve(kChunk);
    out.reserve(kChunk * 192);
  }

  std::vector<Record> records;
  uint64_t first = 1;        // the number of its first puzzle in the run
  std::vector<Leaf> leaves;  // pdf: what the book draws, in order
  // Made puzzles: the captions' notes, which the leaves see until the chunk
  // is written (a deque keeps them in place as it grows).
  std::deque<std::string> notes;
  std::string out;
  std::string err;
  std::string trailer;  // a message from reading, written after `err`
  Stats stats;
  bool done = false;
  bool short_of_time = false;  // made puzzles: the time limit passed before the chunk's end
};

// Writes to a descriptor and keeps the first error; nothing is written after it.
class Output {
 public:
  explicit Output(int fd) : fd_(fd) {}

  bool write(std::string_view bytes) {
    if (error_ == 0) {
      error_ = write_all(fd_, bytes);
    }
    return error_ == 0;
  }
  int error() const { return error_; }

 private:
  int fd_;
  int error_ = 0;
};

// The inputs in command-line order, read in large blocks, handed out as
// records.
class Inputs {
 public:
  // `text[k]`: operand k is itself the text of puzzles, not a file name.
  Inputs(const std::vector<std::string>& operands, const std::vector<bool>& text)
      : operands_(operands), text_(text), block_(new char[kBlock]) {
    for (std::size_t k = 0; k < operands_.size(); ++k) {
      const std::string& name = operands_[k];
      struct stat st {};
      if (text_[k]) {
        continue;
      }
      const int got = name == "-" ? ::fstat(0, &st) : ::stat(name.c_str(), &st);
      if (got == 0 && S_ISREG(st.st_mode)) {
        total_ += static_cast<uint64_t>(st.st_size);
      } else {
        sized_ = false;
      }
    }
  }
  Inputs(const Inputs&) = delete;
  Inputs& operator=(const Inputs&) = delete;
  ~Inputs() { close_current(); }

  /// Adds records to `chunk` until it holds kChunk or an input fails (its
  /// message then goes to chunk.trailer). False once every input is read.
  bool fill(Chunk& chunk) {
    idle_ = false;
    while (chunk.records.size() < kChunk) {
      if (g_stop != 0) {
        return false;
      }
      if (!open_) {
        if (next_ == operands_.size()) {
          return false;
        }
        if (!open_next(chunk)) {
          return true;
        }
        continue;
      }
      Record record;
      if (reader_.next(record)) {
        chunk.records.push_back(record);
        ++records_;
        continue;
      }
      if (ended_) {
        close_current();
        continue;
      }
      if (!regular_ && !chunk.records.empty() && !readable_now()) {
        // A terminal or a pipe that has nothing more for now: hand over what
        // is read, so that a person who pastes a puzzle sees its result.
        idle_ = true;
        return true;
      }
      const ssize_t n = ::read(fd_, block_.get(), kBlock);
      if (n > 0) {
        bytes_ += static_cast<uint64_t>(n);
        reader_.feed(block_.get(), static_cast<std::size_t>(n));
      } else if (n == 0) {
        reader_.end_of_input();
        ended_ = true;
      } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
        pollfd p{fd_, POLLIN, 0};  // a descriptor left non-blocking: wait for it
        ::poll(&p, 1, -1);
      } else if (errno != EINTR) {
        cannot_read(operands_[current_], errno, chunk);
        reader_.drop_partial_line();
        reader_.end_of_input();
        ended_ = true;
        return true;
      }
    }
    return true;
  }

  /// True when the last fill stopped because the input had nothing more for
  /// now: what is in flight should be written before waiting for it.
  bool idle() const { return idle_; }
  bool trouble() const { return trouble_; }
  uint64_t bytes() const { return bytes_; }
  uint64_t records() const { return records_; }
  uint64_t total() const { return sized_ ? total_ : 0; }

 private:
  bool open_next(Chunk& chunk) {
    current_ = next_++;
    const std::string& name = operands_[current_];
    const auto source = static_cast<uint32_t>(current_);
    if (text_[current_]) {
      // Read as an input of its own: a puzzle, or what is wrong with it.
      Reader reader(source);
      reader.feed(name.data(), name.size());
      reader.end_of_input();
      Record record;
      while (reader.next(record)) {
        record.line = current_ + 1;
        chunk.records.push_back(record);
        ++records_;
      }
      return true;
    }
    if (name == "-") {
      fd_ = 0;
    } else {
      fd_ = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
      if (fd_ < 0) {
        cannot_read(name, errno, chunk);
        return false;
      }
    }
    struct stat st {};
    regular_ = ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
    reader_ = Reader(source);
    open_ = true;
    ended_ = false;
    return true;
  }

  bool readable_now() const {
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, 0) != 0;
  }

  void close_current() {
    if (open_ && fd_ > 0) {
      ::close(fd_);
    }
    open_ = false;
    fd_ = -1;
  }

  void cannot_read(const std::string& name, int error, Chunk& chunk) {
    trouble_ = true;
    chunk.trailer += "sudoku-batch: ";
    if (name.empty()) {
      chunk.trailer += "''";  // an empty operand, named as other tools name it
    } else {
      append_escaped(name, chunk.trailer);
    }
    chunk.trailer += ": ";
    chunk.trailer += std::strerror(error);
    chunk.trailer += '\n';
  }

  const std::vector<std::string>& operands_;
  const std::vector<bool>& text_;
  std::unique_ptr<char[]> block_;
  std::size_t next_ = 0;
  std::size_t current_ = 0;
  int fd_ = -1;
  bool open_ = false;
  bool ended_ = false;
  bool regular_ = false;
  bool idle_ = false;
  Reader reader_;
  bool trouble_ = false;
  uint64_t bytes_ = 0;
  uint64_t records_ = 0;  // records read from files
  uint64_t total_ = 0;
  bool sized_ = true;
};

// The puzzles to make, handed out as records that carry only their number
// (the line, from 1).
class Numbers {
 public:
  Numbers(uint64_t total, std::size_t per_chunk) : total_(total), per_chunk_(per_chunk) {}
  /// Adds the next numbers to `chunk`; false once the last is handed out.
  bool fill(Chunk& chunk) {
    while (chunk.records.size() < per_chunk_ && next_ < total_) {
      Record record;
      record.line = ++next_;
      chunk.records.push_back(record);
    }
    return next_ < total_;
  }

 private:
  uint64_t total_;
  std::size_t per_chunk_;
  uint64_t next_ = 0;
};

// What every chunk needs to be solved and written; read-only once the run
// has started.
struct Context {
  const Config& config;
  std::vector<std::string> sources;  // the source name of each operand
  SolveOptions solve;
  Deadline deadline = Deadline::max();
};

void report_refusal(const Context& cx, const Record& record, std::string& err) {
  append_escaped(cx.sources[record.source], err);
  err += ':';
  append_number(record.line, err);
  err += ": ";
  append_refusal(record, true, err);
  err += '\n';
}

// A made puzzle's facts for its picture's caption, e.g. "iterations 4, 24
// givens".
std::string made_note(const Result& result) {
  std::string note;
  if (result.verdict == Verdict::trouve) {
    append_printf(note, tr("iterations %d, %d givens"), result.etat.niter, result.origin.givens);
  } else {
    append_printf(note, tr("beyond the forced placements, %d givens"), result.origin.givens);
  }
  if (result.origin.symmetry != Symmetry::none) {
    append_printf(note, tr(", symmetry %s"), symmetry_name(result.origin.symmetry));
  }
  return note;
}

// Makes the puzzle numbered record.line into `record`; false when the time
// limit passes or a signal stops the run first.
bool make(const Context& cx, Record& record, Made& made) {
  if (!generate(cx.config.demand, cx.config.seed, record.line - 1, cx.deadline, made, &g_stop)) {
    return false;
  }
  for (int k = 0; k < 81; ++k) {
    record.cells[k] = static_cast<uint8_t>(made.puzzle.cells[k]);
  }
  return true;
}

void process(const Context& cx, Chunk& chunk, Result& result) {
  const WriteOptions& options = cx.config.write;
  uint64_t number = chunk.first;
  Made made;
  for (Record& record : chunk.records) {
    if (cx.config.generate > 0 && !make(cx, record, made)) {
      chunk.short_of_time = true;
      break;
    }
    const std::string& source = cx.sources[record.source];
    if (!record.puzzle()) {
      ++chunk.stats.refused;
      write_refusal(cx.config.write, source, record, chunk.out);
      report_refusal(cx, record, chunk.err);
      continue;
    }
    solve(record, cx.solve, result);
    Stats& s = chunk.stats;
    std::string_view note;
    if (cx.config.generate > 0) {
      result.origin = {true, cx.config.seed, made.symmetry, made.givens};
      s.givens += static_cast<uint64_t>(made.givens);
      s.givens_min = std::min(s.givens_min, made.givens);
      s.givens_max = std::max(s.givens_max, made.givens);
      note = chunk.notes.emplace_back(made_note(result));
    }
    const Caption caption{source, record.line, number++, note};
    if (options.format == Format::svg) {
      write_svg_puzzle(options, caption, result, chunk.out);
    } else if (options.format == Format::pdf) {
      chunk.leaves.emplace_back();
      make_leaf(options, caption, result, chunk.leaves.back());
    } else {
      write_result(options, source, record.line, result, chunk.out);
    }
    ++s.puzzles;
    ++s.verdicts[static_cast<int>(result.verdict)];
    ++s.iterations[std::clamp<int32_t>(result.etat.niter, 0, 10)];
    if (result.solutions >= 0) {
      ++s.solutions[std::min<int32_t>(result.solutions, 2)];
    }
  }
}

// The dialogue's answers, in input order, on the main thread.
void process_dialogue(const Context& cx, DialogueWriter& writer, Chunk& chunk) {
  for (const Record& record : chunk.records) {
    if (!record.puzzle()) {
      ++chunk.stats.refused;
      report_refusal(cx, record, chunk.err);
      continue;
    }
    ++chunk.stats.puzzles;
    writer.write(record, chunk.out);
  }
}

std::string seconds_text(double seconds) {
  std::string text;
  if (seconds >= 60) {
    append_printf(text, tr("%d min %02d s"), static_cast<int>(seconds) / 60,
                  static_cast<int>(seconds) % 60);
  } else {
    // Rounded half up, as lround does for a time (never negative), without
    // the maths library.
    append_printf(text, tr("%d s"), static_cast<int>(2 * seconds + 1) / 2);
  }
  return text;
}

// The progress line on a terminal, redrawn at most five times a second once
// the run has lasted a second.
class Progress {
 public:
  Progress(bool enabled, Clock::time_point start) : enabled_(enabled), start_(start) {}

  // `done` records written; `read` records read from `bytes` bytes of the
  // `total` of the inputs (0 when unknown).
  void update(uint64_t done, uint64_t read, uint64_t bytes, uint64_t total, Output& err) {
    if (!enabled_) {
      return;
    }
    const Clock::time_point now = Clock::now();
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    if (elapsed < 1.0 || now - last_ < std::chrono::milliseconds(200)) {
      return;
    }
    last_ = now;
    std::string line = "\r\033[K";
    append_printf(line, trn("%llu puzzle, %.0f/s", "%llu puzzles, %.0f/s", done),
                  static_cast<unsigned long long>(done), static_cast<double>(done) / elapsed);
    if (total > 0 && read > 0 && done > 0 && bytes <= total) {
      // Reading runs ahead of writing: the bytes behind the records written.
      const double behind = static_cast<double>(bytes) * static_cast<double>(std::min(done, read)) /
                            static_cast<double>(read);
      const double left = elapsed * (static_cast<double>(total) - behind) / behind;
      line += ", ";
      append_printf(line, tr("%s left"), seconds_text(left).c_str());
    }
    shown_ = true;
    err.write(line);
  }

  // Clears the line before other text goes to standard error.
  void clear(Output& err) {
    if (shown_) {
      err.write("\r\033[K");
      shown_ = false;
    }
  }

 private:
  bool enabled_;
  Clock::time_point start_;
  Clock::time_point last_{};
  bool shown_ = false;
};

void write_made_summary(const Config& config, const Stats& s, double seconds, Output& err) {
  std::string text;
  append_printf(text, tr("seed: %llu\n"), static_cast<unsigned long long>(config.seed));
  append_printf(text, tr("puzzles made: %llu of %llu\n"),
                static_cast<unsigned long long>(s.puzzles),
                static_cast<unsigned long long>(config.generate));
  if (s.puzzles > 0) {
    text += tr("iterations run:");
    for (int e = 1; e <= 10; ++e) {
      if (s.iterations[e] > 0) {
        append_printf(text, " %d: %llu", e, static_cast<unsigned long long>(s.iterations[e]));
      }
    }
    text += '\n';
    append_printf(text, tr("givens: %d to %d, %.1f on average\n"), s.givens_min, s.givens_max,
                  static_cast<double>(s.givens) / static_cast<double>(s.puzzles));
  }
  const double rate = seconds > 0 ? static_cast<double>(s.puzzles) / seconds : 0;
  // Deep puzzles come slower than one a second: two decimals then.
  append_printf(text, tr("time: %.3f s, %.*f puzzles/s\n"), seconds, rate < 10 ? 2 : 0, rate);
  err.write(text);
}

void write_summary(const Stats& s, bool solved, bool counted, double seconds, Output& err) {
  std::string text;
  append_printf(text, tr("puzzles: %llu, refused lines: %llu\n"),
                static_cast<unsigned long long>(s.puzzles),
                static_cast<unsigned long long>(s.refused));
  if (solved) {
    for (int v = 0; v < 3; ++v) {
      append_printf(text, "  %s: %llu\n", verdict_text(static_cast<Verdict>(v)),
                    static_cast<unsigned long long>(s.verdicts[v]));
    }
    text += tr("iterations run:");
    for (int e = 1; e <= 10; ++e) {
      if (s.iterations[e] > 0) {
        append_printf(text, " %d: %llu", e, static_cast<unsigned long long>(s.iterations[e]));
      }
    }
    text += '\n';
  }
  if (counted) {
    append_printf(text, tr("solutions: none: %llu, one: %llu, two or more: %llu\n"),
                  static_cast<unsigned long long>(s.solutions[0]),
                  static_cast<unsigned long long>(s.solutions[1]),
                  static_cast<unsigned long long>(s.solutions[2]));
  }
  const double rate = seconds > 0 ? static_cast<double>(s.puzzles + s.refused) / seconds : 0;
  append_printf(text, tr("time: %.3f s, %.0f records/s\n"), seconds, rate);
  err.write(text);
}

// Worker threads that process chunks in any order; the main thread writes
// them in the order it queued them and, if asked to, processes the chunks no
// worker has taken yet while it waits.
class Pool {
 public:
  Pool(const Context& cx, unsigned threads, bool helps)
      : cx_(cx), own_(helps ? std::make_unique<Result>() : nullptr) {
    // The workers leave SIGINT and SIGTERM to the main thread, whose reads
    // they must interrupt.
    sigset_t stop;
    sigset_t old;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &stop, &old);
    for (unsigned t = 0; t < threads; ++t) {
      threads_.emplace_back([this] { work(); });
    }
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
  }
  Pool(const Pool&) = delete;
  Pool& operator=(const Pool&) = delete;
  ~Pool() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      closing_ = true;
    }
    work_cv_.notify_all();
    for (std::thread& t : threads_) {
      t.join();
    }
  }

  void submit(Chunk* chunk) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      chunk->done = false;
      queue_.push_back(chunk);
    }
    work_cv_.notify_one();
  }

  // Waits until `chunk` is done; meanwhile a helping caller processes the
  // chunks no worker has taken yet, oldest first.
  void wait(Chunk* chunk) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!chunk->done) {
      if (own_ == nullptr || queue_.empty()) {
        done_cv_.wait(lock, [chunk] { return chunk->done; });
        break;
      }
      Chunk* next = queue_.front();
      queue_.pop_front();
      lock.unlock();
      process(cx_, *next, *own_);
      lock.lock();
      next->done = true;
    }
  }

 private:
  void work() {
    auto result = std::make_unique<Result>();
    for (;;) {
      Chunk* chunk = nullptr;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        work_cv_.wait(lock, [this] { return closing_ || !queue_.empty(); });
        if (queue_.empty()) {
          return;
        }
        chunk = queue_.front();
        queue_.pop_front();
      }
      process(cx_, *chunk, *result);
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        chunk->done = true;
      }
      done_cv_.notify_all();
    }
  }

  const Context& cx_;
  const std::unique_ptr<Result> own_;  // the helping caller's, when it helps
  std::mutex mutex_;
  std::condition_variable work_cv_;
  std::condition_variable done_cv_;
  std::deque<Chunk*> queue_;
  bool closing_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace

bool is_puzzle_operand(const std::string& operand) {
  return operand.size() == 81 && std::all_of(operand.begin(), operand.end(), [](char c) {
           return (c >= '0' && c <= '9') ||
                  std::string_view("._*xX-").find(c) != std::string_view::npos;
         });
}

int run(const Config& config) {
  const Clock::time_point start = Clock::now();
  std::vector<std::string> operands = config.operands;
  if (operands.empty()) {
    operands.emplace_back("-");
  }
  Context cx{config, {}, {}, Deadline::max()};
  std::vector<bool> as_text;  // operands read as the text of puzzles
  bool typed = false;         // puzzles are read from a terminal
  for (const std::string& name : operands) {
    struct stat st {};
    as_text.push_back(is_puzzle_operand(name) ||
                      (name != "-" && looks_like_puzzle(name) && ::stat(name.c_str(), &st) != 0));
    cx.sources.push_back(as_text.back() ? kArgumentSource : name);
    typed = typed || (name == "-" && ::isatty(0) == 1);
  }
  if (config.generate > 0) {
    // Made puzzles come from the seed: pictures are captioned "seed S:N".
    cx.sources.assign(1, "seed " + std::to_string(config.seed));
  }
  cx.solve.count = config.write.count || config.generate > 0;
  cx.solve.journal = config.write.explain || config.write.hint;
  if (config.time_limit > 0) {
    cx.deadline = start + std::chrono::duration_cast<Clock::duration>(
                              std::chrono::duration<double>(config.time_limit));
  }

  Output out(1);
  Output err(2);
  // The pictures: an SVG document's start names its height, so its frames
  // wait in a spool until the last; a PDF book is drawn page by page.
  const bool svg = !config.dialogue && config.write.format == Format::svg;
  const bool pdf = !config.dialogue && config.write.format == Format::pdf;
  Spool frames;
  std::unique_ptr<Book> book;
  std::string why;
  if (pdf && ::isatty(1) == 1) {
    why = tr("a PDF is not written to a terminal; redirect the output to a file");
  } else if (pdf) {
    book = std::make_unique<Book>(config.write);
    book->open(why);
  } else if (svg && !frames.open()) {
    append_printf(why, tr("cannot make a temporary file in %s: %s"), frames.folder().c_str(),
                  std::strerror(frames.error()));
  }
  if (!why.empty()) {
    err.write("sudoku-batch: " + why + "\n");
    return 2;
  }
  catch_stop_signals();
  if (config.operands.empty() && typed && !config.quiet && config.generate == 0) {
    err.write(
        tr("sudoku-batch: reading puzzles from the terminal; end with Ctrl-D at the start "
           "of a line\n"));
  }
  const std::vector<std::string> no_operands;
  const std::vector<bool> no_text;
  Inputs inputs(config.generate > 0 ? no_operands : operands,
                config.generate > 0 ? no_text : as_text);
  Numbers numbers(config.generate,
                  config.demand.iterations_min >= kDeep ? std::size_t{1} : kMadeChunk);
  auto fill = [&](Chunk& chunk) {
    return config.generate > 0 ? numbers.fill(chunk) : inputs.fill(chunk);
  };
  bool short_of_time = false;
  // Never on the terminal the records go to, nor while puzzles are typed.
  Progress progress(
      !config.quiet && ::isatty(2) == 1 && !same_terminal(1, 2) && !(typed && config.generate == 0),
      start);
  Stats stats;
  uint64_t numbered = 0;  // puzzles handed to the workers so far

  std::string header;
  if (!config.dialogue) {
    write_header(config.write, header);
  }
  out.write(header);

  auto stopped = [&] {
    return out.error() != 0 || frames.error() != 0 || short_of_time || g_stop != 0;
  };
  auto number = [&numbered](Chunk& chunk) {
    chunk.first = numbered + 1;
    numbered += static_cast<uint64_t>(std::count_if(chunk.records.begin(), chunk.records.end(),
                                                    [](const Record& r) { return r.puzzle(); }));
  };
  // Once a chunk came short of time, nothing after it is written: the
  // output is the puzzles made in order up to there.
  auto commit = [&](Chunk& chunk) {
    if (stopped()) {
      return;
    }
    short_of_time = chunk.short_of_time;
    if (svg) {
      frames.write(chunk.out);
    } else {
      for (const Leaf& leaf : chunk.leaves) {
        book->add(leaf, chunk.out);
      }
      out.write(chunk.out);
    }
    if (!chunk.err.empty() || !chunk.trailer.empty()) {
      progress.clear(err);
      err.write(chunk.err);
      err.write(chunk.trailer);
    }
    stats.add(chunk.stats);
    if (config.generate > 0) {
      progress.update(stats.puzzles, config.generate, config.generate, config.generate, err);
    } else {
      progress.update(stats.puzzles + stats.refused, inputs.records(), inputs.bytes(),
                      inputs.total(), err);
    }
  };
  auto reset = [](Chunk& chunk) {
    chunk.records.clear();
    chunk.leaves.clear();
    chunk.notes.clear();
    chunk.out.clear();
    chunk.err.clear();
    chunk.trailer.clear();
    chunk.stats = Stats{};
    chunk.short_of_time = false;
  };

  const unsigned jobs = config.dialogue ? 1 : std::max(1U, config.jobs);
  if (jobs == 1) {
    auto result = std::make_unique<Result>();
    DialogueWriter dialogue;
    Chunk chunk;
    bool more = true;
    while (more && !stopped()) {
      reset(chunk);
      more = fill(chunk);
      number(chunk);
      if (config.dialogue) {
        process_dialogue(cx, dialogue, chunk);
      } else {
        process(cx, chunk, *result);
      }
      commit(chunk);
    }
    if (config.dialogue) {
      std::string last;
      dialogue.finish(last);
      out.write(last);
    }
  } else {
    // At most two chunks per thread in flight: memory stays flat.
    const std::size_t in_flight_max = 2 * static_cast<std::size_t>(jobs);
    std::vector<std::unique_ptr<Chunk>> spare;
    std::deque<std::unique_ptr<Chunk>> in_flight;
    // Solving, the main thread is one of the `jobs` threads: between its
    // reads and writes it processes chunks too, so that no third thread
    // competes for two processors. A puzzle being made can take minutes, and
    // the main thread stays free to write each one as soon as it is made.
    const bool helps = config.generate == 0;
    Pool pool(cx, helps ? jobs - 1 : jobs, helps);
    bool more = true;
    while (more && !stopped()) {
      std::unique_ptr<Chunk> chunk;
      if (!spare.empty()) {
        chunk = std::move(spare.back());
        spare.pop_back();
      } else {
        chunk = std::make_unique<Chunk>();
      }
      reset(*chunk);
      more = fill(*chunk);
      number(*chunk);
      pool.submit(chunk.get());
      in_flight.push_back(std::move(chunk));
      while (in_flight.size() >= in_flight_max ||
             ((!more || inputs.idle()) && !in_flight.empty())) {
        pool.wait(in_flight.front().get());
        commit(*in_flight.front());
        spare.push_back(std::move(in_flight.front()));
        in_flight.pop_front();
      }
    }
    for (const std::unique_ptr<Chunk>& chunk : in_flight) {
      pool.wait(chunk.get());
    }
  }

  progress.clear(err);
  if (g_stop != 0) {
    return 128 + g_stop;
  }
  // A run short of time still ends its document: the puzzles made so far.
  const bool whole = out.error() == 0 && frames.error() == 0;
  if (svg && whole) {
    std::string text;
    write_svg_header(config.write, stats.puzzles, text);
    out.write(text);
    frames.replay(kBlock, [&out](std::string_view bytes) { return out.write(bytes); });
    text.clear();
    write_svg_footer(text);
    out.write(text);
  } else if (pdf && whole) {
    book->finish([&out](std::string_view bytes) { return out.write(bytes); }, why);
  }
  if (frames.error() != 0) {
    append_printf(why, tr("cannot use the temporary file: %s"), std::strerror(frames.error()));
  }
  int status = stats.refused > 0 ? 1 : 0;
  if (inputs.trouble()) {
    status = 2;
  }
  if (!why.empty() && out.error() == 0) {
    err.write("sudoku-batch: " + why + "\n");
    status = 2;
  }
  if (out.error() != 0) {
    std::string message;
    append_printf(message, tr("sudoku-batch: cannot write the output: %s\n"),
                  std::strerror(out.error()));
    err.write(message);
    return 2;
  }
  if (short_of_time) {
    std::string message;
    append_printf(message, tr("sudoku-batch: time limit reached: %llu of %llu puzzles made\n"),
                  static_cast<unsigned long long>(stats.puzzles),
                  static_cast<unsigned long long>(config.generate));
    err.write(message);
    status = 1;
  }
  if (config.stats) {
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (config.generate > 0) {
      write_made_summary(config, stats, seconds, err);
    } else {
      write_summary(stats, !config.dialogue, config.write.count && !config.dialogue, seconds, err);
    }
  }
  return status;
}

}  // namespace batch
