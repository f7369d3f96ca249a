// Running the system's netsh and the two actions of the window. Windows only (the header is
// portable so that callers need not include <windows.h>).
#pragma once

#include <optional>
#include <string>

#include "netcfg/commands.h"
#include "profiles/profile.h"

struct HWND__;

// <system directory>\netsh.exe. netsh always runs from here, never through the search path,
// so that a netsh.exe beside the program or in the current folder cannot stand in for it.
std::string NetshPath();

// Runs netsh with `arguments`, hidden, its stdout and stderr captured, and waits without a
// time limit for it to end. The outcome is judged by the exit code alone (netsh's texts are
// localised); the text is kept to show to the user, converted to the ANSI code page.
TNetStepResult RunNetsh(TNetStep step, const std::string& arguments);

// Whether the connection of that name (as the system names it, letter case ignored) gets its
// address by DHCP; nullopt when this cannot be told (IP Helper library or function missing,
// no such connection).
std::optional<bool> IsDhcpEnabled(const std::string& connection);

// "设置": the address command, then (if it succeeded) the DNS command. The profile's fields
// are used as given (the window trims them). `owner` is the window on whose behalf netsh
// runs; process creation needs no owner window, so it may be null.
TNetResult ApplyProfile(HWND__* owner, const TIpProfile& profile);

// "自动获取IP": the fixed DHCP command. netsh answers non-zero when DHCP is on already; then
// the adapter's state is asked and the step counts as done when DHCP is indeed on.
TNetResult SwitchToDhcp(HWND__* owner);
