// Dates - dates and times of the weather files.  See Dates.h.
//
// Messages of this unit are located in "Utils", the unit that has always held them.
#define MSG_UNIT "Utils"
#include "Dates.h"

#include <cstdio>

#include "Config.h"
#include "Numbers.h"
#include "Variant.h"

const char *day_to_date(int day) {
    static char text[32];
    if (variant::kCheckDayNumbers && (day < 1 || day > 365))
        MSG(ERROR, "invalid day number: ", int_text(day));
    const int month = calendar::month_of(day);
    snprintf(text, sizeof text, "%d/%d", month, day - calendar::days_before(month));
    return text;
}

int date_to_day(int month, int day) {
    if (month < 1 || month > 12) {
        MSG(ERROR, "Invalid month number: ", int_text(month));
        return -1;
    }
    if (!calendar::is_date(month, day)) {
        MSG(ERROR, "Invalid day_of_month number: ", int_text(day));
        return -1;
    }
    return calendar::day_of_year(month, day);
}

int parse_date(const char *text, int *day) {
    constexpr int kCap = 1000;  // any number above this is out of range already
    int month = 0, mday = 0;
    bool in_day = false;
    *day = 0;
    if (text[0] == '\0') return 1;
    for (const char *p = text; *p; ++p) {
        if (*p == '/' && !in_day) {
            in_day = true;
        } else if (*p >= '0' && *p <= '9') {
            int &part = in_day ? mday : month;
            part = part * 10 + (*p - '0');
            if (part > kCap) part = kCap;
        } else {
            return 1;
        }
    }
    if (!calendar::is_date(month, mday)) return 1;
    *day = calendar::day_of_year(month, mday);
    return 0;
}

const char *sec_to_time(int seconds) {
    static char text[9] = "00:00:00";
    if (seconds < 0 || seconds > 86400) MSG_FATAL("invalid time ");
    int s = seconds;
    text[7] = (char)('0' + s % 10), s /= 10;
    text[6] = (char)('0' + s % 6), s /= 6;
    text[4] = (char)('0' + s % 10), s /= 10;
    text[3] = (char)('0' + s % 6), s /= 6;
    text[1] = (char)('0' + s % 10);
    text[0] = (char)('0' + s / 10);
    return text;
}
