// Helpers shared by the skin tests that run real windows under Wine.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "win32/test_files.h"

// Handles this thread's messages for about `ms` milliseconds.
inline void Pump(int ms) {
  const DWORD end = GetTickCount() + DWORD(ms);
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(1);
  } while (GetTickCount() < end);
}

// A pixel as the screen shows it: what a frame painted in WM_NCPAINT really looks like.
inline COLORREF ScreenPixel(int x, int y) {
  HDC dc = GetDC(nullptr);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(nullptr, dc);
  return c;
}

#ifdef NV_BINARY_DIR
// The program's own packed skin, as the build made it for the main window's layout.
inline std::vector<uint8_t> ProgramSkinStream() {
  std::string bytes = ReadBytes(std::string("Z:") + NV_BINARY_DIR + "/src/app/netvosk-skin.stream");
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}
#endif
