// ImportTmy2 - the producer of TMY2 sources.  See Wfiles.h.
//
// A TMY2 file is one header line and 8760 fixed-column records of equal length, 1/1
// hour 1 to 12/31 hour 24.  It is read by byte position, not by the token or field
// readers, so its text is not echoed into the log; its line ends are those of
// line_end_length.  Its missing values are those of the TMY2 row of SourceFormat.
#define MSG_UNIT "Wfiles"
#include "Producers.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "Config.h"
#include "Dates.h"
#include "Input.h"
#include "Wfiles.h"

constexpr int kTmy2HeaderSize = 256;   // header line: 255 characters and the terminator
constexpr int kTmy2MaxWidth = 32;      // widest span read_fixed is asked for
constexpr int kRecordsPerYear = kDaysInYear * kHoursPerDay;

// A position in a text held in memory: the TMY2 file at `path`.
struct Cursor {
    const char *data;
    size_t size;
    size_t pos;
    const char *path;
    int next() { return pos < size ? (unsigned char)data[pos++] : EOF; }
};

// State of one TMY2 import.
struct Tmy2Import {
    Input text;   // the TMY2 file, read whole (no echo, no token reading)
    Cursor at;    // the import's position in it
    long first;   // byte position of the first data record
    long length;  // bytes per record, line end included
    long next;    // record number (0 = 1/1 hour 1) of the next record read
    float N;      // last valid total sky cover, fraction; 0 until one is read
    Gaps &gaps;   // the caller's
};

// The length of the line end at the cursor (line_end_length), 0 at the end.
static size_t line_end_at(const Cursor &f) {
    return f.pos < f.size ? line_end_length(f.data + f.pos, f.size - f.pos) : 0;
}

// Passes over the rest of the line at `f`, its line end included.  False when the file
// ends first.
static bool skip_line(Cursor &f) {
    if (f.pos >= f.size) return false;
    f.pos += to_line_end(f.data + f.pos, f.size - f.pos);
    const size_t end = line_end_at(f);
    f.pos += end;
    return end > 0;
}

// FATAL " End-of-File encountered" with the records the file has (its lines after the
// header) against a year's.
[[noreturn]] static void end_of_file(const Cursor &f) {
    // Each line counts, a last one without its line end too.
    long lines = 0;
    for (size_t i = 0; i < f.size; ++lines) {
        i += to_line_end(f.data + i, f.size - i);
        i += line_end_length(f.data + i, f.size - i);
    }
    char fact[96];
    snprintf(fact, sizeof fact, ": a TMY2 year has %d records, ", kRecordsPerYear);
    char count[32];
    snprintf(count, sizeof count, " has %ld", lines > 0 ? lines - 1 : 0);
    MSG_FATAL(" End-of-File encountered", fact, f.path, count);
}

// The next `n` characters at `f` into `text` (room for n + 1), CR and LF skipped
// without being counted, so that a field never ends early at a line end.  At the end
// of the file: null with `soft`, else FATAL " End-of-File encountered".  Returns `text`.
static const char *read_fixed(Cursor &f, size_t n, char *text, bool soft = false) {
    size_t got = 0;
    while (got < n) {
        if (f.pos >= f.size) {
            if (soft) return nullptr;
            end_of_file(f);
        }
        // The characters up to the next CR or LF, or as many as are still wanted.
        const char *p = f.data + f.pos;
        const size_t want = std::min(n - got, f.size - f.pos);
        const size_t run = to_line_end(p, want);
        memcpy(text + got, p, run);
        got += run;
        f.pos += run;
        if (run < want) ++f.pos;  // the CR or LF
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

// The columns of a record up to the last one read, and the field in columns `first`
// (1-based) .. first + width - 1 of them.
constexpr size_t kColumns = 136;
using Tmy2Columns = char[kColumns + 1];
static const char *column_field(const Tmy2Columns &columns, int first, int width,
                                char (&text)[kTmy2MaxWidth + 1]) {
    memcpy(text, columns + first - 1, (size_t)width);
    text[width] = '\0';
    return text;
}

// The columns of each GapField, in source units: tenths of degC (dry bulb, dew point),
// mbar, tenths of m/s, degrees, Wh/m^2, cm (snow depth, an integer field).
static const struct { int first, width; } kGapColumns[kGapFields] = {
    {68, 4}, {85, 4}, {96, 3}, {91, 3}, {74, 4}, {18, 4}, {24, 4}, {134, 3},
};

// The value of GapField `g` in `columns`.
static double gap_value(const Tmy2Columns &columns, int g) {
    char text[kTmy2MaxWidth + 1];
    const char *field = column_field(columns, kGapColumns[g].first, kGapColumns[g].width, text);
    return g == kSnow ? tmy2_int(field) : tmy2_value(field);
}

// Reads the fields of the record at the current position of `f`.  false at the end of
// the file with `soft`; otherwise the end of the file is FATAL.
static bool read_tmy2_fields(Cursor &f, Tmy2Record &t, bool soft = false) {
    // The columns are taken in one piece, line ends left out.
    Tmy2Columns columns;
    if (!read_fixed(f, kColumns, columns, soft)) return false;
    char text[kTmy2MaxWidth + 1];
    t.month = tmy2_int(column_field(columns, 4, 2, text));
    t.mday = tmy2_int(column_field(columns, 6, 2, text));
    t.hour = t.r.hour = tmy2_int(column_field(columns, 8, 2, text));
    t.cover = tmy2_int(column_field(columns, 60, 2, text));  // tenths
    t.weather = columns[116 - 1];  // present weather: the rain digit
    for (int g = 0; g < kGapFields; ++g) t.r.v[g] = gap_value(columns, g);
    t.r.usable = true;
    return true;
}

// Whether a field of the records in [p, end) may read as "nan", which atof takes in
// any case of its letters: an n, an a and an n in turn, the line ends between them
// left out as read_fixed leaves them out.
static bool may_read_nan(const char *p, const char *end) {
    static const char kLetters[] = "nan";
    while (p < end) {
        const char *lower = (const char *)memchr(p, 'n', (size_t)(end - p));
        const char *upper = (const char *)memchr(p, 'N', (size_t)((lower ? lower : end) - p));
        const char *at = upper ? upper : lower;
        if (!at) return false;
        int matched = 1;
        for (const char *q = at + 1; q < end && matched < 3; ++q) {
            if (*q == '\r' || *q == '\n') continue;
            if ((*q | 0x20) != kLetters[matched]) break;  // either case
            ++matched;
        }
        if (matched == 3) return true;
        p = at + 1;
    }
    return false;
}

// Reads record `k` of the TMY2 file for the missing-value index into `r` (the
// import's position is left alone); false when the file ends before its last field.
static bool read_tmy2_index(const Tmy2Import &tmy2, long k, RecordValues &r) {
    Cursor f = tmy2.at;
    f.pos = (size_t)(tmy2.first + k * tmy2.length);
    Tmy2Record t;
    if (!read_tmy2_fields(f, t, true)) return false;
    r = t.r;
    return true;
}

// Looks at record `k` of the TMY2 file for the missing-value index as
// read_tmy2_index would read it, but only at its hour and at the field of `f`:
// kCannotGive when either rules the record out as a substitute for a record of key
// `key` (see Gaps).
static Gaps::Look look_tmy2_index(const Tmy2Import &tmy2, long k, int f, int key) {
    Cursor at = tmy2.at;
    at.pos = (size_t)(tmy2.first + k * tmy2.length);
    Tmy2Columns columns;
    if (!read_fixed(at, kColumns, columns, true)) return Gaps::kNoRecord;
    char text[kTmy2MaxWidth + 1];
    if (kGapFieldRules[f].same_hour && tmy2_int(column_field(columns, 8, 2, text)) != key)
        return Gaps::kCannotGive;
    if (is_missing_value(*tmy2.gaps.format, f, gap_value(columns, f))) return Gaps::kCannotGive;
    return Gaps::kMayGive;
}

// Reads the TMY2 record at the current position and appends its time-point line for
// `day` at `seconds` to `dest`; the position is left at the start of the next record.
// A record of a valid date that is not the one the line needs ends the run; an
// invalid date is an ERROR from date_to_day, which stops the run before the next
// record's line.
static void read_tmy2_record(Tmy2Import &tmy2, FILE *dest, int day, int seconds) {
    const long record = tmy2.next++;
    Tmy2Record t;
    read_tmy2_fields(tmy2.at, t);
    skip_line(tmy2.at);

    stop_on_input_errors();
    check_place(t.month, t.mday, t.hour, day, seconds);
    fill_gaps(tmy2.gaps, t.r, record);

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
static void seek_tmy2_record(Tmy2Import &tmy2, long index) {
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
int import_tmy2(const ConversionSettings &settings, FILE *dest, Gaps &gaps) {
    gaps = Gaps{};
    Tmy2Import tmy2{{}, {}, 0, 0, 0, 0, gaps};
    tmy2.gaps.format = &source_format(SourceType::Tmy2);
    tmy2.gaps.read = [&tmy2](long k, RecordValues &r) { return read_tmy2_index(tmy2, k, r); };
    tmy2.gaps.look = [&tmy2](long k, int f, int key) { return look_tmy2_index(tmy2, k, f, key); };
    if (!input_open(tmy2.text, settings.source_path, OPEN_QUIET, false, MSG_UNIT, __LINE__))
        MSG_FATAL(" Failed to open ", settings.source_path, ": ", strerror(errno));
    tmy2.at = {tmy2.text.data, tmy2.text.size, 0, settings.source_path};
    fprintf(log_file, "Opened %s\n", settings.source_path);

    // The header line is read whole, so that a long one is never taken for the first
    // record: at most 255 characters before its line end.  It keeps its line end in
    // the log, so an empty line follows it; a CR LF goes in as the log's own LF.
    char header[kTmy2HeaderSize + 2];  // the characters, the LF, the terminator
    int n = 0;
    bool too_long = false;
    while (!line_end_at(tmy2.at)) {
        int c = tmy2.at.next();
        if (c == EOF) end_of_file(tmy2.at);
        if (n == kTmy2HeaderSize) {
            too_long = true;
            break;
        }
        header[n++] = (char)c;
    }
    tmy2.at.pos += line_end_at(tmy2.at);
    if (too_long || n > kTmy2HeaderSize - 1) {
        header[kTmy2HeaderSize - 1] = '\0';
        MSG_FATAL("Buffer overflow: ", header);
    }
    header[n++] = '\n';
    header[n] = '\0';
    fprintf(log_file, "TMY2 header line:\n%s\n", header);

    tmy2.first = (long)tmy2.at.pos;
    if (!skip_line(tmy2.at)) end_of_file(tmy2.at);
    tmy2.length = (long)tmy2.at.pos - tmy2.first;
    tmy2.gaps.whole = may_read_nan(tmy2.text.data + tmy2.first, tmy2.text.data + tmy2.text.size);

    char field[kTmy2MaxWidth + 1];
    read_fixed(tmy2.at, 3, field);  // the second record must be 1/1 hour 2
    int month = atoi(read_fixed(tmy2.at, 2, field));
    int mday = atoi(read_fixed(tmy2.at, 2, field));
    int hour = atoi(read_fixed(tmy2.at, 2, field));
    if (month != 1 || mday != 1 || hour != 2)
        MSG_FATAL(" Wrong file format", ": ", settings.source_path);

    // 24:00 of the day before the start: record 24 (start - 1) - 1, or the last one.
    const int start = settings.start_day;
    seek_tmy2_record(tmy2, start == 1 ? kRecordsPerYear - 1 : kHoursPerDay * start - 25);
    read_tmy2_record(tmy2, dest, start, 0);
    if (start == 1) seek_tmy2_record(tmy2, 0);
    for (int d = start;; d = next_day(d)) {
        for (int h = 1; h <= kHoursPerDay; ++h)
            read_tmy2_record(tmy2, dest, d, h * kSecondsPerHour);
        if (d == settings.end_day) break;
        if (d == kDaysInYear) seek_tmy2_record(tmy2, 0);
    }
    report_gaps(tmy2.gaps);
    stop_on_input_errors();  // a bad date in the last record read

    input_close(tmy2.text);
    return 0;
}
