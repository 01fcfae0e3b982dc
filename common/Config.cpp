// Config - messages, the log file, abnormal end, floating-point traps, paths and the
// heap report.  See Config.h.
#include "Config.h"

#include <cerrno>
#include <cfenv>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

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

// Room for the text (limit), its line end, its terminator and the location line.
constexpr size_t kLocationSize = kMaxPath + 32;
constexpr size_t kMessageSize = variant::kMessageLimit + 2 + kLocationSize;

// The base name of a source file: no directory, no extension ("common/Utils.cpp" -> "Utils").
static void base_name(const char *file, char *out, size_t size) {
    const char *start = strrchr(file, '/');
    start = start ? start + 1 : file;
    const char *dot = strrchr(start, '.');
    size_t n = dot ? (size_t)(dot - start) : strlen(start);
    if (n >= size) n = size - 1;
    memcpy(out, start, n);
    out[n] = '\0';
}

// Composes the message of `severity` from `pieces` and hands it to the sink of the
// message mode.
static void deliver(Severity severity, const char *file, int line, va_list pieces) {
    // " " + pieces up to the first empty one, cut at the limit, then the line end.
    char text[kMessageSize];
    size_t len = 1;
    text[0] = ' ';
    for (const char *piece = va_arg(pieces, const char *); piece && *piece;
         piece = va_arg(pieces, const char *)) {
        size_t n = strlen(piece);
        size_t room = (size_t)variant::kMessageLimit - len;
        if (n > room) n = room;
        memcpy(text + len, piece, n);
        len += n;
    }
    text[len++] = '\n';
    text[len] = '\0';

    char unit[kMaxPath];
    base_name(file, unit, sizeof unit);
    char location[kLocationSize];
    snprintf(location, sizeof location, "  (file %s, line %d)\n", unit, line);

    const char *word = word_of(severity);
    switch (msg_mode) {
    case MsgMode::Box: msg_to_box(word, text, location); break;
    case MsgMode::Console: msg_to_console(word, text, location); break;
    case MsgMode::Log: msg_to_log(word, text, location); break;
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

void show_box(FILE *in, FILE *out, const char *word, const char *body) {
    const char *icon = word[0] == 'N' ? "(i)" : word[0] == 'W' ? "/!\\" : "(X)";
    fprintf(out, "\n+--- %s ---\n| %s\n%s", word, icon, body);
    if (in) {
        fputs("[ OK ] press Enter ", out);
        fflush(out);
        int c;
        while ((c = fgetc(in)) != EOF && c != '\n') {
        }
    } else {
        fputs("[ OK ]\n", out);
    }
    fflush(out);
}

void msg_to_box(const char *word, const char *text, const char *location) {
    msg_to_log(word, text, location);
    char body[kMessageSize];
    snprintf(body, sizeof body, "%s%s", text, location);
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

[[noreturn]] void abnormal_end(int code) {
    if (log_file) {
        fclose(log_file);
        log_file = nullptr;
    }
#ifdef WEATHER_FUZZ_SEAM
    if (fuzz_abort_target) siglongjmp(*fuzz_abort_target, code != 0 ? code : 1);
#endif
    exit(code);
}

// ---- floating-point traps ---------------------------------------------------------
// The handler writes the FATAL message with stdio and ends the process through exit(),
// neither of which is async-signal-safe in general.  Here they are safe because the
// signal is synchronous: SIGFPE is only raised by a trapping floating-point
// instruction of this thread, in the converters' own arithmetic (the moist-air
// formulas, unit conversions), never while the thread is inside stdio or the C
// library's allocator.  The only library code that does floating-point arithmetic
// under the traps, number parsing (strtod), runs with the exceptions held
// (feholdexcept in Numbers), and formatting sees only values already checked to be
// finite, so no trap can interrupt a stream or heap operation half done.
void fp_handler(int, siginfo_t *info, void *) {
    const char *text;
    switch (info ? info->si_code : 0) {
    case FPE_FLTINV: text = "Invalid floating-point operation"; break;
    case FPE_FLTDIV: text = "Floating-point divide by zero"; break;
    case FPE_FLTOVF: text = "Floating-point overflow"; break;
    case FPE_FLTUND: text = "Floating-point underflow"; break;
    case FPE_FLTRES: text = "Floating-point loss of precision"; break;
    default: text = "Unspecified floating-point error"; break;
    }
    // Leave the traps masked while the message is written.
    fedisableexcept(FE_ALL_EXCEPT);
    MSG_FATAL(text);
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
