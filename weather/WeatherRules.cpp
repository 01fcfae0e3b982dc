// WeatherRules - what the window decides without any window.
#include "WeatherRules.h"

#include <cstdio>
#include <memory>

// ---- Version --------------------------------------------------------------------

std::string version_text(int major, int minor, int revision) {
    return std::to_string(major) + "." + std::to_string(minor) + "." +
           std::to_string(revision);
}

std::string window_caption(int major, int minor, int revision) {
    return std::string(kAppTitle) + " v" + version_text(major, minor, revision);
}

// ---- Conversion types -----------------------------------------------------------

TypeControls type_controls(ConversionType type) {
    switch (type) {
    case ConversionType::V1Upgrade: return {true, false, 400};
    case ConversionType::Tmy2: return {true, true, 300};
    case ConversionType::Epw: return {true, true, 200};
    case ConversionType::Template: return {false, true, 500};
    }
    return {true, false, 0};
}

const char *source_filter(ConversionType type) {
    switch (type) {
    case ConversionType::V1Upgrade: return kWeatherFilter;
    case ConversionType::Tmy2: return "TMY2 Files (*.tm2)|*.tm2";
    case ConversionType::Epw: return "EPW Files (*.epw)|*.epw";
    case ConversionType::Template: return "";
    }
    return "";
}

// ---- Source and destination files -----------------------------------------------

HeaderRead read_first_line(const std::string &path, std::string &line) {
    line.clear();
    std::unique_ptr<FILE, int (*)(FILE *)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) return HeaderRead::CannotOpen;

    int c = std::fgetc(file.get());
    if (c == EOF) return HeaderRead::Failed;  // nothing to read, not even an empty line
    while (c != EOF && c != '\r' && c != '\n') {
        if (line.size() >= static_cast<size_t>(kDescriptionLimit)) {
            line.clear();
            return HeaderRead::Failed;
        }
        line.push_back(static_cast<char>(c));
        c = std::fgetc(file.get());
    }
    return HeaderRead::Ok;
}

bool is_v20_header(const std::string &description) {
    const size_t first = description.find_first_not_of(' ');
    if (first == std::string::npos) return false;
    const size_t last = description.find_last_not_of(' ');
    return description.compare(first, last - first + 1, kV20Header) == 0;
}

std::string species_path(const std::string &weather_path) {
    size_t end = weather_path.size();
    for (int cut = 0; cut < 4 && end > 0; ++cut) {
        // Step back over one UTF-8 character: its continuation bytes are 10xxxxxx.
        do {
            --end;
        } while (end > 0 && (static_cast<unsigned char>(weather_path[end]) & 0xC0) == 0x80);
    }
    return weather_path.substr(0, end) + ".ctm";
}

bool is_blank(const std::string &text) {
    return text.find_first_not_of(" \t") == std::string::npos;
}

// ---- Calendar ---------------------------------------------------------------------

void init_month_days(MonthTables &t) {
    static constexpr int kDays[kMonths] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 0; m < kMonths; ++m) t.MonthDays[m] = kDays[m];
}

void init_month_starts(MonthTables &t) {
    int days_before = 0;  // days of the year before the month
    for (int m = 0; m < kMonths; ++m) {
        for (int first = 0; first < kWeekdays; ++first)
            t.MonthStartTable[m][first] = (first + days_before) % kWeekdays + 1;
        days_before += t.MonthDays[m];
    }
}

DayCaptions calendar_captions(const MonthTables &t, int month, int first_day_of_year) {
    DayCaptions captions{};
    if (month < 1 || month > kMonths || first_day_of_year < 0 || first_day_of_year >= kWeekdays)
        return captions;
    const int start = t.MonthStartTable[month - 1][first_day_of_year];  // 1..7
    const int length = t.MonthDays[month - 1];
    // Day d sits in cell start - 2 + d; the last lands at most in cell 7 + 31 - 2 = 36.
    for (int day = 1; day <= length && start - 2 + day < kDayButtons; ++day)
        captions[start - 2 + day] = std::to_string(day);
    return captions;
}

int next_month(int month) { return month >= kMonths ? 1 : month + 1; }

int previous_month(int month) { return month <= 1 ? kMonths : month - 1; }

std::string date_text(int month, int day) {
    return std::to_string(month) + "/" + std::to_string(day);
}

// ---- Special days -----------------------------------------------------------------

int add_special_day(std::vector<SpecialDay> &rows, const std::string &date,
                    const std::string &type) {
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].date == date) {
            rows[i].type = type;
            return static_cast<int>(i);
        }
    }
    rows.push_back({date, type});
    return static_cast<int>(rows.size()) - 1;
}

bool remove_special_day(std::vector<SpecialDay> &rows, int selected) {
    if (selected < 0 || static_cast<size_t>(selected) >= rows.size()) return false;
    rows.erase(rows.begin() + selected);
    return true;
}

// ---- A run ------------------------------------------------------------------------

namespace {

constexpr const char *kCrLf = "\r\n";

// The decimal value of the two characters at `pos` of `date`; a character that is not
// a digit counts as 0.
int two_digits(const std::string &date, size_t pos) {
    int value = 0;
    for (size_t i = pos; i < pos + 2 && i < date.size(); ++i)
        value = value * 10 + (date[i] >= '0' && date[i] <= '9' ? date[i] - '0' : 0);
    return value;
}

// True when the "mm/dd" text `start` comes after `end` within the year.
bool date_after(const std::string &start, const std::string &end) {
    const size_t start_day = start.size() >= 2 ? start.size() - 2 : 0;
    const size_t end_day = end.size() >= 2 ? end.size() - 2 : 0;
    const int start_month = two_digits(start, 0), end_month = two_digits(end, 0);
    return start_month > end_month ||
           (start_month == end_month && two_digits(start, start_day) > two_digits(end, end_day));
}

// A numeric line: one blank in the place of a sign, the digits, one blank.
std::string numeric_line(int value) { return " " + std::to_string(value) + " " + kCrLf; }

std::string text_line(const std::string &text) { return text + kCrLf; }

std::string pair_line(const std::string &first, const std::string &second) {
    return first + " " + second + kCrLf;
}

}  // namespace

const char *check_run_inputs(const RunInputs &in) {
    if (in.type != ConversionType::V1Upgrade) {
        for (const std::string *date : {&in.start_date, &in.end_date, &in.dsl_start, &in.dsl_end})
            if (date->find('_') != std::string::npos) return kMsgDatesIncomplete;
        if (date_after(in.start_date, in.end_date)) return kMsgDateOrder;
    }
    if (in.type != ConversionType::Template && is_blank(in.source_box)) return kMsgNoSource;
    if (is_blank(in.destination_box)) return kMsgNoDestination;
    return nullptr;
}

std::string control_file_text(const RunInputs &in) {
    if (in.type == ConversionType::V1Upgrade)
        return text_line(in.v1_path) + text_line(in.weather_path) +
               text_line(in.contaminant_path) + text_line(in.description);

    std::string source, word;
    switch (in.type) {
    case ConversionType::Template: source = in.weather_path; word = "TEMPLATE"; break;
    case ConversionType::Tmy2: source = in.tmy2_path; word = "TMY2"; break;
    default: source = in.epw_path; word = "E/E"; break;
    }
    std::string text = text_line(in.description) + text_line(source) + text_line(word) +
                       text_line(in.destination_box) + pair_line(in.start_date, in.end_date) +
                       numeric_line(in.first_day_index + 1) +
                       numeric_line(static_cast<int>(in.special_days.size()));
    for (const SpecialDay &day : in.special_days) text += pair_line(day.date, day.type);
    return text + pair_line(in.dsl_start, in.dsl_end);
}
