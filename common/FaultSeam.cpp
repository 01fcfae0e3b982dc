// FaultSeam - the counter of the test build's seam.  See FaultSeam.h.  Compiled only
// into the converters built for the tests.
#include "FaultSeam.h"

#include <cstdlib>

bool fault() {
    static const long fail_at = [] {
        const char *n = getenv("WEATHER_FAIL_AT");
        return n ? atol(n) : 0L;
    }();
    static long count = 0;
    return fail_at > 0 && ++count == fail_at;
}
