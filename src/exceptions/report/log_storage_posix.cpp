#include "exceptions/report/log_storage_posix.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace {
std::string systemError(const std::string& what, const std::string& file) {
  return what + " \"" + file + "\": " + std::strerror(errno);
}

bool readAll(int fd, const std::string& name, std::string& content, std::string& error) {
  content.clear();
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = systemError("Cannot read the log file", name);
      return false;
    }
    if (n == 0) return true;
    if (content.size() + static_cast<size_t>(n) > kMaxLogFileSize) {
      error = "The log file \"" + name + "\" is too large to be a log.";
      return false;
    }
    content.append(buf, static_cast<size_t>(n));
  }
}

std::string folderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}
}  // namespace

TPosixLogStorage::~TPosixLogStorage() { Close(); }

bool TPosixLogStorage::Read(const std::string& fileName, std::string& content, bool& exists,
                            std::string& error) {
  content.clear();
  int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    exists = false;
    if (errno == ENOENT) return true;
    error = systemError("Cannot open the log file", fileName);
    return false;
  }
  exists = true;
  bool ok = readAll(fd, fileName, content, error);
  ::close(fd);
  return ok;
}

bool TPosixLogStorage::Open(const std::string& fileName, std::string& content, bool& exists,
                            std::string& error) {
  Close();
  for (;;) {
    int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      if (errno != ENOENT) {
        error = systemError("Cannot open the log file", fileName);
        return false;
      }
      exists = false;
      content.clear();
      break;
    }
    if (::flock(fd, LOCK_EX) != 0) {
      error = systemError("Cannot lock the log file", fileName);
      ::close(fd);
      return false;
    }
    // Another writer may have put a new log in place while this one waited for the lock.
    struct stat held {
    }, now{};
    if (::fstat(fd, &held) == 0 && ::stat(fileName.c_str(), &now) == 0 && held.st_ino == now.st_ino &&
        held.st_dev == now.st_dev) {
      exists = true;
      if (!readAll(fd, fileName, content, error)) {
        ::close(fd);
        return false;
      }
      fd_ = fd;
      break;
    }
    ::close(fd);
  }
  fileName_ = fileName;
  open_ = true;
  return true;
}

bool TPosixLogStorage::WriteBlock(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool TPosixLogStorage::Replace(std::string_view content, std::string& error) {
  if (!open_) {
    error = "The log file is not open.";
    return false;
  }
  std::string temp = fileName_ + ".XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    error = systemError("Cannot create a new log file beside", fileName_);
    return false;
  }
  bool ok = true;
  for (size_t at = 0; ok && at < content.size(); at += 65536)
    ok = WriteBlock(fd, content.data() + at, std::min<size_t>(65536, content.size() - at));
  if (!ok) error = systemError("Cannot write the new log file", temp);
  if (ok && ::fsync(fd) != 0) {
    error = systemError("Cannot flush the new log file", temp);
    ok = false;
  }
  if (ok) ::fchmod(fd, 0644);
  if (::close(fd) != 0 && ok) {
    error = systemError("Cannot close the new log file", temp);
    ok = false;
  }
  if (ok && ::rename(temp.c_str(), fileName_.c_str()) != 0) {
    error = systemError("Cannot put the new log in place of", fileName_);
    ok = false;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  int dir = ::open(folderOf(fileName_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {  // the rename itself reaches the disk
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

bool TPosixLogStorage::Remove(std::string& error) {
  if (!open_) {
    error = "The log file is not open.";
    return false;
  }
  if (::unlink(fileName_.c_str()) != 0 && errno != ENOENT) {
    error = systemError("Cannot delete the log file", fileName_);
    return false;
  }
  return true;
}

void TPosixLogStorage::Close() {
  if (fd_ >= 0) ::close(fd_);  // closing drops the lock
  fd_ = -1;
  open_ = false;
}
