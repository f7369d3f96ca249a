// The reporter's process-wide state, set up by ExceptionLog.Init and torn down by
// ExceptionLog.Done (exception_log_win32.cpp).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

class TQuillonModuleOptions;
class TQuillonThreadsList;
class TCriticalSection;

struct TReporterState {
  bool active = false;
  bool startingUp = false;    // until the program's entry runs
  bool shuttingDown = false;  // from the program's exit on
  bool captureInstalled = false;
  std::string startDirectory;  // for a restart
  std::time_t startTime = 0;
  uint32_t errorCount = 0;
  uint8_t sharedScratch[240] = {};
  void* mainThreadHandle = nullptr;  // real handle of the main thread (suspend, context, query)
  TQuillonThreadsList* threads = nullptr;
  TQuillonModuleOptions* options = nullptr;
  std::vector<std::string> customData, attachedFiles, webFields;
  std::vector<void*> extraObjects;
};

TReporterState& Reporter();
bool ReporterActive();

// The process-wide reporter lock (one report at a time), the stack-snapshot lock, and the
// event-dispatch lock. They live for the whole process: threads may still end, and take
// them, after ExceptionLog.Done.
TCriticalSection& ReporterLock();
TCriticalSection& SnapshotLock();
TCriticalSection& EventLock();

// The thread list, or null while the reporter is inactive.
TQuillonThreadsList* ReporterThreads();

// Set once on the main thread at start-up.
void SetMainThreadId(uint32_t id);

// The module that holds an address (null when none does).
void* ModuleOfAddress(const void* address);
