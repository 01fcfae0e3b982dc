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
#include <unistd.h>

#include "Config.h"
#include "Utils.h"

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

std::string write_scratch(const char *name, const uint8_t *data, size_t size) {
    // Each file stays open from one input to the next, which is written over the last
    // in place and cut to its length: emptying it first would free and allocate every
    // page of it for every input.
    static std::map<std::string, int> open_files;  // name -> descriptor
    std::string path = scratch_path(name);
    auto file = open_files.find(name);
    if (file == open_files.end()) {
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            perror("weather fuzz harness: cannot create the input file");
            abort();
        }
        file = open_files.emplace(name, fd).first;
    }
    if (pwrite(file->second, data, size, 0) != (ssize_t)size ||
        ftruncate(file->second, (off_t)size) != 0) {
        perror("weather fuzz harness: cannot write the input file");
        abort();
    }
    return path;
}

// The run's log: a stream that takes every byte and keeps none, as /dev/null would,
// without a system call per run or per flush.
static ssize_t discard(void *, const char *, size_t size) { return (ssize_t)size; }

static FILE *open_null_log() {
    FILE *f = fopencookie(nullptr, "w", {nullptr, discard, nullptr, nullptr});
    if (!f) abort();
    return f;
}

int run_converter(void (*body)(), void (*reset)()) {
    static sigjmp_buf jump;
    struct sigaction harness_fpe {};
    sigaction(SIGFPE, nullptr, &harness_fpe);

    log_file = open_null_log();
    MSG(ERR_RESET);
    // sigsetjmp saves the signal mask, so that a jump out of the SIGFPE handler
    // unblocks the signal again.
    int fatal = sigsetjmp(jump, 1);
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
    if (log_file) fclose(log_file);
    log_file = nullptr;
    reset();
    return fatal != 0;
}

void check_output(const std::string &path) {
    // Read without a stream, in large pieces: a converted year is half a megabyte.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) abort();
    static std::string text;
    static char chunk[1 << 16];
    text.clear();
    for (ssize_t n; (n = read(fd, chunk, sizeof chunk)) > 0;) text.append(chunk, (size_t)n);
    close(fd);
    size_t start = text.find('\n', text.find('\n') + 1);
    if (start == std::string::npos) abort();
    if (text.find("nan", start) != std::string::npos || text.find("inf", start) != std::string::npos)
        abort();
}

bool day_range(const uint8_t *data, size_t size, DayRange *range) {
    if (size < kDayBytes) return false;
    range->start = ((data[0] << 8) | data[1]) % 365 + 1;
    range->end = ((data[2] << 8) | data[3]) % 365 + 1;
    return true;
}
