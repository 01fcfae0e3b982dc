// Options - the one place where a converter reads its command line: the options every
// converter answers before its run (--help, --version, the refusal of any other "--"
// option), the control file and the message-box switch after it.  No state; writes
// only to the standard output and error streams, never a log.
#pragma once

// Exit status for a command line that cannot be run (an unknown option).
constexpr int kUsageStatus = 2;

// A converter as its command line names it.
struct ProgramInfo {
    const char *program;  // "tolvex"
    const char *version;  // "2.2.0"
    const char *usage;    // the text of --help, ending with a line end
};

// What the command line asks for.
struct CommandLine {
    int status;           // -1: run the conversion; otherwise end at once with this status
    const char *control;  // the control file's path; null when none was given (ask for it)
    bool box;             // messages in boxes on the terminal instead of the error stream
    const char *log;      // the log's path (--log); null for the shared log
};

// Reads argv[1] .. argv[argc - 1].
// - "--help" or "-h" ("<usage>" to the standard output stream) and "--version" ("<program>
//   <version>" and a line end) are answered at once, status 0 (1 when the standard
//   output stream cannot be written);
// - "--log FILE" (or "--log=FILE") names the run's log;
// - any other argument that begins with "--", an option given twice or one without
//   its value gets "<program>: unknown option <argument>" (or "... option <option>
//   given twice", "... option <option> needs a value") and `usage` on the standard
//   error stream, status kUsageStatus.
// Otherwise the run goes on (status -1): the first other argument is the control file,
// and a second one that is exactly "-d", "-D", "/d" or "/D" asks for message boxes (any
// other second argument is ignored).
CommandLine read_command_line(int argc, char **argv, const ProgramInfo &info);
