// The hash of a program's path that names what the daily start keeps for that program: the
// systemd units and the registrations' lock.
#pragma once

#include <string>

// FNV-1a of the whole path, as 16 hexadecimal digits. It tells programs of the same name
// apart. It must never change: the units and the lock of a start that an earlier run
// registered are found by it.
std::string ProgramPathHash(const std::string& programPath);
