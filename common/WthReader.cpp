// WthReader - the weather file 2.0 read and checked from memory.
#include "WthReader.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace {

constexpr const char *kHeader = "WeatherFile Ventora 2.0";
constexpr int kDayFields = 5;     // Date DofW Dtype DST Tgrnd
constexpr int kPointFields = 12;  // Date Time Ta Pb Ws Wd Hr Ith Idn Ts Rn Sn
constexpr int kTemplateFields = 2;

// Names of the time-point columns, for messages.
constexpr const char *kPointColumns[kPointFields] = {"Date", "Time", "Ta", "Pb", "Ws", "Wd",
                                                     "Hr",   "Ith",  "Idn", "Ts", "Rn", "Sn"};

// The text split into lines: LF ends a line and a CR right before it belongs to the
// line end.  Counts the lines; a last line without LF is reported as cut short.
struct Lines {
    std::string_view text;
    std::size_t pos = 0;
    int number = 0;      // number of the line last returned
    bool ended = true;   // whether the line last returned had its line end

    bool next(std::string_view &line) {
        if (pos >= text.size()) return false;
        const std::size_t lf = text.find('\n', pos);
        ended = lf != std::string_view::npos;
        const std::size_t end = ended ? lf : text.size();
        line = text.substr(pos, end - pos);
        if (ended && !line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos = ended ? lf + 1 : text.size();
        ++number;
        return true;
    }
};

// Splits `line` at its tabs into `fields` (an empty line gives one empty field).
void split_tabs(std::string_view line, std::vector<std::string_view> &fields) {
    fields.clear();
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        if (tab == std::string_view::npos) break;
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
}

// A whole field as an integer or a finite decimal; 0 when valid, 1 when not.
int to_int(std::string_view s, int &value) {
    const auto r = std::from_chars(s.data(), s.data() + s.size(), value);
    return s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size();
}
int to_double(std::string_view s, double &value) {
    const auto r = std::from_chars(s.data(), s.data() + s.size(), value);
    return s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(value);
}

// "m/d" (leading zeros allowed) as a day of the year; -1 when it is not a date.
int to_day(std::string_view s) {
    const std::size_t slash = s.find('/');
    int month = 0, mday = 0;
    if (slash == std::string_view::npos || to_int(s.substr(0, slash), month) ||
        to_int(s.substr(slash + 1), mday) || s[0] == '-' || s[slash + 1] == '-')
        return -1;
    return calendar::day_of_year(month, mday);
}

// "hh:mm:ss" as seconds 0..86400; -1 when it is not a time of the day.
int to_seconds(std::string_view s) {
    if (s.size() != 8 || s[2] != ':' || s[5] != ':') return -1;
    for (int i : {0, 1, 3, 4, 6, 7})
        if (s[i] < '0' || s[i] > '9') return -1;
    const int h = (s[0] - '0') * 10 + (s[1] - '0');
    const int m = (s[3] - '0') * 10 + (s[4] - '0');
    const int sec = (s[6] - '0') * 10 + (s[7] - '0');
    const int total = h * 3600 + m * 60 + sec;
    return m < 60 && sec < 60 && total <= kWthSecondsPerDay ? total : -1;
}

// The reader's state while it walks the file: the lines, the fields of the current
// line and the first problem found.
struct Reader {
    Lines lines;
    std::string_view line;
    std::vector<std::string_view> fields;
    std::string &error;

    // Sets the error for the current line; returns 1 for the caller to pass on.
    int fail(const std::string &what) {
        error = "line " + std::to_string(lines.number) + ": " + what;
        return 1;
    }
    // The next line, or 1 with "end of file, <what> expected".  A line without its
    // line end is reported whatever it holds: the file was cut short.
    int take(const char *what) {
        if (!lines.next(line)) {
            ++lines.number;
            return fail(std::string("end of file, ") + what + " expected");
        }
        if (!lines.ended) return fail("no line end: the file ends inside this line");
        return 0;
    }
    int count(int expected) {
        const int n = static_cast<int>(fields.size());
        if (n == expected) return 0;
        return fail(std::to_string(n) + (n == 1 ? " value, " : " values, ") +
                    std::to_string(expected) + " expected");
    }
    // A date line of the head: the date, then nothing but a "!" label.
    int head_date(const char *what, int &day) {
        if (take(what)) return 1;
        split_tabs(line, fields);
        day = to_day(fields[0]);
        if (day < 0) return fail(std::string(what) + " expected, not \"" + std::string(fields[0]) + "\"");
        for (std::size_t i = 1; i < fields.size(); ++i)
            if (fields[i].empty() || fields[i][0] != '!')
                return fail("text after the date that is not a \"!\" label");
        return 0;
    }
    int column_line(const char *what) {
        if (take(what)) return 1;
        return line.empty() || line[0] != '!' ? fail(std::string(what) + " expected") : 0;
    }
    int quote_fail(const char *name, std::string_view field, const char *problem) {
        return fail(std::string(name) + " \"" + std::string(field) + "\" " + problem);
    }
};

int read_head(Reader &r, WthFile &out) {
    if (r.take("\"WeatherFile Ventora 2.0\"")) return 1;
    if (r.line != kHeader) return r.fail("\"WeatherFile Ventora 2.0\" expected: not a weather file 2.0");
    if (r.take("description")) return 1;
    out.description.assign(r.line);
    if (r.head_date("start date", out.start_day) || r.head_date("end date", out.end_day)) return 1;
    return r.column_line("column line of the day section");
}

int read_days(Reader &r, WthFile &out) {
    for (int day = out.start_day;; day = calendar::next_day(day)) {
        const std::string expected = wth_date_text(day);
        if (r.take(("day line of " + expected).c_str())) return 1;
        split_tabs(r.line, r.fields);
        if (r.count(kDayFields)) return 1;
        const auto &f = r.fields;
        if (to_day(f[0]) != day)
            return r.fail("date \"" + std::string(f[0]) + "\", " + expected + " expected");
        WthDay d{day, 0, 0, 0, 0.0f};
        double tgrnd = 0;
        if (to_int(f[1], d.dow) || d.dow < 1 || d.dow > 7)
            return r.quote_fail("day of week", f[1], "is not 1 to 7");
        if (to_int(f[2], d.dtype) || d.dtype < 1) return r.quote_fail("day type", f[2], "is not a day type");
        if (to_int(f[3], d.dst) || d.dst < 0 || d.dst > 1)
            return r.quote_fail("daylight-saving flag", f[3], "is not 0 or 1");
        if (to_double(f[4], tgrnd)) return r.quote_fail("ground temperature", f[4], "is not a number");
        d.tgrnd = static_cast<float>(tgrnd);  // the format holds it as a 32-bit float
        out.days.push_back(d);
        if (day == out.end_day) return 0;
    }
}

int read_points(Reader &r, WthFile &out) {
    // Index of each day of the year in the day section, -1 for days outside it.
    std::vector<int> index(kWthDaysInYear + 1, -1);
    for (std::size_t i = 0; i < out.days.size(); ++i) index[out.days[i].day] = static_cast<int>(i);

    long previous = -1;
    for (;;) {
        if (!r.lines.next(r.line)) break;
        if (!r.lines.ended) return r.fail("no line end: the file ends inside this line");
        if (r.line.empty()) return r.fail("empty line");
        split_tabs(r.line, r.fields);
        if (out.points.empty()) out.is_template = r.fields.size() == kTemplateFields;
        if (r.count(out.is_template ? kTemplateFields : kPointFields)) return 1;
        const auto &f = r.fields;
        WthPoint p{};
        const int day = to_day(f[0]);
        if (day < 0) return r.quote_fail("date", f[0], "is not a date");
        p.day_index = index[day];
        if (p.day_index < 0) return r.quote_fail("date", f[0], "is outside the file's days");
        p.seconds = to_seconds(f[1]);
        if (p.seconds < 0) return r.quote_fail("time", f[1], "is not a time of the day");
        const long at = wth_elapsed(p);
        if (at < previous) return r.fail("time point before the one on the line above");
        if (previous < 0 && p.day_index != 0)
            return r.fail("the time points start on " + std::string(f[0]) + ", not on the start date");
        previous = at;
        if (!out.is_template) {
            float *const floats[] = {&p.ta, &p.pb, &p.ws, &p.wd, nullptr, &p.ith, &p.idn, &p.ts};
            for (int k = 2; k < 10; ++k) {
                double v = 0;
                if (to_double(f[k], v)) return r.quote_fail(kPointColumns[k], f[k], "is not a number");
                if (floats[k - 2])
                    *floats[k - 2] = static_cast<float>(v);  // held as 32-bit floats
                else
                    p.hr = v;
            }
            if (to_int(f[10], p.rn)) return r.quote_fail("Rn", f[10], "is not a whole number");
            if (to_int(f[11], p.sn)) return r.quote_fail("Sn", f[11], "is not a whole number");
        }
        out.points.push_back(p);
    }
    ++r.lines.number;
    if (out.points.empty()) return r.fail("end of file, time points expected");
    if (out.points.back().day_index + 1 != static_cast<int>(out.days.size()))
        return r.fail("end of file, time points of " + wth_date_text(out.end_day) + " expected");
    return 0;
}

}  // namespace

int wth_parse(const char *text, std::size_t size, WthFile &out, std::string &error) {
    out = WthFile{};
    error.clear();
    Reader r{{std::string_view(text, size)}, {}, {}, error};
    if (read_head(r, out) || read_days(r, out) ||
        r.column_line("column line of the time-point section"))
        return 1;
    return read_points(r, out);
}

int wth_read(const std::string &path, WthFile &out, std::string &error) {
    out = WthFile{};
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = "cannot be opened";
        return 1;
    }
    std::string text;
    char buf[1 << 16];
    std::size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        if (text.size() + n > kWthMaxFileBytes) {
            std::fclose(f);
            error = "larger than " + std::to_string(kWthMaxFileBytes >> 20) + " MB";
            return 1;
        }
        text.append(buf, n);
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        error = "cannot be read";
        return 1;
    }
    return wth_parse(text.data(), text.size(), out, error);
}

int wth_month(int day) { return calendar::month_of(day); }

int wth_mday(int day) { return calendar::day_of_month(day); }

std::string wth_date_text(int day) {
    char text[8];
    std::snprintf(text, sizeof text, "%d/%d", wth_month(day), wth_mday(day));
    return text;
}

long wth_elapsed(const WthPoint &p) {
    return static_cast<long>(p.day_index) * kWthSecondsPerDay + p.seconds;
}
