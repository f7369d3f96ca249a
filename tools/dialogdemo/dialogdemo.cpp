// dialogdemo: shows the reporter's error dialog with a hand-made report, the way the report
// pipeline does (on a worker thread while the main thread waits and keeps its window alive),
// so that tests and people can drive it from outside. Not shipped.
//
//   dialogdemo [--mail N] [--upload N] [--flags HEX] [--content HEX] [--stack HEX]
//              [--first-tab N] [--close-after S] [--terminate-action N] [--no-terminate]
//              [--support URL] [--custom-data] [--duplicate] [--message TEXT] [--ini FILE]
//              [--result FILE] [--cancel-terminate N] [--no-templates] [--request]
//              [--same-thread]
//
// The result file gets send=, screenshot=, copy=, terminate=, shown=, warning= and
// request= lines. A chosen termination ends the demo with exit code 1, as it ends the program.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "exceptions/dialog/clipboard_win32.h"
#include "exceptions/dialog/error_dialog_win32.h"
#include "exceptions/options/module_options.h"
#include "sample_report.h"

namespace {
struct TDemoArgs {
  TErrorDialogInput input;
  std::string resultFile;
  int cancelTerminate = 0;
  bool noTemplates = false;
  bool request = false;
  bool sameThread = false;
};

long Number(const char* s) { return std::strtol(s, nullptr, 0); }

TDemoArgs Parse(int argc, char** argv) {
  TDemoArgs a;
  a.input = SampleReport();
  TDialogOptions& o = a.input.options;
  for (int i = 1; i < argc; ++i) {
    std::string k = argv[i];
    const char* v = i + 1 < argc ? argv[i + 1] : "";
    auto take = [&] {
      ++i;
      return v;
    };
    if (k == "--mail")
      o.mailMethod = static_cast<uint8_t>(Number(take()));
    else if (k == "--upload")
      o.uploadMethod = static_cast<uint8_t>(Number(take()));
    else if (k == "--flags")
      o.dialogFlags = static_cast<uint8_t>(Number(take()));
    else if (k == "--content")
      o.reportContentFlags = static_cast<uint8_t>(Number(take()));
    else if (k == "--stack")
      o.stackFlags = static_cast<uint8_t>(Number(take()));
    else if (k == "--first-tab")
      o.initialTab = static_cast<uint8_t>(Number(take()));
    else if (k == "--close-after")
      o.closeAfterSecs = static_cast<int>(Number(take()));
    else if (k == "--terminate-action")
      o.terminateAction = static_cast<uint8_t>(Number(take()));
    else if (k == "--no-terminate")
      a.input.offerTerminate = false;
    else if (k == "--support")
      o.supportAddress = take();
    else if (k == "--custom-data")
      a.input.customData = {"Profile: 办公室", "Connection: 本地连接"};
    else if (k == "--duplicate")
      a.input.duplicate = true;
    else if (k == "--message")
      a.input.message = take();
    else if (k == "--ini")
      a.input.coordinatesFile = take();
    else if (k == "--result")
      a.resultFile = take();
    else if (k == "--cancel-terminate")
      a.cancelTerminate = static_cast<int>(Number(take()));
    else if (k == "--no-templates")
      a.noTemplates = true;
    else if (k == "--request")
      a.request = true;
    else if (k == "--same-thread")
      a.sameThread = true;
  }
  return a;
}

struct TDemoOutcome {
  TErrorDialogResult result;
  std::string warning, request;
  long visibleMs = -1;  // from the report's start to the dialog on the screen
};

TDemoOutcome RunReport(TDemoArgs& a) {
  TDemoOutcome out;
  TErrorDialogCallbacks callbacks;
  callbacks.onShowError = [&](const std::string& m) { out.warning = m; };
  callbacks.confirmTerminate = [&] { return a.cancelTerminate-- <= 0; };
  HMODULE resources = a.noTemplates ? GetModuleHandleA("kernel32.dll") : nullptr;
  out.result = ShowErrorDialog(a.input, callbacks, resources);
  if (a.request) out.request = ShowRequestDialog(a.input.options, resources);
  if (out.result.copyChecked) CopyTextToClipboard(SampleReportText(a.input));
  return out;
}

void WriteResult(const std::string& file, const TDemoOutcome& o) {
  if (file.empty()) return;
  FILE* f = std::fopen(file.c_str(), "wb");
  if (!f) return;
  std::fprintf(
      f,
      "send=%d\r\nscreenshot=%d\r\ncopy=%d\r\nterminate=%d\r\nshown=%d\r\nwarning=%s\r\nrequest=%s\r\n"
      "visible_ms=%ld\r\n",
      o.result.sendChecked, o.result.screenshotChecked, o.result.copyChecked, o.result.terminateChosen,
      o.result.shown, o.warning.c_str(), o.request.c_str(), o.visibleMs);
  std::fclose(f);
}

LRESULT CALLBACK FormProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    DrawTextA(dc, "The program's window", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EndPaint(w, &ps);
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

// The program's windows as the framework makes them: a hidden application window that owns
// the visible main form.
HWND MakeWindows(HINSTANCE inst) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = FormProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = "TDemoForm";
  RegisterClassA(&wc);
  wc.lpszClassName = "TApplication";
  RegisterClassA(&wc);
  HWND app = CreateWindowExA(0, "TApplication", "dialogdemo", WS_POPUP | WS_CAPTION, 0, 0, 0, 0, nullptr,
                             nullptr, inst, nullptr);
  HWND form = CreateWindowExA(WS_EX_APPWINDOW, "TDemoForm", "Dialog demo", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              10, 10, 260, 160, app, nullptr, inst, nullptr);
  UpdateWindow(form);
  return form;
}

// The raising thread's wait: at most 11 messages a round, timers dropped, input refused with
// a beep, as the report pipeline does.
void WaitPumping(const std::atomic<bool>& done, long* visibleMs) {
  auto start = std::chrono::steady_clock::now();
  while (!done) {
    HWND dialog = CurrentErrorDialog();
    if (*visibleMs < 0 && dialog && IsWindowVisible(dialog))
      *visibleMs = static_cast<long>(
          std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
              .count());
    MSG msg;
    for (int i = 0; i < 11 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
      UINT m = msg.message;
      if (m == WM_TIMER) continue;
      if ((m >= 0xA1 && m <= 0xA9) || (m >= 0x100 && m <= 0x102) || (m >= 0x104 && m <= 0x106) ||
          (m >= 0x201 && m <= 0x209)) {
        MessageBeep(MB_OK);
        continue;
      }
      DispatchMessageA(&msg);
    }
    Sleep(10);
  }
}
}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
  TDemoArgs args = Parse(__argc, __argv);
  HWND form = MakeWindows(inst);
  TDemoOutcome outcome;
  if (args.sameThread) {
    outcome = RunReport(args);
  } else {
    std::atomic<bool> done{false};
    long visibleMs = -1;
    std::thread worker([&] {
      outcome = RunReport(args);
      done = true;
    });
    WaitPumping(done, &visibleMs);
    worker.join();
    outcome.visibleMs = visibleMs;
  }
  WriteResult(args.resultFile, outcome);
  DestroyWindow(form);
  return outcome.result.terminateChosen ? 1 : 0;
}
