// bench_speed - a full year converted by tolvex against the I/O floor (run on demand,
// not part of the test suite):
//
//   bench_speed [BENCH_TOLVEX=other/tolvex in the environment]
//
// Each case runs the built tolvex and io_floor (bench/io_floor.cpp: the same source
// read, an output and a log of the same sizes written, the output flushed to disk and
// renamed as tolvex does) one after the other, pairs at a time, and reports the median
// wall time of each (ms), their ratio and tolvex's peak memory (KB).  The sources are
// the Montreal EPW and the Miami TMY2 of ../shared/data when it is there, else the
// synthetic year of the project's generator; "Template" is a full-year template.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "WeatherGen.h"
#include "bench_support.h"

namespace {

const std::string kData = SHARED_DATA_DIR;

bool exists(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

long file_size(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? (long)st.st_size : -1;
}

struct Workspace {
    ScratchDir scratch{"bench_speed"};
    const std::string dir = scratch.path;
    std::string epw = kData + "/epw/CAN_PQ_Montreal.Intl.AP.716270_CWEC.epw";
    std::string tmy2 = kData + "/tmy2/12839.tm2";
    Workspace() {
        if (!exists(epw) || !exists(tmy2)) {
            static GenHour hours[kGenHoursPerLeapYear];
            int n = gen_year(hours, 2001, false);
            epw = dir + "/year.epw";
            tmy2 = dir + "/year.tm2";
            write_with(epw, [&](FILE *f) { write_epw(f, hours, n, false); });
            write_with(tmy2, [&](FILE *f) { write_tmy2(f, hours, n, false); });
        }
        control("ee.dat", epw, "E/E");
        control("tmy2.dat", tmy2, "TMY2");
        control("template.dat", "", "TEMPLATE");
        copy_program(TOLVEX_EXE, "BENCH_TOLVEX", dir, "tolvex");
        copy_program(IO_FLOOR_EXE, "BENCH_IO_FLOOR", dir, "io_floor");
    }
    void control(const char *name, const std::string &source, const char *type) {
        write_with(dir + "/" + name, [&](FILE *f) {
            fprintf(f, "Benchmark\r\n%s\r\n%s\r\nout.wth\r\n01/01 12/31\r\n 1 \r\n 2 \r\n"
                       "7/4 8\r\n12/25 9\r\n03/25 10/28\r\n", source.c_str(), type);
        });
    }
};

Workspace &workspace() {
    static Workspace w;
    return w;
}

// Runs `argv` in the workspace; returns its wall time in ms and raises `*peak_kb` to
// its peak memory.
double run(const std::vector<std::string> &argv, long *peak_kb) {
    rusage usage;
    double wall = run_in(workspace().dir, argv, &usage);
    if (peak_kb) *peak_kb = std::max(*peak_kb, usage.ru_maxrss);
    return wall;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void paired(benchmark::State &state, const char *control) {
    const std::string dir = workspace().dir;
    const std::string tolvex = dir + "/tolvex", floor = dir + "/io_floor";
    const bool from_source = std::string(control) != "template.dat";
    std::string source = std::string(control) == "ee.dat" ? workspace().epw : workspace().tmy2;
    long peak = 0;
    run({tolvex, control}, &peak);  // sizes of the output and the log to match
    const std::string out_bytes = std::to_string(file_size(dir + "/out.wth"));
    const std::string log_bytes = std::to_string(file_size(dir + "/TOLVEX.LOG"));
    std::vector<double> mine, floors;
    for (auto _ : state) {
        mine.push_back(run({tolvex, control}, &peak));
        floors.push_back(run({floor, from_source ? source : dir + "/" + control,
                              dir + "/floor.wth", out_bytes, dir + "/floor.log", log_bytes},
                             nullptr));
    }
    state.counters["tolvex_ms"] = median(mine);
    state.counters["floor_ms"] = median(floors);
    state.counters["ratio"] = median(mine) / median(floors);
    state.counters["peak_KB"] = (double)peak;
}

}  // namespace

BENCHMARK_CAPTURE(paired, EE, "ee.dat")->Iterations(150)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(paired, TMY2, "tmy2.dat")->Iterations(150)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(paired, Template, "template.dat")->Iterations(150)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
