// Inside the capture path: each thread's block (its CaptureState, the lock that guards it,
// its stack snapshot and a fault waiting to be thrown), found through a TLS slot on the
// thread itself and by thread id from other threads.
#pragma once

#include <windows.h>

#include <cstdint>

#include "exceptions/capture/capture_state.h"
#include "exceptions/capture/locks_win32.h"

// A processor fault that the vectored handler turned into a pending throw; the thrower on the
// same thread picks it up.
struct TPendingFault {
  bool pending = false;
  DWORD code = 0;
  uintptr_t address = 0;
  ULONG_PTR info[2] = {};  // access kind and target of an access violation
  DWORD infoCount = 0;
  TX86Context context{};
};

struct TThreadBlock {
  CaptureState state;
  TReadWriteLock lock;  // the state and the snapshot change under its write side
  TStackSnapshot snapshotInfo;
  uint8_t* snapshot = nullptr;  // TStackSnapshot::kCapacity bytes
  TPendingFault fault;
  bool insideApplicationHandler = false;  // the application's handler runs (its display routine asks nobody)
  bool runningCallerStep = false;         // a pipeline step runs here on behalf of the report worker
};

// Sets up the TLS slot; called by the first TLS callback of the process.
void InitThreadBlocks();
// The calling thread's block, made when missing; null only when memory ran out.
TThreadBlock* CurrentThreadBlock();
// The calling thread's block only when it exists.
TThreadBlock* ExistingThreadBlock();
// Made when a thread starts, freed when it ends.
void AttachThreadBlock();
void DetachThreadBlock();

// Runs f(block) under the registry's read lock for the block of a thread; false when none.
bool WithThreadBlock(uint32_t threadId, void (*f)(TThreadBlock&, void*), void* data);

// The calling thread's stack limits from its thread information block.
uintptr_t CurrentStackTop();
uintptr_t CurrentStackLimit();

// Copies the stack from `from` up to stackTop (at most the snapshot's capacity) into the
// block's snapshot, under its write lock; a range that cannot be read leaves Size 0.
void TakeStackSnapshot(TThreadBlock& block, uint32_t threadId, uintptr_t from, uintptr_t stackTop,
                       uintptr_t exceptionAddress);

// Converts between the system's context record and the portable one (204 bytes).
void ToPortableContext(const CONTEXT& in, TX86Context& out);
