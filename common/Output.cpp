// Output - the converters' output files.  See Output.h.
#include "Output.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Config.h"
#include "FaultSeam.h"
#include "Journal.h"
#include "Paths.h"

namespace {

enum class State { Free, Open, Finished };

struct Output {
    State state;
    FILE *f;        // while Open
    bool in_place;  // written directly: no temporary file, nothing to commit
    char dest[PATH_MAX];    // the destination as given, for messages
    char target[PATH_MAX];  // the file replaced: the destination with its links followed,
                            // as an absolute path
    char temp[PATH_MAX];    // the temporary file, beside the target
    dev_t dev;              // and its identity, which the rename keeps
    ino_t ino;
};

constexpr int kMaxOutputs = 4;
Output outputs[kMaxOutputs];

// Each output's stream buffer: large, so that a year is written in a few dozen system
// calls rather than in hundreds of 4 KB ones.
constexpr size_t kStreamBuffer = 1 << 16;  // bytes
static char stream_buffers[kMaxOutputs][kStreamBuffer];

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
constexpr int kRandomChars = 6; // the random part of a temporary name

const int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Holds SIGINT, SIGTERM and SIGHUP back (their previous mask into `previous`).
void block_stop_signals(sigset_t *previous) {
    sigset_t stop;
    sigemptyset(&stop);
    for (int sig : kStopSignals) sigaddset(&stop, sig);
    sigprocmask(SIG_BLOCK, &stop, previous);
}

}  // namespace

// True when the fault seam fails this step, as an I/O error would.
static bool seam_fails() {
    if (!fault()) return false;
    errno = EIO;
    return true;
}

// Notes the reason of a step that failed (`bad`) unless an earlier one is noted.
static void note_failure(bool bad, int &error) {
    if (bad && error == 0) error = errno ? errno : EIO;
}

// ---- signals and the end of the process --------------------------------------------
// SIGINT, SIGTERM, SIGHUP outside the commit (which holds them back): remove the
// temporary files and the journal, then end as the signal would.  Only
// async-signal-safe calls: unlink, and raise with the default action back
// (SA_RESETHAND).  The fuzz harness keeps libFuzzer's own handlers.
void out_discard_from_signal() { journal_signal_cleanup(); }

#ifndef WEATHER_FUZZ_SEAM
static void on_signal(int sig) {
    out_discard_from_signal();
    raise(sig);
}
#endif

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
// `path` as an absolute path into `out` (PATH_MAX): the journal's paths hold wherever
// the next run starts.
static bool absolute(const char *path, char *out) {
    if (path[0] == '/') return snprintf(out, PATH_MAX, "%s", path) < PATH_MAX;
    char cwd[PATH_MAX];
    return getcwd(cwd, sizeof cwd) && snprintf(out, PATH_MAX, "%s/%s", cwd, path) < PATH_MAX;
}

// Creates the temporary file of output `o` beside its target, ".<name>.XXXXXX", noted
// in the journal before it exists.  Returns the descriptor, or -1.
static int create_temp(Output &o) {
    size_t folder = folder_length(o.target);
    size_t name = strnlen(o.target + folder, kNameRoom);
    size_t len = folder + 1 + name + 1;
    if (len + kRandomChars >= PATH_MAX) {
        errno = ENAMETOOLONG;
        return -1;
    }
    memcpy(o.temp, o.target, folder);
    o.temp[folder] = '.';
    memcpy(o.temp + folder + 1, o.target + folder, name);
    o.temp[len - 1] = '.';
    for (int attempt = 0; attempt < 8; ++attempt) {
        random_chars(o.temp + len, kRandomChars);
        o.temp[len + kRandomChars] = '\0';
        if (!journal_note(JournalNote::Temp, o.temp)) return -1;
        // Made with the stop signals held: the signal handler removes every temporary
        // file that exists, and only those.
        sigset_t previous;
        block_stop_signals(&previous);
        int fd = open(o.temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        int error = errno;
        if (fd >= 0) journal_temp_made(o.temp);
        sigprocmask(SIG_SETMASK, &previous, nullptr);
        if (fd >= 0) return fd;
        if (error != EEXIST || !journal_note(JournalNote::Foreign, o.temp)) {
            errno = error;
            return -1;
        }
    }
    errno = EEXIST;
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
    if (i < 0) errno = EMFILE;
    if (i < 0 || seam_fails()) return nullptr;
    Output &o = outputs[i];
    snprintf(o.dest, sizeof o.dest, "%s", path);
    // One of the process's own streams is written as it goes, whatever lies behind it
    // (a terminal, a pipe, the file a shell redirected it to): nothing is replaced.
    if (int own = own_stream(path); own >= 0) {
        int fd = fcntl(own, F_DUPFD_CLOEXEC, 3);
        o.f = fd >= 0 ? fdopen(fd, "wb") : nullptr;
        if (!o.f) {
            if (fd >= 0) close(fd);
            return nullptr;
        }
        snprintf(o.target, sizeof o.target, "%s", path);
        o.in_place = true;
        o.state = State::Open;
        return o.f;
    }
    char followed[PATH_MAX];
    if (!follow_links(path, followed) || !absolute(followed, o.target)) return nullptr;

    struct stat st;
    bool exists = stat(o.target, &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        // A device, a pipe: nothing to replace, written as it is.
        o.f = fopen(o.target, "wb");
        if (!o.f) return nullptr;
        o.in_place = true;
        o.state = State::Open;
        return o.f;
    }
    // A file that may not be written is not replaced either (access sets the reason).
    if (exists && access(o.target, W_OK) != 0) return nullptr;

    int fd = create_temp(o);
    if (fd < 0) return nullptr;
    // The owner may keep the file only where the system allows it; the permission bits
    // are set after, as a change of owner may clear some of them.
    if (exists && fchown(fd, st.st_uid, st.st_gid) != 0) {
    }
    struct stat made;
    bool ready = fchmod(fd, exists ? st.st_mode & 07777 : new_file_mode) == 0 &&
                 fstat(fd, &made) == 0;
    // Binary mode: the CR LF line ends are written as they are on every platform.
    o.f = ready ? fdopen(fd, "wb") : nullptr;
    if (!o.f) {
        close(fd);
        unlink(o.temp);
        return nullptr;
    }
    o.dev = made.st_dev;
    o.ino = made.st_ino;
    setvbuf(o.f, stream_buffers[i], _IOFBF, kStreamBuffer);
    o.in_place = false;
    o.state = State::Open;
    return o.f;
}

FILE *out_open_in_place(int fd, const char *path) {
    install_cleanup();
    int i = free_slot();
    FILE *f = nullptr;
    if (i >= 0 && !seam_fails() && ftruncate(fd, 0) == 0) f = fdopen(fd, "wb");
    if (!f) {
        close(fd);
        return nullptr;
    }
    Output &o = outputs[i];
    snprintf(o.dest, sizeof o.dest, "%s", path);
    snprintf(o.target, sizeof o.target, "%s", path);
    o.f = f;
    o.in_place = true;
    o.state = State::Open;
    return f;
}

void out_wrote(FILE *f, bool ok) {
    int error = 0;
    note_failure(!ok, error);
    note_failure(seam_fails(), error);
    if (error) MSG_FATAL("Could not write file: ", dest_of(f), ": ", strerror(error));
}

void out_write(FILE *f, const void *data, size_t n) { out_wrote(f, fwrite(data, 1, n, f) == n); }

void out_close(FILE *f) {
    Output *o = find(f);
    int error = 0;
    note_failure(seam_fails() || fflush(f) != 0 || ferror(f), error);
    // A temporary file is on the disk before it may replace anything.
    if (o && !o->in_place) note_failure(seam_fails() || (kSyncToDisk && fsync(fileno(f)) != 0), error);
    note_failure(seam_fails(), error);
    note_failure(fclose(f) != 0, error);
    if (!o) {
        if (error) MSG_FATAL("Could not write file: (unknown): ", strerror(error));
        return;
    }
    o->f = nullptr;
    o->state = o->in_place ? State::Free : State::Finished;
    if (error) MSG_FATAL("Could not write file: ", o->dest, ": ", strerror(error));
}

// ---- the commit -------------------------------------------------------------------
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

// Copies the file `from` to the new file `to` with its permission bits (and owner,
// where allowed), on the disk when done: the backup where a hard link cannot be made.
static bool copy_backup(const char *from, const char *to) {
    int in = open(from, O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    int out = open(to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    bool ok = out >= 0;
    static char block[1 << 16];
    for (ssize_t n; ok && (n = read(in, block, sizeof block)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0 && !seam_fails() && write(out, block, (size_t)n) == n;
    }
    struct stat st;
    ok = ok && fstat(in, &st) == 0;
    if (ok && fchown(out, st.st_uid, st.st_gid) != 0) {
    }
    ok = ok && fchmod(out, st.st_mode & 07777) == 0 && !seam_fails() &&
         (!kSyncToDisk || fsync(out) == 0);
    if (out >= 0 && close(out) != 0) ok = false;
    close(in);
    return ok;
}

// Keeps the file at `target` under the name `backup`: a second link, or a copy on a
// filesystem without hard links.
static bool make_backup(const char *target, const char *backup) {
    if (!journal_note(JournalNote::Backup, backup)) return false;
    errno = EPERM;  // a link the seam fails, as on a filesystem without hard links
    if (!fault() && !fault_no_links() && link(target, backup) == 0) return true;
    if (errno == EEXIST) {
        journal_note(JournalNote::Foreign, backup);
        return false;
    }
    return copy_backup(target, backup);
}

// Ends a commit that could not be made: every destination gets its old file back, the
// stop signals are let through (a signal held back meanwhile ends the run as it would
// have), and the FATAL names the output.
[[noreturn]] static void abandon_commit(const sigset_t *previous, const Output &o) {
    const int error = errno ? errno : EIO;  // of the step that failed
    journal_settle();
    for (Output &each : outputs)
        if (each.state == State::Finished) each.state = State::Free;
    sigprocmask(SIG_SETMASK, previous, nullptr);
    MSG_FATAL("Could not write file: ", o.dest, ": ", strerror(error));
}

void out_commit() {
    // A signal that arrives during the commit waits for its end; see Output.h.
    sigset_t previous;
    block_stop_signals(&previous);
    // Each older destination keeps a backup until all renames have been made, and the
    // journal on the disk says so before the first.
    // One output needs neither: its rename is made whole or not at all.
    int finished = 0;
    for (const Output &o : outputs) finished += o.state == State::Finished;
    CommitStep steps[kMaxOutputs];
    char backups[kMaxOutputs][PATH_MAX];
    const Output *first = nullptr;  // named when the journal cannot be written
    int n = 0;
    for (Output &o : outputs) {
        if (o.state != State::Finished) continue;
        if (!first) first = &o;
        steps[n] = {o.temp, o.target, backups[n], o.dev, o.ino};
        backups[n][0] = '\0';
        struct stat st;
        if (finished > 1 && lstat(o.target, &st) == 0 &&
            (snprintf(backups[n], PATH_MAX, "%s~", o.temp) >= PATH_MAX ||
             !make_backup(o.target, backups[n])))
            abandon_commit(&previous, o);
        ++n;
    }
    if (first && !journal_commit(steps, n)) abandon_commit(&previous, *first);
    for (Output &o : outputs) {
        if (o.state != State::Finished) continue;
        if (seam_fails() || rename(o.temp, o.target) != 0) abandon_commit(&previous, o);
    }
    for (Output &o : outputs) {
        if (o.state != State::Finished) continue;
        sync_folder(o.target);
        o.state = State::Free;
    }
    // Complete: the backups go, then the journal.  The stop signals stay held until the
    // process ends, so that a signal that came meanwhile cannot turn the replaced
    // outputs into a failed run.
    journal_settle();
#ifdef WEATHER_FUZZ_SEAM
    sigprocmask(SIG_SETMASK, &previous, nullptr);
#endif
}

void out_discard() {
    for (Output &o : outputs) {
        if (o.f) fclose(o.f);
        o.f = nullptr;
        o.state = State::Free;
    }
    // The temporary files, any backups, and the journal.
    journal_settle();
}

#ifdef WEATHER_FUZZ_SEAM
void fuzz_wfile_reset() { out_discard(); }
#endif
