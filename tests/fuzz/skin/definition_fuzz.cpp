// Skin definition parsing, every element reader and the derived pictures, against a small archive whose bitmaps
// the definition may name (a.bmp .. e.bmp of various sizes, and a broken one, bad.bmp).
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/exception.h"
#include "skin/data/skin_derived.h"
#include "skin/data/skin_loader.h"

namespace {
std::vector<uint8_t> Bmp(int w, int h) {
  int stride = (w * 3 + 3) & ~3;
  std::vector<uint8_t> b(54 + size_t(stride) * h, 0);
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); };
  b[0] = 'B', b[1] = 'M';
  put32(2, uint32_t(b.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, uint32_t(w));
  put32(22, uint32_t(h));
  b[26] = 1, b[28] = 24;
  for (size_t i = 54; i < b.size(); ++i) b[i] = uint8_t(i * 7);
  return b;
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

const TSkinReader& Archive() {
  static TSkinReader* reader = [] {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> entries = {
        {"a.bmp", Bmp(60, 20)}, {"b.bmp", Bmp(13, 13)}, {"c.bmp", Bmp(120, 21)},
        {"d.bmp", Bmp(1, 1)},   {"e.bmp", Bmp(48, 16)}, {"bad.bmp", {'B', 'M', 1, 2}}};
    std::string list;
    for (auto& e : entries) list += e.first + "\r\n";
    std::vector<uint8_t> a;
    Put32(a, 20000);
    Put32(a, uint32_t(list.size()));
    Put32(a, 0);
    Put32(a, 0);
    a.insert(a.end(), list.begin(), list.end());
    for (auto& e : entries) Put32(a, uint32_t(e.second.size()));
    for (auto& e : entries) a.insert(a.end(), e.second.begin(), e.second.end());
    auto* r = new TSkinReader;
    TMemoryStream s(std::move(a));
    r->LoadArchive(s);
    return r;
  }();
  return *reader;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TQuickIni ini;
  TMemoryStream text(std::vector<uint8_t>(data, data + size));
  ini.Load(text);
  std::vector<std::string> sections;
  ini.ReadSections(&sections);
  for (const auto& s : sections) {
    ini.ReadInteger(s, "Frame", 0);
    ParseSkinColour(ini.ReadString(s, "color", ""), 0);
  }
  try {
    TSkinDataLoader loader;
    auto content = loader.Build(Archive(), ini);
    if (!content || !content->Left || !content->Buttons || !content->Title || !content->Track)
      __builtin_trap();
    // The skin data's derived pictures, with scroll-arrow widths from tiny to huge.
    BuildDerivedObjects(*content, int(size % 64) - 4);
    if (!content->ComboxArrow || !content->Toolbar) __builtin_trap();
  } catch (const EInvalidGraphic&) {
    // bad.bmp named by the definition: reported, not a crash
  }
  return 0;
}
