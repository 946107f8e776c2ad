// The book's format, a Palm database, and its one reader, on a book open as a CFile: the
// program's CBookFile and every command of solmira-book read through it, so that what the
// tool tells of a book is what the window shows.
//
// A 78-byte header holds the record count at offset 76; an 8-byte entry per record follows
// at 78 + 8i, whose first 4 bytes give the record's data offset, 0 for a record with no
// text. Numbers are big-endian, and header bytes past the end of the file count as 0.
// Record i runs from its offset to the next record's, the last to the end of the file.
#pragma once

#include <string>

#include "platform/core/CString.h"
#include "platform/core/Types.h"

class CFile;

constexpr DWORD kBookCountOffset = 76;  // the record count, 2 bytes
constexpr DWORD kBookHeaderSize = 78;   // the header before the record list
constexpr DWORD kBookEntrySize = 8;     // a record's entry in the list

// The most text of one record that is read, in bytes: 1 MiB. A day's reading is a page or
// two, and the sample book's longest is 748 bytes; a record longer than this is damaged,
// or no reading at all. Its first MiB is shown, which the text box lays out at once, and
// reading it costs a few MiB however much the record claims.
constexpr DWORD kLongestRecordText = DWORD{1} << 20;

// Where a record lies, as the reader takes it.
struct RecordPlace {
    DWORD offset = 0;  // as its entry gives it
    DWORD end = 0;     // the next record's offset, or the file's length for the last
    DWORD size = 0;    // the bytes read: from offset to end, never past the end of the
                       // file; 0 for offset 0 and for a record that ends before it starts
};

// The number of records the header gives.
UINT ReadBookRecordCount(CFile& book);
// The data offset in the entry of record index, whether or not the book has that record.
DWORD ReadBookRecordOffset(CFile& book, int index);
// The place of record index, in a book of count records.
RecordPlace ReadBookRecordPlace(CFile& book, int index, UINT count);
// The record's text as it lies in the book: up to its first zero byte, at most
// kLongestRecordText bytes.
std::string ReadBookRecordBytes(CFile& book, const RecordPlace& place);
// The text of record index as the program shows it, widened from the device's code page
// and each line feed to "\r\n"; empty when there is none to give, whatever the reason.
CString ReadBookRecordText(CFile& book, int index);
