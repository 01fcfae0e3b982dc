// Run - the steps both drivers share.  See Run.h.
#include "Run.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Config.h"
#include "Heap.h"
#include "Output.h"
#include "RunFolder.h"

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
    // Never through a symbolic link: the log would overwrite what the link points to.
    int fd = open(log_path, O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        struct stat st;
        if (lstat(log_path, &st) == 0 && S_ISLNK(st.st_mode))
            fprintf(stderr, "FATAL Log file is a symbolic link: %s\n", log_path);
        return 1;
    }
    // One run at a time from one folder: the lock is taken before the log is emptied,
    // so a waiting run never touches the running one's log, and it is held until the
    // log is closed (or the process ends).
    int locked;
    while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    // The stream buffers the log in Config (a large buffer: the echo of a source puts
    // megabytes into the log), where the floating-point handler finds it.  Messages
    // still flush it each time.
    if (locked != 0 || ftruncate(fd, 0) != 0 || !(log_file = log_stream(fd))) {
        close(fd);
        return 1;
    }
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
    // A log cut short is no normal end: the message reaches the console at least, and
    // the run's outputs are not put in place.
    if (!log_flush() || ferror(log_file) != 0) {
        fclose(log_file);
        log_file = nullptr;
        MSG_FATAL("Could not write file: ", log_path);
    }
    out_commit();
    bool failed = fclose(log_file) != 0;
    log_file = nullptr;
    if (failed) MSG_FATAL("Could not write file: ", log_path);
    return 0;
}

