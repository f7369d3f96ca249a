#include "exceptions/dialog/custom_look_win32.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

namespace {
COLORREF Mix(COLORREF a, COLORREF b, int num, int den) {
  auto ch = [&](int shift) {
    int x = (a >> shift) & 0xFF, y = (b >> shift) & 0xFF;
    return static_cast<COLORREF>(x + (y - x) * num / (den > 0 ? den : 1)) << shift;
  };
  return ch(0) | ch(8) | ch(16);
}

void Fill(HDC dc, const RECT& r, COLORREF c) {
  SetBkColor(dc, c);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}
}  // namespace

TCustomLook::TCustomLook(HWND window) : w_(window), brush_(CreateSolidBrush(kFace)) {
  NONCLIENTMETRICSA ncm{};
  ncm.cbSize = sizeof ncm;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) {
    ncm.lfSmCaptionFont.lfWeight = FW_BOLD;
    captionFont_.reset(CreateFontIndirectA(&ncm.lfSmCaptionFont));
  }
}

TCustomLook::Geometry TCustomLook::Measure() const {
  Geometry g{};
  RECT wr;
  GetWindowRect(w_, &wr);
  POINT origin{0, 0};
  ClientToScreen(w_, &origin);
  g.window = {wr.right - wr.left, wr.bottom - wr.top};
  g.border = origin.x - wr.left;
  g.top = origin.y - wr.top;
  g.caption = {g.border, g.border, g.window.cx - g.border, g.top};
  int s = g.caption.bottom - g.caption.top - 4;
  if (s < 8) s = 8;
  g.close = {g.caption.right - 2 - s, g.caption.top + 2, g.caption.right - 2, g.caption.top + 2 + s};
  return g;
}

void TCustomLook::Paint(HDC windowDc, bool active, bool closePressed) {
  Geometry g = Measure();
  if (g.window.cx <= 0 || g.window.cy <= 0) return;
  // Everything off screen first, then one copy; the client area is left alone.
  TMemoryDc mem(CreateCompatibleDC(windowDc));
  TBitmapHandle bmp(CreateCompatibleBitmap(windowDc, g.window.cx, g.window.cy));
  if (!mem || !bmp) return;
  TDcSelection keepBitmap(mem.get(), bmp.get());
  HDC dc = mem.get();

  RECT all{0, 0, g.window.cx, g.window.cy};
  Fill(dc, all, kFace);
  DrawEdge(dc, &all, EDGE_RAISED, BF_RECT);

  RECT cap = g.caption;
  COLORREF from = active ? kActiveCaption : kInactiveCaption,
           to = active ? kActiveCaptionEnd : kInactiveCaptionEnd;
  int width = cap.right - cap.left;
  for (int x = 0; x < width; x += 4) {
    RECT strip{cap.left + x, cap.top, std::min<LONG>(cap.left + x + 4, cap.right), cap.bottom};
    Fill(dc, strip, Mix(from, to, x, width));
  }

  char text[256] = "";
  GetWindowTextA(w_, text, sizeof text);
  TDcSelection keepFont(dc, captionFont_.get());
  SetBkMode(dc, TRANSPARENT);
  RECT tr{cap.left + 4, cap.top, g.close.left - 2, cap.bottom};
  UINT fmt = DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX;
  if (active) {
    RECT shadow = tr;
    OffsetRect(&shadow, 1, 0);
    SetTextColor(dc, kCaptionShadow);
    DrawTextA(dc, text, -1, &shadow, fmt);
    SetTextColor(dc, kCaptionText);
  } else {
    SetTextColor(dc, kInactiveCaptionText);
  }
  DrawTextA(dc, text, -1, &tr, fmt);

  RECT cb = g.close;
  Fill(dc, cb, kFace);
  DrawEdge(dc, &cb, closePressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  int d = closePressed ? 1 : 0;
  int inset = (cb.right - cb.left) / 4 + 1;
  TDialogHandle<HPEN, TGdiObjectTraits> pen(CreatePen(PS_SOLID, 2, RGB(0, 0, 0)));
  {
    TDcSelection keepPen(dc, pen.get());
    MoveToEx(dc, cb.left + inset + d, cb.top + inset + d, nullptr);
    LineTo(dc, cb.right - inset + d, cb.bottom - inset + d);
    MoveToEx(dc, cb.right - inset - 1 + d, cb.top + inset + d, nullptr);
    LineTo(dc, cb.left + inset - 1 + d, cb.bottom - inset + d);
  }

  RECT client;
  GetClientRect(w_, &client);
  OffsetRect(&client, g.border, g.top);
  ExcludeClipRect(windowDc, client.left, client.top, client.right, client.bottom);
  BitBlt(windowDc, 0, 0, g.window.cx, g.window.cy, dc, 0, 0, SRCCOPY);
}

void TCustomLook::Repaint() {
  TWindowDc dc(w_, true);
  if (dc.get()) Paint(dc.get(), active_, pressed_);
}

LRESULT TCustomLook::HitTest(POINT screen) const {
  Geometry g = Measure();
  RECT wr;
  GetWindowRect(w_, &wr);
  POINT p{screen.x - wr.left, screen.y - wr.top};
  if (p.x < 0 || p.y < 0 || p.x >= g.window.cx || p.y >= g.window.cy) return HTNOWHERE;
  if (PtInRect(&g.close, p)) return HTCLOSE;
  if (resizable_) {
    bool left = p.x < g.border, right = p.x >= g.window.cx - g.border;
    bool top = p.y < g.border, bottom = p.y >= g.window.cy - g.border;
    if (top && left) return HTTOPLEFT;
    if (top && right) return HTTOPRIGHT;
    if (bottom && left) return HTBOTTOMLEFT;
    if (bottom && right) return HTBOTTOMRIGHT;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
  }
  if (PtInRect(&g.caption, p)) return HTCAPTION;
  if (p.x >= g.border && p.x < g.window.cx - g.border && p.y >= g.top && p.y < g.window.cy - g.border)
    return HTCLIENT;
  return HTBORDER;
}

bool TCustomLook::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (msg) {
    case WM_NCPAINT: {
      Repaint();
      *result = 0;
      return true;
    }
    case WM_NCACTIVATE:
      active_ = wParam != FALSE;
      Repaint();
      *result = TRUE;
      return true;
    case WM_ACTIVATE:
      // Wine announces the activation of a window that is not yet the foreground one with
      // WM_NCACTIVATE(FALSE) and then WM_ACTIVATE alone: the caption follows the latter too.
      active_ = LOWORD(wParam) != WA_INACTIVE;
      Repaint();
      return false;
    case WM_NCHITTEST: *result = HitTest({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return true;
    case WM_NCLBUTTONDOWN:
      if (wParam != HTCLOSE) return false;
      tracking_ = pressed_ = true;
      SetCapture(w_);
      Repaint();
      *result = 0;
      return true;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: {
      if (!tracking_) return false;
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(w_, &p);
      bool over = HitTest(p) == HTCLOSE;
      if (msg == WM_LBUTTONUP) {
        tracking_ = pressed_ = false;
        ReleaseCapture();
        Repaint();
        if (over) PostMessageA(w_, WM_SYSCOMMAND, SC_CLOSE, 0);
      } else if (over != pressed_) {
        pressed_ = over;
        Repaint();
      }
      *result = 0;
      return true;
    }
    case WM_CAPTURECHANGED:
      if (tracking_ && reinterpret_cast<HWND>(lParam) != w_) {
        tracking_ = pressed_ = false;
        Repaint();
      }
      return false;
    case WM_SETTEXT:
      // The system would paint its own caption for the new text; ours follows it at once.
      PostMessageA(w_, WM_NCPAINT, 1, 0);
      return false;
    default: return false;
  }
}
