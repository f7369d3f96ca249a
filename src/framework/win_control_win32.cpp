// TWinControl: windowed controls, their handles, children, layout and tab order.
#include <algorithm>

#include "framework/application_win32.h"
#include "framework/controls_win32.h"
#include "framework/exception.h"

// ---- TWinControl ----

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  SetDestroying();
  DestroyComponents();  // a control not freed with delete: its painters still see a window
  DestroyHandle();
  for (TControl* c : controls_) c->parent_ = nullptr;
  controls_.clear();
}

void TWinControl::BeforeDestruction() {
  // Owned components (painters, frames) go while this object and its window are whole.
  TControl::BeforeDestruction();
}

void TWinControl::InsertControl(TControl* c) { controls_.push_back(c); }

void TWinControl::RemoveControl(TControl* c) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
}

void TWinControl::CreateParams(TCreateParams& p) {
  p.caption = caption_;
  p.x = Left();
  p.y = Top();
  p.width = Width();
  p.height = Height();
  p.windowClass = ClassName();
  p.style = WS_CLIPCHILDREN;
  if (Parent()) {
    p.style |= WS_CHILD | WS_CLIPSIBLINGS;
    p.parent = Parent()->Handle();
  }
  if (Visible()) p.style |= WS_VISIBLE;
  if (!Enabled()) p.style |= WS_DISABLED;
  if (tabStop_) p.style |= WS_TABSTOP;
}

HWND TWinControl::Handle() {
  if (!handle_) {
    if (Parent()) Parent()->Handle();  // creating the parent creates its children too
    if (!handle_) CreateWnd();
  }
  return handle_;
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  defProc_ = RegisterFrameworkClass(p);
  ownPaint_ = p.systemClass == nullptr;
  static int nextChildId = 1000;
  HMENU id = (p.style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextChildId++)) : nullptr;
  HWND h = CreateFrameworkWindow(p, id);
  if (!h) throw EOSError(Format("Cannot create a window of class %s", p.windowClass.c_str()));
  if (!handle_) AttachHandle(h);
  UpdateFont();
  if (Parent()) SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // The window's real client area is known only now (a form's comes from its ClientWidth and
  // ClientHeight): aligned children are placed before their windows exist, so that none is
  // moved later, when every move would repaint the shown window.
  if (!IsLoading()) AlignControls();
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->Handle();
  HandleCreated();
  HintChanged();
}

void TWinControl::DestroyHandle() {
  if (handle_ && !destroyingHandle_) {
    destroyingHandle_ = true;
    DestroyWindow(handle_);
    destroyingHandle_ = false;
    handle_ = nullptr;
  }
}

void TWinControl::UpdateFont() {
  if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), TRUE);
}

void TWinControl::TextChanged() {
  if (handle_) SetWindowTextA(handle_, caption_.c_str());
}

void TWinControl::FontChanged() {
  UpdateFont();
  for (TControl* c : controls_) c->ParentFontChanged();
}

void TWinControl::ColorChanged() {
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
  for (TControl* c : controls_) c->ParentColorChanged();
}

void TWinControl::VisibleChanged() {
  if (handle_) ShowWindow(handle_, Visible() ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::EnabledChanged() {
  if (handle_) EnableWindow(handle_, Enabled());
}

void TWinControl::BoundsChanged() {
  if (handle_)
    SetWindowPos(handle_, nullptr, Left(), Top(), Width(), Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  if (!IsLoading()) AlignControls();
}

void TWinControl::HintChanged() {
  if (handle_ && Application) Application->UpdateHint(this);
}

void TWinControl::ClientSize(int& width, int& height) {
  RECT r{0, 0, Width(), Height()};
  if (handle_) GetClientRect(handle_, &r);
  width = r.right - r.left;
  height = r.bottom - r.top;
}

void TWinControl::AlignControls() {
  int cw, ch;
  ClientSize(cw, ch);
  RECT room{0, 0, cw, ch};
  // Bottom-aligned controls stack upwards from the lowest one, as they were laid out.
  std::vector<TControl*> bottoms;
  for (TControl* c : controls_)
    if (c->Align() == alBottom && c->Visible()) bottoms.push_back(c);
  std::stable_sort(bottoms.begin(), bottoms.end(),
                   [](TControl* a, TControl* b) { return a->Top() + a->Height() > b->Top() + b->Height(); });
  for (TControl* c : bottoms) {
    room.bottom -= c->Height();
    c->SetBounds(room.left, room.bottom, room.right - room.left, c->Height());
  }
  for (TControl* c : controls_) {
    if (!c->Visible()) continue;
    switch (c->Align()) {
      case alTop:
        c->SetBounds(room.left, room.top, room.right - room.left, c->Height());
        room.top += c->Height();
        break;
      case alClient: c->SetBounds(room.left, room.top, room.right - room.left, room.bottom - room.top); break;
      default: break;
    }
  }
}

void TWinControl::Loaded() {
  TControl::Loaded();
  AlignControls();
}

void TWinControl::SetFocus() {
  if (Handle()) ::SetFocus(handle_);
}

static void CollectTabStops(TWinControl* container, std::vector<TWinControl*>& out) {
  std::vector<TWinControl*> kids;
  for (TControl* c : container->Controls())
    if (auto* w = dynamic_cast<TWinControl*>(c)) kids.push_back(w);
  std::stable_sort(kids.begin(), kids.end(),
                   [](TWinControl* a, TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
  for (TWinControl* w : kids) {
    if (!w->Visible() || !w->Enabled()) continue;
    if (w->TabStop()) out.push_back(w);
    CollectTabStops(w, out);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward) {
  std::vector<TWinControl*> stops;
  CollectTabStops(this, stops);
  if (stops.empty()) return nullptr;
  auto it = std::find(stops.begin(), stops.end(), current);
  if (it == stops.end()) return forward ? stops.front() : stops.back();
  size_t i = static_cast<size_t>(it - stops.begin());
  size_t n = stops.size();
  return stops[forward ? (i + 1) % n : (i + n - 1) % n];
}

void TWinControl::PaintHandler(TMessage& m) {
  if (m.Msg == WM_PRINTCLIENT) {
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    if (m.LParam & PRF_ERASEBKGND) Perform(WM_ERASEBKGND, m.WParam, 0);
    if (m.LParam & PRF_CLIENT) Paint(dc);
  } else if (m.WParam) {
    // Into the given DC only: the window's own update region stays as it is.
    Paint(reinterpret_cast<HDC>(m.WParam));
  } else {
    TPaintDC dc(handle_);
    Paint(dc.Get());
  }
  m.Result = 0;
}

void TWinControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_COMMAND:
      if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(m.LParam)); child && child != this) {
        m.Result = child->PerformReflected(CN_COMMAND, m.WParam, m.LParam);
        return;
      }
      break;
    case WM_NOTIFY:
      if (auto* header = reinterpret_cast<NMHDR*>(m.LParam))
        if (TWinControl* child = FromHandle(header->hwndFrom); child && child != this) {
          m.Result = child->PerformReflected(CN_NOTIFY, m.WParam, m.LParam);
          return;
        }
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(m.LParam)); child && child != this) {
        m.Result = child->PerformReflected(CN_CTLCOLOR, m.WParam, static_cast<LPARAM>(m.Msg));
        return;
      }
      break;
    case CN_CTLCOLOR: {
      HDC dc = reinterpret_cast<HDC>(m.WParam);
      SetTextColor(dc, Enabled() ? TextColor() : GetSysColor(COLOR_GRAYTEXT));
      SetBkColor(dc, ColorToRGB(Color()));
      m.Result = reinterpret_cast<LRESULT>(ColorBrush());
      return;
    }
    case WM_PAINT:
    case WM_PRINTCLIENT:
      if (ownPaint_) {
        PaintHandler(m);
        return;
      }
      if (m.Msg == WM_PRINTCLIENT && (m.LParam & PRF_ERASEBKGND)) {
        // System controls print their client area but leave erasing to their own WM_ERASEBKGND.
        Perform(WM_ERASEBKGND, m.WParam, 0);
        m.Result = DefaultHandler(WM_PRINTCLIENT, m.WParam, m.LParam & ~PRF_ERASEBKGND);
        return;
      }
      break;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(m.WParam) == handle_ && LOWORD(m.LParam) == HTCLIENT &&
          Cursor() != crDefault) {
        ::SetCursor(CursorHandle(Cursor()));
        m.Result = TRUE;
        return;
      }
      break;
    case WM_WINDOWPOSCHANGED: {
      // Keep the object's bounds what the window really has (the user, the system or a
      // layout may have moved it), without echoing the change back to the window.
      DefaultHandler(m);
      RECT wr;
      GetWindowRect(handle_, &wr);
      if (Parent()) MapWindowPoints(nullptr, Parent()->Handle(), reinterpret_cast<POINT*>(&wr), 2);
      bool resized = wr.right - wr.left != Width() || wr.bottom - wr.top != Height();
      left_ = wr.left;
      top_ = wr.top;
      width_ = wr.right - wr.left;
      height_ = wr.bottom - wr.top;
      if (resized) AlignControls();
      return;
    }
    default: break;
  }
  DefaultHandler(m);
}
