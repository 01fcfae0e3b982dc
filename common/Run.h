// Run - the steps both drivers share: the log beside the executable with its head and
// its closing lines, sibling paths of the executable, and the message-box switch.
//
// Owns the path of the open log, for the message when it cannot be written.
#pragma once

// The path of `fname` + `ext` in the folder of the running executable, into `out`
// (kMaxPath); 1 when it does not fit, or when the executable's own path does not
// (`out` is then empty).
int exe_sibling(const char *argv0, const char *fname, const char *ext, char *out);
// Opens the log `base`.LOG beside the executable as log_file, replacing an older one,
// and writes its head: heap report, "Initial ", "Program:  " with `argv0` and
// "   Time:  " with the local time.  Returns 1 (nothing written) when it cannot.
int log_open(const char *argv0, const char *base);
// Writes the closing heap report and "Final ", and closes the log.  Returns the exit
// status of a normal end, 0; a log that could not be written completely ends the run
// with FATAL "Could not write file: " and its path instead.
int log_close();
// 1 when `arg` asks for message boxes: exactly "-d", "-D", "/d" or "/D".
int box_switch(const char *arg);
