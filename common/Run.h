// Run - the steps both drivers share: the log in the folder for the run's files with
// its head and closing lines, and paths in that folder.
//
// Owns the path of the open log, for the message when it cannot be written.
#pragma once

// The path of `fname` + `ext` in the folder for the run's files (RunFolder.h): the
// folder of the running executable when it is writable, else the per-user state
// folder, created when missing.  Into `out` (kMaxPath); 1 when it does not fit (`out`
// then holds it cut), when the executable's own path does not, or when the state
// folder cannot be created (`out` is then empty, and the standard error stream says
// why).
int exe_sibling(const char *argv0, const char *fname, const char *ext, char *out);
// Opens the run's log as log_file: the file `chosen` (--log) when it is not null, else
// the shared log `base`.LOG in the folder for the run's files, replacing an older one,
// and writes its head: heap report, "Initial ", "Program:  " with `argv0` and
// "   Time:  " with the local time.  A log that is a regular file is locked before it
// is emptied and until log_close, so runs that share a log run one after another.
// Then finishes the commits that runs from that folder left (Journal.h).
// Returns 1 (nothing written) when it cannot, after one line on the standard error
// stream: "FATAL Log file is a symbolic link: " (the shared log only), "FATAL Log file
// is not a regular file: " (a folder, a FIFO; a device unless chosen), "FATAL Log file
// has another hard link: ", "FATAL Could not open file: " or "FATAL Could not write
// file: " with the path and the system's reason, "FATAL Path is too long: ".  A chosen
// log that names one of the process's own streams (/dev/stderr) is written to it.
int log_open(const char *argv0, const char *base, const char *chosen = nullptr);
// The path of the run's log (empty before log_open).
const char *run_log_path();
// Writes the closing heap report and "Final ", puts the run's outputs in place
// (out_commit) once the log is known to be whole, and closes the log.  Returns the
// exit status of a normal end, 0; a log that could not be written completely ends the
// run with FATAL "Could not write file: " and its path instead, outputs not committed.
int log_close();
