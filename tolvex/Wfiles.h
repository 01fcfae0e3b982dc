// Wfiles - the producers of the time-point section: TMY2 import, E/E import and the
// template.  Each appends to the open destination stream of Tolvex and writes
// "Finished <destination>" to the log; any failure ends the run with a FATAL.
#pragma once

int make_template();
int import_tmy2();
int import_ee();

#ifdef WEATHER_FUZZ_SEAM
// Fuzz build only: closes a TMY2 source left open by a FATAL.
void fuzz_wfiles_reset();
#endif
