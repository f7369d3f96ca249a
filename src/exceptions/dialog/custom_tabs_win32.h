// The tab control in the custom look: painted in the dialog's colours, since the control
// itself fills its strip and its tabs with the system's face colour.
#pragma once

#include <windows.h>

class TCustomTabs {
 public:
  // Subclasses `tab`; the subclass goes with the owner or with the window, whichever goes first.
  TCustomTabs(HWND tab, COLORREF face);
  ~TCustomTabs();
  TCustomTabs(const TCustomTabs&) = delete;
  TCustomTabs& operator=(const TCustomTabs&) = delete;

  // Draws the whole control into `dc` (client coordinates).
  void Paint(HDC dc) const;

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR ref);
  HWND tab_;
  COLORREF face_;
  bool attached_ = false;
};
