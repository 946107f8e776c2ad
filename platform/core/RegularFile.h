// Opening a regular file, and nothing else: a FIFO put where a file should be must not
// block the open, and a folder or a device is no file to read or write.
#pragma once

#include <sys/types.h>

#include <string>

struct stat;

// Opens hostPath with flags (and mode, where they create) and gives the descriptor; -1
// with errno set when it cannot, or names no regular file (EISDIR for a folder, EINVAL for
// anything else). The descriptor keeps O_NONBLOCK, which matters only to what is refused.
// status, where given, receives the open file's status: its size, for one.
int OpenRegularFile(const std::string& hostPath, int flags, mode_t mode = 0, struct stat* status = nullptr);
