#include "exceptions/capture/unwind_info.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Builds unwind entries in one buffer as the compiler lays them out; pointers are encoded
// relative to the place they are stored at (pc-relative, signed 4 bytes), so the buffer can
// live anywhere.
class TEntries {
 public:
  TEntries() { bytes_.reserve(4096); }
  size_t Pos() const { return bytes_.size(); }
  const uint8_t* At(size_t pos) const { return bytes_.data() + pos; }
  uintptr_t Address(size_t pos) const { return reinterpret_cast<uintptr_t>(At(pos)); }
  void U8(uint8_t v) { bytes_.push_back(v); }
  void U32(uint32_t v) {
    uint8_t b[4];
    std::memcpy(b, &v, 4);
    bytes_.insert(bytes_.end(), b, b + 4);
  }
  void Uleb(uint32_t v) {
    do {
      uint8_t b = v & 0x7F;
      v >>= 7;
      U8(v ? b | 0x80 : b);
    } while (v);
  }
  void Str(const char* s) {
    while (*s) U8(static_cast<uint8_t>(*s++));
    U8(0);
  }
  void PcRel(uintptr_t target) { U32(static_cast<uint32_t>(target - Address(Pos()))); }
  void Patch32(size_t pos, uint32_t v) { std::memcpy(bytes_.data() + pos, &v, 4); }

  // A common entry; lsda: with an 'L' augmentation.
  size_t Cie(bool lsda) {
    size_t start = Pos();
    U32(0);  // length, patched
    U32(0);  // CIE id
    U8(1);   // version
    Str(lsda ? "zLR" : "zR");
    Uleb(1);   // code alignment
    U8(0x7C);  // data alignment -4
    U8(8);     // return address register
    Uleb(lsda ? 2 : 1);
    if (lsda) U8(0x1B);  // LSDA: pc-relative sdata4
    U8(0x1B);            // FDE pointers: pc-relative sdata4
    End(start);
    return start;
  }
  size_t Fde(size_t cie, uintptr_t function, uint32_t range, bool withLsda, uintptr_t lsda) {
    size_t start = Pos();
    U32(0);
    U32(static_cast<uint32_t>(Pos() - cie));
    PcRel(function);
    U32(range);
    Uleb(withLsda ? 4 : 0);
    if (withLsda) PcRel(lsda);
    End(start);
    return start;
  }
  // A call-site table (uleb128 entries: start, length, landing pad, action).
  size_t Lsda(std::vector<std::pair<uint32_t, uint32_t>> sites) {
    size_t start = Pos();
    U8(0xFF);  // landing pads relative to the function
    U8(0xFF);  // no type table
    U8(0x01);  // call sites in uleb128
    TEntries table;
    for (auto [s, len] : sites) {
      table.Uleb(s);
      table.Uleb(len);
      table.Uleb(0);
      table.Uleb(0);
    }
    Uleb(static_cast<uint32_t>(table.bytes_.size()));
    bytes_.insert(bytes_.end(), table.bytes_.begin(), table.bytes_.end());
    return start;
  }

 private:
  void End(size_t start) {
    while ((Pos() - start) % 4) U8(0);  // DW_CFA_nop padding
    Patch32(start, static_cast<uint32_t>(Pos() - start - 4));
  }
  std::vector<uint8_t> bytes_;
};

// The described function lies near the entries: a pc-relative 4-byte field reaches it from
// any buffer, also in a 64-bit test process.
uintptr_t FunctionNear(const TEntries& e) { return e.Address(0) + 0x10000; }

TEST(UnwindInfo, CallSitesDecideWhetherAThrowFromAnInstructionIsSafe) {
  TEntries e;
  const uintptr_t kFunction = FunctionNear(e);
  size_t lsda = e.Lsda({{0x10, 0x20}, {0x40, 0x10}});
  size_t cie = e.Cie(true);
  size_t fde = e.Fde(cie, kFunction, 0x100, true, e.Address(lsda));
  auto at = [&](uintptr_t offset) { return ExamineFde(e.At(fde), kFunction + offset, TEhBases{}); };

  TUnwindCoverage inside = at(0x15);
  EXPECT_TRUE(inside.valid);
  EXPECT_EQ(inside.functionStart, kFunction);
  EXPECT_EQ(inside.functionEnd, kFunction + 0x100);
  EXPECT_TRUE(inside.hasLsda);
  EXPECT_TRUE(inside.ThrowSafe());
  EXPECT_TRUE(at(0x10).ThrowSafe()) << "a range includes its start";
  EXPECT_FALSE(at(0x30).ThrowSafe()) << "a range excludes its end";
  EXPECT_FALSE(at(0x35).ThrowSafe()) << "between call sites the personality would terminate";
  EXPECT_TRUE(at(0x4F).ThrowSafe());
  EXPECT_FALSE(at(0x05).ThrowSafe()) << "before the first call site";
  EXPECT_FALSE(at(0x100).valid) << "outside the function";
}

TEST(UnwindInfo, FramesWithoutCallSiteTablesAreAlwaysSafe) {
  TEntries e;
  const uintptr_t kFunction = FunctionNear(e);
  size_t plain = e.Cie(false);
  size_t fde = e.Fde(plain, kFunction, 0x40, false, 0);
  TUnwindCoverage c = ExamineFde(e.At(fde), kFunction + 0x20, TEhBases{});
  EXPECT_TRUE(c.valid);
  EXPECT_FALSE(c.hasLsda);
  EXPECT_TRUE(c.ThrowSafe());

  // A function under a common entry that announces tables may still have none.
  size_t withL = e.Cie(true);
  size_t noTable = e.Fde(withL, kFunction, 0x40, false, 0);
  c = ExamineFde(e.At(noTable), kFunction + 0x20, TEhBases{});
  EXPECT_TRUE(c.valid);
  EXPECT_FALSE(c.hasLsda);
}

TEST(UnwindInfo, DamagedEntriesAreNotTrusted) {
  TEntries e;
  const uintptr_t kFunction = FunctionNear(e);
  size_t cie = e.Cie(true);
  EXPECT_FALSE(ExamineFde(e.At(cie), kFunction, TEhBases{}).valid) << "a common entry is no description";
  EXPECT_FALSE(ExamineFde(nullptr, kFunction, TEhBases{}).valid);
  TEntries zero;
  zero.U32(0);
  EXPECT_FALSE(ExamineFde(zero.At(0), kFunction, TEhBases{}).valid) << "the terminator";
}

}  // namespace
