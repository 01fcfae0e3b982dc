// Config - messages, the log file, abnormal end, floating-point traps, paths and the
// heap report.  See Config.h.
#include "Config.h"

#include <cerrno>
#include <cfenv>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

#include "Output.h"
#include "Variant.h"

FILE *log_file = nullptr;
LogPending log_pending = {};

// ---- the log stream ---------------------------------------------------------------
// The stream of log_stream is unbuffered at the stdio level: each fprintf, fputs or
// fwrite hands its bytes straight to sink_write, which keeps them here.  So what is
// pending for the log is always data[0 .. used), which the floating-point handler can
// write with write(2).
constexpr size_t kLogBuffer = 1 << 16;  // bytes: the echo of a source puts megabytes into the log

static struct {
    FILE *stream = nullptr;  // the open stream of log_stream, or null
    int fd = -1;
    bool failed = false;     // a write to fd has failed since the stream was made
    size_t used = 0;         // bytes pending in data
    char data[kLogBuffer];
} sink;

// Writes all `n` bytes of `data` to `fd`, again after an interruption; false when a
// write fails.  Async-signal-safe.
static bool write_all(int fd, const char *data, size_t n) {
    while (n > 0) {
        ssize_t done = write(fd, data, n);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        data += done;
        n -= (size_t)done;
    }
    return true;
}

// Writes the pending bytes to the file; a failure is remembered and the bytes dropped.
static void sink_drain() {
    if (sink.used > 0 && !write_all(sink.fd, sink.data, sink.used)) sink.failed = true;
    sink.used = 0;
}

// The stream's write function: keeps the bytes, writing the buffer out first when they
// do not fit; a text at least as large as the buffer goes to the file directly.  Returns
// `n`, or 0 (nothing written, which sets the stream's error flag) once a write of the
// log has failed.
static ssize_t sink_write(void *, const char *data, size_t n) {
    if (sink.used + n > kLogBuffer) {
        sink_drain();
        if (n >= kLogBuffer) {
            if (!write_all(sink.fd, data, n)) sink.failed = true;
            return sink.failed ? 0 : (ssize_t)n;
        }
    }
    memcpy(sink.data + sink.used, data, n);
    sink.used += n;
    return sink.failed ? 0 : (ssize_t)n;
}

// The stream's close function: the pending bytes written, the descriptor closed; -1
// (fclose fails) when any write of the stream or the close failed.
static int sink_close(void *) {
    sink_drain();
    bool ok = !sink.failed;
    if (close(sink.fd) != 0) ok = false;
    sink.stream = nullptr;
    sink.fd = -1;
    sink.failed = false;
    return ok ? 0 : -1;
}

FILE *log_stream(int fd) {
    if (sink.stream) return nullptr;
    FILE *f = fopencookie(nullptr, "w", {nullptr, sink_write, nullptr, sink_close});
    if (!f) return nullptr;
    setvbuf(f, nullptr, _IONBF, 0);
    sink.stream = f;
    sink.fd = fd;
    sink.failed = false;
    sink.used = 0;
    return f;
}

void log_write(const char *data, size_t n) {
    if (!log_file) return;
    if (log_file == sink.stream) {
        sink_write(nullptr, data, n);
    } else {
        fwrite(data, 1, n, log_file);
    }
}

bool log_flush() {
    if (!log_file) return true;
    if (log_file != sink.stream) return fflush(log_file) == 0;
    sink_drain();
    return !sink.failed;
}

// ---- process-wide message state ---------------------------------------------------
// Where messages go besides the log; log only until msg_setup has run.
enum class MsgMode { Log, Console, Box };
static MsgMode msg_mode = MsgMode::Log;
static int error_count = 0;  // ERROR messages since start or the last reset

// The severities inside this unit; report_msg's codes are their outside face.
enum class Severity { Note, Warning, Error, Fatal };

static const char *word_of(Severity s) {
    switch (s) {
    case Severity::Note: return "NOTE";
    case Severity::Warning: return "WARNING";
    case Severity::Error: return "ERROR";
    case Severity::Fatal: break;
    }
    return "FATAL";
}

// The severity of a message code: every code above FATAL is FATAL too.
static Severity severity_of(int code) {
    switch (code) {
    case NOTE: return Severity::Note;
    case WARNING: return Severity::Warning;
    case ERROR: return Severity::Error;
    default: return Severity::Fatal;
    }
}

int error_count_now() { return error_count; }

constexpr int kMaxErrors = 20;  // ERROR messages that end a run

// Room for the text (limit), its line end, its terminator and the location line.
constexpr size_t kLocationSize = kMaxPath + 32;
constexpr size_t kMessageSize = variant::kMessageLimit + 2 + kLocationSize;

// The composition of a message, shared by report_msg and the floating-point handler:
// only memory is read and copied (strlen, strrchr, memcpy), so the handler may use it.
struct Message {
    char text[kMessageSize];          // " " + pieces, cut at the limit, + "\n"
    size_t len;                       // of `text` without its line end while it grows
    char location[kLocationSize];     // "  (file Unit, line N)\n"
};

static void text_start(Message &m) {
    m.text[0] = ' ';
    m.len = 1;
}

// Appends one piece to the text, cut at the build's message limit.
static void text_add(Message &m, const char *piece) {
    size_t n = strlen(piece);
    size_t room = (size_t)variant::kMessageLimit - m.len;
    if (n > room) n = room;
    memcpy(m.text + m.len, piece, n);
    m.len += n;
}

static void text_end(Message &m) {
    m.text[m.len++] = '\n';
    m.text[m.len] = '\0';
}

// Appends `s` to `out` (of `size` bytes, terminator included) at `*at`, cut at its end.
static void put(char *out, size_t size, size_t *at, const char *s, size_t n) {
    if (n > size - 1 - *at) n = size - 1 - *at;
    memcpy(out + *at, s, n);
    *at += n;
    out[*at] = '\0';
}

// The location line of `file` (its base name: no directory, no extension, as
// "common/Utils.cpp" -> "Utils") and `line`.
static void set_location(Message &m, const char *file, int line) {
    const char *start = strrchr(file, '/');
    start = start ? start + 1 : file;
    const char *dot = strrchr(start, '.');
    size_t name = dot ? (size_t)(dot - start) : strlen(start);
    if (name > (size_t)kMaxPath - 1) name = kMaxPath - 1;
    char digits[16];
    size_t d = sizeof digits;
    unsigned long v = line < 0 ? 0UL - (unsigned long)line : (unsigned long)line;
    do {
        digits[--d] = (char)('0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (line < 0) digits[--d] = '-';
    size_t at = 0;
    put(m.location, sizeof m.location, &at, "  (file ", 8);
    put(m.location, sizeof m.location, &at, start, name);
    put(m.location, sizeof m.location, &at, ", line ", 7);
    put(m.location, sizeof m.location, &at, digits + d, sizeof digits - d);
    put(m.location, sizeof m.location, &at, ")\n", 2);
}

// Composes the message of `severity` from `pieces` and hands it to the sink of the
// message mode.
static void deliver(Severity severity, const char *file, int line, va_list pieces) {
    // " " + pieces up to the first empty one, cut at the limit, then the line end.
    Message m;
    text_start(m);
    for (const char *piece = va_arg(pieces, const char *); piece && *piece;
         piece = va_arg(pieces, const char *))
        text_add(m, piece);
    text_end(m);
    set_location(m, file, line);

    const char *word = word_of(severity);
    switch (msg_mode) {
    case MsgMode::Box: msg_to_box(word, m.text, m.location); break;
    case MsgMode::Console: msg_to_console(word, m.text, m.location); break;
    case MsgMode::Log: msg_to_log(word, m.text, m.location); break;
    }
}

int report_msg(int code, const char *file, int line, ...) {
    if (code == ERR_COUNT) return error_count;
    if (code < ERR_COUNT) {
        error_count = 0;
        return 0;
    }
    const Severity severity = severity_of(code);
    if (severity == Severity::Error) ++error_count;
    va_list pieces;
    va_start(pieces, line);
    deliver(severity, file, line, pieces);
    va_end(pieces);
    if (severity == Severity::Fatal) abnormal_end(1);
    // Input that wrong is not worth reading on: a source of the wrong type would
    // otherwise fill the screen and the log with one ERROR per field.
    if (error_count == kMaxErrors) MSG_FATAL("Run terminated because of input errors");
    return error_count;
}

void report_fatal(const char *file, int line, ...) {
    va_list pieces;
    va_start(pieces, line);
    deliver(Severity::Fatal, file, line, pieces);
    va_end(pieces);
    abnormal_end(1);
}

void msg_to_log(const char *word, const char *text, const char *location) {
    log_sync();
    if (!log_file) return;
    fputs(word, log_file);
    fputs(location, log_file);
    fputs(text, log_file);
    log_flush();
}

void msg_to_console(const char *word, const char *text, const char *location) {
    fprintf(stderr, "%s%s", word, text);
    fflush(stderr);
    msg_to_log(word, text, location);
}

constexpr size_t kBoxSize = kMessageSize + 64;  // a box's text: frame, body and button

// The text of a box (see show_box) into `out` (kBoxSize); `waits` chooses the button
// line of a box that waits for Enter.  Returns its length.  Async-signal-safe.
static size_t box_text(char *out, const char *word, const char *body, bool waits) {
    const char *icon = word[0] == 'N' ? "(i)" : word[0] == 'W' ? "/!\\" : "(X)";
    const char *button = waits ? "[ OK ] press Enter " : "[ OK ]\n";
    size_t at = 0;
    for (const char *piece : {"\n+--- ", word, " ---\n| ", icon, "\n", body, button})
        put(out, kBoxSize, &at, piece, strlen(piece));
    return at;
}

void show_box(FILE *in, FILE *out, const char *word, const char *body) {
    char box[kBoxSize];
    fwrite(box, 1, box_text(box, word, body, in != nullptr), out);
    fflush(out);
    if (in) {
        int c;
        while ((c = fgetc(in)) != EOF && c != '\n') {
        }
    }
}

// The body of a box: the message text, then its location.
static void box_body(char *body, const char *text, const char *location) {
    size_t at = 0;
    put(body, kMessageSize, &at, text, strlen(text));
    put(body, kMessageSize, &at, location, strlen(location));
}

void msg_to_box(const char *word, const char *text, const char *location) {
    msg_to_log(word, text, location);
    char body[kMessageSize];
    box_body(body, text, location);
    // The box is modal on the controlling terminal; without one the same text goes to
    // the standard error stream and the run goes on.
    FILE *tty = fopen("/dev/tty", "r+");
    if (tty) {
        show_box(tty, tty, word, body);
        fclose(tty);
    } else {
        show_box(nullptr, stderr, word, body);
    }
}

#ifdef WEATHER_FUZZ_SEAM
sigjmp_buf *fuzz_abort_target = nullptr;
#endif

// ---- hints --------------------------------------------------------------------
constexpr int kMaxHints = 4;
static char hints[kMaxHints][variant::kMessageLimit];
static int hint_count = 0;
static char log_place[kMaxPath + 8];

void msg_hint(const char *text) {
    if (hint_count < kMaxHints) snprintf(hints[hint_count++], sizeof hints[0], "%s", text);
}

void msg_log_place(const char *path) { snprintf(log_place, sizeof log_place, "%s", path ? path : ""); }

// The hints of a failed run, then where its log is.  Only write(2): the floating-point
// handler shows them too.
static void show_hints() {
    for (int i = 0; i < hint_count; ++i) {
        write_all(STDERR_FILENO, "hint: ", 6);
        write_all(STDERR_FILENO, hints[i], strlen(hints[i]));
        write_all(STDERR_FILENO, "\n", 1);
    }
    if (log_place[0]) {
        write_all(STDERR_FILENO, "see ", 4);
        write_all(STDERR_FILENO, log_place, strlen(log_place));
        write_all(STDERR_FILENO, "\n", 1);
    }
}

[[noreturn]] void abnormal_end(int code) {
    if (log_file) {
        fclose(log_file);
        log_file = nullptr;
    }
#ifdef WEATHER_FUZZ_SEAM
    hint_count = 0;
    if (fuzz_abort_target) siglongjmp(*fuzz_abort_target, code != 0 ? code : 1);
#endif
    if (code != 0) {
        fflush(stderr);
        show_hints();
    }
    exit(code);
}

// ---- floating-point traps ---------------------------------------------------------
static const char *fp_text(int code) {
    switch (code) {
    case FPE_FLTINV: return "Invalid floating-point operation";
    case FPE_FLTDIV: return "Floating-point divide by zero";
    case FPE_FLTOVF: return "Floating-point overflow";
    case FPE_FLTUND: return "Floating-point underflow";
    case FPE_FLTRES: return "Floating-point loss of precision";
    }
    return "Unspecified floating-point error";
}

// The FATAL `m` as msg_to_log writes it, but with write(2) alone: the stream's pending
// bytes, the input's pending echo, then the message.  The log is not flushed through
// stdio, so only a stream of log_stream is written (see fp_handler).
static void log_from_signal(const Message &m) {
    if (!log_file || log_file != sink.stream) return;
    write_all(sink.fd, sink.data, sink.used);
    if (log_pending.span) {
        const char *start = nullptr;
        size_t n = log_pending.span(log_pending.source, &start);
        if (n > 0) write_all(sink.fd, start, n);
    }
    char lines[kLocationSize + kMessageSize + 8];
    size_t at = 0;
    for (const char *piece : {"FATAL", m.location, m.text})
        put(lines, sizeof lines, &at, piece, strlen(piece));
    write_all(sink.fd, lines, at);
}

// The FATAL of a signal handler with the text `text` at `file`, `line`: the bytes of
// report_fatal, written by async-signal-safe calls only, then the run's temporary files
// removed and the process ended with exit status 1 (_exit: nothing of stdio or of the
// exit handlers runs).  The order of the message mode's sinks is theirs:
// msg_to_console writes the standard error stream first, msg_to_box the log first.
[[noreturn]] static void fatal_from_signal(const char *file, int line, const char *text) {
#ifdef WEATHER_FUZZ_SEAM
    // The fuzz harness needs the FATAL back: stdio and the jump, with the traps masked
    // while the message is written.  The trap is synchronous: it never interrupts the
    // harness inside stdio or the allocator.
    if (fuzz_abort_target) {
        fedisableexcept(FE_ALL_EXCEPT);
        report_fatal(file, line, text, "");
    }
#endif
    // No floating-point arithmetic from here on, so the traps may stay as they are.
    Message m;
    text_start(m);
    text_add(m, text);
    text_end(m);
    set_location(m, file, line);
    const char *word = word_of(Severity::Fatal);
    switch (msg_mode) {
    case MsgMode::Console: {
        char line_text[kMessageSize + 8];
        size_t at = 0;
        put(line_text, sizeof line_text, &at, word, strlen(word));
        put(line_text, sizeof line_text, &at, m.text, strlen(m.text));
        write_all(STDERR_FILENO, line_text, at);
        log_from_signal(m);
        break;
    }
    case MsgMode::Box: {
        log_from_signal(m);
        char body[kMessageSize], box[kBoxSize];
        box_body(body, m.text, m.location);
        int tty = open("/dev/tty", O_RDWR | O_CLOEXEC);
        if (tty >= 0) {
            write_all(tty, box, box_text(box, word, body, true));
            char c;
            while (read(tty, &c, 1) == 1 && c != '\n') {
            }
            close(tty);
        } else {
            write_all(STDERR_FILENO, box, box_text(box, word, body, false));
        }
        break;
    }
    case MsgMode::Log: log_from_signal(m); break;
    }
    show_hints();
    out_discard_from_signal();
    _exit(1);
}

// Only async-signal-safe calls (see fatal_from_signal).  The handler reads the log's
// buffer and the input's echo position as they stand: SIGFPE is raised by a trapping
// instruction of the converters' own arithmetic, never inside the code that updates
// them, so it finds them consistent.
void fp_handler(int, siginfo_t *info, void *) {
    fatal_from_signal(MSG_UNIT, __LINE__, fp_text(info ? info->si_code : 0));
}

fp_handler_t msg_setup(int box) {
    msg_mode = box ? MsgMode::Box : MsgMode::Console;
    struct sigaction action {}, previous {};
    action.sa_sigaction = fp_handler;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    sigaction(SIGFPE, &action, &previous);
    feclearexcept(FE_ALL_EXCEPT);
    feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    return (previous.sa_flags & SA_SIGINFO) ? previous.sa_sigaction : nullptr;
}

// ---- paths ------------------------------------------------------------------------
static void copy_part(char *out, const char *from, size_t n) {
    if (n >= (size_t)kMaxPath) n = kMaxPath - 1;
    memcpy(out, from, n);
    out[n] = '\0';
}

void split_path(const char *path, char *drive, char *dir, char *fname, char *ext) {
    drive[0] = '\0';
    const char *slash = strrchr(path, '/');
    const char *name = slash ? slash + 1 : path;
    copy_part(dir, path, (size_t)(name - path));
    const char *dot = strrchr(name, '.');
    if (!dot) dot = name + strlen(name);
    copy_part(fname, name, (size_t)(dot - name));
    copy_part(ext, dot, strlen(dot));
}

int make_path(char *path, const char *drive, const char *dir, const char *fname,
              const char *ext) {
    size_t dlen = strlen(dir);
    const char *sep = (dlen > 0 && dir[dlen - 1] != '/') ? "/" : "";
    int n = snprintf(path, kMaxPath, "%s%s%s%s%s", drive, dir, sep, fname, ext);
    return n < 0 || n >= kMaxPath;
}

char *self_path(const char *argv0, char *buf, size_t size) {
    ssize_t n = readlink("/proc/self/exe", buf, size - 1);
    if (n > 0 && (size_t)n < size - 1) {  // n == size - 1 may be a cut path
        buf[n] = '\0';
        return buf;
    }
    if (argv0 && strlen(argv0) < size) {
        strcpy(buf, argv0);
    } else {
        buf[0] = '\0';
    }
    return buf;
}

// ---- heap report ------------------------------------------------------------------
char *mem_status(char *buf) {
    buf[0] = '\0';
    return buf;
}

int heap_check(const char *, int) { return 0; }
