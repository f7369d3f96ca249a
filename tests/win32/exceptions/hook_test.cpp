// The hooking engine on purpose-built machine code and on this program's own functions and
// imports.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "exceptions/capture/hook_errors.h"
#include "exceptions/capture/hook_win32.h"
#include "exceptions/capture/memory_win32.h"

namespace {

using Fast2 = int(__attribute__((fastcall)) *)(int, int);

// A page of executable memory holding hand-assembled functions.
class TCodePage {
 public:
  TCodePage() {
    base_ =
        static_cast<uint8_t*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
  }
  ~TCodePage() { VirtualFree(base_, 0, MEM_RELEASE); }
  TCodePage(const TCodePage&) = delete;
  TCodePage& operator=(const TCodePage&) = delete;
  uint8_t* Put(size_t offset, std::vector<uint8_t> bytes) {
    std::memcpy(base_ + offset, bytes.data(), bytes.size());
    return base_ + offset;
  }
  void Rel32(size_t at, const void* target) {  // a rel32 field at `at`, counted from at + 4
    int32_t d = static_cast<int32_t>(static_cast<const uint8_t*>(target) - (base_ + at + 4));
    std::memcpy(base_ + at, &d, 4);
  }
  uint8_t* At(size_t offset) { return base_ + offset; }

 private:
  uint8_t* base_;
};

// f(x, y) with x in ECX: x == 0 jumps (short, out of the copied start) to "return 99";
// otherwise it calls g (relative call in the copied start), which returns 42, plus one.
struct TBranchyCode {
  TCodePage page;
  uint8_t* f;
  uint8_t* g;
  uint8_t* thunk;  // FF 25: jmp [slot] -> f
  TBranchyCode() {
    g = page.Put(0x200, {0xB8, 42, 0, 0, 0, 0xC3});  // mov eax, 42; ret
    f = page.Put(0x100, {
                            0x85, 0xC9,         // 0: test ecx, ecx
                            0x74, 0x07,         // 2: je 0x0B
                            0xE8, 0, 0, 0, 0,   // 4: call g
                            0x40,               // 9: inc eax
                            0xC3,               // A: ret
                            0xB8, 99, 0, 0, 0,  // B: mov eax, 99
                            0xC3,               // 10: ret
                        });
    page.Rel32(0x105, g);
    void** slot = reinterpret_cast<void**>(page.At(0x380));
    *slot = f;
    thunk = page.Put(0x300, {0xFF, 0x25, 0, 0, 0, 0});
    std::memcpy(thunk + 2, &slot, 4);
  }
};

// h(x, y): increments y until it reaches x (a short jump back inside the copied start).
uint8_t* PutLoop(TCodePage& page) {
  return page.Put(0x400, {
                             0x42,        // 0: inc edx
                             0x39, 0xCA,  // 1: cmp edx, ecx
                             0x7C, 0xFB,  // 3: jl 0
                             0x89, 0xD0,  // 5: mov eax, edx
                             0xC3,        // 7: ret
                         });
}

Fast2 gTrampoline;
int __attribute__((fastcall)) PlusThousand(int x, int y) { return gTrampoline(x, y) + 1000; }

TEST(HookProcedure, RelocatesRelativeCallsAndRedirectsShortJumpsOutOfTheCopy) {
  TBranchyCode code;
  auto f = reinterpret_cast<Fast2>(code.f);
  ASSERT_EQ(f(0, 0), 99);
  ASSERT_EQ(f(1, 0), 43);
  std::vector<uint8_t> original(code.f, code.f + 16);

  gTrampoline = reinterpret_cast<Fast2>(HookProcedure(code.f, reinterpret_cast<void*>(&PlusThousand), "f"));
  ASSERT_TRUE(gTrampoline);
  EXPECT_EQ(code.f[0], 0xE9) << "the start jumps to the replacement";
  EXPECT_EQ(f(0, 0), 1099) << "the short jump out of the copy still reaches its target";
  EXPECT_EQ(f(1, 0), 1043) << "the relative call still reaches g";
  EXPECT_EQ(gTrampoline(1, 0), 43) << "the trampoline is the original behaviour";
  std::vector<THookedProcedure> hooks = HookedProcedures();
  auto it = std::find_if(hooks.begin(), hooks.end(),
                         [&](const THookedProcedure& h) { return h.procedure == code.f; });
  ASSERT_NE(it, hooks.end());
  EXPECT_EQ(it->copiedLength, 9u) << "whole instructions: test, je, call";
  EXPECT_EQ(it->trampolineSize, 9u + 5 + 5) << "one redirected short jump";

  EXPECT_TRUE(UnhookProcedure(code.f));
  EXPECT_EQ(std::vector<uint8_t>(code.f, code.f + 16), original) << "unhooking restores the bytes";
  EXPECT_EQ(f(0, 0), 99);
  EXPECT_FALSE(UnhookProcedure(code.f)) << "no hook left";
}

TEST(HookProcedure, FollowsJumpThunksAndReturnsTheSameTrampolineTwice) {
  TBranchyCode code;
  std::vector<uint8_t> thunkBytes(code.thunk, code.thunk + 6);
  void* first = HookProcedure(code.thunk, reinterpret_cast<void*>(&PlusThousand), "thunk");
  gTrampoline = reinterpret_cast<Fast2>(first);
  EXPECT_EQ(std::vector<uint8_t>(code.thunk, code.thunk + 6), thunkBytes) << "the thunk itself is left alone";
  EXPECT_EQ(code.f[0], 0xE9) << "its target is hooked";
  EXPECT_EQ(reinterpret_cast<Fast2>(code.thunk)(1, 0), 1043);
  EXPECT_EQ(HookProcedure(code.f, reinterpret_cast<void*>(&PlusThousand), "f"), first);
  EXPECT_EQ(HookProcedure(code.thunk, reinterpret_cast<void*>(&PlusThousand), "thunk"), first);
  EXPECT_TRUE(UnhookProcedure(code.thunk));
  EXPECT_EQ(code.f[0], 0x85);
}

TEST(HookProcedure, ShortJumpsInsideTheCopyKeepTheirDistance) {
  TCodePage page;
  auto h = reinterpret_cast<Fast2>(PutLoop(page));
  ASSERT_EQ(h(5, 0), 5);
  gTrampoline = reinterpret_cast<Fast2>(
      HookProcedure(reinterpret_cast<void*>(h), reinterpret_cast<void*>(&PlusThousand), "h"));
  EXPECT_EQ(h(5, 0), 1005) << "the loop runs inside the trampoline";
  EXPECT_EQ(h(1, 7), 1008);
  std::vector<THookedProcedure> hooks = HookedProcedures();
  auto it =
      std::find_if(hooks.begin(), hooks.end(), [&](const THookedProcedure& x) { return x.procedure == h; });
  ASSERT_NE(it, hooks.end());
  EXPECT_EQ(it->trampolineSize, 5u + 5) << "nothing redirected";
  UnhookProcedure(reinterpret_cast<void*>(h));
}

TEST(HookProcedure, RefusesNullProceduresAndProceduresTooShortToPatch) {
  try {
    HookProcedure(nullptr, reinterpret_cast<void*>(&PlusThousand), "nothing");
    FAIL();
  } catch (EProcNull& e) {
    EXPECT_EQ(e.Message(), "Cannot hook a null procedure (\"nothing\").");
  }
  TCodePage page;
  // xor eax, eax; ret: only three bytes before the procedure ends; the next one follows.
  uint8_t* tiny = page.Put(0x10, {0x31, 0xC0, 0xC3, 0x55, 0x89, 0xE5, 0x5D, 0xC3});
  std::vector<uint8_t> before(tiny, tiny + 8);
  try {
    HookProcedure(tiny, reinterpret_cast<void*>(&PlusThousand), "tiny");
    FAIL();
  } catch (EHookingError& e) {
    EXPECT_EQ(e.Message(), "Cannot hook the procedure \"tiny\".");
  }
  EXPECT_EQ(std::vector<uint8_t>(tiny, tiny + 8), before) << "nothing was written";
}

// This program's own code, compiled like the rest of it.
__attribute__((noinline, noipa)) int Squared(int x) {
  volatile int v = x;
  return v * v;
}
int (*gSquared)(int);
int SquaredPlusOne(int x) { return gSquared(x) + 1; }

TEST(HookProcedure, WorksOnThisProgramsOwnFunctions) {
  ASSERT_EQ(Squared(7), 49);
  gSquared = reinterpret_cast<int (*)(int)>(
      HookProcedure(reinterpret_cast<void*>(&Squared), reinterpret_cast<void*>(&SquaredPlusOne), "Squared"));
  int (*volatile call)(int) = &Squared;
  EXPECT_EQ(call(7), 50);
  EXPECT_TRUE(UnhookProcedure(reinterpret_cast<void*>(&Squared)));
  EXPECT_EQ(call(7), 49);
}

DWORD WINAPI FakeTickCount() { return 12345; }
// The compiler takes an import slot for constant and keeps its value in a register between
// calls: each call here reads the slot afresh.
__attribute__((noinline, noipa)) DWORD TickCount() { return GetTickCount(); }

TEST(HookImportedProcedure, PatchesThisModulesImportSlotsAndPutsThemBack) {
  HMODULE self = GetModuleHandleA(nullptr);
  void* real = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount"));
  ASSERT_TRUE(real);
  EXPECT_EQ(HookImportedProcedure(self, "KERNEL32.DLL", real, false, false, "GetTickCount",
                                  reinterpret_cast<void*>(&FakeTickCount)),
            real);
  EXPECT_EQ(TickCount(), 12345u) << "the call goes through the patched import";
  EXPECT_GE(UnhookImports(reinterpret_cast<void*>(&FakeTickCount)), 1);
  EXPECT_NE(TickCount(), 12345u);

  void* original = nullptr;
  EXPECT_TRUE(HookModulesImport({"", "no-such-module.dll"}, "kernel32.dll", false, &original,
                                reinterpret_cast<void*>(&FakeTickCount), "GetTickCount"));
  EXPECT_EQ(original, real);
  EXPECT_EQ(TickCount(), 12345u);
  UnhookImports(reinterpret_cast<void*>(&FakeTickCount));
}

TEST(HookImportedProcedure, NothingToPatchIsAnErrorUnlessMissingIsAllowed) {
  HMODULE self = GetModuleHandleA(nullptr);
  void* real = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount"));
  EXPECT_THROW(HookImportedProcedure(self, "no-such.dll", real, false, false, "GetTickCount",
                                     reinterpret_cast<void*>(&FakeTickCount)),
               EHookingError);
  EXPECT_EQ(HookImportedProcedure(self, "no-such.dll", real, false, true, "GetTickCount",
                                  reinterpret_cast<void*>(&FakeTickCount)),
            nullptr);
  EXPECT_THROW(HookImportedProcedure(self, "kernel32.dll", nullptr, false, true, "Nothing",
                                     reinterpret_cast<void*>(&FakeTickCount)),
               EProcNull);
  TCodePage notAModule;
  EXPECT_THROW(HookImportedProcedure(notAModule.At(0), "kernel32.dll", real, false, false, "GetTickCount",
                                     reinterpret_cast<void*>(&FakeTickCount)),
               EHookingError);
}

class TShape {
 public:
  virtual int Corners() const { return 4; }
  virtual ~TShape() = default;
};
// A call through the method table, which the compiler must not replace by a guess.
__attribute__((noinline, noipa, optimize("no-devirtualize", "no-devirtualize-speculatively"))) int CornersOf(
    const TShape* s) {
  return s->Corners();
}
int __attribute__((thiscall)) FiveCorners(const TShape*) { return 5; }
int __attribute__((thiscall)) SixCorners(const TShape*) { return 6; }

TEST(HookedMethodsList, ReplacesASlotOnceAndWritesTheOriginalBack) {
  TShape shape;
  void** table = *reinterpret_cast<void***>(&shape);
  THookedMethodsList list;
  void* original = list.Replace(table, 0, reinterpret_cast<void*>(&FiveCorners));
  ASSERT_TRUE(original);
  EXPECT_EQ(CornersOf(&shape), 5);
  EXPECT_EQ(list.Replace(table, 0, reinterpret_cast<void*>(&FiveCorners)), original)
      << "replacing with the same method again reports the real original";
  EXPECT_EQ(list.Count(), 1u);
  EXPECT_EQ(list.Original(table, 0), original);
  EXPECT_TRUE(list.Restore(table, 0));
  EXPECT_EQ(CornersOf(&shape), 4);
  EXPECT_FALSE(list.Restore(table, 0));
  EXPECT_EQ(list.Replace(table, 0, reinterpret_cast<void*>(&SixCorners)), original);
  EXPECT_EQ(CornersOf(&shape), 6);
  list.Restore(table, 0);
}

TEST(ReadableMemory, CommittedReadablePagesOnlyAndEveryRegionOfARange) {
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  const size_t page = si.dwPageSize;
  auto* p = static_cast<uint8_t*>(VirtualAlloc(nullptr, 4 * page, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_TRUE(p);
  VirtualAlloc(p, 3 * page, MEM_COMMIT, PAGE_READWRITE);
  DWORD old;
  VirtualProtect(p + page, page, PAGE_READONLY, &old);
  VirtualProtect(p + 2 * page, page, PAGE_NOACCESS, &old);
  EXPECT_TRUE(IsReadableMemory(p, page));
  EXPECT_TRUE(IsReadableMemory(p + page - 8, 16)) << "two readable regions";
  EXPECT_FALSE(IsReadableMemory(p + 2 * page - 8, 16)) << "runs into a no-access page";
  EXPECT_FALSE(IsReadableMemory(p + 2 * page, 1));
  EXPECT_FALSE(IsReadableMemory(p + 3 * page, 1)) << "reserved, not committed";
  VirtualProtect(p, page, PAGE_READWRITE | PAGE_GUARD, &old);
  EXPECT_FALSE(IsReadableMemory(p, 4)) << "a guard page";
  EXPECT_FALSE(IsReadableMemory(nullptr, 4));
  EXPECT_TRUE(IsReadableMemory(p + page, 0));
  VirtualFree(p, 0, MEM_RELEASE);
}

}  // namespace
