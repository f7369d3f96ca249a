// The profile store: ip.ini beside the executable, one section per profile.
//
// Every operation works the file's path out afresh and touches the file only through the
// system's private-profile functions for its own duration; nothing is cached here. Reads never
// fail (a missing or unreadable file reads as empty). A failed write raises EIniFileException
// "Unable to write to <full path>"; keys written before the failure stay written.
// Windows only (the header itself is portable).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "profiles/profile.h"

class TProfileStore {
 public:
  // One private-profile write (section, key, value, file): null key deletes the section.
  // Returns false on failure. Tests put a failing writer in to stop an operation midway.
  using TWriter =
      std::function<bool(const char* section, const char* key, const char* value, const char* file)>;

  // The store of the running program: ip.ini in the directory of its executable.
  TProfileStore();
  // A store on a given file (full path); used by tests.
  explicit TProfileStore(std::string path, TWriter writer = nullptr);

  // Full path of the file as of now.
  std::string Path() const;

  // Section names in file order; only what fits into 16,384 bytes.
  std::vector<std::string> List() const;
  // The five values of a profile, each cut to 2,047 bytes; missing ones get their defaults.
  TIpProfile Load(const std::string& name) const;
  // Writes LJM, IP, ZWYM, MRWG, DNS in this order (created or overwritten), then flushes.
  void Save(const std::string& name, const TIpProfile& profile) const;
  // Removes the whole section, then flushes. A name the file lacks is not an error.
  void Delete(const std::string& name) const;

  static constexpr std::size_t kListBufferSize = 16384;
  static constexpr std::size_t kValueBufferSize = 2048;

 private:
  void Write(const std::string& path, const char* section, const char* key, const char* value) const;
  void Flush(const std::string& path) const;

  std::string path_;  // empty: beside the executable
  TWriter writer_;
};

// Directory of the running executable (with its trailing separator) + "ip.ini".
std::string DefaultProfilePath();
// The directory part of a full file name in the ANSI code page, up to and including the last
// separator ('\\', '/' or ':'); empty when there is none.
std::string DirectoryOf(const std::string& fileName);
