// Where a module's log file goes: beside the module, in the configured folder or file, or,
// when none of those can be written, below the user's profile folder.
#pragma once

#include <string>
#include <string_view>

// What the rule needs to know about the machine (the Windows side fills it in).
struct TLogNameInputs {
  std::string modulePath;    // full name of the module, e.g. "C:\Tools\netvosk.exe"
  std::string logLocation;   // the LogLocation option
  bool computerNameInName = false;
  std::string computerName;  // as the system reports it
  std::string userProfile;   // the "UserProfile" environment value
};

// File-system questions the rule asks.
class TLogFolderAccess {
 public:
  virtual ~TLogFolderAccess() = default;
  // Whether the file can be created or opened for writing (must not leave a new file behind).
  virtual bool CanWriteFile(const std::string& fileName) = 0;
  // Creates the folder and every missing parent; false when that fails.
  virtual bool ForceFolders(const std::string& folder) = 0;
};

// "_" and the cleaned computer name are what the option inserts before the extension; the
// name is cut to the 15 characters the system allows and every character that a file name
// cannot hold (control characters, \ / : * ? " < > | &) becomes "_".
std::string CleanComputerName(std::string_view name);
// The log file where the options put it.
std::string PreferredLogFileName(const TLogNameInputs& in);
// The fallback: <profile>\QuillonLog\<program name without extension>\<log file name>.
std::string ProfileLogFileName(const TLogNameInputs& in);
// The preferred name when it can be written, else the fallback (its folders created);
// "" when neither can be written: the log is then not written.
std::string QuillonLogFileName(const TLogNameInputs& in, TLogFolderAccess& access);
