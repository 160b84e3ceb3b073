// The parts of the pdf format that need no cairo: the leaves and the paper.
#include <langinfo.h>

#include <clocale>
#include <cstdint>

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
  // glibc gives the paper's width in millimetres (_NL_PAPER_WIDTH) as a
  // 32-bit word in the place of the text pointer, the rest of whose bytes
  // mean nothing; the locale was set from the environment at start.
  const auto width =
      static_cast<uint32_t>(reinterpret_cast<std::uintptr_t>(nl_langinfo(_NL_PAPER_WIDTH)));
  return width == 216 ? Paper::letter : Paper::a4;
}

}  // namespace batch
