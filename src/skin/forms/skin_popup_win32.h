// TWinSkinPopMenu: one skinned popup menu window ("#32768"), subclassed from its creation
// until it is destroyed or the skin is removed. It answers XM_ISSKINNED; the menu's border
// and items are drawn by the skinned menus.
#pragma once

#include <windows.h>

#include "framework/subclass_win32.h"

class TSkinData;

class TWinSkinPopMenu {
 public:
  // Raises EOSError when the window cannot be subclassed.
  TWinSkinPopMenu(TSkinData* skinData, HWND wnd);
  TWinSkinPopMenu(const TWinSkinPopMenu&) = delete;
  TWinSkinPopMenu& operator=(const TWinSkinPopMenu&) = delete;

  HWND Handle() const { return wnd_; }
  TSkinData* SkinData() const { return skinData_; }
  // Puts the window's own procedure back.
  void Detach() { subclass_.Remove(); }

 private:
  void WndProc(TMessage& m, const TMessageNext& next);
  HWND wnd_;
  TSkinData* skinData_;
  TWindowSubclass subclass_;
};
