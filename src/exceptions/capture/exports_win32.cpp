#include "exceptions/capture/exports_win32.h"

#include <windows.h>

#include <algorithm>
#include <memory>

#include "exceptions/capture/captured_exception.h"
#include "exceptions/capture/events.h"
#include "exceptions/capture/exception_object.h"
#include "exceptions/capture/fault_conversion_win32.h"
#include "exceptions/capture/locks_win32.h"
#include "exceptions/capture/memory_win32.h"
#include "exceptions/capture/raise_path_win32.h"
#include "exceptions/capture/reporter_win32.h"
#include "exceptions/capture/thread_block_win32.h"
#include "exceptions/capture/thread_list_win32.h"
#include "exceptions/capture/thread_tracking_win32.h"
#include "framework/cpp_exception.h"
#include "framework/exception.h"

namespace {

// The framework hands a C++ exception from outside the Exception family on as an
// ECppException that holds the thrown object: the report is about that object, with the
// address and stack its throw recorded.
TExceptionObject Unwrapped(const TExceptionObject& given, const TLastException& last) {
  auto* wrapper = dynamic_cast<ECppException*>(AsFrameworkObject(given.object, given.type));
  if (!wrapper) return given;
  if (const std::exception* thrown = wrapper->StdException())
    if (TExceptionObject r = ResolvePolymorphic(thrown)) return r;
  if (wrapper->Type() && last.type && *wrapper->Type() == *last.type) return {last.object, last.type};
  return given;
}

}  // namespace

uint8_t __stdcall ExceptionManager(void* object, void* address, uint8_t raiserKind, void* module) {
  try {
    // An excluded thread (the report worker) must not wait for the lock: the thread whose
    // report it makes holds it.
    uint32_t tid = GetCurrentThreadId();
    if (IsThreadExcluded(tid)) return 1;
    TCriticalSectionGuard guard(ReporterLock());
    if (!ReporterActive()) return 1;
    TThreadBlock* b = CurrentThreadBlock();
    if (!b) return 1;
    TLastException last;
    {
      TReadGuard read(b->lock);
      last = b->state.Last;
    }
    TExceptionObject given = Unwrapped(ResolvePolymorphic(object), last);
    TExceptionObject lastObject{last.object, last.type};
    bool lastLive = lastObject && IsReadableMemory(last.object, 1);
    if (!given && !lastLive) return 1;
    TCapturedException e;
    if (!given || given.object == last.object) {
      // The thrown object as the throw recorded it, with the throw's address.
      e.exception = given ? given : lastObject;
      e.address = address ? reinterpret_cast<uintptr_t>(address) : last.address;
      e.fromRaiseCall = address ? false : last.fromRaiseCall;
    } else {
      e.exception = given;
      e.address = reinterpret_cast<uintptr_t>(address);
    }
    if (!b->state.ExceptionStackPointer) b->state.ExceptionStackPointer = b->state.RaiseStackPointer;
    e.raiserKind = raiserKind;
    e.threadId = tid;
    e.module = module;
    return HandleCapturedException(e);
  } catch (...) {
    return 1;
  }
}

namespace {

ThreadRecord ForeignRecord(const ThreadRecord& in) {
  // The record comes from another module: its handles and blocks stay that module's.
  ThreadRecord r = in;
  r.OwnHandle = nullptr;
  if (in.OwnHandle)
    DuplicateHandle(GetCurrentProcess(), in.OwnHandle, GetCurrentProcess(), &r.OwnHandle, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
  r.OwnedBlock = nullptr;
  return r;
}

}  // namespace

void __stdcall QuillonLog_CallCreateThread(const ThreadRecord* record) {
  TQuillonThreadsList* threads = ReporterThreads();
  if (!threads || !record || !Reporter().captureInstalled) return;
  threads->Add(ForeignRecord(*record));
}

void __stdcall QuillonLog_CallResumeThread(void* threadHandle, const ThreadRecord* record) {
  TQuillonThreadsList* threads = ReporterThreads();
  CaptureState* s = CurrentCaptureState();
  if (!threads || !record || (s && s->InsidePipeline)) return;
  ThreadRecord r = *record;
  r.OwnHandle = nullptr;  // the list keeps its own
  r.OwnedBlock = nullptr;
  threads->ResumeByHandle(threadHandle, r);
}

void __stdcall QuillonLog_CallExitThread() {
  if (TQuillonThreadsList* threads = ReporterThreads()) threads->Remove(GetCurrentThreadId());
}

void* __stdcall QuillonLog_CallExceptObject(const void* exceptionRecord, const void* contextRecord,
                                            uint8_t notify) {
  if (!exceptionRecord) return nullptr;
  try {
    auto* rec = static_cast<const EXCEPTION_RECORD*>(exceptionRecord);
    auto address = reinterpret_cast<uintptr_t>(rec->ExceptionAddress);
    uintptr_t info[2] = {rec->NumberParameters > 0 ? rec->ExceptionInformation[0] : 0,
                         rec->NumberParameters > 1 ? rec->ExceptionInformation[1] : 0};
    Exception* object = NewFaultException(rec->ExceptionCode, address, info, rec->NumberParameters);
    TRaiseInfo raise;
    raise.exception = ResolvePolymorphic(object);
    raise.address = address;
    TX86Context context{};
    if (contextRecord) {
      ToPortableContext(*static_cast<const CONTEXT*>(contextRecord), context);
      raise.context = &context;
      raise.raiseStackPointer = context.Esp;
    }
    if (notify) {
      HandleRaisedException(raise);
    } else if (TThreadBlock* b = CurrentThreadBlock(); b && contextRecord) {
      TWriteGuard guard(b->lock);
      b->state.Context = context;
      b->state.HasContext = true;
    }
    return object;
  } catch (...) {
    return nullptr;
  }
}

void __stdcall QuillonLog_CallGeneralRaise(uint32_t code, uint32_t flags, uint32_t argCount,
                                           void* raiseStackPointer, const uintptr_t* args) {
  if (code != kLanguageRaiseCode || flags != 1 || argCount != 7 || !args) return;
  TRaiseInfo info;
  info.address = args[0];
  info.fromRaiseCall = true;
  info.exception.object = reinterpret_cast<void*>(args[1]);
  info.exception.type = reinterpret_cast<const std::type_info*>(args[2]);
  info.raiseStackPointer = reinterpret_cast<uintptr_t>(raiseStackPointer);
  TX86Context& c = info.rebuilt;
  c.ContextFlags = kFullContext;
  c.Eax = static_cast<uint32_t>(args[1]);
  c.Edx = static_cast<uint32_t>(args[0]);
  c.Ebx = static_cast<uint32_t>(args[3]);
  c.Esi = static_cast<uint32_t>(args[4]);
  c.Edi = static_cast<uint32_t>(args[5]);
  c.Ebp = static_cast<uint32_t>(args[6]);
  c.Esp = static_cast<uint32_t>(info.raiseStackPointer);
  c.Eip = static_cast<uint32_t>(args[0] - 5);
  if (CaptureState* s = CurrentCaptureState()) c.Ecx = s->SavedCounter;
  HandleRaisedException(info);
}

namespace {

// Copies the record in, installs it as ExceptionInfo while the handlers run (with a
// stand-in for an object that belongs to another module) and puts ours back.
class TBridge {
 public:
  explicit TBridge(const TExceptNotifyParams* params) {
    if (params) installed_ = *params;
    void* object = installed_.ExceptionObject;
    if (object && !OurObject(object)) {
      standIn_ = std::make_unique<Exception>(installed_.ClassName());
      installed_.ExceptionObject = standIn_.get();
      installed_.ExceptionType = &typeid(Exception);
    }
    scope_ = std::make_unique<TExceptionInfoScope>(installed_);
  }
  const TExceptNotifyParams& Params() const { return installed_; }

 private:
  // A polymorphic object whose method table lies in this module.
  static bool OurObject(const void* object) {
    if (!ResolvePolymorphic(object)) return false;
    return ModuleOfAddress(*static_cast<void* const*>(object)) == GetModuleHandleA(nullptr);
  }
  TExceptNotifyParams installed_;
  std::unique_ptr<Exception> standIn_;
  std::unique_ptr<TExceptionInfoScope> scope_;
};

void FillShortString(char* buffer, int32_t size, const std::string& text) {
  if (!buffer || size < 1) return;
  size_t n = std::min<size_t>({text.size(), static_cast<size_t>(size - 1), 255});
  buffer[0] = static_cast<char>(n);
  std::copy(text.begin(), text.begin() + static_cast<ptrdiff_t>(n), buffer + 1);
}

std::string ReadShortString(const char* buffer, int32_t size) {
  if (!buffer || size < 1) return "";
  size_t n = std::min<size_t>(static_cast<uint8_t>(buffer[0]), static_cast<size_t>(size - 1));
  return std::string(buffer + 1, n);
}

}  // namespace

void __stdcall QuillonLog_ExceptionNotifyEvent(const TExceptNotifyParams* params, uint8_t* handle) {
  TBridge bridge(params);
  bool h = handle ? *handle != 0 : true;
  RunExceptionNotify(bridge.Params(), h);
  if (handle) *handle = h;
}

void __stdcall QuillonLog_ExceptionActionNotifyEvent(const TExceptNotifyParams* params, int32_t action,
                                                     uint8_t* execute) {
  TBridge bridge(params);
  bool x = execute ? *execute != 0 : true;
  RunActionNotify(bridge.Params(), action, x);
  if (execute) *execute = x;
}

void __stdcall QuillonLog_ExceptionErrorNotifyEvent(const TExceptNotifyParams* params, int32_t errorCode,
                                                    uint8_t* retry) {
  TBridge bridge(params);
  bool r = retry ? *retry != 0 : false;
  RunErrorNotify(bridge.Params(), errorCode, r);
  if (retry) *retry = r;
}

void __stdcall QuillonLog_CustomDataRequestEvent(const TExceptNotifyParams* params,
                                                 std::vector<std::string>* lines) {
  if (!lines) return;
  TBridge bridge(params);
  RunCustomDataRequest(bridge.Params(), *lines);
}

void __stdcall QuillonLog_AttachedFilesRequestEvent(const TExceptNotifyParams* params,
                                                    std::vector<std::string>* files) {
  if (!files) return;
  TBridge bridge(params);
  RunAttachedFilesRequest(bridge.Params(), *files);
}

void __stdcall QuillonLog_CustomFieldsRequestEvent(const TExceptNotifyParams* params,
                                                   std::vector<std::string>* fields) {
  if (!fields) return;
  TBridge bridge(params);
  RunCustomWebFieldsRequest(bridge.Params(), *fields);
}

void __stdcall QuillonLog_PasswordRequestEvent(char* buffer, int32_t size) {
  std::string password = ReadShortString(buffer, size);
  RunPasswordRequest(ExceptionInfo(), password);
  FillShortString(buffer, size, password);
}

void __stdcall QuillonLog_PasswordRequestEventEx(const TExceptNotifyParams* params, char* buffer,
                                                 int32_t size) {
  TBridge bridge(params);
  std::string password = ReadShortString(buffer, size);
  RunPasswordRequest(bridge.Params(), password);
  FillShortString(buffer, size, password);
}
