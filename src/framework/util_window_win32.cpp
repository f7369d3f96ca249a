#include "framework/util_window_win32.h"

#include <atomic>

#include "framework/guard.h"
#include "framework/handle_owners_win32.h"
#include "framework/per_thread.h"

namespace {
// Dynamic initialisation runs on the thread that starts the program.
DWORD gMainThreadId = GetCurrentThreadId();
std::atomic<HWND> gMainUtilWindow{nullptr};
std::atomic<TUtilHandler> gTimerHandler{nullptr};
std::atomic<TUtilHandler> gSyncHandler{nullptr};
const char kClassName[] = "TUtilWindow";

LRESULT CALLBACK UtilProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TUtilHandler handler = nullptr;
  if (msg == kUtilTimerMessage) handler = gTimerHandler.load();
  if (msg == kUtilSyncMessage) handler = gSyncHandler.load();
  if (handler) {
    Guard([&] { handler(wParam, lParam); });
    return 0;
  }
  if (msg == WM_NCDESTROY && wnd == gMainUtilWindow.load()) gMainUtilWindow.store(nullptr);
  return DefWindowProcA(wnd, msg, wParam, lParam);
}

// The window lives until its thread ends.
TPerThread<TOwnedWindow>& ThreadWindow() {
  static auto* windows = new TPerThread<TOwnedWindow>;
  return *windows;
}
}  // namespace

DWORD MainThreadID() { return gMainThreadId; }
bool IsMainThread() { return GetCurrentThreadId() == gMainThreadId; }

HWND UtilWindow() {
  TOwnedWindow& window = ThreadWindow().Get();
  if (window && IsWindow(window.Get())) return window.Get();
  static const ATOM atom = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = UtilProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    return RegisterClassA(&wc);
  }();
  if (!atom) return nullptr;
  window.Release();  // destroyed already, by the system or by hand
  window.Reset(CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleA(nullptr), nullptr));
  if (window && IsMainThread()) gMainUtilWindow.store(window.Get());
  return window.Get();
}

HWND MainUtilWindow() { return gMainUtilWindow.load(); }

void SetUtilHandler(UINT message, TUtilHandler handler) {
  if (message == kUtilTimerMessage) gTimerHandler.store(handler);
  if (message == kUtilSyncMessage) gSyncHandler.store(handler);
}
