// Wfiles - the producers of the time-point section.  See Wfiles.h.
#include "Wfiles.h"

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "Config.h"
#include "MoistAir.h"
#include "Settings.h"
#include "Utils.h"
#include "WeatherFile.h"

constexpr int kSecondsPerHour = 3600;
constexpr int kHoursPerDay = 24;

// ---- template ---------------------------------------------------------------------
// Date and time of every time point from start_day 00:00:00 to end_day 24:00:00,
// without values, for the user to fill in.
int make_template(const ConversionSettings &settings, FILE *dest) {
    wth_write_time(dest, settings.start_day, 0);
    for (int d = settings.start_day;; d = next_day(d)) {
        for (int h = 1; h <= kHoursPerDay; ++h) wth_write_time(dest, d, h * kSecondsPerHour);
        if (d == settings.end_day) break;
    }
    return 0;
}

// ---- time-point lines of the imports ------------------------------------------------
// Unit factors.  The sources' tenths of Ta, Tdp and sky cover are scaled by the 32-bit
// float 0.1, as the weather formats have always done; every other factor is a double.
constexpr double kCelsiusOffset = 273.15;  // K at 0 degC
constexpr double kWhToKj = 3.6;            // kJ per Wh
constexpr double kMbarToPa = 100.0;        // Pa per mbar
constexpr double kTenth = 0.1;             // tenths of m/s -> m/s
constexpr float kTenthF = 0.1f;            // tenths of degC -> degC, tenths -> fraction
constexpr int kSkyCoverMissing = 99;       // total sky cover not observed

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

// Derives the humidity ratio and the sky temperature of `p` from its Ta and Pb, the
// dew point `Tdp` (K) and the sky cover `N` (fraction), then appends its line for
// `day` (day of year) at `seconds` (0..86400) to `dest`.  A value that is not a
// number ends the run with the floating-point FATAL before the line is written.
static void write_time_point(FILE *dest, int day, int seconds, WeatherPoint &p, float Tdp,
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

// An ERROR of a reader or of a record's date ends the run before the next line.
static void stop_on_input_errors() {
    if (MSG(ERR_COUNT) > 0) MSG_FATAL("Run terminated because of input errors");
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

// The fields that can be missing, in the order of their warnings.
enum GapField { kDryBulb, kPressure, kWindSpeed, kWindDir, kDewPoint, kGlobal, kDirect, kSnow,
                kGapFields };

struct GapRule {
    const char *name;   // in the messages
    double tmy2_code;   // missing at or above, as the atof result of the TMY2 field
    float ee_code;      // missing at or above, as the float of the E/E field
    bool non_negative;  // a negative value is missing too
    bool same_hour;     // substitutes only from records of the same hour
};

static const GapRule kGapRules[kGapFields] = {
    {"dry-bulb temperature", 9999, 99.9f, false, false},
    {"atmospheric pressure", 9999, 999999.0f, true, false},
    {"wind speed", 999, 999.0f, true, false},
    {"wind direction", 999, 999.0f, true, false},
    {"dew-point temperature", 9999, 99.9f, false, false},
    {"global horizontal radiation", 9999, 9999.0f, true, true},
    {"direct normal radiation", 9999, 9999.0f, true, true},
    {"snow depth", 999, 999.0f, true, false},
};

enum class Source { Tmy2, Ee };

// True when `v` of field `f` is a missing value of a `src` file.  Compared in the type
// the value was read into: an E/E value is the float it was read as.
static bool is_missing(Source src, int f, double v) {
    const GapRule &r = kGapRules[f];
    if (r.non_negative && v < 0) return true;
    return src == Source::Tmy2 ? v >= r.tmy2_code : (float)v >= r.ee_code;
}

// The field values of one record in source units, and its own hour field.
struct RecordValues {
    double v[kGapFields];
    int hour;
    bool usable;  // false for a record that cannot be a substitute (E/E 2/29, unreadable)
};

// The missing values of one import: the file's index, built on the first missing
// value, and the number of lines written with each field missing.
static struct {
    Source src;
    bool indexed;
    std::vector<RecordValues> records;  // by record number in file order
    std::vector<long> substitute[kGapFields];  // record giving each record's substitute, or -1
    long count[kGapFields];
} gaps;

static void gaps_reset(Source src) {
    gaps.src = src;
    gaps.indexed = false;
    gaps.records.clear();
    for (int f = 0; f < kGapFields; ++f) {
        gaps.substitute[f].clear();
        gaps.count[f] = 0;
    }
}

// For every record and field, the record whose value replaces a missing one: the
// nearest earlier valid one, else the nearest later one (of the same hour for the
// radiations).  One pass each way, keyed by hour where the rule asks for it.
static void gaps_find_substitutes() {
    const long n = (long)gaps.records.size();
    for (int f = 0; f < kGapFields; ++f) {
        std::vector<long> &sub = gaps.substitute[f];
        sub.assign(n, -1);
        const bool by_hour = kGapRules[f].same_hour;
        std::map<int, long> last;  // hour (or 0) -> last valid record seen
        auto key = [&](long k) { return by_hour ? gaps.records[k].hour : 0; };
        auto valid = [&](long k) {
            return gaps.records[k].usable && !is_missing(gaps.src, f, gaps.records[k].v[f]);
        };
        for (long k = 0; k < n; ++k) {
            auto it = last.find(key(k));
            if (it != last.end()) sub[k] = it->second;
            if (valid(k)) last[key(k)] = k;
        }
        last.clear();
        for (long k = n - 1; k >= 0; --k) {
            auto it = last.find(key(k));
            if (sub[k] < 0 && it != last.end()) sub[k] = it->second;
            if (valid(k)) last[key(k)] = k;
        }
    }
}

static void index_source();  // by the import's own reader, below

// Replaces the missing values of `r`, record number `record` of the file, and counts
// them; a missing snow depth becomes 0 (no snow).  FATAL "No valid values of <field>
// in the source" when a field has no value to take.
static void fill_gaps(RecordValues &r, long record) {
    for (int f = 0; f < kGapFields; ++f) {
        if (!is_missing(gaps.src, f, r.v[f])) continue;
        ++gaps.count[f];
        if (f == kSnow) {
            r.v[f] = 0;
            continue;
        }
        if (!gaps.indexed) {
            index_source();
            gaps_find_substitutes();
            gaps.indexed = true;
        }
        long from = record >= 0 && record < (long)gaps.records.size()
                        ? gaps.substitute[f][record] : -1;
        if (from < 0) MSG_FATAL("No valid values of ", kGapRules[f].name, " in the source");
        r.v[f] = gaps.records[from].v[f];
    }
}

// One WARNING for each field that had missing values, in the order of the table.
static void report_gaps() {
    for (int f = 0; f < kGapFields; ++f) {
        if (gaps.count[f] == 0) continue;
        const char *how = f == kSnow ? " written as no snow"
                          : kGapRules[f].same_hour
                              ? " replaced by the nearest valid value of the same hour"
                              : " replaced by the nearest earlier valid value";
        MSG(WARNING, int_text(gaps.count[f]), " missing values of ", kGapRules[f].name, how);
    }
}

// ---- records in their place ---------------------------------------------------------
// The record read for `day` at `seconds` must be the one that line needs: hour h of
// the day for h:00:00, hour 24 of the day before for 00:00:00.  A record whose month
// and day form a valid date but which is another record ends the run before its line
// is written; an invalid date is left to date_to_day's ERROR.
static void check_place(int month, int mday, int hour, int day, int seconds) {
    if (month < 1 || month > 12 || mday < 1 || mday > days_in_month[month]) return;
    int want_day = day, want_hour = seconds / kSecondsPerHour;
    if (seconds == 0) {
        want_day = day == 1 ? kDaysInYear : day - 1;
        want_hour = kHoursPerDay;
    }
    if (days_before_month[month] + mday == want_day && hour == want_hour) return;
    char found[64], wanted[64];
    snprintf(found, sizeof found, "%d/%d hour %d", month, mday, hour);
    snprintf(wanted, sizeof wanted, "%s hour %d", day_to_date(want_day), want_hour);
    MSG_FATAL("Record of ", found, " found where ", wanted, " was expected");
}

// Rain from the present-weather character: the digits 0 (light rain) to 8 are rain;
// 9 (none), any other character or none at all are not.
static int is_rain(char c) { return c >= '0' && c <= '8'; }

// ---- TMY2 import ------------------------------------------------------------------
// A TMY2 file is one header line and 8760 fixed-column records of equal length, 1/1
// hour 1 to 12/31 hour 24.  It is read by byte position, not through the input unit,
// so its text is not echoed into the log.
constexpr int kTmy2HeaderSize = 256;   // header line: 255 characters and the terminator
constexpr int kTmy2MaxWidth = 32;      // widest span read_fixed is asked for
constexpr int kRecordsPerYear = kDaysInYear * kHoursPerDay;

// A position in a text held in memory.
struct Cursor {
    const char *data;
    size_t size;
    size_t pos;
    int next() { return pos < size ? (unsigned char)data[pos++] : EOF; }
};

// State of one TMY2 import.
static struct {
    char *text;   // the TMY2 file, read whole (malloc)
    Cursor at;    // the import's position in it
    long first;   // byte position of the first data record
    long length;  // bytes per record, line end included
    long next;    // record number (0 = 1/1 hour 1) of the next record read
    float N;      // last valid total sky cover, fraction; 0 until one is read
} tmy2;

// The next `n` characters (n <= kTmy2MaxWidth) at `f`, CR and LF skipped without being
// counted, so that a field never ends early at a line end.  At the end of the file:
// null with `soft`, else FATAL " End-of-File encountered".  Returns a static buffer
// that the next call overwrites.
static const char *read_fixed(Cursor &f, int n, bool soft = false) {
    static char text[kTmy2MaxWidth + 1];
    for (int i = 0; i < n;) {
        int c = f.next();
        if (c == EOF) {
            if (soft) return nullptr;
            MSG_FATAL(" End-of-File encountered");
        }
        if (c != '\r' && c != '\n') text[i++] = (char)c;
    }
    text[n] = '\0';
    return text;
}

// A TMY2 field converted as atoi does: blanks, a sign, digits up to the first other
// character.  The fields are at most 3 digits wide, so no overflow can occur.
static int tmy2_int(const char *text) {
    const char *p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    int v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) v = v * 10 + (*p - '0');
    return negative ? -v : v;
}

// A TMY2 field converted as atof does.  The fields hold right-aligned integers ("  -5",
// "0150"), which are converted here exactly and without strtod; any other text is
// left to atof itself.
static double tmy2_value(const char *text) {
    const char *p = text;
    while (*p == ' ') ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (*p < '0' || *p > '9') return atof(text);
    long v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) v = v * 10 + (*p - '0');
    if (*p != '\0') return atof(text);
    return negative ? -(double)v : (double)v;
}

// The fields of one TMY2 record that a time-point line needs.
struct Tmy2Record {
    int month, mday, hour;
    int cover;     // total sky cover, tenths; 99 missing
    char weather;  // column 116: the rain digit of the present weather
    RecordValues r;
};

// Reads the fields of the record at the current position of `f`, in source units
// (tenths of degC and of m/s, mbar, Wh/m^2, cm).  false at the end of the file with
// `soft`; otherwise the end of the file is FATAL.
static bool read_tmy2_fields(Cursor &f, Tmy2Record &t, bool soft = false) {
    static const struct { int skip, width, what; } kLayout[] = {
        // what: -1 month, -2 day, -3 hour, -4 cover, -5 weather, -6 nothing, else a field
        {0, 3, -6},  {0, 2, -1}, {0, 2, -2},  {0, 2, -3},        // 1-9: year, month, day, hour
        {8, 4, kGlobal},                                          // 18-21: Wh/m^2
        {2, 4, kDirect},                                          // 24-27: Wh/m^2
        {32, 2, -4},                                              // 60-61: tenths
        {6, 4, kDryBulb},                                         // 68-71: tenths of degC
        {2, 4, kDewPoint},                                        // 74-77: tenths of degC
        {7, 4, kPressure},                                        // 85-88: mbar
        {2, 3, kWindDir},                                         // 91-93: degrees
        {2, 3, kWindSpeed},                                       // 96-98: tenths of m/s
        {17, 1, -5},                                              // 116: present weather
        {17, 3, kSnow},                                           // 134-136: cm
    };
    constexpr size_t kColumns = 136;  // the last column read
    // A record whose columns hold no line end, the usual case, is read in place.
    const bool whole = f.pos + kColumns <= f.size &&
                       !memchr(f.data + f.pos, '\n', kColumns) &&
                       !memchr(f.data + f.pos, '\r', kColumns);
    char field[kTmy2MaxWidth + 1];
    for (const auto &l : kLayout) {
        const char *text;
        if (whole) {
            f.pos += (size_t)l.skip;
            memcpy(field, f.data + f.pos, (size_t)l.width);
            field[l.width] = '\0';
            f.pos += (size_t)l.width;
            text = field;
        } else {
            if (l.skip && !read_fixed(f, l.skip, soft)) return false;
            text = read_fixed(f, l.width, soft);
            if (!text) return false;
        }
        switch (l.what) {
        case -1: t.month = tmy2_int(text); break;
        case -2: t.mday = tmy2_int(text); break;
        case -3: t.hour = t.r.hour = tmy2_int(text); break;
        case -4: t.cover = tmy2_int(text); break;
        case -5: t.weather = text[0]; break;
        case -6: break;
        case kSnow: t.r.v[kSnow] = tmy2_int(text); break;
        default: t.r.v[l.what] = tmy2_value(text); break;
        }
    }
    t.r.usable = true;
    return true;
}

// Indexes every record of the TMY2 file for the missing values (the import's position
// is left alone).
static void index_tmy2() {
    Cursor f = tmy2.at;
    Tmy2Record t;
    for (long k = 0;; ++k) {
        f.pos = (size_t)(tmy2.first + k * tmy2.length);
        if (!read_tmy2_fields(f, t, true)) break;
        gaps.records.push_back(t.r);
    }
}

// Reads the TMY2 record at the current position and appends its time-point line for
// `day` at `seconds` to `dest`; the position is left at the start of the next record.
// A record of a valid date that is not the one the line needs ends the run; an
// invalid date is an ERROR from date_to_day, which stops the run before the next
// record's line.
static void read_tmy2_record(FILE *dest, int day, int seconds) {
    const long record = tmy2.next++;
    Tmy2Record t;
    read_tmy2_fields(tmy2.at, t);
    int c;
    do {
        c = tmy2.at.next();  // the rest of the line
    } while (c != '\n' && c != EOF);

    stop_on_input_errors();
    check_place(t.month, t.mday, t.hour, day, seconds);
    fill_gaps(t.r, record);

    const double *v = t.r.v;
    if (t.cover != kSkyCoverMissing) tmy2.N = kTenthF * (float)t.cover;
    float Tdp = (float)(v[kDewPoint] * (double)kTenthF + kCelsiusOffset);
    WeatherPoint p;
    p.Ta = (float)(v[kDryBulb] * (double)kTenthF + kCelsiusOffset);
    p.Pb = (float)(v[kPressure] * kMbarToPa);
    p.Ws = (float)(v[kWindSpeed] * kTenth);
    p.Wd = (float)v[kWindDir];
    p.Ith = (float)(v[kGlobal] * kWhToKj);
    p.Idn = (float)(v[kDirect] * kWhToKj);
    p.Rn = is_rain(t.weather);
    p.Sn = v[kSnow] > 1;
    write_time_point(dest, day, seconds, p, Tdp, tmy2.N);

    date_to_day(t.month, t.mday);
}

// Positions the TMY2 file on record `index` (0 = 1/1 hour 1).
static void seek_tmy2_record(long index) {
    tmy2.at.pos = (size_t)(tmy2.first + index * tmy2.length);
    tmy2.next = index;
}

// Appends the time-point lines of settings.start_day .. end_day from the TMY2 file
// settings.source_path to `dest`: first start_day 00:00:00 from the record of 24:00 of
// the day before (12/31 hour 24 for a start on 1/1), then 24 records per day in file
// order, starting again at the first record after 12/31.  Logs "Opened" and the header
// line; closes the source.  Every failure is FATAL:
// " Failed to open ", "Buffer overflow: " (a header line longer than 255 characters),
// " Wrong file format" (second record not 1/1 hour 2), " End-of-File encountered",
// "Run terminated because of input errors".  Returns 0.
int import_tmy2(const ConversionSettings &settings, FILE *dest) {
    tmy2.N = 0;
    gaps_reset(Source::Tmy2);
    FILE *src = fopen(settings.source_path, "rb");
    if (!src) MSG_FATAL(" Failed to open ", settings.source_path);
    size_t size;
    tmy2.text = read_whole(src, &size);
    fclose(src);
    if (!tmy2.text) MSG_FATAL(" Failed to open ", settings.source_path);
    tmy2.at = {tmy2.text, size, 0};
    fprintf(log_file, "Opened %s\n", settings.source_path);

    // The header line is read whole, so that a long one is never taken for the first
    // record: at most 255 characters before its LF or CR LF.  It keeps its line end in
    // the log, so an empty line follows it; a CR LF goes in as the log's own LF.
    char header[kTmy2HeaderSize + 2];  // the characters, a CR, the LF, the terminator
    int n = 0;
    bool too_long = false;
    for (int c; (c = tmy2.at.next()) != '\n';) {
        if (c == EOF) MSG_FATAL(" End-of-File encountered");
        if (n == kTmy2HeaderSize) {  // too long even with a CR at its end
            too_long = true;
            break;
        }
        header[n++] = (char)c;
    }
    if (!too_long && n > 0 && header[n - 1] == '\r') --n;
    if (too_long || n > kTmy2HeaderSize - 1) {
        header[kTmy2HeaderSize - 1] = '\0';
        MSG_FATAL("Buffer overflow: ", header);
    }
    header[n++] = '\n';
    header[n] = '\0';
    fprintf(log_file, "TMY2 header line:\n%s\n", header);

    tmy2.first = (long)tmy2.at.pos;
    for (int c = 0; c != '\n';) {
        c = tmy2.at.next();
        if (c == EOF) MSG_FATAL(" End-of-File encountered");
    }
    tmy2.length = (long)tmy2.at.pos - tmy2.first;

    read_fixed(tmy2.at, 3);  // the second record must be 1/1 hour 2
    int month = atoi(read_fixed(tmy2.at, 2));
    int mday = atoi(read_fixed(tmy2.at, 2));
    int hour = atoi(read_fixed(tmy2.at, 2));
    if (month != 1 || mday != 1 || hour != 2) MSG_FATAL(" Wrong file format");

    // 24:00 of the day before the start: record 24 (start - 1) - 1, or the last one.
    const int start = settings.start_day;
    seek_tmy2_record(start == 1 ? kRecordsPerYear - 1 : kHoursPerDay * start - 25);
    read_tmy2_record(dest, start, 0);
    if (start == 1) seek_tmy2_record(0);
    for (int d = start;; d = next_day(d)) {
        for (int h = 1; h <= kHoursPerDay; ++h) read_tmy2_record(dest, d, h * kSecondsPerHour);
        if (d == settings.end_day) break;
        if (d == kDaysInYear) seek_tmy2_record(0);
    }
    report_gaps();
    stop_on_input_errors();  // a bad date in the last record read

    free(tmy2.text);
    tmy2.text = nullptr;
    return 0;
}

#ifdef WEATHER_FUZZ_SEAM
void fuzz_wfiles_reset() {
    free(tmy2.text);
    tmy2.text = nullptr;
}
#endif

// ---- E/E import -------------------------------------------------------------------
// An E/E source is an EPW file: 8 header lines, then one comma-separated record per
// hour, 1/1 hour 1 to 12/31 hour 24.  It is read through the input unit, so its text
// is echoed into the log.  Records dated 2/29 (actual leap years) are passed over
// wherever they occur, so that a leap-year file gives the days of a 365-day year.
constexpr int kEeHeaderLines = 8;
constexpr int kEeHeaderSize = 1024;  // a header line: 1022 characters, line end, terminator

// State of one E/E import.
static struct {
    const char *path;
    long next;  // record number (0 = the first after the header) of the next record read
    float N;    // last valid total sky cover, fraction; 0 until one is read
} ee;

static bool is_leap_day(int month, int mday) { return month == 2 && mday == 29; }

// Skips the 8 header lines from the start of the file; the next record is the first.
static void skip_ee_header() {
    char line[kEeHeaderSize];
    for (int i = 0; i < kEeHeaderLines; ++i) next_token(line, TOK_LINE, kEeHeaderSize);
    ee.next = 0;
}

// The fields of an E/E record by their number (1-based) that a time-point line needs.
constexpr int kEeFields[kGapFields] = {7, 10, 22, 21, 8, 14, 15, 31};
constexpr int kEeHourField = 4;

// Indexes every record of the E/E file for the missing values, through a stream of its
// own: no echo, and the input unit's position is left alone.  Fields are split at
// commas and converted by the rules of the field reader; a record dated 2/29 or one
// whose fields cannot be read is no substitute.
static void index_ee() {
    FILE *f = fopen(ee.path, "rb");
    if (!f) MSG_FATAL(" Could not open file: ", ee.path);
    std::string line;
    int lines = 0;
    for (int c = 0; c != EOF;) {
        line.clear();
        while ((c = getc_unlocked(f)) != EOF && c != '\n' && c != '\r') line += (char)c;
        if (c == '\r') {  // CR LF is one line end
            int next = getc_unlocked(f);
            if (next != '\n' && next != EOF) ungetc(next, f);
        }
        if (++lines <= kEeHeaderLines || (c == EOF && line.empty())) continue;
        std::vector<std::string> fields(1);
        for (char ch : line) {
            if (ch == ',') {
                fields.emplace_back();
            } else if (ch != '\0') {
                fields.back() += ch;
            }
        }
        auto text = [&](int n) -> std::string {
            if (n > (int)fields.size()) return "";
            std::string t = fields[n - 1];
            size_t a = t.find_first_not_of(" \t"), b = t.find_last_not_of(" \t");
            return a == std::string::npos ? "" : t.substr(a, b - a + 1);
        };
        RecordValues r{};
        int month, mday;
        r.usable = parse_decimal(text(2).c_str(), &month) == 0 &&
                   parse_decimal(text(3).c_str(), &mday) == 0 &&
                   parse_decimal(text(kEeHourField).c_str(), &r.hour) == 0 &&
                   !is_leap_day(month, mday);
        for (int g = 0; g < kGapFields && r.usable; ++g) {
            float v = 0;
            std::string t = text(kEeFields[g]);
            r.usable = !t.empty() && parse_float(t.c_str(), &v) == 0;
            r.v[g] = v;
        }
        gaps.records.push_back(r);
    }
    fclose(f);
}

static void index_source() {
    if (gaps.src == Source::Tmy2) {
        index_tmy2();
    } else {
        index_ee();
    }
}

// Reads the next record (records of 2/29 passed over) and appends its time-point line
// for `day` at `seconds` to `dest`.  A field that is not a number is an ERROR of its
// reader and ends the run before the line is written; a missing record (end of file)
// reads as empty fields and ends the run the same way.  A record of a valid date that
// is not the one the line needs ends the run; an invalid date is an ERROR from
// date_to_day, FATAL at the next record.
static void read_ee_record(FILE *dest, int day, int seconds) {
    int month, mday;
    long record;
    do {
        record = ee.next++;
        next_field(nullptr, TOK_NEWLINE, 0);     // 1: year, not used
        month = field_int(TOK_NEXT);             // 2
        mday = field_int(TOK_NEXT);              // 3
    } while (is_leap_day(month, mday));
    RecordValues r;
    double *v = r.v;
    r.hour = field_int(TOK_NEXT);                // 4
    next_field(nullptr, TOK_NEXT, 0);            // 5: minute
    next_field(nullptr, TOK_NEXT, 0);            // 6: data source and uncertainty flags
    v[kDryBulb] = field_float(TOK_NEXT);         // 7: degC
    v[kDewPoint] = field_float(TOK_NEXT);        // 8: degC
    next_field(nullptr, TOK_NEXT, 0);            // 9: relative humidity
    v[kPressure] = field_float(TOK_NEXT);        // 10: Pa
    next_field(nullptr, TOK_NEXT, 0);            // 11, 12: extraterrestrial radiation
    next_field(nullptr, TOK_NEXT, 0);
    field_float(TOK_NEXT);                       // 13: infrared radiation, not used
    v[kGlobal] = field_float(TOK_NEXT);          // 14: Wh/m^2
    v[kDirect] = field_float(TOK_NEXT);          // 15: Wh/m^2
    for (int f = 16; f <= 20; ++f)               // diffuse radiation, light
        next_field(nullptr, TOK_NEXT, 0);
    v[kWindDir] = field_float(TOK_NEXT);         // 21: degrees
    v[kWindSpeed] = field_float(TOK_NEXT);       // 22: m/s
    int cover = field_int(TOK_NEXT);             // 23: tenths, 99 missing
    for (int f = 24; f <= 26; ++f)               // opaque cover, visibility, ceiling
        next_field(nullptr, TOK_NEXT, 0);
    field_int(TOK_NEXT);                         // 27: present weather observation, not used
    char codes[kTokenSize];
    next_field(codes, TOK_NEXT, kTokenSize);     // 28: present weather codes
    next_field(nullptr, TOK_NEXT, 0);            // 29, 30: precipitable water, aerosols
    next_field(nullptr, TOK_NEXT, 0);
    v[kSnow] = field_float(TOK_NEXT);            // 31: cm

    stop_on_input_errors();
    check_place(month, mday, r.hour, day, seconds);
    fill_gaps(r, record);

    // Every value came from a float field; the narrowing back is exact.
    if (cover != kSkyCoverMissing) ee.N = kTenthF * (float)cover;
    float Tdp = (float)((double)(float)v[kDewPoint] + kCelsiusOffset);
    WeatherPoint p;
    p.Ta = (float)((double)(float)v[kDryBulb] + kCelsiusOffset);
    p.Pb = (float)v[kPressure];
    p.Ws = (float)v[kWindSpeed];
    p.Wd = (float)v[kWindDir];
    p.Ith = (float)((double)(float)v[kGlobal] * kWhToKj);
    p.Idn = (float)((double)(float)v[kDirect] * kWhToKj);
    p.Rn = codes[0] != '\0' && is_rain(codes[1]);
    p.Sn = (float)v[kSnow] > 1;
    write_time_point(dest, day, seconds, p, Tdp, ee.N);

    date_to_day(month, mday);
}

// Appends the time-point lines of settings.start_day .. end_day from the E/E file
// settings.source_path to `dest`: the records are searched for hour 23 of the day
// before start_day, the next record gives start_day 00:00:00, then 24 records per day
// follow in file order, starting again at the first record after 12/31.  Logs
// "Opened" and the first header line; closes the input unit.  Every
// failure is FATAL: " Could not open file: ", " End-of-File encountered" (the search
// reached the end), "Run terminated because of input errors" (a field that is not a
// number, an invalid record date, a file that ends too early).  Returns 0.
int import_ee(const ConversionSettings &settings, FILE *dest) {
    ee.N = 0;
    ee.path = settings.source_path;
    ee.next = 0;
    gaps_reset(Source::Ee);
    const int before = settings.start_day == 1 ? kDaysInYear : settings.start_day - 1;
    int target_month = 1;
    while (target_month < 12 && days_before_month[target_month + 1] < before) ++target_month;
    const int target_day = before - days_before_month[target_month];

    unxt_open(settings.source_path, OPEN_FATAL, __FILE__, __LINE__);
    fprintf(log_file, "Opened %s\n", settings.source_path);
    char line[kEeHeaderSize];
    next_token(line, TOK_LINE, kLineSize);  // the echo has logged it once already
    log_sync();
    fprintf(log_file, "EE header line:\n%s\n", line);
    for (int i = 1; i < kEeHeaderLines; ++i) next_token(line, TOK_LINE, kEeHeaderSize);

    // Search for hour 23 of the day before the start; 2/29 never matches.
    for (;; ++ee.next) {
        char year[kTokenSize];
        if (!next_field(year, TOK_NEWLINE, kTokenSize)) MSG_FATAL(" End-of-File encountered");
        int month = field_int(TOK_NEXT);
        int mday = field_int(TOK_NEXT);
        int hour = field_int(TOK_NEXT);
        if (month == target_month && mday == target_day && hour == 23) {
            ++ee.next;
            break;
        }
    }

    const int start = settings.start_day;
    read_ee_record(dest, start, 0);
    if (start == 1) {
        unxt_rewind();
        skip_ee_header();
    }
    for (int d = start;; d = next_day(d)) {
        for (int h = 1; h <= kHoursPerDay; ++h) read_ee_record(dest, d, h * kSecondsPerHour);
        if (d == settings.end_day) break;
        if (d == kDaysInYear) {
            unxt_rewind();
            skip_ee_header();
        }
    }
    next_field(nullptr, TOK_REST, 0);  // the echo of the last record, to its line end
    report_gaps();
    stop_on_input_errors();  // a bad date in the last record read
    unxt_close();
    return 0;
}
