// Reading and writing the tool's files: regular files only, never blocking on a FIFO,
// never holding more than a book, and writes that are whole or not at all.
#include "tools/RegularFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tools/ExitStatus.h"

namespace
{

FileRefusal Refused(int status, const std::string& path, const std::string& reason)
{
    return {status, path + ": " + reason};
}

FileRefusal FromErrno(const std::string& path, int error)
{
    return Refused(kExitUsage, path, std::strerror(error));
}

// What a file is when it is not a regular one; empty for a regular file.
const char* KindOfSpecialFile(mode_t mode)
{
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISSOCK(mode))
        return "a socket";
    return S_ISREG(mode) ? "" : "a special file";
}

// Refuses a file that is not a regular one, as its mode tells.
FileRefusal RefuseSpecial(const std::string& path, mode_t mode)
{
    if (S_ISDIR(mode))
        return FromErrno(path, EISDIR);
    const char* kind = KindOfSpecialFile(mode);
    if (*kind != '\0')
        return Refused(kExitUsage, path, std::string("not a regular file but ") + kind);
    return {};
}

FileRefusal TooLarge(const std::string& path, const char* what)
{
    return Refused(kExitProblem, path,
                   std::string("larger than ") + what + " can be (at most " + kLargestBookText + ")");
}

std::string FolderOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Writes all of bytes, flushed through to the disk.
bool WriteAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return ::fsync(fd) == 0;
}

}  // namespace

FileRefusal ReadRegularFile(const std::string& path, const char* what, std::string& bytes)
{
    bytes.clear();
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused just below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return FromErrno(path, errno);
    struct stat st {
    };
    FileRefusal refusal = ::fstat(fd, &st) != 0 ? FromErrno(path, errno) : RefuseSpecial(path, st.st_mode);
    if (refusal.status == 0 && static_cast<std::uint64_t>(st.st_size) > kLargestBook)
        refusal = TooLarge(path, what);
    // A file may hold more than its size says (or grow): reading stops one byte past the
    // limit whatever the size.
    std::vector<char> chunk(1 << 16);
    while (refusal.status == 0) {
        const ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            refusal = FromErrno(path, errno);
        if (n <= 0)
            break;
        bytes.append(chunk.data(), static_cast<std::size_t>(n));
        if (bytes.size() > kLargestBook)
            refusal = TooLarge(path, what);
    }
    ::close(fd);
    if (refusal.status != 0)
        bytes.clear();
    return refusal;
}

FileRefusal WriteRegularFile(const std::string& path, const std::string& bytes)
{
    struct stat st {
    };
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists) {
        const FileRefusal special = RefuseSpecial(path, st.st_mode);
        if (special.status != 0)
            return special;
    }
    // Through a link to a book, the book is replaced and the link kept.
    std::string target = path;
    struct stat link {
    };
    if (exists && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char* real = ::realpath(path.c_str(), nullptr);
        if (real != nullptr) {
            target = real;
            std::free(real);
        }
    }
    std::string name = target + ".XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return FromErrno(path, errno);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    // A replaced book keeps its permissions; a new one gets the usual ones.
    ::fchmod(fd, exists ? (st.st_mode & 07777) : (0666 & ~mask));
    const bool written = WriteAll(fd, bytes);
    const int writeError = errno;
    if (::close(fd) != 0 || !written || ::rename(name.c_str(), target.c_str()) != 0) {
        const int error = written ? errno : writeError;
        ::unlink(name.c_str());
        return FromErrno(path, error);
    }
    // The rename itself lasts only once the folder is flushed.
    const int folder = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return {};
}
