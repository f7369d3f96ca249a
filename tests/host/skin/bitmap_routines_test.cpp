// Colour rules, gradient ramps and their cache, saturation and the pixel transforms.
#include <gtest/gtest.h>

#include <set>

#include "framework/exception.h"
#include "skin/data/bitmap_routines.h"
#include "bitmap_routines_test_pictures.h"

namespace {
constexpr TColor Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }
constexpr TColor kWhite = Rgb(255, 255, 255);
constexpr TColor kBlack = 0;
constexpr TColor SysColor(int index) { return TColor(0x80000000u | unsigned(index)); }

std::vector<TColor> Ramp(int n, TColor c1, TColor c2) {
  auto s = GradientColors(GradientRamp(n, c1, c2));
  return {s.begin(), s.end()};
}
std::vector<TColor> Greys(std::initializer_list<int> v) {
  std::vector<TColor> out;
  for (int g : v) out.push_back(Rgb(g, g, g));
  return out;
}
}  // namespace

TEST(MixColors, WeightsArePercentBelowHundredAndPerMilleFromHundred) {
  EXPECT_EQ(MixColors(kWhite, kBlack, 50), Rgb(128, 128, 128));
  EXPECT_EQ(MixColors(Rgb(200, 100, 10), kBlack, 45), Rgb(90, 45, 5));    // 45 %
  EXPECT_EQ(MixColors(Rgb(200, 100, 10), kBlack, 150), Rgb(30, 15, 2));   // 15 %
  EXPECT_EQ(MixColors(Rgb(200, 100, 10), kBlack, 100), Rgb(20, 10, 1));   // 10 %, not 100 %
  EXPECT_EQ(MixColors(kBlack, Rgb(200, 100, 10), 999), Rgb(0, 0, 0));     // 0.1 % of 200 rounds to 0
  EXPECT_EQ(MixColors(Rgb(10, 20, 30), Rgb(210, 220, 230), 0), Rgb(210, 220, 230));
  for (int w : {0, 1, 50, 99, 100, 500, 1000})
    EXPECT_EQ(MixColors(Rgb(17, 99, 254), Rgb(17, 99, 254), w), Rgb(17, 99, 254)) << w;
}

TEST(MixColors, WeightsOutsideTheScaleSaturateInsteadOfWrapping) {
  EXPECT_EQ(MixColors(kWhite, kBlack, 2000), kWhite);
  EXPECT_EQ(MixColors(kWhite, kBlack, -50), kBlack);
}

TEST(MixColors, ResolvesSystemColours) {
  const TColor face = TColor(SystemColor(15));  // button face
  EXPECT_EQ(ResolveColor(SysColor(15)), face);
  EXPECT_EQ(ResolveColor(TColor(0xFF00000Fu)), face);  // any negative value: low byte counts
  const TColor half = Rgb(((face & 0xFF) + 1) / 2, (((face >> 8) & 0xFF) + 1) / 2,
                          (((face >> 16) & 0xFF) + 1) / 2);
  EXPECT_EQ(MixColors(SysColor(15), kBlack, 50), half);
  EXPECT_EQ(MixColors(kBlack, SysColor(15), 50), half);
  EXPECT_EQ(ResolveColor(SysColor(200)), 0);  // no such system colour
}

TEST(GradientRamp, ShortRampsRoundAsDocumented) {
  EXPECT_EQ(Ramp(1, kBlack, kWhite), Greys({127}));
  EXPECT_EQ(Ramp(2, kBlack, kWhite), Greys({0, 255}));
  EXPECT_EQ(Ramp(3, kBlack, kWhite), Greys({0, 128, 255}));
  // Descending ramps truncate toward zero, so they stop one step short of c2.
  EXPECT_EQ(Ramp(3, kWhite, kBlack), Greys({255, 128, 1}));
  EXPECT_EQ(Ramp(3, Rgb(10, 0, 200), Rgb(10, 100, 0)),
            (std::vector<TColor>{Rgb(10, 0, 200), Rgb(10, 50, 101), Rgb(10, 100, 1)}));
}

TEST(GradientRamp, LongRampsRiseOneStepPerLine) {
  std::vector<TColor> r = Ramp(256, kBlack, Rgb(255, 0, 0));
  ASSERT_EQ(r.size(), 256u);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(r[size_t(i)], Rgb(i, 0, 0)) << i;
  r = Ramp(342, Rgb(0, 0, 0), Rgb(0, 0, 255));
  EXPECT_EQ(r.front(), 0);
  EXPECT_EQ(r.back(), Rgb(0, 0, 255));
  for (size_t i = 1; i < r.size(); ++i) ASSERT_GE(r[i], r[i - 1]);
}

TEST(GradientRamp, CacheReturnsTheSameSlotAndWrapsAfterSixteen) {
  const TColor a1 = Rgb(1, 2, 3), a2 = Rgb(201, 202, 203);
  const int slot = GradientRamp(37, a1, a2);
  const std::vector<TColor> first = Ramp(37, a1, a2);
  EXPECT_EQ(GradientRamp(37, a1, a2), slot);
  std::set<int> used{slot};
  for (int i = 0; i < kGradientSlots - 1; ++i) used.insert(GradientRamp(37, a1, Rgb(i, 0, 0)));
  EXPECT_EQ(used.size(), size_t(kGradientSlots));  // fifteen misses fill the other slots
  EXPECT_EQ(GradientRamp(37, a1, a2), slot);         // the first ramp is still there
  EXPECT_EQ(GradientRamp(38, a1, a2), slot);         // the next miss takes its slot
  EXPECT_NE(GradientRamp(37, a1, a2), slot);         // so it is computed afresh...
  EXPECT_EQ(Ramp(37, a1, a2), first);                // ...with the same colours
}

TEST(GradientRamp, RejectsEmptyRamps) {
  EXPECT_THROW(GradientRamp(0, kBlack, kWhite), EAssertionFailed);
  EXPECT_THROW(GradientColors(kGradientSlots), EInvalidArgument);
}

TEST(GradientLines, OnlyLinesInsideTheClipSpan) {
  auto range = [](int start, int n, int c0, int c1) {
    TLineRange r = GradientLineRange(start, n, c0, c1);
    return std::pair(r.First, r.Last);
  };
  EXPECT_EQ(range(10, 20, 0, 100), std::pair(0, 19));
  EXPECT_EQ(range(10, 20, 15, 100), std::pair(5, 19));
  EXPECT_EQ(range(10, 20, 0, 12), std::pair(0, 1));
  EXPECT_EQ(range(10, 20, 14, 16), std::pair(4, 5));
  TLineRange none = GradientLineRange(10, 20, 40, 50);
  EXPECT_GT(none.First, none.Last);
}

TEST(FillGradient, PaintsLinesInsideTheBitmapOnly) {
  TSkinBitmap b(4, 5);
  FillGradient(b, {1, -1, 3, 2}, kBlack, true, kWhite);  // lines 0..2, line 0 off the bitmap
  EXPECT_EQ(b.Pixel(1, 0), 0x808080u);
  EXPECT_EQ(b.Pixel(2, 1), 0xFFFFFFu);
  EXPECT_EQ(b.Pixel(0, 0), 0u);
  EXPECT_EQ(b.Pixel(3, 1), 0u);
  EXPECT_EQ(b.Pixel(1, 2), 0u);
  TSkinBitmap h(3, 2, pf32bit);
  FillGradient(h, {0, 0, 3, 2}, Rgb(0, 0, 0), false, Rgb(0, 0, 255));
  EXPECT_EQ(h.Pixel(0, 1), 0u);
  EXPECT_EQ(h.Pixel(1, 1), uint32_t(Rgb(0, 0, 128)));
  EXPECT_EQ(h.Pixel(2, 0), uint32_t(Rgb(0, 0, 255)));
  FillGradient(h, {2, 0, 1, 2}, kWhite, false, kWhite);  // inverted: nothing
  EXPECT_EQ(h.Pixel(1, 1), uint32_t(Rgb(0, 0, 128)));
}

TEST(ColorSaturation, BrightColoursGetTheirSaturationDarkOnes200) {
  EXPECT_EQ(ColorSaturation(Rgb(255, 0, 0)), 255);
  EXPECT_EQ(ColorSaturation(Rgb(128, 128, 128)), 200);
  EXPECT_EQ(ColorSaturation(kWhite), 0);
  EXPECT_EQ(ColorSaturation(Rgb(100, 0, 0)), 200);
  EXPECT_EQ(ColorSaturation(kBlack), 200);
  EXPECT_EQ(ColorSaturation(Rgb(160, 80, 80)), 128);  // 127.5: half goes to the even 128
  EXPECT_EQ(ColorSaturation(Rgb(170, 169, 169)), 2);  // 1.5 -> 2
  EXPECT_EQ(ColorSaturation(Rgb(170, 167, 167)), 4);  // 4.5 -> 4
  EXPECT_EQ(ColorSaturation(Rgb(200, 150, 160)), 64);  // 63.75
}

TEST(PixelTransforms, MirrorFlipAndRotateMoveEveryPixel) {
  for (TPixelFormat pf : {pf24bit, pf32bit}) {
    TSkinBitmap m = CoordPicture(3, 2, 7, pf);
    MirrorBitmap(m);
    EXPECT_EQ(SourceOf(m, 0, 0), (TSrc{2, 0}));
    EXPECT_EQ(SourceOf(m, 1, 1), (TSrc{1, 1}));
    EXPECT_EQ(SourceOf(m, 2, 1), (TSrc{0, 1}));

    TSkinBitmap f = CoordPicture(2, 3, 7, pf);
    FlipBitmap(f);
    EXPECT_EQ(SourceOf(f, 1, 0), (TSrc{1, 2}));
    EXPECT_EQ(SourceOf(f, 0, 1), (TSrc{0, 1}));
    EXPECT_EQ(SourceOf(f, 0, 2), (TSrc{0, 0}));

    TSkinBitmap l = CoordPicture(3, 2, 7, pf);
    RotateLeft(l);  // the top-right corner comes to the top left
    ASSERT_EQ(l.Width(), 2);
    ASSERT_EQ(l.Height(), 3);
    EXPECT_EQ(l.PixelFormat(), pf);
    EXPECT_EQ(SourceOf(l, 0, 0), (TSrc{2, 0}));
    EXPECT_EQ(SourceOf(l, 1, 0), (TSrc{2, 1}));
    EXPECT_EQ(SourceOf(l, 0, 2), (TSrc{0, 0}));
    EXPECT_EQ(SourceOf(l, 1, 2), (TSrc{0, 1}));

    TSkinBitmap r = CoordPicture(3, 2, 7, pf);
    RotateRight(r);  // the bottom-left corner comes to the top left
    ASSERT_EQ(r.Width(), 2);
    EXPECT_EQ(SourceOf(r, 0, 0), (TSrc{0, 1}));
    EXPECT_EQ(SourceOf(r, 1, 0), (TSrc{0, 0}));
    EXPECT_EQ(SourceOf(r, 0, 2), (TSrc{2, 1}));
    RotateLeft(r);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) EXPECT_EQ(SourceOf(r, x, y), (TSrc{x, y}));
  }
  TSkinBitmap empty;
  RotateLeft(empty);
  MirrorBitmap(empty);
  EXPECT_TRUE(empty.Empty());
}

TEST(PixelTransforms, GrayAndKeyReplacementConvertTo24Bits) {
  TSkinBitmap g(2, 1, pf32bit);
  g.SetPixel(0, 0, uint32_t(Rgb(1, 2, 4)));
  g.SetPixel(1, 0, uint32_t(Rgb(255, 255, 254)));
  GrayBitmap(g);
  EXPECT_EQ(g.PixelFormat(), pf24bit);
  EXPECT_EQ(g.Pixel(0, 0), uint32_t(Rgb(2, 2, 2)));
  EXPECT_EQ(g.Pixel(1, 0), uint32_t(Rgb(254, 254, 254)));

  TSkinBitmap k(3, 1, pf32bit);
  k.SetPixel(0, 0, uint32_t(kKeyColor));
  k.SetPixel(1, 0, uint32_t(Rgb(254, 0, 255)));
  k.SetPixel(2, 0, uint32_t(Rgb(255, 1, 255)));
  ReplaceKeyColor(k, Rgb(1, 2, 3));
  EXPECT_EQ(k.PixelFormat(), pf24bit);
  EXPECT_EQ(k.Pixel(0, 0), uint32_t(Rgb(1, 2, 3)));
  EXPECT_EQ(k.Pixel(1, 0), uint32_t(Rgb(254, 0, 255)));
  EXPECT_EQ(k.Pixel(2, 0), uint32_t(Rgb(255, 1, 255)));
  ReplaceKeyColor(k, SysColor(15));
  EXPECT_EQ(k.Pixel(0, 0), uint32_t(Rgb(1, 2, 3)));  // no magenta left
}
