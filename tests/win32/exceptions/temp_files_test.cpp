// Temporary attachment folders and the log file name on a real file system.
#include <gtest/gtest.h>
#include <windows.h>

#include "exceptions/encode/temp_files_win32.h"
#include "exceptions/options/log_file_name_win32.h"
#include "exceptions/options/module_options.h"
#include "framework/streams.h"

namespace {

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(ReportTempFolder, EachReportGetsItsOwnFolderRemovedAfterwards) {
  std::string firstPath, firstFile;
  {
    TReportTempFolder a, b;  // two reports at once: a background send and a new report
    ASSERT_NE(a.Path(), b.Path());
    EXPECT_EQ(a.Path().rfind(SystemTempFolder(), 0), 0u);
    WriteFileBytes(a.FileName("Screenshot.png"), {1, 2, 3});
    WriteFileBytes(b.FileName("Screenshot.png"), {4, 5});
    EXPECT_EQ(ReadFileBytes(a.FileName("Screenshot.png")).size(), 3u);  // not overwritten
    WriteFileBytes(a.FileName("CompressFiles.tgz"), {0});
    SetFileAttributesA(a.FileName("CompressFiles.tgz").c_str(), FILE_ATTRIBUTE_READONLY);
    firstPath = a.Path();
    firstFile = a.FileName("Screenshot.png");
  }
  EXPECT_FALSE(exists(firstFile));
  EXPECT_FALSE(exists(firstPath));

  std::string kept;
  {
    TReportTempFolder c;
    WriteFileBytes(c.FileName("x.qlf"), {1});
    c.Keep();  // copies kept after a failed send
    kept = c.FileName("x.qlf");
  }
  EXPECT_TRUE(exists(kept));
  DeleteFileA(kept.c_str());
  RemoveDirectoryA(kept.substr(0, kept.find_last_of('\\')).c_str());
}

TEST(LogFileNameWin32, WritableFoldersAndTheProfileFallback) {
  TReportTempFolder root;
  TWin32LogFolderAccess access;
  std::string deep = root.Path() + "a\\b\\c\\";
  EXPECT_TRUE(access.ForceFolders(deep));
  EXPECT_TRUE(exists(deep));
  EXPECT_TRUE(access.CanWriteFile(deep + "probe.qlf"));
  EXPECT_FALSE(exists(deep + "probe.qlf"));  // asking leaves nothing behind
  WriteFileBytes(deep + "old.qlf", {7});
  EXPECT_TRUE(access.CanWriteFile(deep + "old.qlf"));
  EXPECT_EQ(ReadFileBytes(deep + "old.qlf").size(), 1u);  // nor harms an existing log
  EXPECT_FALSE(access.CanWriteFile(root.Path() + "missing\\x.qlf"));

  TQuillonModuleOptions o(root.Path() + "netvosk.exe", false);
  EXPECT_EQ(QuillonLogFileNameFor(o), root.Path() + "netvosk.qlf");
  o.SetLogLocation(root.Path() + "missing\\");  // cannot be written: under the profile folder
  SetEnvironmentVariableA("UserProfile", (root.Path() + "profile").c_str());
  EXPECT_EQ(QuillonLogFileNameFor(o), root.Path() + "profile\\QuillonLog\\netvosk\\netvosk.qlf");
  EXPECT_TRUE(exists(root.Path() + "profile\\QuillonLog\\netvosk\\"));
  o.SetReportContentFlags(o.ReportContentFlags() | rcComputerNameInLogName);
  o.SetLogLocation("");
  char name[16];
  DWORD size = sizeof name;
  ASSERT_TRUE(GetComputerNameA(name, &size));
  EXPECT_EQ(QuillonLogFileNameFor(o), root.Path() + "netvosk_" + CleanComputerName(name) + ".qlf");
}

}  // namespace
