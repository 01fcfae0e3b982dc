// What the process benchmarks share: a scratch folder of their own, files written
// into it, a program copied into it, and a run of that program there.
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// A fresh folder under $TMPDIR (or /tmp) named after `name`, removed at destruction.
struct ScratchDir {
    std::string path;
    explicit ScratchDir(const char *name) {
        const char *base = getenv("TMPDIR");
        path = std::string(base && *base ? base : "/tmp") + "/" + name + ".XXXXXX";
        if (!mkdtemp(&path[0])) abort();
    }
    ~ScratchDir() {
        std::string rm = "rm -rf '" + path + "'";
        if (system(rm.c_str()) != 0) perror("rm");
    }
};

// Writes the file at `path` through `body(FILE *)`.
template <typename F> void write_with(const std::string &path, F body) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) abort();
    body(f);
    fclose(f);
}

// Copies the program `exe` into `dir` as `name`; when the environment variable
// `other` is set, the program it names is copied instead (an older build, say).
inline void copy_program(const char *exe, const char *other, const std::string &dir,
                         const char *name) {
    const char *chosen = getenv(other);
    std::string copy = std::string("cp '") + (chosen && *chosen ? chosen : exe) + "' '" + dir +
                       "/" + name + "'";
    if (system(copy.c_str()) != 0) abort();
}

// Runs `argv` (argv[0] a path) in `dir`, its standard error stream discarded; aborts
// unless it exits 0.  Returns the wall time in ms; `usage` gets its resource usage.
inline double run_in(const std::string &dir, const std::vector<std::string> &argv,
                     rusage *usage) {
    std::vector<char *> args;
    for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0 || !freopen("/dev/null", "w", stderr)) _exit(127);
        execv(args[0], args.data());
        _exit(127);
    }
    int status;
    rusage ignored;
    wait4(pid, &status, 0, usage ? usage : &ignored);
    auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) abort();
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// A time value in ms.
inline double ms(const timeval &t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; }
