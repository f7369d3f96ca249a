// Measures start-up of GUI programs under Wine, from outside, the way a user waits for it.
//
//   startup_timer <runs> <exe> <class> <caption> [<exe> <class> <caption> ...]
//
// Each run starts the program and, polling every millisecond (high-resolution timer), takes
// three moments counted from just before CreateProcess:
//   visible  a visible top-level window of the process with that class and a caption that
//            begins with the given text exists (the main window);
//   idle     the main window is visible and WaitForInputIdle has returned: the program waits
//            for input with an empty queue (a second thread waits for that, so that the
//            polling goes on meanwhile);
//   painted  the main window is visible and its update region, and that of every visible
//            child, is empty: it has been painted once, completely.
// The window is found without sending it a message (a sent message would be answered only
// once the program pumps, and would itself be work the program does while starting).
// The programs take turns run by run, so that the machine's load weighs on each alike. Prints
// every run, then per program the medians and the peak working set, and for the first two
// programs the ratios of both spans.
// windows.h first: the others need its types.
// clang-format off
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "e2e/driver/driver.h"

namespace {

double Now() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

// The first window of the tree (itself or a visible descendant) still waiting for paint.
HWND NeedsPaint(HWND w) {
  if (GetUpdateRect(w, nullptr, FALSE)) return w;
  for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (IsWindowVisible(c))
      if (HWND p = NeedsPaint(c)) return p;
  return nullptr;
}

struct Target {
  std::string exe, cls, caption;
  std::vector<double> idle, painted, shown;
  SIZE_T peak = 0;
};

// The caption as the window manager keeps it: no message goes to the program.
bool CaptionBegins(HWND w, const std::string& begin) {
  char text[256] = "";
  GetWindowTextA(w, text, sizeof text);
  return std::string(text).rfind(begin, 0) == 0;
}

// The peak working set of a process, through psapi loaded on first use.
SIZE_T PeakWorkingSet(HANDLE process) {
  using Info = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);
  static Info info = [] {
    HMODULE psapi = LoadLibraryA("psapi.dll");
    return psapi ? reinterpret_cast<Info>(reinterpret_cast<void*>(GetProcAddress(psapi, "GetProcessMemoryInfo")))
                 : nullptr;
  }();
  PROCESS_MEMORY_COUNTERS mem{};
  mem.cb = sizeof mem;
  return info && info(process, &mem, sizeof mem) ? mem.PeakWorkingSetSize : 0;
}

struct IdleWait {
  HANDLE process;
  double start;
  volatile LONG done;
  double at;
};

DWORD WINAPI WaitIdle(void* p) {
  auto* w = static_cast<IdleWait*>(p);
  DWORD r = WaitForInputIdle(w->process, 30000);
  w->at = r == 0 ? Now() - w->start : -1;
  InterlockedExchange(&w->done, 1);
  return 0;
}

struct Run {
  double shown = -1, idle = -1, painted = -1;
};

// One launch; a span stays negative when it was not reached.
Run RunOnce(Target& t) {
  std::string dir = t.exe.substr(0, t.exe.find_last_of('\\'));
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string cmd = "\"" + t.exe + "\"";
  Run run;
  double start = Now();
  if (!CreateProcessA(t.exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi))
    return run;
  IdleWait wait{pi.hProcess, start, 0, -1};
  HANDLE waiter = CreateThread(nullptr, 0, WaitIdle, &wait, 0, nullptr);
  HWND main = nullptr;
  bool idleSeen = false;
  while (Now() - start < 30000) {
    if (!main) {
      for (HWND w : nvdrv::TopWindows(pi.dwProcessId, t.cls))
        if (CaptionBegins(w, t.caption)) main = w;
      if (main) run.shown = Now() - start;
    }
    if (main && run.painted < 0 && !NeedsPaint(main)) run.painted = Now() - start;
    if (!idleSeen && wait.done) {
      idleSeen = true;
      if (wait.at < 0) break;
    }
    if (main && idleSeen && run.idle < 0) run.idle = std::max(wait.at, run.shown);
    if (run.painted >= 0 && run.idle >= 0) break;
    if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  t.peak = std::max(t.peak, PeakWorkingSet(pi.hProcess));
  if (run.painted < 0 || run.idle < 0) {
    HWND unpainted = main ? NeedsPaint(main) : nullptr;
    std::fprintf(stderr, "%s: %s%s%s after %.0f ms%s%s\n", t.exe.c_str(), main ? "" : "no window",
                 main && run.painted < 0 ? "window never painted completely " : "",
                 main && run.idle < 0 ? "never idle" : "", Now() - start, unpainted ? ", waiting: " : "",
                 unpainted ? nvdrv::ClassOf(unpainted).c_str() : "");
  }
  if (main) PostMessageA(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  WaitForSingleObject(pi.hProcess, 5000);
  WaitForSingleObject(waiter, 5000);
  CloseHandle(waiter);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return run;
}

double Median(std::vector<double> v) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Arguments in the ANSI code page, taken from the Unicode command line. (Without the glibc
// locale installed Wine cannot read non-ASCII arguments from a Linux shell anyway: the
// script passes ASCII caption beginnings.)
std::vector<std::string> AnsiArgs() {
  int argc = 0;
  LPWSTR* wargv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) {
    int n = WideCharToMultiByte(CP_ACP, 0, wargv[i], -1, nullptr, 0, nullptr, nullptr);
    std::string a(n > 0 ? n : 1, '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, wargv[i], -1, a.data(), n, nullptr, nullptr);
    a.resize(a.size() - 1);
    args.push_back(a);
  }
  LocalFree(wargv);
  return args;
}

// The ratio of the first program's span to the second's: of the medians, and the median of
// the run-by-run ratios (runs taken side by side share the machine's load of that moment, so
// on a busy machine their ratios are steadier than the ratio of medians).
void PrintRatio(const char* span, const std::vector<double>& a, const std::vector<double>& b) {
  if (Median(b) <= 0) return;
  std::vector<double> paired;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) paired.push_back(a[i] / b[i]);
  std::printf("ratio   %-8s %.2f of the medians", span, Median(a) / Median(b));
  if (a.size() == b.size()) std::printf(", %.2f median of run-by-run ratios", Median(paired));
  std::printf("\n");
}

}  // namespace

int main() {
  std::vector<std::string> args = AnsiArgs();
  int argc = static_cast<int>(args.size());
  if (argc < 5 || (argc - 2) % 3 != 0) {
    std::fprintf(stderr, "usage: startup_timer runs exe class caption [exe class caption ...]\n");
    return 2;
  }
  timeBeginPeriod(1);
  int runs = std::max(1, std::atoi(args[1].c_str()));
  std::vector<Target> targets;
  for (int i = 2; i + 2 < argc; i += 3) targets.push_back({args[i], args[i + 1], args[i + 2], {}, {}, {}, 0});

  for (Target& t : targets) RunOnce(t);  // warm-up: disk cache, wineserver, fonts
  for (Target& t : targets) t.peak = 0;
  for (int r = 0; r < runs; ++r) {
    for (Target& t : targets) {
      Run run = RunOnce(t);
      std::printf("run %2d  %-40s idle %7.1f  painted %7.1f  visible %7.1f ms\n", r + 1, t.exe.c_str(), run.idle,
                  run.painted, run.shown);
      // A run counts only when both spans were reached, so that the spans pair up.
      if (run.idle < 0 || run.painted < 0) continue;
      t.idle.push_back(run.idle);
      t.painted.push_back(run.painted);
      t.shown.push_back(run.shown);
    }
  }
  int failed = 0;
  for (Target& t : targets) {
    std::printf("median  %-40s idle %7.1f  painted %7.1f  visible %7.1f ms  (%zu of %d runs)  peak working set %zu KB\n",
                t.exe.c_str(), Median(t.idle), Median(t.painted), Median(t.shown), t.idle.size(), runs,
                static_cast<size_t>(t.peak / 1024));
    if (t.idle.empty()) ++failed;
  }
  if (targets.size() >= 2) {
    PrintRatio("idle", targets[0].idle, targets[1].idle);
    PrintRatio("painted", targets[0].painted, targets[1].painted);
  }
  timeEndPeriod(1);
  return failed ? 1 : 0;
}
