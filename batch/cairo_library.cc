#include "batch/cairo_library.h"

#include <dlfcn.h>

namespace batch {
namespace {

// The soname of the library this build was compiled against: the one
// whose functions have the types above.
constexpr const char* kSoname = "libcairo.so.2";

struct Opened {
  CairoLibrary library;
  std::string why;  // empty when every function was found
};

Opened open_library() {
  Opened o;
  void* handle = dlopen(kSoname, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* error = dlerror();
    o.why = error != nullptr ? error : kSoname;
    return o;
  }
  // dlsym gives an object pointer; POSIX guarantees it converts to the
  // function's pointer type.
#define SUDOKU_CAIRO_FIND(name)                                            \
  if (o.why.empty()) {                                                     \
    void* symbol = dlsym(handle, "cairo_" #name);                          \
    if (symbol == nullptr) {                                               \
      o.why = std::string(kSoname) + ": no function cairo_" #name;         \
    } else {                                                               \
      o.library.name = reinterpret_cast<decltype(o.library.name)>(symbol); \
    }                                                                      \
  }
  SUDOKU_CAIRO_FUNCTIONS(SUDOKU_CAIRO_FIND)
#undef SUDOKU_CAIRO_FIND
  return o;
}

}  // namespace

const CairoLibrary* cairo_library(std::string& why) {
  static const Opened opened = open_library();
  if (!opened.why.empty()) {
    why = opened.why;
    return nullptr;
  }
  return &opened.library;
}

}  // namespace batch
