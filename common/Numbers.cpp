// Numbers - number texts of the converters' inputs.  See Numbers.h.
#include "Numbers.h"

#include <cerrno>
#include <cfenv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Variant.h"

// strtod with the floating-point traps held off: an overflowing token such as 1e999
// must come back as a range error, never as a trap.
double numbers_detail::strtod_quiet(const char *text, char **end, bool *range_error) {
    fenv_t env;
    feholdexcept(&env);
    errno = 0;
    double v = strtod(text, end);
    *range_error = errno == ERANGE;
    bool finite = std::isfinite(v);
    fesetenv(&env);
    if (!finite) *range_error = true;  // "nan", "inf" and overflow are never numbers
    return v;
}

// strtol likewise, and within the 32 bits of every build's long integers.
static long quiet_strtol(const char *text, char **end, int base, bool *range_error) {
    errno = 0;
    long v = strtol(text, end, base);
    *range_error = errno == ERANGE || v < INT32_MIN || v > INT32_MAX;
    return v;
}

int parse_decimal(const char *text, int *value) {
    // As strtol with base 10 would read it: white space, a sign, then digits to the
    // end of the text.  Five digits reach the limits; more are out of range anyway.
    const char *p = text;
    *value = 0;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    long v = 0;
    const char *digits = p;
    for (; *p >= '0' && *p <= '9'; ++p) {
        v = v * 10 + (*p - '0');
        if (v > 32768) v = 32769;  // out of range whatever follows
    }
    if (p == digits || *p != '\0') return 1;
    if (negative) v = -v;
    if (v < -32768 || v > 32767) return 1;
    *value = (int)v;
    return 0;
}

int parse_long(const char *text, long *value) {
    char *end;
    bool range_error;
    long v = quiet_strtol(text, &end, variant::kCNumberRules ? 0 : 10, &range_error);
    *value = 0;
    // tolvex: an empty token is 0; renval: at least one character must convert.
    // In both an overflowing value is rejected, never clamped.
    if (*end != '\0' || range_error || (!variant::kCNumberRules && end == text)) return 1;
    *value = v;
    return 0;
}

int parse_int(const char *text, int *value) {
    if (!variant::kCNumberRules) return parse_decimal(text, value);
    long v;
    *value = 0;
    if (parse_long(text, &v) != 0 || v < -32768 || v > 32767) return 1;
    *value = (int)v;
    return 0;
}

int same_text(const char *a, const char *b) { return strcmp(a, b) == 0; }

const char *int_text(long value) {
    static char text[2][24];
    static int which = 0;
    which = 1 - which;
    snprintf(text[which], sizeof text[which], "%ld", value);
    return text[which];
}
