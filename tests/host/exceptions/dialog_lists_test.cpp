// The rows of the call-stack list: thread captions that collapse and expand, the rows the list
// shows, and when the control is told to redraw.
#include <gtest/gtest.h>

#include "exceptions/dialog/list_view_items.h"
#include "framework/exception.h"

namespace {

TListViewItemRec Caption(const std::string& text) { return {0, diNone, {text}, -1, true}; }
TListViewItemRec Row(intptr_t param) { return {1, diSource, {"00401000", "netvosk.exe"}, param, true}; }

// Two threads: captions at 0 and 3, rows 1, 2 and 4, 5, 6.
TListViewItems TwoThreads() {
  TListViewItems items;
  items.Add(Caption("Exception Thread: ID=1"));
  items.Add(Row(0));
  items.Add(Row(1));
  items.Add(Caption("Running Thread: ID=2"));
  items.Add(Row(2));
  items.Add(Row(3));
  items.Add(Row(4));
  return items;
}

std::vector<int> Shown(const TListViewItems& items) {
  std::vector<int> v;
  for (int r = 0; r < items.VisibleCount(); ++r) v.push_back(items.ItemAtRow(r));
  return v;
}

TEST(ListViewItems, CollapsedGroupsHideTheirRowsOnly) {
  TListViewItems items = TwoThreads();
  EXPECT_EQ(Shown(items), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));

  items.SetExpanded(0, false);
  EXPECT_EQ(Shown(items), (std::vector<int>{0, 3, 4, 5, 6}));
  EXPECT_EQ(items.RowOfItem(1), -1);
  EXPECT_EQ(items.RowOfItem(4), 2);

  // Toggling from a row of the second group folds that group.
  EXPECT_TRUE(items.ToggleGroup(5));
  EXPECT_EQ(Shown(items), (std::vector<int>{0, 3}));
  EXPECT_TRUE(items.ToggleGroup(0));
  EXPECT_EQ(Shown(items), (std::vector<int>{0, 1, 2, 3}));

  EXPECT_EQ(items.GroupOf(2), 0);
  EXPECT_EQ(items.GroupOf(3), 3);
  EXPECT_TRUE(items.HasChildren(3));
  EXPECT_EQ(items.ItemAtRow(99), -1);
  EXPECT_EQ(items.ItemAtRow(-1), -1);
}

TEST(ListViewItems, FlatListsAndEdits) {
  TListViewItems flat;
  flat.Add(Row(7));
  flat.Add(Row(8));
  EXPECT_EQ(flat.GroupOf(1), -1);
  EXPECT_FALSE(flat.ToggleGroup(1));  // nothing to fold
  flat.SetExpanded(1, false);         // nor to collapse
  EXPECT_EQ(flat.VisibleCount(), 2);
  EXPECT_EQ(flat.Param(1), 8);

  TListViewItems items = TwoThreads();
  items.SetExpanded(3, false);
  items.Insert(4, Row(9));  // into the collapsed group: stays hidden
  EXPECT_EQ(items.VisibleCount(), 4);
  items.Delete(3);  // the caption goes: its rows join the first group, which is open
  EXPECT_EQ(items.VisibleCount(), 7);
  EXPECT_EQ(items.GroupOf(6), 0);
  EXPECT_THROW(items.Delete(7), EListError);
  EXPECT_THROW(items.Item(-1), EListError);
  items.Clear();
  EXPECT_EQ(items.VisibleCount(), 0);
}

TEST(ListViewItems, ChangesAreAnnouncedOnceAfterUpdates) {
  TListViewItems items;
  int changed = 0;
  std::vector<std::pair<int, int>> redrawn;
  items.OnChanged = [&] { ++changed; };
  items.OnRedraw = [&](int a, int b) { redrawn.push_back({a, b}); };

  items.BeginUpdate();
  items.BeginUpdate();
  for (int i = 0; i < 50; ++i) items.Add(i % 10 == 0 ? Caption("t") : Row(i));
  items.EndUpdate();
  EXPECT_EQ(changed, 0);
  items.RedrawRows(0, 3);  // nothing is drawn while updating
  EXPECT_TRUE(redrawn.empty());
  items.EndUpdate();
  EXPECT_EQ(changed, 1);
  items.EndUpdate();  // unbalanced: ignored
  EXPECT_EQ(changed, 1);

  items.ToggleGroup(0);
  EXPECT_EQ(changed, 2);
  items.RedrawRows(-5, 1000);  // clamped to the rows there are
  ASSERT_EQ(redrawn.size(), 1u);
  EXPECT_EQ(redrawn[0], (std::pair<int, int>{0, items.VisibleCount() - 1}));
}

}  // namespace
