// Published properties, reached by name.
//
// Each class lists its own properties (name, kind, getter, setter, default); lookups walk
// the class records from the object's class up to TObject. The layout reader and the skin
// engine both go through GetPropValue / SetPropValue.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/object.h"

enum class TPropKind {
  Integer,
  Boolean,
  String,
  Identifier,
  Set,
  StringList,
  Binary,
  Event,
  Object,
  Collection
};

// An event bound to an object's method, as the framework's components hold them.
using TNotifyEvent = std::function<void(TObject* sender)>;

// A property value as the layout holds it. Identifiers carry enumeration members, colour
// names and event handler names; sets carry their members in `list`.
struct TPropValue {
  TPropKind kind = TPropKind::Integer;
  int64_t integer = 0;
  std::string text;
  std::vector<std::string> list;
  std::vector<uint8_t> bytes;
  // Collections ("Panels = < item … end >"): one property list per item.
  std::vector<std::vector<std::pair<std::string, TPropValue>>> items;

  static TPropValue Int(int64_t v) {
    TPropValue p;
    p.kind = TPropKind::Integer;
    p.integer = v;
    return p;
  }
  static TPropValue Bool(bool v) {
    TPropValue p;
    p.kind = TPropKind::Boolean;
    p.integer = v;
    return p;
  }
  static TPropValue Str(std::string v) {
    TPropValue p;
    p.kind = TPropKind::String;
    p.text = std::move(v);
    return p;
  }
  static TPropValue Ident(std::string v) {
    TPropValue p;
    p.kind = TPropKind::Identifier;
    p.text = std::move(v);
    return p;
  }
  static TPropValue Strings(std::vector<std::string> v) {
    TPropValue p;
    p.kind = TPropKind::StringList;
    p.list = std::move(v);
    return p;
  }
  static TPropValue Members(std::vector<std::string> v) {
    TPropValue p;
    p.kind = TPropKind::Set;
    p.list = std::move(v);
    return p;
  }
  static TPropValue Binary(std::vector<uint8_t> v) {
    TPropValue p;
    p.kind = TPropKind::Binary;
    p.bytes = std::move(v);
    return p;
  }
};

struct TPropInfo {
  std::string name;
  TPropKind kind;
  std::function<TPropValue(const TObject&)> get;
  std::function<void(TObject&, const TPropValue&)> set;  // null: read-only
  std::function<void(TObject&, TNotifyEvent)> setEvent;  // Event properties
  std::function<TObject*(TObject&)> object;              // Object properties (Font, Items …)
};

// Raises EPropertyError when the object has no such property or it cannot take the value.
TPropValue GetPropValue(const TObject& obj, const std::string& name);
void SetPropValue(TObject& obj, const std::string& name, const TPropValue& value);
bool IsPublishedProp(const TObject& obj, const std::string& name);

// Helpers for property tables: bind member functions of class C.
// Reaches a nested property by a dotted path ("Font.Name"); raises EPropertyError.
void SetPropPath(TObject& obj, const std::string& path, const TPropValue& value);

template <class C, class T>
TPropInfo IntProp(const char* name, T (C::*get)() const, void (C::*set)(T)) {
  return {name, TPropKind::Integer,
          [get](const TObject& o) { return TPropValue::Int((static_cast<const C&>(o).*get)()); },
          [set](TObject& o, const TPropValue& v) { (static_cast<C&>(o).*set)(static_cast<T>(v.integer)); }};
}
template <class C>
TPropInfo BoolProp(const char* name, bool (C::*get)() const, void (C::*set)(bool)) {
  return {name, TPropKind::Boolean,
          [get](const TObject& o) { return TPropValue::Bool((static_cast<const C&>(o).*get)()); },
          [set](TObject& o, const TPropValue& v) { (static_cast<C&>(o).*set)(v.integer != 0); }};
}
template <class C>
TPropInfo StrProp(const char* name, std::string (C::*get)() const, void (C::*set)(const std::string&)) {
  return {name, TPropKind::String,
          [get](const TObject& o) { return TPropValue::Str((static_cast<const C&>(o).*get)()); },
          [set](TObject& o, const TPropValue& v) { (static_cast<C&>(o).*set)(v.text); }};
}
template <class C>
TPropInfo EventProp(const char* name, void (C::*set)(TNotifyEvent)) {
  TPropInfo p{name, TPropKind::Event, nullptr, nullptr, nullptr, nullptr};
  p.setEvent = [set](TObject& o, TNotifyEvent e) { (static_cast<C&>(o).*set)(std::move(e)); };
  return p;
}
template <class C, class Sub>
TPropInfo ObjectProp(const char* name, Sub* (C::*get)()) {
  TPropInfo p{name, TPropKind::Object, nullptr, nullptr, nullptr, nullptr};
  p.object = [get](TObject& o) -> TObject* { return (static_cast<C&>(o).*get)(); };
  return p;
}
