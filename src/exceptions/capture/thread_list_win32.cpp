#include "exceptions/capture/thread_list_win32.h"

#include <windows.h>

#include <algorithm>

#include "exceptions/capture/locks_win32.h"

namespace {

uint32_t gMainThreadId;

// A handle is still of use while the thread it names runs.
bool ThreadEnded(const ThreadRecord& r) {
  if (!r.OwnHandle) return false;  // nothing to ask; the thread's own end removes the record
  DWORD code;
  return !GetExitCodeThread(r.OwnHandle, &code) || code != STILL_ACTIVE;
}

void* DuplicateOwn(void* handle) {
  HANDLE dup = nullptr;
  if (handle)
    DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &dup, 0, FALSE, DUPLICATE_SAME_ACCESS);
  return dup;
}

}  // namespace

uint32_t MainThreadId() { return gMainThreadId; }
bool IsMainThread(const ThreadRecord& r) { return r.ThreadId == gMainThreadId && gMainThreadId != 0; }
bool IsFrameworkThread(const ThreadRecord& r) { return IsMainThread(r) || r.ThreadObject != nullptr; }

// Set once by the reporter's start-up on the main thread.
void SetMainThreadId(uint32_t id) { gMainThreadId = id; }

struct TQuillonThreadsList::Lock {
  TReadWriteLock rw;
};

TQuillonThreadsList::TQuillonThreadsList() : lock_(new Lock) {}

TQuillonThreadsList::TQuillonThreadsList(const TQuillonThreadsList& source) : lock_(nullptr) {
  source.ReadLock();
  records_ = source.records_;
  source.ReadUnlock();
  for (ThreadRecord& r : records_) r.OwnHandle = DuplicateOwn(r.OwnHandle);
}

TQuillonThreadsList::~TQuillonThreadsList() {
  for (ThreadRecord& r : records_) Release(r);
  delete lock_;
}

void TQuillonThreadsList::ReadLock() const {
  if (lock_) lock_->rw.BeginRead();
}
void TQuillonThreadsList::ReadUnlock() const {
  if (lock_) lock_->rw.EndRead();
}
void TQuillonThreadsList::WriteLock() const {
  if (lock_) lock_->rw.BeginWrite();
}
void TQuillonThreadsList::WriteUnlock() const {
  if (lock_) lock_->rw.EndWrite();
}

void TQuillonThreadsList::Release(ThreadRecord& r) const {
  if (r.OwnHandle) CloseHandle(r.OwnHandle);
  r.OwnHandle = nullptr;
  if (!IsCopy() && !r.Resumed && r.OwnedBlock) HeapFree(GetProcessHeap(), 0, r.OwnedBlock);
  r.OwnedBlock = nullptr;
}

void TQuillonThreadsList::Add(const ThreadRecord& record) {
  WriteLock();
  for (auto it = records_.begin(); it != records_.end();) {
    if (ThreadEnded(*it)) {
      Release(*it);
      it = records_.erase(it);
    } else {
      ++it;
    }
  }
  records_.push_back(record);
  WriteUnlock();
}

int TQuillonThreadsList::PurgeEnded() {
  WriteLock();
  int removed = 0;
  for (auto it = records_.begin(); it != records_.end();) {
    if (ThreadEnded(*it)) {
      Release(*it);
      it = records_.erase(it);
      ++removed;
    } else {
      ++it;
    }
  }
  WriteUnlock();
  return removed;
}

bool TQuillonThreadsList::ResumeByHandle(void* threadHandle, const ThreadRecord& record) {
  WriteLock();
  bool found = false;
  for (size_t i = records_.size(); i-- > 0;) {
    ThreadRecord& r = records_[i];
    if (r.ThreadHandle != threadHandle) continue;
    void* own = r.OwnHandle;
    void* block = r.OwnedBlock;
    r = record;
    r.OwnHandle = own;
    if (!r.OwnedBlock) r.OwnedBlock = block;
    r.Resumed = 1;
    found = true;
    break;
  }
  WriteUnlock();
  return found;
}

bool TQuillonThreadsList::Remove(uint32_t threadId) {
  WriteLock();
  int i = IndexOfUnlocked(threadId);
  if (i >= 0) {
    Release(records_[static_cast<size_t>(i)]);
    records_.erase(records_.begin() + i);
  }
  WriteUnlock();
  return i >= 0;
}

int TQuillonThreadsList::IndexOfUnlocked(uint32_t threadId) const {
  for (size_t i = records_.size(); i-- > 0;)
    if (records_[i].ThreadId == threadId) return static_cast<int>(i);
  return -1;
}

int TQuillonThreadsList::IndexOfId(uint32_t threadId) const {
  ReadLock();
  int i = IndexOfUnlocked(threadId);
  ReadUnlock();
  return i;
}

int TQuillonThreadsList::IndexOfHandle(void* threadHandle) const {
  ReadLock();
  int found = -1;
  for (size_t i = records_.size(); i-- > 0;)
    if (records_[i].ThreadHandle == threadHandle) {
      found = static_cast<int>(i);
      break;
    }
  ReadUnlock();
  return found;
}

int TQuillonThreadsList::IndexOfObject(const void* threadObject) const {
  ReadLock();
  int found = -1;
  for (size_t i = records_.size(); i-- > 0;)
    if (records_[i].ThreadObject == threadObject) {
      found = static_cast<int>(i);
      break;
    }
  ReadUnlock();
  return found;
}

ThreadRecord TQuillonThreadsList::At(int index) const {
  ReadLock();
  ThreadRecord r;
  if (index >= 0 && static_cast<size_t>(index) < records_.size()) r = records_[static_cast<size_t>(index)];
  ReadUnlock();
  return r;
}

bool TQuillonThreadsList::Find(uint32_t threadId, ThreadRecord& out) const {
  ReadLock();
  int i = IndexOfUnlocked(threadId);
  if (i >= 0) out = records_[static_cast<size_t>(i)];
  ReadUnlock();
  return i >= 0;
}

int TQuillonThreadsList::Count() const {
  ReadLock();
  int n = static_cast<int>(records_.size());
  ReadUnlock();
  return n;
}

std::vector<ThreadRecord> TQuillonThreadsList::Records() const {
  ReadLock();
  std::vector<ThreadRecord> copy = records_;
  ReadUnlock();
  return copy;
}

namespace {

TCriticalSection& ExclusionLock() {
  static TCriticalSection& lock = *new TCriticalSection;  // never destroyed: threads may end after exit
  return lock;
}
std::vector<uint32_t>& Excluded() {
  static auto& ids = *new std::vector<uint32_t>;
  return ids;
}

}  // namespace

void ExcludeThread(uint32_t threadId) {
  TCriticalSectionGuard guard(ExclusionLock());
  if (std::find(Excluded().begin(), Excluded().end(), threadId) == Excluded().end())
    Excluded().push_back(threadId);
}

void IncludeThread(uint32_t threadId) {
  TCriticalSectionGuard guard(ExclusionLock());
  auto& ids = Excluded();
  ids.erase(std::remove(ids.begin(), ids.end(), threadId), ids.end());
}

bool IsThreadExcluded(uint32_t threadId) {
  TCriticalSectionGuard guard(ExclusionLock());
  return std::find(Excluded().begin(), Excluded().end(), threadId) != Excluded().end();
}
