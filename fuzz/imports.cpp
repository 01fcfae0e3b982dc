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

// The settings every import starts from: a calendar starting on a Sunday, made once.
static ConversionSettings settings_template() {
    ConversionSettings s{};
    strcpy(s.description, "fuzz");
    strcpy(s.file_type, "fuzz");
    s.first_weekday = 1;
    s.dst_start = s.dst_end = 1;
    days_set_defaults(s.days);
    days_set_weekdays(s.days, s.first_weekday);
    return s;
}

void fuzz_import(const uint8_t *data, size_t size,
                 Producer producer) {
    DayRange days;
    if (!day_range(data, size, &days)) return;
    const std::string &source = write_scratch("source", data + kDayBytes, size - kDayBytes);

    static const ConversionSettings kTemplate = settings_template();
    settings = kTemplate;
    snprintf(settings.source_path, sizeof settings.source_path, "%s", source.c_str());
    snprintf(settings.dest_path, sizeof settings.dest_path, "%s", memory_output());
    settings.start_day = days.start;
    settings.end_day = days.end;

    the_producer = producer;
    if (run_converter(convert, reset) == 0) check_memory_output();
}
