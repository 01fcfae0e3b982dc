// imports - the run shared by the TMY2 and E/E fuzz targets: the first four input
// bytes give the first and last day (harness.h), the rest is the source file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Converts the source in `data` with `producer` (import_tmy2 or import_ee) into the
// memory output, after the head and day section of a calendar starting on a Sunday;
// a successful conversion is checked with check_memory_output.
#include "Producers.h"

void fuzz_import(const uint8_t *data, size_t size,
                 Producer producer);
