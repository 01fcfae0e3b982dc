// FaultSeam - the test build's seam for failures that a machine rarely shows: with
// WEATHER_FAULT_SEAM, operation number WEATHER_FAIL_AT (environment) of a run fails,
// counting from 1 every open, write, flush, sync, close, link and rename of an output
// file or the journal, the log's last close, every allocation of the checked heap, and
// every open and read of an input file.  With WEATHER_FAIL_SIGNAL set to a signal number, that operation
// does not fail but the process sends itself the signal just before it: a kill at
// that point of the run.  With WEATHER_NO_LINKS set, no hard link can be made, as on
// a filesystem without them.  The product is built without the seam: its functions
// are then constant false.
#pragma once

#ifdef WEATHER_FAULT_SEAM
// True when this operation is the one that must fail (FaultSeam.cpp, test build only).
bool fault();
// True when hard links must fail.
bool fault_no_links();
#else
constexpr bool fault() { return false; }
constexpr bool fault_no_links() { return false; }
#endif
