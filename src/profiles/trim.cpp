#include "profiles/trim.h"

std::string TrimField(std::string_view text) {
  auto isSpace = [](char c) { return static_cast<unsigned char>(c) < 33; };
  std::size_t begin = 0, end = text.size();
  while (begin < end && isSpace(text[begin])) ++begin;
  while (end > begin && isSpace(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}
