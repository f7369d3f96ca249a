// A plain window of the main window's size with 20 ordinary child controls (two group
// boxes, six labels, six edits, five buttons and a list box), created and shown the plain
// way: what start-up costs without any framework.
#include <windows.h>

namespace {

LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(w, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int show) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "TBare20";
  RegisterClassA(&wc);

  const DWORD style = WS_CAPTION | WS_SYSMENU;
  RECT r{0, 0, 479, 342};
  AdjustWindowRect(&r, style, FALSE);
  int width = r.right - r.left, height = r.bottom - r.top;
  HWND w = CreateWindowA("TBare20", "Bare20", style, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                         (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr, inst,
                         nullptr);
  HFONT font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, "宋体");

  struct Child {
    const char* cls;
    const char* text;
    DWORD style;
    int x, y, w, h;
  };
  const DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  const Child children[] = {
      {"BUTTON", "IP列表", BS_GROUPBOX, 0, 0, 145, 257},
      {"BUTTON", "", BS_GROUPBOX, 147, 0, 330, 226},
      {"LISTBOX", "", LBS_NOTIFY | WS_BORDER | WS_VSCROLL, 2, 14, 141, 241},
      {"STATIC", "IP名称", 0, 160, 23, 48, 12},
      {"STATIC", "连接名称", 0, 153, 50, 48, 12},
      {"STATIC", "IP地址", 0, 160, 73, 48, 12},
      {"STATIC", "子网掩码", 0, 154, 99, 48, 12},
      {"STATIC", "默认网关", 0, 152, 122, 48, 12},
      {"STATIC", "DNS", 0, 170, 145, 48, 12},
      {"EDIT", "", WS_BORDER | ES_AUTOHSCROLL, 211, 18, 239, 20},
      {"EDIT", "", WS_BORDER | ES_AUTOHSCROLL, 211, 45, 239, 20},
      {"EDIT", "", WS_BORDER | ES_AUTOHSCROLL, 211, 69, 239, 20},
      {"EDIT", "", WS_BORDER | ES_AUTOHSCROLL, 211, 93, 239, 20},
      {"EDIT", "", WS_BORDER | ES_AUTOHSCROLL, 211, 118, 239, 20},
      {"EDIT", "", WS_BORDER | ES_AUTOHSCROLL, 211, 141, 239, 20},
      {"BUTTON", "保存", BS_PUSHBUTTON, 208, 182, 72, 23},
      {"BUTTON", "设置", BS_PUSHBUTTON, 157, 230, 71, 25},
      {"BUTTON", "自动获取IP", BS_PUSHBUTTON, 227, 230, 82, 25},
      {"BUTTON", "退出", BS_PUSHBUTTON, 308, 230, 72, 25},
      {"BUTTON", "去看看包包", BS_PUSHBUTTON, 379, 230, 96, 25},
  };
  int id = 100;
  for (const Child& c : children) {
    HWND h = CreateWindowA(c.cls, c.text, kChild | c.style, c.x, c.y, c.w, c.h, w,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), inst, nullptr);
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  ShowWindow(w, show);
  UpdateWindow(w);

  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  DeleteObject(font);
  return 0;
}
