#include "skin/forms/win_skin_form_win32.h"

#include <mutex>
#include <unordered_set>

#include "framework/application_win32.h"
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
constexpr UINT kMenuChanged = 0xB015;     // a form's menu changed
constexpr UINT kDialogChar = 0xB006;      // a form's dialog key, passed to the main form
constexpr UINT kHoverInterval = 250;

// Every skin form of the process: the GUI thread's and those of a thread that shows its own
// skinned windows for a while (the reporter's dialogs), hence the lock.
std::mutex gLiveLock;
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
    default: return IsIconic(wnd) ? wsMinimizedState : IsZoomed(wnd) ? wsMaximizedState : wsNormalState;
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

bool IsSizingHit(LRESULT hit) { return hit >= HTLEFT && hit <= HTBOTTOMRIGHT; }

}  // namespace

TWinSkinForm::TWinSkinForm(TComponent* owner) : TComponent(owner) {
  {
    std::lock_guard<std::mutex> guard(gLiveLock);
    LiveForms().insert(this);
  }
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
  {
    std::lock_guard<std::mutex> guard(gLiveLock);
    LiveForms().erase(this);
  }
  if (AttachState != asDestroying && AttachState != asDestroyed && Handle && IsWindow(Handle)) Detach();
  FreeSkinnedSystemMenu();
  if (TSkinManage* m = SkinManage()) m->RemoveForm(this);
}

bool TWinSkinForm::IsLive(const TWinSkinForm* form) {
  if (!form) return false;
  std::lock_guard<std::mutex> guard(gLiveLock);
  return LiveForms().count(form) != 0;
}

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
  HoverTimer->SetOnTimer([this](TObject*) { HoverTick(); });

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

  if (Kind == wkMDIFrame) {
    savedMenuUpdate_ = skinData->MenuUpdate();
    mdiClientSubclass_ = TWindowSubclass(
        MDIClientWindow, [this](TMessage& m, const TMessageNext& next) { MDIClientProc(m, next); });
  }

  auto handler = [this](TMessage& m, const TMessageNext& next) { FrameWndProc(m, next); };
  if (Control)
    chainEntry_ = Control->EnterMessageChain(handler);
  else
    subclass_ = TWindowSubclass(wnd, handler);

  if (FrameEnabled) {
    // The menu band: the skinned menu bar draws the window's menu there, so the window
    // gives its menu up while skinned (Detach gives it back).
    HMENU menu = Kind != wkMDIChild ? GetMenu(wnd) : nullptr;
    if (menu) {
      NativeMenu = menu;
      MenuHeight = GetSystemMetrics(SM_CYMENU);
      SetMenu(wnd, nullptr);
    }
    const bool keepCaption =
        (Kind == wkMDIChild && manager && manager->MDIMaximized) || WindowState == wsMinimizedState;
    if (!keepCaption) DropCaptionStyle();
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
  CaptionButtons.clear();
  HotObject = nullptr;
  for (auto& cached : pieceCache_) cached = TPieceCache();
  InvalidateCaption();
  for (const auto& b : SkinData->Content().SysButtons) {
    auto button = std::make_unique<TWinSysButton>(this, b.get());
    button->Enabled = true;
    CaptionButtons.push_back(std::move(button));
  }
}

void TWinSkinForm::FreeCaptionButtons() {
  HotObject = nullptr;
  CaptionButtons.clear();
  RightButtonsLeft = 0;
}

void TWinSkinForm::RebuildButtons() {
  FreeCaptionButtons();
  ComputeMetrics();
}

void TWinSkinForm::FinishAttachment(bool inPaint) {
  initialised_ = true;
  SystemMenu = GetSystemMenu(Handle, FALSE);
  IconSize = GetSystemMetrics(SM_CXSMICON);
  IconHandle = reinterpret_cast<HICON>(SendMessageA(Handle, WM_GETICON, ICON_SMALL, 0));
  if (!IconHandle) IconHandle = reinterpret_cast<HICON>(SendMessageA(Handle, WM_GETICON, ICON_BIG, 0));
  if (!IconHandle) IconHandle = reinterpret_cast<HICON>(GetClassLongPtrA(Handle, GCLP_HICONSM));
  IconBitmap = IconPicture(IconHandle, IconSize, GetSystemMetrics(SM_CYSMICON));
  InvalidateCaption();
  if (SkinData && SkinData->CaptionIcon().Empty() && !IconBitmap.Empty())
    SkinData->CaptionIcon() = IconBitmap.Clone();
  RECT w{}, c{};
  GetWindowRect(Handle, &w);
  GetClientRect(Handle, &c);
  WindowRect = w;
  WindowSize = {w.right - w.left, w.bottom - w.top};
  SystemNonClient = {WindowSize.cx - (c.right - c.left), WindowSize.cy - (c.bottom - c.top)};

  if (AttachState == asAttached && FrameEnabled) {
    const bool hasCaption =
        (GetWindowLongA(Handle, GWL_STYLE) & WS_CAPTION) == WS_CAPTION || captionStyleDropped_;
    if (Kind == wkMDIChild) {
      TSkinManage* manager = SkinManage();
      if (WindowState == wsMaximizedState && manager && manager->MDIClient) {
        PostMessageA(manager->MDIClient, XM_REDRAWFRAME, WPARAM(Handle), 0);
      } else if (WindowState == wsMinimizedState) {
        RestoreCaptionStyle();
      } else {
        AttachState = asSizing;
        SizeToFrame(true);
        AttachState = asRunning;
        BuildRegion(true);
      }
    } else if (!IsChild && hasCaption && WindowState != wsMinimizedState) {
      // Sizing and cutting a shown window each repaint it whole, children included; inside
      // its first paint that would be twice more than needed.
      AttachState = asSizing;
      SizeToFrame(true, inPaint);
      AttachState = asRunning;
      // What the window had to paint was reckoned from the system frame's client area; the
      // client moved under the skinned frame.
      if (inPaint) RedrawWindow(Handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN);
      if (WindowState == wsNormalState)
        BuildRegion(true, !inPaint);
      else
        SetWindowPos(Handle, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED |
                         (inPaint ? SWP_DEFERERASE : 0));
    }
  }
  AttachSkinControls(this, SkinData, Handle, Control);
  SendMessageA(Handle, XM_SKINNED, 0, kEngineMark);
  if (SkinData && SkinData->OnAfterSkinForm) {
    TObject* sender = Control ? static_cast<TObject*>(Control) : this;
    SkinData->OnAfterSkinForm(sender, uintptr_t(Handle), WindowClassName);
  }
  AttachState = asRunning;
  if (FrameEnabled) {
    // An activation that came while the frame was held back is shown now (inside a paint,
    // by that paint: the frame is marked for it).
    Active = GetActiveWindow() == Handle;
    if (!inPaint) RefreshFrame();
  }
  if (Active) HoverTimer->SetEnabled(true);
}

void TWinSkinForm::SizeToFrame(bool firstSizing, bool deferErase) {
  const UINT erase = deferErase ? SWP_DEFERERASE : 0;
  if (WindowState == wsMaximizedState) {
    SetWindowPos(Handle, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | erase);
    return;
  }
  RECT c{};
  GetClientRect(Handle, &c);
  int clientHeight = c.bottom - c.top;
  // Under the system frame the band of the menu given up belongs to the client area.
  if (firstSizing && Kind != wkMDIChild) clientHeight -= MenuHeight;
  TSkinnedSize size = SkinnedWindowSize(c.right - c.left, clientHeight, Metrics());
  int childShift = 0;
  if (IsSystemDialog && firstSizing && SkinData) {
    const TDataSkinTitle& title = *SkinData->Content().Title;
    const int textWidth = MeasureCaptionText(TextPrefix + WindowTextAnsi() + TextSuffix);
    const TDialogWidening w = WidenForCaption(size.Width, title.LeftWidth, textWidth, title.RightWidth);
    size.Width = w.Width;
    childShift = w.ChildShift;
  }
  if (childShift > 0) {
    for (HWND child = GetWindow(Handle, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      RECT r{};
      GetWindowRect(child, &r);
      MapWindowPoints(nullptr, Handle, reinterpret_cast<POINT*>(&r), 2);
      SetWindowPos(child, nullptr, r.left + childShift, r.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
  }
  SetWindowPos(Handle, nullptr, 0, 0, size.Width, size.Height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | erase);
  if (childShift > 0) {
    // The children were moved without drawing: the whole window draws afresh, so that no
    // picture of them is left at their old places.
    RedrawWindow(Handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
  }
  FrameFitted = true;
}

void TWinSkinForm::Reapply() {
  if (!Handle || !IsWindow(Handle)) return;
  if (Control && FrameEnabled && SkinData)
    Control->SetColor(TColor(SkinData->Content().Colours.ButtonFace & 0xFFFFFF));

  AttachState = asReapplying;
  if (FrameEnabled) {
    for (auto& cached : pieceCache_) cached = TPieceCache();
    InvalidateCaption();
    if (CaptionButtons.empty()) ComputeMetrics();
    if (!IsChild || Kind == wkMDIChild) SizeToFrame(false);
    BuildRegion(true);
  }
  SendMessageA(Handle, XM_SKINNED, 0, kEngineMark);
  if (SkinData && SkinData->OnAfterSkinForm) {
    TObject* sender = Control ? static_cast<TObject*>(Control) : this;
    SkinData->OnAfterSkinForm(sender, uintptr_t(Handle), WindowClassName);
  }
  ReapplySkinControls(this);
  AttachState = asRunning;
  if (FrameEnabled) RefreshFrame();
}

void TWinSkinForm::DropCaptionStyle() {
  if (!HasNoCaptionStyleBox() || captionStyleDropped_) return;
  const LONG style = GetWindowLongA(Handle, GWL_STYLE);
  if ((style & WS_CAPTION) != WS_CAPTION) return;
  SetWindowLongA(Handle, GWL_STYLE, style & ~WS_CAPTION);
  captionStyleDropped_ = true;
}

void TWinSkinForm::RestoreCaptionStyle() {
  if (!captionStyleDropped_) return;
  captionStyleDropped_ = false;
  SetWindowLongA(Handle, GWL_STYLE, GetWindowLongA(Handle, GWL_STYLE) | WS_CAPTION);
}

void TWinSkinForm::RefreshFrame() {
  if (WindowState == wsMaximizedState && Kind == wkMDIChild) {
    if (TSkinManage* manager = SkinManage(); manager && manager->MDIClient)
      PostMessageA(manager->MDIClient, XM_REDRAWFRAME, WPARAM(Handle), 0);
    return;
  }
  PaintFrame(nullptr);
}

// The system's default handling of some messages draws the system caption straight into a
// window that has the caption style; the style is taken away for the call.
void TWinSkinForm::DefaultWithoutCaption(TMessage& m, const TMessageNext& next) {
  const LONG style = GetWindowLongA(Handle, GWL_STYLE);
  const bool strip = (style & WS_CAPTION) == WS_CAPTION;
  if (strip) SetWindowLongA(Handle, GWL_STYLE, style & ~WS_CAPTION);
  next(m);
  if (strip && IsWindow(Handle))
    SetWindowLongA(Handle, GWL_STYLE, GetWindowLongA(Handle, GWL_STYLE) | WS_CAPTION);
}

void TWinSkinForm::Detach() {
  if (detached_) return;
  detached_ = true;
  DetachSkinControls(this);
  const bool destroying = AttachState == asDestroying || AttachState == asDestroyed || !IsWindow(Handle) ||
                          (Control && Control->IsDestroying());
  FreeSkinnedSystemMenu();
  if (HoverTimer) HoverTimer->SetEnabled(false);
  HotObject = nullptr;
  chainEntry_.Leave();
  subclass_.Remove();
  mdiClientSubclass_.Remove();

  if (destroying) return;
  if (colorSaved_ && Control) Control->SetColor(SavedColor);
  colorSaved_ = false;
  if (!FrameEnabled) return;
  RestoreCaptionStyle();
  if (sysMenuStyleRemoved_ && (Boxes & bxSystemMenu))
    SetWindowLongA(Handle, GWL_STYLE, GetWindowLongA(Handle, GWL_STYLE) | WS_SYSMENU);
  sysMenuStyleRemoved_ = false;
  const bool menuBack = NativeMenu && GetMenu(Handle) != NativeMenu && IsMenu(NativeMenu);
  if (menuBack) SetMenu(Handle, NativeMenu);
  if (SkinData && Kind == wkMDIFrame) SkinData->SetMenuUpdate(savedMenuUpdate_);
  if (RegionSet) {
    SetWindowRgn(Handle, nullptr, TRUE);
    RegionSet = false;
  }
  Region.Reset();
  if (FrameFitted && (Kind == wkMDIChild || !IsChild) && WindowState == wsNormalState) {
    // Back to the system frame with the client area the window has now.
    RECT r{};
    GetWindowRect(Handle, &r);
    const int w = r.right - r.left + SystemNonClient.cx - BorderLeft - BorderRight;
    int h = r.bottom - r.top + SystemNonClient.cy - CaptionHeight - BorderBottom - MenuHeight;
    if (menuBack) h += GetSystemMetrics(SM_CYMENU);
    SetWindowPos(Handle, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  } else {
    SetWindowPos(Handle, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  FrameFitted = false;
}

void TWinSkinForm::DetachOnDestroy() {
  // The window is going: a raw window's procedure is put back by the subclassing itself
  // once the message has passed, and a form's chain outlives its window; only what is ours
  // goes here.
  if (HoverTimer) HoverTimer->SetEnabled(false);
  FreeSkinnedSystemMenu();
  HotObject = nullptr;
  mdiClientSubclass_.Remove();
  Region.Reset();
  RegionSet = false;
  colorSaved_ = false;
  DetachSkinControls(this);
}

POINT TWinSkinForm::WindowPoint(POINT screen) const {
  RECT w{};
  GetWindowRect(Handle, &w);
  return {screen.x - w.left, screen.y - w.top};
}

// ---------------------------------------------------------------------------------------
// The window procedure.

void TWinSkinForm::FrameWndProc(TMessage& m, const TMessageNext& next) {
  // A top-level window shown before the posted XM_INITFRAME gets its skinned frame with the
  // first message that paints it: the show's one painting pass then paints it skinned.
  if (!initialised_ && FrameEnabled && Kind == wkOrdinary && !IsChild &&
      (m.Msg == WM_NCPAINT || m.Msg == WM_ERASEBKGND || m.Msg == WM_PAINT) && IsWindowVisible(Handle))
    FinishAttachment(true);
  switch (m.Msg) {
    case WM_NCPAINT:
      if (AttachState == asAttached) {
        m.Result = 0;
        return;
      }
      break;
    case WM_NCACTIVATE:
      // Before the frame is initialised nothing is painted; the answer is 1 all the same,
      // since 0 would keep the window from being deactivated.
      if (AttachState == asAttached && Kind != wkMDIChild) {
        Active = m.WParam != 0;
        m.Result = 1;
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
    case WM_NCDESTROY: {
      AttachState = asDestroying;
      // Whatever the window's destruction frees (a form freed with its window), it must
      // not free this object before state 6 is written: from here on the manager frees it.
      LeaveOwner();
      DetachOnDestroy();
      next(m);
      // A form may get a new window later; it is not skinned by this object.
      chainEntry_.Leave();
      AttachState = asDestroyed;
      return;
    }
    case kThemeCaptionDraw: m.Result = 0; return;
    case WM_INITMENUPOPUP:
      if (TSkinManage* manager = SkinManage()) {
        const HMENU menu = reinterpret_cast<HMENU>(m.WParam);
        manager->PopupMode =
            (menu == SystemMenu || (menu && menu == SkinnedSystemMenu)) ? pmSystemMenu : pmMenuBar;
      }
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
    case XM_INITFRAME:
      if (!initialised_) FinishAttachment();
      return;
    case WM_PAINT:
      // A window painted at once when shown (UpdateWindow) would show its client area once
      // without the skinned frame and once with it: attachment finishes first.
      if (!initialised_ && FrameEnabled && IsWindowVisible(Handle)) FinishAttachment();
      break;
    case XM_ISSKINNED: m.Result = 1; return;
    case XM_RECREATED:
      // The control in wParam was re-created: its painter is replaced.
      SkinControlRecreated(this, reinterpret_cast<HWND>(m.WParam));
      return;
    default: break;
  }
  if (Control && FrameEnabled && FormMessageHook(m, next)) return;
  if (!FrameEnabled || (IsChild && Kind != wkMDIChild) || !Stage2(m, next)) next(m);
}

// The framework form's own messages.
bool TWinSkinForm::FormMessageHook(TMessage& m, const TMessageNext& next) {
  switch (m.Msg) {
    case WM_SETTEXT:
      if (!IsWindowVisible(Handle) || AttachState == asAttached) return false;
      DefaultWithoutCaption(m, next);
      if (WindowState == wsMaximizedState && Kind == wkMDIChild) {
        if (MDIClientWindow) PostMessageA(MDIClientWindow, XM_REDRAWFRAME, WPARAM(Handle), 0);
      } else {
        PaintFrame(nullptr);
      }
      return true;
    case XM_REAPPLY: Reapply(); return true;
    case kDialogChar: {
      next(m);
      if (m.Result) return true;
      // Without a menu bar of ours, a dialog key goes to the main form.
      // Only from the main form's own thread: a dialog of another thread must not run the
      // main form's window procedure.
      TForm* mainForm = Application ? Application->MainForm() : nullptr;
      if (mainForm && mainForm != Control && mainForm->HandleAllocated() &&
          GetWindowThreadProcessId(mainForm->Handle(), nullptr) == GetCurrentThreadId())
        m.Result = mainForm->Perform(m.Msg, m.WParam, m.LParam);
      return true;
    }
    case XM_PAINTFRAME:
      if (m.LParam != kEngineMark) return false;
      PaintFrame(reinterpret_cast<HDC>(m.WParam));
      m.Result = kEngineMark;
      return true;
    case XM_QUERYENGINE: m.Result = m.LParam == kEngineMark ? kEngineMark : 1; return true;
    default: return false;
  }
}

bool TWinSkinForm::Stage2(TMessage& m, const TMessageNext& next) {
  switch (m.Msg) {
    case WM_COMMAND:
      switch (m.WParam & 0xFFF0) {
        case SC_SIZE:
        case SC_MOVE:
        case SC_MINIMIZE:
        case SC_MAXIMIZE:
        case SC_NEXTWINDOW:
        case SC_PREVWINDOW:
        case SC_CLOSE:
        case SC_RESTORE:
          if (HIWORD(m.WParam) == 0 && m.LParam == 0) {
            PostMessageA(Handle, WM_SYSCOMMAND, m.WParam, 0);
            return true;
          }
          break;
        default: break;
      }
      return false;
    case WM_GETMINMAXINFO:
      next(m);
      WindowState = WindowStateOf(Handle);
      if (WindowState == wsMinimizedState || IsMaximizedMDIChild())
        RestoreCaptionStyle();
      else
        DropCaptionStyle();
      return true;
    case WM_SIZE: {
      next(m);
      WindowState = m.WParam == SIZE_MINIMIZED ? wsMinimizedState
                    : m.WParam == SIZE_MAXIMIZED ? wsMaximizedState
                                                 : wsNormalState;
      TSkinManage* manager = SkinManage();
      const bool mdiSkip = Kind == wkMDIChild && (WindowState != wsNormalState || (manager && manager->MDIMaximized));
      if (WindowState != wsMinimizedState && !mdiSkip && (AttachState == asRunning || AttachState == asReapplying))
        BuildRegion();
      return true;
    }
    case WM_ACTIVATE:
      Active = LOWORD(m.WParam) != WA_INACTIVE;
      return Stage3(m, next);
    case WM_NCACTIVATE: Active = m.WParam != 0; return Stage3(m, next);
    case WM_WINDOWPOSCHANGED:
      WindowState = WindowStateOf(Handle);
      next(m);
      return true;
    case WM_SYSCOMMAND: return SysCommand(m, next);
    case kMenuChanged:
      NCPaintSuppressed = true;
      next(m);
      NCPaintSuppressed = false;
      if (HMENU menu = GetMenu(Handle)) {
        NativeMenu = menu;
        SetMenu(Handle, nullptr);
      }
      return true;
    case WM_SETTEXT:
    case WM_SETICON:
      if (AttachState == asAttached) return false;
      DefaultWithoutCaption(m, next);
      if (m.Msg == WM_SETICON) {
        IconHandle = reinterpret_cast<HICON>(SendMessageA(Handle, WM_GETICON, ICON_SMALL, 0));
        if (!IconHandle) IconHandle = reinterpret_cast<HICON>(SendMessageA(Handle, WM_GETICON, ICON_BIG, 0));
        IconBitmap = IconPicture(IconHandle, IconSize, GetSystemMetrics(SM_CYSMICON));
        InvalidateCaption();
      }
      RefreshFrame();
      return true;
    case WM_CONTEXTMENU: {
      // The default handling would show the system's own system menu for the caption.
      if (m.LParam == -1 || AttachState == asAttached) return false;
      const POINT p{short(LOWORD(m.LParam)), short(HIWORD(m.LParam))};
      const POINT w = WindowPoint(p);
      if (w.y >= 0 && w.y < CaptionHeight) {
        m.Result = 0;
        return true;
      }
      return false;
    }
    default: return Stage3(m, next);
  }
}

bool TWinSkinForm::Stage3(TMessage& m, const TMessageNext& next) {
  if (IsMaximizedMDIChild() || AttachState == asAttached) return false;
  switch (m.Msg) {
    case WM_NCACTIVATE: NCActivate(m, next); return true;
    case WM_NCCALCSIZE: NCCalcSize(m, next); return true;
    case WM_NCHITTEST: NCHitTest(m, next); return true;
    case WM_NCPAINT: NCPaint(m, next); return true;
    case WM_NCMOUSEMOVE:
      if (NCMouseMove(m)) return true;
      return false;
    case WM_NCLBUTTONDOWN: return NCLButtonDown(m, next);
    case WM_NCLBUTTONUP: return NCLButtonUp(m);
    case WM_NCLBUTTONDBLCLK: return NCLButtonDblClk(m, next);
    case WM_NCRBUTTONDOWN: return NCRButtonDown(m);
    case WM_NCRBUTTONUP:
      // Its default handling asks for the system's system menu.
      if (m.WParam == HTCAPTION && Kind != wkMDIChild) {
        m.Result = 0;
        return true;
      }
      return false;
    case WM_DRAWITEM:
    case WM_MEASUREITEM: return MenuItemMessage(m);
    case XM_REPAINTFRAME: PaintFrame(nullptr); return true;
    default: return false;
  }
}

void TWinSkinForm::NCActivate(TMessage& m, const TMessageNext& next) {
  Active = m.WParam != 0;
  if (HoverTimer) HoverTimer->SetEnabled(Active && AttachState == asRunning);
  if (Kind == wkMDIFrame && MDIClientWindow)
    SendMessageA(MDIClientWindow, WM_NCACTIVATE, m.WParam, m.LParam);
  else if (Kind == wkMDIChild)
    next(m);
  if (!IsMaximizedMDIChild()) PaintFrame(nullptr);
  m.Result = 1;
}

void TWinSkinForm::NCCalcSize(TMessage& m, const TMessageNext& next) {
  // The window's new rectangle, before the default handling turns it into a client one.
  RECT proposed{};
  if (m.WParam) {
    proposed = reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam)->rgrc[0];
  } else {
    proposed = *reinterpret_cast<RECT*>(m.LParam);
  }
  next(m);
  const bool mdiOdd = Kind == wkMDIChild && WindowState != wsNormalState;
  if (mdiOdd || BorderKind == bkNoCaption) return;
  // The client area under the skinned frame (never inverted, so that a tiny window still
  // has a valid one).
  RECT c{proposed.left + BorderLeft, proposed.top + CaptionHeight + MenuHeight, proposed.right - BorderRight,
         proposed.bottom - BorderBottom};
  if (c.right < c.left) c.right = c.left;
  if (c.bottom < c.top) c.bottom = c.top;
  if (m.WParam) {
    auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam);
    p->rgrc[0] = c;
    // The old client contents stay at the top left of the new client area.
    m.Result = 0;
  } else {
    *reinterpret_cast<RECT*>(m.LParam) = c;
    m.Result = 0;
  }
}

void TWinSkinForm::NCHitTest(TMessage& m, const TMessageNext& next) {
  next(m);
  const LRESULT hit = m.Result;
  const POINT p = WindowPoint({short(LOWORD(m.LParam)), short(HIWORD(m.LParam))});
  // The system answers after its own picture of the frame: besides nowhere and caption,
  // inside our caption band its answers for its own caption parts (system menu, caption
  // buttons) and thin borders mean our caption too. Sizing borders keep their answers.
  bool ours = hit == HTNOWHERE || hit == HTCAPTION;
  if (!ours && !IsSizingHit(hit) && hit != HTCLIENT && p.y >= 0 && p.y < CaptionHeight + MenuHeight &&
      p.x >= BorderLeft && p.x < WindowSize.cx - BorderRight)
    ours = hit == HTSYSMENU || hit == HTMINBUTTON || hit == HTMAXBUTTON || hit == HTCLOSE || hit == HTHELP ||
           hit == HTBORDER || hit == HTMENU;
  if (!ours) return;
  if (p.y > 3) m.Result = HTCAPTION;
  if (p.y >= CaptionHeight && MenuHeight > 0) m.Result = HTMENU;
}

void TWinSkinForm::NCPaint(TMessage& m, const TMessageNext& next) {
  // Without the system menu style the system never paints caption buttons of its own.
  if (!HasNoCaptionStyleBox()) {
    const LONG style = GetWindowLongA(Handle, GWL_STYLE);
    if (style & WS_SYSMENU) {
      SetWindowLongA(Handle, GWL_STYLE, style & ~WS_SYSMENU);
      sysMenuStyleRemoved_ = true;
    }
  }
  if (!NCPaintSuppressed) {
    if (IsMaximizedMDIChild() || BorderKind == bkNoCaption)
      next(m);
    else
      PaintFrame(nullptr);
  }
  m.Result = 0;
}

bool TWinSkinForm::SysCommand(TMessage& m, const TMessageNext& next) {
  const WPARAM command = m.WParam & 0xFFF0;
  if (!MenuTracking && command == SC_KEYMENU) {
    const int key = int(m.LParam);
    if (key == ' ') {
      POINT origin{0, 0};
      ClientToScreen(Handle, &origin);
      ShowSystemMenu(origin);
      m.Result = 0;
      return true;
    }
    if (key != '-' && GetCapture() == nullptr) {
      // Alt alone or an accelerator: the menu bar's item; without a bar of ours there is
      // none, and the system must not start its own menu mode over the skinned caption.
      if (key == 0) {
        m.Result = 1;
        return true;
      }
    }
  }
  switch (command) {
    case SC_MINIMIZE:
      WindowState = wsMinimizedState;
      if (Kind == wkMDIChild) RestoreCaptionStyle();
      break;
    case SC_MAXIMIZE: WindowState = wsMaximizedState; break;
    case SC_RESTORE:
      WindowState = wsNormalState;
      if (Kind == wkMDIChild) {
        DropCaptionStyle();
        if (TSkinManage* manager = SkinManage()) manager->SetMDIMaximized(false);
      }
      break;
    default: break;
  }
  next(m);
  return true;
}

// ---------------------------------------------------------------------------------------
// The MDI client of an MDI frame.

void TWinSkinForm::MDIClientProc(TMessage& m, const TMessageNext& next) {
  TSkinManage* manager = SkinManage();
  switch (m.Msg) {
    case WM_NCCALCSIZE:
      if (SkinData && !SkinData->Options().Has(xoMDIScrollbar)) {
        const LONG style = GetWindowLongA(m.Wnd, GWL_STYLE);
        if (style & (WS_VSCROLL | WS_HSCROLL))
          SetWindowLongA(m.Wnd, GWL_STYLE, style & ~(WS_VSCROLL | WS_HSCROLL));
      }
      next(m);
      return;
    case WM_MDICREATE: {
      const bool update = SkinData && SkinData->MenuUpdate();
      if (SkinData) SkinData->SetMenuUpdate(false);
      next(m);
      if (SkinData) SkinData->SetMenuUpdate(update);
      return;
    }
    case WM_MDIDESTROY: {
      next(m);
      BOOL maximized = FALSE;
      HWND activeChild = reinterpret_cast<HWND>(SendMessageA(m.Wnd, WM_MDIGETACTIVE, 0, LPARAM(&maximized)));
      if (manager) manager->SetMDIMaximized(activeChild && maximized);
      if (!activeChild && SkinData) SkinData->SetMenuUpdate(savedMenuUpdate_);
      return;
    }
    case WM_MDITILE:
    case WM_MDICASCADE:
      if (manager) manager->SetMDIMaximized(false);
      next(m);
      return;
    case WM_MDISETMENU:
      next(m);
      if (HMENU menu = GetMenu(Handle)) {
        NativeMenu = menu;
        SetMenu(Handle, nullptr);
      }
      return;
    case XM_REDRAWFRAME:
      RedrawWindow(Handle, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
      m.Result = 0;
      return;
    default: next(m); return;
  }
}

void TWinSkinForm::MDIMaximizedChanged(bool maximized) {
  if (Kind != wkMDIChild || !FrameEnabled || AttachState == asDestroying || AttachState == asDestroyed) return;
  if (maximized) {
    if (RegionSet) SetWindowRgn(Handle, nullptr, TRUE);
    RegionSet = false;
    Region.Reset();
    RestoreCaptionStyle();
    return;
  }
  if (WindowState == wsMinimizedState) {
    RestoreCaptionStyle();
    return;
  }
  BuildRegion(true);
  DropCaptionStyle();
  if (!RegionSet)
    SetWindowPos(Handle, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}
