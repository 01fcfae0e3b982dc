// FileKind - what a file's first line says it is: a TMY2 or E/E source, or a weather
// file 2.0.  For the messages that tell a user the wrong file was named (a source as
// control file, a 2.0 file to upgrade, a source of another type than the one given).
#pragma once

#include <cstddef>

enum class FileKind { Other, Tmy2, Ee, Weather20 };

// The kind of the text `data` (`size` bytes) by its first lines:
// - TMY2: the header line (a 5-digit station number after one blank, the latitude's
//   N or S in column 38, the longitude's E or W in column 46), then a record of at
//   least 140 characters whose date and hour are digits;
// - E/E: a first line beginning "LOCATION,", a second "DESIGN CONDITIONS,";
// - weather file 2.0: a first line "WeatherFile Ventora 2.0", a third that holds
//   "!start-of-file date".
// A control file whose description is a source's first line is none of them.
FileKind file_kind(const char *data, size_t size);

// The kind of the file at `path` (its first bytes); Other when it is no regular file or
// cannot be read.
FileKind file_kind_of(const char *path);

// "a TMY2 weather file", "an E/E weather file", "a weather file 2.0"; "" for Other.
const char *file_kind_phrase(FileKind kind);
