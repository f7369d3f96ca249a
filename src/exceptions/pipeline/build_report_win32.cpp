// BuildAndShowReport: the worker's part of a report.
#include <windows.h>

#include <cmath>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "exceptions/capture/capture_state.h"
#include "exceptions/capture/events.h"
#include "exceptions/capture/exception_log_win32.h"
#include "exceptions/capture/exception_object.h"
#include "exceptions/capture/fault_conversion_win32.h"
#include "exceptions/capture/reporter_win32.h"
#include "exceptions/capture/thread_block_win32.h"
#include "exceptions/capture/thread_list_win32.h"
#include "exceptions/dialog/clipboard_win32.h"
#include "exceptions/dialog/dialog_from_report.h"
#include "exceptions/dialog/dialog_model.h"
#include "exceptions/dialog/error_dialog_win32.h"
#include "exceptions/options/module_options.h"
#include "exceptions/options/texts.h"
#include "exceptions/pipeline/pipeline_rules.h"
#include "exceptions/pipeline/report_pipeline_win32.h"
#include "exceptions/pipeline/report_run_win32.h"
#include "exceptions/pipeline/reporter_failures_win32.h"
#include "exceptions/pipeline/thread_pause_win32.h"
#include "exceptions/report/report_log_win32.h"
#include "exceptions/report/report_text.h"
#include "exceptions/report/system_facts_win32.h"
#include "exceptions/stack/memory_reader_win32.h"
#include "exceptions/stack/modules_win32.h"
#include "exceptions/stack/stack_walk.h"
#include "exceptions/stack/threads_win32.h"
#include "framework/object.h"

namespace nv_pipeline {
namespace {

void (*gOutcomeObserver)(const TReportOutcome&);

// What lives from one report to the next. Made at the first report and never freed: a thread
// may still report while static objects are being destroyed.
struct TPipelineState {
  std::mutex lock;  // the report, or the preparation below
  TQuillonModulesList modules;
  bool modulesRead = false;
  TSystemFactsGatherer facts;
  TReportLog log;
  TRecentErrors recent;
};
TPipelineState& State() {
  static auto* s = new TPipelineState;
  return *s;
}

TThreadKind KindOf(const ThreadRecord& r) {
  if (IsMainThread(r)) return TThreadKind::tkMain;
  return IsFrameworkThread(r) ? TThreadKind::tkFramework : TThreadKind::tkPlain;
}

TReportDateTime DateOfDays(double days) {
  // Days since 1899-12-30 in local time.
  int bias = ReportDateTimeNow().biasMinutes;
  auto local = static_cast<int64_t>(std::llround((days - 25569.0) * 86400.0));
  return days > 0 ? TReportDateTime::FromUnix(local - bias * 60, bias) : TReportDateTime{};
}

TReportStackEntry ReportEntry(const TQuillonStackEntry& e) {
  TReportStackEntry r;
  r.kind = e.kind;
  r.module = e.module ? e.module->path : "";
  r.address = e.address;
  r.unitName = e.unitName;
  r.className = e.className;
  r.procedureName = e.procedureName;
  r.line = e.line;
  r.lineOffset = e.lineOffset;
  return r;
}

TReportThread ReportThreadOf(uint32_t id, const TQuillonThreadsList& threads, bool running) {
  TReportThread t;
  t.id = id;
  t.running = running;
  t.main = id == MainThreadId();
  ThreadRecord r;
  if (threads.Find(id, r)) {
    if (r.ThreadClass) t.className = r.ThreadClass->name;
    if (r.OwnHandle) {
      int p = GetThreadPriority(r.OwnHandle);
      if (p != THREAD_PRIORITY_ERROR_RETURN) t.priority = p;
    }
  }
  return t;
}

// Memory bytes for the CPU section, each 0..255 or unreadable.
void ReadBytes(TMemoryReader& memory, uint32_t address, TReportMemory& out) {
  out.address = address;
  for (int16_t& b : out.bytes) {
    uint8_t v;
    b = memory.Read(address, &v, 1) ? v : kUnreadableByte;
    ++address;
  }
}

// The reported thread's stack as it was at the raise: the snapshot taken when the exception
// arrived, with the live process behind it for everything outside.
struct TReportedStack {
  const TStackSnapshot& info;
  const CaptureState& state;
  bool known;
  TProcessMemoryReader live;
  TBufferMemoryReader memory{&live};
  explicit TReportedStack(const TReportRun& run)
      : info(run.snapshotInfo), state(run.state), known(run.stateKnown) {
    if (info.Size && run.snapshot.size() >= info.Size)
      memory.AddRegion(static_cast<uint32_t>(info.StartAddress), run.snapshot.data(), info.Size);
  }
};

void WalkReportedThread(TReportedStack& r, uint32_t threadId, uint32_t address, uint32_t stackTop,
                        const TQuillonModulesList& modules, TQuillonStackList& list) {
  TWalkParams p;
  p.firstAddress = address;
  if (r.info.Size) {
    p.stackStart = static_cast<uint32_t>(r.info.StartAddress);
    p.stackEnd = p.stackStart + r.info.Size;
  } else {
    p.stackStart = static_cast<uint32_t>(r.state.ExceptionStackPointer);
    p.stackEnd = stackTop;
  }
  p.maximum = 31;
  p.threadId = threadId;
  if (p.stackStart && p.stackEnd > p.stackStart) AppendCallStack(list, p, r.memory, modules);
}

// The thread's entries, reported thread first, then the others in walk order.
std::vector<TReportThread> GroupByThread(const TQuillonStackList& list, uint32_t reported,
                                         const TQuillonThreadsList& threads) {
  std::vector<TReportThread> out;
  out.push_back(ReportThreadOf(reported, threads, false));
  for (const TQuillonStackEntry& e : list) {
    TReportThread* t = nullptr;
    for (TReportThread& x : out)
      if (x.id == e.threadId) t = &x;
    if (!t) {
      out.push_back(ReportThreadOf(e.threadId, threads, true));
      t = &out.back();
    }
    t->entries.push_back(ReportEntry(e));
  }
  return out;
}

bool RunAction(const TExceptNotifyParams& p, int action) {
  bool execute = true;
  RunOnCallerThread([&] { RunActionNotify(p, action, execute); });
  return execute;
}

[[noreturn]] void Terminate(uint8_t action) {
  if (action == taRestart) RestartProgram();
  TerminateProcess(GetCurrentProcess(), 1);
  for (;;) Sleep(INFINITE);
}

std::mutex gDecoratorLock;
TReportWindowsDecorator& Decorator() {
  static auto* decorate = new TReportWindowsDecorator;  // reports may run while statics go
  return *decorate;
}

// The program's dressing of the report's windows, made when the first of them is about to
// show and released when the report ends, on the same thread.
class TDecoratedWindows {
 public:
  void Ensure() {
    if (tried_) return;
    tried_ = true;
    TReportWindowsDecorator decorate;
    {
      std::lock_guard<std::mutex> guard(gDecoratorLock);
      decorate = Decorator();
    }
    if (!decorate) return;
    // Plain windows are better than none: whatever fails here only costs the dressing.
    try {
      dress_ = decorate();
    } catch (...) {
      dress_.reset();
    }
  }

 private:
  bool tried_ = false;
  std::shared_ptr<void> dress_;
};

uint8_t Build(TReportRun& run, TPausedThreads& paused, int& section) {
  const TCapturedException& e = run.exception;
  TPipelineState& st = State();
  TReportOutcome outcome;
  // [1]
  section = 1;
  TReportSnapshot s;
  s.exception.date = ReportDateTimeNow();
  // [2] The list as it is now: threads that start or end from here on change nothing.
  section = 2;
  TQuillonThreadsList* live = ReporterThreads();
  if (!live) return 1;
  TQuillonThreadsList threads(*live);
  // [3] The address of the raising call itself.
  uintptr_t address = e.fromRaiseCall ? e.address - 5 : e.address;
  TObject* object = AsFrameworkObject(e.exception.object, e.exception.type);
  std::string className = ExceptionClassName(e.exception);
  TExceptNotifyParams p;
  p.ExceptionObject = e.exception.object;
  p.ExceptionAddress = reinterpret_cast<void*>(address);
  p.ThreadId = e.threadId;
  p.ModuleHandle = ModuleOfAddress(reinterpret_cast<void*>(address));
  p.RaiserKind = e.raiserKind;
  p.HandlerKind = e.handlerKind;
  p.FromRaiseCall = e.fromRaiseCall;
  p.ExceptionType = e.exception.type;
  p.SetClassName(className);
  TExceptionInfoScope info(p);
  // [101] One executable, one set of options: the running object.
  section = 101;
  const TQuillonModuleOptions& options = *Reporter().options;
  const TQuillonOptionValues& v = options.Values();
  s.settings = ReportSettingsFrom(options);

  // [201] A filter ends the report; with a message, the message box is all the user sees.
  section = 2;
  if (e.raiserKind != rkWeb) {
    TFilterOutcome f = ApplyFilters(options, object, className);
    if (f.matched) {
      section = 201;
      if (!f.message.empty()) {
        TDecoratedWindows windows;
        windows.Ensure();
        MessageBoxA(nullptr, f.message.c_str(), options.Text(qtInformation).c_str(),
                    MB_OK | MB_ICONINFORMATION | MB_TASKMODAL | MB_TOPMOST | MB_SERVICE_NOTIFICATION);
      }
      outcome.filtered = true;
      if (gOutcomeObserver) gOutcomeObserver(outcome);
      return 0;
    }
  }

  // Everything that allocates or asks the system comes before any thread is stopped.
  section = 3;
  st.facts.Gather(s, MainThreadId());
  if (!st.modulesRead || (v.ReportCheckFlags & rkRefreshModules)) {
    RefreshModuleList(st.modules);
    st.modulesRead = true;
  }
  TReportedStack reported(run);
  ThreadRecord reportedRecord;
  threads.Find(e.threadId, reportedRecord);
  uint32_t reportedTop = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(reportedRecord.StackTop));
  if (!reportedTop && reportedRecord.OwnHandle) reportedTop = TThreadStackWalker::StackTopOf(reportedRecord.OwnHandle);

  // [4] The call stacks: the reported thread's from its snapshot, then the other threads the
  // options show, each stopped only while its stack is copied.
  section = 4;
  TQuillonStackList stack;
  WalkReportedThread(reported, e.threadId, static_cast<uint32_t>(address), reportedTop, st.modules, stack);
  uint32_t self = GetCurrentThreadId();
  auto isOther = [&](const ThreadRecord& r) {
    return r.ThreadId != e.threadId && r.ThreadId != run.waitingThread && r.ThreadId != self &&
           r.OwnHandle && !IsThreadExcluded(r.ThreadId);
  };
  std::vector<ThreadRecord> records = threads.Records();
  std::vector<TThreadToWalk> others;
  for (const ThreadRecord& r : records)
    if (isOther(r) && ThreadStackShown(KindOf(r), v.StackFlags))
      others.push_back({r.ThreadId, r.OwnHandle, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(r.StackTop))});
  if (!others.empty()) WalkOtherThreads(others, {run.waitingThread, e.threadId}, stack, st.modules);

  s.threads = GroupByThread(stack, e.threadId, threads);
  for (size_t i = 0; i < st.modules.Count(); ++i) {
    const TQuillonModule& m = st.modules[i];
    s.modules.push_back({m.handle, m.path, m.description, m.version, m.fileSize, DateOfDays(m.modified)});
  }
  s.exception.address = static_cast<uint32_t>(address);
  if (const TQuillonModule* m = st.modules.FindByAddress(static_cast<uint32_t>(address)))
    s.exception.module = m->path;
  else
    s.exception.module = ModuleNameOfAddress(address);
  s.exception.typeName = className;
  s.exception.message = ExceptionMessageOf(e.exception);
  s.exception.threadId = e.threadId;
  TReportCpu& cpu = s.cpu;
  cpu.stack.bytes.assign(64, kUnreadableByte);
  cpu.code.bytes.assign(256, kUnreadableByte);

  // [5] The paused threads are held only while the reported thread's registers and memory
  // are read (no allocation, no lock, no message); they run again before the report text.
  section = 5;
  if (e.raiserKind != rkWeb)
    for (const ThreadRecord& r : records)
      if (isOther(r) && ThreadPaused(KindOf(r), v.HandlingFlags)) paused.Pause(r.OwnHandle);
  // [703]
  section = 703;
  if (reported.known && reported.state.HasContext) {
    const TX86Context& c = reported.state.Context;
    cpu.registers = {true, c.Eax, c.Ebx, c.Ecx, c.Edx, c.Esi, c.Edi, c.Esp, c.Eip};
    ReadBytes(reported.memory, c.Esp, cpu.stack);
    ReadBytes(reported.memory, c.Eip, cpu.code);
  }
  paused.ResumeAll();

  // [8] The program's handlers, on the thread that raised.
  section = 8;
  bool handle = true;
  RunOnCallerThread([&] { RunExceptionNotify(p, handle); });
  if (!handle) return 1;
  if (v.HandlingFlags & hdAutoTerminate) st.recent.Add(std::chrono::system_clock::now(), v.CrashLimitCount);
  std::vector<std::string> custom = Reporter().customData;
  RunOnCallerThread([&] { RunCustomDataRequest(p, custom); });
  s.customData = custom;
  // [9]
  section = 9;
  uint32_t errorCount = ++Reporter().errorCount;
  section = 702;
  std::string text = BuildReportText(s);
  outcome.textAt = std::chrono::steady_clock::now();

  // [11] The visible report.
  section = 11;
  TDecoratedWindows windows;
  TErrorDialogResult shown;
  TDialogOptions dialogOptions = DialogOptionsFrom(v);
  bool duplicate = false;
  if (v.ReportContentFlags & rcNoDuplicates) {
    TLogFile& log = st.log.FileFor(options);
    if (!log.FileName().empty() && log.Load()) duplicate = log.IsDuplicate(ReportKeyOf(s));
  }
  outcome.duplicate = duplicate;
  if ((v.DialogFlags & dgShowDialog) && RunAction(p, atShowingExceptionInfo)) {
    section = 12;
    TRichTextStyle style;
    style.charset = ReporterCharset();
    TErrorDialogInput input = DialogInputFromReport(s, dialogOptions, duplicate, TerminateOffered(v, errorCount), style);
    TErrorDialogCallbacks callbacks;
    callbacks.onShowError = [&](const std::string& m) {
      ReporterWarning(eeShowError, static_cast<uint32_t>(address), WarningMessage("GUI", m));
    };
    callbacks.confirmTerminate = [&] { return RunAction(p, atTerminating); };
    try {
      windows.Ensure();
      shown = ShowErrorDialog(input, callbacks);
      outcome.dialogShown = shown.shown;
    } catch (const std::exception& x) {
      ReporterWarning(eeShowError, static_cast<uint32_t>(address), WarningMessage("GUI", std::string(x.what())));
    } catch (...) {
      ReporterWarning(eeShowError, static_cast<uint32_t>(address), WarningMessage("GUI", std::nullopt));
    }
    RunAction(p, atShowedExceptionInfo);
  }
  // [13] The steps to reproduce, stored with the report.
  section = 13;
  if (outcome.dialogShown && RequestDialogWanted(dialogOptions, true, duplicate, shown.sendChecked, v.WriteLog)) {
    windows.Ensure();
    s.reproduceText = ShowRequestDialog(dialogOptions);
    if (!s.reproduceText.empty()) text = BuildReportText(s);
  }

  // [15] The log.
  section = 15;
  TLogSaveHandlers handlers;
  handlers.beforeSave = [&] { return RunAction(p, atSavingToLogFile); };
  handlers.afterSave = [&] { RunAction(p, atSavedToLogFile); };
  handlers.saveFailed = [&](const std::string&) {
    bool retry = false;
    RunOnCallerThread([&] { RunErrorNotify(p, esSavingToLogFile, retry); });
    return retry;
  };
  handlers.warning = [&](TQuillonLogErrorCode code, const std::string& m) {
    ReporterWarning(code, static_cast<uint32_t>(address), m);
  };
  st.log.CheckVersion(options, s.application.version, handlers);
  section = 16;
  TLogSaveOutcome saved = st.log.Save(options, s, text, handlers);
  outcome.logSaved = !saved.skipped && saved.result.status == TLogAppendStatus::lsSaved;
  if (!saved.skipped) outcome.savedAt = std::chrono::steady_clock::now();
  outcome.startAt = run.start;
  outcome.visibleAt = run.dialogVisibleAt;
  if (shown.copyChecked) CopyTextToClipboard(text);
  if (gOutcomeObserver) gOutcomeObserver(outcome);

  // [17] Termination: the automatic rule first, then the user's choice.
  section = 17;
  if ((v.HandlingFlags & hdAutoTerminate) && st.recent.LimitReached(v.CrashLimitCount, v.CrashLimitMinutes))
    Terminate(v.CrashLimitAction);
  section = 18;
  if (shown.terminateChosen) Terminate(v.TerminateAction);
  return 0;
}

// The first report would otherwise read the module list and the lasting system facts itself
// (about 25 ms of its 60 under Wine). A background thread of the lowest priority reads them
// once the program has started; a report that comes first does the same work and the thread
// finds it done. The debug information is left to the first report: inflated it takes
// megabytes (about 14 MB for crashdemo) that a program which never fails should not carry,
// and opening it costs the first report only about 30 ms.
DWORD WINAPI PrepareReports(void*) {
  Sleep(1500);  // start-up first
  TPipelineState& st = State();
  std::lock_guard<std::mutex> guard(st.lock);
  if (st.modulesRead) return 0;
  RefreshModuleList(st.modules);
  st.modulesRead = true;
  TReportSnapshot scratch;
  st.facts.Gather(scratch, MainThreadId());
  return 0;
}

}  // namespace

uint8_t BuildAndShowReport(TReportRun& run) {
  TThreadBlock* block = CurrentThreadBlock();
  if (block) block->state.InsidePipeline = 1;
  int section = 0;
  uint8_t result = 1;
  {
    TPausedThreads paused(256);
    std::lock_guard<std::mutex> guard(State().lock);
    try {
      result = Build(run, paused, section);
    } catch (const TObject& x) {
      paused.ResumeAll();
      ReporterInternalError(section, &x, x.ClassName(), dynamic_cast<const std::exception*>(&x));
    } catch (const std::exception& x) {
      paused.ResumeAll();
      ReporterInternalError(section, nullptr, "", &x);
    } catch (...) {
      paused.ResumeAll();
      ReporterInternalError(section, nullptr, "", nullptr);
    }
  }
  if (block) block->state.InsidePipeline = 0;
  return result;
}

}  // namespace nv_pipeline

void SetReportOutcomeObserver(void (*observer)(const TReportOutcome&)) { nv_pipeline::gOutcomeObserver = observer; }

void SetReportWindowsDecorator(TReportWindowsDecorator decorate) {
  std::lock_guard<std::mutex> guard(nv_pipeline::gDecoratorLock);
  nv_pipeline::Decorator() = std::move(decorate);
}

void StartReportPreparation() {
  if (!ReporterActive()) return;
  DWORD id = 0;
  HANDLE h = CreateThread(nullptr, 0, &nv_pipeline::PrepareReports, nullptr, CREATE_SUSPENDED, &id);
  if (!h) return;
  ExcludeThread(id);  // the reporter's own: never reported, walked or paused
  SetThreadPriority(h, THREAD_PRIORITY_LOWEST);
  ResumeThread(h);
  CloseHandle(h);
}
