#include "exceptions/options/option_fields.h"

#include <type_traits>

#include "framework/object.h"

namespace {
template <auto Member>
struct Access {
  using T = std::remove_cvref_t<decltype(std::declval<TQuillonOptionValues&>().*Member)>;
  static int64_t getNumber(const TQuillonOptionValues& v) {
    if constexpr (std::is_arithmetic_v<T>) return static_cast<int64_t>(v.*Member);
    else return 0;
  }
  static void setNumber(TQuillonOptionValues& v, int64_t n) {
    if constexpr (std::is_same_v<T, bool>) v.*Member = n != 0;
    else if constexpr (std::is_arithmetic_v<T>) v.*Member = static_cast<T>(n);
  }
  static const std::string& getString(const TQuillonOptionValues& v) {
    if constexpr (std::is_same_v<T, std::string>) return v.*Member;
    else {
      static const std::string none;
      return none;
    }
  }
  static void setString(TQuillonOptionValues& v, std::string s) {
    if constexpr (std::is_same_v<T, std::string>) v.*Member = std::move(s);
  }
  static TStringVector& list(TQuillonOptionValues& v) {
    if constexpr (std::is_same_v<T, TStringVector>) return v.*Member;
    else {
      static TStringVector none;
      return none;
    }
  }
};
}  // namespace

const std::vector<TQuillonFieldInfo>& QuillonOptionFields() {
  static const std::vector<TQuillonFieldInfo> fields = {
#define QL_FIELD_INFO(kind, type, name, def, since)                                                         \
  {#name, TQuillonFieldKind::kind, since, &Access<&TQuillonOptionValues::name>::getNumber,                 \
   &Access<&TQuillonOptionValues::name>::setNumber, &Access<&TQuillonOptionValues::name>::getString,      \
   &Access<&TQuillonOptionValues::name>::setString, &Access<&TQuillonOptionValues::name>::list},
      QL_OPTION_FIELDS(QL_FIELD_INFO)
#undef QL_FIELD_INFO
  };
  return fields;
}

const TQuillonFieldInfo* FindQuillonOptionField(std::string_view name) {
  for (const TQuillonFieldInfo& f : QuillonOptionFields())
    if (SameText(f.name, name)) return &f;
  return nullptr;
}

int64_t QuillonFieldMax(TQuillonFieldKind kind) {
  switch (kind) {
    case TQuillonFieldKind::Bool: return 1;
    case TQuillonFieldKind::Byte: return 0xFF;
    case TQuillonFieldKind::Word: return 0xFFFF;
    case TQuillonFieldKind::Int: return 0x7FFFFFFF;
    case TQuillonFieldKind::Bits40: return 0xFFFFFFFFFF;
    default: return 0;
  }
}
