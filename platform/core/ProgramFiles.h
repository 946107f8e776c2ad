// The files beside the program, for the user who runs it. Where the user can write to the
// program's folder (a build folder, a home install), they lie there, as on the device.
// Where not (an install under /usr or /opt), a folder of the user's own overlays it,
// $XDG_DATA_HOME/solmira (by default ~/.local/share/solmira): a file beside the program is
// read from there first and from the program's folder otherwise, and written there. The
// program's own paths never change; the platform's file calls map them here.
#pragma once

#include <string>

// The user's own folder for the program's files. Empty when there is no home to put it in.
std::string UserFilesFolder();
// The user's folder for what the platform keeps between starts, $XDG_STATE_HOME/solmira
// (by default ~/.local/state/solmira). Empty when there is no home to put it in.
std::string UserStateFolder();
// Makes a folder and the folders above it that are missing, for the user alone.
void MakeUserFolders(const std::string& folder);
// Makes the next call ask again whether the user may write the program's folder: the
// program is taken to start anew (ModulePath.h's test seam).
void ForgetProgramFolderAccess();
// The folder of the running program, in the host's form; empty for a bare program name.
std::string ProgramHostFolder();
// Where a read or a write of hostPath goes. Paths that do not lie directly in
// programFolder (by default the running program's) are left as they are. Writing creates
// the user's folder when it is missing.
std::string HostPathToRead(const std::string& hostPath, const std::string& programFolder = ProgramHostFolder());
std::string HostPathToWrite(const std::string& hostPath, const std::string& programFolder = ProgramHostFolder());
