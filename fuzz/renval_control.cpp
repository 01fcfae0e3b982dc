// Fuzz target: the renval control file.  The input is the control file; its four lines
// are read as renval reads them, then a fixed small 1.0 file is converted into scratch
// files with the description read (the paths of the input are never used).
#include <cstring>

#include "harness.h"
#include "renval_run.h"

// One day of a 1.0 file with two species, water vapour among them.
static const char kOldFile[] =
    "Fixed 1.0 file\n2\nCO2 H2O\n1 1\n1 0 0 1 1 0 283.15\n"
    "0 273.15 101325 3.5 0 100 50 260 0 1 0.0004 0.005\n"
    "3600 274.15 101325 3.5 10 100 50 260 0 1 0.0004 0.005\n"
    "43200 280.15 101000 2.5 180 400 300 265 1 0 0.0004 0.006\n"
    "86400 276.15 101325 3.5 240 0 0 262 0 1 0.0004 0.005\n";

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static std::string old_path =
        write_scratch("old.wth", (const uint8_t *)kOldFile, strlen(kOldFile));
    std::string control = write_scratch("data.dat", data, size);
    fuzz_renval(control.c_str(), old_path.c_str());
    return 0;
}
