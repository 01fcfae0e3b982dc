// WeatherRules - what the window decides without any window.
#include "WeatherRules.h"

#include <cstdio>
#include <memory>

#include "Paths.h"

// ---- Version --------------------------------------------------------------------

std::string version_text(int major, int minor, int revision) {
    return std::to_string(major) + "." + std::to_string(minor) + "." +
           std::to_string(revision);
}

std::string window_caption(int major, int minor, int revision) {
    return std::string(kAppTitle) + " v" + version_text(major, minor, revision);
}

// ---- Help -------------------------------------------------------------------------

const char *help_page(int topic) {
    for (const WindowFormat &f : kWindowFormats)
        if (f.help_topic == topic) return f.help_page;
    switch (topic) {
    case kHelpUpgrade: return "upgrade.html";
    case kHelpMessages: return "messages.html";
    case kHelpViewer: return "viewer.html";
    default: return "contents.html";
    }
}

// ---- Conversion types -----------------------------------------------------------

const WindowFormat *window_format(ConversionType type) {
    for (const WindowFormat &f : kWindowFormats)
        if (f.option == type) return &f;
    return nullptr;
}

TypeControls type_controls(ConversionType type) {
    const WindowFormat *format = window_format(type);
    if (!format) return {true, false, kHelpUpgrade};
    return {source_format(format->type).has_source, true, format->help_topic};
}

const char *source_filter(ConversionType type) {
    const WindowFormat *format = window_format(type);
    return format ? format->filter : kWeatherFilter;
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

std::string with_weather_extension(const std::string &path) {
    const size_t slash = path.find_last_of('/');
    const size_t name = slash == std::string::npos ? 0 : slash + 1;
    if (name < path.size() && path.find('.', name + 1) != std::string::npos) return path;
    return path + ".wth";
}

// ---- Calendar ---------------------------------------------------------------------

void init_month_days(MonthTables &t) {
    for (int m = 0; m < kMonths; ++m) t.MonthDays[m] = calendar::month_days(m + 1);
}

void init_month_starts(MonthTables &t) {
    for (int m = 0; m < kMonths; ++m)
        for (int first = 0; first < kWeekdays; ++first)
            t.MonthStartTable[m][first] = (first + calendar::days_before(m + 1)) % kWeekdays + 1;
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

bool is_real_day(int month, int day) { return calendar::is_date(month, day); }

bool is_valid_date(const std::string &text) {
    auto digit = [&](size_t i) { return text[i] >= '0' && text[i] <= '9'; };
    if (text.size() != 5 || text[2] != '/' || !digit(0) || !digit(1) || !digit(3) || !digit(4))
        return false;
    return is_real_day((text[0] - '0') * 10 + (text[1] - '0'), (text[3] - '0') * 10 + (text[4] - '0'));
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

// A numeric line: one blank in the place of a sign, the digits, one blank.
std::string numeric_line(int value) { return " " + std::to_string(value) + " " + kCrLf; }

std::string text_line(const std::string &text) { return text + kCrLf; }

// The name of a date box as its label (and screen readers) give it.
const char *date_box_name(RunInput input) {
    switch (input) {
    case RunInput::StartDate: return "Start Date";
    case RunInput::EndDate: return "End Date";
    case RunInput::DslStart: return "Daylight Savings Start Date";
    case RunInput::DslEnd: return "Daylight Savings End Date";
    default: return "";
    }
}

std::string pair_line(const std::string &first, const std::string &second) {
    return first + " " + second + kCrLf;
}

// The source path stored for the type of `in`.  Template has none, and its control file
// names the destination in that place.
const std::string &stored_source(const RunInputs &in) {
    switch (in.type) {
    case ConversionType::V1Upgrade: return in.v1_path;
    case ConversionType::Tmy2: return in.tmy2_path;
    case ConversionType::Epw: return in.epw_path;
    case ConversionType::Template: break;
    }
    return in.weather_path;
}

}  // namespace

RunCheck check_run_inputs(const RunInputs &in) {
    if (in.type != ConversionType::V1Upgrade) {
        const std::pair<const std::string *, RunInput> dates[] = {
            {&in.start_date, RunInput::StartDate}, {&in.end_date, RunInput::EndDate},
            {&in.dsl_start, RunInput::DslStart}, {&in.dsl_end, RunInput::DslEnd}};
        for (const auto &[date, input] : dates)
            if (date->find('_') != std::string::npos) return {kMsgDatesIncomplete, input};
        for (const auto &[date, input] : dates)
            if (!is_valid_date(*date))
                return {std::string(date_box_name(input)) + ": " + *date + kMsgInvalidDate, input};
    }
    if (in.type != ConversionType::Template && is_blank(in.source_box))
        return {kMsgNoSource, RunInput::Source};
    if (is_blank(in.destination_box)) return {kMsgNoDestination, RunInput::Destination};
    if (in.type != ConversionType::Template) {
        const std::string &source = stored_source(in);
        const bool upgrade = in.type == ConversionType::V1Upgrade;
        // The converters' own rule (Paths.h), so that the window refuses what they would.
        if (same_file(source.c_str(), in.destination_box.c_str()) ||
            (upgrade && same_file(source.c_str(), in.weather_path.c_str())) ||
            (upgrade && same_file(source.c_str(), in.contaminant_path.c_str())))
            return {kMsgDestinationIsSource, RunInput::Destination};
        if (upgrade && same_file(in.contaminant_path.c_str(), in.weather_path.c_str()))
            return {kMsgContaminantIsWeather, RunInput::Destination};
    }
    return {};
}

std::string control_file_text(const RunInputs &in) {
    if (in.type == ConversionType::V1Upgrade)
        return text_line(in.v1_path) + text_line(in.weather_path) +
               text_line(in.contaminant_path) + text_line(in.description);

    const char *word = source_format(window_format(in.type)->type).word;
    std::string text = text_line(in.description) + text_line(stored_source(in)) + text_line(word) +
                       text_line(in.destination_box) + pair_line(in.start_date, in.end_date) +
                       numeric_line(in.first_day_index + 1) +
                       numeric_line(static_cast<int>(in.special_days.size()));
    for (const SpecialDay &day : in.special_days) text += pair_line(day.date, day.type);
    return text + pair_line(in.dsl_start, in.dsl_end);
}

// ---- The converter's log -------------------------------------------------------------

bool is_problem_head(const std::string &line) {
    std::string text = line;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    // "...ERROR  (file Utils, line 407)": the location closes the line.
    const size_t open = text.rfind("  (file ");
    if (open == std::string::npos || open < 5 || text.back() != ')') return false;
    const size_t comma = text.rfind(", line ");
    if (comma == std::string::npos || comma < open) return false;
    for (size_t i = comma + 7; i + 1 < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    const std::string word = text.substr(open - 5, 5);
    return word == "ERROR" || word == "FATAL";
}

std::string first_problem(const std::string &log) {
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos) end = log.size();
        if (is_problem_head(log.substr(start, end - start))) {
            if (end >= log.size()) return "";
            const size_t text = end + 1;
            size_t text_end = log.find('\n', text);
            if (text_end == std::string::npos) text_end = log.size();
            std::string line = log.substr(text, text_end - text);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const size_t first = line.find_first_not_of(' ');
            return first == std::string::npos ? "" : line.substr(first);
        }
        start = end + 1;
    }
    return "";
}

std::string failure_message(const std::string &log) {
    const std::string problem = first_problem(log);
    if (problem.empty()) return kMsgConversionFailed;
    return kMsgConversionFailedWith + problem + kMsgSeeLogFile;
}
