// The report entry as it stands until the report pipeline is built: it keeps the rule that a
// thread whose report runs gets no second one, runs the exception-notify handlers, writes
// down what arrived (capture_record.h) and asks for the caller's default handling.
#include <windows.h>

#include <string>

#include "exceptions/capture/capture_record.h"
#include "exceptions/capture/captured_exception.h"
#include "exceptions/capture/events.h"
#include "exceptions/capture/fault_conversion_win32.h"
#include "exceptions/capture/locks_win32.h"
#include "exceptions/capture/reporter_win32.h"
#include "exceptions/capture/thread_block_win32.h"
#include "exceptions/capture/thread_list_win32.h"

namespace {

std::string gRecordFile;
void (*gObserver)(const std::string&);

void WriteRecord(const std::string& line) {
  if (gObserver) gObserver(line);
  if (gRecordFile.empty()) return;
  HANDLE file = CreateFileA(gRecordFile.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::string text = line + "\r\n";
  DWORD written;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

struct TStateAccess {
  TCaptureRecord* record;
  bool* busy;
  bool enter;
};

// Reads the reported thread's context and snapshot size, and sets or clears its in-report
// flag, under its block's lock.
void VisitState(TThreadBlock& b, void* data) {
  auto* a = static_cast<TStateAccess*>(data);
  TWriteGuard guard(b.lock);
  if (!a->enter) {
    b.state.InReport = 0;
    return;
  }
  *a->busy = b.state.InReport != 0;
  if (*a->busy) return;
  b.state.InReport = 1;
  a->record->snapshotSize = b.snapshotInfo.Size;
  if (b.state.HasContext) {
    a->record->eip = b.state.Context.Eip;
    a->record->esp = b.state.Context.Esp;
  }
}

}  // namespace

void SetCaptureRecordFile(const std::string& path) {
  TCriticalSectionGuard guard(ReporterLock());
  gRecordFile = path;
}

void SetCaptureRecordObserver(void (*observer)(const std::string& line)) { gObserver = observer; }

uint8_t HandleCapturedException(const TCapturedException& e) {
  if (!ReporterActive()) return 1;
  TCriticalSectionGuard guard(ReporterLock());
  TCaptureRecord r;
  bool busy = false;
  TStateAccess access{&r, &busy, true};
  if (!WithThreadBlock(e.threadId, &VisitState, &access) || busy) return busy ? 0 : 1;

  uintptr_t address = e.fromRaiseCall ? e.address - 5 : e.address;
  r.className = ExceptionClassName(e.exception);
  r.message = ExceptionMessageOf(e.exception);
  r.address = static_cast<unsigned>(address);
  void* module = ModuleOfAddress(reinterpret_cast<void*>(address));
  r.rva = module ? static_cast<unsigned>(address - reinterpret_cast<uintptr_t>(module)) : 0;
  r.module = ModuleNameOfAddress(address);
  r.threadId = e.threadId;
  r.mainThread = e.threadId == MainThreadId();
  r.raiserKind = e.raiserKind;
  r.handlerKind = e.handlerKind;

  TExceptNotifyParams p;
  p.ExceptionObject = e.exception.object;
  p.ExceptionAddress = reinterpret_cast<void*>(address);
  p.ThreadId = e.threadId;
  p.ModuleHandle = module;
  p.RaiserKind = e.raiserKind;
  p.HandlerKind = e.handlerKind;
  p.FromRaiseCall = e.fromRaiseCall;
  p.ExceptionType = e.exception.type;
  p.SetClassName(r.className);
  {
    TExceptionInfoScope info(p);
    WriteRecord(FormatCaptureRecord(r));
    bool handle = true;
    RunExceptionNotify(p, handle);
  }
  access.enter = false;
  WithThreadBlock(e.threadId, &VisitState, &access);
  return 1;
}
