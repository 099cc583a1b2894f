// The pool's sort cuts every merge into pieces by searching the runs; a
// comparison that contradicts itself must still leave each piece inside its
// runs, so that the list stays a permutation of the records.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "lib/core/dxThreading.h"
#include "tests/data/record_list_support.h"

namespace data_test {
namespace {

class RecordListMergeThreads : public ::testing::Test {
 protected:
  void SetUp() override {
    core::dxThreadingInitialization();
    ASSERT_TRUE(core::dxCanUseMultiThreading()) << "the tests need more than one processor";
  }
  void TearDown() override { core::dxThreadingFinalization(); }
};

TEST_F(RecordListMergeThreads, ContradictoryComparisonsStillGiveAPermutation) {
  for (int count : {33, 1000, 4099}) {
    TestController c(nullptr);
    fillRandomRecords(c, count, 17);
    // Neither antisymmetric nor transitive, and the same on every thread.
    c.FOnCompare = data::TcxDataControllerCompareEvent::fromClosure(
        nullptr, [](data::TcxCustomDataController*, int a, int b, int, const Variant&, const Variant&, int& result) {
          result = static_cast<int>((static_cast<unsigned>(a) * 7u + static_cast<unsigned>(b) * 13u) % 3u) - 1;
        });
    data::TcxCustomDataControllerInfo& info = *c.DataControllerInfo();
    info.SetMultiThreadedSorting(true);
    info.ChangeSorting(c.GetItemField(kInt), data::soAscending);
    EXPECT_TRUE(info.LastSortWasThreaded()) << count;
    std::vector<int> list = recordList(info);
    std::sort(list.begin(), list.end());
    EXPECT_EQ(list, allRecords(count)) << count;
  }
}

// One descending Float key without nulls on many records, against the
// single-threaded pass (which orders such a key without comparisons).
TEST_F(RecordListMergeThreads, RealKeyOnThePoolMatchesTheSingleThreadedOrder) {
  std::vector<int> lists[2];
  for (int threaded = 0; threaded < 2; ++threaded) {
    TestController c(nullptr);
    c.addItem(data::TcxFloatValueType::Instance());
    c.BeginUpdate();
    c.SetRecordCount(6000);
    for (int r = 0; r < 6000; ++r) c.SetValue(r, 0, Variant(((r * 7919) % 601 - 300) / 8.0));
    c.EndUpdate();
    data::TcxCustomDataControllerInfo& info = *c.DataControllerInfo();
    info.SetMultiThreadedSorting(threaded == 1);
    info.ChangeSorting(c.GetItemField(0), data::soDescending);
    EXPECT_EQ(info.LastSortWasThreaded(), threaded == 1);
    lists[threaded] = recordList(info);
  }
  EXPECT_EQ(lists[0], lists[1]);
}

}  // namespace
}  // namespace data_test
