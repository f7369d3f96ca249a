// The threads a report stops, started again whatever happens.
//
// A stopped thread may hold the heap's lock, the loader's lock or the display connection's;
// whoever then allocates, loads or draws waits for ever. So while threads are stopped the
// pipeline only reads memory into buffers made beforehand, and resumes them before its first
// step that allocates (pipeline: the report text).
#pragma once

#include <windows.h>

#include <vector>

class TPausedThreads {
 public:
  explicit TPausedThreads(size_t capacity) { handles_.reserve(capacity); }
  ~TPausedThreads() { ResumeAll(); }
  TPausedThreads(const TPausedThreads&) = delete;
  TPausedThreads& operator=(const TPausedThreads&) = delete;

  // Stops the thread unless the list is full (it never grows while threads are stopped).
  void Pause(HANDLE thread) {
    if (handles_.size() == handles_.capacity()) return;
    if (SuspendThread(thread) != static_cast<DWORD>(-1)) handles_.push_back(thread);
  }
  // In list order, as they were stopped.
  void ResumeAll() {
    for (HANDLE h : handles_) ResumeThread(h);
    handles_.clear();
  }
  size_t Count() const { return handles_.size(); }

 private:
  std::vector<HANDLE> handles_;  // not owned: the pipeline's copy of the thread list holds them
};
