#include "standin.h"

#include <windows.h>

#include "driver.h"

namespace nvdrv {

bool NetshOverrideSet() {
  char buf[1024];
  DWORD n = GetEnvironmentVariableA("WINEDLLOVERRIDES", buf, sizeof buf);
  if (!n || n >= sizeof buf) return false;
  std::string v(buf, n);
  return v.find("netsh.exe=n") != std::string::npos;
}

bool InstallNetshStandIn(std::string* error) {
  std::string from = BuildDir() + "tools\\netsh-standin\\netsh.exe";
  char sys[MAX_PATH];
  UINT n = GetSystemDirectoryA(sys, MAX_PATH);
  std::string to = std::string(sys, n) + "\\netsh.exe";
  // Another test may be running netsh at this moment; try for a while.
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (CopyFileA(from.c_str(), to.c_str(), FALSE)) return true;
    Sleep(50);
  }
  if (error) *error = "cannot copy " + from + " to " + to + ": " + std::to_string(GetLastError());
  return false;
}

std::vector<std::string> ReadNetshLog(const std::string& logPath) {
  std::vector<std::string> lines;
  HANDLE h = CreateFileA(logPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return lines;
  std::string text(GetFileSize(h, nullptr), '\0');
  DWORD got = 0;
  ReadFile(h, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
  CloseHandle(h);
  text.resize(got);
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

}  // namespace nvdrv
