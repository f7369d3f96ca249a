#include "framework/thread_win32.h"

#include <condition_variable>
#include <deque>
#include <mutex>

#include "framework/cpp_exception.h"
#include "framework/util_window_win32.h"

NV_DEFINE_CLASS(TThread, TObject)

namespace {
std::atomic<TThread::TExceptionHandler> gHandler{nullptr};

// Synchronize requests wait here for the main thread.
struct SyncRequest {
  const std::function<void()>* method;
  std::exception_ptr error;
  bool done = false;
};
struct SyncQueue {
  std::mutex lock;
  std::condition_variable done;
  std::deque<SyncRequest*> waiting;
  // Signalled with every request, so that a main thread blocked in WaitFor wakes up.
  TKernelHandle event{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
};
SyncQueue& Queue() {
  static auto* q = new SyncQueue;  // threads may still finish while the program ends
  return *q;
}
}  // namespace

TThread::TThread() {
  if (IsMainThread()) {
    // The wake-up window must belong to the main thread: make it now, while on it.
    UtilWindow();
    SetUtilHandler(kUtilSyncMessage, [](WPARAM, LPARAM) { CheckSynchronize(); });
  }
  handle_.Reset(CreateThread(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &id_));
  if (!handle_) throw EThread(Format("Thread creation error: system error %lu", GetLastError()));
}

TThread::~TThread() {
  if (GetCurrentThreadId() != id_ && handle_) {
    Terminate();
    if (!started_) Start();  // it leaves at once: Execute does not run once terminated
    WaitFor();
  }
}

LPTHREAD_START_ROUTINE TThread::StartRoutine() { return &TThread::ThreadProc; }

TThread::TExceptionHandler TThread::SetExceptionHandler(TExceptionHandler handler) {
  return gHandler.exchange(handler);
}

void TThread::Start() {
  if (started_.exchange(true)) throw EThread("Cannot start a thread that is already started");
  ResumeThread(handle_.Get());
}

DWORD WINAPI TThread::ThreadProc(LPVOID param) {
  auto* self = static_cast<TThread*>(param);
  DWORD code = 0;
  if (!self->terminated_)
    code = self->RunStep(&TThread::Execute) ? static_cast<DWORD>(self->returnValue_) : 1;
  self->finished_ = true;
  if (!self->RunStep(&TThread::DoTerminate)) code = 1;
  if (self->freeOnTerminate_) delete self;
  return code;
}

bool TThread::RunStep(void (TThread::*step)()) noexcept {
  try {
    (this->*step)();
    return true;
  } catch (Exception& e) {
    if (!fatal_) fatalHolder_ = std::current_exception();
    HandleThreadException(e);
  } catch (...) {
    ECppException wrapped = ECppException::FromCurrent();
    HandleThreadException(wrapped);
    if (fatal_ == &wrapped) {
      // Kept beyond the catch block; without memory for it, the thread keeps none.
      fatal_ = nullptr;
      try {
        fatalWrapper_ = std::make_unique<ECppException>(wrapped);
        fatal_ = fatalWrapper_.get();
      } catch (...) {
      }
    }
  }
  return false;
}

void TThread::HandleThreadException(Exception& e) noexcept {
  if (!fatal_) fatal_ = &e;
  TExceptionHandler handler = gHandler.load();
  if (!handler) return;
  try {
    handler(*this, e);
  } catch (...) {
    // The handler's own failure has nowhere left to go.
  }
}

void TThread::DoTerminate() {
  if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

DWORD TThread::WaitFor() {
  if (GetCurrentThreadId() == id_) throw EThread("A thread cannot wait for itself");
  if (IsMainThread()) {
    HANDLE waits[2] = {handle_.Get(), Queue().event.Get()};
    for (;;) {
      DWORD r = MsgWaitForMultipleObjects(2, waits, FALSE, INFINITE, QS_SENDMESSAGE);
      if (r == WAIT_OBJECT_0) break;
      if (r == WAIT_OBJECT_0 + 1) {
        CheckSynchronize();
      } else if (r == WAIT_OBJECT_0 + 2) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // lets sent messages through
      } else {
        break;
      }
    }
    CheckSynchronize();
  } else {
    WaitForSingleObject(handle_.Get(), INFINITE);
  }
  DWORD code = 0;
  GetExitCodeThread(handle_.Get(), &code);
  return code;
}

void TThread::Synchronize(const std::function<void()>& method) { Synchronize(this, method); }

void TThread::Synchronize(TThread*, const std::function<void()>& method) {
  if (IsMainThread()) {
    method();
    return;
  }
  SyncQueue& q = Queue();
  SyncRequest request{&method};
  {
    std::lock_guard<std::mutex> guard(q.lock);
    q.waiting.push_back(&request);
  }
  SetEvent(q.event.Get());
  if (HWND wnd = MainUtilWindow())
    PostMessageA(wnd, kUtilSyncMessage, 0, 0);
  else
    PostThreadMessageA(MainThreadID(), kUtilSyncMessage, 0, 0);
  std::unique_lock<std::mutex> lock(q.lock);
  q.done.wait(lock, [&] { return request.done; });
  if (request.error) std::rethrow_exception(request.error);
}

bool TThread::CheckSynchronize() {
  if (!IsMainThread()) throw EThread("CheckSynchronize runs on the main thread only");
  SyncQueue& q = Queue();
  bool ran = false;
  for (;;) {
    SyncRequest* request;
    {
      std::lock_guard<std::mutex> guard(q.lock);
      if (q.waiting.empty()) break;
      request = q.waiting.front();
      q.waiting.pop_front();
    }
    ran = true;
    std::exception_ptr error;
    try {
      (*request->method)();
    } catch (...) {
      error = std::current_exception();
    }
    {
      std::lock_guard<std::mutex> guard(q.lock);
      request->error = error;
      request->done = true;
    }
    q.done.notify_all();
  }
  return ran;
}
