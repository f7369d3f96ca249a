#include "exceptions/capture/uncaught_win32.h"

#include <cxxabi.h>
#include <windows.h>

#include <exception>

#include "exceptions/capture/fault_conversion_win32.h"
#include "exceptions/capture/fault_texts.h"
#include "exceptions/capture/raise_path_win32.h"
#include "exceptions/capture/thread_block_win32.h"
#include "exceptions/capture/thread_list_win32.h"
#include "framework/exception.h"

namespace {

std::terminate_handler gPreviousTerminate;
LPTOP_LEVEL_EXCEPTION_FILTER gPreviousFilter;
bool gInstalled;

[[noreturn]] void EndAfterUncaught() {
  if (GetCurrentThreadId() == MainThreadId()) TerminateProcess(GetCurrentProcess(), 1);
  ExitThread(1);
}

// The exception being handled, as the thread's raise path recorded it when thrown, else as
// far as a rethrow lets us see it.
TExceptionObject CurrentException(const TLastException& last, bool* recorded) {
  *recorded = false;
  const std::type_info* type = abi::__cxa_current_exception_type();
  if (!type) return {};
  if (last.type && *last.type == *type) {
    *recorded = true;
    return {last.object, last.type};
  }
  try {
    throw;
  } catch (TObject& o) {
    return ResolvePolymorphic(&o);
  } catch (std::exception& e) {
    return ResolvePolymorphic(&e);
  } catch (...) {
  }
  return {};
}

void OnTerminate() {
  TThreadBlock* b = CurrentThreadBlock();
  TRaiseInfo info;
  info.uncaught = true;
  bool recorded = false;
  TLastException last;
  TX86Context context{};
  if (b) {
    TReadGuard guard(b->lock);
    last = b->state.Last;
    context = b->state.Context;
  }
  info.exception = CurrentException(last, &recorded);
  if (recorded) {
    // The throw already recorded it with its context and stack snapshot.
    info.address = last.address;
    info.fromRaiseCall = last.fromRaiseCall;
    info.context = &context;
    info.raiseStackPointer = b ? b->state.RaiseStackPointer : 0;
    info.sameAsLast = true;
  } else {
    if (!info.exception) {
      static Exception noException("The program ended without an exception to handle (std::terminate).");
      info.exception = {&noException, &typeid(Exception)};
    }
    info.address = reinterpret_cast<uintptr_t>(__builtin_return_address(0));
    info.raiseStackPointer = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  }
  HandleRaisedException(info);
  EndAfterUncaught();
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* ep) {
  const EXCEPTION_RECORD* rec = ep->ExceptionRecord;
  if (IsDebuggerNotification(rec->ExceptionCode))
    return gPreviousFilter ? gPreviousFilter(ep) : EXCEPTION_CONTINUE_SEARCH;
  auto address = reinterpret_cast<uintptr_t>(rec->ExceptionAddress);
  TThreadBlock* b = CurrentThreadBlock();
  bool already = false;
  if (b) {
    TReadGuard guard(b->lock);
    already = b->state.Last.address == address && !b->state.Last.fromRaiseCall && b->state.Last.object;
  }
  TRaiseInfo info;
  uintptr_t params[2] = {rec->NumberParameters > 0 ? rec->ExceptionInformation[0] : 0,
                         rec->NumberParameters > 1 ? rec->ExceptionInformation[1] : 0};
  Exception* standIn = NewFaultException(rec->ExceptionCode, address, params, rec->NumberParameters);
  info.exception = ResolvePolymorphic(standIn);  // the process or thread ends: never freed
  info.address = address;
  info.uncaught = true;
  TX86Context context;
  ToPortableContext(*ep->ContextRecord, context);
  info.context = &context;
  info.raiseStackPointer = context.Esp;
  info.sameAsLast = already;
  HandleRaisedException(info);
  EndAfterUncaught();
}

}  // namespace

void InstallUncaughtHandlers() {
  if (gInstalled) return;
  gInstalled = true;
  gPreviousTerminate = std::set_terminate(&OnTerminate);
  gPreviousFilter = SetUnhandledExceptionFilter(&OnUnhandledException);
}

void RemoveUncaughtHandlers() {
  if (!gInstalled) return;
  gInstalled = false;
  std::set_terminate(gPreviousTerminate);
  SetUnhandledExceptionFilter(gPreviousFilter);
}
