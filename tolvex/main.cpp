// tolvex - converts a TMY2 or E/E weather file, or no source at all (a template), into
// a weather file 2.0, as its control file says.
#include "Tolvex.h"

int main(int argc, char **argv) { return tolvex_main(argc, argv); }
