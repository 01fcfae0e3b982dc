// WeatherFile - the writer of the weather and species files.  See WeatherFile.h.
#include "WeatherFile.h"

#include <cstdarg>
#include <cstring>

#include "Config.h"
#include "Utils.h"

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

void wth_write_point(FILE *f, int day, int seconds, const WeatherPoint &p) {
    const char *date = day_to_date(day);
    const char *time = sec_to_time(seconds);
    out_line(f, "%s\t%s\t%g\t%g\t%g\t%g\t%.3f\t%g\t%g\t%g\t%d\t%d", date, time, (double)p.Ta,
             (double)p.Pb, (double)p.Ws, (double)p.Wd, p.Hr, (double)p.Ith, (double)p.Idn,
             (double)p.Ts, p.Rn, p.Sn);
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
    for (int i = 1; i <= n; ++i) out_line(f, "%s", names[i]);
    out_text(f, "!Date\tTime");
    for (int i = 1; i <= n; ++i) out_text(f, "\t%s", names[i]);
    out_end(f);
}

void ctm_write_point(FILE *f, int day, int seconds, const float *conc, int n) {
    const char *date = day_to_date(day);
    out_text(f, "%s\t%s", date, sec_to_time(seconds));
    for (int i = 1; i <= n; ++i) out_text(f, "\t%g", (double)conc[i]);
    out_end(f);
}
