// crashdemo: the exception reporter's crash test double. A small framework window program,
// built with the reporter, whose command line picks a way to fail. Not shipped.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "exceptions/capture/capture_record.h"
#include "exceptions/capture/events.h"
#include "exceptions/capture/reporter_win32.h"
#include "exceptions/capture/startup.h"
#include "exceptions/options/module_options.h"
#include "exceptions/options/options_text.h"
#include "exceptions/pipeline/report_pipeline_win32.h"
#include "framework/application_win32.h"
#include "framework/forms_win32.h"
#include "framework/std_controls_win32.h"
#include "framework/streams.h"
#include "framework/thread_win32.h"

namespace {

const char kUsage[] =
    "usage: crashdemo [--record FILE] [--options FILE] [--quiet] SCENARIO [SECONDS]\n"
    "\n"
    "Shows a window (class TCrashForm, caption \"crashdemo\") with one button, \"Crash\", and\n"
    "fails as the scenario says:\n"
    "  uncaught          throws an EInvalidOperation from WinMain that nothing catches: the\n"
    "                    process ends with exit code 1\n"
    "  throw-in-click    each click of the button throws an EInvalidOperation\n"
    "  av-in-click       each click reads from address 0 (EAccessViolation)\n"
    "  div0              each click divides by zero (EDivByZero)\n"
    "  vector-at         each click calls std::vector::at out of range (std::out_of_range)\n"
    "  nested            as throw-in-click; the reporter's exception-notify handler then\n"
    "                    raises a second exception inside the first one's report\n"
    "  abort-in-click    each click throws an EAbort (never reported)\n"
    "  two-threads       two CreateThread threads throw at the same moment; each ends with\n"
    "                    code 1\n"
    "  busy-workers      as throw-in-click, with three threads that allocate without pause;\n"
    "                    message WM_APP+3 to the window records how far they got\n"
    "  thread-throw      a framework thread's Execute throws; the worker ends with code 1\n"
    "  createthread-throw  a CreateThread thread throws; the worker ends with code 1\n"
    "  stdthread-throw   a std::thread throws; the worker ends with code 1\n"
    "  recurse           unbounded recursion overflows the stack: exit code 1\n"
    "  hang SECONDS      the window stops answering for SECONDS once it is shown\n"
    "The thread scenarios end the program with exit code 0 once the worker has ended; the\n"
    "window scenarios run until the window is closed (exit code 0).\n"
    "\n"
    "  --record FILE     appends one line per exception that reaches the reporter (see\n"
    "                    capture_record.h), and lines \"crashdemo<TAB>...\" of its own:\n"
    "                    \"worker<TAB>thread=<id hex><TAB>exit=<code>\" for thread scenarios,\n"
    "                    \"report<TAB>...\" for each report made (times in ms from the throw),\n"
    "                    \"busy<TAB>count=<n>\" for busy-workers, \"heap<TAB>bytes=<n>\" once\n"
    "                    the window is shown and after each report (heap bytes in use)\n"
    "  --options FILE    reporter options in their readable form instead of the built-in ones\n"
    "  --quiet           the application's handler shows no message box (Application.OnException)\n";

std::string gRecordFile;
std::string gScenario;
int gSeconds;
constexpr UINT kRunScenario = WM_APP + 1;
constexpr UINT kNestedFailure = WM_APP + 2;
constexpr UINT kRecordBusy = WM_APP + 3;

using TClock = std::chrono::steady_clock;
std::atomic<long long> gThrowTicks;  // TClock ticks of the latest throw of ours
void NoteThrow() { gThrowTicks = TClock::now().time_since_epoch().count(); }
std::atomic<long> gBusyCount;

void WriteLine(const std::string& line) {
  if (gRecordFile.empty()) return;
  HANDLE f = CreateFileA(gRecordFile.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  std::string text = "crashdemo\t" + line + "\r\n";
  DWORD written;
  WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(f);
}

// The failures. Each sits in a function of its own, so that its address is easy to find;
// results go to a volatile sink, so that the compiler keeps the faulting instruction.
volatile int gZero = 0;
volatile int gSink;
__attribute__((noinline)) void ThrowFailure() {
  NoteThrow();
  throw EInvalidOperation("crashdemo: the button's handler failed");  // crashdemo-throw
}

volatile int* volatile gNowhere = nullptr;
__attribute__((noinline)) void ReadNowhere() {
  gSink = *gNowhere;  // crashdemo-av
}

__attribute__((noinline)) void DivideByZero(int n) {
  gSink = n / gZero;  // crashdemo-div0
}

__attribute__((noinline)) void VectorAt() {
  std::vector<int> v(3);
  gSink = v.at(static_cast<size_t>(gZero) + 7);  // crashdemo-vector-at
}

__attribute__((noinline)) int Recurse(int depth) {
  if (depth == gZero - 1) return 0;  // never: keeps the compiler from calling it endless
  volatile char pad[256];
  pad[0] = static_cast<char>(depth);
  return Recurse(depth + 1) + pad[0];  // crashdemo-recurse
}

DWORD WINAPI ThrowingWorker(void*) {
  throw EInvalidOperation("crashdemo: the worker failed");  // crashdemo-worker-throw
}

HANDLE gStartTogether;
DWORD WINAPI TogetherWorker(void*) {
  WaitForSingleObject(gStartTogether, INFINITE);
  throw EInvalidOperation("crashdemo: one of two workers failed");  // crashdemo-together-throw
}

std::atomic<bool> gStopBusy{false};
std::vector<HANDLE> gBusyThreads;
// Allocates and frees without pause, so that it often holds the heap's lock.
DWORD WINAPI BusyWorker(void*) {
  while (!gStopBusy) {
    std::vector<std::string> v;
    for (int i = 0; i < 64; ++i) v.emplace_back(200 + i, 'x');
    ++gBusyCount;
  }
  return 0;
}
// The workers end before the program does: the process's end stops every other thread
// wherever it is, and under Wine one stopped while it held the heap's lock leaves the rest
// of the end waiting on that lock for ever.
void StopBusyWorkers() {
  gStopBusy = true;
  if (!gBusyThreads.empty())
    WaitForMultipleObjects(static_cast<DWORD>(gBusyThreads.size()), gBusyThreads.data(), TRUE, 5000);
  for (HANDLE h : gBusyThreads) CloseHandle(h);
  gBusyThreads.clear();
}

// Bytes in use in every heap of the process (the C runtime's own heap included).
size_t HeapBytesInUse() {
  HANDLE heaps[64];
  DWORD n = GetProcessHeaps(64, heaps);
  size_t total = 0;
  for (DWORD i = 0; i < n && i < 64; ++i) {
    if (!HeapLock(heaps[i])) continue;
    PROCESS_HEAP_ENTRY e{};
    while (HeapWalk(heaps[i], &e))
      if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += e.cbData;
    HeapUnlock(heaps[i]);
  }
  return total;
}

long MsFromThrow(TClock::time_point t) {
  if (t == TClock::time_point{}) return -1;
  TClock::time_point thrown{TClock::duration(gThrowTicks.load())};
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(t - thrown).count());
}

void RecordOutcome(const TReportOutcome& o) {
  WriteLine(Format("report\tthread=%08lx\tfiltered=%d\tdialog=%d\tlog=%d\tduplicate=%d\tstart_ms=%ld\t"
                   "text_ms=%ld\tvisible_ms=%ld\tsaved_ms=%ld\tend_ms=%ld",
                   GetCurrentThreadId(), o.filtered, o.dialogShown, o.logSaved, o.duplicate,
                   MsFromThrow(o.startAt), MsFromThrow(o.textAt), MsFromThrow(o.visibleAt),
                   MsFromThrow(o.savedAt), MsFromThrow(TClock::now())));
  WriteLine(Format("heap\tbytes=%lu", static_cast<unsigned long>(HeapBytesInUse())));
}

class TFailingThread : public TThread {
  NV_CLASS(TFailingThread)
 protected:
  void Execute() override {
    throw EInvalidOperation("crashdemo: the framework thread failed");  // crashdemo-tthread-throw
  }
};
NV_DEFINE_CLASS(TFailingThread, TThread)

void ReportWorker(HANDLE thread, DWORD id) {
  WaitForSingleObject(thread, INFINITE);
  DWORD code = 0;
  GetExitCodeThread(thread, &code);
  WriteLine(Format("worker\tthread=%08lx\texit=%lu", id, code));
}

class TCrashForm : public TForm {
  NV_CLASS(TCrashForm)
 public:
  explicit TCrashForm(TComponent* owner) : TForm(owner), scenario_(gScenario), seconds_(gSeconds) {
    LoadLayoutText(
        "object CrashForm: TCrashForm\n"
        "  Left = 100\n  Top = 100\n  Caption = 'crashdemo'\n  ClientWidth = 240\n  ClientHeight = 80\n"
        "  object Button1: TButton\n    Left = 16\n    Top = 16\n    Width = 100\n    Height = 25\n"
        "    Caption = 'Crash'\n    OnClick = Button1Click\n  end\n"
        "end\n");
  }

  TNotifyEvent MethodAddress(const std::string& name) override {
    if (name == "Button1Click") return [this](TObject*) { Click(); };
    return nullptr;
  }

  void WndProc(TMessage& m) override {
    if (m.Msg == kRunScenario) {
      RunAfterShow();
      return;
    }
    if (m.Msg == kNestedFailure) throw EInvalidArgument("crashdemo: failure inside the report");
    if (m.Msg == kRecordBusy) {
      WriteLine(Format("busy\tcount=%ld", gBusyCount.load()));
      return;
    }
    TForm::WndProc(m);
  }

 private:
  void Click() {
    if (scenario_ == "throw-in-click" || scenario_ == "nested" || scenario_ == "busy-workers") ThrowFailure();
    if (scenario_ == "abort-in-click") {
      NoteThrow();
      throw EAbort("crashdemo: the operation was cancelled");
    }
    if (scenario_ == "av-in-click") ReadNowhere();
    if (scenario_ == "div0") DivideByZero(1);
    if (scenario_ == "vector-at") VectorAt();
  }

  void RunAfterShow() {
    if (!gRecordFile.empty()) WriteLine(Format("heap\tbytes=%lu", static_cast<unsigned long>(HeapBytesInUse())));
    if (scenario_ == "hang") {
      Sleep(static_cast<DWORD>(seconds_) * 1000);
    } else if (scenario_ == "thread-throw") {
      TFailingThread worker;
      worker.Start();
      worker.WaitFor();
      ReportWorker(worker.Handle(), worker.ThreadID());
      Application->Terminate();
    } else if (scenario_ == "busy-workers") {
      for (int i = 0; i < 3; ++i)
        if (HANDLE h = CreateThread(nullptr, 0, &BusyWorker, nullptr, 0, nullptr)) gBusyThreads.push_back(h);
    } else if (scenario_ == "two-threads") {
      gStartTogether = CreateEventA(nullptr, TRUE, FALSE, nullptr);
      DWORD ids[2] = {};
      HANDLE h[2];
      for (int i = 0; i < 2; ++i) h[i] = CreateThread(nullptr, 0, &TogetherWorker, nullptr, 0, &ids[i]);
      Sleep(50);
      NoteThrow();
      SetEvent(gStartTogether);
      for (int i = 0; i < 2; ++i) {
        ReportWorker(h[i], ids[i]);
        CloseHandle(h[i]);
      }
      Application->Terminate();
    } else if (scenario_ == "createthread-throw") {
      DWORD id = 0;
      HANDLE h = CreateThread(nullptr, 0, &ThrowingWorker, nullptr, 0, &id);
      ReportWorker(h, id);
      CloseHandle(h);
      Application->Terminate();
    } else if (scenario_ == "stdthread-throw") {
      HANDLE self = nullptr;
      DWORD id = 0;
      HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
      std::thread worker([&] {
        DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self,
                        SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, 0);
        id = GetCurrentThreadId();
        SetEvent(ready);
        throw std::runtime_error("crashdemo: the std::thread failed");  // crashdemo-stdthread-throw
      });
      WaitForSingleObject(ready, INFINITE);
      ReportWorker(self, id);
      worker.join();
      CloseHandle(self);
      CloseHandle(ready);
      Application->Terminate();
    }
  }

  std::string scenario_;
  int seconds_;
};

NV_DEFINE_CLASS(TCrashForm, TForm)

std::string ReadTextFile(const std::string& path) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) throw EFOpenError("crashdemo: cannot open " + path);
  std::string text(GetFileSize(f, nullptr), '\0');
  DWORD got = 0;
  ReadFile(f, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
  CloseHandle(f);
  text.resize(got);
  return text;
}

bool KnownScenario(const std::string& s) {
  for (const char* k : {"uncaught", "throw-in-click", "abort-in-click", "two-threads", "busy-workers", "av-in-click", "div0", "vector-at", "nested",
                        "thread-throw", "createthread-throw", "stdthread-throw", "recurse", "hang"})
    if (s == k) return true;
  return false;
}

int Usage() {
  std::fputs(kUsage, stdout);
  std::fflush(stdout);
  return 2;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  TQuillonProgramScope reporterScope;
  std::string scenario, optionsFile;
  int seconds = 0;
  bool quiet = false;
  for (int i = 1; i < __argc; ++i) {
    std::string a = __argv[i];
    if (a == "--record" && i + 1 < __argc) {
      gRecordFile = __argv[++i];
    } else if (a == "--options" && i + 1 < __argc) {
      optionsFile = __argv[++i];
    } else if (a == "--quiet") {
      quiet = true;
    } else if (scenario.empty()) {
      scenario = a;
    } else {
      seconds = std::atoi(a.c_str());
    }
  }
  if (!KnownScenario(scenario) || (scenario == "hang" && seconds <= 0)) return Usage();
  SetCaptureRecordFile(gRecordFile);
  if (!gRecordFile.empty()) SetReportOutcomeObserver(&RecordOutcome);
  if (!optionsFile.empty() && Reporter().options)
    ParseQuillonOptionsText(ReadTextFile(optionsFile), *Reporter().options, optionsFile);

  if (scenario == "nested") {
    static TQuillonLogHandlers nestedHandler;
    nestedHandler.OnExceptionNotify = [](const TExceptNotifyParams&, bool&) {
      if (Application && Application->MainForm())
        SendMessageA(Application->MainForm()->Handle(), kNestedFailure, 0, 0);
    };
    QuillonLogList().Add(&nestedHandler);
  }

  TApplication app(nullptr);
  app.SetTitle("crashdemo");
  if (quiet) app.OnException = [](Exception*) {};
  gScenario = scenario;
  gSeconds = seconds;
  auto* form = app.CreateForm<TCrashForm>();
  // Here, outside the message loop, these fail with nothing to catch them.
  if (scenario == "uncaught") {
    NoteThrow();
    throw EInvalidOperation("crashdemo: nothing catches this");  // crashdemo-uncaught
  }
  if (scenario == "recurse") return Recurse(0);
  PostMessageA(form->Handle(), kRunScenario, 0, 0);
  app.Run();
  StopBusyWorkers();
  return 0;
}
