// Fuzz target: the TMY2 import.  Input: four bytes for the first and last day, then
// the TMY2 file (harness.h).
#include "Producers.h"
#include "imports.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz_import(data, size, import_tmy2);
    return 0;
}
