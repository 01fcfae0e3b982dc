// Config - messages, the log file, abnormal end, floating-point traps, paths and the
// heap report.
//
// Owns the process-wide diagnostics state: `log_file` (the run's log stream, opened
// by the driver) and the buffer of a log_stream stream, the message mode chosen by
// msg_setup() and the ERROR count.  Every diagnostic of a converter is one
// report_msg() call, normally through the MSG macro so that the caller's source
// position is filled in by the compiler.
#pragma once

#include <csignal>
#include <cstddef>
#include <cstdio>
#ifdef WEATHER_FUZZ_SEAM
#include <csetjmp>
#endif

// Severities of report_msg(), its outside face: plain codes, kept for every caller.
constexpr int NOTE = 0;
constexpr int WARNING = 1;
constexpr int ERROR = 2;      // counted in the error count
constexpr int FATAL = 3;      // and every code above: the process ends with exit status 1
constexpr int ERR_COUNT = -1; // query: returns the error count, writes nothing
constexpr int ERR_RESET = -2; // and every code below: sets the count to 0, returns 0

constexpr int kMaxPath = 256;  // path buffers, terminator included

// The run's log stream, or null.  Opened (text mode) by the driver before anything else,
// through log_stream.
extern FILE *log_file;

// Makes the log stream over the open descriptor `fd`, which the stream owns from then
// on (fclose closes it).  Stdio keeps nothing of it: every byte written goes into a
// buffer of this unit (64 KB), and from there to `fd` when the buffer is full, at
// log_flush and at fclose.  So the floating-point handler, which may not touch stdio,
// can still write what is pending with write(2).  A failed write is remembered:
// log_flush and fclose return failure from then on (ferror is set only when the
// failure met a write through stdio).  One such stream at a time; null when it cannot
// be made (`fd` is left open then).
FILE *log_stream(int fd);

// Writes `n` bytes of `data` into the log, as fwrite to log_file would: into the buffer
// of a log_stream stream directly, without stdio's work per call (the echo of an input
// writes one piece per line).  Nothing without a log.
void log_write(const char *data, size_t n);

// Writes log_file's pending bytes to its file.  True when every write of the log has
// succeeded so far (a stream of log_stream) or the flush did (any other stream, as
// fflush); true without a log.  Where the log must be whole, as at its close, ferror
// is checked as well.
bool log_flush();

// Set by a unit that holds text for the log before writing it (an input's echo of what
// it has read): `write(source)` writes it.  log_sync() has it written; messages call
// log_sync() first, so that the log keeps the order of events.  `span(source, &start)`
// gives the same text without writing it (its length, and its first byte in `start`):
// the floating-point handler writes it itself with write(2), so `span` may only read
// memory.
struct LogPending {
    void (*write)(void *source);
    size_t (*span)(const void *source, const char **start);
    void *source;
};
extern LogPending log_pending;
inline void log_sync() {
    if (log_pending.write) log_pending.write(log_pending.source);
}

// Reports one message.  `pieces` are texts appended in order after a leading blank;
// the list ends at the first empty text, which the caller must always pass last.
// Severity < 0: query/reset of the error count (see the constants above), nothing
// written.  ERROR raises the count first.  The text is cut at the build's message
// limit; the message goes to the log and, after msg_setup(), to the standard error
// stream or a message box.  Returns the error count; does not return for FATAL, nor
// for the 20th ERROR of a run, which is followed at once by FATAL "Run terminated
// because of input errors".
int report_msg(int severity, const char *file, int line, ...);

// report_msg with FATAL: writes the message exactly as report_msg does and ends the
// run (exit status 1); never returns.
[[noreturn]] void report_fatal(const char *file, int line, ...);

// The unit named in a message's location ("(file Utils, line 407)"): the base name of
// the source file, unless the file defines MSG_UNIT before its first include, as the
// units do whose messages keep the name of the unit they came from.
#ifndef MSG_UNIT
#define MSG_UNIT __FILE__
#endif

// report_msg with the caller's position and the closing empty piece filled in:
// MSG(ERROR, "Bad integer: ", token).
#define MSG(severity, ...) report_msg((severity), MSG_UNIT, __LINE__, ##__VA_ARGS__, "")
// The FATAL message that ends the run: MSG_FATAL(" Failed to open ", path).
#define MSG_FATAL(...) report_fatal(MSG_UNIT, __LINE__, __VA_ARGS__, "")

// The number of ERROR messages of the run (since the last ERR_RESET).
int error_count_now();

// Chooses where messages go besides the log: message boxes when `box` is non-zero,
// else the standard error stream.  Installs fp_handler for SIGFPE and unmasks the
// invalid-operation, divide-by-zero and overflow traps, so that a computation that
// would produce nan or inf ends the run with a FATAL.  Returns the previous handler.
using fp_handler_t = void (*)(int, siginfo_t *, void *);
fp_handler_t msg_setup(int box);

// SIGFPE handler: the FATAL of the exception kind, written byte for byte as report_msg
// would write it (log, then the standard error stream or the box of the message mode),
// the run's temporary output files removed (out_discard_from_signal), exit status 1.
// Uses only async-signal-safe calls (write, open, read, close, unlink, _exit): into the
// log go the pending bytes of a log_stream stream, then the input's pending echo
// (log_pending.span), then the message.  A log stream made otherwise (a test's own
// FILE) is not written, as its pending bytes belong to stdio.  Does not return; in the
// fuzz build with fuzz_abort_target set it ends through report_fatal instead.
void fp_handler(int sig, siginfo_t *info, void *context);

// Closes the log if it is open and ends the process with `code`.  A run that ends with
// a non-zero code then shows its hints on the standard error stream (never in the
// log): a line "hint: <text>" each, then "see " and the log's path (msg_log_place).
[[noreturn]] void abnormal_end(int code);

// Notes a hint for the user, shown only if the run fails (see abnormal_end): what the
// run can tell of a likely mistake, noted where it is seen.  At most a few are kept.
void msg_hint(const char *text);
// The log's absolute path for the closing "see " line of a failed run; null or empty
// for none (a log that is a device or a stream).
void msg_log_place(const char *path);

#ifdef WEATHER_FUZZ_SEAM
// Fuzz build only: when set, abnormal_end jumps here (siglongjmp with `code`) after
// closing the log instead of ending the process, so that a fuzz harness gets each
// FATAL back, the floating-point handler's included.  Null in every product run.
extern sigjmp_buf *fuzz_abort_target;
#endif

// The message sinks used by report_msg: severity word, message text (leading blank,
// trailing line end) and location line ("  (file Unit, line N)\n").
void msg_to_log(const char *word, const char *text, const char *location);
void msg_to_console(const char *word, const char *text, const char *location);
void msg_to_box(const char *word, const char *text, const char *location);

// Shows one modal message box on the terminal streams `in`/`out`: the severity word
// as caption, an icon mark chosen by the word's first letter (N information,
// W exclamation, otherwise stop), the text and location, then waits for Enter on `in`.
// With `in` null nothing is awaited.  msg_to_box passes the controlling terminal, or
// the standard error stream and null when the process has none.
void show_box(FILE *in, FILE *out, const char *word, const char *body);

// Splits `path` ("/" separated) into drive (always empty here), directory (ending
// with "/"), base name and extension (beginning with "."); each buffer kMaxPath.
void split_path(const char *path, char *drive, char *dir, char *fname, char *ext);
// Joins the parts made by split_path into `path` (kMaxPath); the result is cut, never
// overrun, and 1 is returned when it did not fit (0 otherwise).
int make_path(char *path, const char *drive, const char *dir, const char *fname,
              const char *ext);

// The path of the running executable: /proc/self/exe, else `argv0` as typed.
// Returns `buf` (of `size` characters); an empty text when neither fits.
char *self_path(const char *argv0, char *buf, size_t size);

// Writes an empty text into `buf` and returns it (the log's "Initial " / "Final ").
char *mem_status(char *buf);

// Consistency hook called before each heap_report; does nothing, returns 0.
int heap_check(const char *file, int line);
