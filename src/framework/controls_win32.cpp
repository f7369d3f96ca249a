#include "framework/controls_win32.h"

#include <algorithm>
#include <map>

#include "framework/application_win32.h"
#include "framework/exception.h"
#include "framework/guard.h"

namespace {
const char kObjectProp[] = "NvControl";
thread_local TWinControl* gCreating = nullptr;
int gNextChildId = 1000;

TColor ColorValue(const TPropValue& v) {
  return v.kind == TPropKind::Integer ? static_cast<TColor>(v.integer) : IdentToColor(v.text);
}

std::vector<TPropInfo> controlProps() {
  return {
      IntProp("Left", &TControl::Left, &TControl::SetLeft),
      IntProp("Top", &TControl::Top, &TControl::SetTop),
      IntProp("Width", &TControl::Width, &TControl::SetWidth),
      IntProp("Height", &TControl::Height, &TControl::SetHeight),
      StrProp("Caption", &TControl::Caption, &TControl::SetCaption),
      StrProp("Text", &TControl::Text, &TControl::SetText),
      TPropInfo{"Color", TPropKind::Identifier,
                [](const TObject& o) { return TPropValue::Int(static_cast<const TControl&>(o).Color()); },
                [](TObject& o, const TPropValue& v) { static_cast<TControl&>(o).SetColor(ColorValue(v)); }},
      BoolProp("ParentColor", &TControl::ParentColor, &TControl::SetParentColor),
      ObjectProp("Font", &TControl::Font),
      BoolProp("ParentFont", &TControl::ParentFont, &TControl::SetParentFont),
      BoolProp("Visible", &TControl::Visible, &TControl::SetVisible),
      BoolProp("Enabled", &TControl::Enabled, &TControl::SetEnabled),
      StrProp("Hint", &TControl::Hint, &TControl::SetHint),
      BoolProp("ShowHint", &TControl::ShowHint, &TControl::SetShowHint),
      TPropInfo{"Cursor", TPropKind::Identifier,
                [](const TObject& o) { return TPropValue::Int(static_cast<const TControl&>(o).Cursor()); },
                [](TObject& o, const TPropValue& v) {
                  int c = crDefault;
                  if (v.kind == TPropKind::Integer)
                    c = static_cast<int>(v.integer);
                  else if (SameText(v.text, "crHandPoint"))
                    c = crHandPoint;
                  else if (SameText(v.text, "crHourGlass"))
                    c = crHourGlass;
                  else if (SameText(v.text, "crArrow"))
                    c = crArrow;
                  static_cast<TControl&>(o).SetCursor(c);
                }},
      TPropInfo{
          "Align", TPropKind::Identifier,
          [](const TObject& o) { return TPropValue::Int(static_cast<const TControl&>(o).Align()); },
          [](TObject& o, const TPropValue& v) { static_cast<TControl&>(o).SetAlign(IdentToAlign(v.text)); }},
      EventProp("OnClick", &TControl::SetOnClick),
  };
}

std::vector<TPropInfo> winControlProps() {
  return {IntProp("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder),
          BoolProp("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)};
}
}  // namespace

NV_DEFINE_CLASS_EX(TControl, TComponent, nullptr, controlProps)
NV_DEFINE_CLASS_EX(TWinControl, TControl, nullptr, winControlProps)

TAlign IdentToAlign(const std::string& ident) {
  static const char* names[] = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};
  for (int i = 0; i < 6; ++i)
    if (SameText(ident, names[i])) return static_cast<TAlign>(i);
  throw EConvertError(Format("'%s' is not a valid alignment", ident.c_str()));
}

// ---- TControl ----

TControl::TControl(TComponent* owner) : TComponent(owner) {
  font_.OnChange = [this] {
    parentFont_ = false;  // a font set on the control itself stops following the parent
    FontChanged();
  };
}

TControl::~TControl() {
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParentComponent(TComponent* parent) {
  if (auto* w = dynamic_cast<TWinControl*>(parent)) SetParent(w);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent_) parent_->RemoveControl(this);
  parent_ = parent;
  if (parent_) {
    parent_->InsertControl(this);
    ParentFontChanged();
    ParentColorChanged();
  }
}

void TControl::ParentFontChanged() {
  if (!parentFont_ || !parent_) return;
  auto keep = std::move(font_.OnChange);
  font_.Assign(*parent_->Font());
  font_.OnChange = std::move(keep);
  FontChanged();
}

void TControl::ParentColorChanged() {
  if (parentColor_ && parent_ && color_ != parent_->Color()) {
    color_ = parent_->Color();
    ColorChanged();
  }
}

void TControl::SetParentFont(bool v) {
  if (v == parentFont_) return;
  parentFont_ = v;
  ParentFontChanged();
}

void TControl::SetParentColor(bool v) {
  if (v == parentColor_) return;
  parentColor_ = v;
  ParentColorChanged();
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  BoundsChanged();
}

void TControl::SetAlign(TAlign a) {
  if (a == align_) return;
  align_ = a;
  if (parent_ && !parent_->IsLoading()) parent_->AlignControls();
}

std::string TControl::Caption() const {
  auto* w = dynamic_cast<const TWinControl*>(this);
  if (w && w->HandleAllocated()) {
    HWND h = const_cast<TWinControl*>(w)->Handle();
    int n = GetWindowTextLengthA(h);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    n = GetWindowTextA(h, s.data(), n + 1);
    s.resize(static_cast<size_t>(n < 0 ? 0 : n));
    return s;
  }
  return caption_;
}

void TControl::SetCaption(const std::string& text) {
  if (text == Caption()) return;
  caption_ = text;
  TextChanged();
}

void TControl::SetColor(TColor c) {
  parentColor_ = false;
  if (c == color_) return;
  color_ = c;
  ColorChanged();
}

void TControl::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  VisibleChanged();
}

void TControl::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  EnabledChanged();
}

void TControl::SetHint(const std::string& h) {
  if (h == hint_) return;
  hint_ = h;
  HintChanged();
}

void TControl::SetShowHint(bool v) {
  if (v == showHint_) return;
  showHint_ = v;
  HintChanged();
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

HBRUSH TControl::ColorBrush() {
  COLORREF rgb = ColorToRGB(color_);
  if (!brush_ || brushColor_ != rgb) {
    brush_.Reset(CreateSolidBrush(rgb));
    brushColor_ = rgb;
  }
  return brush_.Get();
}

// ---- window classes ----

WNDPROC RegisterFrameworkClass(const TCreateParams& params) {
  static std::map<std::string, WNDPROC> registered;
  auto it = registered.find(params.windowClass);
  if (it != registered.end()) return it->second;

  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  WNDPROC previous = DefWindowProcA;
  if (params.systemClass) {
    if (!GetClassInfoExA(nullptr, params.systemClass, &wc))
      throw EOSError(Format("Window class %s is not available", params.systemClass));
    previous = wc.lpfnWndProc;
    wc.style &= ~CS_GLOBALCLASS;
  } else {
    wc.style = params.classStyle;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    if (params.programIcon) {
      // Both sizes from the resource: left to derive the small one itself, the system
      // scales the large icon, which costs more than the rest of registering the class.
      static HICON large =
          static_cast<HICON>(LoadImageA(instance, "MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                        GetSystemMetrics(SM_CYICON), LR_SHARED));
      static HICON small =
          static_cast<HICON>(LoadImageA(instance, "MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                        GetSystemMetrics(SM_CYSMICON), LR_SHARED));
      wc.hIcon = large;
      wc.hIconSm = small;
    }
  }
  wc.cbSize = sizeof wc;
  wc.hInstance = instance;
  wc.lpfnWndProc = FrameworkWndProc;
  wc.lpszClassName = params.windowClass.c_str();
  if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw EOSError(Format("Cannot register window class %s", params.windowClass.c_str()));
  registered[params.windowClass] = previous;
  return previous;
}

LRESULT CALLBACK FrameworkWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* control = static_cast<TWinControl*>(GetPropA(hwnd, kObjectProp));
  if (!control && gCreating) {
    control = gCreating;
    gCreating = nullptr;
    control->AttachHandle(hwnd);
  }
  if (!control) return DefWindowProcA(hwnd, msg, wParam, lParam);
  LRESULT result = Guard([&] { return control->WndProc(msg, wParam, lParam); }, LRESULT(0));
  if (msg == WM_NCDESTROY) {
    RemovePropA(hwnd, kObjectProp);
    if (control->handle_ == hwnd) control->handle_ = nullptr;
  }
  return result;
}

// ---- TWinControl ----

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  SetDestroying();
  DestroyHandle();
  for (TControl* c : controls_) c->parent_ = nullptr;
  controls_.clear();
}

TWinControl* TWinControl::FromHandle(HWND hwnd) {
  return hwnd ? static_cast<TWinControl*>(GetPropA(hwnd, kObjectProp)) : nullptr;
}

void TWinControl::AttachHandle(HWND hwnd) {
  handle_ = hwnd;
  SetPropA(hwnd, kObjectProp, this);
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
  gCreating = this;
  HMENU id = (p.style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(gNextChildId++)) : nullptr;
  HWND h = CreateWindowExA(p.exStyle, p.windowClass.c_str(), p.caption.c_str(), p.style, p.x, p.y, p.width,
                           p.height, p.parent, id, GetModuleHandleA(nullptr), nullptr);
  gCreating = nullptr;
  if (!h) throw EOSError(Format("Cannot create a window of class %s", p.windowClass.c_str()));
  if (!handle_) AttachHandle(h);
  UpdateFont();
  if (Parent()) SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
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

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(defProc_ ? defProc_ : DefWindowProcA, handle_, msg, wParam, lParam);
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam)))
        return child->WndProc(CN_COMMAND, wParam, lParam);
      break;
    case WM_NOTIFY:
      if (TWinControl* child = FromHandle(reinterpret_cast<NMHDR*>(lParam)->hwndFrom))
        return child->WndProc(CN_NOTIFY, wParam, lParam);
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam)))
        return child->WndProc(CN_CTLCOLOR, wParam, msg);
      break;
    case CN_CTLCOLOR: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, Enabled() ? TextColor() : GetSysColor(COLOR_GRAYTEXT));
      SetBkColor(dc, ColorToRGB(Color()));
      return reinterpret_cast<LRESULT>(ColorBrush());
    }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == handle_ && LOWORD(lParam) == HTCLIENT && Cursor() != crDefault) {
        ::SetCursor(CursorHandle(Cursor()));
        return TRUE;
      }
      break;
    case WM_WINDOWPOSCHANGED: {
      // Keep the object's bounds what the window really has (the user, the system or a
      // layout may have moved it), without echoing the change back to the window.
      LRESULT r = DefaultHandler(msg, wParam, lParam);
      RECT wr;
      GetWindowRect(handle_, &wr);
      if (Parent()) MapWindowPoints(nullptr, Parent()->Handle(), reinterpret_cast<POINT*>(&wr), 2);
      bool resized = wr.right - wr.left != Width() || wr.bottom - wr.top != Height();
      left_ = wr.left;
      top_ = wr.top;
      width_ = wr.right - wr.left;
      height_ = wr.bottom - wr.top;
      if (resized) AlignControls();
      return r;
    }
    default: break;
  }
  return DefaultHandler(msg, wParam, lParam);
}
