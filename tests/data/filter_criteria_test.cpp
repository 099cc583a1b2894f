// Filter criteria: evaluation of the tree and its Boolean joiners, the
// operators on prepared values, blank values and the options that govern
// them, the relative-date ranges against a fixed today, and the change
// reporting of edits, brackets and removal by item.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include "lib/core/cxDateUtils.h"
#include "lib/data/cxFilter.h"
#include "lib/data/cxVariants.h"
#include "tests/data/filter_test_criteria.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

using namespace data;
using K = TcxFilterOperatorKind;
using B = TcxFilterBoolOperatorKind;
using O = TcxFilterCriteriaOption;
using namespace filter_test;

namespace {

// A condition whose record value is fixed: true or false by construction.
TcxFilterCriteriaItem* AddTruth(TestCriteria& c, TcxFilterCriteriaItemList* list, Column& col, bool truth) {
  return c.AddItem(list, &col, truth ? K::foEqual : K::foNotEqual, 1, u"1");
}

TEST(FilterCriteria, BooleanJoiners) {
  struct Case {
    const char* name;
    B kind;
    std::vector<bool> children;
    bool result;
  };
  const Case cases[] = {
      {"empty and", B::fboAnd, {}, true},         {"empty not-or", B::fboNotOr, {}, true},
      {"and T F", B::fboAnd, {true, false}, false}, {"or F T", B::fboOr, {false, true}, true},
      {"or F F", B::fboOr, {false, false}, false},  {"not-and T F", B::fboNotAnd, {true, false}, true},
      {"not-and T T", B::fboNotAnd, {true, true}, false}, {"not-or F F", B::fboNotOr, {false, false}, true},
      {"not-or F T", B::fboNotOr, {false, true}, false},  {"not-and F T", B::fboNotAnd, {false, true}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestCriteria criteria;
    Column col;
    criteria.records = {Record{{&col, Variant(1)}}};
    TcxFilterCriteriaItemList* list = criteria.Root()->AddItemList(c.kind);
    for (bool truth : c.children) AddTruth(criteria, list, col, truth);
    EXPECT_EQ(criteria.DoFilterData(0), c.result);
  }
}

TEST(FilterCriteria, OperatorsOnValues) {
  struct Case {
    const char* name;
    K kind;
    Variant condition;
    Variant record;
    bool result;
    TcxFilterCriteriaOptions options;
  };
  const Variant between = VarBetweenArrayCreate(1, 5);
  Variant list = VarListArrayCreate(2);
  VarListArrayAddValue(list, 7);
  Variant texts = VarListArrayCreate(u"x");
  VarListArrayAddValue(texts, u"y");
  const Case cases[] = {
      {"= 5 / 5", K::foEqual, 5, 5, true, {}},
      {"<> 5 / 4", K::foNotEqual, 5, 4, true, {}},
      {"< 5 / 4", K::foLess, 5, 4, true, {}},
      {"< 5 / 5", K::foLess, 5, 5, false, {}},
      {"<= 5 / 5", K::foLessEqual, 5, 5, true, {}},
      {"> 5 / 6", K::foGreater, 5, 6, true, {}},
      {">= 5 / 4", K::foGreaterEqual, 5, 4, false, {}},
      {"between 1..5 / 1", K::foBetween, between, 1, true, {}},
      {"between 1..5 / 5", K::foBetween, between, 5, true, {}},
      {"between 1..5 / 6", K::foBetween, between, 6, false, {}},
      {"not between 1..5 / 1", K::foNotBetween, between, 1, false, {}},
      {"not between 1..5 / 0", K::foNotBetween, between, 0, true, {}},
      {"in (2, 7) / 7", K::foInList, list, 7, true, {}},
      {"in (2, 7) / 3", K::foInList, list, 3, false, {}},
      {"not in (2, 7) / 2", K::foNotInList, list, 2, false, {}},
      {"in (X, Y) / y folded", K::foInList, texts, u"y", true, {O::fcoCaseInsensitive}},
      {"like ab% / abc", K::foLike, u"ab%", u"abc", true, {}},
      {"like AB% / abc exact", K::foLike, u"AB%", u"abc", false, {}},
      {"like AB% / abc folded", K::foLike, u"AB%", u"abc", true, {O::fcoCaseInsensitive}},
      {"not like %c / abc", K::foNotLike, u"%c", u"abc", false, {}},
      {"= Abc / aBC folded", K::foEqual, u"Abc", u"aBC", true, {O::fcoCaseInsensitive}},
      {"= 1.5 currency / 1.5 double", K::foEqual, Variant(rtl::Currency::FromDouble(1.5)), 1.5, true, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestCriteria criteria;
    Column col;
    criteria.SetOptions(c.options);
    criteria.records = {Record{{&col, c.record}}};
    criteria.AddItem(nullptr, &col, c.kind, c.condition, u"");
    EXPECT_EQ(criteria.DoFilterData(0), c.result);
  }
}

TEST(FilterCriteria, BlankValuesAndTheirOptions) {
  struct Case {
    const char* name;
    K kind;
    Variant condition;
    Variant record;
    TcxFilterCriteriaOptions options;
    bool result;
  };
  const Case cases[] = {
      {"= Null / Null", K::foEqual, rtl::Null(), rtl::Null(), {}, true},
      {"= Null / empty text", K::foEqual, rtl::Null(), u"", {}, false},
      {"= Null / empty text, soft null", K::foEqual, rtl::Null(), u"", {O::fcoSoftNull}, true},
      {"<> Null / 3", K::foNotEqual, rtl::Null(), 3, {}, true},
      {"like Null / Null", K::foLike, rtl::Null(), rtl::Null(), {}, true},
      {"< 5 / Null", K::foLess, 5, rtl::Null(), {}, true},
      {"<> 5 / Null", K::foNotEqual, 5, rtl::Null(), {}, true},
      {"< 5 / Null, ignore null", K::foLess, 5, rtl::Null(), {O::fcoIgnoreNull}, false},
      {"<> 5 / Null, ignore null", K::foNotEqual, 5, rtl::Null(), {O::fcoIgnoreNull}, false},
      {"= Null / Null, ignore null", K::foEqual, rtl::Null(), rtl::Null(), {O::fcoIgnoreNull}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestCriteria criteria;
    Column col;
    criteria.SetOptions(c.options);
    criteria.records = {Record{{&col, c.record}}};
    criteria.AddItem(nullptr, &col, c.kind, c.condition, u"");
    EXPECT_EQ(criteria.DoFilterData(0), c.result);
  }
}

TEST(FilterCriteria, VariantErrorsFailTheConditionOnlyUnderSoftCompare) {
  TestCriteria criteria;
  Column col;
  criteria.records = {Record{{&col, Variant(3)}}};
  // A BETWEEN whose value is not an array cannot be read.
  criteria.AddItem(nullptr, &col, K::foBetween, 4, u"");
  EXPECT_THROW(criteria.DoFilterData(0), rtl::EVariantError);
  criteria.SetOptions({O::fcoSoftCompare});
  EXPECT_FALSE(criteria.DoFilterData(0));
}

TEST(FilterCriteria, NullValueChoosesTheBlankClassAndShowsBlank) {
  TestCriteria criteria;
  Column col;
  criteria.Count();
  TcxFilterCriteriaItem* item = criteria.AddItem(nullptr, &col, K::foEqual, 5, u"5");
  EXPECT_FALSE(item->Operator()->IsNullOperator());
  criteria.changes = 0;
  item->SetValue(rtl::Null());
  EXPECT_TRUE(item->Operator()->IsNullOperator());
  EXPECT_EQ(item->Operator()->DisplayText(), u"is blank");
  EXPECT_EQ(criteria.changes, 1);

  TcxFilterCriteriaItem* notBlank = criteria.AddItem(nullptr, &col, K::foNotLike, rtl::Null(), u"");
  EXPECT_EQ(notBlank->Operator()->DisplayText(), u"is not blank");
  EXPECT_EQ(notBlank->DisplayValue(), u"blank");
  // An Empty value is a value like any other: the condition gets its operator.
  TcxFilterCriteriaItem* empty = criteria.AddItem(nullptr, &col, K::foGreater, Variant(), u"");
  ASSERT_NE(empty->Operator(), nullptr);
  EXPECT_EQ(empty->Operator()->FilterText(), u">");
}

TEST(FilterCriteria, LikeDisplayTextFollowsThePattern) {
  struct Case {
    K kind;
    const char16_t* pattern;
    const char16_t* text;
  };
  const Case cases[] = {
      {K::foLike, u"ab%", u"begins with"},        {K::foLike, u"%ab", u"ends with"},
      {K::foLike, u"%ab%", u"contains"},           {K::foLike, u"a%b", u"like"},
      {K::foNotLike, u"ab%", u"does not begin with"}, {K::foNotLike, u"%ab", u"does not end with"},
      {K::foNotLike, u"%ab%", u"does not contain"}, {K::foNotLike, u"a_b", u"not like"},
  };
  for (const Case& c : cases) {
    TestCriteria criteria;
    Column col;
    TcxFilterCriteriaItem* item = criteria.AddItem(nullptr, &col, c.kind, c.pattern, u"");
    EXPECT_EQ(item->Operator()->DisplayText(), c.text) << rtl::StringToUtf8(c.pattern);
  }
}

// Today is Wednesday 2024-03-13; weeks start on Monday.
class FilterDates : public testing::Test {
 protected:
  void SetUp() override { core::dxSetAssignedStartOfWeek(core::dMonday); }
  void TearDown() override {
    core::dxResetAssignedStartOfWeek();
    cxFilterIncludeTodayInLastNextDaysList = true;
  }
  static rtl::Int64 At(int y, int m, int d, int h = 12, int n = 0) {
    return rtl::DateTimeToUnixMs(rtl::EncodeDateTime(y, m, d, h, n, 0, 0), false);
  }
};

TEST_F(FilterDates, RangesAroundAWednesday) {
  struct Case {
    K kind;
    bool includeToday;
    int from[3];
    int to[3];  // excluded
  };
  const Case cases[] = {
      {K::foThisWeek, true, {2024, 3, 11}, {2024, 3, 18}},
      {K::foLastWeek, true, {2024, 3, 4}, {2024, 3, 11}},
      {K::foNextTwoWeeks, true, {2024, 3, 18}, {2024, 4, 1}},
      {K::foLast7Days, true, {2024, 3, 7}, {2024, 3, 14}},
      {K::foLast7Days, false, {2024, 3, 6}, {2024, 3, 13}},
      {K::foNext7Days, true, {2024, 3, 13}, {2024, 3, 20}},
      {K::foNext7Days, false, {2024, 3, 14}, {2024, 3, 21}},
      {K::foYesterday, true, {2024, 3, 12}, {2024, 3, 13}},
      {K::foLastMonth, true, {2024, 2, 1}, {2024, 3, 1}},
      {K::foNextMonth, true, {2024, 4, 1}, {2024, 5, 1}},
      {K::foThisYear, true, {2024, 1, 1}, {2025, 1, 1}},
  };
  rtl::TestClockScope time(At(2024, 3, 13));
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.kind) << " include today " << c.includeToday);
    cxFilterIncludeTodayInLastNextDaysList = c.includeToday;
    TestCriteria criteria;
    Column col;
    auto* item = criteria.AddItem(nullptr, &col, c.kind, Variant(), u"");
    auto* op = static_cast<TcxFilterDateOperator*>(item->Operator());
    op->Prepare();
    EXPECT_EQ(op->Date1(), rtl::EncodeDate(c.from[0], c.from[1], c.from[2]));
    EXPECT_EQ(op->Date2(), rtl::EncodeDate(c.to[0], c.to[1], c.to[2]));
  }
}

TEST_F(FilterDates, YearEndsAndOpenRanges) {
  TDateTime d1 = 0, d2 = 0;
  ASSERT_TRUE(cxGetFilterDateRange(K::foNextMonth, rtl::EncodeDate(2024, 12, 10), d1, d2));
  EXPECT_EQ(d1, rtl::EncodeDate(2025, 1, 1));
  EXPECT_EQ(d2, rtl::EncodeDate(2025, 2, 1));
  ASSERT_TRUE(cxGetFilterDateRange(K::foNextMonth, rtl::EncodeDate(2024, 11, 10), d1, d2));
  EXPECT_EQ(d1, rtl::EncodeDate(2024, 12, 1));
  EXPECT_EQ(d2, rtl::EncodeDate(2025, 1, 1));
  ASSERT_TRUE(cxGetFilterDateRange(K::foLastMonth, rtl::EncodeDate(2024, 1, 31), d1, d2));
  EXPECT_EQ(d1, rtl::EncodeDate(2023, 12, 1));
  EXPECT_EQ(d2, rtl::EncodeDate(2024, 1, 1));
  ASSERT_TRUE(cxGetFilterDateRange(K::foInPast, rtl::EncodeDate(2024, 3, 13), d1, d2));
  EXPECT_EQ(d1, 0);
  ASSERT_TRUE(cxGetFilterDateRange(K::foInFuture, rtl::EncodeDate(2024, 3, 13), d1, d2));
  EXPECT_EQ(d2, 0);
  EXPECT_FALSE(cxGetFilterDateRange(K::foEqual, rtl::EncodeDate(2024, 3, 13), d1, d2));
}

TEST_F(FilterDates, RecordsAgainstTodayAndFuture) {
  rtl::TestClockScope time(At(2024, 3, 13));
  struct Case {
    K kind;
    Variant record;
    bool result;
  };
  const Case cases[] = {
      {K::foToday, Variant(rtl::EncodeDateTime(2024, 3, 13, 23, 59, 0, 0)), true},
      {K::foToday, Variant(rtl::EncodeDate(2024, 3, 14)), false},
      {K::foToday, rtl::Null(), false},
      {K::foInFuture, Variant(rtl::EncodeDate(2030, 1, 1)), true},
      {K::foInFuture, Variant(rtl::EncodeDateTime(2024, 3, 13, 23, 0, 0, 0)), false},
      {K::foInPast, Variant(rtl::EncodeDate(1999, 1, 1)), true},
      {K::foInPast, rtl::Null(), false},
  };
  for (const Case& c : cases) {
    TestCriteria criteria;
    Column col;
    criteria.records = {Record{{&col, c.record}}};
    criteria.AddItem(nullptr, &col, c.kind, Variant(), u"");
    EXPECT_EQ(criteria.DoFilterData(0), c.result) << static_cast<int>(c.kind);
  }
}

TEST(FilterCriteria, BracketsReportOnceAndRemovalTidiesTheTree) {
  TestCriteria criteria;
  Column a, c;
  criteria.Count();
  criteria.BeginUpdate();
  criteria.Root()->SetBoolOperatorKind(B::fboOr);
  TcxFilterCriteriaItemList* inner = criteria.Root()->AddItemList(B::fboAnd);
  criteria.AddItem(inner, &a, K::foEqual, 1, u"1");
  criteria.AddItem(inner, &a, K::foEqual, 2, u"2");
  TcxFilterCriteriaItem* kept = criteria.AddItem(nullptr, &c, K::foEqual, 3, u"3");
  EXPECT_EQ(criteria.changes, 0);
  criteria.EndUpdate();
  EXPECT_EQ(criteria.changes, 1);

  criteria.RemoveItemByItemLink(&a);
  EXPECT_EQ(criteria.changes, 2);
  ASSERT_EQ(criteria.Root()->Count(), 1);
  EXPECT_EQ(criteria.Root()->Items(0), kept);
  EXPECT_EQ(criteria.FindItemByItemLink(&a), nullptr);

  // Nothing to remove: nothing reported.
  criteria.RemoveItemByItemLink(&a);
  EXPECT_EQ(criteria.changes, 2);
}

TEST(FilterCriteria, AListLeftWithOneChildIsDissolvedIntoItsParent) {
  TestCriteria criteria;
  Column a, b, c;
  TcxFilterCriteriaItemList* inner = criteria.Root()->AddItemList(B::fboOr);
  criteria.AddItem(inner, &a, K::foEqual, 1, u"1");
  TcxFilterCriteriaItem* survivor = criteria.AddItem(inner, &b, K::foEqual, 2, u"2");
  criteria.AddItem(nullptr, &c, K::foEqual, 3, u"3");
  criteria.RemoveItemByItemLink(&a);
  ASSERT_EQ(criteria.Root()->Count(), 2);
  EXPECT_EQ(criteria.Root()->Items(1), survivor);
  EXPECT_EQ(survivor->Parent(), criteria.Root());
  EXPECT_EQ(criteria.Root()->Items(5), nullptr);
}

TEST(FilterCriteria, AssignCopiesSettingsAndConditionsButNotTheEscape) {
  TestCriteria source, target;
  Column col(4, u"Name");
  target.columns = {&col};
  source.SetOptions({O::fcoCaseInsensitive});
  source.SetPercentWildcard(u'*');
  source.SetEscapeWildcard(u'!');
  source.SetTranslateLike(true);
  source.Root()->SetBoolOperatorKind(B::fboNotOr);
  TcxFilterCriteriaItemList* sub = source.Root()->AddItemList(B::fboAnd);
  source.AddItem(sub, &col, K::foLike, u"ab*", u"ab*");
  target.Assign(&source);
  EXPECT_EQ(target.Options(), source.Options());
  EXPECT_EQ(target.PercentWildcard(), u'*');
  EXPECT_EQ(target.EscapeWildcard(), 0);
  EXPECT_TRUE(target.TranslateLike());
  EXPECT_EQ(target.Root()->BoolOperatorKind(), B::fboNotOr);
  ASSERT_EQ(target.Root()->Count(), 1);
  auto* copied = static_cast<TcxFilterCriteriaItemList*>(target.Root()->Items(0));
  ASSERT_EQ(copied->Count(), 1);
  auto* condition = static_cast<TcxFilterCriteriaItem*>(copied->Items(0));
  EXPECT_EQ(condition->ItemLink(), &col);
  EXPECT_EQ(condition->Value(), Variant(u"ab*"));
  EXPECT_EQ(condition->PreparedValue(), Variant(u"AB*"));

  Column notCriteria;
  EXPECT_THROW(target.Assign(nullptr), rtl::Exception);
}

TEST(FilterCriteria, RestoreDefaultsAndMultiThreading) {
  TestCriteria criteria;
  Column col;
  criteria.SetOptions({O::fcoSoftNull});
  criteria.SetUnderscoreWildcard(u'?');
  criteria.RestoreDefaults();
  EXPECT_TRUE(criteria.Options().empty());
  EXPECT_EQ(criteria.UnderscoreWildcard(), u'_');
  criteria.AddItem(nullptr, &col, K::foEqual, 1, u"1");
  EXPECT_TRUE(criteria.SupportsMultiThreading());
}

}  // namespace

namespace {
// An array inside an array (as a stream may carry) is prepared element by
// element under the same lock.
TEST(FilterCriteria, NestedArrayValuesArePrepared) {
  TestCriteria criteria;
  Column col;
  criteria.SetOptions({O::fcoCaseInsensitive});
  Variant inner = VarListArrayCreate(u"ab");
  Variant outer = VarListArrayCreate(inner);
  VarListArrayAddValue(outer, u"cd");
  const Variant prepared = criteria.PrepareValue(outer);
  EXPECT_EQ(prepared[0][0], Variant(u"AB"));
  EXPECT_EQ(prepared[1], Variant(u"CD"));
}
}  // namespace
