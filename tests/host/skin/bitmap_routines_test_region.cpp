// The run scan behind window regions: runs, tolerances, offsets and 2,000-rectangle blocks.
#include <gtest/gtest.h>

#include <vector>

#include "skin/data/bitmap_routines.h"

namespace {
struct TScan {
  std::vector<TSkinRect> rects;
  std::vector<size_t> batchSizes;
  std::vector<TSkinRect> bounds;
};
TScan Scan(const TSkinBitmap& pic, int xo = 0, int yo = 0, int tb = 0, int tg = 0, int tr = 0,
           TColor key = kKeyColor) {
  TScan s;
  ScanRegionRects(pic, xo, yo, tb, tg, tr, key, [&](std::span<const TSkinRect> r, const TSkinRect& b) {
    s.rects.insert(s.rects.end(), r.begin(), r.end());
    s.batchSizes.push_back(r.size());
    s.bounds.push_back(b);
  });
  return s;
}
TSkinBitmap Filled(int w, int h, uint32_t c, TPixelFormat pf = pf24bit) {
  TSkinBitmap b(w, h, pf);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, c);
  return b;
}
}  // namespace

TEST(RegionScan, NoKeyPixelsCoverThePictureAndOnlyKeyPixelsNothing) {
  TScan all = Scan(Filled(5, 3, 0x123456));
  EXPECT_EQ(all.rects, (std::vector<TSkinRect>{{0, 0, 5, 1}, {0, 1, 5, 2}, {0, 2, 5, 3}}));
  EXPECT_EQ(all.bounds, (std::vector<TSkinRect>{{0, 0, 5, 3}}));
  EXPECT_TRUE(Scan(Filled(5, 3, uint32_t(kKeyColor))).rects.empty());
  EXPECT_TRUE(Scan(Filled(5, 3, uint32_t(kKeyColor), pf32bit)).batchSizes.empty());
  EXPECT_TRUE(Scan(TSkinBitmap()).rects.empty());
}

TEST(RegionScan, RunsBetweenKeyPixelsWithOffsets) {
  TSkinBitmap b = Filled(6, 2, uint32_t(kKeyColor), pf32bit);
  b.SetPixel(1, 0, 0);
  b.SetPixel(2, 0, 0);
  b.SetPixel(5, 0, 0);
  b.SetPixel(0, 1, 0);
  TScan s = Scan(b, 10, -3);
  EXPECT_EQ(s.rects, (std::vector<TSkinRect>{{11, -3, 13, -2}, {15, -3, 16, -2}, {10, -2, 11, -1}}));
  EXPECT_EQ(s.bounds, (std::vector<TSkinRect>{{10, -3, 16, -1}}));
}

TEST(RegionScan, TolerancesWidenTheKeyUpwardsPerChannel) {
  const TColor key = 10 | (20 << 8) | (30 << 16);
  TSkinBitmap b(6, 1);
  b.SetPixel(0, 0, uint32_t(key));                       // the key
  b.SetPixel(1, 0, uint32_t(13 | (20 << 8) | (30 << 16)));  // red +3
  b.SetPixel(2, 0, uint32_t(10 | (25 << 8) | (30 << 16)));  // green +5
  b.SetPixel(3, 0, uint32_t(10 | (20 << 8) | (31 << 16)));  // blue +1
  b.SetPixel(4, 0, uint32_t(9 | (20 << 8) | (30 << 16)));   // red -1: never key
  b.SetPixel(5, 0, uint32_t(key));
  auto xs = [](const TScan& s) {
    std::vector<int> v;
    for (const TSkinRect& r : s.rects)
      for (int x = r.Left; x < r.Right; ++x) v.push_back(x);
    return v;
  };
  EXPECT_EQ(xs(Scan(b, 0, 0, 0, 0, 0, key)), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(xs(Scan(b, 0, 0, 1, 5, 3, key)), (std::vector<int>{4}));
  EXPECT_EQ(xs(Scan(b, 0, 0, 0, 4, 3, key)), (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(xs(Scan(b, 0, 0, 255, 255, 255, key)), (std::vector<int>{4}));
  EXPECT_EQ(xs(Scan(b, 0, 0, -1, 0, 0, key)), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  // A key near 255 with a large tolerance stops at 255.
  TSkinBitmap white(2, 1);
  white.SetPixel(0, 0, 0xFFFFFF);
  white.SetPixel(1, 0, 0xFAFAFA);
  EXPECT_EQ(xs(Scan(white, 0, 0, 100, 100, 100, 0xFFFFFF)), (std::vector<int>{1}));
  EXPECT_EQ(xs(Scan(white, 0, 0, 100, 100, 100, 0xF0F0F0)), (std::vector<int>{}));
}

TEST(RegionScan, ManyRunsArriveInBlocksOfTwoThousand) {
  // Every other pixel is a key pixel: 1,501 runs per row, 3,002 in all.
  TSkinBitmap b(3001, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 1; x < 3001; x += 2) b.SetPixel(x, y, uint32_t(kKeyColor));
  TScan s = Scan(b, 0, 5);
  ASSERT_EQ(s.batchSizes, (std::vector<size_t>{2000, 1002}));
  EXPECT_EQ(s.rects[1500], (TSkinRect{3000, 5, 3001, 6}));
  EXPECT_EQ(s.rects[1501], (TSkinRect{0, 6, 1, 7}));
  EXPECT_EQ(s.rects[1999], (TSkinRect{996, 6, 997, 7}));
  EXPECT_EQ(s.rects[2000], (TSkinRect{998, 6, 999, 7}));
  EXPECT_EQ(s.bounds[0], (TSkinRect{0, 5, 3001, 7}));
  EXPECT_EQ(s.bounds[1], (TSkinRect{998, 6, 3001, 7}));
}
