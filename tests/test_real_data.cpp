// The imports on real TMY2 and EPW files from ../shared/data (not part of the
// repository): whole years and ranges over the year's end must give complete,
// physically plausible files.  Skipped when the folder is absent.
#include <gtest/gtest.h>

#include "support.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <dirent.h>

#include "WthReader.h"

namespace {

const std::string kData = SHARED_DATA_DIR;

std::vector<std::string> files_in(const std::string &dir) {
    std::vector<std::string> names;
    if (DIR *d = opendir(dir.c_str())) {
        while (dirent *e = readdir(d))
            if (e->d_name[0] != '.') names.push_back(dir + "/" + e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Dry bulb (degC), pressure (Pa) and wind direction of the source record of `month`
// and `day` at hour 24, read straight from the file's columns or fields.
struct SourceValues {
    double dry_bulb, pressure, wind_dir;
};

SourceValues hour24(const std::string &path, bool tmy2, int month, int day) {
    for (const std::string &line : split_lines(read_file(path))) {
        if (tmy2) {
            if (line.size() < 98 || atoi(line.substr(3, 2).c_str()) != month ||
                atoi(line.substr(5, 2).c_str()) != day || atoi(line.substr(7, 2).c_str()) != 24)
                continue;
            return {atof(line.substr(67, 4).c_str()) / 10, atof(line.substr(84, 4).c_str()) * 100,
                    atof(line.substr(90, 3).c_str())};
        }
        std::vector<std::string> f;
        for (size_t start = 0, end = 0; end != std::string::npos; start = end + 1)
            f.push_back(line.substr(start, (end = line.find(',', start)) - start));
        if (f.size() > 21 && atoi(f[1].c_str()) == month && atoi(f[2].c_str()) == day &&
            atoi(f[3].c_str()) == 24)
            return {atof(f[6].c_str()), atof(f[9].c_str()), atof(f[20].c_str())};
    }
    ADD_FAILURE() << "no record " << month << "/" << day << " hour 24 in " << path;
    return {};
}

}  // namespace

TEST(RealData, WholeYearsAndRangesOverTheYearEnd) {
    if (!file_exists(kData)) GTEST_SKIP() << kData << " is absent";
    struct Range {
        const char *dates;
        int start;
        size_t lines;
        int month_before, day_before;
    } ranges[] = {{"1/1 12/31", 1, 8761, 12, 31}, {"12/1 1/31", 335, 1489, 11, 30}};
    std::vector<std::string> sources = files_in(kData + "/tmy2");
    for (const std::string &f : files_in(kData + "/epw")) sources.push_back(f);
    ASSERT_FALSE(sources.empty());
    for (const std::string &source : sources) {
        bool tmy2 = source.compare(source.size() - 4, 4, ".tm2") == 0;
        for (const Range &r : ranges) {
            SCOPED_TRACE(source + " " + r.dates);
            Conversion c;
            convert(c, tmy2 ? "TMY2" : "E/E", source, r.dates);
            ASSERT_EQ(c.result.status, 0) << c.result.err;
            ASSERT_EQ(c.points.size(), r.lines);
            WthFile read;
            std::string error;
            EXPECT_EQ(wth_parse(c.out.data(), c.out.size(), read, error), 0) << error;
            for (size_t i = 0; i < c.points.size(); ++i) {
                const TimePointLine &p = c.points[i];
                ASSERT_EQ(p.date, expected_date(r.start, (int)i));
                ASSERT_EQ(p.time, expected_time((int)i));
                for (double v : {p.Ta, p.Pb, p.Ws, p.Wd, p.Hr, p.Ith, p.Idn, p.Ts})
                    ASSERT_TRUE(std::isfinite(v)) << p.text;
                ASSERT_TRUE(p.Ta >= 180 && p.Ta <= 340 && p.Ts >= 150 && p.Ts <= 350) << p.text;
                ASSERT_TRUE(p.Pb >= 30e3 && p.Pb <= 120e3) << p.text;
                ASSERT_TRUE(p.Hr >= 0 && p.Hr <= 40) << p.text;
                ASSERT_TRUE(p.Ith >= 0 && p.Ith <= 5000 && p.Idn >= 0 && p.Idn <= 5000) << p.text;
                ASSERT_TRUE(p.Ws >= 0 && p.Ws <= 50 && p.Wd >= 0 && p.Wd <= 360) << p.text;
            }
            // Files known to carry missing values say so in the log of a whole year.
            const std::pair<const char *, const char *> known[] = {
                {"tmy_45.000_8.000", " missing values of snow depth written as no snow"},
                {"Colorado_Springs", " missing values of snow depth written as no snow"},
                {"Zuerich", " missing values of wind speed replaced"},
                {"Zuerich", " missing values of global horizontal radiation replaced"}};
            for (const auto &k : known) {
                if (r.start == 1 && source.find(k.first) != std::string::npos) {
                    EXPECT_NE(c.log.find(k.second), std::string::npos) << k.second;
                }
            }
            SourceValues before = hour24(source, tmy2, r.month_before, r.day_before);
            EXPECT_NEAR(c.points[0].Ta, before.dry_bulb + 273.15, 0.005);
            EXPECT_EQ(c.points[0].Pb, before.pressure);
            EXPECT_EQ(c.points[0].Wd, before.wind_dir);
        }
    }
}

// Lines worked out by hand from the source records, Hr and Ts with the formulas in
// double precision: Miami 1/1 hour 1 (Ta 20.0 degC, dew point 15.0 degC, 1017 mbar,
// cover 7), Boulder 6/30 hour 13 (sun), Zurich 2016 1/1 hour 1 (flags field beginning
// with "*") and 3/1 hour 13, after the 29 February that the import passes over.
TEST(RealData, HandComputedLines) {
    if (!file_exists(kData)) GTEST_SKIP() << kData << " is absent";
    struct Row {
        const char *type, *file, *dates, *line;
    } rows[] = {
        {"TMY2", "tmy2/12839.tm2", "1/1 1/1",
         "1/1\t01:00:00\t293.15\t101700\t6.7\t158\t10.655\t0\t0\t280.603\t0\t0"},
        {"TMY2", "tmy2/CO_Boulder.tm2", "6/30 6/30",
         "6/30\t13:00:00\t302.05\t83600\t6.7\t338\t10.804\t3438\t2725.2\t288.469\t0\t0"},
        {"E/E", "epw/Zuerich-SMA_2016.epw", "1/1 1/1",
         "1/1\t01:00:00\t278.15\t95919\t0.5\t0\t5.654\t0\t0\t264.336\t0\t0"},
        {"E/E", "epw/Zuerich-SMA_2016.epw", "2/28 3/1",
         "3/1\t13:00:00\t274.85\t95551\t2.1\t254\t4.021\t759.6\t18\t260.107\t0\t1"},
    };
    for (const Row &row : rows) {
        Conversion c;
        convert(c, row.type, kData + "/" + row.file, row.dates);
        ASSERT_EQ(c.result.status, 0) << row.file << c.result.err;
        EXPECT_NE(c.out.find(std::string("\r\n") + row.line + "\r\n"), std::string::npos)
            << row.file << ": " << row.line;
    }
}

// --weekday source: an actual year's weekday, else the DATA PERIODS line's; a TMY2 file
// gives none.
TEST(RealData, WeekdayOfTheSource) {
    if (!file_exists(kData)) GTEST_SKIP() << kData << " is absent";
    const struct {
        const char *type, *file;
        int weekday;  // 0: none
        std::string said;
    } rows[] = {
        {"E/E", "epw/Zuerich-SMA_2016.epw", 6,
         "Weekday of 1 January: 6, from the year 2016 of every record; 29 February is left out, so "
         "from 1 March the weekdays are one day behind 2016's calendar"},
        {"E/E", "epw/USA_IL_Chicago-OHare.Intl.AP.725300_AMY_2012_LeapYear.epw", 1,
         "Weekday of 1 January: 1, from the year 2012 of every record; 29 February is left out, so "
         "from 1 March the weekdays are one day behind 2012's calendar"},
        {"E/E", "epw/CAN_PQ_Montreal.Intl.AP.716270_CWEC.epw", 1,
         "Weekday of 1 January: 1, from the DATA PERIODS line"},
        {"E/E", "epw/tmy_45.000_8.000_2005_2023.epw", 5,
         "Weekday of 1 January: 5, from the DATA PERIODS line"},
        {"TMY2", "tmy2/CO_Boulder.tm2", 0, "A TMY2 source carries no weekday: give --weekday 1 to 7"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.file);
        TempDir dir;
        const RunResult r = run_program(TOLVEX_EXE, dir.path(),
                                        {"--type", row.type, "--source", kData + "/" + row.file,
                                         "--output", "out.wth", "--period", "1/1-1/1", "--weekday", "source"});
        EXPECT_NE(read_file(dir / "TOLVEX.LOG").find("\n " + row.said + "\n"), std::string::npos);
        EXPECT_EQ(r.status, row.weekday ? 0 : 1);
        if (row.weekday) {
            EXPECT_EQ(split_lines(read_file(dir / "out.wth"))[5].substr(0, 5),
                      "1/1\t" + std::to_string(row.weekday));
        }
    }
}
