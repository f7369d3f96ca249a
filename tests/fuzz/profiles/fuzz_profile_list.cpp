// Feeds arbitrary bytes to the section-list splitter (with every possible reported count
// taken from the first byte) and to the trimming of values.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "profiles/section_list.h"
#include "profiles/trim.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::size_t returned = data[0] % (size);  // never beyond the bytes given
  const char* bytes = reinterpret_cast<const char*>(data + 1);
  std::size_t n = size - 1;
  if (returned > n) returned = n;
  std::size_t total = 0;
  for (const std::string& name : SplitSectionList(bytes, returned)) {
    if (name.empty() || name.find('\0') != std::string::npos) std::abort();
    total += name.size() + 1;
    if (TrimField(name).size() > name.size()) std::abort();
  }
  if (total > returned) std::abort();
  return 0;
}
