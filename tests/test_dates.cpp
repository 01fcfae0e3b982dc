// Dates and times in both converter builds: day numbers and date texts, the date
// reader and time texts.
#include <gtest/gtest.h>

#include <regex>

#include "Config.h"
#include "Dates.h"
#include "Input.h"
#include "log_capture.h"
#include "support.h"

namespace {

constexpr bool kTolvex = variant::kProgram[0] == 't';

class Dates : public ::testing::Test {
protected:
    LogCapture log;
    // The texts of the ERROR messages in the log, without the echoed input.
    std::string errors() {
        std::string s = log.text(), out;
        std::regex error(R"(ERROR  \(file Utils, line \d+\)\n( [^\n]*\n))");
        for (std::sregex_iterator m(s.begin(), s.end(), error), end; m != end; ++m) out += (*m)[1];
        return out;
    }
};

}  // namespace

TEST_F(Dates, DayToDateAtMonthEdgesAndOutsideTheYear) {
    const std::pair<int, const char *> rows[] = {
        {1, "1/1"},     {31, "1/31"},  {32, "2/1"},    {59, "2/28"}, {60, "3/1"},
        {334, "11/30"}, {335, "12/1"}, {365, "12/31"}, {0, "1/0"},   {366, "12/32"}};
    for (const auto &r : rows) EXPECT_STREQ(day_to_date(r.first), r.second) << r.first;
    EXPECT_EQ(errors(), kTolvex ? " invalid day number: 0\n invalid day number: 366\n" : "");
}

TEST_F(Dates, DateToDayChecksMonthThenDay) {
    const int rows[][3] = {{1, 1, 1}, {3, 1, 60}, {12, 31, 365}, {2, 29, -1}, {13, 1, -1},
                           {0, 40, -1}, {4, 0, -1}};
    for (const auto &r : rows) EXPECT_EQ(date_to_day(r[0], r[1]), r[2]) << r[0] << "/" << r[1];
    EXPECT_EQ(errors(), " Invalid day_of_month number: 29\n Invalid month number: 13\n"
                        " Invalid month number: 0\n Invalid day_of_month number: 0\n");
}

TEST_F(Dates, ParseDateTakesMonthSlashDayOnly) {
    const std::pair<const char *, int> rows[] = {  // 0: invalid
        {"01/05", 5}, {"12/31", 365}, {"3/1", 60}, {"2/28", 59}, {"2/29", 0}, {"13/1", 0},
        {"0/1", 0},   {"1/0", 0},     {"1/", 0},   {"/5", 0},    {"1/1/1", 0}, {"1-5", 0},
        {"45", 0},    {"", 0},        {"4/31", 0}, {"99999999999/1", 0}};
    for (const auto &r : rows) {
        int day = -7;
        EXPECT_EQ(parse_date(r.first, &day), r.second ? 0 : 1) << r.first;
        EXPECT_EQ(day, r.second) << r.first;
    }
    EXPECT_EQ(errors(), "");
}

TEST_F(Dates, ReadDateTakesDateTextOrDayNumber) {
    TempDir dir;
    write_file(dir / "in.txt", "45 366 0x10 01/05 abc 0\n*\n");
    Input in;
    ASSERT_TRUE(input_open(in, (dir / "in.txt").c_str(), OPEN_FATAL, true, "Test", 1));
    const std::pair<int, bool> rows[] = {{45, true}, {366, false}, {kTolvex ? 16 : 0, kTolvex},
                                         {5, true},  {0, false},   {0, false}, {0, false}};
    for (const auto &[want, valid] : rows) {
        int day = -1;
        EXPECT_EQ(read_date(in, TOK_NEXT, &day), valid) << want;
        EXPECT_EQ(day, want);
    }
    input_close(in);
    EXPECT_EQ(errors(), std::string(" 366 is not a valid date\n") +
                            (kTolvex ? "" : " 0x10 is not a valid date\n") +
                            " abc is not a valid date\n 0 is not a valid date\n"
                            " (no date) is not a valid date\n");
}

TEST(DatesDeathTest, SecToTimeFromMidnightTo24Hours) {
    const std::pair<int, const char *> rows[] = {
        {0, "00:00:00"},    {59, "00:00:59"},    {60, "00:01:00"},    {599, "00:09:59"},
        {3600, "01:00:00"}, {45296, "12:34:56"}, {86399, "23:59:59"}, {86400, "24:00:00"}};
    for (const auto &r : rows) EXPECT_STREQ(sec_to_time(r.first), r.second) << r.first;
    for (int bad : {-1, 86401}) {
        EXPECT_EXIT((msg_setup(0), sec_to_time(bad)), ::testing::ExitedWithCode(1),
                    "^FATAL invalid time \n$");
    }
}
