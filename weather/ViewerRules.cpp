// ViewerRules - the viewer's axes without a window.
#include "ViewerRules.h"

#include <cmath>
#include <cstdio>

#include "WeatherSummary.h"
#include "WthReader.h"

namespace {

constexpr std::int64_t kMsPerDay = 86400000;
constexpr std::int64_t kMsPerHour = 3600000;
constexpr int kMinSteps = 4, kMaxSteps = 5;  // of a fitted axis
// The longest spans in view that get labels of a smaller unit: longer spans are labelled
// by months, then by every seventh day, by days, and shorter ones by hours.
constexpr std::int64_t kWeekLabelsUpTo = 40 * kMsPerDay;
constexpr std::int64_t kDayLabelsUpTo = 8 * kMsPerDay;
constexpr std::int64_t kHourLabelsUpTo = kMsPerDay;

// Keeps `text` at `at` unless it would not follow the labels before.
void put(std::vector<TimeLabel> &labels, std::int64_t at, std::string text) {
    if (!labels.empty() && at <= labels.back().at) return;
    for (const TimeLabel &l : labels)
        if (l.text == text) return;
    labels.push_back({at, std::move(text)});
}

}  // namespace

ValueAxis fitted_axis(const ValueRange &values) {
    double lo = values.lo, hi = values.hi;
    if (!values.any) lo = 0, hi = 1;
    if (hi - lo < 1e-6) lo -= 0.5, hi += 0.5;
    double power = std::pow(10.0, std::floor(std::log10((hi - lo) / kMaxSteps)));
    double step = power;
    int steps = kMinSteps;
    // A larger step always reaches the highest value, so this ends within two powers;
    // values too far apart for a double (a range of infinity) end it at once.
    for (bool reached = false; !reached && std::isfinite(power); power *= 10)
        for (double f : {1.0, 2.0, 2.5, 5.0}) {
            step = f * power;
            const double from = std::floor(lo / step) * step;
            for (steps = kMinSteps; steps < kMaxSteps && from + steps * step < hi;) ++steps;
            reached = from + steps * step >= hi;
            if (reached) break;
        }
    const double from = std::floor(lo / step) * step;
    return {from, from + steps * step, steps + 1};
}

std::vector<TimeLabel> time_labels(std::int64_t from, std::int64_t to, int start_day, int days) {
    std::vector<TimeLabel> labels;
    const std::int64_t span = to - from;
    const int first = static_cast<int>(from / kMsPerDay), last = static_cast<int>(to / kMsPerDay);
    for (int d = std::max(first, 0); d <= last && d <= days; ++d) {
        const std::int64_t midnight = d * kMsPerDay;
        const int doy = (start_day - 1 + d) % kWthDaysInYear + 1;
        if (span > kWeekLabelsUpTo) {
            if (wth_mday(doy) == 1 && midnight >= from)
                put(labels, midnight, month_name(wth_month(doy)));
        } else if (span > kDayLabelsUpTo) {
            if ((wth_mday(doy) - 1) % 7 == 0 && midnight >= from)
                put(labels, midnight, wth_date_text(doy));
        } else if (span > kHourLabelsUpTo) {
            if (midnight >= from) put(labels, midnight, wth_date_text(doy));
        } else {
            for (int h = 0; h <= 24; h += 3) {
                const std::int64_t at = midnight + h * kMsPerHour;
                if (at < from || at > to) continue;
                char hour[8];
                std::snprintf(hour, sizeof hour, " %02d:00", h);
                put(labels, at, wth_date_text(doy) + hour);
            }
        }
    }
    return labels;
}
