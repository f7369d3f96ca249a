// Instruction lengths of 32-bit x86 code: what the code-splice hook needs to copy whole
// instructions out of a procedure's start and to relocate the relative branches among them.
#pragma once

#include <cstddef>
#include <cstdint>

enum class TX86Branch : uint8_t {
  None,
  Short,     // EB, 70-7F, E0-E3: 8-bit displacement
  NearJump,  // E9: 32-bit displacement
  NearCall,  // E8
  NearJcc,   // 0F 80-8F
  Near16,    // E8/E9/0F 8x with an operand-size prefix: 16-bit displacement (cannot be moved)
};

struct TX86Instruction {
  uint8_t length = 1;  // 1 to 15; an undecodable or truncated byte counts as 1
  bool valid = false;
  TX86Branch branch = TX86Branch::None;
  uint8_t dispOffset = 0;  // where a branch's displacement starts within the instruction
  uint8_t dispSize = 0;    // 1, 2 or 4 for branches, else 0
  // The branch target relative to the instruction's start (length + displacement).
  int32_t RelativeTarget(const uint8_t* code) const;
};

// Decodes the instruction at code (available bytes readable there; at most 15 are read):
// legacy prefixes, one-, two- and three-byte opcodes, VEX, ModR/M, SIB, displacement and
// immediate sizes in 32-bit mode.
TX86Instruction DecodeX86(const uint8_t* code, size_t available);
