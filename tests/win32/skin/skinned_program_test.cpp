// netvosk.exe with its skin: the main window and the program's message boxes are skinned,
// the hidden application window is not, and the program starts and ends cleanly again and
// again.
#include <gtest/gtest.h>
#include <windows.h>

#include "e2e/driver/driver.h"
#include "e2e/driver/standin.h"
#include "skin/forms/skin_messages.h"

using namespace nvdrv;

namespace {

const char* const kCaption = "Netvosk2.1--免费版";

bool IsSkinned(HWND w) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(w, XM_ISSKINNED, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer)) return false;
  return answer == 1;
}

struct TFind {
  DWORD pid;
  HWND found;
};
BOOL CALLBACK FindApplicationWindow(HWND w, LPARAM p) {
  auto* f = reinterpret_cast<TFind*>(p);
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  if (owner != f->pid || ClassOf(w) != "TApplication") return TRUE;
  f->found = w;
  return FALSE;
}
// The hidden application window (not visible, so not among TopWindows).
HWND ApplicationWindow(DWORD pid) {
  TFind f{pid, nullptr};
  EnumWindows(&FindApplicationWindow, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

class SkinnedProgram : public testing::Test {
 protected:
  void SetUp() override {
    exe_ = BuildDir() + "src\\app\\netvosk.exe";
    ASSERT_NE(GetFileAttributesA(exe_.c_str()), INVALID_FILE_ATTRIBUTES) << exe_ << " not built";
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    dir_ = std::string(tmp) + "nv-skin-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir_.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(exe_.c_str(), (dir_ + "\\netvosk.exe").c_str(), FALSE));
    SetEnvironmentVariableA("NV_NETSH_LOG", (dir_ + "\\netsh-log.txt").c_str());
    SetEnvironmentVariableA("NV_NETSH_EXIT", "0");
  }
  void TearDown() override {
    for (const char* f : {"netvosk.exe", "ip.ini", "netsh-log.txt"}) DeleteFileA((dir_ + "\\" + f).c_str());
    RemoveDirectoryA(dir_.c_str());
  }
  HWND Start(TProcess& app) {
    std::string error;
    if (!app.Start(dir_ + "\\netvosk.exe", dir_, &error)) {
      ADD_FAILURE() << error;
      return nullptr;
    }
    return WaitForWindow(app.Id(), "TForm1", kCaption, 30s);
  }
  std::string exe_, dir_;
};

TEST_F(SkinnedProgram, MainWindowIsSkinnedAndTheApplicationWindowIsNot) {
  TProcess app;
  HWND form = Start(app);
  ASSERT_TRUE(form);
  Sleep(600);
  EXPECT_TRUE(IsSkinned(form));
  HWND hidden = ApplicationWindow(app.Id());
  ASSERT_TRUE(hidden);
  EXPECT_FALSE(IsSkinned(hidden));
  // Controls are no top-level windows: they answer through their painters.
  EXPECT_TRUE(WaitUntil([&] { return IsSkinned(FindChild(form, "TButton", "退出")); }, 2s));
  PostMessageA(form, WM_CLOSE, 0, 0);
  auto code = app.WaitExit(10s);
  ASSERT_TRUE(code.has_value());
  EXPECT_EQ(*code, 0u);
}

// "设置完成" is the framework's message form, "修改完成。" a system message box.
TEST_F(SkinnedProgram, MessageBoxesAreSkinnedWhileShown) {
  ASSERT_TRUE(NetshOverrideSet()) << "WINEDLLOVERRIDES lacks netsh.exe=n";
  std::string error;
  ASSERT_TRUE(InstallNetshStandIn(&error)) << error;
  TProcess app;
  HWND form = Start(app);
  ASSERT_TRUE(form);
  auto edits = ByPosition(form, "TEdit");
  ASSERT_EQ(edits.size(), 6u);
  const char* values[] = {"office",        "本地连接",    "192.168.1.10",
                          "255.255.255.0", "192.168.1.1", "192.168.1.1"};
  for (size_t i = 0; i < 6; ++i) SetText(edits[i], values[i]);

  Click(FindChild(form, "TButton", "设置"));
  auto done = WaitForMessageBox(app.Id(), 30s);
  ASSERT_TRUE(done);
  EXPECT_EQ(done->text, "设置完成");
  EXPECT_TRUE(WaitUntil([&] { return IsSkinned(done->window); }, 2s)) << done->cls;
  // Their buttons have painters too.
  auto doneButtons = Descendants(done->window, "TButton");
  ASSERT_FALSE(doneButtons.empty());
  EXPECT_TRUE(WaitUntil([&] { return IsSkinned(doneButtons[0]); }, 2s));
  ASSERT_TRUE(DismissMessageBox(*done));

  Click(FindChild(form, "TButton", "自动获取IP"));
  auto changed = WaitForMessageBox(app.Id(), 30s);
  ASSERT_TRUE(changed);
  EXPECT_EQ(changed->text, "修改完成。");
  EXPECT_EQ(changed->cls, "#32770");
  EXPECT_TRUE(WaitUntil([&] { return IsSkinned(changed->window); }, 2s));
  auto changedButtons = Descendants(changed->window, "Button");
  ASSERT_FALSE(changedButtons.empty());
  EXPECT_TRUE(WaitUntil([&] { return IsSkinned(changedButtons[0]); }, 2s));
  ASSERT_TRUE(DismissMessageBox(*changed));

  EXPECT_TRUE(IsSkinned(form));
  PostMessageA(form, WM_CLOSE, 0, 0);
  auto code = app.WaitExit(10s);
  ASSERT_TRUE(code.has_value());
  EXPECT_EQ(*code, 0u);
}

// Closing soon after the window appears, while the skin's requests may still be pending.
TEST_F(SkinnedProgram, TwentyQuickStartsEndCleanly) {
  for (int i = 0; i < 20; ++i) {
    SCOPED_TRACE(i);
    TProcess app;
    HWND form = Start(app);
    ASSERT_TRUE(form);
    Sleep(50);
    PostMessageA(form, WM_CLOSE, 0, 0);
    auto code = app.WaitExit(10s);
    ASSERT_TRUE(code.has_value()) << "still running";
    EXPECT_EQ(*code, 0u);
  }
}

}  // namespace
