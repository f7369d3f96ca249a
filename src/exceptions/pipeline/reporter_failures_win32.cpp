#include "exceptions/pipeline/reporter_failures_win32.h"

#include <windows.h>

#include "exceptions/capture/capture_state.h"
#include "exceptions/capture/reporter_win32.h"
#include "exceptions/capture/unit_sections.h"
#include "exceptions/options/module_options.h"
#include "exceptions/options/texts.h"
#include "exceptions/pipeline/pipeline_rules.h"
#include "framework/exception.h"

void ReporterWarning(TQuillonLogErrorCode code, uint32_t address, const std::string& message) {
  OutputDebugStringA(WarningDebugLine(code, address, message).c_str());
  // There are no send methods in this program, so no sending code ever arrives here; the box
  // stays for when there are.
  const TQuillonModuleOptions* o = Reporter().options;
  if (WarningShowsMessageBox(code) && o && (o->SendFlags() & snShowResult))
    MessageBoxA(nullptr, message.c_str(), o->Text(qtError).c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void ReporterInternalError(int section, const TObject* object, const std::string& className,
                           const std::exception* failure) {
  TInternalErrorHandler handler = InternalErrorHandler();
  if (!handler) return;
  TInternalError e;
  e.section = std::to_string(section);
  if (CaptureState* s = CurrentCaptureState()) e.address = s->Last.address;
  e.exceptionClass = object ? className : (failure ? "std::exception" : "");
  e.message = failure ? failure->what() : "General internal error.";
  handler(e);
}

void RestartProgram() {
  std::string command = GetCommandLineA();
  const std::string& dir = Reporter().startDirectory;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  constexpr DWORD kNewGroupNormalPriority = CREATE_NEW_PROCESS_GROUP | NORMAL_PRIORITY_CLASS;  // 0x220
  if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, kNewGroupNormalPriority, nullptr,
                     dir.empty() ? nullptr : dir.c_str(), &si, &pi)) {
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
}
