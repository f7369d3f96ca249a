// The screenshot of a known window: its pixels, the double red frame around the error
// dialog's rectangle, the cursor at its hot spot, the width rounding, and the PNG file.
#include <gtest/gtest.h>
#include <windows.h>

#include "exceptions/encode/screenshot_win32.h"
#include "exceptions/encode/temp_files_win32.h"
#include "framework/streams.h"

namespace {

constexpr uint32_t kGreen = 0x00FF00, kRed = 0xFF0000, kBlack = 0x000000;

LRESULT CALLBACK plainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

class ScreenshotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = plainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "NvScreenshotTarget";
    wc.hbrBackground = brush_ = CreateSolidBrush(RGB(0, 255, 0));
    RegisterClassA(&wc);
    wnd_ = CreateWindowExA(WS_EX_TOPMOST, "NvScreenshotTarget", "target", WS_POPUP | WS_VISIBLE, 100, 100,
                           200, 150, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(wnd_);
    SetForegroundWindow(wnd_);
    UpdateWindow(wnd_);
    // The X server maps and paints the window a little later; wait until the screen shows it.
    for (int i = 0; i < 250 && !onScreen(); ++i) settle();
    ASSERT_TRUE(onScreen());
    // A black 32 x 32 cursor whose hot spot is (4, 6).
    BYTE andPlane[128], xorPlane[128];
    memset(andPlane, 0, sizeof andPlane);
    memset(xorPlane, 0, sizeof xorPlane);
    cursor_ = CreateCursor(wc.hInstance, 4, 6, 32, 32, andPlane, xorPlane);
    ASSERT_TRUE(cursor_);
  }
  void TearDown() override {
    if (wnd_) DestroyWindow(wnd_);
    if (cursor_) DestroyCursor(cursor_);
    UnregisterClassA("NvScreenshotTarget", GetModuleHandleA(nullptr));
    if (brush_) DeleteObject(brush_);
  }
  static void settle() {
    for (int i = 0; i < 2; ++i) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      Sleep(10);
    }
  }
  bool onScreen() const {
    HDC dc = GetDC(nullptr);
    bool painted = GetPixel(dc, 105, 105) == RGB(0, 255, 0) && GetPixel(dc, 295, 245) == RGB(0, 255, 0);
    ReleaseDC(nullptr, dc);
    return painted && GetForegroundWindow() == wnd_;
  }
  static uint32_t at(const TScreenshot& s, int x, int y) {
    const TBgraImage& img = s.Image();
    return img.pixels[size_t(y) * size_t(img.width) + size_t(x)] & 0xFFFFFF;
  }

  HWND wnd_ = nullptr;
  HBRUSH brush_ = nullptr;
  HCURSOR cursor_ = nullptr;
};

TEST_F(ScreenshotTest, FrameAndCursorWhereTheyBelong) {
  TScreenshot shot;
  RECT area{100, 100, 300, 250};
  RECT dialog{130, 120, 230, 200};
  ASSERT_TRUE(shot.CaptureArea(area, &dialog, cursor_, POINT{160, 170}));
  ASSERT_EQ(shot.Image().width, 200);
  ASSERT_EQ(shot.Image().height, 150);
  EXPECT_EQ(at(shot, 5, 5), kGreen);  // the window itself
  EXPECT_EQ(at(shot, 195, 145), kGreen);
  // Two nested one-pixel frames: image (30,20)-(129,99) and one pixel inside it.
  for (int y : {40, 60}) {
    EXPECT_EQ(at(shot, 29, y), kGreen);
    EXPECT_EQ(at(shot, 30, y), kRed);
    EXPECT_EQ(at(shot, 31, y), kRed);
    EXPECT_EQ(at(shot, 32, y), kGreen);
    EXPECT_EQ(at(shot, 127, y), kGreen);
    EXPECT_EQ(at(shot, 128, y), kRed);
    EXPECT_EQ(at(shot, 129, y), kRed);
    EXPECT_EQ(at(shot, 130, y), kGreen);
  }
  EXPECT_EQ(at(shot, 80, 19), kGreen);
  EXPECT_EQ(at(shot, 80, 20), kRed);
  EXPECT_EQ(at(shot, 80, 21), kRed);
  EXPECT_EQ(at(shot, 80, 22), kGreen);
  EXPECT_EQ(at(shot, 80, 98), kRed);
  EXPECT_EQ(at(shot, 80, 99), kRed);
  EXPECT_EQ(at(shot, 80, 100), kGreen);
  // The cursor's top-left lies at the position less the hot spot: (160-4-100, 170-6-100).
  EXPECT_EQ(at(shot, 56, 64), kBlack);
  EXPECT_EQ(at(shot, 87, 95), kBlack);
  EXPECT_EQ(at(shot, 55, 64), kGreen);
  EXPECT_EQ(at(shot, 56, 63), kGreen);
  EXPECT_EQ(at(shot, 88, 80), kGreen);
  EXPECT_EQ(at(shot, 70, 96), kGreen);
}

TEST_F(ScreenshotTest, ActiveWindowOnlyCapturesTheForegroundWindow) {
  SetCursorPos(160, 170);
  SetCursor(cursor_);
  settle();
  ASSERT_EQ(GetForegroundWindow(), wnd_);
  TScreenshot shot;
  RECT dialog{130, 120, 230, 200};
  ASSERT_TRUE(shot.Capture(true, &dialog));
  EXPECT_EQ(shot.Origin().x, 100);
  EXPECT_EQ(shot.Origin().y, 100);
  EXPECT_EQ(shot.Image().width, 200);
  EXPECT_EQ(shot.Image().height, 150);
  EXPECT_EQ(at(shot, 5, 5), kGreen);
  EXPECT_EQ(at(shot, 30, 40), kRed);
  EXPECT_EQ(at(shot, 31, 40), kRed);
  EXPECT_EQ(at(shot, 32, 40), kGreen);
  // The system's current cursor, where the mouse is.
  EXPECT_EQ(at(shot, 56, 64), kBlack);
  EXPECT_EQ(at(shot, 87, 95), kBlack);
  EXPECT_EQ(at(shot, 55, 64), kGreen);

  // The whole monitor: the window lies at its screen position in the picture.
  TScreenshot screen;
  ASSERT_TRUE(screen.Capture(false, &dialog));
  EXPECT_EQ(screen.Image().width, (GetSystemMetrics(SM_CXSCREEN) + 3) & ~3);
  EXPECT_EQ(at(screen, 105, 105), kGreen);
  EXPECT_EQ(at(screen, 130, 140), kRed);
  EXPECT_EQ(at(screen, 131, 140), kRed);
  EXPECT_EQ(at(screen, 132, 140), kGreen);
}

TEST_F(ScreenshotTest, WidthRoundsUpToFourAndEmptyCountsAsOne) {
  TScreenshot shot;
  ASSERT_TRUE(shot.CaptureArea(RECT{120, 120, 121, 130}, nullptr, nullptr, POINT{}));
  EXPECT_EQ(shot.Image().width, 4);
  EXPECT_EQ(shot.Image().height, 10);
  EXPECT_EQ(at(shot, 0, 0), kGreen);
  ASSERT_TRUE(shot.CaptureArea(RECT{120, 120, 120, 120}, nullptr, nullptr, POINT{}));
  EXPECT_EQ(shot.Image().width, 4);
  EXPECT_EQ(shot.Image().height, 1);
  ASSERT_TRUE(shot.CaptureArea(RECT{100, 100, 305, 110}, nullptr, nullptr, POINT{}));
  EXPECT_EQ(shot.Image().width, 208);
}

TEST_F(ScreenshotTest, SavedInTheReportsOwnFolder) {
  TScreenshot shot;
  RECT dialog{130, 120, 230, 200};
  ASSERT_TRUE(shot.CaptureArea(RECT{100, 100, 300, 250}, &dialog, cursor_, POINT{160, 170}));
  TReportTempFolder folder;
  std::string file = folder.FileName("Screenshot.png");
  shot.Save(file);
  std::vector<uint8_t> png = ReadFileBytes(file);
  ASSERT_GT(png.size(), 33u);
  EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
  EXPECT_EQ(png[16 + 3], 200);  // IHDR width, big-endian
  EXPECT_EQ(png[20 + 3], 150);
  EXPECT_EQ(png[25], 3);  // indexed colour
}

}  // namespace
