// FaultSeam - the test build's seam for failures that a machine rarely shows: with
// WEATHER_FAULT_SEAM, operation number WEATHER_FAIL_AT (environment) of a run fails,
// counting from 1 every open, write, flush, close and rename of an output file, every
// allocation of the checked heap, and every open and read of an input file.  The
// product is built without it: fault() is then a constant false.
#pragma once

#ifdef WEATHER_FAULT_SEAM
// True when this operation is the one that must fail (FaultSeam.cpp, test build only).
bool fault();
#else
constexpr bool fault() { return false; }
#endif
