#include "import_support.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

std::vector<GenHour> marked_year(bool leap) {
    std::vector<GenHour> hours(kGenHoursPerLeapYear);
    hours.resize(gen_year(hours.data(), leap ? 2012 : 2001, leap));
    int doy = 0;
    for (GenHour &g : hours) {
        bool leap_day = g.month == 2 && g.day == 29;
        if (g.hour == 1 && !leap_day) ++doy;
        g.wind_dir = leap_day ? 999 : doy;
        g.wind_speed = 10 * g.hour;
    }
    return hours;
}

static void write_source(const std::string &path, const std::vector<GenHour> &hours,
                         bool crlf, bool epw) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot create " + path);
    int failed = epw ? write_epw(f, hours.data(), (int)hours.size(), crlf)
                     : write_tmy2(f, hours.data(), (int)hours.size(), crlf);
    if (fclose(f) != 0 || failed) throw std::runtime_error("cannot write " + path);
}

void write_tmy2_file(const std::string &path, const std::vector<GenHour> &hours, bool crlf) {
    write_source(path, hours, crlf, false);
}

void write_epw_file(const std::string &path, const std::vector<GenHour> &hours, bool crlf) {
    write_source(path, hours, crlf, true);
}

static TimePointLine parse_point(const std::string &line) {
    TimePointLine p;
    p.text = line;
    char date[16] = "", time[16] = "";
    int n = sscanf(line.c_str(),
                   "%15[^\t]\t%15[^\t]\t%lf\t%lf\t%lf\t%lf\t%lf\t%lf\t%lf\t%lf\t%d\t%d", date, time,
                   &p.Ta, &p.Pb, &p.Ws, &p.Wd, &p.Hr, &p.Ith, &p.Idn, &p.Ts, &p.Rn, &p.Sn);
    if (n != 12) throw std::runtime_error("not a time-point line: " + line);
    p.date = date;
    p.time = time;
    return p;
}

void convert(Conversion &c, const std::string &type, const std::string &source,
             const std::string &dates) {
    write_file(c.dir / "data.dat", "Import test\r\n" + source + "\r\n" + type +
                                       "\r\nout.wth\r\n" + dates +
                                       "\r\n 1 \r\n 0 \r\n01/01 01/01\r\n");
    c.result = run_program(TOLVEX_EXE, c.dir.path(), {"data.dat"});
    c.log = read_file(c.dir / "TOLVEX.LOG");
    c.out = read_file(c.dir / "out.wth");
    bool in_points = false;
    for (std::string line : split_lines(c.out)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (in_points) c.points.push_back(parse_point(line));
        if (line.rfind("!Date\tTime", 0) == 0) in_points = true;
    }
}

std::string expected_date(int start_day, int i) {
    static const int before[13] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    int day = (start_day - 1 + (i == 0 ? 0 : (i - 1) / 24)) % 365 + 1;
    int month = 12;
    while (before[month] >= day) --month;
    return std::to_string(month) + "/" + std::to_string(day - before[month]);
}

std::string expected_time(int i) {
    int hour = i == 0 ? 0 : (i - 1) % 24 + 1;
    char text[16];
    snprintf(text, sizeof text, "%02d:00:00", hour);
    return text;
}

std::vector<std::string> source_lines(bool epw, const std::vector<GenHour> &hours, bool crlf) {
    TempDir dir;
    epw ? write_epw_file(dir / "s", hours, crlf) : write_tmy2_file(dir / "s", hours, crlf);
    return split_lines(read_file(dir / "s"));
}

std::string join_lines(const std::vector<std::string> &lines) {
    std::string text;
    for (const std::string &l : lines) text += l + "\n";
    return text;
}

void spoil(bool epw, std::string &line, int where, const std::string &value) {
    if (!epw) {
        line.replace(where - 1, value.size(), value);
        return;
    }
    size_t start = 0;
    for (int f = 1; f < where; ++f) start = line.find(',', start) + 1;
    line.replace(start, line.find(',', start) - start, value);
}
