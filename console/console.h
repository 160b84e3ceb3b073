// The console text layer: everything the program shows and reads goes
// through here.
//
//   - Records: write_record writes one record; its first character is a
//     line-control character that is never printed, and its CR LF line end is
//     held back until the next record, the next read or the end of the run.
//   - Formatted output: write_formatted fills a parenthesised line template
//     with integer items and hands the records it makes to write_record.
//   - Free-form output: write_free_form writes one text as its own record(s).
//   - Input: a read statement is read_begin, one read_int per item, read_end.
//     Items are integers typed free-form (blanks, commas, line ends, slash,
//     repeat counts, null values, based form).
//   - The run: start_run sets up the console and calls the main program;
//     stop_run ends the process; fatal_error reports a failed READ or WRITE on
//     standard error and stops with status 1.
//
// No failure is ever returned to the caller: a bad value, the end of input or
// a failed write ends the run through fatal_error. The layer has one console
// channel for the whole run and is not thread-safe.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "console/platform.h"

namespace console {

// ---- Run frame --------------------------------------------------------------

enum class StatementKind { read, write };

/// Classifies descriptors 0, 1 and 2, sets up the console channel(s), runs
/// `main_program`, then stops with status 0. Does not return.
[[noreturn]] void start_run(Platform& platform, void (*main_program)());

/// The process entry: start_run on the POSIX platform.
[[noreturn]] void start_run(void (*main_program)());

/// Writes any pending line end and ends the process with `status`. Runs at
/// most once per run.
[[noreturn]] void stop_run(int32_t status);

/// Writes the report of a fatal run-time error to standard error and stops
/// the run with status 1.
[[noreturn]] void fatal_error(int32_t number, StatementKind kind);

/// The message text reported with error `number` (empty when unknown).
std::string_view error_message(int32_t number);

// ---- Records and free-form output --------------------------------------------

void write_record(std::string_view record);
void write_free_form(std::string_view text);
void before_input();
void input_line_done();
void finish_output();

// ---- Formatted output ---------------------------------------------------------

/// One output statement: `line_template` up to the ")" that closes it, filled
/// with `items`.
void write_formatted(std::string_view line_template, std::span<const int32_t> items);
/// The same with the template text taken up to its first NUL.
void write_formatted(const char* line_template, std::span<const int32_t> items);
void write_formatted(const char* line_template, std::initializer_list<int32_t> items = {});

// ---- Integer input ---------------------------------------------------------------

void read_begin();
void read_int(int32_t& item);
void read_end();

}  // namespace console
