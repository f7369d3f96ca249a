// The log storage on the host (POSIX files): the tools and the tests use it.
#pragma once

#include "exceptions/report/log_storage.h"

class TPosixLogStorage : public TLogStorage {
 public:
  TPosixLogStorage() = default;
  ~TPosixLogStorage() override;
  TPosixLogStorage(const TPosixLogStorage&) = delete;
  TPosixLogStorage& operator=(const TPosixLogStorage&) = delete;

  bool Read(const std::string& fileName, std::string& content, bool& exists, std::string& error) override;
  // Holds an exclusive advisory lock on the log while the transaction lasts (a log that does
  // not exist yet is not locked: the host tools write logs from one process only).
  bool Open(const std::string& fileName, std::string& content, bool& exists, std::string& error) override;
  bool Replace(std::string_view content, std::string& error) override;
  bool Remove(std::string& error) override;
  void Close() override;

 protected:
  // Writes one block of the new content; a test overrides it to fail part-way.
  virtual bool WriteBlock(int fd, const char* data, size_t size);

 private:
  std::string fileName_;
  int fd_ = -1;  // the log, open for the lock; -1 when the log does not exist yet
  bool open_ = false;
};
