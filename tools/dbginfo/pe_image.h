// The parts of a linked PE32 file that the debug-information tool reads and rewrites: section
// table (long names through the COFF string table), COFF symbols, the header fields to adjust
// when the debug sections go.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exceptions/stack/result.h"

struct TPeSection {
  std::string name;
  uint32_t virtualSize, virtualAddress, rawSize, rawOffset, characteristics;
  size_t headerOffset;  // of its 40-byte header in the file
};

struct TCoffSymbol {
  std::string name;
  uint32_t value;
  int16_t section;  // 1-based; 0 and below are not in a section
  uint16_t type;
  uint8_t storageClass;
};

class TPeImage {
 public:
  static TResult<TPeImage> Parse(std::vector<uint8_t> bytes);

  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  uint32_t ImageBase() const { return imageBase_; }
  uint32_t TimeDateStamp() const { return timeDateStamp_; }
  const std::vector<TPeSection>& Sections() const { return sections_; }
  const TPeSection* Find(const std::string& name) const;
  // The section's bytes as stored in the file (its virtual size when smaller).
  std::vector<uint8_t> Contents(const TPeSection& s) const;
  const TPeSection* SectionOfRva(uint32_t rva) const;
  bool IsCode(const TPeSection& s) const { return (s.characteristics & 0x20000020u) != 0; }
  TResult<std::vector<TCoffSymbol>> Symbols() const;

  // The file without its .debug_* sections and without the COFF symbol table, which only they
  // and the tools need. The debug sections must come after all others, as the linker places them.
  TResult<std::vector<uint8_t>> Stripped() const;

 private:
  std::vector<uint8_t> bytes_;
  uint32_t peOffset_ = 0, imageBase_ = 0, timeDateStamp_ = 0;
  uint32_t symbolTable_ = 0, symbolCount_ = 0;
  uint32_t sectionAlignment_ = 0;
  size_t optionalHeader_ = 0;
  std::vector<TPeSection> sections_;
};
