// Windows build: system colours come from the running system's colour table.
#include <windows.h>

#include "skin/data/system_colors.h"

std::uint32_t SystemColor(int index) { return GetSysColor(index); }
