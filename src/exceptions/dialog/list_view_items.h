// TListViewItems: the rows of the dialog's call-stack and modules lists. Level-0 rows are
// thread captions that collapse and expand the rows below them; the list control shows the
// visible rows only (it owns no items of its own), so this is all its content.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "exceptions/dialog/dialog_input.h"

struct TListViewItemRec {
  int level = 1;  // 0: a caption row that spans the list; 1: a row under it (or of a flat list)
  TDialogImage image = diNone;
  std::vector<std::string> columns;  // a caption row uses columns[0]
  intptr_t param = 0;                // the caller's reference to what the row shows
  bool expanded = true;              // caption rows only
};

class TListViewItems {
 public:
  // Inserts before `index` (-1 or past the end: appends); returns the item's index.
  int Insert(int index, TListViewItemRec item);
  int Add(TListViewItemRec item) { return Insert(-1, std::move(item)); }
  void Delete(int index);
  void Clear();

  int Count() const { return static_cast<int>(items_.size()); }
  // Raises EListError outside 0 .. Count()-1.
  const TListViewItemRec& Item(int index) const;
  intptr_t Param(int index) const { return Item(index).param; }

  // The rows the list shows: captions, and the rows of expanded groups.
  int VisibleCount() const { return static_cast<int>(rows_.size()); }
  // The item shown at visible row `row`; -1 outside.
  int ItemAtRow(int row) const;
  // The row that shows `item`; -1 when it lies in a collapsed group or does not exist.
  int RowOfItem(int item) const;
  // The caption row an item belongs to (itself for a caption); -1 for rows before any caption.
  int GroupOf(int item) const;
  bool HasChildren(int item) const;

  void SetExpanded(int item, bool expanded);
  // Collapses or expands the group of `item`; false when it has no caption row.
  bool ToggleGroup(int item);

  // Redrawing: while updates are pending (BeginUpdate … EndUpdate) nothing is announced; the
  // last EndUpdate announces one change of the whole list.
  void BeginUpdate() { ++updating_; }
  void EndUpdate();
  bool Updating() const { return updating_ > 0; }
  // Asks for rows first..last (visible rows) to be drawn again.
  void RedrawRows(int first, int last);

  // The row count or the grouping changed: the control takes the new count and redraws.
  std::function<void()> OnChanged;
  // Rows first..last must be drawn again.
  std::function<void(int first, int last)> OnRedraw;

 private:
  void Rebuild();
  std::vector<TListViewItemRec> items_;
  std::vector<int> rows_;  // item index of each visible row
  int updating_ = 0;
  bool changedWhileUpdating_ = false;
};
