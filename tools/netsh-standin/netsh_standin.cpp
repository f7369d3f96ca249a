// Stand-in netsh.exe for the tests.
//
// Appends the command line it was given (everything after the program name, the bytes exactly
// as GetCommandLineA hands them over) as one line to the file named by NV_NETSH_LOG
// (default: netsh-log.txt in the current folder), prints one line in the ANSI code page
// (on stderr as well when failing), and exits with the code in NV_NETSH_EXIT (default 0).
// NV_NETSH_FLOOD=n adds n bytes of output, to check that callers drain a full pipe.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Skips the program name the way the C runtime splits a command line: a quoted first
// token runs to the closing quote, an unquoted one to the first blank or tab.
const char* SkipProgramName(const char* p) {
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

std::string Env(const char* name, const char* fallback) {
  char buf[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return fallback;
  return std::string(buf, n);
}

}  // namespace

int main() {
  const char* args = SkipProgramName(GetCommandLineA());
  std::string log = Env("NV_NETSH_LOG", "netsh-log.txt");
  // Several stand-ins may run one after the other quickly; append with a retry in case
  // the test is reading the log at that moment.
  for (int attempt = 0; attempt < 50; ++attempt) {
    HANDLE f = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
      std::string line = std::string(args) + "\r\n";
      DWORD written = 0;
      WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      CloseHandle(f);
      break;
    }
    Sleep(20);
  }
  int code = std::atoi(Env("NV_NETSH_EXIT", "0").c_str());
  // "确定。" on success, a localised complaint otherwise; tests look for these texts in the
  // program's failure message.
  if (code == 0) {
    std::printf("确定。\n");
  } else {
    std::printf("命令执行失败：%s\n", args);
    std::fprintf(stderr, "替身 netsh 退出代码 %d\n", code);
  }
  long flood = std::atol(Env("NV_NETSH_FLOOD", "0").c_str());
  for (long i = 0; i < flood; i += 64)
    std::fwrite("0123456789abcdef0123456789abcdef0123456789abcdef012345678901234\n", 1, 64, stdout);
  std::fflush(stdout);
  std::fflush(stderr);
  return code;
}
