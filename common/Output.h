// Output - the converters' output files: how each is created, finished and, when the
// run has succeeded, put in the place of its destination.
//
// A destination is never written in place.  out_open creates a new temporary file in
// the destination's own folder (".<name>.XXXXXX", held under an exclusive lock while
// it lives); out_close flushes it to disk; out_commit, called once the run has
// succeeded, renames every finished file over its destination.  Until then the
// destination is exactly as it was, and a run that ends any other way - a FATAL
// (through the process's exit), SIGINT, SIGTERM or SIGHUP - removes its temporary
// files.  A temporary file left by a run that was killed outright (SIGKILL) is removed
// by the next run that writes the same destination.
//
// Owns the table of the run's output files; the writers of WeatherFile report every
// write here, so that a failed write names its file.
#pragma once

#include <cstddef>
#include <cstdio>


// Creates the output file for the destination `path`: a temporary file beside it that
// takes the destination's permission bits (and owner, where allowed), or a new file's
// when there is none.  A destination that is a symbolic link is followed: its final
// target is the one replaced, the link stays.  A destination that exists and is not a
// regular file (a device such as /dev/null) is written directly.  Null when the file
// cannot be created (the caller reports).
FILE *out_open(const char *path);
// Adopts the open descriptor `fd` of a file written in place (the work file), emptied
// first; `path` names it in messages.  Null when it cannot be emptied (the caller
// reports); the descriptor is then closed.
FILE *out_open_in_place(int fd, const char *path);
// Reports one write to `f` that returned `ok`: a failed write ends the run with FATAL
// "Could not write file: " and the destination's path.
void out_wrote(FILE *f, bool ok);
// Writes `n` bytes of `data` to `f` (out_wrote reports a failure).
void out_write(FILE *f, const void *data, size_t n);
// Flushes `f` to disk and closes it; a temporary file then waits for out_commit.  A
// failure ends the run with FATAL "Could not write file: " and the destination's path.
void out_close(FILE *f);
// Puts every finished temporary file in the place of its destination.  SIGINT, SIGTERM
// and SIGHUP wait until all are in place.  A rename that fails ends the run with FATAL
// "Could not write file: " and the destination's path.
void out_commit();
// Removes every temporary file of the run and forgets the run's output files; nothing
// is committed.  Runs at the process's exit as well.
void out_discard();
// Removes every temporary file of the run and nothing else, for a signal handler that
// ends the process next: only unlink is called, the table is left as it is.
void out_discard_from_signal();

#ifdef WEATHER_FUZZ_SEAM
// Fuzz build only: discards the run's output files without a message, as the end of
// the process would after a FATAL.
void fuzz_wfile_reset();
#endif
