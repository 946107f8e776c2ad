// The framework's binary file on POSIX descriptors: regular files only, failures as results.
#include "platform/framework/CFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/core/Paths.h"
#include "platform/core/ProgramFiles.h"

CFile::~CFile()
{
    Close();
}

BOOL CFile::Open(LPCTSTR fileName, UINT openFlags)
{
    Close();
    const std::string device = HostPathFromDevicePath(fileName);
    const std::string path = (openFlags & modeWrite) ? HostPathToWrite(device) : HostPathToRead(device);
    if (path.empty())
        return FALSE;
    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    if (openFlags & modeWrite)
        flags |= O_WRONLY;
    else
        flags |= O_RDONLY;
    // Emptying waits until the file is known to be a regular one.
    if (openFlags & modeCreate)
        flags |= O_CREAT;
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused just below.
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0)
        return FALSE;
    struct stat st {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ((openFlags & modeCreate) && ::ftruncate(fd, 0) != 0)) {
        ::close(fd);
        return FALSE;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_hFile = fd;
    return TRUE;
}

std::int64_t CFile::Seek(std::int64_t offset, UINT from)
{
    if (!IsOpen())
        return 0;
    const int whence = from == end ? SEEK_END : from == current ? SEEK_CUR : SEEK_SET;
    off_t position = ::lseek(m_hFile, static_cast<off_t>(offset), whence);
    if (position < 0)
        position = ::lseek(m_hFile, 0, SEEK_CUR);
    return position;
}

UINT CFile::Read(void* buffer, UINT count)
{
    if (!IsOpen() || buffer == nullptr)
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
    struct stat st {
    };
    if (!IsOpen() || ::fstat(m_hFile, &st) != 0)
        return 0;
    if (static_cast<unsigned long long>(st.st_size) > 0xFFFFFFFFull)
        return 0xFFFFFFFF;
    return static_cast<DWORD>(st.st_size);
}

BOOL CFile::Flush()
{
    return IsOpen() && ::fsync(m_hFile) == 0 ? TRUE : FALSE;
}

BOOL CFile::Rename(LPCTSTR oldName, LPCTSTR newName)
{
    const std::string from = HostPathToWrite(HostPathFromDevicePath(oldName));
    const std::string to = HostPathToWrite(HostPathFromDevicePath(newName));
    return ::rename(from.c_str(), to.c_str()) == 0 ? TRUE : FALSE;
}

BOOL CFile::Remove(LPCTSTR fileName)
{
    return ::unlink(HostPathToWrite(HostPathFromDevicePath(fileName)).c_str()) == 0 ? TRUE : FALSE;
}

void CFile::Close()
{
    if (IsOpen()) {
        ::close(m_hFile);
        m_hFile = -1;
    }
}
