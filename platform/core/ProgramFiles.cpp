// The user's folder over the program's: decided by whether the user may write the program's
// folder, which is asked once a run; the user's own file is looked up afresh at every call,
// so that one put in place later is found.
#include "platform/core/ProgramFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "platform/core/ModulePath.h"
#include "platform/core/Paths.h"

namespace
{

// The last program folder asked about, and whether the user may write it. Every open of a
// file beside the program needs the answer, and a folder's access changes under a running
// program only by an administrator's hand, so it is asked once a run.
struct FolderAccess {
    std::mutex lock;
    std::string folder;
    bool writable = false;
};

FolderAccess& LastAsked()
{
    static FolderAccess access;
    return access;
}

bool UserMayWrite(const std::string& programFolder)
{
    FolderAccess& access = LastAsked();
    const std::lock_guard<std::mutex> hold(access.lock);
    if (access.folder != programFolder) {
        // The effective user decides, and a read-only file system counts as not the user's.
        access.writable = ::faccessat(AT_FDCWD, programFolder.c_str(), W_OK, AT_EACCESS) == 0;
        access.folder = programFolder;
    }
    return access.writable;
}

// The name of a file beside the program, or empty when hostPath lies elsewhere or the
// program's folder is the user's to write.
std::string OverlaidName(const std::string& hostPath, const std::string& programFolder)
{
    if (programFolder.empty() || FolderOf(hostPath) != programFolder || NameOf(hostPath).empty())
        return std::string();
    if (UserMayWrite(programFolder))
        return std::string();
    return UserFilesFolder().empty() ? std::string() : NameOf(hostPath);
}

// $VARIABLE/solmira, or ~/fallback/solmira; a relative value is invalid and is ignored, as
// the base directory rules say.
std::string UserFolder(const char* variable, const char* fallback)
{
    const char* base = std::getenv(variable);
    if (base != nullptr && base[0] == '/')
        return std::string(base) + "/solmira";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return std::string(home) + fallback + "/solmira";
    return std::string();
}

}  // namespace

std::string UserFilesFolder()
{
    return UserFolder("XDG_DATA_HOME", "/.local/share");
}

std::string UserStateFolder()
{
    return UserFolder("XDG_STATE_HOME", "/.local/state");
}

void MakeUserFolders(const std::string& folder)
{
    if (folder.empty() || ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST)
        return;
    if (errno == ENOENT) {
        MakeUserFolders(FolderOf(folder));
        ::mkdir(folder.c_str(), 0700);
    }
}

void ForgetProgramFolderAccess()
{
    FolderAccess& access = LastAsked();
    const std::lock_guard<std::mutex> hold(access.lock);
    access.folder.clear();
}

std::string ProgramHostFolder()
{
    return FolderOf(ModuleHostPath());
}

std::string HostPathToRead(const std::string& hostPath, const std::string& programFolder)
{
    const std::string name = OverlaidName(hostPath, programFolder);
    if (name.empty())
        return hostPath;
    const std::string own = UserFilesFolder() + "/" + name;
    return ::access(own.c_str(), F_OK) == 0 ? own : hostPath;
}

std::string HostPathToWrite(const std::string& hostPath, const std::string& programFolder)
{
    const std::string name = OverlaidName(hostPath, programFolder);
    if (name.empty())
        return hostPath;
    MakeUserFolders(UserFilesFolder());
    return UserFilesFolder() + "/" + name;
}
