// The error dialog's rules that need no window: which boxes it offers and how they start,
// its tabs and the first one, its texts, the call-stack columns and the auto-close count.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "exceptions/dialog/dialog_input.h"

// Sending is possible when an e-mail or web send mode is set and the report is new.
bool SendPossible(const TDialogOptions& o, bool duplicate);

// The check boxes and the support link below the buttons.
struct TDialogBoxes {
  bool send = false, screenshot = false, copy = false, supportLink = false;
  bool sendChecked = false, screenshotChecked = false;
  bool screenshotEnabled = false;  // only while the send box is checked
  int rows = 0;                    // rows of the bottom band: 0, 1 or 2
};
TDialogBoxes DialogBoxes(const TDialogOptions& o, bool duplicate);
// Height in pixels of the bottom band for that many rows: 34, 20 or 0.
int BottomBandHeight(int rows);

enum TDialogPageKind { dpGeneral, dpCallStack, dpModules, dpCpu, dpOther };
struct TDialogTab {
  TDialogPageKind page;
  int textIndex;   // the tab's text
  int titleIndex;  // the page's heading
};
// General, Call Stack, Modules (section on), CPU (section on), Other (custom data present).
std::vector<TDialogTab> DialogTabs(const TDialogOptions& o, bool hasCustomData);
// The index into `tabs` of the configured first tab: shifted down for each missing tab before
// it; the Other tab without custom data, and anything out of range, is General.
int FirstTabIndex(const std::vector<TDialogTab>& tabs, int initialTab);

// Text 3, a line break and the exception's message.
std::string DialogMessageText(const TCustomizedTexts& texts, std::string_view message);
// Text 16 when the terminate button restarts, else text 15.
int KillButtonTextIndex(uint8_t terminateAction);

// Whether the call-stack page lists the entry: the report's kind filter (debug information
// always, plain exports with library frames, decorated exports with package frames), without
// decorated exports from executables.
bool StackEntryShown(const TDialogStackEntry& e, uint8_t stackFlags);
// Address, Module, Unit, Class, Procedure/Method, Line ("" for 0; "[offset]" appended when
// line offsets are on).
std::array<std::string, 6> StackColumns(const TDialogStackEntry& e, bool lineOffsets);

// Seconds since the last user action; the dialog closes when the count reaches the limit.
class TAutoCloseCounter {
 public:
  explicit TAutoCloseCounter(int limitSecs = 0) : limit_(limitSecs) {}
  bool Enabled() const { return limit_ > 0; }
  void Reset() { seconds_ = 0; }
  // One second passed; true when the dialog must close now.
  bool Tick() { return Enabled() && ++seconds_ >= limit_; }
  int Seconds() const { return seconds_; }

 private:
  int limit_;
  int seconds_ = 0;
};

// Whether a message sent to the dialog or one of its controls is a user action that restarts
// the auto-close count: key, mouse-button and non-client mouse-button messages.
bool IsUserActionMessage(unsigned message);

// The request dialog: asked after the error dialog when the reproduce option is on, the
// program is interactive, the report is new and the send box was checked or the log is saved.
bool RequestDialogWanted(const TDialogOptions& o, bool interactive, bool duplicate, bool sendChecked,
                         bool logSaved);
// The edit text as the report keeps it: without the line breaks that end it.
std::string WithoutTrailingLineBreaks(std::string text);
