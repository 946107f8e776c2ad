// The framework's binary file on POSIX descriptors: regular files only, failures as results,
// and created files replaced whole.
#include "platform/core/CFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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
    std::string::size_type position = 0;
};

CFile::CFile() = default;

CFile::~CFile()
{
    Close();
}

BOOL CFile::Open(LPCTSTR fileName, UINT openFlags)
{
    Close();
    const std::string device = HostPathFromDevicePath(fileName);
    const std::string path = (openFlags & (modeWrite | modeCreate)) ? HostPathToWrite(device) : HostPathToRead(device);
    if (path.empty())
        return FALSE;
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
    m_hFile = OpenRegularFile(path, (openFlags & modeWrite) ? O_WRONLY : O_RDONLY);
    return m_hFile >= 0 ? TRUE : FALSE;
}

std::int64_t CFile::Seek(std::int64_t offset, UINT from)
{
    if (!IsOpen())
        return 0;
    if (m_created != nullptr) {
        const std::int64_t base = from == end       ? static_cast<std::int64_t>(m_created->content.size())
                                  : from == current ? static_cast<std::int64_t>(m_created->position)
                                                    : 0;
        if (base + offset >= 0)
            m_created->position = static_cast<std::string::size_type>(base + offset);
        return static_cast<std::int64_t>(m_created->position);
    }
    const int whence = from == end ? SEEK_END : from == current ? SEEK_CUR : SEEK_SET;
    off_t position = ::lseek(m_hFile, static_cast<off_t>(offset), whence);
    if (position < 0)
        position = ::lseek(m_hFile, 0, SEEK_CUR);
    return position;
}

UINT CFile::Read(void* buffer, UINT count)
{
    // A created file is opened for writing only.
    if (!IsOpen() || buffer == nullptr || m_created != nullptr)
        return 0;
    UINT total = 0;
    while (total < count) {
        const ssize_t n = ::read(m_hFile, static_cast<char*>(buffer) + total, count - total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += static_cast<UINT>(n);
    }
    return total;
}

BOOL CFile::Write(const void* buffer, UINT count)
{
    if (!IsOpen() || (buffer == nullptr && count > 0))
        return FALSE;
    if (m_created != nullptr) {
        std::string& content = m_created->content;
        try {
            if (content.size() < m_created->position)
                content.resize(m_created->position, '\0');
            content.replace(m_created->position, count, static_cast<const char*>(buffer), count);
        } catch (const std::bad_alloc&) {
            return FALSE;
        }
        m_created->position += count;
        return TRUE;
    }
    UINT total = 0;
    while (total < count) {
        const ssize_t n = ::write(m_hFile, static_cast<const char*>(buffer) + total, count - total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return FALSE;
        total += static_cast<UINT>(n);
    }
    return TRUE;
}

DWORD CFile::GetLength() const
{
    if (m_created != nullptr)
        return m_created->content.size() > 0xFFFFFFFFu ? 0xFFFFFFFF : static_cast<DWORD>(m_created->content.size());
    struct stat st {
    };
    if (!IsOpen() || ::fstat(m_hFile, &st) != 0)
        return 0;
    if (static_cast<unsigned long long>(st.st_size) > 0xFFFFFFFFull)
        return 0xFFFFFFFF;
    return static_cast<DWORD>(st.st_size);
}

void CFile::Close()
{
    if (m_created != nullptr) {
        m_created->replacement.Commit(m_created->content);
        m_created.reset();
    }
    if (m_hFile >= 0) {
        ::close(m_hFile);
        m_hFile = -1;
    }
}
