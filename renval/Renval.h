// Renval - upgrades a weather file 1.0 to a weather file 2.0 plus a species file.
//
// The driver reads the run's paths and description into one RenvalPaths; the upgrade
// reads the 1.0 head, writes both heads, copies the day section in a first pass over
// the day blocks and the time points in a second, writes the species file alongside,
// and copies the finished work file to its destination.  Owns the work file's lock.
#pragma once

#include "Config.h"
#include "Input.h"
#include "Options.h"

// The paths of one run and its description.
struct RenvalPaths {
    char old_path[kLineSize];      // the 1.0 weather file
    char new_path[kLineSize];      // the weather file 2.0 written
    char species_path[kLineSize];  // the species file, written only when there are species
    char description[kLineSize];   // empty: the 1.0 file's title line is used
    char work_path[kMaxPath];      // WEATHER.TMP in the folder for the run's files
};

// Converts the 1.0 file into the files that `paths` name.  The whole weather file is
// written to the work file first and copied only when no error is left; the copy and
// the species file are finished output files that replace their destinations at the
// run's out_commit (log_close).  A species file that is the old or the new weather
// file or the work file, or a new weather file that is the work file, ends the run
// before anything is written.  Returns 0; every failure ends the run with a FATAL.
int convert_weather_10(const RenvalPaths &paths);

// The whole run of the program `argv0` for the command `line`: log, control file (or
// the one its value options stand for, RenvalOptions.h) or prompts, conversion.
// Returns the exit status of a normal end (0); a FATAL ends the process with 1.
int renval_main(const char *argv0, const CommandLine &line);

#ifdef WEATHER_FUZZ_SEAM
// Fuzz build only.  fuzz_read_control reads a control file as renval_main does;
// fuzz_renval_reset releases the work file's lock (held until the process ends in a
// product run).
void fuzz_read_control(const char *path, RenvalPaths &paths);
void fuzz_renval_reset();
#endif
