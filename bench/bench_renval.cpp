// bench_renval - how long renval takes to upgrade a 365-day hourly 1.0 file with
// three species (run on demand, not part of the test suite):
//
//   bench_renval --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
//
// The built program from start to exit, with its peak memory (max RSS) and CPU time.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench_support.h"

namespace {

struct Workspace {
    ScratchDir scratch{"bench_renval"};
    const std::string dir = scratch.path;
    Workspace() {
        write_with(dir + "/year10.wth", [](FILE *f) {
            fprintf(f, "A 1.0 year, hourly, three species\n3\nCO2 H2O SF6\n1 365\n");
            for (int day = 1; day <= 365; ++day) {
                fprintf(f, "%d 0 0 %d %d 0 283.15\n", day, (day - 1) % 7 + 1, (day - 1) % 7 + 1);
                for (int t = 0; t <= 86400; t += 3600) {
                    double ta = 273.15 + 10.0 * (day % 30) / 30.0 + (t / 3600) * 0.3;
                    fprintf(f, "%d %.2f %d %.1f %d %d %d %.2f %d %d %.6f %.5f %.3e\n", t, ta,
                            101325 - day, 2.5 + (t / 3600) * 0.1, (t / 3600) * 15, t / 360,
                            t / 720, ta - 20.0, t / 3600 % 5 == 0, day < 60,
                            0.00055 + day * 1e-7, 0.002 + (t / 3600) * 1e-4, 1.2e-9);
                }
            }
        });
        write_with(dir + "/data.dat", [](FILE *f) {
            fprintf(f, "year10.wth\r\nyear20.wth\r\nyear20.ctm\r\n\r\n");
        });
        copy_program(RENVAL_EXE, "BENCH_RENVAL", dir, "renval");
    }
};

void upgrade_year(benchmark::State &state) {
    static Workspace w;
    long peak = 0;
    double cpu = 0;
    for (auto _ : state) {
        rusage u;
        run_in(w.dir, {w.dir + "/renval", "data.dat"}, &u);
        if (u.ru_maxrss > peak) peak = u.ru_maxrss;
        cpu += ms(u.ru_utime) + ms(u.ru_stime);
    }
    state.counters["peak_KB"] = (double)peak;
    state.counters["cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
}

}  // namespace

BENCHMARK(upgrade_year)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
