// Dates and times in both converter builds: day numbers and date texts, the date
// reader, time texts and the two int_text buffers.
#include <gtest/gtest.h>

#include <regex>

#include "Config.h"
#include "Utils.h"
#include "log_capture.h"
#include "support.h"

namespace {

constexpr bool kTolvex = variant::kProgram[0] == 't';

class Dates : public ::testing::Test {
protected:
    LogCapture log;
    void TearDown() override {
        if (_UNXT) unxt_close();
    }
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
    ASSERT_EQ(unxt_open((dir / "in.txt").c_str(), OPEN_FATAL, __FILE__, __LINE__), 0);
    for (int want : {45, 366, kTolvex ? 16 : 0, 5, 0, 0, 0}) EXPECT_EQ(read_date(TOK_NEXT), want);
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

TEST(IntText, TwoBuffersUsedInTurn) {
    const char *a = int_text(-2147483647L - 1), *b = int_text(29);
    EXPECT_STREQ(a, "-2147483648");
    EXPECT_STREQ(b, "29");
    EXPECT_EQ(int_text(7), a);  // the third call reuses the first buffer
    EXPECT_STREQ(a, "7");
    EXPECT_STREQ(b, "29");
}
