// TWindowSubclass: the owner of one subclassing of a raw window (a system dialog "#32770",
// a system message box, a menu window "#32768", a system scroll bar; framework windows have
// their own message chain, TWinControl::EnterMessageChain).
//
// Subclassing replaces the window procedure, wide or ANSI as the window is, with a thunk that
// runs the handler; the handler calls next(message) to reach the previous procedure. Several
// subclassings of one window stack up, the newest first. Removing one (Remove() or the
// owner's destruction):
//   - when it is still the window's current procedure, the previous one is put back;
//   - when a later subclassing of ours sits right above it, that one is linked past it;
//   - otherwise (a foreign subclassing above it) it stays in place as a plain pass-through
//     to the previous procedure until the window is destroyed, so that nothing above breaks.
// At WM_NCDESTROY every subclassing passes the message on and then undoes itself. Removal
// while the handler runs (also from inside it) is safe. The handler runs inside the guard.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/message_win32.h"

class TWindowSubclass {
 public:
  TWindowSubclass() = default;
  // Raises EOSError when the window's procedure cannot be replaced (a window of another
  // process, or one already destroyed).
  TWindowSubclass(HWND wnd, TWndHandler handler);
  ~TWindowSubclass();
  TWindowSubclass(TWindowSubclass&& o) noexcept;
  TWindowSubclass& operator=(TWindowSubclass&& o) noexcept;
  TWindowSubclass(const TWindowSubclass&) = delete;
  TWindowSubclass& operator=(const TWindowSubclass&) = delete;

  void Remove();
  // False after Remove() and once the window has been destroyed.
  bool Attached() const;
  HWND Handle() const;
  bool IsUnicode() const;
  // The procedure this subclassing passes messages on to.
  WNDPROC PreviousProc() const;
  // Calls the previous procedure directly (wide or ANSI as the window is).
  LRESULT CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam) const;

  struct TLayer;

 private:
  TLayer* layer_ = nullptr;
};
