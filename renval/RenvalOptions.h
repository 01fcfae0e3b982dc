// RenvalOptions - renval's command line without a control file: the table of the
// options that give the control file's four lines, their checks, and the control file
// they stand for.  No state.
#pragma once

#include <string>

#include "Options.h"

// --old, --new, --species, --description.
extern const ValueOption kRenvalOptions[];
extern const int kRenvalOptionCount;

// What is wrong with the value options of `line` (see ProgramInfo::check): --old or
// --new missing, or a value that would not read back as its line (ControlText.h).
// Null when nothing is.
const char *check_renval_options(const CommandLine &line);

// The species file that goes with the new weather file `new_path` when none is given:
// its file name with the extension after the last "." replaced by ".ctm", or ".ctm"
// added when the name has none (a "." that begins the name starts no extension).
std::string default_species_path(const std::string &new_path);

// The control file that the value options of `line` stand for: the old and new weather
// files, the species file (default_species_path when not given) and the description
// (empty when not given: the 1.0 file's title line), every line ended by CR LF.
std::string renval_control_text(const CommandLine &line);
