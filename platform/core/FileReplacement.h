// Replacing a file whole: what a reader, a kill or a power loss finds is the old content or
// the new, never an empty or half-written file. The file class writes this way.
//
// The new content goes to a new file of its own beside the old one (a unique name, made
// exclusively), is flushed to the disk, takes the old file's name in one step, and the
// folder is flushed. Where the folder takes no new file (a folder the user cannot write,
// holding a file they can), the old bytes are overwritten from the start in one write,
// any excess is cut only afterwards, and the file is flushed: never emptied first.
#pragma once

#include <string>

class FileReplacement
{
public:
    FileReplacement() = default;
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Where no new file can be made or take the old one's place, a file may be written
    // where it is: a file of a few bytes, which one write puts down whole. A larger one
    // never is, since a write that fails half way would tear it.
    enum class InPlace { Allowed, Never };

    // Makes ready to replace the file at hostPath, or to create it. False, with errno
    // telling why, when it cannot be written: no such folder, no permission, or a folder
    // or special file in its way. Until a commit the disk holds nothing new but the new
    // file beside the old.
    bool Begin(const std::string& hostPath, InPlace inPlace = InPlace::Allowed);
    // Puts content in the file's place and on the disk; true when it got there, false with
    // errno telling why. A later commit replaces an earlier one in the same way.
    bool Commit(const std::string& content);
    // Ends the replacement, removing a new file that never took the old one's place.
    void End();

    bool IsActive() const { return !m_target.empty(); }

private:
    bool MakeNewFile();
    bool OpenInPlace();
    bool CommitByRename(const std::string& content);
    bool CommitInPlace(const std::string& content);
    void RemoveCreated();

    std::string m_target;   // the file to replace, its links followed
    std::string m_newPath;  // the new file, while it waits to take the target's place
    int m_newFile = -1;
    int m_inPlace = -1;      // the target itself, where the folder takes no new file
    bool m_created = false;  // the in-place open made the file and nothing is in it yet
    InPlace m_inPlaceAllowed = InPlace::Allowed;
};
