// Tolvex - driver, control file, day calendar and weather file head.  See Tolvex.h.
#include "Tolvex.h"

#include <cstring>

#include "Config.h"
#include "Utils.h"
#include "Wfiles.h"

ConversionSettings settings;
DayTable day_table;
FILE *dest_file = nullptr;

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
// A value is applied only when its reader reported no ERROR.
static bool read_ok(int errors_before) { return error_count_now() == errors_before; }

static bool is_day(int day) { return day >= 1 && day <= kDaysInYear; }

int read_control_file(const char *path) {
    unxt_open(path, 3, __FILE__, __LINE__);
    days_set_defaults(day_table);

    next_token(settings.description, TOK_LINE, kLineSize);
    next_token(settings.source_path, TOK_LINE, kLineSize);
    next_token(settings.file_type, TOK_LINE, kLineSize);
    next_token(settings.dest_path, TOK_LINE, kLineSize);

    settings.start_day = read_date(TOK_NEWLINE);
    settings.end_day = read_date(TOK_NEXT);
    int errors = error_count_now();
    settings.first_weekday = read_int(TOK_NEWLINE);
    if (read_ok(errors)) days_set_weekdays(day_table, settings.first_weekday);

    // A negative count reads no special days.  The list stops at the end of the file:
    // every further entry would only repeat the same missing-date error.
    int count = read_int(TOK_NEWLINE);
    for (int i = 0; i < count && !unxt_eof(); ++i) {
        errors = error_count_now();
        int day = read_date(TOK_NEWLINE);
        int type = read_int(TOK_NEXT);
        if (read_ok(errors) && is_day(day)) days_set_special(day_table, day, type);
    }

    errors = error_count_now();
    settings.dst_start = read_date(TOK_NEWLINE);
    settings.dst_end = read_date(TOK_NEXT);
    if (read_ok(errors)) days_set_dst(day_table, settings.dst_start, settings.dst_end);

    unxt_close();
    if (error_count_now() > 0) MSG(FATAL, "Run terminated because of input errors");
    return 0;
}

// ---- weather file head ------------------------------------------------------------
int write_weather_head() {
    dest_file = out_open(settings.dest_path);
    if (!dest_file) MSG(FATAL, " Failed to open ", settings.dest_path);
    out_line(dest_file, "WeatherFile Ventora 2.0");
    out_line(dest_file, "%s", settings.description);
    out_line(dest_file, "%s\t!start-of-file date", day_to_date(settings.start_day));
    out_line(dest_file, "%s\t!end-of-file date", day_to_date(settings.end_day));
    out_line(dest_file, "!Date\tDofW\tDtype\tDST\tTgrnd [K]");
    for (int d = settings.start_day;; d = next_day(d)) {
        const DayEntry &e = day_table.day[d];
        out_line(dest_file, "%s\t%d\t%d\t%d\t%g", day_to_date(d), e.day_of_week, e.day_type,
                 e.dst, (double)e.ground_temp);
        if (d == settings.end_day) break;
    }
    out_line(dest_file,
             "!Date\tTime\tTa [K]\tPb [Pa]\tWs [m/s]\tWd [deg]\tHr [g/kg]\tIth [kJ/m^2]"
             "\tIdn [kJ/m^2]\tTs [K]\tRn [-]\tSn [-]");
    if (fflush(dest_file) != 0) MSG(FATAL, "Could not write file: ", settings.dest_path);
    return 0;
}

// ---- driver -----------------------------------------------------------------------
int tolvex_main(int argc, char **argv) {
    const char *argv0 = argc > 0 ? argv[0] : "tolvex";

    // 1. - 3. The log beside the executable and its head; without a log the run ends
    // silently.
    if (log_open(argv0, "TOLVEX") != 0) return 1;

    // 4. Where messages go besides the log.
    msg_setup(argc > 2 && box_switch(argv[2]));

    // 5. The control file's path.
    char control[kMaxPath];
    if (argc > 1) {
        if (strlen(argv[1]) >= sizeof control) MSG(FATAL, "Buffer overflow: ", argv[1]);
        strcpy(control, argv[1]);
    } else {
        prompt_line("Enter data file name:  ", control, sizeof control);
    }

    // 6. - 8. Settings, head and day section, then the producer for the file type.
    read_control_file(control);
    write_weather_head();
    if (same_text(settings.file_type, "TMY2")) {
        import_tmy2();
    } else if (same_text(settings.file_type, "E/E")) {
        import_ee();
    } else if (same_text(settings.file_type, "TEMPLATE")) {
        make_template();
    } else {
        MSG(FATAL, "Unrecognized file type: ", settings.file_type);
    }

    // 9. Closing heap report and "Final ".
    return log_close();
}
