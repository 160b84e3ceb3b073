#include "console/console.h"

namespace console {

void start_run(void (*main_program)()) { start_run(posix_platform(), main_program); }

}  // namespace console
