// The error dialog's rules without a window: boxes, band, tabs and the first tab, texts, the
// call-stack filter and columns, the auto-close count and the request dialog's conditions.
#include "exceptions/dialog/dialog_model.h"

#include <gtest/gtest.h>

#include "exceptions/options/module_options.h"

namespace {

TDialogOptions Options(uint8_t mail, uint8_t upload, uint8_t dialogFlags, uint8_t sendFlags = 0x51) {
  TDialogOptions o;
  o.mailMethod = mail;
  o.uploadMethod = upload;
  o.dialogFlags = dialogFlags;
  o.sendFlags = sendFlags;
  return o;
}

TEST(DialogBoxes, OfferedBySendModesOptionsAndDuplicates) {
  // Without a send mode nothing about sending appears; the copy box follows its own bit.
  TDialogBoxes none = DialogBoxes(Options(mmNone, umNone, 0x1F), false);
  EXPECT_FALSE(none.send);
  EXPECT_FALSE(none.screenshot);
  EXPECT_FALSE(none.sendChecked);
  EXPECT_TRUE(none.copy);
  EXPECT_EQ(none.rows, 1);

  TDialogBoxes bare = DialogBoxes(Options(mmNone, umNone, dgShowDialog), false);
  EXPECT_EQ(bare.rows, 0);

  // E-mail or upload: the send box, checked by bit 1; the screenshot box by the send flags,
  // checked by bit 2 and enabled only while sending is checked.
  for (auto [mail, upload] : {std::pair<uint8_t, uint8_t>{mmSmtpClient, umNone}, {mmNone, umHttps}}) {
    TDialogBoxes b = DialogBoxes(Options(mail, upload, 0x1F), false);
    EXPECT_TRUE(b.send);
    EXPECT_TRUE(b.sendChecked);
    EXPECT_TRUE(b.screenshot);
    EXPECT_TRUE(b.screenshotChecked);
    EXPECT_TRUE(b.screenshotEnabled);
    EXPECT_EQ(b.rows, 2);
  }
  TDialogBoxes unchecked =
      DialogBoxes(Options(mmMailClient, umNone, dgShowDialog | dgScreenshotChecked), false);
  EXPECT_FALSE(unchecked.sendChecked);
  EXPECT_TRUE(unchecked.screenshotChecked);
  EXPECT_FALSE(unchecked.screenshotEnabled);
  TDialogBoxes noShot = DialogBoxes(Options(mmMailClient, umNone, 0x1F, snShowSendWindow), false);
  EXPECT_FALSE(noShot.screenshot);
  EXPECT_EQ(noShot.rows, 1);

  // A duplicate is never offered for sending.
  TDialogBoxes dup = DialogBoxes(Options(mmSmtpClient, umHttp, 0x1F), true);
  EXPECT_FALSE(dup.send);
  EXPECT_FALSE(dup.screenshot);
  EXPECT_FALSE(SendPossible(Options(mmSmtpClient, umHttp, 0x1F), true));

  // The support link needs a row of its own only when nothing else is there.
  TDialogOptions link = Options(mmNone, umNone, dgShowDialog);
  link.supportAddress = "http://example.com/help";
  EXPECT_TRUE(DialogBoxes(link, false).supportLink);
  EXPECT_EQ(DialogBoxes(link, false).rows, 1);

  EXPECT_EQ(BottomBandHeight(2), 34);
  EXPECT_EQ(BottomBandHeight(1), 20);
  EXPECT_EQ(BottomBandHeight(0), 0);
}

std::vector<TDialogPageKind> Pages(const std::vector<TDialogTab>& tabs) {
  std::vector<TDialogPageKind> v;
  for (const TDialogTab& t : tabs) v.push_back(t.page);
  return v;
}

TEST(DialogTabs, OrderAndTheConfiguredFirstTab) {
  TDialogOptions o;
  o.reportContentFlags = rcModules | rcCPU;
  auto all = DialogTabs(o, true);
  EXPECT_EQ(Pages(all), (std::vector<TDialogPageKind>{dpGeneral, dpCallStack, dpModules, dpCpu, dpOther}));
  EXPECT_EQ(all[2].textIndex, 8);
  EXPECT_EQ(all[2].titleIndex, 9);
  for (int t = 0; t <= 4; ++t) EXPECT_EQ(FirstTabIndex(all, t), t);

  // Modules off: CPU, configured as first tab, is the third tab.
  o.reportContentFlags = rcCPU;
  auto noModules = DialogTabs(o, false);
  EXPECT_EQ(Pages(noModules), (std::vector<TDialogPageKind>{dpGeneral, dpCallStack, dpCpu}));
  EXPECT_EQ(FirstTabIndex(noModules, dpCpu), 2);
  // Other without custom data, a configured tab past the end and nonsense: General.
  EXPECT_EQ(FirstTabIndex(noModules, dpOther), 0);
  EXPECT_EQ(FirstTabIndex(noModules, 9), 0);
  // A configured tab that is itself missing lands on the next one there is.
  EXPECT_EQ(FirstTabIndex(noModules, dpModules), 2);

  o.reportContentFlags = 0;
  auto bare = DialogTabs(o, true);
  EXPECT_EQ(Pages(bare), (std::vector<TDialogPageKind>{dpGeneral, dpCallStack, dpOther}));
  EXPECT_EQ(FirstTabIndex(bare, dpOther), 2);
  EXPECT_EQ(FirstTabIndex(bare, dpCpu), 2);  // the next tab there is: Other
}

TEST(DialogTexts, MessageAndKillButton) {
  TCustomizedTexts t = DefaultQuillonTexts();
  EXPECT_EQ(DialogMessageText(t, "Unable to write to C:\\ip.ini."),
            t[3] + "\r\nUnable to write to C:\\ip.ini.");
  EXPECT_EQ(DialogMessageText(t, ""), t[3]);
  EXPECT_EQ(t[static_cast<size_t>(KillButtonTextIndex(taRestart))], "&Restart");
  EXPECT_EQ(t[static_cast<size_t>(KillButtonTextIndex(taTerminate))], "&Terminate");
  // A fresh options object restarts.
  EXPECT_EQ(KillButtonTextIndex(TDialogOptions().terminateAction), qtRestart);
}

TEST(DialogStack, KindFilterAndColumns) {
  TDialogStackEntry e;
  e.address = 0x403A1C;
  e.module = "netvosk.exe";
  e.unitName = "main_form.cpp";
  e.className = "TForm1";
  e.procedureName = "Button1Click";
  e.line = 86;
  e.lineOffset = 4;
  EXPECT_EQ(StackColumns(e, false), (std::array<std::string, 6>{"00403A1C", "netvosk.exe", "main_form.cpp",
                                                                "TForm1", "Button1Click", "86"}));
  EXPECT_EQ(StackColumns(e, true)[5], "86[4]");
  e.line = 0;
  EXPECT_EQ(StackColumns(e, true)[5], "");

  auto shown = [](uint8_t kind, bool exe, uint8_t flags) {
    TDialogStackEntry x;
    x.kind = kind;
    x.executableModule = exe;
    return StackEntryShown(x, flags);
  };
  EXPECT_TRUE(shown(4, true, 0));
  EXPECT_FALSE(shown(2, false, 0));
  EXPECT_TRUE(shown(2, false, skLibraryFrames));
  EXPECT_TRUE(shown(3, false, skPackageFrames));
  EXPECT_FALSE(shown(3, true, skPackageFrames));  // decorated exports of executables are left out
  EXPECT_FALSE(shown(1, false, 0xFF));
  EXPECT_FALSE(shown(0, true, 0xFF));
}

TEST(DialogAutoClose, CountsSecondsSinceTheLastAction) {
  TAutoCloseCounter off(0);
  for (int i = 0; i < 100; ++i) EXPECT_FALSE(off.Tick());

  TAutoCloseCounter c(5);
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(c.Tick());
  c.Reset();  // the user moved to another tab
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(c.Tick());
  EXPECT_TRUE(c.Tick());

  EXPECT_TRUE(IsUserActionMessage(0x100));   // key down
  EXPECT_TRUE(IsUserActionMessage(0x201));   // left button down
  EXPECT_TRUE(IsUserActionMessage(0xA1));    // non-client left button down
  EXPECT_FALSE(IsUserActionMessage(0x200));  // moving the mouse is no action
  EXPECT_FALSE(IsUserActionMessage(0x113));  // timer
  EXPECT_FALSE(IsUserActionMessage(0x0F));   // paint
}

TEST(RequestDialog, WhenAskedAndWhatIsKept) {
  TDialogOptions o;
  o.reportContentFlags = rcAskReproduceSteps;
  EXPECT_TRUE(RequestDialogWanted(o, true, false, false, true));
  EXPECT_TRUE(RequestDialogWanted(o, true, false, true, false));
  EXPECT_FALSE(RequestDialogWanted(o, true, false, false, false));  // neither sent nor saved
  EXPECT_FALSE(RequestDialogWanted(o, false, false, true, true));   // nobody to ask
  EXPECT_FALSE(RequestDialogWanted(o, true, true, true, true));     // a duplicate
  o.reportContentFlags = rcModules | rcCPU;
  EXPECT_FALSE(RequestDialogWanted(o, true, false, true, true));

  EXPECT_EQ(WithoutTrailingLineBreaks("Saved a profile.\r\nClicked 保存.\r\n\r\n"),
            "Saved a profile.\r\nClicked 保存.");
  EXPECT_EQ(WithoutTrailingLineBreaks("\r\n"), "");
  EXPECT_EQ(WithoutTrailingLineBreaks("  a  "), "  a  ");
}

TEST(DialogOptions, FromModuleOptions) {
  TQuillonModuleOptions m("netvosk.exe", false);
  m.SetDialogFlags(0xC1);
  m.SetInitialTab(3);
  m.SetUploadMethod(umFtp);
  m.SetDialogCloseAfterSecs(7);
  m.SetSupportAddress("http://example.com");
  m.SetText(17, "Mehr");
  TDialogOptions o = DialogOptionsFrom(m.Values());
  EXPECT_EQ(o.dialogFlags, 0xC1);
  EXPECT_EQ(o.initialTab, 3);
  EXPECT_EQ(o.uploadMethod, umFtp);
  EXPECT_EQ(o.closeAfterSecs, 7);
  EXPECT_EQ(o.supportAddress, "http://example.com");
  EXPECT_EQ(o.texts[17], "Mehr");
  EXPECT_EQ(o.terminateAction, taRestart);
}

}  // namespace
