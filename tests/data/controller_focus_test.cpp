// Focus kept on its record across rebuilds, group expansion kept by group
// values, rows found by record, the incremental search and the locate
// objects.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataFilter.h"
#include "lib/data/cxDataLocate.h"
#include "lib/data/cxDataStorage.h"
#include "tests/data/data_controller_support.h"
#include "tests/data/record_list_support.h"

namespace {

using data::TcxFilterOperatorKind;
using data_test::kFloat;
using data_test::kInt;
using data_test::kMixed;
using data_test::kText;
using data_test::recordList;
using data_test::show;
using data_test::TestController;
using rtl::String;
using rtl::Variant;

struct ControllerFocusFixture {
  rtl::TComponent owner{nullptr};
  TestController c{&owner};
  explicit ControllerFocusFixture(int count = 200, unsigned seed = 11) { data_test::fillRandomRecords(c, count, seed); }
  data::TcxCustomDataControllerInfo& info() { return *c.DataControllerInfo(); }
  rtl::TObject* item(int i) { return c.items.at(static_cast<size_t>(i)).get(); }
  int levels() { return c.GetGroupingItemCount(); }
  // The record's row by walking every row.
  int linearRow(int record) {
    for (int row = 0; row < c.GetRowCount(); ++row) {
      const data::TcxRowInfo ri = c.GetRowInfo(row);
      if (ri.Level == levels() && ri.RecordIndex == record) return row;
    }
    return -1;
  }
  // The shown expanded groups, each as the path of its group values.
  std::set<std::string> expandedGroups() {
    std::set<std::string> out;
    for (int row = 0; row < c.GetRowCount(); ++row) {
      const data::TcxRowInfo ri = c.GetRowInfo(row);
      if (ri.Level >= levels() || !ri.Expanded) continue;
      std::string path;
      for (int level = 0; level <= ri.Level; ++level)
        path += show(c.GetValue(ri.RecordIndex, c.GetGroupingItemIndex(level))) + "/";
      out.insert(path);
    }
    return out;
  }
  // Expands every n-th shown group row, from the bottom up so rows stay put.
  void expandEvery(int n) {
    for (int row = c.GetRowCount() - 1; row >= 0; --row)
      if (c.GetRowInfo(row).Level < levels() && row % n == 0) c.ChangeExpanding(row, true, false);
  }
  void filterIntAbove(int value) {
    c.Filter()->Root()->AddItem(item(kInt), TcxFilterOperatorKind::foGreater, Variant(value), u"");
    c.Filter()->SetActive(true);
  }
};

// --- focus across rebuilds ---------------------------------------------------------------------------
struct ResortCase {
  const char* name;
  std::vector<data_test::SortKey> keys;
  bool focusTop;
};

void PrintTo(const ResortCase& c, std::ostream* os) { *os << c.name; }

class FocusAcrossResort : public testing::TestWithParam<ResortCase> {};

TEST_P(FocusAcrossResort, StaysOnTheRecordUnlessTheTopIsWanted) {
  const ResortCase& rc = GetParam();
  ControllerFocusFixture f;
  if (rc.focusTop) f.c.SetOptions(f.c.Options() + data::dcoFocusTopRowAfterSorting);
  f.c.SetMultiSelect(true);
  f.c.SetFocusedRowIndex(37);
  f.c.ChangeRowSelection(5, true);
  const int record = f.c.GetFocusedRecordIndex();
  ASSERT_EQ(record, 37);
  for (const data_test::SortKey& key : rc.keys) f.c.ChangeSorting(key.item, key.order);
  const std::vector<int> order = data_test::referenceOrder(f.c, rc.keys, false, data_test::allRecords(200));
  ASSERT_EQ(recordList(f.info()), order);
  if (rc.focusTop) {
    EXPECT_EQ(f.c.GetFocusedRowIndex(), 0);
    EXPECT_EQ(f.c.GetFocusedRecordIndex(), order.front());
    EXPECT_EQ(f.c.GetSelectedCount(), 0);
  } else {
    EXPECT_EQ(f.c.GetFocusedRecordIndex(), record);
    EXPECT_EQ(f.c.GetFocusedRowIndex(), static_cast<int>(std::find(order.begin(), order.end(), record) - order.begin()));
  }
}

const ResortCase kResorts[] = {
    {"IntAscending", {{kInt, data::soAscending}}, false},
    {"TextDescending", {{kText, data::soDescending}}, false},
    {"FloatThenIntDescending", {{kFloat, data::soAscending}, {kInt, data::soDescending}}, false},
    {"FocusTopAfterSorting", {{kInt, data::soDescending}}, true},
};
INSTANTIATE_TEST_SUITE_P(Controller, FocusAcrossResort, testing::ValuesIn(kResorts),
                         [](const testing::TestParamInfo<ResortCase>& i) { return std::string(i.param.name); });

TEST(FocusAcrossFilter, KeptWhenTheRecordPassesFirstRowWhenItGoes) {
  ControllerFocusFixture f;
  // A record that passes "int > 0", then one that does not.
  int passing = -1, failing = -1;
  for (int r = 0; r < 200; ++r) {
    const Variant v = f.c.GetValue(r, kInt);
    const bool passes = !rtl::VarIsNull(v) && v.AsInteger() > 0;
    if (passes && passing < 0 && r > 20) passing = r;
    if (!passes && failing < 0 && r > 20) failing = r;
  }
  f.c.SetFocusedRecordIndex(passing);
  f.filterIntAbove(0);
  EXPECT_EQ(f.c.GetFocusedRecordIndex(), passing);
  EXPECT_EQ(f.c.GetFocusedRowIndex(), f.info().GetFilteredIndexByRecordIndex(passing));
  EXPECT_LT(f.c.GetFocusedRowIndex(), passing);  // the row moved up with the records filtered out before it
  f.c.Filter()->SetActive(false);
  f.c.SetFocusedRecordIndex(failing);
  f.c.Filter()->SetActive(true);
  EXPECT_EQ(f.c.GetFocusedRowIndex(), 0);
  EXPECT_EQ(f.c.GetFocusedRecordIndex(), recordList(f.info()).front());
}

TEST(FocusInGroups, CollapsingTheGroupOfTheFocusedRowFocusesTheGroupRow) {
  ControllerFocusFixture f;
  f.c.ChangeGroupIndex(kInt, 0);
  f.c.FullExpand();
  // A data row deep in the list.
  int row = f.c.GetRowCount() / 2;
  while (f.c.GetRowInfo(row).Level != 1) ++row;
  f.c.SetFocusedRowIndex(row);
  const data::TcxRowInfo focused = f.c.GetRowInfo(row);
  // The group row above it.
  int groupRow = row;
  while (f.c.GetRowInfo(groupRow).Level != 0) --groupRow;
  f.c.ChangeExpanding(groupRow, false, false);
  EXPECT_EQ(f.c.GetFocusedRowIndex(), groupRow);
  EXPECT_EQ(f.info().GetFocusedLevel(), 0);
  // Focusing the record again opens its group.
  f.c.SetFocusedRecordIndex(focused.RecordIndex);
  EXPECT_EQ(f.c.GetFocusedRecordIndex(), focused.RecordIndex);
  EXPECT_EQ(f.c.GetRowInfo(f.c.GetFocusedRowIndex()).Level, 1);
  // Everything collapsed: one row per group, the focus on the record's group.
  const int group = f.c.GetRowInfo(groupRow).GroupIndex;
  f.c.FullCollapse();
  ASSERT_EQ(f.c.GetRowCount(), f.info().GetDataGroupCount());
  EXPECT_EQ(f.c.GetFocusedRowIndex(), group);
  EXPECT_EQ(f.c.GetRowInfo(group).GroupIndex, group);
}

TEST(FocusInGroups, ResortKeepsAFocusedDataRowOnItsRecord) {
  ControllerFocusFixture f;
  f.c.ChangeGroupIndex(kText, 0);
  f.c.FullExpand();
  int row = 10;
  while (f.c.GetRowInfo(row).Level != 1) ++row;
  f.c.SetFocusedRowIndex(row);
  const int record = f.c.GetFocusedRecordIndex();
  f.c.ChangeSorting(kInt, data::soDescending);
  EXPECT_EQ(f.c.GetFocusedRecordIndex(), record);
  EXPECT_EQ(f.c.GetFocusedRowIndex(), f.linearRow(record));
}

TEST(FocusRows, NearestRowOfTheLastAndOfTheOnlyRow) {
  ControllerFocusFixture three(3), one(1);
  EXPECT_EQ(three.c.GetNearestRowIndex(2), 1);
  EXPECT_EQ(three.c.GetNearestRowIndex(0), 1);
  EXPECT_EQ(one.c.GetNearestRowIndex(0), -1);
}

TEST(FocusRows, CheckFocusedRowFocusesTheFirstRowWhenNoneIs) {
  ControllerFocusFixture f(5);
  EXPECT_EQ(f.c.GetFocusedRowIndex(), -1);
  f.c.CheckFocusedRow();
  EXPECT_EQ(f.c.GetFocusedRowIndex(), 0);
  EXPECT_EQ(f.c.GetFocusedDataRowIndex(), 0);
}

// --- expansion across rebuilds --------------------------------------------------------------------------
struct RebuildCase {
  const char* name;
  std::vector<int> groupItems;
  void (*change)(ControllerFocusFixture&);
};

void PrintTo(const RebuildCase& c, std::ostream* os) { *os << c.name; }

class ExpansionAcrossRebuild : public testing::TestWithParam<RebuildCase> {};

TEST_P(ExpansionAcrossRebuild, TheExpandedGroupsStayExpanded) {
  const RebuildCase& rc = GetParam();
  ControllerFocusFixture f;
  for (size_t i = 0; i < rc.groupItems.size(); ++i) f.c.ChangeGroupIndex(rc.groupItems[i], static_cast<int>(i));
  f.expandEvery(3);
  if (rc.groupItems.size() > 1) f.expandEvery(4);  // some inner groups too
  const std::set<std::string> before = f.expandedGroups();
  ASSERT_GE(before.size(), 3u);
  rc.change(f);
  std::set<std::string> after = f.expandedGroups();
  // A filter may empty a group: it is gone, the others stay.
  std::set<std::string> expected;
  for (int row = 0; row < f.c.GetRowCount(); ++row) {
    const data::TcxRowInfo ri = f.c.GetRowInfo(row);
    if (ri.Level >= f.levels()) continue;
    std::string path;
    for (int level = 0; level <= ri.Level; ++level)
      path += show(f.c.GetValue(ri.RecordIndex, f.c.GetGroupingItemIndex(level))) + "/";
    if (before.count(path) != 0) expected.insert(path);
  }
  EXPECT_FALSE(expected.empty());
  EXPECT_EQ(after, expected);
}

const RebuildCase kRebuilds[] = {
    {"ResortWithinGroups", {kInt}, [](ControllerFocusFixture& f) { f.c.ChangeSorting(kText, data::soAscending); }},
    {"GroupOrderReversed", {kInt}, [](ControllerFocusFixture& f) { f.c.ChangeSorting(kInt, data::soDescending); }},
    {"Refiltered", {kText}, [](ControllerFocusFixture& f) { f.filterIntAbove(-2); }},
    {"Reloaded", {kInt}, [](ControllerFocusFixture& f) { f.c.Refresh(); }},
    {"TwoLevelsResorted", {kInt, kText}, [](ControllerFocusFixture& f) { f.c.ChangeSorting(kInt, data::soDescending); }},
    {"TwoLevelsRefiltered", {kText, kMixed}, [](ControllerFocusFixture& f) { f.filterIntAbove(0); }},
};
INSTANTIATE_TEST_SUITE_P(Controller, ExpansionAcrossRebuild, testing::ValuesIn(kRebuilds),
                         [](const testing::TestParamInfo<RebuildCase>& i) { return std::string(i.param.name); });

TEST(Expansion, RecursiveExpandOpensEveryDescendantOnly) {
  ControllerFocusFixture f;
  f.c.ChangeGroupIndex(kText, 0);
  f.c.ChangeGroupIndex(kInt, 1);
  const int top = f.c.GetRowCount();
  f.c.ChangeExpanding(0, true, true);
  const data::TcxDataGroupInfo& first = f.info().GetDataGroup(0);
  int inner = 0;
  for (int g = 1; g < f.info().GetDataGroupCount() && f.info().GetDataGroup(g).Level > 0; ++g) {
    EXPECT_TRUE(f.info().GetDataGroup(g).Expanded) << g;
    ++inner;
  }
  // Every record of the first group shows, with its inner group rows.
  EXPECT_EQ(f.c.GetRowCount(), top + inner + (first.EndRecordListIndex - first.BeginRecordListIndex + 1));
  EXPECT_FALSE(f.info().GetDataGroup(inner + 1).Expanded);
  f.c.ChangeExpanding(0, false, false);
  EXPECT_EQ(f.c.GetRowCount(), top);
  // A data row is not a group: nothing changes.
  f.c.FullExpand();
  const int all = f.c.GetRowCount();
  f.c.ChangeExpanding(2, false, false);
  EXPECT_EQ(f.c.GetRowCount(), all);
  EXPECT_THROW(f.c.ChangeExpanding(all, true, false), data::EcxInvalidDataControllerOperation);
}

TEST(ExpansionAcrossRebuild, GroupingByAnotherItemDropsIt) {
  ControllerFocusFixture f;
  f.c.ChangeGroupIndex(kInt, 0);
  f.c.FullExpand();
  f.c.ChangeGroupIndex(kInt, -1);
  f.c.ChangeGroupIndex(kText, 0);
  EXPECT_TRUE(f.expandedGroups().empty());
}

TEST(ExpansionAcrossRebuild, WithoutSaveExpandingAReloadCollapses) {
  ControllerFocusFixture f;
  f.c.SetOptions(f.c.Options() - data::dcoSaveExpanding);
  f.c.ChangeGroupIndex(kInt, 0);
  f.c.FullExpand();
  f.c.Refresh();
  EXPECT_TRUE(f.expandedGroups().empty());
}

TEST(ExpansionAcrossRebuild, AlwaysExpandedGroupsIgnoreCollapsing) {
  ControllerFocusFixture f;
  f.c.SetOptions(f.c.Options() + data::dcoGroupsAlwaysExpanded);
  f.c.ChangeGroupIndex(kInt, 0);
  const int rows = f.c.GetRowCount();
  EXPECT_EQ(rows, 200 + f.info().GetDataGroupCount());
  f.c.FullCollapse();
  f.c.ChangeExpanding(0, false, false);
  EXPECT_EQ(f.c.GetRowCount(), rows);
}

// --- rows by record --------------------------------------------------------------------------------
struct LookupCase {
  const char* name;
  void (*setup)(ControllerFocusFixture&);
};

void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.name; }

class RowByRecord : public testing::TestWithParam<LookupCase> {};

TEST_P(RowByRecord, EveryRecordAnswersWhatAWalkOverTheRowsFinds) {
  ControllerFocusFixture f(1500, 5);
  GetParam().setup(f);
  int shown = 0;
  for (int record = 0; record < 1500; ++record) {
    const int row = f.c.GetRowIndexByRecordIndex(record, false);
    ASSERT_EQ(row, f.linearRow(record)) << record;
    if (row >= 0) ++shown;
  }
  EXPECT_GT(shown, 0);
  // Making one visible expands its group and answers a row that shows it.
  for (int record = 0; record < 1500; record += 97) {
    if (f.info().GetFilteredIndexByRecordIndex(record) < 0) continue;
    const int row = f.c.GetRowIndexByRecordIndex(record, true);
    ASSERT_GE(row, 0);
    EXPECT_EQ(f.c.GetRowInfo(row).RecordIndex, record);
    EXPECT_EQ(f.c.GetRowInfo(row).Level, f.levels());
  }
}

const LookupCase kLookups[] = {
    {"Plain", [](ControllerFocusFixture&) {}},
    {"Sorted", [](ControllerFocusFixture& f) { f.c.ChangeSorting(kText, data::soDescending); }},
    {"Filtered", [](ControllerFocusFixture& f) { f.filterIntAbove(1); }},
    {"GroupedPartlyExpanded",
     [](ControllerFocusFixture& f) {
       f.c.ChangeGroupIndex(kInt, 0);
       f.expandEvery(2);
     }},
    {"TwoLevelsFilteredResorted",
     [](ControllerFocusFixture& f) {
       f.c.ChangeGroupIndex(kText, 0);
       f.c.ChangeGroupIndex(kMixed, 1);
       f.c.FullExpand();
       f.c.ChangeExpanding(0, false, false);
       f.filterIntAbove(-3);
       f.c.ChangeSorting(kFloat, data::soDescending);
     }},
};
INSTANTIATE_TEST_SUITE_P(Controller, RowByRecord, testing::ValuesIn(kLookups),
                         [](const testing::TestParamInfo<LookupCase>& i) { return std::string(i.param.name); });

TEST(RowByRecordRange, RecordOutOfRangeRaises) {
  ControllerFocusFixture f(4);
  EXPECT_THROW(f.c.GetRowIndexByRecordIndex(4, false), data::EcxInvalidDataControllerOperation);
  EXPECT_THROW(f.c.GetRowIndexByRecordIndex(-1, false), data::EcxInvalidDataControllerOperation);
}

// --- incremental search ------------------------------------------------------------------------------
// Texts in list order: 0 "bob", 1 "Anna", 2 "anton", 3 "Bert", 4 "abe", 5 "carl".
struct Names {
  rtl::TComponent owner{nullptr};
  TestController c{&owner};
  Names() {
    c.addItem(data::TcxStringValueType::Instance());
    for (const char16_t* name : {u"bob", u"Anna", u"anton", u"Bert", u"abe", u"carl"})
      c.SetValue(c.AppendRecord(), 0, Variant(String(name)));
  }
  data::TcxDataControllerSearch& search() { return *c.Search(); }
};

TEST(IncrementalSearch, TypingFurtherKeepsAMatchingFocusAndMissesLeaveItAlone) {
  Names n;
  n.c.SetFocusedRowIndex(2);
  EXPECT_TRUE(n.search().Locate(0, u"A"));  // from the focused record on: "anton"
  EXPECT_EQ(n.c.GetFocusedRecordIndex(), 2);
  EXPECT_TRUE(n.search().Searching());
  EXPECT_TRUE(n.search().Locate(0, u"AB"));  // "abe"
  EXPECT_EQ(n.c.GetFocusedRecordIndex(), 4);
  EXPECT_TRUE(n.search().Locate(0, u"abe"));
  EXPECT_EQ(n.c.GetFocusedRecordIndex(), 4);
  EXPECT_FALSE(n.search().Locate(0, u"abx"));
  EXPECT_EQ(n.c.GetFocusedRecordIndex(), 4);
  EXPECT_TRUE(n.search().Searching());
  EXPECT_EQ(data_test::utf8(n.search().SearchText()), "abe");
  EXPECT_FALSE(n.search().Locate(0, u""));
}

TEST(IncrementalSearch, LocateWrapsOnceLocateNextDoesNot) {
  Names n;
  n.c.SetFocusedRowIndex(5);
  EXPECT_TRUE(n.search().Locate(0, u"b"));  // past the end, from the top: "bob"
  EXPECT_EQ(n.c.GetFocusedRecordIndex(), 0);
  EXPECT_TRUE(n.search().LocateNext(true));  // "Bert"
  EXPECT_EQ(n.c.GetFocusedRecordIndex(), 3);
  EXPECT_FALSE(n.search().LocateNext(true));  // no wrap
  EXPECT_EQ(n.c.GetFocusedRecordIndex(), 3);
  EXPECT_TRUE(n.search().LocateNext(false));
  EXPECT_EQ(n.c.GetFocusedRecordIndex(), 0);
  EXPECT_TRUE(n.search().Locate(0, u"ert", true));  // anywhere in the text
  EXPECT_EQ(n.c.GetFocusedRecordIndex(), 3);
  n.search().Cancel();
  EXPECT_FALSE(n.search().Searching());
  EXPECT_FALSE(n.search().LocateNext(true));
}

TEST(IncrementalSearch, FocusMovedElsewhereEndsTheSearch) {
  Names n;
  ASSERT_TRUE(n.search().Locate(0, u"bo"));
  ASSERT_TRUE(n.search().Searching());
  n.c.SetFocusedRowIndex(n.c.GetFocusedRowIndex());  // no move: still searching
  EXPECT_TRUE(n.search().Searching());
  n.c.SetFocusedRowIndex(3);
  EXPECT_FALSE(n.search().Searching());
  EXPECT_TRUE(n.search().SearchText().empty());
}

TEST(IncrementalSearch, MultiSelectKeepsOnlyTheFoundRowSelected) {
  Names n;
  n.c.SetMultiSelect(true);
  n.c.ChangeRowSelection(0, true);
  n.c.ChangeRowSelection(5, true);
  ASSERT_TRUE(n.search().Locate(0, u"carl"));
  ASSERT_EQ(n.c.GetSelectedCount(), 1);
  EXPECT_EQ(n.c.GetSelectedRowIndex(0), 5);
}

TEST(IncrementalSearch, FollowsTheSortedList) {
  Names n;
  n.c.ChangeSorting(0, data::soDescending);  // ordinal: carl bob anton abe Bert Anna
  n.c.SetFocusedRowIndex(0);
  ASSERT_TRUE(n.search().Locate(0, u"a"));
  EXPECT_EQ(n.c.GetFocusedRecordIndex(), 2);  // "anton" comes first now
  EXPECT_EQ(n.c.GetFocusedRowIndex(), 2);
}

struct FindTextCase {
  const char* name;
  int start;
  const char16_t* text;
  bool partial, circular, forward;
  int record;
};

void PrintTo(const FindTextCase& c, std::ostream* os) { *os << c.name; }

class FindRecordByText : public testing::TestWithParam<FindTextCase> {};

TEST_P(FindRecordByText, AnswersTheRecord) {
  const FindTextCase& fc = GetParam();
  Names n;
  EXPECT_EQ(n.c.FindRecordIndexByText(fc.start, 0, fc.text, fc.partial, fc.circular, fc.forward), fc.record);
}

const FindTextCase kFindTexts[] = {
    {"PrefixForward", 0, u"AN", true, false, true, 1},
    {"PrefixFromAStart", 2, u"an", true, false, true, 2},
    {"WholeTextIgnoringCase", 0, u"BERT", false, false, true, 3},
    {"WholeTextNeedsAllOfIt", 0, u"ber", false, false, true, -1},
    {"NoWrapWithoutCircular", 4, u"bob", true, false, true, -1},
    {"WrapsWhenCircular", 4, u"bob", true, true, true, 0},
    {"Backward", 3, u"an", true, false, false, 2},
    {"BackwardWraps", 0, u"carl", true, true, false, 5},
    {"StartOutsideTheList", 6, u"bob", true, true, true, -1},
    {"NegativeStart", -1, u"bob", true, true, true, -1},
};
INSTANTIATE_TEST_SUITE_P(Controller, FindRecordByText, testing::ValuesIn(kFindTexts),
                         [](const testing::TestParamInfo<FindTextCase>& i) { return std::string(i.param.name); });

// --- locate objects ----------------------------------------------------------------------------------
TEST(LocateObjects, KeyLocateFindsTheFirstEqualRecord) {
  ControllerFocusFixture f(300, 9);
  data::TcxDataControllerKeyLocateObject locate(&f.c);
  EXPECT_EQ(locate.FindRecordIndex(), -1);  // nothing read yet
  locate.Fields() = {f.c.GetItemField(kInt), f.c.GetItemField(kText)};
  data::TcxValueDefUnboundReader reader;
  reader.SetValue(f.c.GetItemField(kInt)->GetValueDef(), f.c.GetValue(123, kInt));
  reader.SetValue(f.c.GetItemField(kText)->GetValueDef(), f.c.GetValue(123, kText));
  locate.ReadData(&reader);
  EXPECT_LT(locate.InternalRecordIndex(), 0);
  int expected = -1;
  for (int r = 0; r < 300 && expected < 0; ++r)
    if (data::VarCompare(f.c.GetValue(r, kInt), f.c.GetValue(123, kInt)) == 0 &&
        data::VarCompare(f.c.GetValue(r, kText), f.c.GetValue(123, kText)) == 0)
      expected = r;
  EXPECT_EQ(locate.FindRecordIndex(), expected);
  locate.Clear();
  EXPECT_EQ(locate.InternalRecordIndex(), 0);
  EXPECT_EQ(locate.FindRecordIndex(), -1);
}

TEST(LocateObjects, GroupLocateFindsARecordOfTheGroupAtItsLevel) {
  ControllerFocusFixture f(300, 9);
  f.c.ChangeGroupIndex(kInt, 0);
  f.c.ChangeGroupIndex(kText, 1);
  data::TcxDataControllerGroupLocateObject locate(&f.c);
  EXPECT_TRUE(locate.IsGroupDataSorted());
  for (int probe : {0, 57, 201, 299}) {
    data::TcxValueDefUnboundReader reader;
    reader.SetValue(f.c.GetItemField(kInt)->GetValueDef(), f.c.GetValue(probe, kInt));
    reader.SetValue(f.c.GetItemField(kText)->GetValueDef(), f.c.GetValue(probe, kText));
    for (int level : {0, 1}) {
      locate.SetLevel(level);
      locate.ReadData(&reader);
      const int found = locate.FindRecordIndex();
      ASSERT_GE(found, 0) << probe;
      EXPECT_EQ(data::VarCompare(f.c.GetValue(found, kInt), f.c.GetValue(probe, kInt)), 0);
      if (level == 1) {
        EXPECT_EQ(data::VarCompare(f.c.GetValue(found, kText), f.c.GetValue(probe, kText)), 0);
      }
    }
  }
  // Values no record has.
  data::TcxValueDefUnboundReader reader;
  reader.SetValue(f.c.GetItemField(kInt)->GetValueDef(), Variant(1000));
  locate.SetLevel(0);
  locate.ReadData(&reader);
  EXPECT_EQ(locate.FindRecordIndex(), -1);
  // The range checks take internal records again only while a locate runs.
  EXPECT_FALSE(f.c.InternalFindRecord());
  EXPECT_THROW(f.c.GetValue(locate.InternalRecordIndex(), kInt), data::EcxInvalidDataControllerOperation);
}

}  // namespace
