// The framework's window classes, its one window procedure and the message chain.
#include <algorithm>
#include <map>
#include <mutex>
#include <unordered_map>

#include "framework/controls_win32.h"
#include "framework/exception.h"
#include "framework/guard.h"
#include "framework/per_thread.h"

namespace {
// Window to object, for the window procedure and FromHandle. (A window property would do
// too, but under Wine every property look-up is a round trip to the wine server.)
std::mutex gHandlesLock;
std::unordered_map<HWND, TWinControl*>& Handles() {
  static auto* handles = new std::unordered_map<HWND, TWinControl*>;
  return *handles;
}

// The procedure each framework class passes unhandled messages to, by class atom.
std::mutex gClassesLock;
std::map<ATOM, WNDPROC>& SystemProcs() {
  static auto* procs = new std::map<ATOM, WNDPROC>;
  return *procs;
}

// The objects whose windows this thread is making: a creation parameter is only taken for
// one of them (a window of our class made by someone else keeps the system's behaviour).
TPerThread<std::vector<TWinControl*>>& Creating() {
  static auto* creating = new TPerThread<std::vector<TWinControl*>>;
  return *creating;
}
}  // namespace

// ---- window classes ----

WNDPROC RegisterFrameworkClass(const TCreateParams& params) {
  static std::map<std::string, WNDPROC> registered;
  std::lock_guard<std::mutex> guard(gClassesLock);
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
      wc.hIcon = ProgramIcon(false);
      wc.hIconSm = ProgramIcon(true);
    }
  }
  wc.cbSize = sizeof wc;
  wc.hInstance = instance;
  wc.lpfnWndProc = FrameworkWndProc;
  wc.lpszClassName = params.windowClass.c_str();
  ATOM atom = RegisterClassExA(&wc);
  if (!atom) {
    if (GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
      throw EOSError(Format("Cannot register window class %s", params.windowClass.c_str()));
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    atom = static_cast<ATOM>(GetClassInfoExA(instance, params.windowClass.c_str(), &existing));
  }
  registered[params.windowClass] = previous;
  if (atom) SystemProcs()[atom] = previous;
  return previous;
}

HICON ProgramIcon(bool small) {
  // Both sizes from the resource: left to derive the small one itself, the system scales the
  // large icon, which costs more than the rest of registering a class.
  HINSTANCE instance = GetModuleHandleA(nullptr);
  static HICON large = static_cast<HICON>(LoadImageA(
      instance, "MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
  static HICON smallIcon =
      static_cast<HICON>(LoadImageA(instance, "MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                    GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  return small ? smallIcon : large;
}

WNDPROC SystemProcOf(HWND hwnd) {
  ATOM atom = static_cast<ATOM>(GetClassWord(hwnd, GCW_ATOM));
  std::lock_guard<std::mutex> guard(gClassesLock);
  auto it = SystemProcs().find(atom);
  return it == SystemProcs().end() ? DefWindowProcA : it->second;
}

LRESULT CALLBACK FrameworkWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWinControl* control = TWinControl::FromHandle(hwnd);
  if (!control && msg == WM_NCCREATE) {
    auto* candidate = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    // Looked at, not made: a thread that makes none of our windows has no list.
    const std::vector<TWinControl*>* creating = Creating().Peek();
    if (creating && std::find(creating->begin(), creating->end(), candidate) != creating->end()) {
      control = candidate;
      control->AttachHandle(hwnd);
    }
  }
  if (!control) return CallWindowProcA(SystemProcOf(hwnd), hwnd, msg, wParam, lParam);
  TMessage m;
  m.Wnd = hwnd;
  m.Msg = msg;
  m.WParam = wParam;
  m.LParam = lParam;
  Guard([&] { control->Dispatch(m); });
  if (msg == WM_NCDESTROY) control->DetachHandle(hwnd);
  return m.Result;
}

// ---- the message chain ----

// One step of a message's way through a chain: the link it runs, or none for the control's
// own handling at the end.
struct TChainCall {
  TWinControl* control;
  TChain<TWndHandler>::LinkPtr link;
  bool passedOn = false;

  static void Run(TWinControl* control, TChain<TWndHandler>::LinkPtr link, TMessage& m) {
    if (!link) {
      // A number the framework reflects on, arriving as an ordinary message, is not a
      // reflection: the control's own handling never sees it.
      if (IsReflectionMessage(m.Msg) && !m.Reflected)
        control->DefaultHandler(m);
      else
        Guard([&] { control->WndProc(m); });
      return;
    }
    TChainCall step{control, link};
    TMessageNext next(&TChainCall::Next, &step);
    // A handler that fails before passing the message on still lets the control have it.
    if (!Guard([&] { link->fn(m, next); }) && !step.passedOn) next(m);
  }
  static void Next(void* context, TMessage& m) {
    auto* step = static_cast<TChainCall*>(context);
    step->passedOn = true;
    // The link behind is looked up now: one that left meanwhile is skipped.
    Run(step->control, TChain<TWndHandler>::After(step->link), m);
  }
};

TMessageChainEntry TWinControl::EnterMessageChain(TWndHandler handler) {
  return chain_.Enter(std::move(handler));
}

void TWinControl::Dispatch(TMessage& message) { TChainCall::Run(this, chain_.First(), message); }

LRESULT TWinControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage m;
  m.Wnd = handle_;
  m.Msg = msg;
  m.WParam = wParam;
  m.LParam = lParam;
  Dispatch(m);
  return m.Result;
}

LRESULT TWinControl::PerformReflected(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage m;
  m.Wnd = handle_;
  m.Msg = msg;
  m.WParam = wParam;
  m.LParam = lParam;
  m.Reflected = true;
  Dispatch(m);
  return m.Result;
}

void TWinControl::DefaultHandler(TMessage& message) {
  message.Result = DefaultHandler(message.Msg, message.WParam, message.LParam);
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!handle_) return 0;  // Perform on an object without a window
  return CallWindowProcA(defProc_ ? defProc_ : DefWindowProcA, handle_, msg, wParam, lParam);
}

// ---- windows and objects ----

TWinControl* TWinControl::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  std::lock_guard<std::mutex> guard(gHandlesLock);
  auto it = Handles().find(hwnd);
  return it == Handles().end() ? nullptr : it->second;
}

void TWinControl::AttachHandle(HWND hwnd) {
  handle_ = hwnd;
  std::lock_guard<std::mutex> guard(gHandlesLock);
  Handles()[hwnd] = this;
}

void TWinControl::DetachHandle(HWND hwnd) {
  {
    std::lock_guard<std::mutex> guard(gHandlesLock);
    auto it = Handles().find(hwnd);
    if (it != Handles().end() && it->second == this) Handles().erase(it);
  }
  if (handle_ == hwnd) handle_ = nullptr;
}

HWND TWinControl::CreateFrameworkWindow(const TCreateParams& p, HMENU id) {
  std::vector<TWinControl*>& creating = Creating().Get();
  creating.push_back(this);
  HWND h = CreateWindowExA(p.exStyle, p.windowClass.c_str(), p.caption.c_str(), p.style, p.x, p.y, p.width,
                           p.height, p.parent, id, GetModuleHandleA(nullptr), this);
  creating.erase(std::find(creating.begin(), creating.end(), this));
  return h;
}
