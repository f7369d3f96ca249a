// The log file name rule with the machine's own answers (Windows).
#pragma once

#include <string>

#include "exceptions/options/log_file_name.h"

class TQuillonModuleOptions;

// Creates or opens files and folders with the system's calls.
class TWin32LogFolderAccess : public TLogFolderAccess {
 public:
  bool CanWriteFile(const std::string& fileName) override;
  bool ForceFolders(const std::string& folder) override;
};

// The inputs for a module's options: OwnerModule (or this process's executable when empty),
// LogLocation, the computer-name option, the computer name and %UserProfile%.
TLogNameInputs LogNameInputsFor(const TQuillonModuleOptions& options);
// The log file of a module, or "" when it cannot be written anywhere.
std::string QuillonLogFileNameFor(const TQuillonModuleOptions& options);
