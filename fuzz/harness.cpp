// harness - see harness.h.  Compiled into every fuzz target, against the common library
// of its converter.
#include "harness.h"

#include <cfenv>
#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <ftw.h>
#include <map>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Config.h"
#include "Input.h"

static std::string scratch_dir;

static int remove_entry(const char *path, const struct stat *, int, struct FTW *) {
    return remove(path);
}

static void remove_scratch() {
    if (!scratch_dir.empty()) nftw(scratch_dir.c_str(), remove_entry, 8, FTW_DEPTH | FTW_PHYS);
}

std::string scratch_path(const char *name) {
    if (scratch_dir.empty()) {
        // A folder in memory where there is one: every input goes through these files.
        const char *base = getenv("TMPDIR");
        if (access("/dev/shm", W_OK | X_OK) == 0) base = "/dev/shm";
        std::string tmpl = std::string(base && *base ? base : "/tmp") + "/weather-fuzz.XXXXXX";
        if (!mkdtemp(&tmpl[0])) {
            perror("weather fuzz harness: mkdtemp");
            abort();
        }
        scratch_dir = tmpl;
        atexit(remove_scratch);
    }
    return scratch_dir + "/" + name;
}

const std::string &write_scratch(const char *name, const uint8_t *data, size_t size) {
    // Each file stays open from one input to the next, which is written over the last
    // in place and cut to its length where it is shorter: emptying it first would free
    // and allocate every page of it for every input.
    struct Scratch {
        std::string path;
        int fd;
        size_t length;  // bytes the file holds
    };
    static std::map<std::string, Scratch> open_files;
    auto file = open_files.find(name);
    if (file == open_files.end()) {
        std::string path = scratch_path(name);
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) {
            perror("weather fuzz harness: cannot create the input file");
            abort();
        }
        file = open_files.emplace(name, Scratch{path, fd, 0}).first;
    }
    Scratch &f = file->second;
    if (pwrite(f.fd, data, size, 0) != (ssize_t)size ||
        (size < f.length && ftruncate(f.fd, (off_t)size) != 0)) {
        perror("weather fuzz harness: cannot write the input file");
        abort();
    }
    f.length = size;
    return f.path;
}

// The run's log: a stream that takes every byte and keeps none, as /dev/null would,
// without a system call per run or per flush.
static ssize_t discard(void *, const char *, size_t size) { return (ssize_t)size; }

static FILE *open_null_log() {
    FILE *f = fopencookie(nullptr, "w", {nullptr, discard, nullptr, nullptr});
    if (!f) abort();
    setvbuf(f, nullptr, _IONBF, 0);  // nor a buffer to make for every run
    return f;
}

// The converters' messages on the standard error stream: when that stream is
// /dev/null (libFuzzer's -close_fd_mask=2), they go into a stream that keeps nothing,
// as they would have, without a write for each.  Decided at the first run, after
// libFuzzer has set its streams up.
static void quiet_standard_error() {
    struct stat err, null;
    if (fstat(STDERR_FILENO, &err) == 0 && stat("/dev/null", &null) == 0 &&
        S_ISCHR(err.st_mode) && err.st_rdev == null.st_rdev)
        stderr = open_null_log();  // glibc's stderr is a variable that may be set
}

int run_converter(void (*body)(), void (*reset)()) {
    // What the run changes and the harness puts back, taken before the first run: the
    // SIGFPE action and the signal mask.
    static struct sigaction harness_fpe;
    static sigset_t harness_mask;
    static bool first_run = true;
    if (first_run) {
        sigaction(SIGFPE, nullptr, &harness_fpe);
        sigprocmask(SIG_SETMASK, nullptr, &harness_mask);
        quiet_standard_error();
        first_run = false;
    }
    static sigjmp_buf jump;

    log_file = open_null_log();
    MSG(ERR_RESET);
    int fatal = sigsetjmp(jump, 0);
    if (fatal == 0) {
        fuzz_abort_target = &jump;
        msg_setup(0);
        body();
        if (MSG(ERR_COUNT) != 0) abort();  // a success in spite of input errors
    }
    fuzz_abort_target = nullptr;

    // The traps must not outlive the run: libFuzzer's own arithmetic runs untrapped.
    feclearexcept(FE_ALL_EXCEPT);
    fedisableexcept(FE_ALL_EXCEPT);
    sigaction(SIGFPE, &harness_fpe, nullptr);
    // A jump out of the SIGFPE handler leaves the signal blocked, one out of a commit
    // the stop signals: the mask is put back after every FATAL.
    if (fatal) sigprocmask(SIG_SETMASK, &harness_mask, nullptr);
    if (log_file) fclose(log_file);
    log_file = nullptr;
    reset();
    return fatal != 0;
}

// Aborts when `text`, a weather file, lacks its first two lines (format line and
// description) or holds "nan" or "inf" after them.
static void check_text(const std::string &text) {
    size_t start = text.find('\n', text.find('\n') + 1);
    if (start == std::string::npos) abort();
    if (text.find("nan", start) != std::string::npos || text.find("inf", start) != std::string::npos)
        abort();
}

// The outputs in memory: files without a name, and the paths of their descriptors.
constexpr int kMemoryOutputs = 2;
static int memory_fd[kMemoryOutputs] = {-1, -1};
static char memory_path[kMemoryOutputs][32];

const char *memory_output(int slot) {
    int &fd = memory_fd[slot];
    if (fd < 0) {
        fd = memfd_create("weather-fuzz-output", MFD_CLOEXEC);
        if (fd < 0) {
            perror("weather fuzz harness: memfd_create");
            abort();
        }
        snprintf(memory_path[slot], sizeof memory_path[slot], "/proc/self/fd/%d", fd);
    }
    // The converter writes through a duplicate of the descriptor, from its offset on:
    // the file starts over at 0, and what it held beyond is never read.
    if (lseek(fd, 0, SEEK_SET) != 0) abort();
    return memory_path[slot];
}

void check_memory_output(int slot) {
    static std::string text;
    const off_t written = lseek(memory_fd[slot], 0, SEEK_CUR);
    if (written < 0) abort();
    text.resize((size_t)written);
    if (written > 0 && pread(memory_fd[slot], &text[0], text.size(), 0) != written) abort();
    check_text(text);
}

bool day_range(const uint8_t *data, size_t size, DayRange *range) {
    if (size < kDayBytes) return false;
    range->start = ((data[0] << 8) | data[1]) % 365 + 1;
    range->end = (range->start - 1 + ((data[2] << 8) | data[3]) % kImportDays) % 365 + 1;
    return true;
}
