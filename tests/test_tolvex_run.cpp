// tolvex as a whole program: log layout, exit status, the template it writes and every
// way a control file can stop the run.
#include <gtest/gtest.h>

#include <csignal>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

#include "TolvexOptions.h"
#include "support.h"

namespace {

const std::string kHandDir = std::string(TESTS_DIR) + "/data/";

// A control file in the layout the window writes (CR LF line ends).
// The first two lines of a synthetic TMY2 or EPW year.
std::string source_head(bool epw) {
    const std::vector<std::string> lines = source_lines(epw, marked_year());
    return lines[0] + "\n" + lines[1] + "\n";
}

std::string control(const std::string &type, const std::string &dates,
                    const std::string &tail = " 1 \r\n 0 \r\n01/01 01/01\r\n") {
    return "Test run\r\nout.wth\r\n" + type + "\r\nout.wth\r\n" + dates + "\r\n" + tail;
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
    EXPECT_TRUE(std::regex_match(run.log, layout)) << run.log;
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
        std::vector<std::string> lines = split_lines(run.out);
        EXPECT_EQ(lines[2], std::string(row.first_day) + "\t!start-of-file date\r");
        EXPECT_EQ(lines[3], std::string(row.last_day) + "\t!end-of-file date\r");
        EXPECT_EQ(lines[5].substr(0, lines[5].find('\t')), row.first_day);
        EXPECT_EQ(time_point_lines(run.out).size(), 1 + 24u * row.days) << row.dates;
        EXPECT_EQ(lines.back(), std::string(row.last_day) + "\t24:00:00\r") << row.dates;
    }
}

TEST(TolvexRun, DateFormsAndCommentsGiveTheSameFile) {
    Conversion plain(control("TEMPLATE", "1/1 1/1"));
    Conversion zeros(control("TEMPLATE", "01/01 01/01"));
    Conversion number(control("TEMPLATE", "1 0x1"));
    Conversion comment(control("TEMPLATE", "1/1 1/1 ! the whole of new year's day"));
    Conversion blanks(control(" TEMPLATE\t", "1/1 1/1"));  // the type word without its blanks
    Conversion bom("\xEF\xBB\xBF" + control("TEMPLATE", "1/1 1/1"));  // an editor's mark
    ASSERT_EQ(plain.result.status, 0);
    EXPECT_EQ(zeros.out, plain.out);
    EXPECT_EQ(number.out, plain.out);
    EXPECT_EQ(comment.out, plain.out);
    EXPECT_EQ(blanks.out, plain.out);
    EXPECT_EQ(bom.out, plain.out);

    // LF line ends read like CR LF; a "!" comment on the count line changes nothing.
    std::string lf = "Test run\nout.wth\nTEMPLATE\nout.wth\n1/1 1/1\n 1 \n 0 ! none\n01/01 01/01\n";
    Conversion unix_ends(lf);
    EXPECT_EQ(unix_ends.out, plain.out);
}

TEST(TolvexRun, PromptsForThePathWithoutArguments) {
    Conversion run(control("TEMPLATE", "1/1 1/1"), {}, "data.dat\n");
    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(run.result.err, "Enter data file name:  ");
    EXPECT_TRUE(run.has_out);
}

TEST(TolvexRun, InputErrorsAreAllReportedAndNothingIsWritten) {
    std::string flood = " 1 \r\n 30 \r\n", twenty;
    for (int i = 0; i < 30; ++i) flood += "1/1 -3\r\n";
    for (int i = 0; i < 20; ++i) twenty += "ERROR -3 is not a day type (1 to 12)\n";
    const struct {
        std::string tail;  // the control file's lines after the dates
        std::string err;   // the ERRORs before the closing FATAL
        const char *first;  // the first ERROR in the log: location and text
    } rows[] = {
        {" x \r\n 1 \r\n13/45 9\r\n01/01 01/01\r\n",
         "ERROR Bad integer: x\nERROR 13/45 is not a valid date\n",
         "ERROR  (file Utils, line *)\n Bad integer: x\n"},
        // Weekdays are 1..7 and day types 1..12; a number that is no integer at all gets
        // only its "Bad integer".
        {" 8 \r\n 3 \r\n7/4 13\r\n7/5 x\r\n7/6 0\r\n1/1 1/1\r\n",
         "ERROR 8 is not a weekday (1 to 7)\nERROR 13 is not a day type (1 to 12)\n"
         "ERROR Bad integer: x\nERROR 0 is not a day type (1 to 12)\n",
         "ERROR  (file Tolvex, line *)\n 8 is not a weekday (1 to 7)\n"},
        // The 20th ERROR ends the run at once.
        {flood + "1/1 1/1\r\n", twenty, "ERROR  (file Tolvex, line *)\n -3 is not a day type"},
    };
    for (const auto &row : rows) {
        Conversion run(control("TEMPLATE", "1/1 1/1", row.tail));
        EXPECT_EQ(run.result.status, 1);
        EXPECT_FALSE(run.has_out);
        EXPECT_EQ(run.result.err, row.err + "FATAL Run terminated because of input errors\n");
        const std::string first = row.first, at = first.substr(0, first.find('*'));
        const size_t found = run.log.find(at);
        ASSERT_NE(found, std::string::npos) << run.log;
        EXPECT_EQ(run.log.find(first.substr(first.find('*') + 1), found), run.log.find(')', found));
        EXPECT_NE(run.log.find("FATAL  (file "), std::string::npos);
        EXPECT_EQ(run.log.find("Final"), std::string::npos);
    }
}

TEST(TolvexRun, FailuresEndWithStatusOneAndTheirMessageAndLeaveTheDestination) {
    const std::string tail = "\r\nout.wth\r\n1/1 1/1\r\n 1 \r\n 0 \r\n1/1 1/1\r\n";
    struct Row {
        const char *what;
        std::string data;
        const char *message;  // the message line on the standard error stream
    } rows[] = {
        {"ends early", "Test run\r\nout.wth\r\nTEMPLATE\r\nout.wth\r\n1/1",
         "ERROR (no date) is not a valid date\n"},
        {"day 366", control("TEMPLATE", "1/1 366"), "ERROR 366 is not a valid date\n"},
        {"long line", std::string(255, 'd') + "\r\n" + control("TEMPLATE", "1/1 1/1"),
         "FATAL Buffer overflow: "},
        {"no folder", "T\r\nx\r\nTEMPLATE\r\nmissing/out.wth\r\n1/1 1/1\r\n 1 \r\n 0 \r\n1/1 1/1\r\n",
         "FATAL  Failed to open missing/out.wth: No such file or directory\n"},
        {"lower case type", control("tmy2", "1/1 1/1"), "FATAL Unrecognized file type: tmy2\n"},
        // Mistakes a newcomer makes, with a hint after the FATAL.
        {"a TMY2 file as control file", source_head(false),
         "FATAL Not a control file: data.dat is a TMY2 weather file\n"
         "hint: see tolvex(1) for the control file's lines\n"},
        {"an EPW file as control file", source_head(true),
         "FATAL Not a control file: data.dat is an E/E weather file\n"},
        {"fewer special days than counted", control("TEMPLATE", "1/1 1/1", " 1 \r\n 2 \r\n7/4 8\r\n1/1 1/1\r\n"),
         "hint: the control file lists fewer special days than its count (2)\n"},
        {"unknown type", control("TEMPLATES", "1/1 1/1"),
         "FATAL Unrecognized file type: TEMPLATES\nhint: the type is TMY2, E/E or TEMPLATE\n"},
        {"missing source", "T\r\nnone.tm2\r\nTMY2" + tail, "FATAL  Failed to open none.tm2: No such file or directory\n"},
        // A source that is the destination, however spelt.
        {"source is destination", control("TMY2", "1/1 1/1"),
         "FATAL Destination is the source file: out.wth\n"},
        {"other spelling", "T\r\n./out.wth\r\nE/E" + tail,
         "FATAL Destination is the source file: out.wth\n"},
        {"through a link", "T\r\nlink.tm2\r\nTMY2" + tail,
         "FATAL Destination is the source file: out.wth\n"},
    };
    for (const Row &row : rows) {
        TempDir dir;
        write_file(dir / "out.wth", "older file");
        ASSERT_EQ(symlink("out.wth", (dir / "link.tm2").c_str()), 0);
        write_file(dir / "data.dat", row.data);
        RunResult r = run_program(TOLVEX_EXE, dir.path(), {"data.dat"});
        EXPECT_EQ(r.status, 1) << row.what;
        EXPECT_NE(r.err.find(row.message), std::string::npos) << row.what << "\n" << r.err;
        EXPECT_EQ(read_file(dir / "out.wth"), "older file") << row.what;
        EXPECT_EQ(hidden_files(dir.path()), "") << row.what;
    }
}

TEST(TolvexRun, MissingControlFileAndUncreatableLog) {
    TempDir dir;
    RunResult missing = run_program(TOLVEX_EXE, dir.path(), {"nowhere.dat"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "FATAL  Could not open file: nowhere.dat: No such file or directory\n");
    EXPECT_NE(read_file(dir / "TOLVEX.LOG").find("FATAL  (file Tolvex, line "), std::string::npos);
    EXPECT_EQ(missing.see, "see " + dir.path() + "/TOLVEX.LOG\n");
    RunResult folder = run_program(TOLVEX_EXE, dir.path(), {"/"});
    EXPECT_EQ(folder.err, "FATAL  Could not open file: /: Is a directory\n");
    // -h asks for the usage, as --help does.
    RunResult help = run_program(TOLVEX_EXE, dir.path(), {"-h"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.see + help.err, "");

    // A folder where the log should be: the run ends at once and says why.
    TempDir blocked;
    ASSERT_EQ(system(("mkdir '" + (blocked / "TOLVEX.LOG") + "'").c_str()), 0);
    write_file(blocked / "data.dat", control("TEMPLATE", "1/1 1/1"));
    RunResult r = run_program(TOLVEX_EXE, blocked.path(), {"data.dat"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "FATAL Log file is not a regular file: " + blocked.path() + "/TOLVEX.LOG\n");
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
        EXPECT_EQ(console.result.err,
                  "FATAL Unrecognized file type: tmy2\nhint: the type is TMY2, E/E or TEMPLATE\n")
            << other;
    }
}

TEST(TolvexRun, AWriteThatFailsIsNeverASuccess) {
    // A full device as the weather file: written directly, as there is nothing to replace.
    Conversion full("T\r\nx\r\nTEMPLATE\r\n/dev/full\r\n1/1 12/31\r\n 1 \r\n 0 \r\n1/1 1/1\r\n");
    EXPECT_EQ(full.result.status, 1);
    EXPECT_EQ(full.result.err, "FATAL Could not write file: /dev/full: No space left on device\n");
}

TEST(TolvexRun, AReplacedDestinationKeepsItsModeAndALinkStays) {
    TempDir dir;
    ASSERT_EQ(mkdir((dir / "d").c_str(), 0755), 0);
    write_file(dir / "d/target.wth", "older file");
    ASSERT_EQ(chmod((dir / "d/target.wth").c_str(), 0604), 0);
    ASSERT_EQ(symlink("d/target.wth", (dir / "out.wth").c_str()), 0);
    write_file(dir / "data.dat", control("TEMPLATE", "1/1 1/1"));
    ASSERT_EQ(run_program(TOLVEX_EXE, dir.path(), {"data.dat"}).status, 0);
    struct stat link, target;
    ASSERT_EQ(lstat((dir / "out.wth").c_str(), &link), 0);
    EXPECT_TRUE(S_ISLNK(link.st_mode));
    ASSERT_EQ(stat((dir / "d/target.wth").c_str(), &target), 0);
    EXPECT_EQ(target.st_mode & 07777, 0604u);
    EXPECT_EQ(time_point_lines(read_file(dir / "d/target.wth")).size(), 25u);
    EXPECT_EQ(hidden_files(dir / "d"), "");
}

// Logs and the work file are never written through a symbolic link: the run ends at
// once, says so, and what the link points to is untouched.
TEST(TolvexRun, NoLogOrWorkFileIsWrittenThroughALink) {
    struct Row {
        const char *exe, *link, *err;
    } rows[] = {
        {TOLVEX_EXE, "TOLVEX.LOG", "FATAL Log file is a symbolic link: "},
        {RENVAL_EXE, "RENVAL.LOG", "FATAL Log file is a symbolic link: "},
        {RENVAL_EXE, "WEATHER.TMP", "FATAL Could not open temporary file: "},
    };
    for (const Row &row : rows) {
        TempDir dir;
        write_file(dir / "precious", "precious");
        ASSERT_EQ(symlink("precious", (dir / row.link).c_str()), 0);
        write_file(dir / "data.dat", row.exe == std::string(TOLVEX_EXE)
                                         ? control("TEMPLATE", "1/1 1/1")
                                         : "data.dat\nout.wth\nout.ctm\n\n");
        RunResult r = run_program(row.exe, dir.path(), {"data.dat"});
        EXPECT_EQ(r.status, 1) << row.link;
        EXPECT_EQ(r.err, row.err + dir.path() + "/" + row.link + "\n");
        EXPECT_EQ(read_file(dir / "precious"), "precious") << row.link;
        EXPECT_FALSE(file_exists(dir / "out.wth")) << row.link;
    }
}

// Runs started at once from one folder run one after another: the log holds one run,
// whole, and every weather file is complete, a failing run's among them.
TEST(TolvexRun, RunsStartedAtOnceFromOneFolder) {
    TempDir dir;
    const char *names[] = {"a", "b", "c", "bad"};
    for (const char *n : names) {
        std::string type = std::string(n) == "bad" ? "tmy2" : "TEMPLATE";
        std::string dates = std::string(n) == "b" ? "3/1 2/28" : "1/1 12/31";
        write_file(dir / (std::string(n) + ".dat"),
                   "Run " + std::string(n) + "\r\nx\r\n" + type + "\r\n" + n + ".wth\r\n" +
                       dates + "\r\n 1 \r\n 0 \r\n1/1 1/1\r\n");
    }
    ASSERT_EQ(run_program(TOLVEX_EXE, dir.path(), {"a.dat"}).status, 0);
    ASSERT_EQ(run_program(TOLVEX_EXE, dir.path(), {"b.dat"}).status, 0);
    const std::string a = read_file(dir / "a.wth"), b = read_file(dir / "b.wth");
    for (int round = 0; round < 3; ++round) {
        std::string cmd = "cd '" + dir.path() + "' && rm -f a.wth b.wth c.wth && (";
        for (const char *n : names) cmd += "./tolvex " + std::string(n) + ".dat 2>/dev/null & ";
        ASSERT_NE(system((cmd + "wait)").c_str()), -1);
        EXPECT_EQ(read_file(dir / "a.wth"), a) << round;
        EXPECT_EQ(read_file(dir / "b.wth"), b) << round;
        EXPECT_EQ(read_file(dir / "c.wth").size(), a.size()) << round;
        EXPECT_FALSE(file_exists(dir / "bad.wth")) << round;
        std::string log = read_file(dir / "TOLVEX.LOG");
        EXPECT_EQ(log.find('\0'), std::string::npos) << round;
        EXPECT_EQ(log.find("Program:"), log.rfind("Program:")) << log;
        bool whole = log.size() > 8 && (log.compare(log.size() - 8, 8, "\nFinal \n") == 0 ||
                                        log.find("\n Unrecognized file type: tmy2\n") ==
                                            log.size() - 31);
        EXPECT_TRUE(whole) << log;
    }
}

// A run ended by SIGTERM, SIGINT or SIGHUP removes its temporary file and journal; one
// killed outright leaves both, and the next run removes them.  The source is a pipe that no
// one writes, so the runs wait inside the import with the head written.
TEST(TolvexRun, AKilledRunLeavesTheDestination) {
    TempDir dir;
    write_file(dir / "out.wth", "older file");
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    write_file(dir / "data.dat", "T\r\npipe\r\nTMY2\r\nout.wth\r\n1/1 1/1\r\n 1 \r\n 0 \r\n1/1 1/1\r\n");
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGKILL}) {
        int pid = start_program(TOLVEX_EXE, dir.path(), {"data.dat"});
        for (int i = 0; i < 1000 && hidden_files(dir.path()).empty(); ++i) usleep(5000);
        ASSERT_NE(hidden_files(dir.path()), "") << sig;
        kill(pid, sig);
        EXPECT_EQ(wait_program(pid, dir.path()).status, -1);
        EXPECT_EQ(read_file(dir / "out.wth"), "older file") << sig;
    }
    const std::string left = hidden_files(dir.path());
    EXPECT_EQ(left.size(), std::string(".commit.XXXXXX .out.wth.XXXXXX").size()) << left;
    write_file(dir / "data.dat", control("TEMPLATE", "1/1 1/1"));
    ASSERT_EQ(run_program(TOLVEX_EXE, dir.path(), {"data.dat"}).status, 0);
    EXPECT_EQ(hidden_files(dir.path()), "");
    EXPECT_EQ(time_point_lines(read_file(dir / "out.wth")).size(), 25u);
}

// The options stand for the control file with their values: the same outputs, log and
// messages, for every type, over the year's end, with special days and daylight saving,
// and for values the control file's readers refuse.
TEST(TolvexRun, OptionsRunAsTheControlFileWithTheirValues) {
    const std::vector<GenHour> year = marked_year();
    auto sources = [&](const TempDir &d) {
        write_tmy2_file(d / "a.tm2", year);
        write_epw_file(d / "a.epw", year);
    };
    const struct {
        std::vector<std::string> options;
        std::string control;
        int status;
    } rows[] = {
        {{"--type", "TEMPLATE", "--output", "out.wth", "--period", "12/24-1/2", "--weekday=3",
          "--special", "12/25:8", "--special=1/1:9", "--dst", "12/30-1/1"},
         "Template\r\nout.wth\r\nTEMPLATE\r\nout.wth\r\n12/24 1/2\r\n 3 \r\n 2 \r\n12/25 8\r\n1/1 9\r\n"
         "12/30 1/1\r\n",
         0},
        // Every default but the period; the source's first line describes the file.
        {{"--type=TMY2", "--source", "a.tm2", "--output=out.wth", "--period", "1/1-1/2", "-d"},
         source_lines(false, year)[0] + "\r\na.tm2\r\nTMY2\r\nout.wth\r\n1/1 1/2\r\n 1 \r\n 0 \r\n"
                                        "01/01 01/01\r\n",
         0},
        {{"--type", "E/E", "--source", "a.epw", "--output", "out.wth", "--description",
          " Mine, with blanks! ", "--period", "365-2", "--weekday", "7", "--special", "12/31:10",
          "--dst", "03/27-10/30"},
         " Mine, with blanks! \r\na.epw\r\nE/E\r\nout.wth\r\n365 2\r\n 7 \r\n 1 \r\n12/31 10\r\n"
         "03/27 10/30\r\n",
         0},
        {{"--type", "TEMPLATE", "--output", "out.wth", "--period", "2/30-3/1", "--weekday", "8",
          "--special", "13/45:8", "--special", "7/4:13"},
         "Template\r\nout.wth\r\nTEMPLATE\r\nout.wth\r\n2/30 3/1\r\n 8 \r\n 2 \r\n13/45 8\r\n7/4 13\r\n"
         "01/01 01/01\r\n",
         1},
        {{"--type", "tmy2", "--output", "out.wth", "--period", "1/1-1/1"},
         "Template\r\nout.wth\r\ntmy2\r\nout.wth\r\n1/1 1/1\r\n 1 \r\n 0 \r\n01/01 01/01\r\n", 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.control);
        const RunPair runs =
            compare_runs(TOLVEX_EXE, sources, row.control, row.options, {"TOLVEX.LOG", "out.wth"});
        EXPECT_EQ(runs.status, row.status);
        EXPECT_EQ(runs.differences, "");
    }
}

// A command line that cannot stand for a control file is refused before anything is
// read or logged.
TEST(TolvexRun, OptionsThatCannotRunGetTheUsageAndStatusTwo) {
    const std::vector<std::string> tmpl = {"--type", "TEMPLATE", "--output", "o.wth"};
    auto with = [&](std::vector<std::string> more) {
        more.insert(more.begin(), tmpl.begin(), tmpl.end());
        return more;
    };
    const struct {
        const char *exe;
        std::vector<std::string> args;
        std::string message;
    } rows[] = {
        {TOLVEX_EXE, {"--output", "o.wth"}, "tolvex: option --type is missing"},
        {TOLVEX_EXE, {"--type", "E/E", "--output", "o.wth"},
         "tolvex: option --source is missing: E/E converts a source file"},
        {TOLVEX_EXE, with({"--source", "a.tm2"}),
         "tolvex: option --source is refused: TEMPLATE has no source file"},
        {TOLVEX_EXE, with({"data.dat"}), "tolvex: control file data.dat given together with options"},
        {TOLVEX_EXE, with({"--output=p.wth"}), "tolvex: option --output given twice"},
        {TOLVEX_EXE, with({"--weekday"}), "tolvex: option --weekday needs a value"},
        {TOLVEX_EXE, with({"--dst", "3/27 - 10/30"}),
         "tolvex: option --dst takes two dates joined by \"-\", not 3/27 - 10/30"},
        {TOLVEX_EXE, with({"--special", "7/4,8"}),
         "tolvex: option --special takes a date and a day type joined by \":\", not 7/4,8"},
        {TOLVEX_EXE, with({"--weekday", "!1"}), "tolvex: option --weekday takes 1 to 7 or source, not !1"},
        {TOLVEX_EXE, with({"--description", "two\nlines"}),
         "tolvex: the value of --description holds a line end, which a control file's line cannot hold"},
        {TOLVEX_EXE, with({"--description", "\xEF\xBB\xBFmarked"}),
         "tolvex: the value of --description begins with a byte-order mark, which a control file's "
         "first line cannot hold"},
        {RENVAL_EXE, {"--old", "a.wth"}, "renval: option --new is missing"},
    };
    std::string usage;
    for (const auto &row : rows) {
        TempDir dir;
        const RunResult r = run_program(row.exe, dir.path(), row.args);
        EXPECT_EQ(r.status, 2) << row.message;
        EXPECT_EQ(r.err.substr(0, r.err.find("\nUsage: ")), row.message);
        EXPECT_FALSE(file_exists(dir / "TOLVEX.LOG") || file_exists(dir / "RENVAL.LOG")) << row.message;
        if (usage.empty()) usage = r.err;
    }
    // The usage (that of --help) names every option of the table.
    for (int k = 0; k < kTolvexOptionCount; ++k)
        EXPECT_NE(usage.find(std::string(" ") + kTolvexOptions[k].name + " "), std::string::npos)
            << kTolvexOptions[k].name;
}

// --weekday source on an actual leap year's E/E file: the weekday of its 1 January,
// told by a NOTE after the control file's echo.  (The rule itself: SourceHead's tests.)
TEST(TolvexRun, WeekdayTakenFromTheSource) {
    TempDir dir;
    write_epw_file(dir / "a.epw", marked_year(true));
    const RunResult r = run_program(TOLVEX_EXE, dir.path(),
                                    {"--type", "E/E", "--source", "a.epw", "--output", "out.wth",
                                     "--period", "1/1-1/1", "--weekday", "source"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string log = read_file(dir / "TOLVEX.LOG");
    const size_t note = log.find("\n01/01 01/01\nNOTE  (file Tolvex, line ");
    EXPECT_EQ(log.find("\n Weekday of 1 January: 1, from the year 2012 of every record; 29 February "
                       "is left out, so from 1 March the weekdays are one day behind 2012's calendar\n"),
              log.find('\n', note + 13)) << log.substr(0, 1000);
    EXPECT_EQ(split_lines(read_file(dir / "out.wth"))[5].substr(0, 5), "1/1\t1");
}
