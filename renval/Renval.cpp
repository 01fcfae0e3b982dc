// Renval - the 1.0 to 2.0 upgrade.  See Renval.h.
//
// The weather file 1.0, as read token by token ("!" and "/" start comments):
//   title line
//   n                           number of species, 0 for none
//   n names                     at most 13 characters each; "H2O" is water vapour
//   first_day last_day          days of the year 1..365
//   per day from first_day to last_day (365 is followed by 1):
//     day  x  x  DofW  Dtype  DST  Tgrnd
//     time Ta Pb Ws Wd Ith Idn Ts Rn Sn c1 .. cn    one line per time point; the
//                                                   line with time 86400 ends the day
#include "Renval.h"

#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "Config.h"
#include "Heap.h"
#include "MoistAir.h"
#include "Utils.h"

constexpr int kNameSize = 14;          // characters of a species name, terminator included
constexpr int kMaxBlocks = 365;        // day blocks read at most in each pass
constexpr long kEndOfDay = 86400;      // s, the time that ends a day block
constexpr float kDefaultRh = 0.5f;     // relative humidity assumed without an H2O species

// ---- the run's settings -----------------------------------------------------------
static struct {
    char old_path[kLineSize];
    char new_path[kLineSize];
    char species_path[kLineSize];
    char description[kLineSize];
    char work_path[kMaxPath];  // WEATHER.TMP beside the executable
    int work_lock;             // descriptor that holds the work file's lock, or -1
} run = {"", "", "", "", "", -1};

// One time point of the 1.0 file.
struct TimePoint {
    long time;  // s since the day's midnight
    float ta, pb, ws, wd, ith, idn, ts;
    int rn, sn;
};

// Holds an exclusive lock on the work file until the process ends, so that a second
// run from the same folder waits instead of writing into the first one's output.
static void lock_work_file() {
    int fd = open(run.work_path, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd >= 0) run.work_lock = fd;
    if (fd < 0 || flock(fd, LOCK_EX) != 0)
        MSG(FATAL, "Could not open temporary file: ", run.work_path);
    // The descriptor stays open: the lock lasts as long as the process.
}

// Reads one day line into a day line of the weather file, then skips the day's time
// points.  Returns the day of the year read.
static int write_day_line(FILE *wth) {
    int day = read_int(TOK_NEWLINE);
    read_int(TOK_NEXT);  // two values without meaning here
    read_int(TOK_NEXT);
    int day_of_week = read_int(TOK_NEXT);
    int day_type = read_int(TOK_NEXT);
    int dst = read_int(TOK_NEXT);
    float ground = read_float(TOK_NEXT);
    out_line(wth, "%s\t%d\t%d\t%d\t%g", day_to_date(day), day_of_week, day_type, dst,
             (double)ground);
    // The day's time points are skipped in this pass.
    while (read_long(TOK_NEWLINE) != kEndOfDay) {
    }
    return day;
}

static void read_time_point(TimePoint &p, float *conc, int n) {
    p.time = read_long(TOK_NEWLINE);
    p.ta = read_float(TOK_NEXT);
    p.pb = read_float(TOK_NEXT);
    p.ws = read_float(TOK_NEXT);
    p.wd = read_float(TOK_NEXT);
    p.ith = read_float(TOK_NEXT);
    p.idn = read_float(TOK_NEXT);
    p.ts = read_float(TOK_NEXT);
    p.rn = read_int(TOK_NEXT);
    p.sn = read_int(TOK_NEXT);
    for (int i = 1; i <= n; ++i) conc[i] = read_float(TOK_NEXT);
}

// Humidity ratio in g/kg: from the H2O mass fraction x as 1000 x / (1 - x), or for
// air at 50 % relative humidity when the file has no H2O species.
static double humidity_g_per_kg(const TimePoint &p, const float *conc, int h2o) {
    if (h2o > 0) {
        double x = (double)conc[h2o];
        return 1000.0 * x / (1.0 - x);
    }
    return (double)(1000.0L * humidity_ratio_rh(p.ta, kDefaultRh, p.pb));
}

static void stop_on_input_errors() {
    if (error_count_now() > 0) MSG(FATAL, "Run terminated because of input errors");
}

int convert_weather_10(const char *old_path) {
    MSG(ERR_RESET);
    unxt_open(old_path, 3, __FILE__, __LINE__);
    lock_work_file();
    FILE *wth = out_open(run.work_path);
    if (!wth) MSG(FATAL, "Could not open temporary file: ", run.work_path);
    fprintf(log_file, "\nReading weather file: %s\n", old_path);

    // Head of the 1.0 file: title, species, first and last day.
    char title[kLineSize];
    next_token(title, TOK_LINE, kLineSize);
    int n = read_int(TOK_NEWLINE);
    float *conc = nullptr;
    char **names = nullptr;
    FILE *ctm = nullptr;
    int h2o = 0;
    if (n != 0) {
        // A negative count ends here with the allocator's FATAL, before the species
        // file (and an older file at its path) is touched.
        conc = (float *)alc_vec(1, n, (int)sizeof(float), "cdat");
        names = (char **)alc_mat(1, n, 0, kNameSize - 1, 1, "names");
        ctm = out_open(run.species_path);
        if (!ctm) {
            out_close(wth);
            MSG(FATAL, "Could not open contaminant file: ", run.species_path);
        }
        for (int i = 1; i <= n; ++i) {
            next_token(names[i], TOK_NEXT, kNameSize);
            if (same_text(names[i], "H2O")) h2o = i;
        }
    }
    int first_day = read_int(TOK_NEWLINE);
    int last_day = read_int(TOK_NEXT);
    stop_on_input_errors();

    const char *description = run.description[0] ? run.description : title;
    // day_to_date returns one static buffer: each date is printed before the next.
    out_line(wth, "WeatherFile Ventora 2.0");
    out_line(wth, "%s", description);
    out_line(wth, "%s\t!start-of-file date", day_to_date(first_day));
    out_line(wth, "%s\t!end-of-file date", day_to_date(last_day));
    out_line(wth, "!Date\tDofW\tDtype\tDST\tTgrnd [K]");
    if (n != 0) {
        out_line(ctm, "SpeciesFile Ventora 2.0");
        out_line(ctm, "%s", description);
        out_line(ctm, "%s\t!start-of-file date", day_to_date(first_day));
        out_line(ctm, "%s\t!end-of-file date", day_to_date(last_day));
        out_line(ctm, "%d\t!number of species", n);
        for (int i = 1; i <= n; ++i) out_line(ctm, "%s", names[i]);
        out_text(ctm, "!Date\tTime");
        for (int i = 1; i <= n; ++i) out_text(ctm, "\t%s", names[i]);
        out_end(ctm);
        fre_mat((void **)names, 1, n, 0, kNameSize - 1, 1, "names");
    }

    // First pass: the day section.
    UnxtMark first_block = unxt_mark();
    for (int block = 0; block < kMaxBlocks; ++block) {
        stop_on_input_errors();
        if (write_day_line(wth) == last_day) break;
    }
    out_line(wth, "!Date\tTime\tTa [K]\tPb [Pa]\tWs [m/s]\tWd [deg]\tHr [g/kg]\tIth [kJ/m^2]"
                  "\tIdn [kJ/m^2]\tTs [K]\tRn [-]\tSn [-]");
    unxt_return(first_block);

    // Second pass: the time points, into both files.
    for (int block = 0; block < kMaxBlocks; ++block) {
        int day = read_int(TOK_NEXT);
        TimePoint p;
        do {
            stop_on_input_errors();
            read_time_point(p, conc, n);
            double hr = humidity_g_per_kg(p, conc, h2o);
            // Only the first day keeps its 00:00:00 line; later days begin at 01:00:00.
            if (p.time <= 0 && day != first_day) continue;
            const char *date = day_to_date(day);
            const char *time = sec_to_time((int)p.time);  // FATAL outside 0..86400
            out_line(wth, "%s\t%s\t%g\t%g\t%g\t%g\t%.3f\t%g\t%g\t%g\t%d\t%d", date, time,
                     (double)p.ta, (double)p.pb, (double)p.ws, (double)p.wd, hr,
                     (double)p.ith, (double)p.idn, (double)p.ts, p.rn, p.sn);
            if (n != 0) {
                out_text(ctm, "%s\t%s", date, time);
                for (int i = 1; i <= n; ++i) out_text(ctm, "\t%g", (double)conc[i]);
                out_end(ctm);
            }
        } while (p.time != kEndOfDay);
        if (day == last_day) break;
    }

    unxt_close();
    out_close(wth);
    if (n != 0) {
        out_close(ctm);
        fre_vec(conc, 1, n, (int)sizeof(float), "cdat");
    }
    if (error_count_now() > 0) MSG(FATAL, "Error during conversion, call Pellimor");
    file_copy(run.work_path, run.new_path);
    return 0;
}

// Reads the four lines of the control file at `path` into the run's settings.
static void read_control(const char *path) {
    unxt_open(path, 3, __FILE__, __LINE__);
    next_token(run.old_path, TOK_LINE, kLineSize);
    next_token(run.new_path, TOK_LINE, kLineSize);
    next_token(run.species_path, TOK_LINE, kLineSize);
    next_token(run.description, TOK_LINE, kLineSize);
    unxt_close();
}

#ifdef WEATHER_FUZZ_SEAM
void fuzz_read_control(const char *path) { read_control(path); }

void fuzz_set_paths(const char *old_path, const char *new_path, const char *species_path,
                    const char *work_path) {
    snprintf(run.old_path, sizeof run.old_path, "%s", old_path);
    snprintf(run.new_path, sizeof run.new_path, "%s", new_path);
    snprintf(run.species_path, sizeof run.species_path, "%s", species_path);
    snprintf(run.work_path, sizeof run.work_path, "%s", work_path);
}

void fuzz_renval_reset() {
    if (run.work_lock >= 0) close(run.work_lock);
    run.work_lock = -1;
    run.description[0] = '\0';
}
#endif

// ---- driver -----------------------------------------------------------------------
int renval_main(int argc, char **argv) {
    const char *argv0 = argc > 0 ? argv[0] : "renval";
    if (log_open(argv0, "RENVAL") != 0) return 1;
    msg_setup(argc > 2 && box_switch(argv[2]));
    if (exe_sibling(argv0, "WEATHER", ".TMP", run.work_path) != 0)
        MSG(FATAL, "Could not open temporary file: ", run.work_path);

    if (argc > 1) {
        read_control(argv[1]);
    } else {
        prompt_line("Enter name of old weather file:  ", run.old_path, kLineSize);
        prompt_line("Enter name of new weather file:  ", run.new_path, kLineSize);
        prompt_line("Enter name of contaminant file:  ", run.species_path, kLineSize);
    }
    fprintf(log_file, "old weather file:  %s\n", run.old_path);
    fprintf(log_file, "new weather file:  %s\n", run.new_path);
    fprintf(log_file, "contaminant file:  %s\n", run.species_path);
    fflush(log_file);

    convert_weather_10(run.old_path);
    return log_close();
}
