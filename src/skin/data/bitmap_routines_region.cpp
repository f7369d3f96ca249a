// The run scan behind window regions made from pictures.
#include <algorithm>
#include <array>

#include "skin/data/bitmap_routines.h"

void ScanRegionRects(const TSkinBitmap& pic, int xOffset, int yOffset, int tolBlue,
                     int tolGreen, int tolRed, TColor key, const TRegionBatchSink& sink) {
  if (pic.Empty()) return;
  key = ResolveColor(key);
  // Per channel: is this value within the key's range.
  std::array<uint8_t, 256> inBlue{}, inGreen{}, inRed{};
  auto mark = [](std::array<uint8_t, 256>& table, int keyValue, int tolerance) {
    const long long hi = std::min<long long>(255, (long long)keyValue + tolerance);
    for (long long v = keyValue; v <= hi; ++v) table[size_t(v)] = 1;
  };
  mark(inBlue, (key >> 16) & 0xFF, tolBlue);
  mark(inGreen, (key >> 8) & 0xFF, tolGreen);
  mark(inRed, key & 0xFF, tolRed);

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
    const uint8_t* p = pic.ScanLine(y);
    auto isKey = [&] { return (inBlue[p[0]] & inGreen[p[1]] & inRed[p[2]]) != 0; };
    for (int x = 0; x < w;) {
      while (x < w && isKey()) ++x, p += bpp;
      if (x == w) break;
      const int start = x;
      while (x < w && !isKey()) ++x, p += bpp;
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
