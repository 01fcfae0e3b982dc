// Options - the one place where a converter reads its command line: the options every
// converter answers before its run (--help, --version, the refusal of any other "--"
// option), the control file and the message-box switch after it, or instead of the
// control file the options that give its values (each converter's table).  No state;
// writes only to the standard output and error streams, never a log.
#pragma once

#include <vector>

// Exit status for a command line that cannot be run (an unknown option).
constexpr int kUsageStatus = 2;

// An option of a converter that gives one value of its control file (tolvex --type,
// renval --old): the command line without a control file.
struct ValueOption {
    const char *name;   // "--type"
    bool repeats;       // may be given more than once (--special)
    bool may_be_empty;  // an empty value is a value (--description=)
};

// One value option as given: its index in the converter's table, and its text.
struct OptionValue {
    int option;
    const char *text;
};

// What the command line asks for.
struct CommandLine {
    int status;           // -1: run the conversion; otherwise end at once with this status
    const char *control;  // the control file's path; null when none was given (ask for it)
    bool box;             // messages in boxes on the terminal instead of the error stream
    const char *log;      // the log's path (--log); null for the shared log
    std::vector<OptionValue> values;  // the value options, in their order; empty: none
};

// A converter as its command line names it.
struct ProgramInfo {
    const char *program;  // "tolvex"
    const char *version;  // "2.2.0"
    const char *usage;    // the text of --help, ending with a line end
    const ValueOption *options = nullptr;  // its value options, `option_count` of them
    int option_count = 0;
    // What is wrong with the value options of `line` beyond their syntax (one missing,
    // two that exclude each other, a value of the wrong form), as a text for
    // "<program>: <text>"; null when nothing is.  Called only when some were given.
    const char *(*check)(const CommandLine &line) = nullptr;
};

// Reads argv[1] .. argv[argc - 1].
// - "--help" or "-h" ("<usage>" to the standard output stream) and "--version" ("<program>
//   <version>" and a line end) are answered at once, status 0 (1 when the standard
//   output stream cannot be written);
// - "--log FILE" (or "--log=FILE") names the run's log;
// - the value options of `info` ("--NAME VALUE" or "--NAME=VALUE") are collected;
// - any other argument that begins with "--", an option given twice (but for one that
//   repeats), one without its value (an empty value too, unless it may be empty), a
//   control file given together with value options, or value options that info.check
//   finds wrong get "<program>: unknown option <argument>" (or "... option <option>
//   given twice", "... option <option> needs a value", "... control file <argument>
//   given together with options", "... <check's text>") and `usage` on the standard
//   error stream, status kUsageStatus.
// Otherwise the run goes on (status -1): without value options the first other argument
// is the control file, and a second one that is exactly "-d", "-D", "/d" or "/D" asks
// for message boxes (any other second argument is ignored); with value options the
// only other argument may be that switch.
CommandLine read_command_line(int argc, char **argv, const ProgramInfo &info);

// The value of option number `option` on `line` (the last one given), or null.
const char *option_value(const CommandLine &line, int option);
