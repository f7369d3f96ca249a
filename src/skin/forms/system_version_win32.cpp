#include "skin/forms/system_version_win32.h"

#include <utility>

namespace {
// GetVersion lies about newer systems unless the program says it knows them; we only tell
// the old systems apart, for which it answers truthfully.
DWORD SystemGetVersion() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  return GetVersion();
#pragma GCC diagnostic pop
}
TVersionFunction gVersion = &SystemGetVersion;
}  // namespace

TVersionFunction SetVersionFunction(TVersionFunction fn) {
  return std::exchange(gVersion, fn ? fn : &SystemGetVersion);
}

TSystemVersion ReadSystemVersion() {
  const DWORD v = gVersion();
  TSystemVersion s;
  s.Major = int(v & 0xFF);
  s.Minor = int((v >> 8) & 0xFF);
  s.Hybrid = (v & 0x80000000u) != 0;
  return s;
}
