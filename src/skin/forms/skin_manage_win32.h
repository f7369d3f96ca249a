// TSkinManage: the one process-wide skin manager. It watches window creation, activation
// and destruction on the GUI thread through a CBT hook, attaches a TWinSkinForm to each
// qualifying top-level window and a TWinSkinPopMenu to each popup menu window, and carries
// out the skin data components' requests (skin all, unskin all, skin changed, purge,
// re-skin one window) with a one-shot timer, outside the caller's stack.
//
// Made by the first skin data component that finishes loading (through the factory that
// RegisterSkinClasses installs) and freed at the program's end (FreeSkinManager), when
// every window still skinned gets its own window procedure back and the hook goes.
// Everything runs on the GUI thread; the hook and the timer run inside the guard.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "framework/hooks_win32.h"
#include "skin/data/skin_manager_link.h"
#include "skin/forms/manager_rules.h"
#include "skin/forms/system_version_win32.h"
#include "skin/forms/thread_skin_win32.h"

class TForm;
class TSkinData;
class TTimer;
class TWinControl;
class TWinSkinForm;
class TWinSkinPopMenu;

// Kinds of the next popup menu.
enum TPopupMode { pmOrdinary = 0, pmMenuBar = 1, pmSystemMenu = 2 };

class TSkinManage : public ISkinManager {
 public:
  TSkinManage();
  ~TSkinManage() override;
  TSkinManage(const TSkinManage&) = delete;
  TSkinManage& operator=(const TSkinManage&) = delete;

  // ---- Requests of the skin data components ----
  void RegisterSkinData(TSkinData* skinData) override;
  void UnregisterSkinData(TSkinData* skinData) override;
  // Records the system version and hooks the calling thread (once).
  void InstallHook() override;
  // Stores the action and the timer's interval; the timer runs once a window has been
  // activated. Before that, skin all only switches skinning on and unskin all off.
  void ScheduleAction(int action, int intervalMs) override;
  int State() const override { return state_; }
  void SetState(int state) override { state_ = state; }
  void SetEnabled(bool enabled) override;
  void SetPendingSkinData(TSkinData* skinData) override { PendingSkinData = skinData; }
  void ReapplySkinData() override;
  bool AttachOwnerForm(TComponent* owner) override;

  // ---- Windows ----
  // Skins one top-level window; true only when a new TWinSkinForm was made.
  bool AttachWindow(HWND wnd);
  // A framework form that is visible and not a child window.
  bool AttachFormIfVisible(TWinControl* form);
  TWinSkinForm* FindSkinForm(HWND wnd) const;
  // Takes an entry out of Forms without freeing it (nothing while being destroyed).
  void RemoveForm(HWND wnd);
  void RemoveForm(TWinSkinForm* form);
  void AttachPopupMenu(HWND wnd);
  bool DetachPopupMenu(HWND wnd);
  bool IsSkinnedPopup(HWND wnd) const;
  void SetMDIMaximized(bool maximized);
  // The timer's handler.
  void RunPendingAction();
  // Drops entries that no longer exist and frees those whose window is gone.
  void Purge();
  TSkinData* DefaultSkinData() const { return SkinDatas.Default(); }
  // What another thread needs to skin its windows as this manager would skin a system
  // dialog now; any thread may ask. Kept up to date at each registration, request and action.
  std::shared_ptr<const TSkinCopy> SkinCopy() const;

  // ---- State ----
  std::unique_ptr<TTimer> Timer;
  std::optional<TWindowsHook> CBTHook;  // the thread's CBT hook once installed
  std::vector<TWinSkinForm*> Forms;     // owned when Control is null, else by the form
  std::vector<std::unique_ptr<TWinSkinPopMenu>> PopupMenus;
  TSkinDataList SkinDatas;
  bool Enabled = false;
  bool ForceAll = false;  // a skin-all pass runs
  int PopupMode = pmOrdinary;
  bool MDIMaximized = false;
  HWND MDIClient = nullptr;
  TWinControl* MDIFrameControl = nullptr;
  int PendingAction = saNone;
  TSkinData* PendingSkinData = nullptr;
  HWND ReskinWindow = nullptr;
  TSystemVersion SystemVersion;
  const DWORD ThreadId;  // the thread whose windows this manager skins (the one that made it)

 private:
  void CBTProc(THookCall& call);
  void PurgeDestroyed();
  void FreeForm(TWinSkinForm* form);
  void UnskinForm(TWinSkinForm* form);
  TSkinData* ChooseSkinData(HWND wnd, const std::string& className) const;
  void RefreshSkinCopy();
  int state_ = kManagerWaiting;
  mutable std::mutex copyLock_;
  std::shared_ptr<const TSkinCopy> copy_;
};

// The manager as TSkinManage; null while there is none.
TSkinManage* SkinManage();

// The framework forms of the GUI thread that have windows, in the order they were made.
std::vector<TWinControl*> ScreenForms();

// Makes the skin classes known to the layout reader and lets skin data components create
// this manager.
void RegisterSkinClasses();
