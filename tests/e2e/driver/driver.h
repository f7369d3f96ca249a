// A small driver for end-to-end tests: starts a program, finds its windows and works them
// through window messages as a user's clicks and keys would.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace nvdrv {

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;

// A path of the Linux side as Windows programs under Wine see it (drive Z:).
std::string WinPath(const std::string& unixPath);
// NV_BINARY_DIR (the build tree) as a Windows path, with a trailing backslash.
std::string BuildDir();

// Polls `ready` every few milliseconds until it holds or `timeout` passes.
bool WaitUntil(const std::function<bool()>& ready, Ms timeout = 10s);

// A started process, terminated when the owner goes if it still runs.
class TProcess {
 public:
  TProcess() = default;
  TProcess(const TProcess&) = delete;
  TProcess& operator=(const TProcess&) = delete;
  ~TProcess();
  // Starts `exe` with the current environment in folder `cwd`; false with the error in log.
  bool Start(const std::string& exe, const std::string& cwd, std::string* error = nullptr);
  DWORD Id() const { return pi_.dwProcessId; }
  bool Running() const;
  // Exit code once ended within `timeout`.
  std::optional<DWORD> WaitExit(Ms timeout);
  void Kill();

 private:
  PROCESS_INFORMATION pi_{};
};

// Top-level windows of a process, visible ones only, of a class (empty: any).
std::vector<HWND> TopWindows(DWORD pid, const std::string& cls = "");
// Waits for a visible top-level window of the process with this class and caption (an empty
// caption matches any).
HWND WaitForWindow(DWORD pid, const std::string& cls, const std::string& caption, Ms timeout = 15s);

std::string ClassOf(HWND w);
// The window's text through WM_GETTEXT (works across processes, also for edits).
std::string Text(HWND w);
void SetText(HWND w, const std::string& text);

// All descendants of a class (empty: any), in Z order of each level, depth first.
std::vector<HWND> Descendants(HWND parent, const std::string& cls = "");
// The first descendant of this class whose text equals `text`; null when none.
HWND FindChild(HWND parent, const std::string& cls, const std::string& text);
// Descendants of a class sorted top to bottom, then left to right, by screen position.
std::vector<HWND> ByPosition(HWND parent, const std::string& cls);

// Presses a button the way a click does; returns at once (the handler may open a modal box).
void Click(HWND button);

// List box lines and selection.
std::vector<std::string> ListLines(HWND list);
int ListSelection(HWND list);
// Selects a line with a mouse click on it (the list then notifies its parent as on a user's
// click); false when the line is not visible or out of range.
bool ClickListLine(HWND list, int index);

// A message box of the process: the framework's ("TMessageForm") or the system's ("#32770").
struct TMessageBox {
  HWND window = nullptr;
  std::string cls;
  std::string caption;
  std::string text;  // the message (the longest static/label text)
  std::vector<std::string> buttons;
};
std::optional<TMessageBox> WaitForMessageBox(DWORD pid, Ms timeout = 15s);
// Presses the box's OK button ("OK" / "确定") and waits until the box is gone.
bool DismissMessageBox(const TMessageBox& box, Ms timeout = 10s);

}  // namespace nvdrv
