// The auto-close rule of the reporter's dialogs: a one-second timer counts the seconds since
// the user last did something in the dialog, and the dialog closes when the count reaches
// the limit. Key and mouse-button messages reach the dialog's controls, not the dialog, so a
// message-filter hook on the dialog's thread sees them on their way through the modal loop.
#pragma once

#include <windows.h>

#include <functional>

#include "exceptions/dialog/dialog_handles_win32.h"
#include "exceptions/dialog/dialog_model.h"

class TAutoClose {
 public:
  static constexpr UINT_PTR kTimerId = 0x5102;

  // Does nothing when limitSecs is 0 or less. `close` runs once the limit is reached.
  TAutoClose(HWND dialog, int limitSecs, std::function<void()> close);
  ~TAutoClose();
  TAutoClose(const TAutoClose&) = delete;
  TAutoClose& operator=(const TAutoClose&) = delete;

  // A user action: the count starts again.
  void Reset() { counter_.Reset(); }
  // WM_TIMER of the dialog: true when the timer was this one.
  bool OnTimer(UINT_PTR id);
  int Seconds() const { return counter_.Seconds(); }

 private:
  static LRESULT CALLBACK FilterProc(int code, WPARAM wParam, LPARAM lParam);
  HWND dialog_;
  TAutoCloseCounter counter_;
  std::function<void()> close_;
  THookHandle hook_;
  TAutoClose* previous_ = nullptr;  // a dialog of the same thread that was watched before
  bool closing_ = false;
};
