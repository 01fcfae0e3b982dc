// The TMY2 and E/E imports, run as the whole tolvex program on synthetic sources whose
// wind fields name their records (see support.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>

#include "support.h"

namespace {

// The day of year of the record that line `i` of a run from `start` must carry: the
// day before the start for the 00:00:00 line, else the line's own day.
int source_day(int start, size_t i) {
    if (i == 0) return start == 1 ? 365 : start - 1;
    return (start - 1 + (int)(i - 1) / 24) % 365 + 1;
}

void expect_records_in_place(const Conversion &c, int start, size_t lines) {
    ASSERT_EQ(c.result.status, 0) << c.result.err;
    ASSERT_EQ(c.points.size(), lines);
    for (size_t i = 0; i < lines; ++i) {
        const TimePointLine &p = c.points[i];
        ASSERT_EQ(p.date, expected_date(start, (int)i)) << "line " << i;
        ASSERT_EQ(p.time, expected_time((int)i)) << "line " << i;
        ASSERT_EQ(p.Wd, source_day(start, i)) << p.text;
        ASSERT_EQ(p.Ws, i == 0 ? 24 : (i - 1) % 24 + 1) << p.text;
    }
}

// Sources shared by the tests of this file, written once.
struct Sources {
    TempDir dir;
    std::string tmy2 = dir / "year.tm2", epw = dir / "year.epw";
    Sources() {
        write_tmy2_file(tmy2, marked_year());
        write_epw_file(epw, marked_year());
    }
};
const Sources &sources() {
    static Sources s;
    return s;
}

}  // namespace

TEST(Imports, FirstTimePointIsTheDayBeforeAndRecordsFollowInOrder) {
    struct Row {
        const char *type, *dates;
        int start;
        size_t lines;
    } rows[] = {
        {"TMY2", "1/1 12/31", 1, 8761},   {"TMY2", "3/1 3/2", 60, 49},
        {"TMY2", "12/1 1/31", 335, 1489}, {"E/E", "1/1 12/31", 1, 8761},
        {"E/E", "2/1 2/1", 32, 25},       {"E/E", "2/15 2/16", 46, 49},
        {"E/E", "12/15 1/15", 349, 769},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.type) + " " + row.dates);
        Conversion c;
        convert(c, row.type, row.type[0] == 'T' ? sources().tmy2 : sources().epw, row.dates);
        expect_records_in_place(c, row.start, row.lines);
    }
}

// CR LF, LF and CR alone are all line ends of a source; and no number follows the
// user's locale.
TEST(Imports, LineEndsAndLocaleOfTheRunDoNotChangeTheOutput) {
    TempDir dir;
    write_tmy2_file(dir / "crlf.tm2", marked_year(), true);
    write_epw_file(dir / "crlf.epw", marked_year(), true);
    for (const char *name : {"cr.tm2", "cr.epw"}) {
        std::string text = read_file(name[3] == 't' ? sources().tmy2 : sources().epw);
        std::replace(text.begin(), text.end(), '\n', '\r');
        write_file(dir / name, text);
    }
    const locale_t de_locale = newlocale(LC_ALL_MASK, "de_DE.UTF-8", 0);
    const bool german = de_locale != 0;
    if (german) freelocale(de_locale);
    for (const char *dates : {"1/1 12/31", "7/1 7/2"}) {
        for (bool epw : {false, true}) {
            const char *type = epw ? "E/E" : "TMY2";
            Conversion lf, crlf, cr, de;
            convert(lf, type, epw ? sources().epw : sources().tmy2, dates);
            convert(crlf, type, dir / (epw ? "crlf.epw" : "crlf.tm2"), dates);
            convert(cr, type, dir / (epw ? "cr.epw" : "cr.tm2"), dates);
            ASSERT_EQ(lf.result.status, 0) << type;
            EXPECT_EQ(lf.out, crlf.out) << dates << type;
            EXPECT_EQ(lf.out, cr.out) << dates << type << cr.result.err;
            if (!german) continue;  // scripts/setup.sh installs it
            setenv("LC_ALL", "de_DE.UTF-8", 1);
            convert(de, type, epw ? sources().epw : sources().tmy2, dates);
            unsetenv("LC_ALL");
            EXPECT_EQ(lf.out, de.out) << dates << type;
        }
    }
}

// Real actual-year EPW files hold 29 February; its records are passed over, so that the
// file gives the same days and hours as the 365-day year without them.
TEST(Imports, LeapYearEpwGivesTheDaysOfA365DayYear) {
    std::vector<GenHour> year = marked_year(), leap;
    for (GenHour g : year) {
        g.year = 2012;
        leap.push_back(g);
        if (g.month == 2 && g.day == 28 && g.hour == 24) {
            for (int h = 0; h < 24; ++h) {
                GenHour extra = leap[leap.size() - 24];
                extra.day = 29;
                extra.wind_dir = 999;
                extra.dry_bulb = 9999;  // would show as 1273.05 K
                leap.push_back(extra);
            }
        }
    }
    TempDir dir;
    write_epw_file(dir / "plain.epw", year);
    write_epw_file(dir / "leap.epw", leap);
    for (const char *dates : {"1/1 12/31", "2/28 3/1", "3/1 3/2", "12/31 3/1"}) {
        Conversion plain, with_leap;
        convert(plain, "E/E", dir / "plain.epw", dates);
        convert(with_leap, "E/E", dir / "leap.epw", dates);
        ASSERT_EQ(with_leap.result.status, 0) << dates << with_leap.result.err;
        EXPECT_EQ(plain.out, with_leap.out) << dates;
    }
    Conversion c;
    convert(c, "E/E", dir / "leap.epw", "2/28 3/1");
    EXPECT_NE(c.log.find("\n2012,2,29,1,60,"), std::string::npos);  // still echoed
}

// N keeps the last valid sky cover over records whose cover is 99 (missing) and starts
// at 0: with equal temperatures, equal sky temperatures show equal N.
TEST(Imports, MissingSkyCoverRepeatsTheLastValidOne) {
    const int covers[] = {99, 0, 5, 99, 99, 10, 99};  // 1/1 hour 24, then 1/2 hours 1-6
    std::vector<GenHour> year = marked_year();
    for (int i = 0; i < 7; ++i) {
        year[23 + i].total_cover = covers[i];
        year[23 + i].dry_bulb = 50;
        year[23 + i].dew_point = -20;
    }
    TempDir dir;
    write_tmy2_file(dir / "s.tm2", year);
    write_epw_file(dir / "s.epw", year);
    for (const char *type : {"TMY2", "E/E"}) {
        Conversion c;
        convert(c, type, dir / (type[0] == 'T' ? "s.tm2" : "s.epw"), "1/2 1/2");
        ASSERT_EQ(c.points.size(), 25u) << type;
        const std::vector<TimePointLine> &p = c.points;
        EXPECT_EQ(p[0].Ts, p[1].Ts) << type;  // no cover yet: N = 0
        EXPECT_NE(p[1].Ts, p[2].Ts) << type;
        EXPECT_EQ(p[2].Ts, p[3].Ts) << type;
        EXPECT_EQ(p[2].Ts, p[4].Ts) << type;
        EXPECT_NE(p[4].Ts, p[5].Ts) << type;
        EXPECT_EQ(p[5].Ts, p[6].Ts) << type;
    }
}

TEST(Imports, RainAndSnowFlags) {
    // TMY2: the rain digit (column 116) 0-9 and a blank; EPW: the codes field whole.
    const char *tmy2_codes[] = {"909999999", "919999999", "929999999", "939999999",
                                "949999999", "959999999", "969999999", "979999999",
                                "989999999", "999999999", "9 9999999"};
    const char *epw_codes[] = {"999999999", "919999999", "989999999", "909999999",
                               "1",         "",          "*1",        "08"};
    // The digit 0 is light rain; a missing snow depth (999) is no snow.
    const int tmy2_rain[] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0};
    const int epw_rain[] = {0, 1, 1, 1, 0, 0, 1, 1};
    const int depths[] = {0, 1, 2, 5, 999};
    const int snow[] = {0, 0, 1, 1, 0};
    for (bool epw : {false, true}) {
        std::vector<GenHour> year = marked_year();
        int n = epw ? 8 : 11;
        for (int i = 0; i < n; ++i) {
            GenHour &g = year[24 + i];  // 1/2 from hour 1
            snprintf(g.weather, sizeof g.weather, "%s", epw ? epw_codes[i] : tmy2_codes[i]);
            g.snow_depth = depths[i % 5];
        }
        TempDir dir;
        std::string path = dir / "flags";
        epw ? write_epw_file(path, year) : write_tmy2_file(path, year);
        Conversion c;
        convert(c, epw ? "E/E" : "TMY2", path, "1/2 1/2");
        ASSERT_EQ(c.points.size(), 25u);
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(c.points[1 + i].Rn, epw ? epw_rain[i] : tmy2_rain[i]) << c.points[1 + i].text;
            EXPECT_EQ(c.points[1 + i].Sn, snow[i % 5]) << c.points[1 + i].text;
        }
    }
}

// Worked by hand: 20.0 degC, dew point 10.0 degC, 1013 mbar, 500 and 700 Wh/m^2, wind
// 180 degrees at 3.5 m/s, sky cover 7 tenths.  Hr = 0.62472 pws / (P - pws) x 1000
// with pws(283.15 K) = 1227.9 Pa; Ts = 293.15 K x (e0 f)^(1/4) with e0 = 0.81386,
// f(0.7) = 1.01491.
TEST(Imports, ConvertsUnitsAndDerivesHumidityAndSkyTemperature) {
    std::vector<GenHour> year = marked_year();
    GenHour &g = year[24];  // 1/2 hour 1
    g.dry_bulb = 200;
    g.dew_point = 100;
    g.pressure = 1013;
    g.global = 500;
    g.direct = 700;
    g.wind_dir = 180;
    g.wind_speed = 35;
    g.total_cover = 7;
    snprintf(g.weather, sizeof g.weather, "919999999");
    g.snow_depth = 3;
    TempDir dir;
    write_tmy2_file(dir / "h.tm2", year);
    write_epw_file(dir / "h.epw", year);
    for (const char *type : {"TMY2", "E/E"}) {
        Conversion c;
        convert(c, type, dir / (type[0] == 'T' ? "h.tm2" : "h.epw"), "1/2 1/2");
        ASSERT_GE(c.points.size(), 2u) << type;
        EXPECT_EQ(c.points[1].text,
                  "1/2\t01:00:00\t293.15\t101300\t3.5\t180\t7.666\t1800\t2520\t279.463\t1\t1")
            << type;
    }
}

TEST(Imports, LogNamesTheSourceAndEchoesOnlyEeText) {
    Conversion tmy2, ee;
    convert(tmy2, "TMY2", sources().tmy2, "1/2 1/2");
    convert(ee, "E/E", sources().epw, "1/2 1/2");
    char header[160];
    FILE *f = fopen(sources().tmy2.c_str(), "rb");
    ASSERT_TRUE(f && fgets(header, sizeof header, f));
    fclose(f);
    EXPECT_NE(tmy2.log.find("Opened " + sources().tmy2 + "\nTMY2 header line:\n" + header +
                            "\nFinished out.wth\n"),
              std::string::npos)
        << tmy2.log;

    std::string epw = read_file(sources().epw);
    std::vector<std::string> lines = split_lines(epw);
    std::string echo;  // header, records 1/1 hour 1 to 1/2 hour 24 (the search included)
    for (size_t i = 0; i < 8 + 48; ++i) echo += lines[i] + "\n";
    EXPECT_NE(ee.log.find("Opened " + sources().epw + "\n" + lines[0] + "\nEE header line:\n" +
                          echo + "Finished out.wth\n"),
              std::string::npos)
        << ee.log.substr(0, 2000);
}

// Missing values (at or above a field's code, or negative where a field cannot be)
// take the nearest earlier valid value of the file, the radiations that of the same
// hour, the first records the nearest later one; a value just below its code is kept.
TEST(Imports, MissingValuesTakeTheNearestValidValue) {
    struct Row {
        int record;                     // 0 = 1/1 hour 1
        int column; const char *tmy2;   // TMY2 columns and text
        int field; const char *epw;     // EPW field and text
        double TimePointLine::*value;   // the quantity written
        int from;                       // record whose value is expected; -1: kept
    };
    const Row rows[] = {
        {26, 68, "9999", 7, "99.9", &TimePointLine::Ta, 25},      // at the code
        {27, 68, "9998", 7, "99.8", &TimePointLine::Ta, -1},      // just below
        {28, 85, " inf", 10, "1e38", &TimePointLine::Pb, 27},     // above
        {29, 96, "-99", 22, "-999.9", &TimePointLine::Ws, 28},    // negative
        {30, 91, "999", 21, "999", &TimePointLine::Wd, 29},
        {30, 96, "999", 22, "999", &TimePointLine::Ws, 28},       // over one missing too
        {31, 74, "9999", 8, "99.9", &TimePointLine::Hr, 30},
        {32, 18, "-999", 14, "-999", &TimePointLine::Ith, 8},     // same hour, day before
        {33, 24, "9999", 15, "9999", &TimePointLine::Idn, 9},
        {0, 96, "999", 22, "999", &TimePointLine::Ws, 1},         // none before: the next
        {11, 18, "9999", 14, "9999", &TimePointLine::Ith, 35},    // and of the same hour
    };
    for (bool epw : {false, true}) {
        SCOPED_TRACE(epw ? "E/E" : "TMY2");
        std::vector<std::string> lines = source_lines(epw, marked_year());
        for (const Row &r : rows)
            spoil(epw, lines[(epw ? 8 : 1) + r.record], epw ? r.field : r.column,
                  epw ? r.epw : r.tmy2);
        TempDir dir;
        write_file(dir / "gaps", join_lines(lines));
        Conversion c;
        convert(c, epw ? "E/E" : "TMY2", dir / "gaps", "1/1 1/3");
        ASSERT_EQ(c.points.size(), 73u) << c.log.substr(c.log.size() - 300);
        for (const Row &r : rows) {
            const TimePointLine &p = c.points[1 + r.record];
            if (r.from >= 0) {
                EXPECT_EQ(p.*r.value, c.points[1 + r.from].*r.value) << p.text;
            } else {
                EXPECT_NEAR(p.Ta, epw ? 372.95 : 1272.95, 0.01) << p.text;
            }
        }
        for (const char *warning :
             {"WARNING  (file Wfiles", " 1 missing values of dry-bulb temperature replaced by "
              "the nearest earlier valid value\n", " 3 missing values of wind speed",
              " 2 missing values of global horizontal radiation replaced by the nearest valid "
              "value of the same hour\n"})
            EXPECT_NE(c.log.find(warning), std::string::npos) << warning;
        EXPECT_EQ(c.result.status, 0);
        // The substitutes depend on the file alone: a period that ends before a
        // substitute, or starts after it, writes the values of the one above (its
        // first line is 1/2 00:00:00 where the one above has 1/1 24:00:00).
        auto values = [](const TimePointLine &p) {
            return p.text.substr(p.date.size() + 1 + p.time.size());
        };
        const struct {
            const char *dates;
            size_t first, lines;  // its first line above, its number of lines
        } parts[] = {{"1/1 1/1", 0, 25}, {"1/2 1/3", 24, 49}};
        for (const auto &part : parts) {
            Conversion d;
            convert(d, epw ? "E/E" : "TMY2", dir / "gaps", part.dates);
            ASSERT_EQ(d.points.size(), part.lines) << part.dates << d.result.err;
            for (size_t i = 0; i < part.lines; ++i)
                EXPECT_EQ(values(d.points[i]), values(c.points[part.first + i])) << part.dates;
        }
    }
}
