// Opening a regular file, and nothing else: a FIFO put where a file should be must not
// block the open, and a folder or a device is no file to read or write.
#pragma once

#include <sys/types.h>

#include <string>

// Opens hostPath with flags (and mode, where they create) and gives the descriptor, which
// then blocks as usual; -1 with errno set when it cannot, or names no regular file.
int OpenRegularFile(const std::string& hostPath, int flags, mode_t mode = 0);
