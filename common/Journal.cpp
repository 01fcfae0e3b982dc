// Journal - the commit's record.  See Journal.h.
//
// The file: the line "WeatherCommitJournal 1", then one record per note or step, each
// a kind word and its fields, every one ended by a NUL, and the record by a line end:
//   temp <path>, backup <path>, foreign <path>
//   step <device> <inode> <temporary> <destination> <backup or empty>
//   commit
// The steps and "commit" are written at once; a record cut short by a kill is not
// read.  Paths are absolute and never begin with a line end, so a line end where a
// field would begin ends the record.
#include "Journal.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FaultSeam.h"

namespace {

constexpr char kMagic[] = "WeatherCommitJournal 1\n";
constexpr char kPrefix[] = ".commit.";   // the journal's name: kPrefix + six characters
constexpr size_t kMaxJournal = 1 << 20;  // bytes; a larger file is no journal of ours

constexpr int kMaxNotes = 32;
constexpr int kMaxSteps = 8;

struct Note {
    JournalNote kind;
    volatile sig_atomic_t made;  // a temporary file that exists (for the signal handler)
    char path[PATH_MAX];
};

struct Step {
    char temp[PATH_MAX], target[PATH_MAX], backup[PATH_MAX];
    dev_t dev;
    ino_t ino;
};

// What one journal says, the run's own (kept as it is written) or a dead run's (read).
struct Records {
    Note notes[kMaxNotes];
    volatile sig_atomic_t note_count;
    Step steps[kMaxSteps];
    int step_count;
    bool committed;
};

Records own;              // this run's
Records found;            // a dead run's, while it is settled
char folder[PATH_MAX];    // empty: no journal file, records in memory only
char journal_path[PATH_MAX];
int journal_fd = -1;
volatile sig_atomic_t journal_made = 0;

bool copy_path(char *out, const char *path) {
    return snprintf(out, PATH_MAX, "%s", path) < PATH_MAX;
}

// ---- the file ---------------------------------------------------------------------
bool write_all(int fd, const std::string &bytes) {
    if (fault()) {
        errno = EIO;  // as a failed write sets it: callers judge the failure by errno
        return false;
    }
    for (size_t done = 0; done < bytes.size();) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += (size_t)n;
    }
    return true;
}

void add_field(std::string &record, const char *field) {
    record += field;
    record += '\0';
}

// Makes the journal file, with its first line and lock, into journal_fd.  It is named
// only once whole: written unnamed first, then linked in, so that no kill leaves a
// journal without its first line.  Where the folder's filesystem cannot make unnamed
// files, it is created under its name and written at once.
bool make_journal() {
    int fd = open(folder, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) {
        char self[64];
        snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
        bool named = false;
        if (flock(fd, LOCK_EX) == 0 && write_all(fd, kMagic)) {
            const size_t len = strlen(journal_path);
            for (int attempt = 0; attempt < 8 && !named; ++attempt) {
                random_chars(journal_path + len - 6, 6);
                named = linkat(AT_FDCWD, self, AT_FDCWD, journal_path, AT_SYMLINK_FOLLOW) == 0;
                if (!named && errno != EEXIST) break;
            }
        }
        if (named) {
            journal_made = 1;
            journal_fd = fd;
            return true;
        }
        close(fd);
        if (errno != ENOENT) return false;  // /proc is missing: the named way
    } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        return false;
    }
    memcpy(journal_path + strlen(journal_path) - 6, "XXXXXX", 6);
    fd = mkostemp(journal_path, O_CLOEXEC);
    if (fd < 0) return false;
    journal_made = 1;
    if (flock(fd, LOCK_EX) != 0 || !write_all(fd, kMagic)) {
        unlink(journal_path);
        journal_made = 0;
        close(fd);
        return false;
    }
    journal_fd = fd;
    return true;
}

// Creates the run's journal in `folder`.
bool create_journal() {
    if (snprintf(journal_path, PATH_MAX, "%s/%sXXXXXX", folder, kPrefix) >= PATH_MAX) return false;
    if (fault()) return false;
    // Made with the stop signals held, so that the handler knows of every journal.
    sigset_t stop, previous;
    sigemptyset(&stop);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stop, sig);
    sigprocmask(SIG_BLOCK, &stop, &previous);
    bool made = make_journal();
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return made;
}

// Writes `record` to the run's journal, created first when there is none yet.
bool append(const std::string &record) {
    if (!folder[0]) return true;
    if (journal_fd < 0 && !create_journal()) return false;
    return write_all(journal_fd, record);
}

// Removes the run's journal, or leaves it for the next run (`keep`).
void end_journal(bool keep) {
    if (journal_fd < 0) return;
    if (!keep) unlink(journal_path);
    journal_made = 0;
    close(journal_fd);  // and so its lock
    journal_fd = -1;
}

// Reads the records of the journal text `text` into `r`; false when it is no journal.
bool parse(const std::string &text, Records &r) {
    r.note_count = 0;
    r.step_count = 0;
    r.committed = false;
    if (text.compare(0, sizeof kMagic - 1, kMagic) != 0) return false;
    size_t pos = sizeof kMagic - 1;
    for (;;) {
        std::string fields[6];
        int n = 0;
        for (; pos < text.size() && text[pos] != '\n'; ++n) {
            size_t end = text.find('\0', pos);
            if (end == std::string::npos || n == 6) return true;  // cut short: ignored
            fields[n] = text.substr(pos, end - pos);
            pos = end + 1;
        }
        if (pos >= text.size()) return true;
        ++pos;  // the record's line end
        const std::string &kind = fields[0];
        if (n == 2 && (kind == "temp" || kind == "backup" || kind == "foreign")) {
            if (r.note_count == kMaxNotes) return false;
            Note &note = r.notes[r.note_count];
            note.kind = kind == "temp"     ? JournalNote::Temp
                        : kind == "backup" ? JournalNote::Backup
                                           : JournalNote::Foreign;
            if (!copy_path(note.path, fields[1].c_str())) return false;
            r.note_count = r.note_count + 1;
        } else if (n == 6 && kind == "step") {
            if (r.step_count == kMaxSteps) return false;
            Step &s = r.steps[r.step_count++];
            s.dev = (dev_t)strtoull(fields[1].c_str(), nullptr, 10);
            s.ino = (ino_t)strtoull(fields[2].c_str(), nullptr, 10);
            if (!copy_path(s.temp, fields[3].c_str()) || !copy_path(s.target, fields[4].c_str()) ||
                !copy_path(s.backup, fields[5].c_str()))
                return false;
        } else if (n == 1 && kind == "commit") {
            r.committed = true;
        } else {
            return false;
        }
    }
}

// ---- settling ---------------------------------------------------------------------
// Whether the step's destination is its new file.
bool placed(const Step &s) {
    struct stat st;
    return lstat(s.target, &st) == 0 && st.st_dev == s.dev && st.st_ino == s.ino;
}

bool remove_if_there(const char *path) { return unlink(path) == 0 || errno == ENOENT; }

bool foreign(const Records &r, const char *path) {
    for (int i = 0; i < r.note_count; ++i)
        if (r.notes[i].kind == JournalNote::Foreign && strcmp(r.notes[i].path, path) == 0)
            return true;
    return false;
}

bool settle(Records &r) {
    bool ok = true;
    if (r.committed) {
        bool complete = true;
        for (int i = 0; i < r.step_count; ++i) complete = complete && placed(r.steps[i]);
        // An unfinished commit is undone: what it replaced gets its old file back.
        if (!complete) {
            for (int i = 0; i < r.step_count; ++i) {
                const Step &s = r.steps[i];
                if (!placed(s)) continue;
                if (s.backup[0]) {
                    ok = !fault() && rename(s.backup, s.target) == 0 && ok;
                } else {
                    ok = remove_if_there(s.target) && ok;
                }
            }
        }
    }
    // What is left of the run beside its destinations: the temporary files not renamed,
    // the backups not put back.
    for (int i = 0; i < r.note_count; ++i) {
        const Note &note = r.notes[i];
        if (note.kind != JournalNote::Foreign && !foreign(r, note.path))
            ok = remove_if_there(note.path) && ok;
    }
    r.note_count = 0;
    r.step_count = 0;
    r.committed = false;
    return ok;
}

// Reads the file open as `fd` when it is a journal that may be trusted: a regular file
// of this user, private, with one link, still at `path`.
bool read_journal(int fd, const char *path, std::string &text) {
    struct stat held, now;
    if (fstat(fd, &held) != 0 || !S_ISREG(held.st_mode) || held.st_uid != geteuid() ||
        (held.st_mode & 077) != 0 || held.st_nlink != 1 || held.st_size > (off_t)kMaxJournal)
        return false;
    if (lstat(path, &now) != 0 || now.st_dev != held.st_dev || now.st_ino != held.st_ino)
        return false;
    text.resize((size_t)held.st_size);
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = pread(fd, &text[done], text.size() - done, (off_t)done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += (size_t)n;
    }
    return true;
}

// Settles the journal at `path` when no run holds it.
void settle_dead_run(const char *path) {
    int fd = open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    std::string text;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 && read_journal(fd, path, text) && parse(text, found) &&
        settle(found))
        unlink(path);
    close(fd);
}

}  // namespace

// Fills `n` characters at `out` with random letters and digits.
void random_chars(char *out, int n) {
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[kMaxRandom];
    if (n > kMaxRandom) n = kMaxRandom;
    if (getentropy(bytes, sizeof bytes) != 0) {
        // No entropy source: a name made of the process and a count is unique enough for
        // a file that is created exclusively and tried again when taken.
        static unsigned long count = 0;
        unsigned long seed = (unsigned long)getpid() * 2654435761u + ++count * 40503u + time(nullptr);
        for (unsigned char &b : bytes) {
            b = (unsigned char)seed;
            seed >>= 5;
        }
    }
    for (int i = 0; i < n; ++i) out[i] = kChars[bytes[i % kMaxRandom] % (sizeof kChars - 1)];
}

void journal_folder(const char *path) {
    if (!copy_path(folder, path)) folder[0] = '\0';
    if (!folder[0]) return;
    DIR *dir = opendir(folder);
    if (!dir) return;
    for (struct dirent *e; (e = readdir(dir)) != nullptr;) {
        if (strlen(e->d_name) != sizeof kPrefix - 1 + 6 ||
            strncmp(e->d_name, kPrefix, sizeof kPrefix - 1) != 0)
            continue;
        char journal[PATH_MAX];
        if (snprintf(journal, sizeof journal, "%s/%s", folder, e->d_name) < PATH_MAX)
            settle_dead_run(journal);
    }
    closedir(dir);
}

bool journal_note(JournalNote kind, const char *path) {
    if (own.note_count == kMaxNotes) return false;
    Note &note = own.notes[own.note_count];
    note.kind = kind;
    note.made = 0;
    if (!copy_path(note.path, path)) return false;
    std::string record;
    add_field(record, kind == JournalNote::Temp     ? "temp"
                      : kind == JournalNote::Backup ? "backup"
                                                    : "foreign");
    add_field(record, path);
    record += '\n';
    if (!append(record)) return false;
    own.note_count = own.note_count + 1;
    return true;
}

void journal_temp_made(const char *path) {
    for (int i = 0; i < own.note_count; ++i)
        if (own.notes[i].kind == JournalNote::Temp && strcmp(own.notes[i].path, path) == 0)
            own.notes[i].made = 1;
}

bool journal_commit(const CommitStep *steps, int n) {
    if (n > kMaxSteps) return false;
    std::string record;
    for (int i = 0; i < n; ++i) {
        Step &s = own.steps[i];
        if (!copy_path(s.temp, steps[i].temp) || !copy_path(s.target, steps[i].target) ||
            !copy_path(s.backup, steps[i].backup))
            return false;
        s.dev = steps[i].dev;
        s.ino = steps[i].ino;
        add_field(record, "step");
        add_field(record, std::to_string((unsigned long long)s.dev).c_str());
        add_field(record, std::to_string((unsigned long long)s.ino).c_str());
        add_field(record, s.temp);
        add_field(record, s.target);
        add_field(record, s.backup);
        record += '\n';
    }
    add_field(record, "commit");
    record += '\n';
    if (!append(record)) return false;
    // On the disk before the first of several renames: a crash after it finds the
    // journal.  A single rename is whole by itself.
    if (n > 1 && journal_fd >= 0 && (fault() || fsync(journal_fd) != 0)) return false;
    own.step_count = n;
    own.committed = true;
    return true;
}

bool journal_settle() {
    bool ok = settle(own);
    end_journal(!ok);
    return ok;
}

void journal_signal_cleanup() {
    for (int i = 0; i < own.note_count; ++i)
        if (own.notes[i].kind == JournalNote::Temp && own.notes[i].made) unlink(own.notes[i].path);
    if (journal_made) unlink(journal_path);
}
