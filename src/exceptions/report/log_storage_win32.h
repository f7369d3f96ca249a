// The log storage on Windows.
//
// A save holds a mutex named after the log (copies of the program queue up behind it) and
// the log itself open without write sharing (no other program writes it meanwhile), writes
// the new log to a temporary file in the same folder, flushes it, and moves it over the old
// log with MoveFileEx (replace, write-through): the old log is whole until the new one is.
#pragma once

#include <memory>

#include "exceptions/report/log_storage.h"

class TWin32LogStorage : public TLogStorage {
 public:
  TWin32LogStorage();
  ~TWin32LogStorage() override;
  TWin32LogStorage(const TWin32LogStorage&) = delete;
  TWin32LogStorage& operator=(const TWin32LogStorage&) = delete;

  bool Read(const std::string& fileName, std::string& content, bool& exists, std::string& error) override;
  bool Open(const std::string& fileName, std::string& content, bool& exists, std::string& error) override;
  bool Replace(std::string_view content, std::string& error) override;
  bool Remove(std::string& error) override;
  void Close() override;

  // How long Open waits for another copy's save or another program's handle (milliseconds).
  void SetWaitLimit(unsigned ms) { waitMs_ = ms; }

 protected:
  // Writes one block of the new content to the temporary file; a test overrides it to fail
  // part-way. `file` is the temporary file's handle.
  virtual bool WriteBlock(void* file, const char* data, unsigned size);

 private:
  struct Transaction;  // the handles of a running transaction
  std::unique_ptr<Transaction> tx_;
  unsigned waitMs_ = 5000;
};
