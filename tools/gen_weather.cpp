// gen_weather - writes a synthetic full-year TMY2 or EPW weather file (see WeatherGen.h).
//
//   gen_weather tmy2|epw OUTPUT [--crlf] [--leap]
//
// --crlf ends the lines with CR LF instead of LF; --leap (EPW only) writes the 8784
// hours of a leap year, 29 February included.  Exit status 0 on success, 2 on a usage
// error, 1 when the file cannot be written.
#include <cstdio>
#include <cstring>

#include "WeatherGen.h"

static GenHour hours[kGenHoursPerLeapYear];

static int usage() {
    fputs("usage: gen_weather tmy2|epw OUTPUT [--crlf] [--leap]\n", stderr);
    return 2;
}

int main(int argc, char **argv) {
    if (argc < 3) return usage();
    bool tmy2 = strcmp(argv[1], "tmy2") == 0;
    if (!tmy2 && strcmp(argv[1], "epw") != 0) return usage();
    bool crlf = false, leap = false;
    for (int i = 3; i < argc; ++i) {
        if (strcmp(argv[i], "--crlf") == 0) {
            crlf = true;
        } else if (strcmp(argv[i], "--leap") == 0 && !tmy2) {
            leap = true;
        } else {
            return usage();
        }
    }

    int count = gen_year(hours, leap ? 2012 : 2001, leap);
    FILE *f = fopen(argv[2], "wb");
    if (!f) {
        fprintf(stderr, "gen_weather: cannot create %s\n", argv[2]);
        return 1;
    }
    int failed = tmy2 ? write_tmy2(f, hours, count, crlf) : write_epw(f, hours, count, crlf);
    if (fclose(f) != 0) failed = 1;
    if (failed) {
        fprintf(stderr, "gen_weather: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
