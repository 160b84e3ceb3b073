// The words of the batch program for people: refusals, explanations of
// placements, and the gettext seam. Machine formats ask for the English
// text (`translate` false) so that their contents never depend on the locale.
#pragma once

#include <string>

#include "batch/record.h"
#include "batch/solve.h"
#include "solver/rapide.h"

namespace batch {

/// The message catalogue's text for `english` (through gettext, domain
/// "sudoku-batch").
const char* tr(const char* english);
/// The catalogue's singular or plural of a text for the number `n` (through
/// gettext's plural forms).
const char* trn(const char* singular, const char* plural, unsigned long n);
/// Marks a text for the catalogue without translating it here.
constexpr const char* tr_noop(const char* english) { return english; }

/// Sets the locale from the environment and binds the catalogue: from
/// SUDOKU_BATCH_LOCALEDIR when set, else from `dir`.
void start_messages(const char* dir);

/// Appends why `record` was refused, without place.
void append_refusal(const Record& record, bool translate, std::string& out);

/// Appends the sentence that explains `p`, e.g. "7 has only one place in
/// column 3: (3,5)". `overwrites` is the digit already in the cell (written
/// by the same scan), 0 when the cell was empty.
void append_explanation(const Placement& p, int overwrites, std::string& out);

/// Appends what `d` says, e.g. "7 repeated in column 3".
void append_doublon(const Doublon& d, std::string& out);

/// Appends `format` with %d-style arguments formatted by snprintf.
void append_printf(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

/// The box of cell (i, j), numbered 1..9 line by line from the top left.
int box_number(int i, int j);

}  // namespace batch
