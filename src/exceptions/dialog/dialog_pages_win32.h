// The error dialog's tab pages: the rich-text pages (General, CPU), the owner-drawn lists
// (Call Stack, Modules) and the custom data page (Other).
#pragma once

// windows.h first: commctrl.h needs its types.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "exceptions/dialog/dialog_handles_win32.h"
#include "exceptions/dialog/dialog_model.h"
#include "exceptions/dialog/list_view_items.h"

// A list-view control in report mode that shows a TListViewItems: it holds no items itself
// (owner data) and draws every row (owner draw), thread captions spanning the row with a
// plus or minus sign in front.
class TOwnerDrawList {
 public:
  TOwnerDrawList(HWND list, TListViewItems& items, HIMAGELIST pictures);
  ~TOwnerDrawList();
  TOwnerDrawList(const TOwnerDrawList&) = delete;
  TOwnerDrawList& operator=(const TOwnerDrawList&) = delete;

  void SetColumns(const std::vector<std::string>& titles, const std::vector<int>& widths);
  std::vector<int> ColumnWidths() const;
  HWND Window() const { return list_; }
  // Whether the rows are indented under caption rows.
  void SetGrouped(bool grouped) { grouped_ = grouped; }

  // The list's messages as its parent receives them; true when handled (with *result).
  bool OnDrawItem(const DRAWITEMSTRUCT& d);
  bool OnNotify(const NMHDR& n, LRESULT* result);
  // A row was double-clicked or Enter pressed on it (item index of the model).
  std::function<void(int item)> OnActivate;

 private:
  void Sync();  // the control takes the model's visible row count
  void DrawText(HDC dc, const std::string& text, RECT r, bool bold);
  int SignWidth() const { return 18; }

  HWND list_;
  TListViewItems& items_;
  HIMAGELIST pictures_;
  bool grouped_ = true;
  std::string dispText_;  // the text handed out by the last LVN_GETDISPINFO
  TFontHandle boldFont_;
};

struct TPageContext {
  HMODULE resources = nullptr;
  const TErrorDialogInput* input = nullptr;
  std::string richEditClass;  // "" when no rich-edit library could be loaded
  HIMAGELIST rowPictures = nullptr;
  HBRUSH background = nullptr;  // custom look: the pages' background brush; null: the system's
  std::array<int, 6> stackColumns{};
  std::array<int, 7> moduleColumns{};
};

// One tab page: a child dialog made from its template, laid over the tab control's display area.
class TDialogPage {
 public:
  TDialogPage(const TPageContext& context, const TDialogTab& tab);
  ~TDialogPage();
  TDialogPage(const TDialogPage&) = delete;
  TDialogPage& operator=(const TDialogPage&) = delete;

  // Makes the page's window as a child of `dialog`; false when its template is missing.
  bool Create(HWND dialog);
  HWND Window() const { return page_; }
  HWND Content() const;
  const TDialogTab& Tab() const { return tab_; }
  void SetBounds(const RECT& r);
  void Show(bool show);
  // Column widths of a list page (empty for other pages).
  std::vector<int> ColumnWidths() const { return list_ ? list_->ColumnWidths() : std::vector<int>(); }
  const TListViewItems& Items() const { return items_; }
  TOwnerDrawList* List() const { return list_.get(); }

 private:
  static INT_PTR CALLBACK Proc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  void Fill();
  void FillRichText(const std::string& rtf);
  void FillStack();
  void FillModules();
  void Relayout();
  void Activate(int item);

  TPageContext context_;
  TDialogTab tab_;
  HWND page_ = nullptr;
  TListViewItems items_;
  std::unique_ptr<TOwnerDrawList> list_;
  std::vector<const TDialogStackEntry*> entries_;  // what the call-stack rows show, by param
};

// Streams rich text into a rich-edit control; false when the control refused it.
bool StreamRichText(HWND edit, const std::string& rtf);
