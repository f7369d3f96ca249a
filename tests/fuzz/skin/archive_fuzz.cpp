// Skin archive reader and the extraction paths of its entry names: the first byte chooses a
// packed stream or an unpacked archive.
#include <cstdint>

#include "framework/exception.h"
#include "skin/data/lzh.h"
#include "skin/data/skin_reader.h"
#include "skin_extract.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  TMemoryStream in(std::vector<uint8_t>(data + 1, data + size));
  TSkinReader reader;
  try {
    bool ok = (data[0] & 1) ? reader.Load(in) : reader.LoadArchive(in);
    if (!ok) return 0;
    TMemoryStream dest;
    for (const std::string& name : reader.Names()) {
      reader.Extract(name, dest);
      // What skinpack extract would write: never a part that leaves the destination.
      std::string why;
      for (const std::string& part : EntryPathParts(name, &why))
        if (part.empty() || part == "." || part == ".." || part.find('\0') != std::string::npos ||
            part.find(':') != std::string::npos)
          __builtin_trap();
    }
    reader.ExtractFirstContaining(".ini", dest);
    int64_t total = 0, n;
    for (int i = 0; i < reader.Count(); ++i) {
      const uint8_t* p = reader.EntryData(i, &n);
      if (n > 0) total += p[0] + p[n - 1];  // touch both ends of each entry
    }
    (void)total;
  } catch (const ElzhException&) {
  } catch (const ESkinArchiveError&) {
  }
  return 0;
}
