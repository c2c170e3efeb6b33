#pragma once

#include <sys/types.h>

#include <string>

// A data file must be a regular file. A named pipe without a writer blocks
// a plain open() forever, and a pipe or terminal that never sends blocks
// read(); a game that waits on either never draws again. Both checks below
// look at what a path names without waiting for it.

// open() of `path` with `flags` (plus O_CLOEXEC) that never waits: the file
// descriptor, back in blocking mode, when `path` names a regular file; -1
// for anything else (pipe, device, socket, folder), which is then closed.
int openRegularFile(const std::string& path, int flags, mode_t mode = 0);

// True when `path` names a regular file (after symbolic links).
bool isRegularFile(const std::string& path);
