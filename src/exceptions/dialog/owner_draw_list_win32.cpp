#include <algorithm>

#include "exceptions/dialog/dialog_handles_win32.h"
#include "exceptions/dialog/dialog_pages_win32.h"
#include "exceptions/dialog/dialog_resources_win32.h"

namespace {
constexpr COLORREF kCaptionRow = RGB(232, 238, 248);
constexpr int kTextPad = 4;
}  // namespace

TOwnerDrawList::TOwnerDrawList(HWND list, TListViewItems& items, HIMAGELIST pictures)
    : list_(list), items_(items), pictures_(pictures) {
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
  ListView_SetBkColor(list_, RGB(255, 255, 255));
  ListView_SetTextColor(list_, RGB(0, 0, 0));
  ListView_SetTextBkColor(list_, RGB(255, 255, 255));
  // The small pictures make the rows at least as high as a picture, also where the system
  // does not ask the parent for the row height.
  if (pictures_) ListView_SetImageList(list_, pictures_, LVSIL_SMALL);
  LOGFONTA lf{};
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(list_, WM_GETFONT, 0, 0));
  if (GetObjectA(font ? font : GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf)) {
    lf.lfWeight = FW_BOLD;
    lf.lfCharSet = LocaleCharset();
    boldFont_.reset(CreateFontIndirectA(&lf));
  }
  items_.OnChanged = [this] { Sync(); };
  items_.OnRedraw = [this](int first, int last) { ListView_RedrawItems(list_, first, last); };
  Sync();
}

TOwnerDrawList::~TOwnerDrawList() {
  items_.OnChanged = nullptr;
  items_.OnRedraw = nullptr;
}

void TOwnerDrawList::SetColumns(const std::vector<std::string>& titles, const std::vector<int>& widths) {
  while (ListView_DeleteColumn(list_, 0)) {
  }
  for (size_t i = 0; i < titles.size(); ++i) {
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    c.pszText = const_cast<char*>(titles[i].c_str());
    c.cx = i < widths.size() ? widths[i] : 100;
    c.iSubItem = static_cast<int>(i);
    SendMessageA(list_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&c));
  }
}

std::vector<int> TOwnerDrawList::ColumnWidths() const {
  std::vector<int> widths;
  HWND header = ListView_GetHeader(list_);
  int n = header ? Header_GetItemCount(header) : 0;
  for (int i = 0; i < n; ++i) widths.push_back(ListView_GetColumnWidth(list_, i));
  return widths;
}

void TOwnerDrawList::Sync() {
  ListView_SetItemCountEx(list_, items_.VisibleCount(), LVSICF_NOSCROLL);
  InvalidateRect(list_, nullptr, TRUE);
}

void TOwnerDrawList::DrawText(HDC dc, const std::string& text, RECT r, bool bold) {
  if (r.right <= r.left) return;
  TDcSelection keep(dc, bold ? boldFont_.get() : nullptr);
  ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
}

bool TOwnerDrawList::OnDrawItem(const DRAWITEMSTRUCT& d) {
  if (d.hwndItem != list_) return false;
  int item = items_.ItemAtRow(static_cast<int>(d.itemID));
  if (item < 0) return true;
  const TListViewItemRec& rec = items_.Item(item);
  HDC dc = d.hDC;
  RECT row = d.rcItem;
  bool selected = (d.itemState & ODS_SELECTED) != 0;
  bool focused = GetFocus() == list_;
  COLORREF back = selected                     ? GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE)
                  : rec.level == 0 && grouped_ ? kCaptionRow
                                               : RGB(255, 255, 255);
  COLORREF fore = selected && focused ? GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(0, 0, 0);
  SetBkColor(dc, back);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &row, nullptr, 0, nullptr);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, fore);
  int pictureTop = row.top + (row.bottom - row.top - 16) / 2;

  if (rec.level == 0) {
    // A thread caption: its sign, then its text across every column.
    if (pictures_ && items_.HasChildren(item))
      ImageList_Draw(pictures_, rec.expanded ? lpMinus : lpPlus, dc, row.left + 1, pictureTop,
                     ILD_TRANSPARENT);
    RECT text{row.left + SignWidth() + 2, row.top, row.right - kTextPad, row.bottom};
    DrawText(dc, rec.columns.empty() ? std::string() : rec.columns[0], text, true);
  } else {
    std::vector<int> widths = ColumnWidths();
    int x = row.left;
    for (size_t c = 0; c < widths.size(); ++c) {
      RECT cell{x, row.top, x + widths[c], row.bottom};
      x = cell.right;
      RECT text{cell.left + kTextPad, cell.top, cell.right - kTextPad, cell.bottom};
      if (c == 0) {
        // The row's picture stands under its caption's sign, the text after it.
        int left = cell.left + 2;
        int picture = PictureOf(rec.image);
        if (pictures_ && picture >= 0 && left + 16 <= cell.right)
          ImageList_Draw(pictures_, picture, dc, left, pictureTop, ILD_TRANSPARENT);
        text.left = left + 16 + kTextPad;
      }
      if (c < rec.columns.size()) DrawText(dc, rec.columns[c], text, false);
    }
  }
  if ((d.itemState & ODS_FOCUS) && focused) DrawFocusRect(dc, &row);
  return true;
}

bool TOwnerDrawList::OnNotify(const NMHDR& n, LRESULT* result) {
  if (n.hwndFrom != list_) return false;
  switch (n.code) {
    case LVN_GETDISPINFOA: {
      // The texts, for whoever asks the control for them (screen readers, test drivers).
      auto& info = reinterpret_cast<NMLVDISPINFOA&>(const_cast<NMHDR&>(n));
      int item = items_.ItemAtRow(info.item.iItem);
      if (item >= 0 && (info.item.mask & LVIF_TEXT) && info.item.pszText && info.item.cchTextMax > 0) {
        const TListViewItemRec& rec = items_.Item(item);
        size_t col = static_cast<size_t>(std::max(info.item.iSubItem, 0));
        dispText_ = rec.level == 0 ? (col == 0 && !rec.columns.empty() ? rec.columns[0] : std::string())
                                   : (col < rec.columns.size() ? rec.columns[col] : std::string());
        lstrcpynA(info.item.pszText, dispText_.c_str(), info.item.cchTextMax);
      }
      *result = 0;
      return true;
    }
    case NM_CLICK: {
      const auto& a = reinterpret_cast<const NMITEMACTIVATE&>(n);
      int item = items_.ItemAtRow(a.iItem);
      if (item < 0 || items_.Item(item).level != 0) return false;
      RECT r{};
      ListView_GetItemRect(list_, a.iItem, &r, LVIR_BOUNDS);
      if (a.ptAction.x >= r.left && a.ptAction.x < r.left + SignWidth()) items_.ToggleGroup(item);
      *result = 0;
      return true;
    }
    case NM_DBLCLK: {
      const auto& a = reinterpret_cast<const NMITEMACTIVATE&>(n);
      int item = items_.ItemAtRow(a.iItem);
      if (item >= 0 && OnActivate) OnActivate(item);
      *result = 0;
      return true;
    }
    case LVN_KEYDOWN: {
      const auto& k = reinterpret_cast<const NMLVKEYDOWN&>(n);
      int row = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
      int item = items_.ItemAtRow(row);
      int group = items_.GroupOf(item);
      if (group < 0) return false;
      bool expanded = items_.Item(group).expanded;
      bool collapse = (k.wVKey == VK_LEFT || k.wVKey == VK_SUBTRACT) && expanded;
      bool expand = (k.wVKey == VK_RIGHT || k.wVKey == VK_ADD) && !expanded;
      if (k.wVKey == VK_RETURN && OnActivate) OnActivate(item);
      if (collapse || expand) {
        items_.SetExpanded(group, expand);
        int at = items_.RowOfItem(group);
        ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_SetItemState(list_, at, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(list_, at, FALSE);
      }
      *result = 0;
      return true;
    }
    default: return false;
  }
}
