// Each owner of a Win32 resource frees what it holds once, after a move too.
#include <gtest/gtest.h>
#include <windows.h>

#include "framework/gdi_owners_win32.h"
#include "framework/handle_owners_win32.h"

namespace {
int gHookCalls = 0;
LRESULT CALLBACK CountingHook(int code, WPARAM w, LPARAM l) {
  ++gHookCalls;
  return CallNextHookEx(nullptr, code, w, l);
}

bool HandleOpen(HANDLE h) {
  DWORD flags;
  return GetHandleInformation(h, &flags) != 0;
}
}  // namespace

TEST(Owners, GdiObjectsAreDeletedOnceAndMoveWithTheirOwner) {
  HBRUSH raw = CreateSolidBrush(RGB(1, 2, 3));
  {
    TGdiBrush a(raw);
    TGdiBrush b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(b.Get(), raw);
    EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BRUSH));
  }
  EXPECT_EQ(GetObjectType(raw), 0u);
  TGdiRegion region(CreateRectRgn(0, 0, 5, 5));
  HRGN kept = region.Release();
  EXPECT_FALSE(region);
  EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_REGION));
  DeleteObject(kept);
}

TEST(Owners, DeviceContextStateComesBack) {
  TMemoryDC dc;
  ASSERT_TRUE(dc);
  TGdiBitmap bitmap(CreateBitmap(4, 4, 1, 32, nullptr));
  HGDIOBJ before = GetCurrentObject(dc.Get(), OBJ_BITMAP);
  COLORREF back = GetBkColor(dc.Get()), text = GetTextColor(dc.Get());
  int mode = GetBkMode(dc.Get()), stretch = GetStretchBltMode(dc.Get());
  {
    TSelectObject select(dc.Get(), bitmap.Get());
    EXPECT_TRUE(select.Ok());
    TDCColors colors(dc.Get(), RGB(9, 9, 9), RGB(8, 8, 8));
    TBkMode bk(dc.Get(), mode == OPAQUE ? TRANSPARENT : OPAQUE);
    TStretchMode sm(dc.Get(), stretch == COLORONCOLOR ? HALFTONE : COLORONCOLOR);
    TSavedDC saved(dc.Get());
    SetTextColor(dc.Get(), RGB(7, 7, 7));
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BITMAP), bitmap.Get());
  }
  EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BITMAP), before);
  EXPECT_EQ(GetBkColor(dc.Get()), back);
  EXPECT_EQ(GetTextColor(dc.Get()), text);
  EXPECT_EQ(GetBkMode(dc.Get()), mode);
  EXPECT_EQ(GetStretchBltMode(dc.Get()), stretch);
  HDC raw = dc.Get();
  { TMemoryDC moved(std::move(dc)); }
  EXPECT_EQ(GetObjectType(raw), 0u);
}

TEST(Owners, KernelAndFileHandlesHaveTheirOwnInvalidValue) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  {
    TKernelHandle h(event);
    EXPECT_TRUE(h);
  }
  EXPECT_FALSE(HandleOpen(event));
  TFileHandle none;
  EXPECT_EQ(none.Get(), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(none);
  char path[MAX_PATH], dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  GetTempFileNameA(dir, "nv", 0, path);
  HANDLE file =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  {
    TFileHandle f(file);
    EXPECT_TRUE(f);
  }
  EXPECT_FALSE(HandleOpen(file));
  EXPECT_EQ(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES);  // closed, so deleted
}

TEST(Owners, WindowsTimersAndHooksAreUndone) {
  HWND raw = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  {
    TOwnedWindow w(raw);
    TWindowTimer timer;
    EXPECT_TRUE(timer.Start(w.Get(), 7, 10));
    Sleep(30);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, w.Get(), WM_TIMER, WM_TIMER, PM_NOREMOVE));
    timer.Stop();
    while (PeekMessageA(&msg, w.Get(), WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
    Sleep(30);
    EXPECT_FALSE(PeekMessageA(&msg, w.Get(), WM_TIMER, WM_TIMER, PM_NOREMOVE));
  }
  EXPECT_FALSE(IsWindow(raw));
  gHookCalls = 0;
  {
    THookHandle hook(SetWindowsHookExA(WH_GETMESSAGE, &CountingHook, nullptr, GetCurrentThreadId()));
    ASSERT_TRUE(hook);
    PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_GT(gHookCalls, 0);
  }
  gHookCalls = 0;
  PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
  EXPECT_EQ(gHookCalls, 0);
}
