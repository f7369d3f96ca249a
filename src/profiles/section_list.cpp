#include "profiles/section_list.h"

#include <cstring>

std::vector<std::string> SplitSectionList(const char* buffer, std::size_t returned) {
  std::vector<std::string> names;
  std::size_t pos = 0;
  while (pos < returned) {
    const void* zero = std::memchr(buffer + pos, 0, returned - pos);
    if (!zero) break;  // cut name: its end lies beyond what was reported
    std::size_t end = static_cast<const char*>(zero) - buffer;
    if (end == pos) break;  // empty name: end of the list
    names.emplace_back(buffer + pos, end - pos);
    pos = end + 1;
  }
  return names;
}
