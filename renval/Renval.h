// Renval - upgrades a weather file 1.0 to a weather file 2.0 plus a species file.
//
// Owns the run's three paths and description, and the conversion's working state
// (species names and concentrations on the checked heap, the work file).
#pragma once

// Converts the 1.0 file at `old_path` into the paths the driver read.  The whole
// weather file is written to the work file "WEATHER.TMP" beside the executable and
// copied to its destination only when no error is left.  Returns 0; every failure
// ends the run with a FATAL.
int convert_weather_10(const char *old_path);

// The whole run of the program: log, control file or prompts, conversion.
// Returns the exit status of a normal end (0); a FATAL ends the process with 1.
int renval_main(int argc, char **argv);

#ifdef WEATHER_FUZZ_SEAM
// Fuzz build only.  fuzz_read_control reads a control file as renval_main does;
// fuzz_set_paths then replaces the old, new, species and work paths with the
// harness's own; fuzz_renval_reset releases the work file's lock (held until the
// process ends in a product run) and empties the description.
void fuzz_read_control(const char *path);
void fuzz_set_paths(const char *old_path, const char *new_path, const char *species_path,
                    const char *work_path);
void fuzz_renval_reset();
#endif
