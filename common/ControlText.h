// ControlText - the control file that a converter's value options stand for: which
// values its lines can hold unchanged, the lines in the form the window writes them,
// and the finished text opened as the run's control file.
//
// The text is read by the control-file reader exactly as a file on disk would be
// (echo, messages, checks); it lives in an anonymous memory file, so the run leaves no
// control file behind.  No state of its own.
#pragma once

#include <string>

// Why `value` would not read back unchanged as a whole line of a control file, as the
// end of a sentence that begins "the value of --x ": "holds a line end, ..." (CR or
// LF), or for the first line (`first`) "begins with a byte-order mark, ..." (which the
// reader passes over).  Null when it would.
const char *line_problem(const char *value, bool first);

// True when `value` reads back unchanged as one token of a control file: not empty, no
// blank, tab, comma, CR or LF, and not beginning with "!" (a comment) or "*" (no token).
bool fits_token(const char *value);

// Appends `text` and CR LF to `out`.
void add_line(std::string &out, const std::string &text);

// Opens `text` as a file for the control-file reader and writes its path,
// "/proc/self/fd/N", into `path` (kMaxPath).  The file lasts as long as the process.
// FATAL "Could not make the control file: " and the system's reason when it cannot.
void open_control_text(const std::string &text, char *path);

// The pieces joined, for a check's text (ProgramInfo::check).  Returns a static buffer
// that the next call overwrites; a text too long for it is cut.
const char *problem_text(const char *a, const char *b, const char *c = "", const char *d = "");
