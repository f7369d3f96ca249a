#include <gtest/gtest.h>

#include "framework/exception.h"
#include "skin/data/bmp_reader.h"
#include "skin_test_util.h"

using skin_test::Put32;

namespace {

// A BMP with the given header fields and raw pixel rows (as stored).
std::vector<uint8_t> Bmp(int w, int h, int bpp, uint32_t compression, const std::vector<uint8_t>& extra,
                         const std::vector<uint8_t>& rows, uint32_t colorsUsed = 0) {
  std::vector<uint8_t> b(54, 0);
  b[0] = 'B', b[1] = 'M';
  Put32(b, 10, uint32_t(54 + extra.size()));
  Put32(b, 14, 40);
  Put32(b, 18, uint32_t(w));
  Put32(b, 22, uint32_t(h));
  b[26] = 1, b[28] = uint8_t(bpp);
  Put32(b, 30, compression);
  Put32(b, 46, colorsUsed);
  b.insert(b.end(), extra.begin(), extra.end());
  b.insert(b.end(), rows.begin(), rows.end());
  Put32(b, 2, uint32_t(b.size()));
  return b;
}

TSkinBitmap Load(const std::vector<uint8_t>& b) { return LoadBitmapFromBytes(b.data(), b.size()); }

TEST(SkinBitmap, RowsStrideAndFormats) {
  TSkinBitmap b(3, 2);
  EXPECT_EQ(b.RowStride(), 12);
  EXPECT_EQ(b.ScanLine(1) - b.ScanLine(0), 12);
  b.SetPixel(2, 1, 0x112233);
  EXPECT_EQ(b.ScanLine(1)[6], 0x11);  // B, G, R
  EXPECT_EQ(b.ScanLine(1)[8], 0x33);
  EXPECT_EQ(b.Pixel(2, 1), 0x112233u);
  EXPECT_EQ(b.Pixel(3, 1), 0u);  // outside reads 0
  b.SetPixel(-1, 0, 5);          // ignored
  TSkinBitmap c = b.Clone();
  b.SetPixelFormat(pf32bit);
  EXPECT_EQ(b.RowStride(), 12);
  EXPECT_EQ(b.Pixel(2, 1), 0x112233u);
  EXPECT_EQ(b.ScanLine(1)[11], 0);  // alpha 0
  EXPECT_EQ(c.PixelFormat(), pf24bit);
  EXPECT_EQ(c.Pixel(2, 1), 0x112233u);
  TSkinBitmap moved = std::move(c);
  EXPECT_TRUE(c.Empty());
  EXPECT_EQ(moved.Width(), 3);
  EXPECT_THROW(TSkinBitmap(TSkinBitmap::kMaxSide + 1, 1), EInvalidGraphic);
}

TEST(BmpReader, BottomUpAndTopDown24) {
  auto bottomUp = skin_test::Bmp24(3, 2, [](int x, int y) { return uint32_t(x + 10 * y + 1); });
  auto a = Load(bottomUp);
  EXPECT_EQ(a.Pixel(0, 0), 1u);
  EXPECT_EQ(a.Pixel(2, 1), 13u);
  auto topDown = bottomUp;
  Put32(topDown, 22, uint32_t(-2));
  auto b = Load(topDown);
  EXPECT_EQ(b.Pixel(0, 0), 11u);  // same rows read the other way up
  EXPECT_EQ(b.PixelFormat(), pf24bit);
}

TEST(BmpReader, PaletteFormats) {
  std::vector<uint8_t> pal = {0, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0xFF, 0};  // BGRA
  // 1 bit: 10 pixels, row bytes 1011 0000 01..
  auto one = Load(Bmp(10, 1, 1, 0, {pal.begin(), pal.begin() + 8}, {0xB0, 0x40, 0, 0}, 2));
  EXPECT_EQ(one.Pixel(0, 0), 0xFF0000u);  // blue
  EXPECT_EQ(one.Pixel(1, 0), 0u);
  EXPECT_EQ(one.Pixel(9, 0), 0xFF0000u);
  auto four = Load(Bmp(3, 1, 4, 0, pal, {0x12, 0x30, 0, 0}, 4));
  EXPECT_EQ(four.Pixel(0, 0), 0xFF0000u);
  EXPECT_EQ(four.Pixel(1, 0), 0x00FF00u);
  EXPECT_EQ(four.Pixel(2, 0), 0x0000FFu);
  auto eight = Load(Bmp(2, 1, 8, 0, pal, {3, 0, 0, 0}, 4));
  EXPECT_EQ(eight.Pixel(0, 0), 0x0000FFu);
  EXPECT_EQ(eight.PixelFormat(), pf24bit);
}

TEST(BmpReader, SixteenBitDefaultsAndBitFields) {
  auto x555 = Load(Bmp(1, 1, 16, 0, {}, {0x00, 0x7C, 0, 0}));  // red 0x1F<<10
  EXPECT_EQ(x555.Pixel(0, 0), 0x0000FFu);
  std::vector<uint8_t> masks(12);
  Put32(masks, 0, 0xF800), Put32(masks, 4, 0x07E0), Put32(masks, 8, 0x001F);
  auto x565 = Load(Bmp(2, 1, 16, 3, masks, {0xE0, 0x07, 0x1F, 0x00}));
  EXPECT_EQ(x565.Pixel(0, 0), 0x00FF00u);
  EXPECT_EQ(x565.Pixel(1, 0), 0xFF0000u);
}

TEST(BmpReader, ThirtyTwoBitStaysThirtyTwo) {
  auto raw = Load(Bmp(1, 1, 32, 0, {}, {1, 2, 3, 4}));
  EXPECT_EQ(raw.PixelFormat(), pf32bit);
  EXPECT_EQ(raw.Pixel(0, 0), 0x010203u);
  EXPECT_EQ(raw.ScanLine(0)[3], 4);
  std::vector<uint8_t> masks(12);
  Put32(masks, 0, 0x000000FF), Put32(masks, 4, 0x0000FF00), Put32(masks, 8, 0x00FF0000);
  auto bf = Load(Bmp(1, 1, 32, 3, masks, {1, 2, 3, 4}));  // red in the low byte
  EXPECT_EQ(bf.Pixel(0, 0), 0x030201u);
}

TEST(BmpReader, RefusesWhatItCannotRead) {
  auto good = skin_test::PlainBmp(4, 4);
  auto expectBad = [](std::vector<uint8_t> b, const char* why) {
    try {
      Load(b);
      ADD_FAILURE() << why;
    } catch (const EInvalidGraphic& e) {
      EXPECT_NE(e.Message().find("Invalid bitmap"), std::string::npos);
    }
  };
  expectBad({}, "empty");
  auto sig = good;
  sig[0] = 'X';
  expectBad(sig, "signature");
  auto cut = good;
  cut.resize(good.size() - 1);
  expectBad(cut, "truncated pixels");
  auto rle = good;
  Put32(rle, 30, 1);
  expectBad(rle, "RLE");
  auto png = good;
  Put32(png, 30, 5);
  expectBad(png, "PNG payload");
  auto huge = good;
  Put32(huge, 18, 0x7FFFFFFF);
  expectBad(huge, "huge width");
  auto bpp = good;
  bpp[28] = 7;
  expectBad(bpp, "odd bit count");
  auto zero = good;
  Put32(zero, 22, 0);
  expectBad(zero, "zero height");
}

}  // namespace

namespace {
// In the Windows build the rows are the bits of a DIB section GDI can draw directly.
TEST(SkinBitmap, DibSectionOnlyOnWindows) {
  TSkinBitmap b(5, 3, pf32bit);
#ifdef _WIN32
  ASSERT_NE(b.DibHandle(), nullptr);
  b.SetPixel(4, 2, 0x0000FF);
  EXPECT_EQ(b.ScanLine(2)[4 * 4 + 2], 0xFF);  // top-down rows: row 2 is the bottom one
#else
  EXPECT_EQ(b.DibHandle(), nullptr);
#endif
  EXPECT_EQ(TSkinBitmap().DibHandle(), nullptr);
}
}  // namespace
