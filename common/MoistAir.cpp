// MoistAir - saturation pressure of water vapour, humidity ratio and sky temperature.
// See MoistAir.h.  No state: every routine depends only on its arguments.
//
// All arithmetic is done in long double.  The 32-bit float arguments and the double
// constants are widened explicitly where they enter a formula, so that no part of a
// result is computed in a narrower type.  Nothing is guarded: a non-physical argument
// (a dew point at or below 0 K, a pressure at or below the vapour pressure) yields an
// infinite or NaN result, or raises the floating-point trap the program has enabled.
#include "MoistAir.h"

#include <cmath>

// ---- saturation pressure -----------------------------------------------------------
// Range of validity of the correlations; temperatures outside it are clamped.
constexpr float kTempMin = 203.0f;        // K, lower clamp (-70.15 degC)
constexpr float kTempMax = 373.0f;        // K, upper clamp (99.85 degC)
constexpr double kTripleTemp = 273.16;    // K, triple point: ice below, liquid water from here

// Hyland-Wexler (1983) over ice, 173.15..273.16 K; ln p with p in Pa, T in K.
constexpr double kIceC1 = -5674.5359;     // K
constexpr double kIceC2 = 6.3925247;      // dimensionless
constexpr double kIceC3 = -0.009677843;   // 1/K
constexpr double kIceC4 = 6.2215701e-07;  // 1/K^2
constexpr double kIceC5 = 2.0747825e-09;  // 1/K^3
constexpr double kIceC6 = -9.484024e-13;  // 1/K^4
constexpr double kIceC7 = 4.1635019;      // dimensionless, factor of ln T

// Hyland-Wexler (1983) over liquid water, 273.16..473.15 K; ln p with p in Pa, T in K.
constexpr double kWaterC8 = -5800.2206;      // K
constexpr double kWaterC9 = 1.3914993;       // dimensionless
constexpr double kWaterC10 = -0.048640239;   // 1/K
constexpr double kWaterC11 = 4.1764768e-05;  // 1/K^2
constexpr double kWaterC12 = -1.4452093e-08; // 1/K^3
constexpr double kWaterC13 = 6.5459673;      // dimensionless, factor of ln T

// Saturation pressure of water vapour over ice (T < 273.16 K) or over liquid water
// (T >= 273.16 K).  Source: Hyland and Wexler (1983), ASHRAE Handbook of Fundamentals,
// Psychrometrics, equations 5 and 6.
//   T   in: temperature in K; clamped to 203..373 K before use.
//   returns the saturation pressure in Pa (about 0.26 Pa at 203 K, 101 kPa at 373 K).
long double sat_pressure(float T) {
    if (T < kTempMin) T = kTempMin;
    if (T > kTempMax) T = kTempMax;
    const long double t = static_cast<long double>(T);
    const long double t2 = t * t;
    const long double t3 = t2 * t;
    long double ln_p;
    if (t < static_cast<long double>(kTripleTemp)) {
        const long double t4 = t3 * t;
        ln_p = static_cast<long double>(kIceC1) / t
             + static_cast<long double>(kIceC2)
             + static_cast<long double>(kIceC3) * t
             + static_cast<long double>(kIceC4) * t2
             + static_cast<long double>(kIceC5) * t3
             + static_cast<long double>(kIceC6) * t4
             + static_cast<long double>(kIceC7) * std::log(t);
    } else {
        ln_p = static_cast<long double>(kWaterC8) / t
             + static_cast<long double>(kWaterC9)
             + static_cast<long double>(kWaterC10) * t
             + static_cast<long double>(kWaterC11) * t2
             + static_cast<long double>(kWaterC12) * t3
             + static_cast<long double>(kWaterC13) * std::log(t);
    }
    return std::exp(ln_p);
}

// ---- humidity ratio ----------------------------------------------------------------
// Ratio of the molar masses of water vapour and dry air, as the weather formats have
// always used it: 0.62472 held as a 32-bit float (0.6247199773788452), rather than the
// 0.621945 of the ASHRAE Handbook.  Dimensionless.
constexpr float kMolarMassRatio = 0.62472f;

// Humidity ratio of moist air from its dew point.  Source: ASHRAE Handbook of
// Fundamentals, Psychrometrics, W = 0.622 pw / (p - pw) with pw = pws(Tdp).
//   Tdp in: dew-point temperature in K (203..373 K, clamped by sat_pressure).
//   P   in: barometric pressure in Pa; must exceed the vapour pressure.
//   returns the humidity ratio in kg water per kg dry air; callers multiply by 1000
//   for g/kg.  P at or below the vapour pressure gives an infinite or negative value.
long double humidity_ratio(float Tdp, float P) {
    const long double pws = sat_pressure(Tdp);
    return static_cast<long double>(kMolarMassRatio) * pws
         / (static_cast<long double>(P) - pws);
}

// Humidity ratio of moist air from its relative humidity.  Source as humidity_ratio,
// with pw = phi pws(T).
//   T   in: air temperature in K (203..373 K, clamped by sat_pressure).
//   phi in: relative humidity as a fraction, 0..1.
//   P   in: barometric pressure in Pa; must exceed the vapour pressure.
//   returns the humidity ratio in kg water per kg dry air.
long double humidity_ratio_rh(float T, float phi, float P) {
    const long double pw = static_cast<long double>(phi) * sat_pressure(T);
    return static_cast<long double>(kMolarMassRatio) * pw
         / (static_cast<long double>(P) - pw);
}

// ---- sky temperature ---------------------------------------------------------------
// Clear-sky emissivity after Clark and Allen (1978), e0 = 0.787 + 0.764 ln(Tdp/273),
// here with the dew point scaled by 1/273.15 K.
constexpr double kInvIcePoint = 0.0036609921288669233;  // 1/K, the double 1/273.15
constexpr double kEmisA = 0.787;                         // dimensionless
constexpr double kEmisB = 0.764;                         // dimensionless

// Cloud factor after Walton (1983), f = 1 + 0.0224 N - 0.0035 N^2 + 0.00028 N^3.
constexpr double kCloudA = 0.0224;    // dimensionless
constexpr double kCloudB = 0.0035;    // dimensionless
constexpr double kCloudC = 0.00028;   // dimensionless

// Effective sky temperature for long-wave exchange, Ts = Ta (e0 f)^(1/4).
// Source: clear-sky emissivity of Clark and Allen (1978) with the cloud-cover
// correction of Walton (1983).
//   Ta  in: dry-bulb air temperature in K.
//   Tdp in: dew-point temperature in K, above 0 K (about 200..310 K in weather data).
//   N   in: total sky cover as a fraction, 0..1.
//   returns the sky temperature in K.  Tdp at or below 0 K has no logarithm and gives
//   NaN or -infinity inside; the routine does not guard against it.
long double sky_temperature(float Ta, float Tdp, float N) {
    const long double n = static_cast<long double>(N);
    const long double n2 = n * n;
    const long double n3 = n2 * n;
    const long double e0 = static_cast<long double>(kEmisA)
        + static_cast<long double>(kEmisB)
            * std::log(static_cast<long double>(Tdp) * static_cast<long double>(kInvIcePoint));
    const long double f = 1.0L
        + static_cast<long double>(kCloudA) * n
        - static_cast<long double>(kCloudB) * n2
        + static_cast<long double>(kCloudC) * n3;
    // Fourth root as two square roots.
    return static_cast<long double>(Ta) * std::sqrt(std::sqrt(e0 * f));
}
