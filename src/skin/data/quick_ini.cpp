#include "skin/data/quick_ini.h"

#include "framework/exception.h"
#include "skin/data/skin_text.h"

NV_DEFINE_CLASS(TQuickIni, TObject)

using skin_text::Trim;

namespace {
bool IsHeader(std::string_view t) { return t.size() >= 2 && t.front() == '[' && t.back() == ']'; }
}  // namespace

void TQuickIni::Load(TStream& stream) {
  int64_t n = stream.Size() - stream.Position();
  std::string text(n > 0 ? size_t(n) : 0, '\0');
  if (n > 0) stream.ReadBuffer(text.data(), n);
  LoadFromText(text);
}

void TQuickIni::LoadFromText(std::string_view text) {
  lines_.clear();
  headers_.clear();
  size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  size_t i = 0;
  while (i < text.size()) {
    size_t e = i;
    while (e < text.size() && text[e] != '\r' && text[e] != '\n') ++e;
    std::string_view line = Trim(text.substr(i, e - i));
    if (!line.empty() && line[0] != ';') {
      lines_.emplace_back(line);
      if (IsHeader(line)) headers_.emplace_back(std::string(line), int(lines_.size() - 1));
    }
    if (e < text.size() && text[e] == '\r' && e + 1 < text.size() && text[e + 1] == '\n') ++e;
    i = e + 1;
  }
}

int TQuickIni::FindSection(std::string_view name) const {
  std::string wanted = "[" + std::string(name) + "]";
  for (const auto& h : headers_)
    if (SameText(h.first, wanted)) return h.second;
  return -1;
}

void TQuickIni::ReadSections(std::vector<std::string>* target) const {
  if (!target) throw EAssertionFailed("The parameter Strings is unassigned!");
  target->clear();
  for (const auto& h : headers_)
    target->emplace_back(Trim(std::string_view(h.first).substr(1, h.first.size() - 2)));
}

std::string TQuickIni::ReadString(std::string_view section, std::string_view key,
                                  const std::string& def) const {
  if (lines_.empty()) return def;
  int at = FindSection(section);
  if (at < 0) return def;
  std::string wanted = skin_text::LowerCase(key);
  for (size_t i = size_t(at) + 1; i < lines_.size(); ++i) {
    std::string_view line = lines_[i];
    if (IsHeader(line)) break;
    size_t eq = line.find('=');
    std::string_view k = eq == std::string_view::npos ? std::string_view() : line.substr(0, eq);
    if (skin_text::LowerCase(Trim(k)) != wanted) continue;
    std::string_view v = eq == std::string_view::npos ? std::string_view() : Trim(line.substr(eq + 1));
    return v.empty() ? def : std::string(v);
  }
  return def;
}

bool TQuickIni::ValueExists(std::string_view section, std::string_view key) const {
  static const std::string kNone;
  return !ReadString(section, key, kNone).empty();
}

bool ParseSkinInteger(std::string_view t, int32_t* value) {
  bool neg = false;
  size_t i = 0;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) neg = t[i++] == '-';
  int base = 10;
  if (i < t.size() && t[i] == '$') {
    base = 16;
    ++i;
  } else if (t.size() - i > 2 && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= t.size()) return false;
  uint64_t v = 0;
  for (; i < t.size(); ++i) {
    char c = t[i];
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    v = v * uint64_t(base) + uint64_t(d);
    // Decimal must fit a signed 32-bit value; hexadecimal may use all 32 bits.
    if (v > (base == 16 ? 0xFFFFFFFFull : 0x80000000ull)) return false;
  }
  if (base == 10 && !neg && v > 0x7FFFFFFFull) return false;
  uint32_t u = uint32_t(v);
  *value = int32_t(neg ? 0u - u : u);
  return true;
}

int32_t TQuickIni::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
  static const std::string kNone;
  std::string s = ReadString(section, key, kNone);
  int32_t v;
  return !s.empty() && ParseSkinInteger(s, &v) ? v : def;
}

uint32_t ParseSkinColour(std::string_view text, uint32_t def) {
  text = Trim(text);
  if (text.empty()) return def;
  uint32_t rgb[3] = {0, 0, 0};
  int got = 0;
  uint32_t cur = 0;
  bool inNumber = false;
  for (size_t i = 0; i < text.size() && got < 3; ++i) {
    char c = text[i];
    if (c >= '0' && c <= '9') {
      cur = (cur * 10 + uint32_t(c - '0')) % 256;
      inNumber = true;
    } else if (inNumber) {
      rgb[got++] = cur;
      cur = 0;
      inNumber = false;
    }
  }
  if (inNumber && got == 2) rgb[got++] = cur;
  return rgb[0] | (rgb[1] << 8) | (rgb[2] << 16);
}
