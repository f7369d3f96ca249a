#include "skin/forms/win_skin_form_win32.h"

#include <unordered_set>

#include "framework/forms_win32.h"
#include "framework/timer_win32.h"
#include "skin/controls/attach_controls_win32.h"
#include "skin/data/skin_data.h"
#include "skin/data/skin_data_win32.h"
#include "skin/forms/skin_manage_win32.h"
#include "skin/forms/skin_messages.h"

NV_DEFINE_CLASS(TWinSkinForm, TComponent)

namespace {

constexpr UINT kThemeCaptionDraw = 0xAE;  // the theme's caption drawing; never wanted here
constexpr UINT kHoverInterval = 250;

std::unordered_set<const TWinSkinForm*>& LiveForms() {
  static auto* live = new std::unordered_set<const TWinSkinForm*>;
  return *live;
}

std::string WindowClassOf(HWND wnd) {
  char name[256] = {};
  int n = GetClassNameA(wnd, name, sizeof name);
  return std::string(name, n > 0 ? size_t(n) : 0);
}

int WindowStateOf(HWND wnd) {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (!GetWindowPlacement(wnd, &wp)) return wsNormalState;
  switch (wp.showCmd) {
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE: return wsMinimizedState;
    case SW_SHOWMAXIMIZED: return wsMaximizedState;
    default: return wsNormalState;
  }
}

// The window's small icon (or the big one) over magenta, at the small icon size.
TSkinBitmap IconPicture(HICON icon, int cx, int cy) {
  if (!icon || cx <= 0 || cy <= 0) return TSkinBitmap();
  TSkinBitmap pic(cx, cy, pf24bit);
  for (int y = 0; y < cy; ++y)
    for (int x = 0; x < cx; ++x) pic.SetPixel(x, y, 0xFF00FF);
  TMemoryDC dc;
  TSelectObject sel(dc.Get(), static_cast<HBITMAP>(pic.DibHandle()));
  if (!sel.Ok()) return TSkinBitmap();
  DrawIconEx(dc.Get(), 0, 0, icon, cx, cy, 0, nullptr, DI_NORMAL);
  GdiFlush();
  return pic;
}

}  // namespace

TWinSkinForm::TWinSkinForm(TComponent* owner) : TComponent(owner) {
  LiveForms().insert(this);
  NONCLIENTMETRICSA m{};
  m.cbSize = sizeof m;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, m.cbSize, &m, 0)) {
    // The captions of this program are Chinese.
    m.lfCaptionFont.lfCharSet = GB2312_CHARSET;
    CaptionFont.Reset(CreateFontIndirectA(&m.lfCaptionFont));
  }
  DoubleClickTime = GetDoubleClickTime();
}

TWinSkinForm::~TWinSkinForm() {
  LiveForms().erase(this);
  if (AttachState != asDestroying && AttachState != asDestroyed && Handle && IsWindow(Handle)) Detach();
  if (TSkinManage* m = SkinManage()) m->RemoveForm(this);
}

bool TWinSkinForm::IsLive(const TWinSkinForm* form) { return form && LiveForms().count(form) != 0; }

void TWinSkinForm::AttachForm(TSkinData* skinData, TForm* form) {
  Control = form;
  HWND wnd = form->Handle();
  WindowClassName = WindowClassOf(wnd);
  if (skinData->OnBeforeSkinForm) skinData->OnBeforeSkinForm(form, uintptr_t(wnd), WindowClassName);
  // A form that scrolls would scroll the owner-drawn menu items away ("AutoScroll"); the
  // framework's forms do not scroll, so there is nothing to switch off.
  Attach(skinData, wnd);
  if (FrameEnabled) {
    // The form takes the skin's face colour; Detach gives the old one back.
    SavedColor = form->Color();
    colorSaved_ = true;
    form->SetColor(TColor(skinData->Content().Colours.ButtonFace & 0xFFFFFF));
  }
}

void TWinSkinForm::AttachRaw(TSkinData* skinData, HWND wnd) {
  WindowClassName = WindowClassOf(wnd);
  Attach(skinData, wnd);
}

void TWinSkinForm::Attach(TSkinData* skinData, HWND wnd) {
  SkinData = skinData;
  Handle = wnd;
  TSkinManage* manager = SkinManage();
  if (manager && manager->State() == kManagerWaiting) manager->SetState(kManagerRunning);
  HoverTimer = new TTimer(this);
  HoverTimer->SetEnabled(false);
  HoverTimer->SetInterval(kHoverInterval);

  const LONG style = GetWindowLongA(wnd, GWL_STYLE);
  const LONG exStyle = GetWindowLongA(wnd, GWL_EXSTYLE);
  FrameEnabled = skinData->SkinControls().Has(xcMainMenu);
  IsRightToLeft = (exStyle & WS_EX_LEFTSCROLLBAR) != 0;
  IsChild = (style & WS_CHILD) != 0;
  IsUnicode = IsWindowUnicode(wnd) != FALSE;
  const HWND ownerWindow = GetWindow(wnd, GW_OWNER);

  Boxes = 0;
  if (style & WS_SYSMENU) Boxes |= bxSystemMenu;
  if (style & WS_MINIMIZEBOX) Boxes |= bxMinimize;
  if (style & WS_MAXIMIZEBOX) Boxes |= bxMaximize;
  WindowState = WindowStateOf(wnd);
  if (HWND client = FindWindowExA(wnd, nullptr, "MDIClient", nullptr)) {
    Kind = wkMDIFrame;
    MDIClientWindow = client;
    if (manager) {
      manager->MDIClient = client;
      manager->MDIFrameControl = Control;
    }
  }
  if (exStyle & WS_EX_MDICHILD) {
    Kind = wkMDIChild;
    if (skinData->Options().Has(xoMDIChildBorder)) FrameEnabled = false;
  }

  BorderKind = bkFixed;
  if ((style & WS_CAPTION) != WS_CAPTION)
    BorderKind = bkNoCaption;
  else if (style & WS_THICKFRAME)
    BorderKind = bkSizeable;
  else if (style & DS_MODALFRAME)
    BorderKind = bkDialog;
  if (exStyle & WS_EX_DLGMODALFRAME) BorderKind = bkDialog;
  if (WindowClassName == "#32770" || WindowClassName == "TMessageForm") {
    BorderKind = bkDialog;
    IsSystemDialog = true;
  }

  const TSystemVersion version = manager ? manager->SystemVersion : ReadSystemVersion();
  // Systems of version 5.0 and 6.0 draw caption buttons of their own into a window that
  // keeps its caption style; such windows lose that style while skinned.
  if (version.Major > 4 && version.Minor == 0 &&
      (((exStyle & WS_EX_APPWINDOW) && !version.Hybrid) || (!ownerWindow && Kind != wkMDIChild)))
    Boxes |= bxNoCaptionStyle;
  if (version.Hybrid) {
    TSkinControls controls = skinData->SkinControls();
    controls.Exclude(xcSystemMenu);
    skinData->SetSkinControls(controls);
  }

  auto handler = [this](TMessage& m, const TMessageNext& next) { FrameWndProc(m, next); };
  if (Control)
    chainEntry_ = Control->EnterMessageChain(handler);
  else
    subclass_ = TWindowSubclass(wnd, handler);

  if (FrameEnabled) {
    NativeMenu = Kind != wkMDIChild ? GetMenu(wnd) : nullptr;
    const bool keepCaption =
        (Kind == wkMDIChild && manager && manager->MDIMaximized) || WindowState == wsMinimizedState;
    if (!keepCaption && (Boxes & bxNoCaptionStyle)) {
      SetWindowLongA(wnd, GWL_STYLE, style & ~WS_CAPTION);
      captionStyleDropped_ = true;
    }
    ComputeMetrics();
  } else {
    AttachState = asRunning;
  }
  if (Kind == wkMDIChild) {
    const int systemCaption = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CXFRAME);
    if (CaptionHeight < systemCaption) MenuHeight = systemCaption - CaptionHeight;
    if (WindowState == wsMaximizedState && manager) manager->SetMDIMaximized(true);
  }
}

void TWinSkinForm::ComputeMetrics() {
  if (!SkinData || !SkinData->SkinLoaded()) return;
  const TFrameMetrics m = ComputeFrameMetrics(*SkinData, BorderKind);
  BorderLeft = m.BorderLeft;
  CaptionHeight = m.CaptionHeight;
  BorderRight = m.BorderRight;
  BorderBottom = m.BorderBottom;
  if (BorderKind == bkNoCaption) MenuHeight = 0;
}

void TWinSkinForm::FreeCaptionButtons() { RightButtonsLeft = 0; }

void TWinSkinForm::RebuildButtons() {
  FreeCaptionButtons();
  ComputeMetrics();
}

void TWinSkinForm::FinishAttachment() {
  SystemMenu = GetSystemMenu(Handle, FALSE);
  IconSize = GetSystemMetrics(SM_CXSMICON);
  IconHandle = reinterpret_cast<HICON>(SendMessageA(Handle, WM_GETICON, ICON_SMALL, 0));
  if (!IconHandle) IconHandle = reinterpret_cast<HICON>(SendMessageA(Handle, WM_GETICON, ICON_BIG, 0));
  IconBitmap = IconPicture(IconHandle, IconSize, GetSystemMetrics(SM_CYSMICON));
  RECT w{}, c{};
  GetWindowRect(Handle, &w);
  GetClientRect(Handle, &c);
  WindowRect = w;
  WindowSize = {w.right - w.left, w.bottom - w.top};
  SystemNonClient = {WindowSize.cx - (c.right - c.left), WindowSize.cy - (c.bottom - c.top)};
  if (AttachState == asAttached) {
    const bool hasCaption =
        (GetWindowLongA(Handle, GWL_STYLE) & WS_CAPTION) == WS_CAPTION || captionStyleDropped_;
    if (Kind == wkMDIChild) {
      TSkinManage* manager = SkinManage();
      if (WindowState == wsMaximizedState && manager && manager->MDIClient)
        PostMessageA(manager->MDIClient, XM_REDRAWFRAME, WPARAM(Handle), 0);
      else if (WindowState == wsMinimizedState)
        RestoreCaptionStyle();
      else
        Refit();
    } else if (!IsChild && hasCaption && WindowState != wsMinimizedState) {
      Refit();
    }
  }
  AttachSkinControls(this, SkinData, Handle, Control);
  SendMessageA(Handle, XM_SKINNED, 0, kEngineMark);
  if (SkinData && SkinData->OnAfterSkinForm) {
    TObject* sender = Control ? static_cast<TObject*>(Control) : this;
    SkinData->OnAfterSkinForm(sender, uintptr_t(Handle), WindowClassName);
  }
  AttachState = asRunning;
  if (Active) HoverTimer->SetEnabled(true);
}

void TWinSkinForm::Refit() {
  // The frame was held back until now: the window's frame is calculated and drawn afresh.
  AttachState = asSizing;
  SetWindowPos(Handle, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  AttachState = asRunning;
  // An activation that came while the frame was held back is shown now.
  SendMessageA(Handle, WM_NCACTIVATE, GetActiveWindow() == Handle, 0);
}

void TWinSkinForm::Reapply() {
  if (!Handle || !IsWindow(Handle)) return;
  AttachState = asReapplying;
  if (Control && FrameEnabled && SkinData)
    Control->SetColor(TColor(SkinData->Content().Colours.ButtonFace & 0xFFFFFF));
  ComputeMetrics();
  SendMessageA(Handle, XM_SKINNED, 0, kEngineMark);
  if (SkinData && SkinData->OnAfterSkinForm) {
    TObject* sender = Control ? static_cast<TObject*>(Control) : this;
    SkinData->OnAfterSkinForm(sender, uintptr_t(Handle), WindowClassName);
  }
  ReapplySkinControls(this);
  AttachState = asRunning;
}

void TWinSkinForm::RestoreCaptionStyle() {
  if (!captionStyleDropped_) return;
  captionStyleDropped_ = false;
  SetWindowLongA(Handle, GWL_STYLE, GetWindowLongA(Handle, GWL_STYLE) | WS_CAPTION);
}

void TWinSkinForm::Detach() {
  if (detached_) return;
  detached_ = true;
  DetachSkinControls(this);
  const bool destroying = AttachState == asDestroying || AttachState == asDestroyed || !IsWindow(Handle) ||
                          (Control && Control->IsDestroying());
  if (HoverTimer) HoverTimer->SetEnabled(false);
  chainEntry_.Leave();
  subclass_.Remove();
  if (destroying) return;
  if (colorSaved_ && Control) Control->SetColor(SavedColor);
  colorSaved_ = false;
  if (FrameEnabled) {
    RestoreCaptionStyle();
    if (NativeMenu && GetMenu(Handle) != NativeMenu) SetMenu(Handle, NativeMenu);
    if (FrameFitted && (Kind == wkMDIChild || !IsChild)) {
      // Back to the system frame with the client area the window has now.
      RECT r{};
      GetWindowRect(Handle, &r);
      const int w = r.right - r.left + SystemNonClient.cx - BorderLeft - BorderRight;
      const int h = r.bottom - r.top + SystemNonClient.cy - CaptionHeight - BorderBottom - MenuHeight;
      SetWindowPos(Handle, nullptr, 0, 0, w, h,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
      FrameFitted = false;
    }
    if (RegionSet) {
      SetWindowRgn(Handle, nullptr, TRUE);
      RegionSet = false;
    }
    Region.Reset();
  }
  SetWindowPos(Handle, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TWinSkinForm::DetachOnDestroy() {
  // The window is going: a raw window's procedure is put back by the subclassing itself
  // once the message has passed, and a form's chain outlives its window; only what is ours
  // goes here.
  if (HoverTimer) HoverTimer->SetEnabled(false);
  Region.Reset();
  RegionSet = false;
  colorSaved_ = false;
  DetachSkinControls(this);
}

void TWinSkinForm::FrameWndProc(TMessage& m, const TMessageNext& next) {
  switch (m.Msg) {
    case WM_NCPAINT:
      if (AttachState == asAttached) {
        m.Result = 0;
        return;
      }
      break;
    case WM_NCACTIVATE:
      if (AttachState == asAttached && Kind != wkMDIChild) {
        m.Result = 0;
        return;
      }
      break;
    case WM_ERASEBKGND:
      if (IsRaw() && SkinData) {
        if (TSkinDataWin32* side = Win32Side(*SkinData)) {
          RECT r{};
          GetClientRect(Handle, &r);
          FillRect(reinterpret_cast<HDC>(m.WParam), &r, side->FaceBrush());
          m.Result = 1;
          return;
        }
      }
      break;
    case WM_NCDESTROY:
      AttachState = asDestroying;
      DetachOnDestroy();
      next(m);
      // A form may get a new window later; it is not skinned by this object.
      chainEntry_.Leave();
      AttachState = asDestroyed;
      return;
    case kThemeCaptionDraw: m.Result = 0; return;
    case WM_INITMENUPOPUP:
      if (TSkinManage* manager = SkinManage())
        manager->PopupMode = reinterpret_cast<HMENU>(m.WParam) == SystemMenu ? pmSystemMenu : pmMenuBar;
      break;
    case WM_CTLCOLORSTATIC:
      next(m);
      if (IsRaw() && SkinData) {
        SetBkMode(reinterpret_cast<HDC>(m.WParam), TRANSPARENT);
        if (TSkinDataWin32* side = Win32Side(*SkinData))
          m.Result = reinterpret_cast<LRESULT>(side->FaceBrush());
      }
      return;
    case WM_CTLCOLORBTN:
      next(m);
      if (IsRaw()) SetBkMode(reinterpret_cast<HDC>(m.WParam), TRANSPARENT);
      return;
    case XM_INITFRAME: FinishAttachment(); return;
    case XM_RECREATED: SkinControlRecreated(this, reinterpret_cast<HWND>(m.WParam)); return;
    case XM_ISSKINNED: m.Result = 1; return;
    case XM_QUERYENGINE:
      if (Control && FrameEnabled) {
        m.Result = m.LParam == kEngineMark ? kEngineMark : 1;
        return;
      }
      break;
    case XM_REAPPLY:
      if (Control && FrameEnabled) {
        Reapply();
        return;
      }
      break;
    default: break;
  }
  next(m);
}
