// The modules loaded in the process, as the report lists them and as addresses are resolved
// against. The Windows side fills the records (modules_win32.h); everything here is portable.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "exceptions/stack/debug_info.h"
#include "exceptions/stack/module_image.h"

// 1 executable or library, 2 package with options, 3 library that is not a package.
enum TQuillonModuleKind : uint8_t { mkUnknown = 0, mkExecutable = 1, mkPackage = 2, mkLibrary = 3 };

struct TQuillonModule {
  uint32_t handle = 0;     // base address
  uint32_t imageSize = 0;  // bytes mapped from the base
  std::string path;
  std::string description;
  std::string version;  // "1.2.3.4", empty for none
  uint64_t fileSize = 0;
  double modified = 0;  // last write of the file, as a date-time
  TQuillonModuleKind kind = mkUnknown;
  TQuillonFunctionsList exports;  // modules other than the main one
  // Null for modules without a file to read; loads nothing until asked.
  std::unique_ptr<TDebugInfoSource> debugInfo;

  bool Contains(uint32_t address) const { return address - handle < imageSize; }
  std::string FileName() const;
};

// Owns its records; kept sorted by handle.
class TQuillonModulesList {
 public:
  TQuillonModule& Add(std::unique_ptr<TQuillonModule> module);
  // Drops every record for which `gone` answers true (modules that were unloaded).
  template <class Pred>
  void RemoveIf(Pred gone) {
    std::erase_if(items_, [&](const std::unique_ptr<TQuillonModule>& m) { return gone(*m); });
  }
  TQuillonModule* FindByHandle(uint32_t handle) const;
  TQuillonModule* FindByAddress(uint32_t address) const;
  size_t Count() const { return items_.size(); }
  TQuillonModule& operator[](size_t i) const { return *items_[i]; }

 private:
  std::vector<std::unique_ptr<TQuillonModule>> items_;
};
