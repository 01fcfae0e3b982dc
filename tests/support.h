// Test support: temporary folders, whole-file reads and writes, running a built
// program in a folder of its own (each copy writes its log beside itself, so tests
// that run in parallel never share a log), synthetic sources whose records say where
// they came from, and a conversion by the built tolvex with the lines it wrote.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "WeatherGen.h"

struct RunResult {
    int status;       // exit status, or -1 when the program did not exit normally
    std::string err;  // what it wrote to the standard error stream, but for a last line
    std::string see;  // "see <log>" that ends it after a failure, which goes here
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

// Sets r.err to `err`, less a last line "see <log>", which goes to r.see.
void split_error_stream(RunResult &r, const std::string &err);

// The names in `dir` that begin with "." (the converters' temporary files), other than
// the standard streams' files of run_program, joined by blanks; empty when none.
std::string hidden_files(const std::string &dir);

// Runs the converter `exe` (built with the fault seam) in `dir` with `args`, making
// file operation n = 1, 2, ... of each run fail, until a run succeeds; `prepare` is
// called before each run and `check` after it.  Returns the n of the success.
int run_with_faults(const std::string &exe, const std::string &dir,
                    const std::vector<std::string> &args, const std::function<void()> &prepare,
                    const std::function<void(int n, const RunResult &)> &check);

// Runs the converter `exe` twice, each in a folder of its own that `prepare` fills:
// once with `control` as data.dat, once with the value options `options` instead (a
// last "-d" follows data.dat too).  Returns the exit status of the control-file run
// and what differs between the two runs: exit status, standard error stream, or the
// bytes of any of `files` (the log's "   Time:" line aside) or whether it exists.
struct RunPair {
    int status;
    std::string differences;  // empty when the runs were the same
};
RunPair compare_runs(const std::string &exe, const std::function<void(const TempDir &)> &prepare,
                     const std::string &control, const std::vector<std::string> &options,
                     const std::vector<std::string> &files);

// ---- sources and conversions ---------------------------------------------------
// One time-point line of a weather file 2.0, split into its fields.
struct TimePointLine {
    std::string text;  // the whole line, without its CR LF
    std::string date, time;
    double Ta, Pb, Ws, Wd, Hr, Ith, Idn, Ts;
    int Rn, Sn;
};

// A synthetic year (8760 hours, or 8784 with `leap`) whose wind fields name each
// record: wind direction = the day of the year of a 365-day year (999 on 29 February),
// wind speed = the hour, so that Wd and Ws of a line show its source record.
std::vector<GenHour> marked_year(bool leap = false);

// Writes `hours` as a TMY2 or EPW file at `path`.
void write_tmy2_file(const std::string &path, const std::vector<GenHour> &hours,
                     bool crlf = false);
void write_epw_file(const std::string &path, const std::vector<GenHour> &hours,
                    bool crlf = false);

// The lines of `hours` written as an EPW (`epw`) or TMY2 file, without their LF (the
// CR of a CR LF line stays), and such lines joined again, each ended by a LF.
std::vector<std::string> source_lines(bool epw, const std::vector<GenHour> &hours,
                                      bool crlf = false);
std::string join_lines(const std::vector<std::string> &lines);

// Overwrites part of a source line: EPW field `where` (1-based) replaced by `value`,
// or TMY2 columns from `where` (1-based) overwritten by it.
void spoil(bool epw, std::string &line, int where, const std::string &value);

// The time-point lines of a weather file 2.0 (the lines after "!Date\tTime"), without
// their CR LF.
std::vector<std::string> time_point_lines(const std::string &wth);

// One run of the built tolvex in a folder of its own, with the destination out.wth.
struct Conversion {
    TempDir dir;
    RunResult result;
    std::string out;                    // the destination file (empty when absent)
    bool has_out = false;               // whether it exists
    std::string log;                    // TOLVEX.LOG
    std::vector<TimePointLine> points;  // the time-point lines of `out` (convert only)

    Conversion() = default;
    // Runs tolvex with `control` as data.dat, `args` and `input` on its standard input.
    explicit Conversion(const std::string &control,
                        const std::vector<std::string> &args = {"data.dat"},
                        const std::string &input = "");
};

// Converts `source` (a path, relative to the conversion's folder or absolute) of
// `type` ("TMY2", "E/E") for `dates` ("1/1 12/31") with the built tolvex and splits
// the time-point lines of its output into c.points.
void convert(Conversion &c, const std::string &type, const std::string &source,
             const std::string &dates);

// The expected date and time text of time point `i` of a run starting on `start_day`.
std::string expected_date(int start_day, int i);
std::string expected_time(int i);
