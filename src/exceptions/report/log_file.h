// TLogFile: the log of past reports ("netvosk.qlf"), and saving a report into it.
//
// Stored form, exactly: each report is written as its text with every line break CR LF, no
// line break at its start or end, and never two empty lines in a row (the second of two
// becomes "."), followed by the separator: the line break that ends its last line and three
// empty lines. Since a report's own text can never hold two empty lines in a row, it can
// never look like a separator, and reading a log and writing it back gives the same bytes.
// The reader also accepts logs edited by hand: any line breaks (LF, CR), and any run of two
// or more empty lines between reports.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exceptions/report/log_errors.h"
#include "exceptions/report/log_storage.h"
#include "exceptions/report/report_reader.h"

struct TReportSettings;

inline constexpr std::string_view kLogSeparator = "\r\n\r\n\r\n\r\n";

// A report's text in its stored form (without the separator).
std::string StoredReportBody(std::string_view reportText);
// The stored reports of a log's content, oldest first. Text without a table row ("-" rule
// followed by a "|" line) is not a report and is dropped.
std::vector<std::string> ParseLog(std::string_view content);
// A log's content from stored report bodies.
std::string ComposeLog(const std::vector<std::string>& bodies);
// Version Number (item 1.3) of the last report, or nothing when there is none or it is hidden.
std::optional<std::string> LastReportVersion(const std::vector<std::string>& bodies);
// Whether some stored report is the same error (items 2.2 to 2.5, all known and equal).
bool ContainsSameError(const std::vector<std::string>& bodies, const TReportKey& key);

struct TLogAppendOptions {
  bool noDuplicates = false;   // a report of a stored error is not stored again
  int capacity = 32;           // reports kept; the oldest go first (at least one is kept)
  bool versionCheck = false;   // drop a log whose last report has another version number
  std::string runningVersion;  // the running module's version (never the printed item)
};
TLogAppendOptions LogAppendOptionsFrom(const TReportSettings& settings, std::string runningVersion);

enum class TLogAppendStatus { lsSaved, lsDuplicate, lsFailed };

struct TLogAppendResult {
  TLogAppendStatus status = TLogAppendStatus::lsFailed;
  bool oldVersionDropped = false;  // the log held another version's reports; they are gone
  std::string error;               // why it failed
};

class TLogFile {
 public:
  // The storage outlives the log file object.
  explicit TLogFile(TLogStorage& storage) : storage_(storage) {}

  // A new name forgets what was read from the old one. "" means the log cannot be written.
  void SetFileName(std::string fileName);
  const std::string& FileName() const { return fileName_; }

  // Reads the log without locking others out. A missing file is an empty log.
  bool Load(std::string* error = nullptr);
  // The reports as last read or written, oldest first, in stored form.
  const std::vector<std::string>& Reports() const { return reports_; }
  std::string WholeLog() const { return ComposeLog(reports_); }
  bool IsDuplicate(const TReportKey& key) const { return ContainsSameError(reports_, key); }

  // When the last stored report carries a version number other than runningVersion, deletes
  // the log. A log whose last report shows no version number is kept. Returns false on a
  // failure (error set); `deleted` tells whether the log went.
  bool CheckVersion(const std::string& runningVersion, bool& deleted, std::string* error = nullptr);
  // One save: under a transaction reads the log, applies the version check, the duplicate
  // check and the capacity, and writes the new log in one step. A failure leaves the old
  // log untouched and Reports() as it was.
  TLogAppendResult Append(std::string_view reportText, const TReportKey& key,
                          const TLogAppendOptions& options);

  // The log password, asked of the program when the XML export is made.
  const std::string& Password() const { return password_; }
  void SetPassword(std::string password) { password_ = std::move(password); }

 private:
  TLogStorage& storage_;
  std::string fileName_;
  std::vector<std::string> reports_;
  std::string password_;
};

// What the report pipeline does around a save. Every handler may be empty.
struct TLogSaveHandlers {
  std::function<bool()> beforeSave;  // the before-save actions; false skips the log this time
  std::function<void()> afterSave;   // the after-save actions, run whether the save worked or not
  // The error handlers: the message of the failure; true asks for another try.
  std::function<bool(const std::string& message)> saveFailed;
  // The reporter warning: eeLogError with "[Log] " and the failure's message.
  std::function<void(TQuillonLogErrorCode code, const std::string& message)> warning;
};

// Another try asked more often than this in one save is not made: a handler that always asks
// would otherwise hold the reporter (and the thread that raised) for ever.
inline constexpr int kMaxLogSaveRetries = 16;

struct TLogSaveOutcome {
  bool skipped = false;  // a before-save handler said no
  TLogAppendResult result;
  int attempts = 0;
  std::string sendText;  // what the senders send: this report, or the whole log when asked
};

// Saves a report as the pipeline does: before-save actions, the append (repeated while the
// error handlers ask for it), the warning on failure, the after-save actions.
TLogSaveOutcome SaveReportToLog(TLogFile& log, std::string_view reportText, const TReportKey& key,
                                const TLogAppendOptions& options, bool sendWholeLog,
                                const TLogSaveHandlers& handlers);
