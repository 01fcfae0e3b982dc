// The number texts of the output files against printf, on a sample (tools/
// check_number_text compares every float of the ranges the files hold).
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "NumberText.h"

namespace {

std::string mine_g(float f) {
    char b[64];
    *put_float_g(b, b + sizeof b, f) = '\0';
    return b;
}
std::string printf_text(const char *format, double v) {
    char b[64];
    snprintf(b, sizeof b, format, v);
    return b;
}

}  // namespace

TEST(NumberText, FloatsPrintAsPrintfG) {
    // Edges of the layouts and of the float range, then a spread of random floats.
    const float edges[] = {0.0f, -0.0f, 1e-5f, 9.99999e-5f, 1e-4f, 0.1f, 1.0f, 273.15f,
                           283.15f, 999999.0f, 1e6f, 123456.7f, 100810.0f, 3596.4f, -3596.4f,
                           FLT_MIN, FLT_TRUE_MIN, FLT_MAX, -FLT_MAX, INFINITY, -INFINITY};
    for (float f : edges) EXPECT_EQ(mine_g(f), printf_text("%g", f)) << f;
    std::mt19937 random(20261207);
    std::uniform_int_distribution<uint32_t> bits;
    for (int i = 0; i < 300000; ++i) {
        uint32_t b = bits(random);
        float f;
        memcpy(&f, &b, sizeof f);
        if (std::isnan(f)) continue;
        ASSERT_EQ(mine_g(f), printf_text("%g", f)) << b;
    }
    // Every float of a stretch of air temperatures.
    for (float f = 270.0f; f < 280.0f; f = std::nextafter(f, 280.0f))
        ASSERT_EQ(mine_g(f), printf_text("%g", f)) << f;
}

TEST(NumberText, DoublesPrintAsPrintf) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> ratio(0.0, 40.0);
    for (int i = 0; i < 200000; ++i) {
        double v = ratio(random);
        char b[64];
        *put_double_f3(b, b + sizeof b, v) = '\0';
        ASSERT_EQ(b, printf_text("%.3f", v)) << v;
        *put_double_g(b, b + sizeof b, v) = '\0';
        ASSERT_EQ(b, printf_text("%g", v)) << v;
    }
}
