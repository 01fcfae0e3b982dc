// renval - upgrades a weather file 1.0 to a weather file 2.0 and a species file.
#include "Renval.h"

int main(int argc, char **argv) { return renval_main(argc, argv); }
