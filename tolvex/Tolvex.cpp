// Tolvex - driver, control file, day calendar and weather file head.  See Tolvex.h.
#include "Tolvex.h"

#include <cerrno>
#include <cstring>

#include "Config.h"
#include "ControlText.h"
#include "FileKind.h"
#include "Input.h"
#include "Paths.h"
#include "Producers.h"
#include "Run.h"
#include "SourceFormat.h"
#include "TolvexOptions.h"
#include "WeatherFile.h"

// ---- day calendar -----------------------------------------------------------------
void days_set_defaults(DayTable &t) {
    for (int d = 1; d <= kDaysInYear; ++d) {
        t.day[d].ground_temp = kGroundTemp;
        t.day[d].dst = 0;
    }
}

// Day 1 gets `first_weekday`, each later day the next weekday (7 is followed by 1).
void days_set_weekdays(DayTable &t, int first_weekday) {
    int weekday = first_weekday;
    for (int d = 1; d <= kDaysInYear; ++d) {
        t.day[d].day_of_week = weekday;
        t.day[d].day_type = weekday;
        if (++weekday > 7) weekday = 1;
    }
}

void days_set_special(DayTable &t, int day, int type) { t.day[day].day_type = type; }

// Marks dst_start .. dst_end, running over the year's end; equal days mark nothing.
void days_set_dst(DayTable &t, int dst_start, int dst_end) {
    if (dst_start == dst_end) return;
    for (int d = dst_start;; d = next_day(d)) {
        t.day[d].dst = 1;
        if (d == dst_end) break;
    }
}

// ---- control file -----------------------------------------------------------------
// Reports ERROR "<value> <text>" when `value`, read cleanly, lies outside first..last;
// true when it lies inside.
static bool in_range(int value, int first, int last, const char *text) {
    if (value >= first && value <= last) return true;
    char number[16];
    snprintf(number, sizeof number, "%d", value);
    MSG(ERROR, number, text);
    return false;
}

// Removes the blanks and tabs around `text`, in place.
static void trim_blanks(char *text) {
    size_t start = strspn(text, " \t"), end = strlen(text);
    while (end > start && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    memmove(text, text + start, end - start);
    text[end - start] = '\0';
}

// A value is applied only when its reader reported no ERROR.
ConversionSettings read_control_file(const char *path) {
    ConversionSettings s{};
    Input in;
    input_open(in, path, OPEN_FATAL, true, MSG_UNIT, __LINE__);
    input_skip_bom(in);
    // A source or a weather file named instead of the control file would be read as
    // one, with messages about dates that make no sense.
    if (FileKind kind = file_kind(in.data + in.pos, in.size - in.pos); kind != FileKind::Other) {
        msg_hint("see tolvex(1) for the control file's lines");
        MSG_FATAL("Not a control file: ", path, " is ", file_kind_phrase(kind));
    }
    days_set_defaults(s.days);

    next_token(in, s.description, TOK_LINE, kLineSize);
    read_path(in, s.source_path, kLineSize);
    next_token(in, s.file_type, TOK_LINE, kLineSize);
    trim_blanks(s.file_type);
    read_path(in, s.dest_path, kLineSize);

    read_date(in, TOK_NEWLINE, &s.start_day);
    read_date(in, TOK_NEXT, &s.end_day);
    if (read_int(in, TOK_NEWLINE, &s.first_weekday) &&
        in_range(s.first_weekday, 1, 7, " is not a weekday (1 to 7)"))
        days_set_weekdays(s.days, s.first_weekday);

    // A negative count reads no special days.  The list stops at the end of the file:
    // every further entry would only repeat the same missing-date error.
    int count;
    read_int(in, TOK_NEWLINE, &count);
    for (int i = 0; i < count && !input_eof(in); ++i) {
        int day, type;
        bool date_ok = read_date(in, TOK_NEWLINE, &day);
        bool type_read = read_int(in, TOK_NEXT, &type);
        // A date where the type should be: the list is shorter than its count, and the
        // daylight-saving dates were taken for a special day.
        if (!type_read && strchr(in.token, '/')) {
            char hint[80];
            snprintf(hint, sizeof hint,
                     "the control file lists fewer special days than its count (%d)", count);
            msg_hint(hint);
        }
        bool type_ok = type_read && in_range(type, 1, 12, " is not a day type (1 to 12)");
        if (date_ok && type_ok) days_set_special(s.days, day, type);
    }

    bool start_ok = read_date(in, TOK_NEWLINE, &s.dst_start);
    bool end_ok = read_date(in, TOK_NEXT, &s.dst_end);
    if (start_ok && end_ok) days_set_dst(s.days, s.dst_start, s.dst_end);

    input_close(in);
    if (error_count_now() > 0) MSG_FATAL("Run terminated because of input errors");
    return s;
}

// ---- weather file head ------------------------------------------------------------
FILE *open_weather_file(const ConversionSettings &s) {
    FILE *dest = out_open(s.dest_path);
    if (!dest) MSG_FATAL(" Failed to open ", s.dest_path, ": ", strerror(errno));
    wth_write_head(dest, s.description, s.start_day, s.end_day);
    for (int d = s.start_day;; d = next_day(d)) {
        const DayEntry &e = s.days.day[d];
        wth_write_day(dest, d, e.day_of_week, e.day_type, e.dst, e.ground_temp);
        if (d == s.end_day) break;
    }
    wth_write_points_head(dest);
    out_wrote(dest, fflush(dest) == 0);
    return dest;
}

// ---- paths ------------------------------------------------------------------------
// The destination is none of the files the run reads or writes besides it, however
// either is spelt: its source, control file, log or the program itself.
static void check_destination(const ConversionSettings &s, const char *control,
                              const char *program) {
    const SourceFormat *format = find_source_format(s.file_type);
    if (format && format->has_source && same_file(s.source_path, s.dest_path))
        MSG_FATAL("Destination is the source file: ", s.dest_path);
    if (same_file(control, s.dest_path)) MSG_FATAL("Destination is the control file: ", s.dest_path);
    if (same_file(run_log_path(), s.dest_path))
        MSG_FATAL("Destination is the log file: ", s.dest_path);
    if (same_file(program, s.dest_path)) MSG_FATAL("Destination is the program: ", s.dest_path);
}

// A source that looks like another type than the one given will fail to convert:
// the hint says so, should it.
static void hint_source_kind(const ConversionSettings &s, const SourceFormat &format) {
    if (!format.has_source) return;
    const FileKind kind = file_kind_of(s.source_path);
    const char *looks = kind == FileKind::Tmy2 ? "TMY2" : kind == FileKind::Ee ? "E/E" : nullptr;
    if (!looks || strcmp(looks, format.word) == 0) return;
    char hint[kMaxPath + 64];
    snprintf(hint, sizeof hint, "%s looks like %s file, not %s", s.source_path,
             kind == FileKind::Tmy2 ? "a TMY2" : "an E/E", format.word);
    msg_hint(hint);
}

// ---- driver -----------------------------------------------------------------------
int tolvex_main(const char *argv0, const CommandLine &line) {
    // The log in the folder for the run's files and its head; without a log the run ends.
    if (log_open(argv0, "TOLVEX", line.log) != 0) return 1;

    // Where messages go besides the log.
    msg_setup(line.box);

    // The control file's path: the text the options stand for, the first argument, or
    // asked for.
    char control[kMaxPath];
    std::string note;  // where the weekday of 1 January came from, when from the source
    if (!line.values.empty()) {
        open_control_text(tolvex_control_text(line, note), control);
    } else if (line.control) {
        if (strlen(line.control) >= sizeof control) MSG_FATAL("Buffer overflow: ", line.control);
        strcpy(control, line.control);
    } else {
        prompt_line("Enter data file name:  ", control, sizeof control);
    }

    // Settings, then the head and day section, then the producer for the file type.
    const ConversionSettings settings = read_control_file(control);
    if (!note.empty()) MSG(NOTE, note.c_str());
    char program[kMaxPath];
    check_destination(settings, control, self_path(argv0, program, sizeof program));
    FILE *dest = open_weather_file(settings);
    const SourceFormat *format = find_source_format(settings.file_type);
    if (!format) {
        msg_hint("the type is TMY2, E/E or TEMPLATE");
        MSG_FATAL("Unrecognized file type: ", settings.file_type);
    }
    hint_source_kind(settings, *format);
    Gaps gaps;
    producer_of(format->type)(settings, dest, gaps);
    out_close(dest);
    fprintf(log_file, "Finished %s\n", settings.dest_path);

    // The closing heap report and "Final "; the weather file replaces the destination.
    return log_close();
}
