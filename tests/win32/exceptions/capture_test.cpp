// Exception capture inside one process that carries the reporter: start-up order, the raise
// path, fault conversion, thread tracking and the exported entries.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "exceptions/capture/capture_record.h"
#include "exceptions/capture/capture_state.h"
#include "exceptions/capture/events.h"
#include "exceptions/capture/exports_win32.h"
#include "exceptions/capture/fault_conversion_win32.h"
#include "exceptions/capture/raise_path_win32.h"
#include "exceptions/capture/reporter_win32.h"
#include "exceptions/capture/thread_block_win32.h"
#include "exceptions/capture/thread_list_win32.h"
#include "exceptions/options/module_options.h"
#include "framework/application_win32.h"
#include "framework/exception.h"
#include "framework/guard.h"
#include "framework/thread_win32.h"

extern "C" void __wrap___cxa_throw(void*, std::type_info*, void (*)(void*));

namespace {

// An ordinary static initialiser: the reporter must already be running when it runs.
struct TStartOrder {
  bool reporterActive = ReporterActive();
  bool throwsCaptured = ThrowCaptureInstalled();
} gStartOrder;

// The exceptions these tests hand to the reporter are reported for real: without a dialog
// to wait for and without a log beside the test program.
class TQuietReports : public ::testing::Environment {
 public:
  void SetUp() override {
    if (TQuillonModuleOptions* o = Reporter().options) {
      o->SetDialogFlags(o->DialogFlags() & ~dgShowDialog);
      o->SetWriteLog(false);
    }
  }
};
const auto* const gQuietReports = ::testing::AddGlobalTestEnvironment(new TQuietReports);

TEST(StartUp, TheReporterRunsBeforeEveryOtherStaticInitialiser) {
  EXPECT_TRUE(gStartOrder.reporterActive);
  EXPECT_TRUE(gStartOrder.throwsCaptured);
  ASSERT_TRUE(ReporterThreads());
  ThreadRecord main;
  EXPECT_TRUE(ReporterThreads()->Find(MainThreadId(), main));
  EXPECT_EQ(MainThreadId(), GetCurrentThreadId());
  EXPECT_EQ(reinterpret_cast<uintptr_t>(main.StackTop), CurrentStackTop());
}

CaptureState StateOf(DWORD threadId) {
  CaptureState s;
  CopyCaptureState(threadId, s);
  return s;
}

__attribute__((noinline, noipa)) void ThrowHere(const char* what) { throw EInvalidOperation(what); }

TEST(RaisePath, AThrowRecordsObjectAddressAndTheThrowersRegisters) {
  try {
    ThrowHere("recorded");
  } catch (EInvalidOperation& e) {
    CaptureState s = StateOf(GetCurrentThreadId());
    EXPECT_EQ(s.Last.object, static_cast<TObject*>(&e));
    ASSERT_TRUE(s.Last.type);
    EXPECT_EQ(*s.Last.type, typeid(EInvalidOperation));
    EXPECT_TRUE(s.Last.fromRaiseCall);
    EXPECT_EQ(s.Context.ContextFlags, kFullContext);
    EXPECT_EQ(s.Context.Eip, s.Last.address - 5);
    EXPECT_EQ(s.Context.Eax, reinterpret_cast<uint32_t>(s.Last.object));
    EXPECT_EQ(s.Context.Edx, s.Last.address);
    // EIP points at the call that threw: a direct call of the throw routine.
    auto* call = reinterpret_cast<const uint8_t*>(s.Context.Eip);
    ASSERT_EQ(call[0], 0xE8);
    int32_t disp;
    std::memcpy(&disp, call + 1, 4);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(call + 5 + disp), reinterpret_cast<uintptr_t>(&__wrap___cxa_throw));
    EXPECT_TRUE(s.Context.Esp > CurrentStackLimit() && s.Context.Esp < CurrentStackTop());
    EXPECT_EQ(s.RaiseStackPointer, s.Context.Esp);
  }
}

TEST(RaisePath, TheRuntimeLibrarysOwnThrowsAreSeenToo) {
  std::vector<int> v(2);
  try {
    (void)v.at(5);
  } catch (std::out_of_range& e) {
    CaptureState s = StateOf(GetCurrentThreadId());
    ASSERT_TRUE(s.Last.type);
    EXPECT_EQ(*s.Last.type, typeid(std::out_of_range));
    EXPECT_EQ(s.Last.object, static_cast<void*>(&e));
  }
}

TEST(RaisePath, ARethrowKeepsTheFirstThrowsSnapshot) {
  TStackSnapshot first, after;
  std::vector<uint8_t> bytes;
  try {
    try {
      ThrowHere("first");
    } catch (Exception&) {
      ASSERT_TRUE(CopyStackSnapshot(GetCurrentThreadId(), first, bytes));
      throw;
    }
  } catch (Exception&) {
    ASSERT_TRUE(CopyStackSnapshot(GetCurrentThreadId(), after, bytes));
  }
  EXPECT_EQ(after.ExceptionAddress, first.ExceptionAddress);
  EXPECT_EQ(after.StartAddress, first.StartAddress);
  EXPECT_GT(after.Size, 0u);
  EXPECT_EQ(bytes.size(), after.Size);
}

TEST(RaisePath, TheThrowersLastErrorSurvivesTheCapture) {
  DWORD seen = 0;
  try {
    SetLastError(4321);
    ThrowHere("keeps the error");
  } catch (Exception&) {
    seen = GetLastError();
  }
  EXPECT_EQ(seen, 4321u);
}

// Each thread keeps its own snapshot: a throw on another thread between a throw and its
// report must not replace the stack the report reads.
TEST(RaisePath, EachThreadKeepsItsOwnStackSnapshot) {
  HANDLE thrown = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD workerId = 0;
  TStackSnapshot workerBefore{};
  std::thread worker([&] {
    workerId = GetCurrentThreadId();
    try {
      ThrowHere("worker");
    } catch (Exception&) {
      std::vector<uint8_t> b;
      CopyStackSnapshot(workerId, workerBefore, b);
      SetEvent(thrown);
      WaitForSingleObject(release, INFINITE);  // the report would read now
    }
  });
  WaitForSingleObject(thrown, INFINITE);
  try {
    throw std::runtime_error("main thread");
  } catch (std::exception&) {
  }
  TStackSnapshot workerNow{};
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(CopyStackSnapshot(workerId, workerNow, bytes));
  SetEvent(release);
  worker.join();
  CloseHandle(thrown);
  CloseHandle(release);
  EXPECT_EQ(workerNow.ThreadId, workerId);
  EXPECT_EQ(workerNow.ExceptionAddress, workerBefore.ExceptionAddress);
  EXPECT_EQ(workerNow.StartAddress, workerBefore.StartAddress);
  EXPECT_GT(workerNow.Size, 0u);
}

volatile int* volatile gNull = nullptr;
volatile int gZero = 0;
volatile int gSink;

__attribute__((noinline, noipa)) void ReadNull() { gSink = *gNull; }

struct TFlagOnDestroy {
  bool* flag;
  ~TFlagOnDestroy() { *flag = true; }
};
__attribute__((noinline, noipa)) void DivideWithCleanup(bool* destroyed) {
  TFlagOnDestroy guard{destroyed};
  gSink = 10 / gZero;
}

TEST(FaultConversion, AnAccessViolationInOurCodeIsThrownFromTheFaultingInstruction) {
  try {
    ReadNull();
    FAIL() << "no fault";
  } catch (EAccessViolation& e) {
    CaptureState s = StateOf(GetCurrentThreadId());
    auto start = reinterpret_cast<uintptr_t>(&ReadNull);
    EXPECT_GE(s.Last.address, start);
    EXPECT_LT(s.Last.address, start + 32) << "inside ReadNull";
    EXPECT_FALSE(s.Last.fromRaiseCall);
    EXPECT_EQ(s.Context.Eip, s.Last.address) << "the system's context of the fault";
    EXPECT_NE(e.Message().find("Read of address 00000000"), std::string::npos) << e.Message();
    EXPECT_TRUE(e.InheritsFrom("EExternal"));
  }
}

TEST(FaultConversion, UnwindingFromAFaultRunsTheDestructorsOfTheFaultingFrame) {
  bool destroyed = false;
  EXPECT_THROW(DivideWithCleanup(&destroyed), EDivByZero);
  EXPECT_TRUE(destroyed);
}

TEST(FaultConversion, OnlyOurOwnCodeWithUnwindInformationIsConverted) {
  EXPECT_TRUE(CanThrowFromFault(reinterpret_cast<uintptr_t>(&ReadNull) + 2));
  EXPECT_FALSE(CanThrowFromFault(
      reinterpret_cast<uintptr_t>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "lstrlenA"))));
  EXPECT_FALSE(CanThrowFromFault(0));
}

DWORD WINAPI Idle(void* event) {
  if (event) WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
  return 7;
}

TEST(ThreadTracking, CreateThreadRecordsTheCreatorsHandleBesideAHandleOfItsOwn) {
  HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD id = 0;
  HANDLE h = CreateThread(nullptr, 0, &Idle, stop, 0, &id);
  ASSERT_TRUE(h);
  ThreadRecord r;
  ASSERT_TRUE(ReporterThreads()->Find(id, r));
  EXPECT_EQ(r.ThreadHandle, h);
  EXPECT_EQ(r.PlainStart, reinterpret_cast<void*>(&Idle));
  EXPECT_EQ(r.StartParameter, stop);
  ASSERT_TRUE(r.OwnHandle);
  EXPECT_NE(r.OwnHandle, h);
  // The creator closes its handle; the system may give the number to anything else now.
  CloseHandle(h);
  EXPECT_EQ(GetThreadId(r.OwnHandle), id) << "the record's own handle still names the thread";
  SetEvent(stop);
  // The thread's end removes its record.
  for (int i = 0; i < 200 && ReporterThreads()->IndexOfId(id) >= 0; ++i) Sleep(10);
  EXPECT_EQ(ReporterThreads()->IndexOfId(id), -1);
  CloseHandle(stop);
}

TEST(ThreadTracking, ASuspendedThreadStaysSuspendedAndOthersRun) {
  HANDLE stop = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  HANDLE suspended = CreateThread(nullptr, 0, &Idle, stop, CREATE_SUSPENDED, nullptr);
  HANDLE running = CreateThread(nullptr, 0, &Idle, stop, 0, nullptr);
  EXPECT_EQ(WaitForSingleObject(running, 5000), WAIT_OBJECT_0)
      << "runs although created suspended underneath";
  EXPECT_EQ(WaitForSingleObject(suspended, 200), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(ResumeThread(suspended), 1u) << "suspended once, by its creator";
  EXPECT_EQ(WaitForSingleObject(suspended, 5000), WAIT_OBJECT_0);
  CloseHandle(suspended);
  CloseHandle(running);
  CloseHandle(stop);
}

TEST(ThreadTracking, StdThreadsAreSeenFromStartToEnd) {
  std::atomic<DWORD> id{0};
  std::atomic<bool> listed{false}, stop{false};
  std::thread t([&] {
    id = GetCurrentThreadId();
    ThreadRecord r;
    listed = ReporterThreads()->Find(id, r) && r.OwnHandle && r.StackTop;
    while (!stop) Sleep(1);
  });
  while (!id) Sleep(1);
  stop = true;
  t.join();
  EXPECT_TRUE(listed);
  EXPECT_EQ(ReporterThreads()->IndexOfId(id), -1);
}

TEST(ThreadTracking, ACopyOfTheListKeepsHandlesThatStayValid) {
  HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD id = 0;
  HANDLE h = CreateThread(nullptr, 0, &Idle, stop, 0, &id);
  TQuillonThreadsList copy(*ReporterThreads());
  EXPECT_TRUE(copy.IsCopy());
  int i = copy.IndexOfId(id);
  ASSERT_GE(i, 0);
  ThreadRecord r = copy.At(i);
  ThreadRecord live;
  ASSERT_TRUE(ReporterThreads()->Find(id, live));
  EXPECT_NE(r.OwnHandle, live.OwnHandle) << "a duplicate of its own";
  SetEvent(stop);
  WaitForSingleObject(h, 5000);
  for (int n = 0; n < 200 && ReporterThreads()->IndexOfId(id) >= 0; ++n) Sleep(10);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(r.OwnHandle, &code))
      << "the list closed its handle, the copy's is still good";
  EXPECT_EQ(code, 7u);
  CloseHandle(h);
  CloseHandle(stop);
}

TEST(ThreadList, LookupsRunFromTheLastRecordAndAddingPurgesEndedThreads) {
  TQuillonThreadsList list;
  ThreadRecord a, b;
  a.ThreadId = b.ThreadId = 77;
  a.ThreadObject = reinterpret_cast<void*>(1);
  b.ThreadObject = reinterpret_cast<void*>(2);
  b.ThreadHandle = reinterpret_cast<void*>(0x1234);
  list.Add(a);
  list.Add(b);
  EXPECT_EQ(list.IndexOfId(77), 1);
  EXPECT_EQ(list.IndexOfObject(reinterpret_cast<void*>(1)), 0);
  EXPECT_EQ(list.IndexOfHandle(reinterpret_cast<void*>(0x1234)), 1);
  EXPECT_EQ(list.IndexOfId(78), -1);

  HANDLE ended = CreateThread(nullptr, 0, &Idle, nullptr, 0, nullptr);
  WaitForSingleObject(ended, 5000);
  ThreadRecord gone;
  gone.ThreadId = 99;
  DuplicateHandle(GetCurrentProcess(), ended, GetCurrentProcess(), &gone.OwnHandle, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  CloseHandle(ended);
  list.Add(gone);
  EXPECT_EQ(list.IndexOfId(99), 2);
  ThreadRecord next;
  next.ThreadId = 100;
  list.Add(next);
  EXPECT_EQ(list.IndexOfId(99), -1) << "an ended thread's record goes when the next one comes";
  EXPECT_EQ(list.Count(), 3);
  ThreadRecord resumed;
  resumed.ThreadId = 77;
  resumed.PlainStart = reinterpret_cast<void*>(3);
  EXPECT_TRUE(list.ResumeByHandle(reinterpret_cast<void*>(0x1234), resumed));
  EXPECT_EQ(list.At(1).PlainStart, reinterpret_cast<void*>(3));
  EXPECT_EQ(list.At(1).Resumed, 1);
}

std::vector<std::string> gRecords;
void Collect(const std::string& line) { gRecords.push_back(line); }

TEST(ExceptionManager, RecordsWhatArrivesWithTheThrowsAddressAndReportsIt) {
  gRecords.clear();
  SetCaptureRecordObserver(&Collect);
  uint8_t answer = 0, answerWithoutObject = 0;
  uintptr_t throwSite = 0;
  try {
    ThrowHere("to the manager");
  } catch (Exception& e) {
    throwSite = StateOf(GetCurrentThreadId()).Last.address - 5;
    answer = ExceptionManager(&e, nullptr, 1, GetModuleHandleA(nullptr));
    answerWithoutObject = ExceptionManager(nullptr, nullptr, 0, nullptr);
  }
  ExcludeThread(GetCurrentThreadId());
  try {
    ThrowHere("excluded");
  } catch (Exception& e) {
    EXPECT_EQ(ExceptionManager(&e, nullptr, 1, nullptr), 1);
  }
  IncludeThread(GetCurrentThreadId());
  SetCaptureRecordObserver(nullptr);
  EXPECT_EQ(answer, 0) << "reported: the caller's own handling is not needed";
  EXPECT_EQ(answerWithoutObject, 0) << "the thread's last exception, reported again";
  ASSERT_EQ(gRecords.size(), 2u) << "nothing for the excluded thread";
  TCaptureRecord r;
  ASSERT_TRUE(ParseCaptureRecord(gRecords[0], r));
  EXPECT_EQ(r.className, "EInvalidOperation");
  EXPECT_EQ(r.message, "to the manager");
  EXPECT_EQ(r.address, throwSite);
  EXPECT_EQ(r.raiserKind, 1);
  EXPECT_TRUE(r.mainThread);
  ASSERT_TRUE(ParseCaptureRecord(gRecords[1], r));
  EXPECT_EQ(r.className, "EInvalidOperation") << "no object given: the thread's last one";
}

class TListedThread : public TThread {
  NV_CLASS(TListedThread)
 public:
  ThreadRecord seen;
  bool listed = false;
  bool fail = false;

 protected:
  void Execute() override {
    listed = ReporterThreads()->Find(GetCurrentThreadId(), seen);
    if (fail) ThrowHere("framework thread");
  }
};
NV_DEFINE_CLASS(TListedThread, TThread)

TEST(ThreadTracking, FrameworkThreadsAreRecordedWithObjectAndClassAndTheirFailuresReported) {
  gRecords.clear();
  SetCaptureRecordObserver(&Collect);
  TListedThread t;
  t.fail = true;
  t.Start();
  DWORD code = t.WaitFor();
  SetCaptureRecordObserver(nullptr);
  ASSERT_TRUE(t.listed);
  EXPECT_EQ(t.seen.ThreadObject, static_cast<void*>(&t));
  EXPECT_EQ(t.seen.ThreadClass, &TListedThread::StaticClass());
  EXPECT_TRUE(IsFrameworkThread(t.seen));
  EXPECT_EQ(code, 1u);
  ASSERT_EQ(gRecords.size(), 1u);
  TCaptureRecord r;
  ASSERT_TRUE(ParseCaptureRecord(gRecords[0], r));
  EXPECT_EQ(r.className, "EInvalidOperation");
  EXPECT_EQ(r.threadId, t.ThreadID());
  EXPECT_EQ(r.raiserKind, 0);
  EXPECT_FALSE(r.mainThread);
}

TEST(ExceptionManager, AForeignCppExceptionArrivesAsItsOwnClassThroughTheFrameworksGuard) {
  TApplication app(nullptr);
  app.OnException = [](Exception*) {};  // no message box
  gRecords.clear();
  SetCaptureRecordObserver(&Collect);
  uintptr_t throwSite = 0;
  Guard([&] {
    std::vector<int> v(1);
    try {
      (void)v.at(3);
    } catch (...) {
      throwSite = StateOf(GetCurrentThreadId()).Last.address - 5;
      throw;
    }
  });
  SetCaptureRecordObserver(nullptr);
  ASSERT_EQ(gRecords.size(), 1u);
  TCaptureRecord r;
  ASSERT_TRUE(ParseCaptureRecord(gRecords[0], r));
  EXPECT_EQ(r.className, "std::out_of_range");
  EXPECT_EQ(r.address, throwSite) << "where the runtime library threw it, not where it was handed on";
  EXPECT_NE(r.message.find("vector"), std::string::npos) << r.message;
}

template <class F>
F Export(const char* name) {
  auto p = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), name)));
  EXPECT_TRUE(p) << name;
  return p;
}

TEST(Exports, ThreadEntriesChangeThisModulesList) {
  auto create = Export<void(__stdcall*)(const ThreadRecord*)>("QuillonLog_CallCreateThread");
  auto exitThread = Export<void(__stdcall*)()>("QuillonLog_CallExitThread");
  ASSERT_TRUE(create && exitThread);
  ThreadRecord foreign;
  foreign.ThreadId = 0x7FFF0001;
  foreign.OwnedBlock = reinterpret_cast<void*>(0x10);  // another module's: never freed here
  create(&foreign);
  ThreadRecord r;
  ASSERT_TRUE(ReporterThreads()->Find(0x7FFF0001, r));
  EXPECT_EQ(r.OwnedBlock, nullptr);
  ReporterThreads()->Remove(0x7FFF0001);

  std::thread t([&] {
    DWORD id = GetCurrentThreadId();
    EXPECT_GE(ReporterThreads()->IndexOfId(id), 0);
    exitThread();
    EXPECT_EQ(ReporterThreads()->IndexOfId(id), -1);
  });
  t.join();
}

TEST(Exports, RaiseEntriesRecordAnotherModulesExceptions) {
  auto generalRaise = Export<void(__stdcall*)(uint32_t, uint32_t, uint32_t, void*, const uintptr_t*)>(
      "QuillonLog_CallGeneralRaise");
  auto exceptObject =
      Export<void*(__stdcall*)(const void*, const void*, uint8_t)>("QuillonLog_CallExceptObject");
  ASSERT_TRUE(generalRaise && exceptObject);
  EInvalidOperation raised("raised elsewhere");
  uintptr_t args[7] = {0x00401005,
                       reinterpret_cast<uintptr_t>(&raised),
                       reinterpret_cast<uintptr_t>(&typeid(EInvalidOperation)),
                       1,
                       2,
                       3,
                       4};
  int frame;
  generalRaise(kLanguageRaiseCode, 1, 7, &frame, args);
  CaptureState s = StateOf(GetCurrentThreadId());
  EXPECT_EQ(s.Last.object, static_cast<void*>(&raised));
  EXPECT_EQ(s.Last.address, 0x00401005u);
  EXPECT_EQ(s.Context.Eip, 0x00401000u);
  EXPECT_EQ(s.Context.Ebx, 1u);
  EXPECT_EQ(s.Context.Ebp, 4u);
  EXPECT_EQ(s.RaiseStackPointer, reinterpret_cast<uintptr_t>(&frame));
  generalRaise(0xC0000005, 0, 7, &frame, args);  // not a language exception: ignored
  EXPECT_EQ(StateOf(GetCurrentThreadId()).Last.object, static_cast<void*>(&raised));

  EXCEPTION_RECORD rec{};
  rec.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
  rec.ExceptionAddress = reinterpret_cast<void*>(&ReadNull);
  rec.NumberParameters = 2;
  rec.ExceptionInformation[0] = 1;
  rec.ExceptionInformation[1] = 0x20;
  CONTEXT ctx{};
  ctx.ContextFlags = CONTEXT_FULL;
  ctx.Eip = reinterpret_cast<DWORD>(&ReadNull);
  ctx.Esp = 0x12345678;
  auto* object = static_cast<Exception*>(exceptObject(&rec, &ctx, 1));
  ASSERT_TRUE(object);
  EXPECT_EQ(object->ClassName(), "EAccessViolation");
  EXPECT_NE(object->Message().find("Write of address 00000020"), std::string::npos) << object->Message();
  s = StateOf(GetCurrentThreadId());
  EXPECT_EQ(s.Last.object, static_cast<void*>(static_cast<TObject*>(object)));
  EXPECT_EQ(s.Context.Esp, 0x12345678u);
  delete object;
}

TEST(Exports, EventBridgesInstallTheRecordForTheHandlersAndPutOursBack) {
  auto notify =
      Export<void(__stdcall*)(const TExceptNotifyParams*, uint8_t*)>("QuillonLog_ExceptionNotifyEvent");
  auto password = Export<void(__stdcall*)(const TExceptNotifyParams*, char*, int32_t)>(
      "QuillonLog_PasswordRequestEventEx");
  ASSERT_TRUE(notify && password);
  TQuillonLogHandlers handlers;
  std::string seenClass;
  void* seenObject = nullptr;
  handlers.OnExceptionNotify = [&](const TExceptNotifyParams& p, bool& handle) {
    seenClass = ExceptionInfo().ClassName();
    seenObject = p.ExceptionObject;
    handle = false;
  };
  handlers.OnPasswordRequest = [&](const TExceptNotifyParams& p, std::string& pw) {
    pw = "pw-" + p.ClassName();
  };
  QuillonLogList().Add(&handlers);
  ExceptionInfo().SetClassName("ours");
  static int notAnObjectOfOurs[4];
  TExceptNotifyParams foreign;
  foreign.ExceptionObject = notAnObjectOfOurs;
  foreign.SetClassName("EForeign");
  uint8_t handle = 1;
  notify(&foreign, &handle);
  char buffer[256] = {};
  password(&foreign, buffer, sizeof buffer);
  QuillonLogList().Remove(&handlers);
  EXPECT_EQ(handle, 0);
  EXPECT_EQ(seenClass, "EForeign");
  EXPECT_NE(seenObject, static_cast<void*>(notAnObjectOfOurs)) << "another module's object gets a stand-in";
  EXPECT_EQ(std::string(buffer + 1, static_cast<uint8_t>(buffer[0])), "pw-EForeign");
  EXPECT_EQ(ExceptionInfo().ClassName(), "ours");
}

}  // namespace
