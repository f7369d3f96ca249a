// The process's main window and the report's copy on the clipboard.
#pragma once

#include <windows.h>

#include <string>

// Whether `w` is a main window of its process: visible, not owned by any window but the
// desktop, and not a tool window unless it also has the application-window style. An owner
// that is a tool window or that is hidden is looked through to its own owner: the
// framework's forms are owned by the hidden application window, which no user ever sees.
bool IsMainWindow(HWND w);
// The first top-level window of this process that is a main window; null when none is.
HWND ProcessMainWindow();

// Empties the clipboard and puts `text` on it as plain text in the ANSI code page (with the
// user's locale, so that programs reading Unicode text convert it as GBK). The clipboard is
// opened for the process's main window, or for the thread when there is none; a clipboard
// held by another program is retried for a moment. False when it stayed unavailable.
bool CopyTextToClipboard(const std::string& text);
