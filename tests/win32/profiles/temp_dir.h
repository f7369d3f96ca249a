// A fresh folder under %TEMP% per test, removed with its files afterwards.
#pragma once

#include <windows.h>

#include <string>

#include "win32/test_files.h"

class TTempDir {
 public:
  TTempDir() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static int counter = 0;
    char name[MAX_PATH];
    wsprintfA(name, "%snv-profiles-%lu-%d", base, GetCurrentProcessId(), ++counter);
    path_ = name;
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TTempDir() {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path_ + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::string f = path_ + "\\" + fd.cFileName;
        SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(f.c_str());
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryA(path_.c_str());
  }
  std::string File(const char* name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};
