// TLogStorage: where the log file's bytes live, and how one save keeps them whole.
//
// A save is one transaction: Open keeps every other writer out (they may still read) and
// reads the file, Replace writes the new content to a new file in the same folder, flushes it
// and puts it in place of the old one in one step, Close ends the transaction. Whatever fails,
// the old log stays as it was: no reader ever sees half a log, and a crash in the middle
// leaves at most a stray temporary file beside it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Logs larger than this are refused rather than read into memory (a log of 32 reports with
// every section is well below a megabyte).
inline constexpr size_t kMaxLogFileSize = 64u << 20;

class TLogStorage {
 public:
  virtual ~TLogStorage() = default;

  // Reads the whole file without keeping anyone out. A missing file is no error: exists is
  // false and content empty.
  virtual bool Read(const std::string& fileName, std::string& content, bool& exists, std::string& error) = 0;
  // Starts a transaction on the file and reads it (as Read). While it lasts no one else can
  // write the file. False when the file is in use or cannot be read; the transaction then
  // has not started.
  virtual bool Open(const std::string& fileName, std::string& content, bool& exists, std::string& error) = 0;
  // Puts `content` in place of the log opened by Open, atomically.
  virtual bool Replace(std::string_view content, std::string& error) = 0;
  // Deletes the log opened by Open.
  virtual bool Remove(std::string& error) = 0;
  // Ends the transaction; does nothing when none runs.
  virtual void Close() = 0;
};
