#include "exceptions/capture/fault_conversion_win32.h"

#include <windows.h>

#include <cstring>

#include "exceptions/capture/fault_classes.h"
#include "exceptions/capture/fault_texts.h"
#include "exceptions/capture/raise_path_win32.h"
#include "exceptions/capture/reporter_win32.h"
#include "exceptions/capture/thread_block_win32.h"
#include "exceptions/capture/thread_list_win32.h"
#include "exceptions/capture/unwind_info.h"

// libgcc's lookup of the frame description entry that covers an address.
struct TDwarfEhBases {
  void* tbase;
  void* dbase;
  void* func;
};
extern "C" const void* _Unwind_Find_FDE(void* pc, TDwarfEhBases* bases);

namespace {

uintptr_t gImageStart, gImageEnd;
void* gHandler;

void NoteImage() {
  auto* base = reinterpret_cast<const uint8_t*>(GetModuleHandleA(nullptr));
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
  gImageStart = reinterpret_cast<uintptr_t>(base);
  gImageEnd = gImageStart + nt->OptionalHeader.SizeOfImage;
}

template <class E>
struct Tag {
  using type = E;
};

// Calls f with the tag of the class a fault maps to.
template <class F>
decltype(auto) ForFaultClass(TFaultClass cls, F&& f) {
  switch (cls) {
    case TFaultClass::AccessViolation: return f(Tag<EAccessViolation>{});
    case TFaultClass::DivByZero: return f(Tag<EDivByZero>{});
    case TFaultClass::IntOverflow: return f(Tag<EIntOverflow>{});
    case TFaultClass::InvalidOp: return f(Tag<EInvalidOp>{});
    case TFaultClass::ZeroDivide: return f(Tag<EZeroDivide>{});
    case TFaultClass::Overflow: return f(Tag<EOverflow>{});
    case TFaultClass::Underflow: return f(Tag<EUnderflow>{});
    case TFaultClass::InvalidOpCode: return f(Tag<EInvalidOpCode>{});
    case TFaultClass::Privilege: return f(Tag<EPrivilege>{});
    case TFaultClass::StackOverflow: return f(Tag<EStackOverflow>{});
    case TFaultClass::External: break;
  }
  return f(Tag<EExternalException>{});
}

[[noreturn]] void ThrowOfClass(TFaultClass cls, const std::string& message) {
  ForFaultClass(cls, [&](auto tag) -> int { throw typename decltype(tag)::type(message); });
  __builtin_unreachable();
}

std::string MessageOf(const TPendingFault& f) {
  uintptr_t info[2] = {f.info[0], f.info[1]};
  return FaultMessage(f.code, f.address, ModuleNameOfAddress(f.address), info, f.infoCount);
}

// Entered as if the faulting instruction had called it: the unwinder sees the faulting
// frame as its caller, so the throw leaves from that instruction.
[[noreturn]] __attribute__((noinline)) void ThrowPendingFault() {
  TThreadBlock* b = ExistingThreadBlock();
  ThrowOfClass(FaultClassOf(b->fault.code), MessageOf(b->fault));
}

// ---- stack overflow ----------------------------------------------------------------------

struct TOverflow {
  volatile LONG claimed;
  DWORD threadId;
  uintptr_t address;
  uintptr_t stackTop;
  TX86Context context;
};
TOverflow gOverflow;
HANDLE gOverflowEvent;
HANDLE gOverflowThread;
volatile LONG gOverflowStop;

DWORD WINAPI OverflowWatcher(void*) {
  WaitForSingleObject(gOverflowEvent, INFINITE);
  if (gOverflowStop) return 0;
  TRaiseInfo info;
  uintptr_t noInfo[2] = {};
  std::string message =
      FaultMessage(0xC00000FD, gOverflow.address, ModuleNameOfAddress(gOverflow.address), noInfo, 0);
  auto* standIn = new EStackOverflow(message);  // the process ends below: never freed
  info.exception.object = standIn;
  info.exception.type = &typeid(EStackOverflow);
  info.address = gOverflow.address;
  info.context = &gOverflow.context;
  info.raiseStackPointer = gOverflow.context.Esp;
  info.uncaught = true;
  HandleForeignThreadException(gOverflow.threadId, info, gOverflow.stackTop);
  TerminateProcess(GetCurrentProcess(), 1);
  return 1;
}

// Runs on the overflowing thread with only what is left of its stack: hand over, then wait
// for the end of the process.
LONG OnStackOverflow(EXCEPTION_POINTERS* ep) {
  if (!gOverflowEvent) return EXCEPTION_CONTINUE_SEARCH;
  if (InterlockedCompareExchange(&gOverflow.claimed, 1, 0) == 0) {
    gOverflow.threadId = GetCurrentThreadId();
    gOverflow.address = reinterpret_cast<uintptr_t>(ep->ExceptionRecord->ExceptionAddress);
    gOverflow.stackTop = CurrentStackTop();
    std::memcpy(&gOverflow.context, ep->ContextRecord, sizeof gOverflow.context);
    SetEvent(gOverflowEvent);
  }
  for (;;) Sleep(INFINITE);
}

LONG CALLBACK OnVectoredException(EXCEPTION_POINTERS* ep) {
  DWORD code = ep->ExceptionRecord->ExceptionCode;
  if (code == STATUS_STACK_OVERFLOW) return OnStackOverflow(ep);
  TFaultClass cls;
  if (!ConvertibleFault(code, &cls)) return EXCEPTION_CONTINUE_SEARCH;
  CONTEXT* c = ep->ContextRecord;
  uintptr_t pc = c->Eip;
  if (!CanThrowFromFault(pc)) return EXCEPTION_CONTINUE_SEARCH;
  TThreadBlock* b = CurrentThreadBlock();
  // A fault in the capture path itself, or while a fault waits to be thrown, goes on to the
  // unhandled-exception filter.
  if (!b || b->fault.pending || __atomic_load_n(&b->state.InCapture, __ATOMIC_ACQUIRE))
    return EXCEPTION_CONTINUE_SEARCH;
  TPendingFault& f = b->fault;
  f.code = code;
  f.address = pc;
  f.infoCount = ep->ExceptionRecord->NumberParameters;
  f.info[0] = f.infoCount > 0 ? ep->ExceptionRecord->ExceptionInformation[0] : 0;
  f.info[1] = f.infoCount > 1 ? ep->ExceptionRecord->ExceptionInformation[1] : 0;
  ToPortableContext(*c, f.context);
  f.pending = true;
  // Resume in the thrower, with the faulting instruction as its "return address" + 1: the
  // unwinder looks up the caller at return address - 1.
  c->Esp -= 4;
  *reinterpret_cast<uint32_t*>(c->Esp) = static_cast<uint32_t>(pc + 1);
  c->Eip = reinterpret_cast<DWORD>(&ThrowPendingFault);
  return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

std::string ModuleNameOfAddress(uintptr_t address) {
  HMODULE module = nullptr;
  char path[MAX_PATH] = "";
  if (!GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCSTR>(address), &module) ||
      !GetModuleFileNameA(module, path, sizeof path))
    return "";
  const char* name = path;
  for (const char* p = path; *p; ++p)
    if (*p == '\\' || *p == '/') name = p + 1;
  return name;
}

bool CanThrowFromFault(uintptr_t pc) {
  if (!gImageStart) NoteImage();
  if (pc < gImageStart || pc >= gImageEnd) return false;
  TDwarfEhBases bases{};
  const void* fde = _Unwind_Find_FDE(reinterpret_cast<void*>(pc), &bases);
  if (!fde) return false;
  TEhBases b;
  b.text = reinterpret_cast<uintptr_t>(bases.tbase);
  b.data = reinterpret_cast<uintptr_t>(bases.dbase);
  return ExamineFde(static_cast<const uint8_t*>(fde), pc, b).ThrowSafe();
}

Exception* NewFaultException(uint32_t code, uintptr_t address, const uintptr_t* info, uint32_t infoCount) {
  std::string message = FaultMessage(code, address, ModuleNameOfAddress(address), info, infoCount);
  return ForFaultClass(FaultClassOf(code),
                       [&](auto tag) -> Exception* { return new typename decltype(tag)::type(message); });
}

void InstallFaultConversion() {
  NoteImage();
  if (!gHandler) gHandler = AddVectoredExceptionHandler(1, &OnVectoredException);
  if (!gOverflowThread) {
    gOverflowStop = 0;
    gOverflowEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD id = 0;
    gOverflowThread =
        CreateThread(nullptr, 64 * 1024, &OverflowWatcher, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION, &id);
    if (gOverflowThread) ExcludeThread(id);
  }
}

void RemoveFaultConversion() {
  if (gHandler) RemoveVectoredExceptionHandler(gHandler);
  gHandler = nullptr;
  if (gOverflowThread) {
    InterlockedExchange(&gOverflowStop, 1);
    SetEvent(gOverflowEvent);
    WaitForSingleObject(gOverflowThread, 1000);
    CloseHandle(gOverflowThread);
    gOverflowThread = nullptr;
  }
  if (gOverflowEvent) CloseHandle(gOverflowEvent);
  gOverflowEvent = nullptr;
}
