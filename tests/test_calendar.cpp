// The day table: weekdays, special days and daylight saving.
#include <gtest/gtest.h>

#include "Tolvex.h"

namespace {

DayTable table_for(int first_weekday) {
    DayTable t{};
    days_set_defaults(t);
    days_set_weekdays(t, first_weekday);
    return t;
}

int dst_days(const DayTable &t) {
    int n = 0;
    for (int d = 1; d <= kDaysInYear; ++d) n += t.day[d].dst;
    return n;
}

}  // namespace

TEST(Calendar, WeekdaysWrapAfterSaturdayFromEveryFirstWeekday) {
    for (int first = 1; first <= 7; ++first) {
        DayTable t = table_for(first);
        for (int d = 1; d <= kDaysInYear; ++d) {
            int expected = (first - 1 + d - 1) % 7 + 1;
            ASSERT_EQ(t.day[d].day_of_week, expected) << "first " << first << " day " << d;
            ASSERT_EQ(t.day[d].day_type, expected);
            ASSERT_EQ(t.day[d].ground_temp, 283.15f);
        }
        EXPECT_EQ(t.day[365].day_of_week, first);  // 365 days end on the weekday they began
    }
}

TEST(Calendar, DaylightSavingRangesRunOverTheYearEnd) {
    struct Row {
        int start, end, marked;
        int inside, outside;  // one day that must be marked, one that must not (0: none)
    } rows[] = {
        {97, 97, 0, 0, 97},       // equal dates: none, not even that day
        {365, 1, 2, 365, 2},      // 12/31 .. 1/1
        {1, 365, 365, 180, 0},    // the whole year
        {300, 97, 66 + 97, 1, 98},  // 10/27 .. 4/7, southern style
        {97, 300, 204, 200, 301},
    };
    for (const Row &row : rows) {
        DayTable t = table_for(1);
        days_set_dst(t, row.start, row.end);
        EXPECT_EQ(dst_days(t), row.marked) << row.start << ".." << row.end;
        if (row.inside) {
            EXPECT_EQ(t.day[row.inside].dst, 1) << row.start;
        }
        if (row.outside) {
            EXPECT_EQ(t.day[row.outside].dst, 0) << row.start;
        }
    }
}
