// Settings - what one tolvex conversion is: the settings read from the control file
// and the day calendar they give.  Types and constants only; the driver (Tolvex) fills
// them and hands them to the producers (Producers).
#pragma once

#include "Calendar.h"
#include "Dates.h"
#include "Input.h"

constexpr float kGroundTemp = 283.15f;  // K, every day of every file

// One day of the calendar.
struct DayEntry {
    int day_of_week;    // 1 = Sunday .. 7 = Saturday
    int day_type;       // the day of week, or the special day's type
    int dst;            // 1 when daylight-saving time is in force
    float ground_temp;  // K
};

// 365 entries indexed by day of year 1..365 (index 0 unused).
struct DayTable {
    DayEntry day[kDaysInYear + 1];
};

// The settings of one run, read from the control file, with the day table that its
// weekday, special days and daylight-saving dates give.
struct ConversionSettings {
    char description[kLineSize];
    char source_path[kLineSize];
    char file_type[kLineSize];
    char dest_path[kLineSize];
    int start_day;      // day of year 1..365, first day written
    int end_day;        // last day written; before start_day the range runs over the year's end
    int first_weekday;  // day of week of 1 January: 1 = Sunday .. 7 = Saturday
    int dst_start;      // first and last day of daylight-saving time; equal: none
    int dst_end;
    DayTable days;
};

using calendar::next_day;
