// Where the log goes: each branch of the rule, with a file system that answers as told.
#include <gtest/gtest.h>

#include <set>

#include "exceptions/options/log_file_name.h"

namespace {

class FakeFolders : public TLogFolderAccess {
 public:
  std::set<std::string> writableFolders;  // files directly inside these can be written
  bool foldersCanBeMade = true;
  std::vector<std::string> made;

  bool CanWriteFile(const std::string& file) override {
    return writableFolders.count(file.substr(0, file.find_last_of('\\') + 1)) > 0;
  }
  bool ForceFolders(const std::string& folder) override {
    if (!foldersCanBeMade) return false;
    made.push_back(folder);
    writableFolders.insert(folder);
    return true;
  }
};

TLogNameInputs inputs(std::string location = "") {
  TLogNameInputs in;
  in.modulePath = "C:\\Program Files\\Netvosk\\netvosk.exe";
  in.logLocation = std::move(location);
  in.computerName = "OFFICE-PC";
  in.userProfile = "C:\\Users\\wang";
  return in;
}

TEST(LogFileName, PlacesFromTheOption) {
  EXPECT_EQ(PreferredLogFileName(inputs()), "C:\\Program Files\\Netvosk\\netvosk.qlf");
  EXPECT_EQ(PreferredLogFileName(inputs("D:\\Logs")), "D:\\Logs\\netvosk.qlf");
  EXPECT_EQ(PreferredLogFileName(inputs("D:\\Logs\\")), "D:\\Logs\\netvosk.qlf");
  EXPECT_EQ(PreferredLogFileName(inputs("D:\\Logs\\errors.QLF")), "D:\\Logs\\errors.QLF");
  EXPECT_EQ(PreferredLogFileName(inputs("logs")), "C:\\Program Files\\Netvosk\\logs\\netvosk.qlf");
}

TEST(LogFileName, ComputerNameGoesBeforeTheExtensionCleaned) {
  TLogNameInputs in = inputs();
  in.computerNameInName = true;
  EXPECT_EQ(PreferredLogFileName(in), "C:\\Program Files\\Netvosk\\netvosk_OFFICE-PC.qlf");
  in.logLocation = "D:\\x.y\\all.qlf";
  EXPECT_EQ(PreferredLogFileName(in), "D:\\x.y\\all_OFFICE-PC.qlf");
  EXPECT_EQ(CleanComputerName("A<B>C:D\"E|F*G?H/I"), "A_B_C_D_E_F_G_H");  // cut at 15
  EXPECT_EQ(CleanComputerName("J&K\x01L/\\ M"), "J_K_L__ M");
  EXPECT_EQ(CleanComputerName("\xC0\xEE\xB5\xC4-PC"), "\xC0\xEE\xB5\xC4-PC");  // GBK names stay
}

TEST(LogFileName, FallsBackUnderTheUserProfile) {
  FakeFolders fs;
  fs.writableFolders = {"C:\\Program Files\\Netvosk\\"};
  EXPECT_EQ(QuillonLogFileName(inputs(), fs), "C:\\Program Files\\Netvosk\\netvosk.qlf");
  EXPECT_TRUE(fs.made.empty());

  fs.writableFolders.clear();  // the program's folder is read-only
  TLogNameInputs in = inputs();
  in.computerNameInName = true;
  EXPECT_EQ(QuillonLogFileName(in, fs), "C:\\Users\\wang\\QuillonLog\\netvosk\\netvosk_OFFICE-PC.qlf");
  EXPECT_EQ(fs.made, std::vector<std::string>{"C:\\Users\\wang\\QuillonLog\\netvosk\\"});

  FakeFolders none;
  none.foldersCanBeMade = false;
  EXPECT_EQ(QuillonLogFileName(inputs(), none), "");  // nowhere to write: no log

  TLogNameInputs noProfile = inputs("D:\\ro\\");
  noProfile.userProfile = "";
  FakeFolders fs2;
  EXPECT_EQ(QuillonLogFileName(noProfile, fs2), "\\QuillonLog\\netvosk\\netvosk.qlf");
}

}  // namespace
