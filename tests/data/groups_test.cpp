// The grouping interface against a tree of groups built by hand from the
// records (sorted by the grouping values, split where a value changes), and
// the grouping-list changes a view makes.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataGroups.h"
#include "tests/data/data_controller_support.h"
#include "tests/data/record_list_support.h"

namespace data_test {
namespace {

using data::soAscending;
using data::soDescending;
using data::soNone;
using data::TcxDataControllerGroups;

// The text item sits where the reference order expects one (kText).
enum GroupItem { kB = 0, kA = 1, kPayload = 2 };

void fillGroupRecords(TestController& c, int count, unsigned seed) {
  c.addItem(data::TcxIntegerValueType::Instance());
  c.addItem(data::TcxStringValueType::Instance());
  c.addItem(data::TcxIntegerValueType::Instance());
  static_assert(static_cast<int>(kA) == static_cast<int>(kText));
  std::mt19937 random(seed);
  static const char16_t* const kWords[] = {u"pear", u"apple", u"fig", u"kiwi"};
  c.BeginUpdate();
  c.SetRecordCount(count);
  for (int r = 0; r < count; ++r) {
    const unsigned v = random();
    c.SetValue(r, kA, v % 10 == 0 ? rtl::Null() : Variant(String(kWords[(v / 10) % 4])));
    c.SetValue(r, kB, v % 7 == 0 ? rtl::Null() : Variant(static_cast<int>((v / 3) % 3)));
    c.SetValue(r, kPayload, Variant(r));
  }
  c.EndUpdate();
}

// One group of the hand-built tree.
struct Node {
  int level;
  Variant value;
  std::vector<int> records;   // in row order
  std::vector<int> children;  // node indexes
  int parent;
};

struct Tree {
  std::vector<Node> nodes;  // pre-order
  std::vector<int> top;
};

Tree buildTree(const TestController& c, const std::vector<int>& items) {
  std::vector<SortKey> keys;
  for (int item : items) keys.push_back({item, soAscending});
  const std::vector<int> order = referenceOrder(c, keys, false, allRecords(c.GetRecordCount()));
  Tree tree;
  std::vector<int> open(items.size(), -1);
  for (size_t p = 0; p < order.size(); ++p) {
    size_t from = 0;
    if (p > 0)
      for (from = 0; from < items.size(); ++from)
        if (referenceCompareValues(c.GetValue(order[p], items[from]), c.GetValue(order[p - 1], items[from]),
                                   items[from] == kA, false) != 0)
          break;
    for (size_t l = from; l < items.size(); ++l) {
      const int parent = l == 0 ? -1 : open[l - 1];
      const int index = static_cast<int>(tree.nodes.size());
      tree.nodes.push_back({static_cast<int>(l), c.GetValue(order[p], items[l]), {}, {}, parent});
      (parent == -1 ? tree.top : tree.nodes[static_cast<size_t>(parent)].children).push_back(index);
      open[l] = index;
    }
    for (size_t l = 0; l < items.size(); ++l) tree.nodes[static_cast<size_t>(open[l])].records.push_back(order[p]);
  }
  return tree;
}

class GroupsTree : public ::testing::Test {
 protected:
  void group(const std::vector<int>& items) {
    for (size_t l = 0; l < items.size(); ++l) c.Groups()->ChangeGrouping(items[l], static_cast<int>(l));
    tree = buildTree(c, items);
    groupItems = items;
  }

  // Walks the interface's tree alongside the reference; answers the data
  // group index of every node.
  std::vector<int> walk() {
    TcxDataControllerGroups& groups = *c.Groups();
    std::vector<int> groupOfNode(tree.nodes.size(), -1);
    std::function<void(int, const std::vector<int>&)> visit = [&](int parentGroup, const std::vector<int>& nodes) {
      ASSERT_EQ(groups.GetChildCount(parentGroup), static_cast<int>(nodes.size())) << "children of " << parentGroup;
      EXPECT_EQ(groups.GetChildDataGroupIndex(parentGroup, static_cast<int>(nodes.size())), -1);
      EXPECT_EQ(groups.GetChildDataGroupIndex(parentGroup, -1), -1);
      for (size_t i = 0; i < nodes.size(); ++i) {
        const Node& node = tree.nodes[static_cast<size_t>(nodes[i])];
        const int g = groups.GetChildDataGroupIndex(parentGroup, static_cast<int>(i));
        ASSERT_GE(g, 0);
        groupOfNode[static_cast<size_t>(nodes[i])] = g;
        const int item = groupItems[static_cast<size_t>(node.level)];
        EXPECT_EQ(groups.GetLevel(g), node.level);
        EXPECT_EQ(groups.GetParentDataGroupIndex(g), parentGroup);
        EXPECT_EQ(show(groups.GetGroupValue(g)), show(node.value));
        EXPECT_EQ(groups.GetGroupDisplayText(g), c.GetDisplayText(node.records[0], item));
        EXPECT_EQ(groups.GetGroupRecordIndex(g), node.records[0]);
        std::vector<int> records;
        groups.LoadRecordIndexes(records, g);
        EXPECT_EQ(records, node.records);
        if (node.children.empty()) {
          ASSERT_EQ(groups.GetChildCount(g), static_cast<int>(node.records.size()));
          for (size_t k = 0; k < node.records.size(); ++k)
            EXPECT_EQ(groups.GetChildRecordIndex(g, static_cast<int>(k)), node.records[k]);
          EXPECT_EQ(groups.GetChildRecordIndex(g, static_cast<int>(node.records.size())), -1);
          EXPECT_EQ(groups.GetChildDataGroupIndex(g, 0), -1);
        } else {
          EXPECT_EQ(groups.GetChildRecordIndex(g, 0), -1);
          visit(g, node.children);
        }
      }
    };
    visit(-1, tree.top);
    return groupOfNode;
  }

  TestController c{nullptr};
  Tree tree;
  std::vector<int> groupItems;
};

TEST_F(GroupsTree, ChildrenLevelsValuesTextsAndRecordsMatchTheTreeBuiltByHand) {
  fillGroupRecords(c, 300, 5);
  for (const std::vector<int>& items : {std::vector<int>{kA}, std::vector<int>{kA, kB}, std::vector<int>{kB, kA}}) {
    SCOPED_TRACE(std::to_string(items.size()) + " levels, first item " + std::to_string(items[0]));
    c.Groups()->ClearGrouping();
    group(items);
    ASSERT_EQ(c.Groups()->GetGroupingItemCount(), static_cast<int>(items.size()));
    for (size_t l = 0; l < items.size(); ++l) {
      EXPECT_EQ(c.Groups()->GetGroupingItemIndex(static_cast<int>(l)), items[l]);
      EXPECT_EQ(c.Groups()->GetItemGroupIndex(items[l]), static_cast<int>(l));
    }
    EXPECT_EQ(c.Groups()->GetItemGroupIndex(kPayload), -1);
    walk();
  }
}

TEST_F(GroupsTree, RowQueriesFollowTheTreeWhenFullyExpanded) {
  fillGroupRecords(c, 40, 9);
  group({kA, kB});
  const std::vector<int> groupOfNode = walk();
  c.Groups()->FullExpand();
  // The rows by hand: each group row, and after a deepest group its records.
  struct Row {
    int node;
    bool data;
    int record;
  };
  std::vector<Row> rows;
  std::function<void(int)> addRows = [&](int n) {
    const Node& node = tree.nodes[static_cast<size_t>(n)];
    rows.push_back({n, false, -1});
    if (node.children.empty())
      for (int r : node.records) rows.push_back({n, true, r});
    for (int child : node.children) addRows(child);
  };
  for (int n : tree.top) addRows(n);
  TcxDataControllerGroups& groups = *c.Groups();
  ASSERT_EQ(c.GetRowCount(), static_cast<int>(rows.size()));
  auto isAncestorOrSelf = [&](int ancestor, int n) {
    for (; n != -1; n = tree.nodes[static_cast<size_t>(n)].parent)
      if (n == ancestor) return true;
    return false;
  };
  for (size_t r = 0; r < rows.size(); ++r) {
    const int row = static_cast<int>(r);
    const Node& node = tree.nodes[static_cast<size_t>(rows[r].node)];
    EXPECT_EQ(groups.GetDataGroupIndexByRowIndex(row), groupOfNode[static_cast<size_t>(rows[r].node)]);
    for (int level = 0; level < 2; ++level) {
      // The ancestor at that level, or a group row's first descendant there.
      int n = rows[r].node;
      while (tree.nodes[static_cast<size_t>(n)].level > level) n = tree.nodes[static_cast<size_t>(n)].parent;
      while (tree.nodes[static_cast<size_t>(n)].level < level) n = tree.nodes[static_cast<size_t>(n)].children[0];
      EXPECT_EQ(groups.GetIndexByRowIndexLevel(row, level), groupOfNode[static_cast<size_t>(n)])
          << "row " << row << " level " << level;
    }
    std::vector<int> records;
    groups.LoadRecordIndexesByRowIndex(records, row);
    EXPECT_EQ(records, node.records);
    for (size_t p = 0; p < rows.size(); ++p)
      EXPECT_EQ(groups.HasAsParent(row, static_cast<int>(p)), isAncestorOrSelf(rows[p].node, rows[r].node))
          << "row " << row << " parent row " << p;
  }
  // Record-list positions back to their groups.
  const std::vector<int> list = recordList(*c.DataControllerInfo());
  for (size_t position = 0; position < list.size(); ++position)
    for (int level = 0; level < 2; ++level) {
      const int g = groups.FindByIndex(static_cast<int>(position), level);
      ASSERT_GE(g, 0);
      std::vector<int> records;
      groups.LoadRecordIndexes(records, g);
      EXPECT_NE(std::find(records.begin(), records.end(), list[position]), records.end());
    }
}

TEST_F(GroupsTree, IndexesOutsideTheGroupsAnswerNothing) {
  fillGroupRecords(c, 30, 2);
  TcxDataControllerGroups& groups = *c.Groups();
  EXPECT_EQ(groups.GetDataGroupIndexByRowIndex(0), -1) << "no grouping";
  EXPECT_FALSE(groups.HasAsParent(0, 0));
  group({kA, kB});
  const int count = groups.GetDataGroupCount();
  for (int bad : {-2, count, count + 5}) {
    EXPECT_EQ(groups.GetLevel(bad), -1);
    EXPECT_EQ(groups.GetChildCount(bad), 0);
    EXPECT_EQ(groups.GetChildDataGroupIndex(bad, 0), -1);
    EXPECT_EQ(groups.GetChildRecordIndex(bad, 0), -1);
    EXPECT_EQ(groups.GetGroupRecordIndex(bad), -1);
    EXPECT_EQ(groups.GetGroupDisplayText(bad), u"");
    EXPECT_TRUE(rtl::VarIsNull(groups.GetGroupValue(bad)));
    std::vector<int> records;
    groups.LoadRecordIndexes(records, bad);
    EXPECT_TRUE(records.empty());
  }
  EXPECT_EQ(groups.GetDataGroupIndexByRowIndex(-1), -1);
  EXPECT_EQ(groups.GetDataGroupIndexByRowIndex(c.GetRowCount()), -1);
  EXPECT_EQ(groups.GetGroupingItemIndex(2), -1);
  EXPECT_THROW(groups.GetItemGroupIndex(3), data::EcxInvalidDataControllerOperation);
  EXPECT_THROW(groups.ChangeGrouping(-1, 0), data::EcxInvalidDataControllerOperation);
}

// --- changing the grouping list ----------------------------------------------------------------
struct GroupingCase {
  const char* name;
  std::function<void(TestController&)> change;
  std::vector<int> items;  // grouped, by level
  std::vector<data::TdxSortOrder> orders;
};

data::TcxCustomDataField* itemField(TestController& c, int item) { return c.GetItemField(item); }

const GroupingCase kGroupingCases[] = {
    {"LevelBeyondTheCountAppends",
     [](TestController& c) {
       c.Groups()->ChangeGrouping(kA, 0);
       c.Groups()->ChangeGrouping(kB, 7);
     },
     {kA, kB}, {soAscending, soAscending}},
    {"InsertAtALevelPushesTheOthersDown",
     [](TestController& c) {
       c.Groups()->ChangeGrouping(kA, 0);
       c.Groups()->ChangeGrouping(kB, 0);
     },
     {kB, kA}, {soAscending, soAscending}},
    {"MovingBeyondTheEndMakesTheLastLevel",
     [](TestController& c) {
       c.Groups()->ChangeGrouping(kA, 0);
       c.Groups()->ChangeGrouping(kB, 1);
       c.Groups()->ChangeGrouping(kPayload, 2);
       c.Groups()->ChangeGrouping(kA, 9);
     },
     {kB, kPayload, kA}, {soAscending, soAscending, soAscending}},
    {"MinusOneUngroups",
     [](TestController& c) {
       c.Groups()->ChangeGrouping(kA, 0);
       c.Groups()->ChangeGrouping(kB, 1);
       c.Groups()->ChangeGrouping(kA, -1);
     },
     {kB}, {soAscending}},
    {"DescendingSortIsKept",
     [](TestController& c) {
       c.DataControllerInfo()->ChangeSorting(itemField(c, kB), soDescending);
       c.Groups()->ChangeGrouping(kB, 0);
     },
     {kB}, {soDescending}},
    {"SortingAGroupedItemWithNoneKeepsItAscending",
     [](TestController& c) {
       c.DataControllerInfo()->ChangeSorting(itemField(c, kB), soDescending);
       c.Groups()->ChangeGrouping(kB, 0);
       c.DataControllerInfo()->ChangeSorting(itemField(c, kB), soNone);
     },
     {kB}, {soAscending}},
    {"ClearGroupingEmptiesTheList",
     [](TestController& c) {
       c.Groups()->ChangeGrouping(kA, 0);
       c.Groups()->ClearGrouping();
     },
     {}, {}},
};

class GroupsChangeGrouping : public ::testing::TestWithParam<GroupingCase> {};

TEST_P(GroupsChangeGrouping, GroupingListAfterTheChange) {
  TestController c(nullptr);
  fillGroupRecords(c, 20, 4);
  GetParam().change(c);
  const data::TcxSortingFieldList& list = c.DataControllerInfo()->GroupingFieldList();
  std::vector<int> items;
  std::vector<data::TdxSortOrder> orders;
  for (const data::TcxDataSortInfo& entry : list) {
    items.push_back(entry.Field->GetIndex());
    orders.push_back(entry.SortOrder);
  }
  EXPECT_EQ(items, GetParam().items);
  EXPECT_EQ(orders, GetParam().orders);
  // The groups follow the list at once.
  for (int g = 0; g < c.Groups()->GetDataGroupCount(); ++g)
    EXPECT_LT(c.Groups()->GetLevel(g), static_cast<int>(items.size()));
  EXPECT_EQ(c.DataControllerInfo()->IsGrouped(), !items.empty());
}

INSTANTIATE_TEST_SUITE_P(Groups, GroupsChangeGrouping, ::testing::ValuesIn(kGroupingCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(Groups, GroupingAnItemAtItsOwnLevelChangesNothing) {
  TestController c(nullptr);
  fillGroupRecords(c, 20, 4);
  c.Groups()->ChangeGrouping(kA, 0);
  RecordingView view(c);
  c.Groups()->ChangeGrouping(kA, 0);
  EXPECT_TRUE(view.log.empty());
  c.Groups()->ChangeGrouping(kB, 1);
  EXPECT_NE(std::find(view.log.begin(), view.log.end(), "groupingChanged"), view.log.end());
}

TEST(Groups, RecursiveCollapseOfARowClosesItsDescendants) {
  TestController c(nullptr);
  fillGroupRecords(c, 60, 8);
  c.Groups()->ChangeGrouping(kA, 0);
  c.Groups()->ChangeGrouping(kB, 1);
  c.Groups()->FullExpand();
  const int expandedRows = c.GetRowCount();
  c.Groups()->ChangeExpanding(0, false, true);
  c.Groups()->ChangeExpanding(0, true, false);
  // Only the first group opens again: its children stay closed.
  const int firstGroupChildren = c.Groups()->GetChildCount(0);
  int expected = expandedRows;
  for (int i = 0; i < firstGroupChildren; ++i) expected -= c.Groups()->GetChildCount(c.Groups()->GetChildDataGroupIndex(0, i));
  EXPECT_EQ(c.GetRowCount(), expected);
  for (int i = 0; i < firstGroupChildren; ++i)
    EXPECT_FALSE(c.DataControllerInfo()->GetDataGroup(c.Groups()->GetChildDataGroupIndex(0, i)).Expanded);
}

// --- grouping on the sort's real keys ------------------------------------------------------------------
// A Float column without nulls is ordered without comparisons: by one
// counting pass when its values differ only in a narrow band of bits (whole
// days, quarters), by a full radix sort otherwise. Either way the order and
// the groups must be what the comparison gives, ties in record order and
// -0 equal to +0.
struct RealKeysCase {
  const char* name;
  data::TdxSortOrder order;
  double (*value)(unsigned);
};
const RealKeysCase kRealKeys[] = {
    {"DaysAscending", soAscending, [](unsigned v) { return 44000.0 + v % 37; }},
    {"DaysDescending", soDescending, [](unsigned v) { return 44000.0 + v % 37; }},
    {"QuartersAndSignedZeros", soAscending,
     [](unsigned v) { return v % 6 == 0 ? -0.0 : (v % 6 == 1 ? 0.0 : static_cast<double>(v % 9) / 4.0); }},
    {"WideSignedDescending", soDescending,
     [](unsigned v) { return (static_cast<double>(v % 50) - 25.0) * 1e6 + static_cast<double>(v % 3) / 7.0; }},
};

class GroupsOnRealKeys : public testing::TestWithParam<RealKeysCase> {};

TEST_P(GroupsOnRealKeys, OrderAndGroupsMatchTheComparison) {
  TestController c{nullptr};
  c.addItem(data::TcxIntegerValueType::Instance());
  c.addItem(data::TcxStringValueType::Instance());
  c.addItem(data::TcxFloatValueType::Instance());
  std::mt19937 random(5);
  const int count = 700;
  c.BeginUpdate();
  c.SetRecordCount(count);
  for (int r = 0; r < count; ++r) {
    c.SetValue(r, 0, Variant(r));
    c.SetValue(r, 2, Variant(GetParam().value(random())));
  }
  c.EndUpdate();
  data::TcxCustomDataControllerInfo& info = *c.DataControllerInfo();
  info.SetMultiThreadedSorting(false);
  info.ChangeSorting(c.GetItemField(2), GetParam().order);
  info.ChangeGrouping(c.GetItemField(2), 0);
  const std::vector<int> expected = referenceOrder(c, {{2, GetParam().order}}, false, allRecords(count));
  ASSERT_EQ(recordList(info), expected);
  // One group per run of equal values, in list order.
  std::vector<std::pair<int, int>> runs;
  for (int i = 0; i < count; ++i)
    if (i == 0 || data::VarCompare(c.GetValue(expected[static_cast<size_t>(i)], 2),
                                   c.GetValue(expected[static_cast<size_t>(i - 1)], 2)) != 0)
      runs.push_back({i, i});
    else
      runs.back().second = i;
  std::vector<std::pair<int, int>> groups;
  for (int g = 0; g < info.GetDataGroupCount(); ++g)
    groups.push_back({info.GetDataGroup(g).BeginRecordListIndex, info.GetDataGroup(g).EndRecordListIndex});
  EXPECT_EQ(groups, runs);

  // Grouped alone, the column is the sort's only key: the sort's own runs
  // of equal values become the groups.
  info.ChangeGrouping(c.GetItemField(2), -1);
  info.ChangeSorting(c.GetItemField(2), soNone);
  info.ChangeGrouping(c.GetItemField(2), 0);
  const std::vector<int> alone = referenceOrder(c, {{2, soAscending}}, false, allRecords(count));
  ASSERT_EQ(recordList(info), alone);
  std::vector<std::pair<int, int>> aloneRuns;
  for (int i = 0; i < count; ++i)
    if (i == 0 || data::VarCompare(c.GetValue(alone[static_cast<size_t>(i)], 2),
                                   c.GetValue(alone[static_cast<size_t>(i - 1)], 2)) != 0)
      aloneRuns.push_back({i, i});
    else
      aloneRuns.back().second = i;
  std::vector<std::pair<int, int>> aloneGroups;
  for (int g = 0; g < info.GetDataGroupCount(); ++g)
    aloneGroups.push_back({info.GetDataGroup(g).BeginRecordListIndex, info.GetDataGroup(g).EndRecordListIndex});
  EXPECT_EQ(aloneGroups, aloneRuns);
}
INSTANTIATE_TEST_SUITE_P(Groups, GroupsOnRealKeys, testing::ValuesIn(kRealKeys),
                         [](const testing::TestParamInfo<RealKeysCase>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace data_test
