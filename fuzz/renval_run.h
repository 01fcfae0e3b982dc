// renval_run - the run shared by the renval fuzz targets: the conversion of a 1.0 file
// into the memory outputs (new weather file, species file) through a scratch work file.
#pragma once

// Converts the 1.0 file at `old_path`; with `control` set, the control file at that
// path is read first and only its description is kept.  The old path given here, and
// the outputs, replace the paths the control file names.  A successful conversion is
// checked with check_memory_output.
void fuzz_renval(const char *control, const char *old_path);
