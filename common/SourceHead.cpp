// SourceHead - the first line and the weekday of a source.  See SourceHead.h.
#include "SourceHead.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <sys/stat.h>

#include "Calendar.h"

namespace {

constexpr int kEeHeaderLines = 8;                     // lines before the first record

using File = std::unique_ptr<FILE, int (*)(FILE *)>;

enum class Opened { Ok, CannotOpen, NotRegular };

// Opens `path` for reading when it is a regular file, with its size; errno tells why
// when it cannot be opened.
File open_regular(const char *path, Opened *how, off_t *size) {
    File file(std::fopen(path, "rb"), &std::fclose);
    struct stat st;
    *how = !file ? Opened::CannotOpen
         : fstat(fileno(file.get()), &st) == 0 && S_ISREG(st.st_mode) ? Opened::Ok
                                                                    : Opened::NotRegular;
    if (*how != Opened::Ok) file.reset();
    *size = *how == Opened::Ok ? st.st_size : 0;
    return file;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// The whole number 0..9999 that `s` is (blanks around it allowed), or -1.
int small_number(std::string_view s) {
    s = trimmed(s);
    if (s.empty() || s.size() > 4) return -1;
    int n = 0;
    for (char c : s) {
        if (!isdigit((unsigned char)c)) return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

// Field `n` (0-based) of the comma-separated `line`; empty when it has fewer.
std::string_view field(std::string_view line, int n) {
    for (; n > 0; --n) {
        size_t comma = line.find(',');
        if (comma == std::string_view::npos) return {};
        line.remove_prefix(comma + 1);
    }
    return line.substr(0, line.find(','));
}

// The weekday of 1 January by the first period of a "DATA PERIODS" line, or 0.
int data_periods_weekday(std::string_view line) {
    const std::string_view name = trimmed(field(line, 4)), start = field(line, 5);
    int weekday = 0;
    for (int w = 0; w < calendar::kWeekdays; ++w)
        if (name.size() == strlen(calendar::kWeekdayNames[w]) &&
            strncasecmp(name.data(), calendar::kWeekdayNames[w], name.size()) == 0)
            weekday = w + 1;
    const size_t slash = start.find('/');
    if (weekday == 0 || slash == std::string_view::npos) return 0;
    const int day = calendar::day_of_year(small_number(start.substr(0, slash)),
                                          small_number(start.substr(slash + 1)));
    if (day < 1) return 0;
    return ((weekday - 1 - (day - 1)) % 7 + 7) % 7 + 1;
}

}  // namespace

bool source_first_line(const char *path, std::string &line, size_t limit) {
    line.clear();
    Opened how;
    off_t size;
    File file = open_regular(path, &how, &size);
    if (!file) return false;
    for (int c; line.size() <= limit && (c = std::fgetc(file.get())) != EOF && c != '\r' &&
                c != '\n' && c != '\0';)
        line.push_back((char)c);
    if (line.size() > limit) {
        // Cut before the character that straddles the limit: its continuation bytes
        // are 10xxxxxx.
        size_t end = limit;
        while (end > 0 && ((unsigned char)line[end] & 0xC0) == 0x80) --end;
        line.resize(end);
    }
    return true;
}

int new_year_weekday(int year) {
    // Gauss's rule for 1 January: 0 = Sunday.
    const int y = year - 1;
    return (1 + 5 * (y % 4) + 4 * (y % 100) + 6 * (y % 400)) % 7 + 1;
}

bool is_leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

SourceWeekday ee_weekday(const char *path) {
    SourceWeekday found{WeekdayFrom::None, 0, 0, false, 0};
    Opened how;
    off_t size;
    File file = open_regular(path, &how, &size);
    if (how == Opened::NotRegular) found.from = WeekdayFrom::NotRegular;
    if (how == Opened::CannotOpen) found = {WeekdayFrom::Unreadable, 0, 0, false, errno};
    if (!file) return found;
    if ((size_t)size > kMaxSourceBytes) return {WeekdayFrom::Unreadable, 0, 0, false, EFBIG};
    std::string text((size_t)size, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file.get()));
    if (std::ferror(file.get())) return {WeekdayFrom::Unreadable, 0, 0, false, EIO};

    int data_periods = 0;  // the weekday its line gives, 0 for none
    int year = 0;          // the year of every record so far; -1 once two differ
    for (size_t at = 0, number = 1; at < text.size(); ++number) {
        const size_t end = std::min(text.find_first_of("\r\n", at), text.size());
        const std::string_view line(text.data() + at, end - at);
        // CR LF, LF and CR alone each end one line.
        at = end + (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
        if (number <= kEeHeaderLines) {
            if (line.substr(0, 13) == "DATA PERIODS,") data_periods = data_periods_weekday(line);
            continue;
        }
        if (trimmed(line).empty() || year < 0) continue;
        const int record_year = small_number(field(line, 0));
        year = record_year >= 1 && (year == 0 || record_year == year) ? record_year : -1;
    }
    if (year > 0) return {WeekdayFrom::Year, new_year_weekday(year), year, is_leap_year(year), 0};
    if (data_periods > 0) return {WeekdayFrom::DataPeriods, data_periods, 0, false, 0};
    return found;
}
