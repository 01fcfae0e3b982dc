// MoistAir - saturation pressure of water vapour, humidity ratio and sky temperature.
//
// Pure functions without state, linked into both converters.  Arguments are 32-bit
// floats as the weather formats hold them; the routines compute in long double
// (80-bit extended on x86) and return it, and the callers narrow as their formats say.
#pragma once

// Saturation pressure of water vapour in Pa at `T` kelvin, over ice below 273.16 K and
// over liquid water from 273.16 K (T clamped to 203..373 K).
long double sat_pressure(float T);

// Humidity ratio in kg/kg of air with dew point `Tdp` (K) at pressure `P` (Pa).
long double humidity_ratio(float Tdp, float P);

// Humidity ratio in kg/kg of air at `T` (K) with relative humidity `phi` (fraction)
// at pressure `P` (Pa).
long double humidity_ratio_rh(float T, float phi, float P);

// Sky temperature in K from air temperature `Ta` (K), dew point `Tdp` (K) and sky
// cover `N` (fraction 0..1).
long double sky_temperature(float Ta, float Tdp, float N);
