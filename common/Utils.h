// Utils - the single text-input unit with its token scanner, field reader and typed
// readers, number conversions, dates and times, text equality and file copy.
//
// Owns the input unit `_UNXT` (at most one open file), the scanner's line-start flag,
// the field reader's end-of-record flag and the typed readers' token buffer.
#pragma once

#include <cstdio>

#include "Variant.h"

// Read modes of next_token() and next_field().
enum TokenMode : int {
    TOK_RESET = -1,   // only mark the scanner as at a line start
    TOK_NEXT = 0,     // the next token, on this line or a later one
    TOK_NEWLINE = 1,  // skip the rest of the current line, then the next token
    TOK_REST = 2,     // the rest of the current line as one text
    TOK_LINE = 3,     // skip the rest of the current line, then read a whole line
};

// What a file that cannot be opened is: an ERROR (the caller goes on) or the FATAL
// that ends the run.
enum OpenFailure : int { OPEN_ERROR = 2, OPEN_FATAL = 3 };

constexpr int kTokenSize = variant::kTokenBufferSize;  // typed readers' buffer
constexpr int kLineSize = 256;                         // whole-line buffers of the callers

// The one open input stream, or null.
extern FILE *_UNXT;

// Opens `path` as the input unit.  0 when opened; otherwise " Could not open file: "
// with the path is reported at the caller's position (`file`, `line`), as FATAL or as
// ERROR as `how` says, and 1 is returned.  FATAL when a file is already open.
int unxt_open(const char *path, OpenFailure how, const char *file, int line);
// Closes the input unit; FATAL "Problem while closing _UNXT" when closing fails.
void unxt_close();
// 1 when the input unit has reached its end.
int unxt_eof();
// The input unit's position and line-start state, to read a stretch of it again.
struct UnxtMark {
    long offset;
    bool at_line_start;
    bool record_ended;
};
UnxtMark unxt_mark();
void unxt_return(const UnxtMark &mark);

// Reads one line (at most size - 2 characters) into `buf` without its line end.
// Returns `buf`, or null at end of file (tolvex: `buf` holds what was read; renval:
// FATAL "End of file" when nothing was read).  FATAL "Buffer overflow: " when the line
// does not fit.
char *unxt_line(char *buf, int size);

// Scans the next token in `mode` (TOK_*) into `buf` of `size` characters.  Returns
// `buf`, or null for no token ("*", or end of file in tolvex).  See Utils.cpp.
char *next_token(char *buf, TokenMode mode, int size);

// Whole-token conversions by the build's rules: 0 when valid, 1 when not (out value 0).
int parse_int(const char *text, int *value);
int parse_long(const char *text, long *value);
int parse_double(const char *text, double *value);
int parse_float(const char *text, float *value);
// Decimal integer in -32768..32767, leading zeros allowed (no octal or hex prefix);
// an empty text is invalid.  Used for integer fields of data records.
int parse_decimal(const char *text, int *value);

// Typed readers: scan a token in `mode` and convert it.  A bad token is reported as
// ERROR ("Bad integer: ", "Bad long integer: ", "Bad float value: " and the token)
// and reads as 0; the caller checks the error count later.
int read_int(TokenMode mode);
long read_long(TokenMode mode);
float read_float(TokenMode mode);
// The token buffer of the typed readers (the last token scanned).
const char *last_token();

// Writes `prompt` to the standard error stream and reads one line of the standard
// input, LF or CR LF ended, into `buf` (at most `size` - 1 characters) without its
// line end.  A longer answer ends the run with FATAL "Buffer overflow: " and its first
// `size` - 1 characters.  Returns `buf` (empty at end of input).
char *prompt_line(const char *prompt, char *buf, int size);

// Reads the rest of `f` into memory; a read error ends the text there, as a stream read
// would.  Returns a malloc'd buffer and its size in `*size` (a NUL follows the last
// byte, not counted), or null when memory runs out.
char *read_whole(FILE *f, size_t *size);

// 1 when the texts are equal byte by byte, else 0.
int same_text(const char *a, const char *b);

// Copies the text file `from` to `to` through two 5120-byte buffers from the checked
// heap ("fbuff", "tbuff"), tracing the copy in the log.  The copy is an output file
// (Output): finished here, it replaces `to` at the run's out_commit.  FATAL " Failed to
// open " with the path, or "Could not write file: " on a failed read or write.
// Returns 0.
int file_copy(const char *from, const char *to);

// ---- dates and times --------------------------------------------------------------
extern const int days_in_month[13];      // index 1..12
extern const int days_before_month[13];  // index 1..12

// "m/d" of a day of the year; a static buffer that the next call overwrites.  In
// tolvex a day outside 1..365 is reported as ERROR "invalid day number: " and still
// converted (0 gives 1/0, 366 gives 12/32).
const char *day_to_date(int day);
// Day of the year of month/day, or -1 after an ERROR for an invalid month or day.
int date_to_day(int month, int day);
// "m/d" with leading zeros allowed: 0 and the day of the year, or 1 (day 0).
int parse_date(const char *text, int *day);
// Reads a token as a date text or a day number 1..365; anything else is reported as
// ERROR (the token and " is not a valid date") and returns the number read, or 0.
int read_date(TokenMode mode);
// "hh:mm:ss" of 0..86400 seconds (86400 is 24:00:00); FATAL "invalid time " outside.
// A static buffer that the next call overwrites.
const char *sec_to_time(int seconds);
// Decimal text of `value` in one of two buffers used in turn.
const char *int_text(long value);

// ---- record fields ----------------------------------------------------------------
// Data records of comma-separated sources are read field by field through the input
// unit (echoed like every read).  Each comma ends exactly one field; a field's text is
// taken whole, so "*" and "!" are ordinary characters in it; blanks and tabs around it
// are dropped and NUL is ignored.  A line end (or the end of the file) ends the field
// and the record: later fields of that record are missing until TOK_NEWLINE starts
// the next one.

// Reads one field into `buf` of `size` characters.  `mode` TOK_NEWLINE: the first
// field of the next line (the rest of the current line, of any length, is skipped
// first unless the unit is at a line start); TOK_NEXT: the next field of the current
// record; TOK_REST: only skip the rest of the current line (nothing at a line start)
// and return null.  With `buf` null the field is skipped without being stored.
// Returns `buf`, or null for a missing field (the record has ended, or the file ended
// before the field began) with `buf` empty.  FATAL "Buffer overflow: " when a stored
// field does not fit.
char *next_field(char *buf, TokenMode mode, int size);
// Typed field readers: the next field in `mode` as a decimal integer (parse_decimal:
// leading zeros allowed, -32768..32767) or as a float (parse_float).  An empty or
// missing field is not a number.  A bad field is reported as ERROR ("Bad integer: "
// or "Bad float value: " and the field text, which ends the message when empty) and
// reads as 0; the caller checks the error count.  The text stays in last_token().
int field_int(TokenMode mode);
float field_float(TokenMode mode);

// Returns the input unit to the start of its file, at a line start.  FATAL "Problem
// while rewinding _UNXT" when the stream cannot be positioned.
void unxt_rewind();

#ifdef WEATHER_FUZZ_SEAM
// Fuzz build only: closes the input unit without a message, as the end of the
// process would after a FATAL.
void fuzz_utils_reset();
#endif
