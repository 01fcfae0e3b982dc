// Options - the command-line options that every converter answers before its run:
// --help, --version and the refusal of any other "--" option.  No state; writes
// only to the standard output and error streams, never a log.
#pragma once

// Exit status for an unknown option.
constexpr int kUsageStatus = 2;

// Looks at the arguments argv[1] .. argv[argc - 1] in order; the first one that
// begins with "--" decides:
// - "--help": `usage` to the standard output stream, result 0;
// - "--version": "<program> <version>" and a line end to the standard output stream,
//   result 0;
// - any other: "<program>: unknown option <argument>" and `usage` to the standard
//   error stream, result kUsageStatus.
// Returns -1 when no argument begins with "--": the run goes on.  `usage` ends with a
// line end.
int answer_options(int argc, char **argv, const char *program, const char *version,
                   const char *usage);
