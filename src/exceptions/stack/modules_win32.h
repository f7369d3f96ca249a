// Filling the module list from the running process: enumeration through the process status
// library (the tool-help snapshot where it is missing), version data, file facts, export lists
// and module kinds. The records' debug information is opened lazily (modules.h).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "exceptions/stack/modules.h"

struct TModuleVersionInfo {
  std::string version;      // "%d.%d.%d.%d", empty for 0.0.0.0 or none
  std::string description;  // FileDescription of the first translation
};
TModuleVersionInfo ReadModuleVersion(const std::string& path);

// Handles of the process's modules; empty when neither enumeration works.
std::vector<HMODULE> EnumerateModules();
// Only the tool-help snapshot (also used when the process status library is missing).
std::vector<HMODULE> EnumerateModulesToolHelp();

TQuillonModuleKind ModuleKind(HMODULE module);
// A full record; exports are read for modules other than the main one.
std::unique_ptr<TQuillonModule> DescribeModule(HMODULE module);

// Drops unloaded modules (whose file name can no longer be read), adds new ones, keeps the
// list sorted by handle. Run it only while no other thread changes the list.
void RefreshModuleList(TQuillonModulesList& list);

// The named shared area "MODULE<pid><handle>" through which every copy of the reporter in the
// process sees whether a module has been set up. Removed when the owner goes.
class TSharedModuleFlag {
 public:
  explicit TSharedModuleFlag(HMODULE module);
  ~TSharedModuleFlag();
  TSharedModuleFlag(const TSharedModuleFlag&) = delete;
  TSharedModuleFlag& operator=(const TSharedModuleFlag&) = delete;
  bool Valid() const { return view_ != nullptr; }
  // Whether the area existed before this object opened it.
  bool Existed() const { return existed_; }
  bool IsSet() const;
  void Set(bool value);
  static std::string NameFor(DWORD processId, HMODULE module);

 private:
  HANDLE mapping_ = nullptr;
  uint8_t* view_ = nullptr;
  bool existed_ = false;
};
