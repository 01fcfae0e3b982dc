// WeatherGen - synthetic hourly weather of one year, written as a TMY2 or an EPW file.
//
// The project's own example and test sources come from here, never from real files.
// The weather is made up but plausible for a mid-latitude site (45 N): a yearly and a
// daily temperature swing, dew points below the air temperature, sun-driven radiation,
// clouds, rain codes and a winter snow cover.  Every value is a deterministic function
// of the hour, so that two runs write the same bytes.  No state.
#pragma once

#include <cstdio>

constexpr int kGenHoursPerYear = 8760;
constexpr int kGenHoursPerLeapYear = 8784;

// One hour of weather, in the units of the TMY2 format (integers, tenths where noted).
struct GenHour {
    int year;           // four digits (TMY2 writes the last two)
    int month, day;     // calendar date
    int hour;           // 1..24, the hour that ends at this time
    int etr_h, etr_dn;  // extraterrestrial horizontal / direct normal radiation, Wh/m^2
    int global;         // global horizontal radiation, Wh/m^2
    int direct;         // direct normal radiation, Wh/m^2
    int diffuse;        // diffuse horizontal radiation, Wh/m^2
    int total_cover;    // total sky cover, tenths; 99 missing
    int opaque_cover;   // opaque sky cover, tenths
    int dry_bulb;       // dry-bulb temperature, tenths of degC
    int dew_point;      // dew-point temperature, tenths of degC
    int rel_hum;        // relative humidity, %
    int pressure;       // station pressure, mbar (EPW: Pa = 100 x mbar)
    int wind_dir;       // degrees
    int wind_speed;     // tenths of m/s
    int infrared;       // horizontal infrared radiation, Wh/m^2 (EPW only)
    char weather[10];   // nine present-weather code digits; [1] is the rain digit
    int snow_depth;     // cm; 999 missing
    int days_since_snow;// days since the last snowfall; 99 missing
};

// Fills `hours` (room for kGenHoursPerLeapYear) with one year, 1/1 hour 1 to 12/31
// hour 24: 8760 hours of `year`, or 8784 with 29 February when `leap` is set.
// Returns the number of hours written.
int gen_year(GenHour *hours, int year, bool leap);

// One record without its line end, into `line` of `size` characters (at least 160
// for TMY2, 400 for EPW).  The TMY2 record is 142 fixed columns; the EPW record has
// 35 comma-separated fields.
void format_tmy2_record(const GenHour &h, char *line, int size);
void format_epw_record(const GenHour &h, char *line, int size);

// Writes a whole file: the header (1 line for TMY2, 8 for EPW) and the records, every
// line ended by CR LF when `crlf` is set, else by LF.  Returns 0, or 1 when a write
// failed.
int write_tmy2(FILE *f, const GenHour *hours, int count, bool crlf);
int write_epw(FILE *f, const GenHour *hours, int count, bool crlf);
