// Installs the stand-in netsh.exe where the system's netsh lives in this Wine prefix and
// reads what it recorded.
#pragma once

#include <string>
#include <vector>

namespace nvdrv {

// Copies the build's stand-in over <system directory>\netsh.exe; error text on failure.
// Wine only runs it when WINEDLLOVERRIDES holds "netsh.exe=n" (set by the test's ctest
// environment: a process cannot change that for its children).
bool InstallNetshStandIn(std::string* error);
// True when this process's WINEDLLOVERRIDES asks for the native netsh.exe.
bool NetshOverrideSet();
// Lines the stand-in appended to `logPath` (without line ends); empty when there is no log.
std::vector<std::string> ReadNetshLog(const std::string& logPath);

}  // namespace nvdrv
