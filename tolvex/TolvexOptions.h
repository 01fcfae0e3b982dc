// TolvexOptions - tolvex's command line without a control file: the table of the
// options that give the control file's values, their checks, and the control file they
// stand for, with its defaults and the weekday of 1 January taken from the source.
// No state.
#pragma once

#include <string>

#include "Options.h"

// --type, --output, --source, --description, --period, --weekday, --special, --dst.
extern const ValueOption kTolvexOptions[];
extern const int kTolvexOptionCount;

// What is wrong with the value options of `line` before anything is read (see
// ProgramInfo::check): --type or --output missing, --source missing for a type that
// reads a source or given for one that does not, --period and --dst not two dates
// joined by "-", --special not a date and a type joined by ":", --weekday neither
// "source" nor one token, a date or type that would not read back as one token, a
// text that would not read back as its line (ControlText.h).  Null when nothing is.
const char *check_tolvex_options(const CommandLine &line);

// The control file that the value options of `line` stand for, every line ended by
// CR LF and the numbers between blanks, as the window writes it.  What is not given:
// the description is the source's first line (source_first_line, cut to fit its line)
// or "Template" without a source; the period 01/01-12/31; the weekday 1; no special
// days; no daylight saving (01/01 01/01).  For a type without a source its line names
// the destination.
// "--weekday source" takes the weekday from the E/E source (ee_weekday) and puts the
// NOTE that tells where it came from into `note` (otherwise left empty); a source that
// gives none ends the run: FATAL "A TMY2 source carries no weekday: give --weekday 1
// to 7", "A template has no source to carry a weekday: give --weekday 1 to 7", " Could
// not open file: " with the path and reason, "Source is not a regular file to read the
// weekday from: " with the path, or "The source carries no weekday (...): give
// --weekday 1 to 7".
std::string tolvex_control_text(const CommandLine &line, std::string &note);
