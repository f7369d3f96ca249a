#include "exceptions/options/log_file_name_win32.h"

#include <windows.h>

#include "exceptions/options/module_options.h"

namespace {
class FileHandle {  // CreateFile's handle: invalid is INVALID_HANDLE_VALUE
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};
}  // namespace

bool TWin32LogFolderAccess::CanWriteFile(const std::string& fileName) {
  bool created;
  {
    FileHandle f(CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.valid()) return false;
    created = GetLastError() != ERROR_ALREADY_EXISTS;
  }
  if (created) DeleteFileA(fileName.c_str());  // the log itself creates it when it has a report
  return true;
}

bool TWin32LogFolderAccess::ForceFolders(const std::string& folder) {
  std::string path = folder;
  while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  if (path.empty() || (path.size() == 2 && path[1] == ':')) return true;  // a drive's root
  DWORD attr = GetFileAttributesA(path.c_str());
  if (attr != INVALID_FILE_ATTRIBUTES) return (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
  size_t slash = path.find_last_of("\\/");
  if (slash != std::string::npos && !ForceFolders(path.substr(0, slash + 1))) return false;
  return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

TLogNameInputs LogNameInputsFor(const TQuillonModuleOptions& options) {
  TLogNameInputs in;
  in.modulePath = options.OwnerModule();
  if (in.modulePath.empty()) {
    char buf[MAX_PATH + 1];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    if (n > 0 && n < sizeof buf) in.modulePath.assign(buf, n);
  }
  in.logLocation = options.LogLocation();
  in.computerNameInName = (options.ReportContentFlags() & rcComputerNameInLogName) != 0;
  char name[16];  // the 15 characters a computer name has, and its terminator
  DWORD size = sizeof name;
  if (GetComputerNameA(name, &size)) in.computerName.assign(name, size);
  char profile[MAX_PATH + 1];
  DWORD n = GetEnvironmentVariableA("UserProfile", profile, sizeof profile);
  if (n > 0 && n < sizeof profile) in.userProfile.assign(profile, n);
  return in;
}

std::string QuillonLogFileNameFor(const TQuillonModuleOptions& options) {
  TWin32LogFolderAccess access;
  return QuillonLogFileName(LogNameInputsFor(options), access);
}
