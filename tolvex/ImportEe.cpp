// ImportEe - the producer of E/E sources.  See Wfiles.h.
//
// An E/E source is an EPW file: 8 header lines, then one comma-separated record per
// hour, 1/1 hour 1 to 12/31 hour 24.  It is read by the field reader of an Input, so
// its text is echoed into the log.  Records dated 2/29 (actual leap years) are passed
// over wherever they occur, so that a leap-year file gives the days of a 365-day year.
// Its missing values are those of the E/E row of SourceFormat.
#define MSG_UNIT "Wfiles"
#include "Producers.h"

#include <cstring>

#include "Config.h"
#include "Dates.h"
#include "Input.h"
#include "Numbers.h"
#include "Wfiles.h"

constexpr int kEeHeaderLines = 8;
constexpr int kEeHeaderSize = 1024;  // a header line: 1022 characters, line end, terminator

// State of one E/E import.
struct EeImport {
    Input in;      // the source, echoed into the log
    Input index;   // a second reader of its text, for the missing-value index
    long next;     // record number (0 = the first after the header) of the next record read
    float N;       // last valid total sky cover, fraction; 0 until one is read
    Gaps &gaps;    // the caller's
};

static bool is_leap_day(int month, int mday) { return month == 2 && mday == 29; }

// Skips the 8 header lines of `in` from the start of the file; the next record is the
// first, record number 0.
static void skip_ee_header(Input &in) {
    char line[kEeHeaderSize];
    for (int i = 0; i < kEeHeaderLines; ++i) next_token(in, line, TOK_LINE, kEeHeaderSize);
}

// The fields of an E/E record by their number (1-based) that a time-point line needs,
// in the order of GapField, and the last of them.
constexpr int kEeFields[kGapFields] = {7, 10, 22, 21, 8, 14, 15, 31};
constexpr int kEeLastField = 31;

// The GapField that field number `field` holds, or -1.
static int gap_of_field(int field) {
    for (int g = 0; g < kGapFields; ++g)
        if (kEeFields[g] == field) return g;
    return -1;
}

// Where record `k` starts, for the import's second reader, the index's: the header is
// read by the import's own readers and the records are its lines, so the record
// numbers agree, and a line starts after the first line end after the start of the
// one before (found with memchr, wherever the line's fields end).
static size_t index_record_start(EeImport &ee, long k) {
    Input &in = ee.index;
    std::vector<size_t> &starts = ee.gaps.starts;  // the caller's, as every container
    if (starts.empty()) {
        input_view(in, ee.in);
        in.cut_long_fields = true;
        skip_ee_header(in);
        starts.push_back(in.pos);
    }
    while (starts.size() <= (size_t)k) {
        size_t at = starts.back();
        at += to_line_end(in.data + at, in.size - at);
        starts.push_back(at + line_end_length(in.data + at, in.size - at));
    }
    return starts[(size_t)k];
}

// Puts the index's reader at the start of record `k`.
static void to_index_record(EeImport &ee, long k) {
    input_return(ee.index, {(long)index_record_start(ee, k), true, true});
}

// Reads record `k` of the E/E file for the missing-value index into `r`, through the
// index's reader: no echo, and the import's position is left alone.  The fields are
// converted by the rules of the typed field readers, without their messages: a record
// dated 2/29, or one of whose month, day, hour or value fields is not a number (or
// longer than a field may be), is no substitute.  False when the file has no record
// `k`.
static bool read_ee_index(EeImport &ee, long k, RecordValues &r) {
    Input &in = ee.index;
    to_index_record(ee, k);
    char text[kTokenSize];
    // The next field of the record into `text`: false when missing or too long.
    auto field = [&] {
        in.field_cut = false;
        return next_field(in, text, TOK_NEXT, kTokenSize) && !in.field_cut;
    };
    if (!next_field(in, text, TOK_NEWLINE, kTokenSize)) return false;  // 1: year
    r = RecordValues{};
    int month, mday;
    // Every field is read, whatever the one before it held.
    bool usable = field() && parse_decimal(text, &month) == 0;
    usable = (field() && parse_decimal(text, &mday) == 0) && usable;
    usable = (field() && parse_decimal(text, &r.hour) == 0) && usable;
    usable = usable && !is_leap_day(month, mday);
    for (int n = 5; n <= kEeLastField; ++n) {
        // A record that has ended lacks every field after: no substitute, values 0.
        if (in.record_ended) {
            usable = false;
            break;
        }
        const int g = gap_of_field(n);
        if (g < 0) {
            next_field(in, nullptr, TOK_NEXT, 0);
            continue;
        }
        float v = 0;
        usable = (field() && text[0] != '\0' && parse_float(text, &v) == 0) && usable;
        r.v[g] = v;
    }
    r.usable = usable;
    return true;
}

// Looks at record `k` of the E/E file for the missing-value index as read_ee_index
// would read it, but only at its hour and at the field of `f`: kCannotGive when either
// rules the record out as a substitute for a record of key `key` (see Gaps).
static Gaps::Look look_ee_index(EeImport &ee, long k, int f, int key) {
    Input &in = ee.index;
    char text[kTokenSize];
    // The hour is the field after the third comma of the record's line: the reader
    // starts there, and a line that ends before has no hour and is no substitute.
    const size_t start = index_record_start(ee, k);
    size_t at = start;
    for (int commas = 0; commas < 3; ++at) {
        at += strcspn(in.data + at, ",\r\n");  // NUL too, which is passed over
        if (at >= in.size) {
            // A last line without its line end: a record if it holds more than blanks.
            to_index_record(ee, k);
            return next_field(in, text, TOK_NEWLINE, kTokenSize) ? Gaps::kCannotGive
                                                                : Gaps::kNoRecord;
        }
        if (in.data[at] == '\r' || in.data[at] == '\n') return Gaps::kCannotGive;
        if (in.data[at] == ',') ++commas;
    }
    input_return(in, {(long)at, false, false});
    auto field = [&] {
        in.field_cut = false;
        return next_field(in, text, TOK_NEXT, kTokenSize) && !in.field_cut;
    };
    int hour;
    if (!field() || parse_decimal(text, &hour) != 0) return Gaps::kCannotGive;  // 4
    if (kGapFieldRules[f].same_hour && hour != key) return Gaps::kCannotGive;
    for (int n = 5; n < kEeFields[f]; ++n) next_field(in, nullptr, TOK_NEXT, 0);
    float v = 0;
    if (!field() || text[0] == '\0' || parse_float(text, &v) != 0 ||
        is_missing_value(*ee.gaps.format, f, v))
        return Gaps::kCannotGive;
    return Gaps::kMayGive;
}

// Reads the next record (records of 2/29 passed over) and appends its time-point line
// for `day` at `seconds` to `dest`.  A field that is not a number is an ERROR of its
// reader and ends the run before the line is written; a missing record (end of file)
// reads as empty fields and ends the run the same way.  A record of a valid date that
// is not the one the line needs ends the run; an invalid date is an ERROR from
// date_to_day, FATAL at the next record.
static void read_ee_record(EeImport &ee, FILE *dest, int day, int seconds) {
    Input &in = ee.in;
    int month, mday;
    long record;
    do {
        record = ee.next++;
        next_field(in, nullptr, TOK_NEWLINE, 0);  // 1: year, not used
        field_int(in, TOK_NEXT, &month);          // 2
        field_int(in, TOK_NEXT, &mday);           // 3
    } while (is_leap_day(month, mday));
    RecordValues r;
    double *v = r.v;
    float f;
    int unused;
    field_int(in, TOK_NEXT, &r.hour);                        // 4
    next_field(in, nullptr, TOK_NEXT, 0);                    // 5: minute
    next_field(in, nullptr, TOK_NEXT, 0);                    // 6: data source and uncertainty
    field_float(in, TOK_NEXT, &f), v[kDryBulb] = f;          // 7: degC
    field_float(in, TOK_NEXT, &f), v[kDewPoint] = f;         // 8: degC
    next_field(in, nullptr, TOK_NEXT, 0);                    // 9: relative humidity
    field_float(in, TOK_NEXT, &f), v[kPressure] = f;         // 10: Pa
    next_field(in, nullptr, TOK_NEXT, 0);                    // 11, 12: extraterrestrial
    next_field(in, nullptr, TOK_NEXT, 0);                    //   radiation
    field_float(in, TOK_NEXT, &f);                           // 13: infrared, not used
    field_float(in, TOK_NEXT, &f), v[kGlobal] = f;           // 14: Wh/m^2
    field_float(in, TOK_NEXT, &f), v[kDirect] = f;           // 15: Wh/m^2
    for (int n = 16; n <= 20; ++n)                           // diffuse radiation, light
        next_field(in, nullptr, TOK_NEXT, 0);
    field_float(in, TOK_NEXT, &f), v[kWindDir] = f;          // 21: degrees
    field_float(in, TOK_NEXT, &f), v[kWindSpeed] = f;        // 22: m/s
    int cover;
    field_int(in, TOK_NEXT, &cover);                         // 23: tenths, 99 missing
    for (int n = 24; n <= 26; ++n)                           // opaque cover, visibility,
        next_field(in, nullptr, TOK_NEXT, 0);                //   ceiling
    field_int(in, TOK_NEXT, &unused);                        // 27: present weather, not used
    char codes[kTokenSize];
    next_field(in, codes, TOK_NEXT, kTokenSize);             // 28: present weather codes
    next_field(in, nullptr, TOK_NEXT, 0);                    // 29, 30: precipitable water,
    next_field(in, nullptr, TOK_NEXT, 0);                    //   aerosols
    field_float(in, TOK_NEXT, &f), v[kSnow] = f;             // 31: cm

    stop_on_input_errors();
    check_place(month, mday, r.hour, day, seconds);
    fill_gaps(ee.gaps, r, record);

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

// Returns the source to its first record (record number 0).
static void restart_ee(EeImport &ee) {
    input_rewind(ee.in);
    skip_ee_header(ee.in);
    ee.next = 0;
}

// Appends the time-point lines of settings.start_day .. end_day from the E/E file
// settings.source_path to `dest`: the records are searched for hour 23 of the day
// before start_day, the next record gives start_day 00:00:00, then 24 records per day
// follow in file order, starting again at the first record after 12/31.  Logs
// "Opened" and the first header line; closes the source.  Every failure is FATAL:
// " Could not open file: ", " End-of-File encountered" (the search reached the end),
// "Run terminated because of input errors" (a field that is not a number, an invalid
// record date, a file that ends too early).  Returns 0.
int import_ee(const ConversionSettings &settings, FILE *dest, Gaps &gaps) {
    gaps = Gaps{};
    EeImport ee{{}, {}, 0, 0, gaps};
    ee.gaps.format = &source_format(SourceType::Ee);
    const char *path = settings.source_path;
    ee.gaps.read = [&ee](long k, RecordValues &r) { return read_ee_index(ee, k, r); };
    ee.gaps.look = [&ee](long k, int f, int key) { return look_ee_index(ee, k, f, key); };
    const int before = calendar::previous_day(settings.start_day);
    const int target_month = calendar::month_of(before);
    const int target_day = calendar::day_of_month(before);

    Input &in = ee.in;
    input_open(in, path, OPEN_FATAL, true, MSG_UNIT, __LINE__);
    fprintf(log_file, "Opened %s\n", path);
    char line[kEeHeaderSize];
    next_token(in, line, TOK_LINE, kLineSize);  // the echo has logged it once already
    log_sync();
    fprintf(log_file, "EE header line:\n%s\n", line);
    for (int i = 1; i < kEeHeaderLines; ++i) next_token(in, line, TOK_LINE, kEeHeaderSize);

    // Search for hour 23 of the day before the start; 2/29 never matches.
    for (;; ++ee.next) {
        char year[kTokenSize];
        if (!next_field(in, year, TOK_NEWLINE, kTokenSize)) MSG_FATAL(" End-of-File encountered");
        int month, mday, hour;
        field_int(in, TOK_NEXT, &month);
        field_int(in, TOK_NEXT, &mday);
        field_int(in, TOK_NEXT, &hour);
        if (month == target_month && mday == target_day && hour == 23) {
            ++ee.next;
            break;
        }
    }

    const int start = settings.start_day;
    read_ee_record(ee, dest, start, 0);
    if (start == 1) restart_ee(ee);
    for (int d = start;; d = next_day(d)) {
        for (int h = 1; h <= kHoursPerDay; ++h) read_ee_record(ee, dest, d, h * kSecondsPerHour);
        if (d == settings.end_day) break;
        if (d == kDaysInYear) restart_ee(ee);
    }
    next_field(in, nullptr, TOK_REST, 0);  // the echo of the last record, to its line end
    report_gaps(ee.gaps);
    stop_on_input_errors();  // a bad date in the last record read
    input_close(in);
    return 0;
}
