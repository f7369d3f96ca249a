// The facts a report tells about the program and the machine, gathered on Windows.
//
// Gathering allocates and asks the system (registry, IP helper, version resources), so the
// report pipeline gathers once per report, before it suspends any thread: a suspended thread
// may hold the heap's or the loader's lock, and whoever then allocates waits for ever. What
// cannot change while the program runs (computer name, user, processor, system version and
// language, the program's own version data) is read at the first report and kept.
//
// The active form and the focused control are read from the GUI thread's input state and the
// windows' stored texts, never by sending a message: the GUI thread may be the one that is
// stopped, and a message to it would never be answered.
#pragma once

#include <memory>

#include "exceptions/report/snapshot.h"

class TSystemFactsGatherer {
 public:
  TSystemFactsGatherer();
  ~TSystemFactsGatherer();
  TSystemFactsGatherer(const TSystemFactsGatherer&) = delete;
  TSystemFactsGatherer& operator=(const TSystemFactsGatherer&) = delete;

  // Fills snapshot.application (from the program's executable), snapshot.system and
  // snapshot.activeControls. guiThreadId is the thread whose active window is reported (the
  // process's main thread); 0 takes the foreground window when it is one of this process.
  void Gather(TReportSnapshot& snapshot, unsigned long guiThreadId);

 private:
  struct Cache;
  static void readLastingFacts(Cache& c);
  std::unique_ptr<Cache> cache_;
};

// Now, in local time with the zone's current bias.
TReportDateTime ReportDateTimeNow();
// A file time (UTC, 100 ns since 1601) in local time.
TReportDateTime ReportDateTimeFromFileTime(uint64_t fileTime);
// The active window and the focused control of a thread, without sending it any message.
TReportActiveControls ReadActiveControls(unsigned long guiThreadId);
// Version "a.b.c.d" ("" for none or 0.0.0.0) and file description of a module file.
void ReadVersionResource(const std::string& path, std::string& version, std::string& description);
// The link time stamp of a loaded module's headers in local time; invalid when it has none.
TReportDateTime ModuleLinkDate(const void* moduleBase);
