// The commit of both converters: whatever ends a run - a kill at any point, a signal,
// a failing backup, journal or rename - its outputs are afterwards all old or all new,
// exit status 0 means all new, and no file of the run is left behind.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include "support.h"

namespace {

// A 1.0 file with one species, two hours of one day.
const std::string kOld10 =
    "Old file\n1\nCO2\n1 1\n1 0 0 1 1 0 283.15\n"
    "0 273.15 101325 3.5 90 100 50 260 0 1 0.001\n"
    "86400 274.15 101325 3.5 90 100 50 260 0 1 0.002\n";

// One way to run a converter: its control file, and each output's file as it is before
// the run ("old").  The new contents are taken from a run that succeeds.
struct RunSetup {
    const char *what;
    const char *exe, *faults_exe;
    std::string control;
    std::vector<std::pair<std::string, std::string>> outputs;  // name, old content
};

const RunSetup kSetups[] = {
    {"tolvex", TOLVEX_EXE, TOLVEX_FAULTS_EXE,
     "T\r\nx\r\nTEMPLATE\r\nout.wth\r\n1/1 1/1\r\n 1 \r\n 0 \r\n1/1 1/1\r\n",
     {{"out.wth", "older file"}}},
    {"renval", RENVAL_EXE, RENVAL_FAULTS_EXE, "old.wth\r\nnew.wth\r\nnew.ctm\r\n\r\n",
     {{"new.wth", "older file"}, {"new.ctm", "older species"}}},
    // The new weather file is the old one: its 1.0 text is what must survive.
    {"renval, new = old", RENVAL_EXE, RENVAL_FAULTS_EXE, "old.wth\r\nold.wth\r\nnew.ctm\r\n\r\n",
     {{"old.wth", kOld10}, {"new.ctm", "older species"}}},
};

// A folder with one setup's inputs and old outputs, and its outputs' new contents.
struct Bench {
    const RunSetup &setup;
    TempDir dir;
    std::vector<std::string> fresh;  // each output's content after a successful run

    explicit Bench(const RunSetup &s) : setup(s) {
        reset();
        EXPECT_EQ(run_program(s.exe, dir.path(), {"data.dat"}).status, 0) << s.what;
        for (const auto &out : s.outputs) fresh.push_back(read_file(dir / out.first));
        reset();
    }
    void reset() {
        write_file(dir / "old.wth", kOld10);
        write_file(dir / "data.dat", setup.control);
        for (const auto &out : setup.outputs) write_file(dir / out.first, out.second);
    }
    // "old", "new", or what the outputs are instead.
    std::string state() {
        bool old = true, fresh_all = true;
        for (size_t i = 0; i < setup.outputs.size(); ++i) {
            std::string now = read_file(dir / setup.outputs[i].first);
            old = old && now == setup.outputs[i].second;
            fresh_all = fresh_all && now == fresh[i];
        }
        return old ? "old" : fresh_all ? "new" : "a mix";
    }
    // The next run of either converter: it finishes a commit left by a killed run
    // before it stops for its missing control file.
    void next_run(int k) {
        EXPECT_EQ(run_program(k % 2 ? TOLVEX_EXE : RENVAL_EXE, dir.path(), {"none.dat"}).status, 1);
    }
};

RunResult run_with_signal_at(const Bench &b, int n, int sig, bool no_links = false) {
    setenv("WEATHER_FAIL_AT", std::to_string(n).c_str(), 1);
    setenv("WEATHER_FAIL_SIGNAL", std::to_string(sig).c_str(), 1);
    if (no_links) setenv("WEATHER_NO_LINKS", "1", 1);
    RunResult r = run_program(b.setup.faults_exe, b.dir.path(), {"data.dat"});
    unsetenv("WEATHER_FAIL_AT");
    unsetenv("WEATHER_FAIL_SIGNAL");
    unsetenv("WEATHER_NO_LINKS");
    return r;
}

}  // namespace

// A kill just before any file operation of a run, the renames of its commit among
// them: the next run of either converter leaves the outputs all old or all new (the
// 1.0 file of an upgrade in place back, never lost), and no file of the killed run.
// SIGTERM or a failure at the same points: exit status 0 only with all outputs new,
// any other end with all old.  Both with hard links and on a filesystem without them.
TEST(Commit, AKillAtAnyPointLeavesAllOldOrAllNew) {
    for (const RunSetup &setup : kSetups) {
        Bench b(setup);
        for (bool no_links : {false, true}) {
            int n = 1;
            for (;; ++n) {
                RunResult r = run_with_signal_at(b, n, SIGKILL, no_links);
                if (r.status == 0) break;  // past the run's last operation
                ASSERT_EQ(r.status, -1) << setup.what << " " << n << r.err;
                b.next_run(n);
                EXPECT_NE(b.state(), "a mix") << setup.what << " killed at " << n;
                EXPECT_EQ(hidden_files(b.dir.path()), "") << setup.what << " killed at " << n;
                b.reset();
            }
            EXPECT_EQ(b.state(), "new") << setup.what;
            EXPECT_GT(n, 10) << setup.what;
            // SIGTERM, or a failure of the operation, at the same points.
            for (int sig : {SIGTERM, 0}) {
                for (int k = 1; k < n; ++k) {
                    b.reset();
                    RunResult r = run_with_signal_at(b, k, sig, no_links);
                    const std::string at = std::string(setup.what) + (sig ? " SIGTERM" : " failure") +
                                           " at " + std::to_string(k) + ", status " +
                                           std::to_string(r.status) + " " + r.err;
                    EXPECT_EQ(b.state(), r.status == 0 ? "new" : "old") << at;
                    EXPECT_TRUE(r.status == 0 || r.status == (sig ? -1 : 1)) << at;
                    EXPECT_EQ(hidden_files(b.dir.path()), "") << at;
                }
            }
            b.reset();
        }
    }
}

// Kills at random moments of real runs, of both converters and an upgrade in place,
// 500 runs each: after the next run, every output pair is all old or all new.
TEST(Commit, RandomKillsLeaveAllOldOrAllNew) {
    std::mt19937 random(20261207);
    int both[2] = {0, 0};  // runs that ended old, new
    for (const RunSetup &setup : kSetups) {
        Bench b(setup);
        // How long a run takes here, to spread the kills over it.
        const int probe = start_program(setup.exe, b.dir.path(), {"data.dat"});
        timespec t0, t1;
        clock_gettime(CLOCK_MONOTONIC, &t0);
        wait_program(probe, b.dir.path());
        clock_gettime(CLOCK_MONOTONIC, &t1);
        const long run_us = (t1.tv_sec - t0.tv_sec) * 1000000 + (t1.tv_nsec - t0.tv_nsec) / 1000;
        std::uniform_int_distribution<long> delay(0, run_us + run_us / 4);
        const int runs = setup.outputs.size() > 1 ? 250 : 500;
        for (int k = 0; k < runs; ++k) {
            b.reset();
            int pid = start_program(setup.exe, b.dir.path(), {"data.dat"});
            usleep((useconds_t)delay(random));
            kill(pid, SIGKILL);
            wait_program(pid, b.dir.path());
            b.next_run(k);
            const std::string state = b.state();
            ASSERT_NE(state, "a mix") << setup.what << " run " << k;
            ++both[state == "new"];
            ASSERT_EQ(hidden_files(b.dir.path()), "") << setup.what << " run " << k;
        }
    }
    // The kills fell before and after the commits alike.
    EXPECT_GT(both[0], 50);
    EXPECT_GT(both[1], 50);
}
