#include "framework/properties.h"

#include <cerrno>
#include <cstdlib>

#include "framework/exception.h"

static const TPropInfo& findOrRaise(const TObject& obj, const std::string& name) {
  const TPropInfo* p = obj.ClassInfo().FindProp(name);
  if (!p)
    throw EPropertyError(Format("Property %s does not exist in %s", name.c_str(), obj.ClassName().c_str()));
  return *p;
}

bool IdentToValue(const TIdentTable& table, std::string_view name, int64_t& value) {
  for (const TIdent& i : table)
    if (SameText(i.name, name)) {
      value = i.value;
      return true;
    }
  return false;
}

const char* ValueToIdent(const TIdentTable& table, int64_t value) {
  for (const TIdent& i : table)
    if (i.value == value) return i.name;
  return nullptr;
}

const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name) noexcept {
  return obj ? GetPropInfo(*obj, name) : nullptr;
}

const TPropInfo* GetPropInfo(const TObject& obj, std::string_view name) noexcept {
  try {
    return obj.ClassInfo().FindProp(name);
  } catch (...) {
    return nullptr;  // a table that cannot be built (out of memory) has no properties to offer
  }
}

std::vector<const TPropInfo*> GetPropList(const TObject& obj) {
  std::vector<const TPropInfo*> out;
  for (const TClassInfo* c = &obj.ClassInfo(); c; c = c->parent)
    for (const TPropInfo& p : c->OwnProps()) {
      bool hidden = false;
      for (const TPropInfo* q : out) hidden = hidden || SameText(q->name, p.name);
      if (!hidden) out.push_back(&p);
    }
  return out;
}

TPropValue GetPropValue(const TObject& obj, const std::string& name) {
  const TPropInfo& p = findOrRaise(obj, name);
  if (!p.get) throw EPropertyError(Format("Property %s cannot be read", name.c_str()));
  return p.get(obj);
}

void SetPropValue(TObject& obj, const std::string& name, const TPropValue& value) {
  const TPropInfo& p = findOrRaise(obj, name);
  if (p.kind == TPropKind::Object && p.object) {
    // A string list written as a whole ("Items = ( … )") goes to the list's own setter;
    // the object itself written back is no change.
    if (value.kind == TPropKind::StringList) {
      SetPropValue(*p.object(obj), "Strings", value);
      return;
    }
    if (value.kind == TPropKind::Object && value.object == p.object(obj)) return;
  }
  if (p.kind == TPropKind::Event)
    throw EPropertyError(Format("Property %s is an event: it takes a handler", name.c_str()));
  if (!p.set) throw EPropertyError(Format("Property %s cannot be written", name.c_str()));
  p.set(obj, value);
}

bool IsPublishedProp(const TObject& obj, const std::string& name) {
  return GetPropInfo(obj, name) != nullptr;
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

// ---- values by name ----

int64_t nv_detail::NamedInteger(const TPropValue& v, const TIdentTable* table, const std::string& prop) {
  if (v.kind != TPropKind::Identifier && v.kind != TPropKind::String) return v.integer;
  int64_t value;
  if (table && IdentToValue(*table, v.text, value)) return value;
  throw EConvertError(Format("'%s' is not a valid value of %s", v.text.c_str(), prop.c_str()));
}

int64_t nv_detail::EnumValue(const TPropValue& v, const TIdentTable& table, const std::string& prop) {
  if (v.kind == TPropKind::Integer) {
    if (ValueToIdent(table, v.integer)) return v.integer;
    throw EConvertError(
        Format("%lld is not a valid value of %s", static_cast<long long>(v.integer), prop.c_str()));
  }
  return NamedInteger(v, &table, prop);
}

int64_t nv_detail::SetValue(const TPropValue& v, const TIdentTable& table, const std::string& prop) {
  if (v.kind == TPropKind::Integer) return v.integer;
  int64_t bits = 0;
  for (const std::string& m : v.list) {
    int64_t bit;
    if (!IdentToValue(table, m, bit))
      throw EConvertError(Format("'%s' is not a member of %s", m.c_str(), prop.c_str()));
    bits |= bit;
  }
  return bits;
}

TPropValue nv_detail::EnumToValue(int64_t v, const TIdentTable& table) {
  const char* name = ValueToIdent(table, v);
  return name ? TPropValue::Ident(name) : TPropValue::Int(v);
}

TPropValue nv_detail::SetToValue(int64_t bits, const TIdentTable& table) {
  std::vector<std::string> members;
  for (const TIdent& i : table)
    if (i.value && (bits & i.value) == i.value) members.push_back(i.name);
  return TPropValue::Members(std::move(members));
}

std::string PropValueToText(const TPropInfo& info, const TPropValue& value) {
  switch (value.kind) {
    case TPropKind::Integer:
      if (info.idents)
        if (const char* name = ValueToIdent(*info.idents, value.integer)) return name;
      return std::to_string(value.integer);
    case TPropKind::Boolean: return value.integer ? "True" : "False";
    case TPropKind::String:
    case TPropKind::Identifier: return value.text;
    case TPropKind::Set: {
      std::string out = "[";
      for (size_t i = 0; i < value.list.size(); ++i) out += (i ? "," : "") + value.list[i];
      return out + "]";
    }
    case TPropKind::StringList: {
      std::string out;
      for (const std::string& line : value.list) out += line + "\r\n";
      return out;
    }
    default: return std::string();
  }
}

namespace {
std::string Trimmed(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && static_cast<unsigned char>(s[a]) <= ' ') ++a;
  while (b > a && static_cast<unsigned char>(s[b - 1]) <= ' ') --b;
  return s.substr(a, b - a);
}

bool ParseInteger(const std::string& text, int64_t& out) {
  std::string t = Trimmed(text);
  if (t.empty()) return false;
  bool negative = t[0] == '-';
  size_t i = negative ? 1 : 0;
  int base = 10;
  if (i < t.size() && t[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= t.size()) return false;
  errno = 0;
  char* end = nullptr;
  unsigned long long v = std::strtoull(t.c_str() + i, &end, base);
  if (errno || *end || t[i] == '-' || t[i] == '+') return false;
  out = negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
  return true;
}
}  // namespace

TPropValue PropValueFromText(const TPropInfo& info, const std::string& text) {
  std::string t = Trimmed(text);
  switch (info.kind) {
    case TPropKind::Integer: {
      int64_t v;
      if (ParseInteger(t, v)) return TPropValue::Int(v);
      if (info.idents && IdentToValue(*info.idents, t, v)) return TPropValue::Int(v);
      throw EConvertError(Format("'%s' is not a valid value of %s", text.c_str(), info.name.c_str()));
    }
    case TPropKind::Boolean:
      if (SameText(t, "True")) return TPropValue::Bool(true);
      if (SameText(t, "False")) return TPropValue::Bool(false);
      throw EConvertError(Format("'%s' is not a valid boolean value", text.c_str()));
    case TPropKind::String: return TPropValue::Str(text);
    case TPropKind::Identifier: {
      int64_t v;
      if (!info.idents || !IdentToValue(*info.idents, t, v))
        throw EConvertError(Format("'%s' is not a valid value of %s", text.c_str(), info.name.c_str()));
      return TPropValue::Ident(ValueToIdent(*info.idents, v));
    }
    case TPropKind::Set: {
      if (t.size() < 2 || t.front() != '[' || t.back() != ']')
        throw EConvertError(Format("'%s' is not a set", text.c_str()));
      std::vector<std::string> members;
      std::string inner = t.substr(1, t.size() - 2);
      size_t start = 0;
      while (start <= inner.size()) {
        size_t comma = inner.find(',', start);
        std::string m =
            Trimmed(inner.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (!m.empty()) members.push_back(m);
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
      return TPropValue::Members(std::move(members));
    }
    case TPropKind::StringList: {
      std::vector<std::string> lines;
      size_t start = 0;
      while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end;
        if (start < text.size() && text[start] == '\r') ++start;
        if (start < text.size() && text[start] == '\n') ++start;
      }
      return TPropValue::Strings(std::move(lines));
    }
    default: throw EConvertError(Format("Property %s cannot be written as text", info.name.c_str()));
  }
}

std::string GetPropText(const TObject& obj, const std::string& name) {
  return PropValueToText(findOrRaise(obj, name), GetPropValue(obj, name));
}

void SetPropText(TObject& obj, const std::string& name, const std::string& text) {
  SetPropValue(obj, name, PropValueFromText(findOrRaise(obj, name), text));
}
