// Fuzz target: the 1.0 weather file, converted by convert_weather_10.  The input is the
// 1.0 file.
#include "harness.h"
#include "renval_run.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string old_path = write_scratch("old.wth", data, size);
    fuzz_renval(nullptr, old_path.c_str());
    return 0;
}
