// Fuzz target: the tolvex control file.  The input is the control file; it is read by
// read_control_file, then the weather file head and a template for the days read are
// written to /dev/null, whatever the file type says (the source and destination paths
// of the input are never used).
#include <cstring>

#include "Heap.h"
#include "Tolvex.h"
#include "Input.h"
#include "WeatherFile.h"
#include "Producers.h"
#include "harness.h"

static std::string control_path;

static void convert() {
    ConversionSettings settings = read_control_file(control_path.c_str());
    strcpy(settings.source_path, "/dev/null");
    strcpy(settings.dest_path, "/dev/null");
    FILE *dest = open_weather_file(settings);
    make_template(settings, dest);
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
