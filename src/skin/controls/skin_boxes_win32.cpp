#include <windows.h>
// (commctrl.h needs windows.h first)
#include <commctrl.h>

#include "framework/per_thread.h"
#include "framework/status_bar_win32.h"
#include "skin/controls/control_map.h"
#include "skin/controls/prop_access.h"
#include "skin/controls/skin_painters_win32.h"
#include "skin/data/bitmap_routines_win32.h"
#include "skin/data/skin_data_win32.h"

NV_DEFINE_CLASS(TSkinGroupBox, TSkinControl)
NV_DEFINE_CLASS(TSkinStatusBar, TSkinControl)
NV_DEFINE_CLASS(TSkinBox, TSkinControl)
NV_DEFINE_CLASS(TSkinBoxH, TSkinControl)
NV_DEFINE_CLASS(TSkinSizer, TSkinControl)

namespace {

// Child windows overlap (a button may lie over a group box): what lies above the window in
// the z-order is cut out of dc, whose origin is the window's top-left corner. A DC from
// BeginPaint already leaves siblings out; a DC handed in (a print, a parent painting its
// background into a buffer) need not.
void ExcludeSiblingsAbove(HDC dc, HWND wnd) {
  RECT own{};
  if (!GetWindowRect(wnd, &own)) return;
  for (HWND s = GetWindow(wnd, GW_HWNDPREV); s; s = GetWindow(s, GW_HWNDPREV)) {
    if (!IsWindowVisible(s)) continue;
    RECT r{}, both{};
    GetWindowRect(s, &r);
    if (!IntersectRect(&both, &r, &own)) continue;
    OffsetRect(&both, -own.left, -own.top);
    ExcludeClipRect(dc, both.left, both.top, both.right, both.bottom);
  }
}

// The face colour's brush of the skin, made for the call when the system side has none.
HBRUSH FaceBrushOf(TSkinData& data) {
  if (TSkinDataWin32* side = Win32Side(data)) return side->FaceBrush();
  return static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
}

// One bitmap for every status bar of a thread, made once and kept (a bitmap can be selected
// into one device context at a time, so threads painting at once need one each).
TPaintBuffer& StatusBarBuffer() {
  static auto* buffers = new TPerThread<TPaintBuffer>;
  return buffers->Get();
}

}  // namespace

// ---- TSkinGroupBox ----

void TSkinGroupBox::Attach(TSkinPainters* form, TSkinData* skinData, bool ownColor) {
  if (FAttached) return;
  TSkinControl::Attach(form, skinData, ownColor);
  if (FControl) FMode = 1;
}

bool TSkinGroupBox::BeforeMessage(TMessage& m) {
  if (!TSkinControl::BeforeMessage(m)) return false;
  if (FMode == 1 && m.Msg == WM_PAINT) {
    PaintOwn(m);
    return false;
  }
  // The paint covers the whole box: erasing first would only make it flicker.
  if (FMode == 1 && m.Msg == WM_ERASEBKGND) {
    m.Result = 1;
    return false;
  }
  return true;
}

void TSkinGroupBox::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    // The system's group box redraws its frame and caption at once for these.
    case WM_UPDATEUISTATE:
    case WM_SETFONT:
    case WM_ENABLE:
    case WM_SETTEXT: PaintWindow(nullptr); break;
    default: TSkinControl::AfterMessage(m); break;
  }
}

void TSkinGroupBox::PaintSkin(HDC dc, const RECT& rect) {
  std::string caption;
  {
    char text[1000] = {};
    GetWindowTextA(FHandle, text, sizeof text);
    caption = text;
    if (caption.empty() && FControl) caption = FControl->Caption();
  }
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  // The whole box goes through a buffer; a box attached by handle is painted over the
  // system's drawing, so it draws straight into the window.
  HDC target = dc;
  if (FMode == 1) {
    target = buffer_.Prepare(dc, w, h);
    if (!target) return;
    FillSkinColor(target, {0, 0, w, h});
  }
  HFONT font = ControlFont();
  HGDIOBJ oldFont = SelectObject(target, font);
  COLORREF textColor = FControl ? ColorToRGB(FControl->Font()->Color()) : Skin().Colours.ButtonText & 0xFFFFFF;
  SIZE zero{};
  GetTextExtentPoint32A(target, "0", 1, &zero);
  const int top = GroupBoxFrameTop(zero.cy);
  if (FMode == 0) {
    // The system's 3-D frame (the outer two pixels) goes under the face colour.
    HBRUSH face = FaceBrushOf(*FSkinData);
    RECT f{0, top, w, h};
    FrameRect(target, &f, face);
    InflateRect(&f, -1, -1);
    FrameRect(target, &f, face);
  }
  {
    TGdiPen pen(CreatePen(PS_SOLID, 1, Skin().Colours.ButtonShadow & 0xFFFFFF));
    TSelectObject selPen(target, pen.Get());
    TSelectObject selBrush(target, GetStockObject(NULL_BRUSH));
    RoundRect(target, 1, top, w - 1, h - 1, 5, 5);
  }
  if (!caption.empty()) {
    const COLORREF oldBk = SetBkColor(target, FaceColor());
    const int oldMode = SetBkMode(target, OPAQUE);
    const COLORREF oldText = SetTextColor(target, textColor);
    const bool right = (GetWindowLongA(FHandle, GWL_EXSTYLE) & WS_EX_RIGHT) != 0;
    RECT t{0, 0, w, h};
    if (right)
      t.right = w - 8;
    else
      t.left = 8;
    DrawTextA(target, caption.c_str(), int(caption.size()), &t,
              TextFlags((right ? DT_RIGHT : 0) | DT_EXPANDTABS));
    SetTextColor(target, oldText);
    SetBkMode(target, oldMode);
    SetBkColor(target, oldBk);
  }
  SelectObject(target, oldFont);
  if (FMode == 1) {
    TSavedDC saved(dc);
    ExcludeSiblingsAbove(dc, FHandle);
    BitBlt(dc, rect.left, rect.top, w, h, target, 0, 0, SRCCOPY);
  }
}

// ---- TSkinStatusBar ----

bool TSkinStatusBar::BeforeMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_PAINT: PaintOwn(m); return false;
    case WM_ERASEBKGND: m.Result = 1; return false;
    default: return TSkinControl::BeforeMessage(m);
  }
}

void TSkinStatusBar::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    // New texts or parts are drawn by the bar at once; the skin goes back over them.
    case SB_SETTEXTA:
    case SB_SETTEXTW:
    case SB_SETPARTS:
    case SB_SIMPLE:
    case WM_SIZE: Repaint(); break;
    default: TSkinControl::AfterMessage(m); break;
  }
}

void TSkinStatusBar::PanelFrame(HDC dc, const RECT& r, int bevel) {
  const TDataSkinObject* edges = Skin().StatusBarEdges.get();
  if (edges && !edges->Image.Empty()) {
    const TSkinRect margins{edges->LeftWidth, edges->TopHeight, edges->RightWidth, edges->BottomHeight};
    DrawFramePiece(dc, r, edges->Image, false, edges->Tile != 0, false, 3, bevel, margins);
    return;
  }
  if (bevel == 3) return;
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF tl = bevel == 1 ? shadow : light, br = bevel == 1 ? light : shadow;
  FillColor(dc, {r.left, r.top, r.right, r.top + 1}, tl);
  FillColor(dc, {r.left, r.top, r.left + 1, r.bottom}, tl);
  FillColor(dc, {r.left, r.bottom - 1, r.right, r.bottom}, br);
  FillColor(dc, {r.right - 1, r.top, r.right, r.bottom}, br);
}

void TSkinStatusBar::PaintSkin(HDC dc, const RECT& rect) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  HDC mem = StatusBarBuffer().Prepare(dc, w, h);
  if (!mem) return;
  const RECT all{0, 0, w, h};
  FillSkinColor(mem, all);

  // The bar's font in plain style.
  HFONT base = ControlFont();
  LOGFONTA lf{};
  TGdiFont plain;
  if (base && GetObjectA(base, sizeof lf, &lf)) {
    lf.lfWeight = FW_NORMAL;
    lf.lfItalic = lf.lfUnderline = lf.lfStrikeOut = 0;
    plain.Reset(CreateFontIndirectA(&lf));
  }
  HGDIOBJ oldFont = SelectObject(mem, plain.Get() ? plain.Get() : base);
  COLORREF textColor = FControl ? ColorToRGB(FControl->Font()->Color()) : GetSysColor(COLOR_BTNTEXT);
  if (const TDataSkinObject* edges = Skin().StatusBarEdges.get()) textColor = edges->NormalColour2 & 0xFFFFFF;
  SetTextColor(mem, textColor);
  const bool enabled = (GetWindowLongA(FHandle, GWL_STYLE) & WS_DISABLED) == 0;
  const bool rtl = FControl && GetEnumPropByName(FControl, "BiDiMode") == "bdRightToLeft";

  auto* bar = dynamic_cast<TStatusBar*>(FControl);
  const int parts = int(SendMessageA(FHandle, SB_GETPARTS, 0, 0));
  const bool simple = SendMessageA(FHandle, SB_ISSIMPLE, 0, 0) != 0 || (bar ? bar->Panels().empty() : parts <= 0);
  if (simple) {
    PanelFrame(mem, all, 1);
    std::string text = GetTextPropByName(FControl, "SimpleText");
    if (!FControl) {
      char buf[1000] = {};
      SendMessageA(FHandle, SB_GETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(buf));
      text = buf;
    }
    if (text.empty()) text = " ";
    RECT t = all;
    InflateRect(&t, -2, 0);
    DrawPanelText(mem, t, rtl ? DT_RIGHT : DT_LEFT, enabled, text);
  } else {
    std::vector<TPanelBox> given;
    std::vector<std::string> texts;
    for (int i = 0; i < parts; ++i) {
      RECT p{};
      if (!SendMessageA(FHandle, SB_GETRECT, i, reinterpret_cast<LPARAM>(&p))) break;
      given.push_back({p.left, p.top, p.right, p.bottom});
      std::string text;
      if (bar && size_t(i) < bar->Panels().size()) {
        text = bar->Panels()[size_t(i)].text;
      } else {
        const int n = LOWORD(SendMessageA(FHandle, SB_GETTEXTLENGTHA, i, 0));
        std::string buf(size_t(n) + 1, '\0');
        SendMessageA(FHandle, SB_GETTEXTA, i, reinterpret_cast<LPARAM>(buf.data()));
        text = buf.c_str();
      }
      texts.push_back(text.empty() ? " " : text);
    }
    const std::vector<TPanelBox> boxes = StatusPanelBoxes(given, w);
    for (size_t i = 0; i < boxes.size(); ++i) {
      const RECT p{boxes[i].left, boxes[i].top, boxes[i].right, boxes[i].bottom};
      // The framework's panels are all lowered.
      PanelFrame(mem, p, BevelFrame(pbLowered));
      RECT t = p;
      InflateRect(&t, -2, 0);
      DrawPanelText(mem, t, rtl ? DT_RIGHT : DT_LEFT, enabled, texts[i]);
    }
  }
  const TDataSkinObject* extra = Skin().ExtraImages.get();
  if ((GetWindowLongA(FHandle, GWL_STYLE) & SBARS_SIZEGRIP) && extra && !extra->Image.Empty()) {
    const TSkinRect f = FrameRect(extra->Image, false, extra->Frame, 5);
    RECT g{w - 1 - f.Width(), h - 1 - f.Height(), w - 1, h - 1};
    DrawFrameStretched(mem, g, extra->Image, true, extra->Frame, 5);
  }
  SelectObject(mem, oldFont);
  BitBlt(dc, rect.left, rect.top, w, h, mem, 0, 0, SRCCOPY);
}

// ---- TSkinBox ----

void TSkinBox::Attach(TSkinPainters* form, TSkinData* skinData, bool ownColor) {
  if (FAttached) return;
  auto* control = dynamic_cast<TWinControl*>(Owner());
  if (!control) return;
  // Not hooked: the container keeps its own painting, in the face colour.
  FOwnColor = ownColor;
  FSkinData = skinData;
  FControl = control;
  FHandle = control->HandleAllocated() ? control->Handle() : nullptr;
  FForm = form;
  if (FForm) FForm->Register(this);
  if (FOwnColor) {
    SwitchParentBackground(true);
    FSavedColor = control->Color();
    control->SetColor(TColor(skinData->Content().Colours.ButtonFace & 0xFFFFFF));
  }
  FAttached = true;
  FStage = 1;
}

void TSkinBox::Detach() {
  // A container on its way out is left alone: it is never shown again.
  if (FOwnColor && FControl && !FControl->IsDestroying()) {
    SwitchParentBackground(false);
    FControl->SetColor(FSavedColor);
  }
  FStage = 2;
}

// ---- TSkinBoxH ----

bool TSkinBoxH::BeforeMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_ERASEBKGND: {
      RECT r{};
      GetWindowRect(FHandle, &r);
      OffsetRect(&r, -r.left, -r.top);
      FillSkinColor(reinterpret_cast<HDC>(m.WParam), r);
      m.Result = 0;
      return false;
    }
    case WM_CTLCOLORSTATIC:
      CallDefault(m);
      SetBkMode(reinterpret_cast<HDC>(m.WParam), TRANSPARENT);
      m.Result = reinterpret_cast<LRESULT>(FaceBrushOf(*FSkinData));
      return false;
    default: return TSkinControl::BeforeMessage(m);
  }
}

// ---- TSkinSizer ----

void TSkinSizer::PaintSkin(HDC dc, const RECT& rect) { FillSkinColor(dc, rect); }
