// The dialog's system-facing parts in this process: which window is the process's main
// window, the clipboard copy, and "QuillonLog.ini".
#include <gtest/gtest.h>
#include <windows.h>

#include "exceptions/dialog/clipboard_win32.h"
#include "exceptions/dialog/coordinates_win32.h"
#include "framework/application_win32.h"
#include "framework/forms_win32.h"
#include "win32/test_files.h"

namespace {

class Windows : public ::testing::Test {
 protected:
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "NvMainWindowTest";
    RegisterClassA(&wc);
  }
  void TearDown() override {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) DestroyWindow(*it);
    UnregisterClassA("NvMainWindowTest", GetModuleHandleA(nullptr));
  }
  HWND Make(DWORD style, DWORD exStyle, HWND owner = nullptr) {
    HWND w = CreateWindowExA(exStyle, "NvMainWindowTest", "w", WS_POPUP | WS_CAPTION | style, 10, 10, 100, 80,
                             owner, nullptr, GetModuleHandleA(nullptr), nullptr);
    made_.push_back(w);
    return w;
  }
  std::vector<HWND> made_;
};

TEST_F(Windows, TheFormOwnedByTheHiddenApplicationWindowIsTheMainWindow) {
  // The framework's arrangement: a hidden application window (with or without the
  // tool-window style) owning the visible main form.
  for (DWORD appEx : {DWORD(0), DWORD(WS_EX_TOOLWINDOW)}) {
    HWND app = Make(0, appEx);
    HWND form = Make(WS_VISIBLE, WS_EX_APPWINDOW, app);
    EXPECT_FALSE(IsMainWindow(app));
    EXPECT_TRUE(IsMainWindow(form));
    EXPECT_EQ(ProcessMainWindow(), form);
    DestroyWindow(form);
    DestroyWindow(app);
  }
  // A visible window owned by another visible window is no main window; nor is a tool window,
  // unless it has the application-window style.
  HWND main = Make(WS_VISIBLE, 0);
  HWND owned = Make(WS_VISIBLE, 0, main);
  HWND tool = Make(WS_VISIBLE, WS_EX_TOOLWINDOW);
  HWND toolApp = Make(WS_VISIBLE, WS_EX_TOOLWINDOW | WS_EX_APPWINDOW);
  HWND underTool = Make(WS_VISIBLE, 0, tool);
  EXPECT_TRUE(IsMainWindow(main));
  EXPECT_FALSE(IsMainWindow(owned));
  EXPECT_FALSE(IsMainWindow(tool));
  EXPECT_TRUE(IsMainWindow(toolApp));
  EXPECT_TRUE(IsMainWindow(underTool));
  EXPECT_FALSE(IsMainWindow(nullptr));
}

// The same with the framework's own windows: the hidden application window, which carries
// the tool-window style, owns the form, and the rule looks through it to the form.
TEST(MainWindowRule, FindsTheFrameworksMainForm) {
  TApplication app(nullptr);
  TForm* form = app.CreateForm<TForm>();
  form->Show();
  HWND appWindow = app.Handle();
  EXPECT_TRUE(GetWindowLongA(appWindow, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(IsWindowVisible(appWindow));
  EXPECT_EQ(GetWindow(form->Handle(), GW_OWNER), appWindow);
  EXPECT_EQ(ProcessMainWindow(), form->Handle());
  EXPECT_TRUE(CopyTextToClipboard("report"));
}

TEST_F(Windows, TheCopyIsPlainTextOpenedForTheMainWindow) {
  HWND app = Make(0, 0);
  HWND form = Make(WS_VISIBLE, WS_EX_APPWINDOW, app);
  const std::string report = "QuillonLog 5.1.11\r\n\r\n  2.5 Message: 无法写入 C:\\网络工具\\ip.ini.\r\n";
  ASSERT_TRUE(CopyTextToClipboard(report));
  EXPECT_EQ(GetClipboardOwner(), form);
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE h = GetClipboardData(CF_TEXT);
  ASSERT_TRUE(h);
  EXPECT_EQ(std::string(static_cast<const char*>(GlobalLock(h))), report);
  GlobalUnlock(h);
  // Programs that read Unicode get the same text, converted as GBK.
  HANDLE w = GetClipboardData(CF_UNICODETEXT);
  ASSERT_TRUE(w);
  EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(GlobalLock(w))).find(L"\u65e0\u6cd5\u5199\u5165"), 36u);
  GlobalUnlock(w);
  CloseClipboard();

  // With no main window the thread opens the clipboard itself.
  DestroyWindow(form);
  ASSERT_TRUE(CopyTextToClipboard("second"));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_STREQ(static_cast<const char*>(GetClipboardData(CF_TEXT)), "second");
  CloseClipboard();
}

TEST(QuillonLogIni, RoundTripAndDamagedValues) {
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  std::string file = std::string(tmp) + "nv-coords-" + std::to_string(GetCurrentProcessId()) + ".ini";
  DeleteFileA(file.c_str());

  TDialogCoordinates none = LoadDialogCoordinates(file);
  EXPECT_FALSE(none.hasPlace);
  EXPECT_EQ(none.stackColumns, kDefaultStackColumns);
  EXPECT_EQ(none.moduleColumns, kDefaultModuleColumns);

  TDialogCoordinates c;
  c.left = -8, c.top = 12, c.width = 900, c.height = 600, c.state = wsMaximized;
  c.stackColumns = {1, 2, 3, 4, 5, 0};
  c.moduleColumns[6] = 345;
  ASSERT_TRUE(SaveDialogCoordinates(file, c));
  TDialogCoordinates back = LoadDialogCoordinates(file);
  EXPECT_TRUE(back.hasPlace);
  EXPECT_EQ(back.left, -8);
  EXPECT_EQ(back.top, 12);
  EXPECT_EQ(back.width, 900);
  EXPECT_EQ(back.height, 600);
  EXPECT_EQ(back.state, wsMaximized);
  EXPECT_EQ(back.stackColumns, c.stackColumns);
  EXPECT_EQ(back.moduleColumns[6], 345);

  // Values a hand or another program left: unusable ones fall back, nothing fails.
  WriteBytes(file,
             "[Coordinates]\r\nLeft=abc\r\nTop=5\r\nWidth=700\r\nHeight=-3\r\nWindowsState=1\r\nCol0=-40\r\n"
             "Col1=99999999\r\nCol2=130\r\nColMod5=\r\n");
  TDialogCoordinates bad = LoadDialogCoordinates(file);
  EXPECT_FALSE(bad.hasPlace);
  EXPECT_EQ(bad.state, wsNormal);  // a minimised dialog could not be found again
  EXPECT_EQ(bad.stackColumns[0], kDefaultStackColumns[0]);
  EXPECT_EQ(bad.stackColumns[1], kDefaultStackColumns[1]);
  EXPECT_EQ(bad.stackColumns[2], 130);
  EXPECT_EQ(bad.moduleColumns[5], kDefaultModuleColumns[5]);
  DeleteFileA(file.c_str());

  // A folder that cannot take the file: saving says so.
  EXPECT_FALSE(SaveDialogCoordinates("Z:\\no\\such\\folder\\QuillonLog.ini", c));
  EXPECT_EQ(CoordinatesFileBeside(DefaultCoordinatesFile()), DefaultCoordinatesFile());
}

}  // namespace
