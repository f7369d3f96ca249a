// The reporter's crash scenarios: crashdemo started as its own process for each, with a time
// limit, its capture records read back and its addresses looked up in its line table.
// windows.h first: tlhelp32.h needs its types.
// clang-format off
#include <windows.h>
#include <tlhelp32.h>
// clang-format on
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "e2e/driver/driver.h"
#include "exceptions/capture/capture_record.h"
#include "exceptions/dialog/dialog_ids.h"
#include "exceptions/report/log_file.h"

namespace {

using namespace std::chrono_literals;

std::string Crashdemo() { return nvdrv::WinPath(NV_BINARY_DIR "/tools/crashdemo/crashdemo.exe"); }

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool WinedbgRunning() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32 e{};
  e.dwSize = sizeof e;
  bool found = false;
  for (BOOL ok = Process32First(snap, &e); ok; ok = Process32Next(snap, &e))
    if (lstrcmpiA(e.szExeFile, "winedbg.exe") == 0) found = true;
  CloseHandle(snap);
  return found;
}

// One run of crashdemo with its record file, its log and its options: by default the
// reporter writes its log beside the record and shows no dialog; `optionLines` follow in the
// [Options] section (and may open further sections).
class TScenario {
 public:
  explicit TScenario(const std::string& args, const std::string& optionLines = "", bool dialog = false) {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    char file[MAX_PATH];
    GetTempFileNameA(dir, "nvc", 0, file);
    record_ = file;
    DeleteFileA(record_.c_str());
    log_ = record_ + ".qlf";
    options_ = record_ + ".ini";
    std::ofstream(options_, std::ios::binary)
        << "[Options]\r\nDialogFlags = " << (dialog ? "0x1F" : "0x1E") << "\r\nLogLocation = " << log_
        << "\r\n" << optionLines << "\r\n";
    command_ = "\"" + Crashdemo() + "\" --record \"" + record_ + "\" --options \"" + options_ + "\" " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string cmd = command_;
    started_ = CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_);
  }
  ~TScenario() {
    if (pi_.hProcess) {
      if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
      CloseHandle(pi_.hProcess);
      CloseHandle(pi_.hThread);
    }
    for (const std::string& f : {record_, log_, options_}) DeleteFileA(f.c_str());
  }
  // The reports in the log.
  std::vector<std::string> LogReports() const {
    std::ifstream in(log_, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return ParseLog(content.str());
  }
  bool LogExists() const { return GetFileAttributesA(log_.c_str()) != INVALID_FILE_ATTRIBUTES; }
  // crashdemo's own lines of a kind ("report", "busy"), each as its key=value fields.
  std::vector<std::map<std::string, std::string>> Lines(const std::string& kind) const {
    std::vector<std::map<std::string, std::string>> out;
    for (const std::string& line : ReadLines(record_)) {
      if (line.rfind("crashdemo\t" + kind + "\t", 0) != 0) continue;
      std::map<std::string, std::string> fields;
      std::stringstream in(line);
      std::string part;
      while (std::getline(in, part, '\t')) {
        size_t eq = part.find('=');
        if (eq != std::string::npos) fields[part.substr(0, eq)] = part.substr(eq + 1);
      }
      out.push_back(fields);
    }
    return out;
  }
  bool WaitForReports(size_t n, std::chrono::milliseconds limit = 15s) {
    return nvdrv::WaitUntil([&] { return Lines("report").size() >= n; }, limit);
  }
  // The report line comes just before the report's last steps; a click before they are over
  // would only beep.
  bool WaitForReportEnd(size_t n, std::chrono::milliseconds limit = 15s) {
    bool done = WaitForReports(n, limit);
    std::this_thread::sleep_for(200ms);
    return done;
  }
  bool Started() const { return started_; }
  DWORD Pid() const { return pi_.dwProcessId; }
  std::optional<DWORD> WaitExit(std::chrono::milliseconds limit) {
    if (WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0)
      return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
  }
  std::vector<TCaptureRecord> Captures() const {
    std::vector<TCaptureRecord> out;
    for (const std::string& line : ReadLines(record_)) {
      TCaptureRecord r;
      if (ParseCaptureRecord(line, r)) out.push_back(r);
    }
    return out;
  }
  // The value of key in crashdemo's own "worker" line.
  std::string Worker(const std::string& key) const {
    for (const std::string& line : ReadLines(record_)) {
      if (line.rfind("crashdemo\tworker", 0) != 0) continue;
      std::smatch m;
      if (std::regex_search(line, m, std::regex("\t" + key + "=([^\t]*)"))) return m[1];
    }
    return "";
  }
  bool WaitForCaptures(size_t n, std::chrono::milliseconds limit = 10s) {
    return nvdrv::WaitUntil([&] { return Captures().size() >= n; }, limit);
  }

 private:
  std::string record_, log_, options_, command_;
  PROCESS_INFORMATION pi_{};
  bool started_ = false;
};

// crashdemo's line table, as addr2line reads it.
class TLineTable {
 public:
  TLineTable() {
    std::ifstream headers(NV_BINARY_DIR "/tools/crashdemo/crashdemo.headers");
    std::string line;
    std::regex base("^ImageBase\\s+([0-9a-fA-F]+)");
    while (std::getline(headers, line)) {
      std::smatch m;
      if (std::regex_search(line, m, base)) imageBase_ = std::stoul(m[1], nullptr, 16);
    }
    std::ifstream lines(NV_BINARY_DIR "/tools/crashdemo/crashdemo.lines");
    std::regex row("^(\\S+)\\s+(\\d+)\\s+0x([0-9a-f]+)");
    while (std::getline(lines, line)) {
      std::smatch m;
      if (std::regex_search(line, m, row))
        rows_.push_back({std::stoul(m[3], nullptr, 16), m[1], std::stoi(m[2])});
    }
    std::stable_sort(rows_.begin(), rows_.end(),
                     [](const Row& a, const Row& b) { return a.address < b.address; });
  }
  // "crashdemo.cpp:123" for a module offset.
  std::string Where(unsigned rva) const {
    unsigned long vma = imageBase_ + rva;
    auto it = std::upper_bound(rows_.begin(), rows_.end(), vma,
                               [](unsigned long v, const Row& r) { return v < r.address; });
    if (it == rows_.begin()) return "?";
    --it;
    return it->file + ":" + std::to_string(it->line);
  }

 private:
  struct Row {
    unsigned long address;
    std::string file;
    int line;
  };
  unsigned long imageBase_ = 0x400000;
  std::vector<Row> rows_;
};

const TLineTable& Lines() {
  static TLineTable table;
  return table;
}

// The line of crashdemo.cpp that carries a marker comment.
int MarkerLine(const std::string& marker) {
  std::ifstream in(NV_SOURCE_DIR "/tools/crashdemo/crashdemo.cpp");
  std::string line;
  for (int n = 1; std::getline(in, line); ++n)
    if (line.find("// " + marker) != std::string::npos) return n;
  return -1;
}

// The recorded address lies on the marked line, give or take one (the line table may give
// the call's argument set-up the line before).
void ExpectAtMarker(const TCaptureRecord& r, const std::string& marker) {
  std::string where = Lines().Where(r.rva);
  int expected = MarkerLine(marker);
  ASSERT_GT(expected, 0) << marker;
  std::smatch m;
  ASSERT_TRUE(std::regex_match(where, m, std::regex("(.*):(\\d+)"))) << where;
  EXPECT_NE(m[1].str().find("crashdemo.cpp"), std::string::npos) << where;
  EXPECT_NEAR(std::stoi(m[2]), expected, 1) << where << " for " << marker;
}

HWND CrashButton(DWORD pid) {
  HWND form = nvdrv::WaitForWindow(pid, "TCrashForm", "crashdemo");
  if (!form) return nullptr;
  return nvdrv::FindChild(form, "TButton", "Crash");
}

bool Answers(HWND w) {
  DWORD_PTR r = 0;
  return SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 3000, &r) != 0;
}

void CloseAndExpectZero(TScenario& s, HWND button) {
  PostMessageA(GetAncestor(button, GA_ROOT), WM_CLOSE, 0, 0);
  std::optional<DWORD> code = s.WaitExit(15s);
  ASSERT_TRUE(code.has_value()) << "crashdemo did not end";
  EXPECT_EQ(*code, 0u);
}

// Clicks twice; each click records one exception at the marked line and the window goes on
// answering.
void ClickScenario(const std::string& scenario, const std::string& cls, const std::string& marker) {
  TScenario s("--quiet " + scenario);
  ASSERT_TRUE(s.Started());
  HWND button = CrashButton(s.Pid());
  ASSERT_TRUE(button) << "no window";
  for (size_t click = 1; click <= 2; ++click) {
    nvdrv::Click(button);
    ASSERT_TRUE(s.WaitForCaptures(click)) << "click " << click << " recorded nothing";
    // While its report runs the window refuses clicks; the next one waits for its end.
    ASSERT_TRUE(s.WaitForReportEnd(click)) << "click " << click << " made no report";
    EXPECT_TRUE(Answers(button));
  }
  std::vector<TCaptureRecord> c = s.Captures();
  ASSERT_EQ(c.size(), 2u);
  for (const TCaptureRecord& r : c) {
    EXPECT_EQ(r.className, cls);
    EXPECT_EQ(r.raiserKind, 1) << "reached through the application's handler";
    EXPECT_TRUE(r.mainThread);
    EXPECT_GT(r.snapshotSize, 0u);
    if (!marker.empty()) ExpectAtMarker(r, marker);
  }
  EXPECT_EQ(s.LogReports().size(), 2u) << "each click made a report in the log";
  CloseAndExpectZero(s, button);
  EXPECT_FALSE(WinedbgRunning());
}

TEST(CrashScenarios, UncaughtThrowEndsTheProcessWithOneRecordAtTheThrow) {
  TScenario s("uncaught");
  ASSERT_TRUE(s.Started());
  std::optional<DWORD> code = s.WaitExit(20s);
  ASSERT_TRUE(code.has_value()) << "crashdemo did not end";
  EXPECT_EQ(*code, 1u);
  std::vector<TCaptureRecord> c = s.Captures();
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].className, "EInvalidOperation");
  EXPECT_TRUE(c[0].mainThread);
  EXPECT_EQ(c[0].raiserKind, 0);
  EXPECT_EQ(c[0].eip, c[0].address) << "the rebuilt context points at the call";
  ExpectAtMarker(c[0], "crashdemo-uncaught");
  EXPECT_EQ(s.LogReports().size(), 1u) << "reported before the process ended";
  EXPECT_FALSE(WinedbgRunning());
}

TEST(CrashScenarios, ThrowInClick) {
  ClickScenario("throw-in-click", "EInvalidOperation", "crashdemo-throw");
}

TEST(CrashScenarios, AccessViolationInClickBecomesAnExceptionAtTheFaultingInstruction) {
  ClickScenario("av-in-click", "EAccessViolation", "crashdemo-av");
}

TEST(CrashScenarios, DivisionByZero) { ClickScenario("div0", "EDivByZero", "crashdemo-div0"); }

TEST(CrashScenarios, VectorAtArrivesAsItsOwnClass) { ClickScenario("vector-at", "std::out_of_range", ""); }

TEST(CrashScenarios, AccessViolationMessageNamesAddressKindAndTarget) {
  TScenario s("--quiet av-in-click");
  ASSERT_TRUE(s.Started());
  HWND button = CrashButton(s.Pid());
  ASSERT_TRUE(button);
  nvdrv::Click(button);
  ASSERT_TRUE(s.WaitForCaptures(1));
  TCaptureRecord r = s.Captures()[0];
  EXPECT_EQ(r.eip, r.address) << "the system's context of the fault";
  char expected[64];
  wsprintfA(expected, "Access violation at address %08X", r.address);
  EXPECT_NE(r.message.find(expected), std::string::npos) << r.message;
  EXPECT_NE(r.message.find("Read of address 00000000"), std::string::npos) << r.message;
  EXPECT_NE(r.message.find("crashdemo.exe"), std::string::npos) << r.message;
  CloseAndExpectZero(s, button);
}

TEST(CrashScenarios, DefaultHandlingShowsTheFrameworkMessageOnce) {
  // With the reporter switched off the framework's own handling runs.
  TScenario s("throw-in-click", "ReporterEnabled = false");
  ASSERT_TRUE(s.Started());
  HWND button = CrashButton(s.Pid());
  ASSERT_TRUE(button);
  nvdrv::Click(button);
  std::optional<nvdrv::TMessageBox> box = nvdrv::WaitForMessageBox(s.Pid());
  ASSERT_TRUE(box.has_value()) << "the application's handler showed nothing";
  EXPECT_NE(box->text.find("the button's handler failed"), std::string::npos) << box->text;
  EXPECT_TRUE(nvdrv::DismissMessageBox(*box));
  EXPECT_EQ(s.Captures().size(), 1u) << "handler and display routine ask the reporter once between them";
  CloseAndExpectZero(s, button);
}

TEST(CrashScenarios, NestedExceptionDuringAReportGetsNoSecondRecord) {
  TScenario s("--quiet nested");
  ASSERT_TRUE(s.Started());
  HWND button = CrashButton(s.Pid());
  ASSERT_TRUE(button);
  nvdrv::Click(button);
  ASSERT_TRUE(s.WaitForCaptures(1));
  ASSERT_TRUE(s.WaitForReports(1));
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(Answers(button));
  nvdrv::Click(button);
  ASSERT_TRUE(s.WaitForCaptures(2));
  std::this_thread::sleep_for(300ms);
  std::vector<TCaptureRecord> c = s.Captures();
  ASSERT_EQ(c.size(), 2u) << "one per click: the handler's own failure is not reported";
  EXPECT_EQ(c[0].className, "EInvalidOperation");
  EXPECT_EQ(c[1].className, "EInvalidOperation");
  ASSERT_TRUE(s.WaitForReports(2));
  EXPECT_EQ(s.LogReports().size(), 2u);
  CloseAndExpectZero(s, button);
}

void ThreadScenario(const std::string& scenario, const std::string& cls) {
  TScenario s(scenario);
  ASSERT_TRUE(s.Started());
  std::optional<DWORD> code = s.WaitExit(20s);
  ASSERT_TRUE(code.has_value()) << "crashdemo did not end";
  EXPECT_EQ(*code, 0u) << "the process goes on when a worker fails";
  std::vector<TCaptureRecord> c = s.Captures();
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].className, cls);
  EXPECT_FALSE(c[0].mainThread);
  EXPECT_EQ(c[0].threadId, std::stoul(s.Worker("thread"), nullptr, 16)) << "the worker's thread";
  EXPECT_EQ(s.Worker("exit"), "1") << "the worker ends with exit code 1";
  EXPECT_EQ(s.LogReports().size(), 1u);
  EXPECT_FALSE(WinedbgRunning());
}

TEST(CrashScenarios, FrameworkThreadThrow) { ThreadScenario("thread-throw", "EInvalidOperation"); }
TEST(CrashScenarios, CreateThreadThrow) { ThreadScenario("createthread-throw", "EInvalidOperation"); }
TEST(CrashScenarios, StdThreadThrow) { ThreadScenario("stdthread-throw", "std::runtime_error"); }

TEST(CrashScenarios, StackOverflowIsRecordedOnceAndEndsTheProcessQuickly) {
  TScenario s("recurse");
  ASSERT_TRUE(s.Started());
  std::optional<DWORD> code = s.WaitExit(10s);
  ASSERT_TRUE(code.has_value()) << "crashdemo did not end within 10 s";
  EXPECT_EQ(*code, 1u);
  std::vector<TCaptureRecord> c = s.Captures();
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].className, "EStackOverflow");
  EXPECT_TRUE(c[0].mainThread) << "reported as the overflowing thread's, not the watcher's";
  EXPECT_EQ(c[0].snapshotSize, 102400u) << "only the innermost 100 KB";
  ExpectAtMarker(c[0], "crashdemo-recurse");
  EXPECT_FALSE(WinedbgRunning());
}

TEST(CrashScenarios, HangKeepsTheWindowBusyForItsSeconds) {
  TScenario s("hang 3");
  ASSERT_TRUE(s.Started());
  // Found without asking the window anything: a hung window would not answer.
  HWND form = nullptr;
  nvdrv::WaitUntil([&] {
    std::vector<HWND> w = nvdrv::TopWindows(s.Pid(), "TCrashForm");
    form = w.empty() ? nullptr : w[0];
    return form != nullptr;
  });
  ASSERT_TRUE(form);
  auto busy = [&] {
    DWORD_PTR r = 0;
    return SendMessageTimeoutA(form, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &r) == 0;
  };
  EXPECT_TRUE(nvdrv::WaitUntil(busy, 5s)) << "never stopped answering";
  EXPECT_TRUE(nvdrv::WaitUntil([&] { return Answers(form); }, 10s));
  PostMessageA(form, WM_CLOSE, 0, 0);
  std::optional<DWORD> code = s.WaitExit(15s);
  ASSERT_TRUE(code.has_value());
  EXPECT_EQ(*code, 0u);
  EXPECT_TRUE(s.Captures().empty());
}

// ---- the report pipeline ------------------------------------------------------------------

long Field(const std::map<std::string, std::string>& line, const std::string& key) {
  auto it = line.find(key);
  return it == line.end() ? -999 : std::stol(it->second);
}

TEST(ReportPipeline, TwoSimultaneousThreadFaultsAreReportedOneAfterTheOther) {
  TScenario s("two-threads");
  ASSERT_TRUE(s.Started());
  std::optional<DWORD> code = s.WaitExit(30s);
  ASSERT_TRUE(code.has_value()) << "crashdemo did not end";
  EXPECT_EQ(*code, 0u);
  auto reports = s.Lines("report");
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_NE(reports[0]["thread"], reports[1]["thread"]) << "each report on a worker of its own";
  // The second report starts after the first one ended: the reporter lock keeps them apart.
  EXPECT_GE(Field(reports[1], "start_ms"), Field(reports[0], "end_ms"));
  EXPECT_EQ(s.LogReports().size(), 2u);
  EXPECT_EQ(s.Captures().size(), 2u);
}

TEST(ReportPipeline, AbortIsNeverReported) {
  TScenario s("abort-in-click");
  ASSERT_TRUE(s.Started());
  HWND button = CrashButton(s.Pid());
  ASSERT_TRUE(button);
  nvdrv::Click(button);
  ASSERT_TRUE(s.WaitForCaptures(1)) << "it reached the report entry";
  std::this_thread::sleep_for(500ms);
  EXPECT_TRUE(Answers(button));
  EXPECT_TRUE(s.Lines("report").empty());
  EXPECT_FALSE(s.LogExists());
  EXPECT_FALSE(nvdrv::WaitForMessageBox(s.Pid(), 300ms).has_value()) << "nothing shown either";
  CloseAndExpectZero(s, button);
}

TEST(ReportPipeline, FilterWithAMessageShowsOnlyItsBox) {
  TScenario s("throw-in-click", "FiltersEnabled = true\r\n[Filters]\r\nEInvalidOperation = \"Saving is not possible now.\"",
              true);
  ASSERT_TRUE(s.Started());
  HWND button = CrashButton(s.Pid());
  ASSERT_TRUE(button);
  nvdrv::Click(button);
  std::optional<nvdrv::TMessageBox> box = nvdrv::WaitForMessageBox(s.Pid());
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->caption, "Information.");
  EXPECT_EQ(box->text, "Saving is not possible now.");
  EXPECT_TRUE(nvdrv::DismissMessageBox(*box));
  ASSERT_TRUE(s.WaitForReports(1));
  EXPECT_EQ(s.Lines("report")[0]["filtered"], "1");
  EXPECT_FALSE(s.LogExists()) << "a filtered exception leaves no log";
  EXPECT_TRUE(nvdrv::TopWindows(s.Pid(), "#32770").empty()) << "and no error dialog";
  CloseAndExpectZero(s, button);
}

HWND WaitForErrorDialog(DWORD pid, std::chrono::milliseconds limit = 15s) {
  return nvdrv::WaitForWindow(pid, "#32770", "Error.", limit);
}

TEST(ReportPipeline, WhileTheDialogIsUpTheMainWindowAnswersAndRefusesClicks) {
  TScenario s("throw-in-click", "", true);
  ASSERT_TRUE(s.Started());
  HWND button = CrashButton(s.Pid());
  ASSERT_TRUE(button);
  HWND form = GetAncestor(button, GA_ROOT);
  nvdrv::Click(button);
  HWND dialog = WaitForErrorDialog(s.Pid());
  ASSERT_TRUE(dialog) << "no error dialog";
  EXPECT_EQ(nvdrv::Text(GetDlgItem(dialog, QL_ID_KILL)), "&Restart");
  for (int i = 0; i < 5; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    DWORD_PTR r = 0;
    ASSERT_NE(SendMessageTimeoutA(form, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &r), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 100ms) << "WM_NULL answered late";
    std::this_thread::sleep_for(50ms);
  }
  // A click on the program's window while the report runs only beeps.
  nvdrv::Click(button);
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(s.Captures().size(), 1u) << "the click reached the button";
  // The dialog is usable: OK closes it and the program goes on.
  nvdrv::Click(GetDlgItem(dialog, QL_ID_OK));
  ASSERT_TRUE(nvdrv::WaitUntil([&] { return !IsWindow(dialog); }));
  ASSERT_TRUE(s.WaitForReports(1));
  EXPECT_EQ(s.Lines("report")[0]["dialog"], "1");
  EXPECT_EQ(s.LogReports().size(), 1u);
  EXPECT_TRUE(Answers(form));
  CloseAndExpectZero(s, button);
}

// Three reports within a minute end the program (exit code 1) or start it again.
TEST(ReportPipeline, TerminationRuleEndsTheProgramAtTheThirdReport) {
  TScenario s("throw-in-click",
              "HandlingFlags = 0x31\r\nCrashLimitCount = 3\r\nCrashLimitMinutes = 1\r\nCrashLimitAction = 0");
  ASSERT_TRUE(s.Started());
  HWND button = CrashButton(s.Pid());
  ASSERT_TRUE(button);
  for (size_t click = 1; click <= 2; ++click) {
    nvdrv::Click(button);
    ASSERT_TRUE(s.WaitForReportEnd(click));
    EXPECT_FALSE(s.WaitExit(200ms).has_value()) << "ended after report " << click;
  }
  nvdrv::Click(button);
  std::optional<DWORD> code = s.WaitExit(15s);
  ASSERT_TRUE(code.has_value()) << "the third report did not end the program";
  EXPECT_EQ(*code, 1u);
  EXPECT_EQ(s.LogReports().size(), 3u) << "the third report was saved first";
}

std::vector<DWORD> ChildProcesses(DWORD parent) {
  std::vector<DWORD> out;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return out;
  PROCESSENTRY32 e{};
  e.dwSize = sizeof e;
  for (BOOL ok = Process32First(snap, &e); ok; ok = Process32Next(snap, &e))
    if (e.th32ParentProcessID == parent && lstrcmpiA(e.szExeFile, "crashdemo.exe") == 0)
      out.push_back(e.th32ProcessID);
  CloseHandle(snap);
  return out;
}

TEST(ReportPipeline, TerminationRuleWithRestartStartsTheProgramAgain) {
  TScenario s("throw-in-click",
              "HandlingFlags = 0x31\r\nCrashLimitCount = 3\r\nCrashLimitMinutes = 1\r\nCrashLimitAction = 1");
  ASSERT_TRUE(s.Started());
  HWND button = CrashButton(s.Pid());
  ASSERT_TRUE(button);
  for (size_t click = 1; click <= 3; ++click) {
    nvdrv::Click(button);
    if (click < 3) ASSERT_TRUE(s.WaitForReportEnd(click));
  }
  std::vector<DWORD> children;
  // Looked for before the old process is gone, while its id still names it.
  nvdrv::WaitUntil([&] {
    children = ChildProcesses(s.Pid());
    return !children.empty();
  });
  // Whatever the checks say, no new process outlives the test (its window would take the
  // clicks of the tests that follow).
  struct TEndChildren {
    std::vector<DWORD>& ids;
    ~TEndChildren() {
      for (DWORD id : ids) {
        for (HWND w : nvdrv::TopWindows(id, "TCrashForm")) PostMessageA(w, WM_CLOSE, 0, 0);
        HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (!h) continue;
        if (WaitForSingleObject(h, 5000) != WAIT_OBJECT_0) TerminateProcess(h, 99);
        CloseHandle(h);
      }
    }
  } endChildren{children};
  std::optional<DWORD> code = s.WaitExit(15s);
  ASSERT_TRUE(code.has_value());
  EXPECT_EQ(*code, 1u);
  ASSERT_EQ(children.size(), 1u) << "no new process";
  // The new process runs the same scenario: its window appears.
  EXPECT_TRUE(CrashButton(children[0])) << "the new process shows no window";
}

// Pausing threads while a report runs must not stop the report: three workers that allocate
// all the time often hold the heap's lock when they are stopped.
TEST(ReportPipeline, PausedBusyWorkersNeitherBlockTheReportNorStayStopped) {
  TScenario s("busy-workers", "HandlingFlags = 0x3A");
  ASSERT_TRUE(s.Started());
  HWND button = CrashButton(s.Pid());
  ASSERT_TRUE(button);
  HWND form = GetAncestor(button, GA_ROOT);
  std::this_thread::sleep_for(300ms);
  for (int round = 1; round <= 2; ++round) {
    auto t0 = std::chrono::steady_clock::now();
    nvdrv::Click(button);
    ASSERT_TRUE(s.WaitForReportEnd(static_cast<size_t>(round), 5s)) << "report " << round << " did not finish within 5 s";
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 5s);
  }
  auto busy = [&] {
    SendMessageA(form, WM_APP + 3, 0, 0);
    return Field(s.Lines("busy").back(), "count");
  };
  long before = busy();
  std::this_thread::sleep_for(300ms);
  EXPECT_GT(busy(), before) << "the workers stayed stopped";
  EXPECT_EQ(s.LogReports().size(), 2u);
  CloseAndExpectZero(s, button);
}

// What the user adds in the dialogs goes with the report: the steps typed into the request
// dialog into the log, the copy box's report onto the clipboard.
TEST(ReportPipeline, TheRequestTextGoesIntoTheLogAndTheCopyBoxFillsTheClipboard) {
  TScenario s("throw-in-click", "ReportContentFlags = 0x32", true);
  ASSERT_TRUE(s.Started());
  HWND button = CrashButton(s.Pid());
  ASSERT_TRUE(button);
  nvdrv::Click(button);
  HWND dialog = WaitForErrorDialog(s.Pid());
  ASSERT_TRUE(dialog);
  HWND copy = GetDlgItem(dialog, QL_ID_COPY);
  ASSERT_TRUE(IsWindowVisible(copy));
  nvdrv::Click(copy);
  ASSERT_TRUE(nvdrv::WaitUntil([&] { return SendMessageA(copy, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
  nvdrv::Click(GetDlgItem(dialog, QL_ID_OK));
  HWND request = nvdrv::WaitForWindow(s.Pid(), "#32770", "Request");
  ASSERT_TRUE(request) << "no request dialog";
  nvdrv::SetText(GetDlgItem(request, QL_ID_REQUEST_EDIT), "Clicked Crash twice.\r\n");
  nvdrv::Click(GetDlgItem(request, IDCANCEL));
  ASSERT_TRUE(s.WaitForReports(1));
  std::vector<std::string> reports = s.LogReports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("Clicked Crash twice."), std::string::npos) << reports[0];
  std::string clip;
  if (OpenClipboard(nullptr)) {
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
      if (const char* text = static_cast<const char*>(GlobalLock(h))) {
        clip = text;
        GlobalUnlock(h);
      }
    }
    CloseClipboard();
  }
  EXPECT_NE(clip.find("crashdemo: the button's handler failed"), std::string::npos) << clip;
  EXPECT_NE(clip.find("Clicked Crash twice."), std::string::npos) << "the copy is the report as logged";
  CloseAndExpectZero(s, button);
}

// Not a check: the figures of a few reports, printed (run with
// --gtest_also_run_disabled_tests --gtest_filter=*Timings*).
TEST(ReportPipeline, DISABLED_Timings) {
  for (bool dialog : {false, true}) {
    TScenario s("throw-in-click", "", dialog);
    ASSERT_TRUE(s.Started());
    HWND button = CrashButton(s.Pid());
    ASSERT_TRUE(button);
    std::this_thread::sleep_for(dialog ? 0ms : 2500ms);  // with and without the preparation done
    for (size_t n = 1; n <= 5; ++n) {
      nvdrv::Click(button);
      if (dialog) {
        HWND d = WaitForErrorDialog(s.Pid());
        ASSERT_TRUE(d);
        std::this_thread::sleep_for(100ms);
        nvdrv::Click(GetDlgItem(d, QL_ID_OK));
      }
      ASSERT_TRUE(s.WaitForReports(n));
      std::this_thread::sleep_for(300ms);
      auto r = s.Lines("report").back();
      std::printf("dialog=%d report %zu: text %ld ms, visible %ld ms, saved %ld ms\n", dialog, n,
                  Field(r, "text_ms"), Field(r, "visible_ms"), Field(r, "saved_ms"));
    }
    auto heap = s.Lines("heap");
    std::printf("heap at start %ld, after report 1 %ld, after report 5 %ld\n", Field(heap[0], "bytes"),
                Field(heap[1], "bytes"), Field(heap.back(), "bytes"));
    CloseAndExpectZero(s, button);
  }
}

}  // namespace
