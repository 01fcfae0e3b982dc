// renval - upgrades a weather file 1.0 to a weather file 2.0 and a species file.
#include "Options.h"
#include "Renval.h"
#include "RenvalOptions.h"

static const char kUsage[] =
    "Usage: renval [--log FILE] [control-file [-d]]\n"
    "       renval [--log FILE] --old PATH --new PATH [--species PATH]\n"
    "              [--description TEXT] [-d]\n"
    "       renval --help | -h | --version\n"
    "\n"
    "Upgrades a weather file 1.0 to a weather file 2.0 and, when the 1.0 file lists\n"
    "species, a species file, as the control file says.  Without a control file\n"
    "renval asks for the three paths.  A second argument -d, -D, /d or /D shows\n"
    "messages in a box on the terminal instead of on the standard error stream.\n"
    "\n"
    "The control file, one item per line:\n"
    "  the 1.0 weather file\n"
    "  the new weather file\n"
    "  the species file\n"
    "  description (empty: the 1.0 file's title line)\n"
    "\n"
    "Instead of a control file, options may give its lines (--opt VALUE or\n"
    "--opt=VALUE); they are read and checked as the control file would be:\n"
    "  --old PATH           the 1.0 weather file\n"
    "  --new PATH           the new weather file\n"
    "  --species PATH       default: the new file's name with the extension .ctm\n"
    "  --description TEXT   default: the 1.0 file's title line\n"
    "\n"
    "The log RENVAL.LOG and the work file WEATHER.TMP go beside renval when that\n"
    "folder is writable, else into $XDG_STATE_HOME/" WEATHER_PACKAGE "\n"
    "(default ~/.local/state/" WEATHER_PACKAGE ").  --log FILE writes the run's log\n"
    "to FILE instead, and the work file is FILE.TMP.\n"
    "\n"
    "Exit status: 0 the weather file is complete; 1 the run ended with a FATAL\n"
    "message (see the log) or no log could be created; 2 a command line\n"
    "that cannot be run (an unknown option, an option without its value or given\n"
    "twice, --old or --new missing).\n";

int main(int argc, char **argv) {
    const CommandLine line = read_command_line(
        argc, argv,
        {"renval", WEATHER_VERSION, kUsage, kRenvalOptions, kRenvalOptionCount, check_renval_options});
    if (line.status >= 0) return line.status;
    return renval_main(argc > 0 ? argv[0] : "renval", line);
}
