// WeatherSummary - the monthly summary of a weather file and its CSV text.
#include "WeatherSummary.h"

#include <charconv>
#include <cmath>

namespace {

const QuantityInfo kInfo[kQuantities] = {
    {"Ta", "Air temperature", "K", true},    {"Pb", "Pressure", "Pa", false},
    {"Ws", "Wind speed", "m/s", false},      {"Wd", "Wind direction", "deg", false},
    {"Hr", "Humidity ratio", "g/kg", false}, {"Ith", "Total radiation", "kJ/m^2", false},
    {"Idn", "Direct radiation", "kJ/m^2", false}, {"Ts", "Sky temperature", "K", true},
};

constexpr const char *kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr double kPi = 3.14159265358979323846;

// Sums of one row while its points are counted.
struct Sums {
    double sum[kQuantities] = {};
    double east = 0, north = 0;  // sums of the wind direction's unit vector
};

void finish(MonthStats &row, const Sums &s) {
    for (int q = 0; q < kQuantities; ++q) row.mean[q] = s.sum[q] / row.points;
    double deg = std::atan2(s.east, s.north) * 180.0 / kPi;
    if (deg < 0) deg += 360.0;
    row.mean[static_cast<int>(Quantity::Wd)] = deg;
}

}  // namespace

const QuantityInfo &quantity_info(Quantity q) { return kInfo[static_cast<int>(q)]; }

double quantity_value(const WthPoint &p, Quantity q) {
    switch (q) {
    case Quantity::Ta: return p.ta;
    case Quantity::Pb: return p.pb;
    case Quantity::Ws: return p.ws;
    case Quantity::Wd: return p.wd;
    case Quantity::Hr: return p.hr;
    case Quantity::Ith: return p.ith;
    case Quantity::Idn: return p.idn;
    case Quantity::Ts: return p.ts;
    case Quantity::Count: break;
    }
    return 0;
}

const char *month_name(int month) { return kMonths[(month - 1) % 12]; }

std::vector<MonthStats> monthly_summary(const WthFile &file) {
    std::vector<MonthStats> rows;
    Sums sums;
    for (const WthPoint &p : file.points) {
        const int month = wth_month(file.days[p.day_index].day);
        if (rows.empty() || rows.back().month != month) {
            if (!rows.empty()) finish(rows.back(), sums);
            rows.emplace_back();
            rows.back().month = month;
            sums = Sums{};
        }
        MonthStats &row = rows.back();
        for (int q = 0; q < kQuantities; ++q) {
            const double v = quantity_value(p, static_cast<Quantity>(q));
            if (row.points == 0 || v < row.min[q]) row.min[q] = v;
            if (row.points == 0 || v > row.max[q]) row.max[q] = v;
            sums.sum[q] += v;
        }
        const double rad = p.wd * kPi / 180.0;
        sums.east += std::sin(rad);
        sums.north += std::cos(rad);
        row.rain_hours += p.rn != 0;
        row.snow_hours += p.sn != 0;
        ++row.points;
    }
    if (!rows.empty()) finish(rows.back(), sums);
    return rows;
}

std::string summary_number(double value, Quantity q) {
    // Room for any double in fixed notation: 309 digits before the point, a sign, the
    // point and the decimals.
    char text[320];
    const int decimals = q == Quantity::Hr ? 3 : 2;
    const auto r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) return "";
    std::string out(text, r.ptr);
    return out == "-0.00" || out == "-0.000" ? out.substr(1) : out;
}

std::string summary_csv(const std::vector<MonthStats> &rows, bool celsius) {
    std::string out = "Month";
    for (int q = 0; q < kQuantities; ++q) {
        const QuantityInfo &info = kInfo[q];
        const std::string unit = info.temperature && celsius ? "C" : info.unit;
        for (const char *stat : {" min [", " mean [", " max ["})
            out += std::string(",") + info.column + stat + unit + "]";
    }
    out += ",Rain [h],Snow [h]\r\n";
    for (const MonthStats &row : rows) {
        out += month_name(row.month);
        for (int q = 0; q < kQuantities; ++q) {
            const double shift = kInfo[q].temperature && celsius ? kZeroCelsius : 0;
            for (double v : {row.min[q], row.mean[q], row.max[q]})
                out += "," + summary_number(v - shift, static_cast<Quantity>(q));
        }
        out += "," + std::to_string(row.rain_hours) + "," + std::to_string(row.snow_hours) + "\r\n";
    }
    return out;
}
