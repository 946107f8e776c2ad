// What the daily start's tests share: stand-in commands put first on PATH, folder names
// that need care in a job script or a unit file, and at's queue as it shows a job.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/Command.h"
#include "platform/testing/TestEnvironment.h"

// Shell scripts that stand in for commands of the system while this object lives: their
// folder comes first on PATH.
class StandInCommands
{
public:
    StandInCommands(const std::string& folder, const std::vector<std::pair<std::string, std::string>>& scripts)
        : m_path("PATH", (folder + ":" + std::getenv("PATH")).c_str())
    {
        std::filesystem::create_directories(folder);
        for (const auto& [name, script] : scripts) {
            std::ofstream(folder + "/" + name) << "#!/bin/sh\n" << script << "\n";
            std::filesystem::permissions(folder + "/" + name, std::filesystem::perms::owner_all);
        }
    }

private:
    EnvironmentGuard m_path;
};

// Program folder names that a job script or a unit file must carry as they are: quotes,
// shell and systemd specials, control characters, bytes that are not UTF-8.
inline std::vector<std::string> AwkwardFolderNames()
{
    return {"with space 'single' \"double\" back\\slash\ttab\x01\x1f\x7f",
            "dollar $HOME ${HOME} `id` $(id) 100% %h %%;&& | * ? [x] #hash =eq ",
            "UTF-8 \xc3\x9cnic\xc3\xb6"
            "de \xe2\x98\x80 not \xff\xfe\xc3",
            "-leading dash",
            "new\nline",
            "\\"};
}

// Makes folder/name/solmira, a program that writes the folder it was started from into
// the file `ran`, and returns its path.
inline std::string MakeRecordingProgram(const std::string& folder, const std::string& name, const std::string& ran)
{
    const std::string path = folder + "/" + name + "/solmira";
    std::filesystem::create_directories(folder + "/" + name);
    std::ofstream(path) << "#!/bin/sh\nprintf '%s' \"$0\" > '" << ran << "'\n";
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

// A job's time as atq shows it in the current time zone, read with at's own tool.
inline std::string QueuedTime(const std::string& job)
{
    std::istringstream queue(RunCommand({"/usr/bin/atq"}).output);
    for (std::string line; std::getline(queue, line);)
        if (line.substr(0, line.find('\t')) == job)
            return line.substr(line.find('\t') + 1, 24);
    return "(not queued)";
}
