// A regular file opened without waiting on a FIFO, and told from every other kind by the
// one status it is opened with.
#include "platform/core/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

int OpenRegularFile(const std::string& hostPath, int flags, mode_t mode, struct stat* status)
{
    // O_NONBLOCK: opening a FIFO must not wait for a writer. A regular file reads and
    // writes as ever with it.
    const int fd = ::open(hostPath.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode);
    if (fd < 0)
        return -1;
    struct stat st {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = error;
        return -1;
    }
    if (status != nullptr)
        *status = st;
    return fd;
}
