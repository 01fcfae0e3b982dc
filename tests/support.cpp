#include "support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    r.err = read_file(dir + "/.stderr");
    return r;
}

RunResult run_program(const std::string &exe, const std::string &dir,
                      const std::vector<std::string> &args, const std::string &input,
                      bool no_tty) {
    return wait_program(start_program(exe, dir, args, input, no_tty), dir);
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
