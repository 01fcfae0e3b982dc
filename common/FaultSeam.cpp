// FaultSeam - the counter of the test build's seam.  See FaultSeam.h.  Compiled only
// into the converters built for the tests.
#include "FaultSeam.h"

#include <csignal>
#include <cstdlib>

static long env_number(const char *name) {
    const char *n = getenv(name);
    return n ? atol(n) : 0L;
}

bool fault() {
    static const long fail_at = env_number("WEATHER_FAIL_AT");
    static const int signal = (int)env_number("WEATHER_FAIL_SIGNAL");
    static long count = 0;
    if (fail_at <= 0 || ++count != fail_at) return false;
    if (signal <= 0) return true;
    raise(signal);
    return false;
}

bool fault_no_links() {
    static const bool no_links = getenv("WEATHER_NO_LINKS") != nullptr;
    return no_links;
}
