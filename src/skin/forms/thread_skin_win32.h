// Skinning the windows of a thread other than the GUI thread, for as long as it shows them.
//
// The exception reporter shows its dialogs on a worker thread while the thread that raised
// waits, so the program's skin manager (whose CBT hook sees the GUI thread only) never meets
// them. A TThreadSkin gives the calling thread a manager of its own, hooked on that thread,
// and a copy of the skin the program's manager would give a system dialog: its own bitmaps,
// fonts and brushes, because a bitmap can be selected into one device context at a time and
// the GUI thread keeps painting meanwhile. Everything it made goes when it is destroyed, on
// the same thread, after the windows it skinned (those still open get their own frame back).
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "skin/data/skin_types.h"

class TSkinData;
class TSkinManage;

// What a copy of a skin data component needs: its settings and its packed skin.
struct TSkinCopy {
  bool enabled = false;          // the program's manager skins windows now
  std::vector<uint8_t> stream;   // as SkinStream stores it (byte count first)
  TSkinControls controls;
  TSkinOptions options;
  std::vector<std::string> skin3rd;
  int disableTag = 0;
  bool menuUpdate = true;
  bool menuMerge = false;
};
// The settings and packed skin of a loaded component (empty stream when none is loaded).
TSkinCopy CopyOfSkinData(const TSkinData& skinData);

class TThreadSkin {
 public:
  // Raises what loading the copy raises; the thread is left as it was then.
  explicit TThreadSkin(const TSkinCopy& copy);
  ~TThreadSkin();
  TThreadSkin(const TThreadSkin&) = delete;
  TThreadSkin& operator=(const TThreadSkin&) = delete;

  TSkinManage& Manager() { return *manager_; }

 private:
  DWORD thread_;
  std::unique_ptr<TSkinManage> manager_;
  std::unique_ptr<TSkinData> skinData_;
};

// Skins the calling thread's windows like the program's: null on the GUI thread (its windows
// are the program manager's already), when there is no program manager, when it skins
// nothing now, or when the calling thread has a manager of its own already. Raises what
// loading the copy raises.
std::unique_ptr<TThreadSkin> BeginThreadSkin();
