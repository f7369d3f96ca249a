#include "symbols.h"

#include <cxxabi.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {
bool endsWithStdcallSuffix(const std::string& s, size_t& at) {
  size_t p = s.rfind('@');
  if (p == std::string::npos || p == 0 || p + 1 == s.size()) return false;
  for (size_t i = p + 1; i < s.size(); ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  at = p;
  return true;
}

std::string demangle(const std::string& mangled) {
  int status = 0;
  char* out = abi::__cxa_demangle(mangled.c_str(), nullptr, nullptr, &status);
  if (status != 0 || !out) return "";
  std::string s(out);
  std::free(out);
  return s;
}

bool startsWith(const std::string& s, size_t at, const char* word) {
  return s.compare(at, std::strlen(word), word) == 0;
}

// Positions of "operator" names are skipped over so that "operator<" or "operator()" does not
// count as a bracket.
size_t skipOperator(const std::string& s, size_t i) {
  if (!startsWith(s, i, "operator")) return i;
  size_t j = i + 8;
  if (j < s.size() && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_')) return i;
  if (startsWith(s, j, "()")) return j + 2;
  if (startsWith(s, j, "[]")) return j + 2;
  while (j < s.size() && std::strchr("<>=!+-*/%^&|~,", s[j])) ++j;
  return j;
}
}  // namespace

void SplitDemangled(const std::string& demangled, std::string& scope, std::string& name) {
  std::string s = demangled;
  for (size_t p; (p = s.find(" [clone ")) != std::string::npos;) s.erase(p, s.find(']', p) - p + 1);
  for (const char* tail : {" const", " volatile", " &&", " &"})
    while (s.size() > std::strlen(tail) &&
           s.compare(s.size() - std::strlen(tail), std::string::npos, tail) == 0)
      s.resize(s.size() - std::strlen(tail));
  // The parameter list is the bracket group that ends the name.
  size_t paramStart = s.size();
  if (!s.empty() && s.back() == ')') {
    int depth = 0;
    for (size_t i = s.size(); i-- > 0;) {
      if (s[i] == ')')
        ++depth;
      else if (s[i] == '(' && --depth == 0) {
        paramStart = i;
        break;
      }
    }
  }
  // Then the scope separators and a return type's blank, outside brackets.
  int depth = 0;
  size_t nameStart = 0;
  std::vector<size_t> separators;
  for (size_t i = 0; i < paramStart; ++i) {
    size_t j = skipOperator(s, i);
    if (j != i) {
      i = j - 1;
      continue;
    }
    char c = s[i];
    if (c == '<' || c == '(' || c == '{' || c == '[')
      ++depth;
    else if ((c == '>' || c == ')' || c == '}' || c == ']') && depth > 0)
      --depth;
    else if (depth == 0 && c == ' ') {
      nameStart = i + 1;
      separators.clear();
    } else if (depth == 0 && c == ':' && i + 1 < paramStart && s[i + 1] == ':') {
      separators.push_back(i);
      ++i;
    }
  }
  std::string qualified = s.substr(nameStart, paramStart - nameStart);
  if (separators.empty()) {
    scope.clear();
    name = qualified;
    return;
  }
  size_t last = separators.back() - nameStart;
  scope = qualified.substr(0, last);
  name = qualified.substr(last + 2);
}

bool SplitSymbolName(const std::string& coffName, std::string& scope, std::string& name) {
  std::string s = coffName;
  if (s.empty()) return false;
  if (s[0] == '_' || s[0] == '@') s.erase(0, 1);
  // "foo.cold", "foo@16.cold" and "_Z3foov.part.0" are pieces of foo.
  size_t dot = s.find('.');
  if (dot != std::string::npos && dot > 0) s.resize(dot);
  if (s.empty()) return false;
  if (s.rfind("_Z", 0) == 0) {
    std::string d = demangle(s);
    size_t at;
    if (d.empty() && endsWithStdcallSuffix(s, at)) d = demangle(s.substr(0, at));
    if (!d.empty()) {
      SplitDemangled(d, scope, name);
      return !name.empty();
    }
  }
  size_t at;
  if (endsWithStdcallSuffix(s, at)) s.resize(at);
  scope.clear();
  name = s;
  return !name.empty();
}

std::vector<TFunctionSymbol> FunctionSymbols(const TPeImage& image, const std::vector<TCoffSymbol>& symbols) {
  std::vector<std::pair<TFunctionSymbol, bool>> found;
  const auto& sections = image.Sections();
  for (const auto& sym : symbols) {
    if (sym.type != 0x20 || sym.section <= 0 || static_cast<size_t>(sym.section) > sections.size()) continue;
    if (sym.storageClass != 2 && sym.storageClass != 3) continue;
    const TPeSection& sec = sections[sym.section - 1];
    if (!image.IsCode(sec)) continue;
    TFunctionSymbol f;
    f.rva = sec.virtualAddress + sym.value;
    if (!SplitSymbolName(sym.name, f.scope, f.name)) continue;
    found.push_back({f, sym.storageClass == 2});
  }
  // At one address, an external name wins over a local one; otherwise the first listed.
  std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    return a.first.rva != b.first.rva ? a.first.rva < b.first.rva : a.second > b.second;
  });
  std::vector<TFunctionSymbol> out;
  for (auto& [f, external] : found)
    if (out.empty() || out.back().rva != f.rva) out.push_back(f);
  return out;
}
