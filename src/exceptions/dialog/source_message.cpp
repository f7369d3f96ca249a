#include "exceptions/dialog/source_message.h"

#include <algorithm>
#include <cstring>

namespace {
void PutText(TSourceMessage& m, TSourceMessageField f, const std::string& text) {
  size_t n = std::min(text.size(), f.size - 1);  // always room for the terminating zero
  std::memcpy(m.data() + f.offset, text.data(), n);
}

void PutWord(TSourceMessage& m, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) m[at + size_t(i)] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace

TSourceMessage SourceMessage(const TDialogStackEntry& e, const std::string& fileName) {
  TSourceMessage m{};
  PutText(m, kSourceFile, fileName);
  PutText(m, kSourceUnit, e.unitName);
  PutText(m, kSourceClass, e.className);
  PutText(m, kSourceProcedure, e.procedureName);
  PutWord(m, kSourceLineAt, e.line);
  PutWord(m, kSourceOffsetAt, e.lineOffset);
  PutWord(m, kSourceHeaderAt, e.debugHeader[0]);
  PutWord(m, kSourceHeaderAt + 4, e.debugHeader[1]);
  return m;
}

std::vector<std::string> SourceMailslotNames(const std::string& computerName) {
  std::vector<std::string> names;
  for (char digit = '0'; digit <= '3'; ++digit)
    names.push_back("\\\\" + computerName + "\\mailslot\\QuillonLog" + digit);
  return names;
}
