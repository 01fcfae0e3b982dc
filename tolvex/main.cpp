// tolvex - converts a TMY2 or E/E weather file, or no source at all (a template), into
// a weather file 2.0, as its control file says.
#include "Options.h"
#include "Tolvex.h"
#include "TolvexOptions.h"

static const char kUsage[] =
    "Usage: tolvex [--log FILE] [control-file [-d]]\n"
    "       tolvex [--log FILE] --type TMY2|E/E|TEMPLATE --output PATH [--source PATH]\n"
    "              [--description TEXT] [--period M/D-M/D] [--weekday 1..7|source]\n"
    "              [--special M/D:TYPE]... [--dst M/D-M/D] [-d]\n"
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
    "Instead of a control file, options may give its values (--opt VALUE or\n"
    "--opt=VALUE); they are read and checked as the control file would be:\n"
    "  --type TMY2|E/E|TEMPLATE   the source's type\n"
    "  --output PATH              the weather file to write\n"
    "  --source PATH              the TMY2 or E/E file (not for TEMPLATE)\n"
    "  --description TEXT         default: the source's first line, or Template\n"
    "  --period M/D-M/D           first and last date, default 01/01-12/31\n"
    "  --weekday 1..7|source      weekday of 1 January, default 1; source: the one\n"
    "                             an E/E file carries (its year, else DATA PERIODS)\n"
    "  --special M/D:TYPE         a special day, once per day (e.g. --special 7/4:8)\n"
    "  --dst M/D-M/D              daylight-saving time, default none\n"
    "\n"
    "The log TOLVEX.LOG goes beside tolvex when that folder is writable, else into\n"
    "$XDG_STATE_HOME/" WEATHER_PACKAGE " (default ~/.local/state/" WEATHER_PACKAGE ").\n"
    "--log FILE writes the run's log to FILE instead, so that runs need not share one.\n"
    "\n"
    "Exit status: 0 the weather file is complete; 1 the run ended with a FATAL\n"
    "message (see the log) or no log could be created; 2 a command line\n"
    "that cannot be run (an unknown option, an option without its value or given\n"
    "twice, --type or --output missing, --source missing or not wanted).\n";

int main(int argc, char **argv) {
    const CommandLine line = read_command_line(
        argc, argv,
        {"tolvex", WEATHER_VERSION, kUsage, kTolvexOptions, kTolvexOptionCount, check_tolvex_options});
    if (line.status >= 0) return line.status;
    return tolvex_main(argc > 0 ? argv[0] : "tolvex", line);
}
