// What the reporter reads from a module's image in memory: whether it is a library, and its
// exported functions, for naming addresses in modules that carry no debug information.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exceptions/stack/memory_reader.h"
#include "exceptions/stack/result.h"

struct TQuillonFunction {
  uint32_t address;  // absolute
  std::string name;
};

// Exported functions sorted by address.
class TQuillonFunctionsList {
 public:
  void Add(uint32_t address, std::string name);
  void Sort();
  bool Empty() const { return items_.empty(); }
  size_t Count() const { return items_.size(); }
  const TQuillonFunction& operator[](size_t i) const { return items_[i]; }
  // The nearest function at or below the address; null when none.
  const TQuillonFunction* NearestAtOrBelow(uint32_t address) const;

 private:
  std::vector<TQuillonFunction> items_;
};

struct TPeHeaderFacts {
  uint16_t characteristics = 0;
  uint32_t sizeOfImage = 0;
  uint32_t timeDateStamp = 0;
  uint32_t exportRva = 0, exportSize = 0;
  bool IsLibrary() const { return (characteristics & 0x2000) != 0; }
};
// Reads the DOS and PE headers of the image at `base`.
TResult<TPeHeaderFacts> ReadPeHeaders(TMemoryReader& memory, uint32_t base);
// Reads the export directory (names up to 256 characters; forwarded entries left out).
TResult<TQuillonFunctionsList> ReadExports(TMemoryReader& memory, uint32_t base);

// How an exported name resolves an address: the entry kind (1 nothing readable, 2 a plain name,
// 3 a decorated name with unit, class and method) and the parts.
struct TExportedName {
  uint8_t kind = 1;
  std::string unitName, className, procedureName;
};
TExportedName ParseExportedName(const std::string& name);
