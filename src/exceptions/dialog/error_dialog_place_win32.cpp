// The error dialog's window: its frame with and without the details, its first place, the
// details toggle and the place it leaves in "QuillonLog.ini".
#include <algorithm>

#include "exceptions/dialog/coordinates_win32.h"
#include "exceptions/dialog/dialog_ids.h"
#include "exceptions/dialog/error_dialog_window_win32.h"

namespace {
TLayoutRect WorkAreaOf(HWND w) {
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  if (!GetMonitorInfoA(MonitorFromWindow(w, MONITOR_DEFAULTTONEAREST), &mi))
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &mi.rcWork, 0);
  return {mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom};
}
}  // namespace

void TErrorDialog::SetFrameStyle() {
  LONG style = GetWindowLongA(w_, GWL_STYLE);
  LONG sizing = WS_THICKFRAME | WS_MAXIMIZEBOX;
  LONG wanted = details_ ? (style | sizing) : (style & ~sizing);
  if (look_) look_->SetResizable(details_);
  if (wanted == style) return;
  SetWindowLongA(w_, GWL_STYLE, wanted);
  SetWindowPos(w_, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

SIZE TErrorDialog::WindowSizeFor(int clientWidth, int clientHeight) const {
  RECT r{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongA(w_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(w_, GWL_EXSTYLE)));
  return {r.right - r.left, r.bottom - r.top};
}

SIZE TErrorDialog::ClientSizeFor(int windowWidth, int windowHeight) const {
  SIZE frame = WindowSizeFor(0, 0);
  return {windowWidth - frame.cx, windowHeight - frame.cy};
}

void TErrorDialog::PlaceInitially() {
  SIZE stored = ClientSizeFor(coords_.width, coords_.height);
  TDialogLayout l =
      ComputeLayout(coords_.hasPlace ? stored.cx : 0, details_ && coords_.hasPlace ? stored.cy : 0);
  SIZE min = WindowSizeFor(l.minClientWidth, l.minClientHeight);
  SIZE size = WindowSizeFor(l.clientWidth, l.clientHeight);
  TDialogCoordinates want = coords_;
  want.width = size.cx;
  want.height = size.cy;
  TLayoutRect place = FitStoredPlace(want, WorkAreaOf(w_), min.cx, min.cy);
  SetWindowPos(w_, nullptr, place.left, place.top, place.Width(), place.Height(),
               SWP_NOZORDER | SWP_NOACTIVATE);
  Relayout();
  if (details_ && coords_.state == wsMaximized) ShowWindow(w_, SW_MAXIMIZE);
}

void TErrorDialog::ToggleDetails() {
  if (details_) SaveState();
  if (IsZoomed(w_)) ShowWindow(w_, SW_RESTORE);
  details_ = !details_;
  ready_ = false;  // one layout when the window has its new frame and size, not one per step
  SetFrameStyle();
  RECT client;
  GetClientRect(w_, &client);
  SIZE stored = ClientSizeFor(coords_.width, coords_.height);
  TDialogLayout l = ComputeLayout(client.right, details_ && coords_.hasPlace ? stored.cy : 0);
  SIZE size = WindowSizeFor(l.clientWidth, l.clientHeight);
  // Growing downwards must not push the buttons off the screen.
  RECT wr;
  GetWindowRect(w_, &wr);
  TLayoutRect work = WorkAreaOf(w_);
  int top = std::max(work.top, std::min<int>(wr.top, work.bottom - size.cy));
  SetWindowPos(w_, nullptr, wr.left, top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  ready_ = true;
  Relayout();
  if (!details_) {
    HWND focus = GetFocus();
    if (!focus || !IsWindowVisible(focus)) SetFocus(GetDlgItem(w_, QL_ID_DETAILS));
  }
}

void TErrorDialog::SaveState() {
  if (!details_) return;
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  RECT r;
  GetWindowRect(w_, &r);
  bool zoomed = IsZoomed(w_) != FALSE;
  if (zoomed && GetWindowPlacement(w_, &wp)) {
    // The restored place is kept in work-area coordinates.
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoA(MonitorFromWindow(w_, MONITOR_DEFAULTTONEAREST), &mi);
    r = wp.rcNormalPosition;
    OffsetRect(&r, mi.rcWork.left - mi.rcMonitor.left, mi.rcWork.top - mi.rcMonitor.top);
  }
  coords_.hasPlace = true;
  coords_.left = r.left, coords_.top = r.top;
  coords_.width = r.right - r.left, coords_.height = r.bottom - r.top;
  coords_.state = zoomed ? wsMaximized : wsNormal;
  for (auto& page : pages_) {
    std::vector<int> widths = page->ColumnWidths();
    if (page->Tab().page == dpCallStack && widths.size() == coords_.stackColumns.size())
      std::copy(widths.begin(), widths.end(), coords_.stackColumns.begin());
    if (page->Tab().page == dpModules && widths.size() == coords_.moduleColumns.size())
      std::copy(widths.begin(), widths.end(), coords_.moduleColumns.begin());
  }
  SaveDialogCoordinates(coordinatesFile_, coords_);
}
