#include "netcfg/netsh_win32.h"

#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Owner of a kernel handle whose invalid value is null (processes, threads, pipes).
class TKernelHandle {
 public:
  TKernelHandle() = default;
  explicit TKernelHandle(HANDLE h) : h_(h) {}
  TKernelHandle(const TKernelHandle&) = delete;
  TKernelHandle& operator=(const TKernelHandle&) = delete;
  TKernelHandle(TKernelHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  ~TKernelHandle() { Reset(); }
  HANDLE Get() const { return h_; }
  HANDLE* Receive() {
    Reset();
    return &h_;
  }
  void Reset() {
    if (h_) CloseHandle(h_);
    h_ = nullptr;
  }

 private:
  HANDLE h_ = nullptr;
};

// Owner of a file handle whose invalid value is INVALID_HANDLE_VALUE.
class TFileHandle {
 public:
  explicit TFileHandle(HANDLE h) : h_(h) {}
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  ~TFileHandle() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  HANDLE Get() const { return h_; }

 private:
  HANDLE h_;
};

std::string SystemMessage(DWORD code) {
  char* text = nullptr;
  DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string s = n && text ? std::string(text, n) : std::string();
  if (text) LocalFree(text);
  char num[32];
  wsprintfA(num, "(%lu)", code);
  return s.empty() ? std::string("系统错误 ") + num : s + " " + num;
}

// Console programs write in the OEM code page when their output is a pipe; the window shows
// ANSI text. The two are the same on Chinese systems, not on others.
std::string OemToAnsi(const std::string& oem) {
  if (oem.empty() || GetOEMCP() == GetACP()) return oem;
  int wn = MultiByteToWideChar(CP_OEMCP, 0, oem.data(), static_cast<int>(oem.size()), nullptr, 0);
  if (wn <= 0) return oem;
  std::wstring wide(wn, L'\0');
  MultiByteToWideChar(CP_OEMCP, 0, oem.data(), static_cast<int>(oem.size()), wide.data(), wn);
  int an = WideCharToMultiByte(CP_ACP, 0, wide.data(), wn, nullptr, 0, nullptr, nullptr);
  if (an <= 0) return oem;
  std::string ansi(an, '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), wn, ansi.data(), an, nullptr, nullptr);
  return ansi;
}

// Reads what is waiting in the pipe without blocking; keeps at most kMaxOutput bytes.
constexpr std::size_t kMaxOutput = 64 * 1024;
void DrainPipe(HANDLE pipe, std::string& out) {
  for (;;) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) || available == 0) return;
    char buf[4096];
    DWORD got = 0;
    if (!ReadFile(pipe, buf, std::min<DWORD>(available, sizeof buf), &got, nullptr) || got == 0) return;
    if (out.size() < kMaxOutput) out.append(buf, std::min<std::size_t>(got, kMaxOutput - out.size()));
  }
}

}  // namespace

std::string NetshPath() {
  char dir[MAX_PATH + 1];
  UINT n = GetSystemDirectoryA(dir, sizeof dir);
  std::string path = n > 0 && n < sizeof dir ? std::string(dir, n) : std::string("C:\\Windows\\System32");
  if (path.back() != '\\') path += '\\';
  return path + "netsh.exe";
}

TNetStepResult RunNetsh(TNetStep step, const std::string& arguments) {
  TNetStepResult r;
  r.step = step;
  r.command = arguments;
  const std::string exe = NetshPath();

  // One pipe takes both stdout and stderr, so their lines keep their order. Only its write
  // end is inheritable; our read end stays ours.
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  TKernelHandle readEnd, writeEnd;
  if (!CreatePipe(readEnd.Receive(), writeEnd.Receive(), &inherit, 0) ||
      !SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0)) {
    r.startError = SystemMessage(GetLastError());
    return r;
  }
  TFileHandle nul(CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                              OPEN_EXISTING, 0, nullptr));

  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  si.wShowWindow = SW_HIDE;
  si.hStdInput = nul.Get();
  si.hStdOutput = writeEnd.Get();
  si.hStdError = writeEnd.Get();

  std::string cmdLine = "\"" + exe + "\" " + arguments;
  std::vector<char> cmdBuf(cmdLine.begin(), cmdLine.end());
  cmdBuf.push_back('\0');
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(exe.c_str(), cmdBuf.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &si, &pi)) {
    r.startError = exe + "\r\n" + SystemMessage(GetLastError());
    return r;
  }
  TKernelHandle process(pi.hProcess), thread(pi.hThread);
  r.started = true;
  // Our copy of the write end must go, or the pipe never reports its end.
  writeEnd.Reset();

  // Read while waiting, so that netsh never blocks on a full pipe. The pipe is polled rather
  // than read to its end: a process netsh starts could keep the write end open after netsh
  // has ended.
  std::string raw;
  while (WaitForSingleObject(process.Get(), 10) == WAIT_TIMEOUT) DrainPipe(readEnd.Get(), raw);
  DrainPipe(readEnd.Get(), raw);

  DWORD code = 0;
  if (!GetExitCodeProcess(process.Get(), &code)) code = static_cast<DWORD>(-1);
  r.exitCode = code;
  r.output = OemToAnsi(raw);
  return r;
}

TNetResult ApplyProfile(HWND__* /*owner*/, const TIpProfile& profile) {
  TNetResult result;
  result.steps.push_back(RunNetsh(TNetStep::nsAddress, BuildAddressCommand(profile)));
  if (!result.steps.back().Succeeded()) return result;
  result.steps.push_back(RunNetsh(TNetStep::nsDns, BuildDnsCommand(profile)));
  return result;
}

TNetResult SwitchToDhcp(HWND__* /*owner*/) {
  TNetResult result;
  TNetStepResult step = RunNetsh(TNetStep::nsDhcp, DhcpCommand());
  if (step.started && step.exitCode != 0 && IsDhcpEnabled(DhcpConnection()) == true)
    step.alreadyInPlace = true;
  result.steps.push_back(std::move(step));
  return result;
}
