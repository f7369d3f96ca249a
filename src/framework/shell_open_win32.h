// ShellExecuteA with shell32 loaded on first use. Importing shell32 makes the loader map it
// and the libraries it pulls in (shlwapi, shcore, the universal runtime) at every start,
// for calls that only run when the user asks to open a page. Header-only, so that any part
// of the program can use it without linking the framework.
#pragma once

// windows.h first: shellapi.h needs its types.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

inline HINSTANCE ShellOpen(HWND owner, const char* verb, const char* file, const char* parameters,
                           const char* directory, int show) {
  using Execute = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
  static const Execute execute = [] {
    HMODULE shell = LoadLibraryA("shell32.dll");  // stays loaded for later calls
    return shell ? reinterpret_cast<Execute>(reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteA")))
                 : nullptr;
  }();
  // ShellExecuteA's own answer for "nothing could be started": a value of 32 or less.
  if (!execute) return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_DLLNOTFOUND));
  return execute(owner, verb, file, parameters, directory, show);
}
