// The framework's helper window: a hidden message-only window per thread that carries the
// framework's window timers (TTimer) and, on the main thread, the wake-up for TThread's
// Synchronize. Its window procedure runs inside the guard.
#pragma once

#include <windows.h>

// The thread that runs the program's windows (the one that initialised the framework).
DWORD MainThreadID();
bool IsMainThread();

// This thread's helper window, made on first use; null when the system refuses to make it.
HWND UtilWindow();
// The main thread's helper window if it has been made (any thread may ask).
HWND MainUtilWindow();

// Messages of the helper window, each with one handler (called guarded on the window's thread).
constexpr UINT kUtilTimerMessage = WM_TIMER;
constexpr UINT kUtilSyncMessage = WM_APP + 0x4E1;
using TUtilHandler = void (*)(WPARAM wParam, LPARAM lParam);
void SetUtilHandler(UINT message, TUtilHandler handler);
