// WeatherSummary - the monthly summary of a weather file 2.0 shown by the viewer: the
// minimum, mean and maximum of each quantity and the hours of rain and of snow, and
// its text as CSV.  Plain C++, no Qt, so that tests compute it without a window.
#pragma once

#include <string>
#include <vector>

#include "WthReader.h"

// The quantities of a time point that the summary and the charts know, in file order.
enum class Quantity { Ta, Pb, Ws, Wd, Hr, Ith, Idn, Ts, Count };
constexpr int kQuantities = static_cast<int>(Quantity::Count);

struct QuantityInfo {
    const char *column;  // the file's column name, "Ta"
    const char *name;    // "Air temperature"
    const char *unit;    // the file's unit, "K"
    bool temperature;    // shown in K or in degrees Celsius
};
const QuantityInfo &quantity_info(Quantity q);
// The value of `q` at `p`, in the file's unit.
double quantity_value(const WthPoint &p, Quantity q);

constexpr double kZeroCelsius = 273.15;  // K

// One row of the summary: the time points of one month, in file order.  A run of
// points whose dates lie in the same month makes one row, so a period that starts
// and ends in the same month (7/15 to 7/14) gives that month two rows.
struct MonthStats {
    int month = 0;   // 1..12
    int points = 0;  // time points counted
    double min[kQuantities] = {}, mean[kQuantities] = {}, max[kQuantities] = {};
    int rain_hours = 0, snow_hours = 0;  // time points whose Rn or Sn is not 0
};

// The summary of `file` (not a template): each time point counts in the month of its
// date.  Wind direction's mean is the direction of the mean unit vector, 0 to 360
// degrees, so that 350 and 10 average to 0 rather than 180.  Values in the file's
// units.
std::vector<MonthStats> monthly_summary(const WthFile &file);

// Three-letter English name of month 1..12.
const char *month_name(int month);

// The summary as CSV: a heading line, then one line per row; temperatures in degrees
// Celsius when `celsius`, else in K; every line ends with CR LF; numbers with a point,
// whatever the locale.
std::string summary_csv(const std::vector<MonthStats> &rows, bool celsius);
// One number of the summary as the table and the CSV show it: Hr with three decimals,
// the others with two.
std::string summary_number(double value, Quantity q);
