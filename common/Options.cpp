// Options - the converters' command line.  See Options.h.
#include "Options.h"

#include <cstdio>
#include <cstring>

namespace {

enum class Action { Help, Version };

// The options answered before a run, by their whole argument.
const struct {
    const char *name;
    Action action;
} kOptions[] = {
    {"--help", Action::Help},
    {"--version", Action::Version},
};

// The switches after the control file that ask for message boxes.
const char *const kBoxSwitches[] = {"-d", "-D", "/d", "/D"};

bool is_box_switch(const char *arg) {
    for (const char *s : kBoxSwitches)
        if (strcmp(arg, s) == 0) return true;
    return false;
}

// Answers the option `arg` (beginning with "--"); returns the exit status.
int answer(const char *arg, const ProgramInfo &info) {
    for (const auto &o : kOptions) {
        if (strcmp(arg, o.name) != 0) continue;
        switch (o.action) {
        case Action::Help: fputs(info.usage, stdout); break;
        case Action::Version: printf("%s %s\n", info.program, info.version); break;
        }
        return fflush(stdout) == 0 ? 0 : 1;
    }
    fprintf(stderr, "%s: unknown option %s\n%s", info.program, arg, info.usage);
    return kUsageStatus;
}

}  // namespace

CommandLine read_command_line(int argc, char **argv, const ProgramInfo &info) {
    for (int i = 1; i < argc; ++i)
        if (strncmp(argv[i], "--", 2) == 0) return {answer(argv[i], info), nullptr, false};
    return {-1, argc > 1 ? argv[1] : nullptr, argc > 2 && is_box_switch(argv[2])};
}
