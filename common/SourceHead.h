// SourceHead - what a source file tells before it is converted: its first line, which
// is proposed as the description, and the weekday of 1 January that an E/E file
// carries.
//
// Plain C++ over stdio and POSIX calls, without the converters' messages and without
// state, so a library of its own that the converters and the window share.  Only
// regular files are read: a pipe or a device would lose to this look the data its
// conversion needs, or never end.
#pragma once

#include <cstddef>
#include <string>

// The most a source (or any input of the converters) may hold: a year of hourly
// records is a few megabytes.
constexpr size_t kMaxSourceBytes = (size_t)256 << 20;

// Reads the first line of the regular file at `path` into `line`: every byte up to the
// first CR or LF (or NUL), cut to at most `limit` bytes on a boundary of a UTF-8
// character.  False, `line` empty, when the file cannot be opened or is no regular
// file.
bool source_first_line(const char *path, std::string &line, size_t limit);

// How the weekday of 1 January was found in an E/E source, or why it was not.
enum class WeekdayFrom {
    Year,         // every record carries one and the same year
    DataPeriods,  // the start weekday of the header line "DATA PERIODS"
    None,         // records of several years and no weekday in DATA PERIODS
    Unreadable,   // the file could not be opened (error holds errno) or is too large
    NotRegular,   // a pipe, a device or a folder
};

struct SourceWeekday {
    WeekdayFrom from;
    int weekday;  // 1 = Sunday .. 7 = Saturday; 0 unless from Year or DataPeriods
    int year;     // the year of every record (from Year), else 0
    bool leap;    // that year has a 29 February (from Year)
    int error;    // errno when Unreadable, else 0
};

// The weekday of 1 January that the E/E (EPW) file at `path` carries.  The records
// are the lines after the 8 header lines that are not blank; a record's year is its
// first field, a whole number 1..9999.  When every record carries the same year, the
// weekday of 1 January of that year in the Gregorian calendar; otherwise the weekday
// named (Sunday .. Saturday, any case) by the first period of the header line
// "DATA PERIODS,<n>,<records per hour>,<name>,<start weekday>,<start m/d>,...",
// counted back from its start date to 1 January (a period that starts on 1/1 gives its
// start weekday as it stands).  Lines may end in CR LF, LF or CR.
SourceWeekday ee_weekday(const char *path);

// The weekday (1 = Sunday .. 7 = Saturday) of 1 January of `year` (1 or later) in the
// Gregorian calendar, and whether that year has a 29 February.
int new_year_weekday(int year);
bool is_leap_year(int year);
