#include "exceptions/report/log_storage_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "exceptions/encode/crc32.h"
#include "framework/handle_owners_win32.h"

namespace {
class HeldMutex {  // a mutex this thread owns, released once
 public:
  HeldMutex() = default;
  HeldMutex(const HeldMutex&) = delete;
  HeldMutex& operator=(const HeldMutex&) = delete;
  ~HeldMutex() {
    if (m_) ReleaseMutex(m_);
  }
  void Hold(HANDLE m) { m_ = m; }

 private:
  HANDLE m_ = nullptr;
};

std::string systemMessage(DWORD code) {
  char* text = nullptr;
  DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string s = n && text ? std::string(text, n) : "system error " + std::to_string(code);
  if (text) LocalFree(text);
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

std::string failure(const char* what, const std::string& file, DWORD code) {
  return std::string(what) + " \"" + file + "\": " + systemMessage(code);
}

std::string fullPath(const std::string& name) {
  char buf[MAX_PATH * 2];
  DWORD n = GetFullPathNameA(name.c_str(), sizeof buf, buf, nullptr);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : name;
}

std::string folderOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// One name per log for every copy of the program: the upper-cased full path's checksum
// (a mutex name cannot hold "\").
std::string mutexName(const std::string& fileName) {
  std::string path = fullPath(fileName);
  CharUpperBuffA(path.data(), static_cast<DWORD>(path.size()));
  char buf[64];
  std::snprintf(buf, sizeof buf, "QuillonLogFile-%08X-%u",
                static_cast<unsigned>(Crc32(path.data(), path.size())), static_cast<unsigned>(path.size()));
  return buf;
}

bool readAll(HANDLE h, const std::string& name, std::string& content, std::string& error) {
  content.clear();
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(h, &size)) {
    error = failure("Cannot read the log file", name, GetLastError());
    return false;
  }
  if (size.QuadPart > static_cast<LONGLONG>(kMaxLogFileSize)) {
    error = "The log file \"" + name + "\" is too large to be a log.";
    return false;
  }
  content.resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < content.size()) {
    DWORD got = 0;
    if (!ReadFile(h, content.data() + done, static_cast<DWORD>(content.size() - done), &got, nullptr)) {
      error = failure("Cannot read the log file", name, GetLastError());
      return false;
    }
    if (got == 0) break;
    done += got;
  }
  content.resize(done);
  return true;
}

// Opens the log for reading with the given sharing, waiting while another program holds it
// in a way that shuts us out. exists is false for a missing file.
bool openLog(const std::string& name, DWORD share, unsigned waitMs, TFileHandle& out, bool& exists,
             std::string& error) {
  DWORD start = GetTickCount();
  for (;;) {
    HANDLE h = CreateFileA(name.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      out = TFileHandle(h);
      exists = true;
      return true;
    }
    DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
      exists = false;
      return true;
    }
    if (code != ERROR_SHARING_VIOLATION || GetTickCount() - start >= waitMs) {
      error = failure("Cannot open the log file", name, code);
      return false;
    }
    Sleep(20);
  }
}
}  // namespace

struct TWin32LogStorage::Transaction {
  Transaction(std::string f, HANDLE m) : fileName(std::move(f)), mutex(m) {}
  std::string fileName;
  TKernelHandle mutex;
  HeldMutex held;
  TFileHandle log;  // declared last: closed first
};

TWin32LogStorage::TWin32LogStorage() = default;
TWin32LogStorage::~TWin32LogStorage() { Close(); }

bool TWin32LogStorage::Read(const std::string& fileName, std::string& content, bool& exists,
                            std::string& error) {
  content.clear();
  TFileHandle h;
  if (!openLog(fileName, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, waitMs_, h, exists, error))
    return false;
  return !exists || readAll(h.Get(), fileName, content, error);
}

bool TWin32LogStorage::Open(const std::string& fileName, std::string& content, bool& exists,
                            std::string& error) {
  Close();
  auto tx =
      std::make_unique<Transaction>(fileName, CreateMutexA(nullptr, FALSE, mutexName(fileName).c_str()));
  if (!tx->mutex.Get()) {
    error = failure("Cannot guard the log file", fileName, GetLastError());
    return false;
  }
  DWORD wait = WaitForSingleObject(tx->mutex.Get(), waitMs_);
  if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {  // abandoned: a copy died mid-save; the log is whole
    error = "The log file \"" + fileName + "\" is being saved by another copy of the program.";
    return false;
  }
  tx->held.Hold(tx->mutex.Get());
  // Others may read the log while this save runs, but not write it.
  if (!openLog(fileName, FILE_SHARE_READ, waitMs_, tx->log, exists, error)) return false;
  content.clear();
  if (exists && !readAll(tx->log.Get(), fileName, content, error)) return false;
  tx_ = std::move(tx);
  return true;
}

bool TWin32LogStorage::WriteBlock(void* file, const char* data, unsigned size) {
  DWORD written = 0;
  return WriteFile(static_cast<HANDLE>(file), data, size, &written, nullptr) && written == size;
}

bool TWin32LogStorage::Replace(std::string_view content, std::string& error) {
  if (!tx_) {
    error = "The log file is not open.";
    return false;
  }
  const std::string& name = tx_->fileName;
  char temp[MAX_PATH + 16];
  if (!GetTempFileNameA(folderOf(fullPath(name)).c_str(), "qlf", 0, temp)) {
    error = failure("Cannot create a new log file beside", name, GetLastError());
    return false;
  }
  TFileHandle f(CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  bool ok = static_cast<bool>(f);
  DWORD code = ok ? 0 : GetLastError();
  for (size_t at = 0; ok && at < content.size(); at += 65536) {
    unsigned n = static_cast<unsigned>(std::min<size_t>(65536, content.size() - at));
    if (!WriteBlock(f.Get(), content.data() + at, n)) {
      code = GetLastError();
      ok = false;
    }
  }
  if (ok && !FlushFileBuffers(f.Get())) {
    code = GetLastError();
    ok = false;
  }
  // A close that fails may have lost buffered data: it counts as a failed write.
  if (f && !CloseHandle(f.Release()) && ok) {
    code = GetLastError();
    ok = false;
  }
  if (!ok) {
    DeleteFileA(temp);
    error = failure("Cannot write the new log file", temp, code ? code : ERROR_WRITE_FAULT);
    return false;
  }
  // A file cannot be moved over while it is open: the mutex keeps our copies out meanwhile.
  tx_->log.Reset();
  if (!MoveFileExA(temp, name.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    code = GetLastError();
    DeleteFileA(temp);
    error = failure("Cannot put the new log in place of", name, code);
    return false;
  }
  return true;
}

bool TWin32LogStorage::Remove(std::string& error) {
  if (!tx_) {
    error = "The log file is not open.";
    return false;
  }
  tx_->log.Reset();
  if (!DeleteFileA(tx_->fileName.c_str())) {
    DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND) return true;
    error = failure("Cannot delete the log file", tx_->fileName, code);
    return false;
  }
  return true;
}

void TWin32LogStorage::Close() { tx_.reset(); }
