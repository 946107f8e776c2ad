// Reading and writing the tool's files: regular files only, opened as the platform opens
// them, never holding more than a book, and writes that are whole or not at all.
#include "tools/RegularFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/core/CFile.h"
#include "platform/core/FileReplacement.h"
#include "platform/core/Paths.h"
#include "platform/core/RegularFile.h"
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

// Why path did not open, from the error of its open: a file that is no regular one (the
// platform's EINVAL) is named by its kind.
FileRefusal OpenRefusal(const std::string& path, int error)
{
    struct stat st {
    };
    if (error == EINVAL && ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return RefuseSpecial(path, st.st_mode);
    return FromErrno(path, error);
}

FileRefusal TooLarge(const std::string& path, const char* what)
{
    return Refused(kExitProblem, path,
                   std::string("larger than ") + what + " can be (at most " + kLargestBookText + ")");
}

}  // namespace

FileRefusal OpenBookFile(const std::string& path, CFile& book)
{
    if (!book.Open(DevicePathFromHostPath(path).c_str(), CFile::modeRead | CFile::typeBinary))
        return OpenRefusal(path, errno);
    if (book.GetLength() > kLargestBook) {
        book.Close();
        return TooLarge(path, "a book");
    }
    return {};
}

FileRefusal ReadRegularFile(const std::string& path, const char* what, std::string& bytes)
{
    bytes.clear();
    struct stat st {
    };
    const int fd = OpenRegularFile(path, O_RDONLY, 0, &st);
    if (fd < 0)
        return OpenRefusal(path, errno);
    FileRefusal refusal = static_cast<std::uint64_t>(st.st_size) > kLargestBook ? TooLarge(path, what) : FileRefusal{};
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
    if (::stat(path.c_str(), &st) == 0) {
        const FileRefusal special = RefuseSpecial(path, st.st_mode);
        if (special.status != 0)
            return special;
    }
    // Never in place: a write that fails half way must not tear the old book.
    FileReplacement book;
    if (!book.Begin(path, FileReplacement::InPlace::Never) || !book.Commit(bytes))
        return FromErrno(path, errno);
    return {};
}
