#include "dialogue/dialogue.h"
void entree(Grid&, Saisies&) {}
