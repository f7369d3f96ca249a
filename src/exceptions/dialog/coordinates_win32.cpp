#include "exceptions/dialog/coordinates_win32.h"

#include <windows.h>

#include <climits>
#include <cstdlib>
#include <vector>

namespace {
// GetPrivateProfileIntA cannot tell a missing key from a stored 0.
constexpr int kMissing = INT_MIN;

int ReadInt(const std::string& file, const std::string& key) {
  char buf[32];
  DWORD n = GetPrivateProfileStringA(kCoordinatesSection, key.c_str(), "", buf, sizeof buf, file.c_str());
  if (n == 0) return kMissing;
  char* end = nullptr;
  long v = std::strtol(buf, &end, 10);
  if (end == buf || v < INT_MIN / 2 || v > INT_MAX / 2) return kMissing;
  return static_cast<int>(v);
}

bool WriteInt(const std::string& file, const std::string& key, int v) {
  return WritePrivateProfileStringA(kCoordinatesSection, key.c_str(), std::to_string(v).c_str(),
                                    file.c_str()) != FALSE;
}
}  // namespace

std::string DefaultCoordinatesFile() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return kCoordinatesFileName;
    if (n < path.size()) return CoordinatesFileBeside(std::string(path.data(), n));
    path.resize(path.size() * 2);
  }
}

TDialogCoordinates LoadDialogCoordinates(const std::string& file) {
  TDialogCoordinates c;
  int left = ReadInt(file, "Left"), top = ReadInt(file, "Top");
  int width = ReadInt(file, "Width"), height = ReadInt(file, "Height");
  if (left != kMissing && top != kMissing && width > 0 && height > 0) {
    c.hasPlace = true;
    c.left = left, c.top = top, c.width = width, c.height = height;
  }
  int state = ReadInt(file, "WindowsState");
  c.state = state == wsMaximized ? wsMaximized : wsNormal;  // a minimised dialog could not be found again
  for (size_t i = 0; i < c.stackColumns.size(); ++i)
    c.stackColumns[i] = UsableColumnWidth(ReadInt(file, "Col" + std::to_string(i)), kDefaultStackColumns[i]);
  for (size_t i = 0; i < c.moduleColumns.size(); ++i)
    c.moduleColumns[i] =
        UsableColumnWidth(ReadInt(file, "ColMod" + std::to_string(i)), kDefaultModuleColumns[i]);
  return c;
}

bool SaveDialogCoordinates(const std::string& file, const TDialogCoordinates& c) {
  bool ok = WriteInt(file, "Width", c.width) && WriteInt(file, "Height", c.height) &&
            WriteInt(file, "Left", c.left) && WriteInt(file, "Top", c.top) &&
            WriteInt(file, "WindowsState", c.state);
  for (size_t i = 0; ok && i < c.stackColumns.size(); ++i)
    ok = WriteInt(file, "Col" + std::to_string(i), c.stackColumns[i]);
  for (size_t i = 0; ok && i < c.moduleColumns.size(); ++i)
    ok = WriteInt(file, "ColMod" + std::to_string(i), c.moduleColumns[i]);
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());  // flush the system's cache
  return ok;
}
