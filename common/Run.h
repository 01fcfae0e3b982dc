// Run - the steps both drivers share: the log in the folder for the run's files with
// its head and closing lines, and paths in that folder.
//
// Owns the path of the open log, for the message when it cannot be written.
#pragma once

// The path of `fname` + `ext` in the folder for the run's files (RunFolder.h): the
// folder of the running executable when it is writable, else the per-user state
// folder, created when missing.  Into `out` (kMaxPath); 1 when it does not fit, when
// the executable's own path does not (`out` is then empty), or when the state folder
// cannot be created: its message then goes to the standard error stream.
int exe_sibling(const char *argv0, const char *fname, const char *ext, char *out);
// Opens the log `base`.LOG in the folder for the run's files as log_file, replacing an older one,
// and writes its head: heap report, "Initial ", "Program:  " with `argv0` and
// "   Time:  " with the local time.  Takes an exclusive lock on the log before
// emptying it and holds it until log_close, so runs from one folder run one after
// another.  Returns 1 (nothing written) when it cannot; a log that is a symbolic link
// is not opened, and the standard error stream says so.
int log_open(const char *argv0, const char *base);
// Writes the closing heap report and "Final ", puts the run's outputs in place
// (out_commit) once the log is known to be whole, and closes the log.  Returns the
// exit status of a normal end, 0; a log that could not be written completely ends the
// run with FATAL "Could not write file: " and its path instead, outputs not committed.
int log_close();
