// The log file on a real Windows file system: sharing, atomic replace, failures, name rule.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "exceptions/encode/temp_files_win32.h"
#include "exceptions/options/module_options.h"
#include "exceptions/report/log_file.h"
#include "exceptions/report/log_storage_win32.h"
#include "exceptions/report/report_log_win32.h"
#include "exceptions/report/report_text.h"
#include "framework/streams.h"
#include "host/exceptions/report_fixtures.h"

namespace {
using namespace reptest;

std::string readAll(const std::string& path) {
  std::vector<uint8_t> b = ReadFileBytes(path);
  return std::string(b.begin(), b.end());
}

size_t filesIn(const std::string& folder) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
  size_t n = 0;
  if (h == INVALID_HANDLE_VALUE) return 0;
  do n += (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  while (FindNextFileA(h, &fd));
  FindClose(h);
  return n;
}

TReportSnapshot Numbered(int i) {
  TReportSnapshot s = SampleSnapshot();
  s.exception.address = 0x00500000u + static_cast<uint32_t>(i);
  return s;
}

TEST(Win32LogStorage, SaveKeepsOtherWritersOutButLetsReadersIn) {
  TReportTempFolder dir;
  std::string file = dir.FileName("netvosk.qlf");
  TWin32LogStorage storage;
  TLogFile log(storage);
  log.SetFileName(file);
  for (int i = 0; i < 3; ++i)
    ASSERT_EQ(log.Append(BuildReportText(Numbered(i)), ReportKeyOf(Numbered(i)), {}).status,
              TLogAppendStatus::lsSaved);
  const std::string bytes = readAll(file);
  EXPECT_EQ(ComposeLog(ParseLog(bytes)), bytes);
  EXPECT_EQ(filesIn(dir.Path()), 1u);

  std::string content, error;
  bool exists = false;
  ASSERT_TRUE(storage.Open(file, content, exists, error)) << error;
  EXPECT_EQ(content, bytes);
  HANDLE writer =
      CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  TWin32LogStorage reader;
  std::string seen;
  EXPECT_TRUE(reader.Read(file, seen, exists, error)) << error;
  EXPECT_EQ(seen, bytes);

  // A second copy of the program waits for the save to end, then gives up with a clear error.
  std::atomic<bool> opened{true};
  std::string otherError;
  std::thread other([&] {
    TWin32LogStorage second;
    second.SetWaitLimit(200);
    std::string c;
    bool e;
    opened = second.Open(file, c, e, otherError);
  });
  other.join();
  EXPECT_FALSE(opened);
  EXPECT_NE(otherError.find("another copy"), std::string::npos) << otherError;
  storage.Close();
  HANDLE after = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(after, INVALID_HANDLE_VALUE) << "the transaction must let go of the file";
  CloseHandle(after);
}

// A disk that fills up in the middle of the new log.
class FailingStorage : public TWin32LogStorage {
 protected:
  bool WriteBlock(void* file, const char* data, unsigned size) override {
    if (++blocks_ > 1) {
      SetLastError(ERROR_DISK_FULL);
      return false;
    }
    return TWin32LogStorage::WriteBlock(file, data, size / 2);
  }

 private:
  int blocks_ = 0;
};

TEST(Win32LogStorage, WriteFailingMidwayLeavesTheOldLogWholeAndNoTemporaryFile) {
  TReportTempFolder dir;
  std::string file = dir.FileName("netvosk.qlf");
  TWin32LogStorage storage;
  TLogFile log(storage);
  log.SetFileName(file);
  for (int i = 0; i < 31; ++i) log.Append(BuildReportText(Numbered(i)), ReportKeyOf(Numbered(i)), {});
  const std::string before = readAll(file);
  ASSERT_GT(before.size(), 65536u);
  FailingStorage failing;
  TLogFile broken(failing);
  broken.SetFileName(file);
  TLogAppendResult r = broken.Append(BuildReportText(Numbered(40)), ReportKeyOf(Numbered(40)), {});
  EXPECT_EQ(r.status, TLogAppendStatus::lsFailed);
  EXPECT_NE(r.error.find("Cannot write"), std::string::npos) << r.error;
  EXPECT_EQ(readAll(file), before);
  EXPECT_EQ(filesIn(dir.Path()), 1u);
  // The next save works again and starts from the untouched log.
  EXPECT_EQ(log.Append(BuildReportText(Numbered(41)), ReportKeyOf(Numbered(41)), {}).status,
            TLogAppendStatus::lsSaved);
  EXPECT_EQ(ParseLog(readAll(file)).size(), 32u);
}

TEST(ReportLog, SavesWhereTheOptionsSayAndWarnsWhenNoPlaceCanBeWritten) {
  TReportTempFolder dir;
  TQuillonModuleOptions options(dir.Path() + "netvosk.exe", false);
  options.SetReportContentFlags(options.ReportContentFlags() | rcNoDuplicates);
  TReportLog log;
  TReportSnapshot s = SampleSnapshot();
  std::vector<std::string> warnings;
  TLogSaveHandlers h;
  h.warning = [&](TQuillonLogErrorCode code, const std::string& m) {
    warnings.push_back(std::string(QuillonLogErrorName(code)) + " " + m);
  };
  TLogSaveOutcome out = log.Save(options, s, BuildReportText(s), h);
  EXPECT_EQ(out.result.status, TLogAppendStatus::lsSaved);
  EXPECT_EQ(ParseLog(readAll(dir.Path() + "netvosk.qlf")).size(), 1u);
  out = log.Save(options, s, BuildReportText(s), h);
  EXPECT_EQ(out.result.status, TLogAppendStatus::lsDuplicate);

  // Neither the configured folder nor the profile folder can be written.
  options.SetLogLocation("Q:\\no\\such\\drive\\");
  SetEnvironmentVariableA("UserProfile", "Q:\\no\\profile");
  out = log.Save(options, s, BuildReportText(s), h);
  SetEnvironmentVariableA("UserProfile", nullptr);
  EXPECT_EQ(out.result.status, TLogAppendStatus::lsFailed);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].rfind("eeLogError [Log] ", 0), 0u) << warnings[0];

  options.SetWriteLog(false);
  EXPECT_TRUE(log.Save(options, s, BuildReportText(s), h).skipped);
}

TEST(ReportLog, VersionCheckDeletesAnotherVersionsLog) {
  TReportTempFolder dir;
  TQuillonModuleOptions options(dir.Path() + "netvosk.exe", false);
  TReportLog log;
  TReportSnapshot s = SampleSnapshot();
  log.Save(options, s, BuildReportText(s), {});
  options.SetReportCheckFlags(rkDeleteOldVersionLog);
  log.CheckVersion(options, "2.1.0.0", {});
  EXPECT_EQ(GetFileAttributesA((dir.Path() + "netvosk.qlf").c_str()) != INVALID_FILE_ATTRIBUTES, true);
  log.CheckVersion(options, "2.2.0.0", {});
  EXPECT_EQ(GetFileAttributesA((dir.Path() + "netvosk.qlf").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
