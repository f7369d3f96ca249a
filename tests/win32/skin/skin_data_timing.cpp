// Windows-side timing, run by hand under Wine (not a test):
//   scripts/wine-run build/win32/tests/win32/skin/skin_data_timing.exe [SkinStream file]
// From a layout's SkinStream bytes to a built skin (unpack, definition, skin objects and the
// derived pictures, in DIB sections), as reading the main window's layout does it. The
// default file is the program's own packed skin of the build tree. Prints the median and
// the fastest of 31 builds in microseconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "skin/data/skin_data.h"
#include "win32/test_files.h"

namespace {
double Now() {
  LARGE_INTEGER c, f;
  QueryPerformanceCounter(&c);
  QueryPerformanceFrequency(&f);
  return double(c.QuadPart) * 1e6 / double(f.QuadPart);
}
}  // namespace

int main(int argc, char** argv) {
  std::string path = argc > 1 ? argv[1] : std::string("Z:") + NV_BINARY_DIR + "/src/app/netvosk-skin.stream";
  std::string bytes = ReadBytes(path);
  if (bytes.size() < 4) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return 1;
  }
  std::vector<uint8_t> stream(bytes.begin(), bytes.end());
  std::vector<double> times;
  for (int i = 0; i < 31; ++i) {
    double t0 = Now();
    TSkinData data(nullptr);
    data.SetSkinStream(stream);
    double t1 = Now();
    if (!data.SkinLoaded()) {
      std::fprintf(stderr, "the skin did not load\n");
      return 1;
    }
    times.push_back(t1 - t0);
  }
  std::sort(times.begin(), times.end());
  std::printf("SkinStream of %zu bytes to a built skin: median %.0f us, fastest %.0f us (31 builds)\n",
              stream.size(), times[times.size() / 2], times.front());
  return 0;
}
