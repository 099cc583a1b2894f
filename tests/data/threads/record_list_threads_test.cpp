// Sorting and filtering on the pool give exactly the record list of the
// single-threaded pass, and a failure on a pool thread reaches the caller.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

#include "lib/core/dxThreading.h"
#include "tests/data/record_list_support.h"

namespace data_test {
namespace {

using data::soAscending;
using data::soDescending;

class RecordListThreads : public ::testing::Test {
 protected:
  void SetUp() override {
    core::dxThreadingInitialization();
    ASSERT_TRUE(core::dxCanUseMultiThreading()) << "the tests need more than one processor";
  }
  void TearDown() override { core::dxThreadingFinalization(); }
};

class CountingFilter : public data::TcxRecordListFilter {
 public:
  bool IsFiltering() override { return true; }
  bool SupportsMultiThreading() override { return true; }
  bool Accepts(int record) override {
    ++calls;
    if (record == failAt) throw std::runtime_error("worker failed");
    return record % 3 != 1;
  }
  std::atomic<int> calls{0};
  int failAt = -1;
};

struct ThreadedCase {
  const char* name;
  std::vector<SortKey> keys;
  bool caseInsensitive;
  bool filtered;
};

const ThreadedCase kThreadedCases[] = {
    {"IntegerWithNulls", {{kInt, soAscending}}, false, false},
    {"DescendingText", {{kText, soDescending}}, true, true},
    {"MultiKey", {{kFloat, soDescending}, {kText, soAscending}, {kInt, soDescending}}, false, true},
};

class RecordListThreadsCases : public RecordListThreads, public ::testing::WithParamInterface<ThreadedCase> {};

TEST_P(RecordListThreadsCases, ThreadedAndPlainPassesGiveTheSameList) {
  const ThreadedCase& param = GetParam();
  std::vector<int> lists[2];
  for (int threaded = 0; threaded < 2; ++threaded) {
    TestController c(nullptr);
    fillRandomRecords(c, 5000, 31);
    if (param.caseInsensitive) c.SetOptions(c.Options() + data::dcoCaseInsensitive);
    data::TcxCustomDataControllerInfo& info = *c.DataControllerInfo();
    info.SetMultiThreadedSorting(threaded == 1);
    info.SetMultiThreadedFiltering(threaded == 1);
    CountingFilter filter;
    c.BeginUpdate();
    if (param.filtered) info.SetFilter(&filter);
    for (const SortKey& key : param.keys) info.ChangeSorting(c.GetItemField(key.item), key.order);
    c.EndUpdate();
    EXPECT_EQ(info.LastSortWasThreaded(), threaded == 1);
    lists[threaded] = recordList(info);
    info.SetFilter(nullptr);
  }
  EXPECT_EQ(lists[0], lists[1]);
}

INSTANTIATE_TEST_SUITE_P(RecordList, RecordListThreadsCases, ::testing::ValuesIn(kThreadedCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(RecordListThreads, SortThreadsOnlyAboveThirtyTwoRecords) {
  for (int count : {32, 33}) {
    TestController c(nullptr);
    fillRandomRecords(c, count, 3);
    c.DataControllerInfo()->ChangeSorting(c.GetItemField(kInt), soAscending);
    EXPECT_EQ(c.DataControllerInfo()->LastSortWasThreaded(), count > 32) << count;
  }
}

TEST_F(RecordListThreads, FailureOnAWorkerReachesTheCallerWithThePackedList) {
  TestController c(nullptr);
  fillRandomRecords(c, 4000, 5);
  CountingFilter filter;
  filter.failAt = 2500;
  EXPECT_THROW(c.DataControllerInfo()->SetFilter(&filter), std::runtime_error);
  for (int r : recordList(*c.DataControllerInfo())) EXPECT_GE(r, 0);
  EXPECT_EQ(c.DataControllerInfo()->LockCount(), 0);
  c.DataControllerInfo()->SetFilter(nullptr);
}

}  // namespace
}  // namespace data_test
