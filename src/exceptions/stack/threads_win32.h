// Call stacks of the process's other threads. Each thread is stopped only while its context
// and raw stack are copied into a buffer made beforehand; it runs again before anything is
// resolved. Nothing is allocated, no lock is taken and no window message is sent while a
// thread is stopped: it may hold the heap lock or the display connection.
#pragma once

#include <windows.h>

#include <vector>

#include "exceptions/stack/stack_walk.h"

struct TThreadToWalk {
  DWORD threadId = 0;
  HANDLE handle = nullptr;  // with suspend/resume, get-context and query rights; not owned
  uint32_t stackTop = 0;    // 0: taken from the thread's information block
};

struct TThreadWalkResult {
  DWORD threadId = 0;
  int priority = THREAD_PRIORITY_ERROR_RETURN;  // for the thread caption of the report
  bool walked = false;
};

class TThreadStackWalker {
 public:
  TThreadStackWalker();  // makes the 100 KB copy buffer
  TThreadStackWalker(const TThreadStackWalker&) = delete;
  TThreadStackWalker& operator=(const TThreadStackWalker&) = delete;

  // Walks one other thread's stack into `list` (entries marked running, with its id). False
  // when the thread could not be stopped or its context read, or its frame pointer is zero.
  // Never call it for the calling thread.
  bool Walk(const TThreadToWalk& thread, TQuillonStackList& list, const TQuillonModulesList& modules,
            uint8_t kindMask = kAllKinds, bool useDebugInfo = true);

  // The stack top (highest address) of a thread, from its information block; 0 when unknown.
  static uint32_t StackTopOf(HANDLE thread);

 private:
  std::vector<uint8_t> copy_;
};

// Walks every listed thread except the calling thread and the `excluded` ones (the reporter's
// own threads, the thread waiting for the report): one result per thread walked or tried.
std::vector<TThreadWalkResult> WalkOtherThreads(const std::vector<TThreadToWalk>& threads,
                                                const std::vector<DWORD>& excluded, TQuillonStackList& list,
                                                const TQuillonModulesList& modules,
                                                uint8_t kindMask = kAllKinds);
