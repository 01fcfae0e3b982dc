// Options - the converters' command line.  See Options.h.
#include "Options.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <cstring>

namespace {

enum class Action { Help, Version, Log };

// The options, by their name; an option with a value takes it from the next argument
// or after "=".
const struct {
    const char *name;
    Action action;
    bool has_value;
} kOptions[] = {
    {"--help", Action::Help, false},
    {"--version", Action::Version, false},
    {"--log", Action::Log, true},
};

// The switches after the control file that ask for message boxes.
const char *const kBoxSwitches[] = {"-d", "-D", "/d", "/D"};

bool is_box_switch(const char *arg) {
    for (const char *s : kBoxSwitches)
        if (strcmp(arg, s) == 0) return true;
    return false;
}

// A command line that cannot be run: what is wrong, then the usage.
int refuse(const ProgramInfo &info, const char *what, const char *arg, const char *after = "") {
    fprintf(stderr, "%s: %s%s%s\n%s", info.program, what, arg, after, info.usage);
    return kUsageStatus;
}

// Answers --help or --version; returns the exit status.
int answer(Action action, const ProgramInfo &info) {
    if (action == Action::Help) fputs(info.usage, stdout);
    if (action == Action::Version) printf("%s %s\n", info.program, info.version);
    return fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

CommandLine read_command_line(int argc, char **argv, const ProgramInfo &info) {
    CommandLine line{-1, nullptr, false, nullptr, {}};
    const char *plain[2] = {nullptr, nullptr};  // the control file and the switch after it
    int plain_count = 0;
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (strcmp(arg, "-h") == 0) {  // the short form every newcomer tries first
            line.status = answer(Action::Help, info);
            return line;
        }
        if (strncmp(arg, "--", 2) != 0) {
            if (plain_count < 2) plain[plain_count] = arg;
            ++plain_count;
            continue;
        }
        const char *equals = strchr(arg, '=');
        const size_t name_length = equals ? (size_t)(equals - arg) : strlen(arg);
        auto named = [&](const char *name) {
            return strlen(name) == name_length && strncmp(arg, name, name_length) == 0;
        };
        // An option every converter answers, or one of this converter's value options
        // (its index in the converter's table).
        const auto *option = std::find_if(std::begin(kOptions), std::end(kOptions),
                                          [&](const auto &o) { return named(o.name); });
        const bool common = option != std::end(kOptions);
        int k = 0;
        while (!common && k < info.option_count && !named(info.options[k].name)) ++k;
        if (!common && k == info.option_count) {
            line.status = refuse(info, "unknown option ", arg);
            return line;
        }
        if (common && !option->has_value) {
            line.status = equals ? refuse(info, "unknown option ", arg) : answer(option->action, info);
            return line;
        }
        const char *name = common ? option->name : info.options[k].name;
        const char *value = equals ? equals + 1 : i + 1 < argc ? argv[++i] : nullptr;
        if (!value || (!*value && (common || !info.options[k].may_be_empty))) {
            line.status = refuse(info, "option ", name, " needs a value");
            return line;
        }
        if (common ? line.log != nullptr : option_value(line, k) && !info.options[k].repeats) {
            line.status = refuse(info, "option ", name, " given twice");
            return line;
        }
        if (common)
            line.log = value;
        else
            line.values.push_back({k, value});
    }
    if (line.values.empty()) {
        line.control = plain[0];
        line.box = plain_count > 1 && is_box_switch(plain[1]);
        return line;
    }
    // The options stand for the control file: only the switch may follow them.
    if (plain_count > 1 || (plain_count == 1 && !is_box_switch(plain[0]))) {
        const char *control = plain_count == 1 || !is_box_switch(plain[0]) ? plain[0] : plain[1];
        line.status = refuse(info, "control file ", control, " given together with options");
        return line;
    }
    line.box = plain_count == 1;
    if (const char *problem = info.check ? info.check(line) : nullptr)
        line.status = refuse(info, problem, "");
    return line;
}

const char *option_value(const CommandLine &line, int option) {
    const char *value = nullptr;
    for (const OptionValue &v : line.values)
        if (v.option == option) value = v.text;
    return value;
}
