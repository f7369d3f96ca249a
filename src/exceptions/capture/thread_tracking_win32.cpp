#include "exceptions/capture/thread_tracking_win32.h"

#include <windows.h>

#include "exceptions/capture/captured_exception.h"
#include "exceptions/capture/exports_win32.h"
#include "exceptions/capture/hook_win32.h"
#include "exceptions/capture/reporter_win32.h"
#include "exceptions/capture/thread_block_win32.h"
#include "exceptions/capture/thread_list_win32.h"
#include "framework/thread_win32.h"

namespace {

void* DuplicateWithAccess(HANDLE source) {
  HANDLE dup = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), source, GetCurrentProcess(), &dup, kThreadHandleAccess, FALSE, 0))
    return nullptr;
  return dup;
}

using CreateThreadFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD,
                                       LPDWORD);
using ResumeThreadFn = DWORD(WINAPI*)(HANDLE);
using ExitThreadFn = void(WINAPI*)(DWORD);
CreateThreadFn gCreateThread;
ResumeThreadFn gResumeThread;
ExitThreadFn gExitThread;

bool IsFrameworkThreadStart(LPTHREAD_START_ROUTINE start) {
  auto at = reinterpret_cast<uintptr_t>(start);
  auto starter = reinterpret_cast<uintptr_t>(TThread::StartRoutine());
  return at >= starter && at < starter + 64;
}

TThread::TExceptionHandler gPreviousThreadHandler;

// The framework's one place for an exception that leaves a thread's Execute: on that thread,
// inside the catch block. The thread then ends with exit code 1.
void OnFrameworkThreadException(TThread& thread, Exception& e) {
  if (GetCurrentThreadId() == thread.ThreadID())
    ExceptionManager(&e, nullptr, rkGeneric, GetModuleHandleA(nullptr));
  if (gPreviousThreadHandler) gPreviousThreadHandler(thread, e);
}

HANDLE WINAPI HookedCreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stackSize,
                                 LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                                 LPDWORD threadId) {
  TQuillonThreadsList* threads = ReporterThreads();
  if (!threads) return gCreateThread(security, stackSize, start, parameter, flags, threadId);
  threads->PurgeEnded();
  // Made suspended, so that the record is listed before the thread can run or end.
  DWORD id = 0;
  HANDLE h = gCreateThread(security, stackSize, start, parameter, flags | CREATE_SUSPENDED, &id);
  if (!h) return h;
  ThreadRecord r;
  r.ThreadId = id;
  r.ThreadHandle = h;
  r.PlainStart = reinterpret_cast<void*>(start);
  r.StartParameter = parameter;
  // A framework thread: its start parameter is the TThread (its class is read once it runs,
  // when the object is whole).
  if (IsFrameworkThreadStart(start)) r.ThreadObject = parameter;
  r.OwnHandle = DuplicateWithAccess(h);
  threads->Add(r);
  if (threadId) *threadId = id;
  if (!(flags & CREATE_SUSPENDED)) gResumeThread(h);
  return h;
}

DWORD WINAPI HookedResumeThread(HANDLE thread) {
  TQuillonThreadsList* threads = ReporterThreads();
  CaptureState* s = CurrentCaptureState();
  if (threads && !(s && s->InsidePipeline)) {
    int i = threads->IndexOfHandle(thread);
    if (i >= 0) {
      ThreadRecord r = threads->At(i);
      threads->ResumeByHandle(thread, r);
    }
  }
  return gResumeThread(thread);
}

void WINAPI HookedExitThread(DWORD code) {
  if (TQuillonThreadsList* threads = ReporterThreads()) threads->Remove(GetCurrentThreadId());
  gExitThread(code);
}

}  // namespace

void OnProcessAttach() {
  InitThreadBlocks();
  AttachThreadBlock();
}

void OnThreadAttach() {
  AttachThreadBlock();
  TQuillonThreadsList* threads = ReporterThreads();
  if (!threads) return;
  DWORD id = GetCurrentThreadId();
  void* stackTop = reinterpret_cast<void*>(CurrentStackTop());
  bool known = threads->Update(id, [&](ThreadRecord& r) {
    r.StackTop = stackTop;
    if (r.ThreadObject) r.ThreadClass = &static_cast<TThread*>(r.ThreadObject)->ClassInfo();
  });
  if (known) return;
  ThreadRecord r;
  r.ThreadId = id;
  r.StackTop = stackTop;
  r.OwnHandle = DuplicateWithAccess(GetCurrentThread());
  threads->Add(r);
}

void OnThreadDetach() {
  if (TQuillonThreadsList* threads = ReporterThreads()) threads->Remove(GetCurrentThreadId());
  DetachThreadBlock();
}

void AddMainThreadRecord(void* mainHandle) {
  TQuillonThreadsList* threads = ReporterThreads();
  if (!threads) return;
  ThreadRecord r;
  r.ThreadId = GetCurrentThreadId();
  r.ThreadHandle = mainHandle;
  r.StackTop = reinterpret_cast<void*>(CurrentStackTop());
  r.OwnHandle = DuplicateWithAccess(GetCurrentThread());
  threads->Add(r);
}

namespace {

// Patches the executable's own import of a kernel32 routine; the real routine is kept for
// the call-through whether or not the executable imports it.
template <class F>
void HookKernel32(const char* name, void* replacement, F& original) {
  void* real = nullptr;
  HookModulesImport({""}, "kernel32.dll", true, &real, replacement, name);
  original = reinterpret_cast<F>(real);
}

}  // namespace

void InstallThreadHooks() {
  HookKernel32("CreateThread", reinterpret_cast<void*>(&HookedCreateThread), gCreateThread);
  HookKernel32("ResumeThread", reinterpret_cast<void*>(&HookedResumeThread), gResumeThread);
  HookKernel32("ExitThread", reinterpret_cast<void*>(&HookedExitThread), gExitThread);
  gPreviousThreadHandler = TThread::SetExceptionHandler(&OnFrameworkThreadException);
}

void RestoreThreadExceptionHandler() { TThread::SetExceptionHandler(gPreviousThreadHandler); }

void RemoveThreadHooks() {
  RestoreThreadExceptionHandler();
  UnhookImports(reinterpret_cast<void*>(&HookedCreateThread));
  UnhookImports(reinterpret_cast<void*>(&HookedResumeThread));
  UnhookImports(reinterpret_cast<void*>(&HookedExitThread));
}

void RecordThreadObject(uint32_t threadId, void* object, const TClassInfo* cls) {
  TQuillonThreadsList* threads = ReporterThreads();
  if (!threads) return;
  threads->Update(threadId, [&](ThreadRecord& r) {
    r.ThreadObject = object;
    r.ThreadClass = cls;
  });
}
