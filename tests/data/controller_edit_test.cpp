// Editing, deleting, navigation, the bookmark and the selection API of the
// controller, seen from the view: focus, records, values and notifications.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataSelection.h"
#include "tests/data/data_controller_support.h"

namespace data_test {
namespace {

using namespace data;

// Records 0..n-1 with item 0 = 100 + record and item 1 = record % 3.
struct EditRows {
  TestController c{nullptr};
  std::vector<std::string> events;
  explicit EditRows(int count = 10) {
    c.addItem(TcxIntegerValueType::Instance());
    c.addItem(TcxIntegerValueType::Instance());
    c.BeginUpdate();
    c.SetRecordCount(count);
    for (int r = 0; r < count; ++r) {
      c.SetValue(r, 0, Variant(100 + r));
      c.SetValue(r, 1, Variant(r % 3));
    }
    c.EndUpdate();
  }
  void logEvents() {
    auto log = [this](const char* name) {
      return rtl::TNotifyEvent::fromClosure(this, [this, name](rtl::TObject*) { events.push_back(name); });
    };
    c.FOnBeforePost = log("beforePost");
    c.FOnAfterPost = log("afterPost");
    c.FOnBeforeImmediatePost = log("beforeImmediatePost");
    c.FOnBeforeCancel = log("beforeCancel");
    c.FOnAfterCancel = log("afterCancel");
  }
  int value(int record) { return c.GetValue(record, 0).AsInteger(); }
  std::vector<int> values() {
    std::vector<int> result;
    for (int r = 0; r < c.GetRecordCount(); ++r) result.push_back(value(r));
    return result;
  }
  std::vector<int> selectedRows() {
    std::vector<int> rows;
    for (int i = 0; i < c.GetSelectedCount(); ++i) rows.push_back(c.GetSelectedRowIndex(i));
    return rows;
  }
};

// --- edit state and operations ---------------------------------------------------------------------------
TEST(ControllerEdit, EditStateFollowsTheProvider) {
  EditRows f;
  EXPECT_TRUE(f.c.GetEditState().empty());
  EXPECT_FALSE(f.c.IsEditing());
  const TcxDataControllerEditOperations all{dceoAppend, dceoDelete, dceoEdit, dceoInsert, dceoShowEdit};
  EXPECT_EQ(f.c.GetEditOperations(), all) << "a provider that can do everything and is not a dataset";

  f.c.ChangeFocusedRowIndex(3);
  f.c.Edit();
  EXPECT_EQ(f.c.GetEditState(), TcxDataControllerEditState{dceEdit});
  EXPECT_TRUE(f.c.IsEditing());
  EXPECT_EQ(f.c.GetEditingRecordIndex(), 3);
  ASSERT_TRUE(f.c.SetEditValue(0, Variant(7), evsValue));
  EXPECT_EQ(f.c.GetEditState(), (TcxDataControllerEditState{dceEdit, dceChanging, dceModified}));
  f.c.Cancel();
  EXPECT_TRUE(f.c.GetEditState().empty());
  EXPECT_EQ(f.value(3), 103) << "cancel restores the saved copy";

  f.c.Insert();
  EXPECT_TRUE(f.c.GetEditState().contains(dceInsert));
  f.c.Cancel();
  EXPECT_EQ(f.c.GetRecordCount(), 10);
}

TEST(ControllerEdit, EditingRecordIsTheFocusedOneUntilEditingStarts) {
  EditRows f;
  f.c.ChangeFocusedRowIndex(-1);
  EXPECT_EQ(f.c.GetEditingRecordIndex(), cxNullEditingRecordIndex);
  EXPECT_FALSE(f.c.CanInitEditing(0)) << "nothing focused, nothing to edit";
  f.c.ChangeFocusedRowIndex(4);
  EXPECT_EQ(f.c.GetEditingRecordIndex(), 4);
  EXPECT_EQ(f.c.GetEditValue(0, evsValue).AsInteger(), 104);
  EXPECT_THROW(f.c.GetEditValue(5, evsValue), rtl::Exception);
}

TEST(ControllerEdit, ImmediatePostPostsRightAfterTheValueAndSaysSoFirst) {
  EditRows f;
  f.logEvents();
  f.c.SetOptions(f.c.Options() + dcoImmediatePost);
  f.c.ChangeFocusedRowIndex(2);
  ASSERT_TRUE(f.c.SetEditValue(0, Variant(42), evsValue));
  EXPECT_EQ(f.events, (std::vector<std::string>{"beforeImmediatePost", "beforePost", "afterPost"}));
  EXPECT_FALSE(f.c.IsEditing());
  EXPECT_EQ(f.value(2), 42);
}

TEST(ControllerEdit, PostForgetsTheInsertedRecordAlsoWhenThePostFails) {
  EditRows f;
  f.c.ChangeFocusedRowIndex(1);
  f.c.Insert();
  f.c.SetEditValue(0, Variant(5), evsValue);
  f.c.Provider()->SetInsertedRecordIndex(7);
  f.c.FOnBeforePost = rtl::TNotifyEvent::fromClosure(&f, [](rtl::TObject*) { throw std::runtime_error("refused"); });
  EXPECT_THROW(f.c.Post(), std::runtime_error);
  EXPECT_EQ(f.c.Provider()->InsertedRecordIndex(), -1);
  f.c.FOnBeforePost = nullptr;
  f.c.Post();
  EXPECT_FALSE(f.c.IsEditing());
}

TEST(ControllerEdit, PostingARecordThatLeavesTheFilterFocusesTheFirstRow) {
  EditRows f;
  f.c.SetValue(9, 0, Variant(0));  // filtered out from the start
  f.c.SetOnFilterRecord(TcxDataFilterRecordEvent::fromClosure(&f, [&f](TcxCustomDataController*, int r, bool& accept) {
    accept = f.c.GetValue(r, 0).AsInteger() >= 100;
  }));
  ASSERT_EQ(f.c.DataControllerInfo()->GetFilteredRecordCount(), 9);
  f.c.ChangeFocusedRowIndex(4);
  ASSERT_EQ(f.c.GetFocusedRecordIndex(), 4);
  // Edited out of the filter: the pass after the post drops the focused
  // record, and the post has that pass re-check the focus.
  f.c.Edit();
  ASSERT_TRUE(f.c.SetEditValue(0, Variant(7), evsValue));
  f.c.Post();
  EXPECT_EQ(f.value(4), 7);
  EXPECT_EQ(f.c.DataControllerInfo()->GetFilteredRecordCount(), 8);
  EXPECT_EQ(f.c.GetFocusedRowIndex(), 0);
  EXPECT_EQ(f.c.GetFocusedRecordIndex(), 0);
  f.c.SetOnFilterRecord(TcxDataFilterRecordEvent());
}

TEST(ControllerEdit, CancellingAnInsertKeepsTheFocusAtItsRowOrTheLastRow) {
  const struct {
    int focusedRow;
    bool append;
    int rowAfter;
  } cases[] = {{2, false, 2}, {9, true, 9}, {0, false, 0}};
  for (const auto& tc : cases) {
    EditRows f;
    f.c.ChangeFocusedRowIndex(tc.focusedRow);
    if (tc.append)
      f.c.Append();
    else
      f.c.Insert();
    ASSERT_EQ(f.c.GetRecordCount(), 11);
    f.c.Cancel();
    EXPECT_EQ(f.c.GetRecordCount(), 10);
    EXPECT_EQ(f.c.GetFocusedRowIndex(), tc.rowAfter) << "from row " << tc.focusedRow;
  }
}

TEST(ControllerEdit, NewItemRowShowsBlanksUntilEditingStarts) {
  EditRows f;
  f.c.SetUseNewItemRowForEditing(true);
  f.c.SetNewItemRowFocused(true);
  EXPECT_TRUE(rtl::VarIsNull(f.c.GetEditValue(0, evsValue)));
  EXPECT_TRUE(f.c.IsNewItemRecordIndex(f.c.GetNewItemRecordIndex()));
  EXPECT_FALSE(f.c.IsNewItemRecordIndex(0));
}

TEST(ControllerEdit, FocusingTheNewItemRowStartsAnInsertOnlyWithTheOption) {
  for (const bool option : {false, true}) {
    SCOPED_TRACE(option);
    EditRows f;
    f.logEvents();
    f.c.FOnBeforeInsert = rtl::TNotifyEvent::fromClosure(&f, [&f](rtl::TObject*) { f.events.push_back("beforeInsert"); });
    if (option) f.c.SetOptions(f.c.Options() + dcoInsertOnNewItemRowFocusing);
    f.c.SetUseNewItemRowForEditing(true);
    f.c.SetNewItemRowFocused(true);
    EXPECT_EQ(f.c.GetEditState().contains(dceInsert), option);
    EXPECT_EQ(f.events, option ? std::vector<std::string>{"beforeInsert"} : std::vector<std::string>{});
    if (!option) continue;
    ASSERT_TRUE(f.c.SetEditValue(0, Variant(77), evsValue));
    f.c.Post();
    EXPECT_FALSE(f.c.IsEditing());
    EXPECT_EQ(f.c.GetRecordCount(), 11);
    EXPECT_EQ(f.value(10), 77);
  }
}

// --- navigation ----------------------------------------------------------------------------------------------
struct EditNavigationCase {
  const char* name;
  int rows;
  int focusedRow;
  std::function<void(TcxCustomDataController&)> act;
  int expectedRow;
  bool bof, eof;
};

const EditNavigationCase kEditNavigation[] = {
    {"first", 10, 5, [](auto& c) { c.GotoFirst(); }, 0, true, false},
    {"last", 10, 5, [](auto& c) { c.GotoLast(); }, 9, false, true},
    {"next", 10, 5, [](auto& c) { c.GotoNext(); }, 6, false, false},
    {"next on the last row stays", 10, 9, [](auto& c) { c.GotoNext(); }, 9, false, true},
    {"prev", 10, 5, [](auto& c) { c.GotoPrev(); }, 4, false, false},
    {"prev on row 0 stays", 10, 0, [](auto& c) { c.GotoPrev(); }, 0, true, false},
    {"move by 3", 10, 5, [](auto& c) { c.MoveBy(3); }, 8, false, false},
    {"move back past the top", 10, 2, [](auto& c) { c.MoveBy(-5); }, 0, true, false},
    {"move past the end", 10, 2, [](auto& c) { c.MoveBy(50); }, 9, false, true},
    {"scroll moves nothing", 10, 4, [](auto& c) { c.Scroll(3); }, 4, false, false},
    {"first of nothing", 0, -1, [](auto& c) { c.GotoFirst(); }, -1, true, true},
    {"last of nothing", 0, -1, [](auto& c) { c.GotoLast(); }, -1, true, true},
    {"one row", 1, 0, [](auto& c) { c.GotoNext(); }, 0, true, true},
};

class EditNavigation : public ::testing::TestWithParam<EditNavigationCase> {};

TEST_P(EditNavigation, MovesTheFocusOverRows) {
  const EditNavigationCase& tc = GetParam();
  EditRows f(tc.rows);
  f.c.ChangeFocusedRowIndex(tc.focusedRow);
  tc.act(f.c);
  EXPECT_EQ(f.c.GetFocusedRowIndex(), tc.expectedRow);
  EXPECT_EQ(f.c.IsBOF(), tc.bof);
  EXPECT_EQ(f.c.IsEOF(), tc.eof);
}

INSTANTIATE_TEST_SUITE_P(ControllerEdit, EditNavigation, ::testing::ValuesIn(kEditNavigation),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           std::replace(name.begin(), name.end(), ' ', '_');
                           return name;
                         });

// --- the bookmark ------------------------------------------------------------------------------------------------
struct EditBookmarkCase {
  const char* name;
  std::function<void(EditRows&)> act;
  std::vector<std::string> notifications;
  int bookmark;  // the bookmarked record afterwards
};

class BookmarkFilter : public TcxRecordListFilter {
 public:
  explicit BookmarkFilter(int record) : record_(record) {}
  bool IsFiltering() override { return true; }
  bool SupportsMultiThreading() override { return false; }
  bool Accepts(int record) override { return record != record_; }

 private:
  int record_;
};

BookmarkFilter gBookmarkDropsFour(4);

const EditBookmarkCase kEditBookmarks[] = {
    {"saving sends a notification", [](EditRows& f) { f.c.SaveBookmark(); }, {"bookmark"}, 4},
    {"saving the bookmarked record again sends none",
     [](EditRows& f) {
       f.c.SaveBookmark();
       f.c.SaveBookmark();
     },
     {"bookmark"}, 4},
    {"clearing an absent bookmark sends none", [](EditRows& f) { f.c.ClearBookmark(); }, {}, -1},
    {"clearing a bookmark sends one",
     [](EditRows& f) {
       f.c.SaveBookmark();
       f.c.ClearBookmark();
     },
     {"bookmark", "bookmark"}, -1},
    {"filtering out the bookmarked record clears it",
     [](EditRows& f) {
       f.c.SaveBookmark();
       f.c.DataControllerInfo()->SetFilter(&gBookmarkDropsFour);
       f.c.DataControllerInfo()->SetFilter(nullptr);
     },
     {"bookmark", "bookmark"}, -1},
    {"deleting the bookmarked record clears it",
     [](EditRows& f) {
       f.c.SaveBookmark();
       f.c.DeleteRecord(4);
     },
     {"bookmark", "bookmark"}, -1},
    {"deleting another record keeps it",
     [](EditRows& f) {
       f.c.SaveBookmark();
       f.c.DeleteRecord(8);
     },
     {"bookmark"}, 4},
};

class EditBookmark : public ::testing::TestWithParam<EditBookmarkCase> {};

TEST_P(EditBookmark, IsKeptAndReported) {
  const EditBookmarkCase& tc = GetParam();
  EditRows f;
  f.c.ChangeFocusedRowIndex(4);
  RecordingView view(f.c);
  tc.act(f);
  std::vector<std::string> bookmarks;
  std::copy_if(view.log.begin(), view.log.end(), std::back_inserter(bookmarks),
               [](const std::string& line) { return line == "bookmark"; });
  EXPECT_EQ(bookmarks, tc.notifications);
  EXPECT_EQ(f.c.BookmarkRecordIndex(), tc.bookmark);
  EXPECT_EQ(f.c.IsBookmarkAvailable(), tc.bookmark != -1);
}

INSTANTIATE_TEST_SUITE_P(ControllerEdit, EditBookmark, ::testing::ValuesIn(kEditBookmarks), [](const auto& info) {
  std::string name = info.param.name;
  std::replace(name.begin(), name.end(), ' ', '_');
  return name;
});

TEST(ControllerEdit, GotoBookmarkFocusesTheRecordWhereverItIsNow) {
  EditRows f;
  f.c.ChangeFocusedRowIndex(2);
  f.c.SaveBookmark();
  f.c.DataControllerInfo()->ChangeSorting(f.c.GetItemField(0), soDescending);
  f.c.ChangeFocusedRowIndex(0);
  EXPECT_FALSE(f.c.IsBookmarkRow(0));
  f.c.GotoBookmark();
  EXPECT_EQ(f.c.GetFocusedRecordIndex(), 2);
  EXPECT_EQ(f.c.GetFocusedRowIndex(), 7);
  EXPECT_TRUE(f.c.IsBookmarkRow(7));
}

// --- the selection API -------------------------------------------------------------------------------------------
TEST(ControllerSelection, SingleSelectionIsTheFocusedRow) {
  EditRows f;
  f.c.ChangeFocusedRowIndex(3);
  ASSERT_FALSE(f.c.MultiSelect());
  EXPECT_EQ(f.c.GetSelectedCount(), 1);
  EXPECT_EQ(f.c.GetSelectedRowIndex(0), 3);
  EXPECT_EQ(f.c.GetSelectedRowIndex(1), -1);
  EXPECT_TRUE(f.c.IsRowSelected(3));
  EXPECT_FALSE(f.c.IsRowSelected(4));
  f.c.ChangeRowSelection(5, true);
  EXPECT_FALSE(f.c.IsRowSelected(5)) << "only the focused row can be selected";

  RecordingView view(f.c);
  f.c.SyncSelected(false);
  EXPECT_EQ(f.c.GetSelectedCount(), 0);
  EXPECT_EQ(f.c.GetSelectedRowIndex(0), -1);
  EXPECT_EQ(view.log, (std::vector<std::string>{"selection [3]"}));
  f.c.SyncSelected(false);
  EXPECT_EQ(view.log.size(), 1u) << "no change, no notification";

  f.c.ChangeFocusedRowIndex(-1);
  f.c.SyncSelected(true);
  EXPECT_EQ(f.c.GetSelectedCount(), 0) << "no focused row, nothing selected";
}

TEST(ControllerSelection, FocusingAnotherRowSelectsItInSingleSelection) {
  EditRows f;
  f.c.ChangeFocusedRowIndex(3);
  f.c.SyncSelected(false);
  ASSERT_EQ(f.c.GetSelectedCount(), 0);
  RecordingView view(f.c);
  f.c.ChangeFocusedRowIndex(5);
  EXPECT_EQ(f.selectedRows(), (std::vector<int>{5})) << "a focus change selects the focused row again";
  EXPECT_TRUE(f.c.IsRowSelected(5));
  EXPECT_NE(std::find(view.log.begin(), view.log.end(), "selection [5]"), view.log.end());
  f.c.ChangeFocusedRecordIndex(7);
  EXPECT_EQ(f.selectedRows(), (std::vector<int>{7}));
}

TEST(ControllerSelection, SwitchingMultiSelectKeepsTheFocusedRowSelected) {
  EditRows f;
  f.c.ChangeFocusedRowIndex(6);
  f.c.SetMultiSelect(true);
  EXPECT_EQ(f.selectedRows(), (std::vector<int>{6}));
  f.c.ChangeRowSelection(2, true);
  EXPECT_EQ(f.selectedRows(), (std::vector<int>{2, 6}));
  EXPECT_THROW(f.c.IsRowSelected(10), EcxInvalidDataControllerOperation);
  f.c.SetMultiSelect(false);
  EXPECT_EQ(f.c.DataControllerInfo()->GetSelectedCount(), 0) << "switching off clears the multiple selection";
  EXPECT_EQ(f.selectedRows(), (std::vector<int>{6}));
}

struct SelectionRangeCase {
  const char* name;
  std::function<void(TcxCustomDataController&)> act;
  std::vector<int> rows;
  int anchor;
};

const SelectionRangeCase kSelectionRanges[] = {
    {"rows in reverse order", [](auto& c) { c.SelectRows(7, 4); }, {4, 5, 6, 7}, -1},
    {"all rows", [](auto& c) { c.SelectAll(); }, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, -1},
    {"from the anchor, replacing",
     [](auto& c) {
       c.ChangeRowSelection(0, true);
       c.SetSelectionAnchor(5);
       c.SelectFromAnchor(3, false);
     },
     {3, 4, 5}, 5},
    {"from the anchor, keeping",
     [](auto& c) {
       c.ChangeRowSelection(0, true);
       c.SetSelectionAnchor(5);
       c.SelectFromAnchor(6, true);
     },
     {0, 5, 6}, 5},
    {"no anchor, nothing happens",
     [](auto& c) {
       c.ChangeRowSelection(1, true);
       c.SelectFromAnchor(6, false);
     },
     {1}, -1},
    {"synced with the focused record",
     [](auto& c) {
       c.SelectRows(0, 2);
       c.ChangeFocusedRowIndex(8);
       c.SyncSelectionFocusedRecord();
     },
     {8}, 8},
    {"checked after an incremental search",
     [](auto& c) {
       c.SelectRows(0, 2);
       c.ChangeFocusedRowIndex(4);
       c.CheckFocusedSelected();
     },
     {4}, -1},
    {"deselecting the anchor row forgets it",
     [](auto& c) {
       c.SelectRows(2, 3);
       c.SetSelectionAnchor(3);
       c.ChangeRowSelection(3, false);
     },
     {2}, -1},
};

class SelectionRanges : public ::testing::TestWithParam<SelectionRangeCase> {};

TEST_P(SelectionRanges, SelectTheRowsInOrder) {
  const SelectionRangeCase& tc = GetParam();
  EditRows f;
  f.c.ChangeFocusedRowIndex(-1);
  f.c.SetMultiSelect(true);
  tc.act(f.c);
  EXPECT_EQ(f.selectedRows(), tc.rows);
  EXPECT_EQ(f.c.GetSelectionAnchorRowIndex(), tc.anchor);
  EXPECT_EQ(f.c.IsSelectionAnchorExist(), tc.anchor != -1);
}

INSTANTIATE_TEST_SUITE_P(ControllerEdit, SelectionRanges, ::testing::ValuesIn(kSelectionRanges), [](const auto& info) {
  std::string name = info.param.name;
  std::replace(name.begin(), name.end(), ' ', '_');
  std::replace(name.begin(), name.end(), ',', '_');
  return name;
});

TEST(ControllerSelection, AnchorOutsideTheRowsIsRefused) {
  EditRows f(3);
  f.c.SetMultiSelect(true);
  EXPECT_THROW(f.c.SetSelectionAnchor(3), EcxInvalidDataControllerOperation);
  EXPECT_THROW(f.c.SetSelectionAnchor(-1), EcxInvalidDataControllerOperation);
  EXPECT_FALSE(f.c.IsSelectionAnchorExist());
}

TEST(ControllerSelection, FocusSelectedRowFocusesTheNthSelectedRow) {
  EditRows f;
  f.c.SetMultiSelect(true);
  f.c.ClearSelection();
  f.c.SelectRows(6, 7);
  EXPECT_TRUE(f.c.FocusSelectedRow(1));
  EXPECT_EQ(f.c.GetFocusedRowIndex(), 7);
}

// --- deleting ------------------------------------------------------------------------------------------------------
TEST(ControllerDelete, RecordListIsSortedDedupedAndMovesTheNearestRecord) {
  EditRows f;
  f.c.SetNearestRecordIndex(6);
  f.c.DeleteRecords({5, 2, 5});
  EXPECT_EQ(f.values(), (std::vector<int>{100, 101, 103, 104, 106, 107, 108, 109}));
  EXPECT_EQ(f.c.NearestRecordIndex(), 4);
  EXPECT_EQ(f.value(f.c.GetFocusedRecordIndex()), 106) << "the nearest record gets the focus";
}

TEST(ControllerDelete, AFailedDeletionPointsTheNearestRecordAtTheFocusedOne) {
  EditRows f;
  f.c.ChangeFocusedRowIndex(3);
  f.c.SetNearestRecordIndex(6);
  f.c.FOnBeforeDelete = TcxDataControllerRecordEvent::fromClosure(
      &f, [](TcxCustomDataController*, int) { throw std::runtime_error("refused"); });
  EXPECT_THROW(f.c.DeleteRecords({1}), std::runtime_error);
  EXPECT_EQ(f.c.NearestRecordIndex(), 3);
  f.c.SetNearestRecordIndex(8);
  EXPECT_THROW(f.c.DeleteFocusedRecord(), std::runtime_error);
  EXPECT_EQ(f.c.NearestRecordIndex(), 3);
  EXPECT_EQ(f.c.GetRecordCount(), 10);
}

TEST(ControllerDelete, SingleSelectionDeletesTheFocusedRecord) {
  EditRows f;
  f.c.ChangeFocusedRowIndex(4);
  f.c.DeleteSelection();
  EXPECT_EQ(f.c.GetRecordCount(), 9);
  const std::vector<int> values = f.values();
  EXPECT_EQ(std::count(values.begin(), values.end(), 104), 0);
  EXPECT_EQ(f.value(f.c.GetFocusedRecordIndex()), 105) << "the next row takes the focus";
  EXPECT_EQ(f.c.NearestRecordIndex(), -1);
}

TEST(ControllerDelete, AFocusedGroupRowDeletesItsRecords) {
  EditRows f;
  f.c.DataControllerInfo()->ChangeGrouping(f.c.GetItemField(1), 0);
  f.c.DataControllerInfo()->FullExpand();
  // Row 0 is the group of item 1 = 0: records 0, 3, 6, 9.
  f.c.ChangeFocusedRowIndex(0);
  ASSERT_EQ(f.c.GetRowInfo(0).Level, 0);
  f.c.DeleteFocused();
  EXPECT_EQ(f.values(), (std::vector<int>{101, 102, 104, 105, 107, 108}));
}

TEST(ControllerDelete, AGroupRowAndOneOfItsRecordsDeleteEachRecordOnce) {
  EditRows f;
  f.c.DataControllerInfo()->ChangeGrouping(f.c.GetItemField(1), 0);
  f.c.DataControllerInfo()->FullExpand();
  f.c.SetMultiSelect(true);
  f.c.ClearSelection();
  // Rows: 0 group "0", 1..4 records 0 3 6 9, 5 group "1", 6..8 records 1 4 7.
  f.c.ChangeRowSelection(5, true);
  f.c.ChangeRowSelection(7, true);
  f.c.ChangeRowSelection(2, true);
  f.c.DeleteSelection();
  EXPECT_EQ(f.values(), (std::vector<int>{100, 102, 105, 106, 108, 109}));
  EXPECT_EQ(f.c.DataControllerInfo()->GetSelectedCount(), 0);
}

// Deleting a large selection goes through the storage once; the records and
// values left must be exactly those of deleting one record at a time, which
// the reference model does with a plain vector.
TEST(ControllerDelete, LargeSelectionLeavesExactlyTheUnselectedRecords) {
  const struct {
    unsigned seed;
    int records;
    int selectOneIn;
    bool sorted;
    bool bookmarkSelected;
  } cases[] = {{1, 5000, 2, true, true}, {2, 3000, 7, false, false}, {3, 2000, 1, true, false}};
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.seed);
    std::mt19937 random(tc.seed);
    TestController c(nullptr);
    c.addItem(TcxIntegerValueType::Instance());
    c.addItem(TcxStringValueType::Instance());
    std::vector<std::pair<int, std::string>> model;
    c.BeginUpdate();
    c.SetRecordCount(tc.records);
    for (int r = 0; r < tc.records; ++r) {
      const int number = static_cast<int>(random() % 1000);
      const std::string text = random() % 5 == 0 ? "null" : "t" + std::to_string(random() % 100000);
      c.SetValue(r, 0, Variant(number));
      c.SetValue(r, 1, text == "null" ? rtl::Null() : Variant(rtl::S(text)));
      model.emplace_back(number, text);
    }
    c.EndUpdate();
    if (tc.sorted) c.DataControllerInfo()->ChangeSorting(c.GetItemField(0), soDescending);
    c.SetMultiSelect(true);
    c.ClearSelection();
    std::vector<char> selected(static_cast<size_t>(tc.records), 0);
    c.BeginUpdate();
    for (int row = 0; row < c.GetRowCount(); ++row)
      if (random() % static_cast<unsigned>(tc.selectOneIn) == 0) {
        c.ChangeRowSelection(row, true);
        selected[static_cast<size_t>(c.GetRowInfo(row).RecordIndex)] = 1;
      }
    c.EndUpdate();
    int unselected = -1;
    for (int r = 0; r < tc.records && unselected == -1; ++r)
      if (!selected[static_cast<size_t>(r)]) unselected = r;
    const int bookmarked = tc.bookmarkSelected ? c.GetRowInfo(c.GetSelectedRowIndex(0)).RecordIndex : unselected;
    c.ChangeFocusedRecordIndex(bookmarked);
    c.SaveBookmark();
    std::vector<std::pair<int, std::string>> expected;
    for (int r = 0; r < tc.records; ++r)
      if (!selected[static_cast<size_t>(r)]) expected.push_back(model[static_cast<size_t>(r)]);

    c.DeleteSelection();

    ASSERT_EQ(c.GetRecordCount(), static_cast<int>(expected.size()));
    for (int r = 0; r < c.GetRecordCount(); ++r) {
      ASSERT_EQ(c.GetValue(r, 0).AsInteger(), expected[static_cast<size_t>(r)].first) << "record " << r;
      ASSERT_EQ(show(c.GetValue(r, 1)), expected[static_cast<size_t>(r)].second) << "record " << r;
    }
    EXPECT_EQ(c.GetRowCount(), c.GetRecordCount());
    EXPECT_EQ(c.DataControllerInfo()->GetSelectedCount(), 0);
    EXPECT_EQ(c.IsBookmarkAvailable(), !tc.bookmarkSelected && unselected != -1);
    EXPECT_EQ(c.NearestRecordIndex(), -1);
  }
}

TEST(ControllerDelete, StorageRefusesAnUnorderedOrOutOfRangeBatch) {
  TcxDataStorage storage;
  storage.SetRecordCount(5);
  const std::vector<int> bad[] = {{3, 1}, {2, 2}, {-1, 2}, {1, 5}};
  for (const auto& list : bad) EXPECT_THROW(storage.DeleteRecords(list), rtl::EListError);
  EXPECT_EQ(storage.RecordCount(), 5);
  storage.DeleteRecords({0, 4});
  EXPECT_EQ(storage.RecordCount(), 3);
}

}  // namespace
}  // namespace data_test
