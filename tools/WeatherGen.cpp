// WeatherGen - synthetic hourly weather of one year as TMY2 or EPW.  See WeatherGen.h.
#include "WeatherGen.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "Calendar.h"

constexpr double kPi = 3.14159265358979323846;
constexpr double kLatitude = 45.0;       // degrees north
constexpr double kSolarConstant = 1367;  // W/m^2
constexpr double kClearSky = 0.75;       // clear-sky transmittance of the atmosphere
constexpr double kStefanBoltzmann = 5.67e-8;  // W/(m^2 K^4)

// A number in [0, 1) that depends only on `index` and `salt` (an integer hash), so
// that the same hour always gets the same weather.
static double noise(uint32_t index, uint32_t salt) {
    uint32_t x = index * 2654435761u ^ (salt + 1u) * 40503u;
    x ^= x >> 15;
    x *= 2246822519u;
    x ^= x >> 13;
    x *= 3266489917u;
    x ^= x >> 16;
    return x / 4294967296.0;
}

static int clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }
static int round_int(double v) { return (int)std::lround(v); }

// Weather of one hour.  `doy` counts the days of the year from 1, `hour` is 1..24 and
// `index` counts the hours of the year from 0; `snow` carries the snow cover (cm) and
// `dry_days` the days without snowfall from hour to hour.
static void gen_hour(GenHour &g, int doy, int hour, uint32_t index, double &snow,
                     double &dry_days) {
    const double rad = kPi / 180.0;
    const double t = hour - 0.5;  // middle of the hour, solar time
    const uint32_t day = (uint32_t)doy;

    // Sun: declination (Cooper 1969) and elevation at the middle of the hour.
    double decl = 23.45 * std::sin(2 * kPi * (284 + doy) / 365.0);
    double hour_angle = 15.0 * (t - 12.0);
    double sin_alt = std::sin(kLatitude * rad) * std::sin(decl * rad) +
                     std::cos(kLatitude * rad) * std::cos(decl * rad) * std::cos(hour_angle * rad);
    double etr_dn = kSolarConstant * (1 + 0.033 * std::cos(2 * kPi * doy / 365.0));
    bool sun = sin_alt > 0.01;

    // Clouds: a cloudiness of the day and of the hour.
    double cloud = 0.65 * noise(day, 1) + 0.35 * noise(index, 2);
    int cover = clamp(round_int(10 * cloud), 0, 10);
    double c = cover / 10.0;

    // Temperatures in degC: yearly and daily swing, a random offset per day.
    double ta = 10.0 - 13.0 * std::cos(2 * kPi * (doy - 20) / 365.0) +
                (4.0 + 3.0 * (1 - c)) * std::sin(2 * kPi * (t - 9) / 24.0) +
                6.0 * (noise(day, 3) - 0.5) + 0.6 * (noise(index, 4) - 0.5);
    double spread = 1.0 + 8.0 * noise(day, 5) * (1.1 - c);
    double td = ta - spread;
    auto magnus = [](double x) { return std::exp(17.62 * x / (243.12 + x)); };

    // Precipitation in cloudy hours: rain above 0 degC, snow below.
    strcpy(g.weather, "999999999");
    bool wet = cover >= 8 && noise(index, 6) < 0.35;
    if (wet && ta > 0.5) {
        g.weather[1] = (char)('0' + (int)(9 * noise(index, 7)));  // 0 light .. 8
    } else if (wet) {
        g.weather[3] = (char)('0' + (int)(9 * noise(index, 7)));
        snow += 0.4;
        dry_days = 0;
    }
    snow -= 0.04 * (ta > 0 ? ta : 0);
    if (snow < 0) snow = 0;
    if (hour == 24) dry_days += 1;

    g.hour = hour;
    g.etr_dn = sun ? round_int(etr_dn) : 0;
    g.etr_h = sun ? round_int(etr_dn * sin_alt) : 0;
    double kt = kClearSky * (1 - 0.7 * c * c);
    g.global = sun ? round_int(etr_dn * sin_alt * kt) : 0;
    g.direct = sun ? round_int(etr_dn * std::pow(kClearSky, 1 / sin_alt) * (1 - c)) : 0;
    g.diffuse = sun ? clamp(round_int(g.global - g.direct * sin_alt), 0, 2000) : 0;
    g.total_cover = cover;
    g.opaque_cover = round_int(0.7 * cover);
    g.dry_bulb = round_int(10 * ta);
    g.dew_point = round_int(10 * td);
    g.rel_hum = clamp(round_int(100 * magnus(td) / magnus(ta)), 1, 100);
    g.pressure = round_int(1001 + 10 * std::sin(2 * kPi * doy / 17.0) + 6 * (noise(day, 8) - 0.5));
    g.wind_dir = 10 * (int)(36 * noise(index / 6, 9));
    g.wind_speed = round_int(10 * (1 + 6 * noise(day, 10) + 1.5 * noise(index, 11)));
    g.infrared = round_int(kStefanBoltzmann * std::pow(ta + 273.15, 4) * (0.75 + 0.02 * cover));
    g.snow_depth = round_int(snow);
    g.days_since_snow = dry_days > 88 ? 88 : (int)dry_days;
}

int gen_year(GenHour *hours, int year, bool leap) {
    double snow = 5, dry_days = 3;
    int n = 0, doy = 0;
    for (int m = 1; m <= 12; ++m) {
        // The sources may have a 29 February, which the 365-day calendar lacks.
        int days = calendar::month_days(m) + (leap && m == 2 ? 1 : 0);
        for (int d = 1; d <= days; ++d) {
            ++doy;
            for (int h = 1; h <= 24; ++h, ++n) {
                GenHour &g = hours[n];
                gen_hour(g, doy, h, (uint32_t)n, snow, dry_days);
                g.year = year;
                g.month = m;
                g.day = d;
                // Now and then the sky was not observed.
                if (n % 613 == 400) g.total_cover = g.opaque_cover = 99;
            }
        }
    }
    return n;
}

// ---- TMY2 -------------------------------------------------------------------------
// Columns of a TMY2 record (1-based): 2-9 year, month, day, hour; 10-17 extraterrestrial
// radiation; 18-59 radiation and light, each a value of 4 and two flag characters;
// 60-67 sky covers (2 + 2 flags); 68-79 dry bulb and dew point (4 + 2); 80-84 relative
// humidity; 85-90 pressure; 91-95 wind direction; 96-100 wind speed; 101-106
// visibility; 107-113 ceiling; 114-123 present weather; 124-128 precipitable water;
// 129-133 aerosol optical depth; 134-138 snow depth; 139-142 days since snowfall.
void format_tmy2_record(const GenHour &h, char *line, int size) {
    bool overcast = h.total_cover >= 5 && h.total_cover != 99;
    int ceiling = overcast ? 1000 + 300 * (10 - h.total_cover) : 77777;
    snprintf(line, (size_t)size,
             " %02d%02d%02d%02d%04d%04d"
             "%04d?0%04d?0%04d?0%04dI8%04dI8%04dI8%04dI8"
             "%02dE7%02dE7"
             "%04dA7%04dA7%03dA7%04dA7%03dA7%03dA7"
             "%04dB7%05dB7%c%s"
             "%03dE8%03dF8%03dA7%02dA7",
             h.year % 100, h.month, h.day, h.hour, h.etr_h, h.etr_dn,
             h.global, h.direct, h.diffuse, h.global * 11 / 10 % 10000,
             h.direct * 105 / 100 % 10000, h.diffuse * 12 / 10 % 10000, h.diffuse * 3 % 10000,
             h.total_cover, h.opaque_cover,
             h.dry_bulb, h.dew_point, h.rel_hum, h.pressure, h.wind_dir, h.wind_speed,
             300 - 20 * (h.total_cover % 11), ceiling,
             strcmp(h.weather, "999999999") == 0 ? '9' : '0', h.weather,
             10 + h.dew_point / 20 < 0 ? 0 : 10 + h.dew_point / 20, 100, h.snow_depth,
             h.days_since_snow);
}

static int write_line(FILE *f, const char *line, bool crlf) {
    return fputs(line, f) == EOF || fputs(crlf ? "\r\n" : "\n", f) == EOF;
}

int write_tmy2(FILE *f, const GenHour *hours, int count, bool crlf) {
    char line[256];
    snprintf(line, sizeof line, " %5s %-22s %-2s %3d %c %2d %2d %c %3d %2d %5d", "99999",
             "SYNTHETIC_TOWN", "ZZ", 1, 'N', 45, 0, 'E', 8, 0, 100);
    int failed = write_line(f, line, crlf);
    for (int i = 0; i < count; ++i) {
        format_tmy2_record(hours[i], line, sizeof line);
        failed |= write_line(f, line, crlf);
    }
    return failed;
}

// ---- EPW --------------------------------------------------------------------------
// A value in tenths as a decimal with one digit after the point ("-1.5", "0.0").
static const char *tenths(char *buf, int v) {
    snprintf(buf, 16, "%s%d.%d", v < 0 ? "-" : "", std::abs(v) / 10, std::abs(v) % 10);
    return buf;
}

void format_epw_record(const GenHour &h, char *line, int size) {
    char dry[16], dew[16], wind[16];
    bool observed = strcmp(h.weather, "999999999") != 0;
    bool raining = h.weather[1] != '9';
    int cover = h.total_cover;
    snprintf(line, (size_t)size,
             "%d,%d,%d,%d,60,*?9?9?9?9E0?9?9?9?9?9?9?9?9?9?9?9?9?9?9*9*9?9?9?9,"
             "%s,%s,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,"
             "%d,%s,%d,%d,%d,%d,%d,%s,%d,0.100,%d,%d,%s,%s,%s",
             h.year, h.month, h.day, h.hour, tenths(dry, h.dry_bulb), tenths(dew, h.dew_point),
             h.rel_hum, h.pressure * 100, h.etr_h, h.etr_dn, h.infrared, h.global, h.direct,
             h.diffuse, h.global * 110, h.direct * 105, h.diffuse * 120, h.diffuse * 3,
             h.wind_dir, tenths(wind, h.wind_speed), cover, h.opaque_cover,
             cover == 99 ? 9999 : 30 - 2 * cover,
             cover >= 5 && cover != 99 ? 1000 + 300 * (10 - cover) : 77777, observed ? 0 : 9,
             h.weather, 10 + h.dew_point / 20 < 0 ? 0 : 10 + h.dew_point / 20, h.snow_depth,
             h.days_since_snow, h.snow_depth > 0 ? "0.60" : "0.20", raining ? "1.2" : "0.0",
             "1.0");
}

int write_epw(FILE *f, const GenHour *hours, int count, bool crlf) {
    bool leap = count == kGenHoursPerLeapYear;
    char line[512];
    const char *head[] = {
        "LOCATION,Synthetic Town,ZZ,ZZZ,gen_weather,999999,45.00,8.00,1.0,100.0",
        "DESIGN CONDITIONS,0",
        "TYPICAL/EXTREME PERIODS,0",
        "GROUND TEMPERATURES,0",
        leap ? "HOLIDAYS/DAYLIGHT SAVINGS,Yes,0,0,0" : "HOLIDAYS/DAYLIGHT SAVINGS,No,0,0,0",
        "COMMENTS 1,Synthetic weather made by gen_weather; not observed data",
        "COMMENTS 2,",
        "DATA PERIODS,1,1,Data,Sunday,1/1,12/31",
    };
    int failed = 0;
    for (const char *text : head) failed |= write_line(f, text, crlf);
    for (int i = 0; i < count; ++i) {
        format_epw_record(hours[i], line, sizeof line);
        failed |= write_line(f, line, crlf);
    }
    return failed;
}
