// The record list: load, filter, sort and group, checked against a plain
// reference on random data and on the small cases whose order is easy to
// get wrong (ties, case, descending, nulls).
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "tests/data/record_list_support.h"

namespace data_test {
namespace {

using data::soAscending;
using data::soDescending;
using data::soNone;
using data::TcxCustomDataControllerInfo;
using data::TcxCustomDataField;

TcxCustomDataField* field(TestController& c, int item) { return c.GetItemField(item); }

// --- sorting against the reference --------------------------------------------------------------
struct SortCase {
  const char* name;
  std::vector<SortKey> keys;
  bool caseInsensitive;
};

const SortCase kSortCases[] = {
    {"IntegerAscending", {{kInt, soAscending}}, false},
    {"IntegerDescending", {{kInt, soDescending}}, false},
    {"TextOrdinal", {{kText, soAscending}}, false},
    {"TextCaseInsensitiveDescending", {{kText, soDescending}}, true},
    {"FloatThenText", {{kFloat, soAscending}, {kText, soDescending}}, false},
    {"MixedVariants", {{kMixed, soAscending}}, false},
    {"ThreeKeys", {{kInt, soDescending}, {kText, soAscending}, {kFloat, soDescending}}, true},
};

class RecordListSort : public ::testing::TestWithParam<SortCase> {};

TEST_P(RecordListSort, MatchesStableReferenceOnRandomRecords) {
  const SortCase& param = GetParam();
  for (unsigned seed : {1u, 7u}) {
    TestController c(nullptr);
    fillRandomRecords(c, 400, seed);
    if (param.caseInsensitive) c.SetOptions(c.Options() + data::dcoCaseInsensitive);
    TcxCustomDataControllerInfo& info = *c.DataControllerInfo();
    c.BeginUpdate();
    for (const SortKey& key : param.keys) info.ChangeSorting(field(c, key.item), key.order);
    c.EndUpdate();
    EXPECT_EQ(recordList(info), referenceOrder(c, param.keys, param.caseInsensitive, allRecords(400)))
        << "seed " << seed;
    // A reload (new data, same fields) sorts again.
    c.SetValue(0, kInt, Variant(-100));
    c.SetValue(0, kText, Variant(String(u"0")));
    c.SetValue(0, kFloat, Variant(-1.0));
    c.SetValue(0, kMixed, Variant(-100));
    EXPECT_EQ(recordList(info), referenceOrder(c, param.keys, param.caseInsensitive, allRecords(400)))
        << "after a change, seed " << seed;
  }
}

INSTANTIATE_TEST_SUITE_P(RecordList, RecordListSort, ::testing::ValuesIn(kSortCases),
                         [](const auto& i) { return std::string(i.param.name); });

// --- small orders ---------------------------------------------------------------------------------
struct SmallOrderCase {
  const char* name;
  std::vector<Variant> values;
  data::TcxValueTypeClass type;
  data::TdxSortOrder order;
  bool caseInsensitive;
  std::vector<int> expected;
};

const SmallOrderCase kSmallOrders[] = {
    {"CaseInsensitiveKeepsRecordOrderOfEqualTexts",
     {Variant(String(u"b")), Variant(String(u"B")), Variant(String(u"a"))}, data::TcxStringValueType::Instance(),
     soAscending, true, {2, 0, 1}},
    {"OrdinalPutsCapitalsFirst",
     {Variant(String(u"b")), Variant(String(u"B")), Variant(String(u"a"))}, data::TcxStringValueType::Instance(),
     soAscending, false, {1, 2, 0}},
    {"DescendingKeepsTiesInRecordOrder", {Variant(1), Variant(2), Variant(2), Variant(3)},
     data::TcxIntegerValueType::Instance(), soDescending, false, {3, 1, 2, 0}},
    {"IntegersWithoutNullsTieInRecordOrder", {Variant(3), Variant(1), Variant(2), Variant(1)},
     data::TcxIntegerValueType::Instance(), soAscending, false, {1, 3, 2, 0}},
    {"NullsFirstAscending", {Variant(2), rtl::Null(), Variant(1), rtl::Null()},
     data::TcxIntegerValueType::Instance(), soAscending, false, {1, 3, 2, 0}},
    {"NullsLastDescending", {Variant(2), rtl::Null(), Variant(1), rtl::Null()},
     data::TcxIntegerValueType::Instance(), soDescending, false, {0, 2, 1, 3}},
};

class RecordListSmallOrder : public ::testing::TestWithParam<SmallOrderCase> {};

TEST_P(RecordListSmallOrder, SortsAsExpected) {
  const SmallOrderCase& param = GetParam();
  TestController c(nullptr);
  c.addItem(param.type);
  if (param.caseInsensitive) c.SetOptions(c.Options() + data::dcoCaseInsensitive);
  c.SetRecordCount(static_cast<int>(param.values.size()));
  for (size_t r = 0; r < param.values.size(); ++r) c.SetValue(static_cast<int>(r), 0, param.values[r]);
  c.DataControllerInfo()->ChangeSorting(field(c, 0), param.order);
  EXPECT_EQ(recordList(*c.DataControllerInfo()), param.expected);
  // Without a sorting field the list is back in storage order.
  c.DataControllerInfo()->ChangeSorting(field(c, 0), soNone);
  EXPECT_EQ(recordList(*c.DataControllerInfo()), allRecords(static_cast<int>(param.values.size())));
}

INSTANTIATE_TEST_SUITE_P(RecordList, RecordListSmallOrder, ::testing::ValuesIn(kSmallOrders),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(RecordList, SortingFieldListOperations) {
  TestController c(nullptr);
  fillRandomRecords(c, 50, 3);
  TcxCustomDataControllerInfo& info = *c.DataControllerInfo();
  info.ChangeSorting(field(c, kInt), soAscending);
  info.ChangeSorting(field(c, kText), soDescending);
  info.ChangeSortingIndex(field(c, kText), 0);
  ASSERT_EQ(info.SortingFieldList().size(), 2u);
  EXPECT_EQ(info.GetFieldSortingIndex(field(c, kText)), 0);
  EXPECT_EQ(recordList(info), referenceOrder(c, {{kText, soDescending}, {kInt, soAscending}}, false, allRecords(50)));
  // A grouped field keeps an order even when it leaves the sorting list.
  info.ChangeGrouping(field(c, kInt), 0);
  info.ClearSorting(false);
  EXPECT_EQ(info.GetFieldSortOrder(field(c, kInt)), soAscending);
  EXPECT_EQ(info.GetFieldSortOrder(field(c, kText)), soNone);
  info.ChangeSorting(field(c, kInt), soDescending);
  EXPECT_EQ(info.GroupingFieldList()[0].SortOrder, soDescending);
  info.ChangeSorting(field(c, kText), soAscending);
  info.ClearSorting(true);
  ASSERT_EQ(info.SortingFieldList().size(), 1u);
  EXPECT_EQ(info.SortingFieldList()[0].Field, field(c, kInt));
}

TEST(RecordList, RemovedItemLeavesTheSortingAndGroupingLists) {
  TestController c(nullptr);
  fillRandomRecords(c, 40, 5);
  TcxCustomDataControllerInfo& info = *c.DataControllerInfo();
  info.ChangeGrouping(field(c, kFloat), 0);
  info.ChangeSorting(field(c, kText), soAscending);
  info.ChangeSorting(field(c, kFloat), soDescending);
  c.RemoveItem(c.items[kFloat].get());
  EXPECT_TRUE(info.GroupingFieldList().empty());
  ASSERT_EQ(info.SortingFieldList().size(), 1u);
  c.Refresh();  // would read the freed field if a list still held it
  EXPECT_EQ(info.GetFilteredRecordCount(), 40);
  EXPECT_EQ(info.GetRowCount(), 40);
}

// A handler that answers at random breaks every ordering rule; the sort must
// still return each record exactly once.
TEST(RecordList, ContradictoryCompareHandlerStillYieldsAPermutation) {
  TestController c(nullptr);
  fillRandomRecords(c, 300, 9);
  unsigned state = 12345;
  c.FOnCompare = data::TcxDataControllerCompareEvent::fromClosure(
      &state, [&state](data::TcxCustomDataController*, int, int, int, const Variant&, const Variant&, int& result) {
        state = state * 1103515245u + 12345u;
        result = static_cast<int>((state >> 16) % 3) - 1;
      });
  c.DataControllerInfo()->ChangeSorting(field(c, kInt), soAscending);
  std::vector<int> list = recordList(*c.DataControllerInfo());
  std::sort(list.begin(), list.end());
  EXPECT_EQ(list, allRecords(300));
}

TEST(RecordList, CompareHandlerDecidesTheOrder) {
  TestController c(nullptr);
  fillRandomRecords(c, 60, 4);
  // Reverse the native order of the integers through the handler.
  c.FOnCompare = data::TcxDataControllerCompareEvent::fromClosure(
      &c, [](data::TcxCustomDataController*, int, int, int, const Variant& a, const Variant& b, int& result) {
        result = -data::VarCompare(a, b);
      });
  c.DataControllerInfo()->ChangeSorting(field(c, kInt), soAscending);
  EXPECT_EQ(recordList(*c.DataControllerInfo()), referenceOrder(c, {{kInt, soDescending}}, false, allRecords(60)));
}

// --- filtering --------------------------------------------------------------------------------------
class PredicateFilter : public data::TcxRecordListFilter {
 public:
  explicit PredicateFilter(std::function<bool(int)> accepts) : accepts_(std::move(accepts)) {}
  bool IsFiltering() override { return active; }
  bool SupportsMultiThreading() override { return true; }
  bool Accepts(int record) override { return accepts_(record); }
  bool active = true;

 private:
  std::function<bool(int)> accepts_;
};

struct FilterCase {
  const char* name;
  bool criteria;       // keeps records whose integer is >= 0
  bool recordEvent;    // keeps even record indexes
  bool findPanel;      // keeps records whose float is not null
  const char16_t* incremental;  // over the text item
};

const FilterCase kFilterCases[] = {
    {"CriteriaAlone", true, false, false, nullptr},
    {"RecordEventAlone", false, true, false, nullptr},
    {"FindPanelAlone", false, false, true, nullptr},
    {"IncrementalAlone", false, false, false, u"ab"},
    {"AllTogether", true, true, true, u"A"},
};

class RecordListFilter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(RecordListFilter, KeepsExactlyTheRecordsEveryActiveFilterAccepts) {
  const FilterCase& param = GetParam();
  TestController c(nullptr);
  fillRandomRecords(c, 300, 11);
  auto intAtLeastZero = [&c](int r) {
    const Variant v = c.GetValue(r, kInt);
    return !rtl::VarIsNull(v) && data::VarCompare(v, Variant(0)) >= 0;
  };
  auto floatNotNull = [&c](int r) { return !rtl::VarIsNull(c.GetValue(r, kFloat)); };
  PredicateFilter criteria(intAtLeastZero), findPanel(floatNotNull);
  TcxCustomDataControllerInfo& info = *c.DataControllerInfo();
  info.ChangeSorting(field(c, kText), soAscending);
  if (param.criteria) info.SetFilter(&criteria);
  if (param.findPanel) info.SetFindFilter(&findPanel);
  if (param.recordEvent)
    c.FOnFilterRecord = data::TcxDataFilterRecordEvent::fromClosure(
        &c, [](data::TcxCustomDataController*, int r, bool& accept) { accept = r % 2 == 0; });
  if (param.incremental) info.SetIncrementalFilter(field(c, kText), param.incremental);
  c.Refresh();
  std::vector<int> kept;
  for (int r = 0; r < 300; ++r) {
    bool ok = (!param.criteria || intAtLeastZero(r)) && (!param.recordEvent || r % 2 == 0) &&
              (!param.findPanel || floatNotNull(r));
    if (param.incremental) {
      const String text = rtl::AnsiUpperCase(c.GetDisplayText(r, kText));
      const String prefix = rtl::AnsiUpperCase(param.incremental);
      ok = ok && text.compare(0, prefix.size(), prefix) == 0;
    }
    if (ok) kept.push_back(r);
  }
  ASSERT_LT(kept.size(), 300u);
  ASSERT_GT(kept.size(), 0u);
  EXPECT_EQ(recordList(info), referenceOrder(c, {{kText, soAscending}}, false, kept));
  for (size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(info.GetFilteredIndexByRecordIndex(info.GetFilteredRecordIndex(static_cast<int>(i))), static_cast<int>(i));
  criteria.active = findPanel.active = false;
  c.FOnFilterRecord = nullptr;
  info.ResetIncrementalFilter();
  c.Refresh();
  EXPECT_EQ(info.GetFilteredRecordCount(), 300);
  info.SetFilter(nullptr);
  info.SetFindFilter(nullptr);
}

INSTANTIATE_TEST_SUITE_P(RecordList, RecordListFilter, ::testing::ValuesIn(kFilterCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(RecordList, IncrementalFilterMatchesTheStartIgnoringCase) {
  TestController c(nullptr);
  c.addItem(data::TcxStringValueType::Instance());
  const char16_t* texts[] = {u"abc", u"xab", u"ABx", u"b"};
  c.SetRecordCount(4);
  for (int r = 0; r < 4; ++r) c.SetValue(r, 0, Variant(String(texts[r])));
  EXPECT_EQ(c.DataControllerInfo()->SetIncrementalFilter(field(c, 0), u"AB"), 0);
  EXPECT_EQ(recordList(*c.DataControllerInfo()), (std::vector<int>{0, 2}));
  EXPECT_EQ(c.DataControllerInfo()->GetFilteredIndexByRecordIndex(1), -1);
  EXPECT_EQ(c.DataControllerInfo()->SetIncrementalFilter(field(c, 0), u"q"), -1);
}

TEST(RecordList, FilterRejectingEverythingKeepsOnlyTheEditingRecord) {
  TestController c(nullptr);
  fillRandomRecords(c, 10, 2);
  PredicateFilter none([](int) { return false; });
  c.DataControllerInfo()->SetFilter(&none);
  EXPECT_EQ(c.DataControllerInfo()->GetFilteredRecordCount(), 0);
  EXPECT_EQ(c.GetRowCount(), 0);
  none.active = false;
  c.Refresh();
  c.SetFocusedRecordIndex(4);
  c.Edit();
  ASSERT_EQ(c.Provider()->EditingRecordIndex(), 4);
  none.active = true;
  c.DataControllerInfo()->Refresh();
  EXPECT_EQ(recordList(*c.DataControllerInfo()), std::vector<int>{4});
  c.Cancel();
  c.DataControllerInfo()->SetFilter(nullptr);
}

TEST(RecordList, FilterThatRaisesLeavesAPackedList) {
  TestController c(nullptr);
  fillRandomRecords(c, 50, 2);
  PredicateFilter failing([](int r) {
    if (r == 30) throw std::runtime_error("filter failed");
    return r % 3 != 0;
  });
  EXPECT_THROW(c.DataControllerInfo()->SetFilter(&failing), std::runtime_error);
  const std::vector<int> list = recordList(*c.DataControllerInfo());
  for (int r : list) EXPECT_GE(r, 0);
  EXPECT_EQ(c.DataControllerInfo()->LockCount(), 0);
  failing.active = false;
  c.Refresh();
  EXPECT_EQ(c.DataControllerInfo()->GetFilteredRecordCount(), 50);
  c.DataControllerInfo()->SetFilter(nullptr);
}

// --- grouping ---------------------------------------------------------------------------------------
struct ReferenceGroup {
  int level, begin, end;
  bool operator==(const ReferenceGroup& o) const { return level == o.level && begin == o.begin && end == o.end; }
};

std::vector<ReferenceGroup> referenceGroups(const TestController& c, const std::vector<int>& order,
                                            const std::vector<int>& groupItems) {
  std::vector<ReferenceGroup> groups;
  std::vector<size_t> open(groupItems.size());
  for (size_t p = 0; p < order.size(); ++p) {
    size_t from = groupItems.size();
    if (p == 0)
      from = 0;
    else
      for (size_t l = 0; l < groupItems.size(); ++l)
        if (data::VarCompare(c.GetValue(order[p], groupItems[l]), c.GetValue(order[p - 1], groupItems[l])) != 0) {
          from = l;
          break;
        }
    for (size_t l = from; l < groupItems.size(); ++l) {
      open[l] = groups.size();
      groups.push_back({static_cast<int>(l), static_cast<int>(p), static_cast<int>(p)});
    }
    for (size_t l = 0; l < groupItems.size(); ++l) groups[open[l]].end = static_cast<int>(p);
  }
  return groups;
}

struct GroupCase {
  const char* name;
  std::vector<int> groupItems;
  std::vector<SortKey> sortKeys;
};

const GroupCase kGroupCases[] = {
    {"OneLevel", {kInt}, {}},
    {"OneLevelSortedInside", {kFloat}, {{kText, soDescending}}},
    {"TwoLevels", {kInt, kText}, {{kFloat, soAscending}}},
    {"ThreeLevels", {kMixed, kInt, kFloat}, {}},
};

class RecordListGroup : public ::testing::TestWithParam<GroupCase> {};

TEST_P(RecordListGroup, MatchesReferenceGroupsAndRows) {
  const GroupCase& param = GetParam();
  TestController c(nullptr);
  fillRandomRecords(c, 300, 21);
  TcxCustomDataControllerInfo& info = *c.DataControllerInfo();
  c.BeginUpdate();
  for (size_t l = 0; l < param.groupItems.size(); ++l)
    info.ChangeGrouping(field(c, param.groupItems[l]), static_cast<int>(l));
  for (const SortKey& key : param.sortKeys) info.ChangeSorting(field(c, key.item), key.order);
  c.EndUpdate();
  std::vector<SortKey> keys;
  for (int item : param.groupItems) keys.push_back({item, soAscending});
  keys.insert(keys.end(), param.sortKeys.begin(), param.sortKeys.end());
  const std::vector<int> order = referenceOrder(c, keys, false, allRecords(300));
  ASSERT_EQ(recordList(info), order);
  const std::vector<ReferenceGroup> expected = referenceGroups(c, order, param.groupItems);
  std::vector<ReferenceGroup> actual;
  int topLevel = 0;
  for (int g = 0; g < info.GetDataGroupCount(); ++g) {
    const data::TcxDataGroupInfo& group = info.GetDataGroup(g);
    actual.push_back({group.Level, group.BeginRecordListIndex, group.EndRecordListIndex});
    topLevel += group.Level == 0;
  }
  EXPECT_EQ(actual, expected);
  // Collapsed: one row per top-level group; expanded: every group and record.
  EXPECT_EQ(info.GetRowCount(), topLevel);
  info.FullExpand();
  ASSERT_EQ(info.GetRowCount(), static_cast<int>(expected.size()) + 300);
  int dataRows = 0;
  for (int row = 0; row < info.GetRowCount(); ++row) {
    const data::TcxRowInfo rowInfo = c.GetRowInfo(row);
    if (rowInfo.Level < static_cast<int>(param.groupItems.size())) continue;
    EXPECT_EQ(rowInfo.RecordIndex, order[static_cast<size_t>(dataRows)]);
    const data::TcxDataGroupInfo& owner = info.GetDataGroup(rowInfo.GroupIndex);
    EXPECT_EQ(owner.Level, static_cast<int>(param.groupItems.size()) - 1);
    EXPECT_LE(owner.BeginRecordListIndex, rowInfo.DataRowIndex);
    EXPECT_GE(owner.EndRecordListIndex, rowInfo.DataRowIndex);
    EXPECT_EQ(info.GetRowIndexByRecordIndex(rowInfo.RecordIndex), row);
    ++dataRows;
  }
  EXPECT_EQ(dataRows, 300);
  EXPECT_THROW(c.GetRowInfo(info.GetRowCount()), data::EcxInvalidDataControllerOperation);
}

INSTANTIATE_TEST_SUITE_P(RecordList, RecordListGroup, ::testing::ValuesIn(kGroupCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(RecordList, GroupingABAYieldsTwoGroups) {
  TestController c(nullptr);
  c.addItem(data::TcxStringValueType::Instance());
  const char16_t* texts[] = {u"A", u"B", u"A"};
  c.SetRecordCount(3);
  for (int r = 0; r < 3; ++r) c.SetValue(r, 0, Variant(String(texts[r])));
  TcxCustomDataControllerInfo& info = *c.DataControllerInfo();
  info.ChangeGrouping(field(c, 0), 0);
  ASSERT_EQ(info.GetDataGroupCount(), 2);
  EXPECT_EQ(info.GetDataGroup(0).EndRecordListIndex - info.GetDataGroup(0).BeginRecordListIndex, 1);
  EXPECT_EQ(recordList(info), (std::vector<int>{0, 2, 1}));
  EXPECT_EQ(info.GetRowCount(), 2);
  info.ChangeExpanding(0, true);
  EXPECT_EQ(info.GetRowCount(), 4);
  EXPECT_EQ(info.GetRowIndexByRecordIndex(2), 2);
  EXPECT_EQ(info.GetRowIndexByRecordIndex(1), -1);  // inside a collapsed group
  info.ClearGrouping();
  EXPECT_EQ(info.GetRowCount(), 3);
}

TEST(RecordList, FindGroupRecordBinaryAndLinearAgree) {
  TestController c(nullptr);
  fillRandomRecords(c, 200, 17);
  TcxCustomDataControllerInfo& info = *c.DataControllerInfo();
  info.ChangeGrouping(field(c, kInt), 0);
  info.ChangeGrouping(field(c, kFloat), 1);
  for (int r = 0; r < 200; r += 13)
    for (int items = 1; items <= 2; ++items) {
      const int found = info.FindGroupRecord(r, items, true);
      ASSERT_GE(found, 0);
      EXPECT_EQ(data::VarCompare(c.GetValue(found, kInt), c.GetValue(r, kInt)), 0);
      if (items == 2) { EXPECT_EQ(data::VarCompare(c.GetValue(found, kFloat), c.GetValue(r, kFloat)), 0); }
      EXPECT_GE(info.FindGroupRecord(r, items, false), 0);
    }
}

TEST(RecordList, FindRecordByFields) {
  TestController c(nullptr);
  fillRandomRecords(c, 80, 8);
  TcxCustomDataControllerInfo& info = *c.DataControllerInfo();
  EXPECT_EQ(info.FindRecordByFields(50, {}), -1);
  const int found = info.FindRecordByFields(50, {field(c, kInt), field(c, kText)});
  ASSERT_GE(found, 0);
  EXPECT_LE(found, 50);
  for (int r = 0; r < found; ++r)
    EXPECT_FALSE(data::VarEquals(c.GetValue(r, kInt), c.GetValue(50, kInt)) &&
                 data::VarEquals(c.GetValue(r, kText), c.GetValue(50, kText)));
}

}  // namespace
}  // namespace data_test
