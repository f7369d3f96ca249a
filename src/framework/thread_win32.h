// TThread: a system thread that runs the virtual Execute of an object.
//
// The system thread is made (suspended) by the constructor and runs once Start() is called:
// Execute belongs to the derived class, which is not yet built while the constructor runs.
// It is made with kernel32's CreateThread and the start routine TThread::StartRoutine(), so
// that whoever watches the process's threads can tell framework threads (the start
// parameter is the TThread object) from others.
//
// An exception that leaves Execute (or OnTerminate) is handed to one place: the handler
// installed with TThread::SetExceptionHandler, called on the thread itself, inside the catch
// block, with the exception as the guard hands it on (a framework exception as itself, any
// other C++ exception as an ECppException). The exception is kept as FatalException(), the
// thread ends with exit code 1 and the process goes on.
#pragma once

#include <windows.h>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>

#include "framework/exception.h"
#include "framework/handle_owners_win32.h"
#include "framework/properties.h"

class TThread : public TObject {
  NV_CLASS(TThread)
 public:
  // Raises EThread when the system cannot make the thread.
  TThread();
  // Terminates and waits for a thread that still runs (one that was never started ends
  // without running Execute). Not to be called by the thread itself, except through
  // FreeOnTerminate.
  ~TThread() override;
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  void Start();  // once; raises EThread when started twice
  // Asks Execute to stop; Execute looks at Terminated() and returns.
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  bool Started() const { return started_; }
  bool Finished() const { return finished_; }
  // Waits until the thread has ended and returns its exit code (ReturnValue, or 1 after an
  // exception). On the main thread, Synchronize calls of the thread and messages sent to
  // this thread's windows are served meanwhile.
  DWORD WaitFor();

  // Frees the object on its own thread once Execute and OnTerminate are done.
  bool FreeOnTerminate() const { return freeOnTerminate_; }
  void SetFreeOnTerminate(bool v) { freeOnTerminate_ = v; }
  // Runs on the main thread (through Synchronize) after Execute.
  TNotifyEvent OnTerminate;
  int ReturnValue() const { return returnValue_; }
  HANDLE Handle() const { return handle_.Get(); }
  DWORD ThreadID() const { return id_; }
  // The exception that ended Execute, or null. Owned by the thread object.
  Exception* FatalException() const { return fatal_; }

  // Runs method on the main thread and waits for it; on the main thread it runs at once. An
  // exception of method is raised again in the calling thread.
  void Synchronize(const std::function<void()>& method);
  static void Synchronize(TThread* thread, const std::function<void()>& method);
  // Runs the Synchronize calls waiting for the main thread; true when one ran. The message
  // loops call it; only the main thread may.
  static bool CheckSynchronize();

  // The one place where an exception leaving a thread's Execute goes (null: none, the
  // exception is only kept). Returns the previous handler.
  using TExceptionHandler = void (*)(TThread& thread, Exception& e);
  static TExceptionHandler SetExceptionHandler(TExceptionHandler handler);
  // The start routine of every framework thread (its parameter is the TThread).
  static LPTHREAD_START_ROUTINE StartRoutine();

 protected:
  virtual void Execute() = 0;
  // Runs OnTerminate on the main thread.
  virtual void DoTerminate();
  void SetReturnValue(int v) { returnValue_ = v; }

 private:
  static DWORD WINAPI ThreadProc(LPVOID param);
  bool RunStep(void (TThread::*step)()) noexcept;  // false when it raised
  void HandleThreadException(Exception& e) noexcept;

  TKernelHandle handle_;
  DWORD id_ = 0;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> started_{false};
  std::atomic<bool> finished_{false};
  bool freeOnTerminate_ = false;
  int returnValue_ = 0;
  Exception* fatal_ = nullptr;
  std::exception_ptr fatalHolder_;           // keeps a framework exception alive
  std::unique_ptr<Exception> fatalWrapper_;  // the ECppException for other exceptions
};
