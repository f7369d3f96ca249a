// The caption buttons, the frame's non-client mouse handling and the skinned system menu.
#include "skin/forms/caption_buttons_win32.h"

#include <algorithm>

#include "framework/timer_win32.h"
#include "skin/data/bitmap_routines_win32.h"
#include "skin/data/skin_data.h"
#include "skin/data/skin_data_win32.h"
#include "skin/forms/skin_manage_win32.h"
#include "skin/forms/skin_messages.h"
#include "skin/forms/win_skin_form_win32.h"

namespace {

int Frames(const TDataSkinObject& o) { return o.Frame < 1 ? 1 : o.Frame; }
COLORREF Rgb(uint32_t c) { return COLORREF(ResolveColor(TColor(c)) & 0xFFFFFF); }
POINT ScreenPointOf(LPARAM lp) { return {short(LOWORD(lp)), short(HIWORD(lp))}; }

}  // namespace

// ---------------------------------------------------------------------------------------
// Objects and their mouse states.

void TNCObject::MouseDown() {
  if (Owner->HotObject && Owner->HotObject != this) Owner->HotObject->MouseLeave();
  if (!Visible) return;
  Owner->HotObject = this;
  MouseState = msPressed;
  Paint();
}

void TNCObject::MouseUp() {
  if (!Visible) return;
  MouseState = msHot;
  Paint();
}

void TNCObject::MouseMove() {
  if (Owner->HotObject == this) return;
  if (Owner->HotObject) Owner->HotObject->MouseLeave();
  if (!Visible) return;
  Owner->HotObject = this;
  MouseState = msHot;
  Paint();
}

void TNCObject::MouseLeave() {
  if (!Visible) return;
  if (Owner->HotObject == this) Owner->HotObject = nullptr;
  MouseState = msNormal;
  Paint();
}

int TWinSysButton::Action() const { return Source->Action; }

int TWinSysButton::StateFrame() const {
  if (!Enabled) return 1;
  if (Source->Visibility == 100 && MouseState == msHot) return 4;
  return MouseState;
}

void TWinSysButton::PaintInto(HDC dc, int frame) const {
  const TWinSkinForm& f = *Owner;
  if (Source->Action == 3 || Source->Action == 11) {
    if (f.IconHandle) {
      DrawIconEx(dc, Bounds.left, Bounds.top, f.IconHandle, f.IconSize, f.IconSize, 0, nullptr, DI_NORMAL);
    } else if (!f.IconBitmap.Empty()) {
      RECT r{Bounds.left, Bounds.top, Bounds.left + f.IconBitmap.Width(), Bounds.top + f.IconBitmap.Height()};
      DrawTransparent(dc, r, f.IconBitmap, kKeyColor);
    }
    return;
  }
  if (Source->Image.Empty()) return;
  DrawFrameStretched(dc, Bounds, Source->Image, true, Frames(*Source), frame);
}

void TWinSysButton::Paint() {
  TWinSkinForm& f = *Owner;
  if (!Visible || !f.Handle || f.AttachState != asRunning) return;
  const int w = Bounds.right - Bounds.left, h = Bounds.bottom - Bounds.top;
  if (w <= 0 || h <= 0) return;
  TWindowDC dc(f.Handle, TWindowDC::kWholeWindow);
  if (!dc) return;
  const int frame = StateFrame();
  TStatePicture& state = pictures_[std::clamp(frame, 0, 4)];
  const TWinSkinForm::TCaptionBand& band = f.CurrentBand();
  const bool onBand = band.Valid && Bounds.left >= 0 && Bounds.top >= 0 && Bounds.right <= band.Background.Width() &&
                      Bounds.bottom <= band.Background.Height();
  if (!onBand || state.Generation != f.BandGeneration || !EqualRect(&state.Bounds, &Bounds) ||
      state.Picture.Width() != w || state.Picture.Height() != h) {
    // Composed off-screen over the band as last painted, then kept for this state.
    state.Picture = TSkinBitmap(w, h);
    TMemoryDC mem;
    TSelectObject sel(mem.Get(), static_cast<HBITMAP>(state.Picture.DibHandle()));
    if (onBand) {
      TMemoryDC backDC;
      TSelectObject backSel(backDC.Get(), static_cast<HBITMAP>(band.Background.DibHandle()));
      BitBlt(mem.Get(), 0, 0, w, h, backDC.Get(), Bounds.left, Bounds.top, SRCCOPY);
    } else {
      BitBlt(mem.Get(), 0, 0, w, h, dc.Get(), Bounds.left, Bounds.top, SRCCOPY);
    }
    SetViewportOrgEx(mem.Get(), -Bounds.left, -Bounds.top, nullptr);
    PaintInto(mem.Get(), frame);
    SetViewportOrgEx(mem.Get(), 0, 0, nullptr);
    GdiFlush();
    state.Generation = onBand ? f.BandGeneration : 0;
    state.Bounds = Bounds;
  }
  TMemoryDC mem;
  TSelectObject sel(mem.Get(), static_cast<HBITMAP>(state.Picture.DibHandle()));
  BitBlt(dc.Get(), Bounds.left, Bounds.top, w, h, mem.Get(), 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------------------------------
// The mouse in the non-client area.

TNCObject* TWinSkinForm::ObjectAt(POINT p) {
  for (auto& b : CaptionButtons)
    if (b->Visible && b->Source->Action >= 0 && PtInRect(&b->Bounds, p)) return b.get();
  // Menu-bar items come with the skinned menu bar.
  return nullptr;
}

bool TWinSkinForm::NCMouseMove(TMessage& m) {
  if (!Active) return false;
  if (TNCObject* o = ObjectAt(WindowPoint(ScreenPointOf(m.LParam)))) {
    o->MouseMove();
    m.Result = 0;
    return true;
  }
  if (HotObject) {
    TNCObject* hot = HotObject;
    hot->MouseLeave();
    HotObject = nullptr;
  }
  return false;
}

bool TWinSkinForm::NCLButtonDown(TMessage& m, const TMessageNext&) {
  if (TNCObject* o = ObjectAt(WindowPoint(ScreenPointOf(m.LParam)))) {
    if (!Active) SetForegroundWindow(Handle);
    o->MouseDown();
    m.Result = 0;
    return true;
  }
  // A maximised window is not dragged by its caption.
  if (WindowState == wsMaximizedState && Active && m.WParam == HTCAPTION) m.WParam = HTMENU;
  return false;
}

bool TWinSkinForm::NCLButtonUp(TMessage& m) {
  const POINT p = WindowPoint(ScreenPointOf(m.LParam));
  TNCObject* o = ObjectAt(p);
  if (!o) return false;
  m.Result = 0;
  if (o == HotObject) {
    auto* button = static_cast<TWinSysButton*>(o);
    button->MouseUp();
    RunAction(*button, ScreenPointOf(m.LParam));
  }
  return true;
}

bool TWinSkinForm::NCLButtonDblClk(TMessage& m, const TMessageNext&) {
  if (TNCObject* o = ObjectAt(WindowPoint(ScreenPointOf(m.LParam)))) {
    const int action = static_cast<TWinSysButton*>(o)->Action();
    if (action == 3 || action == 11) {
      if (HoverTimer) HoverTimer->SetEnabled(false);
      PostMessageA(Handle, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    m.Result = 0;
    return true;
  }
  if (m.WParam != HTCAPTION) return false;
  if (WindowState != wsNormalState) {
    WindowState = wsNormalState;
    PostSysCommand(SC_RESTORE);
  } else if (Boxes & bxMaximize) {
    WindowState = wsMaximizedState;
    PostSysCommand(SC_MAXIMIZE);
  } else {
    return false;
  }
  m.Result = 0;
  return true;
}

bool TWinSkinForm::NCRButtonDown(TMessage& m) {
  if (m.WParam != HTCAPTION || Kind == wkMDIChild) return false;
  ShowSystemMenu(ScreenPointOf(m.LParam));
  m.Result = 0;
  return true;
}

void TWinSkinForm::HoverTick() {
  if (MenuTracking) return;
  if (!HotObject) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  const POINT p = WindowPoint(cursor);
  if (!PtInRect(&HotObject->Bounds, p) || GetAncestor(WindowFromPoint(cursor), GA_ROOT) != Handle) {
    TNCObject* hot = HotObject;
    hot->MouseLeave();
    HotObject = nullptr;
  }
}

void TWinSkinForm::PostSysCommand(WPARAM command) { PostMessageA(Handle, WM_SYSCOMMAND, command, 0); }

void TWinSkinForm::RunAction(TWinSysButton& button, POINT screen) {
  const int action = button.Action();
  const TSystemVersion version = SkinManage() ? SkinManage()->SystemVersion : ReadSystemVersion();
  switch (action) {
    case 0:
      if ((version.Major < 5 && !version.Hybrid) || version.Hybrid ||
          (SystemMenu && GetMenuState(SystemMenu, SC_CLOSE, MF_BYCOMMAND) != UINT(-1))) {
        if (HoverTimer) HoverTimer->SetEnabled(false);
        PostSysCommand(SC_CLOSE);
      }
      return;
    case 1:
    case 22:
      if (button.Enabled) ToggleMaximize();
      return;
    case 2:
    case 23:
      if (button.Enabled) ToggleMinimize();
      return;
    case 3:
    case 11:
    case 12: ShowSystemMenu({screen.x + 1, screen.y + 1}); return;
    case 7:
    case 60:
    case 8:
    case 61:
    case 9:
    case 62: {
      if (Kind != wkMDIFrame || !MDIClientWindow) return;
      HWND child = reinterpret_cast<HWND>(SendMessageA(MDIClientWindow, WM_MDIGETACTIVE, 0, 0));
      if (!child) return;
      const WPARAM cmd = (action == 7 || action == 60)   ? SC_MINIMIZE
                         : (action == 8 || action == 61) ? SC_RESTORE
                                                         : SC_CLOSE;
      SendMessageA(child, WM_SYSCOMMAND, cmd, 0);
      return;
    }
    default: PostMessageA(Handle, XM_CAPTIONBUTTON, WPARAM(action), 0); return;
  }
}

void TWinSkinForm::ToggleMaximize() {
  if (WindowState == wsMaximizedState) {
    WindowState = wsNormalState;
    PostSysCommand(SC_RESTORE);
    return;
  }
  if (Kind == wkMDIChild)
    if (TSkinManage* manager = SkinManage()) manager->SetMDIMaximized(true);
  WindowState = wsMaximizedState;
  PostSysCommand(SC_MAXIMIZE);
  HotObject = nullptr;
}

void TWinSkinForm::ToggleMinimize() {
  if (WindowState == wsMinimizedState) {
    WindowState = wsNormalState;
    PostSysCommand(SC_RESTORE);
    return;
  }
  WindowState = wsMinimizedState;
  if (Boxes & bxSystemMenu) SetWindowLongA(Handle, GWL_STYLE, GetWindowLongA(Handle, GWL_STYLE) | WS_SYSMENU);
  PostSysCommand(SC_MINIMIZE);
}

// ---------------------------------------------------------------------------------------
// The skinned system menu.

void TWinSkinForm::FreeSkinnedSystemMenu() {
  if (SkinnedSystemMenu) DestroyMenu(SkinnedSystemMenu);
  SkinnedSystemMenu = nullptr;
  sysMenuItems_.clear();
}

void TWinSkinForm::ShowSystemMenu(POINT screen) {
  if (MenuTracking || !Handle) return;
  const DWORD now = GetTickCount();
  if (LastSysMenuTick && now - LastSysMenuTick < DoubleClickTime) {
    // A second request as quick as a double-click closes the window.
    LastSysMenuTick = 0;
    if (HotObject) {
      if (HoverTimer) HoverTimer->SetEnabled(false);
      PostMessageA(Handle, WM_CLOSE, 0, 0);
    }
    return;
  }
  if (TSkinManage* manager = SkinManage()) manager->PopupMode = pmSystemMenu;
  LastSysMenuTick = now;
  FreeSkinnedSystemMenu();
  SkinnedSystemMenu = CreatePopupMenu();
  if (!SkinnedSystemMenu) return;
  MENUINFO info{};
  info.cbSize = sizeof info;
  info.fMask = MIM_MENUDATA;
  info.dwMenuData = kSystemMenuTag;
  SetMenuInfo(SkinnedSystemMenu, &info);

  const bool maximized = WindowState == wsMaximizedState, minimized = WindowState == wsMinimizedState;
  auto add = [&](std::string text, UINT command, int image, bool separator, bool grayed, bool checked) {
    auto item = std::make_unique<TSysMenuItem>();
    item->Text = std::move(text);
    item->Command = command;
    item->Image = image;
    item->Separator = separator;
    item->Grayed = grayed;
    const UINT flags = MF_OWNERDRAW | (separator ? MF_SEPARATOR : 0) | (grayed ? MF_GRAYED : 0) |
                       (checked ? MF_CHECKED : 0);
    AppendMenuA(SkinnedSystemMenu, flags, command, reinterpret_cast<LPCSTR>(item.get()));
    sysMenuItems_.push_back(std::move(item));
  };
  const TSystemVersion version = SkinManage() ? SkinManage()->SystemVersion : ReadSystemVersion();
  if (version.Major < 5 && !version.Hybrid) {
    add(" Restore ", SC_RESTORE, 0, false, !maximized && !minimized, false);
    if (Boxes & bxMaximize) add(" Maximize ", SC_MAXIMIZE, 1, false, maximized, false);
    if (Boxes & bxMinimize) add(" Minimize ", SC_MINIMIZE, 2, false, minimized, false);
    add("-", 100, -1, true, false, false);
    add(" Close \tALT+F4", SC_CLOSE, 3, false, false, false);
  } else if (SystemMenu) {
    const int count = GetMenuItemCount(SystemMenu);
    for (int i = 0; i < count; ++i) {
      char text[256] = {};
      MENUITEMINFOA mi{};
      mi.cbSize = sizeof mi;
      mi.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
      mi.dwTypeData = text;
      mi.cch = sizeof text - 1;
      if (!GetMenuItemInfoA(SystemMenu, UINT(i), TRUE, &mi)) continue;
      if (mi.fType & MFT_SEPARATOR) {
        add("-", mi.wID, -1, true, false, false);
        continue;
      }
      bool grayed = (mi.fState & (MF_GRAYED | MF_DISABLED)) != 0;
      int image = -1;
      switch (mi.wID & 0xFFF0) {
        case SC_RESTORE:
          image = 0;
          grayed = !maximized && !minimized;
          break;
        case SC_MAXIMIZE:
          image = 1;
          grayed = maximized || !(Boxes & bxMaximize);
          break;
        case SC_MINIMIZE:
          image = 2;
          grayed = minimized || !(Boxes & bxMinimize);
          break;
        case SC_CLOSE: image = 3; break;
        case SC_MOVE: grayed = maximized; break;
        // A window whose border does not size is not sized from its menu either.
        case SC_SIZE: grayed = maximized || BorderKind != bkSizeable; break;
        default: break;
      }
      add(text, mi.wID, image, false, grayed, (mi.fState & MFS_CHECKED) != 0);
    }
  }
  if (!menuFont_) {
    NONCLIENTMETRICSA m{};
    m.cbSize = sizeof m;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, m.cbSize, &m, 0)) {
      m.lfMenuFont.lfCharSet = GB2312_CHARSET;
      menuFont_.Reset(CreateFontIndirectA(&m.lfMenuFont));
    }
  }
  const TWinSkinForm* self = this;
  MenuTracking = true;
  const UINT command = UINT(TrackPopupMenu(SkinnedSystemMenu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD |
                                                                  TPM_RIGHTBUTTON,
                                           screen.x, screen.y, 0, Handle, nullptr));
  if (!IsLive(self)) return;
  MenuTracking = false;
  FreeSkinnedSystemMenu();
  if (command && IsWindow(Handle)) PostSysCommand(command);
}

bool TWinSkinForm::MenuItemMessage(TMessage& m) {
  auto isOurs = [&](ULONG_PTR data) {
    return std::any_of(sysMenuItems_.begin(), sysMenuItems_.end(),
                       [&](const auto& i) { return ULONG_PTR(i.get()) == data; });
  };
  HFONT font = menuFont_ ? menuFont_.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (m.Msg == WM_MEASUREITEM) {
    auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
    if (!mi || mi->CtlType != ODT_MENU || !isOurs(mi->itemData)) return false;
    const auto* item = reinterpret_cast<const TSysMenuItem*>(mi->itemData);
    if (item->Separator) {
      mi->itemWidth = 40;
      mi->itemHeight = 7;
    } else {
      TMemoryDC dc;
      TSelectObject sel(dc.Get(), font);
      RECT r{0, 0, 0, 0};
      std::string label = item->Text, shortcut;
      if (size_t tab = label.find('\t'); tab != std::string::npos) {
        shortcut = label.substr(tab + 1);
        label.resize(tab);
      }
      DrawTextA(dc.Get(), label.c_str(), int(label.size()), &r, DT_SINGLELINE | DT_CALCRECT);
      RECT s{0, 0, 0, 0};
      if (!shortcut.empty())
        DrawTextA(dc.Get(), shortcut.c_str(), int(shortcut.size()), &s, DT_SINGLELINE | DT_CALCRECT);
      mi->itemWidth = UINT(28 + (r.right - r.left) + (shortcut.empty() ? 12 : 24 + (s.right - s.left)));
      mi->itemHeight = UINT(std::max<LONG>(20, r.bottom - r.top + 6));
    }
    m.Result = TRUE;
    return true;
  }
  auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
  if (!di || di->CtlType != ODT_MENU || !isOurs(di->itemData)) return false;
  const auto* item = reinterpret_cast<const TSysMenuItem*>(di->itemData);
  const TSkinColours& colours = SkinData->Content().Colours;
  HDC dc = di->hDC;
  RECT r = di->rcItem;
  const bool grayed = item->Grayed || (di->itemState & (ODS_GRAYED | ODS_DISABLED));
  const bool selected = (di->itemState & ODS_SELECTED) && !item->Separator;
  TGdiBrush back(CreateSolidBrush(Rgb(selected && !grayed ? colours.Hilight : colours.Menu)));
  FillRect(dc, &r, back.Get());
  if (item->Separator) {
    const int y = (r.top + r.bottom) / 2;
    TGdiBrush dark(CreateSolidBrush(Rgb(colours.ButtonShadow)));
    TGdiBrush light(CreateSolidBrush(Rgb(colours.ButtonHilight)));
    RECT line{r.left + 4, y - 1, r.right - 4, y};
    FillRect(dc, &line, dark.Get());
    OffsetRect(&line, 0, 1);
    FillRect(dc, &line, light.Get());
  } else {
    if (item->Image >= 0) {
      if (TSkinDataWin32* side = Win32Side(*SkinData); side && side->MenuGlyphs())
        ImageList_Draw(side->MenuGlyphs(), item->Image, dc, r.left + 4, r.top + (r.bottom - r.top - 16) / 2,
                       grayed ? ILD_BLEND50 : ILD_TRANSPARENT);
    }
    TSelectObject sel(dc, font);
    SetBkMode(dc, TRANSPARENT);
    // Items that cannot be chosen are drawn greyed, hot or not.
    SetTextColor(dc, Rgb(grayed ? colours.ButtonShadow : selected ? colours.HilightText : colours.MenuText));
    std::string label = item->Text, shortcut;
    if (size_t tab = label.find('\t'); tab != std::string::npos) {
      shortcut = label.substr(tab + 1);
      label.resize(tab);
    }
    RECT t{r.left + 26, r.top, r.right - 10, r.bottom};
    DrawTextA(dc, label.c_str(), int(label.size()), &t, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    if (!shortcut.empty()) DrawTextA(dc, shortcut.c_str(), int(shortcut.size()), &t, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
  }
  m.Result = TRUE;
  return true;
}
