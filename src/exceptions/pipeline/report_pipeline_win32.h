// The report pipeline (Windows): from HandleCapturedException (captured_exception.h) to the
// visible report, the log, the clipboard and the terminate or restart operation.
//
// One report runs at a time (the reporter lock, held by the thread that raised). The report
// is made on a worker, TExceptionThread, while the raising thread waits: a raising main thread
// keeps its queue moving (pipeline_rules.h: PumpActionFor) so that its windows repaint and
// answer, and every waiting thread runs the steps the worker hands it (RunOnCallerThread).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "exceptions/capture/captured_exception.h"

// Runs a step on the thread that raised: the event handlers of the program expect to run
// there. From the report worker the step is handed to the waiting thread, and the worker
// waits in 10 ms steps until it has run; anywhere else it runs at once. Exceptions of the step
// are dropped.
void RunOnCallerThread(const std::function<void()>& step);

// The raising main thread handles its queued messages while it waits (on by default).
void SetReportMessagePumping(bool on);

// Lets the program dress the windows a report shows (the error dialog, the request dialog) as
// it dresses its own windows; the program's skin engine does. `decorate` runs on the thread
// that is about to show them and returns what must live while they are shown, released on
// that thread once they are gone. A null result or a failure leaves them plain. Set it while
// no report runs (at start-up); an empty function removes it.
using TReportWindowsDecorator = std::function<std::shared_ptr<void>()>;
void SetReportWindowsDecorator(TReportWindowsDecorator decorate);

// What one report did, for the program's tests and timings (observer called on the worker at
// the end of each report that got as far as its text).
struct TReportOutcome {
  using TTime = std::chrono::steady_clock::time_point;  // a default value: it did not happen
  bool filtered = false;
  bool dialogShown = false;
  bool logSaved = false;
  bool duplicate = false;
  TTime startAt;    // the report entry
  TTime textAt;     // the report text is ready
  TTime visibleAt;  // the error dialog is on the screen
  TTime savedAt;    // the log holds the report
};
void SetReportOutcomeObserver(void (*observer)(const TReportOutcome&));

// Reads what every report needs (module list, lasting system facts, debug information) on a
// background thread a moment after start-up, so that the first report is as quick as the
// next ones. Called where start-up ends.
void StartReportPreparation();

namespace nv_pipeline {
struct TReportRun;
// The worker's part: decides, builds and shows the report (build_report_win32.cpp).
// Returns 1 for the caller's default handling, 0 when the report handled the exception.
uint8_t BuildAndShowReport(TReportRun& run);
}  // namespace nv_pipeline
