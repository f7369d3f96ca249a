#include "exceptions/capture/exception_log_win32.h"

#include <unwind.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "exceptions/capture/app_hooks_win32.h"
#include "exceptions/capture/exception_object.h"
#include "exceptions/capture/fault_conversion_win32.h"
#include "exceptions/capture/hook_win32.h"
#include "exceptions/capture/internal_report.h"
#include "exceptions/capture/locks_win32.h"
#include "exceptions/capture/memory_win32.h"
#include "exceptions/capture/raise_path_win32.h"
#include "exceptions/capture/reporter_win32.h"
#include "exceptions/capture/thread_block_win32.h"
#include "exceptions/capture/thread_list_win32.h"
#include "exceptions/capture/thread_tracking_win32.h"
#include "exceptions/capture/uncaught_win32.h"
#include "exceptions/capture/unit_sections.h"
#include "exceptions/options/module_options.h"
#include "exceptions/options/module_options_win32.h"
#include "exceptions/stack/debug_format.h"

TReporterState& Reporter() {
  static TReporterState& state = *new TReporterState;  // read by threads that end after exit
  return state;
}

bool ReporterActive() { return Reporter().active; }

TCriticalSection& ReporterLock() {
  static TCriticalSection& lock = *new TCriticalSection;
  return lock;
}
TCriticalSection& SnapshotLock() {
  static TCriticalSection& lock = *new TCriticalSection;
  return lock;
}
TCriticalSection& EventLock() {
  static TCriticalSection& lock = *new TCriticalSection;
  return lock;
}

TQuillonThreadsList* ReporterThreads() { return Reporter().active ? Reporter().threads : nullptr; }

void* ModuleOfAddress(const void* address) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<LPCSTR>(address), &module))
    return nullptr;
  return module;
}

void SetReporterStartingUp(bool on) { Reporter().startingUp = on; }
void SetReporterShuttingDown(bool on) { Reporter().shuttingDown = on; }
bool ReporterStartingUp() { return Reporter().startingUp; }
bool ReporterShuttingDown() { return Reporter().shuttingDown; }

namespace {

TUnitSection gCoreUnit, gHookUnit, gSocketsUnit, gLogUnit;
uint8_t gCharset = DEFAULT_CHARSET;
HMODULE gWinsock;

std::string ExecutablePath() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  return path;
}

// ---- the internal-error handler ----------------------------------------------------------

_Unwind_Reason_Code CollectFrame(_Unwind_Context* context, void* data) {
  auto* frames = static_cast<std::vector<uintptr_t>*>(data);
  if (frames->size() >= 32) return _URC_END_OF_STACK;
  frames->push_back(_Unwind_GetIP(context));
  return _URC_NO_REASON;
}

std::string OsText() {
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&v)) return "";
#pragma GCC diagnostic pop
  return Format("Windows %lu.%lu build %lu %s", v.dwMajorVersion, v.dwMinorVersion, v.dwBuildNumber,
                v.szCSDVersion);
}

// A failure of the reporter itself. Only a developer with a debugger attached gets to see
// it (this program never runs inside a development environment); everyone else's program
// simply goes on. The offer to mail the internal report is left out: there is no address
// to send it to.
void OnInternalError(const TInternalError& e) {
  if (e.exceptionClass == "EAbort" || e.exceptionClass == "EQuillonSocketError") return;
  if (!IsDebuggerPresent()) return;
  OutputDebugStringA(InternalErrorDebugLine(e.section, e.address, e.message).c_str());
  TInternalReportFacts f;
  f.os = OsText();
  SYSTEMTIME now;
  GetLocalTime(&now);
  f.date = Format("%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                  now.wSecond);
  if (IsReadableMemory(reinterpret_cast<const void*>(e.address), 32)) {
    auto* p = reinterpret_cast<const uint8_t*>(e.address);
    f.dump.assign(p, p + 32);
  }
  f.section = e.section;
  if (CaptureState* s = CurrentCaptureState()) {
    TExceptionObject last{s->Last.object, s->Last.type};
    if (last) f.lastException = ExceptionClassName(last);
  }
  f.address = e.address;
  f.exceptionClass = e.exceptionClass;
  f.message = e.message;
  _Unwind_Backtrace(&CollectFrame, &f.callStack);
  std::string text = InternalReportText(f);
  std::string path = ExecutablePath();
  size_t dot = path.find_last_of('.');
  if (dot != std::string::npos && path.find_last_of('\\') < dot) path.resize(dot);
  path += ".log";
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

// ---- the units ---------------------------------------------------------------------------

void CoreInit() {
  char buffer[6] = "";
  UINT codePage = 0;
  if (GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, buffer, sizeof buffer))
    codePage = static_cast<UINT>(std::atoi(buffer));
  CHARSETINFO info{};
  if (codePage && TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<uintptr_t>(codePage)), &info,
                                       TCI_SRCCODEPAGE))
    gCharset = static_cast<uint8_t>(info.ciCharset);
  else if (TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<uintptr_t>(GetACP())), &info,
                                TCI_SRCCODEPAGE))
    gCharset = static_cast<uint8_t>(info.ciCharset);
}

void CoreDone() {}
void HookInit() { CreateHookLists(); }
void HookDone() { FreeHookLists(); }

// Windows Sockets 1.1 for the SMTP and DNS senders. Loading it costs about 4 ms of start-up
// under Wine, for something only a report that is sent needs: the socket unit's
// initialisation leaves it to the first sender (StartReporterSockets), its finalisation
// cleans up when it was started. Loaded rather than imported, so that the executable's
// import table keeps to the DLLs every program loads anyway.
void SocketsInit() {}

void SocketsDone() {
  if (!gWinsock) return;
  auto cleanup =
      reinterpret_cast<int(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(gWinsock, "WSACleanup")));
  if (cleanup) cleanup();
}

// What ExceptionLog.Init leaves out, for a program that is one executable outside any
// development environment, with no web framework and no run-time packages:
// - step 2: never a design-time guest, never in forwarding mode (there is no other module
//   with a reporter to forward to);
// - step 5: no runtime debug-hook flag to set: a C++ exception that nothing catches reaches
//   the terminate handler in console and GUI programs alike;
// - step 6: no table of unit procedures to patch: the program's entry and exit set the
//   starting-up and shutting-down flags (TQuillonProgramScope);
// - step 7: the module list and the debug information belong to the stack walker, which
//   opens them on first use;
// - step 13: the freeze watchdog starts itself with its own part;
// - step 14: nothing (no development environment, not a library).
void LogInit() {
  TReporterState& r = Reporter();
  // 1.
  SetInternalErrorHandler(&OnInternalError);
  // 3.
  char dir[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof dir, dir);
  r.startDirectory = dir;
  r.active = true;
  r.startingUp = true;
  r.shuttingDown = false;
  r.errorCount = 0;
  std::memset(r.sharedScratch, 0, sizeof r.sharedScratch);
  ReporterLock();
  SnapshotLock();
  EventLock();
  CurrentThreadBlock();  // the main thread's state and 100 KB snapshot buffer
  // 4.
  LocateRuntimeRoutines();
  // 6.
  if (!ModuleHasReporterData()) {
    r.active = false;
    return;
  }
  // 7.
  r.options = new TQuillonModuleOptions(ExecutablePath(), true);
  LoadQuillonOptionsFromModule(nullptr, *r.options);
  // 8.
  r.customData.clear();
  r.attachedFiles.clear();
  r.webFields.clear();
  r.extraObjects.clear();
  // 9.
  r.startTime = std::time(nullptr);
  // 10.
  HANDLE main = nullptr;
  DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &main, kThreadHandleAccess,
                  FALSE, 0);
  r.mainThreadHandle = main;
  SetMainThreadId(GetCurrentThreadId());
  r.threads = new TQuillonThreadsList;
  AddMainThreadRecord(main);
  // 12.
  InstallUncaughtHandlers();
  InstallFaultConversion();
  SetThrowCaptureInstalled(true);
  InstallThreadHooks();
  InstallApplicationHooks();
  r.captureInstalled = true;
}

// Import-table and code-splice hooks stay: code may still run through them.
void LogDone() {
  TReporterState& r = Reporter();
  if (!r.active) return;
  { TCriticalSectionGuard wait(ReporterLock()); }  // lets a running report finish
  RemoveUncaughtHandlers();
  RestoreThreadExceptionHandler();
  RemoveFaultConversion();
  SetThrowCaptureInstalled(false);
  r.captureInstalled = false;
  r.customData.clear();
  r.attachedFiles.clear();
  r.webFields.clear();
  r.extraObjects.clear();
  r.active = false;
  if (r.mainThreadHandle) CloseHandle(r.mainThreadHandle);
  r.mainThreadHandle = nullptr;
  // The list itself stays: a thread that ends now may still be looking at it. Its records go.
  if (r.threads)
    for (const ThreadRecord& t : r.threads->Records()) r.threads->Remove(t.ThreadId);
  delete r.options;
  r.options = nullptr;
}

}  // namespace

uint8_t ReporterCharset() { return gCharset; }

bool StartReporterSockets() {
  static bool started = [] {
    gWinsock = LoadLibraryA("wsock32.dll");
    auto startup = gWinsock ? reinterpret_cast<int(WINAPI*)(WORD, void*)>(
                                  reinterpret_cast<void*>(GetProcAddress(gWinsock, "WSAStartup")))
                            : nullptr;
    static uint8_t data[400];  // WSADATA
    return startup && startup(0x0101, data) == 0;
  }();
  return started;
}

bool ModuleHasReporterData() {
  if (FindResourceA(nullptr, "QLDATA", MAKEINTRESOURCEA(10) /* RT_RCDATA */)) return true;
  // Else the debug-information block the build appends to the file, found by its trailer.
  HANDLE file = CreateFileA(ExecutablePath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool found = false;
  LARGE_INTEGER size, at;
  uint8_t trailer[debuginfo::kTrailerSize];
  DWORD got = 0;
  if (GetFileSizeEx(file, &size) && size.QuadPart > static_cast<LONGLONG>(sizeof trailer)) {
    at.QuadPart = size.QuadPart - static_cast<LONGLONG>(sizeof trailer);
    found = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
            ReadFile(file, trailer, sizeof trailer, &got, nullptr) && got == sizeof trailer &&
            debuginfo::ParseTrailer(trailer, static_cast<uint64_t>(size.QuadPart)).Ok();
  }
  CloseHandle(file);
  return found;
}

void InitReporterUnits() {
  if (gCoreUnit.BeginInit()) SafeExecute(&CoreInit, "QCore.Init");
  if (gHookUnit.BeginInit()) SafeExecute(&HookInit, "QHook.Init");
  if (gSocketsUnit.BeginInit()) SafeExecute(&SocketsInit, "QSockets.Init");
  if (gLogUnit.BeginInit()) SafeExecute(&LogInit, "ExceptionLog.Init");
}

void DoneReporterUnits() {
  if (gLogUnit.BeginDone()) SafeExecute(&LogDone, "ExceptionLog.Done");
  if (gSocketsUnit.BeginDone()) SafeExecute(&SocketsDone, "QSockets.Done");
  if (gHookUnit.BeginDone()) SafeExecute(&HookDone, "QHook.Done");
  if (gCoreUnit.BeginDone()) SafeExecute(&CoreDone, "QCore.Done");
}
