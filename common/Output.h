// Output - the converters' output files: how each is created, finished and, when the
// run has succeeded, put in the place of its destination.
//
// A destination is never written in place.  out_open creates a new temporary file in
// the destination's own folder (".<name>.XXXXXX"); out_close flushes it to disk;
// out_commit, called once the run has succeeded, renames every finished file over its
// destination.  Until then the destination is exactly as it was.  Every file made
// beside a destination is noted in the run's journal first (Journal.h), so a run that
// ends any other way - a FATAL (through the process's exit), SIGINT, SIGTERM or
// SIGHUP - removes them, and the next run removes those of a run killed outright.
//
// The commit is whole: each older destination keeps a backup until every rename is
// made, and the journal, on the disk before the first rename, lets the next run finish
// or undo a commit that a kill or a power loss cut short.  A signal that arrives
// during the commit waits for its end: a commit made ends the run normally (exit
// status 0), one undone ends it as the signal would.
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
// regular file (a device such as /dev/null), and one of the process's own streams
// (/dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N), is written directly, as a
// stream.  Null when the file
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
// and SIGHUP are held back from then until the process ends.  A backup, the journal or
// a rename that fails puts every destination back as it was and ends the run with
// FATAL "Could not write file: " and the destination's path.
void out_commit();
// Removes every temporary file of the run, its journal, and forgets the run's output
// files; nothing is committed.  Runs at the process's exit as well.
void out_discard();
// Removes every temporary file of the run and nothing else, for a signal handler that
// ends the process next: only unlink is called, the table is left as it is.
void out_discard_from_signal();

#ifdef WEATHER_FUZZ_SEAM
// Fuzz build only: discards the run's output files without a message, as the end of
// the process would after a FATAL.
void fuzz_wfile_reset();
#endif
