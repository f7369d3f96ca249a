#include "framework/application_win32.h"

#include <commctrl.h>

#include <cstring>

#include "framework/forms_win32.h"
#include "framework/image_win32.h"
#include "framework/message_form_win32.h"
#include "framework/screen_win32.h"
#include "framework/status_bar_win32.h"
#include "framework/std_controls_win32.h"
#include "framework/thread_win32.h"
#include "framework/timer_win32.h"
#include "framework/util_window_win32.h"

TApplication* Application = nullptr;

NV_DEFINE_CLASS(TApplication, TWinControl)

void RegisterFrameworkClasses() {
  for (const TClassInfo* c :
       {&TForm::StaticClass(), &TLabel::StaticClass(), &TEdit::StaticClass(), &TButton::StaticClass(),
        &TGroupBox::StaticClass(), &TListBox::StaticClass(), &TImage::StaticClass(),
        &TStatusBar::StaticClass(), &TTimer::StaticClass(), &TMessageForm::StaticClass(),
        &TApplication::StaticClass(), &TFont::StaticClass(), &TPicture::StaticClass(),
        &TStrings::StaticClass(), &TListBoxStrings::StaticClass(), &TScreen::StaticClass(),
        &TThread::StaticClass()})
    RegisterComponentClass(*c);
}

namespace {
// Where the guards hand exceptions: the application's handler while there is one.
void ApplicationSink(Exception& e) {
  if (Application)
    Application->HandleException(&e);
  else
    MessageBoxA(nullptr, e.Message().c_str(), nullptr, MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}
}  // namespace

TApplication::TApplication(TComponent* owner) : TWinControl(owner) {
  RegisterFrameworkClasses();
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  SetVisible(false);
  if (!Application) {
    Application = this;
    previousSink_ = SetExceptionSink(&ApplicationSink);
  }
}

TApplication::~TApplication() {
  // Forms go first, while the application window still owns them.
  while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
  hintWindow_.Reset();
  DestroyHandle();
  if (Application == this) {
    Application = nullptr;
    SetExceptionSink(previousSink_);
  }
}

namespace {
// A pointer to a non-virtual member function holds the code address in its first word.
template <class M>
void* CodeAddress(M member) {
  void* address;
  static_assert(sizeof member >= sizeof address);
  std::memcpy(&address, &member, sizeof address);
  return address;
}
}  // namespace

void* TApplication::HandleExceptionAddress() { return CodeAddress(&TApplication::HandleException); }
void* TApplication::ShowExceptionAddress() { return CodeAddress(&TApplication::ShowException); }

void TApplication::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.caption = title_;
  p.style = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX;
  // Never a window of its own in the task bar or for "the visible main window" rules: the
  // main form stands for the program there.
  p.exStyle |= WS_EX_TOOLWINDOW;
  p.programIcon = true;
  p.x = GetSystemMetrics(SM_CXSCREEN) / 2;
  p.y = GetSystemMetrics(SM_CYSCREEN) / 2;
  p.width = p.height = 0;
}

void TApplication::SetTitle(const std::string& t) {
  title_ = t;
  if (HandleAllocated()) SetWindowTextA(Handle(), t.c_str());
}

bool TApplication::IsKeyMsg(MSG& msg) {
  // Tab and Shift+Tab move through the active form's controls in tab order.
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
  HWND top = GetAncestor(msg.hwnd, GA_ROOT);
  auto* form = dynamic_cast<TForm*>(FromHandle(top));
  if (!form) return false;
  if (SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) & DLGC_WANTTAB)
    return false;
  TWinControl* current = FromHandle(GetFocus());
  if (TWinControl* next = form->FindNextControl(current, GetKeyState(VK_SHIFT) >= 0)) {
    next->SetFocus();
    if (dynamic_cast<TEdit*>(next) != nullptr) SendMessageA(next->Handle(), EM_SETSEL, 0, -1);
  }
  return true;
}

void TApplication::HandleMessage(MSG& msg) {
  Guard([&] {
    // A Synchronize wake-up posted to the thread when the helper window was not there yet.
    if (!msg.hwnd && msg.message == kUtilSyncMessage) {
      TThread::CheckSynchronize();
      return;
    }
    if (IsKeyMsg(msg)) return;
    // Before the message goes on, so that the tooltip sees this first move already.
    if (!pendingHints_.empty() && ((msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) ||
                                   msg.message == WM_NCMOUSEMOVE))
      CreateHintWindow();
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  });
}

bool TApplication::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      return false;
    }
    HandleMessage(msg);
  }
  return true;
}

void TApplication::Run() {
  if (mainForm_) Guard([&] { mainForm_->Show(); });
  MSG msg;
  while (!terminated_) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    HandleMessage(msg);
  }
  terminated_ = true;
}

void TApplication::Terminate() {
  terminated_ = true;
  PostQuitMessage(0);
}

void TApplication::HandleException(Exception* e) {
  if (!e || dynamic_cast<EAbort*>(e)) return;
  if (handlingException_) return;  // a failure while showing a failure: don't recurse
  handlingException_ = true;
  try {
    if (OnException)
      OnException(e);
    else
      ShowException(e);
  } catch (...) {
  }
  handlingException_ = false;
}

void TApplication::ShowException(Exception* e) {
  std::string text = e->Message();
  if (!text.empty() && text.back() != '.') text += '.';
  MessageBox(text, title_, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
  HWND owner = HandleAllocated() ? Handle() : nullptr;
  if (mainForm_ && mainForm_->HandleAllocated() && IsWindowVisible(mainForm_->Handle()))
    owner = mainForm_->Handle();
  return ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

void TApplication::CreateHintWindow() {
  if (!hintWindow_)
    hintWindow_.Reset(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                                      GetModuleHandleA(nullptr), nullptr));
  std::vector<HWND> pending;
  pending.swap(pendingHints_);
  if (hintWindow_)
    for (HWND h : pending)
      if (IsWindow(h)) SetHintTool(h);
}

void TApplication::UpdateHint(TWinControl* control) {
  if (!control->HandleAllocated() || control == this) return;
  HWND hwnd = control->Handle();
  if (!hintWindow_) {
    if (!control->ShowHint() || control->Hint().empty()) return;
    // The tooltip is a top-level window of its own, of no use before the mouse comes near
    // the program: it is made with the first mouse message (CreateHintWindow), well ahead of
    // the tooltip's own delay, so that it adds nothing to start-up. Until then the hints wait.
    pendingHints_.push_back(hwnd);
    return;
  }
  SetHintTool(hwnd);
}

void TApplication::SetHintTool(HWND hwnd) {
  TWinControl* control = FromHandle(hwnd);
  TOOLINFOA ti{};
  ti.cbSize = TTTOOLINFOA_V1_SIZE;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = hwnd;
  ti.uId = reinterpret_cast<UINT_PTR>(hwnd);
  SendMessageA(hintWindow_.Get(), TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
  if (control && control->ShowHint() && !control->Hint().empty()) {
    std::string hint = control->Hint();
    ti.lpszText = hint.data();
    SendMessageA(hintWindow_.Get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

void TApplication::WndProc(TMessage& m) {
  if (m.Msg == WM_CLOSE && mainForm_) {
    mainForm_->Close();
    m.Result = 0;
    return;
  }
  TWinControl::WndProc(m);
}
