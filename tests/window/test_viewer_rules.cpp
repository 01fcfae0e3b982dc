// The viewer's rules without a window: the fitted value axis and the time axis's labels
// for each span in view.
#include <gtest/gtest.h>
#include <initializer_list>

#include "ViewerRules.h"

namespace {

constexpr std::int64_t kHour = 3600000;  // ms

// The labels as "text@hour" (hours after the first midnight), blank-separated.
std::string labels_text(const std::vector<TimeLabel> &labels) {
    std::string out;
    for (const TimeLabel &l : labels)
        out += (out.empty() ? "" : " ") + l.text + "@" + std::to_string(l.at / kHour);
    return out;
}

}  // namespace

TEST(ViewerRules, TheValueAxisIsFourRoundStepsFromAMultipleOfTheStep) {
    const struct {
        std::initializer_list<double> values;
        double from, to;
    } rows[] = {
        {{}, 0, 1},                // nothing in view
        {{5, 5}, 4.5, 5.5},        // one value: half a unit either side
        {{0, 9}, 0, 10},           // steps of 2.5
        {{6.23, 6.91}, 6.2, 7.0},  // steps of 0.2, from a multiple of the step
        {{3000, 0}, 0, 4000},      // steps of 1000 (10 times the power of ten)
        {{301.9, 271.3}, 270, 310},
        {{-12.3, 8.4}, -20, 20},
        {{9.99, 45}, 0, 40},  // even the last step leaves 45 above the axis
    };
    for (const auto &row : rows) {
        ValueRange values;
        for (double v : row.values) values.add(v);
        const ValueAxis axis = fitted_axis(values);
        EXPECT_NEAR(axis.from, row.from, 1e-9) << row.from;
        EXPECT_NEAR(axis.to, row.to, 1e-9) << row.from;
        EXPECT_EQ(axis.ticks, 5);
    }
}

TEST(ViewerRules, TheTimeLabelsSuitTheSpanInView) {
    const struct {
        std::int64_t from, to;  // hours
        int start_day, days;
        const char *labels;
    } rows[] = {
        // A year: months, and January once although its day ends the view as well.
        {0, 8760, 1, 365,
         "Jan@0 Feb@744 Mar@1416 Apr@2160 May@2880 Jun@3624 Jul@4344 Aug@5088 Sep@5832 Oct@6552 "
         "Nov@7296 Dec@8016"},
        {0, 92 * 24, 319, 92, "Dec@384 Jan@1128 Feb@1872"},  // 11/15 to 2/14
        // 40 days and a month: every seventh day of the month, and the next month's 1st.
        {0, 40 * 24, 1, 365, "1/1@0 1/8@168 1/15@336 1/22@504 1/29@672 2/1@744 2/8@912"},
        {4344, 5088, 1, 365, "7/1@4344 7/8@4512 7/15@4680 7/22@4848 7/29@5016 8/1@5088"},
        // Days, up to the midnight that ends the file's last day; none before the view.
        {0, 96, 364, 4, "12/30@0 12/31@24 1/1@48 1/2@72 1/3@96"},
        {1, 73, 364, 4, "12/31@24 1/1@48 1/2@72"},
        // A day: every third hour, and its end not once more as the next day's start.
        {0, 24, 365, 2,
         "12/31 00:00@0 12/31 03:00@3 12/31 06:00@6 12/31 09:00@9 12/31 12:00@12 "
         "12/31 15:00@15 12/31 18:00@18 12/31 21:00@21 12/31 24:00@24"},
        {19, 24, 365, 2, "12/31 21:00@21 12/31 24:00@24"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(labels_text(time_labels(row.from * kHour, row.to * kHour, row.start_day,
                                          row.days)),
                  row.labels)
            << row.from << " to " << row.to;
}
