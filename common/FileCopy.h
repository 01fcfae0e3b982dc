// FileCopy - copies a finished file into an output file (Output), so that it replaces
// its destination only when the run commits.  No state.
#pragma once

// Copies the text file `from` to `to` through two 5120-byte buffers from the checked
// heap ("fbuff", "tbuff"), tracing the copy in the log.  The copy is an output file
// (Output): finished here, it replaces `to` at the run's out_commit.  FATAL " Failed to
// open " with the path, or "Could not write file: " on a failed read or write.
// Returns 0.
int file_copy(const char *from, const char *to);
