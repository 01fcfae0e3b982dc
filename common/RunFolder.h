// RunFolder - where a run's files go: the logs, the window's control file and the
// upgrade's work file.
//
// The one rule that the window and both converters share, so that the window writes
// the control file where the converter reads it and reads the log where the converter
// wrote it.  Plain C++ and the C library only; no state of its own.
#pragma once

#include <string>

// The install marker's path relative to the programs' folder: a file that only the
// install step puts there ("../share/weather-tools/installed" for the usual layout),
// never present in a build folder or a copy of the programs alone.
extern const char kInstallMarker[];

// The folder for the run's files of the program that lives in `program_folder`
// (without a trailing "/"), returned without a trailing "/":
// - `program_folder` itself when no install marker is found from it and the user may
//   write into it (a build folder, a portable copy, the tests);
// - otherwise, for an installed copy (whoever runs it, root included) or a folder the
//   user may not write, the per-user state folder $XDG_STATE_HOME/<package>, or
//   $HOME/.local/state/<package> when XDG_STATE_HOME is unset, empty or not an
//   absolute path.  Missing folders of that path are created with mode 0700.
// `error` is emptied, or set to "Could not create folder: <path> (<reason>)" when the
// state folder cannot be created or written; the state folder's path is returned then
// all the same (empty when not even a home folder is known).
std::string run_folder(const std::string &program_folder, std::string &error);
