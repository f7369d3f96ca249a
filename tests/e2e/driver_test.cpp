// The driver against a small window of our own, run on a thread of its own as another
// program's window would be.
#include "e2e/driver/driver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

using namespace nvdrv;
using ::testing::ElementsAre;

namespace {

std::atomic<int> gSelChanges{0};
std::atomic<int> gLastSel{-1};
HWND gList = nullptr;

LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND && HIWORD(wp) == LBN_SELCHANGE) {
    ++gSelChanges;
    gLastSel = static_cast<int>(SendMessageA(gList, LB_GETCURSEL, 0, 0));
  } else if (msg == WM_COMMAND && LOWORD(wp) == 3 && HIWORD(wp) == BN_CLICKED) {
    MessageBoxA(w, "修改完成。", "提示", MB_OK);
    SetWindowTextA(GetDlgItem(w, 1), "closed");
  } else if (msg == WM_DESTROY) {
    PostQuitMessage(0);
  }
  return DefWindowProcA(w, msg, wp, lp);
}

void RunWindow(std::atomic<HWND>* out) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TDriverProbe";
  RegisterClassA(&wc);
  HWND w = CreateWindowA("TDriverProbe", "探针窗口", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 240,
                         nullptr, nullptr, wc.hInstance, nullptr);
  CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE, 10, 100, 100, 20, w, (HMENU)1, nullptr, nullptr);
  CreateWindowA("EDIT", "top", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20, w, (HMENU)2, nullptr, nullptr);
  CreateWindowA("BUTTON", "设置", WS_CHILD | WS_VISIBLE, 150, 10, 60, 24, w, (HMENU)3, nullptr, nullptr);
  gList = CreateWindowA("LISTBOX", "", WS_CHILD | WS_VISIBLE | LBS_NOTIFY | WS_VSCROLL, 150, 50, 120, 80, w,
                        (HMENU)4, nullptr, nullptr);
  for (const char* s : {"家里", "公司", "三", "四", "五", "六", "七", "八", "九", "十"})
    SendMessageA(gList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  *out = w;
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

}  // namespace

TEST(Driver, FindsReadsAndWorksAWindow) {
  std::atomic<HWND> made{nullptr};
  std::thread ui(RunWindow, &made);
  HWND w = WaitForWindow(GetCurrentProcessId(), "TDriverProbe", "探针窗口");
  ASSERT_TRUE(w);
  EXPECT_EQ(w, made.load());

  // Edits ordered by position, texts set and read through messages.
  std::vector<HWND> edits = ByPosition(w, "Edit");
  ASSERT_EQ(edits.size(), 2u);
  EXPECT_EQ(Text(edits[0]), "top");
  SetText(edits[1], "以太网 2");
  EXPECT_EQ(Text(edits[1]), "以太网 2");

  HWND list = Descendants(w, "ListBox").at(0);
  EXPECT_EQ(ListLines(list).size(), 10u);
  EXPECT_EQ(ListLines(list)[1], "公司");
  EXPECT_EQ(ListSelection(list), -1);
  ASSERT_TRUE(ClickListLine(list, 1));
  ASSERT_TRUE(WaitUntil([] { return gSelChanges > 0; }, 5s));
  EXPECT_EQ(gLastSel, 1);
  ASSERT_TRUE(ClickListLine(list, 8));  // scrolled into view first
  ASSERT_TRUE(WaitUntil([] { return gLastSel == 8; }, 5s));

  // A click that opens a modal box returns at once; the box is found, read and dismissed.
  HWND button = FindChild(w, "Button", "设置");
  ASSERT_TRUE(button);
  Click(button);
  auto box = WaitForMessageBox(GetCurrentProcessId());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->cls, "#32770");
  EXPECT_EQ(box->caption, "提示");
  EXPECT_EQ(box->text, "修改完成。");
  EXPECT_TRUE(DismissMessageBox(*box));
  EXPECT_TRUE(WaitUntil([&] { return Text(edits[1]) == "closed"; }, 5s));

  PostMessageA(w, WM_CLOSE, 0, 0);
  ui.join();
}
