// Subclassing raw windows: a stack of subclassings seen through the messages they record,
// undone in reverse and out of order, under a foreign subclassing, and from inside a handler.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "framework/exception.h"
#include "framework/subclass_win32.h"

namespace {
std::string gLog;

// A handler that records its letter and passes the message on.
TWndHandler Recorder(char letter) {
  return [letter](TMessage& m, const TMessageNext& next) {
    if (m.Msg == WM_USER) gLog += letter;
    next(m);
  };
}

std::string Deliver(HWND wnd) {
  gLog.clear();
  SendMessageA(wnd, WM_USER, 0, 0);
  return gLog;
}

WNDPROC gForeignPrevious = nullptr;
LRESULT CALLBACK Foreign(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_USER) gLog += 'F';
  return CallWindowProcA(gForeignPrevious, w, msg, wp, lp);
}

class Subclassing : public ::testing::Test {
 protected:
  void SetUp() override {
    wnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_WNDPROC));
  }
  void TearDown() override {
    if (IsWindow(wnd)) DestroyWindow(wnd);
  }
  WNDPROC Current() { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_WNDPROC)); }
  HWND wnd = nullptr;
  WNDPROC original = nullptr;
};
}  // namespace

TEST_F(Subclassing, NewestFirstUndoneInReverseAndOutOfOrder) {
  {
    TWindowSubclass a(wnd, Recorder('a'));
    TWindowSubclass b(wnd, Recorder('b'));
    TWindowSubclass c(wnd, Recorder('c'));
    EXPECT_EQ(a.PreviousProc(), original);
    EXPECT_EQ(Deliver(wnd), "cba");
    c.Remove();
    EXPECT_EQ(Deliver(wnd), "ba");
    b.Remove();
    a.Remove();
    EXPECT_EQ(Current(), original);
  }
  {
    std::optional<TWindowSubclass> a(std::in_place, wnd, Recorder('a'));
    std::optional<TWindowSubclass> b(std::in_place, wnd, Recorder('b'));
    TWindowSubclass c(wnd, Recorder('c'));
    b.reset();  // the middle one: c is linked past it
    EXPECT_EQ(Deliver(wnd), "ca");
    a.reset();  // the bottom one
    EXPECT_EQ(Deliver(wnd), "c");
    EXPECT_EQ(c.PreviousProc(), original);
    c.Remove();
    EXPECT_EQ(Current(), original);
  }
  EXPECT_EQ(SendMessageA(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("works")), TRUE);
}

TEST_F(Subclassing, UnderAForeignSubclassingItBecomesAPassThrough) {
  std::optional<TWindowSubclass> a(std::in_place, wnd, Recorder('a'));
  gForeignPrevious =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Foreign)));
  TWindowSubclass b(wnd, Recorder('b'));
  EXPECT_EQ(Deliver(wnd), "bFa");
  a.reset();
  EXPECT_EQ(Deliver(wnd), "bF");  // the foreign one still reaches the window
  b.Remove();
  EXPECT_EQ(Current(), &Foreign);
  // The foreign subclassing goes; the pass-through below it then takes itself out.
  SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gForeignPrevious));
  EXPECT_EQ(Deliver(wnd), "");
  EXPECT_EQ(Current(), original);
}

TEST_F(Subclassing, AHandlerMayRemoveItselfAndOthersWhileItRuns) {
  std::optional<TWindowSubclass> a, b;
  a.emplace(wnd, Recorder('a'));
  b.emplace(wnd, [&](TMessage& m, const TMessageNext& next) {
    if (m.Msg == WM_USER) {
      gLog += 'b';
      b.reset();  // frees the owner of the running handler
      a.reset();
    }
    next(m);
  });
  EXPECT_EQ(Deliver(wnd), "b");  // a had gone before the call reached it
  EXPECT_EQ(Deliver(wnd), "");
  EXPECT_EQ(Current(), original);
}

TEST_F(Subclassing, DestructionUndoesTheSubclassingAndWideWindowsStayWide) {
  TWindowSubclass a(wnd, Recorder('a'));
  UINT lastSeen = 0;
  TWindowSubclass b(wnd, [&](TMessage& m, const TMessageNext& next) {
    lastSeen = m.Msg;
    next(m);
  });
  DestroyWindow(wnd);
  EXPECT_EQ(lastSeen, static_cast<UINT>(WM_NCDESTROY));
  EXPECT_FALSE(a.Attached());
  EXPECT_FALSE(b.Attached());
  a.Remove();  // nothing left to undo

  HWND wide = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(IsWindowUnicode(wide));
  {
    std::wstring seen;
    TWindowSubclass w(wide, [&](TMessage& m, const TMessageNext& next) {
      if (m.Msg == WM_SETTEXT) seen = reinterpret_cast<const wchar_t*>(m.LParam);
      next(m);
    });
    EXPECT_TRUE(w.IsUnicode());
    SetWindowTextW(wide, L"\u8bbe\u7f6e");
    EXPECT_EQ(seen, L"\u8bbe\u7f6e");
    EXPECT_TRUE(IsWindowUnicode(wide));
  }
  EXPECT_TRUE(IsWindowUnicode(wide));
  DestroyWindow(wide);
  EXPECT_THROW(TWindowSubclass dead(wide, Recorder('x')), EOSError);
}
