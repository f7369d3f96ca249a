#include "exceptions/encode/temp_files_win32.h"

#include <windows.h>

#include <atomic>

#include "framework/exception.h"

namespace {
class FindHandle {  // FindFirstFile's handle: invalid is INVALID_HANDLE_VALUE, closed with FindClose
 public:
  explicit FindHandle(HANDLE h) : h_(h) {}
  ~FindHandle() {
    if (h_ != INVALID_HANDLE_VALUE) FindClose(h_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

bool removeTree(const std::string& folder) {  // folder ends with "\"
  bool ok = true;
  WIN32_FIND_DATAA fd;
  FindHandle find(FindFirstFileA((folder + "*").c_str(), &fd));
  if (find.get() != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = folder + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        ok = removeTree(full + "\\") && ok;
      } else {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        ok = DeleteFileA(full.c_str()) && ok;
      }
    } while (FindNextFileA(find.get(), &fd));
  }
  return RemoveDirectoryA(folder.c_str()) && ok;
}

std::atomic<unsigned> folderCounter{0};
}  // namespace

std::string SystemTempFolder() {
  char buf[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof buf, buf);
  std::string path = (n > 0 && n < sizeof buf) ? std::string(buf, n) : std::string("C:\\");
  if (path.back() != '\\') path += '\\';
  return path;
}

TReportTempFolder::TReportTempFolder() {
  std::string base = SystemTempFolder();
  DWORD lastError = 0;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::string candidate =
        base + Format("QuillonLog-%08lX-%u", GetCurrentProcessId(), folderCounter.fetch_add(1) + 1) + "\\";
    if (CreateDirectoryA(candidate.c_str(), nullptr)) {
      path_ = candidate;
      return;
    }
    lastError = GetLastError();
    if (lastError != ERROR_ALREADY_EXISTS) break;  // left over by an earlier run with our id
  }
  throw EOSError(Format("Cannot create a temporary folder in \"%s\" (error %lu).", base.c_str(), lastError));
}

std::string TReportTempFolder::FileName(std::string_view name) const {
  std::string full;
  full.reserve(path_.size() + name.size());
  full.append(path_).append(name);
  return full;
}

TReportTempFolder::~TReportTempFolder() {
  if (!keep_) Remove();
}

bool TReportTempFolder::Remove() {
  if (removed_) return true;
  removed_ = removeTree(path_);
  return removed_;
}
