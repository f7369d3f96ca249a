#include "exceptions/capture/app_hooks_win32.h"

#include <windows.h>

#include "exceptions/capture/captured_exception.h"
#include "exceptions/capture/exports_win32.h"
#include "exceptions/capture/hook_win32.h"
#include "exceptions/capture/thread_block_win32.h"
#include "framework/application_win32.h"

namespace {

using Method = void(__attribute__((thiscall)) *)(TApplication*, Exception*);
Method gHandleException, gShowException;
void* gHandleCode;
void* gShowCode;

uint8_t AskManager(Exception* e) {
  return ExceptionManager(e, nullptr, rkApplication, GetModuleHandleA(nullptr));
}

// Handler: no call-through when the reporter handled it; otherwise the original runs with
// the inside-handler flag set, so that its display routine does not ask again.
void __attribute__((thiscall)) HookedHandleException(TApplication* self, Exception* e) {
  TThreadBlock* b = CurrentThreadBlock();
  bool ask = !(b && b->runningCallerStep);
  if (ask && AskManager(e) == 0) return;
  if (b) b->insideApplicationHandler = true;
  gHandleException(self, e);
  if (b) b->insideApplicationHandler = false;
}

void __attribute__((thiscall)) HookedShowException(TApplication* self, Exception* e) {
  TThreadBlock* b = CurrentThreadBlock();
  if (!(b && b->insideApplicationHandler) && AskManager(e) == 0) return;
  gShowException(self, e);
}

}  // namespace

void InstallApplicationHooks() {
  gHandleCode = TApplication::HandleExceptionAddress();
  gShowCode = TApplication::ShowExceptionAddress();
  gHandleException = reinterpret_cast<Method>(HookProcedure(
      gHandleCode, reinterpret_cast<void*>(&HookedHandleException), "TApplication.HandleException"));
  gShowException = reinterpret_cast<Method>(
      HookProcedure(gShowCode, reinterpret_cast<void*>(&HookedShowException), "TApplication.ShowException"));
}

void RemoveApplicationHooks() {
  if (gHandleCode) UnhookProcedure(gHandleCode);
  if (gShowCode) UnhookProcedure(gShowCode);
}
