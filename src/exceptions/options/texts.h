// The 96 customisable texts of the reporter: every caption and label of the report, the
// dialogs and the sending window, read by index.
#pragma once

#include <array>
#include <string>

constexpr int kQuillonTextCount = 96;
using TCustomizedTexts = std::array<std::string, kQuillonTextCount>;

// The texts a module gets when its options say nothing else.
const TCustomizedTexts& DefaultQuillonTexts();

// Indexes other parts name in code.
enum TQuillonTextIndex : int {
  qtInformation = 0, qtQuestion = 1, qtError = 2, qtDialogMessage = 3,
  qtOK = 14, qtTerminate = 15, qtRestart = 16, qtDetails = 17, qtSendError = 18, qtAttachScreenshot = 19,
  qtCopyToClipboard = 20, qtSupportPage = 21, qtSendCaption = 75, qtSendMessage = 76, qtResolvingDns = 77,
  qtConnecting = 78, qtConnected = 79, qtSending = 80, qtRequest = 81, qtRequestText = 82, qtRequestOK = 83,
  qtSendSucceeded = 94, qtSendFailed = 95,
};
