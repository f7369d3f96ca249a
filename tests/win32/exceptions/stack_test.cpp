// Call stacks of real threads under Wine: our own functions named from the block the build
// appended to this test program, thunks, the 100 KB limit, the module list and other threads.
#include <gtest/gtest.h>
#include <pthread.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "exceptions/stack/memory_reader_win32.h"
#include "exceptions/stack/modules_win32.h"
#include "exceptions/stack/threads_win32.h"

extern "C" void nv_test_thunk();
extern "C" void* nv_test_thunk_slot;
// A jump thunk of the kind the linker puts before imported functions.
asm(".text\n.globl _nv_test_thunk\n_nv_test_thunk:\n jmp *_nv_test_thunk_slot\n"
    ".data\n.globl _nv_test_thunk_slot\n_nv_test_thunk_slot: .long 0\n.text\n");

namespace {
TQuillonModulesList& modules() {
  static TQuillonModulesList list;
  if (list.Count() == 0) RefreshModuleList(list);
  return list;
}

uint32_t stackTop() { return TThreadStackWalker::StackTopOf(GetCurrentThread()); }

TQuillonStackList gWalked;
int gLine[4];

__attribute__((noinline)) void walkHere() {
  uint32_t esp;
  asm volatile("movl %%esp, %0" : "=r"(esp));
  TProcessMemoryReader memory;
  TWalkParams p;
  p.stackStart = esp;
  p.stackEnd = stackTop();
  p.threadId = GetCurrentThreadId();
  gWalked = BuildCallStack(p, memory, modules());
}

__attribute__((noinline)) void Deep() {
  gLine[0] = __LINE__ + 1;
  walkHere();
  asm volatile("");
}
__attribute__((noinline)) void Middle() {
  gLine[1] = __LINE__ + 1;
  Deep();
  asm volatile("");
}
__attribute__((noinline)) void Top() {
  gLine[2] = __LINE__ + 1;
  Middle();
  asm volatile("");
}

// Index of the first visible entry naming `procedure`, or -1.
int find(const TQuillonStackList& list, const std::string& procedure, size_t from = 0) {
  for (size_t i = from; i < list.size(); ++i)
    if (list[i].kind == ekDebugInfo && list[i].procedureName == procedure) return static_cast<int>(i);
  return -1;
}

__attribute__((noinline)) void ThunkTarget() {
  walkHere();
  asm volatile("");
}
__attribute__((noinline)) void CallThroughThunk() {
  gLine[3] = __LINE__ + 1;
  nv_test_thunk();
  asm volatile("");
}

int gDepth;
uint32_t gFrameSize;
__attribute__((noinline)) void Recurse(int n) {
  volatile char frame[2000];
  frame[0] = static_cast<char>(n);
  if (n == 0) {
    walkHere();
  } else {
    if (n == 2) gFrameSize = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(__builtin_frame_address(0)));
    if (n == 1) gFrameSize -= static_cast<uint32_t>(reinterpret_cast<uintptr_t>(__builtin_frame_address(0)));
    Recurse(n - 1);
  }
  frame[1] = frame[0];
}
__attribute__((noinline)) void RecursionBottom() { Recurse(gDepth); }
}  // namespace

TEST(StackWin32, OwnFunctionsAreNamedWithTheirLinesInCallOrder) {
  Top();
  int deep = find(gWalked, "Deep"), middle = find(gWalked, "Middle"), top = find(gWalked, "Top");
  ASSERT_GE(deep, 0);
  ASSERT_GT(middle, deep);
  ASSERT_GT(top, middle);
  const int lines[] = {gLine[0], gLine[1], gLine[2]};
  const int at[] = {deep, middle, top};
  for (int i = 0; i < 3; ++i) {
    const TQuillonStackEntry& e = gWalked[at[i]];
    EXPECT_NEAR(static_cast<int>(e.line), lines[i], 1) << e.procedureName;
    EXPECT_EQ(e.unitName, "tests/win32/exceptions/stack_test.cpp");
    EXPECT_EQ(e.className, "(anonymous namespace)");
    EXPECT_EQ(e.module->FileName(), "reporter_stack_win32_test.exe");
    EXPECT_EQ(e.threadId, GetCurrentThreadId());
  }
}

TEST(StackWin32, AThunksTargetIsListedBeforeItsCallSite) {
  nv_test_thunk_slot = reinterpret_cast<void*>(&ThunkTarget);
  CallThroughThunk();
  int site = find(gWalked, "CallThroughThunk");
  ASSERT_GT(site, 0);
  EXPECT_NEAR(static_cast<int>(gWalked[site].line), gLine[3], 1);
  // Just before the call site: the thunk's target, at its first byte.
  int before = site - 1;
  while (before >= 0 && gWalked[before].kind == ekNone) --before;
  ASSERT_GE(before, 0);
  EXPECT_EQ(gWalked[before].procedureName, "ThunkTarget");
  EXPECT_EQ(gWalked[before].address, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&ThunkTarget)));
  EXPECT_EQ(gWalked[before].lineOffset, 0u);
}

TEST(StackWin32, ADeepRecursionIsWalkedOnlyInItsInnermost100KB) {
  gDepth = 100;  // about 200 KB of frames
  RecursionBottom();
  ASSERT_GT(gFrameSize, 1900u);
  // Recursion repeats one call site, so all but one of its rows are hidden as duplicates; they
  // are still in the list.
  int frames = 0;
  for (const auto& e : gWalked) frames += e.procedureName == "Recurse" && e.lineOffset > 0;
  int fit = static_cast<int>(kMaxStackScan / gFrameSize);
  EXPECT_GE(frames, fit - 2);
  EXPECT_LE(frames, fit + 2);
  EXPECT_EQ(find(gWalked, "RecursionBottom"), -1);
}

TEST(StackWin32, ModuleListHoldsTheProgramAndSystemLibrariesSortedByHandle) {
  TQuillonModulesList& list = modules();
  ASSERT_GT(list.Count(), 3u);
  for (size_t i = 1; i < list.Count(); ++i) EXPECT_LT(list[i - 1].handle, list[i].handle);
  TQuillonModule* self =
      list.FindByHandle(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr))));
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(self->kind, mkExecutable);
  EXPECT_GT(self->fileSize, 0u);
  EXPECT_GT(self->modified, 40000.0);
  EXPECT_TRUE(self->exports.Empty());
  ASSERT_NE(self->debugInfo, nullptr);
  EXPECT_NE(self->debugInfo->Get(), nullptr) << self->debugInfo->LoadError();
  EXPECT_GT(self->debugInfo->LinkDateTime(), 40000.0);

  TQuillonModule* kernel = list.FindByAddress(static_cast<uint32_t>(
      reinterpret_cast<uintptr_t>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "Sleep"))));
  ASSERT_NE(kernel, nullptr);
  EXPECT_EQ(kernel->kind, mkLibrary);
  EXPECT_FALSE(kernel->version.empty());
  EXPECT_FALSE(kernel->exports.Empty());
  EXPECT_EQ(kernel->debugInfo->Get(), nullptr);  // none appended: falls back to its exports
  TQuillonStackEntry e;
  ResolveAddress(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(
                     GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount"))),
                 list, true, e);
  EXPECT_EQ(e.kind, ekExport);
  EXPECT_EQ(e.procedureName, "GetTickCount");

  // The tool-help snapshot sees the same modules.
  std::vector<HMODULE> all = EnumerateModules(), snapshot = EnumerateModulesToolHelp();
  EXPECT_FALSE(snapshot.empty());
  for (HMODULE h : snapshot) EXPECT_NE(std::find(all.begin(), all.end(), h), all.end());

  // A library loaded later joins on refresh and leaves once unloaded.
  HMODULE extra = LoadLibraryA("shlwapi.dll");
  ASSERT_NE(extra, nullptr);
  uint32_t h = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(extra));
  RefreshModuleList(list);
  EXPECT_NE(list.FindByHandle(h), nullptr);
  FreeLibrary(extra);
  RefreshModuleList(list);
  EXPECT_EQ(list.FindByHandle(h), nullptr);
}

TEST(StackWin32, SharedModuleFlagIsSeenByASecondCopy) {
  TSharedModuleFlag first(GetModuleHandleA(nullptr));
  ASSERT_TRUE(first.Valid());
  EXPECT_FALSE(first.Existed());
  first.Set(true);
  TSharedModuleFlag second(GetModuleHandleA(nullptr));
  EXPECT_TRUE(second.Existed());
  EXPECT_TRUE(second.IsSet());
  EXPECT_EQ(TSharedModuleFlag::NameFor(0x12AB, reinterpret_cast<HMODULE>(0x400000)),
            "MODULE000012AB00400000");
}

namespace {
HANDLE gWake;
__attribute__((noinline)) void WorkerWaits() {
  WaitForSingleObject(gWake, INFINITE);
  asm volatile("");
}
__attribute__((noinline)) void WorkerTop() {
  WorkerWaits();
  asm volatile("");
}
DWORD WINAPI worker(void*) {
  WorkerTop();
  return 0;
}

TThreadToWalk target(HANDLE h, DWORD id) {
  TThreadToWalk t;
  t.threadId = id;
  t.handle = h;
  return t;
}
}  // namespace

TEST(StackWin32, ASleepingWorkersStackShowsItsCallers) {
  gWake = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD id = 0;
  HANDLE h = CreateThread(nullptr, 0, worker, nullptr, 0, &id);
  Sleep(200);
  TQuillonStackList list;
  std::vector<TThreadToWalk> threads = {target(h, id), target(GetCurrentThread(), GetCurrentThreadId())};
  auto results = WalkOtherThreads(threads, {}, list, modules());
  SetEvent(gWake);
  WaitForSingleObject(h, INFINITE);
  CloseHandle(h);
  CloseHandle(gWake);
  ASSERT_EQ(results.size(), 1u);  // never the calling thread
  EXPECT_EQ(results[0].threadId, id);
  EXPECT_TRUE(results[0].walked);
  EXPECT_EQ(results[0].priority, THREAD_PRIORITY_NORMAL);
  int waits = find(list, "WorkerWaits"), top = find(list, "WorkerTop");
  ASSERT_GE(waits, 0);
  EXPECT_GT(top, waits);
  for (const auto& e : list) {
    EXPECT_EQ(e.threadId, id);
    EXPECT_TRUE(e.running);
  }
  // An excluded thread is left alone.
  TQuillonStackList none;
  EXPECT_TRUE(WalkOtherThreads(threads, {id}, none, modules()).empty());
}

TEST(StackWin32, WalkingThreadsThatAllocateNeverDeadlocks) {
  std::atomic<bool> stop{false};
  std::vector<std::thread> workers;
  for (int i = 0; i < 3; ++i)
    workers.emplace_back([&] {
      while (!stop) {
        std::vector<std::string> v;
        for (int k = 0; k < 64; ++k) v.emplace_back(100 + k, 'x');
      }
    });
  std::vector<TThreadToWalk> threads;
  for (auto& w : workers) {
    HANDLE h = w.native_handle() ? pthread_gethandle(w.native_handle()) : nullptr;
    threads.push_back(target(h, GetThreadId(h)));
  }
  auto start = std::chrono::steady_clock::now();
  size_t walked = 0;
  for (int round = 0; round < 20; ++round) {
    TQuillonStackList list;
    for (const auto& r : WalkOtherThreads(threads, {}, list, modules())) walked += r.walked;
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  stop = true;
  for (auto& w : workers) w.join();
  std::printf("20 walks of 3 allocating threads: %.3f s\n", seconds);
  EXPECT_GT(walked, 0u);
}
