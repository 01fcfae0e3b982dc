// check_number_text - proves the number texts of NumberText equal printf's, value by
// value (a tool run by hand for minutes; the test suite keeps a sampled version):
//
//   check_number_text [low high]
//
// Compares put_float_g with snprintf "%g" for every float from `low` to `high` and
// for their negatives (default 1e-3 to 2e5: every value the weather files hold, and
// every exact 7-digit tie among them), for the 129 floats around every power of ten
// from 1e-38 to 1e38, for the subnormals' ends and for zero; and put_double_f3 with
// "%.3f" for 10^7 humidity ratios spread over 0 to 100 g/kg.  Prints the count of
// values compared and the first difference; exit status 1 when there is one.
#include <atomic>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "NumberText.h"

namespace {

std::atomic<long> compared{0};
std::atomic<bool> failed{false};

bool same_g(float f) {
    char mine[64], theirs[64];
    *put_float_g(mine, mine + sizeof mine, f) = '\0';
    snprintf(theirs, sizeof theirs, "%g", (double)f);
    if (strcmp(mine, theirs) == 0) return true;
    if (!failed.exchange(true))
        fprintf(stderr, "%%g of %.9g (bits %08x): \"%s\", printf \"%s\"\n", (double)f,
                [&] { uint32_t b; memcpy(&b, &f, 4); return b; }(), mine, theirs);
    return false;
}

// Every float from `low` up to `high`, both positive and negative, on `threads` threads.
void all_floats(float low, float high, int threads) {
    uint32_t first, last;
    memcpy(&first, &low, 4);
    memcpy(&last, &high, 4);
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([=] {
            long n = 0;
            for (uint32_t b = first + t; b <= last && !failed; b += threads) {
                float f;
                memcpy(&f, &b, 4);
                same_g(f);
                same_g(-f);
                n += 2;
            }
            compared += n;
        });
    }
    for (auto &th : pool) th.join();
}

}  // namespace

int main(int argc, char **argv) {
    float low = argc > 2 ? strtof(argv[1], nullptr) : 1e-3f;
    float high = argc > 2 ? strtof(argv[2], nullptr) : 2e5f;
    unsigned cores = std::thread::hardware_concurrency();
    all_floats(low, high, cores ? (int)cores : 1);

    // Around every power of ten, and the edges of the normal and subnormal range.
    for (int e = -38; e <= 38; ++e) {
        float f = (float)std::pow(10.0, e);
        for (int k = 0; k < 64; ++k) {
            f = std::nextafter(f, 0.0f);
        }
        for (int k = 0; k < 129; ++k, f = std::nextafter(f, FLT_MAX)) {
            same_g(f);
            same_g(-f);
            compared += 2;
        }
    }
    for (float f : {0.0f, -0.0f, FLT_MIN, -FLT_MIN, FLT_TRUE_MIN, std::nextafter(FLT_MIN, 0.0f),
                    FLT_MAX, -FLT_MAX}) {
        same_g(f);
        ++compared;
    }

    // "%.3f" of humidity ratios.
    for (long i = 0; i < 10000000 && !failed; ++i) {
        double v = (double)i * 1e-5 + (double)(i % 7) * 1e-9;
        char mine[64], theirs[64];
        *put_double_f3(mine, mine + sizeof mine, v) = '\0';
        snprintf(theirs, sizeof theirs, "%.3f", v);
        if (strcmp(mine, theirs) != 0 && !failed.exchange(true))
            fprintf(stderr, "%%.3f of %.17g: \"%s\", printf \"%s\"\n", v, mine, theirs);
        ++compared;
    }
    printf("%ld values compared, %s\n", compared.load(), failed ? "a difference found" : "all equal");
    return failed ? 1 : 0;
}
