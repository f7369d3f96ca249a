// Frame location and the 9-grid, 3-part and stretched compositions, pixel by pixel.
#include <gtest/gtest.h>

#include <vector>

#include "skin/data/bitmap_routines.h"
#include "bitmap_routines_test_pictures.h"

namespace {
// Checks every pixel of a composition against separable column and row maps.
void ExpectMaps(const TSkinBitmap& b, const std::vector<int>& cols, const std::vector<int>& rows) {
  ASSERT_EQ(b.Width(), int(cols.size()));
  ASSERT_EQ(b.Height(), int(rows.size()));
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      ASSERT_EQ(SourceOf(b, x, y), (TSrc{cols[size_t(x)], rows[size_t(y)]})) << x << "," << y;
}
const TSkinRect kMargins2{2, 2, 2, 2};
}  // namespace

TEST(FrameRect, SideBySideAndStackedFramesTruncate) {
  EXPECT_EQ(FrameRect(20, 7, false, 3, 1), (TSkinRect{0, 0, 6, 7}));
  EXPECT_EQ(FrameRect(20, 7, false, 3, 3), (TSkinRect{12, 0, 18, 7}));
  EXPECT_EQ(FrameRect(7, 10, true, 3, 2), (TSkinRect{0, 3, 7, 6}));
  // Out-of-range frames and counts stay inside the picture.
  EXPECT_EQ(FrameRect(20, 7, false, 3, 9), (TSkinRect{12, 0, 18, 7}));
  EXPECT_EQ(FrameRect(20, 7, false, 3, 0), (TSkinRect{0, 0, 6, 7}));
  EXPECT_EQ(FrameRect(20, 7, false, 0, 1), (TSkinRect{0, 0, 20, 7}));
  EXPECT_EQ(FrameRect(2, 7, false, 3, 2), (TSkinRect{0, 0, 0, 7}));  // frames of no width
}

TEST(BuildFramePiece, StretchPutsCornersEdgesAndCentreOfFrameK) {
  // Three 6x6 frames side by side; frame 2 spans x 6..11.
  TSkinBitmap pic = CoordPicture(18, 6);
  TSkinBitmap p = BuildFramePiece({0, 0, 10, 9}, pic, kMargins2, false, false, 3, 2);
  ExpectMaps(p, {6, 7, 8, 8, 8, 9, 9, 9, 10, 11}, {0, 1, 2, 2, 2, 3, 3, 4, 5});
  // The target's position does not matter, only its size.
  TSkinBitmap q = BuildFramePiece({100, 50, 110, 59}, pic, kMargins2, false, false, 3, 2);
  ExpectMaps(q, {6, 7, 8, 8, 8, 9, 9, 9, 10, 11}, {0, 1, 2, 2, 2, 3, 3, 4, 5});
}

TEST(BuildFramePiece, TileRepeatsTheCentreButStretchesTheEdges) {
  TSkinBitmap pic = CoordPicture(18, 6);
  TSkinBitmap p = BuildFramePiece({0, 0, 10, 9}, pic, kMargins2, false, true, 3, 2);
  const std::vector<int> cols{6, 7, 8, 8, 8, 9, 9, 9, 10, 11}, rows{0, 1, 2, 2, 2, 3, 3, 4, 5};
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 10; ++x) {
      bool centre = x >= 2 && x < 8 && y >= 2 && y < 7;
      TSrc want = centre ? TSrc{8 + (x - 2) % 2, 2 + (y - 2) % 2} : TSrc{cols[size_t(x)], rows[size_t(y)]};
      ASSERT_EQ(SourceOf(p, x, y), want) << x << "," << y;
    }
}

TEST(BuildFramePiece, StackedFrames) {
  // Three 6x6 frames stacked; frame 3 spans y 12..17.
  TSkinBitmap pic = CoordPicture(6, 18);
  ExpectMaps(BuildFramePiece({0, 0, 6, 6}, pic, kMargins2, true, false, 3, 3),
             {0, 1, 2, 3, 4, 5}, {12, 13, 14, 15, 16, 17});
  ExpectMaps(BuildFramePiece({0, 0, 6, 12}, pic, {1, 1, 1, 1}, true, false, 3, 3),
             {0, 1, 2, 3, 4, 5}, {12, 13, 13, 13, 14, 14, 15, 15, 15, 16, 16, 17});
}

TEST(BuildFramePiece, TargetsSmallerThanTheMarginsDropThem) {
  TSkinBitmap pic = CoordPicture(18, 6);
  // 5 < 4 + 4: the side margins go and the whole frame width is stretched; top and
  // bottom (1 + 1 <= 6) stay.
  ExpectMaps(BuildFramePiece({0, 0, 5, 6}, pic, {4, 1, 4, 1}, false, false, 3, 1),
             {0, 1, 3, 4, 5}, {0, 1, 2, 3, 4, 5});
  ExpectMaps(BuildFramePiece({0, 0, 6, 1}, pic, {0, 1, 0, 1}, false, false, 3, 1),
             {0, 1, 2, 3, 4, 5}, {0});
}

TEST(BuildFramePiece, MarginsWiderThanTheFrameNeverReadTheNextFrame) {
  TSkinBitmap pic = CoordPicture(18, 6);
  TSkinBitmap p = BuildFramePiece({0, 0, 12, 6}, pic, {4, 0, 4, 0}, false, false, 3, 2);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(SourceOf(p, x, 3), (TSrc{6 + x, 3}));
  for (int x = 8; x < 12; ++x) EXPECT_EQ(SourceOf(p, x, 3), (TSrc{x, 3}));
  for (int x = 4; x < 8; ++x) EXPECT_EQ(p.Pixel(x, 3), 0u);  // no centre to draw
}

TEST(BuildFramePiece, InvertedOrEmptyInputsGiveEmptyPictures) {
  TSkinBitmap pic = CoordPicture(18, 6);
  EXPECT_TRUE(BuildFramePiece({10, 0, 5, 6}, pic, kMargins2, false, false, 3, 1).Empty());
  EXPECT_TRUE(BuildFramePiece({0, 6, 5, 0}, pic, kMargins2, false, false, 3, 1).Empty());
  EXPECT_TRUE(BuildFramePiece({0, 0, 0, 6}, pic, kMargins2, false, false, 3, 1).Empty());
  EXPECT_TRUE(BuildFramePiece({0, 0, 5, 6}, TSkinBitmap(), kMargins2, false, false, 3, 1).Empty());
  EXPECT_TRUE(BuildHorzPiece({3, 0, 2, 6}, pic, false, 3, 1, kMargins2).Empty());
  EXPECT_TRUE(BuildThreePart({0, 3, 2, 2}, pic, false, 3, 1, kMargins2).Empty());
  EXPECT_TRUE(BuildStretchedFrame({0, 0, -1, 2}, pic, 3, 1).Empty());
}

TEST(BuildFramePiece, ThirtyTwoBitPicturesComposeLikeTwentyFourBitOnes) {
  TSkinBitmap p24 = BuildFramePiece({0, 0, 13, 11}, CoordPicture(18, 6), kMargins2, false, false, 3, 2);
  TSkinBitmap p32 = BuildFramePiece({0, 0, 13, 11}, CoordPicture(18, 6, 7, pf32bit), kMargins2,
                                    false, true, 3, 2);
  TSkinBitmap t24 = BuildFramePiece({0, 0, 13, 11}, CoordPicture(18, 6), kMargins2, false, true, 3, 2);
  TSkinBitmap s32 = BuildFramePiece({0, 0, 13, 11}, CoordPicture(18, 6, 7, pf32bit), kMargins2,
                                    false, false, 3, 2);
  EXPECT_EQ(p32.PixelFormat(), pf32bit);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 13; ++x) {
      ASSERT_EQ(s32.Pixel(x, y), p24.Pixel(x, y));
      ASSERT_EQ(p32.Pixel(x, y), t24.Pixel(x, y));
    }
}

TEST(BuildHorzPiece, CapsAndRepeatedMiddleAtFullHeight) {
  TSkinBitmap pic = CoordPicture(8, 2);
  // Middle 2..5 repeated from x = 2 while x < 11; the right cap covers the overflow.
  ExpectMaps(BuildHorzPiece({0, 0, 13, 4}, pic, false, 1, 1, {2, 0, 2, 0}),
             {0, 1, 2, 3, 4, 5, 2, 3, 4, 5, 2, 6, 7}, {0, 0, 1, 1});
  // Too narrow for both caps: the right cap is drawn over the left one.
  ExpectMaps(BuildHorzPiece({0, 0, 3, 2}, pic, false, 1, 1, {2, 0, 2, 0}), {0, 6, 7}, {0, 1});
  // Caps that leave no middle: the frame is stretched whole.
  ExpectMaps(BuildHorzPiece({0, 0, 4, 2}, pic, false, 1, 1, {4, 0, 4, 0}), {1, 3, 5, 7}, {0, 1});
}

TEST(BuildThreePart, StretchesTheMiddleOrTheWholeFrame) {
  TSkinBitmap pic = CoordPicture(16, 2);  // two 8x2 frames; frame 2 spans x 8..15
  ExpectMaps(BuildThreePart({0, 0, 12, 4}, pic, false, 2, 2, {2, 0, 3, 0}),
             {8, 9, 10, 10, 11, 11, 11, 12, 12, 13, 14, 15}, {0, 0, 1, 1});
  ExpectMaps(BuildThreePart({0, 0, 6, 1}, pic, false, 2, 2, {2, 0, 3, 0}),
             {8, 10, 11, 12, 14, 15}, {0});
}

// Enlarging samples pixel centres (halves going down); shrinking keeps the last pixel of each
// span across and the nearest span start down, as GDI's colour-on-colour stretch does.
TEST(BuildStretchedFrame, NearestPixelOfFrameK) {
  ExpectMaps(BuildStretchedFrame({0, 0, 3, 3}, CoordPicture(18, 6), 3, 3), {13, 15, 17}, {0, 2, 4});
  ExpectMaps(BuildStretchedFrame({0, 0, 7, 3}, CoordPicture(4, 20), 1, 1), {0, 0, 1, 1, 2, 3, 3},
             {0, 7, 13});
  ExpectMaps(BuildStretchedFrame({0, 0, 9, 2}, CoordPicture(6, 2), 2, 1), {0, 0, 0, 1, 1, 1, 2, 2, 2},
             {0, 1});
}

TEST(StretchCopy, MappingFollowsTheUnclippedTarget) {
  TSkinBitmap src = CoordPicture(4, 1);
  TSkinBitmap dst(4, 1);
  StretchCopy(src, {0, 0, 4, 1}, dst, {-4, 0, 4, 1});
  ExpectMaps(dst, {2, 2, 3, 3}, {0});
  TSkinBitmap tiled(5, 1);
  TileCopy(src, {1, 0, 3, 1}, tiled, {-1, 0, 5, 1});
  ExpectMaps(tiled, {2, 1, 2, 1, 2}, {0});
}

TEST(KeyMaskBits, SetsBitsForExactKeyPixelsOnly) {
  TSkinBitmap pic(10, 2);
  pic.SetPixel(0, 0, uint32_t(kKeyColor));
  pic.SetPixel(8, 0, uint32_t(kKeyColor));
  pic.SetPixel(9, 0, uint32_t(kKeyColor));
  pic.SetPixel(1, 1, 0xFE00FF);
  pic.SetPixel(2, 1, uint32_t(kKeyColor));
  EXPECT_EQ(KeyMaskBits(pic, {0, 0, 10, 2}, kKeyColor, 2),
            (std::vector<uint8_t>{0x80, 0xC0, 0x20, 0x00}));
  EXPECT_EQ(KeyMaskBits(pic, {8, 0, 12, 2}, kKeyColor, 4),  // cut to the picture
            (std::vector<uint8_t>{0xC0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(KeyMaskBits(pic, {5, 0, 5, 2}, kKeyColor, 2).empty());
}

// The 24-bit fast paths (runs of repeated pixels, four-byte moves) against the plain 32-bit
// path, with marked pixels on both sides of the target that must survive.
TEST(StretchCopy, FastPathsAgreeWithThePlainPathAndStayInsideThePart) {
  for (int sw = 1; sw <= 9; ++sw)
    for (int dw = 1; dw <= 40; ++dw) {
      TSkinBitmap s24 = CoordPicture(sw + 2, 2), s32 = CoordPicture(sw + 2, 2, 7, pf32bit);
      TSkinBitmap d24(dw + 2, 3), d32(dw + 2, 3, pf32bit);
      for (int y = 0; y < 3; ++y) {
        d24.SetPixel(0, y, 0xABCDEF);
        d24.SetPixel(dw + 1, y, 0xABCDEF);
      }
      StretchCopy(s24, {1, 0, 1 + sw, 2}, d24, {1, 0, 1 + dw, 3});
      StretchCopy(s32, {1, 0, 1 + sw, 2}, d32, {1, 0, 1 + dw, 3});
      for (int y = 0; y < 3; ++y) {
        ASSERT_EQ(d24.Pixel(0, y), 0xABCDEFu);
        ASSERT_EQ(d24.Pixel(dw + 1, y), 0xABCDEFu) << sw << "->" << dw;
        for (int x = 1; x <= dw; ++x) ASSERT_EQ(d24.Pixel(x, y), d32.Pixel(x, y)) << sw << "->" << dw;
      }
    }
}

TEST(ComposeFramePiece, ReusedPicturesComeOutAsNewOnes) {
  TSkinBitmap pic = CoordPicture(18, 6);
  for (const TSkinRect& m : {TSkinRect{2, 2, 2, 2}, TSkinRect{4, 0, 4, 0}}) {
    TSkinBitmap fresh = BuildFramePiece({0, 0, 12, 6}, pic, m, false, false, 3, 2);
    TSkinBitmap reused(12, 6);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 12; ++x) reused.SetPixel(x, y, 0xFFFFFF);
    ComposeFramePiece(reused, pic, m, false, false, 3, 2);
    TSkinBitmap horz = BuildHorzPiece({0, 0, 12, 6}, pic, false, 3, 2, m);
    TSkinBitmap horzReused = fresh.Clone();
    ComposeHorzPiece(horzReused, pic, false, 3, 2, m);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 12; ++x) {
        ASSERT_EQ(reused.Pixel(x, y), fresh.Pixel(x, y)) << x << "," << y;
        ASSERT_EQ(horzReused.Pixel(x, y), horz.Pixel(x, y)) << x << "," << y;
      }
  }
}

// Margins, frame counts and frame numbers come from skin definitions: whatever they say, the
// compositions stay inside their pictures (the sanitizers watch the reads and writes) and
// give pictures of the target's size.
TEST(Compositions, SurviveArbitrarySkinValues) {
  uint32_t seed = 12345;
  auto next = [&](int lo, int hi) {
    seed = seed * 1103515245u + 12345u;
    return lo + int((seed >> 8) % uint32_t(hi - lo + 1));
  };
  const int odd[] = {-1000000, -7, -1, 0, 1, 2, 3, 5, 17, 64, 1000000};
  auto value = [&] { return next(0, 3) == 0 ? odd[next(0, 10)] : next(-2, 20); };
  for (int round = 0; round < 3000; ++round) {
    TSkinBitmap pic = CoordPicture(next(1, 24), next(1, 24), 7, next(0, 1) ? pf32bit : pf24bit);
    const TSkinRect target{0, 0, next(-2, 40), next(-2, 40)};
    const TSkinRect margins{value(), value(), value(), value()};
    const bool stacked = next(0, 1), tile = next(0, 1);
    const int count = value(), frame = value();
    const bool inverted = target.Inverted();
    for (const TSkinBitmap& b :
         {BuildFramePiece(target, pic, margins, stacked, tile, count, frame),
          BuildHorzPiece(target, pic, stacked, count, frame, margins),
          BuildThreePart(target, pic, stacked, count, frame, margins),
          BuildStretchedFrame(target, pic, count, frame)}) {
      if (inverted || target.Width() == 0 || target.Height() == 0) {
        ASSERT_TRUE(b.Empty());
      } else {
        ASSERT_EQ(b.Width(), target.Width());
        ASSERT_EQ(b.Height(), target.Height());
      }
    }
    ScanRegionRects(pic, value(), value(), value(), value(), value(), value(),
                    [](std::span<const TSkinRect>, const TSkinRect&) {});
    KeyMaskBits(pic, {value(), value(), value(), value()}, kKeyColor, value());
  }
}
