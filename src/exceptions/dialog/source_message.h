// The 376-byte message a double-click on a call-stack line sends to a listening development
// environment, so that it can open the source at that line.
//
// Layout (little-endian; every text field zero-terminated, cut to fit, zero-filled after):
//   0    file name of the module (160 bytes)
//   160  unit (64 bytes)
//   224  class (64 bytes)
//   288  procedure (72 bytes)
//   360  line number (32-bit)
//   364  line offset within the procedure (32-bit)
//   368  two 32-bit words of the module's debug-information header
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "exceptions/dialog/dialog_input.h"

inline constexpr size_t kSourceMessageSize = 376;
struct TSourceMessageField {
  size_t offset, size;
};
inline constexpr TSourceMessageField kSourceFile{0, 160}, kSourceUnit{160, 64}, kSourceClass{224, 64},
    kSourceProcedure{288, 72};
inline constexpr size_t kSourceLineAt = 360, kSourceOffsetAt = 364, kSourceHeaderAt = 368;

using TSourceMessage = std::array<uint8_t, kSourceMessageSize>;

// The message for a call-stack entry; `fileName` is the module's full name.
TSourceMessage SourceMessage(const TDialogStackEntry& e, const std::string& fileName);
// The mailslots a listener may have opened: "\\<computer>\mailslot\QuillonLog0" to "…3".
std::vector<std::string> SourceMailslotNames(const std::string& computerName);
