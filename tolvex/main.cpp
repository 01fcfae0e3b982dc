// tolvex - converts a TMY2 or E/E weather file, or no source at all (a template), into
// a weather file 2.0, as its control file says.
#include "Options.h"
#include "Tolvex.h"

static const char kUsage[] =
    "Usage: tolvex [--log FILE] [control-file [-d]]\n"
    "       tolvex --help | -h | --version\n"
    "\n"
    "Converts a TMY2 file, an EnergyPlus/ESP-r file (E/E) or no source at all\n"
    "(TEMPLATE) into a weather file 2.0, as the control file says.  Without a control\n"
    "file tolvex asks for its path.  A second argument -d, -D, /d or /D shows messages\n"
    "in a box on the terminal instead of on the standard error stream.\n"
    "\n"
    "The control file, one item per line:\n"
    "  description of the weather file\n"
    "  source path (for TEMPLATE the destination path again)\n"
    "  TEMPLATE, TMY2 or E/E\n"
    "  destination path\n"
    "  first and last date (m/d, mm/dd or a day number 1..365), e.g. 01/01 12/31\n"
    "  weekday of 1 January (1 = Sunday .. 7 = Saturday)\n"
    "  number of special days, then one \"date type\" line each (e.g. 7/4 8)\n"
    "  first and last day of daylight-saving time (equal: none)\n"
    "\n"
    "The log TOLVEX.LOG goes beside tolvex when that folder is writable, else into\n"
    "$XDG_STATE_HOME/" WEATHER_PACKAGE " (default ~/.local/state/" WEATHER_PACKAGE ").\n"
    "--log FILE writes the run's log to FILE instead, so that runs need not share one.\n"
    "\n"
    "Exit status: 0 the weather file is complete; 1 the run ended with a FATAL\n"
    "message (see the log) or no log could be created; 2 a command line\n"
    "that cannot be run (an unknown option, --log without its file).\n";

int main(int argc, char **argv) {
    const CommandLine line = read_command_line(argc, argv, {"tolvex", WEATHER_VERSION, kUsage});
    if (line.status >= 0) return line.status;
    return tolvex_main(argc > 0 ? argv[0] : "tolvex", line);
}
