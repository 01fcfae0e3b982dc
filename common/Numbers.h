// Numbers - the number texts of the converters' inputs: whole-token conversions by the
// build's rules, and the decimal text of an integer for messages.  No state but the
// two buffers of int_text.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "Variant.h"

// Whole-token conversions by the build's rules: 0 when valid, 1 when not (out value 0).
// The conversions to floating point are inline below: the field reader of a source
// takes one for nearly every field.
int parse_int(const char *text, int *value);
int parse_long(const char *text, long *value);
inline int parse_double(const char *text, double *value);
inline int parse_float(const char *text, float *value);
// Decimal integer in -32768..32767, leading zeros allowed (no octal or hex prefix);
// an empty text is invalid.  Used for integer fields of data records.
int parse_decimal(const char *text, int *value);

// 1 when the texts are equal byte by byte, else 0.
int same_text(const char *a, const char *b);

// Decimal text of `value` in one of two buffers used in turn.
const char *int_text(long value);

// ---- conversions to floating point ------------------------------------------------
namespace numbers_detail {

constexpr double kFloatMax = 3.4028234663852886e38;  // the largest finite float

// Exact powers of ten: every one up to 1e22 is a double without rounding.
inline constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
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
inline bool plain_decimal(const char *text, double *value) {
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

// strtod with the floating-point traps held off (Numbers.cpp): `range_error` for an
// overflow, "nan" and "inf".
double strtod_quiet(const char *text, char **end, bool *range_error);

// strtod without the traps: a plain decimal directly, anything else by strtod_quiet.
inline double quiet_strtod(const char *text, char **end, bool *range_error) {
    double plain;
    if (text[0] != '\0' && plain_decimal(text, &plain)) {
        *end = const_cast<char *>(text) + strlen(text);
        *range_error = false;
        return plain;
    }
    return strtod_quiet(text, end, range_error);
}

}  // namespace numbers_detail

inline int parse_double(const char *text, double *value) {
    char *end;
    bool range_error;
    double v = numbers_detail::quiet_strtod(text, &end, &range_error);
    *value = 0;
    if (*end != '\0' || range_error || (!variant::kCNumberRules && end == text)) return 1;
    *value = v;
    return 0;
}

inline int parse_float(const char *text, float *value) {
    double v;
    *value = 0;
    if (variant::kCNumberRules) {
        if (parse_double(text, &v) != 0) return 1;
    } else {
        char *end;
        bool range_error;  // renval takes an underflow to 0 as a value
        v = numbers_detail::quiet_strtod(text, &end, &range_error);
        if (end == text || *end != '\0') return 1;
    }
    if (!std::isfinite(v) || std::fabs(v) > numbers_detail::kFloatMax) return 1;
    *value = (float)v;
    return 0;
}
