#include "skin/forms/skin_manage_win32.h"

#include <algorithm>

#include "framework/forms_win32.h"
#include "framework/guard.h"
#include "framework/timer_win32.h"
#include "skin/data/skin_data.h"
#include "skin/forms/skin_messages.h"
#include "skin/forms/skin_popup_win32.h"
#include "skin/forms/win_skin_form_win32.h"

namespace {

constexpr unsigned kTimerInterval = 100;

std::string WindowClassOf(HWND wnd) {
  char name[256] = {};
  int n = GetClassNameA(wnd, name, sizeof name);
  return std::string(name, n > 0 ? size_t(n) : 0);
}

bool IsForm(TWinControl* c) { return c && c->InheritsFrom(TForm::StaticClass()); }

// The framework form of a window: one of the screen's forms, else the framework object
// kept on the window.
TWinControl* FrameworkFormOf(HWND wnd) {
  for (TWinControl* f : ScreenForms())
    if (f->HandleAllocated() && f->Handle() == wnd) return f;
  return TWinControl::FromHandle(wnd);
}

uintptr_t OwnerWindow(TComponent* owner) {
  auto* c = dynamic_cast<TWinControl*>(owner);
  return IsForm(c) && c->HandleAllocated() ? uintptr_t(c->Handle()) : 0;
}

}  // namespace

TSkinManage* SkinManage() { return dynamic_cast<TSkinManage*>(SkinManager()); }

namespace {
BOOL CALLBACK CollectWindow(HWND wnd, LPARAM list) {
  return Guard([&] { reinterpret_cast<std::vector<HWND>*>(list)->push_back(wnd); });
}
}  // namespace

std::vector<TWinControl*> ScreenForms() {
  std::vector<HWND> windows;
  EnumThreadWindows(GetCurrentThreadId(), &CollectWindow, reinterpret_cast<LPARAM>(&windows));
  // The system lists the topmost first; the screen's list has the newest last.
  std::vector<TWinControl*> forms;
  for (auto it = windows.rbegin(); it != windows.rend(); ++it)
    if (TWinControl* c = TWinControl::FromHandle(*it); IsForm(c)) forms.push_back(c);
  return forms;
}

TSkinManage::TSkinManage() : Timer(std::make_unique<TTimer>(nullptr)), ThreadId(GetCurrentThreadId()) {
  Timer->SetEnabled(false);
  Timer->SetInterval(kTimerInterval);
  Timer->SetOnTimer([this](TObject*) { RunPendingAction(); });
}

TSkinManage::~TSkinManage() {
  state_ = kManagerDestroying;
  Enabled = false;
  Timer.reset();
  // Every window still skinned gets its own procedure and frame back.
  std::vector<TWinSkinForm*> forms;
  forms.swap(Forms);
  for (TWinSkinForm* f : forms)
    if (TWinSkinForm::IsLive(f)) {
      f->Detach();
      delete f;
    }
  for (auto& p : PopupMenus) p->Detach();
  PopupMenus.clear();
  CBTHook.reset();
}

void TSkinManage::RegisterSkinData(TSkinData* skinData) {
  SkinDatas.Register(skinData);
  RefreshSkinCopy();
}

void TSkinManage::SetEnabled(bool enabled) {
  Enabled = enabled;
  RefreshSkinCopy();
}

std::shared_ptr<const TSkinCopy> TSkinManage::SkinCopy() const {
  std::lock_guard<std::mutex> guard(copyLock_);
  return copy_;
}

// Taken on this manager's thread, where the components change: another thread must never read
// a component while it is being loaded.
void TSkinManage::RefreshSkinCopy() {
  if (state_ == kManagerDestroying) return;
  auto copy = std::make_shared<TSkinCopy>();
  if (TSkinData* d = ChooseSkinData(nullptr, "#32770"); d && d->SkinLoaded()) *copy = CopyOfSkinData(*d);
  copy->enabled = Enabled && !copy->stream.empty();
  std::lock_guard<std::mutex> guard(copyLock_);
  copy_ = std::move(copy);
}

void TSkinManage::UnregisterSkinData(TSkinData* skinData) {
  SkinDatas.Unregister(skinData);
  if (PendingSkinData == skinData) {
    // Its request must not run on behalf of a component that is gone.
    PendingSkinData = nullptr;
    PendingAction = saNone;
    if (Timer) Timer->SetEnabled(false);
  }
  for (size_t i = Forms.size(); i-- > 0;) {
    TWinSkinForm* f = Forms[i];
    if (TWinSkinForm::IsLive(f) && f->SkinData == skinData) UnskinForm(f);
  }
  for (size_t i = PopupMenus.size(); i-- > 0;)
    if (PopupMenus[i]->SkinData() == skinData) {
      PopupMenus[i]->Detach();
      PopupMenus.erase(PopupMenus.begin() + std::ptrdiff_t(i));
    }
  if (PopupMenus.empty()) PopupMode = pmOrdinary;
  RefreshSkinCopy();
}

void TSkinManage::InstallHook() {
  SystemVersion = ReadSystemVersion();
  if (!CBTHook) CBTHook.emplace(WH_CBT, [this](THookCall& call) { CBTProc(call); });
}

void TSkinManage::ScheduleAction(int action, int intervalMs) {
  PendingAction = action;
  Timer->SetEnabled(false);
  Timer->SetInterval(unsigned(std::max(intervalMs, 1)));
  if (state_ != kManagerWaiting) {
    Timer->SetEnabled(true);
    return;
  }
  // No window activated yet: the first activation skins, if skinning is on by then.
  if (action == saSkinAll) Enabled = true;
  if (action == saUnskinAll) Enabled = false;
  RefreshSkinCopy();
}

void TSkinManage::ReapplySkinData() {
  for (TWinSkinForm* f : Forms)
    if (TWinSkinForm::IsLive(f) && f->SkinData == PendingSkinData) f->FreeCaptionButtons();
}

bool TSkinManage::AttachOwnerForm(TComponent* owner) {
  auto* form = dynamic_cast<TWinControl*>(owner);
  if (!IsForm(form)) return false;
  return AttachWindow(form->Handle());
}

bool TSkinManage::AttachWindow(HWND wnd) {
  if (!Enabled) return false;
  Purge();
  if (!wnd || !IsWindow(wnd)) return false;
  // Only this process's windows: another's cannot be subclassed, and its frame is its own.
  DWORD process = 0;
  GetWindowThreadProcessId(wnd, &process);
  if (process != GetCurrentProcessId()) return false;
  if (SendMessageA(wnd, XM_ISSKINNED, 0, 0) == 1 || FindSkinForm(wnd)) return false;

  TWinControl* control = FrameworkFormOf(wnd);
  TAttachFacts facts;
  facts.window = uintptr_t(wnd);
  facts.className = WindowClassOf(wnd);
  const LONG style = GetWindowLongA(wnd, GWL_STYLE), exStyle = GetWindowLongA(wnd, GWL_EXSTYLE);
  facts.child = (style & WS_CHILD) != 0;
  facts.mdiChild = (exStyle & WS_EX_MDICHILD) != 0;
  if (HWND parent = GetParent(wnd)) facts.parentClass = WindowClassOf(parent);
  RECT r{};
  GetWindowRect(wnd, &r);
  facts.hasArea = r.right > r.left && r.bottom > r.top;
  facts.ownInstance = HINSTANCE(GetWindowLongPtrA(wnd, GWLP_HINSTANCE)) == GetModuleHandleA(nullptr);
  facts.hasForm = control != nullptr;
  facts.formTag = control ? control->Tag() : 0;
  if (!WindowQualifies(facts, ForceAll, DefaultSkinData())) return false;

  TSkinData* skinData = ChooseSkinData(wnd, facts.className);
  if (!skinData || !skinData->SkinLoaded()) return false;

  TForm* form = IsForm(control) ? static_cast<TForm*>(control) : nullptr;
  auto* f = new TWinSkinForm(form);
  try {
    if (form)
      f->AttachForm(skinData, form);
    else
      f->AttachRaw(skinData, wnd);
  } catch (...) {
    delete f;
    throw;
  }
  Forms.push_back(f);
  PostMessageA(wnd, XM_INITFRAME, 0, kInitFrameParam);
  return true;
}

bool TSkinManage::AttachFormIfVisible(TWinControl* form) {
  if (!form || !form->HandleAllocated()) return false;
  HWND wnd = form->Handle();
  if (!IsWindowVisible(wnd) || (GetWindowLongA(wnd, GWL_STYLE) & WS_CHILD)) return false;
  return AttachWindow(wnd);
}

TWinSkinForm* TSkinManage::FindSkinForm(HWND wnd) const {
  for (TWinSkinForm* f : Forms)
    if (TWinSkinForm::IsLive(f) && f->Handle == wnd) return f;
  return nullptr;
}

void TSkinManage::RemoveForm(HWND wnd) {
  if (state_ == kManagerDestroying) return;
  auto it = std::find_if(Forms.begin(), Forms.end(),
                         [&](TWinSkinForm* f) { return TWinSkinForm::IsLive(f) && f->Handle == wnd; });
  if (it != Forms.end()) Forms.erase(it);
}

void TSkinManage::RemoveForm(TWinSkinForm* form) {
  if (state_ == kManagerDestroying) return;
  Forms.erase(std::remove(Forms.begin(), Forms.end(), form), Forms.end());
}

TSkinData* TSkinManage::ChooseSkinData(HWND wnd, const std::string& className) const {
  return SkinDatas.ChooseFor(uintptr_t(wnd), className, &OwnerWindow);
}

void TSkinManage::AttachPopupMenu(HWND wnd) {
  if (!Enabled) return;
  if (SendMessageA(wnd, XM_ISSKINNED, 0, 0) == 1 || IsSkinnedPopup(wnd)) return;
  TSkinData* skinData = ChooseSkinData(wnd, "#32768");
  if (!skinData || !skinData->SkinLoaded()) return;
  const TSkinControls c = skinData->SkinControls();
  const bool wanted = PopupMode == pmOrdinary     ? c.Has(xcPopupMenu)
                      : PopupMode == pmMenuBar    ? c.Has(xcMainMenu) || c.Has(xcMenuItem)
                      : PopupMode == pmSystemMenu ? c.Has(xcSystemMenu)
                                                  : false;
  if (!wanted) return;
  PopupMenus.push_back(std::make_unique<TWinSkinPopMenu>(skinData, wnd));
}

bool TSkinManage::DetachPopupMenu(HWND wnd) {
  auto it = std::find_if(PopupMenus.begin(), PopupMenus.end(), [&](auto& p) { return p->Handle() == wnd; });
  if (it == PopupMenus.end()) return false;
  (*it)->Detach();
  PopupMenus.erase(it);
  if (PopupMenus.empty()) PopupMode = pmOrdinary;
  return true;
}

bool TSkinManage::IsSkinnedPopup(HWND wnd) const {
  return std::any_of(PopupMenus.begin(), PopupMenus.end(), [&](auto& p) { return p->Handle() == wnd; });
}

void TSkinManage::SetMDIMaximized(bool maximized) {
  if (MDIMaximized == maximized) return;
  MDIMaximized = maximized;
  TSkinData* d = DefaultSkinData();
  if (d && d->Options().Has(xoMDIChildBorder)) return;
  const std::vector<TWinSkinForm*> forms = Forms;
  for (TWinSkinForm* f : forms)
    if (TWinSkinForm::IsLive(f) && f->Kind == wkMDIChild) f->MDIMaximizedChanged(maximized);
}

void TSkinManage::CBTProc(THookCall& call) {
  HWND wnd = reinterpret_cast<HWND>(call.wParam);
  switch (call.code) {
    case HCBT_CREATEWND: {
      const CREATESTRUCTA* cs = reinterpret_cast<CBT_CREATEWNDA*>(call.lParam)->lpcs;
      const std::string cls = WindowClassOf(wnd);
      if (!(cs->style & WS_CHILD) && cls == "#32768" && SkinManage() == this) AttachPopupMenu(wnd);
      if (cs->dwExStyle & WS_EX_MDICHILD) AttachWindow(wnd);
      break;
    }
    case HCBT_DESTROYWND: DetachPopupMenu(wnd); break;
    case HCBT_ACTIVATE:
      if (state_ == kManagerWaiting) state_ = kManagerRunning;
      AttachWindow(wnd);
      break;
    default: break;
  }
}

void TSkinManage::Purge() {
  if (state_ == kManagerDestroying) return;
  for (size_t i = Forms.size(); i-- > 0;) {
    TWinSkinForm* f = Forms[i];
    if (!TWinSkinForm::IsLive(f)) {
      Forms.erase(Forms.begin() + std::ptrdiff_t(i));
    } else if (f->AttachState == asDestroyed) {
      Forms.erase(Forms.begin() + std::ptrdiff_t(i));
      delete f;
    }
  }
}

void TSkinManage::UnskinForm(TWinSkinForm* f) {
  HWND wnd = f->Handle;
  f->Detach();
  if (IsWindow(wnd))
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
  Forms.erase(std::remove(Forms.begin(), Forms.end(), f), Forms.end());
  delete f;
}

void TSkinManage::RunPendingAction() {
  Timer->SetEnabled(false);
  TSkinData* skinData = PendingSkinData;
  if (!skinData) return;
  auto usesIt = [&](TWinSkinForm* f) { return TWinSkinForm::IsLive(f) && f->SkinData == skinData; };
  if (skinData->SkinFormtype() == sfOnlyThisForm) {
    switch (PendingAction) {
      case saSkinAll: {
        Enabled = true;
        ForceAll = true;
        const std::vector<TWinControl*> forms = ScreenForms();
        for (auto it = forms.rbegin(); it != forms.rend(); ++it)
          if (*it == skinData->Owner()) {
            AttachWindow((*it)->Handle());
            break;
          }
        ForceAll = false;
        break;
      }
      case saUnskinAll: {
        Enabled = false;
        Purge();
        auto it = std::find_if(Forms.rbegin(), Forms.rend(), usesIt);
        if (it != Forms.rend()) UnskinForm(*it);
        break;
      }
      case saSkinChanged: {
        Purge();
        auto it = std::find_if(Forms.begin(), Forms.end(), usesIt);
        if (it != Forms.end()) {
          (*it)->RebuildButtons();
          (*it)->Reapply();
        }
        break;
      }
      case saPurge: Purge(); break;
      default: break;
    }
  } else {
    switch (PendingAction) {
      case saSkinAll: {
        Enabled = true;
        ForceAll = true;
        Purge();
        const std::vector<TWinControl*> forms = ScreenForms();
        for (auto it = forms.rbegin(); it != forms.rend(); ++it) AttachFormIfVisible(*it);
        ForceAll = false;
        break;
      }
      case saUnskinAll:
        Enabled = false;
        Purge();
        while (!Forms.empty()) UnskinForm(Forms.front());
        break;
      case saSkinChanged: {
        Purge();
        std::vector<TWinSkinForm*> mine;
        std::copy_if(Forms.begin(), Forms.end(), std::back_inserter(mine), usesIt);
        for (TWinSkinForm* f : mine) f->RebuildButtons();
        for (TWinSkinForm* f : mine)
          if (TWinSkinForm::IsLive(f)) f->Reapply();
        break;
      }
      case saPurge: Purge(); break;
      case saReskinWindow:
        if (TWinSkinForm* f = FindSkinForm(ReskinWindow)) {
          f->Detach();
          f->AttachState = asDestroyed;
          Purge();
          AttachWindow(ReskinWindow);
        }
        return;
      default: break;
    }
  }
  // The request has run; the component that made it hears of it.
  if (PendingSkinData == skinData) PendingSkinData = nullptr;
  RefreshSkinCopy();
  if (SkinDatas.Contains(skinData)) skinData->SkinChanged();
}

void RegisterSkinClasses() {
  RegisterSkinDataClass();
  SetSkinManagerFactory([] { return std::make_unique<TSkinManage>(); });
}
