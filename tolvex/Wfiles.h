// Wfiles - the producers of the time-point section: TMY2 import, E/E import and the
// template.  Each takes the run's settings and the open destination, appends the
// time-point lines for settings.start_day .. end_day and returns 0; the driver opened
// the destination and closes it.  Any failure ends the run with a FATAL.
#pragma once

#include <cstdio>

#include "Settings.h"

int make_template(const ConversionSettings &settings, FILE *dest);
int import_tmy2(const ConversionSettings &settings, FILE *dest);
int import_ee(const ConversionSettings &settings, FILE *dest);

#ifdef WEATHER_FUZZ_SEAM
// Fuzz build only: closes a TMY2 source left open by a FATAL.
void fuzz_wfiles_reset();
#endif
