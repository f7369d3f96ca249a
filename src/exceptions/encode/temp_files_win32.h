// The folder that holds one report's temporary attachments (Windows).
//
// Each report gets a new folder of its own below the system's temporary folder, so that two
// copies of the program, or a background send and a new report, never overwrite each other's
// "Screenshot.png" or "CompressFiles.tgz". The files inside keep their usual names, so the
// recipient sees the same attachment names as always.
#pragma once

#include <string>
#include <string_view>

class TReportTempFolder {
 public:
  // Creates the folder ("<temp>\QuillonLog-<process id>-<n>\"); raises EOSError when the
  // temporary folder cannot take a new folder.
  TReportTempFolder();
  // Removes the folder with everything in it, unless Keep was called. Never throws.
  ~TReportTempFolder();
  TReportTempFolder(const TReportTempFolder&) = delete;
  TReportTempFolder& operator=(const TReportTempFolder&) = delete;

  // The folder, ending with "\".
  const std::string& Path() const { return path_; }
  // The full name of a file in the folder.
  std::string FileName(std::string_view name) const;
  // Leaves the folder and its files on disk (copies kept after a failed send).
  void Keep() { keep_ = true; }
  // Deletes the files and the folder now; returns false when something could not be deleted.
  bool Remove();

 private:
  std::string path_;
  bool keep_ = false;
  bool removed_ = false;
};

// The system's temporary folder (GetTempPathA), ending with "\".
std::string SystemTempFolder();
