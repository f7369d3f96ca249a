// Class records for every framework and engine class.
//
// Each class carries a record (name, parent, factory, published properties) so that code can
// ask an object for its class by name: the layout reader creates components from class names,
// the skin engine maps controls by class name, and the exception reporter's filters match
// exception classes and their ancestors by name.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TObject;
class TComponent;
struct TPropInfo;

struct TClassInfo {
  const char* name;
  const TClassInfo* parent;                  // null for TObject
  TComponent* (*create)(TComponent* owner);  // null for classes the reader cannot create
  std::vector<TPropInfo> (*props)();         // this class's own published properties

  bool InheritsFrom(std::string_view className) const;
  bool InheritsFrom(const TClassInfo& other) const;
  // Own and inherited properties, nearest class first.
  const TPropInfo* FindProp(std::string_view propName) const;
  const std::vector<TPropInfo>& OwnProps() const;
};

// The registry of classes by name (case-insensitive, as class names are compared).
void RegisterComponentClass(const TClassInfo& info);
const TClassInfo* FindClass(std::string_view name);

class TObject {
 public:
  virtual ~TObject() = default;
  static const TClassInfo& StaticClass();
  virtual const TClassInfo& ClassInfo() const { return StaticClass(); }

  std::string ClassName() const { return ClassInfo().name; }
  const TClassInfo* ClassParent() const { return ClassInfo().parent; }
  bool InheritsFrom(std::string_view className) const { return ClassInfo().InheritsFrom(className); }
  bool InheritsFrom(const TClassInfo& cls) const { return ClassInfo().InheritsFrom(cls); }
};

// Inside a class body: declares the class record accessors.
#define NV_CLASS(Cls)                     \
 public:                                  \
  static const TClassInfo& StaticClass(); \
  const TClassInfo& ClassInfo() const override { return StaticClass(); }

namespace nv_detail {
const TClassInfo& MakeClass(TClassInfo info);
template <class C>
TComponent* CreateComponent(TComponent* owner) {
  return new C(owner);
}
}  // namespace nv_detail

// In one source file: defines the record. The record registers itself by name on first use.
#define NV_DEFINE_CLASS_EX(Cls, Parent, Factory, Props)                                 \
  const TClassInfo& Cls::StaticClass() {                                                \
    static const TClassInfo& info =                                                     \
        nv_detail::MakeClass(TClassInfo{#Cls, &Parent::StaticClass(), Factory, Props}); \
    return info;                                                                        \
  }
#define NV_DEFINE_CLASS(Cls, Parent) NV_DEFINE_CLASS_EX(Cls, Parent, nullptr, nullptr)
// A component class the layout reader can create by name.
#define NV_DEFINE_COMPONENT(Cls, Parent, Props) \
  NV_DEFINE_CLASS_EX(Cls, Parent, &nv_detail::CreateComponent<Cls>, Props)

bool SameText(std::string_view a, std::string_view b);
