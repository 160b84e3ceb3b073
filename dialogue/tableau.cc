#include "dialogue/dialogue.h"
void tableau(const Grid&) {}
