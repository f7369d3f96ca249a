#include "exceptions/dialog/list_view_items.h"

#include <algorithm>

#include "framework/exception.h"

int TListViewItems::Insert(int index, TListViewItemRec item) {
  if (index < 0 || index > Count()) index = Count();
  items_.insert(items_.begin() + index, std::move(item));
  Rebuild();
  return index;
}

void TListViewItems::Delete(int index) {
  Item(index);  // range check
  items_.erase(items_.begin() + index);
  Rebuild();
}

void TListViewItems::Clear() {
  items_.clear();
  Rebuild();
}

const TListViewItemRec& TListViewItems::Item(int index) const {
  if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", index));
  return items_[static_cast<size_t>(index)];
}

int TListViewItems::ItemAtRow(int row) const {
  return row >= 0 && row < VisibleCount() ? rows_[static_cast<size_t>(row)] : -1;
}

int TListViewItems::RowOfItem(int item) const {
  auto it = std::lower_bound(rows_.begin(), rows_.end(), item);
  return it != rows_.end() && *it == item ? static_cast<int>(it - rows_.begin()) : -1;
}

int TListViewItems::GroupOf(int item) const {
  if (item < 0 || item >= Count()) return -1;
  for (int i = item; i >= 0; --i)
    if (items_[static_cast<size_t>(i)].level == 0) return i;
  return -1;
}

bool TListViewItems::HasChildren(int item) const {
  return item >= 0 && item + 1 < Count() && items_[static_cast<size_t>(item)].level == 0 &&
         items_[static_cast<size_t>(item) + 1].level > 0;
}

void TListViewItems::SetExpanded(int item, bool expanded) {
  int group = Item(item).level == 0 ? item : GroupOf(item);
  if (group < 0) return;
  TListViewItemRec& rec = items_[static_cast<size_t>(group)];
  if (rec.expanded == expanded) return;
  rec.expanded = expanded;
  Rebuild();
}

bool TListViewItems::ToggleGroup(int item) {
  int group = GroupOf(item);
  if (group < 0) return false;
  SetExpanded(group, !items_[static_cast<size_t>(group)].expanded);
  return true;
}

void TListViewItems::EndUpdate() {
  if (updating_ == 0) return;
  if (--updating_ == 0 && changedWhileUpdating_) {
    changedWhileUpdating_ = false;
    if (OnChanged) OnChanged();
  }
}

void TListViewItems::RedrawRows(int first, int last) {
  if (Updating() || !OnRedraw || VisibleCount() == 0) return;
  first = std::max(first, 0);
  last = std::min(last, VisibleCount() - 1);
  if (first <= last) OnRedraw(first, last);
}

void TListViewItems::Rebuild() {
  rows_.clear();
  bool hidden = false;
  for (int i = 0; i < Count(); ++i) {
    const TListViewItemRec& r = items_[static_cast<size_t>(i)];
    if (r.level == 0) hidden = !r.expanded;
    if (r.level == 0 || !hidden) rows_.push_back(i);
  }
  if (Updating())
    changedWhileUpdating_ = true;
  else if (OnChanged)
    OnChanged();
}
