#include "exceptions/capture/raise_path_win32.h"

#include <unwind.h>
#include <windows.h>

#include <cstring>

#include "exceptions/capture/captured_exception.h"
#include "exceptions/capture/memory_win32.h"
#include "exceptions/capture/reporter_win32.h"
#include "exceptions/capture/thread_block_win32.h"
#include "exceptions/capture/thread_list_win32.h"

namespace {

bool gThrowCapture;
TRuntimeRoutines gRoutines;

uint32_t SegmentRegister(int which) {
  uint32_t v = 0;
  switch (which) {
    case 0: asm volatile("movl %%cs, %0" : "=r"(v)); break;
    case 1: asm volatile("movl %%ss, %0" : "=r"(v)); break;
    case 2: asm volatile("movl %%ds, %0" : "=r"(v)); break;
    case 3: asm volatile("movl %%es, %0" : "=r"(v)); break;
    case 4: asm volatile("movl %%fs, %0" : "=r"(v)); break;
    default: asm volatile("movl %%gs, %0" : "=r"(v)); break;
  }
  return v;
}

void RecordLast(TThreadBlock& b, const TRaiseInfo& info) {
  TWriteGuard guard(b.lock);
  CaptureState& s = b.state;
  s.Last.object = info.exception.object;
  s.Last.type = info.exception.type;
  s.Last.address = info.address;
  s.Last.fromRaiseCall = info.fromRaiseCall;
  s.Last.handled = info.handled;
  s.RaiseStackPointer = info.raiseStackPointer;
  s.SavedCounter = info.counter;
  s.ExceptionStackPointer = 0;
  s.Context = info.context ? *info.context : info.rebuilt;
  s.HasContext = true;
}

uintptr_t SnapshotAddress(const TRaiseInfo& info) {
  return info.fromRaiseCall ? info.address - 5 : info.address;
}

}  // namespace

bool ThrowCaptureInstalled() { return gThrowCapture; }
void SetThrowCaptureInstalled(bool on) { gThrowCapture = on; }

void HandleRaisedException(const TRaiseInfo& info) {
  TThreadBlock* b = CurrentThreadBlock();
  if (!b) return;
  CaptureState& s = b->state;
  uint8_t idle = 0;
  if (!__atomic_compare_exchange_n(&s.InCapture, &idle, 1, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE)) return;
  DWORD lastError = GetLastError();
  try {
    // While this thread's report runs, exceptions inside it (in its notify handlers) must not
    // replace what the report is reading.
    bool keep = !s.InReport && !info.sameAsLast;
    if (keep) RecordLast(*b, info);
    uint32_t tid = GetCurrentThreadId();
    if (ReporterActive() && !IsThreadExcluded(tid) && info.exception) {
      uintptr_t from = info.raiseStackPointer;
      uintptr_t here = reinterpret_cast<uintptr_t>(&from);
      if (from < CurrentStackLimit() || from >= CurrentStackTop()) from = here;
      if (keep) TakeStackSnapshot(*b, tid, from, CurrentStackTop(), SnapshotAddress(info));
      bool caught = !info.uncaught || info.handled;
      if (!caught) {
        if (!s.ExceptionStackPointer)
          s.ExceptionStackPointer = s.RaiseStackPointer ? s.RaiseStackPointer : from;
        TCapturedException e;
        e.exception = info.exception;
        e.address = info.address;
        e.fromRaiseCall = info.fromRaiseCall;
        e.raiserKind = rkGeneric;
        e.handlerKind = hkNormal;
        e.threadId = tid;
        HandleCapturedException(e);
      }
    }
  } catch (...) {
    // The reporter never lets its own failure stop the program.
  }
  SetLastError(lastError);
  __atomic_store_n(&s.InCapture, 0, __ATOMIC_RELEASE);
}

uint8_t HandleForeignThreadException(uint32_t threadId, const TRaiseInfo& info, uintptr_t stackTop) {
  struct Data {
    const TRaiseInfo* info;
    uintptr_t stackTop;
    uint32_t threadId;
  } data{&info, stackTop, threadId};
  WithThreadBlock(
      threadId,
      [](TThreadBlock& b, void* p) {
        auto* d = static_cast<Data*>(p);
        RecordLast(b, *d->info);
        b.state.ExceptionStackPointer = d->info->raiseStackPointer;
        TakeStackSnapshot(b, d->threadId, d->info->raiseStackPointer, d->stackTop, SnapshotAddress(*d->info));
      },
      &data);
  TCapturedException e;
  e.exception = info.exception;
  e.address = info.address;
  e.fromRaiseCall = info.fromRaiseCall;
  e.threadId = threadId;
  try {
    return HandleCapturedException(e);
  } catch (...) {
    return 1;
  }
}

// ---- C++ throws --------------------------------------------------------------------------
// The program links with --wrap=__cxa_throw: every throw, ours and the runtime library's own
// (vector::at, the stream classes), calls __wrap___cxa_throw below. The stub saves the
// registers the caller had at the call, runs the raise path, puts them back and jumps on to
// the real __cxa_throw with the stack as it found it.

namespace {

// The stack as the stub leaves it for NvCaptureThrow.
struct TThrowFrame {
  uint32_t ebx, esi, edi, ebp, ecx;
  uintptr_t returnAddress;
  void* object;
  std::type_info* type;
  void (*destructor)(void*);
};

}  // namespace

extern "C" void NvCaptureThrow(TThrowFrame* f) noexcept;

extern "C" void NvCaptureThrow(TThrowFrame* f) noexcept {
  if (!gThrowCapture) return;
  TThreadBlock* b = CurrentThreadBlock();
  if (!b) return;
  TRaiseInfo info;
  info.exception.object = f->object;
  info.exception.type = f->type;
  info.raiseStackPointer = reinterpret_cast<uintptr_t>(&f->object);  // ESP before the call
  info.counter = f->ecx;
  if (b->fault.pending) {
    // The thrower of a processor fault: the fault's own context and address.
    b->fault.pending = false;
    info.address = b->fault.address;
    info.fromRaiseCall = false;
    info.context = &b->fault.context;
    info.raiseStackPointer = b->fault.context.Esp;
  } else {
    info.address = f->returnAddress;
    info.fromRaiseCall = true;
    TX86Context& c = info.rebuilt;
    c.ContextFlags = kFullContext;
    c.Eax = reinterpret_cast<uint32_t>(f->object);
    c.Edx = f->returnAddress;
    c.Ebx = f->ebx;
    c.Esi = f->esi;
    c.Edi = f->edi;
    c.Ebp = f->ebp;
    c.Ecx = f->ecx;
    c.Esp = info.raiseStackPointer;
    c.Eip = f->returnAddress - 5;
    c.SegCs = SegmentRegister(0);
    c.SegSs = SegmentRegister(1);
    c.SegDs = SegmentRegister(2);
    c.SegEs = SegmentRegister(3);
    c.SegFs = SegmentRegister(4);
    c.SegGs = SegmentRegister(5);
    uint32_t flags;
    asm volatile("pushfl; popl %0" : "=r"(flags));
    c.EFlags = flags;
  }
  HandleRaisedException(info);
}

// i686 symbols carry a leading underscore.
asm(R"(
    .text
    .globl ___wrap___cxa_throw
    .def ___wrap___cxa_throw; .scl 2; .type 32; .endef
___wrap___cxa_throw:
    .cfi_startproc
    pushl %ecx
    .cfi_adjust_cfa_offset 4
    pushl %ebp
    .cfi_adjust_cfa_offset 4
    .cfi_rel_offset %ebp, 0
    pushl %edi
    .cfi_adjust_cfa_offset 4
    .cfi_rel_offset %edi, 0
    pushl %esi
    .cfi_adjust_cfa_offset 4
    .cfi_rel_offset %esi, 0
    pushl %ebx
    .cfi_adjust_cfa_offset 4
    .cfi_rel_offset %ebx, 0
    pushl %esp
    .cfi_adjust_cfa_offset 4
    call _NvCaptureThrow
    addl $4, %esp
    .cfi_adjust_cfa_offset -4
    popl %ebx
    .cfi_adjust_cfa_offset -4
    .cfi_restore %ebx
    popl %esi
    .cfi_adjust_cfa_offset -4
    .cfi_restore %esi
    popl %edi
    .cfi_adjust_cfa_offset -4
    .cfi_restore %edi
    popl %ebp
    .cfi_adjust_cfa_offset -4
    .cfi_restore %ebp
    popl %ecx
    .cfi_adjust_cfa_offset -4
    jmp ___real___cxa_throw
    .cfi_endproc
)");

extern "C" void __real___cxa_throw(void*, std::type_info*, void (*)(void*));
extern "C" void __gxx_personality_v0();

const TRuntimeRoutines& RuntimeRoutines() { return gRoutines; }

void LocateRuntimeRoutines() {
  gRoutines.cxaThrow = FollowJumpThunks(reinterpret_cast<void*>(&__real___cxa_throw));
  gRoutines.unwindRaise = FollowJumpThunks(reinterpret_cast<void*>(&_Unwind_RaiseException));
  gRoutines.personality = FollowJumpThunks(reinterpret_cast<void*>(&__gxx_personality_v0));
}
