#include "driver.h"

#include <algorithm>
#include <thread>

namespace nvdrv {

std::string WinPath(const std::string& unixPath) {
  std::string p = unixPath;
  std::replace(p.begin(), p.end(), '/', '\\');
  return p.size() > 1 && p[1] == ':' ? p : "Z:" + p;
}

std::string BuildDir() {
  char buf[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableA("NV_BINARY_DIR", buf, sizeof buf);
#ifdef NV_BINARY_DIR
  std::string dir = n && n < sizeof buf ? std::string(buf, n) : std::string(NV_BINARY_DIR);
#else
  std::string dir = n && n < sizeof buf ? std::string(buf, n) : std::string(".");
#endif
  dir = WinPath(dir);
  if (dir.back() != '\\') dir += '\\';
  return dir;
}

bool WaitUntil(const std::function<bool()>& ready, Ms timeout) {
  auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (ready()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(10ms);
  }
}

TProcess::~TProcess() {
  if (!pi_.hProcess) return;
  if (Running()) Kill();
  CloseHandle(pi_.hThread);
  CloseHandle(pi_.hProcess);
}

bool TProcess::Start(const std::string& exe, const std::string& cwd, std::string* error) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  std::string cmd = "\"" + exe + "\"";
  if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      cwd.empty() ? nullptr : cwd.c_str(), &si, &pi_)) {
    if (error) *error = "CreateProcess " + exe + " failed: " + std::to_string(GetLastError());
    pi_ = {};
    return false;
  }
  return true;
}

bool TProcess::Running() const {
  return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> TProcess::WaitExit(Ms timeout) {
  if (!pi_.hProcess) return std::nullopt;
  if (WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
    return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(pi_.hProcess, &code);
  return code;
}

void TProcess::Kill() {
  if (!pi_.hProcess) return;
  TerminateProcess(pi_.hProcess, 1);
  WaitForSingleObject(pi_.hProcess, 5000);
}

std::string ClassOf(HWND w) {
  char buf[256];
  int n = GetClassNameA(w, buf, sizeof buf);
  return std::string(buf, n > 0 ? n : 0);
}

std::string Text(HWND w) {
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutA(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &len)) return {};
  std::string buf(len + 2, '\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutA(w, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG,
                           5000, &got))
    return {};
  buf.resize(std::min<std::size_t>(got, buf.size()));
  return buf;
}

void SetText(HWND w, const std::string& text) {
  DWORD_PTR r = 0;
  SendMessageTimeoutA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000, &r);
}

namespace {
struct TEnumTop {
  DWORD pid;
  std::string cls;
  std::vector<HWND> found;
};
BOOL CALLBACK EnumTop(HWND w, LPARAM p) {
  auto* e = reinterpret_cast<TEnumTop*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == e->pid && IsWindowVisible(w) && (e->cls.empty() || ClassOf(w) == e->cls)) e->found.push_back(w);
  return TRUE;
}
}  // namespace

std::vector<HWND> TopWindows(DWORD pid, const std::string& cls) {
  TEnumTop e{pid, cls, {}};
  EnumWindows(EnumTop, reinterpret_cast<LPARAM>(&e));
  return e.found;
}

HWND WaitForWindow(DWORD pid, const std::string& cls, const std::string& caption, Ms timeout) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND w : TopWindows(pid, cls))
          if (caption.empty() || Text(w) == caption) {
            found = w;
            return true;
          }
        return false;
      },
      timeout);
  return found;
}

std::vector<HWND> Descendants(HWND parent, const std::string& cls) {
  std::vector<HWND> out;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (cls.empty() || ClassOf(c) == cls) out.push_back(c);
    auto below = Descendants(c, cls);
    out.insert(out.end(), below.begin(), below.end());
  }
  return out;
}

HWND FindChild(HWND parent, const std::string& cls, const std::string& text) {
  for (HWND c : Descendants(parent, cls))
    if (Text(c) == text) return c;
  return nullptr;
}

std::vector<HWND> ByPosition(HWND parent, const std::string& cls) {
  std::vector<HWND> v = Descendants(parent, cls);
  std::stable_sort(v.begin(), v.end(), [](HWND a, HWND b) {
    RECT ra, rb;
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
  });
  return v;
}

void Click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

std::vector<std::string> ListLines(HWND list) {
  // Lines are read as Unicode and converted here: Wine answers an ANSI LB_GETTEXT from
  // another process with the list's Unicode text, unconverted. In-process lists (the
  // driver's own test) are read the ANSI way.
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  const bool wide = pid != GetCurrentProcessId();
  auto send = [&](UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR r = 0;
    if (wide)
      SendMessageTimeoutW(list, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &r);
    else
      SendMessageTimeoutA(list, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &r);
    return static_cast<LRESULT>(r);
  };
  std::vector<std::string> lines;
  LRESULT count = send(LB_GETCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) {
    LRESULT len = send(LB_GETTEXTLEN, i, 0);
    if (len < 0) len = 0;
    if (wide) {
      std::wstring buf(len + 16, L'\0');
      LRESULT got = send(LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf.data()));
      buf.resize(std::clamp<LRESULT>(got, 0, static_cast<LRESULT>(buf.size())));
      int n = WideCharToMultiByte(CP_ACP, 0, buf.data(), static_cast<int>(buf.size()), nullptr, 0, nullptr,
                                  nullptr);
      std::string text(n > 0 ? n : 0, '\0');
      if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, buf.data(), static_cast<int>(buf.size()), text.data(), n, nullptr,
                            nullptr);
      lines.push_back(text);
    } else {
      std::string buf(len * 2 + 16, '\0');  // a length in characters may undercount bytes
      LRESULT got = send(LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf.data()));
      buf.resize(std::clamp<LRESULT>(got, 0, static_cast<LRESULT>(buf.size())));
      lines.push_back(buf);
    }
  }
  return lines;
}

int ListSelection(HWND list) {
  DWORD_PTR sel = 0;
  SendMessageTimeoutA(list, LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &sel);
  return static_cast<int>(static_cast<LRESULT>(sel));
}

bool ClickListLine(HWND list, int index) {
  DWORD_PTR ignored = 0, height = 0, first = 0;
  SendMessageTimeoutA(list, LB_SETTOPINDEX, index, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  // LB_GETITEMRECT carries a pointer and works only inside the list's process; the line's
  // place follows from the item height and the top line.
  SendMessageTimeoutA(list, LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, 5000, &height);
  SendMessageTimeoutA(list, LB_GETTOPINDEX, 0, 0, SMTO_ABORTIFHUNG, 5000, &first);
  RECT r{};
  GetClientRect(list, &r);
  int h = static_cast<int>(height);
  int y = (index - static_cast<int>(first)) * h + h / 2;
  if (h == 0 || y < 0 || y >= r.bottom) return false;
  LPARAM at = MAKELPARAM(r.right / 2, y);
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
  return true;
}

std::optional<TMessageBox> WaitForMessageBox(DWORD pid, Ms timeout) {
  std::optional<TMessageBox> box;
  WaitUntil(
      [&] {
        for (HWND w : TopWindows(pid)) {
          std::string cls = ClassOf(w);
          if (cls != "TMessageForm" && cls != "#32770") continue;
          TMessageBox b;
          b.window = w;
          b.cls = cls;
          b.caption = Text(w);
          for (HWND c : Descendants(w)) {
            std::string ccls = ClassOf(c);
            std::string t = Text(c);
            if (ccls == "Button" || ccls == "TButton") {
              b.buttons.push_back(t);
            } else if ((ccls == "Static" || ccls == "TLabel") && t.size() > b.text.size()) {
              b.text = t;
            }
          }
          if (b.buttons.empty()) continue;  // still being built
          box = b;
          return true;
        }
        return false;
      },
      timeout);
  return box;
}

bool DismissMessageBox(const TMessageBox& box, Ms timeout) {
  HWND ok = nullptr;
  for (HWND c : Descendants(box.window)) {
    std::string cls = ClassOf(c);
    std::string t = Text(c);
    if ((cls == "Button" || cls == "TButton") && (t == "OK" || t == "确定" || t == "&OK")) ok = c;
  }
  if (ok) {
    Click(ok);
  } else {
    PostMessageA(box.window, WM_COMMAND, IDOK, 0);
  }
  return WaitUntil([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); }, timeout);
}

}  // namespace nvdrv
