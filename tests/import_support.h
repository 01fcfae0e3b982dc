// Support for the import tests: synthetic sources whose records say where they came
// from, a conversion by the built tolvex, and the time-point lines it wrote.
#pragma once

#include <string>
#include <vector>

#include "WeatherGen.h"
#include "support.h"

// One time-point line of a weather file 2.0, split into its fields.
struct TimePointLine {
    std::string text;  // the whole line, without its CR LF
    std::string date, time;
    double Ta, Pb, Ws, Wd, Hr, Ith, Idn, Ts;
    int Rn, Sn;
};

// A synthetic year (8760 hours, or 8784 with `leap`) whose wind fields name each
// record: wind direction = the day of the year of a 365-day year (999 on 29 February),
// wind speed = the hour, so that Wd and Ws of a line show its source record.
std::vector<GenHour> marked_year(bool leap = false);

// Writes `hours` as a TMY2 or EPW file at `path`.
void write_tmy2_file(const std::string &path, const std::vector<GenHour> &hours,
                     bool crlf = false);
void write_epw_file(const std::string &path, const std::vector<GenHour> &hours,
                    bool crlf = false);

// The lines of `hours` written as an EPW (`epw`) or TMY2 file, without their LF (the
// CR of a CR LF line stays), and such lines joined again, each ended by a LF.
std::vector<std::string> source_lines(bool epw, const std::vector<GenHour> &hours,
                                      bool crlf = false);
std::string join_lines(const std::vector<std::string> &lines);

// Overwrites part of a source line: EPW field `where` (1-based) replaced by `value`,
// or TMY2 columns from `where` (1-based) overwritten by it.
void spoil(bool epw, std::string &line, int where, const std::string &value);

// One run of the built tolvex in a folder of its own.
struct Conversion {
    TempDir dir;
    RunResult result;
    std::string out;                    // the destination file (empty when absent)
    std::string log;                    // TOLVEX.LOG
    std::vector<TimePointLine> points;  // the time-point lines of `out`
};

// Converts `source` (a path, relative to the conversion's folder or absolute) of
// `type` ("TMY2", "E/E") for `dates` ("1/1 12/31") with the built tolvex; the
// destination is out.wth in the conversion's folder.
void convert(Conversion &c, const std::string &type, const std::string &source,
             const std::string &dates);

// The expected date and time text of time point `i` of a run starting on `start_day`.
std::string expected_date(int start_day, int i);
std::string expected_time(int i);
