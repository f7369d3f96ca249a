// netvosk.exe's controls as a user sees them: every button's face is the skin's frame for
// its state (read from the screen), the group boxes and the status bar are drawn in the
// skin's colours, and the buttons still do exactly what they did.
#include <gtest/gtest.h>
#include <windows.h>

#include "e2e/driver/driver.h"
#include "e2e/driver/standin.h"
#include "skin/controls/skin_control_win32.h"
#include "skin/data/bitmap_routines.h"
#include "skin/data/skin_data.h"
#include "skin/forms/skin_messages.h"
#include "win32/skin/skin_test_support.h"
#include "win32/test_files.h"

using namespace nvdrv;

namespace {

const char* const kCaption = "Netvosk2.1--免费版";
using TRow = std::vector<COLORREF>;

bool IsSkinned(HWND w) {
  DWORD_PTR answer = 0;
  return SendMessageTimeoutA(w, XM_ISSKINNED, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) && answer == 1;
}

// Pixels of one row of a window, in window coordinates.
TRow ScreenRow(HWND w, int y, int x0, int x1) {
  RECT r{};
  GetWindowRect(w, &r);
  HDC dc = GetDC(nullptr);
  TRow row;
  for (int x = x0; x < x1; ++x) row.push_back(GetPixel(dc, r.left + x, r.top + y));
  ReleaseDC(nullptr, dc);
  return row;
}

void MoveMouse(int x, int y) {
  SetCursorPos(x, y);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = MOUSEEVENTF_MOVE;
  SendInput(1, &in, sizeof in);
}
void MouseButton(bool down) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &in, sizeof in);
}
void Key(WORD vk) {
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof in[0]);
}
POINT CentreOf(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}
HWND FocusOf(HWND w) {
  GUITHREADINFO gi{};
  gi.cbSize = sizeof gi;
  GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &gi);
  return gi.hwndFocus;
}

class SkinnedControls : public testing::Test {
 protected:
  void SetUp() override {
    std::string bytes = ReadBytes(std::string("Z:") + NV_BINARY_DIR + "/src/app/netvosk-skin.stream");
    ASSERT_GT(bytes.size(), 4u);
    skin_ = std::make_unique<TSkinData>(nullptr);
    skin_->SetSkinStream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    ASSERT_TRUE(skin_->SkinLoaded());
    exe_ = BuildDir() + "src\\app\\netvosk.exe";
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    dir_ = std::string(tmp) + "nv-ctl-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir_.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(exe_.c_str(), (dir_ + "\\netvosk.exe").c_str(), FALSE));
    SetEnvironmentVariableA("NV_NETSH_LOG", (dir_ + "\\netsh-log.txt").c_str());
    SetEnvironmentVariableA("NV_NETSH_EXIT", "0");
    std::string error;
    ASSERT_TRUE(NetshOverrideSet()) << "WINEDLLOVERRIDES lacks netsh.exe=n";
    ASSERT_TRUE(InstallNetshStandIn(&error)) << error;
    ASSERT_TRUE(app_.Start(dir_ + "\\netvosk.exe", dir_, &error)) << error;
    form_ = WaitForWindow(app_.Id(), "TForm1", kCaption, 30s);
    ASSERT_TRUE(form_);
    for (const char* b : {"保存", "设置", "自动获取IP", "退出", "去看看包包", "删除"})
      buttons_.push_back(FindChild(form_, "TButton", b));
    auto boxes = Descendants(form_, "TGroupBox");
    ASSERT_EQ(boxes.size(), 2u);
    // GroupBox1 carries the caption, GroupBox2 none.
    box1_ = Text(boxes[0]).empty() ? boxes[1] : boxes[0];
    box2_ = box1_ == boxes[0] ? boxes[1] : boxes[0];
    bar_ = Descendants(form_, "TStatusBar").at(0);
    ASSERT_TRUE(WaitUntil([&] { return IsSkinned(buttons_[5]) && IsSkinned(bar_); }, 5s));
    MoveMouse(5, 5);  // away from the window
    Sleep(200);
  }
  void TearDown() override {
    if (form_) PostMessageA(form_, WM_CLOSE, 0, 0);
    app_.WaitExit(10s);
    for (const char* f : {"netvosk.exe", "ip.ini", "netsh-log.txt"}) DeleteFileA((dir_ + "\\" + f).c_str());
    RemoveDirectoryA(dir_.c_str());
  }
  COLORREF Face() const { return skin_->Content().Colours.ButtonFace & 0xFFFFFF; }
  // Row y of the Buttons frame as the painter draws it at the button's size over the face.
  TRow FrameRow(HWND button, int frame, int y, int x0, int x1) const {
    RECT r{};
    GetWindowRect(button, &r);
    const TDataSkinButton& b = *skin_->Content().Buttons;
    const TSkinBitmap piece = BuildFramePiece({0, 0, r.right - r.left, r.bottom - r.top}, b.Image,
                                              {b.LeftWidth, b.TopHeight, b.RightWidth, b.BottomHeight}, false,
                                              b.Tile != 0, b.Frame, frame);
    TRow row;
    for (int x = x0; x < x1; ++x) {
      const uint32_t c = piece.Pixel(x, y);
      row.push_back(b.Trans == 1 && c == 0xFF00FF ? Face() : c);
    }
    return row;
  }
  // The frame a button shows on screen (0: none of the five).
  int ShownFrame(HWND button) const {
    RECT r{};
    GetWindowRect(button, &r);
    const int w = r.right - r.left;
    const TRow shown = ScreenRow(button, kRow, 4, w - 4);
    for (int f = 1; f <= 5; ++f)
      if (shown == FrameRow(button, f, kRow, 4, w - 4)) return f;
    return 0;
  }
  bool Shows(HWND button, int frame) const {
    return WaitUntil([&] { return ShownFrame(button) == frame; }, 2s);
  }
  std::vector<std::string> NetshLog() const { return ReadNetshLog(dir_ + "\\netsh-log.txt"); }
  void FillProfile() {
    auto edits = ByPosition(form_, "TEdit");
    ASSERT_EQ(edits.size(), 6u);
    const char* values[] = {"office", "本地连接", "192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1"};
    for (size_t i = 0; i < 6; ++i) SetText(edits[i], values[i]);
  }
  void Press(HWND w) {
    const POINT c = CentreOf(w);
    MoveMouse(c.x, c.y);
    Sleep(50);
    MouseButton(true);
    Sleep(50);
  }

  static constexpr int kRow = 0;  // the outer edge: each state has its own colour there
  std::unique_ptr<TSkinData> skin_;
  std::string exe_, dir_;
  TProcess app_;
  HWND form_ = nullptr, box1_ = nullptr, box2_ = nullptr, bar_ = nullptr;
  std::vector<HWND> buttons_;
};

TEST_F(SkinnedControls, PaintersAnswerAndTheFramesTellTheStatesApart) {
  for (HWND b : buttons_) EXPECT_TRUE(IsSkinned(b)) << Text(b);
  EXPECT_TRUE(IsSkinned(box1_));
  EXPECT_TRUE(IsSkinned(box2_));
  EXPECT_TRUE(IsSkinned(bar_));
  // Edits and the list keep their own look until their painters exist.
  EXPECT_FALSE(IsSkinned(Descendants(form_, "TEdit").at(0)));
  // The row compared must differ between every two frames, or the checks below prove little.
  for (int a = 1; a <= 5; ++a)
    for (int b = a + 1; b <= 5; ++b)
      EXPECT_NE(FrameRow(buttons_[0], a, kRow, 4, 60), FrameRow(buttons_[0], b, kRow, 4, 60)) << a << " " << b;
  for (HWND b : buttons_) EXPECT_TRUE(Shows(b, 1)) << Text(b) << " shows " << ShownFrame(b);
}

TEST_F(SkinnedControls, HotPressedFocusedAndDisabledFrames) {
  HWND save = buttons_[0], apply = buttons_[1];
  const POINT c = CentreOf(save);
  MoveMouse(c.x, c.y);
  EXPECT_TRUE(Shows(save, 4)) << ShownFrame(save);
  EXPECT_TRUE(Shows(apply, 1));
  MouseButton(true);
  EXPECT_TRUE(Shows(save, 2)) << ShownFrame(save);
  // Sliding off clears the press; releasing outside changes nothing.
  MoveMouse(5, 5);
  EXPECT_TRUE(Shows(save, 5)) << ShownFrame(save);  // it took the focus with the press
  MouseButton(false);
  EXPECT_TRUE(Shows(save, 5));
  // Focus moved on by Tab.
  SetForegroundWindow(form_);
  for (int i = 0; i < 30 && FocusOf(form_) != apply; ++i) {
    Key(VK_TAB);
    Sleep(60);
  }
  ASSERT_EQ(FocusOf(form_), apply);
  EXPECT_TRUE(Shows(apply, 5)) << ShownFrame(apply);
  EXPECT_TRUE(Shows(save, 1)) << ShownFrame(save);
  // Disabled, also under the mouse.
  EnableWindow(apply, FALSE);
  EXPECT_TRUE(Shows(apply, 3)) << ShownFrame(apply);
  const POINT a = CentreOf(apply);
  MoveMouse(a.x, a.y);
  Sleep(150);
  EXPECT_TRUE(Shows(apply, 3));
  EnableWindow(apply, TRUE);
  // Enabled again it shows its focus (no mouse move has come since, so it is not hot).
  EXPECT_TRUE(Shows(apply, 5)) << ShownFrame(apply);
}

TEST_F(SkinnedControls, SwitchingThePainterOffShowsTheSystemLook) {
  HWND b = buttons_[4];
  SendMessageA(b, XM_SKINACTIVE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return ShownFrame(b) == 0; }, 2s));
  SendMessageA(b, XM_SKINACTIVE, 1, 0);
  EXPECT_TRUE(Shows(b, 1)) << ShownFrame(b);
}

TEST_F(SkinnedControls, GroupBoxesAndStatusBarInSkinColours) {
  const COLORREF shadow = skin_->Content().Colours.ButtonShadow & 0xFFFFFF;
  for (HWND box : {box1_, box2_}) {
    RECT r{};
    GetWindowRect(box, &r);
    const int h = r.bottom - r.top;
    EXPECT_EQ(ScreenPixel(r.left + 1, r.top + h / 2), shadow) << Text(box);      // left edge
    EXPECT_EQ(ScreenPixel(r.left + 40, r.bottom - 2), shadow) << Text(box);     // bottom edge
  }
  // Inside (GroupBox1 is filled by its list).
  RECT r2{};
  GetWindowRect(box2_, &r2);
  EXPECT_EQ(ScreenPixel(r2.left + 3, r2.bottom - 6), Face());
  // Button1 lies over GroupBox2: repainting the box, through its window DC too, leaves it.
  HWND save = buttons_[0];
  RedrawWindow(box2_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  SendMessageA(box2_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  SendMessageA(box2_, WM_ENABLE, TRUE, 0);
  EXPECT_EQ(ShownFrame(save), 1);
  // The status bar's right edge is its picture's: the last panel reaches the bar's edge.
  const TDataSkinObject* edges = skin_->Content().StatusBarEdges.get();
  ASSERT_TRUE(edges);
  const TSkinBitmap piece = BuildFramePiece({0, 0, 40, 15}, edges->Image,
                                            {edges->LeftWidth, edges->TopHeight, edges->RightWidth, edges->BottomHeight},
                                            false, edges->Tile != 0, 3, 1);
  RECT s{};
  GetWindowRect(bar_, &s);
  EXPECT_EQ(ScreenPixel(s.right - 1, (s.top + s.bottom) / 2), piece.Pixel(39, 7));
  EXPECT_NE(piece.Pixel(39, 7), Face());
}

TEST_F(SkinnedControls, ButtonsRunTheirActionsExactlyOnce) {
  FillProfile();
  HWND apply = buttons_[1];
  // Press, slide off, release: nothing runs.
  Press(apply);
  MoveMouse(5, 5);
  Sleep(100);
  MouseButton(false);
  Sleep(500);
  EXPECT_TRUE(NetshLog().empty());
  EXPECT_FALSE(WaitForMessageBox(app_.Id(), 300ms));
  // Disabled: the click goes nowhere.
  EnableWindow(apply, FALSE);
  Press(apply);
  MouseButton(false);
  Sleep(500);
  EXPECT_TRUE(NetshLog().empty());
  EnableWindow(apply, TRUE);
  // Press and release: the profile is set once (address and DNS: two netsh calls).
  Press(apply);
  MouseButton(false);
  auto done = WaitForMessageBox(app_.Id(), 30s);
  ASSERT_TRUE(done);
  EXPECT_EQ(done->text, "设置完成");
  ASSERT_TRUE(DismissMessageBox(*done));
  EXPECT_EQ(NetshLog().size(), 2u);
  EXPECT_FALSE(WaitForMessageBox(app_.Id(), 500ms));
  // Space on the focused button: once more.
  MoveMouse(5, 5);
  SetForegroundWindow(form_);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(form_) == apply; }, 2s));
  Key(VK_SPACE);
  auto again = WaitForMessageBox(app_.Id(), 30s);
  ASSERT_TRUE(again);
  ASSERT_TRUE(DismissMessageBox(*again));
  EXPECT_EQ(NetshLog().size(), 4u);
  EXPECT_FALSE(WaitForMessageBox(app_.Id(), 500ms));
}

}  // namespace
