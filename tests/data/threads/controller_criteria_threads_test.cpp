// The controller's filter criteria and find panel filter the record list on
// the pool with exactly the result of the single-threaded pass.
#include <gtest/gtest.h>

#include <vector>

#include "lib/core/dxThreading.h"
#include "lib/data/cxDataFilter.h"
#include "tests/data/record_list_support.h"

namespace data_test {
namespace {

class ControllerCriteriaThreads : public ::testing::Test {
 protected:
  void SetUp() override {
    core::dxThreadingInitialization();
    ASSERT_TRUE(core::dxCanUseMultiThreading()) << "the tests need more than one processor";
  }
  void TearDown() override { core::dxThreadingFinalization(); }
};

// The list with the pool, then without it, for the same conditions.
std::pair<std::vector<int>, std::vector<int>> bothWays(TestController& c) {
  c.DataControllerInfo()->SetMultiThreadedFiltering(true);
  c.Refresh();
  std::vector<int> pooled = recordList(*c.DataControllerInfo());
  c.DataControllerInfo()->SetMultiThreadedFiltering(false);
  c.Refresh();
  return {pooled, recordList(*c.DataControllerInfo())};
}

TEST_F(ControllerCriteriaThreads, CriteriaOnThePoolMatchesOneThread) {
  rtl::TComponent owner(nullptr);
  TestController c(&owner);
  fillRandomRecords(c, 5000, 21);
  data::TcxDataFilterCriteria* filter = c.Filter();
  filter->BeginUpdate();
  filter->Root()->SetBoolOperatorKind(data::TcxFilterBoolOperatorKind::fboOr);
  filter->Root()->AddItem(c.items[kInt].get(), data::TcxFilterOperatorKind::foGreater, Variant(2), u"2");
  filter->Root()->AddItem(c.items[kText].get(), data::TcxFilterOperatorKind::foEqual, Variant(String(u"ab")), u"ab");
  filter->SetActive(true);
  filter->EndUpdate();
  const auto [pooled, single] = bothWays(c);
  EXPECT_GT(pooled.size(), 100u);
  EXPECT_LT(pooled.size(), 5000u);
  EXPECT_EQ(pooled, single);
}

TEST_F(ControllerCriteriaThreads, FindPanelOnThePoolMatchesOneThread) {
  rtl::TComponent owner(nullptr);
  TestController c(&owner);
  fillRandomRecords(c, 5000, 22);
  c.AddFindFilterItem(kText);
  c.SetFindFilterText(u"ab");
  const auto [pooled, single] = bothWays(c);
  EXPECT_GT(pooled.size(), 100u);
  EXPECT_LT(pooled.size(), 5000u);
  EXPECT_EQ(pooled, single);
}

}  // namespace
}  // namespace data_test
