// What a run may touch: its named outputs, its log and work file, and nothing else -
// not a file that merely looks like a leftover, not the file behind a redirected
// stream, not an input named as an output - and every way it refuses says so.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support.h"

namespace {

std::string tolvex_control(const std::string &dest, const std::string &dates = "1/1 1/1") {
    return "T\r\nx\r\nTEMPLATE\r\n" + dest + "\r\n" + dates + "\r\n 1 \r\n 0 \r\n1/1 1/1\r\n";
}

const std::string kOld10 =
    "Old file\n1\nCO2\n1 1\n1 0 0 1 1 0 283.15\n"
    "0 273.15 101325 3.5 90 100 50 260 0 1 0.001\n"
    "86400 274.15 101325 3.5 90 100 50 260 0 1 0.002\n";

// Runs `command` with sh in `dir`, where the converters are copied first;
// returns its exit status, the standard error stream in dir/.stderr.
int shell(const TempDir &dir, const std::string &command) {
    int status = system(("cp '" TOLVEX_EXE "' '" RENVAL_EXE "' '" + dir.path() + "' && cd '" +
                         dir.path() + "' && { " + command + " ; } 2>.stderr")
                            .c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(OwnFiles, ARunTouchesOnlyItsOwnFilesAndSaysWhyItRefuses) {
    struct Row {
        const char *what;
        std::function<void(const TempDir &)> prepare;
        std::string command;
        int status;
        std::string err;  // the standard error stream; "<dir>" stands for the folder
        std::function<void(const TempDir &)> check;
    } rows[] = {
        {"files named like leftovers are the user's",
         [](const TempDir &d) {
             write_file(d / ".out.wth.backup", "mine");
             write_file(d / ".out.wth.notes1", "mine too");
             write_file(d / "data.dat", tolvex_control("out.wth"));
         },
         "./tolvex data.dat", 0, "",
         [](const TempDir &d) {
             EXPECT_EQ(read_file(d / ".out.wth.backup"), "mine");
             EXPECT_EQ(read_file(d / ".out.wth.notes1"), "mine too");
             remove((d / ".out.wth.backup").c_str());
             remove((d / ".out.wth.notes1").c_str());
         }},
        {"standard output redirected to a file is written, not replaced",
         [](const TempDir &d) {
             write_file(d / "data.dat", tolvex_control("/dev/stdout"));
             write_file(d / "f", "");
         },
         "ino=$(stat -c %i f); ./tolvex data.dat >>f && [ \"$(stat -c %i f)\" = $ino ]", 0, "",
         [](const TempDir &d) { EXPECT_EQ(read_file(d / "f").rfind("WeatherFile", 0), 0u); }},
        {"standard output through a pipe",
         [](const TempDir &d) { write_file(d / "data.dat", tolvex_control("/dev/fd/1")); },
         "./tolvex data.dat | cat >f", 0, "",
         [](const TempDir &d) { EXPECT_EQ(read_file(d / "f").rfind("WeatherFile", 0), 0u); }},
        {"a NUL in the destination",
         [](const TempDir &d) { write_file(d / "data.dat", tolvex_control(std::string("ou\0t.wth", 8))); },
         "./tolvex data.dat", 1, "FATAL Path holds a NUL character: ou\n",
         [](const TempDir &d) { EXPECT_FALSE(file_exists(d / "ou")); }},
        {"a NUL in the new weather file",
         [](const TempDir &d) {
             write_file(d / "old.wth", kOld10);
             write_file(d / "notes", "notes");
             write_file(d / "r.dat", "old.wth\n" + std::string("notes\0.wth", 10) + "\nnew.ctm\n\n");
         },
         "./renval r.dat", 1, "FATAL Path holds a NUL character: notes\n",
         [](const TempDir &d) { EXPECT_EQ(read_file(d / "notes"), "notes"); }},
        {"the control file as destination",
         [](const TempDir &d) { write_file(d / "data.dat", tolvex_control("data.dat")); },
         "./tolvex data.dat", 1, "FATAL Destination is the control file: data.dat\n", nullptr},
        {"the log as destination",
         [](const TempDir &d) { write_file(d / "data.dat", tolvex_control("TOLVEX.LOG")); },
         "./tolvex data.dat", 1, "FATAL Destination is the log file: TOLVEX.LOG\n", nullptr},
        {"the program as destination",
         [](const TempDir &d) { write_file(d / "data.dat", tolvex_control("./tolvex")); },
         "./tolvex data.dat", 1, "FATAL Destination is the program: ./tolvex\n", nullptr},
        {"renval's control file as new weather file",
         [](const TempDir &d) { write_file(d / "r.dat", "old.wth\nr.dat\nnew.ctm\n\n"); },
         "./renval r.dat", 1, "FATAL New weather file is the control file: r.dat\n", nullptr},
        {"renval's log as species file",
         [](const TempDir &d) { write_file(d / "r.dat", "old.wth\nnew.wth\nRENVAL.LOG\n\n"); },
         "./renval r.dat", 1, "FATAL Species file is the log file: RENVAL.LOG\n", nullptr},
        {"a FIFO as the log, with no reader",
         [](const TempDir &d) {
             ASSERT_EQ(mkfifo((d / "TOLVEX.LOG").c_str(), 0600), 0);
             write_file(d / "data.dat", tolvex_control("out.wth"));
         },
         "./tolvex data.dat", 1, "FATAL Log file is not a regular file: <dir>/TOLVEX.LOG\n",
         [](const TempDir &d) { EXPECT_FALSE(file_exists(d / "out.wth")); }},
        {"a log with a second link",
         [](const TempDir &d) {
             write_file(d / "precious", "precious");
             ASSERT_EQ(link((d / "precious").c_str(), (d / "TOLVEX.LOG").c_str()), 0);
             write_file(d / "data.dat", tolvex_control("out.wth"));
         },
         "./tolvex data.dat", 1, "FATAL Log file has another hard link: <dir>/TOLVEX.LOG\n",
         [](const TempDir &d) { EXPECT_EQ(read_file(d / "precious"), "precious"); }},
        {"a FIFO as the work file",
         [](const TempDir &d) {
             ASSERT_EQ(mkfifo((d / "WEATHER.TMP").c_str(), 0600), 0);
             write_file(d / "old.wth", kOld10);
             write_file(d / "r.dat", "old.wth\nnew.wth\nnew.ctm\n\n");
         },
         "./renval r.dat", 1, "FATAL Work file is not a regular file: <dir>/WEATHER.TMP\n", nullptr},
        {"a source that never ends",
         [](const TempDir &d) {
             write_file(d / "data.dat", "T\r\n/dev/zero\r\nTMY2\r\nout.wth\r\n1/1 1/1\r\n 1 \r\n 0 \r\n1/1 1/1\r\n");
         },
         "./tolvex data.dat", 1, "FATAL Source is larger than 256 MB: /dev/zero\n", nullptr},
        {"standard error a closed pipe",
         [](const TempDir &d) {
             write_file(d / "out.wth", "older");
             write_file(d / "data.dat", "T\r\nnone\r\nTMY2\r\nout.wth\r\n1/1 1/1\r\n 1 \r\n 0 \r\n1/1 1/1\r\n");
         },
         "exec 3>&1; (./tolvex data.dat 2>&1 >&3 3>&-; echo $? >status) | (exec 0<&-; sleep 0.1); "
         "exit $(cat status)",
         1, "",
         [](const TempDir &d) {
             EXPECT_EQ(read_file(d / "out.wth"), "older");
             EXPECT_NE(read_file(d / "TOLVEX.LOG").find(" Failed to open none"), std::string::npos);
         }},
        {"a file size limit",
         [](const TempDir &d) {
             write_file(d / "out.wth", "older");
             write_file(d / "data.dat", tolvex_control("out.wth", "1/1 12/31"));
         },
         "ulimit -f 100; ./tolvex data.dat", 1, "FATAL Could not write file: out.wth: File too large\n",
         [](const TempDir &d) { EXPECT_EQ(read_file(d / "out.wth"), "older"); }},
        {"a log of the run's own, and a work file beside it",
         [](const TempDir &d) {
             write_file(d / "old.wth", kOld10);
             write_file(d / "r.dat", "old.wth\nnew.wth\nnew.ctm\n\n");
         },
         "./renval --log run1.log r.dat", 0, "",
         [](const TempDir &d) {
             EXPECT_FALSE(file_exists(d / "RENVAL.LOG"));
             EXPECT_NE(read_file(d / "run1.log").find("Final"), std::string::npos);
             EXPECT_TRUE(file_exists(d / "run1.log.TMP"));
             EXPECT_TRUE(file_exists(d / "new.ctm"));
         }},
        {"a device as the run's log",
         [](const TempDir &d) { write_file(d / "data.dat", tolvex_control("out.wth")); },
         "./tolvex --log=/dev/null data.dat", 0, "",
         [](const TempDir &d) { EXPECT_FALSE(file_exists(d / "TOLVEX.LOG")); }},
        {"--log without its file",
         [](const TempDir &) {}, "./tolvex --log", 2,
         "tolvex: option --log needs a value\n", nullptr},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        row.prepare(dir);
        ASSERT_EQ(shell(dir, row.command), row.status);
        std::string err = row.err;
        if (size_t at = err.find("<dir>"); at != std::string::npos) err.replace(at, 5, dir.path());
        RunResult r;
        split_error_stream(r, read_file(dir / ".stderr"));
        EXPECT_EQ(row.status == 2 ? r.err.substr(0, err.size()) : r.err, err);
        if (row.check) row.check(dir);
        EXPECT_EQ(hidden_files(dir.path()), "");
    }
}
