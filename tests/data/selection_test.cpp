// The row selection: its order and lookups, the anchor, its upkeep across
// re-sorts, refilters and expansion, and the saved keys that carry it over a
// reload of a program-supplied record source.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataSelection.h"
#include "platform/rtl/except.h"
#include "platform/rtl/format.h"
#include "tests/data/data_controller_support.h"

namespace data_test {
namespace {

using namespace data;

std::vector<int> selectedRowsOf(const TcxDataSelection& s) {
  std::vector<int> rows;
  for (int i = 0; i < s.Count(); ++i) rows.push_back(s.Items(i).RowIndex);
  return rows;
}

// --- the selection object on its own --------------------------------------------------------------------
struct SelectionObject : ::testing::Test {
  TcxDataSelection s{nullptr};
  int notifications = 0;
  void SetUp() override {
    s.OnChanged = [this] { ++notifications; };
  }
  // As the record list adds a row: at the position the search reports.
  void select(int row, int level = 0, int record = -2) {
    int index = 0;
    ASSERT_FALSE(s.FindByRowIndex(row, index));
    s.Add(index, row, level, record == -2 ? row : record);
  }
};

TEST_F(SelectionObject, KeepsRowOrderAndAnswersWhereARowWouldGo) {
  int index = -1;
  EXPECT_FALSE(s.FindByRowIndex(7, index));
  EXPECT_EQ(index, 0) << "an empty selection inserts at 0";
  for (int row : {5, 2, 9}) select(row);
  EXPECT_EQ(selectedRowsOf(s), (std::vector<int>{2, 5, 9}));
  EXPECT_EQ(notifications, 3);
  const struct {
    int row;
    bool found;
    int position;
  } cases[] = {{4, false, 1}, {2, true, 0}, {5, true, 1}, {9, true, 2}, {0, false, 0}, {6, false, 2}, {10, false, 3}};
  for (const auto& tc : cases) {
    EXPECT_EQ(s.FindByRowIndex(tc.row, index), tc.found) << "row " << tc.row;
    EXPECT_EQ(index, tc.position) << "row " << tc.row;
    EXPECT_EQ(s.IsRowSelected(tc.row), tc.found) << "row " << tc.row;
  }
}

TEST_F(SelectionObject, DeletingTheAnchorRowForgetsTheAnchorAndBadIndexesRaise) {
  for (int row : {1, 3, 6}) select(row);
  s.SetAnchorRowIndex(6);
  s.Delete(0);
  EXPECT_EQ(s.AnchorRowIndex(), 6) << "another row's entry leaves the anchor alone";
  s.Delete(1);
  EXPECT_EQ(s.AnchorRowIndex(), -1);
  EXPECT_EQ(selectedRowsOf(s), (std::vector<int>{3}));
  for (int bad : {-1, 1, 5}) {
    try {
      s.Delete(bad);
      ADD_FAILURE() << "index " << bad << " was accepted";
    } catch (const rtl::EListError& e) {
      EXPECT_EQ(e.Message(), u"List count out of bounds (" + rtl::IntToStr(bad) + u")");
    }
  }
  EXPECT_EQ(s.Count(), 1);
  s.SetAnchorRowIndex(3);
  s.Clear();
  EXPECT_EQ(s.AnchorRowIndex(), 3) << "Clear keeps the anchor";
  s.ClearAll();
  EXPECT_EQ(s.AnchorRowIndex(), -1);
}

TEST_F(SelectionObject, GroupEntriesAndRecordEntriesAreFoundApart) {
  select(0, -1, 4);  // group 4
  select(1, 2, 4);   // record 4
  select(2, 2, 7);
  EXPECT_EQ(s.FindByGroupIndex(4), 0);
  EXPECT_EQ(s.FindByRecordIndex(4), 1);
  EXPECT_EQ(s.FindByGroupIndex(7), -1);
  EXPECT_EQ(s.FindByRecordIndex(7), 2);
  EXPECT_TRUE(s.IsRecordSelected(7));
  EXPECT_FALSE(s.IsRecordSelected(0));
}

TEST_F(SelectionObject, InternalCountGrowsWithPositionedEntriesAndShrinksFromTheEnd) {
  select(10, 1, 20);
  s.SetInternalCount(4);
  ASSERT_EQ(s.Count(), 4);
  EXPECT_EQ(s.Items(0).RowIndex, 10);
  for (int i = 1; i < 4; ++i) {
    EXPECT_EQ(s.Items(i).RowIndex, i);
    EXPECT_EQ(s.Items(i).RecordIndex, i);
    EXPECT_EQ(s.Items(i).Level, 0);
  }
  s.SetInternalCount(1);
  EXPECT_EQ(selectedRowsOf(s), (std::vector<int>{10}));
  EXPECT_EQ(notifications, 1) << "the internal operations do not notify";
}

// --- the selection in a controller ------------------------------------------------------------------------
class SelectionTestFilter : public TcxRecordListFilter {
 public:
  explicit SelectionTestFilter(std::function<bool(int)> accepts) : accepts_(std::move(accepts)) {}
  bool IsFiltering() override { return true; }
  bool SupportsMultiThreading() override { return false; }
  bool Accepts(int record) override { return accepts_(record); }

 private:
  std::function<bool(int)> accepts_;
};

struct SelectionNumbers {
  TestController c{nullptr};
  explicit SelectionNumbers(const std::vector<int>& values) {
    c.addItem(TcxIntegerValueType::Instance());
    c.addItem(TcxIntegerValueType::Instance());
    c.BeginUpdate();
    c.SetRecordCount(static_cast<int>(values.size()));
    for (size_t r = 0; r < values.size(); ++r) {
      c.SetValue(static_cast<int>(r), 0, Variant(values[r]));
      c.SetValue(static_cast<int>(r), 1, Variant(static_cast<int>(r) % 3));
    }
    c.EndUpdate();
    c.SetMultiSelect(true);
    c.ClearSelection();
  }
  TcxCustomDataControllerInfo& info() { return *c.DataControllerInfo(); }
  std::set<int> selectedRecords() {
    std::set<int> records;
    for (int i = 0; i < c.GetSelectedCount(); ++i) records.insert(c.GetRowInfo(c.GetSelectedRowIndex(i)).RecordIndex);
    return records;
  }
  void expectRowsAscendingAndMatchingRecords() {
    const TcxDataSelection& s = *info().Selection();
    for (int i = 0; i < s.Count(); ++i) {
      if (i > 0) { EXPECT_LT(s.Items(i - 1).RowIndex, s.Items(i).RowIndex); }
      if (s.Items(i).Level >= 0) { EXPECT_EQ(c.GetRowInfo(s.Items(i).RowIndex).RecordIndex, s.Items(i).RecordIndex); }
    }
  }
};

TEST(Selection, FollowsItsRecordsAcrossResortAndRefilter) {
  SelectionNumbers f({50, 10, 40, 20, 30});
  for (int row : {0, 3, 4}) f.c.ChangeRowSelection(row, true);  // records 0, 3, 4
  f.info().ChangeSorting(f.c.GetItemField(0), soAscending);     // rows: 1 3 4 2 0
  EXPECT_EQ(f.selectedRecords(), (std::set<int>{0, 3, 4}));
  EXPECT_EQ(selectedRowsOf(*f.info().Selection()), (std::vector<int>{1, 2, 4}));
  f.expectRowsAscendingAndMatchingRecords();

  SelectionTestFilter dropFour([](int r) { return r != 4; });
  f.info().SetFilter(&dropFour);
  EXPECT_EQ(f.selectedRecords(), (std::set<int>{0, 3}));
  f.info().SetFilter(nullptr);
  EXPECT_EQ(f.selectedRecords(), (std::set<int>{0, 3})) << "a record filtered out leaves the selection for good";
  f.expectRowsAscendingAndMatchingRecords();
}

TEST(Selection, CheckAfterFilteringDropsOnlyRecordEntriesOutsideTheList) {
  SelectionNumbers f({1, 2, 3, 4, 5});
  SelectionTestFilter odd([](int r) { return r % 2 == 1; });
  f.info().SetFilter(&odd);  // records 1 and 3 listed
  // A selection of its own, so that the record list's upkeep stays out of it.
  TcxDataSelection s(&f.c);
  int notifications = 0;
  s.OnChanged = [&notifications] { ++notifications; };
  s.InternalAdd(-1, 0, 0, 0);   // record 0: filtered out
  s.InternalAdd(-1, 1, -1, 2);  // group 2: not a record
  s.InternalAdd(-1, 2, 0, 3);   // record 3: listed
  s.InternalAdd(-1, 3, 0, 4);   // record 4: filtered out
  s.SetAnchorRowIndex(3);
  s.CheckAfterFiltering();
  ASSERT_EQ(s.Count(), 2);
  EXPECT_EQ(s.Items(0).Level, -1);
  EXPECT_EQ(s.Items(1).RecordIndex, 3);
  EXPECT_EQ(s.AnchorRowIndex(), -1) << "the anchor row's entry went";
  EXPECT_EQ(notifications, 2) << "one per dropped entry";
  f.info().SetFilter(nullptr);
}

TEST(Selection, StaysOnTheSameRecordsOverRandomResorts) {
  std::mt19937 random(1234);
  std::vector<int> values(400);
  for (int& v : values) v = static_cast<int>(random() % 50);
  SelectionNumbers f(values);
  std::set<int> expected;
  for (int row = 0; row < 400; ++row)
    if (random() % 3 == 0) {
      f.c.ChangeRowSelection(row, true);
      expected.insert(row);
    }
  const TdxSortOrder orders[] = {soAscending, soDescending, soNone};
  for (int round = 0; round < 6; ++round) {
    f.info().ChangeSorting(f.c.GetItemField(round % 2), orders[random() % 3]);
    SCOPED_TRACE(round);
    EXPECT_EQ(f.selectedRecords(), expected);
    f.expectRowsAscendingAndMatchingRecords();
  }
}

TEST(Selection, GroupRowsKeepTheirEntryWhileExpandingAndLeaveOnRegrouping) {
  SelectionNumbers f({5, 6, 7, 8, 9, 10});  // item 1 groups: 0 (records 0, 3), 1 (1, 4), 2 (2, 5)
  f.c.SetMultiSelect(false);
  f.info().ChangeGrouping(f.c.GetItemField(1), 0);
  f.info().FullExpand();
  f.c.SetMultiSelect(true);
  f.c.ClearSelection();
  // Rows: 0 group 0, 1 rec 0, 2 rec 3, 3 group 1, 4 rec 1, 5 rec 4, 6 group 2, ...
  f.c.ChangeRowSelection(3, true);
  f.c.ChangeRowSelection(5, true);
  const TcxDataSelection& s = *f.info().Selection();
  ASSERT_EQ(s.Count(), 2);
  EXPECT_EQ(s.Items(0).Level, -1);
  EXPECT_EQ(s.Items(1).Level, 1);
  EXPECT_EQ(s.Items(1).RecordIndex, 4);
  f.info().ChangeExpanding(0, false);  // rows shift up by two
  ASSERT_EQ(s.Count(), 2);
  EXPECT_EQ(selectedRowsOf(s), (std::vector<int>{1, 3}));
  f.expectRowsAscendingAndMatchingRecords();
  f.info().ChangeGrouping(f.c.GetItemField(1), -1);
  ASSERT_EQ(s.Count(), 1) << "the group is gone; its record stays";
  EXPECT_EQ(s.Items(0).RecordIndex, 4);
  EXPECT_EQ(s.Items(0).Level, 0);
  f.expectRowsAscendingAndMatchingRecords();
}

// --- saved keys ----------------------------------------------------------------------------------------------
// Rows of a program-supplied source, each with a record id; the test edits
// `ids` (the rows' order and content) and reloads.
class KeyedIdSource : public TcxCustomDataSource {
 public:
  std::vector<int> ids;
  bool recordIds = true;
  static TcxDataRecordHandle handle(int i) {
    return reinterpret_cast<TcxDataRecordHandle>(static_cast<intptr_t>(i + 1));
  }
  static int row(TcxDataRecordHandle h) { return static_cast<int>(reinterpret_cast<intptr_t>(h)) - 1; }
  void LoadRecordHandles() override {
    for (int i = 0; i < static_cast<int>(ids.size()); ++i) AddRecordHandle(handle(i));
  }
  Variant GetValue(TcxDataRecordHandle h, TcxDataItemHandle) override {
    return Variant(ids.at(static_cast<size_t>(row(h))));
  }
  bool IsRecordIdSupported() override { return recordIds; }
  Variant GetRecordId(TcxDataRecordHandle h) override { return Variant(ids.at(static_cast<size_t>(row(h)))); }
};

struct KeyedController {
  KeyedIdSource source;
  TestController c{nullptr};
  explicit KeyedController(std::vector<int> ids, bool recordIds = true) {
    source.ids = std::move(ids);
    source.recordIds = recordIds;
    c.addItem(TcxIntegerValueType::Instance());
    c.SetCustomDataSource(&source);
    c.SetMultiSelect(true);
    c.ClearSelection();
  }
  ~KeyedController() { c.SetCustomDataSource(nullptr); }
  void reload(std::vector<int> ids) {
    c.SaveKeys();
    source.ids = std::move(ids);
    c.DataChanged(dcTotal, -1, -1);
    c.RestoreKeys();
  }
  std::multiset<int> selectedIds() {
    std::multiset<int> result;
    for (int i = 0; i < c.GetSelectedCount(); ++i)
      result.insert(c.GetValue(c.GetRowInfo(c.GetSelectedRowIndex(i)).RecordIndex, 0).AsInteger());
    return result;
  }
};

TEST(SavedKeys, SelectedRecordsFollowTheirIdsThroughAReload) {
  KeyedController f({10, 20, 30, 40, 50});
  ASSERT_TRUE(f.c.IsKeyNavigation());
  for (int row : {1, 3, 4}) f.c.ChangeRowSelection(row, true);  // ids 20, 40, 50
  f.reload({50, 30, 20, 60});                                  // 40 is gone; 50 and 20 moved
  EXPECT_EQ(f.selectedIds(), (std::multiset<int>{20, 50}));
  EXPECT_EQ(f.c.GetSelectedCount(), 2);
  for (int i = 0; i < f.c.GetSelectedCount(); ++i) EXPECT_TRUE(f.c.IsRowSelected(f.c.GetSelectedRowIndex(i)));
}

TEST(SavedKeys, WithoutKeyNavigationNothingIsSavedAndTheSelectionIsTruncated) {
  KeyedController f({10, 20, 30, 40, 50}, /*recordIds=*/false);
  ASSERT_FALSE(f.c.IsKeyNavigation());
  for (int row : {1, 4}) f.c.ChangeRowSelection(row, true);
  TcxSaveObject saved;
  saved.Save(&f.c);
  EXPECT_EQ(saved.SelectedKeys()->Count(), 0);
  f.reload({10, 20, 30});
  // By position: the entry of record 1 stays, the one beyond the records goes.
  EXPECT_EQ(f.selectedIds(), (std::multiset<int>{20}));
}

// The restore looks keys up by binary search and marks them used instead of
// deleting them; the plain way scans the saved keys in selection order for
// each record and deletes what it matched. Both must pick the same entries,
// also with repeated ids.
TEST(SavedKeys, RestoreOnRandomReloadsMatchesThePlainScan) {
  std::mt19937 random(99);
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    std::vector<int> ids(200);
    for (int& id : ids) id = static_cast<int>(random() % 150);  // some ids repeat
    KeyedController f(ids);
    for (int row = 0; row < 200; ++row)
      if (random() % 4 == 0) f.c.ChangeRowSelection(row, true);
    // The plain restore, by hand: selection entries hold records (= rows here).
    std::vector<std::pair<int, int>> keys;  // (id, entry position)
    const TcxDataSelection& s = *f.c.DataControllerInfo()->Selection();
    for (int i = 0; i < s.Count(); ++i) keys.emplace_back(ids[static_cast<size_t>(s.Items(i).RecordIndex)], i);
    std::stable_sort(keys.begin(), keys.end(), [](auto& a, auto& b) { return a.first < b.first; });
    std::vector<int> reloaded;
    for (int id : ids)
      if (random() % 5 != 0) reloaded.push_back(id);
    std::shuffle(reloaded.begin(), reloaded.end(), random);
    std::vector<int> entryRecord(static_cast<size_t>(s.Count()), -1);
    for (int r = 0; r < static_cast<int>(reloaded.size()); ++r) {
      const int id = reloaded[static_cast<size_t>(r)];
      const auto it = std::find_if(keys.begin(), keys.end(), [id](auto& k) { return k.first == id; });
      if (it == keys.end()) continue;
      entryRecord[static_cast<size_t>(it->second)] = r;
      keys.erase(it);
    }
    std::multiset<int> expected;
    for (int record : entryRecord)
      if (record != -1) expected.insert(reloaded[static_cast<size_t>(record)]);
    f.reload(reloaded);
    EXPECT_EQ(f.selectedIds(), expected);
  }
}

}  // namespace
}  // namespace data_test
