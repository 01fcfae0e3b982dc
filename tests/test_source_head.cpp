// SourceHead: the first line of a source and the weekday of 1 January an E/E file
// carries, on small files written by hand.
#include <gtest/gtest.h>

#include <cerrno>

#include "SourceHead.h"
#include "support.h"

namespace {

// An E/E head whose DATA PERIODS line is `periods`, then records of `years`, with the
// line end `end`.
std::string ee_text(const std::string &periods, const std::vector<int> &years,
                    const std::string &end = "\r\n") {
    std::string text;
    for (const char *line : {"LOCATION,Here", "DESIGN CONDITIONS,0", "TYPICAL/EXTREME PERIODS,0",
                             "GROUND TEMPERATURES,0", "HOLIDAYS/DAYLIGHT SAVINGS,No,0,0,0",
                             "COMMENTS 1,", "COMMENTS 2,"})
        text += line + end;
    text += periods + end;
    for (int year : years) text += std::to_string(year) + ",1,1,1,60,x,5.0" + end;
    return text;
}

}  // namespace

TEST(SourceHead, WeekdayOfTheRecordsYearElseOfTheDataPeriodsLine) {
    const std::string sunday = "DATA PERIODS,1,1,Data,Sunday,1/1,12/31";
    const struct {
        std::string text;
        WeekdayFrom from;
        int weekday, year;
        bool leap;
    } rows[] = {
        {ee_text(sunday, {2016, 2016, 2016}), WeekdayFrom::Year, 6, 2016, true},
        {ee_text(sunday, {2001, 2001}, "\r") + "\r\n \r\n", WeekdayFrom::Year, 2, 2001, false},
        {ee_text(sunday, {1900}, "\n"), WeekdayFrom::Year, 2, 1900, false},
        {ee_text(sunday, {2000}), WeekdayFrom::Year, 7, 2000, true},
        {ee_text("DATA PERIODS,1,1,Data, thursday , 1/ 1,12/31", {2005, 2023}),
         WeekdayFrom::DataPeriods, 5, 0, false},
        // A period from 1 March on a Monday: 1 January was 59 days earlier, a Friday.
        {ee_text("DATA PERIODS,1,1,Data,Monday,3/1,12/31", {1999, 2005}), WeekdayFrom::DataPeriods, 6, 0, false},
        {ee_text(sunday, {2016, 0}), WeekdayFrom::DataPeriods, 1, 0, false},
        {ee_text("DATA PERIODS,1,1,Data,,1/1,12/31", {1999, 2005}), WeekdayFrom::None, 0, 0, false},
        {ee_text("DATA PERIODS,1,1,Data,Monday,2/30,12/31", {1999, 2005}), WeekdayFrom::None, 0, 0, false},
    };
    TempDir dir;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        write_file(dir / "a.epw", row.text);
        const SourceWeekday found = ee_weekday((dir / "a.epw").c_str());
        EXPECT_EQ(found.from, row.from);
        EXPECT_EQ(found.weekday, row.weekday);
        EXPECT_EQ(found.year, row.year);
        EXPECT_EQ(found.leap, row.leap);
    }
    EXPECT_EQ(ee_weekday(dir.path().c_str()).from, WeekdayFrom::NotRegular);
    const SourceWeekday missing = ee_weekday((dir / "missing.epw").c_str());
    EXPECT_EQ(missing.from, WeekdayFrom::Unreadable);
    EXPECT_EQ(missing.error, ENOENT);
}

TEST(SourceHead, FirstLineEndsAtItsLineEndAndFitsItsLimit) {
    std::string accents;  // 200 two-byte characters
    for (int i = 0; i < 200; ++i) accents += "\xC3\xA9";
    const struct {
        std::string text, line;
    } rows[] = {
        {"Boulder\rnext", "Boulder"},
        {std::string("Bould\0er\n", 9), "Bould"},
        // 254 bytes would end inside the 127th character: it is left out.
        {"a" + accents, "a" + accents.substr(0, 252)},
    };
    TempDir dir;
    for (const auto &row : rows) {
        write_file(dir / "src", row.text);
        std::string line;
        EXPECT_TRUE(source_first_line((dir / "src").c_str(), line, 254));
        EXPECT_EQ(line, row.line);
    }
    std::string line = "old";
    EXPECT_FALSE(source_first_line("/dev/zero", line, 254));
    EXPECT_EQ(line, "");
}
