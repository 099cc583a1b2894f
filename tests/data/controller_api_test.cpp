// The controller's operations by item index: its filter criteria, the
// record filter event and the find panel filtering the record list, the
// incremental filter, sorting and grouping by item, interface queries and
// smart loading from a program-supplied record source.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataFilter.h"
#include "lib/data/cxDataStorage.h"
#include "tests/data/data_controller_support.h"
#include "tests/data/record_list_support.h"

namespace {

using data::TcxFilterBoolOperatorKind;
using data::TcxFilterOperatorKind;
using data_test::kFloat;
using data_test::kInt;
using data_test::kMixed;
using data_test::kText;
using data_test::recordList;
using data_test::TestController;
using rtl::String;
using rtl::Variant;
using ControllerApiOp = TcxFilterOperatorKind;

constexpr int kControllerApiRecords = 400;  // above the threshold where the filter pass may use the pool

struct ControllerApiFixture {
  rtl::TComponent owner{nullptr};
  TestController c{&owner};
  explicit ControllerApiFixture(int count = kControllerApiRecords, unsigned seed = 7) { data_test::fillRandomRecords(c, count, seed); }
  rtl::TObject* item(int i) { return c.items.at(static_cast<size_t>(i)).get(); }
  std::vector<int> rows() { return recordList(*c.DataControllerInfo()); }
  std::vector<int> recordsWhere(const std::function<bool(int)>& accept) {
    std::vector<int> out;
    for (int r = 0; r < c.GetRecordCount(); ++r)
      if (accept(r)) out.push_back(r);
    return out;
  }
};

bool isNull(const Variant& v) { return rtl::VarIsNull(v); }
int asInt(const Variant& v) { return v.AsInteger(); }
double asFloat(const Variant& v) { return v.AsDouble(); }
std::string asText(const Variant& v) { return isNull(v) ? std::string() : data_test::utf8(rtl::VarToStr(v)); }

// --- the controller's criteria ------------------------------------------------------------------
struct CriteriaCase {
  const char* name;
  // Builds the conditions through the controller's filter.
  std::function<void(ControllerApiFixture&, data::TcxDataFilterCriteria*)> build;
  // The same test written by hand over the record's values.
  std::function<bool(TestController&, int)> expected;
};

void PrintTo(const CriteriaCase& c, std::ostream* os) { *os << c.name; }

const CriteriaCase kCriteria[] = {
    {"IntGreater",
     [](ControllerApiFixture& f, data::TcxDataFilterCriteria* flt) { flt->Root()->AddItem(f.item(kInt), ControllerApiOp::foGreater, Variant(2), u"2"); },
     [](TestController& c, int r) {
       const Variant v = c.GetValue(r, kInt);
       return !isNull(v) && asInt(v) > 2;
     }},
    {"TextEqual",
     [](ControllerApiFixture& f, data::TcxDataFilterCriteria* flt) {
       flt->Root()->AddItem(f.item(kText), ControllerApiOp::foEqual, Variant(String(u"ab")), u"ab");
     },
     [](TestController& c, int r) { return asText(c.GetValue(r, kText)) == "ab"; }},
    {"TextIsBlank",
     [](ControllerApiFixture& f, data::TcxDataFilterCriteria* flt) { flt->Root()->AddItem(f.item(kText), ControllerApiOp::foEqual, rtl::Null(), u""); },
     [](TestController& c, int r) { return isNull(c.GetValue(r, kText)); }},
    {"IntNotBlankAndFloatAtLeastOne",
     [](ControllerApiFixture& f, data::TcxDataFilterCriteria* flt) {
       flt->Root()->AddItem(f.item(kInt), ControllerApiOp::foNotEqual, rtl::Null(), u"");
       flt->Root()->AddItem(f.item(kFloat), ControllerApiOp::foGreaterEqual, Variant(1.0), u"1");
     },
     [](TestController& c, int r) {
       const Variant v = c.GetValue(r, kFloat);
       return !isNull(c.GetValue(r, kInt)) && !isNull(v) && asFloat(v) >= 1.0;
     }},
    {"OrOfTextAndMixed",
     [](ControllerApiFixture& f, data::TcxDataFilterCriteria* flt) {
       flt->Root()->SetBoolOperatorKind(TcxFilterBoolOperatorKind::fboOr);
       flt->Root()->AddItem(f.item(kText), ControllerApiOp::foEqual, Variant(String(u"z")), u"z");
       flt->Root()->AddItem(f.item(kMixed), ControllerApiOp::foLess, Variant(1), u"1");
     },
     [](TestController& c, int r) {
       return asText(c.GetValue(r, kText)) == "z" || asFloat(c.GetValue(r, kMixed)) < 1.0;
     }},
    {"NotAndNested",
     [](ControllerApiFixture& f, data::TcxDataFilterCriteria* flt) {
       data::TcxFilterCriteriaItemList* inner = flt->Root()->AddItemList(TcxFilterBoolOperatorKind::fboNotAnd);
       inner->AddItem(f.item(kInt), ControllerApiOp::foGreaterEqual, Variant(0), u"0");
       inner->AddItem(f.item(kMixed), ControllerApiOp::foGreater, Variant(1.5), u"1.5");
     },
     [](TestController& c, int r) {
       const Variant v = c.GetValue(r, kInt);
       return !(!isNull(v) && asInt(v) >= 0 && asFloat(c.GetValue(r, kMixed)) > 1.5);
     }},
};

class ControllerCriteria : public testing::TestWithParam<CriteriaCase> {};

TEST_P(ControllerCriteria, FiltersTheRecordListAsTheConditionsSay) {
  const CriteriaCase& cc = GetParam();
  for (const bool threaded : {true, false}) {
    SCOPED_TRACE(threaded ? "pool" : "one thread");
    ControllerApiFixture f;
    f.c.DataControllerInfo()->SetMultiThreadedFiltering(threaded);
    data::TcxDataFilterCriteria* filter = f.c.Filter();
    filter->BeginUpdate();
    cc.build(f, filter);
    filter->SetActive(true);
    filter->EndUpdate();
    const std::vector<int> expected = f.recordsWhere([&](int r) { return cc.expected(f.c, r); });
    ASSERT_FALSE(expected.empty());
    ASSERT_LT(expected.size(), static_cast<size_t>(kControllerApiRecords));
    EXPECT_EQ(f.rows(), expected);
    // Switching the criteria off gives every record back.
    filter->SetActive(false);
    EXPECT_EQ(f.rows(), data_test::allRecords(kControllerApiRecords));
  }
}

INSTANTIATE_TEST_SUITE_P(Controller, ControllerCriteria, testing::ValuesIn(kCriteria),
                         [](const testing::TestParamInfo<CriteriaCase>& i) { return std::string(i.param.name); });

TEST(ControllerFilter, CriteriaAssignedFromAnotherControllerFilterThisOne) {
  ControllerApiFixture source, target;
  source.c.Filter()->Root()->AddItem(source.item(kInt), ControllerApiOp::foGreater, Variant(2), u"2");
  source.c.Filter()->SetActive(true);
  target.c.SetFilter(source.c.Filter());
  EXPECT_TRUE(target.c.Filter()->IsFiltering());
  EXPECT_EQ(target.rows(), source.rows());
  EXPECT_LT(target.rows().size(), static_cast<size_t>(kControllerApiRecords));
}

TEST(ControllerFilter, RecordFilterEventCombinesWithTheCriteria) {
  ControllerApiFixture f;
  f.c.Filter()->Root()->AddItem(f.item(kInt), ControllerApiOp::foGreater, Variant(0), u"0");
  f.c.Filter()->SetActive(true);
  int calls = 0;
  f.c.SetOnFilterRecord(data::TcxDataFilterRecordEvent::fromClosure(
      &f, [&](data::TcxCustomDataController*, int record, bool& accept) {
        ++calls;
        accept = record % 3 == 0;
      }));
  EXPECT_GT(calls, 0);  // setting the handler filtered at once
  EXPECT_TRUE(f.c.HasRecordFilter());
  const std::vector<int> expected = f.recordsWhere([&](int r) {
    const Variant v = f.c.GetValue(r, kInt);
    return r % 3 == 0 && !isNull(v) && asInt(v) > 0;
  });
  EXPECT_EQ(f.rows(), expected);
  f.c.SetOnFilterRecord(nullptr);
  EXPECT_FALSE(f.c.HasRecordFilter());
  EXPECT_TRUE(f.c.DoFilterRecord(1));
  EXPECT_EQ(f.rows(), f.recordsWhere([&](int r) {
    const Variant v = f.c.GetValue(r, kInt);
    return !isNull(v) && asInt(v) > 0;
  }));
}

// --- find panel -----------------------------------------------------------------------------------
std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
  return s;
}

TEST(ControllerFindPanel, TextOverTheSearchedItemsFiltersAndClears) {
  ControllerApiFixture f;
  f.c.AddFindFilterItem(kText);
  f.c.SetFindFilterText(u"aB");
  EXPECT_EQ(data_test::utf8(f.c.GetFindFilterText()), "aB");
  EXPECT_TRUE(f.c.IsFindFiltering());
  const std::vector<int> expected =
      f.recordsWhere([&](int r) { return lower(asText(f.c.GetValue(r, kText))).find("ab") != std::string::npos; });
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(f.rows(), expected);
  for (int record : expected) {
    String highlighted = u"stale";
    const int start = f.c.GetFindFilterTextStartPosition(record, kText, highlighted);
    EXPECT_EQ(start, static_cast<int>(lower(asText(f.c.GetValue(record, kText))).find("ab"))) << record;
    EXPECT_EQ(lower(data_test::utf8(highlighted)), "ab") << record;
  }
  f.c.ClearFindFilterText();
  EXPECT_FALSE(f.c.IsFindFiltering());
  EXPECT_EQ(f.rows(), data_test::allRecords(kControllerApiRecords));
}

TEST(ControllerFindPanel, WithoutItemsNothingIsFilteredAndRemovingTheItemStopsIt) {
  ControllerApiFixture f;
  f.c.SetFindFilterText(u"ab");
  EXPECT_EQ(f.rows(), data_test::allRecords(kControllerApiRecords));
  f.c.AddFindFilterItem(kText);
  EXPECT_LT(f.rows().size(), static_cast<size_t>(kControllerApiRecords));
  f.c.RemoveFindFilterItem(kText);
  EXPECT_EQ(f.rows(), data_test::allRecords(kControllerApiRecords));
  f.c.AddFindFilterItem(kText);
  f.c.ClearFindFilterItems();
  EXPECT_EQ(f.rows(), data_test::allRecords(kControllerApiRecords));
}

// --- incremental filter ---------------------------------------------------------------------------
TEST(ControllerIncrementalFilter, PrefixIgnoringCaseThenChangedThenReset) {
  ControllerApiFixture f;
  auto startsWith = [&](const std::string& prefix) {
    return f.recordsWhere([&, prefix](int r) { return lower(asText(f.c.GetValue(r, kText))).rfind(prefix, 0) == 0; });
  };
  const int first = f.c.SetIncrementalFilter(kText, u"A");
  const std::vector<int> a = startsWith("a");
  EXPECT_EQ(f.rows(), a);
  EXPECT_EQ(first, a.front());
  EXPECT_TRUE(f.c.HasIncrementalFilter());
  EXPECT_FALSE(f.c.ChangeIncrementalFilterText(u"A"));  // the same text
  EXPECT_TRUE(f.c.ChangeIncrementalFilterText(u"ab"));
  EXPECT_EQ(f.rows(), startsWith("ab"));
  EXPECT_EQ(data_test::utf8(f.c.GetIncrementalFilterText()), "ab");
  EXPECT_EQ(f.c.SetIncrementalFilter(kText, u"qqq"), -1);
  f.c.ResetIncrementalFilter();
  EXPECT_FALSE(f.c.HasIncrementalFilter());
  EXPECT_FALSE(f.c.ChangeIncrementalFilterText(u"a"));  // none active
  EXPECT_EQ(f.rows(), data_test::allRecords(kControllerApiRecords));
}

// --- sorting and grouping by item -------------------------------------------------------------------
TEST(ControllerSorting, ByItemIndexFollowsTheSortingListAndMatchesTheReference) {
  ControllerApiFixture f(120, 3);
  f.c.ChangeSorting(kInt, data::soAscending);
  f.c.ChangeSorting(kText, data::soDescending);
  EXPECT_EQ(f.c.GetSortingItemCount(), 2);
  EXPECT_EQ(f.c.GetSortingItemIndex(0), kInt);
  EXPECT_EQ(f.c.GetItemSortingIndex(kText), 1);
  EXPECT_EQ(f.c.GetItemSortOrder(kText), data::soDescending);
  EXPECT_EQ(f.c.GetItemSortOrder(kFloat), data::soNone);
  EXPECT_EQ(f.rows(), data_test::referenceOrder(f.c, {{kInt, data::soAscending}, {kText, data::soDescending}}, false,
                                                data_test::allRecords(120)));
  f.c.ChangeItemSortingIndex(kText, 0);
  EXPECT_EQ(f.c.GetSortingItemIndex(0), kText);
  EXPECT_EQ(f.rows(), data_test::referenceOrder(f.c, {{kText, data::soDescending}, {kInt, data::soAscending}}, false,
                                                data_test::allRecords(120)));
  // Grouping by an item leads the order; its order is ascending unless the
  // item is sorted.
  f.c.ChangeGroupIndex(kFloat, 0);
  EXPECT_EQ(f.c.GetItemGroupIndex(kFloat), 0);
  EXPECT_EQ(f.c.GetGroupingItemCount(), 1);
  EXPECT_EQ(f.c.GetGroupingItemIndex(0), kFloat);
  EXPECT_EQ(f.c.GetItemSortOrder(kFloat), data::soAscending);
  EXPECT_EQ(f.rows(), data_test::referenceOrder(f.c,
                                                {{kFloat, data::soAscending}, {kText, data::soDescending},
                                                 {kInt, data::soAscending}},
                                                false, data_test::allRecords(120)));
  f.c.ChangeSorting(kFloat, data::soDescending);
  f.c.ClearSorting(true);  // keeps the grouped item's sorting only
  EXPECT_EQ(f.c.GetSortingItemCount(), 1);
  EXPECT_EQ(f.c.GetItemSortOrder(kFloat), data::soDescending);
  EXPECT_EQ(f.c.GetItemSortOrder(kInt), data::soNone);
  f.c.ClearGrouping();
  f.c.ClearSorting(false);
  EXPECT_EQ(f.c.GetGroupingItemCount(), 0);
  EXPECT_EQ(f.c.GetSortingItemCount(), 0);
  EXPECT_EQ(f.rows(), data_test::allRecords(120));
}

TEST(ControllerSorting, ItemIndexOutOfRangeRaises) {
  ControllerApiFixture f(3);
  EXPECT_THROW(f.c.ChangeSorting(7, data::soAscending), data::EcxInvalidDataControllerOperation);
  EXPECT_THROW(f.c.ChangeGroupIndex(-2, 0), data::EcxInvalidDataControllerOperation);
  EXPECT_EQ(f.c.GetSortingItemCount(), 0);
}

// --- interfaces ----------------------------------------------------------------------------------
class ISortedSource {
 public:
  virtual ~ISortedSource() = default;
  virtual int Answer() = 0;
};
class IOther {
 public:
  virtual ~IOther() = default;
};

class InterfacedController : public TestController, public ISortedSource {
 public:
  using TestController::TestController;
  int Answer() override { return 42; }
};

TEST(ControllerInterfaces, AnswersWithoutReferenceCounting) {
  rtl::TComponent owner(nullptr);
  InterfacedController c(&owner);
  ISortedSource* sorted = nullptr;
  EXPECT_EQ(c.QueryInterface(sorted), 0);
  ASSERT_NE(sorted, nullptr);
  EXPECT_EQ(sorted->Answer(), 42);
  IOther* other = reinterpret_cast<IOther*>(&c);
  EXPECT_EQ(c.QueryInterface(other), static_cast<int>(0x80004002u));
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(c._AddRef(), -1);
  EXPECT_EQ(c._Release(), -1);
}

// --- smart loading from a record source ----------------------------------------------------------------
struct Row {
  int id;
  String name;
};

// Hands out its rows one by one to a smart load.
class RowSource : public data::TcxCustomDataSource {
 public:
  explicit RowSource(std::vector<Row>& rows) : rows_(rows) {}
  Variant GetValue(data::TcxDataRecordHandle record, data::TcxDataItemHandle item) override {
    const Row& row = *static_cast<Row*>(record);
    return item == nullptr ? Variant(row.id) : Variant(row.name);
  }
  data::TcxDataItemHandle GetItemHandle(int itemIndex) override {
    return itemIndex == 0 ? nullptr : reinterpret_cast<data::TcxDataItemHandle>(1);
  }
  std::unique_ptr<data::TcxDataRecordHandleReader> CreateSmartLoadReader() override {
    class Reader : public data::TcxDataRecordHandleReader {
     public:
      explicit Reader(Row* row) : row_(row) {}
      data::TcxDataRecordHandle GetRecordHandle() override { return row_; }

     private:
      Row* row_;
    };
    return std::make_unique<Reader>(&rows_.at(next_++));
  }

 private:
  std::vector<Row>& rows_;
  size_t next_ = 0;
};

class SmartController : public TestController {
 public:
  using TestController::TestController;
  bool IsSmartLoad() const override { return true; }
};

TEST(ControllerSmartLoad, ProviderModeLoadsOneRecordHandleAtATime) {
  std::vector<Row> rows = {{3, u"c"}, {1, u"a"}, {2, u"b"}, {4, u"d"}};
  rtl::TComponent owner(nullptr);
  SmartController c(&owner);
  c.addItem(data::TcxIntegerValueType::Instance());
  c.addItem(data::TcxStringValueType::Instance());
  RowSource source(rows);
  c.SetCustomDataSource(&source);
  ASSERT_TRUE(c.IsProviderMode());
  EXPECT_EQ(c.GetRecordCount(), 0);  // a smart controller loads nothing by itself
  c.BeginSmartLoad();
  for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(c.AppendRecord(), static_cast<int>(i));
  c.DeleteRecord(1);  // the row {1, "a"} leaves again
  c.EndSmartLoad();
  ASSERT_EQ(c.GetRecordCount(), 3);
  EXPECT_EQ(c.GetRowCount(), 3);  // the record list was rebuilt
  std::vector<std::string> seen;
  for (int r = 0; r < c.GetRecordCount(); ++r)
    seen.push_back(data_test::show(c.GetValue(r, 0)) + data_test::show(c.GetValue(r, 1)));
  EXPECT_EQ(seen, (std::vector<std::string>{"3c", "2b", "4d"}));
  EXPECT_EQ(source.GetRecordIndexByHandle(&rows[3]), 2);
  EXPECT_EQ(source.GetRecordIndexByHandle(&rows[1]), -1);
  c.ChangeSorting(0, data::soAscending);
  EXPECT_EQ(recordList(*c.DataControllerInfo()), (std::vector<int>{1, 0, 2}));
  c.SetCustomDataSource(nullptr);
}

}  // namespace
