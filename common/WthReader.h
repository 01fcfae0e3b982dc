// WthReader - reads a weather file 2.0 into memory and checks it line by line: the
// head, the day section and the time-point section, with CR LF or LF line ends.
//
// Plain C++17 without the converters' units and without Qt, so that the window's
// viewer and the tests of the converters' outputs share one reader.  Owns no
// process-wide state; numbers are read without the C library's locale.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "Calendar.h"

constexpr int kWthDaysInYear = calendar::kDaysInYear;  // the format's year has no 29 February
constexpr int kWthSecondsPerDay = 86400;                // 24:00:00
constexpr std::size_t kWthMaxFileBytes = 100u << 20;    // larger files are refused, bytes

// One day line.
struct WthDay {
    int day;     // day of the year, 1..365
    int dow;     // day of week, 1 = Sunday .. 7 = Saturday
    int dtype;   // day type: a weekday number, or a special type (8 and up)
    int dst;     // 1 while daylight-saving time is in force, else 0
    float tgrnd; // ground temperature, K
};

// One time-point line; a template's lines hold only the day and the time.
struct WthPoint {
    int day_index;  // index into WthFile::days of the line's date
    int seconds;    // time of day, 0..86400
    float ta;       // air temperature, K
    float pb;       // barometric pressure, Pa
    float ws;       // wind speed, m/s
    float wd;       // wind direction, degrees
    double hr;      // humidity ratio, g/kg (printed with three decimals)
    float ith;      // total horizontal radiation of the hour, kJ/m^2
    float idn;      // direct normal radiation of the hour, kJ/m^2
    float ts;       // sky temperature, K
    int rn, sn;     // rain and snow flags
};

struct WthFile {
    std::string description;
    int start_day = 0, end_day = 0;  // days of the year of lines 3 and 4
    std::vector<WthDay> days;        // from start_day to end_day, over the year's end
    bool is_template = false;        // time points without values
    std::vector<WthPoint> points;
};

// Reads the weather file 2.0 held in `text` (`size` bytes) into `out`.  Returns 0 when
// the whole file is sound; otherwise 1 with `error` set to the first problem and its
// line, such as "line 214: 11 values, 12 expected", and `out` as far as it was read.
int wth_parse(const char *text, std::size_t size, WthFile &out, std::string &error);
// The same for the file at `path`; a file that cannot be read, or is larger than
// kWthMaxFileBytes, gives 1 and an `error` without a line number.
int wth_read(const std::string &path, WthFile &out, std::string &error);

// Month (1..12) and day of the month of day of the year `day` (1..365), as
// calendar::month_of and calendar::day_of_month give them.
int wth_month(int day);
int wth_mday(int day);
// "m/d" without leading zeros, as the file writes dates.
std::string wth_date_text(int day);
// Seconds from the file's first midnight to time point `p`.
long wth_elapsed(const WthPoint &p);
