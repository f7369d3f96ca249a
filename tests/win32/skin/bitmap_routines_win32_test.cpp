// Device-context drawing under Wine: draw into memory DCs and real windows, read the pixels
// back, and hold GDI's stretching and masking against the portable compositions.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

#include "skin/data/bitmap_routines_win32.h"
#include "host/skin/bitmap_routines_test_pictures.h"

namespace {
constexpr uint32_t kMarker = 0x00C0FF;  // orange: "never drawn"
constexpr TColor Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

// A 32-bit target picture selected into a memory DC and filled with the marker colour.
class TTarget {
 public:
  TTarget(int w, int h) : bmp_(w, h, pf32bit), dc_(nullptr), sel_(dc_.Get(), HBITMAP(bmp_.DibHandle())) {
    Fill(kMarker);
  }
  HDC Dc() const { return dc_.Get(); }
  void Fill(uint32_t c) {
    for (int y = 0; y < bmp_.Height(); ++y)
      for (int x = 0; x < bmp_.Width(); ++x) bmp_.SetPixel(x, y, c);
  }
  uint32_t Pixel(int x, int y) {
    GdiFlush();
    return bmp_.Pixel(x, y);
  }
  const TSkinBitmap& Bitmap() {
    GdiFlush();
    return bmp_;
  }

 private:
  TSkinBitmap bmp_;
  TMemoryDC dc_;
  TSelectObject sel_;
};

// Pixels of `drawn` at (ox, oy) that differ from `want`; reports the first few.
int CountDifferences(TTarget& t, int ox, int oy, const TSkinBitmap& want, const char* what) {
  int diffs = 0;
  for (int y = 0; y < want.Height(); ++y)
    for (int x = 0; x < want.Width(); ++x)
      if (t.Pixel(ox + x, oy + y) != want.Pixel(x, y) && ++diffs <= 3) {
        TSrc got = SourceOf(t.Bitmap(), ox + x, oy + y), exp = SourceOf(want, x, y);
        std::printf("%s: (%d,%d) GDI took (%d,%d), portable (%d,%d)\n", what, x, y, got.x, got.y,
                    exp.x, exp.y);
      }
  return diffs;
}

// A picture with a magenta key in a known pattern: key where (x + y) % 3 == 0.
TSkinBitmap KeyedPicture(int w, int h) {
  TSkinBitmap b = CoordPicture(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if ((x + y) % 3 == 0) b.SetPixel(x, y, uint32_t(kKeyColor));
  return b;
}
}  // namespace

TEST(DrawTransparentWin32, KeyPixelsKeepTheDestinationWithBothMethods) {
  // Keys in every row, and keys in rows 1 and 2 only (plain rows are copied in bands).
  TSkinBitmap keyedRows = CoordPicture(7, 5);
  for (int x = 0; x < 7; x += 2) keyedRows.SetPixel(x, 1, uint32_t(kKeyColor));
  keyedRows.SetPixel(6, 2, uint32_t(kKeyColor));
  const TSkinBitmap everyRow = KeyedPicture(7, 5);
  for (const TSkinBitmap* pic : {&everyRow, static_cast<const TSkinBitmap*>(&keyedRows)})
  for (TTransparentMethod m :
       {TTransparentMethod::MaskBlt, TTransparentMethod::ThreeStep, TTransparentMethod::Auto}) {
    TTarget t(12, 10);
    ASSERT_TRUE(DrawTransparentPart(t.Dc(), 2, 3, 7, 5, *pic, 0, 0, kKeyColor, m));
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 12; ++x) {
        bool inside = x >= 2 && x < 9 && y >= 3 && y < 8;
        uint32_t p = inside ? pic->Pixel(x - 2, y - 3) : 0;
        uint32_t want = inside && p != uint32_t(kKeyColor) ? p : kMarker;
        ASSERT_EQ(t.Pixel(x, y), want) << int(m) << " at " << x << "," << y;
      }
    // The three-step method restores the DC's colours.
    EXPECT_EQ(GetBkColor(t.Dc()), RGB(255, 255, 255));  // a memory DC's default
    EXPECT_EQ(GetTextColor(t.Dc()), RGB(0, 0, 0));
  }
}

TEST(DrawTransparentWin32, RectIsCutToThePictureAndInvertedRectsDrawNothing) {
  TSkinBitmap pic = CoordPicture(3, 2);
  TTarget t(8, 8);
  DrawTransparent(t.Dc(), RECT{1, 1, 8, 8}, pic, kKeyColor);
  EXPECT_EQ(SourceOf(t.Bitmap(), 3, 2), (TSrc{2, 1}));
  EXPECT_EQ(t.Pixel(4, 2), kMarker);
  EXPECT_EQ(t.Pixel(3, 3), kMarker);
  TTarget u(8, 8);
  DrawTransparent(u.Dc(), RECT{5, 1, 1, 8}, pic, kKeyColor);
  DrawFramePiece(u.Dc(), RECT{0, 5, 8, 1}, pic, false, false, false, 1, 1, {});
  DrawFrameStretched(u.Dc(), RECT{8, 0, 0, 8}, pic, false, 1, 1);
  DrawFrameCentered(u.Dc(), RECT{8, 0, 0, 8}, pic, false, 1, 1);
  StretchThreePart(u.Dc(), RECT{8, 0, 0, 8}, pic, false, 1, 1, {});
  DrawHorzPiece(u.Dc(), RECT{8, 0, 0, 8}, pic, false, false, 1, 1, {});
  FillGradient(u.Dc(), RECT{8, 0, 0, 8}, 0, true, 0xFFFFFF);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(u.Pixel(x, y), kMarker);
}

TEST(FramePiecesWin32, OpaqueAndTransparentPiecesLandAtTheRect) {
  TSkinBitmap pic = KeyedPicture(18, 6);
  const TSkinRect margins{2, 2, 2, 2};
  TSkinBitmap want = BuildFramePiece({0, 0, 10, 9}, pic, margins, false, true, 3, 2);
  TTarget t(16, 14);
  DrawFramePiece(t.Dc(), RECT{3, 4, 13, 13}, pic, false, true, false, 3, 2, margins);
  EXPECT_EQ(CountDifferences(t, 3, 4, want, "opaque piece"), 0);
  EXPECT_EQ(t.Pixel(2, 4), kMarker);
  EXPECT_EQ(t.Pixel(13, 12), kMarker);

  TTarget tr(16, 14);
  DrawFramePiece(tr.Dc(), RECT{3, 4, 13, 13}, pic, false, true, true, 3, 2, margins);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 10; ++x) {
      uint32_t w = want.Pixel(x, y);
      ASSERT_EQ(tr.Pixel(3 + x, 4 + y), w == uint32_t(kKeyColor) ? kMarker : w) << x << "," << y;
    }

  TTarget h(16, 6);
  DrawHorzPiece(h.Dc(), RECT{1, 1, 14, 5}, CoordPicture(8, 2), false, false, 1, 1, {2, 0, 2, 0});
  EXPECT_EQ(CountDifferences(h, 1, 1, BuildHorzPiece({0, 0, 13, 4}, CoordPicture(8, 2), false, 1, 1, {2, 0, 2, 0}),
                             "horizontal piece"),
            0);
}

TEST(FramePiecesWin32, CentredFrameTruncatesTowardZero) {
  TSkinBitmap pic = CoordPicture(12, 4);  // two 6x4 frames
  TTarget t(12, 12);
  DrawFrameCentered(t.Dc(), RECT{2, 2, 11, 9}, pic, false, 2, 2);  // (9-6)/2 = 1, (7-4)/2 = 1
  EXPECT_EQ(SourceOf(t.Bitmap(), 3, 3), (TSrc{6, 0}));
  EXPECT_EQ(SourceOf(t.Bitmap(), 8, 6), (TSrc{11, 3}));
  EXPECT_EQ(t.Pixel(2, 3), kMarker);
  EXPECT_EQ(t.Pixel(9, 6), kMarker);
  TTarget s(12, 12);
  DrawFrameCentered(s.Dc(), RECT{5, 5, 8, 8}, pic, true, 2, 1);  // (3-6)/2 = -1, (3-4)/2 = 0
  EXPECT_EQ(SourceOf(s.Bitmap(), 4, 5), (TSrc{0, 0}));
  EXPECT_EQ(SourceOf(s.Bitmap(), 9, 8), (TSrc{5, 3}));
  EXPECT_EQ(s.Pixel(3, 5), kMarker);
}

// GDI's colour-on-colour StretchBlt against the portable nearest-pixel composition: the
// same pixels, enlarging and shrinking, except one-pixel-wide targets (below).
TEST(FramePiecesWin32, GdiStretchingMatchesThePortableComposition) {
  TSkinBitmap pic = CoordPicture(60, 20);  // three 20x20 frames
  const SIZE sizes[] = {{20, 20}, {47, 30}, {13, 7}, {200, 3}, {3, 100}, {59, 41}, {2, 1}};
  int total = 0;
  for (SIZE s : sizes) {
    TTarget t(s.cx + 2, s.cy + 2);
    DrawFrameStretched(t.Dc(), RECT{1, 1, 1 + s.cx, 1 + s.cy}, pic, false, 3, 2);
    total += CountDifferences(t, 1, 1, BuildStretchedFrame({0, 0, s.cx, s.cy}, pic, 3, 2), "stretched");
    TTarget k(s.cx, s.cy);
    StretchThreePart(k.Dc(), RECT{0, 0, s.cx, s.cy}, pic, false, 3, 3, {4, 0, 5, 0});
    total += CountDifferences(k, 0, 0, BuildThreePart({0, 0, s.cx, s.cy}, pic, false, 3, 3, {4, 0, 5, 0}),
                              "three-part");
  }
  EXPECT_EQ(total, 0);
}

// Known difference: shrinking a row to one pixel, Wine's GDI takes the frame's next-to-last
// column where the portable composition (like every wider shrink) takes the last.
TEST(FramePiecesWin32, OnePixelWideShrinkDiffersByOneColumnAtMost) {
  TSkinBitmap pic = CoordPicture(60, 20);
  TTarget t(1, 5);
  DrawFrameStretched(t.Dc(), RECT{0, 0, 1, 5}, pic, false, 3, 2);
  TSkinBitmap want = BuildStretchedFrame({0, 0, 1, 5}, pic, 3, 2);
  for (int y = 0; y < 5; ++y) {
    TSrc gdi = SourceOf(t.Bitmap(), 0, y), portable = SourceOf(want, 0, y);
    EXPECT_EQ(portable.x, 39);
    EXPECT_GE(gdi.x, 38);
    EXPECT_LE(gdi.x, 39);
    EXPECT_EQ(gdi.y, portable.y);
  }
}

TEST(DrawTransparentWin32, StretchedTransparentFrameKeepsTheKeyExact) {
  TSkinBitmap pic = KeyedPicture(10, 5);  // two 5x5 frames
  TTarget t(17, 11);
  DrawFrameStretched(t.Dc(), RECT{0, 0, 17, 11}, pic, true, 2, 2);
  TSkinBitmap want = BuildStretchedFrame({0, 0, 17, 11}, pic, 2, 2);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 17; ++x) {
      uint32_t w = want.Pixel(x, y);
      ASSERT_EQ(t.Pixel(x, y), w == uint32_t(kKeyColor) ? kMarker : w) << x << "," << y;
    }
}

TEST(FillGradientWin32, PaintsOnlyLinesInsideTheClipBox) {
  TTarget t(10, 20);
  IntersectClipRect(t.Dc(), 0, 5, 10, 8);
  FillGradient(t.Dc(), RECT{2, 2, 8, 12}, 0, true, Rgb(0, 0, 250));  // 10 lines: blue 0..250
  SelectClipRgn(t.Dc(), nullptr);
  std::span<const TColor> ramp = GradientColors(GradientRamp(10, 0, Rgb(0, 0, 250)));
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 10; ++x) {
      bool painted = x >= 2 && x < 8 && y >= 5 && y < 8;
      ASSERT_EQ(t.Pixel(x, y), painted ? uint32_t(ramp[size_t(y - 2)]) : kMarker) << x << "," << y;
    }
  TTarget h(12, 3);
  FillGradient(h.Dc(), RECT{1, 0, 11, 3}, 0, false, TColor(0x80000000u | COLOR_WINDOW));
  EXPECT_EQ(h.Pixel(1, 1), 0u);
  EXPECT_EQ(h.Pixel(10, 2), uint32_t(GetSysColor(COLOR_WINDOW)));
  EXPECT_EQ(h.Pixel(0, 1), kMarker);
}

TEST(ColoursWin32, SystemColoursComeFromTheSystem) {
  for (int i : {COLOR_BTNFACE, COLOR_WINDOW, COLOR_HIGHLIGHT, COLOR_BTNSHADOW})
    EXPECT_EQ(ResolveColor(TColor(0x80000000u | unsigned(i))), TColor(GetSysColor(i))) << i;
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(MixColors(TColor(0xFF000000u | COLOR_BTNFACE), 0xFFFFFF, 0),
            0xFFFFFF);
  EXPECT_EQ(MixColors(TColor(0xFF000000u | COLOR_BTNFACE), 0, 99),
            Rgb((GetRValue(face) * 99 + 50) / 100, (GetGValue(face) * 99 + 50) / 100,
                (GetBValue(face) * 99 + 50) / 100));
}

TEST(BitmapToRegionWin32, RegionsCoverTheNonKeyPixels) {
  TSkinBitmap pic(6, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) pic.SetPixel(x, y, uint32_t(x == 0 || y == 3 ? kKeyColor : 0x102030));
  TGdiRegion rgn = BitmapToRegion(pic, 100, 50, 0, 0, 0, kKeyColor);
  ASSERT_TRUE(rgn);
  RECT box;
  EXPECT_EQ(GetRgnBox(rgn.Get(), &box), SIMPLEREGION);
  EXPECT_EQ(box.left, 101);
  EXPECT_EQ(box.top, 50);
  EXPECT_EQ(box.right, 106);
  EXPECT_EQ(box.bottom, 53);

  TSkinBitmap keyOnly(5, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) keyOnly.SetPixel(x, y, uint32_t(kKeyColor));
  TGdiRegion none = BitmapToRegion(keyOnly, 0, 0, 0, 0, 0, kKeyColor);
  ASSERT_TRUE(none);
  EXPECT_EQ(GetRgnBox(none.Get(), &box), NULLREGION);

  TGdiRegion whole = BitmapToRegion(TSkinBitmap(7, 3), 0, 0, 0, 0, 0, kKeyColor);
  EXPECT_EQ(GetRgnBox(whole.Get(), &box), SIMPLEREGION);
  EXPECT_EQ(box.right, 7);
  EXPECT_EQ(box.bottom, 3);
}

TEST(BitmapToRegionWin32, ThousandsOfRunsAreUnitedBlockByBlock) {
  // A checkerboard of 301 x 30: 4,515 one-pixel runs, three blocks.
  TSkinBitmap pic(301, 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 301; ++x)
      if ((x + y) % 2) pic.SetPixel(x, y, uint32_t(kKeyColor));
  TGdiRegion rgn = BitmapToRegion(pic, -10, 5, 0, 0, 0, kKeyColor);
  ASSERT_TRUE(rgn);
  int inside = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 301; ++x) {
      bool want = (x + y) % 2 == 0;
      ASSERT_EQ(bool(PtInRegion(rgn.Get(), x - 10, y + 5)), want) << x << "," << y;
      inside += want;
    }
  EXPECT_EQ(inside, 4515);
  EXPECT_EQ(GetRegionData(rgn.Get(), 0, nullptr) - sizeof(RGNDATAHEADER), 4515 * sizeof(RECT));
}

// ---- Parent background under a transparent child, in real windows ----

namespace {
constexpr COLORREF kParentBack = RGB(0, 128, 0);
constexpr COLORREF kParentMark = RGB(200, 0, 0);

// Paints its background green and a red square at (50, 50)-(60, 60), also into a DC given
// in WM_PAINT's wParam, as framework windows do.
LRESULT CALLBACK ParentProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = wp ? HDC(wp) : BeginPaint(w, &ps);
    TGdiBrush red(CreateSolidBrush(kParentMark));
    RECT r{50, 50, 60, 60};
    FillRect(dc, &r, red.Get());
    if (!wp) EndPaint(w, &ps);
    return 0;
  }
  return DefWindowProcA(w, msg, wp, lp);
}

TSkinBitmap* childPicture = nullptr;

// Paints the parent under itself, then its picture with magenta transparent.
LRESULT CALLBACK ChildProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) return 1;
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    PaintParentBackground(w, dc);
    if (childPicture) DrawTransparent(dc, RECT{0, 0, 30, 30}, *childPicture, kKeyColor);
    EndPaint(w, &ps);
    return 0;
  }
  return DefWindowProcA(w, msg, wp, lp);
}

struct TWindows {
  HWND parent = nullptr, child = nullptr;
  TGdiBrush back{CreateSolidBrush(kParentBack)};
  TWindows() {
    WNDCLASSA pc{};
    pc.lpfnWndProc = ParentProc;
    pc.hInstance = GetModuleHandleA(nullptr);
    pc.hbrBackground = back.Get();
    pc.lpszClassName = "NvDrawTestParent";
    RegisterClassA(&pc);
    WNDCLASSA cc{};
    cc.lpfnWndProc = ChildProc;
    cc.hInstance = pc.hInstance;
    cc.lpszClassName = "NvDrawTestChild";
    RegisterClassA(&cc);
    parent = CreateWindowExA(0, "NvDrawTestParent", "parent", WS_POPUP | WS_VISIBLE, 10, 10, 120,
                             120, nullptr, nullptr, pc.hInstance, nullptr);
    child = CreateWindowExA(0, "NvDrawTestChild", "", WS_CHILD | WS_VISIBLE, 40, 40, 30, 30,
                            parent, nullptr, pc.hInstance, nullptr);
  }
  ~TWindows() {
    DestroyWindow(parent);
    UnregisterClassA("NvDrawTestParent", GetModuleHandleA(nullptr));
    UnregisterClassA("NvDrawTestChild", GetModuleHandleA(nullptr));
  }
};
}  // namespace

TEST(PaintParentBackgroundWin32, ParentPaintsIntoTheChildsDcClippedToTheChild) {
  TWindows w;
  ASSERT_TRUE(w.child);
  TTarget t(60, 60);
  PaintParentBackground(w.child, t.Dc());
  // Child at (40, 40): the parent's red square (50..59) lands at (10..19).
  EXPECT_EQ(t.Pixel(0, 0), uint32_t(kParentBack));
  EXPECT_EQ(t.Pixel(10, 10), uint32_t(kParentMark));
  EXPECT_EQ(t.Pixel(19, 19), uint32_t(kParentMark));
  EXPECT_EQ(t.Pixel(20, 20), uint32_t(kParentBack));
  EXPECT_EQ(t.Pixel(29, 29), uint32_t(kParentBack));
  EXPECT_EQ(t.Pixel(30, 5), kMarker);  // outside the child's bounds
  EXPECT_EQ(t.Pixel(5, 30), kMarker);
  // The DC is back as it was.
  POINT org;
  GetViewportOrgEx(t.Dc(), &org);
  EXPECT_EQ(org.x, 0);
  RECT clip;
  EXPECT_EQ(GetClipBox(t.Dc(), &clip), SIMPLEREGION);
  EXPECT_EQ(clip.right, 60);
  // A window without a parent paints nothing.
  TTarget u(10, 10);
  PaintParentBackground(w.parent, u.Dc());
  EXPECT_EQ(u.Pixel(5, 5), kMarker);
}

TEST(PaintParentBackgroundWin32, ParentShowsUnderATransparentChildOnScreen) {
  TSkinBitmap pic(30, 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) pic.SetPixel(x, y, x < 15 ? uint32_t(kKeyColor) : 0x00FFFF);
  childPicture = &pic;
  TWindows w;
  ASSERT_TRUE(w.child);
  RedrawWindow(w.parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  GdiFlush();
  HDC screen = GetDC(w.child);
  COLORREF underKeyOnMark = GetPixel(screen, 12, 12);
  COLORREF underKeyOnBack = GetPixel(screen, 2, 25);
  COLORREF picture = GetPixel(screen, 20, 20);
  ReleaseDC(w.child, screen);
  childPicture = nullptr;
  EXPECT_EQ(underKeyOnMark, kParentMark);
  EXPECT_EQ(underKeyOnBack, kParentBack);
  EXPECT_EQ(picture, RGB(255, 255, 0));
}
