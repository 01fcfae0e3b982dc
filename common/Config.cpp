// Config - messages, the log file, abnormal end, floating-point traps, paths and the
// heap report.  See Config.h.
#include "Config.h"

#include <cfenv>
#include <cinttypes>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <unistd.h>

#include "Heap.h"
#include "RunFolder.h"
#include "Variant.h"

FILE *log_file = nullptr;

// ---- process-wide message state ---------------------------------------------------
static int msg_mode = 0;     // 0 log only, 1 standard error stream and log, 2 box and log
static int error_count = 0;  // ERROR messages since start or the last reset

static const char *const kSeverityWord[4] = {"NOTE", "WARNING", "ERROR", "FATAL"};

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

int report_msg(int severity, const char *file, int line, ...) {
    if (severity == ERR_COUNT) return error_count;
    if (severity < ERR_COUNT) {
        error_count = 0;
        return 0;
    }
    if (severity > FATAL) severity = FATAL;
    if (severity == ERROR) ++error_count;

    // " " + pieces up to the first empty one, cut at the limit, then the line end.
    char text[kMessageSize];
    size_t len = 1;
    text[0] = ' ';
    va_list pieces;
    va_start(pieces, line);
    for (const char *piece = va_arg(pieces, const char *); piece && *piece;
         piece = va_arg(pieces, const char *)) {
        size_t n = strlen(piece);
        size_t room = (size_t)variant::kMessageLimit - len;
        if (n > room) n = room;
        memcpy(text + len, piece, n);
        len += n;
    }
    va_end(pieces);
    text[len++] = '\n';
    text[len] = '\0';

    char unit[kMaxPath];
    base_name(file, unit, sizeof unit);
    char location[kLocationSize];
    snprintf(location, sizeof location, "  (file %s, line %d)\n", unit, line);

    const char *word = kSeverityWord[severity];
    switch (msg_mode) {
    case 2: msg_to_box(word, text, location); break;
    case 1: msg_to_console(word, text, location); break;
    default: msg_to_log(word, text, location); break;
    }
    if (severity == FATAL) abnormal_end(1);
    return error_count;
}

void msg_to_log(const char *word, const char *text, const char *location) {
    if (!log_file) return;
    fputs(word, log_file);
    fputs(location, log_file);
    fputs(text, log_file);
    fflush(log_file);
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
    MSG(FATAL, text);
    abnormal_end(1);  // not reached: FATAL ends the process
}

fp_handler_t msg_setup(int box) {
    msg_mode = box ? 2 : 1;
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

// ---- the drivers' shared steps ---------------------------------------------------
int exe_sibling(const char *argv0, const char *fname, const char *ext, char *out) {
    char exe[kMaxPath], drive[kMaxPath], dir[kMaxPath], base[kMaxPath], extension[kMaxPath];
    out[0] = '\0';
    // An executable whose own path does not fit has no known folder: no sibling at
    // all, rather than one in the current folder.
    if (self_path(argv0, exe, sizeof exe)[0] == '\0') return 1;
    split_path(exe, drive, dir, base, extension);
    // The program's folder when it is writable, else the per-user state folder.
    std::string program_folder = dir[0] ? dir : ".";  // a bare name: the current folder
    if (program_folder.size() > 1 && program_folder.back() == '/') program_folder.pop_back();
    std::string error;
    const std::string folder = run_folder(program_folder, error);
    if (!error.empty()) {
        // No log can exist yet: the standard error stream is the only way to tell.
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return make_path(out, drive, folder.c_str(), fname, ext);
}

static char log_path[kMaxPath];  // for the message when the log cannot be written

int log_open(const char *argv0, const char *base) {
    if (exe_sibling(argv0, base, ".LOG", log_path) != 0) return 1;
    log_file = fopen(log_path, "w");
    if (!log_file) return 1;
    char status[8];
    heap_check(__FILE__, __LINE__);
    heap_report();
    time_t now = time(nullptr);
    fprintf(log_file, "Initial %s\n", mem_status(status));
    fprintf(log_file, "Program:  %s\n", argv0);
    fprintf(log_file, "   Time:  %s", asctime(localtime(&now)));
    fflush(log_file);
    return 0;
}

int log_close() {
    char status[8];
    heap_check(__FILE__, __LINE__);
    heap_report();
    fprintf(log_file, "Final %s\n", mem_status(status));
    bool failed = ferror(log_file) != 0;
    if (fclose(log_file) != 0) failed = true;
    log_file = nullptr;
    // A log cut short is no normal end: the message reaches the console at least.
    if (failed) MSG(FATAL, "Could not write file: ", log_path);
    return 0;
}

int box_switch(const char *arg) {
    static const char *const kSwitches[] = {"-d", "-D", "/d", "/D"};
    for (const char *s : kSwitches)
        if (strcmp(arg, s) == 0) return 1;
    return 0;
}

// ---- heap report ------------------------------------------------------------------
char *mem_status(char *buf) {
    buf[0] = '\0';
    return buf;
}

int heap_check(const char *, int) { return 0; }

int heap_report() {
    int bad = 0;
    int count = heap_block_count();
    for (int i = 0; i < count; ++i) {
        HeapBlock b = heap_block(i);
        if (!b.sound) bad = 1;
    }
    fputs(count == 0 ? "The heap is empty.\n"
          : bad      ? "The heap has a bad node.\n"
                     : "The heap is O.K.\n",
          log_file);
    fputs("Heap: loc, size, used?\n", log_file);
    for (int i = 0; i < count; ++i) {
        HeapBlock b = heap_block(i);
        fprintf(log_file, "[%0*" PRIXPTR "] %5u used\n", (int)(2 * sizeof(void *)),
                (uintptr_t)b.start, b.size);
    }
    fflush(log_file);
    return bad;
}
