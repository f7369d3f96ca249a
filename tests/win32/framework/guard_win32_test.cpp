// Exceptions in every kind of system callback reach the application's handler, named as
// what was thrown, and the program goes on.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "framework/application_win32.h"
#include "framework/cpp_exception.h"
#include "framework/hooks_win32.h"
#include "framework/subclass_win32.h"
#include "framework/timer_win32.h"

namespace {
BOOL CALLBACK FailingEnumeration(HWND, LPARAM) {
  return Guard([]() -> BOOL { throw EListError("in an enumeration"); }, FALSE);
}

class GuardedCallbacks : public ::testing::Test {
 protected:
  void SetUp() override {
    app = new TApplication(nullptr);
    app->OnException = [this](Exception* e) {
      std::string line = e->ClassName();
      if (e->InheritsFrom("std::logic_error")) line += " (logic_error)";
      seen.push_back(line + ": " + e->Message());
    };
    wnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(wnd);
    delete app;
  }
  // Runs the message loop until `done` or a second has passed.
  template <class F>
  void PumpUntil(F done) {
    DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < 1000) {
      app->ProcessMessages();
      Sleep(1);
    }
  }
  TApplication* app = nullptr;
  HWND wnd = nullptr;
  std::vector<std::string> seen;
};
}  // namespace

TEST_F(GuardedCallbacks, TimerGoesOnAfterAFailingTick) {
  TTimer timer(nullptr);
  int ticks = 0;
  timer.SetInterval(5);
  timer.OnTimer = [&](TObject*) {
    if (++ticks == 1) throw std::out_of_range("tick 1");
  };
  timer.SetEnabled(false);
  timer.SetEnabled(true);
  EXPECT_TRUE(timer.Running());
  PumpUntil([&] { return ticks >= 3; });
  EXPECT_GE(ticks, 3);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen[0], "std::out_of_range (logic_error): tick 1");
  timer.SetEnabled(false);
  EXPECT_FALSE(timer.Running());
}

TEST_F(GuardedCallbacks, HookSubclassAndEnumerationCallbacks) {
  {
    TWindowsHook hook(WH_CALLWNDPROC, [](THookCall& call) {
      auto* cwp = reinterpret_cast<CWPSTRUCT*>(call.lParam);
      if (cwp->message == WM_USER + 1) throw EConvertError("in a hook");
    });
    EXPECT_EQ(SendMessageA(wnd, WM_USER + 1, 0, 0), 0);
  }
  {
    TWindowSubclass sub(wnd, [](TMessage& m, const TMessageNext& next) {
      if (m.Msg == WM_USER + 2) throw std::runtime_error("in a subclass");
      next(m);
    });
    SendMessageA(wnd, WM_USER + 2, 0, 0);
    // The window still answers through the chain.
    EXPECT_EQ(SendMessageA(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("still here")), TRUE);
  }
  EnumThreadWindows(GetCurrentThreadId(), &FailingEnumeration, 0);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0], "EConvertError: in a hook");
  EXPECT_EQ(seen[1], "std::runtime_error: in a subclass");
  EXPECT_EQ(seen[2], "EListError: in an enumeration");
}

TEST_F(GuardedCallbacks, AbortIsSilentAndAFailingHandlerDoesNotRecurse) {
  Guard([] { throw EAbort("quiet"); });
  EXPECT_TRUE(seen.empty());
  int calls = 0;
  app->OnException = [&](Exception*) {
    ++calls;
    Guard([] { throw EConvertError("while handling"); });  // reaches HandleException again
    throw EConvertError("handler fails");
  };
  Guard([] { throw EConvertError("first"); });
  EXPECT_EQ(calls, 1);
  Guard([] { throw EConvertError("second"); });  // the handler works again afterwards
  EXPECT_EQ(calls, 2);
}

TEST(ApplicationHandlers, StartWithAnOrdinaryFrameForACodeHook) {
  // push ebp; mov ebp, esp: the first five bytes are whole, position-independent
  // instructions that a splice can move aside.
  for (void* code : {TApplication::HandleExceptionAddress(), TApplication::ShowExceptionAddress()}) {
    auto* bytes = static_cast<const unsigned char*>(code);
    EXPECT_EQ(bytes[0], 0x55);
    EXPECT_EQ(bytes[1], 0x89);
    EXPECT_EQ(bytes[2], 0xE5);
  }
  EXPECT_NE(TApplication::HandleExceptionAddress(), TApplication::ShowExceptionAddress());
}
