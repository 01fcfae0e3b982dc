// TolvexOptions - tolvex's value options and the control file they stand for.  See
// TolvexOptions.h.
#include "TolvexOptions.h"

#include <cstring>
#include <iterator>

#include "Config.h"
#include "ControlText.h"
#include "Input.h"
#include "SourceFormat.h"
#include "SourceHead.h"

// The table's order is the index of each option in CommandLine::values.
enum : int { kType, kOutput, kSource, kDescription, kPeriod, kWeekday, kSpecial, kDst };

const ValueOption kTolvexOptions[] = {
    {"--type", false, false},    {"--output", false, false}, {"--source", false, false},
    {"--description", false, true}, {"--period", false, false}, {"--weekday", false, false},
    {"--special", true, false},  {"--dst", false, false},
};
const int kTolvexOptionCount = (int)std::size(kTolvexOptions);

namespace {

// The row of the type word `type` with the blanks around it removed, as the control
// file's reader takes it; null for an unknown word.
const SourceFormat *format_of(const char *type) {
    std::string word = type;
    word.erase(0, word.find_first_not_of(" \t"));
    word.erase(word.find_last_not_of(" \t") + 1);
    return find_source_format(word.c_str());
}

// Splits `value` at its one `mark` into `first` and `second`, each one token.  False
// when `value` holds the mark not exactly once or either side is no token.
bool split_pair(const char *value, char mark, std::string &first, std::string &second) {
    const char *at = strchr(value, mark);
    if (!at || strchr(at + 1, mark)) return false;
    first.assign(value, at);
    second = at + 1;
    return fits_token(first.c_str()) && fits_token(second.c_str());
}

// The two tokens of option `option`'s "A-B" value on `line`, or `defaults` when it was
// not given, as one line.
std::string pair_line(const CommandLine &line, int option, const char *defaults) {
    const char *value = option_value(line, option);
    std::string first, second;
    if (!value || !split_pair(value, '-', first, second)) return defaults;
    return first + " " + second;
}

// The weekday of 1 January that the source of `format` at `source` carries, as a
// number text; `note` tells where it came from.  Ends the run when there is none.
std::string source_weekday(const SourceFormat *format, const char *source, std::string &note) {
    // An unknown type ends the run at the control file's type line.
    if (!format) return "1";
    if (format->type == SourceType::Tmy2)
        MSG_FATAL("A TMY2 source carries no weekday: give --weekday 1 to 7");
    if (!format->has_source)
        MSG_FATAL("A template has no source to carry a weekday: give --weekday 1 to 7");
    const SourceWeekday found = ee_weekday(source);
    const std::string weekday = std::to_string(found.weekday);
    switch (found.from) {
    case WeekdayFrom::Year:
        note = "Weekday of 1 January: " + weekday + ", from the year " +
               std::to_string(found.year) + " of every record";
        if (found.leap)
            note += "; 29 February is left out, so from 1 March the weekdays are one day behind " +
                    std::to_string(found.year) + "'s calendar";
        break;
    case WeekdayFrom::DataPeriods:
        note = "Weekday of 1 January: " + weekday + ", from the DATA PERIODS line";
        break;
    case WeekdayFrom::Unreadable:
        MSG_FATAL(" Could not open file: ", source, ": ", strerror(found.error));
    case WeekdayFrom::NotRegular:
        MSG_FATAL("Source is not a regular file to read the weekday from: ", source);
    case WeekdayFrom::None:
        MSG_FATAL("The source carries no weekday (its records are of several years and its "
                  "DATA PERIODS line names none): give --weekday 1 to 7");
    }
    return weekday;
}

}  // namespace

const char *check_tolvex_options(const CommandLine &line) {
    for (int required : {kType, kOutput})
        if (!option_value(line, required))
            return problem_text("option ", kTolvexOptions[required].name, " is missing");
    const char *type = option_value(line, kType);
    const SourceFormat *format = format_of(type);
    const bool has_source = option_value(line, kSource) != nullptr;
    if (format && format->has_source && !has_source)
        return problem_text("option --source is missing: ", type, " converts a source file");
    if (format && !format->has_source && has_source)
        return problem_text("option --source is refused: ", type, " has no source file");

    for (const OptionValue &v : line.values) {
        const char *name = kTolvexOptions[v.option].name;
        std::string first, second;
        switch (v.option) {
        case kPeriod:
        case kDst:
            if (!split_pair(v.text, '-', first, second))
                return problem_text("option ", name, " takes two dates joined by \"-\", not ", v.text);
            break;
        case kSpecial:
            if (!split_pair(v.text, ':', first, second))
                return problem_text("option --special takes a date and a day type joined by "
                                    "\":\", not ", v.text);
            break;
        case kWeekday:
            if (strcmp(v.text, "source") != 0 && !fits_token(v.text))
                return problem_text("option --weekday takes 1 to 7 or source, not ", v.text);
            break;
        default:
            if (const char *problem = line_problem(v.text, v.option == kDescription))
                return problem_text("the value of ", name, " ", problem);
        }
    }
    return nullptr;
}

std::string tolvex_control_text(const CommandLine &line, std::string &note) {
    const char *type = option_value(line, kType), *dest = option_value(line, kOutput);
    const char *source = option_value(line, kSource);
    const char *description = option_value(line, kDescription);
    const char *weekday = option_value(line, kWeekday);

    std::string text, first_line = "Template";
    // The window's proposal, cut to what a control file's line holds.
    if (!description && source) source_first_line(source, first_line, kLineSize - 2);
    add_line(text, description ? description : first_line);
    add_line(text, source ? source : dest);
    add_line(text, type);
    add_line(text, dest);
    add_line(text, pair_line(line, kPeriod, "01/01 12/31"));
    const std::string day = !weekday                          ? "1"
                            : strcmp(weekday, "source") == 0 ? source_weekday(format_of(type), source, note)
                                                               : weekday;
    add_line(text, " " + day + " ");

    std::string specials;
    int count = 0;
    for (const OptionValue &v : line.values) {
        std::string date, day_type;
        if (v.option != kSpecial || !split_pair(v.text, ':', date, day_type)) continue;
        add_line(specials, date + " " + day_type);
        ++count;
    }
    add_line(text, " " + std::to_string(count) + " ");
    return text + specials + pair_line(line, kDst, "01/01 01/01") + "\r\n";
}
