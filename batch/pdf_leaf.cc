// The parts of the pdf format that need no cairo: the leaves and the paper.
#include <langinfo.h>

#include <clocale>

#include "batch/pdf_writer.h"

namespace batch {

void make_leaf(const WriteOptions& options, const Caption& caption, const Result& result,
               Leaf& leaf) {
  make_picture(options.hint ? View::hint : View::givens, caption, result, leaf.front);
  if (has_answers(options)) {
    make_picture(options.explain ? View::explain : View::result, caption, result, leaf.back);
  }
}

Paper locale_paper() {
  // glibc gives the paper's size in millimetres (_NL_PAPER_WIDTH); the
  // locale was set from the environment at start.
  const auto width = reinterpret_cast<std::intptr_t>(nl_langinfo(_NL_PAPER_WIDTH));
  return width == 216 ? Paper::letter : Paper::a4;
}

}  // namespace batch
