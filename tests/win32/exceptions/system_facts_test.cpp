// The system facts of a report, gathered on the machine the test runs on.
#include <gtest/gtest.h>
#include <windows.h>

#include "exceptions/report/report_format.h"
#include "exceptions/report/report_text.h"
#include "exceptions/report/system_facts_win32.h"

namespace {

TEST(SystemFacts, GatheredFactsAreTheMachinesOwn) {
  TSystemFactsGatherer gatherer;
  TReportSnapshot s;
  gatherer.Gather(s, 0);

  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  EXPECT_EQ(s.application.modulePath, exe);
  EXPECT_TRUE(s.application.startDate.valid);
  char name[32];
  DWORD size = sizeof name;
  GetComputerNameA(name, &size);
  EXPECT_EQ(s.system.computer.name, name);
  EXPECT_FALSE(s.system.computer.user.empty());
  EXPECT_GT(s.system.computer.totalMemory, 16ull << 20);
  EXPECT_LE(s.system.computer.freeMemory, s.system.computer.totalMemory);
  EXPECT_GT(s.system.computer.totalDisk, 0u);
  EXPECT_GT(s.system.computer.upTimeMs, 0u);
  EXPECT_EQ(s.system.computer.displayWidth, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(s.system.computer.displayHeight, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_FALSE(s.system.os.language.empty());
  // Whatever the prefix claims to be, it is a version the list names.
  std::string os = OperatingSystemName(s.system.os);
  EXPECT_EQ(os.find("Microsoft Windows NT"), std::string::npos) << os;
  // The test program's link time is in its headers, and it is not older than this code.
  if (s.application.compilationDate.valid) {
    EXPECT_GE(s.application.compilationDate.year, 2024);
  }

  std::string text = BuildReportText(s);
  EXPECT_NE(text.find("  4.1 Name          : " + s.system.computer.name), std::string::npos);
  std::printf("[ facts    ] %s build %s, update \"%s\", %s; %s; %s; %s; start %s; compiled %s\n", os.c_str(),
              OperatingSystemBuild(s.system.os).c_str(), s.system.os.servicePack.c_str(),
              s.system.os.language.c_str(), s.system.computer.processor.c_str(),
              FormatMemory(s.system.computer.totalMemory).c_str(), s.system.network.ipAddress.c_str(),
              FormatReportDate(s.application.startDate).c_str(),
              FormatReportDate(s.application.compilationDate).c_str());
}

// A GUI thread with a window and a focused button, which then stops answering.
struct GuiThread {
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE quit = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = nullptr;
  DWORD id = 0;

  static DWORD WINAPI Run(void* p) {
    auto* self = static_cast<GuiThread*>(p);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TFactsTestForm";
    RegisterClassA(&wc);
    HWND form = CreateWindowExA(0, "TFactsTestForm", "测试窗口", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    HWND button = CreateWindowExA(0, "BUTTON", "确定", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 80, 24,
                                  form, nullptr, wc.hInstance, nullptr);
    // Under Wine the activation comes back from the display a little later: pump until the
    // form is active and the button has the focus (or two seconds have gone).
    SetForegroundWindow(form);
    SetActiveWindow(form);
    SetFocus(button);
    MSG m;
    for (int i = 0; i < 200 && (GetActiveWindow() != form || GetFocus() != button); ++i) {
      while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
      if (GetActiveWindow() != form) SetActiveWindow(form);
      if (GetFocus() != button) SetFocus(button);
      Sleep(10);
    }
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    SetEvent(self->ready);
    WaitForSingleObject(self->quit, INFINITE);  // no messages are handled from here on
    DestroyWindow(form);
    return 0;
  }
  GuiThread() {
    thread = CreateThread(nullptr, 0, Run, this, 0, &id);
    WaitForSingleObject(ready, 10000);
  }
  ~GuiThread() {
    SetEvent(quit);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    CloseHandle(ready);
    CloseHandle(quit);
  }
};

struct ReadJob {
  DWORD guiThread;
  TReportActiveControls result;
  static DWORD WINAPI Run(void* p) {
    auto* job = static_cast<ReadJob*>(p);
    job->result = ReadActiveControls(job->guiThread);
    return 0;
  }
};

TEST(SystemFacts, ActiveFormIsReadWithoutAskingTheStoppedGuiThread) {
  GuiThread gui;
  ASSERT_NE(SuspendThread(gui.thread), static_cast<DWORD>(-1));
  ReadJob job{gui.id, {}};
  HANDLE reader = CreateThread(nullptr, 0, ReadJob::Run, &job, 0, nullptr);
  // A message to the stopped thread would never be answered: the read would not end.
  DWORD wait = WaitForSingleObject(reader, 5000);
  ResumeThread(gui.thread);
  ASSERT_EQ(wait, static_cast<DWORD>(WAIT_OBJECT_0)) << "reading the active form waited for the GUI thread";
  WaitForSingleObject(reader, INFINITE);
  CloseHandle(reader);
  EXPECT_EQ(job.result.formClass, "TFactsTestForm");
  EXPECT_EQ(job.result.formText, "测试窗口");
  EXPECT_EQ(job.result.controlClass, "Button");
  EXPECT_EQ(job.result.controlText, "确定");
}

}  // namespace
