// Fuzz target: the tolvex control file.  The input is the control file; it is read by
// read_control_file, then the weather file head and a template for the days read are
// written to /dev/null, whatever the file type says (the source and destination paths
// of the input are never used).  A range of more than kWrittenDays days is written for
// its first kWrittenDays days only: a year of template lines costs a hundred times the
// reading of the control file, through the same writers as a month.
#include <cstring>

#include "Heap.h"
#include "Tolvex.h"
#include "Input.h"
#include "WeatherFile.h"
#include "Producers.h"
#include "harness.h"

static std::string control_path;

constexpr int kWrittenDays = 31;  // a month, and any range over the year's end within it

static void convert() {
    ConversionSettings settings = read_control_file(control_path.c_str());
    strcpy(settings.source_path, "/dev/null");
    strcpy(settings.dest_path, "/dev/null");
    const int days = (settings.end_day - settings.start_day + kDaysInYear) % kDaysInYear + 1;
    if (days > kWrittenDays)
        settings.end_day = (settings.start_day + kWrittenDays - 2) % kDaysInYear + 1;
    FILE *dest = open_weather_file(settings);
    Gaps unused;  // a template has no source
    make_template(settings, dest, unused);
    out_close(dest);
    out_commit();
}

static void reset() {
    fuzz_wfile_reset();
    fuzz_inputs_reset();
    fuzz_heap_reset();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    control_path = write_scratch("data.dat", data, size);
    run_converter(convert, reset);
    return 0;
}
