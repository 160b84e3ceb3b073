// Formatted record output (to be written).
#include <cstdlib>

#include "console/console.h"

namespace console {

void write_formatted(std::string_view, std::span<const int32_t>) { std::abort(); }
void write_formatted(const char*, std::span<const int32_t>) { std::abort(); }
void write_formatted(const char*, std::initializer_list<int32_t>) { std::abort(); }

}  // namespace console
