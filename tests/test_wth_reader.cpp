// The weather file 2.0 reader: every kind of conversion read back, CR LF and LF alike,
// and damaged files refused with the line of their first problem.
#include <gtest/gtest.h>

#include "support.h"

#include "WthReader.h"

namespace {

const std::string kHandDir = std::string(TESTS_DIR) + "/data/";
const std::string kExamples = std::string(TESTS_DIR) + "/../examples/";

WthFile parsed(const std::string &text) {
    WthFile f;
    std::string error;
    EXPECT_EQ(wth_parse(text.data(), text.size(), f, error), 0) << error;
    return f;
}

std::string error_of(const std::string &text) {
    WthFile f;
    std::string error;
    EXPECT_EQ(wth_parse(text.data(), text.size(), f, error), 1);
    return error;
}

// `text` with its line `number` (1-based, without its CR LF) replaced by `line`.
std::string with_line(std::string text, int number, const std::string &line) {
    std::size_t start = 0;
    for (int i = 1; i < number; ++i) start = text.find('\n', start) + 1;
    const std::size_t end = text.find("\r\n", start);
    return text.replace(start, end - start, line);
}

}  // namespace

TEST(wth_reader, reads_every_kind_of_conversion) {
    // tolvex from TMY2 over the whole year: every time point as the converter wrote it.
    Conversion tmy2;
    write_tmy2_file(tmy2.dir / "in.tm2", marked_year());
    convert(tmy2, "TMY2", "in.tm2", "1/1 12/31");
    ASSERT_EQ(tmy2.result.status, 0) << tmy2.log;
    WthFile year = parsed(tmy2.out);
    EXPECT_EQ(year.description, "Import test");
    EXPECT_EQ(year.days.size(), 365u);
    EXPECT_FALSE(year.is_template);
    ASSERT_EQ(year.points.size(), tmy2.points.size());
    ASSERT_EQ(year.points.size(), 1u + 24 * 365);
    for (std::size_t k = 0; k < year.points.size(); k += 997) {
        const WthPoint &p = year.points[k];
        const TimePointLine &line = tmy2.points[k];
        EXPECT_EQ(wth_date_text(year.days[p.day_index].day), line.date) << k;
        EXPECT_EQ(p.seconds, k == 0 ? 0 : int((k - 1) % 24 + 1) * 3600) << k;
        EXPECT_EQ(p.wd, static_cast<float>(line.Wd));
        EXPECT_EQ(p.ta, static_cast<float>(line.Ta));
        EXPECT_DOUBLE_EQ(p.hr, line.Hr);
        EXPECT_EQ(p.rn, line.Rn);
    }

    // tolvex from E/E over the year's end: October to December, then January to March.
    Conversion ee;
    write_epw_file(ee.dir / "in.epw", marked_year());
    convert(ee, "E/E", "in.epw", "10/1 3/31");
    ASSERT_EQ(ee.result.status, 0) << ee.log;
    WthFile winter = parsed(ee.out);
    ASSERT_EQ(winter.days.size(), 182u);
    EXPECT_EQ(winter.days.front().day, 274);
    EXPECT_EQ(winter.days.back().day, 90);
    EXPECT_EQ(winter.points.size(), 1u + 24 * 182);
    EXPECT_EQ(wth_elapsed(winter.points.back()), 182L * 86400);

    // tolvex's template: time points without values.
    TempDir dir;
    write_file(dir / "data.dat", read_file(kHandDir + "template.dat"));
    ASSERT_EQ(run_program(TOLVEX_EXE, dir.path(), {"data.dat"}).status, 0);
    WthFile hand = parsed(read_file(dir / "hand.wth"));
    EXPECT_TRUE(hand.is_template);
    EXPECT_EQ(hand.points.size(), 49u);
    EXPECT_EQ(hand.days[0].dtype, 9);
    EXPECT_EQ(hand.days[1].dst, 1);

    // renval's upgrade of the bundled 1.0 example; the 1.0 file itself is refused.
    for (const char *name : {"upgrade.dat", "example-1.0.wth"})
        write_file(dir / name, read_file(kExamples + name));
    ASSERT_EQ(run_program(RENVAL_EXE, dir.path(), {"upgrade.dat"}).status, 0);
    WthFile upgraded = parsed(read_file(dir / "upgraded.wth"));
    EXPECT_EQ(upgraded.description, "Example upgrade: two winter days");
    EXPECT_FALSE(upgraded.points.empty());
    EXPECT_EQ(error_of(read_file(kExamples + "example-1.0.wth")),
              "line 1: \"WeatherFile Ventora 2.0\" expected: not a weather file 2.0");
}

TEST(wth_reader, lf_and_cr_lf_read_alike) {
    const std::string crlf = read_file(kHandDir + "upgrade.wth");
    std::string lf;
    for (char c : crlf)
        if (c != '\r') lf += c;
    const WthFile a = parsed(crlf), b = parsed(lf);
    ASSERT_EQ(a.points.size(), 4u);
    ASSERT_EQ(b.points.size(), 4u);
    EXPECT_EQ(a.description, b.description);
    for (std::size_t k = 0; k < a.points.size(); ++k) {
        EXPECT_EQ(a.points[k].seconds, b.points[k].seconds);
        EXPECT_EQ(a.points[k].pb, b.points[k].pb);
        EXPECT_EQ(a.points[k].sn, b.points[k].sn);
    }
    EXPECT_EQ(a.points[1].seconds, 43200);
    EXPECT_EQ(a.points[1].ta, 272.15f);
    EXPECT_DOUBLE_EQ(a.points[1].hr, 10.101);
    EXPECT_EQ(a.points[1].rn, 1);
    EXPECT_EQ(a.points[3].day_index, 1);
}

// Lines of upgrade.wth: 1 head, 2 description, 3 and 4 dates, 5 day columns, 6 and 7
// days 12/31 and 1/1, 8 point columns, 9 to 12 the time points.
TEST(wth_reader, damaged_files_name_their_first_bad_line) {
    const std::string good = read_file(kHandDir + "upgrade.wth");
    const std::string point = "12/31\t12:00:00\t272.15\t101300\t3\t190\t10.101\t100\t50\t255\t1\t0";
    struct Row {
        std::string text, error;
    } rows[] = {
        {"", "line 1: end of file, \"WeatherFile Ventora 2.0\" expected"},
        {good.substr(0, good.size() - 9), "line 12: no line end: the file ends inside this line"},
        {good.substr(0, good.rfind("1/1\t24")), "line 12: end of file, time points of 1/1 expected"},
        {good.substr(0, good.find("!Date\tTime")), "line 8: end of file, column line of the time-point section expected"},
        {with_line(good, 10, point.substr(0, point.rfind('\t'))), "line 10: 11 values, 12 expected"},
        {with_line(good, 10, point + "\t0"), "line 10: 13 values, 12 expected"},
        {with_line(good, 10, ""), "line 10: empty line"},
        {with_line(good, 10, "12/31\t12:00:00"), "line 10: 2 values, 12 expected"},
        {with_line(good, 10, "12/31\t12:00\t272.15\t101300\t3\t190\t10.101\t100\t50\t255\t1\t0"),
         "line 10: time \"12:00\" is not a time of the day"},
        {with_line(good, 10, "12/31\t24:00:01\t272.15\t101300\t3\t190\t10.101\t100\t50\t255\t1\t0"),
         "line 10: time \"24:00:01\" is not a time of the day"},
        {with_line(good, 10, "7/4\t12:00:00\t272.15\t101300\t3\t190\t10.101\t100\t50\t255\t1\t0"),
         "line 10: date \"7/4\" is outside the file's days"},
        {with_line(good, 12, "12/31\t12:00:00\t272.15\t101300\t3\t190\t10.101\t100\t50\t255\t1\t0"),
         "line 12: time point before the one on the line above"},
        {with_line(good, 9, "1/1\t00:00:00\t272.15\t101300\t3\t190\t10.101\t100\t50\t255\t1\t0"),
         "line 9: the time points start on 1/1, not on the start date"},
        {with_line(good, 10, "12/31\t12:00:00\t272.15\t1013OO\t3\t190\t10.101\t100\t50\t255\t1\t0"),
         "line 10: Pb \"1013OO\" is not a number"},
        {with_line(good, 10, "12/31\t12:00:00\tnan\t101300\t3\t190\t10.101\t100\t50\t255\t1\t0"),
         "line 10: Ta \"nan\" is not a number"},
        {with_line(good, 10, "12/31\t12:00:00\t272.15\t101300\t3\t190\t10.101\t100\t50\t255\t0.5\t0"),
         "line 10: Rn \"0.5\" is not a whole number"},
        {with_line(good, 7, "1/2\t1\t1\t0\t283.15"), "line 7: date \"1/2\", 1/1 expected"},
        {with_line(good, 7, "1/1\t1\t1\t0"), "line 7: 4 values, 5 expected"},
        {with_line(good, 7, "1/1\t8\t1\t0\t283.15"), "line 7: day of week \"8\" is not 1 to 7"},
        {with_line(good, 7, "1/1\t1\t1\t2\t283.15"), "line 7: daylight-saving flag \"2\" is not 0 or 1"},
        {with_line(good, 7, "!Date\tTime"), "line 7: 2 values, 5 expected"},
        {with_line(good, 4, "2/30\t!end-of-file date"), "line 4: end date expected, not \"2/30\""},
        {with_line(good, 3, "12/31\tstart"), "line 3: text after the date that is not a \"!\" label"},
        {with_line(good, 1, "WeatherFile Ventora 1.0"),
         "line 1: \"WeatherFile Ventora 2.0\" expected: not a weather file 2.0"},
    };
    for (const Row &row : rows) EXPECT_EQ(error_of(row.text), row.error) << row.error;

    WthFile f;
    std::string error;
    EXPECT_EQ(wth_read(kHandDir + "no such file.wth", f, error), 1);
    EXPECT_EQ(error, "cannot be opened");
}
