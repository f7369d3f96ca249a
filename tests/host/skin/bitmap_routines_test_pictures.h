// Synthetic pictures for the drawing-routine tests: every pixel names where it came from.
#pragma once

#include <cstdint>

#include "skin/data/bitmap_routines.h"

// Pixel (x, y) of a coordinate picture has red x, green y and blue `tag`, so a composed
// pixel tells which source pixel it was copied from.
inline TSkinBitmap CoordPicture(int w, int h, int tag = 7, TPixelFormat pf = pf24bit) {
  TSkinBitmap b(w, h, pf);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, uint32_t(x | (y << 8) | (tag << 16)));
  return b;
}

struct TSrc {
  int x, y;
  bool operator==(const TSrc&) const = default;
};
inline TSrc SourceOf(const TSkinBitmap& b, int x, int y) {
  uint32_t p = b.Pixel(x, y);
  return {int(p & 0xFF), int((p >> 8) & 0xFF)};
}
inline std::ostream& operator<<(std::ostream& os, const TSrc& s) {
  return os << "(" << s.x << "," << s.y << ")";
}
