#include "skin/controls/prop_access.h"

#include "framework/exception.h"
#include "framework/properties.h"

namespace {

const TPropInfo* Find(const TObject* obj, const std::string& name, TPropKind kind) {
  const TPropInfo* info = GetPropInfo(obj, name);
  return info && info->kind == kind && info->get ? info : nullptr;
}

}  // namespace

int GetOrdPropByName(const TObject* obj, const std::string& name) {
  const TPropInfo* info = Find(obj, name, TPropKind::Integer);
  if (!info) return -1;
  try {
    return int(info->get(*obj).integer);
  } catch (...) {
    return -1;
  }
}

std::string GetEnumPropByName(const TObject* obj, const std::string& name) {
  const TPropInfo* info = GetPropInfo(obj, name);
  if (!info || !info->get) return {};
  if (info->kind != TPropKind::Identifier && info->kind != TPropKind::Set && info->kind != TPropKind::Boolean)
    return {};
  try {
    return PropValueToText(*info, info->get(*obj));
  } catch (...) {
    return {};
  }
}

std::string GetTextPropByName(const TObject* obj, const std::string& name) {
  const TPropInfo* info = Find(obj, name, TPropKind::String);
  if (!info) return {};
  try {
    return info->get(*obj).text;
  } catch (...) {
    return {};
  }
}

TObject* GetObjectPropByName(TObject* obj, const std::string& name, const std::string& className) {
  const TPropInfo* info = GetPropInfo(obj, name);
  if (!info || info->kind != TPropKind::Object || !info->object) return nullptr;
  try {
    TObject* held = info->object(*obj);
    return held && held->InheritsFrom(className) ? held : nullptr;
  } catch (...) {
    return nullptr;
  }
}

void SetPropByName(TObject* obj, const std::string& name, const std::string& text) {
  const TPropInfo* info = GetPropInfo(obj, name);
  if (!info || !info->set) return;
  switch (info->kind) {
    case TPropKind::Integer:
    case TPropKind::Boolean:
    case TPropKind::Identifier:
    case TPropKind::String: break;
    default: return;
  }
  try {
    info->set(*obj, PropValueFromText(*info, text));
  } catch (...) {
    // A value the property cannot take leaves it as it was.
  }
}
