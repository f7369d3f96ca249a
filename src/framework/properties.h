// Published properties, reached by name.
//
// Each class lists its own properties (name, kind, getter, setter, names of values); look-ups
// walk the class records from the object's class up to TObject. The layout reader and the
// skin engine both go through this table. Every declared property can be read and written:
//   Integer     a number; some name their values too (colours "clBtnFace", cursors,
//               charsets), and then take those names when written
//   Boolean     True / False
//   String, StringList, Binary
//   Identifier  an enumeration: the value's name ("bsSingle"), from the property's table
//   Set         the members' names ({"biSystemMenu"}; as text "[biSystemMenu]")
//   Event       reads whether a handler is assigned; written with setEvent
//   Object      a sub-object (Font, Items, Picture) with properties of its own
//   Collection  items of name-value pairs (a status bar's Panels)
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
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
// names and event handler names; sets carry their members in `list`; an Object property
// reads as its sub-object.
struct TPropValue {
  TPropKind kind = TPropKind::Integer;
  int64_t integer = 0;
  std::string text;
  std::vector<std::string> list;
  std::vector<uint8_t> bytes;
  TObject* object = nullptr;
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

// The names of an enumeration's values, of a set's members (value = the member's bit), or
// of an integer's named values.
struct TIdent {
  const char* name;
  int64_t value;
};
using TIdentTable = std::vector<TIdent>;
// The value of a name (case-insensitive) / the name of a value; false / null when absent.
bool IdentToValue(const TIdentTable& table, std::string_view name, int64_t& value);
const char* ValueToIdent(const TIdentTable& table, int64_t value);

struct TPropInfo {
  std::string name;
  TPropKind kind;
  std::function<TPropValue(const TObject&)> get;
  std::function<void(TObject&, const TPropValue&)> set;  // Object kinds: may be null
  std::function<void(TObject&, TNotifyEvent)> setEvent;  // Event properties
  std::function<TObject*(TObject&)> object;              // Object properties (Font, Items …)
  const TIdentTable* idents = nullptr;                   // Identifier, Set, named Integer
};

// Look-ups that never raise: null for a missing object or property (the skin engine probes
// properties of any class this way).
const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name) noexcept;
const TPropInfo* GetPropInfo(const TObject& obj, std::string_view name) noexcept;
// Every property of the object's class, own and inherited, nearest class first (a name
// declared again in a derived class hides the inherited one).
std::vector<const TPropInfo*> GetPropList(const TObject& obj);

// Raise EPropertyError when the object has no such property or it cannot take the value
// (EConvertError for a name that is not one of the property's values).
TPropValue GetPropValue(const TObject& obj, const std::string& name);
void SetPropValue(TObject& obj, const std::string& name, const TPropValue& value);
bool IsPublishedProp(const TObject& obj, const std::string& name);
// Reaches a nested property by a dotted path ("Font.Name"); raises EPropertyError.
void SetPropPath(TObject& obj, const std::string& path, const TPropValue& value);

// Values as text, as a user or a skin definition writes them: numbers in decimal (named
// integers by their name), "True"/"False", enumeration names, sets as "[a,b]", string lists
// as lines. FromText raises EConvertError.
std::string PropValueToText(const TPropInfo& info, const TPropValue& value);
TPropValue PropValueFromText(const TPropInfo& info, const std::string& text);
std::string GetPropText(const TObject& obj, const std::string& name);
void SetPropText(TObject& obj, const std::string& name, const std::string& text);

// Helpers for property tables: bind member functions of class C.
namespace nv_detail {
// An integer from a value that may be a number or one of the table's names.
int64_t NamedInteger(const TPropValue& v, const TIdentTable* table, const std::string& prop);
int64_t EnumValue(const TPropValue& v, const TIdentTable& table, const std::string& prop);
int64_t SetValue(const TPropValue& v, const TIdentTable& table, const std::string& prop);
TPropValue EnumToValue(int64_t v, const TIdentTable& table);
TPropValue SetToValue(int64_t bits, const TIdentTable& table);
}  // namespace nv_detail

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
// An integer whose values may also be written by name (colours, cursors, charsets).
template <class C, class T>
TPropInfo NamedIntProp(const char* name, T (C::*get)() const, void (C::*set)(T), const TIdentTable& names) {
  TPropInfo p{name, TPropKind::Integer,
              [get](const TObject& o) { return TPropValue::Int((static_cast<const C&>(o).*get)()); },
              [set, &names, n = std::string(name)](TObject& o, const TPropValue& v) {
                (static_cast<C&>(o).*set)(static_cast<T>(nv_detail::NamedInteger(v, &names, n)));
              }};
  p.idents = &names;
  return p;
}
template <class C, class E>
TPropInfo EnumProp(const char* name, E (C::*get)() const, void (C::*set)(E), const TIdentTable& names) {
  TPropInfo p{name, TPropKind::Identifier,
              [get, &names](const TObject& o) {
                return nv_detail::EnumToValue(static_cast<int64_t>((static_cast<const C&>(o).*get)()), names);
              },
              [set, &names, n = std::string(name)](TObject& o, const TPropValue& v) {
                (static_cast<C&>(o).*set)(static_cast<E>(nv_detail::EnumValue(v, names, n)));
              }};
  p.idents = &names;
  return p;
}
// A set held as bits; the table gives each member's bit.
template <class C, class T>
TPropInfo SetOfProp(const char* name, T (C::*get)() const, void (C::*set)(T), const TIdentTable& members) {
  TPropInfo p{name, TPropKind::Set,
              [get, &members](const TObject& o) {
                return nv_detail::SetToValue(static_cast<int64_t>((static_cast<const C&>(o).*get)()),
                                             members);
              },
              [set, &members, n = std::string(name)](TObject& o, const TPropValue& v) {
                (static_cast<C&>(o).*set)(static_cast<T>(nv_detail::SetValue(v, members, n)));
              }};
  p.idents = &members;
  return p;
}
// An event held in a public field; reads whether a handler is assigned. With a setter, the
// setter writes it (for components that act on a change).
template <class C>
TPropInfo EventProp(const char* name, TNotifyEvent C::*field, void (C::*set)(TNotifyEvent) = nullptr) {
  TPropInfo p{name,
              TPropKind::Event,
              [field](const TObject& o) {
                return TPropValue::Bool(static_cast<bool>(static_cast<const C&>(o).*field));
              },
              nullptr,
              nullptr,
              nullptr};
  if (set)
    p.setEvent = [set](TObject& o, TNotifyEvent e) { (static_cast<C&>(o).*set)(std::move(e)); };
  else
    p.setEvent = [field](TObject& o, TNotifyEvent e) { static_cast<C&>(o).*field = std::move(e); };
  return p;
}
// The earlier form, with a setter only: such an event cannot be read back.
template <class C>
[[deprecated("pass the event's field too: EventProp(name, &C::OnX, &C::SetOnX)")]] TPropInfo EventProp(
    const char* name, void (C::*set)(TNotifyEvent)) {
  TPropInfo p{name, TPropKind::Event, nullptr, nullptr, nullptr, nullptr};
  p.setEvent = [set](TObject& o, TNotifyEvent e) { (static_cast<C&>(o).*set)(std::move(e)); };
  return p;
}
template <class C, class Sub>
TPropInfo ObjectProp(const char* name, Sub* (C::*get)()) {
  TPropInfo p{name, TPropKind::Object, nullptr, nullptr, nullptr, nullptr};
  p.object = [get](TObject& o) -> TObject* { return (static_cast<C&>(o).*get)(); };
  p.get = [get](const TObject& o) {
    TPropValue v;
    v.kind = TPropKind::Object;
    v.object = (const_cast<C&>(static_cast<const C&>(o)).*get)();
    return v;
  };
  return p;
}
