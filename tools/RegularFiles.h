// The tool's files: it takes regular files only, reads no more than a book can hold, and
// writes a file whole or not at all.
#pragma once

#include <cstdint>
#include <string>

class CFile;

// The largest book the tool takes: the largest header (78 + 8 × 65535 bytes) with room
// for far more text than a year of readings. A larger file is no book, and reading it
// would only cost memory and time.
constexpr std::uint64_t kLargestBook = std::uint64_t{64} << 20;
constexpr const char* kLargestBookText = "64 MiB";

// Why a file was not taken: the exit status and a message that begins with the path.
struct FileRefusal {
    int status = 0;  // 0: taken
    std::string message;
};

// Opens a book for reading as the program opens it, into book. A folder, a FIFO, a device
// or a socket is refused without waiting on it; so is a file larger than kLargestBook.
FileRefusal OpenBookFile(const std::string& path, CFile& book);

// Reads a whole regular file of at most kLargestBook bytes into bytes, refused as a book
// is. what names the file in the message ("a book's source").
FileRefusal ReadRegularFile(const std::string& path, const char* what, std::string& bytes);

// Writes bytes to path through a new file in the same folder, flushed and renamed into
// place, so that path holds either its old bytes or all of the new ones. An existing path
// that is not a regular file is refused and left alone.
FileRefusal WriteRegularFile(const std::string& path, const std::string& bytes);
