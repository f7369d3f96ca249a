#include "framework/properties.h"

#include "framework/exception.h"

static const TPropInfo& findOrRaise(const TObject& obj, const std::string& name) {
  const TPropInfo* p = obj.ClassInfo().FindProp(name);
  if (!p)
    throw EPropertyError(Format("Property %s does not exist in %s", name.c_str(), obj.ClassName().c_str()));
  return *p;
}

TPropValue GetPropValue(const TObject& obj, const std::string& name) {
  const TPropInfo& p = findOrRaise(obj, name);
  if (!p.get) throw EPropertyError(Format("Property %s is write-only", name.c_str()));
  return p.get(obj);
}

void SetPropValue(TObject& obj, const std::string& name, const TPropValue& value) {
  const TPropInfo& p = findOrRaise(obj, name);
  if (p.kind == TPropKind::Object && p.object && value.kind == TPropKind::StringList) {
    // A string list written as a whole ("Items = ( … )") goes to the list's own setter.
    SetPropValue(*p.object(obj), "Strings", value);
    return;
  }
  if (!p.set) throw EPropertyError(Format("Property %s is read-only", name.c_str()));
  p.set(obj, value);
}

bool IsPublishedProp(const TObject& obj, const std::string& name) {
  return obj.ClassInfo().FindProp(name) != nullptr;
}

void SetPropPath(TObject& obj, const std::string& path, const TPropValue& value) {
  TObject* target = &obj;
  size_t start = 0, dot;
  while ((dot = path.find('.', start)) != std::string::npos) {
    std::string part = path.substr(start, dot - start);
    const TPropInfo& p = findOrRaise(*target, part);
    if (p.kind != TPropKind::Object || !p.object)
      throw EPropertyError(Format("Property %s is not an object", part.c_str()));
    target = p.object(*target);
    if (!target) throw EPropertyError(Format("Property %s is nil", part.c_str()));
    start = dot + 1;
  }
  SetPropValue(*target, path.substr(start), value);
}
