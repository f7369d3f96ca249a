// The reporter's locks. They are plain system locks that need no allocation, so that the
// capture path and thread start/end callbacks can take them at any moment.
#pragma once

#include <windows.h>

// A recursive critical section, entered and left around one change or one report.
class TCriticalSection {
 public:
  TCriticalSection() { InitializeCriticalSection(&cs_); }
  ~TCriticalSection() { DeleteCriticalSection(&cs_); }
  TCriticalSection(const TCriticalSection&) = delete;
  TCriticalSection& operator=(const TCriticalSection&) = delete;
  void Enter() { EnterCriticalSection(&cs_); }
  void Leave() { LeaveCriticalSection(&cs_); }

 private:
  CRITICAL_SECTION cs_;
};

class TCriticalSectionGuard {
 public:
  explicit TCriticalSectionGuard(TCriticalSection& cs) : cs_(cs) { cs_.Enter(); }
  ~TCriticalSectionGuard() { cs_.Leave(); }
  TCriticalSectionGuard(const TCriticalSectionGuard&) = delete;
  TCriticalSectionGuard& operator=(const TCriticalSectionGuard&) = delete;

 private:
  TCriticalSection& cs_;
};

// Many readers or one writer; not recursive.
class TReadWriteLock {
 public:
  TReadWriteLock() = default;
  TReadWriteLock(const TReadWriteLock&) = delete;
  TReadWriteLock& operator=(const TReadWriteLock&) = delete;
  void BeginRead() { AcquireSRWLockShared(&lock_); }
  void EndRead() { ReleaseSRWLockShared(&lock_); }
  void BeginWrite() { AcquireSRWLockExclusive(&lock_); }
  void EndWrite() { ReleaseSRWLockExclusive(&lock_); }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
};

class TReadGuard {
 public:
  explicit TReadGuard(TReadWriteLock& l) : l_(l) { l_.BeginRead(); }
  ~TReadGuard() { l_.EndRead(); }
  TReadGuard(const TReadGuard&) = delete;
  TReadGuard& operator=(const TReadGuard&) = delete;

 private:
  TReadWriteLock& l_;
};

class TWriteGuard {
 public:
  explicit TWriteGuard(TReadWriteLock& l) : l_(l) { l_.BeginWrite(); }
  ~TWriteGuard() { l_.EndWrite(); }
  TWriteGuard(const TWriteGuard&) = delete;
  TWriteGuard& operator=(const TWriteGuard&) = delete;

 private:
  TReadWriteLock& l_;
};
