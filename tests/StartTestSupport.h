// What the daily start's tests share: stand-in commands put first on PATH, and folder
// names that need care in a job script or a unit file.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

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

// Program folder names that a job script or a unit file must carry as they are.
inline std::vector<std::string> AwkwardFolderNames()
{
    return {"plain",
            "with space",
            "single'quote",
            "double\"quote",
            "back\\slash",
            "tab\there",
            "control\x01\x1f\x7f",
            "dollar $HOME ${HOME}",
            "percent 100% %h %%",
            "semi;colon && ls |",
            "back`tick` $(id)",
            "UTF-8 \xc3\x9cnic\xc3\xb6"
            "de \xe2\x98\x80",
            "not UTF-8 \xff\xfe\xc3",
            "-leading dash",
            "new\nline",
            "star * and ? [x]",
            "#hash =equals ",
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
