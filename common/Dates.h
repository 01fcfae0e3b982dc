// Dates - the texts of dates and times in the converters' files, over the 365-day
// calendar (Calendar.h).  No state but the static buffers named below.
#pragma once

#include "Calendar.h"

constexpr int kDaysInYear = calendar::kDaysInYear;

// "m/d" of a day of the year; a static buffer that the next call overwrites.  In
// tolvex a day outside 1..365 is reported as ERROR "invalid day number: " and still
// converted (0 gives 1/0, 366 gives 12/32).
const char *day_to_date(int day);
// Day of the year of month/day, or -1 after an ERROR for an invalid month or day.
int date_to_day(int month, int day);
// "m/d" with leading zeros allowed: 0 and the day of the year, or 1 (day 0).
int parse_date(const char *text, int *day);
// "hh:mm:ss" of 0..86400 seconds (86400 is 24:00:00); FATAL "invalid time " outside.
// A static buffer that the next call overwrites.
const char *sec_to_time(int seconds);
