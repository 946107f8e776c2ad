// Replacing a file whole, on POSIX calls: a new file renamed into place with both flushed,
// or, where no new file can be made, one write over the old bytes from the start.
#include "platform/core/FileReplacement.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/core/Paths.h"
#include "platform/core/RegularFile.h"

namespace
{

// A new file is named after the file it replaces, its writer's process and a count:
// "slm.dat.new-1234-0". The process tells whether its writer is still at work.
const std::string kNewFileInfix = ".new-";

// The folder that holds path, to open: the working folder for a bare name.
std::string FolderToOpen(const std::string& path)
{
    const std::string folder = FolderOf(path);
    return folder.empty() ? std::string(".") : folder;
}

// The file a link leads to, so that the link stays and its file is replaced.
std::string Resolved(const std::string& path)
{
    struct stat st {
    };
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr)
        return path;
    std::string resolved(real);
    std::free(real);
    return resolved;
}

// The process that wrote a new file of target's name, or 0 when name is no such file.
pid_t WriterOf(const std::string& name, const std::string& targetName)
{
    const std::string prefix = targetName + kNewFileInfix;
    if (name.compare(0, prefix.size(), prefix) != 0)
        return 0;
    const std::string rest = name.substr(prefix.size());
    const std::string::size_type dash = rest.find('-');
    if (dash == 0 || dash == std::string::npos || dash > 9 || dash + 1 == rest.size() ||
        rest.find_first_not_of("0123456789-") != std::string::npos || rest.find('-', dash + 1) != std::string::npos)
        return 0;
    return static_cast<pid_t>(std::atol(rest.substr(0, dash).c_str()));
}

// Removes the new files that saves killed before their rename left beside target. A file
// whose writer still runs, or may (one of another user), is left alone.
void RemoveLeftovers(const std::string& target)
{
    DIR* folder = ::opendir(FolderToOpen(target).c_str());
    if (folder == nullptr)
        return;
    const std::string targetName = NameOf(target);
    while (const dirent* entry = ::readdir(folder)) {
        const pid_t writer = WriterOf(entry->d_name, targetName);
        if (writer > 0 && writer != ::getpid() && ::kill(writer, 0) != 0 && errno == ESRCH)
            ::unlinkat(::dirfd(folder), entry->d_name, 0);
    }
    ::closedir(folder);
}

// Flushes a folder's list of names, so that a rename in it survives a power loss.
void SyncFolder(const std::string& path)
{
    const int folder = ::open(FolderToOpen(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

// Writes all of content from offset 0: in one write, as a file of a few bytes always is.
bool WriteAllAt(int fd, const std::string& content)
{
    std::string::size_type done = 0;
    while (done < content.size()) {
        const ssize_t n = ::pwrite(fd, content.data() + done, content.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::string::size_type>(n);
    }
    return true;
}

// The new file takes the old one's owner and permissions, or is not used: a save must not
// take the file from its owner.
bool KeepOwnerAndMode(int fd, const struct stat& old)
{
    struct stat mine {
    };
    if (::fstat(fd, &mine) != 0)
        return false;
    if ((mine.st_uid != old.st_uid || mine.st_gid != old.st_gid) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

}  // namespace

FileReplacement::~FileReplacement()
{
    End();
}

bool FileReplacement::Begin(const std::string& hostPath, InPlace inPlace)
{
    End();
    if (hostPath.empty()) {
        errno = ENOENT;
        return false;
    }
    m_target = Resolved(hostPath);
    m_inPlaceAllowed = inPlace;
    struct stat st {
    };
    if (::lstat(m_target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        m_target.clear();
        return false;
    }
    if (!MakeNewFile() && !OpenInPlace()) {
        m_target.clear();
        return false;
    }
    return true;
}

bool FileReplacement::MakeNewFile()
{
    static std::atomic<unsigned> count{0};
    int fd = -1;
    // Another writer of this process number may have left its file behind: take the next.
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        m_newPath = m_target + kNewFileInfix + std::to_string(::getpid()) + "-" + std::to_string(count++);
        fd = ::open(m_newPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return false;
    struct stat old {
    };
    if (::stat(m_target.c_str(), &old) == 0 && !KeepOwnerAndMode(fd, old)) {
        ::close(fd);
        ::unlink(m_newPath.c_str());
        return false;
    }
    m_newFile = fd;
    return true;
}

bool FileReplacement::OpenInPlace()
{
    if (m_inPlaceAllowed == InPlace::Never)
        return false;
    int fd = OpenRegularFile(m_target, O_WRONLY);
    if (fd < 0 && errno == ENOENT) {
        fd = OpenRegularFile(m_target, O_WRONLY | O_CREAT | O_EXCL, 0666);
        m_created = fd >= 0;
    }
    m_inPlace = fd;
    return fd >= 0;
}

bool FileReplacement::Commit(const std::string& content)
{
    if (!IsActive())
        return false;
    // An earlier commit used its new file up: the next one needs another.
    if (m_newFile < 0 && m_inPlace < 0 && !MakeNewFile() && !OpenInPlace())
        return false;
    if (m_newFile >= 0 && CommitByRename(content))
        return true;
    // A file that cannot be renamed over (another user's in a shared folder, a file
    // mounted in place) is still written where it is.
    return (m_inPlace >= 0 || OpenInPlace()) && CommitInPlace(content);
}

bool FileReplacement::CommitByRename(const std::string& content)
{
    const bool written = WriteAllAt(m_newFile, content) && ::fsync(m_newFile) == 0;
    ::close(m_newFile);
    m_newFile = -1;
    if (!written || ::rename(m_newPath.c_str(), m_target.c_str()) != 0) {
        const int error = errno;
        ::unlink(m_newPath.c_str());
        errno = error;
        return false;
    }
    SyncFolder(m_target);
    RemoveLeftovers(m_target);
    return true;
}

bool FileReplacement::CommitInPlace(const std::string& content)
{
    // Overwriting first and cutting after means that no moment finds the file empty or
    // short: a longer file keeps its old tail only until the cut.
    const bool written = WriteAllAt(m_inPlace, content) &&
                         ::ftruncate(m_inPlace, static_cast<off_t>(content.size())) == 0 && ::fsync(m_inPlace) == 0;
    if (written && m_created)
        SyncFolder(m_target);
    if (written)
        m_created = false;
    else
        RemoveCreated();
    return written;
}

void FileReplacement::RemoveCreated()
{
    // A file that this replacement made and never filled (the disk is full) is no file
    // to leave: the next reader would take it for empty settings.
    if (!m_created)
        return;
    const int error = errno;
    ::close(m_inPlace);
    m_inPlace = -1;
    ::unlink(m_target.c_str());
    m_created = false;
    errno = error;
}

void FileReplacement::End()
{
    if (m_newFile >= 0) {
        ::close(m_newFile);
        ::unlink(m_newPath.c_str());
        m_newFile = -1;
    }
    RemoveCreated();
    if (m_inPlace >= 0) {
        ::close(m_inPlace);
        m_inPlace = -1;
    }
    m_target.clear();
    m_created = false;
}
