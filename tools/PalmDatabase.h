// Writing Palm databases: the book's file format (book/BookFormat.h).
#pragma once

#include <string>
#include <vector>

// The bytes of a Palm database named name (at most 31 bytes are kept) holding records in
// order: a 78-byte header, an 8-byte entry per record, two bytes of padding, the records.
std::string BuildPalmDatabase(const std::string& name, const std::vector<std::string>& records);
