// Producers - the producer of the time-point section for each source format of
// SourceFormat.  A producer takes the run's settings, the open destination, whose head
// and day section the driver has written, and the caller's missing-value index (Gaps,
// filled afresh: the caller owns every container of the run, so that nothing is
// stranded when a FATAL leaves the producer's frame in the fuzz build); it appends the
// time-point lines for settings.start_day .. end_day and returns 0; the driver closes
// the destination.  Any failure ends the run with a FATAL.  A new format is one more
// producer unit and one row here.  No state.
#pragma once

#include <cstdio>

#include "Settings.h"
#include "SourceFormat.h"
#include "Wfiles.h"

using Producer = int (*)(const ConversionSettings &settings, FILE *dest, Gaps &gaps);

// The producer of `type`.
Producer producer_of(SourceType type);

// The producers, one unit each (ImportTmy2, ImportEe, Template).
int import_tmy2(const ConversionSettings &settings, FILE *dest, Gaps &gaps);
int import_ee(const ConversionSettings &settings, FILE *dest, Gaps &gaps);
int make_template(const ConversionSettings &settings, FILE *dest, Gaps &gaps);
