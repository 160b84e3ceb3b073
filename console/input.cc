// Console integer input (to be written).
#include <cstdlib>

#include "console/console.h"

namespace console {

void read_begin() { std::abort(); }
void read_int(int32_t&) { std::abort(); }
void read_end() { std::abort(); }

}  // namespace console
