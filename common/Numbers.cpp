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

constexpr double kFloatMax = 3.4028234663852886e38;  // the largest finite float

// Exact powers of ten: every one up to 1e22 is a double without rounding.
static const double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr uint64_t kExactLimit = (uint64_t)1 << 53;  // integers a double holds exactly

// A plain decimal ("-12.5", "101325", ".5") converted without strtod: its digits as
// an integer m below 2^53 and the count k of digits after the point (k <= 22) give
// m / 10^k, one correctly rounded division of two exact doubles, which is the value
// strtod returns (Clinger's fast path).  Anything else (exponents, long mantissas,
// stray characters) returns false and is left to strtod.  Such a text can neither
// overflow nor underflow, so it needs none of the floating-point environment switches
// that strtod needs, which would dominate the reading of a data record.
static bool plain_decimal(const char *text, double *value) {
    const char *p = text;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    uint64_t m = 0;
    int decimals = 0;
    bool point = false, digits = false;
    for (;; ++p) {
        if (*p >= '0' && *p <= '9') {
            if (m >= kExactLimit / 10) return false;
            m = m * 10 + (uint64_t)(*p - '0');
            digits = true;
            if (point) ++decimals;
        } else if (*p == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (*p != '\0' || !digits || decimals > 22) return false;
    double v = (double)m / kPow10[decimals];
    *value = negative ? -v : v;
    return true;
}

// strtod and strtol with the floating-point traps held off: an overflowing token
// such as 1e999 must come back as a range error, never as a trap.
static double quiet_strtod(const char *text, char **end, bool *range_error) {
    double plain;
    if (text[0] != '\0' && plain_decimal(text, &plain)) {
        *end = const_cast<char *>(text) + strlen(text);
        *range_error = false;
        return plain;
    }
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

int parse_double(const char *text, double *value) {
    char *end;
    bool range_error;
    double v = quiet_strtod(text, &end, &range_error);
    *value = 0;
    if (*end != '\0' || range_error || (!variant::kCNumberRules && end == text)) return 1;
    *value = v;
    return 0;
}

int parse_float(const char *text, float *value) {
    double v;
    *value = 0;
    if (variant::kCNumberRules) {
        if (parse_double(text, &v) != 0) return 1;
    } else {
        char *end;
        bool range_error;  // renval takes an underflow to 0 as a value
        v = quiet_strtod(text, &end, &range_error);
        if (end == text || *end != '\0') return 1;
    }
    if (!std::isfinite(v) || std::fabs(v) > kFloatMax) return 1;
    *value = (float)v;
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
