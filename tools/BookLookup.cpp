// Finding the book the program would read: the same file mapping as the program's own.
#include "tools/BookLookup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/core/Paths.h"
#include "platform/core/ProgramFiles.h"

namespace
{

const char* const kProgramName = "solmira";
const char* const kBookName = "solmiraverse.pdb";
// Where an install puts the program's folder, from the folder that holds the tool.
const char* const kInstalledProgramFolder = "lib/solmira";

std::string Joined(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

// A build folder holds the program file itself, or at least the book. An install's bin/
// holds only a link to the program, which does not make it the program's folder.
bool HoldsTheProgram(const std::string& folder)
{
    struct stat status = {};
    return (::lstat(Joined(folder, kProgramName).c_str(), &status) == 0 && S_ISREG(status.st_mode)) ||
           ::access(Joined(folder, kBookName).c_str(), F_OK) == 0;
}

}  // namespace

std::string ProgramFolderOfTool(const std::string& toolFolder)
{
    if (HoldsTheProgram(toolFolder))
        return toolFolder;
    return Joined(FolderOf(toolFolder), kInstalledProgramFolder);
}

std::string DefaultBookPath()
{
    const char* named = std::getenv("SOLMIRA_BOOK");
    if (named != nullptr && named[0] != '\0')
        return named;
    // The tool's folder comes from its own real path, so a link to it in another folder
    // still finds the program.
    const std::string programFolder = ProgramFolderOfTool(ProgramHostFolder());
    return HostPathToRead(Joined(programFolder, kBookName), programFolder);
}
