// Wfiles - the producers of the time-point section.  See Wfiles.h.
#include "Wfiles.h"

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>

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

// ---- TMY2 import ------------------------------------------------------------------
// A TMY2 file is one header line and 8760 fixed-column records of equal length, 1/1
// hour 1 to 12/31 hour 24.  It is read by byte position, not through the input unit,
// so its text is not echoed into the log.
constexpr int kTmy2HeaderSize = 256;   // header line: 255 characters and the terminator
constexpr int kTmy2MaxWidth = 32;      // widest span read_fixed is asked for
constexpr int kRecordsPerYear = kDaysInYear * kHoursPerDay;

// State of one TMY2 import.
static struct {
    FILE *src;    // the TMY2 file
    long first;   // byte position of the first data record
    long length;  // bytes per record, line end included
    float N;      // last valid total sky cover, fraction; 0 until one is read
} tmy2;

// The next `n` characters (n <= kTmy2MaxWidth) of the TMY2 file, CR and LF skipped
// without being counted, so that a field never ends early at a line end.  FATAL
// " End-of-File encountered" at the end of the file.  Returns a static buffer that the
// next call overwrites.
static const char *read_fixed(int n) {
    static char text[kTmy2MaxWidth + 1];
    for (int i = 0; i < n;) {
        int c = getc_unlocked(tmy2.src);  // one thread: no stream locking needed
        if (c == EOF) MSG_FATAL(" End-of-File encountered");
        if (c != '\r' && c != '\n') text[i++] = (char)c;
    }
    text[n] = '\0';
    return text;
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

// Reads the TMY2 record at the current position and appends its time-point line for
// `day` at `seconds` to `dest`; the position is left at the start of the next record.  The
// record's own month and day are only checked for validity (ERROR from date_to_day,
// which stops the run before the next record's line).
static void read_tmy2_record(FILE *dest, int day, int seconds) {
    read_fixed(3);                                 // columns 1-3: blank, year
    int month = atoi(read_fixed(2));               // 4-5
    int mday = atoi(read_fixed(2));                // 6-7
    read_fixed(2);                                 // 8-9: hour, not used
    read_fixed(8);                                 // 10-17: extraterrestrial radiation
    double global = tmy2_value(read_fixed(4));     // 18-21: Wh/m^2
    read_fixed(2);
    double direct = tmy2_value(read_fixed(4));     // 24-27: Wh/m^2
    read_fixed(32);
    int cover = atoi(read_fixed(2));               // 60-61: tenths, 99 missing
    read_fixed(6);
    double dry_bulb = tmy2_value(read_fixed(4));   // 68-71: tenths of degC
    read_fixed(2);
    double dew_point = tmy2_value(read_fixed(4));  // 74-77: tenths of degC
    read_fixed(7);
    double pressure = tmy2_value(read_fixed(4));   // 85-88: mbar
    read_fixed(2);
    double wind_dir = tmy2_value(read_fixed(3));   // 91-93: degrees
    read_fixed(2);
    double wind_speed = tmy2_value(read_fixed(3)); // 96-98: tenths of m/s
    read_fixed(17);
    int weather = atoi(read_fixed(1));             // 116: third present-weather digit
    read_fixed(17);
    int snow = atoi(read_fixed(3));                // 134-136: cm, 999 missing
    int c;
    do {
        c = getc_unlocked(tmy2.src);                 // the rest of the line
    } while (c != '\n' && c != EOF);

    stop_on_input_errors();

    if (cover != kSkyCoverMissing) tmy2.N = kTenthF * (float)cover;
    float Tdp = (float)(dew_point * (double)kTenthF + kCelsiusOffset);
    WeatherPoint p;
    p.Ta = (float)(dry_bulb * (double)kTenthF + kCelsiusOffset);
    p.Pb = (float)(pressure * kMbarToPa);
    p.Ws = (float)(wind_speed * kTenth);
    p.Wd = (float)wind_dir;
    p.Ith = (float)(global * kWhToKj);
    p.Idn = (float)(direct * kWhToKj);
    p.Rn = weather >= 1 && weather <= 8;
    p.Sn = snow > 1;
    write_time_point(dest, day, seconds, p, Tdp, tmy2.N);

    date_to_day(month, mday);
}

// Positions the TMY2 file on record `index` (0 = 1/1 hour 1).
static void seek_tmy2_record(long index) {
    if (fseek(tmy2.src, tmy2.first + index * tmy2.length, SEEK_SET) != 0)
        MSG_FATAL(" End-of-File encountered");
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
    tmy2.src = fopen(settings.source_path, "rb");
    if (!tmy2.src) MSG_FATAL(" Failed to open ", settings.source_path);
    fprintf(log_file, "Opened %s\n", settings.source_path);

    // The header line is read whole, so that a long one is never taken for the first
    // record: at most 255 characters before its LF or CR LF.  It keeps its line end in
    // the log, so an empty line follows it; a CR LF goes in as the log's own LF.
    char header[kTmy2HeaderSize + 2];  // the characters, a CR, the LF, the terminator
    int n = 0;
    bool too_long = false;
    for (int c; (c = getc(tmy2.src)) != '\n';) {
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

    tmy2.first = ftell(tmy2.src);
    for (int c = 0; c != '\n';) {
        c = getc(tmy2.src);
        if (c == EOF) MSG_FATAL(" End-of-File encountered");
    }
    tmy2.length = ftell(tmy2.src) - tmy2.first;

    read_fixed(3);  // the second record must be 1/1 hour 2
    int month = atoi(read_fixed(2));
    int mday = atoi(read_fixed(2));
    int hour = atoi(read_fixed(2));
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
    stop_on_input_errors();  // a bad date in the last record read

    fclose(tmy2.src);
    tmy2.src = nullptr;
    return 0;
}

#ifdef WEATHER_FUZZ_SEAM
void fuzz_wfiles_reset() {
    if (tmy2.src) fclose(tmy2.src);
    tmy2.src = nullptr;
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
    float N;  // last valid total sky cover, fraction; 0 until one is read
} ee;

static bool is_leap_day(int month, int mday) { return month == 2 && mday == 29; }

// Skips the 8 header lines from the start of the file.
static void skip_ee_header() {
    char line[kEeHeaderSize];
    for (int i = 0; i < kEeHeaderLines; ++i) next_token(line, TOK_LINE, kEeHeaderSize);
}

// Reads the next record (records of 2/29 passed over) and appends its time-point line
// for `day` at `seconds` to `dest`.  A field that is not a number is an ERROR of its reader and
// ends the run before the line is written; a missing record (end of file) reads as
// empty fields and ends the run the same way.  The record's own month and day are
// only checked for validity (ERROR from date_to_day, FATAL at the next record).
static void read_ee_record(FILE *dest, int day, int seconds) {
    int month, mday;
    do {
        next_field(nullptr, TOK_NEWLINE, 0);     // 1: year, not used
        month = field_int(TOK_NEXT);             // 2
        mday = field_int(TOK_NEXT);              // 3
    } while (is_leap_day(month, mday));
    field_int(TOK_NEXT);                         // 4: hour, not used
    next_field(nullptr, TOK_NEXT, 0);            // 5: minute
    next_field(nullptr, TOK_NEXT, 0);            // 6: data source and uncertainty flags
    float dry_bulb = field_float(TOK_NEXT);      // 7: degC
    float dew_point = field_float(TOK_NEXT);     // 8: degC
    next_field(nullptr, TOK_NEXT, 0);            // 9: relative humidity
    float pressure = field_float(TOK_NEXT);      // 10: Pa
    next_field(nullptr, TOK_NEXT, 0);            // 11, 12: extraterrestrial radiation
    next_field(nullptr, TOK_NEXT, 0);
    field_float(TOK_NEXT);                       // 13: infrared radiation, not used
    float global = field_float(TOK_NEXT);        // 14: Wh/m^2
    float direct = field_float(TOK_NEXT);        // 15: Wh/m^2
    for (int f = 16; f <= 20; ++f)               // diffuse radiation, light
        next_field(nullptr, TOK_NEXT, 0);
    float wind_dir = field_float(TOK_NEXT);      // 21: degrees
    float wind_speed = field_float(TOK_NEXT);    // 22: m/s
    int cover = field_int(TOK_NEXT);             // 23: tenths, 99 missing
    for (int f = 24; f <= 26; ++f)               // opaque cover, visibility, ceiling
        next_field(nullptr, TOK_NEXT, 0);
    field_int(TOK_NEXT);                         // 27: present weather observation, not used
    char codes[kTokenSize];
    next_field(codes, TOK_NEXT, kTokenSize);     // 28: present weather codes
    next_field(nullptr, TOK_NEXT, 0);            // 29, 30: precipitable water, aerosols
    next_field(nullptr, TOK_NEXT, 0);
    float snow = field_float(TOK_NEXT);          // 31: cm

    stop_on_input_errors();

    if (cover != kSkyCoverMissing) ee.N = kTenthF * (float)cover;
    float Tdp = (float)((double)dew_point + kCelsiusOffset);
    WeatherPoint p;
    p.Ta = (float)((double)dry_bulb + kCelsiusOffset);
    p.Pb = pressure;
    p.Ws = wind_speed;
    p.Wd = wind_dir;
    p.Ith = (float)((double)global * kWhToKj);
    p.Idn = (float)((double)direct * kWhToKj);
    p.Rn = codes[0] != '\0' && codes[1] >= '1' && codes[1] <= '8';
    p.Sn = snow > 1;
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
    const int before = settings.start_day == 1 ? kDaysInYear : settings.start_day - 1;
    int target_month = 1;
    while (target_month < 12 && days_before_month[target_month + 1] < before) ++target_month;
    const int target_day = before - days_before_month[target_month];

    unxt_open(settings.source_path, OPEN_FATAL, __FILE__, __LINE__);
    fprintf(log_file, "Opened %s\n", settings.source_path);
    char line[kEeHeaderSize];
    next_token(line, TOK_LINE, kLineSize);  // the echo has logged it once already
    fprintf(log_file, "EE header line:\n%s\n", line);
    for (int i = 1; i < kEeHeaderLines; ++i) next_token(line, TOK_LINE, kEeHeaderSize);

    // Search for hour 23 of the day before the start; 2/29 never matches.
    for (;;) {
        char year[kTokenSize];
        if (!next_field(year, TOK_NEWLINE, kTokenSize)) MSG_FATAL(" End-of-File encountered");
        int month = field_int(TOK_NEXT);
        int mday = field_int(TOK_NEXT);
        int hour = field_int(TOK_NEXT);
        if (month == target_month && mday == target_day && hour == 23) break;
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
    stop_on_input_errors();  // a bad date in the last record read

    next_field(nullptr, TOK_REST, 0);  // the echo of the last record, to its line end
    unxt_close();
    return 0;
}
