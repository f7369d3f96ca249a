// The log file: stored form, capacity, duplicates, version check, failures (host storage).
#include "exceptions/report/log_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "exceptions/options/module_options.h"
#include "exceptions/report/log_storage_posix.h"
#include "exceptions/report/report_text.h"
#include "host/exceptions/report_fixtures.h"
#include "host/exceptions/tool_helpers.h"

namespace {
using namespace reptest;

TReportSnapshot Numbered(int i) {
  TReportSnapshot s = SampleSnapshot();
  s.exception.address = 0x00401000u + static_cast<uint32_t>(i) * 16;
  s.exception.date = TReportDateTime::Make(2024, 12, 3, 10, i % 60, 0, 480);
  return s;
}

// Thirty-two reports that stress the stored form: texts with and without final line breaks,
// lone LF and CR, free texts full of empty lines, things that look like separators and rules.
std::vector<std::string> VariedReports() {
  std::vector<std::string> r;
  for (int i = 0; i < 32; ++i) {
    TReportSnapshot s = Numbered(i);
    switch (i % 8) {
      case 1: s.reproduceText = "step one\r\n\r\n\r\n\r\nstep two\r\n\r\n"; break;
      case 2: s.customData = {"", "", "", "x"}; break;
      case 3: s.exception.message = "multi\r\n\r\n\r\n\r\nline: message"; break;
      case 4: s.reproduceText = "-\r\n|fake table row|\r\n\r\n\r\n\r\nQuillonLog 5.1.11"; break;
      case 5: s.settings.contentFlags = 0; break;
      case 6: s.cpu.code.bytes.clear(); break;
      default: break;
    }
    std::string text = BuildReportText(s);
    if (i == 7) text += "\r\n";                                  // ends in CR LF twice over
    if (i == 15) text.erase(text.find_last_not_of("\r\n") + 1);  // ends without a line break
    if (i == 23) {                                               // written with lone LF
      std::string lf;
      for (char c : text)
        if (c != '\r') lf += c;
      text = lf;
    }
    if (i == 31) {  // lone CR
      std::string cr;
      for (char c : text)
        if (c != '\n') cr += c;
      text = cr;
    }
    r.push_back(text);
  }
  return r;
}

struct LogFixture : ::testing::Test {
  ScratchDir dir;
  TPosixLogStorage storage;
  TLogFile log{storage};
  std::string file = dir.File("netvosk.qlf");
  void SetUp() override { log.SetFileName(file); }

  TLogAppendResult Add(const TReportSnapshot& s, TLogAppendOptions o = {}) {
    return log.Append(BuildReportText(s), ReportKeyOf(s), o);
  }
};

TEST_F(LogFixture, ReadThenRewriteOfVariedReportsIsByteIdentical) {
  TLogAppendOptions o;
  for (const std::string& text : VariedReports()) {
    TReportKey noKey;
    ASSERT_EQ(log.Append(text, noKey, o).status, TLogAppendStatus::lsSaved) << log.FileName();
  }
  const std::string bytes = ReadFile(file);
  std::vector<std::string> read = ParseLog(bytes);
  ASSERT_EQ(read.size(), 32u);
  EXPECT_EQ(ComposeLog(read), bytes);
  std::vector<std::string> expected;
  for (const std::string& text : VariedReports()) expected.push_back(StoredReportBody(text));
  EXPECT_EQ(read, expected);
  // A report's own text never holds two empty lines in a row, so it cannot split.
  for (const std::string& body : read) EXPECT_EQ(body.find("\r\n\r\n\r\n"), std::string::npos);
  // The one written without a final line break did not swallow the next report.
  EXPECT_EQ(StoredReportKey(read[15]).address, "004010F0");
  EXPECT_EQ(StoredReportKey(read[16]).address, "00401100");

  // Another save through the same code rewrites the 32 old reports unchanged.
  TLogFile again(storage);
  again.SetFileName(file);
  TLogAppendOptions big;
  big.capacity = 40;
  ASSERT_EQ(again.Append(BuildReportText(Numbered(99)), ReportKeyOf(Numbered(99)), big).status,
            TLogAppendStatus::lsSaved);
  std::string after = ReadFile(file);
  EXPECT_EQ(after.compare(0, bytes.size(), bytes), 0);
}

TEST_F(LogFixture, LogEditedByHandWithOtherLineBreaksIsStillRead) {
  for (int i = 0; i < 4; ++i) Add(Numbered(i));
  const std::string bytes = ReadFile(file);
  std::string lf, cr, spaced;
  for (char c : bytes)
    if (c != '\r') lf += c;
  for (char c : bytes)
    if (c != '\n') cr += c;
  spaced = "\r\n\r\n" + bytes;  // blank lines before the first report, and longer gaps
  for (size_t at = spaced.find(kLogSeparator, 4); at != std::string::npos;
       at = spaced.find(kLogSeparator, at + 8))
    spaced.insert(at, "\r\n\r\n");
  for (const std::string& edited : {lf, cr, spaced}) EXPECT_EQ(ParseLog(edited), ParseLog(bytes));
}

TEST_F(LogFixture, CapacityKeepsTheNewestReportsInOrder) {
  TLogAppendOptions o;
  o.capacity = 3;
  for (int i = 0; i < 5; ++i) ASSERT_EQ(Add(Numbered(i), o).status, TLogAppendStatus::lsSaved);
  std::vector<std::string> read = ParseLog(ReadFile(file));
  ASSERT_EQ(read.size(), 3u);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(StoredReportKey(read[i]).address, *ReportKeyOf(Numbered(i + 2)).address);
  // At capacity a new report pushes out exactly the oldest.
  o.capacity = 32;
  log.SetFileName(dir.File("full.qlf"));
  for (int i = 0; i < 33; ++i) Add(Numbered(i), o);
  read = ParseLog(ReadFile(dir.File("full.qlf")));
  ASSERT_EQ(read.size(), 32u);
  EXPECT_EQ(StoredReportKey(read.front()).address, *ReportKeyOf(Numbered(1)).address);
  // A capacity below one still keeps the new report.
  o.capacity = 0;
  Add(Numbered(50), o);
  EXPECT_EQ(ParseLog(ReadFile(dir.File("full.qlf"))).size(), 1u);
}

TEST_F(LogFixture, DuplicateOfAnyStoredReportLeavesTheFileAsItWas) {
  TLogAppendOptions o;
  o.noDuplicates = true;
  for (int i = 0; i < 3; ++i) Add(Numbered(i), o);
  const std::string before = ReadFile(file);
  TReportSnapshot again = Numbered(0);  // same 2.2 to 2.5, another date and machine
  again.exception.date = TReportDateTime::Make(2025, 1, 1, 0, 0, 0, 0);
  again.system.computer.name = "OTHER";
  EXPECT_EQ(Add(again, o).status, TLogAppendStatus::lsDuplicate);
  EXPECT_EQ(ReadFile(file), before);
  EXPECT_TRUE(log.IsDuplicate(ReportKeyOf(again)));
  // Another message is another error.
  again.exception.message = "Something else";
  EXPECT_EQ(Add(again, o).status, TLogAppendStatus::lsSaved);
}

TEST_F(LogFixture, HiddenExceptionItemsNeverMakeEveryReportADuplicate) {
  TLogAppendOptions o;
  o.noDuplicates = true;
  TReportSnapshot s = Numbered(0);
  s.settings.generalItems &= ~(0xFull << 6);  // 2.2 to 2.5 hidden
  ASSERT_EQ(Add(s, o).status, TLogAppendStatus::lsSaved);
  s = Numbered(1);
  s.settings.generalItems &= ~(0xFull << 6);
  EXPECT_EQ(Add(s, o).status, TLogAppendStatus::lsSaved);
  EXPECT_EQ(log.Reports().size(), 2u);
}

TEST_F(LogFixture, VersionCheckDropsAnotherVersionsLogButNeverOneItCannotRead) {
  TLogAppendOptions o;
  o.versionCheck = true;
  o.runningVersion = "2.1.0.0";
  for (int i = 0; i < 3; ++i) Add(Numbered(i), o);
  o.runningVersion = "2.2.0.0";
  TReportSnapshot next = Numbered(5);
  next.application.version = "2.2.0.0";
  TLogAppendResult r = Add(next, o);
  EXPECT_TRUE(r.oldVersionDropped);
  std::vector<std::string> read = ParseLog(ReadFile(file));
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(ReportItemValue(read[0], 1, 3), "2.2.0.0");

  // The last stored report hides 1.3: its version is unknown, the log stays.
  TReportSnapshot hidden = Numbered(6);
  hidden.settings.generalItems &= ~(uint64_t{1} << 2);
  Add(hidden, o);
  o.runningVersion = "3.0.0.0";
  r = Add(Numbered(7), o);
  EXPECT_FALSE(r.oldVersionDropped);
  EXPECT_EQ(ParseLog(ReadFile(file)).size(), 3u);

  // The check alone deletes the file.
  Add(Numbered(8), o);  // last report now shows 2.1.0.0
  bool deleted = false;
  ASSERT_TRUE(log.CheckVersion("3.0.0.0", deleted));
  EXPECT_TRUE(deleted);
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_TRUE(log.Reports().empty());
}

// Fails on the second block of a write, as a full disk would.
class FailingStorage : public TPosixLogStorage {
 protected:
  bool WriteBlock(int fd, const char* data, size_t size) override {
    if (++blocks_ > 1) return false;
    return TPosixLogStorage::WriteBlock(fd, data, size / 2);
  }

 private:
  int blocks_ = 0;
};

TEST_F(LogFixture, WriteFailingMidwayLeavesTheOldLogWhole) {
  for (int i = 0; i < 31; ++i) Add(Numbered(i));  // > 64 KiB: the write takes several blocks
  const std::string before = ReadFile(file);
  ASSERT_GT(before.size(), 65536u);
  FailingStorage failing;
  TLogFile broken(failing);
  broken.SetFileName(file);
  TLogAppendResult r = broken.Append(BuildReportText(Numbered(40)), ReportKeyOf(Numbered(40)), {});
  EXPECT_EQ(r.status, TLogAppendStatus::lsFailed);
  EXPECT_NE(r.error.find("Cannot write"), std::string::npos) << r.error;
  EXPECT_EQ(ReadFile(file), before);
  EXPECT_TRUE(broken.Reports().empty());
  size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path())) files += e.is_regular_file();
  EXPECT_EQ(files, 1u) << "the temporary file stayed behind";
}

TEST_F(LogFixture, UnreadablePiecesAreDroppedAndReportsWithoutATableAreRefused) {
  Add(Numbered(1));
  WriteFile(file, "garbage\r\nno table here\r\n\r\n\r\n\r\n" + ReadFile(file) + "trailing junk");
  EXPECT_EQ(ParseLog(ReadFile(file)).size(), 1u);
  TReportKey none;
  TLogAppendResult r = log.Append("just some words", none, {});
  EXPECT_EQ(r.status, TLogAppendStatus::lsFailed);
}

struct Recorder {
  std::vector<std::string> events;
  TLogSaveHandlers Handlers(int retries, bool save = true) {
    TLogSaveHandlers h;
    h.beforeSave = [this, save] {
      events.push_back("before");
      return save;
    };
    h.afterSave = [this] { events.push_back("after"); };
    h.saveFailed = [this, retries](const std::string&) mutable {
      events.push_back("failed");
      return retries-- > 0;
    };
    h.warning = [this](TQuillonLogErrorCode code, const std::string& message) {
      events.push_back(std::string(QuillonLogErrorName(code)) + " " + message.substr(0, 6));
    };
    return h;
  }
};

TEST(LogSave, LogThatCannotBeWrittenGivesLogErrorAndRetriesAsAsked) {
  ScratchDir dir;
  TPosixLogStorage storage;
  TLogFile log(storage);
  log.SetFileName(dir.File("missing-folder/netvosk.qlf"));
  TReportSnapshot s = SampleSnapshot();
  Recorder rec;
  TLogSaveOutcome out = SaveReportToLog(log, BuildReportText(s), ReportKeyOf(s), {}, false, rec.Handlers(2));
  EXPECT_EQ(out.result.status, TLogAppendStatus::lsFailed);
  EXPECT_EQ(out.attempts, 3);
  std::vector<std::string> expected = {"before", "eeLogError [Log] ", "failed", "eeLogError [Log] ",
                                       "failed", "eeLogError [Log] ", "failed", "after"};
  EXPECT_EQ(rec.events, expected);

  // No place at all for the log: the same warning, nothing written.
  log.SetFileName("");
  Recorder none;
  out = SaveReportToLog(log, BuildReportText(s), ReportKeyOf(s), {}, false, none.Handlers(0));
  EXPECT_EQ(out.result.status, TLogAppendStatus::lsFailed);
  EXPECT_EQ(none.events[1], "eeLogError [Log] ");

  // A handler that always asks again is not followed for ever.
  Recorder stubborn;
  out = SaveReportToLog(log, BuildReportText(s), ReportKeyOf(s), {}, false, stubborn.Handlers(1000));
  EXPECT_EQ(out.attempts, kMaxLogSaveRetries + 1);
}

TEST(LogSave, BeforeSaveCanSkipAndWholeLogCanBeSent) {
  ScratchDir dir;
  TPosixLogStorage storage;
  TLogFile log(storage);
  log.SetFileName(dir.File("netvosk.qlf"));
  TReportSnapshot s = SampleSnapshot();
  Recorder rec;
  TLogSaveOutcome out =
      SaveReportToLog(log, BuildReportText(s), ReportKeyOf(s), {}, true, rec.Handlers(0, false));
  EXPECT_TRUE(out.skipped);
  EXPECT_FALSE(std::filesystem::exists(dir.File("netvosk.qlf")));
  Recorder ok;
  SaveReportToLog(log, BuildReportText(Numbered(1)), ReportKeyOf(Numbered(1)), {}, true, ok.Handlers(0));
  out =
      SaveReportToLog(log, BuildReportText(Numbered(2)), ReportKeyOf(Numbered(2)), {}, true, ok.Handlers(0));
  EXPECT_EQ(out.sendText, ReadFile(dir.File("netvosk.qlf")));
  EXPECT_EQ((std::vector<std::string>{"before", "after", "before", "after"}), ok.events);
}

}  // namespace
