// Input - the text input of the converters.  See Input.h.
//
// Messages of this unit are located in "Utils", the unit that has always held the
// converters' input.
#define MSG_UNIT "Utils"
#include "Input.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <sys/stat.h>
#include <vector>

#include "Config.h"
#include "Dates.h"
#include "FaultSeam.h"
#include "Numbers.h"

// The stream and text of every open input, kept apart from the inputs themselves
// (which live in their readers' frames): the fuzz build releases them after a FATAL
// has left those frames.
struct OpenText {
    FILE *file;
    char *data;
};
static std::vector<OpenText> open_texts;

static void forget_text(const FILE *file) {
    for (size_t i = 0; i < open_texts.size(); ++i) {
        if (open_texts[i].file == file) {
            open_texts.erase(open_texts.begin() + (long)i);
            return;
        }
    }
}

// Echoes the bytes read since the last echo into the log.  Called before anything
// else is written to the log, so that the log keeps the order of events.
static void echo_pending(Input &in) {
    if (in.echo && log_file && in.pos > in.echo_from)
        log_write(in.data + in.echo_from, in.pos - in.echo_from);
    in.echo_from = in.pos;
}

static void echo_pending_of(void *in) { echo_pending(*static_cast<Input *>(in)); }

// The bytes echo_pending would write, left in place: for the floating-point handler,
// which writes them itself (it only reads `in` here).
static size_t echo_span_of(const void *source, const char **start) {
    const Input &in = *static_cast<const Input *>(source);
    if (!in.echo || in.pos <= in.echo_from) return 0;
    *start = in.data + in.echo_from;
    return in.pos - in.echo_from;
}

// The next character of `in`, every line end delivered as one '\n' (line_end_length).
// The scanner, whole-line reads and the field reader see only '\n'.  Every character
// consumed is echoed as it stands in the file but for the CR of a CR LF pair.
static inline int input_getc(Input &in) {
    if (in.pos >= in.size) {
        in.eof = true;
        return EOF;
    }
    int c = (unsigned char)in.data[in.pos];
    size_t end = c == '\n' || c == '\r' ? line_end_length(in.data + in.pos, in.size - in.pos) : 0;
    if (end == 0) {
        ++in.pos;
        return c;
    }
    if (end == 2) {
        // CR LF: the echo skips the CR; the LF opens the next span.
        echo_pending(in);
        in.pos += 2;
        in.echo_from += 1;
        return '\n';
    }
    ++in.pos;
    // A CR at the very end: the stream looked past it and found the end.
    if (c == '\r' && in.pos == in.size) in.eof = true;
    return '\n';
}

// Both the scanner and the field reader start at a line start.
static void mark_line_start(Input &in) {
    in.at_line_start = true;
    in.record_ended = true;
}

char *read_whole(FILE *f, size_t *size, size_t limit) {
    // A regular file is read into one buffer of its size (and one spare byte, so that
    // its end is found without growing it); anything else grows one.  The buffer keeps
    // a byte for the NUL after the text.
    struct stat st;
    size_t capacity = 1 << 16, n = 0;
    if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        if ((size_t)st.st_size > limit) {
            // Too large, known without reading it.
            *size = limit + 1;
            return (char *)calloc(1, 1);
        }
        capacity = (size_t)st.st_size + 2;
    }
    char *data = (char *)malloc(capacity);
    for (size_t got; data && n <= limit &&
                     (got = fread(data + n, 1, std::min(capacity - 1, limit + 1) - n, f)) > 0;) {
        n += got;
        if (n == capacity - 1 && n <= limit) {
            capacity = std::min(capacity * 2, limit + 2);
            char *grown = (char *)realloc(data, capacity);
            if (!grown) free(data);
            data = grown;
        }
    }
    if (data) data[n] = '\0';
    *size = n;
    return data;
}

// Forgets the text and the reader state of `in`.
static void unload(Input &in) {
    free(in.data);
    in.data = nullptr;
    in.size = in.pos = in.echo_from = 0;
    in.eof = false;
}

bool input_open(Input &in, const char *path, OpenFailure how, bool echo, const char *unit,
                int line) {
    if (in.file) report_fatal(unit, line, "_UNXT already open", "");
    errno = EIO;  // the reason of a failure the fault seam makes
    in.file = fault() ? nullptr : fopen(path, "r");
    // A folder opens, but has no text.
    struct stat st;
    if (in.file && fstat(fileno(in.file), &st) == 0 && S_ISDIR(st.st_mode)) {
        fclose(in.file);
        in.file = nullptr;
        errno = EISDIR;
    }
    if (!in.file) {
        const char *reason = strerror(errno);
        if (how == OPEN_FATAL) report_fatal(unit, line, " Could not open file: ", path, ": ", reason, "");
        if (how == OPEN_ERROR)
            report_msg(ERROR, unit, line, " Could not open file: ", path, ": ", reason, "");
        return false;
    }
    unload(in);
    // The text is read whole into memory: fread reads straight into it, and the stream
    // needs no buffer of its own (nor the size lookup that making one costs).
    setvbuf(in.file, nullptr, _IONBF, 0);
    in.data = read_whole(in.file, &in.size);
    open_texts.push_back({in.file, in.data});
    if (!in.data) MSG_FATAL("Insufficient memory to read _UNXT");
    // A read that fails must not pass for the end of the file.
    const int read_error = ferror(in.file) ? errno : fault() ? EIO : 0;
    if (read_error) MSG_FATAL("Could not read file: ", path, ": ", strerror(read_error));
    if (in.size > kMaxInputBytes) MSG_FATAL("Source is larger than 256 MB: ", path);
    in.echo = echo && variant::kEchoInput;
    if (in.echo) log_pending = {echo_pending_of, echo_span_of, &in};
    mark_line_start(in);
    return true;
}

void input_skip_bom(Input &in) {
    if (in.pos == 0 && in.size >= 3 && memcmp(in.data, "\xEF\xBB\xBF", 3) == 0) in.pos = 3;
}

void input_view(Input &view, const Input &in) {
    view.file = in.file;
    view.data = in.data;
    view.size = in.size;
    view.pos = view.echo_from = 0;
    view.eof = false;
    view.echo = false;
    view.cut_long_fields = view.field_cut = false;
    view.line_length = 0;
    mark_line_start(view);
}

void input_close(Input &in) {
    echo_pending(in);
    if (log_pending.source == &in) log_pending = {};
    unload(in);
    forget_text(in.file);
    FILE *f = in.file;
    in.file = nullptr;
    if (!f || fclose(f) != 0) MSG_FATAL("Problem while closing _UNXT");
}

bool input_eof(const Input &in) { return in.file && in.eof; }

InputMark input_mark(const Input &in) {
    return {(long)in.pos, in.at_line_start, in.record_ended};
}

void input_return(Input &in, const InputMark &mark) {
    echo_pending(in);
    if (mark.offset < 0 || !in.file) MSG_FATAL("Problem while positioning _UNXT");
    in.pos = in.echo_from = (size_t)mark.offset;
    in.eof = false;
    in.at_line_start = mark.at_line_start;
    in.record_ended = mark.record_ended;
}

void input_rewind(Input &in) {
    if (!in.file) MSG_FATAL("Problem while rewinding _UNXT");
    echo_pending(in);
    in.pos = in.echo_from = 0;
    in.eof = false;
    mark_line_start(in);
}

char *input_line(Input &in, char *buf, int size) {
    int n = 0;
    for (;;) {
        // The characters before the next CR or LF go in one piece, as many as fit
        // before the one that would fill the buffer; input_getc takes the next one:
        // the line end, the end of the file or the character that overflows.
        if (in.pos < in.size) {
            const char *p = in.data + in.pos;
            const size_t run = to_line_end(p, std::min((size_t)(size - 1 - n), in.size - in.pos));
            memcpy(buf + n, p, run);
            n += (int)run;
            in.pos += run;
        }
        int c = input_getc(in);
        if (c == EOF) {
            buf[n] = '\0';
            in.line_length = (size_t)n;
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
            in.line_length = (size_t)(n - 1);
            return buf;
        }
    }
}

// A NUL inside a path would cut it: the file named would be another one.
static void check_path(const char *buf, size_t length) {
    if (strlen(buf) != length) MSG_FATAL("Path holds a NUL character: ", buf);
}

char *read_path(Input &in, char *buf, int size) {
    in.line_length = 0;
    char *line = next_token(in, buf, TOK_LINE, size);
    check_path(buf, in.line_length);
    return line;
}

// ---- tokens -----------------------------------------------------------------------
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
static char *scan_token(Input &in, char *buf, int size) {
    int n = 0;
    bool in_token = false;
    for (;;) {
        int c = input_getc(in);
        switch (c) {
        case EOF:
            buf[n] = '\0';
            if (!variant::kEndOfFileIsFatal) return nullptr;
            if (!in_token) MSG_FATAL("End of file");
            in.at_line_start = true;  // renval: the end of the file completes the token
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
                in.at_line_start = true;
                return buf;
            }
            break;
        case '\0':
            break;
        case '/':
            if (in_token || !variant::kSlashIsComment) {
                if (!in_token) in.at_line_start = false;
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
            input_line(in, buf, size);  // a comment counts against the buffer like any line
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
            if (!in_token) in.at_line_start = false;
            in_token = true;
            store(buf, n, size, c);
            break;
        }
    }
}

char *next_token(Input &in, char *buf, TokenMode mode, int size) {
    if (mode == TOK_RESET) {
        in.at_line_start = true;
        return nullptr;
    }
    buf[0] = '\0';
    if (mode == TOK_NEXT) return scan_token(in, buf, size);
    if (!in.at_line_start) {
        input_line(in, buf, size);  // the rest of the current line, discarded
        in.at_line_start = true;
    }
    if (mode == TOK_REST) return buf;
    buf[0] = '\0';
    if (mode == TOK_LINE) {
        input_line(in, buf, size);
        in.at_line_start = true;
        return buf;
    }
    return scan_token(in, buf, size);
}

bool read_int(Input &in, TokenMode mode, int *value) {
    next_token(in, in.token, mode, kTokenSize);
    if (parse_int(in.token, value) == 0) return true;
    MSG(ERROR, "Bad integer: ", in.token);
    return false;
}

bool read_long(Input &in, TokenMode mode, long *value) {
    next_token(in, in.token, mode, kTokenSize);
    if (parse_long(in.token, value) == 0) return true;
    MSG(ERROR, "Bad long integer: ", in.token);
    return false;
}

bool read_float(Input &in, TokenMode mode, float *value) {
    next_token(in, in.token, mode, kTokenSize);
    if (parse_float(in.token, value) == 0) return true;
    MSG(ERROR, "Bad float value: ", in.token);
    return false;
}

bool read_date(Input &in, TokenMode mode, int *day) {
    next_token(in, in.token, mode, kTokenSize);
    if (parse_date(in.token, day) == 0) return true;
    // An empty token would end the message's piece list before its text.
    const char *shown = in.token[0] ? in.token : "(no date)";
    if (parse_int(in.token, day) == 0 && *day >= 1 && *day <= kDaysInYear) return true;
    MSG(ERROR, shown, " is not a valid date");
    return false;
}

// ---- the terminal -----------------------------------------------------------------
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
    check_path(buf, (size_t)n);
    return buf;
}

// ---- record fields ----------------------------------------------------------------
static bool is_blank(int c) { return c == ' ' || c == '\t'; }

// The characters that end or interrupt a field: comma, line ends and NUL.  A table
// rather than strcspn: fields are a few characters long, shorter than its set-up.
static const struct FieldStops {
    bool stop[256] = {};
    FieldStops() {
        for (unsigned char c : {',', '\n', '\r', '\0'}) stop[c] = true;
    }
} kFieldStops;

// Skips the rest of the current line, however long; the record has ended.  The text
// up to the line end is passed over in memory; input_getc takes the line end itself.
static void skip_record(Input &in) {
    in.pos += to_line_end(in.data + in.pos, in.size - in.pos);
    int c;
    do {
        c = input_getc(in);
    } while (c != EOF && c != '\n');
    in.record_ended = true;
}

// The field reader keeps its own state, record_ended: set by the line end (or end of
// file) that ends a field, cleared by the comma that ends one.
char *next_field(Input &in, char *buf, TokenMode mode, int size) {
    if (buf) buf[0] = '\0';
    if (mode == TOK_REST) {
        if (!in.record_ended) skip_record(in);
        return nullptr;
    }
    if (mode == TOK_NEWLINE) {
        if (!in.record_ended) skip_record(in);
    } else if (in.record_ended) {
        return nullptr;  // the record ended before this field
    }

    // The field is read straight from memory; a CR (alone or before a LF) is left to
    // input_getc, which owns line ends and the echo's CR LF rule.
    // Held in locals: the stores into `buf` could otherwise be taken to change them.
    const char *const d = in.data;
    const size_t size_of_text = in.size;
    size_t pos = in.pos;
    while (pos < size_of_text && (d[pos] == ' ' || d[pos] == '\t' || d[pos] == '\0')) ++pos;
    if (pos >= size_of_text) {
        in.pos = pos;
        in.eof = true;
        in.record_ended = true;
        return nullptr;
    }
    char *store_to = buf;  // null once a field cut by too_long is full
    int n = 0;             // characters stored
    for (;;) {
        // A run of ordinary characters, up to the next comma, line end, NUL or the end.
        const size_t from = pos;
        // The NUL after the text (read_whole) stops the scan at the end too.
        while (!kFieldStops.stop[(unsigned char)d[pos]]) ++pos;
        if (store_to && pos > from) {
            size_t run = pos - from;
            if ((size_t)n + run >= (size_t)size) {  // the character that fills the buffer
                size_t fits = (size_t)size - 1 - (size_t)n;
                memcpy(buf + n, d + from, fits);
                if (!in.cut_long_fields) {
                    in.pos = from + fits + 1;
                    buf[size - 1] = '\0';
                    MSG_FATAL("Buffer overflow: ", buf);
                }
                in.field_cut = true;
                n += (int)fits;
                store_to = nullptr;
            } else {
                memcpy(buf + n, d + from, run);
                n += (int)run;
            }
        }
        if (pos >= size_of_text) {
            in.pos = pos;
            in.eof = true;
            in.record_ended = true;
            break;
        }
        const char c = d[pos];
        if (c == '\0') {  // dropped, the field goes on
            ++pos;
            continue;
        }
        if (c == '\r') {
            in.pos = pos;
            input_getc(in);
        } else {
            in.pos = pos + 1;
        }
        in.record_ended = c != ',';
        break;
    }
    while (n > 0 && is_blank(buf[n - 1])) --n;
    if (buf) buf[n] = '\0';
    return buf;
}

bool field_int(Input &in, TokenMode mode, int *value) {
    next_field(in, in.token, mode, kTokenSize);
    if (parse_decimal(in.token, value) == 0) return true;
    MSG(ERROR, "Bad integer: ", in.token);
    return false;
}

bool field_float(Input &in, TokenMode mode, float *value) {
    next_field(in, in.token, mode, kTokenSize);
    // parse_float takes an empty text as 0 by the token rules; a field is stricter.
    if (in.token[0] != '\0' && parse_float(in.token, value) == 0) return true;
    MSG(ERROR, "Bad float value: ", in.token);
    *value = 0;
    return false;
}

#ifdef WEATHER_FUZZ_SEAM
void fuzz_inputs_reset() {
    log_pending = {};
    for (const OpenText &t : open_texts) {
        free(t.data);
        fclose(t.file);
    }
    open_texts.clear();
}
#endif
