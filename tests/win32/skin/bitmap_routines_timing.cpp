// Windows-side timing, run by hand under Wine (not a test):
//   scripts/wine-run build/w-NAME/tests/win32/skin/bitmap_routines_timing.exe
// Repaints the frame of a 479 x 342 window the way the skinned form does: caption piece
// (transparent corners) and three border pieces composed into an off-screen picture, which is
// then copied to the window in one block. Prints microseconds per repaint.
#include <windows.h>

#include <cstdio>

#include "skin/data/bitmap_routines_win32.h"

namespace {
constexpr int kW = 479, kH = 342, kCaptionH = 30, kBorder = 4;

TSkinBitmap Strip(int w, int h, uint32_t seed, bool roundedCorners) {
  TSkinBitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int fx = x % (w / 3);
      bool key = roundedCorners && y < 4 && (fx < 4 - y || fx >= w / 3 - 4 + y);
      b.SetPixel(x, y, key ? uint32_t(kKeyColor) : (seed + uint32_t(x * 5 + y * 77)) & 0xFFFFFF);
    }
  return b;
}

double Now() {
  LARGE_INTEGER c, f;
  QueryPerformanceCounter(&c);
  QueryPerformanceFrequency(&f);
  return double(c.QuadPart) * 1e6 / double(f.QuadPart);
}
}  // namespace

int main() {
  const TSkinBitmap caption = Strip(360, kCaptionH, 0x204060, true);
  const TSkinBitmap left = Strip(3 * kBorder, 60, 0x102030, false);
  const TSkinBitmap bottom = Strip(60, kBorder, 0x302010, false);
  HWND wnd = CreateWindowExA(0, "STATIC", "timing", WS_POPUP | WS_VISIBLE, 0, 0, kW, kH, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!wnd) return 1;
  TSkinBitmap frame(kW, kH);
  TWindowDC screen(wnd);
  TMemoryDC off(screen.Get());
  TSelectObject select(off.Get(), HBITMAP(frame.DibHandle()));

  bool transparentCaption = true;
  auto paintFrame = [&](int state) {
    HDC dc = off.Get();
    DrawFramePiece(dc, RECT{0, 0, kW, kCaptionH}, caption, false, state & 1, transparentCaption, 3,
                   1 + state % 3, {40, 8, 40, 8});
    DrawFramePiece(dc, RECT{0, kCaptionH, kBorder, kH - kBorder}, left, false, false, false, 3, 1,
                   {0, 10, 0, 10});
    DrawFramePiece(dc, RECT{kW - kBorder, kCaptionH, kW, kH - kBorder}, left, false, false, false, 3,
                   2, {0, 10, 0, 10});
    DrawFramePiece(dc, RECT{0, kH - kBorder, kW, kH}, bottom, false, false, false, 3, 1,
                   {4, 0, 4, 0});
  };

  const int rounds = 400;
  for (int i = 0; i < 20; ++i) paintFrame(i);  // warm up
  GdiFlush();
  double t0 = Now();
  for (int i = 0; i < rounds; ++i) paintFrame(i);
  GdiFlush();
  double t1 = Now();
  for (int i = 0; i < rounds; ++i) {
    paintFrame(i);
    BitBlt(screen.Get(), 0, 0, kW, kH, off.Get(), 0, 0, SRCCOPY);
  }
  GdiFlush();
  double t2 = Now();
  for (int i = 0; i < rounds; ++i) BitBlt(screen.Get(), 0, 0, kW, kH, off.Get(), 0, 0, SRCCOPY);
  GdiFlush();
  double t3 = Now();
  for (int i = 0; i < rounds; ++i) FillGradient(off.Get(), RECT{0, 0, kW, kH}, 0, true, 0xFF8040);
  GdiFlush();
  double t4 = Now();
  for (int i = 0; i < rounds; ++i) {
    TGdiRegion r = BitmapToRegion(frame, 0, 0, 0, 0, 0, kKeyColor);
  }
  double t5 = Now();
  transparentCaption = false;
  for (int i = 0; i < rounds; ++i) paintFrame(i);
  GdiFlush();
  double t6 = Now();

  std::printf("frame pieces into the off-screen picture: %8.1f us per repaint\n", (t1 - t0) / rounds);
  std::printf("the same with an opaque caption:           %8.1f us per repaint\n", (t6 - t5) / rounds);
  std::printf("frame pieces plus one block to the window: %8.1f us per repaint\n", (t2 - t1) / rounds);
  std::printf("479x342 block to the window alone:         %8.1f us\n", (t3 - t2) / rounds);
  std::printf("342-line gradient (brush per line):        %8.1f us\n", (t4 - t3) / rounds);
  std::printf("479x342 BitmapToRegion:                    %8.1f us\n", (t5 - t4) / rounds);
  DestroyWindow(wnd);
  return 0;
}
