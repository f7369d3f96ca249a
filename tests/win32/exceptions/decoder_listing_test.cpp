// The instruction-length decoder against objdump's disassembly of the program's whole text
// section: every instruction objdump finds must have the length objdump gives it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "exceptions/capture/x86_length.h"

namespace {

struct TListed {
  uint32_t address;
  std::vector<uint8_t> bytes;
  std::string text;
};

// Lines such as "  401000:\t55                   \tpush   %ebp".
bool ParseLine(const std::string& line, TListed& out) {
  size_t colon = line.find(":\t");
  if (colon == std::string::npos) return false;
  char* end = nullptr;
  out.address = static_cast<uint32_t>(std::strtoul(line.c_str(), &end, 16));
  if (end != line.c_str() + colon) return false;
  size_t pos = colon + 2;
  size_t tab = line.find('\t', pos);
  std::string hex = line.substr(pos, tab == std::string::npos ? std::string::npos : tab - pos);
  out.text = tab == std::string::npos ? "" : line.substr(tab + 1);
  out.bytes.clear();
  for (size_t i = 0; i + 1 < hex.size(); i += 3) {
    if (hex[i] == ' ') break;
    out.bytes.push_back(static_cast<uint8_t>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16)));
  }
  return !out.bytes.empty();
}

bool IsLonePrefix(const TListed& in) {
  if (in.bytes.size() != 1) return false;
  switch (in.bytes[0]) {
    case 0xF0:
    case 0xF2:
    case 0xF3:
    case 0x2E:
    case 0x36:
    case 0x3E:
    case 0x26:
    case 0x64:
    case 0x65:
    case 0x66:
    case 0x67: return true;
    default: return false;
  }
}

TEST(X86LengthDecoder, AgreesWithObjdumpOverTheWholeProgram) {
  std::ifstream listing(NV_BINARY_DIR "/tests/win32/exceptions/netvosk.lst");
  ASSERT_TRUE(listing) << "the listing is made at build time";
  std::vector<TListed> instructions;
  std::map<uint32_t, uint8_t> memory;
  std::string line;
  TListed in;
  while (std::getline(listing, line)) {
    if (!ParseLine(line, in)) continue;
    for (size_t i = 0; i < in.bytes.size(); ++i) memory[in.address + static_cast<uint32_t>(i)] = in.bytes[i];
    instructions.push_back(in);
  }
  ASSERT_GT(instructions.size(), 50000u);

  size_t checked = 0, mismatches = 0;
  for (const TListed& i : instructions) {
    // Bytes objdump could not decode (data between functions) are not instructions.
    if (i.text.find("(bad)") != std::string::npos || i.text.rfind(".byte", 0) == 0 || IsLonePrefix(i))
      continue;
    // objdump names WAIT and the x87 instruction after it as one ("fstcw"): two for the CPU.
    size_t skip = i.bytes.size() > 1 && i.bytes[0] == 0x9B ? 1 : 0;
    uint8_t window[15];
    size_t n = 0;
    for (; n < sizeof window; ++n) {
      auto it = memory.find(i.address + static_cast<uint32_t>(skip + n));
      if (it == memory.end()) break;
      window[n] = it->second;
    }
    TX86Instruction d = DecodeX86(window, n);
    ++checked;
    if (skip + d.length != i.bytes.size()) {
      if (++mismatches <= 20)
        ADD_FAILURE() << std::hex << i.address << ": objdump " << std::dec << i.bytes.size() << " bytes ("
                      << i.text << "), decoder " << skip + d.length;
    }
  }
  EXPECT_EQ(mismatches, 0u) << "of " << checked << " instructions";
}

}  // namespace
