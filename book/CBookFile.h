// The reader of the book: a Palm database whose record k holds the reading of verse k.
// Every call opens the book, reads what it needs and closes it again.
#pragma once

#include "book/BookFormat.h"
#include "platform/core/CFile.h"
#include "platform/core/CString.h"

class CBookFile : public CFile
{
public:
    // The most text of one record that is read, in bytes (BookFormat.h).
    static constexpr DWORD kMaxRecordText = kLongestRecordText;

    CBookFile() = default;

    // Remembers the book's path and tells whether the book can be opened for reading.
    BOOL OpenBook(LPCTSTR path);
    // The text of record index as wide text, line feeds widened to "\r\n"; empty when
    // there is none to give, whatever the reason. The text ends at the record's first zero
    // byte, its end, the file's end or kMaxRecordText, whichever comes first.
    CString ReadRecordText(int index);
    // Steps of ReadRecordText, on the file it holds open: the number of records, and the
    // data offset of a record (unchecked index). Header bytes past the end count as 0.
    UINT GetRecordCount();
    DWORD GetRecordOffset(int index);

private:
    BOOL m_bAvailable = FALSE;
    CString m_strPath;
};
