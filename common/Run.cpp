// Run - the steps both drivers share.  See Run.h.
#include "Run.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "Config.h"
#include "Heap.h"
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
    if (failed) MSG_FATAL("Could not write file: ", log_path);
    return 0;
}

int box_switch(const char *arg) {
    static const char *const kSwitches[] = {"-d", "-D", "/d", "/D"};
    for (const char *s : kSwitches)
        if (strcmp(arg, s) == 0) return 1;
    return 0;
}
