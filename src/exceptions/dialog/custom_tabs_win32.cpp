#include "exceptions/dialog/custom_tabs_win32.h"

#include <string>

#include "exceptions/dialog/dialog_handles_win32.h"

namespace {
constexpr UINT_PTR kSubclassId = 0x5104;

void Fill(HDC dc, const RECT& r, COLORREF c) {
  SetBkColor(dc, c);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}
}  // namespace

TCustomTabs::TCustomTabs(HWND tab, COLORREF face) : tab_(tab), face_(face) {
  attached_ = tab_ && SetWindowSubclass(tab_, Proc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  if (attached_) InvalidateRect(tab_, nullptr, TRUE);
}

TCustomTabs::~TCustomTabs() {
  if (attached_) RemoveWindowSubclass(tab_, Proc, kSubclassId);
}

void TCustomTabs::Paint(HDC target) const {
  RECT client;
  GetClientRect(tab_, &client);
  if (client.right <= 0 || client.bottom <= 0) return;
  TMemoryDc mem(CreateCompatibleDC(target));
  TBitmapHandle bmp(CreateCompatibleBitmap(target, client.right, client.bottom));
  if (!mem || !bmp) return;
  TDcSelection keepBitmap(mem.get(), bmp.get());
  HDC dc = mem.get();
  Fill(dc, client, face_);

  int count = TabCtrl_GetItemCount(tab_), selected = TabCtrl_GetCurSel(tab_);
  RECT first{};
  TabCtrl_GetItemRect(tab_, 0, &first);
  RECT body{client.left, count > 0 ? first.bottom : client.top, client.right, client.bottom};
  DrawEdge(dc, &body, EDGE_RAISED, BF_RECT);

  TDcSelection keepFont(dc, reinterpret_cast<HFONT>(SendMessageA(tab_, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  for (int i = 0; i < count; ++i) {
    RECT r;
    if (!TabCtrl_GetItemRect(tab_, i, &r)) continue;
    bool on = i == selected;
    if (on) InflateRect(&r, 2, 0), r.top -= 2, r.bottom += 1;  // the chosen tab stands out and joins the body
    Fill(dc, r, face_);
    DrawEdge(dc, &r, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT | BF_SOFT);
    char text[128] = "";
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    TabCtrl_GetItem(tab_, i, &item);
    RECT tr = r;
    if (!on) tr.top += 2;
    DrawTextA(dc, text, -1, &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (on && GetFocus() == tab_) {
      InflateRect(&tr, -3, -3);
      DrawFocusRect(dc, &tr);
    }
  }
  BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
}

LRESULT CALLBACK TCustomTabs::Proc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR ref) {
  auto* self = reinterpret_cast<TCustomTabs*>(ref);
  switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(w, &ps);
      self->Paint(dc);
      EndPaint(w, &ps);
      return 0;
    }
    case WM_PRINTCLIENT: self->Paint(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(w, nullptr, FALSE); break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(w, Proc, id);
      self->attached_ = false;
      break;
    default: break;
  }
  return DefSubclassProc(w, msg, wParam, lParam);
}
