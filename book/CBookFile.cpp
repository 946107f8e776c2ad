// Reading the book's records: each call opens the book, reads what it needs through the
// book's format and closes it.
#include "book/CBookFile.h"

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
    return ReadBookRecordCount(*this);
}

DWORD CBookFile::GetRecordOffset(int index)
{
    return ReadBookRecordOffset(*this, index);
}

CString CBookFile::ReadRecordText(int index)
{
    if (!Open(m_strPath, modeRead | typeBinary))
        return CString();
    const CString text = ReadBookRecordText(*this, index);
    Close();
    return text;
}
