// TReportLog: the log of the reporting module, as the report pipeline uses it (Windows).
//
// Puts together the log file name rule of the module's options, the Windows storage and the
// log file: the pipeline calls CheckVersion before it decides on sending and Save when the
// report is to be kept.
#pragma once

#include <string>

#include "exceptions/report/log_file.h"
#include "exceptions/report/log_storage_win32.h"

class TQuillonModuleOptions;
struct TReportSnapshot;

class TReportLog {
 public:
  TReportLog() : file_(storage_) {}
  TReportLog(const TReportLog&) = delete;
  TReportLog& operator=(const TReportLog&) = delete;

  // The log where the options put it ("" when it cannot be written anywhere); a changed name
  // starts from the new file.
  TLogFile& FileFor(const TQuillonModuleOptions& options);
  // The version check, when the options ask for it: deletes the log when its last report
  // carries another version than the running module's. Failures are warnings as for Save.
  void CheckVersion(const TQuillonModuleOptions& options, const std::string& runningVersion,
                    const TLogSaveHandlers& handlers);
  // Saves the report when the options keep a log: duplicates, capacity and version from the
  // options, the running version and the duplicate key from the snapshot.
  TLogSaveOutcome Save(const TQuillonModuleOptions& options, const TReportSnapshot& snapshot,
                       const std::string& reportText, const TLogSaveHandlers& handlers);

 private:
  TWin32LogStorage storage_;
  TLogFile file_;
};
