// The skin manager's decisions that need no system: which top-level windows get a skinned
// frame, which skin data component skins a window, and the manager's list of components.
// The Windows manager gathers the facts of a window and asks these.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TComponent;
class TSkinData;

// A framework form with this Tag is never framed, whatever a component's DisableTag says.
constexpr intptr_t kNeverSkinTag = 99;

// What the manager knows of a window it is asked to skin.
struct TAttachFacts {
  uintptr_t window = 0;
  std::string className;
  bool child = false;     // WS_CHILD
  bool mdiChild = false;  // WS_EX_MDICHILD
  std::string parentClass;
  bool hasArea = false;      // the window rectangle is not empty
  bool ownInstance = false;  // created by the program's own module
  bool hasForm = false;      // a framework form owns the window
  intptr_t formTag = 0;
};

// Whether the window may get a skinned frame: not a plain child of an MDI client (unless a
// skin-all pass forces it), a framework form, a window of the program's own or a system
// dialog, with an area (or an MDI child), without Tag 99, not of the application window's
// class or a popup of another library's editors, and accepted by the name filter.
bool WindowQualifies(const TAttachFacts& w, bool forceAll, TSkinData* defaultSkinData);

// The name filter: without xoPreview in the default component's options, classes whose
// name contains "preview" are refused; then that component is asked (OnFormSkin, or its
// own refusals). Without a default component everything passes.
bool NameFilterAccepts(TSkinData* defaultSkinData, uintptr_t window, const std::string& className);

// The skin data components the manager serves, in registration order.
class TSkinDataList {
 public:
  // Adds a component once; the first of type sfMainform becomes the default one.
  void Register(TSkinData* skinData);
  // Forgets a component; a default one is replaced by the next registered sfMainform.
  void Unregister(TSkinData* skinData);
  bool Contains(const TSkinData* skinData) const;
  const std::vector<TSkinData*>& Items() const { return items_; }
  TSkinData* Default() const { return default_; }

  // Returns the handle of a component's owner when that owner is a framework form whose
  // window exists, else 0.
  using TOwnerWindowFn = std::function<uintptr_t(TComponent* owner)>;
  // The component that skins a window: the last sfOnlyThisForm one whose owner form is the
  // window; for message forms and system dialogs the last sfDialog one; else the last
  // sfMainform one; else the first registered; null when none is registered.
  TSkinData* ChooseFor(uintptr_t window, const std::string& className,
                       const TOwnerWindowFn& ownerWindow) const;

 private:
  std::vector<TSkinData*> items_;
  TSkinData* default_ = nullptr;
};
