#include "support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Calendar.h"

TempDir::TempDir() {
    const char *base = getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/wtest.XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
}

TempDir::~TempDir() {
    std::string cmd = "rm -rf '" + path_ + "'";
    if (system(cmd.c_str()) != 0) perror("rm");
}

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file(const std::string &path, const std::string &text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

bool file_exists(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::vector<std::string> split_lines(const std::string &text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

int start_program(const std::string &exe, const std::string &dir,
                  const std::vector<std::string> &args, const std::string &input, bool no_tty) {
    std::string name = exe.substr(exe.rfind('/') + 1);
    std::string copy = dir + "/" + name;
    if (!file_exists(copy)) {
        std::string cmd = "cp '" + exe + "' '" + copy + "'";
        if (system(cmd.c_str()) != 0) throw std::runtime_error("cannot copy " + exe);
    }
    std::string in_path = dir + "/.stdin", err_path = dir + "/.stderr";
    write_file(in_path, input);

    pid_t pid = fork();
    if (pid == 0) {
        if (no_tty) setsid();
        if (!freopen(in_path.c_str(), "r", stdin) || !freopen(err_path.c_str(), "w", stderr))
            _exit(127);
        if (chdir(dir.c_str()) != 0) _exit(127);
        std::vector<char *> argv;
        argv.push_back(const_cast<char *>(copy.c_str()));
        for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(copy.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

RunResult wait_program(int pid, const std::string &dir) {
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    RunResult r;
    r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    split_error_stream(r, read_file(dir + "/.stderr"));
    return r;
}

RunResult run_program(const std::string &exe, const std::string &dir,
                      const std::vector<std::string> &args, const std::string &input,
                      bool no_tty) {
    return wait_program(start_program(exe, dir, args, input, no_tty), dir);
}

void split_error_stream(RunResult &r, const std::string &err) {
    r.err = err;
    r.see.clear();
    const size_t last = err.rfind('\n', err.size() >= 2 ? err.size() - 2 : 0);
    const size_t start = last == std::string::npos ? 0 : last + 1;
    if (err.compare(start, 4, "see ") == 0) {
        r.see = err.substr(start);
        r.err.erase(start);
    }
}

std::string hidden_files(const std::string &dir) {
    std::string names;
    DIR *d = opendir(dir.c_str());
    if (!d) return "(no folder)";
    for (dirent *e; (e = readdir(d)) != nullptr;) {
        std::string name = e->d_name;
        if (name[0] != '.' || name == "." || name == ".." || name == ".stdin" || name == ".stderr")
            continue;
        names += (names.empty() ? "" : " ") + name;
    }
    closedir(d);
    return names;
}

RunPair compare_runs(const std::string &exe, const std::function<void(const TempDir &)> &prepare,
                     const std::string &control, const std::vector<std::string> &options,
                     const std::vector<std::string> &files) {
    TempDir by_file, by_options;
    prepare(by_file);
    prepare(by_options);
    write_file(by_file / "data.dat", control);
    std::vector<std::string> file_args{"data.dat"};
    if (!options.empty() && options.back() == "-d") file_args.push_back("-d");
    const RunResult a = run_program(exe, by_file.path(), file_args);
    const RunResult b = run_program(exe, by_options.path(), options);
    std::string differences;
    if (a.status != b.status)
        differences += "status " + std::to_string(a.status) + " / " + std::to_string(b.status) + "\n";
    if (a.err != b.err) differences += "standard error:\n" + a.err + "/\n" + b.err;
    // The runs' start times, folders and heap addresses differ, nothing else may.
    auto timeless = [](const TempDir &dir, const std::string &name) {
        std::string text = read_file(dir / name);
        const size_t at = text.find("   Time:  ");
        if (at != std::string::npos) text.erase(at, text.find('\n', at) - at);
        for (size_t p; (p = text.find(dir.path())) != std::string::npos;)
            text.replace(p, dir.path().size(), "<dir>");
        return std::regex_replace(text, std::regex("\\[[0-9A-F]{16}\\]"), "[address]");
    };
    for (const std::string &name : files) {
        const bool in_a = file_exists(by_file / name), in_b = file_exists(by_options / name);
        if (in_a != in_b)
            differences += name + (in_a ? " only after the control file\n" : " only after the options\n");
        else if (in_a && timeless(by_file, name) != timeless(by_options, name))
            differences += name + " differs:\n" + timeless(by_options, name).substr(0, 2000);
    }
    return {a.status, differences};
}

int run_with_faults(const std::string &exe, const std::string &dir,
                    const std::vector<std::string> &args, const std::function<void()> &prepare,
                    const std::function<void(int n, const RunResult &)> &check) {
    for (int n = 1; n < 10000; ++n) {
        prepare();
        setenv("WEATHER_FAIL_AT", std::to_string(n).c_str(), 1);
        RunResult r = run_program(exe, dir, args);
        unsetenv("WEATHER_FAIL_AT");
        check(n, r);
        if (r.status == 0 || r.status == -1) return n;
    }
    return 0;
}

// ---- sources and conversions ---------------------------------------------------
std::vector<GenHour> marked_year(bool leap) {
    std::vector<GenHour> hours(kGenHoursPerLeapYear);
    hours.resize(gen_year(hours.data(), leap ? 2012 : 2001, leap));
    int doy = 0;
    for (GenHour &g : hours) {
        bool leap_day = g.month == 2 && g.day == 29;
        if (g.hour == 1 && !leap_day) ++doy;
        g.wind_dir = leap_day ? 999 : doy;
        g.wind_speed = 10 * g.hour;
    }
    return hours;
}

static void write_source(const std::string &path, const std::vector<GenHour> &hours,
                         bool crlf, bool epw) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot create " + path);
    int failed = epw ? write_epw(f, hours.data(), (int)hours.size(), crlf)
                     : write_tmy2(f, hours.data(), (int)hours.size(), crlf);
    if (fclose(f) != 0 || failed) throw std::runtime_error("cannot write " + path);
}

void write_tmy2_file(const std::string &path, const std::vector<GenHour> &hours, bool crlf) {
    write_source(path, hours, crlf, false);
}

void write_epw_file(const std::string &path, const std::vector<GenHour> &hours, bool crlf) {
    write_source(path, hours, crlf, true);
}

static TimePointLine parse_point(const std::string &line) {
    TimePointLine p;
    p.text = line;
    char date[16] = "", time[16] = "";
    int n = sscanf(line.c_str(),
                   "%15[^\t]\t%15[^\t]\t%lf\t%lf\t%lf\t%lf\t%lf\t%lf\t%lf\t%lf\t%d\t%d", date, time,
                   &p.Ta, &p.Pb, &p.Ws, &p.Wd, &p.Hr, &p.Ith, &p.Idn, &p.Ts, &p.Rn, &p.Sn);
    if (n != 12) throw std::runtime_error("not a time-point line: " + line);
    p.date = date;
    p.time = time;
    return p;
}

std::vector<std::string> time_point_lines(const std::string &wth) {
    std::vector<std::string> points;
    bool in_points = false;
    for (std::string line : split_lines(wth)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (in_points) points.push_back(line);
        if (line.rfind("!Date\tTime", 0) == 0) in_points = true;
    }
    return points;
}

// Runs the built tolvex in c.dir with `control` as data.dat and collects what it left.
static void run_tolvex(Conversion &c, const std::string &control,
                       const std::vector<std::string> &args, const std::string &input) {
    write_file(c.dir / "data.dat", control);
    c.result = run_program(TOLVEX_EXE, c.dir.path(), args, input);
    c.log = read_file(c.dir / "TOLVEX.LOG");
    c.has_out = file_exists(c.dir / "out.wth");
    c.out = c.has_out ? read_file(c.dir / "out.wth") : "";
}

Conversion::Conversion(const std::string &control, const std::vector<std::string> &args,
                       const std::string &input) {
    run_tolvex(*this, control, args, input);
}

void convert(Conversion &c, const std::string &type, const std::string &source,
             const std::string &dates) {
    run_tolvex(c, "Import test\r\n" + source + "\r\n" + type + "\r\nout.wth\r\n" + dates +
                      "\r\n 1 \r\n 0 \r\n01/01 01/01\r\n",
               {"data.dat"}, "");
    for (const std::string &line : time_point_lines(c.out)) c.points.push_back(parse_point(line));
}

std::string expected_date(int start_day, int i) {
    int day = (start_day - 1 + (i == 0 ? 0 : (i - 1) / 24)) % 365 + 1;
    return std::to_string(calendar::month_of(day)) + "/" +
           std::to_string(calendar::day_of_month(day));
}

std::string expected_time(int i) {
    int hour = i == 0 ? 0 : (i - 1) % 24 + 1;
    char text[16];
    snprintf(text, sizeof text, "%02d:00:00", hour);
    return text;
}

std::vector<std::string> source_lines(bool epw, const std::vector<GenHour> &hours, bool crlf) {
    TempDir dir;
    epw ? write_epw_file(dir / "s", hours, crlf) : write_tmy2_file(dir / "s", hours, crlf);
    return split_lines(read_file(dir / "s"));
}

std::string join_lines(const std::vector<std::string> &lines) {
    std::string text;
    for (const std::string &l : lines) text += l + "\n";
    return text;
}

void spoil(bool epw, std::string &line, int where, const std::string &value) {
    if (!epw) {
        line.replace(where - 1, value.size(), value);
        return;
    }
    size_t start = 0;
    for (int f = 1; f < where; ++f) start = line.find(',', start) + 1;
    line.replace(start, line.find(',', start) - start, value);
}
