// Tolvex - the tolvex converter's driver, control file, day calendar and weather file
// head.
//
// The driver reads the settings, opens the destination with its head and day section,
// hands settings and destination to the producer of the file type (Producers) and
// closes the destination when the producer returns; the finished file replaces the
// destination when the log is closed (Output, Run).  No process-wide state of its own.
#pragma once

#include <cstdio>

#include "Options.h"
#include "Settings.h"

// Day-table steps, in the order the control-file reader applies them.
void days_set_defaults(DayTable &t);
void days_set_weekdays(DayTable &t, int first_weekday);
void days_set_special(DayTable &t, int day, int type);
void days_set_dst(DayTable &t, int dst_start, int dst_end);

// Reads the control file at `path` and returns its settings with their day table.
// Returns only when no input error was reported; otherwise the run ends with FATAL
// "Run terminated because of input errors" before any output file exists.
ConversionSettings read_control_file(const char *path);

// Creates the output file for the destination of `s` (out_open; FATAL " Failed to
// open " and the path when it cannot be created), writes the head and the day section
// and returns the open file; the caller closes it with out_close.
FILE *open_weather_file(const ConversionSettings &s);

// The whole run of the program `argv0` for the command `line`: log, heap report,
// control file (or the one its value options stand for, TolvexOptions.h, followed by
// the NOTE on the weekday taken from the source), head, producer.  A TMY2 or E/E source that is the destination ends the run before anything is written:
// FATAL "Destination is the source file: " and the destination's path.
// Returns the exit status of a normal end (0); a FATAL ends the process with 1.
int tolvex_main(const char *argv0, const CommandLine &line);
