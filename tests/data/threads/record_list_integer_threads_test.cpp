// One integer sorting field without nulls is sorted on 64-bit keys that
// pack the value's offset in its span with the record's position, on one
// thread and on the pool; a span too wide for the packing goes back to the
// comparison. Every way must give the order the variants give, ties in
// record order, in both directions.
#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>
#include <vector>

#include "lib/core/dxThreading.h"
#include "tests/data/record_list_support.h"

namespace data_test {
namespace {

struct IntegerSortCase {
  const char* name;
  bool large;  // a LargeInt item rather than an Integer one
  std::vector<long long> values;  // repeated cyclically over the records
};

void PrintTo(const IntegerSortCase& c, std::ostream* os) { *os << c.name; }

class IntegerKeySort : public testing::TestWithParam<IntegerSortCase> {
 protected:
  void SetUp() override { core::dxThreadingInitialization(); }
  void TearDown() override { core::dxThreadingFinalization(); }
};

// Enough records that the pool cuts them into chunks and merges them.
constexpr int kIntegerSortRecords = 3001;

TEST_P(IntegerKeySort, OrdersAsTheVariantsWithTiesInRecordOrder) {
  const IntegerSortCase& c = GetParam();
  TestController controller(nullptr);
  controller.addItem(c.large ? data::TcxLargeIntValueType::Instance() : data::TcxIntegerValueType::Instance());
  controller.BeginUpdate();
  controller.SetRecordCount(kIntegerSortRecords);
  for (int r = 0; r < kIntegerSortRecords; ++r) {
    // A stride prime to the table's length scatters the repeats.
    const long long value = c.values[static_cast<size_t>(r * 7919) % c.values.size()];
    controller.SetValue(r, 0, c.large ? Variant(value) : Variant(static_cast<int>(value)));
  }
  controller.EndUpdate();
  data::TcxCustomDataControllerInfo& info = *controller.DataControllerInfo();
  for (const bool threaded : {false, true}) {
    for (const data::TdxSortOrder order : {data::soAscending, data::soDescending}) {
      SCOPED_TRACE(std::string(threaded ? "pool, " : "one thread, ") +
                   (order == data::soAscending ? "ascending" : "descending"));
      info.SetMultiThreadedSorting(threaded);
      info.ChangeSorting(controller.GetItemField(0), order);
      EXPECT_EQ(info.LastSortWasThreaded(), threaded && core::dxCanUseMultiThreading());
      EXPECT_EQ(recordList(info),
                referenceOrder(controller, {{0, order}}, false, allRecords(kIntegerSortRecords)));
      info.ChangeSorting(controller.GetItemField(0), data::soNone);
    }
  }
}

const IntegerSortCase kIntegerSorts[] = {
    {"FewValuesManyTies", false, {3, -6, 0, 3, 5, -6, 1}},
    // The widest span that still packs: offsets up to 2^32 - 1.
    {"WholeIntegerRange", false, {INT_MIN, INT_MAX, 0, -1, 1, INT_MIN + 1, INT_MAX - 1, 12345, -98765}},
    {"LargeValuesInANarrowSpan", true, {4000000000123LL, 4000000000000LL, 3999999999999LL, 4000000000123LL}},
    // Too wide to pack: the comparison sorts.
    {"LargeValuesBeyondThePacking", true, {LLONG_MIN, LLONG_MAX, 0, -5, 5000000000LL, -5000000000LL, 0}},
    {"LargeSpanJustTooWide", true, {0, 4294967296LL, 1, 4294967295LL, 0}},
};
INSTANTIATE_TEST_SUITE_P(Columns, IntegerKeySort, testing::ValuesIn(kIntegerSorts),
                         [](const testing::TestParamInfo<IntegerSortCase>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace data_test
