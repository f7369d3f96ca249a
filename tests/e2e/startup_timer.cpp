// Measures start-up to first paint of GUI programs under Wine.
//
//   startup_timer <runs> <exe> <class> <caption> [<exe> <class> <caption> ...]
//
// Each run starts the program and polls (every millisecond, high-resolution timer) until a
// visible top-level window of that class whose caption begins with the given text exists whose update region,
// and that of every visible child, is empty: the program has handled the paint messages its window got when
// it was shown, so the window has been painted once, completely. The programs take turns run by run, so that
// the machine's load weighs on each alike. Prints every run, then per program the median and the peak working
// set. Beside that: when the window was first painted with its skinned frame (it answers the skin
// engine's "is skinned" query and has no paint pending; never for an unskinned program) and when
// the process first waited for input with an empty queue (input idle).
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

// The skin engine's XM_ISSKINNED: a skinned window answers 1.
constexpr UINT kIsSkinned = 0x3523;

bool Skinned(HWND w) {
  DWORD_PTR answer = 0;
  return SendMessageTimeoutA(w, kIsSkinned, 0, 0, SMTO_ABORTIFHUNG, 200, &answer) && answer == 1;
}

struct Target {
  std::string exe, cls, caption;
  std::vector<double> ms;
  std::vector<double> shown;    // when the window was first seen visible
  std::vector<double> skinned;  // first complete paint with the skinned frame
  std::vector<double> idle;     // input idle
  SIZE_T peak = 0;
};

// One launch; negative on failure.
double RunOnce(Target& t) {
  std::string dir = t.exe.substr(0, t.exe.find_last_of('\\'));
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string cmd = "\"" + t.exe + "\"";
  double start = Now();
  if (!CreateProcessA(t.exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi))
    return -1;
  double painted = -1, skinned = -1, idle = -1;
  HWND main = nullptr;
  while (Now() - start < 30000) {
    if (idle < 0 && WaitForInputIdle(pi.hProcess, 0) == 0) idle = Now() - start;
    if (!main) {
      for (HWND w : nvdrv::TopWindows(pi.dwProcessId, t.cls))
        if (nvdrv::Text(w).rfind(t.caption, 0) == 0) main = w;
      if (main) t.shown.push_back(Now() - start);
    }
    if (main && painted < 0 && !NeedsPaint(main)) painted = Now() - start;
    if (main && skinned < 0 && Skinned(main) && !NeedsPaint(main)) skinned = Now() - start;
    // An unskinned program is given a moment to turn out otherwise.
    if (painted >= 0 && idle >= 0 && (skinned >= 0 || Now() - start > painted + 1500)) break;
    if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  if (skinned >= 0) t.skinned.push_back(skinned);
  if (idle >= 0) t.idle.push_back(idle);
  PROCESS_MEMORY_COUNTERS mem{};
  if (GetProcessMemoryInfo(pi.hProcess, &mem, sizeof mem)) t.peak = std::max(t.peak, mem.PeakWorkingSetSize);
  if (painted < 0) {
    HWND unpainted = main ? NeedsPaint(main) : nullptr;
    std::fprintf(stderr, "%s: %s after %.0f ms%s%s\n", t.exe.c_str(),
                 main ? "window never painted completely" : "no window", Now() - start,
                 unpainted ? ", waiting: " : "", unpainted ? nvdrv::ClassOf(unpainted).c_str() : "");
  }
  if (main) PostMessageA(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return painted;
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
  for (int i = 2; i + 2 < argc; i += 3) targets.push_back({args[i], args[i + 1], args[i + 2], {}, {}, {}, {}, 0});

  for (Target& t : targets) RunOnce(t);  // warm-up: disk cache, wineserver, fonts
  for (int r = 0; r < runs; ++r) {
    for (Target& t : targets) {
      double ms = RunOnce(t);
      std::printf("run %2d  %-40s %8.1f ms\n", r + 1, t.exe.c_str(), ms);
      if (ms >= 0) t.ms.push_back(ms);
    }
  }
  int failed = 0;
  for (Target& t : targets) {
    std::printf("median  %-40s %8.1f ms  (%zu of %d runs; visible at %.1f ms)  peak working set %zu KB\n",
                t.exe.c_str(), Median(t.ms), t.ms.size(), runs, Median(t.shown),
                static_cast<size_t>(t.peak / 1024));
    std::printf("        first skinned paint %.1f ms (%zu runs), input idle %.1f ms (%zu runs)\n",
                Median(t.skinned), t.skinned.size(), Median(t.idle), t.idle.size());
    if (t.ms.empty()) ++failed;
  }
  if (targets.size() >= 2 && Median(targets[1].ms) > 0) {
    std::printf("ratio   %.2f (of the medians)\n", Median(targets[0].ms) / Median(targets[1].ms));
    // Runs taken side by side share the machine's load of that moment; the median of their
    // ratios is steadier than the ratio of medians on a busy machine.
    std::vector<double> paired;
    for (std::size_t i = 0; i < targets[0].ms.size() && i < targets[1].ms.size(); ++i)
      paired.push_back(targets[0].ms[i] / targets[1].ms[i]);
    if (targets[0].ms.size() == targets[1].ms.size())
      std::printf("ratio   %.2f (median of run-by-run ratios)\n", Median(paired));
    if (!targets[0].skinned.empty())
      std::printf("ratio   %.2f (first skinned paint of the first to first paint of the second)\n",
                  Median(targets[0].skinned) / Median(targets[1].ms));
    if (!targets[0].idle.empty() && !targets[1].idle.empty())
      std::printf("ratio   %.2f (input idle)\n", Median(targets[0].idle) / Median(targets[1].idle));
  }
  timeEndPeriod(1);
  return failed ? 1 : 0;
}
