// The raise path: what runs on the raising thread for every exception, before it is unwound.
#pragma once

#include <cstdint>

#include "exceptions/capture/capture_state.h"
#include "exceptions/capture/exception_object.h"

struct TRaiseInfo {
  TExceptionObject exception;
  uintptr_t address = 0;       // return address of the raising call, or the faulting instruction
  bool fromRaiseCall = false;  // address is a return address (the call lies 5 bytes before it)
  bool handled = false;        // the exception is known to be handled already
  // The capture point knows that nothing will catch it (the terminate handler, the
  // unhandled-exception filter). A throw never knows: whether a handler catches it is for the
  // unwinder's search to find, and one that finds none ends in the terminate handler with the
  // thrower's stack still in place.
  bool uncaught = false;
  // The thread's last exception is this one, recorded when it was thrown: keep its context
  // and stack snapshot (the stack may have been unwound since).
  bool sameAsLast = false;
  const TX86Context* context = nullptr;  // the system's context, or null to keep the rebuilt one
  TX86Context rebuilt{};                 // used when context is null
  uintptr_t raiseStackPointer = 0;
  uint32_t counter = 0;  // ECX at the raise
};

// Records the exception as the thread's last one with its context, takes the thread's stack
// snapshot and, for an exception that nothing will catch, hands it to the report entry.
// Re-entry on the same thread (an exception inside this path) returns at once; the thread's
// last-error value is kept.
void HandleRaisedException(const TRaiseInfo& info);

// The same for an exception of another thread, reported from the current one (a stack
// overflow, whose thread has no stack left to run the path): state, snapshot and context go
// to that thread's block. Returns the report entry's answer (1: default handling).
uint8_t HandleForeignThreadException(uint32_t threadId, const TRaiseInfo& info, uintptr_t stackTop);

// Turns raising through __cxa_throw into the raise path; false until then.
bool ThrowCaptureInstalled();
void SetThrowCaptureInstalled(bool on);

// The runtime routines the stack walker recognises as the throw machinery, with jump thunks
// followed: the real __cxa_throw, the unwinder's raise routine and the C++ personality.
struct TRuntimeRoutines {
  void* cxaThrow = nullptr;
  void* unwindRaise = nullptr;
  void* personality = nullptr;
};
const TRuntimeRoutines& RuntimeRoutines();
void LocateRuntimeRoutines();
