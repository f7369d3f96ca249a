#include "skin/data/skin_manager_link.h"

#include <utility>

namespace {
struct TManagerSlot {
  TSkinManagerFactory factory;
  std::unique_ptr<ISkinManager> manager;
  // The manager's destructor may ask for the manager (skin data components unregistering
  // while it frees their forms); it must then see none rather than a half-destroyed one.
  ~TManagerSlot() { std::exchange(manager, nullptr).reset(); }
};
TManagerSlot& Slot() {
  static TManagerSlot slot;
  return slot;
}
thread_local ISkinManager* tThreadManager = nullptr;
}  // namespace

ISkinManager* SkinManager() { return tThreadManager ? tThreadManager : Slot().manager.get(); }

ISkinManager* EnsureSkinManager() {
  if (tThreadManager) return tThreadManager;
  TManagerSlot& s = Slot();
  if (!s.manager && s.factory) s.manager = s.factory();
  return s.manager.get();
}

void SetSkinManagerFactory(TSkinManagerFactory factory) { Slot().factory = std::move(factory); }

void FreeSkinManager() { std::exchange(Slot().manager, nullptr).reset(); }

void SetThreadSkinManager(ISkinManager* manager) { tThreadManager = manager; }

ISkinManager* ProgramSkinManager() { return Slot().manager.get(); }
