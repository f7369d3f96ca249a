// The report text against expected files, byte for byte, and the value formats it uses.
#include "exceptions/report/report_text.h"

#include <gtest/gtest.h>

#include "exceptions/options/module_options.h"
#include "exceptions/report/log_item.h"
#include "exceptions/report/report_format.h"
#include "host/exceptions/report_fixtures.h"

namespace {
using namespace reptest;

void ExpectGolden(const std::string& name, const std::string& text) {
  if (UpdatingGoldens()) WriteGolden(name, text);
  EXPECT_EQ(ReadGolden(name), text) << "differs from tests/data/reports/" << name;
}

void Hide(TReportSnapshot& s, std::initializer_list<int> items) {
  for (int k : items) s.settings.generalItems &= ~(uint64_t{1} << k);
}

TEST(ReportText, FullReportMatchesExpectedFile) {
  ExpectGolden("full.txt", BuildReportText(SampleSnapshot()));
}

TEST(ReportText, HiddenItemsKeepNumbersAndSwitchedOffSectionsShowTheirEmptyForm) {
  TReportSnapshot s = SampleSnapshot();
  // Version Number; the Exception block's first item (Date) only; all of Active Controls; DHCP.
  Hide(s, {2, 5, 10, 11, 12, 13, 32});
  s.settings.stackFlags = skPackageFrames | skLineOffsets;  // no library frames
  s.settings.contentFlags = 0;
  ExpectGolden("hidden.txt", BuildReportText(s));
}

TEST(ReportText, MultiLineValuesTranslatedLabelsAndUnreadableMemory) {
  TReportSnapshot s = SampleSnapshot();
  s.exception.message = "Cannot apply profile \"办公室\": netsh failed.\r\n\r\nDetails: code 1\nLast line.";
  s.exception.typeName = std::nullopt;
  s.application.parameters = {"/profile", "办公 室"};
  s.application.compilationDate = TReportDateTime{};
  s.activeControls.formText = "Two\r\nlines: here";
  s.settings.texts[30] = "地址";      // general label
  s.settings.texts[63] = "模块名称";  // call-stack column
  s.settings.texts[84] = "ModuleHandle";
  s.threads[1].className = "TVeryLongBackgroundSenderThreadClassName";
  s.threads.erase(s.threads.begin() + 2);
  s.threads[0].main = false;
  s.exception.threadId = 9999;  // the walker found no entry of the reported thread
  s.cpu.registers.known = false;
  s.cpu.code.bytes[200] = kUnreadableByte;
  s.customData = {"Profiles: 3", "", "Last profile: 家"};
  s.reproduceText = "1. Pick a profile\r\n\r\n\r\n2. Press \"设置\"\r\n";
  s.settings.stackFlags |= skLineOffsets;
  ExpectGolden("multiline.txt", BuildReportText(s));
}

TEST(ReportText, WholeBlockHiddenDisappearsAndLaterBlocksKeepTheirNumbers) {
  TReportSnapshot s = SampleSnapshot();
  Hide(s, {5, 6, 7, 8, 9});
  std::string text = GeneralSectionText(s);
  EXPECT_EQ(text.find("Exception:"), std::string::npos);
  EXPECT_EQ(text.find("  2."), std::string::npos);
  EXPECT_NE(text.find("Active Controls:\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\n  3.1 Form Class   : TForm1"), std::string::npos);
  EXPECT_NE(text.find("\r\n  6.6 DHCP      : Yes"), std::string::npos);
}

TEST(ReportText, ConsoleProgramsHaveNoActiveControlsBlock) {
  TReportSnapshot s = SampleSnapshot();
  s.application.programKind = TReportProgramKind::pkConsole;
  std::string text = GeneralSectionText(s);
  EXPECT_EQ(text.find("Active Controls"), std::string::npos);
  EXPECT_NE(text.find("  4.1 Name"), std::string::npos);
}

TEST(ReportText, MessageGetsOneFinalFullStop) {
  TReportException e;
  e.message = "Done.";
  EXPECT_EQ(ReportMessageText(e), "Done.");
  e.message = "Not done\r\n";
  EXPECT_EQ(ReportMessageText(e), "Not done.");
  e.message = std::nullopt;
  EXPECT_EQ(ReportMessageText(e), "Unknown error message.");
}

TEST(ReportText, KeyOfSnapshotEqualsWhatTheLogReadsBack) {
  TReportSnapshot s = SampleSnapshot();
  s.exception.message = "a: b\r\n\r\n  c: d  ";
  TReportKey fromSnapshot = ReportKeyOf(s);
  TReportKey fromText = StoredReportKey(BuildReportText(s));
  EXPECT_TRUE(fromSnapshot.SameErrorAs(fromText));
  EXPECT_EQ(*fromText.message, "a: b\r\n\r\n  c: d.");
}

TEST(ReportValues, DatesCarryDayNamesAndTheirZone) {
  EXPECT_EQ(FormatReportDate(TReportDateTime::Make(2024, 2, 29, 23, 59, 1, 60)),
            "Thu, 29 Feb 2024 23:59:01 +0100");
  EXPECT_EQ(FormatReportDate(TReportDateTime::Make(2000, 1, 1, 0, 0, 0, -300)),
            "Sat, 1 Jan 2000 00:00:00 -0500");
  EXPECT_EQ(FormatReportDate(TReportDateTime::Make(2023, 7, 9, 8, 7, 6, 330)),
            "Sun, 9 Jul 2023 08:07:06 +0530");
  EXPECT_EQ(FormatReportDate(TReportDateTime{}), "");
  // 2001-09-09 01:46:40 UTC, shown eight hours east.
  TReportDateTime t = TReportDateTime::FromUnix(1000000000, 480);
  EXPECT_EQ(FormatModuleDate(t), "2001-09-09 09:46:40");
  EXPECT_EQ(t.dayOfWeek, 0);
  EXPECT_EQ(FormatModuleDate(TReportDateTime::FromUnix(-1, 0)), "1969-12-31 23:59:59");
}

TEST(ReportValues, SizesRoundAndDropEmptyDecimals) {
  EXPECT_EQ(FormatMemory((1ull << 20) * 3 / 2), "2 Mb");
  EXPECT_EQ(FormatMemory((1ull << 20) * 3 / 2 - 1), "1 Mb");
  EXPECT_EQ(FormatDisk(250ull << 30), "250 Gb");
  EXPECT_EQ(FormatDisk((975ull << 30) / 10), "97.5 Gb");
  EXPECT_EQ(FormatDisk((1ull << 30) + (1ull << 30) / 8), "1.13 Gb");
  EXPECT_EQ(FormatDisk((1ull << 30) * 2 - 1), "2 Gb");
  EXPECT_EQ(FormatDisk(0), "0 Gb");
}

TEST(ReportValues, UpTimeShowsTheTwoLargestNonZeroUnits) {
  EXPECT_EQ(FormatUpTime(0), "0 seconds");
  EXPECT_EQ(FormatUpTime(1000), "1 second");
  EXPECT_EQ(FormatUpTime((3600 + 1) * 1000), "1 hour, 1 second");
  EXPECT_EQ(FormatUpTime((2 * 86400 + 3 * 3600 + 59) * 1000), "2 days, 3 hours");
  EXPECT_EQ(FormatUpTime(7200 * 1000), "2 hours");
}

TEST(ReportValues, SystemNamesComeFromTheRealVersionNumbers) {
  struct Case {
    uint32_t platform, major, minor, build;
    bool server;
    const char* sp;
    const char* name;
  } cases[] = {
      {1, 4, 0, 950, false, "", "95"},
      {1, 4, 0, 1111, false, " B", "95 OSR 2"},
      {1, 4, 10, 1998, false, "", "98"},
      {1, 4, 10, 2222, false, " A ", "98 SE"},
      {1, 4, 90, 3000, false, "", "ME"},
      {2, 4, 0, 1381, false, "", "NT 4.0"},
      {2, 5, 0, 2195, false, "", "2000"},
      {2, 5, 1, 2600, false, "", "XP"},
      {2, 5, 2, 3790, true, "", "2003"},
      {2, 5, 2, 3790, false, "", "XP"},
      {2, 6, 0, 6002, false, "", "Vista"},
      {2, 6, 0, 6002, true, "", "Server 2008"},
      {2, 6, 1, 7601, false, "", "7"},
      {2, 6, 1, 7601, true, "", "Server 2008 R2"},
      {2, 6, 2, 9200, false, "", "8"},
      {2, 6, 3, 9600, false, "", "8.1"},
      {2, 6, 3, 9600, true, "", "Server 2012 R2"},
      {2, 10, 0, 19045, false, "", "10"},
      {2, 10, 0, 22631, false, "", "11"},
      {2, 10, 0, 14393, true, "", "Server 2016"},
      {2, 10, 0, 17763, true, "", "Server 2019"},
      {2, 10, 0, 20348, true, "", "Server 2022"},
      {2, 10, 0, 26100, true, "", "Server 2025"},
      {2, 11, 0, 30000, false, "", "NT 11.0"},
  };
  for (const Case& c : cases) {
    TReportOperatingSystem os{c.platform, c.major, c.minor, c.build, c.server, c.sp, ""};
    EXPECT_EQ(OperatingSystemName(os), std::string("Microsoft Windows ") + c.name)
        << c.major << "." << c.minor;
  }
  TReportOperatingSystem old{1, 4, 10, 0x040A08AE, false, "", ""};
  EXPECT_EQ(OperatingSystemBuild(old), "2222");
}

TEST(LogItemText, ValuesOfSeveralLinesCannotBreakAlignmentOrLookLikeSeparators) {
  TLogItem log;
  log.AddHeader("Block");
  log.AddItem("A", "first: one\r\n\r\n\r\nlast: two\r\n");
  log.AddItem("Longer label", "x: y");
  EXPECT_EQ(log.Text(),
            "Block:\r\n"
            "------------------------------\r\n"
            "  1.1 A           : first:_one\r\n"
            " .\r\n"
            " .\r\n"
            " last:_two\r\n"
            "  1.2 Longer label: x: y");
  EXPECT_EQ(ItemValueAsStored("first: one\r\n\r\nlast: two\r\n"), "first: one\r\n\r\nlast: two");
}

}  // namespace
