// WeatherFile - the writer of the converters' output files: the weather file 2.0 and
// the species file 2.0.
//
// Every output file is created by out_open and finished by out_close (Output), which
// write it beside its destination and put it in place only when the run has
// succeeded; between them the writers below place the tabs, print numbers only in the
// forms the formats name ("%g", "%.3f", "%d") and end every line with CR LF on every
// platform.
#pragma once

#include <cstdio>

#include "Output.h"

// One formatted line and its CR LF; a piece of a line; the CR LF that ends a line.
// A failed write ends the run with FATAL "Could not write file: " and the path.
void out_line(FILE *f, const char *format, ...) __attribute__((format(printf, 2, 3)));
void out_text(FILE *f, const char *format, ...) __attribute__((format(printf, 2, 3)));
void out_end(FILE *f);

// ---- weather file 2.0 -------------------------------------------------------------
// The values of one time-point line, each in the type the format holds it.
struct WeatherPoint {
    float Ta;   // air temperature, K
    float Pb;   // barometric pressure, Pa
    float Ws;   // wind speed, m/s
    float Wd;   // wind direction, degrees
    double Hr;  // humidity ratio, g/kg, printed with three decimals
    float Ith;  // total horizontal radiation of the hour, kJ/m^2
    float Idn;  // direct normal radiation of the hour, kJ/m^2
    float Ts;   // sky temperature, K
    int Rn;     // rain flag, 0 or 1
    int Sn;     // snow flag, 0 or 1
};

// The head: the format line, `description`, the first and last date (days of the
// year) and the header of the day section.
void wth_write_head(FILE *f, const char *description, int first_day, int last_day);
// One line of the day section: date, day of week, day type, daylight-saving flag and
// ground temperature (K).
void wth_write_day(FILE *f, int day, int day_of_week, int day_type, int dst, float ground_temp);
// The header of the time-point section.
void wth_write_points_head(FILE *f);
// One time-point line for `day` at `seconds` (0..86400; FATAL "invalid time " outside).
void wth_write_point(FILE *f, int day, int seconds, const WeatherPoint &p);
// A time-point line without values (date and time only), as a template holds it.
void wth_write_time(FILE *f, int day, int seconds);

// ---- species file 2.0 -------------------------------------------------------------
// The head: format line, description, first and last date, the number of species,
// one name per line and the header of the concentration lines.  `names` and the
// concentrations below are indexed 0..n-1.
void ctm_write_head(FILE *f, const char *description, int first_day, int last_day, int n,
                    char *const *names);
// One concentration line for `day` at `seconds`.
void ctm_write_point(FILE *f, int day, int seconds, const float *conc, int n);
