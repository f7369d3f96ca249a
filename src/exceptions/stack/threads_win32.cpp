#include "exceptions/stack/threads_win32.h"

#include <algorithm>
#include <cstring>

#include "exceptions/stack/memory_reader_win32.h"

namespace {
struct ThreadBasicInformation {
  LONG exitStatus;
  PVOID tebBaseAddress;
  PVOID clientIdProcess, clientIdThread;
  ULONG_PTR affinityMask;
  LONG priority, basePriority;
};
using QueryThread = LONG(NTAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
}  // namespace

TThreadStackWalker::TThreadStackWalker() : copy_(kMaxStackScan) {}

uint32_t TThreadStackWalker::StackTopOf(HANDLE thread) {
  static QueryThread query = reinterpret_cast<QueryThread>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
  if (!query) return 0;
  ThreadBasicInformation info{};
  if (query(thread, 0, &info, sizeof info, nullptr) != 0 || !info.tebBaseAddress) return 0;
  // The information block starts with the exception list, then the stack base (its top).
  TProcessMemoryReader memory;
  uint32_t top = 0;
  memory.ReadU32(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(info.tebBaseAddress)) + 4, top);
  return top;
}

bool TThreadStackWalker::Walk(const TThreadToWalk& thread, TQuillonStackList& list,
                              const TQuillonModulesList& modules, uint8_t kindMask, bool useDebugInfo) {
  if (thread.threadId == GetCurrentThreadId()) return false;
  uint32_t top = thread.stackTop ? thread.stackTop : StackTopOf(thread.handle);
  TProcessMemoryReader memory;
  CONTEXT context;
  std::memset(&context, 0, sizeof context);
  context.ContextFlags = CONTEXT_FULL;  // 0x10007
  uint32_t copied = 0, esp = 0;
  // From here to ResumeThread: no allocation, no lock, no message.
  if (SuspendThread(thread.handle) == static_cast<DWORD>(-1)) return false;
  bool ok = GetThreadContext(thread.handle, &context) && context.Ebp != 0;
  if (ok) {
    esp = context.Esp;
    uint32_t want = top > esp ? std::min<uint32_t>(top - esp, kMaxStackScan) : 0;
    // Copy region by region as far as the stack is readable.
    while (copied < want) {
      uint32_t step = std::min<uint32_t>(want - copied, 4096 - ((esp + copied) & 4095));
      if (!memory.Read(esp + copied, copy_.data() + copied, step)) break;
      copied += step;
    }
  }
  ResumeThread(thread.handle);
  if (!ok) return false;

  TBufferMemoryReader stack(&memory);
  stack.AddRegion(esp, copy_.data(), copied);
  TWalkParams p;
  p.firstAddress = context.Eip;
  p.stackStart = esp;
  p.stackEnd = esp + copied;
  p.kindMask = kindMask;
  p.useDebugInfo = useDebugInfo;
  p.threadId = thread.threadId;
  p.running = true;
  AppendCallStack(list, p, stack, modules);
  return true;
}

std::vector<TThreadWalkResult> WalkOtherThreads(const std::vector<TThreadToWalk>& threads,
                                                const std::vector<DWORD>& excluded, TQuillonStackList& list,
                                                const TQuillonModulesList& modules, uint8_t kindMask) {
  std::vector<TThreadWalkResult> results;
  results.reserve(threads.size());
  TThreadStackWalker walker;
  const DWORD self = GetCurrentThreadId();
  for (const TThreadToWalk& t : threads) {
    if (t.threadId == self || std::find(excluded.begin(), excluded.end(), t.threadId) != excluded.end())
      continue;
    TThreadWalkResult r;
    r.threadId = t.threadId;
    r.priority = GetThreadPriority(t.handle);
    r.walked = walker.Walk(t, list, modules, kindMask);
    results.push_back(r);
  }
  return results;
}
