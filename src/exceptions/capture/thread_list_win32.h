// The reporter's list of the process's threads. Every thread is added when it starts and
// removed when it ends (thread_tracking_win32.h); the report pipeline works on a copy.
#pragma once

#include <cstdint>
#include <vector>

struct TClassInfo;

#pragma pack(push, 1)
// 49 bytes; the exported thread-tracking entries pass it between copies of the reporter.
struct ThreadRecord {
  uint32_t ThreadId = 0;
  // The handle the thread's creator got back. The creator may close it and the system may
  // reuse the value for another object, so it serves only to find the record for later calls
  // that name it (ResumeThread); everything else uses OwnHandle.
  void* ThreadHandle = nullptr;
  const TClassInfo* ThreadClass = nullptr;  // class of ThreadObject, which may be gone later
  uint32_t Priority = 0x80000000u;          // not read yet
  void* ThreadObject = nullptr;             // the framework TThread, null for other threads
  void* StackTop = nullptr;
  void* OriginalRun = nullptr;   // the class's run method, when the reporter replaced it
  void* RuntimeStart = nullptr;  // start routine of a thread begun through the runtime's wrapper
  void* PlainStart = nullptr;    // start routine of a thread begun through CreateThread
  void* StartParameter = nullptr;
  // A handle of the record's own (suspend/resume, context, query rights), closed with the
  // record by the list that owns it; a copy of the list holds duplicates of its own.
  void* OwnHandle = nullptr;
  void* OwnedBlock = nullptr;  // freed with the record unless the list is a copy or Resumed
  uint8_t Resumed = 0;
};
#pragma pack(pop)
static_assert(sizeof(void*) != 4 || sizeof(ThreadRecord) == 49, "the record crosses module boundaries");

// A thread is the main thread when its id is the process's main thread id; a framework
// thread when it is the main thread or has a thread object; otherwise a plain thread.
uint32_t MainThreadId();
bool IsMainThread(const ThreadRecord& r);
bool IsFrameworkThread(const ThreadRecord& r);

// The list, guarded by a many-readers/one-writer lock. A copy (made with the copy
// constructor, as the pipeline does) takes every record under the source's read lock, has
// no lock of its own and frees no owned blocks; it duplicates each OwnHandle so that the
// handles it holds stay valid however long the copy lives, and closes those duplicates.
class TQuillonThreadsList {
 public:
  TQuillonThreadsList();
  TQuillonThreadsList(const TQuillonThreadsList& source);
  TQuillonThreadsList& operator=(const TQuillonThreadsList&) = delete;
  ~TQuillonThreadsList();

  bool IsCopy() const { return lock_ == nullptr; }

  // Adds the record (the list takes over its OwnHandle and OwnedBlock) after removing every
  // record whose thread has ended or whose handle is no longer valid.
  void Add(const ThreadRecord& record);
  // Removes the records of threads that have ended; the number removed.
  int PurgeEnded();
  // Overwrites the record with that creator's handle and sets its Resumed flag; the record's
  // own handle is kept. False when none has the handle.
  bool ResumeByHandle(void* threadHandle, const ThreadRecord& record);
  // Changes the record of a thread in place under the write lock; false when not listed.
  template <class F>
  bool Update(uint32_t threadId, F&& change) {
    WriteLock();
    int i = IndexOfUnlocked(threadId);
    if (i >= 0) change(records_[static_cast<size_t>(i)]);
    WriteUnlock();
    return i >= 0;
  }
  // Removes (and closes and frees) the record of a thread; false when not listed.
  bool Remove(uint32_t threadId);

  // Lookups run from the last record to the first; -1 when none matches.
  int IndexOfId(uint32_t threadId) const;
  int IndexOfHandle(void* threadHandle) const;
  int IndexOfObject(const void* threadObject) const;
  // A copy of record i (i from 0 to Count() - 1); an empty record outside.
  ThreadRecord At(int index) const;
  bool Find(uint32_t threadId, ThreadRecord& out) const;
  int Count() const;
  std::vector<ThreadRecord> Records() const;

 private:
  void ReadLock() const;
  void ReadUnlock() const;
  void WriteLock() const;
  void WriteUnlock() const;
  int IndexOfUnlocked(uint32_t threadId) const;
  void Release(ThreadRecord& r) const;
  struct Lock;
  Lock* lock_;
  std::vector<ThreadRecord> records_;
};

// Threads that the reporter ignores (its own workers): an exception in one gets no report.
void ExcludeThread(uint32_t threadId);
void IncludeThread(uint32_t threadId);
bool IsThreadExcluded(uint32_t threadId);
