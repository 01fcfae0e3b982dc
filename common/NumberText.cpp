// NumberText - "%g" and "%.3f" without printf.  See NumberText.h.
#include "NumberText.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr int kPrecision = 6;  // significant digits of "%g"

// printf's text of `v` in `format`, cut at `end`.
static char *put_printf(char *p, char *end, const char *format, double v) {
    int n = snprintf(p, (size_t)(end - p), format, v);
    return n < 0 ? p : p + std::min<ptrdiff_t>(n, end - p - 1);
}

char *put_double_g(char *p, char *end, double v) {
    if (!std::isfinite(v)) return put_printf(p, end, "%g", v);
    return std::to_chars(p, end, v, std::chars_format::general, kPrecision).ptr;
}

char *put_double_f3(char *p, char *end, double v) {
    if (!std::isfinite(v)) return put_printf(p, end, "%.3f", v);
    return std::to_chars(p, end, v, std::chars_format::fixed, 3).ptr;
}

char *put_float_g(char *p, char *end, float f) {
    if (!std::isfinite(f) || (f != 0 && std::fabs(f) < FLT_MIN)) return put_double_g(p, end, f);
    if (f == 0) {
        if (std::signbit(f)) *p++ = '-';
        *p++ = '0';
        return p;
    }
    // A whole number below 10^6 (pressures, directions, many radiations) is its digits.
    if (std::fabs(f) < 1e6f && f == (float)(int32_t)f) return std::to_chars(p, end, (int32_t)f).ptr;
    // The shortest text that reads back as f: [-]d[.ddd]e(+|-)XX.
    char sci[32];
    const char *stop = std::to_chars(sci, sci + sizeof sci, f, std::chars_format::scientific).ptr;
    const char *q = sci;
    const bool negative = *q == '-';
    if (negative) ++q;
    char digits[16];
    int nd = 0;
    for (; q < stop && *q != 'e'; ++q)
        if (*q != '.') digits[nd++] = *q;
    if (nd > kPrecision) return put_double_g(p, end, f);
    int exponent = 0;
    const bool exponent_negative = q + 1 < stop && q[1] == '-';
    for (q += 2; q < stop; ++q) exponent = exponent * 10 + (*q - '0');
    if (exponent_negative) exponent = -exponent;

    if (negative) *p++ = '-';
    if (exponent < -4 || exponent >= kPrecision) {  // d.ddde+XX, two exponent digits at least
        *p++ = digits[0];
        if (nd > 1) {
            *p++ = '.';
            for (int i = 1; i < nd; ++i) *p++ = digits[i];
        }
        *p++ = 'e';
        *p++ = exponent < 0 ? '-' : '+';
        int e = exponent < 0 ? -exponent : exponent;
        if (e < 10) *p++ = '0';
        return std::to_chars(p, end, e).ptr;
    }
    if (exponent >= 0) {  // the integer part, then the fraction when there is one
        for (int i = 0; i <= exponent; ++i) *p++ = i < nd ? digits[i] : '0';
        if (nd > exponent + 1) {
            *p++ = '.';
            for (int i = exponent + 1; i < nd; ++i) *p++ = digits[i];
        }
        return p;
    }
    *p++ = '0';  // 0.000ddd
    *p++ = '.';
    for (int i = 0; i < -exponent - 1; ++i) *p++ = '0';
    for (int i = 0; i < nd; ++i) *p++ = digits[i];
    return p;
}
