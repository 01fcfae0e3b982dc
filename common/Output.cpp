// Output - the converters' output files.  See Output.h.
#include "Output.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Config.h"
#include "FaultSeam.h"
#include "Paths.h"

namespace {

enum class State { Free, Open, Finished };

struct Output {
    State state;
    FILE *f;        // while Open
    bool in_place;  // written directly: no temporary file, nothing to commit
    int lock_fd;    // holds the temporary file's lock until it is renamed or removed
    char dest[PATH_MAX];    // the destination as given, for messages
    char target[PATH_MAX];  // the file replaced: the destination with its links followed
};

constexpr int kMaxOutputs = 4;
Output outputs[kMaxOutputs];

// Each output's stream buffer: large, so that a year is written in a few dozen system
// calls rather than in hundreds of 4 KB ones.
constexpr size_t kStreamBuffer = 1 << 16;  // bytes
static char stream_buffers[kMaxOutputs][kStreamBuffer];

// The temporary files' paths, apart from the table: the signal handler reads only these
// and the flags that say which hold a file of this run.
char temp_path[kMaxOutputs][PATH_MAX];
volatile sig_atomic_t temp_armed[kMaxOutputs];

mode_t new_file_mode = 0644;  // 0666 less the process's umask, read once

// Whether finished files are forced to disk (the file, then its folder's rename).  The
// fuzz build writes thousands of scratch files a second that nobody needs after a
// crash of the machine, and skips both.
#ifdef WEATHER_FUZZ_SEAM
constexpr bool kSyncToDisk = false;
#else
constexpr bool kSyncToDisk = true;
#endif

constexpr int kNameRoom = 200;  // characters of the destination's name kept in a temporary name
constexpr int kRandomChars = 6; // the XXXXXX of mkostemp

}  // namespace

// ---- signals and the end of the process --------------------------------------------
// SIGINT, SIGTERM, SIGHUP: remove the temporary files, then end as the signal would.
// Only async-signal-safe calls: unlink, and raise with the default action back
// (SA_RESETHAND).  The fuzz harness keeps libFuzzer's own handlers.
void out_discard_from_signal() {
    for (int i = 0; i < kMaxOutputs; ++i)
        if (temp_armed[i]) unlink(temp_path[i]);
}

#ifndef WEATHER_FUZZ_SEAM
static void on_signal(int sig) {
    out_discard_from_signal();
    raise(sig);
}
#endif

static const int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

static void install_cleanup() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    mode_t mask = umask(0);
    umask(mask);
    new_file_mode = 0666 & ~mask;
    atexit(out_discard);
#ifndef WEATHER_FUZZ_SEAM
    for (int sig : kStopSignals) {
        struct sigaction action {}, previous {};
        sigaction(sig, nullptr, &previous);
        if (previous.sa_handler == SIG_IGN) continue;  // a signal the caller ignores stays so
        action.sa_handler = on_signal;
        action.sa_flags = SA_RESETHAND | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        sigaction(sig, &action, nullptr);
    }
#endif
}

// ---- temporary files --------------------------------------------------------------
// Writes into `out` the temporary name's fixed part for `target`: its folder, ".", its
// name (at most kNameRoom characters) and "."; returns the length.
static size_t temp_prefix(const char *target, char *out) {
    size_t folder = folder_length(target);
    const char *name = target + folder;
    return (size_t)snprintf(out, PATH_MAX, "%.*s.%.*s.", (int)folder, target, kNameRoom, name);
}

// Removes the temporary files of `target` that no run holds any more: left by a run
// that was killed outright.  A live run holds the lock of its own temporary file from
// its creation until it is renamed or removed, so a file whose lock can be taken is a
// leftover.  Our own file is locked through another open file, so it stays.
static void remove_leftovers(const char *target) {
    char prefix[PATH_MAX];
    size_t len = temp_prefix(target, prefix);
    size_t folder = folder_length(prefix);
    const char *name_prefix = prefix + folder;
    size_t name_len = len - folder;
    char dir_path[PATH_MAX];
    folder_of(prefix, dir_path);
    DIR *dir = opendir(dir_path);
    if (!dir) return;
    for (struct dirent *e; (e = readdir(dir)) != nullptr;) {
        if (strlen(e->d_name) != name_len + kRandomChars ||
            strncmp(e->d_name, name_prefix, name_len) != 0)
            continue;
        char path[PATH_MAX];
        if (snprintf(path, sizeof path, "%.*s%s", (int)folder, prefix, e->d_name) >= PATH_MAX)
            continue;
        int fd = open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat held, now;
        if (fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            lstat(path, &now) == 0 && now.st_dev == held.st_dev && now.st_ino == held.st_ino)
            unlink(path);
        close(fd);
    }
    closedir(dir);
}

// Creates and locks the temporary file of output `i` beside its target; its path goes
// to temp_path[i].  Returns the descriptor, or -1.
static int create_temp(int i) {
    char *path = temp_path[i];
    size_t len = temp_prefix(outputs[i].target, path);
    if (len + kRandomChars >= PATH_MAX) {
        errno = ENAMETOOLONG;
        return -1;
    }
    // A leftover sweep of another run may take a new file's lock in the moment before
    // its creator does, and remove it: such a file is made again.
    for (int attempt = 0; attempt < 8; ++attempt) {
        memset(path + len, 'X', kRandomChars);
        path[len + kRandomChars] = '\0';
        temp_armed[i] = 1;
        int fd = mkostemp(path, O_CLOEXEC);
        if (fd < 0) {
            temp_armed[i] = 0;
            return -1;
        }
        struct stat st;
        if (flock(fd, LOCK_EX) == 0 && fstat(fd, &st) == 0 && st.st_nlink > 0) return fd;
        close(fd);
        temp_armed[i] = 0;
    }
    errno = EAGAIN;
    return -1;
}

// ---- output files -----------------------------------------------------------------
static Output *find(FILE *f) {
    for (Output &o : outputs)
        if (o.state == State::Open && o.f == f) return &o;
    return nullptr;
}

static const char *dest_of(FILE *f) {
    const Output *o = find(f);
    return o ? o->dest : "(unknown)";
}

static int free_slot() {
    for (int i = 0; i < kMaxOutputs; ++i)
        if (outputs[i].state == State::Free) return i;
    return -1;
}

FILE *out_open(const char *path) {
    install_cleanup();
    int i = free_slot();
    if (i < 0 || fault()) return nullptr;
    Output &o = outputs[i];
    snprintf(o.dest, sizeof o.dest, "%s", path);
    if (!follow_links(path, o.target)) return nullptr;

    struct stat st;
    bool exists = stat(o.target, &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        // A device, a pipe: nothing to replace, written as it is.
        o.f = fopen(o.target, "wb");
        if (!o.f) return nullptr;
        o.in_place = true;
        o.lock_fd = -1;
        o.state = State::Open;
        return o.f;
    }
    // A file that may not be written is not replaced either.
    if (exists && access(o.target, W_OK) != 0) return nullptr;

    int fd = create_temp(i);
    if (fd < 0) return nullptr;
    if (exists) {
        // The owner may keep the file only where the system allows it; the permission
        // bits are set after, as a change of owner may clear some of them.
        if (fchown(fd, st.st_uid, st.st_gid) != 0) {
        }
        fchmod(fd, st.st_mode & 07777);
    } else {
        fchmod(fd, new_file_mode);
    }
    // The lock lives on a descriptor of its own: it outlasts the stream's close and
    // ends with the rename or the removal.
    o.lock_fd = dup(fd);
    // Binary mode: the CR LF line ends are written as they are on every platform.
    o.f = o.lock_fd >= 0 ? fdopen(fd, "wb") : nullptr;
    if (!o.f) {
        unlink(temp_path[i]);
        temp_armed[i] = 0;
        close(fd);
        if (o.lock_fd >= 0) close(o.lock_fd);
        return nullptr;
    }
    setvbuf(o.f, stream_buffers[i], _IOFBF, kStreamBuffer);
    o.in_place = false;
    o.state = State::Open;
    remove_leftovers(o.target);
    return o.f;
}

FILE *out_open_in_place(int fd, const char *path) {
    install_cleanup();
    int i = free_slot();
    FILE *f = nullptr;
    if (i >= 0 && !fault() && ftruncate(fd, 0) == 0) f = fdopen(fd, "wb");
    if (!f) {
        close(fd);
        return nullptr;
    }
    Output &o = outputs[i];
    snprintf(o.dest, sizeof o.dest, "%s", path);
    snprintf(o.target, sizeof o.target, "%s", path);
    o.f = f;
    o.in_place = true;
    o.lock_fd = -1;
    o.state = State::Open;
    return f;
}

void out_wrote(FILE *f, bool ok) {
    if (fault() || !ok) MSG_FATAL("Could not write file: ", dest_of(f));
}

void out_write(FILE *f, const void *data, size_t n) { out_wrote(f, fwrite(data, 1, n, f) == n); }

void out_close(FILE *f) {
    Output *o = find(f);
    bool failed = fault() || fflush(f) != 0 || ferror(f);
    // A temporary file is on the disk before it may replace anything.
    if (o && !o->in_place && (fault() || (kSyncToDisk && fsync(fileno(f)) != 0))) failed = true;
    if (fault()) failed = true;
    if (fclose(f) != 0) failed = true;
    if (!o) {
        if (failed) MSG_FATAL("Could not write file: (unknown)");
        return;
    }
    o->f = nullptr;
    o->state = o->in_place ? State::Free : State::Finished;
    if (failed) MSG_FATAL("Could not write file: ", o->dest);
}

// Makes a rename in the folder of `path` lasting; where the system cannot, the rename
// stays as it is.
static void sync_folder(const char *path) {
    if (!kSyncToDisk) return;
    char dir[PATH_MAX];
    folder_of(path, dir);
    int fd = open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

// Puts back the destinations that out_commit replaced before the rename of output
// `failed` failed: an older file from its backup link, a destination that did not
// exist is removed again.
static void roll_back(int failed, const bool *finished, const bool *existed, const bool *saved,
                      char (*backup)[PATH_MAX]) {
    for (int i = 0; i < failed; ++i) {
        if (saved[i]) {
            rename(backup[i], outputs[i].target);
        } else if (finished[i] && !existed[i]) {
            unlink(outputs[i].target);
        }
    }
}

void out_commit() {
    sigset_t stop, previous;
    sigemptyset(&stop);
    for (int sig : kStopSignals) sigaddset(&stop, sig);
    sigprocmask(SIG_BLOCK, &stop, &previous);
    // Several outputs are replaced together: each older destination keeps a second link
    // (its temporary name and "~") until all renames have succeeded, so that a rename
    // that fails puts the ones before it back.
    static char backup[kMaxOutputs][PATH_MAX];
    bool finished[kMaxOutputs], existed[kMaxOutputs], saved[kMaxOutputs];
    for (int i = 0; i < kMaxOutputs; ++i) {
        finished[i] = outputs[i].state == State::Finished;
        struct stat st;
        existed[i] = finished[i] && stat(outputs[i].target, &st) == 0;
        saved[i] = existed[i] &&
                   snprintf(backup[i], PATH_MAX, "%s~", temp_path[i]) < PATH_MAX &&
                   link(outputs[i].target, backup[i]) == 0;
    }
    for (int i = 0; i < kMaxOutputs; ++i) {
        Output &o = outputs[i];
        if (!finished[i]) continue;
        if (fault() || rename(temp_path[i], o.target) != 0) {
            roll_back(i, finished, existed, saved, backup);
            for (int j = i; j < kMaxOutputs; ++j)
                if (saved[j]) unlink(backup[j]);
            sigprocmask(SIG_SETMASK, &previous, nullptr);
            MSG_FATAL("Could not write file: ", o.dest);
        }
        temp_armed[i] = 0;
        close(o.lock_fd);
        o.state = State::Free;
    }
    for (int i = 0; i < kMaxOutputs; ++i) {
        if (saved[i]) unlink(backup[i]);
        if (finished[i]) sync_folder(outputs[i].target);
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
}

void out_discard() {
    for (int i = 0; i < kMaxOutputs; ++i) {
        Output &o = outputs[i];
        if (o.state == State::Free) continue;
        if (!o.in_place) {
            unlink(temp_path[i]);
            temp_armed[i] = 0;
            close(o.lock_fd);
        }
        if (o.f) fclose(o.f);
        o.f = nullptr;
        o.state = State::Free;
    }
}

#ifdef WEATHER_FUZZ_SEAM
void fuzz_wfile_reset() { out_discard(); }
#endif
