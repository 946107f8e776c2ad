// Reading the book's records: each call opens the book, reads what it needs and closes it.
#include "book/CBookFile.h"

#include <algorithm>
#include <new>

namespace
{

// Where the header keeps the record count and the record list.
constexpr std::int64_t kRecordCountOffset = 76;
constexpr std::int64_t kRecordListOffset = 78;
constexpr std::int64_t kRecordEntrySize = 8;

}  // namespace

BOOL CBookFile::OpenBook(LPCTSTR path)
{
    if (m_bAvailable)
        Close();
    m_strPath = path;
    m_bAvailable = Open(m_strPath, modeRead | typeBinary);
    Close();
    return m_bAvailable;
}

UINT CBookFile::GetRecordCount()
{
    BYTE count[2] = {0, 0};
    Seek(kRecordCountOffset, begin);
    Read(count, sizeof(count));
    return count[0] * 256u + count[1];
}

DWORD CBookFile::GetRecordOffset(int index)
{
    BYTE b[4] = {0, 0, 0, 0};
    Seek(kRecordListOffset + kRecordEntrySize * index, begin);
    Read(b, sizeof(b));
    return (DWORD{b[0]} << 24) | (DWORD{b[1]} << 16) | (DWORD{b[2]} << 8) | DWORD{b[3]};
}

CString CBookFile::ReadRecordText(int index)
{
    if (!Open(m_strPath, modeRead | typeBinary))
        return CString();
    const UINT count = GetRecordCount();
    if (index < 0 || static_cast<UINT>(index) >= count) {
        Close();
        return CString();
    }
    const DWORD start = GetRecordOffset(index);
    if (start == 0) {
        Close();
        return CString();
    }
    // A damaged book may give an end past the end of the file, or before the start: the
    // record never runs past the file, and one that ends before it starts is empty.
    const DWORD length = GetLength();
    DWORD end = static_cast<UINT>(index) + 1 < count ? GetRecordOffset(index + 1) : length;
    end = std::min(end, length);
    const DWORD size = end > start ? end - start : 0;

    CString text;
    if (size > 0) {
        BYTE* buffer = new (std::nothrow) BYTE[size + 1]();
        if (buffer != nullptr) {
            Seek(start, begin);
            Read(buffer, size);
            // The text ends at its first zero byte; the extra byte is always zero.
            text = CString(reinterpret_cast<LPCSTR>(buffer));
            text.Replace(L"\n", L"\r\n");
            delete[] buffer;
        }
    }
    Close();
    return text;
}
