// bench_imports - how long tolvex takes to convert a full synthetic year (run on
// demand, not part of the test suite):
//
//   bench_imports --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
//
// Process/...: the built program from start to exit, with its peak memory (max RSS).
// Import/...: import_tmy2 / import_ee called directly (no start-up, no head).
// Flush/...: writing the weather file of a full year (the TMY2 run's) into a new file
// and renaming it, without and with the flush to disk (fsync) that every output gets
// before it replaces its destination: the difference is that flush's cost.
// Chars/...: only reading the EPW text one character at a time, as the E/E import
// does for a start on 1/1 (the whole file twice: search, then the year), without and
// with the copy of every character into the log.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "Config.h"
#include "Tolvex.h"
#include "WeatherFile.h"
#include "WeatherGen.h"
#include "Producers.h"
#include "Wfiles.h"
#include "bench_support.h"

namespace {

// A folder with a full synthetic year as TMY2 and EPW and a control file for each.
struct Workspace {
    ScratchDir scratch{"bench_imports"};
    const std::string dir = scratch.path;
    Workspace() {
        static GenHour hours[kGenHoursPerLeapYear];
        int n = gen_year(hours, 2001, false);
        write_with(dir + "/year.tm2", [&](FILE *f) { write_tmy2(f, hours, n, true); });
        write_with(dir + "/year.epw", [&](FILE *f) { write_epw(f, hours, n, true); });
        for (const char *type : {"TMY2", "E/E"}) {
            std::string source = type[0] == 'T' ? "year.tm2" : "year.epw";
            write_with(dir + "/" + (type[0] == 'T' ? "tmy2.dat" : "ee.dat"), [&](FILE *f) {
                fprintf(f, "Benchmark\r\n%s\r\n%s\r\nout.wth\r\n01/01 12/31\r\n 1 \r\n 0 \r\n"
                           "01/01 01/01\r\n", source.c_str(), type);
            });
        }
        copy_program(TOLVEX_EXE, "BENCH_TOLVEX", dir, "tolvex");
    }
};

Workspace &workspace() {
    static Workspace w;
    return w;
}

// Runs tolvex on `control` in the workspace; returns its resource usage.
rusage run_tolvex(const char *control) {
    const std::string &dir = workspace().dir;
    rusage usage;
    run_in(dir, {dir + "/tolvex", control}, &usage);
    return usage;
}

// Counters: the program's peak resident size and its CPU time (user + system).
void process(benchmark::State &state, const char *control) {
    long peak = 0;
    double cpu = 0;
    for (auto _ : state) {
        rusage u = run_tolvex(control);
        if (u.ru_maxrss > peak) peak = u.ru_maxrss;
        cpu += ms(u.ru_utime) + ms(u.ru_stime);
    }
    state.counters["peak_KB"] = (double)peak;
    state.counters["cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
}

// One import in this process, settings as the control file would give them.
void import(benchmark::State &state, bool tmy2) {
    std::string dir = workspace().dir;
    ConversionSettings settings{};
    for (auto _ : state) {
        log_file = fopen((dir + "/bench.log").c_str(), "w");
        snprintf(settings.source_path, kLineSize, "%s/%s", dir.c_str(),
                 tmy2 ? "year.tm2" : "year.epw");
        snprintf(settings.dest_path, kLineSize, "%s/bench.wth", dir.c_str());
        settings.start_day = 1;
        settings.end_day = 365;
        FILE *dest = out_open(settings.dest_path);
        Gaps gaps;
        (tmy2 ? import_tmy2 : import_ee)(settings, dest, gaps);
        out_close(dest);
        out_commit();
        fclose(log_file);
        log_file = nullptr;
    }
}

void flush(benchmark::State &state, bool sync) {
    std::string dir = workspace().dir;
    run_tolvex("tmy2.dat");
    FILE *in = fopen((dir + "/out.wth").c_str(), "rb");
    if (!in) abort();
    std::string text;
    char chunk[65536];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, in)) > 0;) text.append(chunk, n);
    fclose(in);
    std::string temp = dir + "/flush.tmp", dest = dir + "/flush.wth";
    for (auto _ : state) {
        FILE *f = fopen(temp.c_str(), "wb");
        if (!f || fwrite(text.data(), 1, text.size(), f) != text.size() || fflush(f) != 0) abort();
        if (sync && fsync(fileno(f)) != 0) abort();
        if (fclose(f) != 0 || rename(temp.c_str(), dest.c_str()) != 0) abort();
    }
    state.counters["bytes"] = (double)text.size();
}

void chars(benchmark::State &state, bool echo) {
    std::string dir = workspace().dir;
    FILE *log = fopen((dir + "/chars.log").c_str(), "w");
    long count = 0;
    for (auto _ : state) {
        for (int pass = 0; pass < 2; ++pass) {
            FILE *f = fopen((dir + "/year.epw").c_str(), "r");
            for (int c; (c = getc_unlocked(f)) != EOF; ++count)
                if (echo) putc_unlocked(c, log);
            fclose(f);
        }
    }
    fclose(log);
    benchmark::DoNotOptimize(count);
}

}  // namespace

BENCHMARK_CAPTURE(process, TMY2, "tmy2.dat")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(process, EE, "ee.dat")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(import, TMY2, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(import, EE, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(flush, Write, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(flush, WriteAndFsync, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(chars, Read, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(chars, ReadAndEcho, true)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
