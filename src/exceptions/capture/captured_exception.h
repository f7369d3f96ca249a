// The one entry at which every captured exception arrives for a report decision.
#pragma once

#include <cstdint>

#include "exceptions/capture/exception_object.h"

enum : uint8_t { rkGeneric = 0, rkApplication = 1, rkWeb = 2 };          // raiser kinds
enum : uint8_t { hkNormal = 0, hkSafeCall = 1, hkThreadProcedure = 2 };  // handler kinds

struct TCapturedException {
  TExceptionObject exception;
  uintptr_t address = 0;  // as raised: the return address of the raising call when fromRaiseCall
  bool fromRaiseCall = false;
  uint8_t raiserKind = rkGeneric;
  uint8_t handlerKind = hkNormal;
  uint32_t threadId = 0;  // the reported thread
  void* module = nullptr;
};

// Decides about a report and makes it. Returns 1 when the caller must go on with its own
// default handling, 0 when the exception was handled here. A second exception of a thread
// whose report is running gets none (0).
uint8_t HandleCapturedException(const TCapturedException& e);
