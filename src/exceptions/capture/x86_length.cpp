#include "exceptions/capture/x86_length.h"

#include <array>
#include <cstring>

namespace {

// Operand kinds of an opcode, as bits.
enum : uint8_t {
  kModRM = 1 << 0,
  kImm8 = 1 << 1,
  kImm16 = 1 << 2,
  kImmZ = 1 << 3,   // 4 bytes, 2 with an operand-size prefix
  kMoffs = 1 << 4,  // 4 bytes, 2 with an address-size prefix
  kFar = 1 << 5,    // a far pointer: kImmZ plus a 2-byte selector
  kInvalid = 1 << 6,
  kGroup3 = 1 << 7,  // F6/F7: an immediate only for TEST (ModR/M reg 0 or 1)
};

struct Range {
  uint8_t first, last, kind;
};

template <size_t N>
constexpr std::array<uint8_t, 256> MakeTable(const Range (&ranges)[N]) {
  std::array<uint8_t, 256> t{};
  for (const Range& r : ranges)
    for (int op = r.first; op <= r.last; ++op) t[static_cast<size_t>(op)] = r.kind;
  return t;
}

// One-byte opcodes. Prefixes and the 0F escape are taken apart before the table is read.
constexpr Range kOneByte[] = {
    {0x00, 0x03, kModRM},         {0x04, 0x04, kImm8},
    {0x05, 0x05, kImmZ},  // ADD
    {0x08, 0x0B, kModRM},         {0x0C, 0x0C, kImm8},
    {0x0D, 0x0D, kImmZ},  // OR
    {0x10, 0x13, kModRM},         {0x14, 0x14, kImm8},
    {0x15, 0x15, kImmZ},  // ADC
    {0x18, 0x1B, kModRM},         {0x1C, 0x1C, kImm8},
    {0x1D, 0x1D, kImmZ},  // SBB
    {0x20, 0x23, kModRM},         {0x24, 0x24, kImm8},
    {0x25, 0x25, kImmZ},  // AND
    {0x28, 0x2B, kModRM},         {0x2C, 0x2C, kImm8},
    {0x2D, 0x2D, kImmZ},  // SUB
    {0x30, 0x33, kModRM},         {0x34, 0x34, kImm8},
    {0x35, 0x35, kImmZ},  // XOR
    {0x38, 0x3B, kModRM},         {0x3C, 0x3C, kImm8},
    {0x3D, 0x3D, kImmZ},                                         // CMP
    {0x62, 0x63, kModRM},                                        // BOUND, ARPL
    {0x68, 0x68, kImmZ},          {0x69, 0x69, kModRM | kImmZ},  // PUSH, IMUL
    {0x6A, 0x6A, kImm8},          {0x6B, 0x6B, kModRM | kImm8},
    {0x70, 0x7F, kImm8},                                         // Jcc short
    {0x80, 0x80, kModRM | kImm8}, {0x81, 0x81, kModRM | kImmZ},  // group 1
    {0x82, 0x83, kModRM | kImm8}, {0x84, 0x8F, kModRM},
    {0x9A, 0x9A, kFar},  // CALL far
    {0xA0, 0xA3, kMoffs},         {0xA8, 0xA8, kImm8},
    {0xA9, 0xA9, kImmZ},          {0xB0, 0xB7, kImm8},
    {0xB8, 0xBF, kImmZ},                                 // MOV reg, imm
    {0xC0, 0xC1, kModRM | kImm8}, {0xC2, 0xC2, kImm16},  // shifts, RET imm16
    {0xC4, 0xC5, kModRM},                                // LES, LDS (or VEX)
    {0xC6, 0xC6, kModRM | kImm8}, {0xC7, 0xC7, kModRM | kImmZ},
    {0xC8, 0xC8, kImm16 | kImm8}, {0xCA, 0xCA, kImm16},
    {0xCD, 0xCD, kImm8},  // ENTER, RETF, INT
    {0xD0, 0xD3, kModRM},         {0xD4, 0xD5, kImm8},
    {0xD8, 0xDF, kModRM},  // shifts, AAM/AAD, x87
    {0xE0, 0xE7, kImm8},   // LOOPcc, JECXZ, IN/OUT imm
    {0xE8, 0xE9, kImmZ},          {0xEA, 0xEA, kFar},
    {0xEB, 0xEB, kImm8},          {0xF6, 0xF7, kModRM | kGroup3},
    {0xFE, 0xFF, kModRM},
};

// Two-byte opcodes (after 0F).
constexpr Range kTwoByte[] = {
    {0x00, 0x03, kModRM},         {0x04, 0x04, kInvalid},
    {0x0A, 0x0A, kInvalid},       {0x0C, 0x0C, kInvalid},
    {0x0D, 0x0D, kModRM},         {0x0F, 0x0F, kModRM | kImm8},  // prefetch, 3DNow!
    {0x10, 0x2F, kModRM},                                        // SSE moves, hints, MOV CRn
    {0x36, 0x36, kInvalid},       {0x39, 0x39, kInvalid},
    {0x3B, 0x3F, kInvalid},       {0x40, 0x6F, kModRM},  // CMOVcc, SSE, MMX
    {0x70, 0x73, kModRM | kImm8},                        // PSHUF*, shift groups
    {0x74, 0x76, kModRM},         {0x78, 0x7F, kModRM},
    {0x80, 0x8F, kImmZ},   // Jcc near
    {0x90, 0x9F, kModRM},  // SETcc
    {0xA3, 0xA3, kModRM},         {0xA4, 0xA4, kModRM | kImm8},
    {0xA5, 0xA5, kModRM},         {0xA6, 0xA7, kInvalid},
    {0xAB, 0xAB, kModRM},         {0xAC, 0xAC, kModRM | kImm8},
    {0xAD, 0xAF, kModRM},         {0xB0, 0xB9, kModRM},
    {0xBA, 0xBA, kModRM | kImm8}, {0xBB, 0xC1, kModRM},
    {0xC2, 0xC2, kModRM | kImm8}, {0xC3, 0xC3, kModRM},
    {0xC4, 0xC6, kModRM | kImm8}, {0xC7, 0xC7, kModRM},
    {0xD0, 0xFF, kModRM},
};

constexpr auto kOneByteTable = MakeTable(kOneByte);
constexpr auto kTwoByteTable = MakeTable(kTwoByte);

bool IsLegacyPrefix(uint8_t b) {
  switch (b) {
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

// Bytes taken by ModR/M, SIB and displacement, starting at the ModR/M byte; 0 when more
// bytes are needed than are available.
size_t ModRMLength(const uint8_t* p, size_t available, bool addr16) {
  if (available < 1) return 0;
  uint8_t modrm = p[0];
  int mod = modrm >> 6, rm = modrm & 7;
  size_t n = 1;
  if (mod == 3) return n;
  if (addr16) {
    if (mod == 0 && rm == 6) return n + 2;
    return n + (mod == 1 ? 1 : mod == 2 ? 2 : 0);
  }
  if (rm == 4) {
    if (available < 2) return 0;
    uint8_t sib = p[1];
    ++n;
    if (mod == 0 && (sib & 7) == 5) n += 4;
  } else if (mod == 0 && rm == 5) {
    n += 4;
  }
  if (mod == 1) n += 1;
  if (mod == 2) n += 4;
  return n;
}

constexpr size_t kMaxLength = 15;

}  // namespace

int32_t TX86Instruction::RelativeTarget(const uint8_t* code) const {
  int32_t disp = 0;
  switch (dispSize) {
    case 1: disp = static_cast<int8_t>(code[dispOffset]); break;
    case 2: {
      int16_t d;
      std::memcpy(&d, code + dispOffset, 2);
      disp = d;
      break;
    }
    case 4: std::memcpy(&disp, code + dispOffset, 4); break;
    default: return 0;
  }
  return static_cast<int32_t>(length) + disp;
}

TX86Instruction DecodeX86(const uint8_t* code, size_t available) {
  TX86Instruction bad;
  if (available > kMaxLength) available = kMaxLength;
  size_t i = 0;
  bool opsize16 = false, addr16 = false;
  while (i < available && IsLegacyPrefix(code[i])) {
    if (code[i] == 0x66) opsize16 = true;
    if (code[i] == 0x67) addr16 = true;
    ++i;
  }
  if (i >= available) return bad;

  uint8_t op = code[i++];
  uint8_t kind;
  TX86Instruction out;
  size_t opcodeEnd;
  bool registerOnly = false;
  if (op == 0x0F) {
    if (i >= available) return bad;
    uint8_t op2 = code[i++];
    // MOV to and from control, debug and test registers (0F 20 to 0F 27) always address
    // registers: the processor ignores the mod field, so no displacement follows.
    registerOnly = op2 >= 0x20 && op2 <= 0x27;
    if (op2 == 0x38 || op2 == 0x3A) {  // three-byte maps
      if (i >= available) return bad;
      ++i;
      kind = op2 == 0x3A ? (kModRM | kImm8) : kModRM;
    } else {
      kind = kTwoByteTable[op2];
      if (op2 >= 0x80 && op2 <= 0x8F) out.branch = opsize16 ? TX86Branch::Near16 : TX86Branch::NearJcc;
    }
  } else if ((op == 0xC4 || op == 0xC5) && i < available && (code[i] >> 6) == 3) {
    // VEX: in 32-bit mode LES/LDS cannot take a register operand, so mod 11 marks VEX.
    int map = 1;
    if (op == 0xC5) {
      ++i;
    } else {
      map = code[i] & 0x1F;
      i += 2;
    }
    if (i >= available || map < 1 || map > 3) return bad;
    uint8_t vop = code[i++];
    if (map == 3)
      kind = kModRM | kImm8;
    else if (map == 2)
      kind = kModRM;
    else
      kind = vop == 0x77 ? 0 : (kTwoByteTable[vop] & (kModRM | kImm8));
  } else {
    kind = kOneByteTable[op];
    if (op == 0xEB || (op >= 0x70 && op <= 0x7F) || (op >= 0xE0 && op <= 0xE3))
      out.branch = TX86Branch::Short;
    else if (op == 0xE8)
      out.branch = opsize16 ? TX86Branch::Near16 : TX86Branch::NearCall;
    else if (op == 0xE9)
      out.branch = opsize16 ? TX86Branch::Near16 : TX86Branch::NearJump;
  }
  if (kind & kInvalid) return bad;
  opcodeEnd = i;

  if (kind & kModRM) {
    size_t m = registerOnly ? (i < available ? 1 : 0) : ModRMLength(code + i, available - i, addr16);
    if (m == 0) return bad;
    if ((kind & kGroup3) && ((code[i] >> 3) & 7) < 2) kind |= (op == 0xF6 ? kImm8 : kImmZ);
    i += m;
  }
  if (kind & kImm16) i += 2;
  if (kind & kImm8) i += 1;
  if (kind & kImmZ) i += opsize16 ? 2 : 4;
  if (kind & kMoffs) i += addr16 ? 2 : 4;
  if (kind & kFar) i += (opsize16 ? 2 : 4) + 2;
  if (i > available) return bad;

  out.length = static_cast<uint8_t>(i);
  out.valid = true;
  if (out.branch != TX86Branch::None) {
    out.dispOffset = static_cast<uint8_t>(opcodeEnd);
    out.dispSize = static_cast<uint8_t>(i - opcodeEnd);
  }
  return out;
}
