// The report entry and the wait of the raising thread.
#include "exceptions/pipeline/report_pipeline_win32.h"

#include <windows.h>

#include <optional>
#include <string>

#include "exceptions/capture/capture_record.h"
#include "exceptions/capture/exception_object.h"
#include "exceptions/capture/fault_conversion_win32.h"
#include "exceptions/capture/locks_win32.h"
#include "exceptions/capture/reporter_win32.h"
#include "exceptions/capture/thread_block_win32.h"
#include "exceptions/capture/thread_list_win32.h"
#include "exceptions/dialog/error_dialog_win32.h"
#include "exceptions/options/module_options.h"
#include "exceptions/pipeline/pipeline_rules.h"
#include "exceptions/pipeline/report_run_win32.h"
#include "framework/exception.h"
#include "framework/object.h"

namespace nv_pipeline {
namespace {
TReportRun* gRun;
}
TReportRun* CurrentRun() { return gRun; }
void SetCurrentRun(TReportRun* run) { gRun = run; }
}  // namespace nv_pipeline

using nv_pipeline::TReportRun;

namespace {

bool gPumping = true;

// ---- the capture record: one line per exception that reaches the report entry ----------
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
  bool busy = false;
  bool enter = true;
};

// Sets or clears the reported thread's in-report flag under its block's lock, and reads what
// the capture record tells about its context and snapshot.
void VisitState(TThreadBlock& b, void* data) {
  auto* a = static_cast<TStateAccess*>(data);
  TWriteGuard guard(b.lock);
  if (!a->enter) {
    b.state.InReport = 0;
    return;
  }
  a->busy = b.state.InReport != 0;
  if (a->busy) return;
  b.state.InReport = 1;
  a->record->snapshotSize = b.snapshotInfo.Size;
  if (b.state.HasContext) {
    a->record->eip = b.state.Context.Eip;
    a->record->esp = b.state.Context.Esp;
  }
}

class TInReportFlag {
 public:
  TInReportFlag(uint32_t threadId, TCaptureRecord& r) : threadId_(threadId), access_{&r} {
    known_ = WithThreadBlock(threadId, &VisitState, &access_);
  }
  ~TInReportFlag() {
    if (!known_ || access_.busy) return;
    access_.enter = false;
    WithThreadBlock(threadId_, &VisitState, &access_);
  }
  bool Busy() const { return known_ && access_.busy; }

 private:
  uint32_t threadId_;
  TStateAccess access_;
  bool known_;
};

TCaptureRecord RecordOf(const TCapturedException& e, TCaptureRecord r) {
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
  return r;
}

// ---- the waiting thread --------------------------------------------------------------------

void RunStepHere(const std::function<void()>& step) {
  TThreadBlock* b = CurrentThreadBlock();
  bool was = b ? b->runningCallerStep : false;
  if (b) b->runningCallerStep = true;
  try {
    step();
  } catch (...) {
  }
  if (b) b->runningCallerStep = was;
}

void RunPendingStep(TReportRun& run) {
  const std::function<void()>* step = run.pendingStep.exchange(nullptr);
  if (!step) return;
  RunStepHere(*step);
  SetEvent(run.stepDone);
}

// One round of the main thread's queue: at most kMaxPumpedMessages messages. A WM_QUIT is
// kept for the program's own loop, which sees it again once the report is over.
void PumpRound(std::optional<int>& quit) {
  MSG msg;
  for (int i = 0; i < kMaxPumpedMessages && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    switch (PumpActionFor(msg.message)) {
      case TPumpAction::paDrop: break;
      case TPumpAction::paBeep: MessageBeep(MB_OK); break;
      case TPumpAction::paDispatch:
        if (msg.message == WM_QUIT) {
          quit = static_cast<int>(msg.wParam);
          break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        break;
    }
  }
}

void WaitForWorker(TReportRun& run, HANDLE worker) {
  bool pump = gPumping && run.waitingThread == MainThreadId() && !run.neverReported;
  HANDLE handles[2] = {worker, run.stepReady};
  std::optional<int> quit;
  for (;;) {
    if (pump) PumpRound(quit);
    if (run.dialogVisibleAt == std::chrono::steady_clock::time_point{}) {
      HWND dialog = CurrentErrorDialog();
      if (dialog && IsWindowVisible(dialog)) run.dialogVisibleAt = std::chrono::steady_clock::now();
    }
    // Woken at once by the worker's end, a handed step or (pumping) a new message; at the
    // latest after one round.
    DWORD w = pump ? MsgWaitForMultipleObjects(2, handles, FALSE, kWaitRoundMs, QS_ALLINPUT)
                   : WaitForMultipleObjects(2, handles, FALSE, kWaitRoundMs);
    if (w == WAIT_OBJECT_0) break;
    if (w == WAIT_OBJECT_0 + 1) RunPendingStep(run);
    if (w == WAIT_FAILED) Sleep(kWaitRoundMs);
  }
  RunPendingStep(run);
  if (quit) PostQuitMessage(*quit);
}

// ---- TExceptionThread ---------------------------------------------------------------------

DWORD WINAPI ExceptionThreadProc(void* p) {
  auto* run = static_cast<TReportRun*>(p);
  run->result = nv_pipeline::BuildAndShowReport(*run);
  return 0;
}

// The worker: highest priority, on the reporter's exclusion list from its first instruction
// (a failure inside the pipeline must not ask for a report of its own, and must never wait
// for the reporter lock the raising thread holds).
uint8_t RunOnWorker(TReportRun& run) {
  DWORD id = 0;
  HANDLE worker = CreateThread(nullptr, 0, &ExceptionThreadProc, &run, CREATE_SUSPENDED, &id);
  if (!worker) {
    run.onWorker = false;
    return nv_pipeline::BuildAndShowReport(run);
  }
  ExcludeThread(id);
  SetThreadPriority(worker, THREAD_PRIORITY_HIGHEST);
  run.workerId = id;
  run.onWorker = true;
  ResumeThread(worker);
  WaitForWorker(run, worker);
  CloseHandle(worker);
  IncludeThread(id);
  return run.result;
}

}  // namespace

void SetCaptureRecordFile(const std::string& path) {
  TCriticalSectionGuard guard(ReporterLock());
  gRecordFile = path;
}

void SetCaptureRecordObserver(void (*observer)(const std::string& line)) { gObserver = observer; }

void SetReportMessagePumping(bool on) { gPumping = on; }

void RunOnCallerThread(const std::function<void()>& step) {
  TReportRun* run = nv_pipeline::CurrentRun();
  if (!run || !run->onWorker || GetCurrentThreadId() == run->waitingThread) {
    RunStepHere(step);
    return;
  }
  run->pendingStep.store(&step);
  SetEvent(run->stepReady);
  while (WaitForSingleObject(run->stepDone, kWaitRoundMs) == WAIT_TIMEOUT) {
  }
}

uint8_t HandleCapturedException(const TCapturedException& e) {
  if (!ReporterActive()) return 1;
  // The report worker's own failures get no report: they must not even wait for the lock,
  // which the thread the worker serves holds. Threads the program excluded get none either.
  TReportRun* running = nv_pipeline::CurrentRun();
  if (running && running->onWorker && running->workerId == GetCurrentThreadId()) return 1;
  if (IsThreadExcluded(e.threadId)) return 1;
  TObject* object = AsFrameworkObject(e.exception.object, e.exception.type);
  std::string className = ExceptionClassName(e.exception);
  bool neverReported = IsNeverReportedClass(object, className);

  TCriticalSectionGuard guard(ReporterLock());
  TCaptureRecord record;
  TInReportFlag inReport(e.threadId, record);
  if (inReport.Busy()) return 0;
  if (IsSafeCallReported(ExceptionMessageOf(e.exception))) return 0;
  WriteRecord(FormatCaptureRecord(RecordOf(e, record)));
  if (neverReported) return 1;
  TQuillonModuleOptions* options = Reporter().options;
  if (!options || !options->ReporterEnabled()) return 1;

  TReportRun run;
  run.exception = e;
  run.stateKnown = CopyCaptureState(e.threadId, run.state);
  if (!CopyStackSnapshot(e.threadId, run.snapshotInfo, run.snapshot)) run.snapshotInfo = {};
  run.waitingThread = GetCurrentThreadId();
  run.neverReported = neverReported;
  run.stepReady = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  run.stepDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  TReportRun* previous = nv_pipeline::CurrentRun();
  nv_pipeline::SetCurrentRun(&run);
  uint8_t result = run.stepReady && run.stepDone ? RunOnWorker(run) : nv_pipeline::BuildAndShowReport(run);
  nv_pipeline::SetCurrentRun(previous);
  if (run.stepReady) CloseHandle(run.stepReady);
  if (run.stepDone) CloseHandle(run.stepDone);
  if (e.handlerKind == hkSafeCall) {
    // The message carries the prefix from now on, so the framework's second look at the same
    // object makes no second report.
    if (object && object->InheritsFrom("Exception")) {
      auto* ex = static_cast<Exception*>(object);
      ex->SetMessage(WithSafeCallPrefix(ex->Message()));
    }
  }
  return result;
}
