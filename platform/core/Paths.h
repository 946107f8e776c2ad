// Paths in the handheld's form (backslashes, wide text) and their host equivalents.
#pragma once

#include <string>

#include "platform/core/Types.h"

// "\home\ann\solmira\slm.dat" -> "/home/ann/solmira/slm.dat", in the host's file-name encoding.
std::string HostPathFromDevicePath(LPCTSTR devicePath);
// The reverse: "/home/ann/solmira/solmira" -> "\home\ann\solmira\solmira".
std::wstring DevicePathFromHostPath(const std::string& hostPath);
