// The stack scan on crafted memory: call forms, thunks, readability, the 100 KB limit and the
// skip, maximum, kind and duplicate rules.
#include "exceptions/stack/stack_walk.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
constexpr uint32_t kCode = 0x00401000, kStack = 0x00200000, kOther = 0x10001000;

struct Scene {
  std::vector<uint8_t> code = std::vector<uint8_t>(0x1000, 0x90);
  std::vector<uint8_t> other = std::vector<uint8_t>(0x1000, 0x90);
  std::vector<uint8_t> stack;
  TBufferMemoryReader memory;
  TQuillonModulesList modules;
  Scene() {
    auto exe = std::make_unique<TQuillonModule>();
    exe->handle = 0x00400000;
    exe->imageSize = 0x2000;
    exe->path = "C:\\app\\netvosk.exe";
    exe->exports.Add(0x401000, "WinMain");
    modules.Add(std::move(exe));
    auto dll = std::make_unique<TQuillonModule>();
    dll->handle = 0x10000000;
    dll->imageSize = 0x2000;
    dll->exports.Add(kOther, "Sleep");
    dll->exports.Add(kOther + 0x800, "@Forms@TForm@Show$qqrv");
    dll->exports.Sort();
    modules.Add(std::move(dll));
  }
  // Places bytes at a code address; returns the address after them (the return address).
  uint32_t put(uint32_t at, std::initializer_list<uint8_t> bytes) {
    auto& buf = at >= kOther ? other : code;
    uint32_t base = at >= kOther ? kOther : kCode;
    std::copy(bytes.begin(), bytes.end(), buf.begin() + (at - base));
    return at + static_cast<uint32_t>(bytes.size());
  }
  uint32_t callE8(uint32_t at, uint32_t target) {
    uint32_t d = target - (at + 5);
    return put(at, {0xE8, uint8_t(d), uint8_t(d >> 8), uint8_t(d >> 16), uint8_t(d >> 24)});
  }
  void push(uint32_t word) {
    size_t n = stack.size();
    stack.resize(n + 4);
    std::memcpy(&stack[n], &word, 4);
  }
  TQuillonStackList walk(TWalkParams p = {}) {
    memory.AddRegion(kCode, code.data(), static_cast<uint32_t>(code.size()));
    memory.AddRegion(kOther, other.data(), static_cast<uint32_t>(other.size()));
    memory.AddRegion(kStack, stack.data(), static_cast<uint32_t>(stack.size()));
    p.stackStart = kStack;
    if (!p.stackEnd) p.stackEnd = kStack + static_cast<uint32_t>(stack.size());
    return BuildCallStack(p, memory, modules);
  }
};

std::vector<uint32_t> addresses(const TQuillonStackList& list, bool visibleOnly = true) {
  std::vector<uint32_t> out;
  for (const auto& e : list)
    if (!visibleOnly || e.kind != ekNone) out.push_back(e.address);
  return out;
}
}  // namespace

TEST(StackWalk, EveryCallFormIsFoundAtItsStart) {
  Scene s;
  TWalkParams p;
  p.followThunks = false;
  s.push(s.put(0x401100, {0xFF, 0xD3}));                          // call ebx
  s.push(s.put(0x401110, {0xFF, 0x16}));                          // call [esi]
  s.push(s.put(0x401120, {0xFF, 0x55, 0x08}));                    // call [ebp+8]
  s.push(s.put(0x401130, {0xFF, 0x14, 0x24}));                    // call [esp]
  s.push(s.put(0x401140, {0xFF, 0x54, 0x24, 0x04}));              // call [esp+4]
  s.push(s.put(0x401150, {0xFF, 0x94, 0x24, 1, 2, 0, 0}));        // call [esp+0x201]
  s.push(s.put(0x401160, {0xFF, 0x90, 0, 1, 0, 0}));              // call [eax+0x100]
  s.push(s.put(0x401170, {0xFF, 0x15, 0x00, 0x12, 0x40, 0x00}));  // call [0x401200]: readable slot
  s.push(s.put(0x401180, {0xFF, 0x15, 0x00, 0x00, 0x00, 0x70}));  // call [0x70000000]: unreadable, no call
  s.push(s.put(0x401190, {0xFF, 0x54, 0x25, 0x04}));              // not a form the scan knows
  s.push(s.callE8(0x4011A0, 0x401000));
  s.push(0x12345678);  // points nowhere
  EXPECT_EQ(addresses(s.walk(p)), (std::vector<uint32_t>{0x401100, 0x401110, 0x401120, 0x401130, 0x401140,
                                                         0x401150, 0x401160, 0x401170, 0x4011A0}));
}

TEST(StackWalk, ThunkTargetComesBeforeTheCallSite) {
  Scene s;
  // A direct call into "FF 25 [slot]" whose slot holds the library's Sleep.
  s.put(0x401300, {0xFF, 0x25, 0x00, 0x14, 0x40, 0x00});
  s.put(0x401400, {uint8_t(kOther), uint8_t(kOther >> 8), uint8_t(kOther >> 16), uint8_t(kOther >> 24)});
  s.push(s.callE8(0x401200, 0x401300));
  // A call to a function that itself starts with a call is listed without its target.
  s.put(0x401500, {0xE8, 0, 0, 0, 0});
  s.push(s.callE8(0x401600, 0x401500));
  TWalkParams p;
  p.firstAddress = 0x401050;
  TQuillonStackList list = s.walk(p);
  ASSERT_EQ(addresses(list), (std::vector<uint32_t>{0x401050, kOther, 0x401200, 0x401600}));
  EXPECT_EQ(list[1].kind, ekExport);
  EXPECT_EQ(list[1].procedureName, "Sleep");
  EXPECT_EQ(list[2].procedureName, "WinMain");
  EXPECT_EQ(list[0].kind, ekExport);
}

TEST(StackWalk, UnreadableBytesBeforeACandidateAreSkippedQuietly) {
  Scene s;
  // Return addresses at the very start of readable regions: the call bytes would lie before them.
  s.push(kCode);
  s.push(kCode + 3);
  s.push(kOther);
  s.push(s.callE8(0x401010, 0x401000));
  // A hole inside the stack: the scan picks up after it.
  std::vector<uint8_t> upper(8);
  uint32_t ret = s.callE8(0x401020, 0x401000);
  std::memcpy(upper.data() + 4, &ret, 4);
  s.memory.AddRegion(kStack + 0x2000, upper.data(), 8);
  TWalkParams p;
  p.followThunks = false;
  p.stackEnd = kStack + 0x2008;
  EXPECT_EQ(addresses(s.walk(p)), (std::vector<uint32_t>{0x401010, 0x401020}));
}

TEST(StackWalk, OnlyTheInnermost100KBAreScanned) {
  Scene s;
  uint32_t inner = s.callE8(0x401010, 0x401000), outer = s.callE8(0x401020, 0x401000);
  for (uint32_t i = 0; i < 200 * 1024 / 4; ++i) s.push(i * 4 < kMaxStackScan ? inner : outer);
  // Words straddling the limit: the one ending exactly at it is the last read.
  std::memcpy(&s.stack[kMaxStackScan - 4], &inner, 4);
  std::memcpy(&s.stack[kMaxStackScan], &outer, 4);
  TWalkParams p;
  p.followThunks = false;
  TQuillonStackList list = s.walk(p);
  for (const auto& e : list) ASSERT_NE(e.address, 0x401020u);
  // Duplicates collapse: of a run of equal addresses only the last stays visible.
  EXPECT_EQ(addresses(list), (std::vector<uint32_t>{0x401010}));
  EXPECT_EQ(list.size(), kMaxStackScan / 4);
}

TEST(StackWalk, SkipMaximumAndKindMaskChooseTheEntries) {
  Scene s;
  std::vector<uint32_t> sites;
  for (uint32_t i = 0; i < 6; ++i) {
    sites.push_back(0x401100 + 0x10 * i);
    s.push(s.callE8(sites.back(), 0x401000));
  }
  s.push(s.callE8(kOther + 0x900, kOther));  // a decorated export's call site: kind 3
  TWalkParams p;
  p.followThunks = false;
  p.skip = 2;
  p.maximum = 3;
  EXPECT_EQ(addresses(s.walk(p)), (std::vector<uint32_t>{sites[2], sites[3], sites[4]}));
  p = {};
  p.followThunks = false;
  p.kindMask = ReportKindMask(false, true);
  TQuillonStackList list = s.walk(p);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].kind, ekDecorated);
  EXPECT_EQ(list[0].unitName, "Forms.cpp");
  EXPECT_EQ(list[0].className, "TForm");
  EXPECT_EQ(list[0].procedureName, "Show");
  p.maximum = 0;
  EXPECT_TRUE(s.walk(p).empty());
}

TEST(StackWalk, DuplicatesWithinTwoNamedEntriesOfOneModuleAreHidden) {
  TQuillonModule a, b;
  auto e = [](uint8_t kind, const TQuillonModule* m, uint32_t addr) {
    TQuillonStackEntry x;
    x.kind = kind;
    x.module = m;
    x.address = addr;
    return x;
  };
  TQuillonStackList list = {
      e(4, &a, 1), e(4, &a, 2), e(1, &a, 9), e(4, &a, 1),   // two named apart: hidden
      e(4, &a, 5), e(4, &b, 5),                             // other module: kept
      e(4, &a, 7), e(4, &a, 8), e(4, &a, 8), e(4, &a, 7)};  // 7 is near again once 8 went
  HideDuplicates(list, 0);
  std::vector<uint8_t> kinds;
  for (auto& x : list) kinds.push_back(x.kind);
  EXPECT_EQ(kinds, (std::vector<uint8_t>{0, 4, 1, 4, 4, 4, 0, 0, 4, 4}));
}
