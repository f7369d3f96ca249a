// The report pipeline's decisions, and the program's own options as the pipeline reads them.
#include "exceptions/pipeline/pipeline_rules.h"

#include <gtest/gtest.h>

#include "exceptions/options/module_options.h"
#include "exceptions/options/options_text.h"
#include "exceptions/report/log_file.h"
#include "exceptions/report/snapshot.h"
#include "framework/exception.h"
#include "host/exceptions/tool_helpers.h"

namespace {

NV_EXCEPTION(EUserCancel, EAbort)
NV_DEFINE_CLASS(EUserCancel, EAbort)

TEST(PipelineRules, WaitingThreadDropsTimersRefusesInputAndHandlesTheRest) {
  EXPECT_EQ(PumpActionFor(0x113), TPumpAction::paDrop);  // WM_TIMER
  for (unsigned m : {0xA1u, 0xA9u, 0x100u, 0x101u, 0x102u, 0x104u, 0x106u, 0x201u, 0x203u, 0x209u})
    EXPECT_EQ(PumpActionFor(m), TPumpAction::paBeep) << std::hex << m;
  // Painting, mouse moves, WM_NULL, WM_SYSKEY… neighbours that are no input, posted app messages.
  for (unsigned m : {0x0u, 0xFu, 0xA0u, 0xAAu, 0x103u, 0x107u, 0x200u, 0x20Au, 0x112u, 0x8001u})
    EXPECT_EQ(PumpActionFor(m), TPumpAction::paDispatch) << std::hex << m;
}

TEST(PipelineRules, ShownAndPausedThreadsFollowTheirFlags) {
  using K = TThreadKind;
  EXPECT_TRUE(ThreadStackShown(K::tkPlain, skPlainThreads));
  EXPECT_FALSE(ThreadStackShown(K::tkPlain, skFrameworkThreads));
  EXPECT_TRUE(ThreadStackShown(K::tkMain, skFrameworkThreads));
  EXPECT_FALSE(ThreadStackShown(K::tkFramework, skPlainThreads | skLibraryFrames));

  EXPECT_FALSE(ThreadPaused(K::tkPlain, 0x30)) << "the default pauses nothing";
  EXPECT_FALSE(ThreadPaused(K::tkMain, 0x30));
  EXPECT_TRUE(ThreadPaused(K::tkPlain, hdPausePlainThreads));
  EXPECT_FALSE(ThreadPaused(K::tkFramework, hdPausePlainThreads));
  EXPECT_TRUE(ThreadPaused(K::tkFramework, hdPauseFrameworkThreads));
  EXPECT_TRUE(ThreadPaused(K::tkMain, hdPauseFrameworkThreads));
  EXPECT_FALSE(ThreadPaused(K::tkMain, hdPauseFrameworkThreads | hdKeepMainThreadRunning));
  EXPECT_TRUE(ThreadPaused(K::tkFramework, hdPauseFrameworkThreads | hdKeepMainThreadRunning));
}

TEST(PipelineRules, AbortAndItsDescendantsAreNeverReported) {
  EAbort abort("");
  EUserCancel cancel("");
  EInvalidOperation other("");
  EXPECT_TRUE(IsNeverReportedClass(&abort, "EAbort"));
  EXPECT_TRUE(IsNeverReportedClass(&cancel, "EUserCancel"));
  EXPECT_FALSE(IsNeverReportedClass(&other, "EInvalidOperation"));
  EXPECT_TRUE(IsNeverReportedClass(nullptr, "EAbort")) << "known by name only";
  EXPECT_FALSE(IsNeverReportedClass(nullptr, "std::runtime_error"));
}

TEST(PipelineRules, FiltersMatchAncestorsAndCarryTheirMessage) {
  TQuillonModuleOptions o("prog.exe", false);
  o.AddFilter("EAbort", "");
  o.AddFilter("EInvalidOperation", "Information for the user.");
  EUserCancel cancel("");
  EInvalidOperation op("");
  EConvertError convert("");
  EXPECT_FALSE(ApplyFilters(o, &op, "EInvalidOperation").matched) << "filters are off";
  o.SetFiltersEnabled(true);
  TFilterOutcome a = ApplyFilters(o, &cancel, "EUserCancel");
  EXPECT_TRUE(a.matched);
  EXPECT_EQ(a.message, "");
  TFilterOutcome b = ApplyFilters(o, &op, "EInvalidOperation");
  EXPECT_TRUE(b.matched);
  EXPECT_EQ(b.message, "Information for the user.");
  EXPECT_FALSE(ApplyFilters(o, &convert, "EConvertError").matched);
  EXPECT_FALSE(ApplyFilters(o, nullptr, "std::out_of_range").matched);
}

TEST(PipelineRules, TerminateOfferAndSafeCallPrefix) {
  TQuillonOptionValues v;  // defaults: offered from the third report on
  EXPECT_FALSE(TerminateOffered(v, 1));
  EXPECT_FALSE(TerminateOffered(v, 2));
  EXPECT_TRUE(TerminateOffered(v, 3));
  v.TerminateOfferThreshold = 0;
  EXPECT_TRUE(TerminateOffered(v, 0));
  v.OfferTerminate = false;
  EXPECT_FALSE(TerminateOffered(v, 50));

  EXPECT_FALSE(IsSafeCallReported("[SafeCall Exception] x"));
  std::string once = WithSafeCallPrefix("Bad value.");
  EXPECT_EQ(once, "[SafeCall Exception]: Bad value.");
  EXPECT_TRUE(IsSafeCallReported(once));
  EXPECT_EQ(WithSafeCallPrefix(once), once) << "never twice";
}

TEST(PipelineRules, WarningTexts) {
  EXPECT_EQ(WarningMessage("GUI", std::string("Cannot show the DialogBox window.")),
            "[GUI] Cannot show the DialogBox window.");
  EXPECT_EQ(WarningMessage("Console", std::nullopt), "General 'Console' error.");
  EXPECT_EQ(WarningDebugLine(eeLogError, 0x00403A1C, "[Log] Access denied."),
            "[WARNING] - Code: eeLogError - Address: 00403A1C - Message: \"[Log] Access denied.\"");
  EXPECT_FALSE(WarningShowsMessageBox(eeShowError));
  EXPECT_FALSE(WarningShowsMessageBox(eeLogError));
  EXPECT_TRUE(WarningShowsMessageBox(eeEmailMAPIError));
  EXPECT_TRUE(WarningShowsMessageBox(eeWebFTPError));
}

// What netvosk.exe's own options make of a report: a dialog with "&Restart" from the first
// report on, one log entry per distinct error, nothing sent, EAbort silent.
TEST(PipelineRules, TheProgramsOptionsGiveTheDialogRestartAndNoDuplicates) {
  std::string text = reptest::ReadFile(std::string(NV_SOURCE_DIR) + "/resources/reporter/netvosk-options.ini");
  TQuillonModuleOptions o("netvosk.exe", false);
  ParseQuillonOptionsText(text, o);
  const TQuillonOptionValues& v = o.Values();
  EXPECT_TRUE(v.DialogFlags & dgShowDialog);
  EXPECT_TRUE(v.WriteLog);
  EXPECT_EQ(v.LogLocation, "") << "beside the program";
  EXPECT_TRUE(TerminateOffered(v, 1)) << "from the first report";
  EXPECT_EQ(o.TerminateButtonText(), qtRestart);
  EXPECT_EQ(v.MailMethod, mmNone);
  EXPECT_EQ(v.UploadMethod, umNone);
  EXPECT_FALSE(v.HandlingFlags & (hdPauseFrameworkThreads | hdPausePlainThreads));
  EXPECT_TRUE(LogAppendOptionsFrom(ReportSettingsFrom(o), "2.1.0.0").noDuplicates);
  EAbort abort("");
  TFilterOutcome f = ApplyFilters(o, &abort, "EAbort");
  EXPECT_TRUE(f.matched);
  EXPECT_EQ(f.message, "") << "silent";
}

}  // namespace
