// The report pipeline's decisions that need no system: what the waiting thread does with its
// queued messages, which other threads a report walks and pauses, what a filter does, when the
// terminate button is offered, the safe-call prefix, the never-reported classes and the texts
// of reporter warnings. The Windows side (report_pipeline_win32.h) only carries them out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "exceptions/options/option_fields.h"
#include "exceptions/report/log_errors.h"

class TObject;
class TQuillonModuleOptions;

// The raising main thread waits for the report worker and keeps its queue moving: at most
// this many messages a round, then a pause of 10 ms.
inline constexpr int kMaxPumpedMessages = 11;
inline constexpr unsigned kWaitRoundMs = 10;

enum class TPumpAction { paDispatch, paDrop, paBeep };
// Timers are dropped (their handlers would run program code in the middle of a report);
// non-client mouse, key and mouse-button messages are refused with a beep, so the user can
// neither click nor type into the program while its error dialog is up. Everything else,
// painting and sent-message traffic included, is handled.
TPumpAction PumpActionFor(unsigned message);

enum class TThreadKind { tkMain, tkFramework, tkPlain };
// Whether a report shows the call stack of another thread of this kind (StackFlags bits 2, 3).
bool ThreadStackShown(TThreadKind kind, uint8_t stackFlags);
// Whether a report pauses another thread of this kind (HandlingFlags bits 1 to 3).
bool ThreadPaused(TThreadKind kind, uint8_t handlingFlags);

// EAbort (and what derives from it) ends an operation on purpose: it never gets a report.
bool IsNeverReportedClass(const TObject* frameworkObject, std::string_view className);

struct TFilterOutcome {
  bool matched = false;
  std::string message;  // shown in a message box when not empty
};
// The filters of the module's options for an exception (its framework object when it is
// one, else its class name). A match ends the report: no dialog, no log, no sending.
TFilterOutcome ApplyFilters(const TQuillonModuleOptions& options, const TObject* frameworkObject,
                            std::string_view className);

// The terminate button is offered when the options allow it and this report's number (the
// error counter after it was counted) has reached the threshold.
bool TerminateOffered(const TQuillonOptionValues& values, uint32_t errorCount);

inline constexpr std::string_view kSafeCallPrefix = "[SafeCall Exception]: ";
// A message with the prefix was reported when first raised.
bool IsSafeCallReported(std::string_view message);
std::string WithSafeCallPrefix(std::string message);

// Reporter warnings: the message for a failing step ("[GUI] Cannot show ..."), or, when the
// failure was not an exception, "General 'GUI' error.".
std::string WarningMessage(std::string_view source, const std::optional<std::string>& failureMessage);
// The line a warning leaves in the debugger output.
std::string WarningDebugLine(TQuillonLogErrorCode code, uint32_t address, std::string_view message);
// Sending failures also show a message box (when error messages are on); other warnings do not.
bool WarningShowsMessageBox(TQuillonLogErrorCode code);
