// The record list's shortcuts over extracted keys give what the general
// comparisons give: one Float or DateTime sorting field without nulls (its
// values ordered without comparisons), group boundaries found on the
// extracted grouping values, and value lists of texts built without a copy
// per comparison.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataFilter.h"
#include "lib/data/cxVariants.h"
#include "platform/rtl/ustring.h"
#include "tests/data/data_controller_support.h"
#include "tests/data/record_list_support.h"

namespace {

using data_test::TestController;
using rtl::String;
using rtl::Variant;

// Records of one Float (or DateTime) item, no nulls, and a second Integer
// item whose value is the record's number, to name records in messages.
struct RealColumn {
  TestController controller{nullptr};
  explicit RealColumn(const std::vector<double>& values, bool dateTime = false) {
    controller.addItem(dateTime ? data::TcxDateTimeValueType::Instance() : data::TcxFloatValueType::Instance());
    controller.BeginUpdate();
    controller.SetRecordCount(static_cast<int>(values.size()));
    for (size_t r = 0; r < values.size(); ++r)
      controller.SetValue(static_cast<int>(r), 0,
                          dateTime ? Variant::FromDateTime(values[r]) : Variant(values[r]));
    controller.EndUpdate();
  }
  data::TcxCustomDataControllerInfo& info() { return *controller.DataControllerInfo(); }
  data::TcxCustomDataField* field() { return controller.GetItemField(0); }
};

struct RealSortCase {
  const char* name;
  std::vector<double> values;
  bool dateTime;
};

void PrintTo(const RealSortCase& c, std::ostream* os) { *os << c.name; }

class RealKeySort : public testing::TestWithParam<RealSortCase> {};

// Both directions against a stable sort of the values as variants compare
// them: ties (and -0 against +0) in record order either way.
TEST_P(RealKeySort, OrdersAsTheVariantsCompareWithTiesInRecordOrder) {
  const RealSortCase& c = GetParam();
  RealColumn column(c.values, c.dateTime);
  for (data::TdxSortOrder order : {data::soAscending, data::soDescending}) {
    column.info().ChangeSorting(column.field(), order);
    const std::vector<int> expected = data_test::referenceOrder(
        column.controller, {{0, order}}, false, data_test::allRecords(static_cast<int>(c.values.size())));
    EXPECT_EQ(data_test::recordList(column.info()), expected) << (order == data::soAscending ? "ascending" : "descending");
    column.info().ChangeSorting(column.field(), data::soNone);
  }
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kTiny = std::numeric_limits<double>::denorm_min();

const RealSortCase kRealSorts[] = {
    {"NegativesAndPositives", {3.5, -1.25, 0.5, -7.0, 2.0, -0.5, 1e300, -1e300}, false},
    {"SignedZerosTie", {0.0, -0.0, 1.0, -0.0, 0.0, -1.0, -0.0}, false},
    {"RepeatsKeepRecordOrder", {2.0, 1.0, 2.0, 1.0, 2.0, 3.0, 1.0, 3.0}, false},
    {"InfinitiesAndDenormals", {kTiny, -kInf, 0.0, kInf, -kTiny, 1.0, -0.0}, false},
    {"KeysDifferOnlyInLowBits", {1.0, std::nextafter(1.0, 2.0), 1.0, std::nextafter(1.0, 0.0)}, false},
    {"DaysAndTimes", {44000.0, 44001.5, 43999.25, 44000.0, -2.5, 44001.5, 0.0}, true},
};
INSTANTIATE_TEST_SUITE_P(Columns, RealKeySort, testing::ValuesIn(kRealSorts),
                         [](const testing::TestParamInfo<RealSortCase>& i) { return std::string(i.param.name); });

// Enough records that every radix digit and the merge of chunks take part.
TEST(RealKeySortLarge, ManyRandomRealsMatchTheReference) {
  std::vector<double> values;
  unsigned state = 12345;
  for (int i = 0; i < 5000; ++i) {
    state = state * 1103515245u + 12345u;
    const int v = static_cast<int>((state >> 8) % 2001) - 1000;
    values.push_back(v % 3 == 0 ? v * 1e-3 : v * 12345.678);
  }
  RealColumn column(values);
  column.info().ChangeSorting(column.field(), data::soDescending);
  EXPECT_EQ(data_test::recordList(column.info()),
            data_test::referenceOrder(column.controller, {{0, data::soDescending}}, false,
                                      data_test::allRecords(static_cast<int>(values.size()))));
}

// Groups of a Float column without nulls: every run of equal values (-0
// and +0 together) is one group, bounds in list positions.
TEST(RecordListKeyedGroups, RunsOfEqualRealsAreTheGroups) {
  RealColumn column({2.0, -0.0, 1.5, 0.0, 2.0, -3.0, 1.5, 2.0});
  column.info().ChangeGrouping(column.field(), 0);
  // Sorted: -3 | -0, 0 | 1.5, 1.5 | 2, 2, 2
  const std::vector<std::vector<int>> expected = {{0, 0}, {1, 2}, {3, 4}, {5, 7}};
  ASSERT_EQ(column.info().GetDataGroupCount(), static_cast<int>(expected.size()));
  for (int g = 0; g < column.info().GetDataGroupCount(); ++g) {
    const data::TcxDataGroupInfo& group = column.info().GetDataGroup(g);
    EXPECT_EQ(group.BeginRecordListIndex, expected[static_cast<size_t>(g)][0]) << "group " << g;
    EXPECT_EQ(group.EndRecordListIndex, expected[static_cast<size_t>(g)][1]) << "group " << g;
  }
}

// Texts go into a value list in ordinal order (upper case before lower),
// and a Variant column's texts and numbers keep the order single Adds give.
struct TextListCase {
  const char* name;
  std::vector<Variant> values;
};

void PrintTo(const TextListCase& c, std::ostream* os) { *os << c.name; }

class TextValueList : public testing::TestWithParam<TextListCase> {};

TEST_P(TextValueList, BulkLoadEqualsOneAddEach) {
  const TextListCase& c = GetParam();
  TestController controller{nullptr};
  controller.addItem(data::TcxVariantValueType::Instance());
  data::TcxDataFilterValueList single(controller.Filter()), bulk(controller.Filter());
  std::vector<data::TcxFilterValueEntry> entries;
  for (const Variant& v : c.values) {
    single.Add(data::TcxFilterValueItemKind::fviValue, v, rtl::VarToStr(v));
    entries.push_back({v, rtl::VarToStr(v)});
  }
  bulk.AddValues(entries);
  auto shown = [](const data::TcxFilterValueList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(data_test::show(list.Items(i)->Value()));
    return out;
  };
  EXPECT_EQ(shown(bulk), shown(single));
}

const TextListCase kTextLists[] = {
    {"OrdinalCase", {Variant(String(u"b")), Variant(String(u"B")), Variant(String(u"a")), Variant(String(u"ab")),
                     Variant(String(u"Ab")), Variant(String(u"b")), Variant(String(u"\u00e4")), Variant(String())}},
    // Digits compare with numbers as numbers; these agree with the ordinal
    // order of the texts, so that every order of adding gives one list.
    {"TextsAmongNumbers", {Variant(String(u"7")), Variant(9), Variant(String(u"5")), Variant(1), Variant(6.5),
                           Variant(String(u"5"))}},
};
INSTANTIATE_TEST_SUITE_P(Lists, TextValueList, testing::ValuesIn(kTextLists),
                         [](const testing::TestParamInfo<TextListCase>& i) { return std::string(i.param.name); });

}  // namespace
