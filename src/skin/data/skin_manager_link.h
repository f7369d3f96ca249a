// What a skin data component asks of the process-wide skin manager, and where that manager
// lives. The manager itself is Windows code (skin/forms); this seam keeps the component
// portable and lets tests stand in for the manager.
#pragma once

#include <functional>
#include <memory>

class TComponent;
class TSkinData;

// Requests carried out by the manager's one-shot action timer.
enum TSkinAction {
  saNone = 0,
  saSkinAll = 1,
  saUnskinAll = 2,
  saSkinChanged = 3,
  saPurge = 6,
  saReskinWindow = 7,
};
// The delay of every request a skin data component makes, in milliseconds.
constexpr int kSkinRequestDelay = 250;

// Manager states.
constexpr int kManagerWaiting = 0;  // no window activated yet
constexpr int kManagerRunning = 1;
constexpr int kManagerDestroying = 4;

class ISkinManager {
 public:
  virtual ~ISkinManager() = default;
  virtual void RegisterSkinData(TSkinData* skinData) = 0;
  // Forgets the component everywhere: the default and pending pointers, a pending action on
  // its behalf, and the windows it skinned (they are unskinned).
  virtual void UnregisterSkinData(TSkinData* skinData) = 0;
  virtual void InstallHook() = 0;
  virtual void ScheduleAction(int action, int intervalMs) = 0;
  virtual int State() const = 0;
  virtual void SetState(int state) = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual void SetPendingSkinData(TSkinData* skinData) = 0;
  // Every form skinned by the pending skin data drops its caption buttons.
  virtual void ReapplySkinData() = 0;
  // Skins the window of `owner` at once when it is a form; false otherwise.
  virtual bool AttachOwnerForm(TComponent* owner) = 0;
};

// The manager of the calling thread, or null while none exists. The program's manager is the
// GUI thread's; a thread that shows windows of its own for a while (the exception reporter's
// dialogs) may put a manager of its own in its place (SetThreadSkinManager), which the skin
// objects of that thread then talk to.
ISkinManager* SkinManager();
// The manager, made through the factory when there is none yet; null without a factory.
ISkinManager* EnsureSkinManager();
// Makes `manager` the calling thread's own (null: the program's again). The caller keeps it.
void SetThreadSkinManager(ISkinManager* manager);
// The program's manager, whatever the calling thread has.
ISkinManager* ProgramSkinManager();
// The Windows side installs the factory of the real manager; tests install stand-ins.
using TSkinManagerFactory = std::function<std::unique_ptr<ISkinManager>()>;
void SetSkinManagerFactory(TSkinManagerFactory factory);
// Destroys the manager (program end); a later EnsureSkinManager makes a new one.
void FreeSkinManager();
