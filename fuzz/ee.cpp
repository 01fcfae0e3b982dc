// Fuzz target: the E/E import.  Input: four bytes for the first and last day, then the
// E/E (EPW) file (harness.h).
#include "Producers.h"
#include "imports.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz_import(data, size, import_ee);
    return 0;
}
