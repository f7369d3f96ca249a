// TQuillonModuleOptions: one module's reporter options, with the stored form it carries.
#pragma once

#include <chrono>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exceptions/options/option_fields.h"
#include "framework/exception.h"

class TStream;

NV_EXCEPTION(EQuillonOptionsError, Exception)

// Bits of ReportCheckFlags.
enum : uint8_t { rkDeleteOldVersionLog = 1 << 2, rkRefreshModules = 1 << 4 };
// Bits of ReportContentFlags.
enum : uint8_t {
  rcNoDuplicates = 1 << 0, rcAskReproduceSteps = 1 << 1, rcComputerNameInLogName = 1 << 3,
  rcModules = 1 << 4, rcCPU = 1 << 5,
};
// Bits of SendFlags.
enum : uint8_t { snShowSendWindow = 1 << 0, snShowResult = 1 << 1, snScreenshot = 1 << 4, snLastHtmlPage = 1 << 6 };
// Bits of AttachmentFlags.
enum : uint16_t {
  atSendWholeLog = 1 << 2, atXmlExport = 1 << 3, atScreenshotFile = 1 << 4, atActiveWindowOnly = 1 << 5,
  atLastHtmlPageFile = 1 << 6, atSendInBackground = 1 << 7, atDateSuffix = 1 << 8, atCompress = 1 << 9,
};
// Bits of DialogFlags.
enum : uint8_t {
  dgShowDialog = 1 << 0, dgSendChecked = 1 << 1, dgScreenshotChecked = 1 << 2, dgOfferCopy = 1 << 3,
  dgDetailsAtStart = 1 << 5, dgStayOnTop = 1 << 6, dgCustomLook = 1 << 7,
};
// Bits of StackFlags.
enum : uint8_t {
  skLibraryFrames = 1 << 0, skPackageFrames = 1 << 1, skFrameworkThreads = 1 << 2, skPlainThreads = 1 << 3,
  skLineOffsets = 1 << 4,
};
// Bits of HandlingFlags.
enum : uint8_t {
  hdAutoTerminate = 1 << 0, hdPauseFrameworkThreads = 1 << 1, hdKeepMainThreadRunning = 1 << 2,
  hdPausePlainThreads = 1 << 3, hdUseMainModuleOptions = 1 << 4, hdSaveCopyOnSendFailure = 1 << 5,
  hdKeepAttachmentsOnSendFailure = 1 << 6,
};
enum TQuillonMailMethod : uint8_t { mmNone, mmMailClient, mmSmtpClient, mmSmtpServer };
enum TQuillonUploadMethod : uint8_t { umNone, umHttp, umHttps, umFtp };
// TerminateAction and CrashLimitAction.
enum TQuillonTerminateAction : uint8_t { taTerminate, taRestart };

// The stored format this program writes; it reads every format from 300 on.
constexpr uint16_t kQuillonOptionsFormat = 510;
constexpr uint16_t kQuillonOptionsOldestFormat = 300;

class TQuillonModuleOptions : public TObject {
  NV_CLASS(TQuillonModuleOptions)
 public:
  // moduleName is the module's file name (the default of OwnerModule). A shared object keeps
  // its stored form published under the module name (SharedQuillonOptions) after every change.
  TQuillonModuleOptions(std::string moduleName, bool shared);
  ~TQuillonModuleOptions() override;
  TQuillonModuleOptions(const TQuillonModuleOptions&) = delete;
  TQuillonModuleOptions& operator=(const TQuillonModuleOptions&) = delete;

  // Every option back to its default.
  void Reset();
  // Copies every option. Raises EQuillonOptionsError for null; assigning itself does nothing.
  void Assign(const TQuillonModuleOptions* source);

  const std::string& ModuleName() const { return moduleName_; }
  bool Shared() const { return shared_; }
  const TQuillonOptionValues& Values() const { return v_; }
  void SetValues(const TQuillonOptionValues& values);

  // Text by index 0 to 95; raises EListError outside.
  const std::string& Text(int index) const;
  void SetText(int index, std::string text);
  // Text 15 or 16, as TerminateAction says.
  int TerminateButtonText() const { return v_.TerminateAction == taTerminate ? qtTerminate : qtRestart; }
  // Whether item k (0 = Start Date ... 32 = DHCP) of the report's general section is shown.
  bool GeneralItemShown(int k) const { return k >= 0 && k < 40 && ((v_.GeneralItemFlags >> k) & 1); }

  // Accessors: Name() and SetName(value), for every field.
#define QL_ACCESSORS(kind, type, name, def, since)        \
  const type& name() const { return v_.name; }            \
  void Set##name(type value) {                            \
    value = Normalize##kind(std::move(value));            \
    if (v_.name == value) return;                         \
    v_.name = std::move(value);                           \
    Changed();                                            \
  }
  QL_OPTION_FIELDS(QL_ACCESSORS)
#undef QL_ACCESSORS

  // The exception filters: a class name and, at the same index, the message to show.
  void AddFilter(std::string className, std::string message);
  void DeleteFilter(size_t index);
  void ClearFilters();
  // The first filter whose class is the exception's class or one of its ancestors, through
  // the class records; nothing when filters are off or none matches.
  std::optional<size_t> FindFilter(const TObject& exception) const;
  // The same for an exception known only by its class name (raised in another module): a
  // registered class is matched with its ancestors, an unknown one by its own name.
  std::optional<size_t> FindFilter(std::string_view className) const;
  // The message of filter i ("" when the message list is shorter).
  std::string FilterMessage(size_t index) const;

  // The stored form: format version, length, then the fields each format knows. Loading
  // raises EQuillonOptionsError on damaged data and then changes nothing; fields the stored
  // format does not have get their defaults; a newer format's extra fields are skipped.
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;
  // `format` lower than ours writes only the fields that format had (for older readers).
  std::vector<uint8_t> StoredForm(uint16_t format = kQuillonOptionsFormat) const;
  void LoadFromBytes(const uint8_t* data, size_t size);

 protected:
  void Changed();

 private:
  static bool NormalizeBool(bool v) { return v; }
  static uint8_t NormalizeByte(uint8_t v) { return v; }
  static uint16_t NormalizeWord(uint16_t v) { return v; }
  static int32_t NormalizeInt(int32_t v) { return v; }
  static uint64_t NormalizeBits40(uint64_t v) { return v & kAllGeneralItems; }
  static std::string NormalizeStr(std::string v) { return v; }
  static std::string NormalizePassword(std::string v) { return v; }
  static TCustomizedTexts NormalizeTexts(TCustomizedTexts v) { return v; }
  static TStringVector NormalizeStrList(TStringVector v) { return v; }

  std::string moduleName_;
  bool shared_;
  int updating_ = 0;  // Changed() is deferred while a whole-object change runs
  TQuillonOptionValues v_;
  friend class TQuillonOptionsUpdate;
};

// The stored form that the shared options object of a module last published, if any.
std::optional<std::vector<uint8_t>> SharedQuillonOptions(std::string_view moduleName);

// The date-times of the latest reports, oldest first, at most CrashLimitCount of them: the
// bookkeeping of the automatic termination rule.
class TRecentErrors {
 public:
  using TimePoint = std::chrono::system_clock::time_point;
  // Appends a report's time and drops the oldest entries beyond limitCount.
  void Add(TimePoint when, int limitCount);
  // True when exactly limitCount reports are listed and the first and the last lie at most
  // limitMinutes apart.
  bool LimitReached(int limitCount, int limitMinutes) const;
  const std::deque<TimePoint>& Entries() const { return entries_; }
  void Clear() { entries_.clear(); }

 private:
  std::deque<TimePoint> entries_;
};

// The options object the running reporter uses: the module's options plus what the reporter
// keeps between reports.
class TQuillonModuleOptionsEx : public TQuillonModuleOptions {
  NV_CLASS(TQuillonModuleOptionsEx)
 public:
  using TQuillonModuleOptions::TQuillonModuleOptions;

  // A report was made at `when`: remembered when the automatic termination rule is on.
  void RecordReport(TRecentErrors::TimePoint when);
  // The operation the automatic termination rule asks for now (taTerminate or taRestart), or
  // nothing when the rule is off or its limit is not reached.
  std::optional<TQuillonTerminateAction> AutomaticTermination() const;
  const TRecentErrors& RecentErrors() const { return recent_; }

 private:
  TRecentErrors recent_;
};
