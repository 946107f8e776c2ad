// Writing and inspecting Palm databases: the book's file format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The bytes of a Palm database named name (at most 31 bytes are kept) holding records in
// order: a 78-byte header, an 8-byte entry per record, two bytes of padding, the records.
std::string BuildPalmDatabase(const std::string& name, const std::vector<std::string>& records);

// What a file's header says about its records, read the way the program reads it: header
// bytes past the end of the file count as zero.
struct RecordEntry {
    std::uint32_t offset;
    std::uint32_t end;   // the next record's offset, or the file's length for the last
    std::uint32_t size;  // the bytes the reader takes: from offset to end within the file;
                         // 0 for offset 0 and for a record that ends before it starts
};
struct PalmLayout {
    std::uint64_t fileLength = 0;
    std::uint64_t headerLength = 0;  // 78 bytes and the record list
    std::vector<RecordEntry> records;
};
PalmLayout ReadPalmLayout(const std::string& bytes);

// What is wrong with the place of record index in the file, as a sentence; empty when
// nothing is. An empty reading is not a fault of its place.
std::string RecordFault(const PalmLayout& layout, std::size_t index);

// The problems a book has, one sentence each; none for a sound book.
std::vector<std::string> CheckBook(const std::string& bytes);

// The record index of the first and the last reading.
constexpr int kFirstVerse = 1;
constexpr int kLastVerse = 365;
