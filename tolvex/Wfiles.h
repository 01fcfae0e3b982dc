// Wfiles - what the producers of the time-point section share: the time-point line of
// an import with its checks, the place of a record, rain, and the missing values of a
// source (Gaps).  The producers themselves are one unit per source format
// (ImportTmy2, ImportEe, Template), registered in Producers; each takes the run's
// settings and the open destination, appends the time-point lines for
// settings.start_day .. end_day and returns 0.  Any failure ends the run with a FATAL.
// No process-wide state: an import keeps its state in values of its own.
//
// The messages of all these units are located in "Wfiles".
#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <vector>

#include "Settings.h"
#include "SourceFormat.h"
#include "WeatherFile.h"

constexpr int kSecondsPerHour = 3600;
constexpr int kHoursPerDay = 24;

// Unit factors.  The sources' tenths of Ta, Tdp and sky cover are scaled by the 32-bit
// float 0.1, as the weather formats have always done; every other factor is a double.
constexpr double kCelsiusOffset = 273.15;  // K at 0 degC
constexpr double kWhToKj = 3.6;            // kJ per Wh
constexpr double kMbarToPa = 100.0;        // Pa per mbar
constexpr double kTenth = 0.1;             // tenths of m/s -> m/s
constexpr float kTenthF = 0.1f;            // tenths of degC -> degC, tenths -> fraction
constexpr int kSkyCoverMissing = 99;       // total sky cover not observed

// Derives the humidity ratio and the sky temperature of `p` from its Ta and Pb, the
// dew point `Tdp` (K) and the sky cover `N` (fraction), then appends its line for
// `day` (day of year) at `seconds` (0..86400) to `dest`.  A value that is not a
// number ends the run with the floating-point FATAL before the line is written.
void write_time_point(FILE *dest, int day, int seconds, WeatherPoint &p, float Tdp, float N);

// An ERROR of a reader or of a record's date ends the run before the next line:
// FATAL "Run terminated because of input errors".
void stop_on_input_errors();

// The record read for `day` at `seconds` must be the one that line needs: hour h of
// the day for h:00:00, hour 24 of the day before for 00:00:00.  A record whose month
// and day form a valid date but which is another record ends the run ("Record of ...
// found where ... was expected"); an invalid date is left to date_to_day's ERROR.
void check_place(int month, int mday, int hour, int day, int seconds);

// Rain from the present-weather character: the digits 0 (light rain) to 8 are rain;
// 9 (none), any other character or none at all are not.
inline int is_rain(char c) { return c >= '0' && c <= '8'; }

// ---- missing values ---------------------------------------------------------------
// The field values of one record in source units, and its own hour field.
struct RecordValues {
    double v[kGapFields];
    int hour;
    bool usable;  // false for a record that cannot be a substitute (E/E 2/29, unreadable)
};

// What the searches for the substitutes of one field have found for one key (an hour,
// or 0 for every record): the last record asked for and its nearest earlier valid
// record, and the last asked for that had none before it and its nearest later one
// (-1: none, or nothing asked yet).
struct GapSearch {
    long asked = -1, earlier = -1;
    long asked_later = -1, later = -1;
};

// The searches of one field by key: a table for the hours of real files, made at the
// field's first search, and a map for any other number a file may hold.
class GapSearches {
public:
    GapSearch &of(int key) {
        if (key < 0 || key >= kHours) return other_[key];
        if (hours_.empty()) hours_.resize(kHours);
        return hours_[(size_t)key];
    }

private:
    static constexpr int kHours = 25;
    std::vector<GapSearch> hours_;
    std::map<int, GapSearch> other_;
};

// The missing values of one import: the index of the file's records that gives their
// substitutes, and the number of lines written with each field missing.  The index
// reads a record only when a search for a substitute comes to it, each once: from the
// record with the missing value back to the nearest valid one, and on to the next
// valid one only where there is none before it.  A conversion of a few days reads
// little more than its own records, a file with no missing value none at all.  The
// record numbers are those the import passes to fill_gaps.
struct Gaps {
    const SourceFormat *format;
    // Reads record number `k` of the file into `r`, for any k >= 0 in any order; false
    // when the file has no record `k` (nor any after it).
    std::function<bool(long k, RecordValues &r)> read;
    // What a look at record `k` cheaper than `read` tells of it (optional): kNoRecord, or
    // kCannotGive when its value of field `f` cannot replace a missing one of a record
    // of key `key` (its hour is another, or the value is missing or no number), else
    // kMayGive, and `read` decides.
    enum Look { kNoRecord, kCannotGive, kMayGive };
    std::function<Look(long k, int f, int key)> look;
    std::vector<size_t> starts;  // the readers' own: where the records they came to start
    struct Indexed {
        RecordValues values;
        unsigned valid;  // bit f: the record may give its value of field f to another
        bool read;       // false: not read yet
    };
    std::vector<Indexed> records;  // by record number
    long end = -1;                 // the number of records of the file, once known
    // The whole file is indexed at the first substitute asked for: set by an import
    // whose records may hold a value that is not a number.  The comparison with a
    // missing-value code traps on such a value (FATAL "Invalid floating-point
    // operation"), and the file alone decides whether it does, not the period converted.
    bool whole = false;
    GapSearches searches[kGapFields];
    long count[kGapFields] = {};
};

// Replaces the missing values of `r`, record number `record` of the file, and counts
// them; a missing snow depth becomes 0 (no snow).  FATAL "No valid values of <field>
// in the source" when a field has no value to take.
void fill_gaps(Gaps &g, RecordValues &r, long record);
// One WARNING for each field that had missing values, in the order of the fields.
void report_gaps(const Gaps &g);
