// Stand-alone LZH unpacking timer (no benchmark library), for the Windows build under Wine:
//   i686-w64-mingw32-g++ -std=c++20 -O2 -static -Isrc tests/bench/skin/lzh_timing.cpp (continued)
//     build/w-NAME/src/skin/data/libnv_skin_data.a build/w-NAME/src/framework/libnv_framework_core.a
//   wine a.exe tests/data/lzh/reference-sample.lzh
// Prints the best of N runs in MB/s of output, beside memcpy of the same bytes.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "skin/data/lzh.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: lzh_timing PACKED_FILE [RUNS]\n");
    return 2;
  }
  int runs = argc > 2 ? std::atoi(argv[2]) : 100;
  auto packed = ReadFileBytes(argv[1]);
  int32_t n;
  std::memcpy(&n, packed.data(), 4);
  TMemoryStream in(packed), out;
  out.SetSize(n);
  using clock = std::chrono::steady_clock;
  double best = 1e9, bestCopy = 1e9;
  std::vector<uint8_t> copy(static_cast<size_t>(n));
  for (int i = 0; i < runs; ++i) {
    in.SetPosition(4);
    out.SetPosition(0);
    auto t0 = clock::now();
    TLZH().Unpack(in, out, n);
    auto t1 = clock::now();
    std::memcpy(copy.data(), out.Memory(), size_t(n));
    auto t2 = clock::now();
    best = std::min(best, std::chrono::duration<double>(t1 - t0).count());
    bestCopy = std::min(bestCopy, std::chrono::duration<double>(t2 - t1).count());
  }
  std::printf("unpack %d -> %d bytes: %.1f MB/s; memcpy %.1f MB/s (ratio 1/%.0f)\n", int(packed.size()), n,
              n / best / 1e6, n / bestCopy / 1e6, best / bestCopy);
  return 0;
}
