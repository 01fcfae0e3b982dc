// tolvex as a whole program: log layout, exit status, the template it writes and every
// way a control file can stop the run.
#include <gtest/gtest.h>

#include <regex>
#include <unistd.h>

#include "support.h"

namespace {

const std::string kHandDir = std::string(TESTS_DIR) + "/data/";

// A control file in the layout the window writes (CR LF line ends).
std::string control(const std::string &type, const std::string &dates,
                    const std::string &tail = " 1 \r\n 0 \r\n01/01 01/01\r\n") {
    return "Test run\r\nout.wth\r\n" + type + "\r\nout.wth\r\n" + dates + "\r\n" + tail;
}

struct Conversion {
    TempDir dir;
    RunResult result;
    std::string log() const { return read_file(dir / "TOLVEX.LOG"); }
    std::string out() const { return read_file(dir / "out.wth"); }
    bool has_out() const { return file_exists(dir / "out.wth"); }

    Conversion(const std::string &data, std::vector<std::string> args = {"data.dat"},
        const std::string &input = "") {
        write_file(dir / "data.dat", data);
        result = run_program(TOLVEX_EXE, dir.path(), args, input);
    }
};

int count_time_lines(const std::string &wth) {
    int n = 0;
    bool in_points = false;
    for (const std::string &line : split_lines(wth)) {
        if (in_points) ++n;
        if (line.rfind("!Date\tTime", 0) == 0) in_points = true;
    }
    return n;
}

}  // namespace

TEST(TolvexRun, TemplateMatchesHandWrittenFileByteForByte) {
    TempDir dir;
    write_file(dir / "data.dat", read_file(kHandDir + "template.dat"));
    RunResult r = run_program(TOLVEX_EXE, dir.path(), {"data.dat"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(read_file(dir / "hand.wth"), read_file(kHandDir + "template.wth"));
}

TEST(TolvexRun, LogHasHeadEchoFinishedAndFinalLines) {
    Conversion run(control("TEMPLATE", "1/1 1/1"));
    ASSERT_EQ(run.result.status, 0);
    std::string expected_echo = "Test run\nout.wth\nTEMPLATE\nout.wth\n1/1 1/1\n 1 \n 0 \n01/01 01/01\n";
    std::regex layout(
        "The heap is empty\\.\nHeap: loc, size, used\\?\n"
        "Initial \nProgram:  [^\n]*/tolvex\n"
        "   Time:  [A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]\\d \\d\\d:\\d\\d:\\d\\d \\d{4}\n" +
        std::regex_replace(expected_echo, std::regex("[.?()]"), "\\$&") +
        "Finished out\\.wth\n"
        "The heap is empty\\.\nHeap: loc, size, used\\?\nFinal \n");
    EXPECT_TRUE(std::regex_match(run.log(), layout)) << run.log();
}

TEST(TolvexRun, DayRangesAndTimePointCounts) {
    struct Row {
        const char *dates;
        int days;
        const char *first_day, *last_day;
    } rows[] = {
        {"1/1 1/1", 1, "1/1", "1/1"},
        {"12/31 1/1", 2, "12/31", "1/1"},
        {"10/1 3/31", 182, "10/1", "3/31"},
        {"01/01 12/31", 365, "1/1", "12/31"},
        {"1 365", 365, "1/1", "12/31"},
    };
    for (const Row &row : rows) {
        Conversion run(control("TEMPLATE", row.dates));
        ASSERT_EQ(run.result.status, 0) << row.dates;
        std::vector<std::string> lines = split_lines(run.out());
        EXPECT_EQ(lines[2], std::string(row.first_day) + "\t!start-of-file date\r");
        EXPECT_EQ(lines[3], std::string(row.last_day) + "\t!end-of-file date\r");
        EXPECT_EQ(lines[5].substr(0, lines[5].find('\t')), row.first_day);
        EXPECT_EQ(count_time_lines(run.out()), 1 + 24 * row.days) << row.dates;
        EXPECT_EQ(lines.back(), std::string(row.last_day) + "\t24:00:00\r") << row.dates;
    }
}

TEST(TolvexRun, DateFormsAndCommentsGiveTheSameFile) {
    Conversion plain(control("TEMPLATE", "1/1 1/1"));
    Conversion zeros(control("TEMPLATE", "01/01 01/01"));
    Conversion number(control("TEMPLATE", "1 0x1"));
    Conversion comment(control("TEMPLATE", "1/1 1/1 ! the whole of new year's day"));
    ASSERT_EQ(plain.result.status, 0);
    EXPECT_EQ(zeros.out(), plain.out());
    EXPECT_EQ(number.out(), plain.out());
    EXPECT_EQ(comment.out(), plain.out());

    // LF line ends read like CR LF; a "!" comment on the count line changes nothing.
    std::string lf = "Test run\nout.wth\nTEMPLATE\nout.wth\n1/1 1/1\n 1 \n 0 ! none\n01/01 01/01\n";
    Conversion unix_ends(lf);
    EXPECT_EQ(unix_ends.out(), plain.out());
}

TEST(TolvexRun, PromptsForThePathWithoutArguments) {
    Conversion run(control("TEMPLATE", "1/1 1/1"), {}, "data.dat\n");
    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(run.result.err, "Enter data file name:  ");
    EXPECT_TRUE(run.has_out());
}

TEST(TolvexRun, InputErrorsAreAllReportedAndNothingIsWritten) {
    Conversion run(control("TEMPLATE", "1/1 1/1", " x \r\n 1 \r\n13/45 9\r\n01/01 01/01\r\n"));
    EXPECT_EQ(run.result.status, 1);
    EXPECT_FALSE(run.has_out());
    EXPECT_EQ(run.result.err,
              "ERROR Bad integer: x\n"
              "ERROR 13/45 is not a valid date\n"
              "FATAL Run terminated because of input errors\n");
    std::string log = run.log();
    EXPECT_NE(log.find("ERROR  (file Utils, line "), std::string::npos);
    EXPECT_NE(log.find(")\n Bad integer: x\n"), std::string::npos);
    EXPECT_NE(log.find("FATAL  (file Tolvex, line "), std::string::npos);
    EXPECT_EQ(log.find("Final"), std::string::npos);
}

TEST(TolvexRun, FailuresEndWithStatusOneAndTheirMessage) {
    struct Row {
        const char *what;
        std::string data;
        const char *message;  // the message line on the standard error stream
        bool out_exists;
    } rows[] = {
        {"ends early", "Test run\r\nout.wth\r\nTEMPLATE\r\nout.wth\r\n1/1",
         "ERROR (no date) is not a valid date\n", false},
        {"day 366", control("TEMPLATE", "1/1 366"), "ERROR 366 is not a valid date\n", false},
        {"long line", std::string(255, 'd') + "\r\n" + control("TEMPLATE", "1/1 1/1"),
         "FATAL Buffer overflow: ", false},
        {"no folder", "T\r\nx\r\nTEMPLATE\r\nmissing/out.wth\r\n1/1 1/1\r\n 1 \r\n 0 \r\n1/1 1/1\r\n",
         "FATAL  Failed to open missing/out.wth\n", false},
        {"lower case type", control("tmy2", "1/1 1/1"), "FATAL Unrecognized file type: tmy2\n", true},
        {"trailing blank", control("TEMPLATE ", "1/1 1/1"),
         "FATAL Unrecognized file type: TEMPLATE \n", true},
    };
    for (const Row &row : rows) {
        Conversion run(row.data);
        EXPECT_EQ(run.result.status, 1) << row.what;
        EXPECT_NE(run.result.err.find(row.message), std::string::npos) << row.what << "\n" << run.result.err;
        EXPECT_EQ(run.has_out(), row.out_exists) << row.what;
        if (row.out_exists) {
            // Only the head: the lines up to the time-point column line.
            std::vector<std::string> lines = split_lines(run.out());
            EXPECT_EQ(lines.size(), 7u) << row.what;
            EXPECT_EQ(lines.back().rfind("!Date\tTime", 0), 0u) << row.what;
        }
    }
}

TEST(TolvexRun, MissingControlFileAndUncreatableLog) {
    TempDir dir;
    RunResult missing = run_program(TOLVEX_EXE, dir.path(), {"nowhere.dat"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "FATAL  Could not open file: nowhere.dat\n");
    EXPECT_NE(read_file(dir / "TOLVEX.LOG").find("FATAL  (file Tolvex, line "), std::string::npos);

    // A folder where the log should be: the run ends at once, silently.
    TempDir blocked;
    ASSERT_EQ(system(("mkdir '" + (blocked / "TOLVEX.LOG") + "'").c_str()), 0);
    write_file(blocked / "data.dat", control("TEMPLATE", "1/1 1/1"));
    RunResult r = run_program(TOLVEX_EXE, blocked.path(), {"data.dat"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(file_exists(blocked / "out.wth"));
}

TEST(TolvexRun, MessageSwitchChoosesBoxOrConsole) {
    // Without a terminal the box is written to the standard error stream: caption,
    // icon mark, text and location line.
    Conversion box(control("tmy2", "1/1 1/1"), {"data.dat", "-d"});
    EXPECT_EQ(box.result.status, 1);
    EXPECT_NE(box.result.err.find("FATAL"), std::string::npos);
    EXPECT_NE(box.result.err.find("(X)"), std::string::npos);
    EXPECT_NE(box.result.err.find(" Unrecognized file type: tmy2\n  (file Tolvex, line "),
              std::string::npos) << box.result.err;

    for (const char *other : {"-x", "/D "}) {
        Conversion console(control("tmy2", "1/1 1/1"), {"data.dat", other});
        EXPECT_EQ(console.result.err, "FATAL Unrecognized file type: tmy2\n") << other;
    }
}

TEST(TolvexRun, AWriteThatFailsIsNeverASuccess) {
    // A full device as the weather file.
    Conversion full("T\r\nx\r\nTEMPLATE\r\n/dev/full\r\n1/1 12/31\r\n 1 \r\n 0 \r\n1/1 1/1\r\n");
    EXPECT_EQ(full.result.status, 1);
    EXPECT_EQ(full.result.err, "FATAL Could not write file: /dev/full\n");

    // A full device as the log: the weather file is complete, but the run is no success.
    TempDir dir;
    ASSERT_EQ(symlink("/dev/full", (dir / "TOLVEX.LOG").c_str()), 0);
    write_file(dir / "data.dat", control("TEMPLATE", "1/1 1/1"));
    RunResult r = run_program(TOLVEX_EXE, dir.path(), {"data.dat"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "FATAL Could not write file: " + dir.path() + "/TOLVEX.LOG\n");
}
