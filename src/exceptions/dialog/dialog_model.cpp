#include "exceptions/dialog/dialog_model.h"

#include <cstdio>

#include "exceptions/options/module_options.h"

TDialogOptions DialogOptionsFrom(const TQuillonOptionValues& v) {
  TDialogOptions o;
  o.texts = v.TextTable;
  o.dialogFlags = v.DialogFlags;
  o.initialTab = v.InitialTab;
  o.reportContentFlags = v.ReportContentFlags;
  o.stackFlags = v.StackFlags;
  o.mailMethod = v.MailMethod;
  o.uploadMethod = v.UploadMethod;
  o.sendFlags = v.SendFlags;
  o.terminateAction = v.TerminateAction;
  o.closeAfterSecs = v.DialogCloseAfterSecs;
  o.supportAddress = v.SupportAddress;
  return o;
}

bool SendPossible(const TDialogOptions& o, bool duplicate) {
  return (o.mailMethod != mmNone || o.uploadMethod != umNone) && !duplicate;
}

TDialogBoxes DialogBoxes(const TDialogOptions& o, bool duplicate) {
  TDialogBoxes b;
  b.send = SendPossible(o, duplicate);
  b.screenshot = b.send && (o.sendFlags & snScreenshot);
  b.copy = (o.dialogFlags & dgOfferCopy) != 0;
  b.supportLink = !o.supportAddress.empty();
  b.sendChecked = b.send && (o.dialogFlags & dgSendChecked);
  b.screenshotChecked = b.screenshot && (o.dialogFlags & dgScreenshotChecked);
  b.screenshotEnabled = b.screenshot && b.sendChecked;
  // Row 1: send box, copy box, link; row 2: the screenshot box under the send box.
  b.rows = b.screenshot ? 2 : (b.send || b.copy || b.supportLink) ? 1 : 0;
  return b;
}

int BottomBandHeight(int rows) { return rows >= 2 ? 34 : rows == 1 ? 20 : 0; }

std::vector<TDialogTab> DialogTabs(const TDialogOptions& o, bool hasCustomData) {
  std::vector<TDialogTab> tabs{{dpGeneral, 4, 5}, {dpCallStack, 6, 7}};
  if (o.reportContentFlags & rcModules) tabs.push_back({dpModules, 8, 9});
  if (o.reportContentFlags & rcCPU) tabs.push_back({dpCpu, 10, 11});
  if (hasCustomData) tabs.push_back({dpOther, 12, 13});
  return tabs;
}

int FirstTabIndex(const std::vector<TDialogTab>& tabs, int initialTab) {
  if (initialTab <= 0 || initialTab > dpOther) return 0;
  if (initialTab == dpOther && (tabs.empty() || tabs.back().page != dpOther)) return 0;
  int missingBefore = 0;
  for (int page = 0; page < initialTab; ++page) {
    bool present = false;
    for (const TDialogTab& t : tabs) present |= t.page == page;
    if (!present) ++missingBefore;
  }
  int index = initialTab - missingBefore;
  return index < static_cast<int>(tabs.size()) ? index : 0;
}

std::string DialogMessageText(const TCustomizedTexts& texts, std::string_view message) {
  std::string s = texts[qtDialogMessage];
  if (!message.empty()) s.append("\r\n").append(message);
  return s;
}

int KillButtonTextIndex(uint8_t terminateAction) {
  return terminateAction == taTerminate ? qtTerminate : qtRestart;
}

bool StackEntryShown(const TDialogStackEntry& e, uint8_t stackFlags) {
  switch (e.kind) {
    case 4: return true;
    case 2: return (stackFlags & skLibraryFrames) != 0;
    case 3: return (stackFlags & skPackageFrames) != 0 && !e.executableModule;
    default: return false;
  }
}

std::array<std::string, 6> StackColumns(const TDialogStackEntry& e, bool lineOffsets) {
  char address[16];
  std::snprintf(address, sizeof address, "%08X", static_cast<unsigned>(e.address));
  std::string line;
  if (e.line != 0) {
    line = std::to_string(e.line);
    if (lineOffsets) line += "[" + std::to_string(e.lineOffset) + "]";
  }
  return {address, e.module, e.unitName, e.className, e.procedureName, line};
}

bool IsUserActionMessage(unsigned m) {
  return (m >= 0xA1 && m <= 0xA9)       // non-client mouse buttons
         || (m >= 0x100 && m <= 0x109)  // keys and characters
         || (m >= 0x201 && m <= 0x209)  // mouse buttons
         || m == 0x20A;                 // the wheel scrolls a page: the user is reading
}

bool RequestDialogWanted(const TDialogOptions& o, bool interactive, bool duplicate, bool sendChecked,
                         bool logSaved) {
  return (o.reportContentFlags & rcAskReproduceSteps) && interactive && !duplicate &&
         (sendChecked || logSaved);
}

std::string WithoutTrailingLineBreaks(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}
