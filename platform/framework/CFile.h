// The framework's binary file. A failed open is reported as FALSE, never by an exception;
// the handle is closed by Close or by the destructor, so no operation leaks a descriptor.
#pragma once

#include "platform/core/Types.h"

class CFile
{
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeCreate = 0x1000,
        typeBinary = 0x8000,
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    virtual ~CFile();

    // Opens a regular file at a path in the device's form. modeCreate creates the file or
    // empties it. Directories and other special files do not open. A file beside the
    // program is the user's own where the program's folder is not theirs (ProgramFiles.h).
    virtual BOOL Open(LPCTSTR fileName, UINT openFlags);
    // Moves to a position; past the end is allowed. Returns the new position, or the old
    // one when the move fails.
    virtual std::int64_t Seek(std::int64_t offset, UINT from);
    // Reads up to count bytes; fewer when the file ends first, 0 on an error.
    virtual UINT Read(void* buffer, UINT count);
    // Writes count bytes; returns false when not all of them could be written.
    virtual BOOL Write(const void* buffer, UINT count);
    // The file's length in bytes (at most 0xFFFFFFFF), or 0 when no file is open.
    virtual DWORD GetLength() const;
    // Writes what the file holds through to the disk.
    virtual BOOL Flush();
    // Closes the file; does nothing when none is open.
    virtual void Close();

    // Gives a file a new name, replacing any file of that name in one step.
    static BOOL Rename(LPCTSTR oldName, LPCTSTR newName);
    static BOOL Remove(LPCTSTR fileName);

    bool IsOpen() const { return m_hFile >= 0; }

private:
    int m_hFile = -1;
};
