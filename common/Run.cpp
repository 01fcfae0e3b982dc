// Run - the steps both drivers share.  See Run.h.
#include "Run.h"

#include <cerrno>
#include <csignal>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Config.h"
#include "FaultSeam.h"
#include "Heap.h"
#include "Journal.h"
#include "Output.h"
#include "Paths.h"
#include "RunFolder.h"

int exe_sibling(const char *argv0, const char *fname, const char *ext, char *out) {
    char exe[kMaxPath], drive[kMaxPath], dir[kMaxPath], base[kMaxPath], extension[kMaxPath];
    out[0] = '\0';
    // No log may exist yet when this fails: the standard error stream is the only way
    // to tell.  An executable whose own path does not fit has no known folder: no
    // sibling at all, rather than one in the current folder.
    if (self_path(argv0, exe, sizeof exe)[0] == '\0') {
        fprintf(stderr, "FATAL Path is too long: %s\n", argv0);
        return 1;
    }
    split_path(exe, drive, dir, base, extension);
    // The program's folder when it is writable, else the per-user state folder.
    std::string program_folder = dir[0] ? dir : ".";  // a bare name: the current folder
    if (program_folder.size() > 1 && program_folder.back() == '/') program_folder.pop_back();
    std::string error;
    const std::string folder = run_folder(program_folder, error);
    if (!error.empty()) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return make_path(out, drive, folder.c_str(), fname, ext);
}

static char log_path[kMaxPath];  // for the message when the log cannot be written

const char *run_log_path() { return log_path; }

// A log that cannot be opened: "FATAL <what><the log's path>" (and the system's
// reason) on the standard error stream, `fd` closed.  Returns -1.
static int refuse_log(const char *what, int fd = -1, int error = 0) {
    if (fd >= 0) close(fd);
    fprintf(stderr, "FATAL %s%s%s%s\n", what, log_path, error ? ": " : "", error ? strerror(error) : "");
    return -1;
}

// Opens the log file at log_path as a descriptor: a regular file of one link, emptied
// and locked, or - only where the user named it (`chosen`) - a device or one of the
// process's own streams, written as it goes.  Returns the descriptor, or -1 after its
// message.
static int open_log(bool chosen) {
    if (chosen) {
        if (int own = own_stream(log_path); own >= 0) {
            int fd = fcntl(own, F_DUPFD_CLOEXEC, 3);
            if (fd < 0) refuse_log("Could not open file: ", -1, errno);
            return fd;
        }
    }
    // Never through a symbolic link unless named so: the shared log would overwrite
    // what the link points to.  Never waiting for a reader: a FIFO is refused below.
    int fd = open(log_path, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | (chosen ? 0 : O_NOFOLLOW),
                  0666);
    struct stat st;
    if (fd < 0) {
        int error = errno;
        if (lstat(log_path, &st) == 0 && S_ISLNK(st.st_mode) && !chosen)
            return refuse_log("Log file is a symbolic link: ");
        if (stat(log_path, &st) == 0 && !S_ISREG(st.st_mode))
            return refuse_log("Log file is not a regular file: ");
        return refuse_log("Could not open file: ", -1, error);
    }
    if (fstat(fd, &st) != 0) return refuse_log("Could not open file: ", fd, errno);
    if (!S_ISREG(st.st_mode) && !(chosen && S_ISCHR(st.st_mode)))
        return refuse_log("Log file is not a regular file: ", fd);
    // A second link would be emptied and written as well: a file of someone else's.
    if (S_ISREG(st.st_mode) && st.st_nlink > 1)
        return refuse_log("Log file has another hard link: ", fd);
    int flags = fcntl(fd, F_GETFL);
    if (flags == -1 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1)
        return refuse_log("Could not open file: ", fd, errno);
    if (!S_ISREG(st.st_mode)) return fd;
    // One run at a time per log: the lock is taken before the log is emptied, so a
    // waiting run never touches the running one's log, and it is held until the log is
    // closed (or the process ends).
    int locked;
    while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0 || ftruncate(fd, 0) != 0)
        return refuse_log("Could not write file: ", fd, errno);
    return fd;
}

int log_open(const char *argv0, const char *base, const char *chosen) {
    // A closed pipe as the standard error stream and the file size limit become
    // failed writes, which end the run through its FATAL path and its clean-up,
    // instead of signals that would end it on the spot.
    signal(SIGPIPE, SIG_IGN);
    signal(SIGXFSZ, SIG_IGN);
    // The folder for the run's files holds the shared log and the journals, with a log
    // of the run's own too.
    char shared[kMaxPath];
    if (exe_sibling(argv0, base, ".LOG", shared) != 0) {
        if (shared[0]) fprintf(stderr, "FATAL Path is too long: %s\n", shared);
        return 1;
    }
    if (snprintf(log_path, sizeof log_path, "%s", chosen ? chosen : shared) >= (int)sizeof log_path) {
        fprintf(stderr, "FATAL Path is too long: %s\n", chosen);
        return 1;
    }
    int fd = open_log(chosen != nullptr);
    if (fd < 0) return 1;
    // The stream buffers the log in Config (a large buffer: the echo of a source puts
    // megabytes into the log), where the floating-point handler finds it.  Messages
    // still flush it each time.
    if (!(log_file = log_stream(fd))) {
        refuse_log("Could not open file: ", fd, errno);
        return 1;
    }
    // A failed run names its log on the standard error stream, wherever the run began.
    struct stat st;
    char place[PATH_MAX];
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && realpath(log_path, place)) msg_log_place(place);
    // Commits of runs from this folder that died are finished or undone before this run
    // writes anything.
    char folder[PATH_MAX], real[PATH_MAX];
    folder_of(shared, folder);
    if (realpath(folder, real)) journal_folder(real);
    char status[8];
    heap_check(__FILE__, __LINE__);
    heap_report();
    time_t now = time(nullptr);
    fprintf(log_file, "Initial %s\n", mem_status(status));
    fprintf(log_file, "Program:  %s\n", argv0);
    fprintf(log_file, "   Time:  %s", asctime(localtime(&now)));
    log_flush();
    return 0;
}

int log_close() {
    char status[8];
    heap_check(__FILE__, __LINE__);
    heap_report();
    fprintf(log_file, "Final %s\n", mem_status(status));
    // The log is whole before the first output is replaced: once the commit is made,
    // nothing can fail the run.  A log cut short is no normal end: the message reaches
    // the console at least, and the run's outputs are not put in place.
    if (!log_flush() || ferror(log_file) != 0) {
        fclose(log_file);
        log_file = nullptr;
        MSG_FATAL("Could not write file: ", log_path);
    }
    // The log stays open, and so locked, through the commit, whose failure it records.
    out_commit();
    // Every byte of the log was written before; an error the close reports now cannot
    // undo the commit and is no failure of the run.
    const bool close_failed = fclose(log_file) != 0 || fault();
    (void)close_failed;
    log_file = nullptr;
    return 0;
}
