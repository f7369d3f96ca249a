#include "skin/forms/thread_skin_win32.h"

#include "framework/exception.h"
#include "skin/data/skin_data.h"
#include "skin/data/skin_manager_link.h"
#include "skin/forms/skin_manage_win32.h"

TSkinCopy CopyOfSkinData(const TSkinData& skinData) {
  TSkinCopy c;
  if (skinData.SkinLoaded()) c.stream = skinData.SkinStream();
  c.controls = skinData.SkinControls();
  c.options = skinData.Options();
  c.skin3rd = skinData.Skin3rd();
  c.disableTag = skinData.DisableTag();
  c.menuUpdate = skinData.MenuUpdate();
  c.menuMerge = skinData.MenuMerge();
  return c;
}

TThreadSkin::TThreadSkin(const TSkinCopy& copy) : thread_(GetCurrentThreadId()) {
  manager_ = std::make_unique<TSkinManage>();
  SetThreadSkinManager(manager_.get());
  try {
    skinData_ = std::make_unique<TSkinData>(nullptr);
    skinData_->SetName("ThreadSkinData");
    skinData_->SetSkinControls(copy.controls);
    skinData_->SetOptions(copy.options);
    skinData_->SetSkin3rd(copy.skin3rd);
    skinData_->SetDisableTag(copy.disableTag);
    skinData_->SetMenuUpdate(copy.menuUpdate);
    skinData_->SetMenuMerge(copy.menuMerge);
    skinData_->SetSkinFormtype(sfMainform);
    skinData_->SetSkinStream(copy.stream);
    if (!skinData_->SkinLoaded()) throw Exception("The program's skin cannot be built on this thread");
    // The loaded step registers the copy with this thread's manager, hooks this thread and
    // switches skinning on: the next window activated here is skinned.
    skinData_->SetActive(true);
  } catch (...) {
    skinData_.reset();
    manager_.reset();
    SetThreadSkinManager(nullptr);
    throw;
  }
}

TThreadSkin::~TThreadSkin() {
  // Destroying the copy unskins what it still skins while the manager exists; the manager
  // then unhooks the thread. Only then does the thread talk to the program's manager again.
  skinData_.reset();
  manager_.reset();
  if (GetCurrentThreadId() == thread_) SetThreadSkinManager(nullptr);
}

std::unique_ptr<TThreadSkin> BeginThreadSkin() {
  if (SkinManager() != ProgramSkinManager()) return nullptr;  // this thread has its own
  auto* program = dynamic_cast<TSkinManage*>(ProgramSkinManager());
  if (!program || program->ThreadId == GetCurrentThreadId()) return nullptr;
  std::shared_ptr<const TSkinCopy> copy = program->SkinCopy();
  if (!copy || !copy->enabled) return nullptr;
  return std::make_unique<TThreadSkin>(*copy);
}
