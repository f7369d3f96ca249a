#include "skin/data/skin_text.h"

namespace skin_text {
namespace {
template <class Fn>
std::string MapAscii(std::string_view s, Fn fn) {
  std::string out(s);
  for (size_t i = 0; i < out.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (IsGbkLead(c) && i + 1 < out.size()) {
      ++i;  // keep the trail byte
      continue;
    }
    out[i] = fn(out[i]);
  }
  return out;
}
}  // namespace

std::string LowerCase(std::string_view s) {
  return MapAscii(s, [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; });
}

std::string UpperCase(std::string_view s) {
  return MapAscii(s, [](char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; });
}

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) < 33) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) < 33) --e;
  return s.substr(b, e - b);
}

std::string_view ExtractFileName(std::string_view path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsGbkLead(c) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (c == '\\' || c == '/' || c == ':') start = i + 1;
  }
  return path.substr(start);
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

std::string Printable(std::string_view name, size_t maxBytes) {
  std::string out;
  size_t i = 0;
  for (; i < name.size() && i < maxBytes; ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (IsGbkLead(c) && i + 1 < name.size()) {
      if (i + 1 >= maxBytes) break;  // never half a character
      out += name.substr(i, 2);
      ++i;
    } else if (c == 0) {
      out += "\\0";
    } else if (c < 32 || c == 127) {
      static const char kHex[] = "0123456789ABCDEF";
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += char(c);
    }
  }
  if (i < name.size()) out += "... (" + std::to_string(name.size()) + " bytes)";
  return out;
}

}  // namespace skin_text
