// Helpers shared by the skin data tests: BMP images and archives built in memory.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "framework/streams.h"

namespace skin_test {

inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }
inline void Append32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

// A 24-bit bottom-up BMP whose pixel (x, y) (y = 0 top) is fn(x, y) as 0x00BBGGRR.
template <class Fn>
std::vector<uint8_t> Bmp24(int w, int h, Fn fn) {
  int stride = (w * 3 + 3) & ~3;
  std::vector<uint8_t> b(54 + size_t(stride) * h, 0);
  b[0] = 'B', b[1] = 'M';
  Put32(b, 2, uint32_t(b.size()));
  Put32(b, 10, 54);
  Put32(b, 14, 40);
  Put32(b, 18, uint32_t(w));
  Put32(b, 22, uint32_t(h));
  b[26] = 1, b[28] = 24;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t c = fn(x, y);
      uint8_t* p = &b[54 + size_t(h - 1 - y) * stride + size_t(x) * 3];
      p[0] = uint8_t(c >> 16), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c);
    }
  return b;
}
inline std::vector<uint8_t> PlainBmp(int w, int h) {
  return Bmp24(w, h, [](int x, int y) { return uint32_t(x * 7 + y * 13) & 0xFFFFFF; });
}

// An unpacked archive with the given version and raw name list.
inline std::vector<uint8_t> RawArchive(const std::string& list, const std::vector<int32_t>& sizes,
                                       const std::vector<uint8_t>& data, int32_t version = 20000) {
  std::vector<uint8_t> a;
  Append32(a, uint32_t(version));
  Append32(a, uint32_t(list.size()));
  Append32(a, 0);
  Append32(a, 0);
  a.insert(a.end(), list.begin(), list.end());
  for (int32_t s : sizes) Append32(a, uint32_t(s));
  a.insert(a.end(), data.begin(), data.end());
  return a;
}

inline std::string SourceDir() { return NV_SOURCE_DIR; }
inline std::string BinaryDir() { return NV_BINARY_DIR; }

}  // namespace skin_test
