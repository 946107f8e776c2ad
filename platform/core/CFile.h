// The framework's binary file, as the program uses it: a file opened for reading, or one
// created for writing. A failed open is reported as FALSE, never by an exception; the
// handle is closed by Close or by the destructor, so no operation leaks a descriptor. A
// file created for writing is replaced whole, never left empty or half written.
#pragma once

#include <memory>

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

    CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    virtual ~CFile();

    // Opens a regular file at a path in the device's form. Directories and other special
    // files do not open. A file beside the program is the user's own where the program's
    // folder is not theirs (ProgramFiles.h).
    //
    // modeRead opens for reading. modeCreate opens for writing only, and creates the file
    // or empties it as far as this object sees. On the disk the old file stays whole until
    // Close, which puts everything written in its place in one step (FileReplacement.h): a
    // reader, a kill, a power loss or a second copy writing at once finds the old content
    // or the new. The program writes no file in place: modeWrite without modeCreate does
    // not open.
    BOOL Open(LPCTSTR fileName, UINT openFlags);
    // Moves the position of a file opened for reading; past the end is allowed. Returns the
    // new position, or the old one when the move fails. The file keeps its own position,
    // so a move costs no call to the system.
    std::int64_t Seek(std::int64_t offset, UINT from);
    // Reads up to count bytes at the position and moves past them; fewer when the file
    // ends first, 0 on an error or in a file created for writing.
    UINT Read(void* buffer, UINT count);
    // Adds count bytes to a file created for writing; false when it is not one, or when
    // there is no memory for them.
    BOOL Write(const void* buffer, UINT count);
    // The length in bytes (at most 0xFFFFFFFF) of a file opened for reading, as it was
    // when opened; 0 otherwise.
    DWORD GetLength() const;
    // Closes the file, a created one taking its place first; does nothing when none is open.
    // FALSE when a created file could not take its place (a full disk, say): the old file
    // then stands, or none where there was none.
    BOOL Close();

    bool IsOpen() const { return m_hFile >= 0 || m_created != nullptr; }

private:
    struct CreatedFile;

    int m_hFile = -1;
    std::int64_t m_position = 0;
    DWORD m_length = 0;
    std::unique_ptr<CreatedFile> m_created;  // a file created for writing, until it is in place
};
