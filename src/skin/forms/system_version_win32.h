// The operating-system version the skinned windows go by, read through a function that
// tests replace, so that the branches for other systems run here too (Wine reports 6.1).
#pragma once

#include <windows.h>

struct TSystemVersion {
  int Major = 0;
  int Minor = 0;
  // A 16/32-bit hybrid system (the top bit of GetVersion's answer).
  bool Hybrid = false;
};

// GetVersion's form of the answer: major version in the low byte, minor in the next.
using TVersionFunction = DWORD (*)();
// Null restores GetVersion. Returns the previous function.
TVersionFunction SetVersionFunction(TVersionFunction fn);
TSystemVersion ReadSystemVersion();
