// The framework's binary file on POSIX descriptors: regular files only, read at a position
// of its own, failures as results, and created files replaced whole.
#include "platform/core/CFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <string>

#include "platform/core/FileReplacement.h"
#include "platform/core/Paths.h"
#include "platform/core/ProgramFiles.h"
#include "platform/core/RegularFile.h"

// A created file's content is kept here until it takes the old file's place.
struct CFile::CreatedFile {
    FileReplacement replacement;
    std::string content;
};

CFile::CFile() = default;

CFile::~CFile()
{
    Close();
}

BOOL CFile::Open(LPCTSTR fileName, UINT openFlags)
{
    Close();
    if ((openFlags & modeWrite) && !(openFlags & modeCreate))
        return FALSE;
    const std::string device = HostPathFromDevicePath(fileName);
    const std::string path = (openFlags & modeCreate) ? HostPathToWrite(device) : HostPathToRead(device);
    if (openFlags & modeCreate) {
        // A file the user may not write does not open for writing, even where its folder
        // would let a new file take its place.
        if (::faccessat(AT_FDCWD, path.c_str(), F_OK, 0) == 0 &&
            ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
            return FALSE;
        std::unique_ptr<CreatedFile> created(new (std::nothrow) CreatedFile);
        if (created == nullptr || !created->replacement.Begin(path))
            return FALSE;
        m_created = std::move(created);
        return TRUE;
    }
    struct stat status {
    };
    m_hFile = OpenRegularFile(path, O_RDONLY, 0, &status);
    if (m_hFile < 0)
        return FALSE;
    m_position = 0;
    m_length = static_cast<DWORD>(std::min<unsigned long long>(status.st_size, 0xFFFFFFFFull));
    return TRUE;
}

std::int64_t CFile::Seek(std::int64_t offset, UINT from)
{
    if (m_hFile < 0)
        return 0;
    const std::int64_t base = from == end ? m_length : from == current ? m_position : 0;
    if (offset >= -base && offset <= INT64_MAX - base)
        m_position = base + offset;
    return m_position;
}

UINT CFile::Read(void* buffer, UINT count)
{
    if (m_hFile < 0 || buffer == nullptr)
        return 0;
    UINT total = 0;
    while (total < count) {
        const ssize_t n =
            ::pread(m_hFile, static_cast<char*>(buffer) + total, count - total, static_cast<off_t>(m_position + total));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += static_cast<UINT>(n);
    }
    m_position += total;
    return total;
}

BOOL CFile::Write(const void* buffer, UINT count)
{
    if (m_created == nullptr || (buffer == nullptr && count > 0))
        return FALSE;
    if (count == 0)
        return TRUE;
    try {
        m_created->content.append(static_cast<const char*>(buffer), count);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    return TRUE;
}

DWORD CFile::GetLength() const
{
    return m_hFile >= 0 ? m_length : 0;
}

BOOL CFile::Close()
{
    bool placed = true;
    if (m_created != nullptr) {
        placed = m_created->replacement.Commit(m_created->content);
        m_created.reset();
    }
    if (m_hFile >= 0) {
        ::close(m_hFile);
        m_hFile = -1;
    }
    return placed ? TRUE : FALSE;
}
