// The skinned frame with real windows under Wine: geometry, the pixels on the screen, the
// region, the caption buttons under the real mouse, the skinned system menu, message boxes,
// detaching and an MDI host. Pixels are read from the screen after the window has painted
// (a frame painted in WM_NCPAINT is not seen by PrintWindow).
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

#include "framework/application_win32.h"
#include "framework/forms_win32.h"
#include "framework/message_form_win32.h"
#include "framework/status_bar_win32.h"
#include "framework/std_controls_win32.h"
#include "skin/data/bitmap_routines.h"
#include "skin/data/skin_data.h"
#include "skin/forms/skin_manage_win32.h"
#include "skin/forms/skin_messages.h"
#include "skin/forms/win_skin_form_win32.h"
#include "win32/skin/skin_test_support.h"
#include "win32/test_files.h"

namespace {

// A pixel of the screen compared with what should be there (true off the screen, where a
// maximised window's borders go).
testing::AssertionResult ScreenShows(int x, int y, uint32_t expected) {
  const COLORREF c = ScreenPixel(x, y);
  if (c == CLR_INVALID || c == COLORREF(expected)) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "screen " << x << "," << y << " shows " << std::hex << c << ", not "
                                     << expected;
}

void SendMouse(DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof in);
}
void MoveTo(int x, int y) {
  SetCursorPos(x, y);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
}
void Key(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof in);
}

// Runs a function once from a thread timer, which also fires inside modal loops (menus,
// message boxes) that the test's own code is waiting in.
std::function<void()> g_timerJob;
void CALLBACK RunTimerJob(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto job = std::move(g_timerJob);
  g_timerJob = nullptr;
  if (job) job();
}
void Later(int ms, std::function<void()> job) {
  g_timerJob = std::move(job);
  SetTimer(nullptr, 0, UINT(ms), &RunTimerJob);
}

HWND VisiblePopupMenu() {
  HWND w = nullptr;
  while ((w = FindWindowExA(nullptr, w, "#32768", nullptr)))
    if (IsWindowVisible(w)) return w;
  return nullptr;
}

TSkinBitmap Piece(const TDataSkinBorder& b, int w, int h, bool stacked, int frame) {
  return BuildFramePiece({0, 0, w, h}, b.Image, {b.LeftWidth, b.TopHeight, b.RightWidth, b.BottomHeight}, stacked,
                         b.Tile != 1, b.Frame < 1 ? 1 : b.Frame, frame);
}

LRESULT CALLBACK PlainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, msg, wp, lp); }

// A window whose own procedure looks at the screen right after the system's handling of a
// new text or icon, before the skinned frame repaints: whatever the system drew shows there.
std::vector<COLORREF> g_probeRow;
int g_probeY = 0;
int g_probeActivations = 0;  // activation messages that reached the system's handling
LRESULT CALLBACK ProbeProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCACTIVATE) ++g_probeActivations;
  const LRESULT r = DefWindowProcA(w, msg, wp, lp);
  if (msg == WM_SETTEXT || msg == WM_SETICON) {
    GdiFlush();
    RECT wr{};
    GetWindowRect(w, &wr);
    g_probeRow.clear();
    for (int x = wr.left; x < wr.right; ++x) g_probeRow.push_back(ScreenPixel(x, wr.top + g_probeY));
  }
  return r;
}

HWND g_mdiClient = nullptr;
LRESULT CALLBACK MdiFrameProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  return DefFrameProcA(w, g_mdiClient, msg, wp, lp);
}
LRESULT CALLBACK MdiChildProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) { return DefMDIChildProcA(w, msg, wp, lp); }

class SkinFrameTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    app = new TApplication(nullptr);
    app->OnException = [](Exception* e) { caught.push_back(e->ClassName() + ": " + e->Message()); };
    RegisterSkinClasses();
    WNDCLASSA wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "NvFramedRaw";
    RegisterClassA(&wc);
    wc.lpfnWndProc = ProbeProc;
    wc.lpszClassName = "NvCaptionProbe";
    RegisterClassA(&wc);
    wc.lpfnWndProc = MdiFrameProc;
    wc.lpszClassName = "NvMdiFrame";
    RegisterClassA(&wc);
    wc.lpfnWndProc = MdiChildProc;
    wc.lpszClassName = "NvMdiChild";
    RegisterClassA(&wc);
  }
  static void TearDownTestSuite() {
    delete app;
    app = nullptr;
  }
  void SetUp() override {
    stream = ProgramSkinStream();
    ASSERT_GT(stream.size(), 4u) << "netvosk-skin.stream not built";
    caught.clear();
    data = new TSkinData(nullptr);
    data->BeginLoading();
    data->SetSkinStream(stream);
    data->SetActive(true);
    data->Loaded();
    ASSERT_TRUE(data->SkinLoaded());
    // A window far from the others, so that nothing covers the pixels read.
    other = CreateWindowExA(0, "NvFramedRaw", "other", WS_OVERLAPPEDWINDOW, 700, 600, 300, 200, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  }
  void TearDown() override {
    for (HWND w : raw)
      if (IsWindow(w)) DestroyWindow(w);
    raw.clear();
    if (IsWindow(other)) DestroyWindow(other);
    for (TComponent* c : owned) delete c;
    owned.clear();
    FreeSkinManager();
    delete data;
    EXPECT_TRUE(caught.empty()) << testing::PrintToString(caught);
  }

  // A form as the main window is: single border, system menu only, 479 x 342 client.
  TForm* MakeMainLike(const std::string& caption) {
    auto* f = new TForm(nullptr);
    owned.insert(owned.begin(), f);
    f->SetBorderStyle(bsSingle);
    f->SetBorderIcons(biSystemMenu);
    f->SetCaption(caption);
    f->SetBounds(60, 60, 400, 300);
    f->SetClientWidth(479);
    f->SetClientHeight(342);
    return f;
  }
  HWND MakeRaw(DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, int w = 300, int h = 200) {
    HWND wnd = CreateWindowExA(0, "NvFramedRaw", "raw", style, 80, 80, w, h, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    raw.push_back(wnd);
    return wnd;
  }
  void Show(HWND w) {
    ShowWindow(w, SW_SHOWNORMAL);
    SetForegroundWindow(w);
    SetActiveWindow(w);
    Pump(150);
  }
  TWinSkinForm* Skinned(HWND w) {
    TSkinManage* m = SkinManage();
    return m ? m->FindSkinForm(w) : nullptr;
  }
  // The window's frame on the screen, at window coordinates, equals the composed pieces.
  void ExpectFramePixels(HWND w, int frame, const char* when) {
    SCOPED_TRACE(when);
    RECT r{};
    GetWindowRect(w, &r);
    const int W = r.right - r.left, H = r.bottom - r.top;
    const TSkinContent& c = data->Content();
    TWinSkinForm* sf = Skinned(w);
    ASSERT_TRUE(sf);
    const TSkinBitmap left = Piece(*c.Left, sf->BorderLeft, H, false, frame);
    const TSkinBitmap right = Piece(*c.Right, sf->BorderRight, H, false, frame);
    const TSkinBitmap bottom = Piece(*c.Bottom, W - sf->BorderLeft - sf->BorderRight, sf->BorderBottom, true, frame);
    const TSkinBitmap top = Piece(*c.Top, W - sf->BorderLeft - sf->BorderRight, sf->CaptionHeight, true, frame);
    for (int y : {30, H / 2, H - 8})
      for (int x = 0; x < sf->BorderLeft; ++x) {
        EXPECT_TRUE(ScreenShows(r.left + x, r.top + y, left.Pixel(x, y))) << "left";
        EXPECT_TRUE(ScreenShows(r.right - sf->BorderRight + x, r.top + y, right.Pixel(x, y))) << "right";
      }
    for (int x : {10, W / 2, W - 20})
      for (int y = 0; y < sf->BorderBottom; ++y)
        EXPECT_TRUE(ScreenShows(r.left + x, r.bottom - sf->BorderBottom + y, bottom.Pixel(x - sf->BorderLeft, y)))
            << "bottom";
    // The caption band between the text box and the right-aligned buttons.
    const int from = sf->TextRect.right + 2;
    int to = W - sf->BorderRight - 8;
    for (auto& b : sf->CaptionButtons)
      if (b->Visible && b->Bounds.left >= from) to = std::min(to, int(b->Bounds.left) - 2);
    for (int x = from; x < to; x += 7)
      for (int y : {1, sf->CaptionHeight / 2, sf->CaptionHeight - 1})
        EXPECT_TRUE(ScreenShows(r.left + x, r.top + y, top.Pixel(x - sf->BorderLeft, y))) << "caption";
  }

  static inline TApplication* app = nullptr;
  static inline std::vector<std::string> caught;
  std::vector<uint8_t> stream;
  TSkinData* data = nullptr;
  HWND other = nullptr;
  std::vector<TComponent*> owned;
  std::vector<HWND> raw;
};

TEST_F(SkinFrameTest, MainWindowGeometryPixelsAndActivation) {
  TForm* form = MakeMainLike("Netvosk2.1--免费版");
  HWND w = form->Handle();
  form->Show();
  Show(w);
  TWinSkinForm* sf = Skinned(w);
  ASSERT_TRUE(sf);
  ASSERT_EQ(sf->AttachState, asRunning);
  EXPECT_EQ(sf->BorderKind, bkFixed);
  EXPECT_EQ(sf->Boxes, unsigned(bxSystemMenu));
  EXPECT_EQ((TFrameMetrics{4, 26, 4, 4, 0}), sf->Metrics());

  RECT c{}, r{};
  GetClientRect(w, &c);
  GetWindowRect(w, &r);
  EXPECT_EQ(c.right, 479);
  EXPECT_EQ(c.bottom, 342);
  EXPECT_EQ(r.right - r.left, 479 + 4 + 4);
  EXPECT_EQ(r.bottom - r.top, 342 + 26 + 4);
  POINT origin{0, 0};
  ClientToScreen(w, &origin);
  EXPECT_EQ(origin.x - r.left, 4);
  EXPECT_EQ(origin.y - r.top, 26);

  ExpectFramePixels(w, 1, "active");
  Show(other);
  EXPECT_FALSE(sf->Active);
  ExpectFramePixels(w, 2, "another window active");
  Show(w);
  EXPECT_TRUE(sf->Active);
  ExpectFramePixels(w, 1, "active again");

  // The region cuts exactly the magenta pixels of the corner pieces.
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(w, rgn), ERROR);
  const TSkinContent& content = data->Content();
  const int W = r.right - r.left, H = r.bottom - r.top;
  const TSkinBitmap left = Piece(*content.Left, 4, H, false, 1);
  const TSkinBitmap top = Piece(*content.Top, W - 8, 26, true, 1);
  int cut = 0;
  for (int y = 0; y < 26; ++y) {
    for (int x = 0; x < 4; ++x) {
      const bool key = left.Pixel(x, y) == 0xFF00FF;
      cut += key;
      EXPECT_EQ(PtInRegion(rgn, x, y) != 0, !key) << x << "," << y;
    }
    for (int x = 0; x < 12; ++x)
      EXPECT_EQ(PtInRegion(rgn, 4 + x, y) != 0, top.Pixel(x, y) != 0xFF00FF) << "top " << x << "," << y;
  }
  EXPECT_GT(cut, 0);  // the skin's corner is rounded
  EXPECT_TRUE(PtInRegion(rgn, W / 2, H / 2));
  DeleteObject(rgn);

  // Another text leaves the caption band outside the text box as it was.
  std::vector<COLORREF> before;
  for (int x = 0; x < W; ++x) before.push_back(ScreenPixel(r.left + x, r.top + 2));
  const RECT oldText = sf->TextRect;
  SetWindowTextA(w, "Netvosk2.1--免费版 (2)");
  Pump(100);
  const int textRight = std::max(oldText.right, sf->TextRect.right);
  for (int x = 0; x < W; ++x) {
    if (x >= oldText.left && x < textRight) continue;
    EXPECT_EQ(ScreenPixel(r.left + x, r.top + 2), before[size_t(x)]) << x;
  }
  ExpectFramePixels(w, 1, "after a new text");
  // Neither a new icon nor an activation message lets the system draw its caption.
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
  SendMessageA(w, WM_SETICON, ICON_SMALL, LPARAM(icon));
  SendMessageA(w, WM_SETICON, ICON_BIG, LPARAM(icon));
  Pump(50);
  ExpectFramePixels(w, 1, "after a new icon");
  EXPECT_EQ(SendMessageA(w, WM_NCACTIVATE, TRUE, 0), 1);
  ExpectFramePixels(w, 1, "after an activation message");
}

// Showing a form finishes its frame inside the show's own painting: the children are
// painted once, and the frame is the skinned one from the first picture on.
TEST_F(SkinFrameTest, AShownFormIsPaintedOnceAndSkinnedFromTheStart) {
  TForm* form = MakeMainLike("Netvosk2.1--免费版");
  auto* button = new TButton(form);
  button->SetParent(form);
  button->SetBounds(20, 20, 80, 24);
  auto* bar = new TStatusBar(form);
  bar->SetParent(form);
  bar->SetHeight(19);
  // The windows are made by Show, as the program's are.
  int ncPaints = 0, erases = 0, paints = 0;
  TMessageChainEntry counting = button->EnterMessageChain([&](TMessage& m, const TMessageNext& next) {
    ncPaints += m.Msg == WM_NCPAINT;
    erases += m.Msg == WM_ERASEBKGND;
    paints += m.Msg == WM_PAINT;
    next(m);
  });
  form->Show();  // shows and paints at once (UpdateWindow)
  HWND w = form->Handle();
  TWinSkinForm* sf = Skinned(w);
  ASSERT_TRUE(sf);
  EXPECT_EQ(sf->AttachState, asRunning);
  EXPECT_EQ(ncPaints, 1);
  EXPECT_LE(erases, 1);
  EXPECT_LE(paints, 1);
  RECT c{}, r{};
  GetClientRect(w, &c);
  EXPECT_EQ(c.right, 479);
  EXPECT_EQ(c.bottom, 342);
  GetWindowRect(bar->Handle(), &r);
  MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.bottom, 342);
  EXPECT_EQ(r.right, 479);
  counting.Leave();
  Show(w);
  ExpectFramePixels(w, 1, "shown");
  // The client area is the form's colour up to its last column and row (the client moved
  // under the skinned frame while the show was painting).
  POINT o{0, 0};
  ClientToScreen(w, &o);
  const COLORREF face = ScreenPixel(o.x + 300, o.y + 100);
  for (int y : {5, 100, 300}) EXPECT_EQ(ScreenPixel(o.x + 478, o.y + y), face) << y;
  for (int x : {5, 200, 478}) EXPECT_EQ(ScreenPixel(o.x + x, o.y + 320), face) << x;
  // Nothing of the window is left to paint.
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
  EXPECT_FALSE(GetUpdateRect(button->Handle(), nullptr, FALSE));
}

TEST_F(SkinFrameTest, TheSystemDrawsNoCaptionForANewTextOrIcon) {
  HWND w = CreateWindowExA(0, "NvCaptionProbe", "probe", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 80, 80, 300, 200,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  raw.push_back(w);
  Show(w);
  TWinSkinForm* sf = Skinned(w);
  ASSERT_TRUE(sf);
  RECT r{};
  GetWindowRect(w, &r);
  const int W = r.right - r.left;
  const TSkinBitmap top = Piece(*data->Content().Top, W - sf->BorderLeft - sf->BorderRight, sf->CaptionHeight, true, 1);
  for (int y : {3, 10, 20}) {
    SCOPED_TRACE(y);
    g_probeY = y;
    auto expectBand = [&](const char* what) {
      ASSERT_EQ(g_probeRow.size(), size_t(W)) << what;
      // Between the text box and the buttons the band is the skin's top piece.
      int to = W - sf->BorderRight - 8;
      for (auto& b : sf->CaptionButtons)
        if (b->Visible && b->Bounds.left > sf->TextRect.right) to = std::min(to, int(b->Bounds.left) - 2);
      for (int x = sf->TextRect.right + 40; x < to; ++x)
        EXPECT_EQ(g_probeRow[size_t(x)], COLORREF(top.Pixel(x - sf->BorderLeft, y))) << what << " " << x;
    };
    SetWindowTextA(w, "probe");
    expectBand("text");
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    SendMessageA(w, WM_SETICON, ICON_SMALL, LPARAM(icon));
    expectBand("icon");
  }
  // The frame answers activation itself: the system's handling would draw its caption.
  g_probeActivations = 0;
  Show(other);
  Show(w);
  EXPECT_EQ(g_probeActivations, 0);
  EXPECT_TRUE(sf->Active);
}

// Systems of version 5.0 and 6.0 lose the caption style while skinned; the frame is the same.
DWORD Version50() { return 0x00000005; }

TEST_F(SkinFrameTest, WithoutTheCaptionStyle) {
  SetVersionFunction(&Version50);
  FreeSkinManager();
  delete data;
  data = new TSkinData(nullptr);
  data->BeginLoading();
  data->SetSkinStream(stream);
  data->SetActive(true);
  data->Loaded();
  // A window without owner (the framework's forms are owned by the application window).
  HWND w = MakeRaw();
  RECT c0{};
  GetClientRect(w, &c0);
  Show(w);
  TWinSkinForm* sf = Skinned(w);
  ASSERT_TRUE(sf);
  EXPECT_TRUE(sf->Boxes & bxNoCaptionStyle);
  EXPECT_NE(GetWindowLongA(w, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
  RECT c{}, r{};
  GetClientRect(w, &c);
  GetWindowRect(w, &r);
  EXPECT_EQ(c.right, c0.right);
  EXPECT_EQ(c.bottom, c0.bottom);
  EXPECT_EQ(r.bottom - r.top, c0.bottom + 26 + 4);
  ExpectFramePixels(w, 1, "active");
  SetWindowTextA(w, "Netvosk2.1--免费版 (2)");
  Pump(100);
  ExpectFramePixels(w, 1, "after a new text");
  Show(other);
  ExpectFramePixels(w, 2, "inactive");
  SetVersionFunction(nullptr);
}

TEST_F(SkinFrameTest, CaptionTextBoxAndDialogBorder) {
  TForm* form = MakeMainLike("abc");
  form->Show();
  Show(form->Handle());
  TWinSkinForm* sf = Skinned(form->Handle());
  ASSERT_TRUE(sf);
  // One space before the text, two after, inside the plate's caps.
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, sf->CaptionFont.Get());
  SIZE spaced{}, bare{};
  GetTextExtentPoint32A(dc, " abc  ", 6, &spaced);
  GetTextExtentPoint32A(dc, "abc", 3, &bare);
  SelectObject(dc, old);
  DeleteDC(dc);
  const TDataSkinTitle& title = *data->Content().Title;
  EXPECT_GT(spaced.cx, bare.cx);
  EXPECT_EQ(sf->TextRect.left, 4 + title.LeftWidth);
  EXPECT_EQ(sf->TextRect.right - sf->TextRect.left, title.TXTBackleft + spaced.cx + title.TXTBackRight);
  // The icon button shows on a single border.
  bool iconShown = false;
  for (auto& b : sf->CaptionButtons)
    if (b->Action() == 3) iconShown = b->Visible;
  EXPECT_TRUE(iconShown);

  auto* dialog = new TForm(nullptr);
  owned.insert(owned.begin(), dialog);
  dialog->SetBorderStyle(bsDialog);
  dialog->SetCaption("abc");
  dialog->SetBounds(100, 100, 300, 200);
  dialog->Show();
  Show(dialog->Handle());
  TWinSkinForm* sd = Skinned(dialog->Handle());
  ASSERT_TRUE(sd);
  EXPECT_EQ(sd->BorderKind, bkDialog);
  EXPECT_EQ(sd->TextRect.left, 4 + title.LeftWidth - 16);
  for (auto& b : sd->CaptionButtons) {
    if (b->Action() == 3) {
      EXPECT_FALSE(b->Visible);
    }
  }
}

TEST_F(SkinFrameTest, CloseButtonUnderTheMouse) {
  HWND w = MakeRaw();
  Show(w);
  TWinSkinForm* sf = Skinned(w);
  ASSERT_TRUE(sf);
  TWinSysButton* close = nullptr;
  for (auto& b : sf->CaptionButtons)
    if (b->Action() == 0) close = b.get();
  ASSERT_TRUE(close && close->Visible);
  RECT r{};
  GetWindowRect(w, &r);
  const RECT b = close->Bounds;
  const POINT centre{r.left + (b.left + b.right) / 2, r.top + (b.top + b.bottom) / 2};
  const TDataSkinSysButton& src = *close->Source;
  const int fw = src.Image.Width() / src.Frame;
  // A pixel of the picture that differs between the states.
  int px = -1, py = -1;
  for (int y = 0; y < src.Image.Height() && px < 0; ++y)
    for (int x = 0; x < fw; ++x) {
      const uint32_t n = src.Image.Pixel(x, y), p = src.Image.Pixel(fw + x, y), h = src.Image.Pixel(2 * fw + x, y);
      if (n != p && p != h && n != h && n != 0xFF00FF && p != 0xFF00FF && h != 0xFF00FF) {
        px = x;
        py = y;
        break;
      }
    }
  ASSERT_GE(px, 0);
  auto shown = [&] { return ScreenPixel(r.left + b.left + px, r.top + b.top + py); };
  auto frameOf = [&](int k) { return COLORREF(src.Image.Pixel((k - 1) * fw + px, py)); };
  const POINT caption{r.left + (r.right - r.left) / 2, r.top + 12};

  MoveTo(caption.x, caption.y);
  Pump(100);
  EXPECT_EQ(shown(), frameOf(1)) << "normal";
  MoveTo(centre.x, centre.y);
  Pump(100);
  EXPECT_EQ(close->MouseState, msHot);
  EXPECT_EQ(shown(), frameOf(3)) << "hot";
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  Pump(100);
  EXPECT_EQ(close->MouseState, msPressed);
  EXPECT_EQ(shown(), frameOf(2)) << "pressed";
  // Released elsewhere: nothing happens.
  MoveTo(caption.x, caption.y);
  Pump(100);
  EXPECT_EQ(shown(), frameOf(1)) << "left while pressed";
  SendMouse(MOUSEEVENTF_LEFTUP);
  Pump(150);
  EXPECT_TRUE(IsWindow(w));
  // Leaving the window altogether: the hover timer lets the button go.
  MoveTo(centre.x, centre.y);
  Pump(100);
  EXPECT_EQ(shown(), frameOf(3));
  MoveTo(r.right + 200, r.bottom + 100);
  Pump(400);
  EXPECT_EQ(close->MouseState, msNormal);
  EXPECT_EQ(shown(), frameOf(1)) << "after the mouse left the window";
  // A full click closes.
  MoveTo(centre.x, centre.y);
  Pump(100);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  Pump(50);
  SendMouse(MOUSEEVENTF_LEFTUP);
  Pump(200);
  EXPECT_FALSE(IsWindow(w));
}

TEST_F(SkinFrameTest, SystemMenuFromIconCaptionAndKeyboard) {
  HWND w = MakeRaw();
  Show(w);
  TWinSkinForm* sf = Skinned(w);
  ASSERT_TRUE(sf);
  TWinSysButton* icon = nullptr;
  for (auto& b : sf->CaptionButtons)
    if (b->Action() == 3) icon = b.get();
  ASSERT_TRUE(icon && icon->Visible);
  RECT r{};
  GetWindowRect(w, &r);
  const POINT iconAt{r.left + (icon->Bounds.left + icon->Bounds.right) / 2,
                     r.top + (icon->Bounds.top + icon->Bounds.bottom) / 2};

  // A click on the icon: the menu at the click point + 1, items from the system menu,
  // those that cannot be chosen greyed.
  RECT menuAt{};
  int items = 0;
  bool restoreGrayed = false, closeEnabled = false;
  MoveTo(iconAt.x, iconAt.y);
  Pump(60);
  Later(300, [&] {
    HWND popup = VisiblePopupMenu();
    if (popup) GetWindowRect(popup, &menuAt);
    if (HMENU m = sf->SkinnedSystemMenu) {
      items = GetMenuItemCount(m);
      restoreGrayed = (GetMenuState(m, SC_RESTORE, MF_BYCOMMAND) & MF_GRAYED) != 0;
      closeEnabled = (GetMenuState(m, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED) == 0;
    }
    EndMenu();
  });
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  SendMouse(MOUSEEVENTF_LEFTUP);
  Pump(600);
  EXPECT_EQ(menuAt.left, iconAt.x + 1);
  EXPECT_EQ(menuAt.top, iconAt.y + 1);
  EXPECT_GT(items, 3);
  EXPECT_TRUE(restoreGrayed);
  EXPECT_TRUE(closeEnabled);
  EXPECT_FALSE(sf->MenuTracking);
  EXPECT_TRUE(IsWindow(w));
  Pump(GetDoubleClickTime() + 50);

  // Two right-clicks on the caption: two menus, the window stays.
  const POINT caption{r.left + (r.right - r.left) / 2, r.top + 12};
  MoveTo(caption.x, caption.y);
  Pump(60);
  int menus = 0;
  Later(200, [&] {
    menus += VisiblePopupMenu() != nullptr;
    EndMenu();
  });
  SendMouse(MOUSEEVENTF_RIGHTDOWN);
  SendMouse(MOUSEEVENTF_RIGHTUP);
  Pump(300);
  Later(100, [&] {
    menus += VisiblePopupMenu() != nullptr;
    EndMenu();
  });
  SendMouse(MOUSEEVENTF_RIGHTDOWN);
  SendMouse(MOUSEEVENTF_RIGHTUP);
  Pump(300);
  EXPECT_GE(menus, 1);
  EXPECT_TRUE(IsWindow(w));
  EXPECT_FALSE(VisiblePopupMenu());
  Pump(GetDoubleClickTime() + 50);

  // Alt+Space: at the client origin.
  menuAt = {};
  Later(300, [&] {
    if (HWND popup = VisiblePopupMenu()) GetWindowRect(popup, &menuAt);
    EndMenu();
  });
  SetForegroundWindow(w);
  Key(VK_MENU, false);
  Key(VK_SPACE, false);
  Key(VK_SPACE, true);
  Key(VK_MENU, true);
  Pump(600);
  POINT origin{0, 0};
  ClientToScreen(w, &origin);
  EXPECT_EQ(menuAt.left, origin.x);
  EXPECT_EQ(menuAt.top, origin.y);
  EXPECT_TRUE(IsWindow(w));
  Pump(GetDoubleClickTime() + 50);

  // A second click on the icon within the double-click time closes the window.
  MoveTo(iconAt.x, iconAt.y);
  Pump(60);
  Later(80, [&] {
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
  });
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  SendMouse(MOUSEEVENTF_LEFTUP);
  Pump(600);
  if (VisiblePopupMenu()) {
    ADD_FAILURE() << "menu still open";
    EndMenu();
    Pump(100);
  }
  EXPECT_FALSE(IsWindow(w));
}

TEST_F(SkinFrameTest, MaximiseRestoreAndMinimiseButtons) {
  HWND w = MakeRaw(WS_OVERLAPPEDWINDOW);
  Show(w);
  TWinSkinForm* sf = Skinned(w);
  ASSERT_TRUE(sf);
  EXPECT_EQ(sf->BorderKind, bkSizeable);
  auto visibleButton = [&](int action) -> TWinSysButton* {
    for (auto& b : sf->CaptionButtons)
      if (b->Action() == action && b->Visible) return b.get();
    return nullptr;
  };
  auto click = [&](TWinSysButton* b) {
    RECT r{};
    GetWindowRect(w, &r);
    MoveTo(r.left + (b->Bounds.left + b->Bounds.right) / 2, r.top + (b->Bounds.top + b->Bounds.bottom) / 2);
    Pump(80);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    Pump(40);
    SendMouse(MOUSEEVENTF_LEFTUP);
    Pump(250);
  };
  RECT normal{};
  GetWindowRect(w, &normal);
  TWinSysButton* maximize = visibleButton(1);
  ASSERT_TRUE(maximize);
  EXPECT_TRUE(maximize->Enabled);
  const TDataSkinSysButton* maximizeSource = maximize->Source;
  click(maximize);
  EXPECT_TRUE(IsZoomed(w));
  EXPECT_EQ(sf->WindowState, wsMaximizedState);
  // Maximised: the restore button in its place, the frame still the skin's.
  TWinSysButton* restore = visibleButton(1);
  ASSERT_TRUE(restore);
  EXPECT_NE(restore->Source, maximizeSource);
  ExpectFramePixels(w, 1, "maximised");
  click(restore);
  EXPECT_FALSE(IsZoomed(w));
  RECT back{};
  GetWindowRect(w, &back);
  EXPECT_TRUE(EqualRect(&back, &normal));
  ExpectFramePixels(w, 1, "restored");

  TWinSysButton* minimize = visibleButton(2);
  ASSERT_TRUE(minimize);
  click(minimize);
  EXPECT_TRUE(IsIconic(w));
  EXPECT_EQ(sf->WindowState, wsMinimizedState);
  ShowWindow(w, SW_RESTORE);
  Pump(150);
  EXPECT_EQ(sf->WindowState, wsNormalState);
  GetWindowRect(w, &back);
  EXPECT_TRUE(EqualRect(&back, &normal));

  // A double-click on the caption of a window with a maximise box maximises it.
  RECT r{};
  GetWindowRect(w, &r);
  MoveTo(r.left + 100, r.top + 12);
  Pump(60);
  for (int i = 0; i < 2; ++i) {
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
  }
  Pump(300);
  EXPECT_TRUE(IsZoomed(w));
}

TEST_F(SkinFrameTest, DraggingTheCaptionAndDoubleClickingIt) {
  HWND w = MakeRaw();
  Show(w);
  ASSERT_TRUE(Skinned(w));
  RECT r{};
  GetWindowRect(w, &r);
  const POINT caption{r.left + 120, r.top + 12};
  MoveTo(caption.x, caption.y);
  Pump(60);
  // The system's move loop runs inside the press: the rest of the drag comes from a timer,
  // whose messages that loop passes on.
  Later(100, [&] {
    for (int i = 1; i <= 4; ++i) MoveTo(caption.x + 10 * i, caption.y + 8 * i);
    SendMouse(MOUSEEVENTF_LEFTUP);
  });
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  Pump(500);
  RECT moved{};
  GetWindowRect(w, &moved);
  EXPECT_EQ(moved.left - r.left, 40);
  EXPECT_EQ(moved.top - r.top, 32);
  EXPECT_EQ(moved.right - moved.left, r.right - r.left);

  // No maximise box: a double-click on the caption changes nothing.
  MoveTo(moved.left + 120, moved.top + 12);
  Pump(60);
  for (int i = 0; i < 2; ++i) {
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
  }
  Pump(300);
  RECT after{};
  GetWindowRect(w, &after);
  EXPECT_FALSE(IsZoomed(w));
  EXPECT_TRUE(EqualRect(&after, &moved));
  ASSERT_TRUE(Skinned(w));
  EXPECT_EQ(Skinned(w)->WindowState, wsNormalState);
}

TEST_F(SkinFrameTest, MessageBoxesAreFramedAndLeaveNothingBehind) {
  const TSkinContent& c = data->Content();
  const int caption = c.Top->Image.Height() / c.Top->Frame;
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(round);
    bool framed = false, skinned = false;
    HWND seen = nullptr;
    Later(400, [&] {
      HWND box = nullptr;
      while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)))
        if (IsWindowVisible(box)) break;
      if (!box) return;
      seen = box;
      skinned = SendMessageA(box, XM_ISSKINNED, 0, 0) == 1;
      RECT r{}, cl{};
      GetWindowRect(box, &r);
      GetClientRect(box, &cl);
      POINT o{0, 0};
      ClientToScreen(box, &o);
      framed = o.y - r.top == caption && (r.bottom - r.top) - cl.bottom == caption + 4;
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    MessageBoxA(nullptr, "修改完成。", "Netvosk--免费版", MB_OK);
    EXPECT_TRUE(skinned);
    EXPECT_TRUE(framed);
    EXPECT_FALSE(IsWindow(seen));
    Pump(50);
    SkinManage()->Purge();
    for (TWinSkinForm* f : SkinManage()->Forms) EXPECT_NE(f->Handle, seen);

    // A caption wider than the box: the box widens, its contents move to stay centred.
    bool centred = false, wide = false;
    Later(400, [&] {
      HWND box = nullptr;
      while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)))
        if (IsWindowVisible(box)) break;
      if (!box) return;
      HWND ok = GetDlgItem(box, IDOK);
      RECT cl{}, b{}, r{};
      GetClientRect(box, &cl);
      GetWindowRect(ok, &b);
      GetWindowRect(box, &r);
      MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&b), 2);
      centred = std::abs((b.left + b.right) / 2 - cl.right / 2) <= 3;
      const TDataSkinTitle& title = *c.Title;
      wide = r.right - r.left >= title.LeftWidth + title.RightWidth + 200;
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    MessageBoxA(nullptr, "ok", "Netvosk--免费版 一个很长很长很长很长很长的标题", MB_OK);
    EXPECT_TRUE(centred);
    EXPECT_TRUE(wide);

    // The framework's message form: owned by its form until its window goes.
    bool formSkinned = false;
    HWND formWindow = nullptr;
    Later(400, [&] {
      for (TWinSkinForm* f : SkinManage()->Forms)
        if (f->WindowClassName == "TMessageForm" && IsWindowVisible(f->Handle)) {
          formWindow = f->Handle;
          formSkinned = f->AttachState == asRunning && f->BorderKind == bkDialog && f->Owner() != nullptr;
        }
      if (formWindow) PostMessageA(formWindow, WM_CLOSE, 0, 0);
    });
    ShowMessage("设置完成");
    EXPECT_TRUE(formSkinned);
    Pump(50);
    SkinManage()->Purge();
    for (TWinSkinForm* f : SkinManage()->Forms) EXPECT_NE(f->Handle, formWindow);
  }
}

TEST_F(SkinFrameTest, DetachGivesTheSystemFrameBackWithTheClientArea) {
  TForm* form = MakeMainLike("detach");
  form->Show();
  Show(form->Handle());
  HWND w = form->Handle();
  TWinSkinForm* sf = Skinned(w);
  ASSERT_TRUE(sf);
  const SIZE systemNonClient = sf->SystemNonClient;
  RECT c{};
  GetClientRect(w, &c);
  TSkinManage* m = SkinManage();
  m->SetPendingSkinData(data);
  m->ScheduleAction(saUnskinAll, 10);
  Pump(200);
  EXPECT_FALSE(Skinned(w));
  RECT c2{}, r2{};
  GetClientRect(w, &c2);
  GetWindowRect(w, &r2);
  EXPECT_EQ(c2.right, c.right);
  EXPECT_EQ(c2.bottom, c.bottom);
  EXPECT_EQ(r2.right - r2.left, c2.right + systemNonClient.cx);
  EXPECT_EQ(r2.bottom - r2.top, c2.bottom + systemNonClient.cy);
  EXPECT_EQ(GetWindowRgn(w, CreateRectRgn(0, 0, 0, 0)), ERROR);
  EXPECT_TRUE(GetWindowLongA(w, GWL_STYLE) & WS_SYSMENU);
}

TEST_F(SkinFrameTest, TinyWindowsKeepAValidRegion) {
  HWND w = MakeRaw(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 300, 200);
  Show(w);
  ASSERT_TRUE(Skinned(w));
  SetWindowPos(w, nullptr, 0, 0, 6, 10, SWP_NOMOVE | SWP_NOZORDER);
  Pump(100);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_NE(GetWindowRgn(w, rgn), ERROR);
  RECT box{}, wr{};
  GetRgnBox(rgn, &box);
  GetWindowRect(w, &wr);
  // The system keeps a captioned window at its minimum tracking size (112 x 27 under Wine):
  // still lower than the skinned caption and bottom border together.
  EXPECT_LE(box.right, wr.right - wr.left);
  EXPECT_LE(box.bottom, wr.bottom - wr.top);
  EXPECT_GT(box.right, 0);
  DeleteObject(rgn);
  RECT c{};
  GetClientRect(w, &c);
  EXPECT_GE(c.right, 0);
  EXPECT_GE(c.bottom, 0);
}

TEST_F(SkinFrameTest, BeforeItsFrameIsReadyAndAfterItsWindowWent) {
  // Attached but not yet initialised (a window attached while hidden; a shown one finishes
  // with the first message that paints it): deactivation is not vetoed and nothing is
  // painted. The posted XM_INITFRAME finishes it.
  HWND w = MakeRaw();
  TSkinManage* m = SkinManage();
  ASSERT_TRUE(m);
  m->Enabled = true;
  ASSERT_TRUE(m->AttachWindow(w));
  TWinSkinForm* sf = Skinned(w);
  ASSERT_TRUE(sf);
  ASSERT_EQ(sf->AttachState, asAttached);
  EXPECT_EQ(SendMessageA(w, WM_NCACTIVATE, FALSE, 0), 1);
  EXPECT_EQ(SendMessageA(w, WM_NCPAINT, 1, 0), 0);
  EXPECT_EQ(sf->AttachState, asAttached);
  ShowWindow(w, SW_SHOWNORMAL);
  Pump(100);
  EXPECT_EQ(sf->AttachState, asRunning);

  // A form whose window goes first: its skinned frame is no longer the form's to free.
  TForm* form = MakeMainLike("gone");
  form->Show();
  Show(form->Handle());
  HWND fw = form->Handle();
  TWinSkinForm* ff = Skinned(fw);
  ASSERT_TRUE(ff);
  EXPECT_EQ(ff->Owner(), form);
  DestroyWindow(fw);
  ASSERT_TRUE(TWinSkinForm::IsLive(ff));
  EXPECT_EQ(ff->AttachState, asDestroyed);
  EXPECT_EQ(ff->Owner(), nullptr);
  m->Purge();
  EXPECT_FALSE(TWinSkinForm::IsLive(ff));

  // Again and again, either way round: the window first, or the form with its window.
  for (int i = 0; i < 12; ++i) {
    SCOPED_TRACE(i);
    auto* f = new TForm(nullptr);
    f->SetBorderStyle(bsSingle);
    f->SetCaption("again");
    f->SetBounds(90, 90, 300, 200);
    f->Show();
    Show(f->Handle());
    TWinSkinForm* k = Skinned(f->Handle());
    ASSERT_TRUE(k);
    if (i % 2) DestroyWindow(f->Handle());
    delete f;
    Pump(20);
    m->Purge();
    EXPECT_FALSE(TWinSkinForm::IsLive(k));
  }
  EXPECT_TRUE(m->Forms.size() <= 2u);
}

TEST_F(SkinFrameTest, MdiFrameAndChild) {
  HWND frame = CreateWindowExA(0, "NvMdiFrame", "mdi", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 50, 50, 500, 400,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  raw.push_back(frame);
  CLIENTCREATESTRUCT ccs{};
  g_mdiClient = CreateWindowExA(0, "MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 100, 100,
                                frame, nullptr, GetModuleHandleA(nullptr), &ccs);
  ASSERT_TRUE(g_mdiClient);
  Show(frame);
  TWinSkinForm* sf = Skinned(frame);
  ASSERT_TRUE(sf);
  EXPECT_EQ(sf->Kind, wkMDIFrame);
  EXPECT_EQ(SkinManage()->MDIClient, g_mdiClient);

  MDICREATESTRUCTA mcs{};
  mcs.szClass = "NvMdiChild";
  mcs.szTitle = "child";
  mcs.hOwner = GetModuleHandleA(nullptr);
  mcs.x = mcs.y = 10;
  mcs.cx = 200;
  mcs.cy = 150;
  mcs.style = WS_OVERLAPPEDWINDOW;
  HWND child = reinterpret_cast<HWND>(SendMessageA(g_mdiClient, WM_MDICREATE, 0, LPARAM(&mcs)));
  ASSERT_TRUE(child);
  Pump(200);
  TWinSkinForm* sc = Skinned(child);
  ASSERT_TRUE(sc);
  EXPECT_EQ(sc->Kind, wkMDIChild);
  EXPECT_EQ(sc->AttachState, asRunning);
  RECT cr{}, wr{};
  GetClientRect(child, &cr);
  GetWindowRect(child, &wr);
  EXPECT_EQ((wr.right - wr.left) - cr.right, sc->BorderLeft + sc->BorderRight);
  EXPECT_EQ((wr.bottom - wr.top) - cr.bottom, sc->CaptionHeight + sc->MenuHeight + sc->BorderBottom);

  SendMessageA(g_mdiClient, WM_MDIMAXIMIZE, WPARAM(child), 0);
  Pump(150);
  EXPECT_EQ(sc->WindowState, wsMaximizedState);
  SendMessageA(g_mdiClient, WM_MDIRESTORE, WPARAM(child), 0);
  Pump(150);
  EXPECT_EQ(sc->WindowState, wsNormalState);
  SendMessageA(g_mdiClient, WM_MDIDESTROY, WPARAM(child), 0);
  Pump(100);
  EXPECT_FALSE(SkinManage()->MDIMaximized);
  DestroyWindow(frame);
  Pump(50);
  g_mdiClient = nullptr;
}

}  // namespace
