// Reading the book's records: each call opens the book, reads what it needs and closes it.
#include "book/CBookFile.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace
{

// Where the header keeps the record count and the record list.
constexpr std::int64_t kRecordCountOffset = 76;
constexpr std::int64_t kRecordListOffset = 78;
constexpr std::int64_t kRecordEntrySize = 8;
// A record is read in steps of this size, so that what it costs follows its text, not
// what its header claims.
constexpr DWORD kReadStep = DWORD{64} << 10;

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

    // The text ends at its first zero byte: read in steps up to it, and no further than
    // the record, the file or the longest text that is shown.
    const DWORD limit = std::min(size, kMaxRecordText);
    std::string bytes;
    Seek(start, begin);
    while (bytes.size() < limit) {
        const std::string::size_type done = bytes.size();
        const UINT step = static_cast<UINT>(std::min<std::string::size_type>(kReadStep, limit - done));
        bytes.resize(done + step);
        const UINT got = Read(&bytes[done], step);
        const void* zero = std::memchr(&bytes[done], 0, got);
        bytes.resize(zero != nullptr
                         ? static_cast<std::string::size_type>(static_cast<const char*>(zero) - bytes.data())
                         : done + got);
        if (zero != nullptr || got < step)
            break;
    }
    CString text(bytes.c_str());
    text.Replace(L"\n", L"\r\n");
    Close();
    return text;
}
