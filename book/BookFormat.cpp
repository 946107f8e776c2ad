// Reading the book's header and records at their offsets, each with the reads it needs.
#include "book/BookFormat.h"

#include <algorithm>
#include <cstdint>

#include "platform/core/ByteOrder.h"
#include "platform/core/CFile.h"

namespace
{

// Reads size bytes of the header at at into bytes; what lies outside the file reads as 0.
void ReadHeaderBytes(CFile& book, std::int64_t at, BYTE* bytes, UINT size)
{
    std::fill(bytes, bytes + size, BYTE{0});
    if (book.Seek(at, CFile::begin) == at)
        book.Read(bytes, size);
}

std::int64_t EntryOffset(int index)
{
    return kBookHeaderSize + std::int64_t{kBookEntrySize} * index;
}

}  // namespace

UINT ReadBookRecordCount(CFile& book)
{
    BYTE count[2];
    ReadHeaderBytes(book, kBookCountOffset, count, sizeof(count));
    return GetBigEndian(count, 2);
}

DWORD ReadBookRecordOffset(CFile& book, int index)
{
    BYTE offset[4];
    ReadHeaderBytes(book, EntryOffset(index), offset, sizeof(offset));
    return GetBigEndian(offset, 4);
}

RecordPlace ReadBookRecordPlace(CFile& book, int index, UINT count)
{
    // The record's offset and the next record's, which ends it, in one read.
    const bool last = static_cast<std::int64_t>(index) + 1 >= count;
    BYTE entries[kBookEntrySize + 4];
    ReadHeaderBytes(book, EntryOffset(index), entries, last ? 4 : sizeof(entries));
    RecordPlace place;
    place.offset = GetBigEndian(entries, 4);
    const DWORD length = book.GetLength();
    place.end = last ? length : GetBigEndian(entries + kBookEntrySize, 4);
    // A damaged book may give an end past the end of the file, or before the start: the
    // record never runs past the file, and one that ends before it starts is empty.
    const DWORD end = std::min(place.end, length);
    place.size = place.offset != 0 && end > place.offset ? end - place.offset : 0;
    return place;
}

std::string ReadBookRecordBytes(CFile& book, const RecordPlace& place)
{
    // No more is taken than the file holds, so a header's claim costs nothing.
    std::string bytes(std::min(place.size, kLongestRecordText), '\0');
    book.Seek(place.offset, CFile::begin);
    bytes.resize(book.Read(&bytes[0], static_cast<UINT>(bytes.size())));
    bytes.resize(std::min(bytes.find('\0'), bytes.size()));
    return bytes;
}

CString ReadBookRecordText(CFile& book, int index)
{
    const UINT count = ReadBookRecordCount(book);
    if (index < 0 || static_cast<UINT>(index) >= count)
        return CString();
    CString text(ReadBookRecordBytes(book, ReadBookRecordPlace(book, index, count)).c_str());
    text.Replace(L"\n", L"\r\n");
    return text;
}
