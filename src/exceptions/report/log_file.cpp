#include "exceptions/report/log_file.h"

#include <algorithm>

#include "exceptions/options/module_options.h"
#include "exceptions/report/log_item.h"
#include "exceptions/report/snapshot.h"

namespace {
constexpr std::string_view kTableMark = "-\r\n|";

// Every lone CR and lone LF becomes CR LF.
std::string crlf(std::string_view s) {
  std::string out;
  out.reserve(s.size() + s.size() / 32);
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

// Ends a transaction however the save leaves.
class Transaction {
 public:
  explicit Transaction(TLogStorage& s) : s_(s) {}
  ~Transaction() { s_.Close(); }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

 private:
  TLogStorage& s_;
};
}  // namespace

std::string StoredReportBody(std::string_view reportText) {
  std::vector<std::string> lines = SplitReportLines(reportText);
  size_t first = 0, last = lines.size();
  while (first < last && lines[first].empty()) ++first;
  while (last > first && lines[last - 1].empty()) --last;
  std::string out;
  out.reserve(reportText.size() + 16);
  bool previousEmpty = false;
  for (size_t i = first; i < last; ++i) {
    if (i > first) out += "\r\n";
    bool empty = lines[i].empty();
    out += empty && previousEmpty ? "." : lines[i];
    previousEmpty = empty && !previousEmpty;
  }
  return out;
}

// Whether every line break is already CR LF (a log this program wrote): then no copy is needed.
static bool allCrlf(std::string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' && (i + 1 >= s.size() || s[i + 1] != '\n')) return false;
    if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) return false;
  }
  return true;
}

std::vector<std::string> ParseLog(std::string_view content) {
  std::string normalized;
  if (!allCrlf(content)) normalized = crlf(content);
  const std::string_view text = normalized.empty() ? content : std::string_view(normalized);
  std::vector<std::string> reports;
  constexpr std::string_view kRun = "\r\n\r\n\r\n";  // a line break and two empty lines
  size_t pos = 0;
  auto skipBreaks = [&] {
    while (text.compare(pos, 2, "\r\n") == 0) pos += 2;
  };
  skipBreaks();
  while (pos < text.size()) {
    size_t at = text.find(kRun, pos);
    if (at == std::string::npos) at = text.size();
    std::string_view piece = text.substr(pos, at - pos);
    // Only the last piece can end in line breaks (a log cut short of its separator).
    while (piece.size() >= 2 && piece.substr(piece.size() - 2) == "\r\n") piece.remove_suffix(2);
    if (piece.find(kTableMark) != std::string_view::npos) reports.emplace_back(piece);
    pos = at;
    skipBreaks();
  }
  return reports;
}

std::string ComposeLog(const std::vector<std::string>& bodies) {
  size_t size = 0;
  for (const std::string& b : bodies) size += b.size() + kLogSeparator.size();
  std::string out;
  out.reserve(size);
  for (const std::string& b : bodies) {
    out += b;
    out += kLogSeparator;
  }
  return out;
}

std::optional<std::string> LastReportVersion(const std::vector<std::string>& bodies) {
  if (bodies.empty()) return std::nullopt;
  return ReportItemValue(bodies.back(), 1, 3);
}

bool ContainsSameError(const std::vector<std::string>& bodies, const TReportKey& key) {
  return std::any_of(bodies.begin(), bodies.end(),
                     [&](const std::string& b) { return StoredReportKey(b).SameErrorAs(key); });
}

TLogAppendOptions LogAppendOptionsFrom(const TReportSettings& s, std::string runningVersion) {
  TLogAppendOptions o;
  o.noDuplicates = (s.contentFlags & rcNoDuplicates) != 0;
  o.capacity = s.logCapacity;
  o.versionCheck = (s.checkFlags & rkDeleteOldVersionLog) != 0;
  o.runningVersion = std::move(runningVersion);
  return o;
}

void TLogFile::SetFileName(std::string fileName) {
  if (fileName == fileName_) return;
  fileName_ = std::move(fileName);
  reports_.clear();
}

bool TLogFile::Load(std::string* error) {
  std::string content, err;
  bool exists = false;
  if (fileName_.empty() || !storage_.Read(fileName_, content, exists, err)) {
    if (error) *error = fileName_.empty() ? "The log file cannot be written anywhere." : err;
    return false;
  }
  reports_ = ParseLog(content);
  return true;
}

bool TLogFile::CheckVersion(const std::string& runningVersion, bool& deleted, std::string* error) {
  deleted = false;
  std::string content, err;
  bool exists = false;
  if (fileName_.empty()) {
    if (error) *error = "The log file cannot be written anywhere.";
    return false;
  }
  Transaction tx(storage_);
  if (!storage_.Open(fileName_, content, exists, err)) {
    if (error) *error = err;
    return false;
  }
  std::vector<std::string> reports = ParseLog(content);
  std::optional<std::string> last = LastReportVersion(reports);
  // A version that cannot be read is no reason to throw reports away.
  if (exists && last && *last != runningVersion) {
    if (!storage_.Remove(err)) {
      if (error) *error = err;
      reports_ = std::move(reports);
      return false;
    }
    deleted = true;
    reports.clear();
  }
  reports_ = std::move(reports);
  return true;
}

TLogAppendResult TLogFile::Append(std::string_view reportText, const TReportKey& key,
                                  const TLogAppendOptions& o) {
  TLogAppendResult r;
  if (fileName_.empty()) {
    r.error = "The log file cannot be written anywhere.";
    return r;
  }
  std::string body = StoredReportBody(reportText);
  if (body.find(kTableMark) == std::string::npos) {
    r.error = "The report has no call-stack table; the log would not read it back.";
    return r;
  }
  Transaction tx(storage_);
  std::string content;
  bool exists = false;
  if (!storage_.Open(fileName_, content, exists, r.error)) return r;
  std::vector<std::string> reports = ParseLog(content);
  std::string().swap(content);  // the reports hold it now: do not keep the log twice in memory
  if (o.versionCheck) {
    std::optional<std::string> last = LastReportVersion(reports);
    if (last && *last != o.runningVersion) {
      reports.clear();
      r.oldVersionDropped = true;
    }
  }
  if (o.noDuplicates && ContainsSameError(reports, key)) {
    reports_ = std::move(reports);
    r.status = TLogAppendStatus::lsDuplicate;
    return r;
  }
  size_t capacity = static_cast<size_t>(std::max(1, o.capacity));
  if (reports.size() >= capacity)
    reports.erase(reports.begin(), reports.end() - static_cast<ptrdiff_t>(capacity - 1));
  reports.push_back(std::move(body));
  if (!storage_.Replace(ComposeLog(reports), r.error)) {
    reports.pop_back();
    return r;
  }
  reports_ = std::move(reports);
  r.status = TLogAppendStatus::lsSaved;
  return r;
}

TLogSaveOutcome SaveReportToLog(TLogFile& log, std::string_view reportText, const TReportKey& key,
                                const TLogAppendOptions& options, bool sendWholeLog,
                                const TLogSaveHandlers& h) {
  TLogSaveOutcome out;
  out.sendText = std::string(reportText);
  if (h.beforeSave && !h.beforeSave()) {
    out.skipped = true;
    return out;
  }
  for (int retries = 0;; ++retries) {
    ++out.attempts;
    out.result = log.Append(reportText, key, options);
    if (out.result.status != TLogAppendStatus::lsFailed) break;
    if (h.warning) h.warning(eeLogError, "[Log] " + out.result.error);
    if (!h.saveFailed || !h.saveFailed(out.result.error) || retries >= kMaxLogSaveRetries) break;
  }
  if (out.result.status == TLogAppendStatus::lsSaved && sendWholeLog) out.sendText = log.WholeLog();
  if (h.afterSave) h.afterSave();
  return out;
}

const char* QuillonLogErrorName(TQuillonLogErrorCode code) {
  static const char* const names[] = {"eeNone",           "eeShowError",       "eeLogError",
                                      "eeEmailMAPIError", "eeEmailShellError", "eeEmailSMTPError",
                                      "eeWebHTTPError",   "eeWebHTTPSError",   "eeWebFTPError"};
  return code >= eeNone && code <= eeWebFTPError ? names[code] : "eeNone";
}
