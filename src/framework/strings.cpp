#include "framework/strings.h"

#include "framework/exception.h"
#include "framework/properties.h"

namespace {
std::vector<TPropInfo> stringsProps() {
  return {
      TPropInfo{"Strings", TPropKind::StringList,
                [](const TObject& o) { return TPropValue::Strings(static_cast<const TStrings&>(o).Lines()); },
                [](TObject& o, const TPropValue& v) { static_cast<TStrings&>(o).Assign(v.list); }},
      TPropInfo{"Text", TPropKind::String,
                [](const TObject& o) { return TPropValue::Str(static_cast<const TStrings&>(o).Text()); },
                [](TObject& o, const TPropValue& v) { static_cast<TStrings&>(o).SetText(v.text); }}};
}
}  // namespace

NV_DEFINE_CLASS_EX(TStrings, TObject, nullptr, stringsProps)

void TStrings::CheckIndex(int i, int limit) const {
  if (i < 0 || i >= limit) throw EListError(Format("List index out of bounds (%d)", i));
}

void TStrings::Changed() {
  if (OnChange) OnChange();
}

const std::string& TStrings::operator[](int i) const {
  CheckIndex(i, Count());
  return lines_[static_cast<size_t>(i)];
}

void TStrings::Put(int i, const std::string& s) {
  CheckIndex(i, Count());
  lines_[static_cast<size_t>(i)] = s;
  DidPut(i);
  Changed();
}

int TStrings::Add(const std::string& s) {
  Insert(Count(), s);
  return Count() - 1;
}

void TStrings::Insert(int i, const std::string& s) {
  CheckIndex(i, Count() + 1);
  lines_.insert(lines_.begin() + i, s);
  DidInsert(i);
  Changed();
}

void TStrings::Delete(int i) {
  CheckIndex(i, Count());
  lines_.erase(lines_.begin() + i);
  DidDelete(i);
  Changed();
}

void TStrings::Clear() {
  lines_.clear();
  DidClear();
  Changed();
}

void TStrings::Assign(const std::vector<std::string>& lines) {
  std::vector<std::string> copy = lines;  // lines may be our own
  BeginUpdate();
  lines_.clear();
  DidClear();
  for (std::string& s : copy) {
    lines_.push_back(std::move(s));
    DidInsert(Count() - 1);
  }
  EndUpdate();
  Changed();
}

int TStrings::IndexOf(const std::string& s) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(lines_[static_cast<size_t>(i)], s)) return i;
  return -1;
}

std::string TStrings::Text() const {
  std::string out;
  for (const std::string& s : lines_) out += s + "\r\n";
  return out;
}

void TStrings::SetText(const std::string& text) {
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
  Assign(lines);
}

std::string TStrings::Names(int i) const {
  const std::string& s = (*this)[i];
  size_t eq = s.find('=');
  return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

std::string TStrings::ValueFromIndex(int i) const {
  const std::string& s = (*this)[i];
  size_t eq = s.find('=');
  return eq == std::string::npos ? std::string() : s.substr(eq + 1);
}

int TStrings::IndexOfName(const std::string& name) const {
  for (int i = 0; i < Count(); ++i) {
    const std::string& s = lines_[static_cast<size_t>(i)];
    size_t eq = s.find('=');
    if (eq != std::string::npos && SameText(std::string_view(s).substr(0, eq), name)) return i;
  }
  return -1;
}

std::string TStrings::Values(const std::string& name) const {
  int i = IndexOfName(name);
  return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStrings::SetValue(const std::string& name, const std::string& value) {
  int i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
  } else if (i >= 0) {
    Put(i, name + "=" + value);
  } else {
    Add(name + "=" + value);
  }
}
