// Paths in the handheld's form (backslashes, wide text) and their host equivalents, and a
// host path's folder and name. The
// device form carries every host path without loss, so that the program's own rule ("the
// folder is the path up to the last backslash") holds for any folder name:
//   - a backslash in a host name becomes U+F05C, a character that is no separator;
//   - a byte that is not part of well-formed UTF-8 becomes U+DC80 to U+DCFF, and a host
//     character that would read back as one of these escapes is kept as its bytes.
#pragma once

#include <string>

#include "platform/core/Types.h"

// "\home\ann\solmira\slm.dat" -> "/home/ann/solmira/slm.dat", in the host's file-name encoding.
std::string HostPathFromDevicePath(LPCTSTR devicePath);
// The reverse: "/home/ann/solmira/solmira" -> "\home\ann\solmira\solmira".
std::wstring DevicePathFromHostPath(const std::string& hostPath);

// The folder of a host path, up to its last slash: "/a/b" -> "/a", "/b" -> "/"; empty for
// a bare name, which a caller that opens the folder takes as the working folder itself.
std::string FolderOf(const std::string& hostPath);
// The name after the last slash: "/a/b" -> "b", "b" -> "b".
std::string NameOf(const std::string& hostPath);
