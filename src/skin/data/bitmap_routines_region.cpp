// The run scan behind window regions made from pictures.
#include <algorithm>
#include <array>

#include "skin/data/bitmap_routines.h"

void ScanRegionRects(const TSkinBitmap& pic, int xOffset, int yOffset, int tolBlue,
                     int tolGreen, int tolRed, TColor key, const TRegionBatchSink& sink) {
  if (pic.Empty()) return;
  key = ResolveColor(key);
  // One table answers "is this value within the key range" for all three channels at once:
  // bit 0 blue, bit 1 green, bit 2 red.
  std::array<uint8_t, 256> inKey{};
  auto mark = [&](int keyValue, int tolerance, uint8_t bit) {
    const long long hi = std::min<long long>(255, (long long)keyValue + tolerance);
    for (long long v = keyValue; v <= hi; ++v) inKey[size_t(v)] |= bit;
  };
  mark((key >> 16) & 0xFF, tolBlue, 1);
  mark((key >> 8) & 0xFF, tolGreen, 2);
  mark(key & 0xFF, tolRed, 4);

  const int w = pic.Width(), bpp = pic.BytesPerPixel();
  std::vector<TSkinRect> rects;
  rects.reserve(kRegionBatch);
  TSkinRect bounds;
  auto flush = [&] {
    if (rects.empty()) return;
    sink(std::span<const TSkinRect>(rects), bounds);
    rects.clear();
  };
  for (int y = 0; y < pic.Height(); ++y) {
    const uint8_t* row = pic.ScanLine(y);
    auto isKey = [&](int x) {
      const uint8_t* p = row + size_t(x) * bpp;
      return (inKey[p[0]] & 1) + (inKey[p[1]] & 2) + (inKey[p[2]] & 4) == 7;
    };
    for (int x = 0; x < w;) {
      while (x < w && isKey(x)) ++x;
      if (x == w) break;
      const int start = x;
      while (x < w && !isKey(x)) ++x;
      TSkinRect r{start + xOffset, y + yOffset, x + xOffset, y + yOffset + 1};
      if (rects.empty()) {
        bounds = r;
      } else {
        bounds.Left = std::min(bounds.Left, r.Left);
        bounds.Right = std::max(bounds.Right, r.Right);
        bounds.Bottom = r.Bottom;
      }
      rects.push_back(r);
      if (int(rects.size()) == kRegionBatch) flush();
    }
  }
  flush();
}
