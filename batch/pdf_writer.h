// The pdf format: a printable book drawn through cairo. Grids go on the
// pages in output order, `per_page` a page (1, 2, 4 or 6), each numbered
// and captioned with its source; every page carries its number. With
// --count or --explain the book goes on with the answers, numbered to match:
// the solutions, and for --explain each placement's step and iteration.
// A page is written as soon as it is full; the answers wait in a spool (a
// temporary file), so memory stays flat however long the book. The paper is
// A4 or Letter.
//
// The writer draws on the main thread, in output order: the workers make the
// leaves (make_leaf), the driver hands them over. Built without cairo, the
// book cannot open and says so.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "batch/picture.h"
#include "batch/solve.h"
#include "batch/writers.h"

namespace batch {

// What the book draws of one puzzle: the puzzle on the front pages, its
// answer on the back pages.
struct Leaf {
  Picture front;
  Picture back;
};

/// Whether this build can write PDF.
bool pdf_available();

/// Whether the book has answer pages for `options`; made puzzles come with
/// their solutions, as counted ones do.
inline bool has_answers(const WriteOptions& options) {
  return options.count || options.explain || options.made;
}

/// Works out the leaf of `result`: the puzzle as given (with the next move
/// marked for --hint), and when the book has answers, the answer.
void make_leaf(const WriteOptions& options, const Caption& caption, const Result& result,
               Leaf& leaf);

/// The paper of the locale's LC_PAPER (Letter for 216 x 279 mm, else A4).
Paper locale_paper();

class Book {
 public:
  explicit Book(const WriteOptions& options);
  Book(const Book&) = delete;
  Book& operator=(const Book&) = delete;
  ~Book();

  /// Starts the document. False, with the reason in `why`, when it cannot.
  bool open(std::string& why);
  /// Draws `leaf`; the bytes of the pages it completes are appended to `out`.
  void add(const Leaf& leaf, std::string& out);
  /// Ends the front pages, draws the answer pages and ends the document,
  /// handing its bytes to `write` page by page (it returns false to stop).
  /// False, with `why`, on a failure of the book's own.
  bool finish(const std::function<bool(std::string_view)>& write, std::string& why);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace batch
