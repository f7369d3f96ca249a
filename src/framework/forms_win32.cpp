#include "framework/forms_win32.h"

#include "framework/application_win32.h"
#include "framework/exception.h"
#include "framework/layout.h"

namespace {
template <class E>
E IdentTo(const TPropValue& v, std::initializer_list<const char*> names) {
  int i = 0;
  for (const char* n : names) {
    if (SameText(n, v.text)) return static_cast<E>(i);
    ++i;
  }
  throw EConvertError(Format("'%s' is not a valid value", v.text.c_str()));
}

std::vector<TPropInfo> formProps() {
  return {
      IntProp("ClientWidth", &TForm::ClientWidth, &TForm::SetClientWidth),
      IntProp("ClientHeight", &TForm::ClientHeight, &TForm::SetClientHeight),
      TPropInfo{"BorderStyle", TPropKind::Identifier, nullptr,
                [](TObject& o, const TPropValue& v) {
                  static_cast<TForm&>(o).SetBorderStyle(IdentTo<TFormBorderStyle>(
                      v, {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"}));
                }},
      TPropInfo{"BorderIcons", TPropKind::Set, nullptr,
                [](TObject& o, const TPropValue& v) {
                  unsigned b = 0;
                  for (const auto& m : v.list) {
                    if (SameText(m, "biSystemMenu"))
                      b |= biSystemMenu;
                    else if (SameText(m, "biMinimize"))
                      b |= biMinimize;
                    else if (SameText(m, "biMaximize"))
                      b |= biMaximize;
                    else if (SameText(m, "biHelp"))
                      b |= biHelp;
                  }
                  static_cast<TForm&>(o).SetBorderIcons(b);
                }},
      TPropInfo{"Position", TPropKind::Identifier, nullptr,
                [](TObject& o, const TPropValue& v) {
                  static_cast<TForm&>(o).SetPosition(IdentTo<TPosition>(
                      v,
                      {"poDesigned", "poDefault", "poScreenCenter", "poDesktopCenter", "poMainFormCenter"}));
                }},
      BoolProp("Scaled", &TForm::Scaled, &TForm::SetScaled),
      EventProp("OnCreate", &TForm::SetOnCreate),
  };
}
}  // namespace

NV_DEFINE_CLASS_EX(TForm, TWinControl, nullptr, formProps)

TForm::TForm(TComponent* owner) : TWinControl(owner) { SetVisible(false); }

TForm::~TForm() { DestroyHandle(); }

void TForm::LoadLayoutText(const std::string& text) {
  ReadComponentTree(*this, ParseLayout(text));
  DoCreate();
}

void TForm::LoadLayoutResource() {
  std::string name = ClassName();
  for (char& c : name) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC res = FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
  HGLOBAL data = res ? LoadResource(module, res) : nullptr;
  const char* bytes = data ? static_cast<const char*>(LockResource(data)) : nullptr;
  if (!bytes) throw EInvalidOperation(Format("Resource %s not found", name.c_str()));
  LoadLayoutText(std::string(bytes, SizeofResource(module, res)));
}

void TForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TForm::Loaded() {
  TWinControl::Loaded();
  UpdateClientSize();
}

void TForm::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.style &= ~(WS_VISIBLE | WS_CHILD);
  p.classStyle = CS_DBLCLKS;
  p.programIcon = true;
  switch (borderStyle_) {
    case bsNone: p.style |= WS_POPUP; break;
    case bsSingle:
    case bsToolWindow: p.style |= WS_CAPTION | WS_BORDER; break;
    case bsDialog:
      p.style |= WS_POPUP | WS_CAPTION;
      p.exStyle |= WS_EX_DLGMODALFRAME;
      break;
    default: p.style |= WS_CAPTION | WS_THICKFRAME; break;
  }
  if (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin) p.exStyle |= WS_EX_TOOLWINDOW;
  if (borderStyle_ != bsNone && (borderIcons_ & biSystemMenu)) {
    p.style |= WS_SYSMENU;
    if (borderStyle_ != bsDialog) {
      if (borderIcons_ & biMinimize) p.style |= WS_MINIMIZEBOX;
      if (borderIcons_ & biMaximize) p.style |= WS_MAXIMIZEBOX;
    }
  }
  // The main form stands in the taskbar itself; the application window stays hidden.
  if (Application && Application->MainForm() == this) p.exStyle |= WS_EX_APPWINDOW;
  if (Application) p.parent = Application->Handle();
  if (clientWidth_ > 0 || clientHeight_ > 0) {
    RECT r{0, 0, clientWidth_, clientHeight_};
    AdjustWindowRectEx(&r, p.style, FALSE, p.exStyle);
    p.width = r.right - r.left;
    p.height = r.bottom - r.top;
  }
  if (position_ == poScreenCenter || position_ == poDesktopCenter || position_ == poMainFormCenter) {
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    p.x = work.left + ((work.right - work.left) - p.width) / 2;
    p.y = work.top + ((work.bottom - work.top) - p.height) / 2;
  }
}

void TForm::UpdateClientSize() {
  if (!HandleAllocated() || IsLoading()) return;
  RECT r{0, 0, clientWidth_, clientHeight_};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongA(Handle(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(Handle(), GWL_EXSTYLE)));
  SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::Show() {
  SetVisible(true);
  HWND h = Handle();
  ShowWindow(h, SW_SHOWNORMAL);
  if (!activeControl_) activeControl_ = FindNextControl(nullptr, true);
  if (activeControl_) activeControl_->SetFocus();
  UpdateWindow(h);
}

void TForm::Close() {
  if (HandleAllocated()) PostMessageA(Handle(), WM_CLOSE, 0, 0);
}

void TForm::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(Handle(), &r);
      FillRect(reinterpret_cast<HDC>(m.WParam), &r, ColorBrush());
      m.Result = 1;
      return;
    }
    case WM_CLOSE:
      if (Application && Application->MainForm() == this) {
        Application->Terminate();
      }
      SetVisible(false);
      ShowWindow(Handle(), SW_HIDE);
      m.Result = 0;
      return;
    case WM_ACTIVATE:
      // Remember where the focus was, so that activation gives it back there.
      if (LOWORD(m.WParam) == WA_INACTIVE) {
        TWinControl* f = FromHandle(GetFocus());
        if (f && f != this) activeControl_ = f;
      } else if (activeControl_ && activeControl_->HandleAllocated() && !HIWORD(m.WParam)) {
        activeControl_->SetFocus();
        m.Result = 0;
        return;
      }
      break;
    default: break;
  }
  TWinControl::WndProc(m);
}
