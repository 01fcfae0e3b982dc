// Every buffer limit of both converters, run as whole programs: a line, token, path,
// name, field or prompt answer that just fits is taken whole, and one character more
// ends the run with FATAL "Buffer overflow: " and what was read, never with a value
// cut short or a crash.  Then the paths built beside an executable in a very long
// folder.
#include <gtest/gtest.h>

#include "support.h"

#include <algorithm>
#include <cstring>
#include <utility>


namespace {

std::string chars(size_t n, char c) { return std::string(n, c); }

// What a run that overflowed writes to the standard error stream: `read` cut at the
// program's message limit (255 characters in tolvex, 127 in renval, counting the
// message's leading blank).
std::string overflow(const char *exe, const std::string &read) {
    const size_t limit = std::string(exe) == TOLVEX_EXE ? 255 : 127;
    const std::string label = "Buffer overflow: ";
    return "FATAL " + label + read.substr(0, limit - 1 - label.size()) + "\n";
}

// A tolvex control file (CR LF ends) for 1/2.
std::string tolvex_control(const std::string &description, const std::string &type = "TEMPLATE",
                           const std::string &source = "source", const std::string &weekday = "1") {
    return description + "\r\n" + source + "\r\n" + type + "\r\nout.wth\r\n1/2 1/2\r\n" + weekday +
           "\r\n 0 \r\n01/01 01/01\r\n";
}

// A 1.0 file of one day with one species; `tail` ends the first time-point line,
// "0 " + kPointHead + tail.
const std::string kPointHead = "273.15 101325 1 1 1 1 260 ";
std::string old_file(const std::string &title = "Title", const std::string &first = "1",
                     const std::string &name = "CO2", const std::string &tail = "0 0 0.001") {
    return title + "\n1\n" + name + "\n" + first + " 1\n1 0 0 1 1 0 283.15\n" + "0 " +
           kPointHead + tail + "\n86400 " + kPointHead + "0 0 0.001\n";
}

// The lines of a synthetic source holding the records of 1/1 and 1/2.
std::vector<std::string> two_days(bool epw, bool crlf = false) {
    std::vector<GenHour> hours = marked_year();
    hours.resize(48);
    return source_lines(epw, hours, crlf);
}

// The EPW source with line `line` (0-based) replaced by `text`, or, with `field` > 0,
// field `field` (1-based) of that line.
std::string epw_with(size_t line, const std::string &text, int field = 0) {
    std::vector<std::string> lines = two_days(true);
    std::string &l = lines[line];
    if (field == 0) {
        l = text;
    } else {
        size_t start = 0;
        for (int f = 1; f < field; ++f) start = l.find(',', start) + 1;
        l.replace(start, l.find(',', start) - start, text);
    }
    return join_lines(lines);
}

std::string tmy2_with_header(const std::string &header) {
    std::vector<std::string> lines = two_days(false, true);
    lines[0] = header + "\r";
    return join_lines(lines);
}

using Files = std::vector<std::pair<std::string, std::string>>;  // name (may hold a folder), text

struct Row {
    const char *what;
    const char *exe;
    Files files;
    std::vector<std::string> args;
    std::string input;  // the standard input
    int status;
    std::string err;         // the whole standard error stream
    std::string holds = "";  // text that out.wth or new.wth holds after a success
};

}  // namespace

TEST(Limits, EachBufferTakesItsLongestValueWholeAndRefusesOneCharacterMore) {
    const char *T = TOLVEX_EXE, *R = RENVAL_EXE;
    const std::string d254 = chars(254, 'd'), d255 = chars(255, 'd');
    const std::string path255 = chars(251, 'p') + ".dat";       // 255 characters
    const std::string path256 = "q/" + chars(250, 'p') + ".dat";  // 256 characters
    // The first pass of renval skips a time-point line after its time: 126 characters fit.
    const std::string tail126 = "0 0 0.001 !" + chars(126 - kPointHead.size() - 11, 'c');
    const std::string tail127 = tail126 + "c";
    const std::string jan2 = "\r\n1/2\t2\t2\t0\t283.15\r\n";  // the day line of a run
    const std::string end2 = "\r\n1/2\t24:00:00\t", end1 = "\r\n1/1\t24:00:00\t";
    const std::string prompt = "Enter data file name:  ";
    const std::string prompt1 = "Enter name of old weather file:  ";
    const std::string prompts = prompt1 + "Enter name of new weather file:  "
                                          "Enter name of contaminant file:  ";
    auto tolvex = [](const std::string &control) { return Files{{"data.dat", control}}; };
    auto weekday = [](const std::string &token) {
        return Files{{"data.dat", tolvex_control("T", "TEMPLATE", "s", token)}};
    };
    auto ee = [](const std::string &source) {
        return Files{{"data.dat", tolvex_control("T", "E/E")}, {"source", source}};
    };
    auto tmy2 = [](const std::string &header) {
        return Files{{"data.dat", tolvex_control("T", "TMY2")},
                     {"source", tmy2_with_header(header)}};
    };
    auto renval = [](const std::string &old, const std::string &description = "") {
        return Files{{"data.dat", "old.wth\nnew.wth\nnew.ctm\n" + description + "\n"},
                     {"old.wth", old}};
    };
    const std::vector<std::string> data = {"data.dat"};
    const Row rows[] = {
        // tolvex: the control file's lines and tokens, its path as argument or answer
        {"tolvex line 254", T, tolvex(tolvex_control(d254)), data, "", 0, "", d254 + "\r\n"},
        {"tolvex line 255", T, tolvex(tolvex_control(d255)), data, "", 1, overflow(T, d255)},
        {"tolvex token 255", T, weekday(chars(254, '0') + "1"), data, "", 0, "", jan2},
        {"tolvex token 256", T, weekday(chars(255, '0') + "1"), data, "", 1,
         overflow(T, chars(255, '0'))},
        {"tolvex argument 255", T, {{path255, tolvex_control("T")}}, {path255}, "", 0, "", jan2},
        {"tolvex argument 256", T, {{path256, tolvex_control("T")}}, {path256}, "", 1,
         overflow(T, path256)},
        {"tolvex answer 255 CR LF", T, {{path255, tolvex_control("T")}}, {}, path255 + "\r\n", 0,
         prompt, jan2},
        {"tolvex answer 256", T, {}, {}, path256 + "\n", 1, prompt + overflow(T, path256)},
        // tolvex: E/E header lines and record fields, the TMY2 header
        {"E/E first header line 254", T, ee(epw_with(0, d254)), data, "", 0, "", end2},
        {"E/E first header line 255", T, ee(epw_with(0, d255)), data, "", 1, overflow(T, d255)},
        {"E/E header line 1022", T, ee(epw_with(1, chars(1022, 'h'))), data, "", 0, "", end2},
        {"E/E header line 1023", T, ee(epw_with(1, chars(1023, 'h'))), data, "", 1,
         overflow(T, chars(1023, 'h'))},
        {"E/E number field 255", T, ee(epw_with(8 + 24, chars(254, '0') + "5", 7)), data, "", 0, "",
         "\r\n1/2\t01:00:00\t278.15\t"},
        {"E/E number field 256", T, ee(epw_with(8 + 24, chars(255, '0') + "5", 7)), data, "", 1,
         overflow(T, chars(255, '0'))},
        {"E/E text field 255", T, ee(epw_with(8 + 24, "9" + chars(254, '1'), 28)), data, "", 0, "",
         end2},
        {"E/E text field 256", T, ee(epw_with(8 + 24, "9" + chars(255, '1'), 28)), data, "", 1,
         overflow(T, "9" + chars(254, '1'))},
        {"TMY2 header 255 CR LF", T, tmy2(chars(255, 'x')), data, "", 0, "", end2},
        {"TMY2 header 256", T, tmy2(chars(256, 'x')), data, "", 1, overflow(T, chars(255, 'x'))},
        // renval: the control file, the 1.0 file, the answers to its prompts
        {"renval line 254", R, renval(old_file(), d254), data, "", 0, "", "\r\n" + d254 + "\r\n"},
        {"renval line 255", R, renval(old_file(), d255), data, "", 1, overflow(R, d255)},
        {"1.0 title 254", R, renval(old_file(d254)), data, "", 0, "", "\r\n" + d254 + "\r\n"},
        {"1.0 title 255", R, renval(old_file(d255)), data, "", 1, overflow(R, d255)},
        {"1.0 token 127", R, renval(old_file("T", chars(126, '0') + "1")), data, "", 0, "", end1},
        {"1.0 token 128", R, renval(old_file("T", chars(127, '0') + "1")), data, "", 1,
         overflow(R, chars(127, '0'))},
        {"species name 13", R, renval(old_file("T", "1", chars(13, 'N'))), data, "", 0, "", end1},
        {"rest of a line 126", R, renval(old_file("T", "1", "CO2", tail126)), data, "", 0, "",
         end1},
        {"rest of a line 127", R, renval(old_file("T", "1", "CO2", tail127)), data, "", 1,
         overflow(R, kPointHead + tail127)},
        {"renval argument 256", R,  // renval takes the path as it stands
         {{path256, "old.wth\nnew.wth\nnew.ctm\n\n"}, {"old.wth", old_file()}}, {path256}, "", 0,
         "", end1},
        {"renval answers 255 CR LF", R, {{path255, old_file()}}, {},
         path255 + "\r\nnew.wth\r\nnew.ctm\r\n", 0, prompts, end1},
        {"renval answer 256", R, {}, {}, path256 + "\nnew.wth\nnew.ctm\n", 1,
         prompt1 + overflow(R, path256)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        ASSERT_EQ(system(("mkdir '" + (dir / "q") + "'").c_str()), 0);
        for (const auto &file : row.files) write_file(dir / file.first, file.second);
        RunResult r = run_program(row.exe, dir.path(), row.args, row.input);
        EXPECT_EQ(r.status, row.status);
        EXPECT_EQ(r.err, row.err);
        const bool is_tolvex = row.exe == std::string(TOLVEX_EXE);
        const std::string out = read_file(dir / (is_tolvex ? "out.wth" : "new.wth"));
        if (row.status == 0) {
            EXPECT_NE(out.find(row.holds), std::string::npos) << out.substr(0, 600);
        } else if (!is_tolvex) {
            EXPECT_EQ(out, "");  // renval writes its destination last
        }
    }
}

// The log (and renval's work file) lies beside the executable.  A path that does not fit
// ends the run: with exit status 1 and a FATAL on the standard error stream when the log
// cannot be placed, with a FATAL in the log too when the work file cannot.  The executable's own path is 6 characters
// longer than its folder's; the names beside it 10 (log) and 11 (work file).
TEST(Limits, PathsBesideAnExecutableInAVeryLongFolder) {
    TempDir base;
    if (base.path().size() > 200) GTEST_SKIP() << "temporary folder too deep: " << base.path();
    const struct {
        size_t folder;  // characters of the folder's path, without a trailing "/"
        int tolvex, renval;  // exit status
        bool logs;           // each run wrote its log beside itself
        const char *tolvex_err, *renval_err;  // how the standard error stream begins
    } rows[] = {
        {243, 0, 0, true, "", ""},  // the work file's path has 255 characters
        {244, 0, 1, true, "", "FATAL Could not open temporary file: "},
        // the logs' paths have 256 characters
        {245, 1, 1, false, "FATAL Path is too long: ", "FATAL Path is too long: "},
        // the executables' paths have 256 characters
        {249, 1, 1, false, "FATAL Path is too long: ", "FATAL Path is too long: "},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.folder);
        // Folders of at most 200 characters each, down to the length asked for.
        std::string folder = base.path();
        while (folder.size() < row.folder) {
            size_t n = std::min<size_t>(200, row.folder - folder.size() - 1);
            folder += "/" + chars(n, 'f');
            ASSERT_EQ(system(("mkdir '" + folder + "'").c_str()), 0);
        }
        ASSERT_EQ(folder.size(), row.folder);
        write_file(folder + "/data.dat", tolvex_control("T"));
        write_file(folder + "/r.dat", "old.wth\nnew.wth\nnew.ctm\n\n");
        write_file(folder + "/old.wth", old_file());

        RunResult t = run_program(TOLVEX_EXE, folder, {"data.dat"});
        EXPECT_EQ(t.status, row.tolvex);
        EXPECT_EQ(t.err.substr(0, strlen(row.tolvex_err)), row.tolvex_err);
        EXPECT_EQ(t.err.empty(), !*row.tolvex_err);
        EXPECT_EQ(file_exists(folder + "/TOLVEX.LOG"), row.logs);
        EXPECT_EQ(file_exists(folder + "/out.wth"), row.tolvex == 0);

        RunResult r = run_program(RENVAL_EXE, folder, {"r.dat"});
        EXPECT_EQ(r.status, row.renval);
        EXPECT_EQ(r.err.substr(0, strlen(row.renval_err)), row.renval_err);
        EXPECT_EQ(file_exists(folder + "/RENVAL.LOG"), row.logs);
        EXPECT_EQ(file_exists(folder + "/WEATHER.TMP"), row.renval == 0);
        EXPECT_EQ(file_exists(folder + "/new.wth"), row.renval == 0);
        ASSERT_EQ(system(("rm -rf '" + base.path() + "'/*").c_str()), 0);
    }
}
