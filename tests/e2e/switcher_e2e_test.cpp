// The IP profile switcher as a user meets it: netvosk.exe started in a folder of its own,
// worked through its windows, with the stand-in netsh recording the commands.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <random>
#include <sstream>

#include "e2e/driver/driver.h"
#include "e2e/driver/standin.h"
#include "exceptions/dialog/dialog_ids.h"
#include "exceptions/report/log_file.h"
#include "exceptions/report/report_reader.h"
#include "skin/forms/skin_messages.h"
#include "win32/test_files.h"

using namespace nvdrv;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

const char* const kCaption = "Netvosk2.1--免费版";
const char* const kTitle = "Netvosk--免费版";

// The main window and the controls the tests work.
struct TMainWindow {
  HWND form = nullptr;
  HWND list = nullptr;
  std::vector<HWND> edits;  // Edit1..Edit6, top to bottom
  HWND save = nullptr, remove = nullptr, apply = nullptr, dhcp = nullptr, quit = nullptr;

  std::vector<std::string> Fields() const {
    std::vector<std::string> v;
    for (HWND e : edits) v.push_back(Text(e));
    return v;
  }
  void Fill(const std::vector<std::string>& values) const {
    for (std::size_t i = 0; i < values.size() && i < edits.size(); ++i) SetText(edits[i], values[i]);
  }
};

class Switcher : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(NetshOverrideSet()) << "WINEDLLOVERRIDES lacks netsh.exe=n";
    std::string error;
    ASSERT_TRUE(InstallNetshStandIn(&error)) << error;
    exe_ = BuildDir() + "src\\app\\netvosk.exe";
    ASSERT_NE(GetFileAttributesA(exe_.c_str()), INVALID_FILE_ATTRIBUTES) << exe_ << " not built";

    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    static int counter = 0;
    dir_ = std::string(tmp) + "nv-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
    CreateDirectoryA(dir_.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(exe_.c_str(), (dir_ + "\\netvosk.exe").c_str(), FALSE));
    SetEnvironmentVariableA("NV_NETSH_LOG", (dir_ + "\\netsh-log.txt").c_str());
    SetNetshExit(0);
  }

  void TearDown() override {
    if (app_ && app_->Running()) {
      PostMessageA(win_.form, WM_CLOSE, 0, 0);
      if (!app_->WaitExit(5s)) app_->Kill();
    }
    app_.reset();
    for (const char* f : {"netvosk.exe", "ip.ini", "netsh-log.txt", "netvosk.qlf", "QuillonLog.ini"})
      DeleteFileA((dir_ + "\\" + f).c_str());
    RemoveDirectoryA(IniPath().c_str());
    RemoveDirectoryA(dir_.c_str());
  }

  void SetNetshExit(int code) { SetEnvironmentVariableA("NV_NETSH_EXIT", std::to_string(code).c_str()); }
  std::string IniPath() const { return dir_ + "\\ip.ini"; }
  std::vector<std::string> NetshLog() const { return ReadNetshLog(dir_ + "\\netsh-log.txt"); }

  // Starts the program and finds its controls; fails the test when the window deviates.
  void Start() {
    app_ = std::make_unique<TProcess>();
    std::string error;
    ASSERT_TRUE(app_->Start(dir_ + "\\netvosk.exe", dir_, &error)) << error;
    win_ = {};
    win_.form = WaitForWindow(app_->Id(), "TForm1", kCaption, 30s);
    ASSERT_TRUE(win_.form) << "no TForm1 window captioned " << kCaption;
    auto lists = Descendants(win_.form, "TListBox");
    ASSERT_EQ(lists.size(), 1u);
    win_.list = lists[0];
    win_.edits = ByPosition(win_.form, "TEdit");
    ASSERT_EQ(win_.edits.size(), 6u);
    win_.save = FindChild(win_.form, "TButton", "保存");
    win_.remove = FindChild(win_.form, "TButton", "删除");
    win_.apply = FindChild(win_.form, "TButton", "设置");
    win_.dhcp = FindChild(win_.form, "TButton", "自动获取IP");
    win_.quit = FindChild(win_.form, "TButton", "退出");
    ASSERT_TRUE(win_.save && win_.remove && win_.apply && win_.dhcp && win_.quit);
  }

  void Quit() {
    Click(win_.quit);
    auto code = app_->WaitExit(10s);
    ASSERT_TRUE(code.has_value()) << "退出 did not end the program";
    EXPECT_EQ(*code, 0u);
  }

  // Wait for the list or the fields to show what is expected; on failure the message shows
  // what they show instead.
  ::testing::AssertionResult WaitForLines(const std::vector<std::string>& expected) {
    if (WaitUntil([&] { return ListLines(win_.list) == expected; }, 5s)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "list shows " << ::testing::PrintToString(ListLines(win_.list));
  }
  ::testing::AssertionResult WaitForFields(const std::vector<std::string>& expected) {
    if (WaitUntil([&] { return win_.Fields() == expected; }, 5s)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "fields show " << ::testing::PrintToString(win_.Fields());
  }
  void Select(int line) {
    ASSERT_TRUE(ClickListLine(win_.list, line));
    ASSERT_TRUE(WaitUntil([&] { return ListSelection(win_.list) == line; }, 5s));
  }
  // Waits for a message box, checks it is the only one, dismisses it and returns it.
  TMessageBox TakeMessageBox() {
    auto box = WaitForMessageBox(app_->Id(), 30s);
    if (!box) {
      ADD_FAILURE() << "no message box";
      return {};
    }
    EXPECT_TRUE(DismissMessageBox(*box));
    return *box;
  }

  std::string exe_, dir_;
  std::unique_ptr<TProcess> app_;
  TMainWindow win_;
};

const std::vector<std::string> kEmpty(6, "");

}  // namespace

TEST_F(Switcher, SavedProfilesAreListedAsSavedAndOnceAfterARestart) {
  Start();
  EXPECT_THAT(ListLines(win_.list), IsEmpty());
  EXPECT_EQ(win_.Fields(), kEmpty);

  // Field texts are trimmed before they are stored.
  win_.Fill({"  公司 ", "以太网 2", " 10.0.0.5", "255.0.0.0 ", "10.0.0.1", "10.0.0.2"});
  Click(win_.save);
  ASSERT_TRUE(WaitForLines({"公司"}));
  win_.Fill({"家里", "本地连接", "192.168.0.5", "255.255.255.0", "192.168.0.1", "192.168.0.1"});
  Click(win_.save);
  ASSERT_TRUE(WaitForLines({"公司", "家里"}));
  // Saving a listed name again lists it twice until the next start.
  win_.Fill({"公司", "以太网 2", "10.0.0.6", "255.0.0.0", "10.0.0.1", "10.0.0.2"});
  Click(win_.save);
  ASSERT_TRUE(WaitForLines({"公司", "家里", "公司"}));
  EXPECT_EQ(win_.Fields()[2], "10.0.0.6");  // the fields keep their text

  Quit();
  std::string ini = ReadBytes(IniPath());
  EXPECT_LT(ini.find("[公司]"), ini.find("[家里]"));
  EXPECT_THAT(ini, HasSubstr("LJM=以太网 2"));

  Start();
  EXPECT_TRUE(WaitForLines({"公司", "家里"}));
  EXPECT_EQ(win_.Fields(), kEmpty);
  EXPECT_EQ(ListSelection(win_.list), -1);
  Select(0);
  EXPECT_TRUE(WaitForFields({"公司", "以太网 2", "10.0.0.6", "255.0.0.0", "10.0.0.1", "10.0.0.2"}));
}

TEST_F(Switcher, SelectingALineLoadsAllSixFieldsWithDefaults) {
  WriteBytes(IniPath(),
                 "[A]\r\nLJM=Local Area\r\nIP=1.1.1.1\r\nZWYM=255.0.0.0\r\nMRWG=1.1.1.254\r\nDNS=8.8.4.4\r\n"
                 "[只有地址]\r\nIP=  2.2.2.2  \r\n");
  Start();
  ASSERT_TRUE(WaitForLines({"A", "只有地址"}));
  Select(1);
  EXPECT_TRUE(WaitForFields({"只有地址", "本地连接", "2.2.2.2", "255.255.255.0", "", ""}));
  Select(0);
  EXPECT_TRUE(WaitForFields({"A", "Local Area", "1.1.1.1", "255.0.0.0", "1.1.1.254", "8.8.4.4"}));
}

TEST_F(Switcher, DeleteWithAndWithoutASelection) {
  WriteBytes(IniPath(), "[A]\r\nIP=1\r\n[B]\r\nIP=2\r\n[C]\r\nIP=3\r\n[D]\r\nIP=4\r\n");
  Start();
  ASSERT_TRUE(WaitForLines({"A", "B", "C", "D"}));
  Select(1);
  ASSERT_TRUE(WaitForFields({"B", "本地连接", "2", "255.255.255.0", "", ""}));
  Click(win_.remove);
  EXPECT_TRUE(WaitForLines({"A", "C", "D"}));
  EXPECT_TRUE(WaitForFields(kEmpty));

  // No line selected: the named profile leaves the file, the list stays as it is.
  ASSERT_EQ(ListSelection(win_.list), -1);
  win_.Fill({"C"});
  Click(win_.remove);
  EXPECT_TRUE(WaitForFields(kEmpty));
  EXPECT_THAT(ListLines(win_.list), ElementsAre("A", "C", "D"));

  // A selected line and another name typed: the typed profile goes, the selected line goes.
  Select(0);
  ASSERT_TRUE(WaitForFields({"A", "本地连接", "1", "255.255.255.0", "", ""}));
  SetText(win_.edits[0], "D");
  Click(win_.remove);
  EXPECT_TRUE(WaitForLines({"C", "D"}));

  std::string ini = ReadBytes(IniPath());
  EXPECT_THAT(ini, HasSubstr("[A]"));
  for (const char* gone : {"[B]", "[C]", "[D]"}) EXPECT_EQ(ini.find(gone), std::string::npos) << gone;
}

TEST_F(Switcher, ApplyRunsBothCommandsInOrderThenSaysDone) {
  WriteBytes(IniPath(),
                 "[家里]\r\nLJM=本地连接\r\nIP=192.168.0.5\r\nZWYM=255.255.255.0\r\n"
                 "MRWG=192.168.0.1\r\nDNS=192.168.0.1\r\n");
  Start();
  ASSERT_TRUE(WaitForLines({"家里"}));
  Select(0);
  ASSERT_TRUE(
      WaitForFields({"家里", "本地连接", "192.168.0.5", "255.255.255.0", "192.168.0.1", "192.168.0.1"}));
  Click(win_.apply);
  TMessageBox box = TakeMessageBox();
  EXPECT_EQ(box.cls, "TMessageForm");
  EXPECT_EQ(box.caption, kTitle);
  EXPECT_EQ(box.text, "设置完成");
  EXPECT_THAT(NetshLog(),
              ElementsAre("interface ip set address 本地连接 static 192.168.0.5 255.255.255.0 192.168.0.1 1",
                          "interface ip set dns 本地连接 static 192.168.0.1"));

  // A connection name with a blank reaches netsh as one word.
  win_.Fill({"x", "以太网 2", "10.1.1.1", "255.0.0.0", "", "10.1.1.2"});
  Click(win_.apply);
  EXPECT_EQ(TakeMessageBox().text, "设置完成");
  auto log = NetshLog();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[2], "interface ip set address \"以太网 2\" static 10.1.1.1 255.0.0.0  1");
  EXPECT_EQ(log[3], "interface ip set dns \"以太网 2\" static 10.1.1.2");
}

TEST_F(Switcher, AutomaticAddressRunsTheFixedCommand) {
  Start();
  win_.Fill({"x", "以太网 2", "1.2.3.4", "255.0.0.0", "", ""});  // not used by this command
  Click(win_.dhcp);
  TMessageBox box = TakeMessageBox();
  EXPECT_EQ(box.cls, "#32770");
  EXPECT_EQ(box.caption, "提示");
  EXPECT_EQ(box.text, "修改完成。");
  EXPECT_THAT(NetshLog(), ElementsAre("interface ip set address 本地连接 source=dhcp"));
}

TEST_F(Switcher, AFailingNetshIsReportedNotCalledDone) {
  SetNetshExit(1);
  Start();
  win_.Fill({"x", "本地连接", "192.168.0.5", "255.255.255.0", "192.168.0.1", "192.168.0.1"});
  Click(win_.apply);
  TMessageBox box = TakeMessageBox();
  EXPECT_THAT(box.text, HasSubstr("设置IP地址失败"));
  EXPECT_THAT(box.text, HasSubstr("命令执行失败：interface ip set address"));
  EXPECT_THAT(box.text, ::testing::Not(HasSubstr("设置完成")));
  EXPECT_EQ(NetshLog().size(), 1u);

  Click(win_.dhcp);
  box = TakeMessageBox();
  EXPECT_THAT(box.text, HasSubstr("切换为自动获取IP失败"));
  EXPECT_NE(box.text, "修改完成。");
  EXPECT_EQ(NetshLog().size(), 2u);
  EXPECT_TRUE(app_->Running());
}

// Whatever ip.ini holds, the program starts, lists what fits and keeps working.
TEST_F(Switcher, SurvivesBadProfileFiles) {
  std::mt19937 rng(7);
  std::string noise(64 * 1024, '\0');
  for (auto& c : noise) {
    unsigned r = rng() % 100;
    c = r < 4 ? '[' : r < 8 ? ']' : r < 12 ? '\n' : static_cast<char>(rng());
  }
  std::string many;
  for (int i = 0; i < 10000; ++i)
    many += std::string("[s") + std::to_string(i) + "]\r\nIP=" + std::to_string(i) + "\r\n";
  // Appended piece by piece: GCC 12 warns falsely about "literal" + std::string.
  std::string longLines = "[";
  longLines.append(100 * 1024, 'n').append("]\r\nIP=1\r\n[ok]\r\nIP=").append(100 * 1024, 'v').append("\r\n");
  std::string notGbk = "[\x81\xff\x80]\r\nLJM=\x81\r\n[\xfe]\r\nDNS=\xff\xff\r\n[last]\r\nIP=9\r\n";

  struct Case {
    const char* name;
    std::string bytes;
  };
  for (const Case& c : {Case{"random", noise}, Case{"10000 sections", many}, Case{"100 KB lines", longLines},
                        Case{"not GBK", notGbk}}) {
    SCOPED_TRACE(c.name);
    WriteBytes(IniPath(), c.bytes);
    Start();
    auto lines = ListLines(win_.list);
    if (std::string(c.name) == "10000 sections") {
      ASSERT_GT(lines.size(), 1000u);
      EXPECT_LT(lines.size(), 10000u);
      EXPECT_EQ(lines[0], "s0");
      EXPECT_EQ(lines[lines.size() - 1], std::string("s") + std::to_string(lines.size() - 1));
    }
    if (std::string(c.name) == "not GBK") {
      ASSERT_FALSE(lines.empty());
      EXPECT_EQ(lines.back(), "last");
    }
    if (!lines.empty()) {
      Select(static_cast<int>(lines.size()) - 1 < 5 ? static_cast<int>(lines.size()) - 1 : 5);
      EXPECT_TRUE(WaitUntil([&] { return !Text(win_.edits[0]).empty() || lines[0].empty(); }, 5s));
    }
    ASSERT_TRUE(app_->Running());
    Quit();
  }
}

namespace {

int SourceLineOf(const std::string& file, const std::string& text) {
  std::ifstream in(std::string(NV_SOURCE_DIR) + "/" + file);
  std::string line;
  for (int n = 1; std::getline(in, line); ++n)
    if (line.find(text) != std::string::npos) return n;
  return -1;
}

bool Answers(HWND w) {
  DWORD_PTR r = 0;
  return SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 3000, &r) != 0;
}

}  // namespace

// A save that cannot write ip.ini (a folder of that name is in the way) shows the reporter's
// error dialog; the program goes on, and the log keeps the error once.
TEST_F(Switcher, AFailedSaveShowsTheErrorDialogAndTheProgramGoesOn) {
  ASSERT_TRUE(CreateDirectoryA(IniPath().c_str(), nullptr));
  Start();
  win_.Fill({"公司", "本地连接", "10.0.0.5", "255.0.0.0", "10.0.0.1", "10.0.0.2"});
  char full[MAX_PATH];
  GetFullPathNameA(IniPath().c_str(), MAX_PATH, full, nullptr);
  std::string message = std::string("Unable to write to ") + full + ".";
  for (int round = 1; round <= 2; ++round) {
    Click(win_.save);
    HWND dialog = WaitForWindow(app_->Id(), "#32770", "Error.", 30s);
    ASSERT_TRUE(dialog) << "no error dialog, round " << round;
    std::string shown = Text(GetDlgItem(dialog, QL_ID_MESSAGE));
    EXPECT_THAT(shown, HasSubstr("\r\n" + message)) << "round " << round;
    EXPECT_EQ(Text(GetDlgItem(dialog, QL_ID_OK)), "&OK");
    EXPECT_EQ(Text(GetDlgItem(dialog, QL_ID_KILL)), "&Restart") << "offered from the first report";
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, QL_ID_KILL)));
    EXPECT_EQ(Text(GetDlgItem(dialog, QL_ID_DETAILS)), "&Details");
    // Skinned like every other window of the program, though a worker thread shows it.
    DWORD_PTR skinned = 0;
    SendMessageTimeoutA(dialog, XM_ISSKINNED, 0, 0, SMTO_ABORTIFHUNG, 3000, &skinned);
    EXPECT_EQ(skinned, 1u) << "round " << round;
    Click(GetDlgItem(dialog, QL_ID_OK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); })) << "OK did not close the dialog";
    // The report ends a little after its dialog (the log is written, the dialog's skin let
    // go); a click that arrives before then belongs to the running report, which takes no
    // second report of the same thread. A person is never that quick.
    Sleep(1000);
    EXPECT_TRUE(Answers(win_.form));
    EXPECT_THAT(ListLines(win_.list), IsEmpty()) << "nothing was saved";
  }

  std::string log = ReadBytes(dir_ + "\\netvosk.qlf");
  std::vector<std::string> reports = ParseLog(log);
  ASSERT_EQ(reports.size(), 1u) << "the second report of the same error is not stored again";
  TParsedReport r = ParseReportText(reports[0]);
  ASSERT_TRUE(r.Item(2, 4) && r.Item(2, 5));
  EXPECT_EQ(r.Item(2, 4)->value, "EIniFileException");
  EXPECT_EQ(r.Item(2, 5)->value, message);
  ASSERT_TRUE(r.callStack.has_value());
  int line = SourceLineOf("src/app/main_form.cpp", "store_.Save(name, ShownProfile());");
  ASSERT_GT(line, 0);
  bool found = false;
  std::string rows;
  for (const TParsedTable::Row& row : r.callStack->rows) {
    std::string joined;
    for (const std::string& c : row.cells) joined += c + " | ";
    rows += joined + "\n";
    bool handler = false, atLine = false;
    for (const std::string& c : row.cells) {
      handler = handler || c.find("Button1Click") != std::string::npos;
      atLine = atLine || c == std::to_string(line);
    }
    found = found || (handler && atLine);
  }
  EXPECT_TRUE(found) << "no Button1Click at line " << line << " in\n" << reports[0];
  Quit();
}
