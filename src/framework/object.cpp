#include "framework/object.h"

#include <map>
#include <memory>
#include <mutex>

#include "framework/properties.h"

namespace {
struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
      unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
      if (x >= 'A' && x <= 'Z') x += 32;
      if (y >= 'A' && y <= 'Z') y += 32;
      if (x != y) return x < y;
    }
    return a.size() < b.size();
  }
};

struct Registry {
  std::mutex lock;
  std::map<std::string, const TClassInfo*, NoCaseLess> byName;
};
Registry& registry() {
  static Registry* r = new Registry;  // never destroyed: class records outlive everything
  return *r;
}
}  // namespace

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x += 32;
    if (y >= 'A' && y <= 'Z') y += 32;
    if (x != y) return false;
  }
  return true;
}

bool TClassInfo::InheritsFrom(std::string_view className) const {
  for (const TClassInfo* c = this; c; c = c->parent)
    if (SameText(c->name, className)) return true;
  return false;
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
  for (const TClassInfo* c = this; c; c = c->parent)
    if (c == &other) return true;
  return false;
}

const std::vector<TPropInfo>& TClassInfo::OwnProps() const {
  // Tables are built once per class and kept for the life of the process.
  static std::mutex lock;
  static std::map<const TClassInfo*, std::unique_ptr<std::vector<TPropInfo>>>* tables =
      new std::map<const TClassInfo*, std::unique_ptr<std::vector<TPropInfo>>>;
  std::lock_guard<std::mutex> guard(lock);
  auto& slot = (*tables)[this];
  if (!slot) slot = std::make_unique<std::vector<TPropInfo>>(props ? props() : std::vector<TPropInfo>{});
  return *slot;
}

const TPropInfo* TClassInfo::FindProp(std::string_view propName) const {
  for (const TClassInfo* c = this; c; c = c->parent)
    for (const TPropInfo& p : c->OwnProps())
      if (SameText(p.name, propName)) return &p;
  return nullptr;
}

void RegisterComponentClass(const TClassInfo& info) {
  Registry& r = registry();
  std::lock_guard<std::mutex> guard(r.lock);
  r.byName[info.name] = &info;
}

const TClassInfo* FindClass(std::string_view name) {
  Registry& r = registry();
  std::lock_guard<std::mutex> guard(r.lock);
  auto it = r.byName.find(std::string(name));
  return it == r.byName.end() ? nullptr : it->second;
}

std::vector<const TClassInfo*> RegisteredClasses() {
  Registry& r = registry();
  std::lock_guard<std::mutex> guard(r.lock);
  std::vector<const TClassInfo*> out;
  for (const auto& [name, info] : r.byName) out.push_back(info);
  return out;
}

const TClassInfo& nv_detail::MakeClass(TClassInfo info) {
  const TClassInfo* rec = new TClassInfo(info);  // lives as long as the process
  RegisterComponentClass(*rec);
  return *rec;
}

const TClassInfo& TObject::StaticClass() {
  static const TClassInfo& info = nv_detail::MakeClass(TClassInfo{"TObject", nullptr, nullptr, nullptr});
  return info;
}
