#include "exceptions/stack/modules.h"

#include <algorithm>

std::string TQuillonModule::FileName() const {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

TQuillonModule& TQuillonModulesList::Add(std::unique_ptr<TQuillonModule> module) {
  auto at =
      std::upper_bound(items_.begin(), items_.end(), module->handle,
                       [](uint32_t h, const std::unique_ptr<TQuillonModule>& m) { return h < m->handle; });
  return **items_.insert(at, std::move(module));
}

TQuillonModule* TQuillonModulesList::FindByHandle(uint32_t handle) const {
  auto at =
      std::lower_bound(items_.begin(), items_.end(), handle,
                       [](const std::unique_ptr<TQuillonModule>& m, uint32_t h) { return m->handle < h; });
  return at != items_.end() && (*at)->handle == handle ? at->get() : nullptr;
}

TQuillonModule* TQuillonModulesList::FindByAddress(uint32_t address) const {
  auto at =
      std::upper_bound(items_.begin(), items_.end(), address,
                       [](uint32_t a, const std::unique_ptr<TQuillonModule>& m) { return a < m->handle; });
  if (at == items_.begin()) return nullptr;
  TQuillonModule* m = (at - 1)->get();
  return m->Contains(address) ? m : nullptr;
}
