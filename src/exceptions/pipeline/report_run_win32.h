// One running report, shared by the thread that raised and the report worker.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <vector>

#include "exceptions/capture/capture_state.h"

#include "exceptions/capture/captured_exception.h"

namespace nv_pipeline {

struct TReportRun {
  TCapturedException exception;
  uint32_t waitingThread = 0;  // the thread that raised (or handed over) and waits
  bool onWorker = false;       // the report runs on TExceptionThread
  uint32_t workerId = 0;
  bool neverReported = false;
  HANDLE stepReady = nullptr;  // the worker handed a step to the waiting thread
  HANDLE stepDone = nullptr;
  std::atomic<const std::function<void()>*> pendingStep{nullptr};
  uint8_t result = 1;
  // The reported thread's state and stack snapshot as they were when the exception arrived:
  // while it waits the thread goes on handling messages, and a throw in one of them would
  // replace both.
  CaptureState state;
  bool stateKnown = false;
  TStackSnapshot snapshotInfo;
  std::vector<uint8_t> snapshot;
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point dialogVisibleAt;  // seen by the waiting thread
};

// The report that runs now (one at a time), or null.
TReportRun* CurrentRun();
void SetCurrentRun(TReportRun* run);


}  // namespace nv_pipeline
