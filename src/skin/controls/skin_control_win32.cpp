#include "skin/controls/skin_control_win32.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "framework/gdi_owners_win32.h"
#include "skin/controls/prop_access.h"
#include "skin/data/bitmap_routines_win32.h"
#include "skin/forms/skin_messages.h"

NV_DEFINE_CLASS(TSkinControl, TComponent)

namespace {

// The painter of each window, of every thread that has skinned windows (the GUI thread's and
// a reporter dialog's), hence the lock around each use.
std::mutex gPaintersLock;
std::unordered_map<HWND, TSkinControl*>& PainterOfWindow() {
  static auto* map = new std::unordered_map<HWND, TSkinControl*>;
  return *map;
}
void SetPainterOfWindow(HWND wnd, TSkinControl* painter) {
  std::lock_guard<std::mutex> guard(gPaintersLock);
  PainterOfWindow()[wnd] = painter;
}
// Forgets the window's painter; with `only` set, only while it is that one.
void ForgetPainterOfWindow(HWND wnd, const TSkinControl* only = nullptr) {
  std::lock_guard<std::mutex> guard(gPaintersLock);
  auto it = PainterOfWindow().find(wnd);
  if (it != PainterOfWindow().end() && (!only || it->second == only)) PainterOfWindow().erase(it);
}

// TrackMouseEvent is looked up by name: a system without it still gets its painters (the
// button then watches for the mouse leaving with a timer).
using TTrackMouseEvent = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);
TTrackMouseEvent TrackMouse() {
  static TTrackMouseEvent fn = reinterpret_cast<TTrackMouseEvent>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "TrackMouseEvent")));
  return fn;
}

}  // namespace

bool RequestMouseLeave(HWND wnd) {
  TTrackMouseEvent track = TrackMouse();
  if (!track) return false;
  TRACKMOUSEEVENT t{};
  t.cbSize = sizeof t;
  t.dwFlags = TME_LEAVE;
  t.hwndTrack = wnd;
  return track(&t) != FALSE;
}

TSkinControl* FindPainter(HWND wnd) {
  std::lock_guard<std::mutex> guard(gPaintersLock);
  auto it = PainterOfWindow().find(wnd);
  return it == PainterOfWindow().end() ? nullptr : it->second;
}

// ---- TPaintBuffer ----

TPaintBuffer::~TPaintBuffer() {
  if (dc_) {
    if (old_) SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
}

HDC TPaintBuffer::Prepare(HDC ref, int w, int h) {
  if (w <= 0 || h <= 0) return nullptr;
  if (!dc_) dc_ = CreateCompatibleDC(ref);
  if (!dc_) return nullptr;
  if (!bitmap_ || w > size_.cx || h > size_.cy) {
    const int cw = std::max<int>(w, size_.cx), ch = std::max<int>(h, size_.cy);
    HBITMAP fresh = CreateCompatibleBitmap(ref, cw, ch);
    if (!fresh) return nullptr;
    HGDIOBJ prev = SelectObject(dc_, fresh);
    if (!old_) old_ = prev;
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = fresh;
    size_ = {cw, ch};
  }
  return dc_;
}

// ---- TSkinPainters ----

TSkinPainters::~TSkinPainters() { Clear(); }

void TSkinPainters::Register(TSkinControl* p) {
  if (std::find(items_.begin(), items_.end(), p) == items_.end()) items_.push_back(p);
}

void TSkinPainters::Unregister(TSkinControl* p) {
  items_.erase(std::remove(items_.begin(), items_.end(), p), items_.end());
}

TSkinControl* TSkinPainters::Find(HWND wnd) const {
  for (TSkinControl* p : items_)
    if (p->Handle() == wnd) return p;
  return nullptr;
}

TSkinControl* TSkinPainters::FindControl(const TControl* control) const {
  for (TSkinControl* p : items_)
    if (p->Control() == control) return p;
  return nullptr;
}

void TSkinPainters::Clear() {
  while (!items_.empty()) {
    TSkinControl* p = items_.back();
    items_.pop_back();
    p->FForm = nullptr;
    if (p->Stage() != 6) p->Detach();
    p->Release();
  }
}

// ---- TSkinControl ----

TSkinControl::TSkinControl(TComponent* owner) : TComponent(owner) {}

TSkinControl::~TSkinControl() {
  chainEntry_.Leave();
  subclass_.Remove();
  if (FHandle) ForgetPainterOfWindow(FHandle, this);
  if (FForm) FForm->Unregister(this);
}

void TSkinControl::Release() {
  if (dispatching_ > 0) {
    releaseLater_ = true;
    FActive = false;
    chainEntry_.Leave();
    subclass_.Remove();
    return;
  }
  delete this;
}

void TSkinControl::Attach(TSkinPainters* form, TSkinData* skinData, bool ownColor) {
  if (FAttached) return;
  auto* control = dynamic_cast<TWinControl*>(Owner());
  if (!control) return;
  FOwnColor = ownColor;
  FSkinData = skinData;
  FForm = form;
  FControl = control;
  FHandle = control->Handle();
  FUnicode = IsWindowUnicode(FHandle) != FALSE;
  FEnabled = (GetWindowLongA(FHandle, GWL_STYLE) & WS_DISABLED) == 0;
  chainEntry_ = control->EnterMessageChain([this](TMessage& m, const TMessageNext& next) { SkinWndProc(m, next); });
  SetPainterOfWindow(FHandle, this);
  if (FForm) FForm->Register(this);
  if (FOwnColor) {
    SwitchParentBackground(true);
    FSavedColor = control->Color();
    control->SetColor(TColor(Skin().Colours.ButtonFace & 0xFFFFFF));
  }
  if (FParentBackgroundCleared) FMode = 1;
  InvalidateRect(FHandle, nullptr, TRUE);
  FAttached = true;
  FStage = 1;
}

void TSkinControl::AttachHandle(HWND handle, TSkinData* skinData, TSkinPainters* form) {
  if (FAttached) return;
  FHandle = handle;
  FSkinData = skinData;
  FForm = form;
  FEnabled = true;
  FMode = 0;
  FUnicode = IsWindowUnicode(handle) != FALSE;
  char text[1000] = {};
  GetWindowTextA(handle, text, sizeof text);
  FCaption = text;
  subclass_ = TWindowSubclass(handle, [this](TMessage& m, const TMessageNext& next) { SkinWndProc(m, next); });
  SetPainterOfWindow(FHandle, this);
  if (FForm) FForm->Register(this);
  InvalidateRect(handle, nullptr, TRUE);
  FAttached = true;
  FStage = 1;
}

void TSkinControl::SwitchParentBackground(bool off) {
  if (!FControl || FSkinData->Options().Has(xoParentBackGround)) return;
  if (!GetPropInfo(FControl, "ParentBackground")) return;
  if (off) {
    if (GetEnumPropByName(FControl, "ParentBackground") == "True") {
      FParentBackgroundCleared = true;
      SetPropByName(FControl, "ParentBackground", "False");
    }
  } else if (FParentBackgroundCleared) {
    SetPropByName(FControl, "ParentBackground", "True");
    FParentBackgroundCleared = false;
  }
}

void TSkinControl::Detach() {
  if (!FOwnColor || !FControl) return;
  // A control on its way out keeps what it has: nothing of it is shown again. (A control
  // that only lost its window gets its colour back: it may get a new window.)
  if (FControl->IsDestroying()) return;
  SwitchParentBackground(false);
  FControl->SetColor(FSavedColor);
}

void TSkinControl::SkinChanged() {
  if (FOwnColor && FControl) FControl->SetColor(TColor(Skin().Colours.ButtonFace & 0xFFFFFF));
  Repaint();
}

void TSkinControl::Repaint() {
  if (!FHandle || !IsWindow(FHandle)) return;
  InvalidateRect(FHandle, nullptr, TRUE);
  UpdateWindow(FHandle);
}

void TSkinControl::CallDefault(TMessage& m) {
  if (next_) (*next_)(m);
}

void TSkinControl::SkinWndProc(TMessage& m, const TMessageNext& next) {
  const TMessageNext* outer = next_;
  next_ = &next;
  ++dispatching_;
  struct TLeave {
    TSkinControl* self;
    const TMessageNext* outer;
    ~TLeave() {
      self->next_ = outer;
      if (--self->dispatching_ == 0 && self->releaseLater_) delete self;
    }
  } leave{this, outer};

  if (m.Msg == XM_SKINACTIVE) {
    const bool was = FActive;
    FActive = m.WParam > 0 && FStage != 6;
    m.Result = 0;
    if (FActive && !was) Repaint();
    else if (!FActive && was && IsWindow(FHandle)) {
      // The control's own look, at once.
      InvalidateRect(FHandle, nullptr, TRUE);
      UpdateWindow(FHandle);
    }
    return;
  }
  if (!FActive || releaseLater_) {
    next(m);
    return;
  }
  if (BeforeMessage(m)) {
    next(m);
    if (!releaseLater_) AfterMessage(m);
  }
}

bool TSkinControl::BeforeMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_NCDESTROY:
      CallDefault(m);
      FActive = false;
      FStage = 6;
      Detach();
      ForgetPainterOfWindow(FHandle);
      return false;
    case XM_ISSKINNED: m.Result = 1; return false;
    default: return true;
  }
}

void TSkinControl::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT: Repaint(); break;
    case WM_PAINT: PaintWindow(reinterpret_cast<HDC>(m.WParam)); break;
    default: break;
  }
}

void TSkinControl::PaintWindow(HDC dc) {
  // A failure while painting is dropped: the next paint tries again.
  try {
    RECT r{};
    if (!GetWindowRect(FHandle, &r)) return;
    FWindowRect = r;
    OffsetRect(&r, -r.left, -r.top);
    if (dc) {
      PaintSkin(dc, r);
    } else {
      TWindowDC own(FHandle, TWindowDC::kWholeWindow);
      if (own.Get()) PaintSkin(own.Get(), r);
    }
  } catch (...) {
  }
}

void TSkinControl::PaintOwn(TMessage& m) {
  HDC given = reinterpret_cast<HDC>(m.WParam);
  PAINTSTRUCT ps{};
  HDC dc = given ? given : BeginPaint(FHandle, &ps);
  try {
    RECT r{};
    if (dc && GetWindowRect(FHandle, &r)) {
      FWindowRect = r;
      OffsetRect(&r, -r.left, -r.top);
      PaintSkin(dc, r);
    }
  } catch (...) {
  }
  if (!given) EndPaint(FHandle, &ps);
  m.Result = 0;
}

// ---- Drawing ----

COLORREF TSkinControl::FaceColor() const { return Skin().Colours.ButtonFace & 0xFFFFFF; }

void TSkinControl::FillColor(HDC dc, const RECT& r, COLORREF c) {
  TGdiBrush brush(CreateSolidBrush(c));
  FillRect(dc, &r, brush.Get());
}

void TSkinControl::FillSkinColor(HDC dc, const RECT& r) const { FillColor(dc, r, FaceColor()); }

void TSkinControl::FillParentColor(HDC dc, const RECT& r) const {
  FillColor(dc, r, ColorToRGB(GetParentColor(TColor(FaceColor()))));
}

TColor TSkinControl::GetParentColor(TColor def) const {
  if (!FControl || !FControl->Parent()) return def;
  const TPropInfo* info = GetPropInfo(FControl->Parent(), "Color");
  if (!info || info->kind != TPropKind::Integer) return def;
  return TColor(GetOrdPropByName(FControl->Parent(), "Color"));
}

UINT TSkinControl::TextFlags(UINT flags) const {
  if (FControl && GetEnumPropByName(FControl, "BiDiMode") == "bdRightToLeft") flags |= DT_RTLREADING;
  return flags;
}

void TSkinControl::DrawSkinFrame(HDC dc, const RECT& r, int count, int frame, const TDataSkinObject& obj) {
  if (r.right < r.left || r.bottom < r.top || obj.Image.Empty()) return;
  const TSkinRect margins{obj.LeftWidth, obj.TopHeight, obj.RightWidth, obj.BottomHeight};
  DrawFramePiece(dc, r, obj.Image, false, obj.Tile != 0, obj.Trans == 1, count, frame, margins);
}

void TSkinControl::DrawImageFrame(HDC dc, const RECT& r, int count, int frame, const TSkinBitmap& pic) {
  if (r.right < r.left || r.bottom < r.top || pic.Empty()) return;
  DrawFrameStretched(dc, r, pic, true, count, frame);
}

void TSkinControl::DrawCaptionFocus(HDC dc, UINT flags, const RECT& r) {
  RECT t = r;
  DrawTextA(dc, FCaption.c_str(), int(FCaption.size()), &t, flags | DT_CALCRECT | DT_NOCLIP);
  const int w = t.right - t.left, h = t.bottom - t.top;
  if (flags & DT_CENTER) {
    t.left = r.left + (r.right - r.left - w) / 2;
    t.top = r.top + (r.bottom - r.top - h) / 2;
  } else if (flags & DT_RIGHT) {
    t.left = r.right - w;
  }
  t.right = t.left + w;
  t.bottom = t.top + h;
  InflateRect(&t, 2, 1);
  IntersectRect(&t, &t, &r);
  DrawFocusRect(dc, &t);
}

void TSkinControl::DrawPanelText(HDC dc, const RECT& r, UINT alignment, bool enabled, const std::string& text) const {
  TBkMode bk(dc, TRANSPARENT);
  RECT m = r;
  DrawTextA(dc, text.c_str(), int(text.size()), &m, alignment | DT_CALCRECT | DT_EXPANDTABS | DT_NOCLIP);
  const int w = m.right - m.left, h = m.bottom - m.top;
  RECT t = r;
  if (alignment & DT_CENTER) {
    t.left = r.left + (r.right - r.left - w) / 2;
    t.right = t.left + w;
  }
  t.top = r.top + (r.bottom - r.top - h) / 2 - 1;
  t.bottom = t.top + h;
  COLORREF old = 0;
  if (!enabled) old = SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
  DrawTextA(dc, text.c_str(), int(text.size()), &t, TextFlags(alignment | DT_EXPANDTABS));
  if (!enabled) SetTextColor(dc, old);
}

std::string TSkinControl::ReadCaption() const {
  if (FControl) return FControl->Caption();
  char text[1000] = {};
  GetWindowTextA(FHandle, text, sizeof text);
  return text;
}

HFONT TSkinControl::ControlFont() const {
  if (FControl) return FControl->Font()->Handle();
  return reinterpret_cast<HFONT>(SendMessageA(FHandle, WM_GETFONT, 0, 0));
}
