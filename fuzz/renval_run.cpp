// renval_run - see renval_run.h.
#include "renval_run.h"

#include <string>

#include "Heap.h"
#include "Renval.h"
#include "Input.h"
#include "WeatherFile.h"
#include "harness.h"

static const char *the_control;
static std::string the_old, the_work;
static const char *the_new, *the_species;

static void convert() {
    // The control file's description is used; its paths are replaced by the harness's.
    RenvalPaths paths{};
    if (the_control) fuzz_read_control(the_control, paths);
    snprintf(paths.old_path, sizeof paths.old_path, "%s", the_old.c_str());
    snprintf(paths.new_path, sizeof paths.new_path, "%s", the_new);
    snprintf(paths.species_path, sizeof paths.species_path, "%s", the_species);
    snprintf(paths.work_path, sizeof paths.work_path, "%s", the_work.c_str());
    convert_weather_10(paths);
    out_commit();  // as the driver's log_close does
}

static void reset() {
    fuzz_renval_reset();
    fuzz_wfile_reset();
    fuzz_inputs_reset();
    fuzz_heap_reset();
}

void fuzz_renval(const char *control, const char *old_path) {
    // The work file is a scratch file (it must be a regular file of its own); the new
    // weather file and the species file are the memory outputs.
    if (the_work.empty()) the_work = scratch_path("WEATHER.TMP");
    the_new = memory_output(0);
    the_species = memory_output(1);
    the_control = control;
    the_old = old_path;
    if (run_converter(convert, reset) == 0) check_memory_output(0);
}
