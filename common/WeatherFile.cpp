// WeatherFile - the writer of the weather and species files.  See WeatherFile.h.
#include "WeatherFile.h"

#include <initializer_list>
#include <charconv>
#include <cstdarg>
#include <cstring>

#include "Config.h"
#include "NumberText.h"
#include "Dates.h"

// ---- lines ----------------------------------------------------------------------
static void out_vtext(FILE *f, const char *format, va_list args) {
    out_wrote(f, vfprintf(f, format, args) >= 0);
}

void out_text(FILE *f, const char *format, ...) {
    va_list args;
    va_start(args, format);
    out_vtext(f, format, args);
    va_end(args);
}

void out_end(FILE *f) { out_wrote(f, fputs("\r\n", f) != EOF); }

void out_line(FILE *f, const char *format, ...) {
    va_list args;
    va_start(args, format);
    out_vtext(f, format, args);
    va_end(args);
    out_end(f);
}

// ---- weather file 2.0 -------------------------------------------------------------
void wth_write_head(FILE *f, const char *description, int first_day, int last_day) {
    out_line(f, "WeatherFile Ventora 2.0");
    out_line(f, "%s", description);
    // day_to_date returns one static buffer: each date is printed before the next.
    out_line(f, "%s\t!start-of-file date", day_to_date(first_day));
    out_line(f, "%s\t!end-of-file date", day_to_date(last_day));
    out_line(f, "!Date\tDofW\tDtype\tDST\tTgrnd [K]");
}

void wth_write_day(FILE *f, int day, int day_of_week, int day_type, int dst, float ground_temp) {
    out_line(f, "%s\t%d\t%d\t%d\t%g", day_to_date(day), day_of_week, day_type, dst,
             (double)ground_temp);
}

void wth_write_points_head(FILE *f) {
    out_line(f, "!Date\tTime\tTa [K]\tPb [Pa]\tWs [m/s]\tWd [deg]\tHr [g/kg]\tIth [kJ/m^2]"
                "\tIdn [kJ/m^2]\tTs [K]\tRn [-]\tSn [-]");
}

// ---- time-point lines ---------------------------------------------------------------
// The time-point lines are most of every file, so they are put together here without
// printf, with the number texts of NumberText, which are exactly printf's "%g" and
// "%.3f" in the "C" locale.
constexpr int kLineMax = 512;  // a time-point or species line with its CR LF

static char *put_text(char *p, const char *text) {
    size_t n = strlen(text);
    memcpy(p, text, n);
    return p + n;
}

static char *put_int(char *p, char *end, int v) { return std::to_chars(p, end, v).ptr; }

// "m/d" of a day of the year from a table made once; a day outside 1..365 takes
// day_to_date's road with its check.
static const char *date_text(int day) {
    static char table[366][8];
    if (day < 1 || day > 365) return day_to_date(day);
    if (table[day][0] == '\0') snprintf(table[day], sizeof table[day], "%s", day_to_date(day));
    return table[day];
}

void wth_write_point(FILE *f, int day, int seconds, const WeatherPoint &p) {
    char line[kLineMax];
    char *end = line + sizeof line - 2;  // room for the CR LF
    char *q = put_text(line, date_text(day));
    *q++ = '\t';
    q = put_text(q, sec_to_time(seconds));
    for (float v : {p.Ta, p.Pb, p.Ws, p.Wd}) {
        *q++ = '\t';
        q = put_float_g(q, end, v);
    }
    *q++ = '\t';
    q = put_double_f3(q, end, p.Hr);
    for (float v : {p.Ith, p.Idn, p.Ts}) {
        *q++ = '\t';
        q = put_float_g(q, end, v);
    }
    *q++ = '\t';
    q = put_int(q, end, p.Rn);
    *q++ = '\t';
    q = put_int(q, end, p.Sn);
    *q++ = '\r';
    *q++ = '\n';
    out_write(f, line, (size_t)(q - line));
}

void wth_write_time(FILE *f, int day, int seconds) {
    const char *date = day_to_date(day);
    out_line(f, "%s\t%s", date, sec_to_time(seconds));
}

// ---- species file 2.0 -------------------------------------------------------------
void ctm_write_head(FILE *f, const char *description, int first_day, int last_day, int n,
                    char *const *names) {
    out_line(f, "SpeciesFile Ventora 2.0");
    out_line(f, "%s", description);
    out_line(f, "%s\t!start-of-file date", day_to_date(first_day));
    out_line(f, "%s\t!end-of-file date", day_to_date(last_day));
    out_line(f, "%d\t!number of species", n);
    for (int i = 0; i < n; ++i) out_line(f, "%s", names[i]);
    out_text(f, "!Date\tTime");
    for (int i = 0; i < n; ++i) out_text(f, "\t%s", names[i]);
    out_end(f);
}

void ctm_write_point(FILE *f, int day, int seconds, const float *conc, int n) {
    char line[kLineMax];
    char *end = line + sizeof line - 2;  // room for the CR LF
    char *q = put_text(line, date_text(day));
    *q++ = '\t';
    q = put_text(q, sec_to_time(seconds));
    for (int i = 0; i < n; ++i) {
        if (end - q < 32) {  // a long line of many species goes out in pieces
            out_write(f, line, (size_t)(q - line));
            q = line;
        }
        *q++ = '\t';
        q = put_float_g(q, end, conc[i]);
    }
    *q++ = '\r';
    *q++ = '\n';
    out_write(f, line, (size_t)(q - line));
}
