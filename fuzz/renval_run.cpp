// renval_run - see renval_run.h.
#include "renval_run.h"

#include <string>

#include "Heap.h"
#include "Renval.h"
#include "Input.h"
#include "WeatherFile.h"
#include "harness.h"

static const char *the_control;
static std::string the_old, the_new, the_species, the_work;

static void convert() {
    // The control file's description is used; its paths are replaced by the harness's.
    RenvalPaths paths{};
    if (the_control) fuzz_read_control(the_control, paths);
    snprintf(paths.old_path, sizeof paths.old_path, "%s", the_old.c_str());
    snprintf(paths.new_path, sizeof paths.new_path, "%s", the_new.c_str());
    snprintf(paths.species_path, sizeof paths.species_path, "%s", the_species.c_str());
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
    if (the_work.empty()) {
        the_new = scratch_path("new.wth");
        the_species = scratch_path("new.ctm");
        the_work = scratch_path("WEATHER.TMP");
    }
    the_control = control;
    the_old = old_path;
    // Only a run that succeeds leaves the new files; each run starts without them.
    if (run_converter(convert, reset) == 0) {
        check_output(the_new);
        remove(the_new.c_str());
        remove(the_species.c_str());
    }
}
