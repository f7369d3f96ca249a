#include "exceptions/dialog/error_dialog_window_win32.h"

#include <algorithm>
#include <atomic>

#include "exceptions/dialog/coordinates_win32.h"
#include "exceptions/dialog/dialog_ids.h"
#include "exceptions/dialog/dialog_resources_win32.h"
#include "exceptions/dialog/error_dialog_win32.h"
#include "exceptions/options/module_options.h"
#include "framework/shell_open_win32.h"

namespace {
std::atomic<HWND> currentDialog{nullptr};

constexpr int kMessageMaxLines = 12;

TLayoutRect ChildRect(HWND dialog, int id) {
  RECT r{};
  HWND child = GetDlgItem(dialog, id);
  if (!child) return {};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right, r.bottom};
}

void Place(HWND control, const TLayoutRect& r, bool show) {
  if (!control) return;
  if (show)
    SetWindowPos(control, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(control, show ? SW_SHOWNA : SW_HIDE);
}

int TextWidth(HWND w, HFONT font, const std::string& text) {
  TWindowDc dc(w);
  TDcSelection keep(dc.get(), font);
  RECT r{0, 0, 0, 0};
  DrawTextA(dc.get(), text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
  return r.right;
}

BOOL CALLBACK RecordWindow(HWND w, LPARAM param) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == GetCurrentProcessId()) reinterpret_cast<std::set<HWND>*>(param)->insert(w);
  return TRUE;
}

}  // namespace

HWND CurrentErrorDialog() { return currentDialog.load(); }

TErrorDialog::TErrorDialog(const TErrorDialogInput& input, HMODULE resources, std::string richEditClass)
    : in_(input), resources_(resources), richEditClass_(std::move(richEditClass)) {
  coordinatesFile_ = in_.coordinatesFile.empty() ? DefaultCoordinatesFile() : in_.coordinatesFile;
}

TErrorDialog::~TErrorDialog() = default;

INT_PTR TErrorDialog::Run() {
  return DialogBoxParamA(resources_, "QL_DIALOG", nullptr, Proc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK TErrorDialog::Proc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
  try {
    if (msg == WM_INITDIALOG) {
      SetWindowLongPtrA(w, DWLP_USER, lParam);
      reinterpret_cast<TErrorDialog*>(lParam)->w_ = w;
    }
    auto* self = reinterpret_cast<TErrorDialog*>(GetWindowLongPtrA(w, DWLP_USER));
    return self ? self->Handle(msg, wParam, lParam) : FALSE;
  } catch (...) {
    return FALSE;  // nothing may leave a dialog procedure
  }
}

INT_PTR TErrorDialog::Answer(LRESULT result) {
  SetWindowLongPtrA(w_, DWLP_MSGRESULT, result);
  return TRUE;
}

INT_PTR TErrorDialog::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (look_) {
    LRESULT result = 0;
    if (look_->OnMessage(msg, wParam, lParam, &result)) {
      if (msg == WM_NCPAINT) painted_ = true;
      return Answer(result);
    }
  }
  switch (msg) {
    case WM_INITDIALOG: Init(); return FALSE;  // the focus is set: on OK
    case WM_PAINT:
      painted_ = true;
      Paint();
      return TRUE;
    case WM_NCPAINT:
    case WM_ERASEBKGND: painted_ = true; return FALSE;
    case WM_CTLCOLORDLG: painted_ = true; return look_ ? reinterpret_cast<INT_PTR>(look_->Brush()) : FALSE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      bool isLink = reinterpret_cast<HWND>(lParam) == link_ && link_;
      if (!look_ && !isLink) return FALSE;
      if (isLink) SetTextColor(dc, RGB(0, 0, 224));
      SetBkColor(dc, look_ ? TCustomLook::kFace : GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<INT_PTR>(look_ ? look_->Brush() : GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SETCURSOR:
      if (link_ && reinterpret_cast<HWND>(wParam) == link_) {
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        return Answer(TRUE);
      }
      return FALSE;
    case WM_COMMAND: {
      UserAction();
      int id = LOWORD(wParam);
      if (id == QL_ID_OK)
        Close(false);
      else if (id == QL_ID_KILL && in_.offerTerminate)
        Close(true);
      else if (id == QL_ID_DETAILS)
        ToggleDetails();
      else if (id == QL_ID_SEND && HIWORD(wParam) == BN_CLICKED)
        EnableWindow(GetDlgItem(w_, QL_ID_SCREENSHOT), IsDlgButtonChecked(w_, QL_ID_SEND) == BST_CHECKED);
      else if (id == QL_ID_SUPPORT && HIWORD(wParam) == STN_CLICKED)
        OpenSupport();
      return TRUE;
    }
    case WM_NOTIFY: {
      const NMHDR* n = reinterpret_cast<const NMHDR*>(lParam);
      if (n->idFrom == QL_ID_TABS && n->code == TCN_SELCHANGE) {
        UserAction();
        ShowSelectedPage();
      }
      return FALSE;
    }
    case WM_TIMER:
      if (wParam == kPaintCheckTimer) {
        KillTimer(w_, kPaintCheckTimer);
        if (!painted_) {
          EndDialog(w_, kNeverPainted);
        } else {
          // The dialog's thread is not the one that had the foreground: Wine activates it with
          // WM_NCACTIVATE(FALSE) and never repaints the caption as active. Now that it shows,
          // it takes the foreground and its caption says so.
          if (GetForegroundWindow() != w_) SetForegroundWindow(w_);
          if (GetForegroundWindow() == w_) SendMessageA(w_, WM_NCACTIVATE, TRUE, 0);
        }
      } else if (wParam == kKeepOnTopTimer) {
        KeepOnTop();
      } else if (autoClose_) {
        autoClose_->OnTimer(wParam);
      }
      return TRUE;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) Relayout();
      return FALSE;
    case WM_GETMINMAXINFO: {
      auto* mm = reinterpret_cast<MINMAXINFO*>(lParam);
      if (layout_.minClientWidth > 0) {
        SIZE min = WindowSizeFor(layout_.minClientWidth, layout_.minClientHeight);
        mm->ptMinTrackSize = {min.cx, min.cy};
        if (!details_) mm->ptMaxTrackSize.y = min.cy;  // collapsed: the height follows the content
      }
      return TRUE;
    }
    case WM_DESTROY:
      KillTimer(w_, kPaintCheckTimer);
      KillTimer(w_, kKeepOnTopTimer);
      autoClose_.reset();
      customTabs_.reset();
      pages_.clear();
      currentDialog.store(nullptr);
      return FALSE;
    default: return FALSE;
  }
}

void TErrorDialog::Init() {
  currentDialog.store(w_);
  const uint8_t flags = in_.options.dialogFlags;
  if (flags & dgStayOnTop) {
    pinned_ = true;
    SetWindowPos(w_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  SetLook();
  boxes_ = DialogBoxes(in_.options, in_.duplicate);
  details_ = detailsOverride_ >= 0 ? detailsOverride_ == 1 : (flags & dgDetailsAtStart) != 0;
  errorPicture_ = LoadErrorPicture(resources_);
  rowPictures_ = LoadRowPictures(resources_);
  coords_ = LoadDialogCoordinates(coordinatesFile_);
  SetTexts();
  SetBoxes();
  MakeTabs();
  MeasureTemplate();
  SetFrameStyle();
  PlaceInitially();
  RecordWindows();

  SetFocus(GetDlgItem(w_, QL_ID_OK));
  SetTimer(w_, kPaintCheckTimer, 1, nullptr);
  autoClose_ = std::make_unique<TAutoClose>(w_, in_.options.closeAfterSecs, [this] { Close(false); });
  SetTimer(w_, kKeepOnTopTimer, 10, nullptr);
}

void TErrorDialog::SetLook() {
  if (in_.options.dialogFlags & dgCustomLook) {
    look_ = std::make_unique<TCustomLook>(w_);
    return;
  }
  LONG ex = GetWindowLongA(w_, GWL_EXSTYLE);
  SetWindowLongA(w_, GWL_EXSTYLE, ex & ~WS_EX_TOOLWINDOW);
  SetWindowPos(w_, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TErrorDialog::SetTexts() {
  const TCustomizedTexts& t = in_.options.texts;
  HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(w_, WM_GETFONT, 0, 0));
  font_ = LocaleFontLike(dialogFont);
  for (int id : {QL_ID_MESSAGE, QL_ID_OK, QL_ID_KILL, QL_ID_DETAILS, QL_ID_TABS, QL_ID_SEND, QL_ID_SCREENSHOT,
                 QL_ID_COPY})
    SendDlgItemMessageA(w_, id, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  SetWindowTextA(w_, t[qtError].c_str());
  SetDlgItemTextA(w_, QL_ID_OK, t[qtOK].c_str());
  SetDlgItemTextA(w_, QL_ID_KILL,
                  t[static_cast<size_t>(KillButtonTextIndex(in_.options.terminateAction))].c_str());
  SetDlgItemTextA(w_, QL_ID_DETAILS, t[qtDetails].c_str());
  SetDlgItemTextA(w_, QL_ID_MESSAGE, DialogMessageText(t, in_.message).c_str());
  SetDlgItemTextA(w_, QL_ID_SEND, t[qtSendError].c_str());
  SetDlgItemTextA(w_, QL_ID_SCREENSHOT, t[qtAttachScreenshot].c_str());
  SetDlgItemTextA(w_, QL_ID_COPY, t[qtCopyToClipboard].c_str());
}

void TErrorDialog::SetBoxes() {
  CheckDlgButton(w_, QL_ID_SEND, boxes_.sendChecked ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(w_, QL_ID_SCREENSHOT, boxes_.screenshotChecked ? BST_CHECKED : BST_UNCHECKED);
  EnableWindow(GetDlgItem(w_, QL_ID_SCREENSHOT), boxes_.screenshotEnabled);
  CheckDlgButton(w_, QL_ID_COPY, BST_UNCHECKED);
  if (!boxes_.supportLink) return;
  TLayoutRect copy = ChildRect(w_, QL_ID_COPY);
  link_ = CreateWindowExA(0, "STATIC", in_.options.texts[qtSupportPage].c_str(),
                          WS_CHILD | SS_NOTIFY | SS_NOPREFIX | SS_RIGHT, copy.left, copy.top, copy.Width(),
                          copy.Height(), w_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(QL_ID_SUPPORT)),
                          nullptr, nullptr);
  linkFont_ = LocaleFontLike(font_.get(), false, true);
  SendMessageA(link_, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.get()), FALSE);
}

void TErrorDialog::MakeTabs() {
  tabs_ = DialogTabs(in_.options, !in_.customData.empty());
  HWND tab = GetDlgItem(w_, QL_ID_TABS);
  TPageContext context;
  context.resources = resources_;
  context.input = &in_;
  context.richEditClass = richEditClass_;
  context.rowPictures = rowPictures_.get();
  context.background = look_ ? look_->Brush() : nullptr;
  context.stackColumns = coords_.stackColumns;
  context.moduleColumns = coords_.moduleColumns;
  for (size_t i = 0; i < tabs_.size(); ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    std::string text = in_.options.texts[static_cast<size_t>(tabs_[i].textIndex)];
    item.pszText = text.data();
    SendMessageA(tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    auto page = std::make_unique<TDialogPage>(context, tabs_[i]);
    if (page->Create(w_)) page->Show(false);
    pages_.push_back(std::move(page));
  }
  TabCtrl_SetCurSel(tab, FirstTabIndex(tabs_, in_.options.initialTab));
  if (look_) customTabs_ = std::make_unique<TCustomTabs>(tab, TCustomLook::kFace);
}

void TErrorDialog::MeasureTemplate() {
  RECT size{0, 0, 473, 248};  // the template's size: the frame may have changed since it was made
  MapDialogRect(w_, &size);
  TDialogMetrics& m = metrics_;
  TLayoutRect ok = ChildRect(w_, QL_ID_OK), kill = ChildRect(w_, QL_ID_KILL), tab = ChildRect(w_, QL_ID_TABS);
  TLayoutRect send = ChildRect(w_, QL_ID_SEND), shot = ChildRect(w_, QL_ID_SCREENSHOT),
              copy = ChildRect(w_, QL_ID_COPY);
  RECT du{0, 0, 12, 5};  // the screenshot box's indent, the gap between blocks
  MapDialogRect(w_, &du);
  // Wide enough by default for the call-stack columns, so that the line numbers show.
  int columns = 0;
  for (int c : coords_.stackColumns) columns += c;
  RECT page{0, 0, columns + GetSystemMetrics(SM_CXVSCROLL) + 4 * GetSystemMetrics(SM_CXEDGE), 0};
  RECT pageMargin{0, 0, QL_PAGE_X * 2, 0};
  MapDialogRect(w_, &pageMargin);
  page.right += pageMargin.right;
  TabCtrl_AdjustRect(GetDlgItem(w_, QL_ID_TABS), TRUE, &page);
  m.templateWidth = std::max<int>(size.right, page.right - page.left + 2 * tab.left);
  m.margin = tab.left;
  m.gap = du.bottom;
  m.message = ChildRect(w_, QL_ID_MESSAGE);
  m.picture = {m.margin, m.message.top, m.margin + 32, m.message.top + 32};
  m.buttonWidth = ok.Width();
  m.buttonHeight = ok.Height();
  m.buttonGap = std::max(ok.left - kill.right, m.gap);
  m.checkHeight = send.Height();
  int box = GetSystemMetrics(SM_CXMENUCHECK) + 6;
  const TCustomizedTexts& t = in_.options.texts;
  m.sendWidth = box + TextWidth(w_, font_.get(), t[qtSendError]);
  m.screenshotWidth = box + TextWidth(w_, font_.get(), t[qtAttachScreenshot]);
  m.copyWidth = box + TextWidth(w_, font_.get(), t[qtCopyToClipboard]);
  m.linkWidth = link_ ? TextWidth(w_, linkFont_.get(), t[qtSupportPage]) + 2 : 0;
  m.screenshotIndent = shot.left - send.left;
  m.copyLeft = copy.left;
  m.tabDefaultHeight = tab.Height();
  m.tabMinHeight = tab.Height() / 2;
  TEXTMETRICA tm{};
  {
    TWindowDc dc(w_);
    TDcSelection keep(dc.get(), font_.get());
    GetTextMetricsA(dc.get(), &tm);
  }
  m.messageMaxHeight = kMessageMaxLines * tm.tmHeight;
  ready_ = true;
}

TDialogLayout TErrorDialog::ComputeLayout(int clientWidth, int clientHeight) {
  TDialogLayoutState s;
  s.details = details_;
  s.kill = in_.offerTerminate;
  s.boxes = boxes_;
  s.clientWidth = clientWidth;
  s.clientHeight = clientHeight;
  // The message's height at the width it will get.
  TDialogLayout first = LayoutErrorDialog(metrics_, s);
  RECT r{0, 0, first.message.Width(), 0};
  char text[4096] = "";
  GetDlgItemTextA(w_, QL_ID_MESSAGE, text, sizeof text);
  {
    TWindowDc dc(w_);
    TDcSelection keep(dc.get(), font_.get());
    DrawTextA(dc.get(), text, -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
  }
  metrics_.messageTextHeight = r.bottom;
  return LayoutErrorDialog(metrics_, s);
}

void TErrorDialog::ApplyLayout(const TDialogLayout& l) {
  layout_ = l;
  Place(GetDlgItem(w_, QL_ID_MESSAGE), l.message, true);
  Place(GetDlgItem(w_, QL_ID_KILL), l.kill, in_.offerTerminate);
  Place(GetDlgItem(w_, QL_ID_OK), l.ok, true);
  Place(GetDlgItem(w_, QL_ID_DETAILS), l.details, true);
  Place(GetDlgItem(w_, QL_ID_LINE), l.line, boxes_.rows > 0);
  Place(GetDlgItem(w_, QL_ID_SEND), l.send, boxes_.send);
  Place(GetDlgItem(w_, QL_ID_SCREENSHOT), l.screenshot, boxes_.screenshot);
  Place(GetDlgItem(w_, QL_ID_COPY), l.copy, boxes_.copy);
  Place(link_, l.link, boxes_.supportLink);
  HWND tab = GetDlgItem(w_, QL_ID_TABS);
  Place(tab, l.tab, details_);
  if (details_) {
    RECT display{0, 0, l.tab.Width(), l.tab.Height()};
    TabCtrl_AdjustRect(tab, FALSE, &display);
    OffsetRect(&display, l.tab.left, l.tab.top);
    for (auto& page : pages_)
      if (page->Window()) page->SetBounds(display);
  }
  ShowSelectedPage();
  InvalidateRect(w_, nullptr, TRUE);
}

void TErrorDialog::Relayout() {
  if (!ready_) return;  // frame changes while the dialog is being set up
  RECT client;
  GetClientRect(w_, &client);
  ApplyLayout(ComputeLayout(client.right, details_ ? client.bottom : 0));
}

void TErrorDialog::RecordWindows() {
  EnumWindows(RecordWindow, reinterpret_cast<LPARAM>(&recorded_));
  recorded_.erase(w_);
}

void TErrorDialog::ShowSelectedPage() {
  int selected = TabCtrl_GetCurSel(GetDlgItem(w_, QL_ID_TABS));
  for (size_t i = 0; i < pages_.size(); ++i)
    if (pages_[i]->Window()) pages_[i]->Show(details_ && static_cast<int>(i) == selected);
}

void TErrorDialog::Close(bool terminate) {
  if (closing_) return;
  closing_ = true;
  KillTimer(w_, kPaintCheckTimer);
  KillTimer(w_, kKeepOnTopTimer);
  autoClose_.reset();
  auto checked = [this](int id) { return IsDlgButtonChecked(w_, id) == BST_CHECKED; };
  result_.sendChecked = boxes_.send && checked(QL_ID_SEND);
  // A disabled screenshot box (no sending) asks for nothing.
  result_.screenshotChecked = boxes_.screenshot && result_.sendChecked && checked(QL_ID_SCREENSHOT);
  result_.copyChecked = boxes_.copy && checked(QL_ID_COPY);
  result_.terminateChosen = terminate;
  SaveState();
  EndDialog(w_, terminate ? QL_ID_KILL : QL_ID_OK);
}

void TErrorDialog::OpenSupport() {
  pinned_ = false;
  SetWindowPos(w_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ShellOpen(w_, "open", in_.options.supportAddress.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
}

void TErrorDialog::KeepOnTop() {
  if (pinned_) return;
  HWND fg = GetForegroundWindow();
  if (fg && fg != w_ && recorded_.count(fg)) SetForegroundWindow(w_);
}

void TErrorDialog::UserAction() {
  if (autoClose_) autoClose_->Reset();
}

void TErrorDialog::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w_, &ps);
  if (errorPicture_)
    ImageList_Draw(errorPicture_.get(), 0, dc, layout_.picture.left, layout_.picture.top, ILD_TRANSPARENT);
  EndPaint(w_, &ps);
}
