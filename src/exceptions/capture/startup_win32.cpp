// The reporter's start-up object. It is linked as an object, not as a library member, so
// that the linker keeps it although nothing refers to it: its constructor (highest priority
// of the program) starts the reporter's units before any other static initialiser, its
// destructor ends them after every other one, and its TLS callback tells the thread
// tracking about each thread's start and end.
#include <windows.h>

#include "exceptions/pipeline/report_pipeline_win32.h"
#include "exceptions/capture/exception_log_win32.h"
#include "exceptions/capture/startup.h"
#include "exceptions/capture/thread_tracking_win32.h"
#include "framework/exception.h"

namespace {

void NTAPI OnTlsEvent(PVOID, DWORD reason, PVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH: OnProcessAttach(); break;
    case DLL_THREAD_ATTACH: OnThreadAttach(); break;
    case DLL_THREAD_DETACH: OnThreadDetach(); break;
    default: break;
  }
}

__attribute__((constructor(101))) void StartReporter() {
  // A unit that fails before the internal-error handler exists raises "Critical error at
  // ..."; the program starts anyway, without what that unit gives.
  try {
    InitReporterUnits();
  } catch (Exception& e) {
    OutputDebugStringA(e.Message().c_str());
  } catch (...) {
  }
}

__attribute__((destructor(101))) void EndReporter() {
  try {
    DoneReporterUnits();
  } catch (...) {
  }
}

}  // namespace

// The loader calls the callbacks listed between the runtime's .CRT$XLA and .CRT$XLZ markers.
extern "C" const IMAGE_TLS_DIRECTORY _tls_used;
extern "C" __attribute__((section(".CRT$XLB"), used)) const PIMAGE_TLS_CALLBACK nv_reporter_tls_callback =
    &OnTlsEvent;
// Keeps the runtime's TLS directory in the image.
extern "C" __attribute__((used)) const void* const nv_reporter_tls_directory = &_tls_used;

TQuillonProgramScope::TQuillonProgramScope() {
  SetReporterStartingUp(false);
  StartReportPreparation();
}
TQuillonProgramScope::~TQuillonProgramScope() { SetReporterShuttingDown(true); }
