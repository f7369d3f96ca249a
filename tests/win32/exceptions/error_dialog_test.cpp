// The error dialog as a user meets it, driven from outside its process: the demo program
// shows it with a hand-made report on a worker thread, as the report pipeline does.
#include <gtest/gtest.h>

#include "exceptions/dialog/dialog_ids.h"
#include "win32/exceptions/dialog_remote.h"
#include "win32/test_files.h"

using namespace dlgtest;

namespace {

const char* const kMessage = "Unable to write to C:\\网络工具\\ip.ini.";
const char* const kText3 =
    "An error has occurred during program execution.\r\nPlease read the following information for further "
    "details.";

class ErrorDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    static int counter = 0;
    dir_ = std::string(tmp) + "nv-dialog-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
    CreateDirectoryA(dir_.c_str(), nullptr);
  }
  void TearDown() override {
    demo_.reset();
    for (const char* f : {"result.txt", "QuillonLog.ini"}) DeleteFileA((dir_ + "\\" + f).c_str());
    RemoveDirectoryA(dir_.c_str());
  }

  // Starts the demo and waits for its dialog.
  HWND Open(const std::string& args) {
    demo_ = std::make_unique<TDemo>();
    EXPECT_TRUE(demo_->Start(args, ResultFile()));
    HWND dialog = demo_->WaitDialog();
    EXPECT_TRUE(dialog) << "no \"Error.\" dialog for " << args;
    return dialog;
  }
  std::string ResultFile() const { return dir_ + "\\result.txt"; }
  std::string IniFile() const { return dir_ + "\\QuillonLog.ini"; }
  std::map<std::string, std::string> Result() const { return ReadResult(ResultFile()); }

  static HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }
  static bool Shown(HWND dialog, int id) { return IsWindowVisible(Item(dialog, id)) != FALSE; }
  static int ClientHeight(HWND w) {
    RECT r;
    GetClientRect(w, &r);
    return r.bottom;
  }
  // The title of the page on show, "" when none is.
  static std::string VisiblePageTitle(HWND dialog) {
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      if (ClassOf(c) == "#32770" && IsWindowVisible(c)) return Text(GetDlgItem(c, QL_ID_PAGE_TITLE));
    return "";
  }
  static HWND VisiblePageContent(HWND dialog) {
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      if (ClassOf(c) == "#32770" && IsWindowVisible(c)) return GetDlgItem(c, QL_ID_PAGE_CONTENT);
    return nullptr;
  }
  void CloseWithOk(HWND dialog) {
    Click(Item(dialog, QL_ID_OK));
    EXPECT_EQ(demo_->WaitExit(15s), 0);
  }

  std::string dir_;
  std::unique_ptr<TDemo> demo_;
};

TEST_F(ErrorDialog, TextsButtonsFocusAndDetails) {
  HWND d = Open("");
  ASSERT_TRUE(d);
  EXPECT_EQ(Text(d), "Error.");
  EXPECT_EQ(Text(Item(d, QL_ID_MESSAGE)), std::string(kText3) + "\r\n" + kMessage);
  EXPECT_EQ(Text(Item(d, QL_ID_OK)), "&OK");
  EXPECT_EQ(Text(Item(d, QL_ID_KILL)), "&Restart");
  EXPECT_EQ(Text(Item(d, QL_ID_DETAILS)), "&Details");
  EXPECT_TRUE(Shown(d, QL_ID_KILL));
  // Nothing to send with: neither the send nor the screenshot box; the copy box is offered.
  EXPECT_FALSE(Shown(d, QL_ID_SEND));
  EXPECT_FALSE(Shown(d, QL_ID_SCREENSHOT));
  EXPECT_TRUE(Shown(d, QL_ID_COPY));
  EXPECT_EQ(Text(Item(d, QL_ID_COPY)), "&Copy to Clipboard");
  // The system's look: no tool-window caption.
  EXPECT_FALSE(GetWindowLongA(d, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  GUITHREADINFO gui{sizeof gui};
  ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(d, nullptr), &gui));
  EXPECT_EQ(gui.hwndFocus, Item(d, QL_ID_OK));

  HWND tab = Item(d, QL_ID_TABS);
  EXPECT_FALSE(IsWindowVisible(tab));
  int collapsed = ClientHeight(d);
  Click(Item(d, QL_ID_DETAILS));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(tab) && !VisiblePageTitle(d).empty(); }));
  EXPECT_GT(ClientHeight(d), collapsed + 100);
  ASSERT_EQ(Send(tab, TCM_GETITEMCOUNT), 4);
  EXPECT_EQ(TabText(tab, 0), "General");
  EXPECT_EQ(TabText(tab, 1), "Call Stack");
  EXPECT_EQ(TabText(tab, 2), "Modules");
  EXPECT_EQ(TabText(tab, 3), "CPU");
  EXPECT_EQ(Send(tab, TCM_GETCURSEL), 0);
  EXPECT_EQ(VisiblePageTitle(d), "General Information");
  // The General page carries the report's rich text.
  std::string general = LongText(VisiblePageContent(d));
  EXPECT_NE(general.find(std::string("2.5 Message\t: ") + kMessage), std::string::npos) << general;

  Click(Item(d, QL_ID_DETAILS));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(tab); }));
  EXPECT_EQ(ClientHeight(d), collapsed);
  CloseWithOk(d);
  auto r = Result();
  EXPECT_EQ(r["shown"], "1");
  EXPECT_EQ(r["terminate"], "0");
  EXPECT_EQ(r["copy"], "0");

  // Terminating instead of restarting; and no terminate button when it is not offered.
  d = Open("--terminate-action 0");
  ASSERT_TRUE(d);
  EXPECT_EQ(Text(Item(d, QL_ID_KILL)), "&Terminate");
  CloseWithOk(d);
  d = Open("--no-terminate");
  ASSERT_TRUE(d);
  EXPECT_FALSE(Shown(d, QL_ID_KILL));
  CloseWithOk(d);
}

TEST_F(ErrorDialog, SendBoxesAndTheBottomBand) {
  HWND d = Open("--flags 0x11");  // no copy offer, no send mode: an empty band
  ASSERT_TRUE(d);
  for (int id : {QL_ID_SEND, QL_ID_SCREENSHOT, QL_ID_COPY, QL_ID_LINE}) EXPECT_FALSE(Shown(d, id)) << id;
  int bare = ClientHeight(d);
  CloseWithOk(d);

  d = Open("");  // the copy box alone: one row
  ASSERT_TRUE(d);
  int oneRow = ClientHeight(d);
  EXPECT_TRUE(Shown(d, QL_ID_LINE));
  CloseWithOk(d);

  d = Open("--mail 2");  // sending by SMTP: send box checked, screenshot box checked
  ASSERT_TRUE(d);
  int twoRows = ClientHeight(d);
  EXPECT_GE(oneRow - bare, 20);
  EXPECT_GE(twoRows - oneRow, 14);
  EXPECT_EQ(Text(Item(d, QL_ID_SEND)), "&Send this error via Internet");
  EXPECT_EQ(Send(Item(d, QL_ID_SEND), BM_GETCHECK), BST_CHECKED);
  EXPECT_EQ(Send(Item(d, QL_ID_SCREENSHOT), BM_GETCHECK), BST_CHECKED);
  EXPECT_TRUE(IsWindowEnabled(Item(d, QL_ID_SCREENSHOT)));
  // Unchecking the send box disables the screenshot box; the results follow.
  Click(Item(d, QL_ID_SEND));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(Item(d, QL_ID_SCREENSHOT)); }));
  CloseWithOk(d);
  auto r = Result();
  EXPECT_EQ(r["send"], "0");
  EXPECT_EQ(r["screenshot"], "0");

  d = Open("--upload 1");
  ASSERT_TRUE(d);
  CloseWithOk(d);
  EXPECT_EQ(Result()["send"], "1");
  EXPECT_EQ(Result()["screenshot"], "1");

  d = Open("--mail 2 --duplicate");  // the log has it already: nothing to send
  ASSERT_TRUE(d);
  EXPECT_FALSE(Shown(d, QL_ID_SEND));
  EXPECT_FALSE(Shown(d, QL_ID_SCREENSHOT));
  CloseWithOk(d);
  EXPECT_EQ(Result()["send"], "0");
}

TEST_F(ErrorDialog, ModulesOffAndCpuFirst) {
  HWND d = Open("--content 0x20 --first-tab 3 --flags 0x3F");
  ASSERT_TRUE(d);
  HWND tab = Item(d, QL_ID_TABS);
  EXPECT_TRUE(IsWindowVisible(tab));  // details shown from the start
  ASSERT_EQ(Send(tab, TCM_GETITEMCOUNT), 3);
  EXPECT_EQ(TabText(tab, 2), "CPU");
  EXPECT_EQ(Send(tab, TCM_GETCURSEL), 2);
  EXPECT_EQ(VisiblePageTitle(d), "CPU Information");
  CloseWithOk(d);

  d = Open("--first-tab 4 --custom-data --flags 0x3F");
  ASSERT_TRUE(d);
  tab = Item(d, QL_ID_TABS);
  ASSERT_EQ(Send(tab, TCM_GETITEMCOUNT), 5);
  EXPECT_EQ(TabText(tab, 4), "Other");
  EXPECT_EQ(VisiblePageTitle(d), "Other Information");
  EXPECT_EQ(Text(VisiblePageContent(d)), "Profile: 办公室\r\nConnection: 本地连接\r\n");
  CloseWithOk(d);
}

TEST_F(ErrorDialog, ClosesAfterTheIdleSecondsCountedFromTheLastAction) {
  HWND d = Open("--close-after 3 --flags 0x3F");
  ASSERT_TRUE(d);
  auto opened = std::chrono::steady_clock::now();
  HWND tab = Item(d, QL_ID_TABS);
  Sleep(2000);
  // The user moves to the next tab with the keyboard.
  PostMessageA(tab, WM_KEYDOWN, VK_RIGHT, 0);
  PostMessageA(tab, WM_KEYUP, VK_RIGHT, 0xC0000001);
  auto acted = std::chrono::steady_clock::now();
  ASSERT_TRUE(WaitUntil([&] { return Send(tab, TCM_GETCURSEL) == 1; }, 5s));
  // Without the action it would have closed 3 s after opening.
  Sleep(static_cast<DWORD>(std::max<long long>(
      0,
      4000 - std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - opened)
                 .count())));
  EXPECT_TRUE(IsWindow(d)) << "closed although the user acted 2 s before";
  EXPECT_EQ(demo_->WaitExit(10s), 0);
  auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - acted);
  EXPECT_GE(idle.count(), 2900);
  EXPECT_EQ(Result()["shown"], "1");
  EXPECT_EQ(Result()["terminate"], "0");
}

TEST_F(ErrorDialog, CopyPutsTheReportOnTheClipboardAsText) {
  HWND d = Open("");
  ASSERT_TRUE(d);
  Click(Item(d, QL_ID_COPY));
  ASSERT_TRUE(WaitUntil([&] { return Send(Item(d, QL_ID_COPY), BM_GETCHECK) == BST_CHECKED; }));
  CloseWithOk(d);
  EXPECT_EQ(Result()["copy"], "1");
  ASSERT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE h = GetClipboardData(CF_TEXT);
  std::string text = h ? static_cast<const char*>(GlobalLock(h)) : "";
  if (h) GlobalUnlock(h);
  CloseClipboard();
  EXPECT_EQ(text.rfind("QuillonLog 5.1.11\r\n", 0), 0u) << text;
  EXPECT_NE(text.find(std::string("2.5 Message: ") + kMessage), std::string::npos) << text;
}

TEST_F(ErrorDialog, KillChoosesTerminationAndACancelShowsTheDialogAgain) {
  HWND d = Open("");
  ASSERT_TRUE(d);
  Click(Item(d, QL_ID_KILL));
  EXPECT_EQ(demo_->WaitExit(15s), 1);
  EXPECT_EQ(Result()["terminate"], "1");

  // A terminate handler says no once: the dialog comes back as the user left it.
  d = Open("--cancel-terminate 1");
  ASSERT_TRUE(d);
  Click(Item(d, QL_ID_DETAILS));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(Item(d, QL_ID_TABS)) != FALSE; }));
  Click(Item(d, QL_ID_KILL));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(d); }));
  HWND again = demo_->WaitDialog();
  ASSERT_TRUE(again);
  EXPECT_TRUE(IsWindowVisible(Item(again, QL_ID_TABS)));
  Click(Item(again, QL_ID_KILL));
  EXPECT_EQ(demo_->WaitExit(15s), 1);
  EXPECT_EQ(Result()["terminate"], "1");
}

TEST_F(ErrorDialog, QuillonLogIniKeepsThePlace) {
  std::string ini = "--ini \"" + IniFile() + "\" --flags 0x3F";
  HWND d = Open(ini);
  ASSERT_TRUE(d);
  SetWindowPos(d, nullptr, 40, 30, 820, 560, SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(WaitUntil([&] {
    RECT r;
    GetWindowRect(d, &r);
    return r.left == 40 && r.right - r.left == 820;
  }));
  CloseWithOk(d);
  std::string stored = ReadBytes(IniFile());
  for (const char* line : {"[Coordinates]", "Width=820", "Height=560", "Left=40", "Top=30", "WindowsState=0",
                           "Col0=89", "Col5=61", "ColMod0=80", "ColMod6=712"})
    EXPECT_NE(stored.find(line), std::string::npos) << line << " in\n" << stored;

  d = Open(ini);
  ASSERT_TRUE(d);
  RECT r;
  GetWindowRect(d, &r);
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.top, 30);
  EXPECT_EQ(r.right - r.left, 820);
  EXPECT_EQ(r.bottom - r.top, 560);
  CloseWithOk(d);
}

TEST_F(ErrorDialog, RequestTextWithoutItsTrailingLineBreaks) {
  HWND d = Open("--request");
  ASSERT_TRUE(d);
  Click(Item(d, QL_ID_OK));
  HWND req = WaitForWindow(demo_->Id(), "#32770", "Request");  // text 81
  ASSERT_TRUE(req);
  EXPECT_EQ(Text(GetDlgItem(req, QL_ID_REQUEST_PROMPT)), "Please describe the steps to reproduce the error:");
  EXPECT_EQ(Text(GetDlgItem(req, IDCANCEL)), "&OK");
  SetText(GetDlgItem(req, QL_ID_REQUEST_EDIT), "Saved a profile, then clicked 保存.\r\n\r\n");
  Click(GetDlgItem(req, IDCANCEL));
  EXPECT_EQ(demo_->WaitExit(15s), 0);
  EXPECT_EQ(Result()["request"], "Saved a profile, then clicked 保存.");
}

TEST_F(ErrorDialog, CallStackRowsFoldAndSendTheirSourceLine) {
  // A development environment listening on the third of its mailslots.
  HANDLE slot = CreateMailslotA("\\\\.\\mailslot\\QuillonLog2", 0, 5000, nullptr);
  ASSERT_NE(slot, INVALID_HANDLE_VALUE);
  HWND d = Open("--flags 0x3F --first-tab 1");
  ASSERT_TRUE(d);
  HWND list = VisiblePageContent(d);
  ASSERT_EQ(ClassOf(list), "SysListView32");
  // Two thread captions, eight entries of the raising thread and two of the other.
  ASSERT_EQ(Send(list, LVM_GETITEMCOUNT), 12);

  RECT row = ListRowRect(list, 1);  // profile_store_win32.cpp, line 118
  LPARAM at = MAKELPARAM((row.left + row.right) / 2, (row.top + row.bottom) / 2);
  PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
  char message[400] = "";
  DWORD got = 0;
  ASSERT_TRUE(ReadFile(slot, message, sizeof message, &got, nullptr)) << GetLastError();
  ASSERT_EQ(got, 376u);
  EXPECT_STREQ(message, "C:\\网络工具\\netvosk.exe");
  EXPECT_STREQ(message + 160, "profile_store_win32.cpp");
  EXPECT_STREQ(message + 224, "TProfileStore");
  EXPECT_STREQ(message + 288, "Save");
  EXPECT_EQ(*reinterpret_cast<uint32_t*>(message + 360), 118u);
  EXPECT_EQ(*reinterpret_cast<uint32_t*>(message + 364), 9u);
  CloseHandle(slot);

  // A double-click on the raising thread's caption folds its eight rows away, and back.
  row = ListRowRect(list, 0);
  at = MAKELPARAM((row.left + row.right) / 2, (row.top + row.bottom) / 2);
  PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
  ASSERT_TRUE(WaitUntil([&] { return Send(list, LVM_GETITEMCOUNT) == 4; }));
  PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
  ASSERT_TRUE(WaitUntil([&] { return Send(list, LVM_GETITEMCOUNT) == 12; }));
  CloseWithOk(d);
}

TEST_F(ErrorDialog, KeepsTheForegroundFromTheProgramsOwnWindowsOnly) {
  HWND d = Open("");
  ASSERT_TRUE(d);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == d; }));
  // The program's window, there before the dialog, cannot take the foreground from it.
  HWND form = WaitForWindow(demo_->Id(), "TDemoForm", "Dialog demo");
  ASSERT_TRUE(form);
  SetForegroundWindow(form);
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == d; }, 2s));
  // Another program's window keeps it.
  HWND other = CreateWindowExA(0, "STATIC", "another program", WS_POPUP | WS_VISIBLE, 0, 0, 120, 40, nullptr,
                               nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other; }, 2s));
  Sleep(300);
  EXPECT_EQ(GetForegroundWindow(), other);
  DestroyWindow(other);
  CloseWithOk(d);
}

TEST_F(ErrorDialog, MessageBoxWhenTheDialogCannotBeShown) {
  demo_ = std::make_unique<TDemo>();
  ASSERT_TRUE(demo_->Start("--no-templates", ResultFile()));
  auto box = WaitForMessageBox(demo_->Id());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, "Error.");
  EXPECT_EQ(box->text, kMessage);
  EXPECT_TRUE(DismissMessageBox(*box));
  EXPECT_EQ(demo_->WaitExit(15s), 0);
  EXPECT_EQ(Result()["warning"], "Cannot show the DialogBox window.");
  EXPECT_EQ(Result()["shown"], "0");
}

}  // namespace
