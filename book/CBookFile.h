// The reader of the book: a Palm database whose record k holds the reading of verse k.
// Every call opens the book, reads what it needs and closes it again.
#pragma once

#include "platform/framework/CFile.h"
#include "platform/framework/CString.h"

class CBookFile : public CFile
{
public:
    CBookFile() = default;

    // Remembers the book's path and tells whether the book can be opened for reading.
    BOOL OpenBook(LPCTSTR path);
    // The text of record index as wide text, line feeds widened to "\r\n"; empty when
    // there is none to give, whatever the reason.
    CString ReadRecordText(int index);
    // Steps of ReadRecordText, on the file it holds open: the number of records, and the
    // data offset of a record (unchecked index). Header bytes past the end count as 0.
    UINT GetRecordCount();
    DWORD GetRecordOffset(int index);

private:
    BOOL m_bAvailable = FALSE;
    CString m_strPath;
};
