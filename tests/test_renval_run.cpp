// renval as a whole program: the upgrade of 1.0 files, the species file, the work file
// and every way a run can stop.
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

#include "MoistAir.h"
#include "RenvalOptions.h"
#include "support.h"

namespace {

const std::string kHandDir = std::string(TESTS_DIR) + "/data/";

std::string control_file(const std::string &old_path, const std::string &description = "") {
    return old_path + "\r\nnew.wth\r\nnew.ctm\r\n" + description + "\r\n";
}

// A 1.0 file of hourly data: `species` names (may be empty), days first..last.
std::string old_file(const std::string &species, int first, int last, float conc = 0.001f) {
    int n = 0;
    for (size_t p = 0; (p = species.find_first_not_of(' ', p)) != std::string::npos;
         p = species.find(' ', p))
        ++n;
    std::string text = "Generated 1.0 file\n" + std::to_string(n) + "\n" + species + "\n" +
                       std::to_string(first) + " " + std::to_string(last) + "\n";
    char line[256];
    for (int day = first;; day = day % 365 + 1) {
        snprintf(line, sizeof line, "%d 0 0 %d %d 0 283.15\n", day, day % 7 + 1, day % 7 + 1);
        text += line;
        for (int t = 0; t <= 86400; t += 3600) {
            snprintf(line, sizeof line, "%d %.2f 101325 3.5 %d 100 50 260 0 1", t,
                     273.15 + (t / 3600) * 0.5, t / 3600 * 10);
            text += line;
            for (int i = 0; i < n; ++i) {
                snprintf(line, sizeof line, " %g", conc * (i + 1));
                text += line;
            }
            text += "\n";
        }
        if (day == last) break;
    }
    return text;
}

struct Upgrade {
    TempDir dir;
    RunResult result;
    std::string log() const { return read_file(dir / "RENVAL.LOG"); }
    std::string wth() const { return read_file(dir / "new.wth"); }
    std::string ctm() const { return read_file(dir / "new.ctm"); }

    explicit Upgrade(const std::string &old_text, const std::string &control = control_file("old.wth")) {
        write_file(dir / "old.wth", old_text);
        write_file(dir / "data.dat", control);
        result = run_program(RENVAL_EXE, dir.path(), {"data.dat"});
    }
};


}  // namespace

TEST(RenvalRun, UpgradeMatchesHandWrittenFilesByteForByte) {
    Upgrade run(read_file(kHandDir + "upgrade_10.wth"));
    ASSERT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_EQ(run.wth(), read_file(kHandDir + "upgrade.wth"));
    EXPECT_EQ(run.ctm(), read_file(kHandDir + "upgrade.ctm"));

    std::string log = run.log();
    for (const char *expected :
         {"old weather file:  old.wth\nnew weather file:  new.wth\ncontaminant file:  new.ctm\n"
          "\nReading weather file: old.wth\nalc_e    12 bytes at [",
          "] for: cdat\nalc_e    24 bytes at [", "] for: names\nalc_e    42 bytes at [",
          "file_copy\n  from ", "/WEATHER.TMP\n  to new.wth\nalc_e  5120 bytes at [",
          "] for: fbuff\nalc_e  5120 bytes at [", "] for: tbuff\nfre_e  5120 bytes at [",
          "] for: fbuff\nThe heap is empty.\nHeap: loc, size, used?\nFinal \n"})
        EXPECT_NE(log.find(expected), std::string::npos) << expected << "\n---\n" << log;
}

TEST(RenvalRun, HumidityFromH2OOrFromHalfSaturation) {
    // No species: no species file, not even over an older one; Hr at 50 % RH.
    Upgrade none(old_file("", 1, 1));
    ASSERT_EQ(none.result.status, 0) << none.result.err;
    EXPECT_FALSE(file_exists(none.dir / "new.ctm"));
    write_file(none.dir / "new.ctm", "older species file");
    ASSERT_EQ(run_program(RENVAL_EXE, none.dir.path(), {"data.dat"}).status, 0);
    EXPECT_EQ(read_file(none.dir / "new.ctm"), "older species file");
    char expected[32];
    snprintf(expected, sizeof expected, "%.3f",
             (double)(1000.0L * humidity_ratio_rh(273.15f, 0.5f, 101325.0f)));
    std::string first = time_point_lines(none.wth())[0];
    EXPECT_NE(first.find(std::string("\t") + expected + "\t"), std::string::npos) << first;

    // "h2o" is not water vapour.
    Upgrade lower(old_file("h2o", 1, 1));
    EXPECT_EQ(time_point_lines(lower.wth())[0], first);

    // An H2O mass fraction of 0.01 gives 1000 x / (1 - x) = 10.101 g/kg.
    Upgrade water(old_file("CO2 H2O SF6", 1, 1, 0.005f));
    EXPECT_NE(time_point_lines(water.wth())[0].find("\t10.101\t"), std::string::npos);
    std::vector<std::string> ctm = split_lines(water.ctm());
    EXPECT_EQ(ctm[4], "3\t!number of species\r");
    EXPECT_EQ(ctm[8], "!Date\tTime\tCO2\tH2O\tSF6\r");
    EXPECT_EQ(ctm[9], "1/1\t00:00:00\t0.005\t0.01\t0.015\r");
}

TEST(RenvalRun, DaysOverTheYearEndKeepOnlyTheFirstMidnight) {
    Upgrade run(old_file("CO2", 364, 2));
    ASSERT_EQ(run.result.status, 0) << run.result.err;
    std::vector<std::string> points = time_point_lines(run.wth());
    ASSERT_EQ(points.size(), 1u + 24 * 4);
    EXPECT_EQ(points[0].substr(0, 15), "12/30\t00:00:00\t");
    EXPECT_EQ(points[24].substr(0, 15), "12/30\t24:00:00\t");
    EXPECT_EQ(points[25].substr(0, 15), "12/31\t01:00:00\t");
    EXPECT_EQ(points[49].substr(0, 13), "1/1\t01:00:00\t");
    EXPECT_EQ(points.back().substr(0, 13), "1/2\t24:00:00\t");
    // The species file has the same time points in the same order.
    std::vector<std::string> species = time_point_lines(run.ctm());
    ASSERT_EQ(species.size(), points.size());
    for (size_t i = 0; i < points.size(); ++i)
        EXPECT_EQ(species[i].substr(0, species[i].find('\t', 6)), points[i].substr(0, points[i].find('\t', 6)));
    std::vector<std::string> days = split_lines(run.wth());
    EXPECT_EQ(days[5], "12/30\t1\t1\t0\t283.15\r");
    EXPECT_EQ(days[8], "1/2\t3\t3\t0\t283.15\r");
}

TEST(RenvalRun, DescriptionAndPaths) {
    // The control file's description wins over the title; the new path may be the old.
    TempDir dir;
    write_file(dir / "w.wth", old_file("", 5, 5));
    write_file(dir / "data.dat", "w.wth\nw.wth\nw.ctm\nMy description");
    RunResult r = run_program(RENVAL_EXE, dir.path(), {"data.dat"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> lines = split_lines(read_file(dir / "w.wth"));
    EXPECT_EQ(lines[0], "WeatherFile Ventora 2.0\r");
    EXPECT_EQ(lines[1], "My description\r");
    EXPECT_EQ(time_point_lines(read_file(dir / "w.wth")).size(), 25u);
}

TEST(RenvalRun, PromptsForThreePathsWithoutArguments) {
    TempDir dir;
    write_file(dir / "old.wth", old_file("", 1, 1));
    RunResult r = run_program(RENVAL_EXE, dir.path(), {}, "old.wth\nnew.wth\nnew.ctm\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "Enter name of old weather file:  Enter name of new weather file:  "
                     "Enter name of contaminant file:  ");
    EXPECT_EQ(split_lines(read_file(dir / "new.wth"))[1], "Generated 1.0 file\r");
}

TEST(RenvalRun, FailuresEndWithStatusOneAndTheirMessage) {
    std::string good = old_file("CO2", 1, 2);
    auto replace = [&](const std::string &from, const std::string &to) {
        std::string t = good;
        return t.replace(t.find(from), from.size(), to);
    };
    struct Row {
        const char *what;
        std::string old_text, control;
        const char *message;
    } rows[] = {
        {"no 1.0 file", good, control_file("missing.wth"),
         "FATAL  Could not open file: missing.wth: No such file or directory\n"},
        {"short control file", good, "old.wth\r\nnew.wth\r\n",
         "FATAL End of file: the control file has no line 3 (the species file)\n"},
        {"1.0 file ends early", good.substr(0, good.size() / 2), control_file("old.wth"),
         "FATAL End of file\n"},
        {"a 2.0 file to upgrade", "WeatherFile Ventora 2.0\r\nx\r\n1/1\t!start-of-file date\r\n",
         control_file("old.wth"), "FATAL Already a weather file 2.0: old.wth\n"},
        {"bad count", replace("\n1\nCO2", "\nx\nCO2"), control_file("old.wth"),
         "ERROR Bad integer: x\nERROR Bad integer: CO2\nFATAL Run terminated because of input errors\n"},
        {"bad day line", replace("283.15", "warm"), control_file("old.wth"),
         "ERROR Bad float value: warm\nFATAL Run terminated because of input errors\n"},
        {"bad time point", replace("101325", "1e999"), control_file("old.wth"),
         "ERROR Bad float value: 1e999\nFATAL Run terminated because of input errors\n"},
        {"time beyond the day", replace("\n3600 ", "\n90000 "), control_file("old.wth"),
         "FATAL invalid time \n"},
        {"all water: x / (1 - x) traps", old_file("H2O", 1, 2, 1.0f), control_file("old.wth"),
         "FATAL Floating-point divide by zero\n"},
        {"error on the last line", good.substr(0, good.size() - 2) + "x\n", control_file("old.wth"),
         "ERROR Bad float value: 0.00x\nFATAL Error during conversion, call Pellimor\n"},
        {"negative count", replace("\n1\nCO2", "\n-2\nCO2"), control_file("old.wth"),
         "FATAL Max index(-2) < min index(1): cdat\n"},
        {"long name", replace("\n1\nCO2", "\n1\nABCDEFGHIJKLMN"), control_file("old.wth"),
         "FATAL Buffer overflow: ABCDEFGHIJKLM\n"},
        {"species file", good, "old.wth\nnew.wth\nmissing/new.ctm\n\n",
         "FATAL Could not open contaminant file: missing/new.ctm\n"},
        // Outputs that are inputs or the work file, however spelt.
        {"species is old", good, "old.wth\nnew.wth\n./old.wth\n\n",
         "FATAL Species file is the old weather file: ./old.wth\n"},
        {"species is new", good, "old.wth\nnew.wth\nnew.wth\n\n",
         "FATAL Species file is the new weather file: new.wth\n"},
        {"species is new, both absent", good, "old.wth\nx.wth\n./x.wth\n\n",
         "FATAL Species file is the new weather file: ./x.wth\n"},
        {"new is work", good, "old.wth\nWEATHER.TMP\nnew.ctm\n\n",
         "FATAL New weather file is the work file: WEATHER.TMP\n"},
        {"old is work", good, "./WEATHER.TMP\nnew.wth\nnew.ctm\n\n",
         "FATAL Old weather file is the work file: ./WEATHER.TMP\n"},
    };
    for (const Row &row : rows) {
        TempDir dir;
        write_file(dir / "old.wth", row.old_text);
        write_file(dir / "new.wth", "older file");
        write_file(dir / "new.ctm", "older species");
        write_file(dir / "data.dat", row.control);
        RunResult r = run_program(RENVAL_EXE, dir.path(), {"data.dat"});
        EXPECT_EQ(r.status, 1) << row.what;
        EXPECT_EQ(r.err, row.message) << row.what;
        EXPECT_EQ(read_file(dir / "old.wth"), row.old_text) << row.what;
        EXPECT_EQ(read_file(dir / "new.wth"), "older file") << row.what;
        EXPECT_EQ(read_file(dir / "new.ctm"), "older species") << row.what;
        EXPECT_FALSE(file_exists(dir / "x.wth")) << row.what;
        EXPECT_EQ(hidden_files(dir.path()), "") << row.what;
        EXPECT_EQ(read_file(dir / "RENVAL.LOG").find("Final"), std::string::npos) << row.what;
    }
}

TEST(RenvalRun, UncreatableWorkFileEndsTheRun) {
    TempDir dir;
    write_file(dir / "old.wth", old_file("", 1, 1));
    write_file(dir / "data.dat", control_file("old.wth"));
    ASSERT_EQ(system(("mkdir '" + (dir / "WEATHER.TMP") + "'").c_str()), 0);
    RunResult r = run_program(RENVAL_EXE, dir.path(), {"data.dat"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "FATAL Work file is not a regular file: " + dir.path() + "/WEATHER.TMP\n");
    EXPECT_FALSE(file_exists(dir / "new.wth"));
}

TEST(RenvalRun, TwoRunsAtOnceEachGetTheirOwnConversion) {
    // Both runs share the work file beside the program; each destination must hold
    // exactly its own conversion.
    TempDir dir;
    write_file(dir / "a.wth", old_file("CO2", 1, 365, 0.001f));
    write_file(dir / "b.wth", old_file("H2O SF6", 100, 99, 0.002f));
    write_file(dir / "a.dat", "a.wth\na.new\na.ctm\n\n");
    write_file(dir / "b.dat", "b.wth\nb.new\nb.ctm\n\n");
    ASSERT_EQ(run_program(RENVAL_EXE, dir.path(), {"a.dat"}).status, 0);
    ASSERT_EQ(run_program(RENVAL_EXE, dir.path(), {"b.dat"}).status, 0);
    std::string a = read_file(dir / "a.new"), b = read_file(dir / "b.new");
    ASSERT_NE(a, b);
    for (int round = 0; round < 3; ++round) {
        std::string cmd = "cd '" + dir.path() + "' && rm -f a.new b.new && "
                          "(./renval a.dat 2>/dev/null & ./renval b.dat 2>/dev/null & wait)";
        ASSERT_EQ(system(cmd.c_str()), 0);
        EXPECT_EQ(read_file(dir / "a.new"), a) << round;
        EXPECT_EQ(read_file(dir / "b.new"), b) << round;
        // The log holds one run, whole: the waiting run emptied it only once it ran.
        std::string log = read_file(dir / "RENVAL.LOG");
        EXPECT_EQ(log.find("Program:"), log.rfind("Program:")) << round;
        EXPECT_EQ(log.substr(log.size() - 8), "\nFinal \n") << round;
    }
}

TEST(RenvalRun, AWriteThatFailsIsNeverASuccess) {
    // Full devices as destinations: written directly, as there is nothing to replace.
    for (const char *control : {"old.wth\n/dev/full\nnew.ctm\n\n", "old.wth\nnew.wth\n/dev/full\n\n"}) {
        TempDir dir;
        write_file(dir / "old.wth", old_file("CO2", 1, 3));
        write_file(dir / "data.dat", control);
        RunResult r = run_program(RENVAL_EXE, dir.path(), {"data.dat"});
        EXPECT_EQ(r.status, 1) << control;
        EXPECT_EQ(r.err, "FATAL Could not write file: /dev/full: No space left on device\n") << control;
        EXPECT_FALSE(file_exists(dir / "new.wth")) << control;
        EXPECT_FALSE(file_exists(dir / "new.ctm")) << control;
    }
}

// Whichever file operation, allocation or read fails, the run ends with a FATAL that
// names it and leaves both destinations as they were, or succeeds; no temporary file
// is left behind.
TEST(RenvalRun, AFailingFileOperationNeverLeavesAPartialFile) {
    TempDir dir;
    write_file(dir / "old.wth", old_file("CO2 H2O", 1, 1));
    write_file(dir / "data.dat", control_file("old.wth"));
    ASSERT_EQ(run_program(RENVAL_EXE, dir.path(), {"data.dat"}).status, 0);
    const std::string wth = read_file(dir / "new.wth"), ctm = read_file(dir / "new.ctm");
    auto older = [&] {
        write_file(dir / "new.wth", "older file");
        write_file(dir / "new.ctm", "older species");
    };
    std::string failures;  // the messages of the failed runs
    int n = run_with_faults(RENVAL_FAULTS_EXE, dir.path(), {"data.dat"}, older,
                            [&](int k, const RunResult &r) {
        bool untouched = read_file(dir / "new.wth") == "older file" &&
                         read_file(dir / "new.ctm") == "older species";
        if (r.status == 0) {
            EXPECT_EQ(read_file(dir / "new.wth"), wth) << k;
            EXPECT_EQ(read_file(dir / "new.ctm"), ctm) << k;
        } else {
            EXPECT_EQ(r.status, 1) << k;
            EXPECT_EQ(r.err.rfind("FATAL ", 0), 0u) << k << r.err;
            EXPECT_TRUE(untouched) << k;
            failures += r.err;
        }
        EXPECT_EQ(hidden_files(dir.path()), "") << k;
    });
    EXPECT_GT(n, 90);  // every write of both files and the copy was made to fail
    for (const char *kind : {"FATAL  Could not open file: data.dat: Input/output error\n",
                             "FATAL Could not read file: old.wth: Input/output error\n",
                             "FATAL Insufficient memory to allocate: names\n",
                             "FATAL Insufficient memory to allocate: fbuff\n"})
        EXPECT_NE(failures.find(kind), std::string::npos) << kind;
}

// The options stand for the control file with their values; without --species the
// species file is the new file's name with the extension .ctm.
TEST(RenvalRun, OptionsRunAsTheControlFileWithTheirValues) {
    auto old = [](const TempDir &d) { write_file(d / "old.wth", old_file("CO2 H2O", 365, 1)); };
    const struct {
        std::vector<std::string> options;
        std::string control;
        int status;
    } rows[] = {
        {{"--old", "old.wth", "--new", "new.wth"}, "old.wth\r\nnew.wth\r\nnew.ctm\r\n\r\n", 0},
        {{"--new=new.wth", "--old=old.wth", "--species", "s.ctm", "--description", " Mine ", "-d"},
         "old.wth\r\nnew.wth\r\ns.ctm\r\n Mine \r\n", 0},
        {{"--old", "missing.wth", "--new", "new.wth"}, "missing.wth\r\nnew.wth\r\nnew.ctm\r\n\r\n", 1},
        {{"--old", "old.wth", "--new", "new.wth", "--species", "old.wth"},
         "old.wth\r\nnew.wth\r\nold.wth\r\n\r\n", 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.control);
        const RunPair runs = compare_runs(RENVAL_EXE, old, row.control, row.options,
                                          {"RENVAL.LOG", "new.wth", "new.ctm", "s.ctm", "old.wth"});
        EXPECT_EQ(runs.status, row.status);
        EXPECT_EQ(runs.differences, "");
    }
    const std::pair<const char *, const char *> species[] = {
        {"new.wth", "new.ctm"},         {"new", "new.ctm"},         {"a.d/new", "a.d/new.ctm"},
        {"a.b.wth", "a.b.ctm"},         {".wth", ".wth.ctm"},       {"d/.new.wth", "d/.new.ctm"},
    };
    for (const auto &[path, expected] : species) EXPECT_EQ(default_species_path(path), expected);
}
