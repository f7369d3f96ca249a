#include "exceptions/encode/screenshot_win32.h"

#include <cstring>

#include "exceptions/encode/png_writer.h"

namespace {
// One owner per cleanup rule.
class ScreenDC {
 public:
  ScreenDC() : dc_(GetDC(nullptr)) {}
  ~ScreenDC() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  ScreenDC(const ScreenDC&) = delete;
  ScreenDC& operator=(const ScreenDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

class MemoryDC {
 public:
  explicit MemoryDC(HDC like) : dc_(CreateCompatibleDC(like)) {}
  ~MemoryDC() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

template <class H>
class GdiObject {  // DeleteObject for bitmaps, brushes, palettes
 public:
  explicit GdiObject(H h) : h_(h) {}
  ~GdiObject() {
    if (h_) DeleteObject(h_);
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  H get() const { return h_; }

 private:
  H h_;
};

class Selection {  // puts the previous object back into the DC
 public:
  Selection(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~Selection() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

class PaletteSelection {
 public:
  PaletteSelection(HDC dc, HPALETTE pal) : dc_(dc), old_(pal ? SelectPalette(dc, pal, FALSE) : nullptr) {
    if (old_) RealizePalette(dc);
  }
  ~PaletteSelection() {
    if (old_) SelectPalette(dc_, old_, FALSE);
  }
  PaletteSelection(const PaletteSelection&) = delete;
  PaletteSelection& operator=(const PaletteSelection&) = delete;

 private:
  HDC dc_;
  HPALETTE old_;
};

// On a palette display the captured colours mean something only with the system palette.
HPALETTE copySystemPalette(HDC screen) {
  if (!(GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE)) return nullptr;
  int n = GetDeviceCaps(screen, SIZEPALETTE);
  if (n <= 0 || n > 256) n = 256;
  struct {
    WORD version, count;
    PALETTEENTRY entries[256];
  } pal{0x300, static_cast<WORD>(n), {}};
  if (GetSystemPaletteEntries(screen, 0, static_cast<UINT>(n), pal.entries) == 0) return nullptr;
  return CreatePalette(reinterpret_cast<LOGPALETTE*>(&pal));
}

void drawCursor(HDC dc, HCURSOR cursor, POINT pos, POINT origin) {
  if (!cursor) return;
  ICONINFO info{};
  if (!GetIconInfo(cursor, &info)) return;
  GdiObject<HBITMAP> mask(info.hbmMask), color(info.hbmColor);  // GetIconInfo hands us copies
  DrawIconEx(dc, pos.x - static_cast<int>(info.xHotspot) - origin.x, pos.y - static_cast<int>(info.yHotspot) - origin.y,
             cursor, 32, 32, 0, nullptr, DI_NORMAL);
}
}  // namespace

bool TScreenshot::Capture(bool activeWindowOnly, const RECT* errorDialog) {
  HWND fg = GetForegroundWindow();
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (activeWindowOnly && fg) {
    GetWindowRect(fg, &area);
  } else {
    HMONITOR mon = MonitorFromWindow(fg, MONITOR_DEFAULTTONEAREST);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (mon && GetMonitorInfoA(mon, &mi)) area = mi.rcMonitor;
  }
  CURSORINFO ci{};
  ci.cbSize = sizeof ci;
  HCURSOR cursor = nullptr;
  POINT pos{0, 0};
  if (GetCursorInfo(&ci) && (ci.flags & CURSOR_SHOWING)) {
    cursor = ci.hCursor;
    pos = ci.ptScreenPos;
  }
  return CaptureArea(area, errorDialog, cursor, pos);
}

bool TScreenshot::CaptureArea(const RECT& area, const RECT* errorDialog, HCURSOR cursor, POINT cursorPos) {
  Free();
  // A zero width or height still gives a picture of one pixel; rows of a multiple of 4
  // pixels are what the bitmap routines of old palette displays required.
  const int width = area.right - area.left > 0 ? area.right - area.left : 1;
  const int height = area.bottom - area.top > 0 ? area.bottom - area.top : 1;
  const int bmpWidth = (width + 3) & ~3;
  const POINT origin{area.left, area.top};

  ScreenDC screen;
  if (!screen.get()) return false;
  MemoryDC mem(screen.get());
  if (!mem.get()) return false;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = bmpWidth;
  bi.bmiHeader.biHeight = -height;  // top-down rows, as the PNG wants them
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  GdiObject<HBITMAP> bmp(CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bmp.get() || !bits) return false;
  Selection selBmp(mem.get(), bmp.get());
  GdiObject<HPALETTE> palette(copySystemPalette(screen.get()));
  PaletteSelection selPal(mem.get(), palette.get());

  if (!BitBlt(mem.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY | CAPTUREBLT)) return false;

  if (errorDialog) {
    GdiObject<HBRUSH> red(CreateSolidBrush(RGB(255, 0, 0)));
    RECT r = *errorDialog;
    OffsetRect(&r, -origin.x, -origin.y);
    FrameRect(mem.get(), &r, red.get());
    InflateRect(&r, -1, -1);
    FrameRect(mem.get(), &r, red.get());
  }
  drawCursor(mem.get(), cursor, cursorPos, origin);
  GdiFlush();  // the DIB bits are read directly below

  image_.width = bmpWidth;
  image_.height = height;
  image_.pixels.resize(static_cast<size_t>(bmpWidth) * static_cast<size_t>(height));
  std::memcpy(image_.pixels.data(), bits, image_.pixels.size() * sizeof(uint32_t));
  origin_ = origin;
  return true;
}

void TScreenshot::Save(const std::string& path) const { SaveScreenshotPng(image_, path); }

void TScreenshot::Free() {
  image_ = TBgraImage();
  origin_ = POINT{0, 0};
}
