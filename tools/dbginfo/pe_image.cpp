#include "pe_image.h"

#include <algorithm>
#include <cstring>

namespace {
uint32_t get32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
         static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t get16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
bool isDebug(const std::string& name) { return name.rfind(".debug_", 0) == 0; }
}  // namespace

TResult<TPeImage> TPeImage::Parse(std::vector<uint8_t> bytes) {
  using R = TResult<TPeImage>;
  TPeImage pe;
  pe.bytes_ = std::move(bytes);
  const auto& b = pe.bytes_;
  if (b.size() < 64 || b[0] != 'M' || b[1] != 'Z') return R::Fail("not an executable (no MZ header)");
  pe.peOffset_ = get32(b, 60);
  if (pe.peOffset_ > b.size() || b.size() - pe.peOffset_ < 24 ||
      std::memcmp(&b[pe.peOffset_], "PE\0\0", 4) != 0)
    return R::Fail("not a PE file (no PE signature)");
  size_t fh = pe.peOffset_ + 4;
  uint16_t sectionCount = get16(b, fh + 2);
  pe.timeDateStamp_ = get32(b, fh + 4);
  pe.symbolTable_ = get32(b, fh + 8);
  pe.symbolCount_ = get32(b, fh + 12);
  uint16_t optSize = get16(b, fh + 16);
  pe.optionalHeader_ = fh + 20;
  if (optSize < 96 || b.size() - pe.optionalHeader_ < optSize)
    return R::Fail("the optional header is cut short");
  if (get16(b, pe.optionalHeader_) != 0x10B) return R::Fail("not a 32-bit PE image");
  pe.imageBase_ = get32(b, pe.optionalHeader_ + 28);
  pe.sectionAlignment_ = get32(b, pe.optionalHeader_ + 32);
  size_t sh = pe.optionalHeader_ + optSize;
  if ((b.size() - sh) / 40 < sectionCount) return R::Fail("the section table is cut short");
  uint64_t stringTable = static_cast<uint64_t>(pe.symbolTable_) + static_cast<uint64_t>(pe.symbolCount_) * 18;
  for (uint16_t i = 0; i < sectionCount; ++i) {
    size_t h = sh + 40u * i;
    TPeSection s;
    char raw[9] = {};
    std::memcpy(raw, &b[h], 8);
    s.name = raw;
    if (s.name.size() > 1 && s.name[0] == '/') {
      uint64_t off = std::strtoul(s.name.c_str() + 1, nullptr, 10) + stringTable;
      if (pe.symbolTable_ == 0 || off >= b.size())
        return R::Fail("section name " + s.name + " points outside the file");
      const char* p = reinterpret_cast<const char*>(&b[off]);
      s.name.assign(p, strnlen(p, b.size() - off));
    }
    s.virtualSize = get32(b, h + 8);
    s.virtualAddress = get32(b, h + 12);
    s.rawSize = get32(b, h + 16);
    s.rawOffset = get32(b, h + 20);
    s.characteristics = get32(b, h + 36);
    s.headerOffset = h;
    if (s.rawSize && (s.rawOffset > b.size() || b.size() - s.rawOffset < s.rawSize))
      return R::Fail("section " + s.name + " runs past the end of the file");
    pe.sections_.push_back(s);
  }
  return R::Ok(std::move(pe));
}

const TPeSection* TPeImage::Find(const std::string& name) const {
  for (const auto& s : sections_)
    if (s.name == name) return &s;
  return nullptr;
}

std::vector<uint8_t> TPeImage::Contents(const TPeSection& s) const {
  uint32_t n = s.virtualSize && s.virtualSize < s.rawSize ? s.virtualSize : s.rawSize;
  return std::vector<uint8_t>(bytes_.begin() + s.rawOffset, bytes_.begin() + s.rawOffset + n);
}

const TPeSection* TPeImage::SectionOfRva(uint32_t rva) const {
  for (const auto& s : sections_) {
    uint32_t size = std::max(s.virtualSize, s.rawSize);
    if (rva >= s.virtualAddress && rva - s.virtualAddress < size) return &s;
  }
  return nullptr;
}

TResult<std::vector<TCoffSymbol>> TPeImage::Symbols() const {
  using R = TResult<std::vector<TCoffSymbol>>;
  std::vector<TCoffSymbol> out;
  if (symbolTable_ == 0 || symbolCount_ == 0) return R::Ok(out);
  uint64_t stringTable = static_cast<uint64_t>(symbolTable_) + static_cast<uint64_t>(symbolCount_) * 18;
  if (stringTable + 4 > bytes_.size()) return R::Fail("the COFF symbol table runs past the end of the file");
  uint32_t stringSize = get32(bytes_, stringTable);
  if (stringSize < 4 || stringTable + stringSize > bytes_.size())
    return R::Fail("the COFF string table is cut short");
  for (uint32_t i = 0; i < symbolCount_; ++i) {
    size_t at = symbolTable_ + 18u * i;
    TCoffSymbol s;
    if (get32(bytes_, at) == 0) {
      uint32_t off = get32(bytes_, at + 4);
      if (off < 4 || off >= stringSize) return R::Fail("a symbol name points outside the string table");
      const char* p = reinterpret_cast<const char*>(&bytes_[stringTable + off]);
      s.name.assign(p, strnlen(p, stringSize - off));
    } else {
      char raw[9] = {};
      std::memcpy(raw, &bytes_[at], 8);
      s.name = raw;
    }
    s.value = get32(bytes_, at + 8);
    s.section = static_cast<int16_t>(get16(bytes_, at + 12));
    s.type = get16(bytes_, at + 14);
    s.storageClass = bytes_[at + 16];
    uint8_t aux = bytes_[at + 17];
    out.push_back(std::move(s));
    i += aux;
  }
  return R::Ok(std::move(out));
}

TResult<std::vector<uint8_t>> TPeImage::Stripped() const {
  using R = TResult<std::vector<uint8_t>>;
  size_t keep = 0;
  while (keep < sections_.size() && !isDebug(sections_[keep].name)) ++keep;
  for (size_t i = keep; i < sections_.size(); ++i)
    if (!isDebug(sections_[i].name))
      return R::Fail("section " + sections_[i].name +
                     " follows the debug sections; cannot strip them in place");
  // The kept file ends where the last kept section's data ends, and the headers.
  uint64_t end = sections_.empty() ? 0 : sections_[0].rawOffset;
  for (size_t i = 0; i < keep; ++i)
    end = std::max<uint64_t>(end, static_cast<uint64_t>(sections_[i].rawOffset) + sections_[i].rawSize);
  for (size_t i = keep; i < sections_.size(); ++i)
    if (sections_[i].rawSize && sections_[i].rawOffset < end)
      return R::Fail("debug section " + sections_[i].name + " lies between kept sections' data");
  std::vector<uint8_t> out(bytes_.begin(), bytes_.begin() + end);
  size_t fh = peOffset_ + 4;
  out[fh + 2] = static_cast<uint8_t>(keep);
  out[fh + 3] = static_cast<uint8_t>(keep >> 8);
  // Kept sections with names longer than 8 characters (.eh_frame) name themselves through the
  // string table, so a string table with just those names stays behind the sections, no symbols.
  std::vector<uint8_t> strings(4, 0);
  for (size_t i = 0; i < keep; ++i) {
    if (sections_[i].name.size() <= 8) continue;
    std::string ref = "/" + std::to_string(strings.size());
    if (ref.size() > 8) return R::Fail("too many long section names");
    std::fill_n(out.begin() + sections_[i].headerOffset, 8, 0);
    std::copy(ref.begin(), ref.end(), out.begin() + sections_[i].headerOffset);
    strings.insert(strings.end(), sections_[i].name.begin(), sections_[i].name.end());
    strings.push_back(0);
  }
  put32(out, fh + 12, 0);
  if (strings.size() > 4) {
    put32(strings, 0, static_cast<uint32_t>(strings.size()));
    put32(out, fh + 8, static_cast<uint32_t>(out.size()));
    out.insert(out.end(), strings.begin(), strings.end());
  } else {
    put32(out, fh + 8, 0);
  }
  // Characteristics: local symbols and line numbers stripped.
  uint16_t ch = static_cast<uint16_t>(get16(out, fh + 18) | 0x0004 | 0x0008 | 0x0200);
  out[fh + 18] = static_cast<uint8_t>(ch);
  out[fh + 19] = static_cast<uint8_t>(ch >> 8);
  for (size_t i = keep; i < sections_.size(); ++i)
    std::fill_n(out.begin() + sections_[i].headerOffset, 40, 0);
  uint32_t imageEnd = 0;
  for (size_t i = 0; i < keep; ++i) {
    uint32_t size = std::max(sections_[i].virtualSize, sections_[i].rawSize);
    imageEnd = std::max(imageEnd, sections_[i].virtualAddress + size);
  }
  uint32_t a = sectionAlignment_ ? sectionAlignment_ : 0x1000;
  put32(out, optionalHeader_ + 56, (imageEnd + a - 1) / a * a);
  put32(out, optionalHeader_ + 64, 0);  // checksum: not kept up to date by the linker either
  return R::Ok(std::move(out));
}
