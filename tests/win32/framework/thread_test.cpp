// TThread: running, stopping, waiting, synchronizing and the one place exceptions leave to.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>

#include "framework/hooks_win32.h"
#include "framework/per_thread.h"
#include "framework/thread_win32.h"
#include "framework/util_window_win32.h"

namespace {
class TWorker : public TThread {
 public:
  std::function<void(TWorker&)> body;
  using TThread::SetReturnValue;

 protected:
  void Execute() override {
    if (body) body(*this);
  }
};

struct Reported {
  std::string className;
  DWORD threadId = 0;
  TThread* thread = nullptr;
};
Reported gReported;
void Report(TThread& thread, Exception& e) {
  gReported = {e.ClassName() + ": " + e.Message(), GetCurrentThreadId(), &thread};
}

class Threads : public ::testing::Test {
 protected:
  void SetUp() override {
    gReported = {};
    previous_ = TThread::SetExceptionHandler(&Report);
  }
  void TearDown() override { TThread::SetExceptionHandler(previous_); }
  TThread::TExceptionHandler previous_ = nullptr;
};
}  // namespace

TEST_F(Threads, RunsExecuteAfterStartAndEndsWithItsReturnValue) {
  TWorker t;
  std::atomic<bool> ran{false};
  t.body = [&](TWorker& self) {
    ran = true;
    self.SetReturnValue(42);
  };
  EXPECT_NE(t.ThreadID(), 0u);
  Sleep(20);
  EXPECT_FALSE(ran);  // made suspended
  t.Start();
  EXPECT_THROW(t.Start(), EThread);
  EXPECT_EQ(t.WaitFor(), 42u);
  EXPECT_TRUE(ran);
  EXPECT_TRUE(t.Finished());
  EXPECT_EQ(t.FatalException(), nullptr);
}

TEST_F(Threads, TerminateAsksExecuteToStop) {
  TWorker t;
  std::atomic<int> rounds{0};
  t.body = [&](TWorker& self) {
    while (!self.Terminated()) {
      ++rounds;
      Sleep(1);
    }
  };
  t.Start();
  while (rounds == 0) Sleep(1);
  t.Terminate();
  EXPECT_EQ(t.WaitFor(), 0u);
  // A thread never started ends without running Execute when it is freed.
  auto* idle = new TWorker;
  bool idleRan = false;
  idle->body = [&](TWorker&) { idleRan = true; };
  delete idle;
  EXPECT_FALSE(idleRan);
}

TEST_F(Threads, SynchronizeRunsOnTheMainThreadAndReturnsItsException) {
  ASSERT_TRUE(IsMainThread());
  TWorker t;
  DWORD ranOn = 0;
  std::string caught;
  t.body = [&](TWorker& self) {
    self.Synchronize([&] { ranOn = GetCurrentThreadId(); });
    try {
      self.Synchronize([] { throw EConvertError("on the main thread"); });
    } catch (EConvertError& e) {
      caught = e.Message();
    }
  };
  t.Start();
  t.WaitFor();  // serves the Synchronize calls while it waits
  EXPECT_EQ(ranOn, GetCurrentThreadId());
  EXPECT_EQ(caught, "on the main thread");
}

TEST_F(Threads, AnExceptionLeavingExecuteGoesToTheHandlerAndEndsTheThreadWithCode1) {
  TWorker t;
  t.body = [](TWorker& self) {
    self.SetReturnValue(5);
    throw std::out_of_range("worker index");
  };
  t.Start();
  EXPECT_EQ(t.WaitFor(), 1u);
  EXPECT_EQ(gReported.className, "std::out_of_range: worker index");
  EXPECT_EQ(gReported.threadId, t.ThreadID());
  EXPECT_EQ(gReported.thread, &t);
  ASSERT_NE(t.FatalException(), nullptr);
  EXPECT_TRUE(t.FatalException()->InheritsFrom("std::logic_error"));
  // The process and the next thread go on.
  TWorker next;
  next.body = [](TWorker& self) { self.SetReturnValue(3); };
  next.Start();
  EXPECT_EQ(next.WaitFor(), 3u);
}

TEST_F(Threads, FreeOnTerminateRunsOnTerminateOnTheMainThreadThenFrees) {
  static std::atomic<bool> destroyed{false};
  class TSelfFreeing : public TWorker {
   public:
    ~TSelfFreeing() override { destroyed = true; }
  };
  auto* t = new TSelfFreeing;
  DWORD terminateRanOn = 0;
  t->SetFreeOnTerminate(true);
  t->OnTerminate = [&](TObject*) { terminateRanOn = GetCurrentThreadId(); };
  t->body = [](TWorker& self) { throw EConvertError("and it still frees"); };
  t->Start();
  DWORD start = GetTickCount();
  while (!destroyed && GetTickCount() - start < 2000) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(1);
  }
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(terminateRanOn, GetCurrentThreadId());
  EXPECT_EQ(gReported.className, "EConvertError: and it still frees");
}

// What the framework keeps per thread (hook dispatchers, the utility window, windows under
// creation, the skin's paint buffers) is one object per thread, destroyed when its thread
// ends, whether the thread is a TThread or a runtime thread. (thread_local objects with
// destructors did not survive that under emulated thread-local storage: a worker that had
// painted a skinned window crashed on its way out.)
TEST_F(Threads, StateAThreadKeepsForItselfGoesWithTheThread) {
  static std::atomic<int> made{0}, gone{0};
  struct TCounted {
    TCounted() { ++made; }
    ~TCounted() { ++gone; }
    int uses = 0;
  };
  static TPerThread<TCounted> perThread;
  auto useEverything = [] {
    ++perThread.Get().uses;
    ++perThread.Get().uses;
    bool hookRan = false;
    TWindowsHook hook(WH_CALLWNDPROC, [&](THookCall&) { hookRan = true; });
    SendMessageA(UtilWindow(), WM_NULL, 0, 0);
    return hookRan && perThread.Get().uses == 2;
  };
  ++perThread.Get().uses;  // this thread's own object is not the workers'

  std::atomic<bool> ok{false};
  TWorker worker;
  worker.body = [&](TWorker& self) {
    ok = useEverything();
    self.SetReturnValue(7);
  };
  worker.Start();
  EXPECT_EQ(worker.WaitFor(), 7u) << "the worker must end normally";
  EXPECT_TRUE(ok);

  std::atomic<bool> okToo{false};
  std::thread plain([&] { okToo = useEverything(); });
  plain.join();
  EXPECT_TRUE(okToo);

  EXPECT_EQ(made.load(), 3);
  EXPECT_EQ(gone.load(), 2) << "each worker's object is destroyed when the worker ends";
  EXPECT_EQ(perThread.Get().uses, 1);
  EXPECT_TRUE(gReported.className.empty()) << gReported.className;
}
