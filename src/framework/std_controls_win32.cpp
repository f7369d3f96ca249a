#include "framework/std_controls_win32.h"

#include "framework/exception.h"

namespace {
std::vector<TPropInfo> labelProps() {
  return {BoolProp("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize),
          BoolProp("Transparent", &TLabel::Transparent, &TLabel::SetTransparent)};
}
std::vector<TPropInfo> editProps() { return {EventProp("OnChange", &TEdit::SetOnChange)}; }
std::vector<TPropInfo> stringsProps() {
  return {TPropInfo{
      "Strings", TPropKind::StringList,
      [](const TObject& o) { return TPropValue::Strings(static_cast<const TListBoxStrings&>(o).Lines()); },
      [](TObject& o, const TPropValue& v) { static_cast<TListBoxStrings&>(o).Assign(v.list); }}};
}
std::vector<TPropInfo> listBoxProps() {
  return {ObjectProp("Items", &TListBox::Items),
          IntProp("ItemHeight", &TListBox::ItemHeight, &TListBox::SetItemHeight)};
}
}  // namespace

NV_DEFINE_COMPONENT(TLabel, TWinControl, labelProps)
NV_DEFINE_COMPONENT(TEdit, TWinControl, editProps)
NV_DEFINE_COMPONENT(TButton, TWinControl, nullptr)
NV_DEFINE_COMPONENT(TGroupBox, TWinControl, nullptr)
NV_DEFINE_CLASS_EX(TListBoxStrings, TObject, nullptr, stringsProps)
NV_DEFINE_COMPONENT(TListBox, TWinControl, listBoxProps)

// ---- TLabel ----

TLabel::TLabel(TComponent* owner) : TWinControl(owner) { SetParentColor(true); }

void TLabel::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.systemClass = "STATIC";
  p.style |= SS_LEFT | SS_NOPREFIX;
}

void TLabel::SetAutoSize(bool v) {
  autoSize_ = v;
  AdjustSize();
}

void TLabel::AdjustSize() {
  if (!autoSize_ || IsLoading()) return;
  RECT r{0, 0, 0, 0};
  {
    TWindowDC screen(nullptr);
    TSelectObject font(screen.Get(), Font()->Handle());
    std::string text = caption_.empty() ? std::string(" ") : caption_;
    DrawTextA(screen.Get(), text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
  }
  SetBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
}

void TLabel::TextChanged() {
  TWinControl::TextChanged();
  AdjustSize();
}

void TLabel::FontChanged() {
  TWinControl::FontChanged();
  AdjustSize();
}

void TLabel::Loaded() {
  TWinControl::Loaded();
  AdjustSize();
}

void TLabel::WndProc(TMessage& m) {
  if (m.Msg == CN_CTLCOLOR && transparent_) {
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, TextColor());
    m.Result = reinterpret_cast<LRESULT>(GetStockObject(HOLLOW_BRUSH));
    return;
  }
  TWinControl::WndProc(m);
}

// ---- TEdit ----

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  SetColor(clWindow);
}

void TEdit::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.systemClass = "EDIT";
  p.style |= ES_AUTOHSCROLL | ES_LEFT;
  p.exStyle |= WS_EX_CLIENTEDGE;
}

void TEdit::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    if (HIWORD(m.WParam) == EN_CHANGE && OnChange) OnChange(this);
    m.Result = 0;
    return;
  }
  TWinControl::WndProc(m);
}

// ---- TButton ----

TButton::TButton(TComponent* owner) : TWinControl(owner) { SetTabStop(true); }

void TButton::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.systemClass = "BUTTON";
  p.style |= BS_PUSHBUTTON;
}

void TButton::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    if (HIWORD(m.WParam) == BN_CLICKED) Click();
    m.Result = 0;
    return;
  }
  if (m.Msg == CN_CTLCOLOR) {
    m.Result = DefWindowProcA(Handle(), WM_CTLCOLORBTN, m.WParam, reinterpret_cast<LPARAM>(Handle()));
    return;
  }
  TWinControl::WndProc(m);
}

// ---- TGroupBox ----

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner) {}

void TGroupBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.systemClass = "BUTTON";
  p.style |= BS_GROUPBOX;
}

void TGroupBox::WndProc(TMessage& m) {
  // The system group box is see-through; it must still clear what lies under it.
  if (m.Msg == WM_ERASEBKGND) {
    RECT r;
    GetClientRect(Handle(), &r);
    FillRect(reinterpret_cast<HDC>(m.WParam), &r, ColorBrush());
    m.Result = 1;
    return;
  }
  // Clicks on a group box reach the window under it in the system's hit test; keep them here.
  if (m.Msg == WM_NCHITTEST) {
    m.Result = HTCLIENT;
    return;
  }
  TWinControl::WndProc(m);
}

// ---- TListBox ----

const std::string& TListBoxStrings::operator[](int i) const {
  if (i < 0 || i >= Count()) throw EListError(Format("List index out of bounds (%d)", i));
  return lines_[static_cast<size_t>(i)];
}

int TListBoxStrings::Add(const std::string& s) {
  lines_.push_back(s);
  if (owner_.HandleAllocated())
    SendMessageA(owner_.Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
  return Count() - 1;
}

void TListBoxStrings::Delete(int i) {
  if (i < 0 || i >= Count()) throw EListError(Format("List index out of bounds (%d)", i));
  lines_.erase(lines_.begin() + i);
  if (owner_.HandleAllocated()) SendMessageA(owner_.Handle(), LB_DELETESTRING, static_cast<WPARAM>(i), 0);
}

void TListBoxStrings::Clear() {
  lines_.clear();
  if (owner_.HandleAllocated()) SendMessageA(owner_.Handle(), LB_RESETCONTENT, 0, 0);
}

void TListBoxStrings::Assign(const std::vector<std::string>& lines) {
  Clear();
  if (owner_.HandleAllocated()) SendMessageA(owner_.Handle(), WM_SETREDRAW, FALSE, 0);
  for (const std::string& s : lines) Add(s);
  if (owner_.HandleAllocated()) {
    SendMessageA(owner_.Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(owner_.Handle(), nullptr, TRUE);
  }
}

TListBox::TListBox(TComponent* owner) : TWinControl(owner), items_(std::make_unique<TListBoxStrings>(*this)) {
  SetTabStop(true);
  SetColor(clWindow);
}

TListBox::~TListBox() {
  // The window goes first: it must not reach the lines while they are being freed.
  DestroyHandle();
}

void TListBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.systemClass = "LISTBOX";
  p.style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
  p.exStyle |= WS_EX_CLIENTEDGE;
}

void TListBox::HandleCreated() {
  for (const std::string& s : items_->lines_)
    SendMessageA(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
  if (pendingIndex_ >= 0) SendMessageA(Handle(), LB_SETCURSEL, static_cast<WPARAM>(pendingIndex_), 0);
}

int TListBox::ItemIndex() {
  if (!HandleAllocated()) return pendingIndex_;
  return static_cast<int>(SendMessageA(Handle(), LB_GETCURSEL, 0, 0));
}

void TListBox::SetItemIndex(int i) {
  pendingIndex_ = i;
  if (HandleAllocated()) SendMessageA(Handle(), LB_SETCURSEL, static_cast<WPARAM>(i), 0);
}

void TListBox::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    if (HIWORD(m.WParam) == LBN_SELCHANGE) Click();
    m.Result = 0;
    return;
  }
  TWinControl::WndProc(m);
}
