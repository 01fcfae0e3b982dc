// Wfiles - what the producers share.  See Wfiles.h.
#include "Wfiles.h"

#include <cfenv>
#include <cfloat>
#include <cmath>

#include "Config.h"
#include "Dates.h"
#include "MoistAir.h"
#include "Numbers.h"

// ---- time-point lines of the imports ------------------------------------------------
// Ends the run as the floating-point trap would for an exception of kind `except`
// (FE_INVALID or FE_OVERFLOW): raised with the traps that msg_setup unmasks, the
// handler reports it as FATAL; without them (the units called on their own) the same
// text is reported here.
[[noreturn]] static void fp_fault(int except) {
    feraiseexcept(except);
    MSG_FATAL(except == FE_INVALID ? "Invalid floating-point operation"
                                   : "Floating-point overflow");
}

// A value that is about to be written, or narrowed to the type that holds it, must be
// a number within `limit`.  The traps catch most faults where they arise, but not
// all: a TMY2 field may read as "nan" or "inf" itself, arithmetic on an infinity
// raises nothing, and an exception of the long double formulas (x87) is only
// delivered at the next x87 instruction, after a narrowing store that it left undone.
static void check_value(long double v, long double limit) {
    if (std::isnan(v)) fp_fault(FE_INVALID);
    if (!(std::fabs(v) <= limit)) fp_fault(FE_OVERFLOW);
}

void write_time_point(FILE *dest, int day, int seconds, WeatherPoint &p, float Tdp,
                             float N) {
    long double hr = humidity_ratio(Tdp, p.Pb) * 1000.0L;  // kg/kg -> g/kg
    check_value(hr, DBL_MAX);
    p.Hr = (double)hr;
    long double ts = sky_temperature(p.Ta, Tdp, N);
    check_value(ts, FLT_MAX);
    p.Ts = (float)ts;
    const float held[] = {p.Ta, p.Pb, p.Ws, p.Wd, p.Ith, p.Idn};
    for (float v : held) check_value(v, FLT_MAX);
    wth_write_point(dest, day, seconds, p);
}

void stop_on_input_errors() {
    if (error_count_now() > 0) MSG_FATAL("Run terminated because of input errors");
}

// ---- records in their place ---------------------------------------------------------
void check_place(int month, int mday, int hour, int day, int seconds) {
    if (!calendar::is_date(month, mday)) return;
    int want_day = day, want_hour = seconds / kSecondsPerHour;
    if (seconds == 0) {
        want_day = calendar::previous_day(day);
        want_hour = kHoursPerDay;
    }
    if (calendar::day_of_year(month, mday) == want_day && hour == want_hour) return;
    char found[64], wanted[64];
    snprintf(found, sizeof found, "%d/%d hour %d", month, mday, hour);
    snprintf(wanted, sizeof wanted, "%s hour %d", day_to_date(want_day), want_hour);
    MSG_FATAL("Record of ", found, " found where ", wanted, " was expected");
}

// ---- missing values ---------------------------------------------------------------
// Real sources mark a value that was not measured with a code at or above a field's
// limit (9999, 999, 99.9), and some write impossible negative values.  A missing
// value takes the value of the nearest earlier record of the file whose value of that
// field is valid (the radiations: only records of the same hour, so that nights stay
// dark), or, when no earlier one exists, of the nearest later one; a missing snow
// depth is written as no snow.  The substitutes depend on the file alone, never on the
// records a conversion reads; the index reads, without echo, the records that the
// searches for them come to.

// Whether the file has a record `k`, which is read into the index if it is not there
// yet, with the fields it may give its value of to another.
static bool load(Gaps &g, long k) {
    if (g.end >= 0 && k >= g.end) return false;
    if ((size_t)k < g.records.size() && g.records[(size_t)k].read) return true;
    Gaps::Indexed x{};
    if (!g.read(k, x.values)) {
        g.end = k;  // nor any record after it
        return false;
    }
    x.read = true;
    for (int f = 0; f < kGapFields; ++f)
        if (x.values.usable && !is_missing_value(*g.format, f, x.values.v[f])) x.valid |= 1u << f;
    if (g.records.size() <= (size_t)k) g.records.resize((size_t)k + 1);
    g.records[(size_t)k] = x;
    return true;
}

// The key of the loaded record `k` for field `f`: its hour where the rule asks for the
// same hour, else 0.
static int key_of(const Gaps &g, int f, long k) {
    return kGapFieldRules[f].same_hour ? g.records[(size_t)k].values.hour : 0;
}

// Whether record `k` gives its value of field `f` to a record of key `key`: a record
// not read yet is looked at first, and read only when it may.
enum class Gives { kNo, kYes, kNoRecord };
static Gives gives(Gaps &g, int f, long k, int key) {
    const bool read = (size_t)k < g.records.size() && g.records[(size_t)k].read;
    if (!read && g.look && (g.end < 0 || k < g.end)) {
        switch (g.look(k, f, key)) {
        case Gaps::kNoRecord: g.end = k; return Gives::kNoRecord;
        case Gaps::kCannotGive: return Gives::kNo;
        case Gaps::kMayGive: break;
        }
    }
    if (!load(g, k)) return Gives::kNoRecord;
    return (g.records[(size_t)k].valid >> f & 1) && key_of(g, f, k) == key ? Gives::kYes
                                                                           : Gives::kNo;
}

// The nearest valid record of field `f` before record `k` with its key `key`, or -1.
// Below the last record asked for with the key, the answer is the one found then.
static long nearest_earlier(Gaps &g, int f, long k, int key) {
    GapSearch &s = g.searches[f].of(key);
    if (s.asked == k) return s.earlier;
    const bool above = s.asked >= 0 && s.asked < k;
    long found = above ? s.earlier : -1;
    for (long j = k - 1; j >= (above ? s.asked : 0); --j) {
        if (gives(g, f, j, key) == Gives::kYes) {
            found = j;
            break;
        }
    }
    s.asked = k;
    s.earlier = found;
    return found;
}

// The nearest valid record of field `f` after record `k` with its key `key`, or -1.
// The one found for an earlier record stands as long as it lies after `k`.
static long nearest_later(Gaps &g, int f, long k, int key) {
    GapSearch &s = g.searches[f].of(key);
    if (s.asked_later >= 0 && s.asked_later <= k && (s.later > k || s.later < 0)) return s.later;
    long found = -1;
    for (long j = k + 1;; ++j) {
        const Gives given = gives(g, f, j, key);
        if (given == Gives::kNoRecord) break;
        if (given == Gives::kYes) {
            found = j;
            break;
        }
    }
    s.asked_later = k;
    s.later = found;
    return found;
}

// The record whose value of field `f` replaces a missing one in record `k`: the
// nearest earlier valid record of its key, else the nearest later one.  -1 when there
// is none, or the file has no record `k`.
static long substitute(Gaps &g, int f, long k) {
    if (g.whole) {
        for (long j = 0; load(g, j); ++j) {
        }
        g.whole = false;
    }
    if (k < 0 || !load(g, k)) return -1;
    const int key = key_of(g, f, k);
    const long earlier = nearest_earlier(g, f, k, key);
    return earlier >= 0 ? earlier : nearest_later(g, f, k, key);
}

void fill_gaps(Gaps &gaps, RecordValues &r, long record) {
    for (int f = 0; f < kGapFields; ++f) {
        if (!is_missing_value(*gaps.format, f, r.v[f])) continue;
        ++gaps.count[f];
        if (f == kSnow) {
            r.v[f] = 0;
            continue;
        }
        const long from = substitute(gaps, f, record);
        if (from < 0) MSG_FATAL("No valid values of ", kGapFieldRules[f].name, " in the source");
        r.v[f] = gaps.records[(size_t)from].values.v[f];
    }
}

void report_gaps(const Gaps &gaps) {
    for (int f = 0; f < kGapFields; ++f) {
        if (gaps.count[f] == 0) continue;
        const char *how = f == kSnow ? " written as no snow"
                          : kGapFieldRules[f].same_hour
                              ? " replaced by the nearest valid value of the same hour"
                              : " replaced by the nearest earlier valid value";
        MSG(WARNING, int_text(gaps.count[f]), " missing values of ", kGapFieldRules[f].name, how);
    }
}
