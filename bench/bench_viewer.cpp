// Benchmarks of the weather-file viewer on a full synthetic year converted by tolvex:
// opening the file and drawing its first chart, one zoom redraw, and the memory that
// an open viewer holds.  Runs on the offscreen platform unless another is asked for.
#include <QApplication>
#include <QChartView>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <unistd.h>

#include "Dialogs.h"
#include "WeatherGen.h"
#include "WeatherViewer.h"
#include "WeatherWindow.h"

namespace {

QString year_path;  // the converted year

// Resident memory of the process, bytes.
long resident_bytes() {
    long pages = 0, resident = 0;
    FILE *f = std::fopen("/proc/self/statm", "r");
    if (f) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

// Paints every chart of `v` as the screen would.
void draw(WeatherViewer *v) {
    for (QChartView *panel : v->findChildren<QChartView *>())
        if (panel->isVisible()) panel->grab();
}

// Resident memory that the first viewer adds to a process that shows the main window
// already: the year's data, the charts, and the pages of the chart library touched.
// Registered first, so that no earlier viewer has left memory behind for reuse.
void BM_MemoryOfAYear(benchmark::State &state) {
    WeatherWindow window;
    window.show();
    window.grab();
    for (auto _ : state) {
        const long before = resident_bytes();
        WeatherViewer *v = WeatherViewer::open(&window, year_path);
        draw(v);
        state.counters["MB"] = double(resident_bytes() - before) / (1 << 20);
        delete v;
    }
}
BENCHMARK(BM_MemoryOfAYear)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_OpenAndDrawFirstChart(benchmark::State &state) {
    for (auto _ : state) {
        WeatherViewer *v = WeatherViewer::open(nullptr, year_path);
        draw(v);
        state.PauseTiming();
        delete v;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenAndDrawFirstChart)->Unit(benchmark::kMillisecond);

// One zoom and its redraw: 0 the whole period, 1 a month, 2 a week, 3 a day (July).
void BM_ZoomRedraw(benchmark::State &state) {
    WeatherViewer *v = WeatherViewer::open(nullptr, year_path);
    v->pointAt(v->pointTime(4500));
    draw(v);
    for (auto _ : state) {
        v->setZoom(static_cast<WeatherViewer::Zoom>(state.range(0)));
        draw(v);
    }
    delete v;
}
BENCHMARK(BM_ZoomRedraw)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    set_message_handler([](QWidget *, const QString &text) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    });
    // A synthetic TMY2 year converted by the built tolvex, in a folder of its own.
    QTemporaryDir dir;
    std::vector<GenHour> hours(kGenHoursPerLeapYear);
    const int count = gen_year(hours.data(), 2001, false);
    FILE *f = std::fopen(QFile::encodeName(dir.filePath("year.tm2")).constData(), "wb");
    if (!f || write_tmy2(f, hours.data(), count, true) != 0) return 1;
    std::fclose(f);
    QFile control(dir.filePath("data.dat"));
    if (!control.open(QIODevice::WriteOnly)) return 1;
    control.write("Benchmark year\r\nyear.tm2\r\nTMY2\r\nyear.wth\r\n01/01 12/31\r\n 1 \r\n 1 \r\n"
                  "7/4 8\r\n03/25 10/28\r\n");
    control.close();
    QDir::setCurrent(dir.path());
    if (QProcess::execute(TOLVEX_EXE, {"data.dat"}) != 0) return 1;
    year_path = dir.filePath("year.wth");

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
