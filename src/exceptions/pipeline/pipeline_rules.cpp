#include "exceptions/pipeline/pipeline_rules.h"

#include <cstdio>

#include "exceptions/options/module_options.h"
#include "framework/object.h"

TPumpAction PumpActionFor(unsigned m) {
  constexpr unsigned kTimer = 0x113;
  if (m == kTimer) return TPumpAction::paDrop;
  bool nonClientMouse = m >= 0xA1 && m <= 0xA9;
  bool key = (m >= 0x100 && m <= 0x102) || (m >= 0x104 && m <= 0x106);
  bool mouseButton = m >= 0x201 && m <= 0x209;
  return nonClientMouse || key || mouseButton ? TPumpAction::paBeep : TPumpAction::paDispatch;
}

bool ThreadStackShown(TThreadKind kind, uint8_t stackFlags) {
  return kind == TThreadKind::tkPlain ? (stackFlags & skPlainThreads) != 0 : (stackFlags & skFrameworkThreads) != 0;
}

bool ThreadPaused(TThreadKind kind, uint8_t handlingFlags) {
  switch (kind) {
    case TThreadKind::tkPlain: return (handlingFlags & hdPausePlainThreads) != 0;
    case TThreadKind::tkFramework: return (handlingFlags & hdPauseFrameworkThreads) != 0;
    case TThreadKind::tkMain:
      return (handlingFlags & hdPauseFrameworkThreads) != 0 && (handlingFlags & hdKeepMainThreadRunning) == 0;
  }
  return false;
}

bool IsNeverReportedClass(const TObject* o, std::string_view className) {
  if (o) return o->InheritsFrom("EAbort");
  return className == "EAbort";
}

TFilterOutcome ApplyFilters(const TQuillonModuleOptions& options, const TObject* o, std::string_view className) {
  TFilterOutcome out;
  std::optional<size_t> i = o ? options.FindFilter(*o) : options.FindFilter(className);
  if (!i) return out;
  out.matched = true;
  out.message = options.FilterMessage(*i);
  return out;
}

bool TerminateOffered(const TQuillonOptionValues& v, uint32_t errorCount) {
  if (!v.OfferTerminate) return false;
  return static_cast<int64_t>(errorCount) >= static_cast<int64_t>(v.TerminateOfferThreshold);
}

bool IsSafeCallReported(std::string_view message) { return message.starts_with(kSafeCallPrefix); }

std::string WithSafeCallPrefix(std::string message) {
  if (IsSafeCallReported(message)) return message;
  return std::string(kSafeCallPrefix) + message;
}

std::string WarningMessage(std::string_view source, const std::optional<std::string>& failure) {
  std::string s(source);
  if (!failure) return "General '" + s + "' error.";
  return "[" + s + "] " + *failure;
}

std::string WarningDebugLine(TQuillonLogErrorCode code, uint32_t address, std::string_view message) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08X", address);
  return std::string("[WARNING] - Code: ") + QuillonLogErrorName(code) + " - Address: " + hex + " - Message: \"" +
         std::string(message) + "\"";
}

bool WarningShowsMessageBox(TQuillonLogErrorCode code) { return code >= eeEmailMAPIError && code <= eeWebFTPError; }
