// Tests of the moist-air routines: branch and clamp edges of the saturation pressure,
// agreement with published tables, and that results carry long double precision.
#include "MoistAir.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Relative difference of a computed value from a reference, in long double.
long double rel_diff(long double got, long double want) {
    return std::fabs(got - want) / std::fabs(want);
}

}  // namespace

TEST(moist_air, sat_pressure_switches_from_ice_to_water_at_triple_point) {
    EXPECT_NEAR(static_cast<double>(sat_pressure(273.16f)), 611.66, 0.01);  // water, Pa
    EXPECT_NEAR(static_cast<double>(sat_pressure(273.15f)), 611.15, 0.01);  // ice, Pa
}

TEST(moist_air, sat_pressure_clamps_to_203_and_373_kelvin) {
    EXPECT_EQ(sat_pressure(150.0f), sat_pressure(203.0f));
    EXPECT_EQ(sat_pressure(400.0f), sat_pressure(373.0f));
    EXPECT_NEAR(static_cast<double>(sat_pressure(400.0f)), 100877.0, 1.0);  // Pa
    EXPECT_LT(sat_pressure(203.0f), sat_pressure(204.0f));  // no clamp just inside
    EXPECT_GT(sat_pressure(373.0f), sat_pressure(372.0f));
}

// Saturation pressure over water (over ice at 0 and -20 degC) from published tables
// (IAPWS-95, as tabulated in the ASHRAE Handbook of Fundamentals 2017, ch. 1, table 3).
// Tolerance 0.03 %: the accuracy the Handbook states for the Hyland-Wexler fits.
TEST(moist_air, sat_pressure_matches_published_tables) {
    struct Row { float T_K; double p_Pa; };
    const Row rows[] = {
        {253.15f, 103.24},   // -20 degC, ice
        {273.15f, 611.15},   //   0 degC, ice
        {283.15f, 1228.2},   //  10 degC
        {293.15f, 2339.3},   //  20 degC
        {303.15f, 4247.0},   //  30 degC
        {313.15f, 7384.9},   //  40 degC
    };
    for (const Row& r : rows)
        EXPECT_LT(rel_diff(sat_pressure(r.T_K), r.p_Pa), 3e-4L) << "T = " << r.T_K;
    EXPECT_NEAR(static_cast<double>(sat_pressure(293.15f)), 2338.8, 0.05);
}

TEST(moist_air, humidity_ratio_from_dew_point_and_relative_humidity) {
    // 10 degC dew point at standard pressure, kg/kg.
    EXPECT_NEAR(static_cast<double>(humidity_ratio(283.15f, 101325.0f)), 0.007664, 5e-7);
    // Saturated air (phi = 1) has its own temperature as dew point.
    EXPECT_EQ(humidity_ratio_rh(293.15f, 1.0f, 101325.0f), humidity_ratio(293.15f, 101325.0f));
    // Half saturated air holds a little less than half the water of saturated air.
    const long double w_half = humidity_ratio_rh(293.15f, 0.5f, 101325.0f);
    EXPECT_LT(w_half, 0.5L * humidity_ratio(293.15f, 101325.0f));
    EXPECT_GT(w_half, 0.49L * humidity_ratio(293.15f, 101325.0f));
}

TEST(moist_air, sky_temperature_clear_and_overcast) {
    // Dew point at the ice point and a clear sky: e0 = 0.787, Ts = Ta 0.787^(1/4).
    // The 32-bit 273.15 lies 6e-9 K below 273.15, hence the tolerance of 1e-7 relative.
    const long double clear = sky_temperature(293.15f, 273.15f, 0.0f);
    EXPECT_LT(rel_diff(clear, 293.15f * std::pow(0.787L, 0.25L)), 1e-7L);
    // Cloud raises the sky temperature: f(1) = 1.01918.
    const long double overcast = sky_temperature(293.15f, 273.15f, 1.0f);
    EXPECT_LT(rel_diff(overcast / clear, std::pow(1.01918L, 0.25L)), 1e-12L);
}
