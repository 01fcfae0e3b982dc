// ViewerRules - what the weather-file viewer decides without a window: the value axis of
// a chart, fitted to the values in view, and the labels of the time axis for the span in
// view.
//
// Plain C++ without Qt and without state; the viewer gives these routines its values and
// its view and sets its axes from what they return, and the tests call them directly.
// Times are milliseconds after the file's first midnight.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// ---- Value axis -------------------------------------------------------------------

// The lowest and the highest of the values in view, gathered one by one.
struct ValueRange {
    double lo = 0, hi = 0;
    bool any = false;  // whether a value was added
    void add(double v) {
        lo = any ? std::min(lo, v) : v;
        hi = any ? std::max(hi, v) : v;
        any = true;
    }
};

// A value axis: its ends and the number of its ticks, evenly spaced from end to end.
struct ValueAxis {
    double from, to;
    int ticks;
};

// The axes that do not follow their values: the compass of the wind direction, degrees,
// and the rain (up to 1) and snow (down to -1) marks with room above and below.
constexpr ValueAxis kCompassAxis{0, 360, 5};
constexpr ValueAxis kMarksAxis{-1.2, 1.2, 3};

// The axis of a chart whose values in view are `values`: four or five equal steps, from
// the multiple of the step at or below the lowest value, so that every value in view
// lies on the axis.  The step is the first of 1, 2, 2.5 and 5 times a power of ten,
// from the power at or below a fifth of the range upwards, of which four steps, else
// five, reach the highest value: the axis is the shortest such, and its curves use most
// of the chart's height.  Without values the range is 0 to 1; values that differ by
// less than 1e-6 get half a unit either side.
ValueAxis fitted_axis(const ValueRange &values);

// ---- Time axis --------------------------------------------------------------------

// A label of the time axis: `text` at `at`, ms after the file's first midnight.
struct TimeLabel {
    std::int64_t at;
    std::string text;
};

// The labels of the time axis for the view from `from` to `to` (ms after the first
// midnight) of a file of `days` days from day of the year `start_day`.  The span in view
// decides them: over 40 days the months ("Jan") at their first midnights, over 8 days
// the 1st, 8th, 15th, 22nd and 29th of each month ("7/8"), over a day each midnight
// ("7/4"), else every third hour ("7/4 03:00", the day's end "7/4 24:00").  A label at
// the place of the one before, or with the text of an earlier one, is left out, so the
// labels are in time order, each once.  The midnight that ends the file's last day
// counts as a day's start.
std::vector<TimeLabel> time_labels(std::int64_t from, std::int64_t to, int start_day, int days);
