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
#include <initializer_list>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Config.h"
#include "ControlText.h"
#include "Heap.h"
#include "MoistAir.h"
#include "Paths.h"
#include "RenvalOptions.h"
#include "Run.h"
#include "FileCopy.h"
#include "FileKind.h"
#include "Input.h"
#include "Numbers.h"
#include "WeatherFile.h"

constexpr int kNameSize = 14;          // characters of a species name, terminator included
constexpr int kMaxBlocks = 365;        // day blocks read at most in each pass
constexpr long kEndOfDay = 86400;      // s, the time that ends a day block
constexpr float kDefaultRh = 0.5f;     // relative humidity assumed without an H2O species

// The work file's lock, held from the conversion's start until the process ends.
static int work_lock = -1;  // descriptor that holds the lock, or -1

// The head of the 1.0 file and what the conversion keeps of it.
struct OldHead {
    char title[kLineSize];
    int n;          // number of species, 0 for none
    float *conc;    // conc[0..n-1], the concentrations of the time point being read, and
    char **names;   // names[0..n-1], both on the checked heap; null when n is 0
    int h2o;        // index of the species "H2O", -1 when there is none
    int first_day;  // days of the year covered
    int last_day;
};

// One time point of the 1.0 file.
struct OldPoint {
    long time;  // s since the day's midnight
    float ta, pb, ws, wd, ith, idn, ts;
    int rn, sn;
};

// Holds an exclusive lock on the work file until the process ends, so that a second
// run from the same folder waits instead of writing into the first one's output, then
// empties the work file and returns it for writing.  Only a regular file of one link,
// never through a symbolic link: anything else would take the upgrade's copy in
// someone else's place.
static FILE *open_work_file(const char *work_path) {
    int fd = open(work_path, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    struct stat st;
    if (fd >= 0) {
        work_lock = fd;
        if (fstat(fd, &st) != 0) MSG_FATAL("Could not open temporary file: ", work_path);
    } else if (lstat(work_path, &st) != 0 || S_ISLNK(st.st_mode)) {
        MSG_FATAL("Could not open temporary file: ", work_path);
    }
    if (!S_ISREG(st.st_mode)) MSG_FATAL("Work file is not a regular file: ", work_path);
    if (st.st_nlink > 1) MSG_FATAL("Work file has another hard link: ", work_path);
    int flags = fcntl(fd, F_GETFL);
    if (flags == -1 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1 || flock(fd, LOCK_EX) != 0)
        MSG_FATAL("Could not open temporary file: ", work_path);
    // The lock's descriptor stays open: the lock lasts as long as the process.
    int writer = dup(fd);
    FILE *wth = writer >= 0 ? out_open_in_place(writer, work_path) : nullptr;
    if (!wth) MSG_FATAL("Could not open temporary file: ", work_path);
    return wth;
}

// The files a run writes are none of the files it reads or works in.  The new weather
// file may be the old one: it is written to the work file first.
static void check_paths(const RenvalPaths &p) {
    if (same_file(p.old_path, p.work_path))
        MSG_FATAL("Old weather file is the work file: ", p.old_path);
    if (same_file(p.species_path, p.old_path))
        MSG_FATAL("Species file is the old weather file: ", p.species_path);
    if (same_file(p.species_path, p.new_path))
        MSG_FATAL("Species file is the new weather file: ", p.species_path);
    if (same_file(p.new_path, p.work_path))
        MSG_FATAL("New weather file is the work file: ", p.new_path);
    if (same_file(p.species_path, p.work_path))
        MSG_FATAL("Species file is the work file: ", p.species_path);
}

// Neither output is the control file or the log, however either is spelt.
static void check_outputs(const RenvalPaths &p, const char *control) {
    const struct {
        const char *path, *what;
    } outputs[] = {{p.new_path, "New weather file"}, {p.species_path, "Species file"}};
    for (const auto &out : outputs) {
        if (control && same_file(out.path, control))
            MSG_FATAL(out.what, " is the control file: ", out.path);
        if (same_file(out.path, run_log_path())) MSG_FATAL(out.what, " is the log file: ", out.path);
    }
}

static void stop_on_input_errors() {
    if (error_count_now() > 0) MSG_FATAL("Run terminated because of input errors");
}

// Reads the head of the 1.0 file: title, species and the days covered.  The species'
// concentrations ("cdat") and names ("names") get their room on the checked heap; the
// species file is created, once the count is known to be valid, into `*ctm` (left
// null without species).
static void read_old_head(Input &in, OldHead &h, const char *species_path, FILE *wth,
                          FILE **ctm) {
    next_token(in, h.title, TOK_LINE, kLineSize);
    read_int(in, TOK_NEWLINE, &h.n);
    h.conc = nullptr;
    h.names = nullptr;
    h.h2o = -1;
    *ctm = nullptr;
    if (h.n != 0) {
        // A negative count ends here with the allocator's FATAL, before the species
        // file (and an older file at its path) is touched.
        h.conc = (float *)alc_vec(1, h.n, (int)sizeof(float), "cdat");
        h.names = (char **)alc_mat(1, h.n, 0, kNameSize - 1, 1, "names");
        *ctm = out_open(species_path);
        if (!*ctm) {
            out_close(wth);
            MSG_FATAL("Could not open contaminant file: ", species_path);
        }
        for (int i = 0; i < h.n; ++i) {
            next_token(in, h.names[i], TOK_NEXT, kNameSize);
            if (same_text(h.names[i], "H2O")) h.h2o = i;
        }
    }
    read_int(in, TOK_NEWLINE, &h.first_day);
    read_int(in, TOK_NEXT, &h.last_day);
    stop_on_input_errors();
}

// Reads one day line into a day line of the weather file, then skips the day's time
// points.  Returns the day of the year read.
static int copy_day_line(Input &in, FILE *wth) {
    int day, unused, day_of_week, day_type, dst;
    float ground;
    read_int(in, TOK_NEWLINE, &day);
    read_int(in, TOK_NEXT, &unused);  // two values without meaning here
    read_int(in, TOK_NEXT, &unused);
    read_int(in, TOK_NEXT, &day_of_week);
    read_int(in, TOK_NEXT, &day_type);
    read_int(in, TOK_NEXT, &dst);
    read_float(in, TOK_NEXT, &ground);
    wth_write_day(wth, day, day_of_week, day_type, dst, ground);
    // The day's time points are skipped in this pass.
    for (long time = 0; time != kEndOfDay;) read_long(in, TOK_NEWLINE, &time);
    return day;
}

// First pass: the day section, one line per day block up to the last day.
static void day_pass(Input &in, const OldHead &h, FILE *wth) {
    for (int block = 0; block < kMaxBlocks; ++block) {
        stop_on_input_errors();
        if (copy_day_line(in, wth) == h.last_day) break;
    }
    wth_write_points_head(wth);
}

static void read_old_point(Input &in, OldPoint &p, float *conc, int n) {
    read_long(in, TOK_NEWLINE, &p.time);
    for (float *v : {&p.ta, &p.pb, &p.ws, &p.wd, &p.ith, &p.idn, &p.ts}) read_float(in, TOK_NEXT, v);
    read_int(in, TOK_NEXT, &p.rn);
    read_int(in, TOK_NEXT, &p.sn);
    for (int i = 0; i < n; ++i) read_float(in, TOK_NEXT, &conc[i]);
}

// Humidity ratio in g/kg: from the H2O mass fraction x as 1000 x / (1 - x), or for
// air at 50 % relative humidity when the file has no H2O species.
static double humidity_g_per_kg(const OldPoint &p, const float *conc, int h2o) {
    if (h2o >= 0) {
        double x = (double)conc[h2o];
        return 1000.0 * x / (1.0 - x);
    }
    return (double)(1000.0L * humidity_ratio_rh(p.ta, kDefaultRh, p.pb));
}

// Second pass: the time points of every day block, into the weather file and, with
// species, the concentrations into the species file.  Only the first day keeps its
// 00:00:00 line; later days begin at 01:00:00.
static void time_point_pass(Input &in, const OldHead &h, FILE *wth, FILE *ctm) {
    float *conc = h.conc;
    for (int block = 0; block < kMaxBlocks; ++block) {
        int day;
        read_int(in, TOK_NEXT, &day);
        OldPoint p;
        do {
            stop_on_input_errors();
            read_old_point(in, p, conc, h.n);
            WeatherPoint w;
            w.Hr = humidity_g_per_kg(p, conc, h.h2o);
            if (p.time <= 0 && day != h.first_day) continue;
            w.Ta = p.ta;
            w.Pb = p.pb;
            w.Ws = p.ws;
            w.Wd = p.wd;
            w.Ith = p.ith;
            w.Idn = p.idn;
            w.Ts = p.ts;
            w.Rn = p.rn;
            w.Sn = p.sn;
            wth_write_point(wth, day, (int)p.time, w);  // FATAL for a time outside 0..86400
            if (ctm) ctm_write_point(ctm, day, (int)p.time, conc, h.n);
        } while (p.time != kEndOfDay);
        if (day == h.last_day) break;
    }
}

int convert_weather_10(const RenvalPaths &paths) {
    MSG(ERR_RESET);
    check_paths(paths);
    Input in;
    input_open(in, paths.old_path, OPEN_FATAL, true, MSG_UNIT, __LINE__);
    if (file_kind(in.data, in.size) == FileKind::Weather20)
        MSG_FATAL("Already a weather file 2.0: ", paths.old_path);
    FILE *wth = open_work_file(paths.work_path);
    fprintf(log_file, "\nReading weather file: %s\n", paths.old_path);

    // The heads of both files.
    OldHead h;
    FILE *ctm;
    read_old_head(in, h, paths.species_path, wth, &ctm);
    const char *description = paths.description[0] ? paths.description : h.title;
    wth_write_head(wth, description, h.first_day, h.last_day);
    if (ctm) {
        ctm_write_head(ctm, description, h.first_day, h.last_day, h.n, h.names);
        fre_mat((void **)h.names, 1, h.n, 0, kNameSize - 1, 1, "names");
    }

    // The day blocks are read twice: once for the day section, once for the time points.
    InputMark first_block = input_mark(in);
    day_pass(in, h, wth);
    input_return(in, first_block);
    time_point_pass(in, h, wth, ctm);

    input_close(in);
    out_close(wth);
    if (ctm) {
        out_close(ctm);
        fre_vec(h.conc, 1, h.n, (int)sizeof(float), "cdat");
    }
    if (error_count_now() > 0) MSG_FATAL("Error during conversion, call Pellimor");
    // The copy is finished like the species file; both replace their destinations
    // together when the log is closed.
    file_copy(paths.work_path, paths.new_path);
    return 0;
}

// Reads the four lines of the control file at `path` into `paths`.
static void read_control(const char *path, RenvalPaths &paths) {
    Input in;
    input_open(in, path, OPEN_FATAL, true, MSG_UNIT, __LINE__);
    input_skip_bom(in);
    // Each line must be there: "End of file" says which is missing.
    auto expect_line = [&in](const char *which) {
        if (in.pos >= in.size) MSG_FATAL("End of file", ": the control file has no line ", which);
    };
    expect_line("1 (the old weather file)");
    read_path(in, paths.old_path, kLineSize);
    expect_line("2 (the new weather file)");
    read_path(in, paths.new_path, kLineSize);
    expect_line("3 (the species file)");
    read_path(in, paths.species_path, kLineSize);
    expect_line("4 (the description)");
    next_token(in, paths.description, TOK_LINE, kLineSize);
    input_close(in);
}

#ifdef WEATHER_FUZZ_SEAM
void fuzz_read_control(const char *path, RenvalPaths &paths) { read_control(path, paths); }

void fuzz_renval_reset() {
    if (work_lock >= 0) close(work_lock);
    work_lock = -1;
}
#endif

// ---- driver -----------------------------------------------------------------------
int renval_main(const char *argv0, const CommandLine &line) {
    if (log_open(argv0, "RENVAL", line.log) != 0) return 1;
    msg_setup(line.box);
    // The work file: beside a log of the run's own, else the shared one.
    RenvalPaths paths{};
    if (line.log ? snprintf(paths.work_path, sizeof paths.work_path, "%s.TMP", line.log) >=
                       (int)sizeof paths.work_path
                 : exe_sibling(argv0, "WEATHER", ".TMP", paths.work_path) != 0)
        MSG_FATAL("Could not open temporary file: ", paths.work_path);

    if (!line.values.empty()) {
        char control[kMaxPath];
        open_control_text(renval_control_text(line), control);
        read_control(control, paths);
    } else if (line.control) {
        read_control(line.control, paths);
    } else {
        prompt_line("Enter name of old weather file:  ", paths.old_path, kLineSize);
        prompt_line("Enter name of new weather file:  ", paths.new_path, kLineSize);
        prompt_line("Enter name of contaminant file:  ", paths.species_path, kLineSize);
    }
    fprintf(log_file, "old weather file:  %s\n", paths.old_path);
    fprintf(log_file, "new weather file:  %s\n", paths.new_path);
    fprintf(log_file, "contaminant file:  %s\n", paths.species_path);
    log_flush();

    check_outputs(paths, line.control);
    convert_weather_10(paths);
    return log_close();
}
