#include "exceptions/capture/thread_block_win32.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "exceptions/capture/memory_win32.h"

namespace {

DWORD gSlot = TLS_OUT_OF_INDEXES;

// The registry outlives everything: threads may end while the process shuts down. It is
// made without a guarded static, since the first thread callback runs before the C++
// runtime has started.
struct Registry {
  TReadWriteLock lock;
  std::vector<TThreadBlock*> blocks;
};
Registry* volatile gRegistry;

Registry& Blocks() {
  if (!gRegistry) {
    void* mem = HeapAlloc(GetProcessHeap(), 0, sizeof(Registry));
    auto* fresh = new (mem) Registry;
    if (InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&gRegistry), fresh, nullptr) !=
        nullptr) {
      fresh->~Registry();
      HeapFree(GetProcessHeap(), 0, mem);
    }
  }
  return *gRegistry;
}

TThreadBlock* NewBlock() {
  void* mem = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(TThreadBlock));
  if (!mem) return nullptr;
  auto* b = new (mem) TThreadBlock;
  b->state.ThreadId = GetCurrentThreadId();
  b->snapshot = static_cast<uint8_t*>(
      VirtualAlloc(nullptr, TStackSnapshot::kCapacity, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  TWriteGuard guard(Blocks().lock);
  Blocks().blocks.push_back(b);
  return b;
}

}  // namespace

void InitThreadBlocks() {
  if (gSlot == TLS_OUT_OF_INDEXES) gSlot = TlsAlloc();
}

TThreadBlock* ExistingThreadBlock() {
  if (gSlot == TLS_OUT_OF_INDEXES) return nullptr;
  DWORD lastError = GetLastError();  // TlsGetValue clears it
  auto* b = static_cast<TThreadBlock*>(TlsGetValue(gSlot));
  SetLastError(lastError);
  return b;
}

TThreadBlock* CurrentThreadBlock() {
  InitThreadBlocks();
  TThreadBlock* b = ExistingThreadBlock();
  if (b || gSlot == TLS_OUT_OF_INDEXES) return b;
  DWORD lastError = GetLastError();
  b = NewBlock();
  if (b) TlsSetValue(gSlot, b);
  SetLastError(lastError);
  return b;
}

CaptureState* CurrentCaptureState() {
  TThreadBlock* b = CurrentThreadBlock();
  return b ? &b->state : nullptr;
}

void AttachThreadBlock() { CurrentThreadBlock(); }

void DetachThreadBlock() {
  TThreadBlock* b = ExistingThreadBlock();
  if (!b) return;
  {
    TWriteGuard guard(Blocks().lock);
    auto& all = Blocks().blocks;
    all.erase(std::remove(all.begin(), all.end(), b), all.end());
  }
  TlsSetValue(gSlot, nullptr);
  if (b->snapshot) VirtualFree(b->snapshot, 0, MEM_RELEASE);
  b->~TThreadBlock();
  HeapFree(GetProcessHeap(), 0, b);
}

bool WithThreadBlock(uint32_t threadId, void (*f)(TThreadBlock&, void*), void* data) {
  TReadGuard guard(Blocks().lock);
  for (TThreadBlock* b : Blocks().blocks)
    if (b->state.ThreadId == threadId) {
      f(*b, data);
      return true;
    }
  return false;
}

bool CopyCaptureState(uint32_t threadId, CaptureState& out) {
  return WithThreadBlock(
      threadId,
      [](TThreadBlock& b, void* data) {
        TReadGuard guard(b.lock);
        *static_cast<CaptureState*>(data) = b.state;
      },
      &out);
}

bool CopyStackSnapshot(uint32_t threadId, TStackSnapshot& info, std::vector<uint8_t>& bytes) {
  struct Out {
    TStackSnapshot* info;
    std::vector<uint8_t>* bytes;
  } out{&info, &bytes};
  return WithThreadBlock(
      threadId,
      [](TThreadBlock& b, void* data) {
        auto* o = static_cast<Out*>(data);
        TReadGuard guard(b.lock);
        *o->info = b.snapshotInfo;
        if (b.snapshot)
          o->bytes->assign(b.snapshot, b.snapshot + b.snapshotInfo.Size);
        else
          o->bytes->clear();
      },
      &out);
}

// The thread information block lies at FS:0; its stack base (top) at 4, its limit at 8.
uintptr_t CurrentStackTop() {
  uintptr_t top;
  asm volatile("movl %%fs:4, %0" : "=r"(top));
  return top;
}

uintptr_t CurrentStackLimit() {
  uintptr_t limit;
  asm volatile("movl %%fs:8, %0" : "=r"(limit));
  return limit;
}

void TakeStackSnapshot(TThreadBlock& block, uint32_t threadId, uintptr_t from, uintptr_t stackTop,
                       uintptr_t exceptionAddress) {
  TWriteGuard guard(block.lock);
  TStackSnapshot& s = block.snapshotInfo;
  s.ThreadId = threadId;
  s.ExceptionAddress = exceptionAddress;
  s.StartAddress = from;
  s.Size = 0;
  if (!block.snapshot || from == 0 || stackTop <= from) return;
  uint32_t size = static_cast<uint32_t>(std::min<uintptr_t>(stackTop - from, TStackSnapshot::kCapacity));
  if (!IsReadableMemory(reinterpret_cast<const void*>(from), size)) return;
  std::memcpy(block.snapshot, reinterpret_cast<const void*>(from), size);
  s.Size = size;
}

void ToPortableContext(const CONTEXT& in, TX86Context& out) {
  static_assert(offsetof(CONTEXT, ExtendedRegisters) == sizeof(TX86Context), "same layout as the system's");
  std::memcpy(&out, &in, sizeof out);
}

static_assert(offsetof(CONTEXT, Eip) == offsetof(TX86Context, Eip) &&
                  offsetof(CONTEXT, Esp) == offsetof(TX86Context, Esp) &&
                  offsetof(CONTEXT, Edi) == offsetof(TX86Context, Edi) &&
                  offsetof(CONTEXT, SegSs) == offsetof(TX86Context, SegSs),
              "portable context fields at the system's offsets");
