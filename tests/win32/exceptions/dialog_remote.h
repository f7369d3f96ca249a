// Driving the error dialog of another process: the demo program started with arguments, and
// the list-view and tab-control questions whose answers need memory in that process.
#pragma once

// windows.h first: commctrl.h needs its types.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <map>
#include <string>

#include "e2e/driver/driver.h"

namespace dlgtest {

using namespace nvdrv;

// A block of memory in the process that owns window `w`, freed with the owner.
class TRemoteBlock {
 public:
  TRemoteBlock(HWND w, size_t size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~TRemoteBlock() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  TRemoteBlock(const TRemoteBlock&) = delete;
  TRemoteBlock& operator=(const TRemoteBlock&) = delete;
  char* At(size_t offset = 0) const { return static_cast<char*>(address_) + offset; }
  void Write(size_t offset, const void* data, size_t size) const {
    WriteProcessMemory(process_, At(offset), data, size, nullptr);
  }
  void Read(size_t offset, void* data, size_t size) const {
    ReadProcessMemory(process_, At(offset), data, size, nullptr);
  }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};

inline LRESULT Send(HWND w, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
  DWORD_PTR r = 0;
  SendMessageTimeoutA(w, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &r);
  return static_cast<LRESULT>(r);
}

// A window's text without asking its length first: Wine's rich edit answers another process's
// ANSI WM_GETTEXTLENGTH with 0, though WM_GETTEXT hands out the whole text.
inline std::string LongText(HWND w) {
  std::string buf(65536, '\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutA(w, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG, 5000,
                      &got);
  buf.resize(std::min<size_t>(got, buf.size()));
  return buf;
}

inline std::string TabText(HWND tab, int index) {
  TRemoteBlock block(tab, sizeof(TCITEMA) + 256);
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = block.At(sizeof item);
  item.cchTextMax = 255;
  block.Write(0, &item, sizeof item);
  Send(tab, TCM_GETITEMA, index, reinterpret_cast<LPARAM>(block.At()));
  char text[256] = "";
  block.Read(sizeof item, text, 255);
  return text;
}

// A row's rectangle in the list's client coordinates.
inline RECT ListRowRect(HWND list, int row) {
  TRemoteBlock block(list, sizeof(RECT));
  RECT r{LVIR_BOUNDS, 0, 0, 0};
  block.Write(0, &r, sizeof r);
  Send(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(block.At()));
  block.Read(0, &r, sizeof r);
  return r;
}

// The demo program, started with arguments in a folder of its own.
class TDemo {
 public:
  ~TDemo() {
    if (pi_.hProcess) {
      if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
      WaitForSingleObject(pi_.hProcess, 5000);
      CloseHandle(pi_.hThread);
      CloseHandle(pi_.hProcess);
    }
  }
  bool Start(const std::string& args, const std::string& resultFile) {
    std::string exe = BuildDir() + "tools\\dialogdemo\\dialogdemo.exe";
    std::string cmd = "\"" + exe + "\" --result \"" + resultFile + "\" " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    return CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_) !=
           FALSE;
  }
  DWORD Id() const { return pi_.dwProcessId; }
  // Exit code once ended within the time, else -1.
  long WaitExit(Ms timeout) {
    if (WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return static_cast<long>(code);
  }
  HWND WaitDialog(Ms timeout = 20s) { return WaitForWindow(pi_.dwProcessId, "#32770", "Error.", timeout); }

 private:
  PROCESS_INFORMATION pi_{};
};

// key=value lines of the demo's result file.
inline std::map<std::string, std::string> ReadResult(const std::string& file) {
  std::map<std::string, std::string> m;
  HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return m;
  std::string s(GetFileSize(h, nullptr), '\0');
  DWORD n = 0;
  ReadFile(h, s.data(), static_cast<DWORD>(s.size()), &n, nullptr);
  CloseHandle(h);
  size_t pos = 0;
  while (pos < s.size()) {
    size_t end = s.find("\r\n", pos);
    if (end == std::string::npos) end = s.size();
    std::string line = s.substr(pos, end - pos);
    size_t eq = line.find('=');
    if (eq != std::string::npos) m[line.substr(0, eq)] = line.substr(eq + 1);
    pos = end + 2;
  }
  return m;
}

}  // namespace dlgtest
