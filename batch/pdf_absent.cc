// The pdf format in a build without cairo: the book cannot open.
#include "batch/messages.h"
#include "batch/pdf_writer.h"

namespace batch {

struct Book::State {};

bool pdf_available() { return false; }

Book::Book(const WriteOptions& /*options*/) {}

Book::~Book() = default;

bool Book::open(std::string& why) {
  why = tr("this sudoku-batch was built without PDF output (cairo)");
  return false;
}

void Book::add(const Leaf& /*leaf*/, std::string& /*out*/) {}

bool Book::finish(const std::function<bool(std::string_view)>& /*write*/, std::string& /*why*/) {
  return false;
}

}  // namespace batch
