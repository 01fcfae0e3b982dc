// Template - the producer of a template: no source.  See Wfiles.h.
#define MSG_UNIT "Wfiles"
#include "Producers.h"

#include "Wfiles.h"

// Date and time of every time point from start_day 00:00:00 to end_day 24:00:00,
// without values, for the user to fill in.
int make_template(const ConversionSettings &settings, FILE *dest, Gaps &) {
    wth_write_time(dest, settings.start_day, 0);
    for (int d = settings.start_day;; d = next_day(d)) {
        for (int h = 1; h <= kHoursPerDay; ++h) wth_write_time(dest, d, h * kSecondsPerHour);
        if (d == settings.end_day) break;
    }
    return 0;
}
