// harness - what the fuzz targets share: a scratch folder of their own, the input
// written to a file in it, and one converter run whose FATAL comes back to the harness.
//
// The targets are built only with WEATHER_FUZZ (clang, libFuzzer, AddressSanitizer and
// UndefinedBehaviorSanitizer), where the common library's abnormal_end jumps back into
// run_converter instead of ending the process.  Every path a target hands to the
// converter is a scratch file, the memory output or /dev/null, never one taken from the
// input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The path of `name` in the scratch folder, which is created at the first call (in
// /dev/shm where it may be written, else in $TMPDIR or /tmp) and removed when the
// process exits normally.
std::string scratch_path(const char *name);

// Writes `size` bytes of `data` to the scratch file `name`; returns its path, which
// stays the same for the life of the process.
const std::string &write_scratch(const char *name, const uint8_t *data, size_t size);

// Runs `body` as one run of a converter: a log that keeps nothing, the error count
// reset, the message mode, floating-point traps and SIGFPE handler of msg_setup(0), and
// fuzz_abort_target set, so that a FATAL (a trap's included) ends only `body`.
// Afterwards the traps are off again, the harness's SIGFPE handler and signal mask are
// back, and `reset` closes and frees what the run left behind, as the end of the
// process would.  When the standard error stream is /dev/null, the converters'
// messages there are dropped without being written.
// Returns 1 when the run ended with a FATAL, else 0.  A run that ends normally with an
// ERROR counted would be a success in spite of bad input: the harness aborts, which
// libFuzzer reports as a crash.
int run_converter(void (*body)(), void (*reset)());

// The memory outputs: files in memory without a name (two of them, slots 0 and 1),
// which a converter writes as the process's own streams through their paths
// "/dev/fd/N", so that a run neither creates nor removes a file.  memory_output()
// returns the path of a slot, its file emptied for the next run; check_memory_output()
// aborts when what the run wrote there, a weather file, lacks its first two lines
// (format line and description) or holds "nan" or "inf" after them: a successful run
// writes numbers.
const char *memory_output(int slot = 0);
void check_memory_output(int slot = 0);

// The first and last day (1..365) of an import, taken from the first four bytes of the
// input: two big-endian 16-bit numbers, the first day modulo 365 plus 1, the number of
// days after it modulo kImportDays.  Every day is converted by the same code, and a
// range from the last days of December runs over the year's end, so a few days reach
// every path at a fraction of a year's cost.  Returns false when the input is shorter
// than four bytes.
struct DayRange {
    int start, end;
};
constexpr size_t kDayBytes = 4;
constexpr int kImportDays = 3;  // days an import converts at most
bool day_range(const uint8_t *data, size_t size, DayRange *range);
