// Wfiles - the producers of the time-point section.  See Wfiles.h.
#include "Wfiles.h"

#include "Config.h"
#include "Tolvex.h"
#include "Utils.h"

constexpr int kSecondsPerHour = 3600;
constexpr int kHoursPerDay = 24;

// ---- template ---------------------------------------------------------------------
// Date and time of every time point from start_day 00:00:00 to end_day 24:00:00,
// without values, for the user to fill in.
int make_template() {
    out_line(dest_file, "%s\t%s", day_to_date(settings.start_day), sec_to_time(0));
    for (int d = settings.start_day;; d = next_day(d)) {
        for (int h = 1; h <= kHoursPerDay; ++h)
            out_line(dest_file, "%s\t%s", day_to_date(d), sec_to_time(h * kSecondsPerHour));
        if (d == settings.end_day) break;
    }
    out_close(dest_file);
    dest_file = nullptr;
    fprintf(log_file, "Finished %s\n", settings.dest_path);
    return 0;
}

int import_tmy2() {
    MSG(FATAL, "Unrecognized file type: ", settings.file_type);
    return 0;
}

int import_ee() {
    MSG(FATAL, "Unrecognized file type: ", settings.file_type);
    return 0;
}
