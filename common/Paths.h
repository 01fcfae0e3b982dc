// Paths - the path rules that the converters and the window share: the folder of a
// path, symbolic links followed, and when two paths name the same file.
//
// Plain C++ over POSIX calls, without the converters' messages, so a library of its own.
#pragma once

#include <cstddef>

// The length of the folder part of `path`, its last "/" included (0 for a bare name).
size_t folder_length(const char *path);

// The folder of `path` into `out` (PATH_MAX): its folder part, or "." for a bare name.
void folder_of(const char *path, char *out);

// `path` with every symbolic link of its last component followed, into `out`
// (PATH_MAX).  The result may not exist (a dangling link names a file to create).
// False for a loop of links or a path too long.
bool follow_links(const char *path, char *out);

// True when `a` and `b` name the same file: both exist and are one file (same device
// and inode, however spelt, through symbolic links too), or neither exists and both
// would be created as the same name in the same folder.  False otherwise, and for
// empty paths.
bool same_file(const char *a, const char *b);

// The descriptor that `path` names among the process's own open files - /dev/stdin
// (0), /dev/stdout (1), /dev/stderr (2), /dev/fd/N, /proc/self/fd/N (N) - or -1 for any
// other path.  Such a path is written through the descriptor, as a stream: opened by
// its name it would reach the file behind the descriptor afresh (and a pipe not at all).
int own_stream(const char *path);
