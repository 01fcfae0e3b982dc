// Every way a TMY2 or E/E source can end the run: the built tolvex is run on a spoilt
// synthetic source and must end with exit status 1, the message in the log, and no
// destination: what was written before the fault is never put in its place.
#include <gtest/gtest.h>

#include "support.h"


namespace {

enum Kind { kTmy2, kEpw };

// The year with record `index` (0 = 1/1 hour 1) changed: EPW field `where` (1-based)
// replaced by `value`, or TMY2 columns from `where` (1-based) overwritten by it.
std::string spoilt(Kind kind, int index, int where, const std::string &value) {
    std::vector<std::string> lines = source_lines(kind == kEpw, marked_year());
    spoil(kind == kEpw, lines[(kind == kTmy2 ? 1 : 8) + index], where, value);
    return join_lines(lines);
}

// The year without `count` records from record `index` on.
std::string without(Kind kind, int index, int count) {
    std::vector<std::string> lines = source_lines(kind == kEpw, marked_year());
    auto first = lines.begin() + (kind == kTmy2 ? 1 : 8) + index;
    lines.erase(first, first + count);
    return join_lines(lines);
}

// The year with hours numbered 0-23, or with no valid dew point at all.
std::string hours_from_zero(Kind kind) {
    std::vector<GenHour> year = marked_year();
    for (GenHour &g : year) --g.hour;
    return join_lines(source_lines(kind == kEpw, year));
}
std::string no_dew_point(Kind kind) {
    std::vector<std::string> lines = source_lines(kind == kEpw, marked_year());
    for (size_t i = kind == kTmy2 ? 1 : 8; i < lines.size(); ++i)
        spoil(kind == kEpw, lines[i], kind == kTmy2 ? 74 : 8, kind == kTmy2 ? "9999" : "99.9");
    return join_lines(lines);
}

// The year cut after its first `records` records.
std::string cut(Kind kind, int records) {
    std::vector<std::string> lines = source_lines(kind == kEpw, marked_year());
    lines.resize((kind == kTmy2 ? 1 : 8) + records);
    return join_lines(lines);
}

constexpr int kJan2 = 24;  // index of 1/2 hour 1

// The TMY2 year with a dew point missing on 1/2 and a dry bulb of the last record that
// reads as "nan".
std::string missing_and_nan() {
    std::vector<std::string> lines = source_lines(false, marked_year());
    spoil(false, lines[1 + kJan2 + 2], 74, "9999");
    spoil(false, lines.back(), 68, " nan");
    return join_lines(lines);
}

struct Case {
    const char *name;
    Kind kind;
    std::string source;  // text of the source; empty: no source file at all
    const char *dates;
    const char *message;  // the text of a message in the log, as reported
};

}  // namespace

TEST(ImportFailures, EndTheRunWithStatusOneAndNoDestination) {
    const std::string year_tmy2 = join_lines(source_lines(false, marked_year()));
    const Case cases[] = {
        {"tmy2 missing", kTmy2, "", "1/1 1/1", " Failed to open source: No such file or directory"},
        {"epw missing", kEpw, "", "1/1 1/1", " Could not open file: source: No such file or directory"},
        {"tmy2 extra line", kTmy2, "extra line\n" + year_tmy2, "1/1 1/1",
         " Wrong file format: source"},
        {"tmy2 ends at 1/31 (positioning)", kTmy2, cut(kTmy2, 744), "1/1 1/1",
         " End-of-File encountered: a TMY2 year has 8760 records, source has 744"},
        {"tmy2 ends at 1/31 (day loop)", kTmy2, cut(kTmy2, 744), "1/30 2/2",
         " End-of-File encountered: a TMY2 year has 8760 records, source has 744"},
        {"tmy2 ends inside a record", kTmy2, cut(kTmy2, 48).substr(0, 60 + 143 * 47 + 100),
         "1/2 1/2", " End-of-File encountered: a TMY2 year has 8760 records, source has 48"},
        {"epw search reaches the end", kEpw, cut(kEpw, 744), "3/1 3/1",
         " End-of-File encountered"},
        {"epw ends before the last record", kEpw, cut(kEpw, 744), "1/30 2/2",
         "Run terminated because of input errors"},
        {"epw bad float", kEpw, spoilt(kEpw, kJan2 + 2, 7, "2.5x"), "1/2 1/2",
         "Bad float value: 2.5x"},
        {"epw empty float field", kEpw, spoilt(kEpw, kJan2 + 2, 8, ""), "1/2 1/2",
         "Bad float value: "},
        {"epw bad integer", kEpw, spoilt(kEpw, kJan2 + 2, 23, "5a"), "1/2 1/2",
         "Bad integer: 5a"},
        {"epw bad month, fatal at the next record", kEpw, spoilt(kEpw, kJan2 + 2, 2, "13"),
         "1/2 1/2", "Invalid month number: 13"},
        {"tmy2 bad day, fatal at the next record", kTmy2, spoilt(kTmy2, kJan2 + 2, 6, "32"),
         "1/2 1/2", "Invalid day_of_month number: 32"},
        {"epw bad date in the last record read", kEpw, spoilt(kEpw, kJan2 + 23, 3, "0"),
         "1/2 1/2", "Run terminated because of input errors"},
        {"tmy2 bad date in the last record read", kTmy2, spoilt(kTmy2, kJan2 + 23, 4, "00"),
         "1/2 1/2", "Run terminated because of input errors"},
        {"epw dew point below absolute zero", kEpw, spoilt(kEpw, kJan2 + 2, 8, "-300"),
         "1/2 1/2", "Invalid floating-point operation"},
        {"epw dew point near 0 K", kEpw, spoilt(kEpw, kJan2 + 2, 8, "-273.15"), "1/2 1/2",
         "Invalid floating-point operation"},
        {"tmy2 wind direction not a number", kTmy2, spoilt(kTmy2, kJan2 + 2, 91, "nan"),
         "1/2 1/2", "Invalid floating-point operation"},
        {"tmy2 dry bulb infinite", kTmy2, spoilt(kTmy2, kJan2 + 2, 68, "-inf"), "1/2 1/2",
         "Floating-point overflow"},
        // Records out of place: the line that needs a record names both.
        {"tmy2 hour deleted", kTmy2, without(kTmy2, kJan2 + 2, 1), "1/2 1/2",
         "Record of 1/2 hour 4 found where 1/2 hour 3 was expected"},
        {"epw hour deleted", kEpw, without(kEpw, kJan2 + 2, 1), "1/2 1/2",
         "Record of 1/2 hour 4 found where 1/2 hour 3 was expected"},
        {"tmy2 day deleted", kTmy2, without(kTmy2, kJan2, 24), "1/2 1/2",
         "Record of 1/3 hour 1 found where 1/2 hour 1 was expected"},
        {"epw day deleted", kEpw, without(kEpw, kJan2, 24), "1/2 1/2",
         "Record of 1/3 hour 1 found where 1/2 hour 1 was expected"},
        {"tmy2 hours 0-23", kTmy2, hours_from_zero(kTmy2), "1/2 1/2", " Wrong file format: source"},
        {"epw hours 0-23", kEpw, hours_from_zero(kEpw), "1/2 1/2",
         "Record of 1/2 hour 0 found where 1/1 hour 24 was expected"},
        {"tmy2 no valid dew point", kTmy2, no_dew_point(kTmy2), "1/2 1/2",
         "No valid values of dew-point temperature in the source"},
        {"epw no valid dew point", kEpw, no_dew_point(kEpw), "1/2 1/2",
         "No valid values of dew-point temperature in the source"},
        // The substitutes come from the whole file, and so does its trap.
        {"tmy2 not a number after the days converted", kTmy2, missing_and_nan(), "1/2 1/2",
         "Invalid floating-point operation"},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        Conversion c;
        if (!k.source.empty()) write_file(c.dir / "source", k.source);
        convert(c, k.kind == kTmy2 ? "TMY2" : "E/E", "source", k.dates);
        EXPECT_EQ(c.result.status, 1);
        EXPECT_NE(c.log.find(std::string("\n ") + k.message + "\n"), std::string::npos)
            << c.log.substr(c.log.size() > 600 ? c.log.size() - 600 : 0);
        EXPECT_NE(c.log.find("FATAL  (file "), std::string::npos);
        EXPECT_EQ(c.log.find("Finished"), std::string::npos);
        EXPECT_FALSE(file_exists(c.dir / "out.wth"));
        EXPECT_EQ(hidden_files(c.dir.path()), "");
    }
}

// Whichever file operation of a TMY2 conversion fails, the run ends with a FATAL and
// the older destination is untouched, or the run succeeds with the whole weather file;
// no temporary file is left behind.
TEST(ImportFailures, AFailingFileOperationNeverLeavesAPartialFile) {
    Conversion good;
    write_tmy2_file(good.dir / "source", marked_year());
    convert(good, "TMY2", "source", "1/2 1/2");
    ASSERT_EQ(good.result.status, 0) << good.result.err;
    const std::string dir = good.dir.path();
    int n = run_with_faults(
        TOLVEX_FAULTS_EXE, dir, {"data.dat"}, [&] { write_file(dir + "/out.wth", "older file"); },
        [&](int k, const RunResult &r) {
            const std::string out = read_file(dir + "/out.wth");
            if (r.status == 0) {
                EXPECT_EQ(out, good.out) << k;
            } else {
                EXPECT_EQ(r.status, 1) << k;
                EXPECT_EQ(r.err.rfind("FATAL ", 0), 0u) << k << r.err;
                EXPECT_EQ(out, "older file") << k;
            }
            EXPECT_EQ(hidden_files(dir), "") << k;
        });
    EXPECT_GT(n, 25 + 6);  // every line of the file was written once with a failure
}

// A source of the other type fails, and a hint names the type it looks like: a TMY2
// file read as E/E stops at the 20th ERROR instead of one per field.
TEST(ImportFailures, ASourceOfTheOtherTypeGetsAHint) {
    for (bool epw : {false, true}) {
        Conversion c;
        write_file(c.dir / "source", join_lines(source_lines(epw, marked_year())));
        convert(c, epw ? "TMY2" : "E/E", "source", "1/2 1/2");
        EXPECT_EQ(c.result.status, 1);
        EXPECT_NE(c.result.err.find(epw ? "FATAL  Wrong file format: source\n"
                                            "hint: source looks like an E/E file, not TMY2\n"
                                        : "FATAL Run terminated because of input errors\n"
                                          "hint: source looks like a TMY2 file, not E/E\n"),
                  std::string::npos)
            << c.result.err;
        EXPECT_LT(c.result.err.size(), 2000u);
    }
}
