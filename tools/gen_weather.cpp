// gen_weather - writes a synthetic TMY2 or EPW weather file of a year or of its first days
// (see WeatherGen.h).
//
//   gen_weather tmy2|epw OUTPUT [--crlf] [--leap] [--days N]
//
// --crlf ends the lines with CR LF instead of LF; --leap (EPW only) writes the 8784
// hours of a leap year, 29 February included; --days N writes only the first N days
// (1..365), as the bundled examples' sources do.  Exit status 0 on success, 2 on a
// usage error, 1 when the file cannot be written.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "WeatherGen.h"

static GenHour hours[kGenHoursPerLeapYear];

static int usage() {
    fputs("usage: gen_weather tmy2|epw OUTPUT [--crlf] [--leap] [--days N]\n", stderr);
    return 2;
}

int main(int argc, char **argv) {
    if (argc < 3) return usage();
    bool tmy2 = strcmp(argv[1], "tmy2") == 0;
    if (!tmy2 && strcmp(argv[1], "epw") != 0) return usage();
    bool crlf = false, leap = false;
    int days = 0;  // 0: the whole year
    for (int i = 3; i < argc; ++i) {
        if (strcmp(argv[i], "--crlf") == 0) {
            crlf = true;
        } else if (strcmp(argv[i], "--leap") == 0 && !tmy2) {
            leap = true;
        } else if (strcmp(argv[i], "--days") == 0 && i + 1 < argc) {
            char *end = nullptr;
            const long n = strtol(argv[++i], &end, 10);
            if (*end != '\0' || n < 1 || n > 365) return usage();
            days = (int)n;
        } else {
            return usage();
        }
    }

    int count = gen_year(hours, leap ? 2012 : 2001, leap);
    if (days) count = days * 24;
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
