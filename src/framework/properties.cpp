#include "framework/properties.h"

#include "framework/exception.h"

static const TPropInfo& findOrRaise(const TObject& obj, const std::string& name) {
  const TPropInfo* p = obj.ClassInfo().FindProp(name);
  if (!p) throw EPropertyError(Format("Property %s does not exist in %s", name.c_str(), obj.ClassName().c_str()));
  return *p;
}

TPropValue GetPropValue(const TObject& obj, const std::string& name) {
  const TPropInfo& p = findOrRaise(obj, name);
  if (!p.get) throw EPropertyError(Format("Property %s is write-only", name.c_str()));
  return p.get(obj);
}

void SetPropValue(TObject& obj, const std::string& name, const TPropValue& value) {
  const TPropInfo& p = findOrRaise(obj, name);
  if (!p.set) throw EPropertyError(Format("Property %s is read-only", name.c_str()));
  p.set(obj, value);
}

bool IsPublishedProp(const TObject& obj, const std::string& name) {
  return obj.ClassInfo().FindProp(name) != nullptr;
}
