#include "exceptions/capture/x86_length.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

TX86Instruction Decode(std::vector<uint8_t> bytes) { return DecodeX86(bytes.data(), bytes.size()); }
int Len(std::vector<uint8_t> bytes) { return Decode(std::move(bytes)).length; }

TEST(X86Length, ModRMSibAndDisplacementSizes) {
  EXPECT_EQ(Len({0x55}), 1);                                      // push ebp
  EXPECT_EQ(Len({0x89, 0xE5}), 2);                                // mov ebp, esp
  EXPECT_EQ(Len({0x8B, 0x45, 0x08}), 3);                          // mov eax, [ebp+8]
  EXPECT_EQ(Len({0x8B, 0x44, 0x24, 0x04}), 4);                    // [esp+4]: SIB, disp8
  EXPECT_EQ(Len({0x8B, 0x04, 0x25, 0x78, 0x56, 0x34, 0x12}), 7);  // SIB without base: disp32
  EXPECT_EQ(Len({0x8B, 0x05, 0x78, 0x56, 0x34, 0x12}), 6);        // [disp32]
  EXPECT_EQ(Len({0x8B, 0x84, 0x24, 0x00, 0x01, 0x00, 0x00}), 7);  // [esp+disp32]
  EXPECT_EQ(Len({0x8D, 0xB4, 0x26, 0x00, 0x00, 0x00, 0x00}), 7);  // padding lea
  EXPECT_EQ(Len({0x67, 0x8B, 0x46, 0x08}), 4);                    // 16-bit address: [bp+8]
  EXPECT_EQ(Len({0x67, 0x8B, 0x06, 0x34, 0x12}), 5);              // 16-bit address: [disp16]
  EXPECT_EQ(Len({0xD9, 0x7D, 0xFC}), 3);                          // fnstcw [ebp-4]
  EXPECT_EQ(Len({0x0F, 0xB6, 0x45, 0x08}), 4);                    // movzx
  EXPECT_EQ(Len({0x66, 0x2E, 0x0F, 0x1F, 0x84, 0x00, 0x00, 0x00, 0x00, 0x00}), 10);  // long nop
  // Moves to and from control, debug and test registers ignore mod: never a displacement
  // (data bytes in the code section decode this way); the three-byte map at 0F 38 does not.
  EXPECT_EQ(Len({0x0F, 0x26, 0x3D, 0x00, 0x00, 0x00, 0x00}), 3);  // mov tr7, ebp
  EXPECT_EQ(Len({0x0F, 0x20, 0xC0}), 3);                          // mov eax, cr0
  EXPECT_EQ(Len({0x66, 0x0F, 0x38, 0x20, 0x45, 0x08}), 6);        // pmovsxbw xmm0, [ebp+8]
}

TEST(X86Length, ImmediateSizesFollowPrefixesAndOpcodeGroups) {
  EXPECT_EQ(Len({0x83, 0xEC, 0x18}), 3);
  EXPECT_EQ(Len({0x81, 0xEC, 0x00, 0x01, 0x00, 0x00}), 6);
  EXPECT_EQ(Len({0x66, 0x81, 0xEC, 0x00, 0x01}), 5);  // operand-size prefix: imm16
  EXPECT_EQ(Len({0xC7, 0x44, 0x24, 0x04, 0x01, 0x00, 0x00, 0x00}), 8);
  EXPECT_EQ(Len({0x66, 0xC7, 0x44, 0x24, 0x04, 0x01, 0x00}), 7);
  EXPECT_EQ(Len({0xA1, 0x78, 0x56, 0x34, 0x12}), 5);  // moffs follows the address size
  EXPECT_EQ(Len({0x67, 0xA1, 0x34, 0x12}), 4);
  EXPECT_EQ(Len({0xF6, 0xC1, 0x01}), 3);                    // test cl, 1
  EXPECT_EQ(Len({0xF6, 0xD1}), 2);                          // not cl: no immediate
  EXPECT_EQ(Len({0xF7, 0xC1, 0x01, 0x00, 0x00, 0x00}), 6);  // test ecx, 1
  EXPECT_EQ(Len({0xF7, 0xD9}), 2);                          // neg ecx
  EXPECT_EQ(Len({0xC2, 0x08, 0x00}), 3);                    // ret 8
  EXPECT_EQ(Len({0xC8, 0x10, 0x00, 0x00}), 4);              // enter
  EXPECT_EQ(Len({0x9A, 0, 0, 0, 0, 0x10, 0}), 7);           // call far
  EXPECT_EQ(Len({0x69, 0xC0, 0x10, 0x00, 0x00, 0x00}), 6);
  EXPECT_EQ(Len({0x6B, 0xC0, 0x10}), 3);
  EXPECT_EQ(Len({0x0F, 0xBA, 0xE0, 0x05}), 4);        // bt eax, 5
  EXPECT_EQ(Len({0x0F, 0x3A, 0x0F, 0xC1, 0x08}), 5);  // palignr: three-byte map with imm8
  EXPECT_EQ(Len({0x66, 0x0F, 0x38, 0x00, 0xC1}), 5);  // pshufb
  EXPECT_EQ(Len({0xF3, 0xC3}), 2);                    // rep ret
}

TEST(X86Length, VexOnlyWithRegisterFormOfLesLds) {
  EXPECT_EQ(Len({0xC5, 0xF8, 0x77}), 3);                    // vzeroupper
  EXPECT_EQ(Len({0xC4, 0xE3, 0x79, 0x0F, 0xC1, 0x08}), 6);  // vpalignr
  EXPECT_EQ(Len({0xC4, 0x06}), 2);                          // les eax, [esi]
}

TEST(X86Length, RelativeBranchesAreFoundWithTheirDisplacement) {
  std::vector<uint8_t> call = {0xE8, 0x10, 0x00, 0x00, 0x00};
  TX86Instruction i = DecodeX86(call.data(), call.size());
  EXPECT_EQ(i.branch, TX86Branch::NearCall);
  EXPECT_EQ(i.dispOffset, 1);
  EXPECT_EQ(i.dispSize, 4);
  EXPECT_EQ(i.RelativeTarget(call.data()), 0x15);

  std::vector<uint8_t> jcc = {0x0F, 0x84, 0xF0, 0xFF, 0xFF, 0xFF};
  i = DecodeX86(jcc.data(), jcc.size());
  EXPECT_EQ(i.branch, TX86Branch::NearJcc);
  EXPECT_EQ(i.length, 6);
  EXPECT_EQ(i.RelativeTarget(jcc.data()), 6 - 16);

  for (std::vector<uint8_t> shortJump :
       {std::vector<uint8_t>{0xEB, 0xFE}, {0x74, 0xF0}, {0xE2, 0x02}, {0xE3, 0x00}}) {
    i = DecodeX86(shortJump.data(), shortJump.size());
    EXPECT_EQ(i.branch, TX86Branch::Short) << int(shortJump[0]);
    EXPECT_EQ(i.length, 2);
    EXPECT_EQ(i.RelativeTarget(shortJump.data()), 2 + static_cast<int8_t>(shortJump[1]));
  }
  EXPECT_EQ(Decode({0xE9, 0, 0, 0, 0}).branch, TX86Branch::NearJump);
  EXPECT_EQ(Decode({0x66, 0xE8, 0x00, 0x00}).branch, TX86Branch::Near16);
  EXPECT_EQ(Decode({0x66, 0xE8, 0x00, 0x00}).length, 4);
  // Indirect jumps and calls are not relative: they move with the code unchanged.
  EXPECT_EQ(Decode({0xFF, 0x25, 0x78, 0x56, 0x34, 0x12}).branch, TX86Branch::None);
  EXPECT_EQ(Decode({0xFF, 0x15, 0x78, 0x56, 0x34, 0x12}).length, 6);
}

TEST(X86Length, UndecodableOrTruncatedBytesCountAsOne) {
  TX86Instruction i = Decode({0xE8, 0x00, 0x00});  // displacement cut short
  EXPECT_FALSE(i.valid);
  EXPECT_EQ(i.length, 1);
  EXPECT_FALSE(Decode({0x0F, 0x04}).valid);
  EXPECT_EQ(Decode({0x0F, 0x04}).length, 1);
  EXPECT_TRUE(Decode({0x0F, 0x0B}).valid);  // ud2 is a real instruction
  EXPECT_FALSE(Decode(std::vector<uint8_t>(16, 0x66)).valid);
  EXPECT_FALSE(Decode({0x8B, 0x84, 0x24, 0x00}).valid);
  // Never more than 15 bytes are read, whatever is available.
  std::vector<uint8_t> longRun(20, 0);
  std::fill(longRun.begin(), longRun.begin() + 14, 0x66);
  longRun[14] = 0x81;
  longRun[15] = 0xC0;
  EXPECT_FALSE(DecodeX86(longRun.data(), longRun.size()).valid);
}

}  // namespace
