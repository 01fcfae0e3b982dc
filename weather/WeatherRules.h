// WeatherRules - what the window decides without any window: the conversion types and
// the window's table of source formats, the month tables and the calendar grid, date
// texts, the list of special days, the first line of a source file, the species path,
// the checks of a run's inputs and the control-file text.
//
// Plain C++ without Qt and without state of its own; the window copies its controls
// into these types and calls these routines, and the tests call them directly.  Texts
// are bytes as the files hold them (UTF-8 on this platform).  Nothing here follows the
// user's locale: numbers are written with std::to_string, which never groups digits.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "Calendar.h"
#include "SourceFormat.h"

// Caption of the message boxes and start of the main window's caption.
constexpr const char *kAppTitle = "Weather";

// Messages of the window, exactly as the user sees them.
constexpr const char *kMsgV20Detected = "Ventora 2.0 weather file detected. Unable to convert.";
constexpr const char *kMsgHeaderTooLarge = "There is an Error. Header Too Large. ";
constexpr const char *kMsgSourceUnreadable = "Unable to open the source file.";
constexpr const char *kMsgDatesIncomplete =
    "Please enter all the Dates Information. Dates must have four digits. Ex. 01/01";
// A date that is not a day of the year: "<box>: <date>" and then this.
constexpr const char *kMsgInvalidDate = " is not a valid date";
constexpr const char *kMsgDestinationIsSource = "The destination is the source file";
constexpr const char *kMsgContaminantIsWeather = "The contaminant file is the weather file";
constexpr const char *kMsgNoSource = "Specify a source file using the 'browse' button.";
constexpr const char *kMsgNoDestination =
    "Specify a destination weather file using the 'Save As' button.";
constexpr const char *kMsgConversionDone = "Conversion Completed Successfully";
constexpr const char *kMsgConversionFailed = "Conversion failed - see log file";
// The same with the text of the first ERROR or FATAL message of the converter's log.
constexpr const char *kMsgConversionFailedWith = "Conversion failed: ";
constexpr const char *kMsgSeeLogFile = " - see log file";
// The window fills in %1, a path, and %2, the system's reason.
constexpr const char *kMsgControlNotWritten =
    "The control file %1 could not be written (%2). The conversion was not run.";
constexpr const char *kMsgConverterNotStarted =
    "The converter program %1 could not be started (%2). The conversion was not run.";

// First line of a weather file that is already of the 2.0 layout.
constexpr const char *kV20Header = "WeatherFile Ventora 2.0";
// Filter of the destination dialog, for every conversion type: the part before "|" is
// shown, the part after it is the pattern.
constexpr const char *kWeatherFilter = "Weather Files (*.wth)|*.wth";
// Most characters the description box holds; a longer first line is refused.
constexpr int kDescriptionLimit = 32767;

// ---- Version --------------------------------------------------------------------

// "2.2.0": the three numbers in plain decimal, joined by ".".
std::string version_text(int major, int minor, int revision);
// The main window's caption, "Weather v" followed by version_text.
std::string window_caption(int major, int minor, int revision);

// ---- Help -------------------------------------------------------------------------

// Help topics: the contents, one per conversion type, and messages with missing values.
constexpr int kHelpContents = 100;
constexpr int kHelpEe = 200;
constexpr int kHelpTmy2 = 300;
constexpr int kHelpUpgrade = 400;
constexpr int kHelpTemplate = 500;
constexpr int kHelpMessages = 600;
constexpr int kHelpViewer = 700;  // the weather-file viewer

// The help page of `topic`, a file name of the help resources; the contents for topic
// 0 (none) and for any number without a page.
const char *help_page(int topic);

// ---- Conversion types -----------------------------------------------------------

// The window's choices: the upgrade, which renval runs, and one per source format of
// tolvex.
enum class ConversionType { V1Upgrade, Tmy2, Epw, Template };

// The window's row of each source format that tolvex converts, keyed by the type of
// common/SourceFormat.h, whose row gives the control-file type word and whether the
// format reads a source.  A new format is a row there, a row here and the choice that
// selects it.
struct WindowFormat {
    SourceType type;
    ConversionType option;  // the choice that selects it
    const char *filter;     // of the source dialog, "" for a format without a source
    int help_topic;
    const char *help_page;  // file name of the help resources
};
inline constexpr WindowFormat kWindowFormats[] = {
    {SourceType::Tmy2, ConversionType::Tmy2, "TMY2 Files (*.tm2)|*.tm2", kHelpTmy2, "tmy2.html"},
    {SourceType::Ee, ConversionType::Epw, "EPW Files (*.epw)|*.epw", kHelpEe, "ee.html"},
    {SourceType::Template, ConversionType::Template, "", kHelpTemplate, "template.html"},
};

// The row that `type` selects; null for the upgrade, which converts no source format.
const WindowFormat *window_format(ConversionType type);

// What selecting a type enables, and the help topic it sets.
struct TypeControls {
    bool source;     // source frame, box and "Browse"
    bool dates;      // date, daylight-saving and special-day controls
    int help_topic;  // topic number of the main window and the log viewer
};
// The upgrade enables the source alone; a source format its source when it reads one,
// and the dates, which every tolvex run needs.
TypeControls type_controls(ConversionType type);

// Filter of the source dialog for `type`: the weather files for the upgrade, else its
// format's ("" for Template, which has no source).
const char *source_filter(ConversionType type);

// ---- Source and destination files -----------------------------------------------

enum class HeaderRead {
    Ok,
    CannotOpen,  // the file could not be opened for reading
    Failed,      // an empty file (no line to read) or a line over kDescriptionLimit
};

// Reads the first line of the file at `path` into `line`: every byte up to the first
// carriage return or line feed (CR LF, LF and CR alone all end it), which is not part
// of the line.  On failure `line` is empty.
HeaderRead read_first_line(const std::string &path, std::string &line);

// True when `description`, with the blanks around it removed, is the first line of a
// 2.0 weather file (case matters).
bool is_v20_header(const std::string &description);

// The species path that goes with a destination weather file: `weather_path` without
// its last four characters (whatever they are), followed by ".ctm".  Characters, not
// bytes: a multi-byte character counts once.
std::string species_path(const std::string &weather_path);

// True when `text` is empty or holds blanks (spaces, tabs) only.
bool is_blank(const std::string &text);

// `path` with ".wth" appended when its file name has no extension (no "." after its
// first character); otherwise `path` unchanged.
std::string with_weather_extension(const std::string &path);

// ---- Calendar ---------------------------------------------------------------------

constexpr int kMonths = calendar::kMonths;
constexpr int kWeekdays = calendar::kWeekdays;  // columns of the grid, Sunday first
constexpr int kDayButtons = 37;  // cells of the grid: five full rows and two more

// The two constant tables of the 365-day year (no 29 February), as the calendar grid
// reads them.
struct MonthTables {
    int MonthDays[kMonths];                    // days of each month, January first
    int MonthStartTable[kMonths][kWeekdays];   // [month - 1][weekday of 1 January,
                                               // 0 = Sunday]: weekday of the month's
                                               // first day, 1 = Sunday .. 7 = Saturday
};
// Fill MonthDays and MonthStartTable from the common calendar (Calendar.h).
void init_month_days(MonthTables &t);
void init_month_starts(MonthTables &t);

// Captions of the 37 grid cells for `month` (1..12) when 1 January falls on
// `first_day_of_year` (0 = Sunday .. 6 = Saturday): the day numbers 1 .. month length
// in consecutive cells from the column of the month's first weekday, empty elsewhere.
// Out-of-range arguments give an empty grid.
using DayCaptions = std::array<std::string, kDayButtons>;
DayCaptions calendar_captions(const MonthTables &t, int month, int first_day_of_year);

// The month after and before `month`; December and January wrap.
int next_month(int month);
int previous_month(int month);

// "m/d" in plain decimal, without leading zeros and without any range check (2/31).
std::string date_text(int month, int day);

// True when `day` of `month` exists in the 365-day year (no 29 February):
// calendar::is_date.
bool is_real_day(int month, int day);
// True when `text` is five characters "mm/dd" of two digits each that name a real day
// (13/45, 02/31 and 00/10 do not).
bool is_valid_date(const std::string &text);

// ---- Special days -----------------------------------------------------------------

struct SpecialDay {
    std::string date;  // "m/d" as the date box shows it
    std::string type;  // "8" .. "12"
};

// Puts `date` with `type` into `rows`: the first row whose date equals `date` exactly
// gets the new type and keeps its place; otherwise a row is appended.  Returns the
// index of the row written.
int add_special_day(std::vector<SpecialDay> &rows, const std::string &date,
                    const std::string &type);

// Removes the row at `selected` (-1: none selected).  Returns false, changing nothing,
// when there is no such row.
bool remove_special_day(std::vector<SpecialDay> &rows, int selected);

// ---- A run ------------------------------------------------------------------------

// What a run reads from the window.
struct RunInputs {
    ConversionType type = ConversionType::V1Upgrade;
    std::string source_box;       // text of the source box
    std::string destination_box;  // text of the destination weather file box
    std::string description;
    std::string v1_path, tmy2_path, epw_path;  // source path stored for each type
    std::string weather_path, contaminant_path;
    // The four date boxes as shown: five characters "mm/dd", "_" where not typed.
    std::string start_date, end_date, dsl_start, dsl_end;
    int first_day_index = 0;  // 0 = Sunday .. 6 = Saturday
    std::vector<SpecialDay> special_days;
};

// The input a failed check is about, so that the window can put the focus there.
enum class RunInput { None, StartDate, EndDate, DslStart, DslEnd, Source, Destination };

struct RunCheck {
    std::string message;  // empty when the run may go ahead
    RunInput input = RunInput::None;
};

// The first failing check of a run.  The upgrade checks the source, the destination
// and that they are different files; Template checks the dates and the destination;
// TMY2 and E/E check the dates, the source, the destination and that they differ.
// Dates are checked for completeness first (all four boxes), then for being real days
// of the year, start, end and the daylight-saving dates in this order; a start date
// after the end date is a period over the year's end, not an error.  A source box of
// blanks alone counts as empty.  The destination is the source when same_file (Paths.h)
// says so: one existing file however named, or one name in one folder for two files not
// there yet; for the upgrade the species file counts too, and the species file may not
// be the new weather file either ("The contaminant file is the weather file").
RunCheck check_run_inputs(const RunInputs &in);

// ---- The converter's log -------------------------------------------------------------

// True when `line` holds the head of an ERROR or FATAL message: the word directly
// followed by its location "  (file <unit>, line <n>)" at the line's end.  The input
// echo of the converter may stand before it on the same line.
bool is_problem_head(const std::string &line);

// The text of the first ERROR or FATAL message in `log` (the line after its head,
// without the leading blank and the line end); empty when there is none.
std::string first_problem(const std::string &log);

// The message that tells of a failed run whose log holds `log`: with the text of its
// first ERROR or FATAL message, or the plain failure message when there is none.
std::string failure_message(const std::string &log);

// The control file for `in`, every line ended by CR LF: the four-line upgrade variant,
// or the converter variant with the type word of the format (kSourceFormats).
std::string control_file_text(const RunInputs &in);
