#include "exceptions/report/report_log_win32.h"

#include "exceptions/options/log_file_name_win32.h"
#include "exceptions/options/module_options.h"
#include "exceptions/report/report_text.h"

TLogFile& TReportLog::FileFor(const TQuillonModuleOptions& options) {
  file_.SetFileName(QuillonLogFileNameFor(options));
  return file_;
}

void TReportLog::CheckVersion(const TQuillonModuleOptions& options, const std::string& runningVersion,
                              const TLogSaveHandlers& handlers) {
  if (!(options.ReportCheckFlags() & rkDeleteOldVersionLog)) return;
  TLogFile& log = FileFor(options);
  bool deleted = false;
  std::string error;
  if (!log.CheckVersion(runningVersion, deleted, &error) && handlers.warning)
    handlers.warning(eeLogError, "[Log] " + error);
}

TLogSaveOutcome TReportLog::Save(const TQuillonModuleOptions& options, const TReportSnapshot& snapshot,
                                 const std::string& reportText, const TLogSaveHandlers& handlers) {
  if (!options.WriteLog()) {
    TLogSaveOutcome skipped;
    skipped.skipped = true;
    skipped.sendText = reportText;
    return skipped;
  }
  TLogFile& log = FileFor(options);
  TLogAppendOptions append = LogAppendOptionsFrom(ReportSettingsFrom(options), snapshot.application.version);
  bool wholeLog = (options.AttachmentFlags() & atSendWholeLog) != 0;
  return SaveReportToLog(log, reportText, ReportKeyOf(snapshot), append, wholeLog, handlers);
}
