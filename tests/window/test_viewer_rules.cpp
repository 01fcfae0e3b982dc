// The viewer's rules without a window: the fitted value axis, the time axis's labels
// for each span in view, and the monthly summary and its CSV of a file made by hand.
#include <gtest/gtest.h>
#include <initializer_list>

#include "ViewerRules.h"
#include "WeatherSummary.h"

namespace {

constexpr std::int64_t kHour = 3600000;  // ms

// The labels as "text@hour" (hours after the first midnight), blank-separated.
std::string labels_text(const std::vector<TimeLabel> &labels) {
    std::string out;
    for (const TimeLabel &l : labels)
        out += (out.empty() ? "" : " ") + l.text + "@" + std::to_string(l.at / kHour);
    return out;
}

// Two days over a month's end, 1/31 and 2/1, written by hand.
WthFile hand_file() {
    WthFile file;
    std::string error;
    EXPECT_EQ(wth_read(EXAMPLES_DIR "/../tests/data/summary.wth", file, error), 0) << error;
    return file;
}

}  // namespace

TEST(ViewerRules, TheValueAxisIsFourOrFiveRoundStepsFromAMultipleOfTheStep) {
    const struct {
        std::initializer_list<double> values;
        double from, to;
        int ticks;
    } rows[] = {
        {{}, 0, 1, 6},                // nothing in view
        {{5, 5}, 4.5, 5.5, 5},        // one value: half a unit either side
        {{0, 9}, 0, 10, 6},           // five steps of 2
        {{6.23, 6.91}, 6.2, 7.0, 5},  // steps of 0.2, from a multiple of the step
        {{3000, 0}, 0, 4000, 5},      // steps of 1000 (10 times the power of ten)
        {{301.9, 271.3}, 270, 310, 5},
        {{-12.3, 8.4}, -15, 10, 6},
        // The next step, or the next power, when a multiple of the step low down leaves
        // the highest value above: every value lies on the axis.
        {{9.99, 45}, 0, 50, 6},
        {{270.65, 284.25}, 270, 290, 5},  // a January peak above 280
        {{0.61, 4.351}, 0, 5, 6},         // not 0 to 4 with 4.351 above
    };
    for (const auto &row : rows) {
        ValueRange values;
        for (double v : row.values) values.add(v);
        const ValueAxis axis = fitted_axis(values);
        EXPECT_NEAR(axis.from, row.from, 1e-9) << row.from;
        EXPECT_NEAR(axis.to, row.to, 1e-9) << row.from;
        EXPECT_EQ(axis.ticks, row.ticks) << row.from;
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

// Each time point counts in the month of its date (1/31 24:00:00 in January); the wind
// direction's mean is that of its unit vectors (350, 30 and 10 give 10; 270 and 330
// give 300).
TEST(ViewerRules, TheMonthlySummaryOfAFileByHand) {
    const struct {
        int month, points, rain, snow;
        double stats[kQuantities][3];  // min, mean, max of Ta Pb Ws Wd Hr Ith Idn Ts
    } rows[] = {
        {1, 3, 2, 0, {{270, 272, 274}, {100000, 101000, 102000}, {1, 2, 3}, {10, 10, 350},
                       {1, 6.5 / 3, 3.5}, {0, 100.0 / 3, 100}, {0, 20, 60}, {250, 252, 254}}},
        {2, 2, 0, 2, {{280, 282, 284}, {99000, 99250, 99500}, {0, 2.5, 5}, {270, 300, 330},
                      {4, 4.5, 5}, {0, 25, 50}, {0, 0, 0}, {260, 261, 262}}},
    };
    const std::vector<MonthStats> summary = monthly_summary(hand_file());
    ASSERT_EQ(summary.size(), std::size(rows));
    for (std::size_t r = 0; r < summary.size(); ++r) {
        const MonthStats &got = summary[r];
        EXPECT_EQ(got.month, rows[r].month);
        EXPECT_EQ(got.points, rows[r].points);
        EXPECT_EQ(got.rain_hours, rows[r].rain);
        EXPECT_EQ(got.snow_hours, rows[r].snow);
        for (int q = 0; q < kQuantities; ++q) {
            const double *want = rows[r].stats[q];
            const char *column = quantity_info(Quantity(q)).column;
            EXPECT_NEAR(got.min[q], want[0], 1e-9) << got.month << " " << column;
            EXPECT_NEAR(got.mean[q], want[1], 1e-9) << got.month << " " << column;
            EXPECT_NEAR(got.max[q], want[2], 1e-9) << got.month << " " << column;
        }
    }
}

TEST(ViewerRules, TheSummaryCsvInKelvinAndInCelsius) {
    const std::string head =
        "Month,Ta min [%],Ta mean [%],Ta max [%],Pb min [Pa],Pb mean [Pa],Pb max [Pa],"
        "Ws min [m/s],Ws mean [m/s],Ws max [m/s],Wd min [deg],Wd mean [deg],Wd max [deg],"
        "Hr min [g/kg],Hr mean [g/kg],Hr max [g/kg],Ith min [kJ/m^2],Ith mean [kJ/m^2],"
        "Ith max [kJ/m^2],Idn min [kJ/m^2],Idn mean [kJ/m^2],Idn max [kJ/m^2],"
        "Ts min [%],Ts mean [%],Ts max [%],Rain [h],Snow [h]\r\n";
    // The months' lines with Ta and Ts in place of their % marks.
    const std::string jan =
        "Jan,%,100000.00,101000.00,102000.00,1.00,2.00,3.00,10.00,10.00,350.00,"
        "1.000,2.167,3.500,0.00,33.33,100.00,0.00,20.00,60.00,%,2,0\r\n";
    const std::string feb =
        "Feb,%,99000.00,99250.00,99500.00,0.00,2.50,5.00,270.00,300.00,330.00,"
        "4.000,4.500,5.000,0.00,25.00,50.00,0.00,0.00,0.00,%,0,2\r\n";
    auto filled = [](std::string text, std::initializer_list<const char *> marks) {
        for (const char *mark : marks) text.replace(text.find('%'), 1, mark);
        return text;
    };
    const struct {
        bool celsius;
        std::string text;
    } rows[] = {
        {false, filled(head, {"K", "K", "K", "K", "K", "K"}) +
                    filled(jan, {"270.00,272.00,274.00", "250.00,252.00,254.00"}) +
                    filled(feb, {"280.00,282.00,284.00", "260.00,261.00,262.00"})},
        {true, filled(head, {"C", "C", "C", "C", "C", "C"}) +
                   filled(jan, {"-3.15,-1.15,0.85", "-23.15,-21.15,-19.15"}) +
                   filled(feb, {"6.85,8.85,10.85", "-13.15,-12.15,-11.15"})},
    };
    const std::vector<MonthStats> summary = monthly_summary(hand_file());
    for (const auto &row : rows)
        EXPECT_EQ(summary_csv(summary, row.celsius), row.text) << row.celsius;
}

// Every double prints whole, however large (the reader takes any finite humidity
// ratio), and as printf prints it.
TEST(ViewerRules, SummaryNumbersOfAnySize) {
    const struct { double value; Quantity q; const char *format; } rows[] = {
        {2.1665, Quantity::Hr, "%.3f"}, {-0.25, Quantity::Ta, "%.2f"}, {1e70, Quantity::Hr, "%.3f"},
        {-1.7976931348623157e308, Quantity::Hr, "%.3f"}, {1e300, Quantity::Pb, "%.2f"}};
    for (const auto &row : rows) {
        char want[400];
        snprintf(want, sizeof want, row.format, row.value);
        EXPECT_EQ(summary_number(row.value, row.q), want) << row.value;
    }
    EXPECT_EQ(summary_number(-0.001, Quantity::Ta), "0.00");
}
