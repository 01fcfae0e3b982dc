// Input - the text input of the converters: a file read whole into memory, its line
// ends, the token scanner, the field reader of comma-separated records, whole lines
// and the typed readers built on them.
//
// An `Input` holds all of its reader's state, so a file can be read by two inputs at
// once (the conversion and an index of the same file) and a fresh one starts clean.
// The input of a run that echoes (tolvex) copies every character it consumes into the
// log; it registers itself with Config's log_pending so that the log keeps the order
// of events.  Process-wide state: only the streams and texts of the open inputs, which
// the fuzz build releases after a FATAL.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "SourceHead.h"
#include "Variant.h"

// Read modes of next_token() and next_field().
enum TokenMode : int {
    TOK_RESET = -1,   // only mark the scanner as at a line start
    TOK_NEXT = 0,     // the next token, on this line or a later one
    TOK_NEWLINE = 1,  // skip the rest of the current line, then the next token
    TOK_REST = 2,     // the rest of the current line as one text
    TOK_LINE = 3,     // skip the rest of the current line, then read a whole line
};

// What a file that cannot be opened is: nothing said (the caller reports), an ERROR
// (the caller goes on) or the FATAL that ends the run.
enum OpenFailure : int { OPEN_QUIET = 0, OPEN_ERROR = 2, OPEN_FATAL = 3 };

constexpr int kTokenSize = variant::kTokenBufferSize;  // typed readers' token buffer
constexpr int kLineSize = 256;                         // whole-line buffers of the callers

// One open text file and the state of its readers.  Made empty (`Input in;`), opened by
// input_open, released by input_close.  Not copied.
struct Input {
    FILE *file = nullptr;     // the open stream, null when closed
    char *data = nullptr;     // the file's bytes (malloc), a NUL after the last one
    size_t size = 0;
    size_t pos = 0;           // the next byte to read
    bool eof = false;         // a read found the end, as a stream's end-of-file flag would
    bool echo = false;        // the bytes consumed are copied into the log
    size_t echo_from = 0;     // the first byte read and not yet echoed
    bool at_line_start = false;  // the scanner's line-start flag (see next_token)
    bool record_ended = true;    // the field reader's: the current record has ended
    bool cut_long_fields = false;  // a field too long for its buffer is cut (see next_field)
    bool field_cut = false;        // set when a field was cut; never cleared by the reader
    char token[kTokenSize] = {}; // the typed readers' buffer: the last token or field read
    size_t line_length = 0;      // the characters of the last line input_line read

    Input() = default;
    Input(const Input &) = delete;
    Input &operator=(const Input &) = delete;
};

// Opens `path` into `in`, with the echo into the log when `echo` (and the build echoes).
// True when opened; otherwise " Could not open file: " with the path is reported at
// the caller's position (`unit`, `line`) as FATAL or as ERROR as `how` says, and false
// is returned.  FATAL "_UNXT already open" when `in` is open already; FATAL
// "Insufficient memory to read _UNXT" when the text does not fit in memory, FATAL
// "Could not read file: " with the path when reading it fails, FATAL "Source is larger
// than 256 MB: " with the path when it is (a device that never ends, say).
bool input_open(Input &in, const char *path, OpenFailure how, bool echo, const char *unit,
                int line);
// Passes over a UTF-8 byte-order mark at the start of `in`'s text, which is then read
// from the character after it; the echo keeps the bytes as they were read.
void input_skip_bom(Input &in);
// Makes `view` a second reader of the text of `in`, which is open: at its start, at a
// line start, without echo.  The stream and the text stay `in`'s: `view` is read and
// positioned only while `in` is open, and is never closed itself.
void input_view(Input &view, const Input &in);
// Closes `in` (the echo written first); FATAL "Problem while closing _UNXT" when
// closing fails or `in` was not open.
void input_close(Input &in);
// True when `in` is open and a read has reached its end.
bool input_eof(const Input &in);

// A position of `in` with its line-start state, to read a stretch again.
struct InputMark {
    long offset;
    bool at_line_start;
    bool record_ended;
};
InputMark input_mark(const Input &in);
// Returns `in` to `mark`; FATAL "Problem while positioning _UNXT" when it cannot.
void input_return(Input &in, const InputMark &mark);
// Returns `in` to the start of its file, at a line start; FATAL "Problem while
// rewinding _UNXT" when it is not open.
void input_rewind(Input &in);

// The length of the line end at `p` (the `rest` bytes from p on): 2 for CR LF, 1 for a
// LF or a CR alone, 0 for any other character.  The one rule of line ends: every
// reader of text files takes its line ends from here.
inline size_t line_end_length(const char *p, size_t rest) {
    if (rest == 0 || (p[0] != '\n' && p[0] != '\r')) return 0;
    return p[0] == '\r' && rest > 1 && p[1] == '\n' ? 2 : 1;
}

// The number of the `n` characters at `p` before the first CR or LF, `n` when none is
// among them: the text up to the next line end, passed over with memchr in one step.
inline size_t to_line_end(const char *p, size_t n) {
    const void *lf = memchr(p, '\n', n);
    const size_t to_lf = lf ? (size_t)((const char *)lf - p) : n;
    const void *cr = memchr(p, '\r', to_lf);
    return cr ? (size_t)((const char *)cr - p) : to_lf;
}

// Reads one line (at most size - 2 characters) into `buf` without its line end.
// Returns `buf`, or null at end of file (tolvex: `buf` holds what was read; renval:
// FATAL "End of file" when nothing was read).  FATAL "Buffer overflow: " when the line
// does not fit.
char *input_line(Input &in, char *buf, int size);

// Reads the next line as next_token in TOK_LINE mode does: a path.  A path holding a
// NUL character, which would cut it short, ends the run with FATAL "Path holds a NUL
// character: " and the text before the NUL.
char *read_path(Input &in, char *buf, int size);

// Scans the next token in `mode` (TOK_*) into `buf` of `size` characters.  Returns
// `buf`, or null for no token ("*", or end of file in tolvex).  See Input.cpp.
char *next_token(Input &in, char *buf, TokenMode mode, int size);

// Typed readers: scan a token in `mode` and convert it into `*value`.  True for a
// valid token; a bad one is reported as ERROR ("Bad integer: ", "Bad long integer: ",
// "Bad float value: " and the token), reads as 0 and gives false.  The token stays in
// in.token.
bool read_int(Input &in, TokenMode mode, int *value);
bool read_long(Input &in, TokenMode mode, long *value);
bool read_float(Input &in, TokenMode mode, float *value);
// Reads a token as a date text ("m/d", leading zeros allowed) or a day number 1..365
// into `*day` (the day of the year).  Anything else is reported as ERROR (the token
// and " is not a valid date") and gives false, with `*day` the number read, or 0.
bool read_date(Input &in, TokenMode mode, int *day);

// ---- record fields ----------------------------------------------------------------
// Data records of comma-separated sources are read field by field (echoed like every
// read).  Each comma ends exactly one field; a field's text is taken whole, so "*" and
// "!" are ordinary characters in it; blanks and tabs around it are dropped and NUL is
// ignored.  A line end (or the end of the file) ends the field and the record: later
// fields of that record are missing until TOK_NEWLINE starts the next one.

// Reads one field into `buf` of `size` characters.  `mode` TOK_NEWLINE: the first
// field of the next line (the rest of the current line, of any length, is skipped
// first unless the input is at a line start); TOK_NEXT: the next field of the current
// record; TOK_REST: only skip the rest of the current line (nothing at a line start)
// and return null.  With `buf` null the field is skipped without being stored.
// Returns `buf`, or null for a missing field (the record has ended, or the file ended
// before the field began) with `buf` empty.  FATAL "Buffer overflow: " when a stored
// field does not fit, unless in.cut_long_fields: the field is then cut to size - 1
// characters, the rest of it passed over, and in.field_cut set.
char *next_field(Input &in, char *buf, TokenMode mode, int size);
// Typed field readers: the next field in `mode` as a decimal integer (parse_decimal:
// leading zeros allowed, -32768..32767) or as a float (parse_float) into `*value`.  An
// empty or missing field is not a number.  A bad field is reported as ERROR ("Bad
// integer: " or "Bad float value: " and the field text, which ends the message when
// empty), reads as 0 and gives false.  The text stays in in.token.
bool field_int(Input &in, TokenMode mode, int *value);
bool field_float(Input &in, TokenMode mode, float *value);

// ---- whole files and the terminal -------------------------------------------------
constexpr size_t kMaxInputBytes = kMaxSourceBytes;

// Reads the rest of `f` into memory, at most `limit` + 1 bytes (more than `limit`: the
// input is too large, and nothing further is read); a read error ends the text there,
// as a stream read would.  Returns a malloc'd buffer and its size in `*size` (a NUL
// follows the last byte, not counted), or null when memory runs out.
char *read_whole(FILE *f, size_t *size, size_t limit = kMaxInputBytes);

// Writes `prompt` to the standard error stream and reads one line of the standard
// input, LF or CR LF ended, into `buf` (at most `size` - 1 characters) without its
// line end.  A longer answer ends the run with FATAL "Buffer overflow: " and its first
// `size` - 1 characters; the answer is a path, and one holding a NUL character ends it
// as read_path does.  Returns `buf` (empty at end of input).
char *prompt_line(const char *prompt, char *buf, int size);

#ifdef WEATHER_FUZZ_SEAM
// Fuzz build only: releases every open input without a message, as the end of the
// process would after a FATAL.
void fuzz_inputs_reset();
#endif
