// Tolvex - the tolvex converter's driver, control file, day calendar and weather file
// head.
//
// Owns the run's settings (`settings`), the day table (`day_table`) and the open
// destination stream (`dest_file`) that the producers of Wfiles append to.
#pragma once

#include <cstdio>

#include "Utils.h"

constexpr int kDaysInYear = 365;
constexpr float kGroundTemp = 283.15f;        // K, every day of every file

// The settings of one run, read from the control file.
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
};

// One day of the calendar.
struct DayEntry {
    int day_of_week;  // 1 = Sunday .. 7 = Saturday
    int day_type;     // the day of week, or the special day's type
    int dst;          // 1 when daylight-saving time is in force
    float ground_temp;  // K
};

// 365 entries indexed by day of year 1..365 (index 0 unused).
struct DayTable {
    DayEntry day[kDaysInYear + 1];
};

extern ConversionSettings settings;
extern DayTable day_table;
extern FILE *dest_file;

// The day after `day`: 365 is followed by 1.
inline int next_day(int day) { return day >= kDaysInYear ? 1 : day + 1; }

// Day-table steps, in the order the control-file reader applies them.
void days_set_defaults(DayTable &t);
void days_set_weekdays(DayTable &t, int first_weekday);
void days_set_special(DayTable &t, int day, int type);
void days_set_dst(DayTable &t, int dst_start, int dst_end);

// Reads the control file at `path` into `settings` and `day_table`.  Returns 0 only
// when no input error was reported; otherwise the run ends with FATAL "Run terminated
// because of input errors" before any output file exists.
int read_control_file(const char *path);

// Creates settings.dest_path (FATAL " Failed to open " and the path when it cannot
// be created) and writes the head and the day section; `dest_file` stays open.
int write_weather_head();

// The whole run of the program: log, heap report, control file, head, producer.
// Returns the exit status of a normal end (0); a FATAL ends the process with 1.
int tolvex_main(int argc, char **argv);
