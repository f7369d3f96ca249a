#include "skin/controls/control_map.h"
#include "skin/controls/skin_painters_win32.h"
#include "skin/data/bitmap_routines.h"
#include "skin/data/bitmap_routines_win32.h"

NV_DEFINE_CLASS(TSkinButton, TSkinControl)

namespace {
constexpr intptr_t kTransparentTag = 5555;
// Where the system cannot report the mouse leaving, a timer of this id watches for it.
constexpr UINT_PTR kLeaveTimer = 0x5CB1;
}  // namespace

void TSkinButton::Attach(TSkinPainters* form, TSkinData* skinData, bool ownColor) {
  if (FAttached) return;
  TSkinControl::Attach(form, skinData, ownColor);
  if (!FControl) return;
  std::string cls = FControl->ClassName();
  for (char& c : cls) c = char(tolower(static_cast<unsigned char>(c)));
  // Those buttons take the press themselves.
  FMode = cls.rfind("trz", 0) == 0 || cls.rfind("tel", 0) == 0 ? 1 : 0;
  FTransparent = FControl->Tag() == kTransparentTag || skinData->Options().Has(xoTransparent);
}

bool TSkinButton::BeforeMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_PAINT: PaintOwn(m); return false;
    case WM_ERASEBKGND: m.Result = 1; return false;
    case WM_TIMER:
      if (m.WParam == kLeaveTimer) {
        POINT pt{};
        GetCursorPos(&pt);
        if (WindowFromPoint(pt) != FHandle) {
          KillTimer(FHandle, kLeaveTimer);
          SendMessageA(FHandle, WM_MOUSELEAVE, 0, 0);
        }
      } else {
        KillTimer(FHandle, 1);
      }
      m.Result = 0;
      return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (GetFocus() != FHandle) SetFocus(FHandle);
      FState |= ssDown;
      PaintWindow(nullptr);
      m.Result = 0;
      return false;
    default: return TSkinControl::BeforeMessage(m);
  }
}

void TSkinButton::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_SETTEXT: PaintWindow(nullptr); break;
    case WM_KEYDOWN:
      if (m.WParam == VK_SPACE) {
        FState |= ssDown;
        Repaint();
      }
      break;
    case WM_KEYUP:
      if (m.WParam == VK_SPACE) {
        FState &= ~ssDown;
        Repaint();
      }
      break;
    case WM_MOUSEMOVE:
      if (FEnabled && !(FState & ssHot)) {
        FState |= ssHot;
        Repaint();
      }
      if (!RequestMouseLeave(FHandle)) SetTimer(FHandle, kLeaveTimer, 100, nullptr);
      break;
    case WM_LBUTTONUP:
      if (FState & ssDown) {
        FState &= ~ssDown;
        Repaint();
        Clicked();
      }
      break;
    case WM_MOUSELEAVE:
      FState &= ~(ssHot | ssDown);
      Repaint();
      break;
    // The system button draws these state changes at once through a DC of its own, outside
    // WM_PAINT; the skinned face goes straight back over them.
    case BM_SETSTATE:
    case BM_SETCHECK:
    case BM_SETSTYLE:
    case WM_UPDATEUISTATE:
    case WM_SETFONT:
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_CAPTURECHANGED: PaintWindow(nullptr); break;
    default: TSkinControl::AfterMessage(m); break;
  }
}

void TSkinButton::Clicked() {
  if (FControl) {
    FControl->Click();
    return;
  }
  HWND parent = GetParent(FHandle);
  if (!parent) return;
  char cls[64] = {};
  GetClassNameA(FHandle, cls, sizeof cls);
  const bool frameworkButton = lstrcmpiA(cls, "TButton") == 0;
  const WPARAM id = frameworkButton ? 0 : MAKEWPARAM(GetDlgCtrlID(FHandle), BN_CLICKED);
  PostMessageA(parent, WM_COMMAND, id, reinterpret_cast<LPARAM>(FHandle));
}

void TSkinButton::PaintSkin(HDC dc, const RECT& rect) {
  const TDataSkinButton* obj = Skin().Buttons.get();
  if (!obj || obj->Image.Empty()) return;
  FFocused = GetFocus() == FHandle;
  FEnabled = (GetWindowLongA(FHandle, GWL_STYLE) & WS_DISABLED) == 0;
  const std::string caption = ReadCaption();
  const int state = ButtonStateIndex(!FEnabled, FState & ssDown, FState & ssHot, FFocused);
  lastState_ = state;

  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  const RECT r{0, 0, w, h};
  HDC mem = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  if (FTransparent) {
    mem = buffer_.Prepare(dc, w, h);
    if (!mem) return;
    PaintParentBackground(FHandle, mem);
    DrawSkinFrame(mem, r, obj->Frame, state, *obj);
  } else {
    GdiFlush();  // the picture's rows are written directly below
    if (face_.Width() != w || face_.Height() != h) face_.SetSize(w, h);
    ComposeFramePiece(face_, obj->Image, {obj->LeftWidth, obj->TopHeight, obj->RightWidth, obj->BottomHeight},
                      false, obj->Tile != 0, obj->Frame, state);
    if (obj->Trans == 1) ReplaceKeyColor(face_, TColor(FaceColor()));
    mem = faceDC_.Get();
    if (!mem || !face_.DibHandle()) return;
    oldBitmap = SelectObject(mem, static_cast<HBITMAP>(face_.DibHandle()));
  }

  HGDIOBJ oldFont = SelectObject(mem, ControlFont());
  COLORREF color = FControl ? ColorToRGB(FControl->Font()->Color()) : Skin().Colours.ButtonText & 0xFFFFFF;
  switch (ButtonColourSlot(state)) {
    case 1:
      if (obj->HasNormalColour2) color = obj->NormalColour2 & 0xFFFFFF;
      break;
    case 2:
      if (obj->HasPressedColour2) color = obj->PressedColour2 & 0xFFFFFF;
      break;
    case 4:
      if (obj->HasMouseOverColour2) color = obj->MouseOverColour2 & 0xFFFFFF;
      break;
    default: break;
  }
  if (!FEnabled) color = GetSysColor(COLOR_BTNSHADOW);
  SetTextColor(mem, color);
  SetBkMode(mem, TRANSPARENT);

  FCaption = ButtonCaptionText(caption);
  RECT inner = r;
  InflateRect(&inner, -2, -2);
  RECT t = inner;
  DrawTextA(mem, FCaption.c_str(), int(FCaption.size()), &t,
            DT_CENTER | DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP | DT_CALCRECT);
  const int tw = t.right - t.left, th = t.bottom - t.top;
  t.left = inner.left + (inner.right - inner.left - tw) / 2;
  t.right = t.left + tw;
  t.top = inner.top + (inner.bottom - inner.top - th) / 2 - 1;
  t.bottom = t.top + th;
  DrawTextA(mem, FCaption.c_str(), int(FCaption.size()), &t, TextFlags(DT_CENTER | DT_WORDBREAK | DT_EXPANDTABS));
  if (FFocused && !FSkinData->Options().Has(xoNoFocusRect)) {
    RECT f = t;
    InflateRect(&f, 2, 2);
    SetTextColor(mem, 0);
    SetBkColor(mem, 0xFFFFFF);
    DrawFocusRect(mem, &f);
  }
  BitBlt(dc, rect.left, rect.top, w, h, mem, 0, 0, SRCCOPY);
  SelectObject(mem, oldFont);
  if (oldBitmap) SelectObject(mem, oldBitmap);
}
