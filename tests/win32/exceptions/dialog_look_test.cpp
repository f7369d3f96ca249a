// What the error dialog paints, read from the screen: the custom look's colours and the
// call-stack list's rows.
#include <gtest/gtest.h>

#include "exceptions/dialog/dialog_ids.h"
#include "win32/exceptions/dialog_remote.h"

using namespace dlgtest;

namespace {

COLORREF ScreenPixel(int x, int y) {
  HDC dc = GetDC(nullptr);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(nullptr, dc);
  return c;
}

// A point of window `w`'s client area on the screen.
POINT OnScreen(HWND w, int x, int y) {
  POINT p{x, y};
  ClientToScreen(w, &p);
  return p;
}

bool PixelIs(HWND w, int x, int y, COLORREF want) {
  POINT p = OnScreen(w, x, y);
  return ScreenPixel(p.x, p.y) == want;
}

TEST(ErrorDialogLook, CustomLookColoursAndListRows) {
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  std::string result = std::string(tmp) + "nv-dialog-look-" + std::to_string(GetCurrentProcessId()) + ".txt";
  TDemo demo;
  // Custom look, on top, details shown on the call stack.
  ASSERT_TRUE(demo.Start("--flags 0xFF --first-tab 1", result));
  HWND d = demo.WaitDialog();
  ASSERT_TRUE(d);
  EXPECT_TRUE(GetWindowLongA(d, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(GetWindowLongA(d, GWL_EXSTYLE) & WS_EX_TOPMOST);

  RECT client;
  GetClientRect(d, &client);
  const COLORREF face = RGB(212, 208, 200);
  // The dialog's background, below the band's last row.
  ASSERT_TRUE(WaitUntil([&] { return PixelIs(d, 3, client.bottom - 2, face); }, 10s))
      << std::hex << ScreenPixel(OnScreen(d, 3, client.bottom - 2).x, OnScreen(d, 3, client.bottom - 2).y);
  // The frame, left of the client area, in the same colour.
  RECT wr;
  GetWindowRect(d, &wr);
  POINT origin = OnScreen(d, 0, 0);
  int border = origin.x - wr.left;
  if (border >= 4) EXPECT_EQ(ScreenPixel(wr.left + border / 2 + 1, origin.y + 40), face);
  // The dialog took the foreground: its caption starts in the active caption colour.
  EXPECT_TRUE(WaitUntil([&] {
    return ScreenPixel(wr.left + border + 1, wr.top + border + 2) == RGB(36, 72, 128);
  })) << std::hex
      << ScreenPixel(wr.left + border + 1, wr.top + border + 2);
  // The tab strip right of the last tab is the dialog's colour too, not the system's.
  HWND tab = GetDlgItem(d, QL_ID_TABS);
  RECT tr;
  GetClientRect(tab, &tr);
  EXPECT_TRUE(PixelIs(tab, tr.right - 3, 3, face));

  // Call-stack rows: the thread caption on its tint, entries on white.
  HWND page = nullptr;
  for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (ClassOf(c) == "#32770" && IsWindowVisible(c)) page = c;
  ASSERT_TRUE(page);
  HWND list = GetDlgItem(page, QL_ID_PAGE_CONTENT);
  RECT captionRow = ListRowRect(list, 0), entryRow = ListRowRect(list, 2);
  RECT listClient;
  GetClientRect(list, &listClient);
  int x = std::min<int>(listClient.right, captionRow.right) - 4;
  EXPECT_TRUE(WaitUntil(
      [&] { return PixelIs(list, x, (captionRow.top + captionRow.bottom) / 2, RGB(232, 238, 248)); }));
  EXPECT_TRUE(PixelIs(list, x, (entryRow.top + entryRow.bottom) / 2, RGB(255, 255, 255)));
  // The minus sign of the expanded caption: its grey box at the row's left.
  bool sign = false;
  for (int dx = 0; dx < 16 && !sign; ++dx)
    sign = PixelIs(list, captionRow.left + dx, (captionRow.top + captionRow.bottom) / 2, RGB(128, 128, 128));
  EXPECT_TRUE(sign);

  PostMessageA(GetDlgItem(d, QL_ID_OK), BM_CLICK, 0, 0);
  EXPECT_EQ(demo.WaitExit(15s), 0);
  DeleteFileA(result.c_str());
}

}  // namespace
