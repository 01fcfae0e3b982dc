// Wfiles - what the producers share.  See Wfiles.h.
#include "Wfiles.h"

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <map>

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
// depth is written as no snow.  The substitutes depend on the file alone: on the
// first missing value the whole file is indexed once, without echo, and a file with
// no missing value costs nothing more.

// For every record and field, the record whose value replaces a missing one: the
// nearest earlier valid one, else the nearest later one (of the same hour for the
// radiations).  One pass each way, keyed by hour where the rule asks for it.
namespace {

// The last valid record seen for each key (an hour, or 0 for every record): an array
// for the hours of real files, a map for any other number a file may hold.
class LastValid {
public:
    long find(int key) const {
        if (key >= 0 && key < kHours) return hours_[key];
        auto it = other_.find(key);
        return it == other_.end() ? -1 : it->second;
    }
    void set(int key, long record) {
        if (key >= 0 && key < kHours) {
            hours_[key] = record;
        } else {
            other_[key] = record;
        }
    }

private:
    static constexpr int kHours = 32;
    long hours_[kHours] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                           -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    std::map<int, long> other_;
};

}  // namespace

static void find_substitutes(Gaps &gaps) {
    const long n = (long)gaps.records.size();
    for (int f = 0; f < kGapFields; ++f) {
        std::vector<long> &sub = gaps.substitute[f];
        sub.assign(n, -1);
        const bool by_hour = kGapFieldRules[f].same_hour;
        auto key = [&](long k) { return by_hour ? gaps.records[k].hour : 0; };
        auto valid = [&](long k) {
            return gaps.records[k].usable &&
                   !is_missing_value(*gaps.format, f, gaps.records[k].v[f]);
        };
        LastValid before;
        for (long k = 0; k < n; ++k) {
            sub[k] = before.find(key(k));
            if (valid(k)) before.set(key(k), k);
        }
        LastValid after;
        for (long k = n - 1; k >= 0; --k) {
            if (sub[k] < 0) sub[k] = after.find(key(k));
            if (valid(k)) after.set(key(k), k);
        }
    }
}

void fill_gaps(Gaps &gaps, RecordValues &r, long record) {
    for (int f = 0; f < kGapFields; ++f) {
        if (!is_missing_value(*gaps.format, f, r.v[f])) continue;
        ++gaps.count[f];
        if (f == kSnow) {
            r.v[f] = 0;
            continue;
        }
        if (!gaps.indexed) {
            gaps.index(gaps.records);
            find_substitutes(gaps);
            gaps.indexed = true;
        }
        long from = record >= 0 && record < (long)gaps.records.size()
                        ? gaps.substitute[f][record] : -1;
        if (from < 0) MSG_FATAL("No valid values of ", kGapFieldRules[f].name, " in the source");
        r.v[f] = gaps.records[from].v[f];
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
