#include "exceptions/dialog/clipboard_win32.h"

#include <cstring>

namespace {
bool IsToolWindow(HWND w) { return (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0; }

// Owners the user never sees as windows of their own.
bool LookThrough(HWND owner) { return IsToolWindow(owner) || !IsWindowVisible(owner); }

BOOL CALLBACK FindMain(HWND w, LPARAM param) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != GetCurrentProcessId() || !IsMainWindow(w)) return TRUE;
  *reinterpret_cast<HWND*>(param) = w;
  return FALSE;
}

class TOpenClipboard {
 public:
  explicit TOpenClipboard(HWND owner) {
    for (int attempt = 0; attempt < 20 && !open_; ++attempt) {
      open_ = OpenClipboard(owner) != FALSE;
      if (!open_) Sleep(10);
    }
  }
  ~TOpenClipboard() {
    if (open_) CloseClipboard();
  }
  TOpenClipboard(const TOpenClipboard&) = delete;
  TOpenClipboard& operator=(const TOpenClipboard&) = delete;
  bool Open() const { return open_; }

 private:
  bool open_ = false;
};

// A movable shared block; freed unless the clipboard took it.
class TClipboardBlock {
 public:
  TClipboardBlock(const void* data, size_t size) : h_(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size)) {
    if (!h_) return;
    if (void* p = GlobalLock(h_)) {
      std::memcpy(p, data, size);
      GlobalUnlock(h_);
    } else {
      GlobalFree(h_);
      h_ = nullptr;
    }
  }
  ~TClipboardBlock() {
    if (h_) GlobalFree(h_);
  }
  TClipboardBlock(const TClipboardBlock&) = delete;
  TClipboardBlock& operator=(const TClipboardBlock&) = delete;
  // Hands the block to the clipboard, which then owns it.
  bool Put(UINT format) {
    if (!h_ || !SetClipboardData(format, h_)) return false;
    h_ = nullptr;
    return true;
  }

 private:
  HGLOBAL h_;
};
}  // namespace

bool IsMainWindow(HWND w) {
  if (!w || !IsWindowVisible(w)) return false;
  LONG ex = GetWindowLongA(w, GWL_EXSTYLE);
  if ((ex & WS_EX_TOOLWINDOW) && !(ex & WS_EX_APPWINDOW)) return false;
  for (HWND owner = GetWindow(w, GW_OWNER); owner; owner = GetWindow(owner, GW_OWNER))
    if (!LookThrough(owner)) return false;
  return true;
}

HWND ProcessMainWindow() {
  HWND found = nullptr;
  EnumWindows(FindMain, reinterpret_cast<LPARAM>(&found));
  return found;
}

bool CopyTextToClipboard(const std::string& text) {
  TOpenClipboard clipboard(ProcessMainWindow());
  if (!clipboard.Open() || !EmptyClipboard()) return false;
  TClipboardBlock block(text.c_str(), text.size() + 1);
  if (!block.Put(CF_TEXT)) return false;
  LCID locale = GetUserDefaultLCID();
  TClipboardBlock localeBlock(&locale, sizeof locale);
  localeBlock.Put(CF_LOCALE);
  return true;
}
