#include "exceptions/stack/module_image.h"

#include <algorithm>

namespace {
// The source files of the modules we report are C++ files.
constexpr const char* kUnitExtension = ".cpp";
constexpr uint32_t kMaxExports = 65536;
constexpr uint32_t kMaxExportName = 256;

std::vector<std::string> splitAt(const std::string& s, char c) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t p; (p = s.find(c, start)) != std::string::npos; start = p + 1)
    parts.push_back(s.substr(start, p - start));
  parts.push_back(s.substr(start));
  return parts;
}
}  // namespace

void TQuillonFunctionsList::Add(uint32_t address, std::string name) {
  items_.push_back({address, std::move(name)});
}

void TQuillonFunctionsList::Sort() {
  std::stable_sort(items_.begin(), items_.end(), [](const TQuillonFunction& a, const TQuillonFunction& b) {
    return a.address < b.address;
  });
}

const TQuillonFunction* TQuillonFunctionsList::NearestAtOrBelow(uint32_t address) const {
  auto it = std::upper_bound(items_.begin(), items_.end(), address,
                             [](uint32_t a, const TQuillonFunction& f) { return a < f.address; });
  return it == items_.begin() ? nullptr : &*(it - 1);
}

TResult<TPeHeaderFacts> ReadPeHeaders(TMemoryReader& m, uint32_t base) {
  using R = TResult<TPeHeaderFacts>;
  uint16_t magic = 0;
  uint32_t peOffset = 0, signature = 0;
  if (!m.Read(base, &magic, 2) || magic != 0x5A4D) return R::Fail("no MZ header");
  if (!m.ReadU32(base + 60, peOffset) || peOffset == 0 || peOffset > 0x10000000)
    return R::Fail("no PE header offset");
  uint8_t fh[20 + 96 + 16];
  if (!m.ReadU32(base + peOffset, signature) || signature != 0x00004550) return R::Fail("no PE signature");
  if (!m.Read(base + peOffset + 4, fh, 20)) return R::Fail("the file header is unreadable");
  TPeHeaderFacts f;
  f.characteristics = static_cast<uint16_t>(fh[18] | fh[19] << 8);
  f.timeDateStamp =
      static_cast<uint32_t>(fh[4] | fh[5] << 8 | fh[6] << 16 | static_cast<uint32_t>(fh[7]) << 24);
  uint16_t optSize = static_cast<uint16_t>(fh[16] | fh[17] << 8);
  // PE32: the data directories start at 96; the export directory is the first.
  if (optSize >= 96 + 8 && m.Read(base + peOffset + 24, fh + 20, 96 + 8)) {
    const uint8_t* o = fh + 20;
    auto at = [&](int i) {
      return static_cast<uint32_t>(o[i] | o[i + 1] << 8 | o[i + 2] << 16 |
                                   static_cast<uint32_t>(o[i + 3]) << 24);
    };
    if ((o[0] | o[1] << 8) == 0x10B) {
      f.sizeOfImage = at(56);
      f.exportRva = at(96);
      f.exportSize = at(100);
    }
  }
  return R::Ok(f);
}

TResult<TQuillonFunctionsList> ReadExports(TMemoryReader& m, uint32_t base) {
  using R = TResult<TQuillonFunctionsList>;
  auto headers = ReadPeHeaders(m, base);
  if (!headers) return R::Fail(headers.Error());
  TQuillonFunctionsList list;
  const TPeHeaderFacts& h = headers.Value();
  if (h.exportRva == 0) return R::Ok(std::move(list));
  uint32_t dir[10];
  if (!m.Read(base + h.exportRva, dir, 40)) return R::Fail("the export directory is unreadable");
  uint32_t functionCount = dir[5], nameCount = dir[6];
  uint32_t functions = base + dir[7], names = base + dir[8], ordinals = base + dir[9];
  if (nameCount > kMaxExports || functionCount > kMaxExports)
    return R::Fail("the export directory is implausibly large");
  for (uint32_t i = 0; i < nameCount; ++i) {
    uint32_t nameRva = 0, functionRva = 0;
    uint16_t ordinal = 0;
    if (!m.ReadU32(names + 4 * i, nameRva) || !m.Read(ordinals + 2 * i, &ordinal, 2)) break;
    if (ordinal >= functionCount || !m.ReadU32(functions + 4 * ordinal, functionRva)) continue;
    // A forwarder's "address" is a name inside the export directory, not code.
    if (functionRva - h.exportRva < h.exportSize) continue;
    char buf[kMaxExportName + 1];
    uint32_t n = 0;
    for (; n < kMaxExportName; ++n)
      if (!m.Read(base + nameRva + n, &buf[n], 1) || buf[n] == 0) break;
    if (n == 0) continue;
    list.Add(base + functionRva, std::string(buf, n));
  }
  list.Sort();
  return R::Ok(std::move(list));
}

TExportedName ParseExportedName(const std::string& name) {
  TExportedName out;
  if (name.empty() || name[0] == '?') return out;
  if (name[0] == '@') {
    // "@Unit@Class@Method$qqrv": the part before "$", "@@" standing for "_".
    std::string body =
        name.substr(1, name.find('$') == std::string::npos ? std::string::npos : name.find('$') - 1);
    if (!body.empty() && body.back() == '@') body.pop_back();
    std::string marked;
    for (size_t i = 0; i < body.size(); ++i) {
      if (body[i] == '@' && i + 1 < body.size() && body[i + 1] == '@') {
        marked += '\x01';
        ++i;
      } else {
        marked += body[i];
      }
    }
    std::vector<std::string> parts = splitAt(marked, '@');
    for (auto& p : parts) std::replace(p.begin(), p.end(), '\x01', '_');
    out.kind = 3;
    out.unitName = parts[0] + kUnitExtension;
    if (parts.size() == 2) out.procedureName = parts[1];
    if (parts.size() >= 3) {
      out.className = parts[parts.size() - 2];
      out.procedureName = parts.back();
    }
    return out;
  }
  if (name.find('.') != std::string::npos) {
    std::vector<std::string> parts = splitAt(name, '.');
    if (parts.size() == 2 || parts.size() == 3) {
      out.kind = 3;
      out.unitName = parts[0] + kUnitExtension;
      out.procedureName = parts.back();
      if (parts.size() == 3) out.className = parts[1];
      return out;
    }
  }
  out.kind = 2;
  out.procedureName = name;
  return out;
}
