// imports - see imports.h.
#include "imports.h"

#include <cstring>
#include <string>

#include "Heap.h"
#include "Tolvex.h"
#include "Input.h"
#include "WeatherFile.h"
#include "Producers.h"
#include "harness.h"

static Producer the_producer;
// The run's missing-value index: outside the producer's frame, so that a FATAL strands
// none of its storage; emptied after every run.
static Gaps gaps;
static ConversionSettings settings;

static void convert() {
    FILE *dest = open_weather_file(settings);
    the_producer(settings, dest, gaps);
    out_close(dest);
    out_commit();
}

static void reset() {
    gaps = Gaps{};
    fuzz_wfile_reset();
    fuzz_inputs_reset();
    fuzz_heap_reset();
}

void fuzz_import(const uint8_t *data, size_t size,
                 Producer producer) {
    DayRange days;
    if (!day_range(data, size, &days)) return;
    std::string source = write_scratch("source", data + kDayBytes, size - kDayBytes);

    memset(&settings, 0, sizeof settings);
    strcpy(settings.description, "fuzz");
    snprintf(settings.source_path, sizeof settings.source_path, "%s", source.c_str());
    strcpy(settings.file_type, "fuzz");
    static const std::string dest = scratch_path("out.wth");
    snprintf(settings.dest_path, sizeof settings.dest_path, "%s", dest.c_str());
    settings.start_day = days.start;
    settings.end_day = days.end;
    settings.first_weekday = 1;
    settings.dst_start = settings.dst_end = 1;
    days_set_defaults(settings.days);
    days_set_weekdays(settings.days, settings.first_weekday);

    the_producer = producer;
    if (run_converter(convert, reset) == 0) check_output(dest);
}
