#include "skin/forms/skin_popup_win32.h"

#include "skin/forms/skin_messages.h"

TWinSkinPopMenu::TWinSkinPopMenu(TSkinData* skinData, HWND wnd)
    : wnd_(wnd),
      skinData_(skinData),
      subclass_(wnd, [this](TMessage& m, const TMessageNext& next) { WndProc(m, next); }) {}

void TWinSkinPopMenu::WndProc(TMessage& m, const TMessageNext& next) {
  if (m.Msg == XM_ISSKINNED) {
    m.Result = 1;
    return;
  }
  next(m);
}
