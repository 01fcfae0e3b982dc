// Fuzz target: the tolvex control file.  The input is the control file; it is read by
// read_control_file, then the weather file head and a template for the days read are
// written to /dev/null, whatever the file type says (the source and destination paths
// of the input are never used).
#include <cstring>

#include "Heap.h"
#include "Tolvex.h"
#include "Utils.h"
#include "Wfiles.h"
#include "harness.h"

static std::string control_path;

static void convert() {
    read_control_file(control_path.c_str());
    strcpy(settings.source_path, "/dev/null");
    strcpy(settings.dest_path, "/dev/null");
    write_weather_head();
    make_template();
}

static void reset() {
    dest_file = nullptr;  // closed by fuzz_utils_reset
    fuzz_utils_reset();
    fuzz_heap_reset();
    memset(&settings, 0, sizeof settings);
    memset(&day_table, 0, sizeof day_table);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    control_path = write_scratch("data.dat", data, size);
    run_converter(convert, reset);
    return 0;
}
