// Test support: temporary folders, whole-file reads and writes, and running a built
// program in a folder of its own (each copy writes its log beside itself, so tests
// that run in parallel never share a log).
#pragma once

#include <functional>
#include <string>
#include <vector>

struct RunResult {
    int status;       // exit status, or -1 when the program did not exit normally
    std::string err;  // what it wrote to the standard error stream
};

// A fresh folder under the system's temporary folder, removed at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return path_; }
    std::string operator/(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &text);
bool file_exists(const std::string &path);
// The lines of `text` split at "\n" (a final line end gives no empty line).
std::vector<std::string> split_lines(const std::string &text);

// Copies `exe` into `dir` (once) and runs the copy there with `args`, feeding `input`
// to its standard input; the standard error stream is captured.  With `no_tty` the
// program runs in a session of its own, without a controlling terminal.
RunResult run_program(const std::string &exe, const std::string &dir,
                      const std::vector<std::string> &args, const std::string &input = "",
                      bool no_tty = true);
// run_program in two halves: start_program returns the running program's process id,
// wait_program waits for it and collects its result.
int start_program(const std::string &exe, const std::string &dir,
                  const std::vector<std::string> &args, const std::string &input = "",
                  bool no_tty = true);
RunResult wait_program(int pid, const std::string &dir);

// The names in `dir` that begin with "." (the converters' temporary files), other than
// the standard streams' files of run_program, joined by blanks; empty when none.
std::string hidden_files(const std::string &dir);

// Runs the converter `exe` (built with the fault seam) in `dir` with `args`, making
// file operation n = 1, 2, ... of each run fail, until a run succeeds; `prepare` is
// called before each run and `check` after it.  Returns the n of the success.
int run_with_faults(const std::string &exe, const std::string &dir,
                    const std::vector<std::string> &args, const std::function<void()> &prepare,
                    const std::function<void(int n, const RunResult &)> &check);
