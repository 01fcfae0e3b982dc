// Calendar - the 365-day year of every weather file: month lengths and the day of the
// year of a date and back.  Leap days have no place in it.
//
// Header only and without state, so that the converters, the weather file reader, the
// window and the generator share one definition; every function is constexpr.
#pragma once

namespace calendar {

constexpr int kDaysInYear = 365;
constexpr int kMonths = 12;
constexpr int kWeekdays = 7;

// The weekdays by their number less one: 1 = Sunday .. 7 = Saturday.
inline constexpr const char *kWeekdayNames[kWeekdays] = {
    "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

// Days of each month, and days of the year before its first; index 0 unused.
inline constexpr int kMonthDays[kMonths + 1] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
inline constexpr int kDaysBefore[kMonths + 1] = {0,   0,   31,  59,  90,  120, 151,
                                                 181, 212, 243, 273, 304, 334};

// Days of `month` (1..12), 0 for any other number.
constexpr int month_days(int month) {
    return month >= 1 && month <= kMonths ? kMonthDays[month] : 0;
}

// Days of the year before the first of `month` (1..12), 0 for any other number.
constexpr int days_before(int month) {
    return month >= 1 && month <= kMonths ? kDaysBefore[month] : 0;
}

// True when `mday` is a day of `month` in the 365-day year.
constexpr bool is_date(int month, int mday) {
    return mday >= 1 && mday <= month_days(month);
}

// Day of the year (1..365) of month/mday, or -1 when that is no date.
constexpr int day_of_year(int month, int mday) {
    return is_date(month, mday) ? days_before(month) + mday : -1;
}

// The month (1..12) of a day of the year; days before 1 fall in January, days after
// 365 in December.
constexpr int month_of(int day) {
    int month = 1;
    while (month < kMonths && days_before(month + 1) < day) ++month;
    return month;
}

// The day of its month of a day of the year, as month_of places it (day 0 is 1/0,
// day 366 is 12/32).
constexpr int day_of_month(int day) { return day - days_before(month_of(day)); }

// The day after `day`: 365 is followed by 1.
constexpr int next_day(int day) { return day >= kDaysInYear ? 1 : day + 1; }

// The day before `day`: 1 is preceded by 365.
constexpr int previous_day(int day) { return day <= 1 ? kDaysInYear : day - 1; }

static_assert(days_before(12) + month_days(12) == kDaysInYear);
static_assert([] {
    for (int m = 1; m < kMonths; ++m)
        if (days_before(m + 1) != days_before(m) + month_days(m)) return false;
    return true;
}());
static_assert(month_of(59) == 2 && month_of(60) == 3 && day_of_month(60) == 1);

}  // namespace calendar
