// Utils - input unit, tokens, numbers, dates, times, file copy and CR LF output.
// See Utils.h.
#include "Utils.h"

#include <cerrno>
#include <cfenv>
#include <climits>
#include <cstdint>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <sys/stat.h>

#include "Config.h"
#include "Heap.h"
#include "Output.h"

// ---- input unit state -------------------------------------------------------------
FILE *_UNXT = nullptr;
static bool at_line_start = false;  // the scanner's line-start flag (see next_token)
static bool record_ended = true;    // the field reader's: the current record has ended
static char token[kTokenSize];      // the typed readers' token buffer

// The open file's text, read whole at the open: every read is a step through memory,
// and the echo into the log goes out in spans rather than a character at a time.
static struct {
    char *data;        // the file's bytes (malloc), null when no file is open
    size_t size;
    size_t pos;        // the next byte to read
    bool eof;          // a read found the end, as the stream's end-of-file flag would
    size_t echo_from;  // the first byte read and not yet echoed
} input;

// Echoes the bytes read since the last echo into the log (tolvex only).  Called before
// anything else is written to the log, so that the log keeps the order of events.
static void echo_pending() {
    if (variant::kEchoInput && log_file && input.pos > input.echo_from)
        fwrite(input.data + input.echo_from, 1, input.pos - input.echo_from, log_file);
    input.echo_from = input.pos;
}

// The next character of the input unit, every line end delivered as one '\n': a LF,
// a CR LF pair and a CR alone.  This is the one place that knows line ends; the
// scanner, whole-line reads and the field reader see only '\n'.  Every character
// consumed is echoed into the log in the tolvex build, as it stands in the file but
// for the CR of a CR LF pair.
static inline int unxt_getc() {
    if (input.pos >= input.size) {
        input.eof = true;
        return EOF;
    }
    int c = (unsigned char)input.data[input.pos++];
    if (c != '\r') return c;
    if (input.pos < input.size && input.data[input.pos] == '\n') {
        // CR LF: the echo skips the CR; the LF opens the next span.
        input.pos -= 1;
        echo_pending();
        input.pos += 2;
        input.echo_from += 1;
    } else if (input.pos == input.size) {
        input.eof = true;  // the stream looked past the CR and found the end
    }
    return '\n';
}

// Both the scanner and the field reader start at a line start.
static void mark_line_start() {
    at_line_start = true;
    record_ended = true;
}

char *read_whole(FILE *f, size_t *size) {
    // A regular file is read into one buffer of its size; anything else grows one.
    struct stat st;
    size_t capacity = 1 << 16, n = 0;
    if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        capacity = (size_t)st.st_size + 1;
    char *data = (char *)malloc(capacity);
    for (size_t got; data && (got = fread(data + n, 1, capacity - n, f)) > 0;) {
        n += got;
        if (n == capacity) {
            capacity *= 2;
            char *grown = (char *)realloc(data, capacity);
            if (!grown) free(data);
            data = grown;
        }
    }
    if (data) data[n] = '\0';  // n < capacity: the buffer grows whenever it is full
    *size = n;
    return data;
}

static void load_text(FILE *f) {
    input = {};
    input.data = read_whole(f, &input.size);
    if (!input.data) MSG_FATAL("Insufficient memory to read _UNXT");
}

static void unload_text() {
    free(input.data);
    input = {};
}

int unxt_open(const char *path, OpenFailure how, const char *file, int line) {
    if (_UNXT) report_fatal(file, line, "_UNXT already open", "");
    _UNXT = fopen(path, "r");
    if (!_UNXT) {
        if (how == OPEN_FATAL) report_fatal(file, line, " Could not open file: ", path, "");
        report_msg(ERROR, file, line, " Could not open file: ", path, "");
        return 1;
    }
    load_text(_UNXT);
    log_pending = echo_pending;
    mark_line_start();
    return 0;
}

void unxt_close() {
    echo_pending();
    log_pending = nullptr;
    unload_text();
    FILE *f = _UNXT;
    _UNXT = nullptr;
    if (!f || fclose(f) != 0) MSG_FATAL("Problem while closing _UNXT");
}

int unxt_eof() { return _UNXT && input.eof; }

UnxtMark unxt_mark() { return {(long)input.pos, at_line_start, record_ended}; }

void unxt_return(const UnxtMark &mark) {
    echo_pending();
    if (mark.offset < 0 || !_UNXT) MSG_FATAL("Problem while positioning _UNXT");
    input.pos = input.echo_from = (size_t)mark.offset;
    input.eof = false;
    at_line_start = mark.at_line_start;
    record_ended = mark.record_ended;
}

void unxt_rewind() {
    if (!_UNXT) MSG_FATAL("Problem while rewinding _UNXT");
    echo_pending();
    input.pos = input.echo_from = 0;
    input.eof = false;
    mark_line_start();
}

char *unxt_line(char *buf, int size) {
    int n = 0;
    for (;;) {
        int c = unxt_getc();
        if (c == EOF) {
            buf[n] = '\0';
            if (!variant::kEndOfFileIsFatal) return nullptr;
            // renval: a last line without its line end is still a line; only a line
            // that is expected and absent is the end of the input.
            if (n == 0) MSG_FATAL("End of file");
            return buf;
        }
        buf[n++] = (char)c;
        // The line end is stored before it is tested: a line holds size - 2 characters.
        if (n >= size) {
            buf[size - 1] = '\0';
            MSG_FATAL("Buffer overflow: ", buf);
        }
        if (c == '\n') {
            buf[n - 1] = '\0';
            return buf;
        }
    }
}

// Stores `c` as character `n` of the token in `buf`; FATAL "Buffer overflow: " when
// the token no longer fits with its terminator.
static void store(char *buf, int &n, int size, int c) {
    buf[n++] = (char)c;
    if (n >= size) {
        buf[size - 1] = '\0';
        MSG_FATAL("Buffer overflow: ", buf);
    }
}

// The skipping and the token phase of next_token in one loop over the characters.
// Before a token: blanks, tabs, commas, line ends and NUL are skipped; "!" (and "/" in
// renval) skips the rest of the line as a comment; "*" gives no token.  Inside a
// token: blank, tab and comma end it, a line end ends it and sets the line-start
// flag, NUL is dropped, everything else is stored.  The character that ends a token
// is consumed.
static char *scan_token(char *buf, int size) {
    int n = 0;
    bool in_token = false;
    for (;;) {
        int c = unxt_getc();
        switch (c) {
        case EOF:
            buf[n] = '\0';
            if (!variant::kEndOfFileIsFatal) return nullptr;
            if (!in_token) MSG_FATAL("End of file");
            at_line_start = true;  // renval: the end of the file completes the token
            return buf;
        case ' ':
        case '\t':
        case ',':
            if (in_token) {
                buf[n] = '\0';
                return buf;
            }
            break;
        case '\n':
            if (in_token) {
                buf[n] = '\0';
                at_line_start = true;
                return buf;
            }
            break;
        case '\0':
            break;
        case '/':
            if (in_token || !variant::kSlashIsComment) {
                if (!in_token) at_line_start = false;
                in_token = true;
                store(buf, n, size, c);
                break;
            }
            [[fallthrough]];
        case '!':
            if (in_token) {
                store(buf, n, size, c);
                break;
            }
            unxt_line(buf, size);  // a comment counts against the buffer like any line
            buf[0] = '\0';
            break;
        case '*':
            if (!in_token) {
                buf[0] = '\0';
                return nullptr;
            }
            store(buf, n, size, c);
            break;
        default:
            if (!in_token) at_line_start = false;
            in_token = true;
            store(buf, n, size, c);
            break;
        }
    }
}

char *next_token(char *buf, TokenMode mode, int size) {
    if (mode == TOK_RESET) {
        at_line_start = true;
        return nullptr;
    }
    buf[0] = '\0';
    if (mode == TOK_NEXT) return scan_token(buf, size);
    if (!at_line_start) {
        unxt_line(buf, size);  // the rest of the current line, discarded
        at_line_start = true;
    }
    if (mode == TOK_REST) return buf;
    buf[0] = '\0';
    if (mode == TOK_LINE) {
        unxt_line(buf, size);
        at_line_start = true;
        return buf;
    }
    return scan_token(buf, size);
}

// ---- numbers ----------------------------------------------------------------------
constexpr double kFloatMax = 3.4028234663852886e38;  // the largest finite float

// Exact powers of ten: every one up to 1e22 is a double without rounding.
static const double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr uint64_t kExactLimit = (uint64_t)1 << 53;  // integers a double holds exactly

// A plain decimal ("-12.5", "101325", ".5") converted without strtod: its digits as
// an integer m below 2^53 and the count k of digits after the point (k <= 22) give
// m / 10^k, one correctly rounded division of two exact doubles, which is the value
// strtod returns (Clinger's fast path).  Anything else (exponents, long mantissas,
// stray characters) returns false and is left to strtod.  Such a text can neither
// overflow nor underflow, so it needs none of the floating-point environment switches
// that strtod needs, which would dominate the reading of a data record.
static bool plain_decimal(const char *text, double *value) {
    const char *p = text;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    uint64_t m = 0;
    int decimals = 0;
    bool point = false, digits = false;
    for (;; ++p) {
        if (*p >= '0' && *p <= '9') {
            if (m >= kExactLimit / 10) return false;
            m = m * 10 + (uint64_t)(*p - '0');
            digits = true;
            if (point) ++decimals;
        } else if (*p == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (*p != '\0' || !digits || decimals > 22) return false;
    double v = (double)m / kPow10[decimals];
    *value = negative ? -v : v;
    return true;
}

// strtod and strtol with the floating-point traps held off: an overflowing token
// such as 1e999 must come back as a range error, never as a trap.
static double quiet_strtod(const char *text, char **end, bool *range_error) {
    double plain;
    if (text[0] != '\0' && plain_decimal(text, &plain)) {
        *end = const_cast<char *>(text) + strlen(text);
        *range_error = false;
        return plain;
    }
    fenv_t env;
    feholdexcept(&env);
    errno = 0;
    double v = strtod(text, end);
    *range_error = errno == ERANGE;
    bool finite = std::isfinite(v);
    fesetenv(&env);
    if (!finite) *range_error = true;  // "nan", "inf" and overflow are never numbers
    return v;
}

static long quiet_strtol(const char *text, char **end, int base, bool *range_error) {
    errno = 0;
    long v = strtol(text, end, base);
    *range_error = errno == ERANGE || v < INT32_MIN || v > INT32_MAX;
    return v;
}

int parse_decimal(const char *text, int *value) {
    // As strtol with base 10 would read it: white space, a sign, then digits to the
    // end of the text.  Five digits reach the limits; more are out of range anyway.
    const char *p = text;
    *value = 0;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    long v = 0;
    const char *digits = p;
    for (; *p >= '0' && *p <= '9'; ++p) {
        v = v * 10 + (*p - '0');
        if (v > 32768) v = 32769;  // out of range whatever follows
    }
    if (p == digits || *p != '\0') return 1;
    if (negative) v = -v;
    if (v < -32768 || v > 32767) return 1;
    *value = (int)v;
    return 0;
}

int parse_long(const char *text, long *value) {
    char *end;
    bool range_error;
    long v = quiet_strtol(text, &end, variant::kCNumberRules ? 0 : 10, &range_error);
    *value = 0;
    // tolvex: an empty token is 0; renval: at least one character must convert.
    // In both an overflowing value is rejected, never clamped.
    if (*end != '\0' || range_error || (!variant::kCNumberRules && end == text)) return 1;
    *value = v;
    return 0;
}

int parse_int(const char *text, int *value) {
    if (!variant::kCNumberRules) return parse_decimal(text, value);
    long v;
    *value = 0;
    if (parse_long(text, &v) != 0 || v < -32768 || v > 32767) return 1;
    *value = (int)v;
    return 0;
}

int parse_double(const char *text, double *value) {
    char *end;
    bool range_error;
    double v = quiet_strtod(text, &end, &range_error);
    *value = 0;
    if (*end != '\0' || range_error || (!variant::kCNumberRules && end == text)) return 1;
    *value = v;
    return 0;
}

int parse_float(const char *text, float *value) {
    double v;
    *value = 0;
    if (variant::kCNumberRules) {
        if (parse_double(text, &v) != 0) return 1;
    } else {
        char *end;
        bool range_error;  // renval takes an underflow to 0 as a value
        v = quiet_strtod(text, &end, &range_error);
        if (end == text || *end != '\0') return 1;
    }
    if (!std::isfinite(v) || std::fabs(v) > kFloatMax) return 1;
    *value = (float)v;
    return 0;
}

int read_int(TokenMode mode) {
    next_token(token, mode, kTokenSize);
    int v;
    if (parse_int(token, &v) != 0) MSG(ERROR, "Bad integer: ", token);
    return v;
}

long read_long(TokenMode mode) {
    next_token(token, mode, kTokenSize);
    long v;
    if (parse_long(token, &v) != 0) MSG(ERROR, "Bad long integer: ", token);
    return v;
}

float read_float(TokenMode mode) {
    next_token(token, mode, kTokenSize);
    float v;
    if (parse_float(token, &v) != 0) MSG(ERROR, "Bad float value: ", token);
    return v;
}

const char *last_token() { return token; }

// The answer is read up to and including its line end, so that the next prompt reads
// the next line: a CR LF answer that fills the buffer must not leave its LF behind as
// an empty answer for the next question.
char *prompt_line(const char *prompt, char *buf, int size) {
    fputs(prompt, stderr);
    fflush(stderr);
    int n = 0;
    for (;;) {
        int c = getc(stdin);
        if (c == '\r') {  // a CR directly before the line end is not part of the answer
            int next = getc(stdin);
            if (next == '\n' || next == EOF) break;
            ungetc(next, stdin);
        }
        if (c == '\n' || c == EOF) break;
        if (n == size - 1) {
            buf[n] = '\0';
            MSG_FATAL("Buffer overflow: ", buf);
        }
        buf[n++] = (char)c;
    }
    buf[n] = '\0';
    return buf;
}

int same_text(const char *a, const char *b) { return strcmp(a, b) == 0; }

// ---- dates and times --------------------------------------------------------------
const int days_in_month[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
const int days_before_month[13] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

const char *day_to_date(int day) {
    static char text[32];
    if (variant::kCheckDayNumbers && (day < 1 || day > 365))
        MSG(ERROR, "invalid day number: ", int_text(day));
    int month = 12;
    for (int m = 1; m <= 11; ++m) {
        if (days_before_month[m + 1] >= day) {
            month = m;
            break;
        }
    }
    snprintf(text, sizeof text, "%d/%d", month, day - days_before_month[month]);
    return text;
}

int date_to_day(int month, int day) {
    if (month < 1 || month > 12) {
        MSG(ERROR, "Invalid month number: ", int_text(month));
        return -1;
    }
    if (day < 1 || day > days_in_month[month]) {
        MSG(ERROR, "Invalid day_of_month number: ", int_text(day));
        return -1;
    }
    return days_before_month[month] + day;
}

int parse_date(const char *text, int *day) {
    constexpr int kCap = 1000;  // any number above this is out of range already
    int month = 0, mday = 0;
    bool in_day = false;
    *day = 0;
    if (text[0] == '\0') return 1;
    for (const char *p = text; *p; ++p) {
        if (*p == '/' && !in_day) {
            in_day = true;
        } else if (*p >= '0' && *p <= '9') {
            int &part = in_day ? mday : month;
            part = part * 10 + (*p - '0');
            if (part > kCap) part = kCap;
        } else {
            return 1;
        }
    }
    if (month < 1 || month > 12 || mday < 1 || mday > days_in_month[month]) return 1;
    *day = days_before_month[month] + mday;
    return 0;
}

int read_date(TokenMode mode) {
    next_token(token, mode, kTokenSize);
    int day;
    if (parse_date(token, &day) == 0) return day;
    // An empty token would end the message's piece list before its text.
    const char *shown = token[0] ? token : "(no date)";
    if (parse_int(token, &day) != 0) {
        MSG(ERROR, shown, " is not a valid date");
        return 0;
    }
    if (day < 1 || day > 365) MSG(ERROR, shown, " is not a valid date");
    return day;
}

const char *sec_to_time(int seconds) {
    static char text[9] = "00:00:00";
    if (seconds < 0 || seconds > 86400) MSG_FATAL("invalid time ");
    int s = seconds;
    text[7] = (char)('0' + s % 10), s /= 10;
    text[6] = (char)('0' + s % 6), s /= 6;
    text[4] = (char)('0' + s % 10), s /= 10;
    text[3] = (char)('0' + s % 6), s /= 6;
    text[1] = (char)('0' + s % 10);
    text[0] = (char)('0' + s / 10);
    return text;
}

const char *int_text(long value) {
    static char text[2][24];
    static int which = 0;
    which = 1 - which;
    snprintf(text[which], sizeof text[which], "%ld", value);
    return text[which];
}

// ---- file copy --------------------------------------------------------------------
constexpr unsigned kCopyBufferSize = 5120;  // bytes of each stream buffer

int file_copy(const char *from, const char *to) {
    if (log_file) {
        fprintf(log_file, "file_copy\n  from %s\n  to %s\n", from, to);
        fflush(log_file);
    }
    FILE *src = fopen(from, "r");
    if (!src) MSG_FATAL(" Failed to open ", from);
    // The copy is an output file: it replaces `to` only when the run commits it.
    FILE *dst = out_open(to);
    if (!dst) MSG_FATAL(" Failed to open ", to);
    char *fbuff = (char *)alc_e(kCopyBufferSize, "fbuff");
    char *tbuff = (char *)alc_e(kCopyBufferSize, "tbuff");
    setvbuf(dst, tbuff, _IOFBF, kCopyBufferSize);
    // Block by block through fbuff; a failed write ends the run in out_write.
    for (size_t n; (n = fread(fbuff, 1, kCopyBufferSize, src)) > 0;) out_write(dst, fbuff, n);
    bool failed = ferror(src) != 0;
    out_close(dst);
    fclose(src);
    fre_e(tbuff, kCopyBufferSize, "tbuff");
    fre_e(fbuff, kCopyBufferSize, "fbuff");
    if (failed) MSG_FATAL("Could not write file: ", to);
    return 0;
}

// ---- record fields ----------------------------------------------------------------
static bool is_blank(int c) { return c == ' ' || c == '\t'; }

// The characters that end or interrupt a field: comma, line ends and NUL.
static const struct FieldStops {
    bool stop[256] = {};
    FieldStops() {
        for (unsigned char c : {',', '\n', '\r', '\0'}) stop[c] = true;
    }
} kFieldStops;

// Skips the rest of the current line, however long; the record has ended.  The text
// up to the line end is passed over in memory; unxt_getc takes the line end itself.
static void skip_record() {
    const char *d = input.data + input.pos;
    const size_t rest = input.size - input.pos;
    const void *lf = memchr(d, '\n', rest);
    const size_t to_lf = lf ? (size_t)((const char *)lf - d) : rest;
    const void *cr = memchr(d, '\r', to_lf);
    input.pos += cr ? (size_t)((const char *)cr - d) : to_lf;
    int c;
    do {
        c = unxt_getc();
    } while (c != EOF && c != '\n');
    record_ended = true;
}

// The field reader keeps its own state, record_ended: set by the line end (or end of
// file) that ends a field, cleared by the comma that ends one.
char *next_field(char *buf, TokenMode mode, int size) {
    if (buf) buf[0] = '\0';
    if (mode == TOK_REST) {
        if (!record_ended) skip_record();
        return nullptr;
    }
    if (mode == TOK_NEWLINE) {
        if (!record_ended) skip_record();
    } else if (record_ended) {
        return nullptr;  // the record ended before this field
    }

    // The field is read straight from memory; a CR (alone or before a LF) is left to
    // unxt_getc, which owns line ends and the echo's CR LF rule.
    const char *d = input.data;
    size_t pos = input.pos;
    while (pos < input.size && (d[pos] == ' ' || d[pos] == '\t' || d[pos] == '\0')) ++pos;
    if (pos >= input.size) {
        input.pos = pos;
        input.eof = true;
        record_ended = true;
        return nullptr;
    }
    int n = 0;  // characters stored
    for (;;) {
        // A run of ordinary characters, up to the next comma, line end, NUL or the end.
        const size_t from = pos;
        // The NUL after the text (read_whole) stops the scan at the end too.
        while (!kFieldStops.stop[(unsigned char)d[pos]]) ++pos;
        if (buf && pos > from) {
            size_t run = pos - from;
            if ((size_t)n + run >= (size_t)size) {  // the character that fills the buffer
                size_t fits = (size_t)size - 1 - (size_t)n;
                memcpy(buf + n, d + from, fits);
                input.pos = from + fits + 1;
                buf[size - 1] = '\0';
                MSG_FATAL("Buffer overflow: ", buf);
            }
            memcpy(buf + n, d + from, run);
            n += (int)run;
        }
        if (pos >= input.size) {
            input.pos = pos;
            input.eof = true;
            record_ended = true;
            break;
        }
        const char c = d[pos];
        if (c == '\0') {  // dropped, the field goes on
            ++pos;
            continue;
        }
        if (c == '\r') {
            input.pos = pos;
            unxt_getc();
        } else {
            input.pos = pos + 1;
        }
        record_ended = c != ',';
        break;
    }
    while (n > 0 && is_blank(buf[n - 1])) --n;
    if (buf) buf[n] = '\0';
    return buf;
}

int field_int(TokenMode mode) {
    next_field(token, mode, kTokenSize);
    int v;
    if (parse_decimal(token, &v) != 0) MSG(ERROR, "Bad integer: ", token);
    return v;
}

float field_float(TokenMode mode) {
    next_field(token, mode, kTokenSize);
    float v;
    // parse_float takes an empty text as 0 by the token rules; a field is stricter.
    if (token[0] == '\0' || parse_float(token, &v) != 0) {
        MSG(ERROR, "Bad float value: ", token);
        v = 0;
    }
    return v;
}

#ifdef WEATHER_FUZZ_SEAM
void fuzz_utils_reset() {
    if (_UNXT) fclose(_UNXT);
    _UNXT = nullptr;
    log_pending = nullptr;
    unload_text();
}
#endif
