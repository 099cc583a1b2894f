// Summaries: footer and group values checked against values computed by hand
// on random records with nulls (after edits, deletes, filtering and a new
// grouping), the null and type rules on small cases, the texts, and what a
// change recalculates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataGroups.h"
#include "lib/data/cxDataSummary.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/format.h"
#include "tests/data/data_controller_support.h"
#include "tests/data/record_list_support.h"

namespace data_test {
namespace {

using data::skAverage;
using data::skCount;
using data::skMax;
using data::skMin;
using data::skNone;
using data::skSum;
using data::spFooter;
using data::spGroup;
using data::TcxDataSummary;
using data::TcxSummaryKind;

// Items of the random records.
enum SummaryItem { kGroup = 0, kSub = 1, kAmount = 2, kValue = 3 };

void fillSummaryRecords(TestController& c, int count, unsigned seed) {
  c.addItem(data::TcxIntegerValueType::Instance());
  c.addItem(data::TcxStringValueType::Instance());
  c.addItem(data::TcxCurrencyValueType::Instance());
  c.addItem(data::TcxFloatValueType::Instance());
  std::mt19937 random(seed);
  static const char16_t* const kSubs[] = {u"a", u"b", u"c"};
  c.BeginUpdate();
  c.SetRecordCount(count);
  for (int r = 0; r < count; ++r) {
    const unsigned v = random();
    c.SetValue(r, kGroup, v % 9 == 0 ? rtl::Null() : Variant(static_cast<int>(v % 5)));
    c.SetValue(r, kSub, v % 13 == 0 ? rtl::Null() : Variant(String(kSubs[(v / 5) % 3])));
    // Amounts with four decimals and large integer parts, where a sum in
    // doubles would lose the last digits.
    const long long scaled = static_cast<long long>(random() % 2000000000000ll) - 1000000000000ll;
    c.SetValue(r, kAmount, v % 7 == 0 ? rtl::Null() : Variant(rtl::Currency::FromScaled(scaled * 1001 + 1)));
    c.SetValue(r, kValue, v % 6 == 0 ? rtl::Null() : Variant(static_cast<double>(random() % 100000) / 7.0));
  }
  c.EndUpdate();
}

// The expected value of one item over records, by the rules a user reads
// in the documentation: nulls count unless ignored, a sum of nothing but
// nulls is 0 (Null when they are ignored), min and max skip nulls.
Variant expectedSummary(const TestController& c, const std::vector<int>& records, int item, TcxSummaryKind kind,
                        bool nullIgnore) {
  int count = 0;
  bool any = false;
  long long currencySum = 0;
  double floatSum = 0;
  Variant best;
  for (int r : records) {
    const Variant v = c.GetValue(r, item);
    if (rtl::VarIsNull(v) && nullIgnore) continue;
    ++count;
    if (rtl::VarIsNull(v)) continue;
    any = true;
    if (item == kAmount)
      currencySum += v.AsCurrency().value;
    else
      floatSum += v.AsDouble();
    if (rtl::VarIsEmpty(best) || (kind == skMin && data::VarCompare(v, best) < 0) ||
        (kind == skMax && data::VarCompare(v, best) > 0))
      best = v;
  }
  switch (kind) {
    case skCount:
      return Variant(count);
    case skMin:
    case skMax:
      return any ? best : rtl::Null();
    case skSum:
      if (count == 0) return rtl::Null();
      return item == kAmount ? Variant(rtl::Currency::FromScaled(currencySum)) : Variant(floatSum);
    case skAverage:
      if (count == 0) return rtl::Null();
      return item == kAmount ? Variant(static_cast<double>(currencySum) / 10000.0 / count) : Variant(floatSum / count);
    default:
      return rtl::Null();
  }
}

void expectSummaryValue(const Variant& actual, const Variant& expected, const std::string& where) {
  if (rtl::VarIsNull(expected)) {
    EXPECT_TRUE(rtl::VarIsNull(actual)) << where << ": " << show(actual);
    return;
  }
  ASSERT_FALSE(rtl::VarIsNull(actual)) << where;
  if (rtl::VarType(expected) == rtl::varCurrency) {
    // Exact: a currency sum never goes through a double.
    ASSERT_EQ(rtl::VarType(actual), rtl::varCurrency) << where;
    EXPECT_EQ(actual.AsCurrency().value, expected.AsCurrency().value) << where;
  } else {
    EXPECT_NEAR(actual.AsDouble(), expected.AsDouble(), 1e-6 * std::max(1.0, std::fabs(expected.AsDouble())))
        << where;
  }
}

// The records of each group by the values of its grouping items, from the
// listed records alone.
std::string groupKey(const TestController& c, int record, const std::vector<int>& items, size_t levels) {
  std::string key;
  for (size_t l = 0; l < levels; ++l) key += show(c.GetValue(record, items[l])) + "|";
  return key;
}

void checkAgainstReference(TestController& c, const std::vector<int>& groupItems, int item, TcxSummaryKind kind,
                           bool nullIgnore, const std::string& stage) {
  SCOPED_TRACE(stage);
  TcxDataSummary& summary = *c.Summary();
  data::TcxCustomDataControllerInfo& info = *c.DataControllerInfo();
  const std::vector<int> listed = recordList(info);
  expectSummaryValue(summary.GetFooterSummaryValue(0), expectedSummary(c, listed, item, kind, nullIgnore), "footer");
  std::map<std::string, std::vector<int>> byKey;
  for (size_t l = 1; l <= groupItems.size(); ++l)
    for (int r : listed) byKey[groupKey(c, r, groupItems, l)].push_back(r);
  data::TcxDataControllerGroups& groups = *c.Groups();
  int checked = 0;
  for (int g = 0; g < groups.GetDataGroupCount(); ++g) {
    const int level = groups.GetLevel(g);
    const std::string key = groupKey(c, groups.GetGroupRecordIndex(g), groupItems, static_cast<size_t>(level) + 1);
    const std::vector<int>& expectedRecords = byKey[key];
    std::vector<int> records;
    groups.LoadRecordIndexes(records, g);
    ASSERT_EQ(records.size(), expectedRecords.size()) << "group " << key;
    const data::TcxDataSummaryValues* values = summary.GetGroupSummaryValues(g);
    ASSERT_NE(values, nullptr) << "group " << key;
    ASSERT_EQ(values->size(), 1u);
    expectSummaryValue((*values)[0], expectedSummary(c, expectedRecords, item, kind, nullIgnore), "group " + key);
    ++checked;
  }
  // Every key of every level is one group.
  EXPECT_EQ(static_cast<size_t>(checked), byKey.size());
}

struct RandomCase {
  const char* name;
  int item;
  TcxSummaryKind kind;
  bool nullIgnore;
};

const RandomCase kRandomCases[] = {
    {"CurrencySum", kAmount, skSum, false},
    {"CurrencySumIgnoringNulls", kAmount, skSum, true},
    {"CurrencyMin", kAmount, skMin, false},
    {"FloatMax", kValue, skMax, true},
    {"FloatAverage", kValue, skAverage, false},
    {"FloatAverageIgnoringNulls", kValue, skAverage, true},
    {"CurrencyAverage", kAmount, skAverage, true},
    {"Count", kValue, skCount, false},
    {"CountIgnoringNulls", kAmount, skCount, true},
};

class SummaryRandom : public ::testing::TestWithParam<RandomCase> {};

TEST_P(SummaryRandom, FooterAndGroupsMatchHandComputedValuesThroughChanges) {
  const RandomCase& param = GetParam();
  TestController c(nullptr);
  fillSummaryRecords(c, 500, 11);
  TcxDataSummary& summary = *c.Summary();
  if (param.nullIgnore) summary.SetOptions({data::soNullIgnore});
  summary.FooterSummaryItems()->Add(c.GetItem(param.item), spFooter, param.kind);
  summary.DefaultGroupSummaryItems()->Add(c.GetItem(param.item), spGroup, param.kind);
  c.Groups()->ChangeGrouping(kGroup, 0);
  checkAgainstReference(c, {kGroup}, param.item, param.kind, param.nullIgnore, "grouped");

  // A handler that changes nothing sees every value, one record at a time:
  // the values must come out the same, type and all.
  const data::TcxDataSummaryValues footerBefore = summary.FooterSummaryValues();
  const data::TcxDataSummaryValues groupBefore = *summary.GetGroupSummaryValues(0);
  const auto noChange = data::TcxSummaryEvent::fromClosure(
      &c, [](data::TcxDataSummaryItems*, const data::TcxSummaryEventArguments&, data::TcxSummaryEventOutArguments&) {});
  c.BeginUpdate();
  summary.FooterSummaryItems()->FOnSummary = noChange;
  summary.DefaultGroupSummaryItems()->FOnSummary = noChange;
  summary.SetOptions(summary.Options() + data::soSelectedRecords);
  summary.SetOptions(summary.Options() - data::soSelectedRecords);
  c.EndUpdate();
  for (const auto& [before, after] : {std::pair{footerBefore[0], summary.GetFooterSummaryValue(0)},
                                      std::pair{groupBefore[0], (*summary.GetGroupSummaryValues(0))[0]}}) {
    EXPECT_EQ(rtl::VarType(after), rtl::VarType(before));
    EXPECT_TRUE(rtl::VarIsNull(before) ? rtl::VarIsNull(after) : rtl::VarSameValue(after, before))
        << show(before) << " against " << show(after);
  }
  summary.FooterSummaryItems()->FOnSummary = nullptr;
  summary.DefaultGroupSummaryItems()->FOnSummary = nullptr;

  c.SetValue(3, param.item, rtl::Null());
  c.SetValue(4, param.item, param.item == kAmount ? Variant(rtl::Currency::FromScaled(123456789)) : Variant(2.5));
  c.SetValue(5, kGroup, Variant(4));
  checkAgainstReference(c, {kGroup}, param.item, param.kind, param.nullIgnore, "after edits");

  c.DeleteRecord(7);
  c.DeleteRecord(0);
  checkAgainstReference(c, {kGroup}, param.item, param.kind, param.nullIgnore, "after deletes");

  c.FOnFilterRecord = data::TcxDataFilterRecordEvent::fromClosure(
      &c, [](data::TcxCustomDataController*, int record, bool& accept) { accept = record % 3 != 1; });
  c.Refresh();
  checkAgainstReference(c, {kGroup}, param.item, param.kind, param.nullIgnore, "filtered");

  c.Groups()->ChangeGrouping(kSub, 0);
  checkAgainstReference(c, {kSub, kGroup}, param.item, param.kind, param.nullIgnore, "two levels");
  c.Groups()->ChangeGrouping(kGroup, -1);
  checkAgainstReference(c, {kSub}, param.item, param.kind, param.nullIgnore, "regrouped by another item");
  c.FOnFilterRecord = nullptr;
}

INSTANTIATE_TEST_SUITE_P(Summary, SummaryRandom, ::testing::ValuesIn(kRandomCases),
                         [](const auto& i) { return std::string(i.param.name); });

// --- small cases: null rules, types and texts ------------------------------------------------------
struct SmallCase {
  const char* name;
  data::TcxValueTypeClass type;
  std::vector<Variant> values;
  TcxSummaryKind kind;
  bool nullIgnore;
  const char* footerText;
  const char* groupText;
};

Variant date(int year, int month, int day) { return Variant::FromDateTime(rtl::EncodeDate(year, month, day)); }

const SmallCase kSmallCases[] = {
    {"AverageCountsANull", data::TcxFloatValueType::Instance(), {Variant(10), rtl::Null(), Variant(20)}, skAverage,
     false, "AVG=10.00", "(AVG=10.00)"},
    {"AverageIgnoresANull", data::TcxFloatValueType::Instance(), {Variant(10), rtl::Null(), Variant(20)}, skAverage,
     true, "AVG=15.00", "(AVG=15.00)"},
    {"CountCountsNulls", data::TcxFloatValueType::Instance(), {Variant(10), rtl::Null(), Variant(20)}, skCount,
     false, "3", "(COUNT=3)"},
    {"CountIgnoresNulls", data::TcxFloatValueType::Instance(), {Variant(10), rtl::Null(), Variant(20)}, skCount,
     true, "2", "(COUNT=2)"},
    {"SumOfNullsIsZero", data::TcxFloatValueType::Instance(), {rtl::Null(), rtl::Null()}, skSum, false, "0.00",
     "(SUM=0.00)"},
    {"SumOfIgnoredNullsIsEmpty", data::TcxFloatValueType::Instance(), {rtl::Null(), rtl::Null()}, skSum, true, "", ""},
    {"NegativeSumTakesTheSecondSection", data::TcxFloatValueType::Instance(), {Variant(-2.5), Variant(-1)}, skSum,
     false, "-3.50", "(SUM=-3.50)"},
    {"MinSkipsALeadingNull", data::TcxIntegerValueType::Instance(), {rtl::Null(), Variant(7), Variant(3)}, skMin,
     false, "MIN=3.00", "(MIN=3.00)"},
    {"MaxSkipsALeadingNull", data::TcxIntegerValueType::Instance(), {rtl::Null(), Variant(7), Variant(3)}, skMax,
     false, "MAX=7.00", "(MAX=7.00)"},
    {"NoneShowsNothing", data::TcxIntegerValueType::Instance(), {Variant(1)}, skNone, false, "", ""},
};

class SummarySmall : public ::testing::TestWithParam<SmallCase> {};

TEST_P(SummarySmall, FooterAndGroupRowTexts) {
  const SmallCase& param = GetParam();
  TestController c(nullptr);
  c.addItem(param.type);
  c.addItem(data::TcxIntegerValueType::Instance());  // one group for all
  c.BeginUpdate();
  c.SetRecordCount(static_cast<int>(param.values.size()));
  for (size_t r = 0; r < param.values.size(); ++r) {
    c.SetValue(static_cast<int>(r), 0, param.values[r]);
    c.SetValue(static_cast<int>(r), 1, Variant(1));
  }
  c.EndUpdate();
  TcxDataSummary& summary = *c.Summary();
  summary.SetOptions(param.nullIgnore ? data::TcxSummaryOptions{data::soNullIgnore} : data::TcxSummaryOptions{});
  summary.FooterSummaryItems()->Add(c.GetItem(0), spFooter, param.kind);
  summary.DefaultGroupSummaryItems()->Add(c.GetItem(0), spGroup, param.kind);
  c.Groups()->ChangeGrouping(1, 0);
  EXPECT_EQ(utf8(summary.GetFooterSummaryText(0)), param.footerText);
  EXPECT_EQ(utf8(summary.GetGroupSummaryText(0)), param.groupText);
}

INSTANTIATE_TEST_SUITE_P(Summary, SummarySmall, ::testing::ValuesIn(kSmallCases),
                         [](const auto& i) { return std::string(i.param.name); });

// A fixture of three records, grouped into one group by item 1.
struct ThreeRecords {
  TestController c{nullptr};
  TcxDataSummary& summary;
  explicit ThreeRecords(data::TcxValueTypeClass type, const std::vector<Variant>& values) : summary(*c.Summary()) {
    c.addItem(type);
    c.addItem(data::TcxIntegerValueType::Instance());
    c.BeginUpdate();
    c.SetRecordCount(static_cast<int>(values.size()));
    for (size_t r = 0; r < values.size(); ++r) {
      c.SetValue(static_cast<int>(r), 0, values[r]);
      c.SetValue(static_cast<int>(r), 1, Variant(1));
    }
    c.EndUpdate();
    c.Groups()->ChangeGrouping(1, 0);
  }
};

TEST(Summary, AverageOfDatesIsADateShownAsDateText) {
  ThreeRecords f(data::TcxDateTimeValueType::Instance(), {date(2024, 1, 1), date(2024, 1, 3), rtl::Null()});
  f.summary.SetOptions({data::soNullIgnore});
  f.summary.FooterSummaryItems()->Add(f.c.GetItem(0), spFooter, skAverage);
  f.summary.FooterSummaryItems()->Add(f.c.GetItem(0), spFooter, skMax);
  const Variant average = f.summary.GetFooterSummaryValue(0);
  EXPECT_EQ(rtl::VarType(average), rtl::varDate);
  EXPECT_EQ(rtl::VarToDateTime(average), rtl::EncodeDate(2024, 1, 2));
  EXPECT_EQ(f.summary.GetFooterSummaryText(0), u"AVG=" + rtl::DateToStr(rtl::EncodeDate(2024, 1, 2)));
  EXPECT_EQ(f.summary.GetFooterSummaryText(1), u"MAX=" + rtl::DateToStr(rtl::EncodeDate(2024, 1, 3)));
}

TEST(Summary, SeveralGroupItemsJoinWithTheSeparatorAndTheTextsRepaintOnly) {
  ThreeRecords f(data::TcxFloatValueType::Instance(), {Variant(4), Variant(6), rtl::Null()});
  int calculations = 0;
  f.summary.FOnAfterSummary = data::TcxDataSummaryAfterSummaryEvent::fromClosure(
      &f, [&calculations](TcxDataSummary*) { ++calculations; });
  data::TcxDataGroupSummaryItems& items = *f.summary.DefaultGroupSummaryItems();
  items.Add(f.c.GetItem(0), spGroup, skSum);
  items.Add(nullptr, spGroup, skCount);  // an unbound count counts the group's records
  items.Add(f.c.GetItem(0), spFooter, skMax);  // shown in group footers, not in the row
  EXPECT_EQ(f.summary.GetGroupSummaryText(0), u"(SUM=10.00, COUNT=3)");
  EXPECT_EQ(f.summary.GetGroupFooterSummaryText(0, 0, 2), u"MAX=6.00");
  EXPECT_EQ(f.summary.GetGroupFooterSummaryText(0, 0, 3), u"");  // no such item
  EXPECT_EQ(f.summary.GetGroupFooterSummaryText(0, 1, 0), u"");  // no such level
  const int before = calculations;
  items.SetBeginText(u"[");
  items.SetSeparator(u";");
  items.SetEndText(u"]");
  items.Items(0)->SetFormat(u"S=0.0");
  EXPECT_EQ(f.summary.GetGroupSummaryText(0), u"[S=10.0; COUNT=3]");
  EXPECT_EQ(calculations, before) << "texts and formats only repaint";
  // An unbound count in a footer takes no part: it shows nothing.
  f.summary.FooterSummaryItems()->Add(nullptr, spFooter, skCount);
  EXPECT_TRUE(rtl::VarIsNull(f.summary.GetFooterSummaryValue(0)));
  EXPECT_EQ(f.summary.GetFooterSummaryText(0), u"");
}

struct ChangeCase {
  const char* name;
  std::function<void(TestController&, TcxDataSummary&)> change;
  bool recalculates;
};

const ChangeCase kChanges[] = {
    {"Format", [](TestController&, TcxDataSummary& s) { s.FooterSummaryItems()->Items(0)->SetFormat(u"0"); }, false},
    {"Position", [](TestController&, TcxDataSummary& s) { s.DefaultGroupSummaryItems()->Items(0)->SetPosition(spFooter); },
     false},
    {"BeginText", [](TestController&, TcxDataSummary& s) { s.DefaultGroupSummaryItems()->SetBeginText(u"<"); }, false},
    {"Kind", [](TestController&, TcxDataSummary& s) { s.FooterSummaryItems()->Items(0)->SetKind(skMax); }, true},
    {"Link", [](TestController& c, TcxDataSummary& s) { s.FooterSummaryItems()->Items(0)->SetItemLink(c.GetItem(1)); },
     true},
    {"Options", [](TestController&, TcxDataSummary& s) { s.SetOptions({data::soNullIgnore}); }, true},
    {"NewItem", [](TestController&, TcxDataSummary& s) { s.FooterSummaryItems()->Add(nullptr, spFooter, skCount); },
     true},
    {"Value", [](TestController& c, TcxDataSummary&) { c.SetValue(0, 0, Variant(100)); }, true},
};

class SummaryChange : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(SummaryChange, RecalculatesOnlyWhenValuesCanDiffer) {
  ThreeRecords f(data::TcxFloatValueType::Instance(), {Variant(1), Variant(2), Variant(3)});
  f.summary.FooterSummaryItems()->Add(f.c.GetItem(0), spFooter, skSum);
  f.summary.DefaultGroupSummaryItems()->Add(f.c.GetItem(0), spGroup, skSum);
  int calculations = 0;
  f.summary.FOnAfterSummary = data::TcxDataSummaryAfterSummaryEvent::fromClosure(
      &f, [&calculations](TcxDataSummary*) { ++calculations; });
  RecordingView view(f.c);
  GetParam().change(f.c, f.summary);
  EXPECT_EQ(calculations, GetParam().recalculates ? 1 : 0);
  // Either way the view hears of it.
  EXPECT_FALSE(view.log.empty());
}

INSTANTIATE_TEST_SUITE_P(Summary, SummaryChange, ::testing::ValuesIn(kChanges),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(Summary, GroupTextOfItemsAddedSinceTheLastCalculationReadsNoMissingValue) {
  ThreeRecords f(data::TcxFloatValueType::Instance(), {Variant(1), Variant(2), Variant(3)});
  data::TcxDataGroupSummaryItems& items = *f.summary.DefaultGroupSummaryItems();
  items.Add(f.c.GetItem(0), spGroup, skSum);
  ASSERT_EQ(f.summary.GetGroupSummaryText(0), u"(SUM=6.00)");
  f.c.BeginUpdate();
  items.Add(f.c.GetItem(0), spGroup, skMax);
  items.Add(nullptr, spGroup, skCount);
  // The stored values still hold one element: the new items show nothing yet.
  EXPECT_EQ(f.summary.GetGroupSummaryText(0), u"(SUM=6.00)");
  EXPECT_EQ(f.summary.GetGroupFooterSummaryText(0, 0, 2), u"");
  f.c.EndUpdate();
  EXPECT_EQ(f.summary.GetGroupSummaryText(0), u"(SUM=6.00, MAX=3.00, COUNT=3)");
}

TEST(Summary, OnSummaryHandlerCanSkipRecordsAndOnGetTextRewritesTheText) {
  ThreeRecords f(data::TcxIntegerValueType::Instance(), {Variant(1), Variant(10), Variant(100)});
  data::TcxDataFooterSummaryItems& footer = *f.summary.FooterSummaryItems();
  footer.FOnSummary = data::TcxSummaryEvent::fromClosure(
      &f, [](data::TcxDataSummaryItems*, const data::TcxSummaryEventArguments& a,
             data::TcxSummaryEventOutArguments& out) { out.Done = a.RecordIndex == 1; });
  data::TcxDataSummaryItem* item = footer.Add(f.c.GetItem(0), spFooter, skSum);
  item->FOnGetText = data::TcxSummaryGetTextEvent::fromClosure(
      &f, [](data::TcxDataSummaryItem*, const Variant& value, bool footerText, String& text) {
        text = (footerText ? u"total " : u"group ") + rtl::VarToStr(value);
      });
  EXPECT_EQ(f.summary.GetFooterSummaryValue(0).AsInteger(), 101);
  EXPECT_EQ(f.summary.GetFooterSummaryText(0), u"total 101");
}

TEST(Summary, SelectedRecordsOptionCoversTheFocusedRecordOfASingleSelectController) {
  TestController c(nullptr);
  c.addItem(data::TcxIntegerValueType::Instance());
  c.BeginUpdate();
  c.SetRecordCount(4);
  for (int r = 0; r < 4; ++r) c.SetValue(r, 0, Variant(1 << r));
  c.EndUpdate();
  TcxDataSummary& summary = *c.Summary();
  summary.FooterSummaryItems()->Add(c.GetItem(0), spFooter, skSum);
  EXPECT_EQ(summary.GetFooterSummaryValue(0).AsInteger(), 15);
  summary.SetOptions({data::soSelectedRecords});
  c.SetFocusedRecordIndex(2);
  EXPECT_EQ(summary.GetFooterSummaryValue(0).AsInteger(), 4);
  c.SetFocusedRecordIndex(3);
  EXPECT_EQ(summary.GetFooterSummaryValue(0).AsInteger(), 8);
}

TEST(Summary, OfTheTwoSelectedRecordsOptionsTheNewlyAskedOneWins) {
  TestController c(nullptr);
  TcxDataSummary& summary = *c.Summary();
  summary.SetOptions({data::soSelectedRecords});
  summary.SetOptions({data::soSelectedRecords, data::soMultipleSelectedRecords, data::soNullIgnore});
  EXPECT_EQ(summary.Options(), (data::TcxSummaryOptions{data::soMultipleSelectedRecords, data::soNullIgnore}));
  summary.SetOptions({data::soSelectedRecords, data::soMultipleSelectedRecords});
  EXPECT_EQ(summary.Options(), data::TcxSummaryOptions{data::soSelectedRecords});
}

TEST(Summary, SummaryGroupGivesItsLinkedItemsOwnGroupSummariesAndAnItemJoinsOneGroupOnly) {
  TestController c(nullptr);
  fillSummaryRecords(c, 60, 3);
  TcxDataSummary& summary = *c.Summary();
  summary.DefaultGroupSummaryItems()->Add(nullptr, spGroup, skCount);
  data::TcxDataSummaryGroup* first = summary.SummaryGroups()->Add();
  first->Links()->Add()->SetItemLink(c.GetItem(kSub));
  first->SummaryItems()->Add(c.GetItem(kAmount), spGroup, skSum);
  c.Groups()->ChangeGrouping(kSub, 0);
  c.Groups()->ChangeGrouping(kGroup, 1);
  EXPECT_EQ(summary.GetGroupSummaryItems(0), first->SummaryItems());
  EXPECT_EQ(summary.GetGroupSummaryItems(1), summary.DefaultGroupSummaryItems());
  EXPECT_EQ(summary.GetGroupSummaryItems(2), nullptr);
  const Variant firstSum = (*summary.GetGroupSummaryValues(0))[0];
  std::vector<int> records;
  c.Groups()->LoadRecordIndexes(records, 0);
  expectSummaryValue(firstSum, expectedSummary(c, records, kAmount, skSum, false), "level 0 by the summary group");

  data::TcxDataSummaryGroup* second = summary.SummaryGroups()->Add();
  second->Links()->Add()->SetItemLink(c.GetItem(kSub));
  EXPECT_EQ(first->Links()->Count(), 0);
  EXPECT_EQ(summary.SummaryGroups()->FindByItemLink(c.GetItem(kSub)), second);
  EXPECT_EQ(summary.GetGroupSummaryItems(0), second->SummaryItems());
}

TEST(Summary, RemovedItemLeavesEverySummaryItemAndLink) {
  TestController c(nullptr);
  fillSummaryRecords(c, 40, 5);
  TcxDataSummary& summary = *c.Summary();
  summary.FooterSummaryItems()->Add(c.GetItem(kAmount), spFooter, skSum);
  summary.DefaultGroupSummaryItems()->Add(c.GetItem(kAmount), spGroup, skMax);
  data::TcxDataSummaryGroup* group = summary.SummaryGroups()->Add();
  group->Links()->Add()->SetItemLink(c.GetItem(kAmount));
  group->SummaryItems()->Add(c.GetItem(kAmount), spGroup, skSum);
  c.Groups()->ChangeGrouping(kGroup, 0);
  data::TcxCustomDataField* amount = c.GetItemField(kAmount);
  c.RemoveItem(c.GetItem(kAmount));
  EXPECT_EQ(summary.FooterSummaryItems()->IndexOfField(amount), -1);
  EXPECT_EQ(summary.FooterSummaryItems()->Items(0)->Field(), nullptr);
  EXPECT_EQ(summary.DefaultGroupSummaryItems()->Items(0)->Field(), nullptr);
  EXPECT_EQ(group->Links()->Items(0)->Field(), nullptr);
  EXPECT_EQ(group->SummaryItems()->Items(0)->Field(), nullptr);
  // Recalculated without the field: nothing to show.
  EXPECT_TRUE(rtl::VarIsNull(summary.GetFooterSummaryValue(0)));
  EXPECT_EQ(summary.GetGroupSummaryText(0), u"");
}

TEST(Summary, DataItemPropertiesAddChangeAndDropItems) {
  TestController c(nullptr);
  fillSummaryRecords(c, 10, 1);
  data::TcxDataSummaryItems& footer = *c.Summary()->FooterSummaryItems();
  footer.SetDataItemFormat(kValue, spFooter, u"");  // all empty: nothing is added
  EXPECT_EQ(footer.Count(), 0);
  footer.SetDataItemKind(kValue, spFooter, skMax);
  ASSERT_EQ(footer.Count(), 1);
  EXPECT_EQ(footer.GetDataItemKind(kValue, spFooter), skMax);
  footer.SetDataItemFormat(kValue, spFooter, u"0.0");
  EXPECT_EQ(footer.GetDataItemFormat(kValue, spFooter), u"0.0");
  footer.SetDataItemKind(kValue, spFooter, skNone);
  EXPECT_EQ(footer.Count(), 1) << "the format still holds it";
  footer.SetDataItemFormat(kValue, spFooter, u"");
  EXPECT_EQ(footer.Count(), 0);
}

TEST(Summary, AssignCopiesItemsTextsAndOptions) {
  TestController source(nullptr), dest(nullptr);
  fillSummaryRecords(source, 10, 2);
  fillSummaryRecords(dest, 10, 2);
  source.Summary()->FooterSummaryItems()->Add(source.GetItem(kAmount), spFooter, skSum, u"0.0");
  data::TcxDataGroupSummaryItems& group = *source.Summary()->DefaultGroupSummaryItems();
  group.Add(source.GetItem(kValue), spGroup, skAverage);
  group.SetSeparator(u";");
  source.Summary()->SetOptions({data::soNullIgnore});
  dest.Summary()->Assign(source.Summary());
  ASSERT_EQ(dest.Summary()->FooterSummaryItems()->Count(), 1);
  EXPECT_EQ(dest.Summary()->FooterSummaryItems()->Items(0)->Format(), u"0.0");
  EXPECT_EQ(dest.Summary()->FooterSummaryItems()->Items(0)->Kind(), skSum);
  EXPECT_EQ(dest.Summary()->DefaultGroupSummaryItems()->Separator(), u";");
  EXPECT_EQ(dest.Summary()->Options(), data::TcxSummaryOptions{data::soNullIgnore});
}



// --- sums read from a column of the storage ------------------------------------------------------
// A summary over most of the records reads each value once in storage order
// and then by list position; the sums (exact Currency additions) must be
// what adding the listed records gives, whether nulls are present, the list
// is sorted against storage order, filtered, or holds too few records for
// that column to be read.
struct ColumnSumCase {
  const char* name;
  bool nulls;
  int keepEvery;  // the filter keeps records r with r % keepEvery == 0
  data::TdxSortOrder idOrder;
};

const ColumnSumCase kColumnSumCases[] = {
    {"NoNullsSortedAgainstStorage", false, 1, data::soDescending},
    {"NoNullsStorageOrder", false, 1, data::soNone},
    {"NullsSorted", true, 1, data::soDescending},
    {"NoNullsMostRecordsListed", false, 2, data::soAscending},  // a half: the column is read
    {"NoNullsFewRecordsListed", false, 9, data::soDescending},  // read record by record
};

class SummaryColumnSum : public ::testing::TestWithParam<ColumnSumCase> {};

TEST_P(SummaryColumnSum, GroupAndFooterSumsMatchTheListedRecords) {
  const ColumnSumCase& t = GetParam();
  enum { kId, kKey, kMoney };
  TestController c(nullptr);
  c.addItem(data::TcxIntegerValueType::Instance());
  c.addItem(data::TcxIntegerValueType::Instance());
  c.addItem(data::TcxCurrencyValueType::Instance());
  const int count = 600;
  std::mt19937 random(23);
  std::vector<long long> money(count);
  std::vector<bool> isNull(count);
  c.BeginUpdate();
  c.SetRecordCount(count);
  for (int r = 0; r < count; ++r) {
    c.SetValue(r, kId, Variant(static_cast<int>(random() % 1000)));
    c.SetValue(r, kKey, Variant(r % 7));
    money[r] = static_cast<long long>(random() % 2000000000000ll) - 1000000000000ll;
    isNull[r] = t.nulls && r % 5 == 3;
    c.SetValue(r, kMoney, isNull[r] ? rtl::Null() : Variant(rtl::Currency::FromScaled(money[r])));
  }
  c.EndUpdate();
  const int keep = t.keepEvery;
  c.FOnFilterRecord = data::TcxDataFilterRecordEvent::fromClosure(
      &c, [keep](data::TcxCustomDataController*, int record, bool& accept) { accept = record % keep == 0; });
  c.Refresh();
  TcxDataSummary& summary = *c.Summary();
  summary.FooterSummaryItems()->Add(c.GetItem(kMoney), spFooter, skSum);
  summary.DefaultGroupSummaryItems()->Add(c.GetItem(kMoney), spGroup, skSum);
  if (t.idOrder != data::soNone) c.DataControllerInfo()->ChangeSorting(c.GetItemField(kId), t.idOrder);
  c.Groups()->ChangeGrouping(kKey, 0);

  auto expected = [&](int AKey) {  // AKey -1: every listed record
    long long total = 0;
    for (int r = 0; r < count; ++r)
      if (r % keep == 0 && (AKey == -1 || r % 7 == AKey) && !isNull[r]) total += money[r];
    return total;
  };
  EXPECT_EQ(summary.GetFooterSummaryValue(0).AsCurrency().value, expected(-1));
  ASSERT_EQ(c.Groups()->GetDataGroupCount(), 7);
  for (int g = 0; g < 7; ++g) {
    const int key = static_cast<int>(c.Groups()->GetGroupValue(g).AsInt64());
    EXPECT_EQ((*summary.GetGroupSummaryValues(g))[0].AsCurrency().value, expected(key)) << "key " << key;
  }
  // The column is read for one calculation only: a changed value is seen.
  const int record = c.DataControllerInfo()->GetInternalRecordIndex(0);
  c.SetValue(record, kMoney, Variant(rtl::Currency::FromScaled(money[record] + 10000)));
  money[record] += 10000;
  isNull[record] = false;
  EXPECT_EQ(summary.GetFooterSummaryValue(0).AsCurrency().value, expected(-1));
  c.FOnFilterRecord = nullptr;
}

INSTANTIATE_TEST_SUITE_P(Summary, SummaryColumnSum, ::testing::ValuesIn(kColumnSumCases),
                         [](const auto& i) { return std::string(i.param.name); });

// --- groups ordered by a summary ----------------------------------------------------------------
// A view's engine stands in here: it puts the top-level groups in the order
// of their sorted summary item (ties keep their order, null sums first).
int sortBySummaryEngines = 0;

class SumOrderEngine : public data::TcxSortingBySummaryEngine {
 public:
  using TcxSortingBySummaryEngine::TcxSortingBySummaryEngine;
  void Sort() override {
    data::TcxCustomDataControllerInfo& info = *DataControllerInfo();
    TcxDataSummary& summary = *GetDataController()->Summary();
    const int item = summary.GetGroupSummaryItems(0)->SortedSummaryItem()->Index();
    std::vector<int> groups;
    for (int g = 0; g < info.GetDataGroupCount(); ++g)
      if (info.GetDataGroup(g).Level == 0) groups.push_back(g);
    auto sumOf = [&](int k) { return (*summary.GetGroupSummaryValues(groups[static_cast<size_t>(k)]))[static_cast<size_t>(item)]; };
    std::vector<int> order(groups.size());
    for (size_t k = 0; k < order.size(); ++k) order[k] = static_cast<int>(k);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      const Variant x = sumOf(a), y = sumOf(b);
      if (rtl::VarIsNull(x) || rtl::VarIsNull(y)) return rtl::VarIsNull(x) && !rtl::VarIsNull(y);
      return x.AsDouble() < y.AsDouble();
    });
    info.ReorderChildGroups(-1, order);
  }
};

std::unique_ptr<data::TcxSortingBySummaryEngine> makeSumOrderEngine(data::TcxCustomDataControllerInfo* AInfo) {
  ++sortBySummaryEngines;
  return std::make_unique<SumOrderEngine>(AInfo);
}

class SumOrderController : public TestController {
 public:
  explicit SumOrderController(bool AEngine) : TestController(nullptr), engine_(AEngine) {}
  data::TcxSortingBySummaryEngineClass GetSortingBySummaryEngineClass() const override {
    return engine_ ? &makeSumOrderEngine : nullptr;
  }

 private:
  bool engine_;
};

// key, sub, amount: sums by key 0:30 1:null 2:10 3:30 4:-5, so by sum 1,4,2,0,3.
struct SumOrderRecord {
  int key, sub;
  double amount;  // NaN: null
};
const SumOrderRecord kSumOrderRecords[] = {{3, 0, 30}, {0, 0, 10}, {2, 1, 4},  {1, 0, NAN},
                                           {4, 0, -5}, {0, 1, 20}, {2, 0, 6}, {1, 1, NAN}};
enum SumOrderItem { kSoKey = 0, kSoSub = 1, kSoAmount = 2 };

void fillSumOrder(TestController& c) {
  c.addItem(data::TcxIntegerValueType::Instance());
  c.addItem(data::TcxIntegerValueType::Instance());
  c.addItem(data::TcxFloatValueType::Instance());
  c.BeginUpdate();
  c.SetRecordCount(static_cast<int>(std::size(kSumOrderRecords)));
  for (int r = 0; r < c.GetRecordCount(); ++r) {
    const SumOrderRecord& record = kSumOrderRecords[r];
    c.SetValue(r, kSoKey, Variant(record.key));
    c.SetValue(r, kSoSub, Variant(record.sub));
    c.SetValue(r, kSoAmount, std::isnan(record.amount) ? rtl::Null() : Variant(record.amount));
  }
  c.EndUpdate();
}

// Every row, fully expanded: "k<key>", "s<sub>" and "r<record>".
std::vector<std::string> sumOrderRows(TestController& c) {
  c.Groups()->FullExpand();
  std::vector<std::string> rows;
  for (int row = 0; row < c.GetRowCount(); ++row) {
    const data::TcxRowInfo info = c.GetRowInfo(row);
    const int levels = c.Groups()->GetGroupingItemCount();
    if (info.Level >= levels)
      rows.push_back("r" + std::to_string(info.RecordIndex));
    else
      rows.push_back((info.Level == 0 ? "k" : "s") +
                     show(c.GetValue(info.RecordIndex, info.Level == 0 ? kSoKey : kSoSub)));
  }
  return rows;
}

// The rows two grouping levels show when the top groups come in this key order.
std::vector<std::string> sumOrderExpected(const std::vector<int>& AKeys) {
  std::vector<std::string> rows;
  for (int key : AKeys) {
    rows.push_back("k" + std::to_string(key));
    for (int sub = 0; sub < 2; ++sub) {
      std::vector<std::string> records;
      for (int r = 0; r < static_cast<int>(std::size(kSumOrderRecords)); ++r)
        if (kSumOrderRecords[r].key == key && kSumOrderRecords[r].sub == sub) records.push_back("r" + std::to_string(r));
      if (records.empty()) continue;
      rows.push_back("s" + std::to_string(sub));
      rows.insert(rows.end(), records.begin(), records.end());
    }
  }
  return rows;
}

enum class SumOrderBy { Nothing, SortedItem, DataItemIndex };

struct SortBySummaryCase {
  const char* name;
  bool engineClass;  // the controller answers an engine
  SumOrderBy by;
  data::TcxSummaryOptions options;
  bool engine;  // expected: the engine is made and orders the groups
};

const SortBySummaryCase kSortBySummaryCases[] = {
    {"NoSortedItem", true, SumOrderBy::Nothing, {data::soNullIgnore}, false},
    {"SortedItem", true, SumOrderBy::SortedItem, {data::soNullIgnore}, true},
    {"SortingBySummaryDataItem", true, SumOrderBy::DataItemIndex, {data::soNullIgnore}, true},
    {"SelectedRecordsSummary", true, SumOrderBy::SortedItem, {data::soNullIgnore, data::soSelectedRecords}, false},
    {"MultipleSelectedRecordsSummary", true, SumOrderBy::SortedItem,
     {data::soNullIgnore, data::soMultipleSelectedRecords}, false},
    {"BaseControllerAnswersNoEngine", false, SumOrderBy::SortedItem, {data::soNullIgnore}, false},
};

class SummarySortByGroups : public ::testing::TestWithParam<SortBySummaryCase> {};

TEST_P(SummarySortByGroups, EngineOrdersTopGroupsAndTheirRecordsSubgroupsAndValuesMoveAlong) {
  const SortBySummaryCase& t = GetParam();
  SumOrderController c(t.engineClass);
  fillSumOrder(c);
  TcxDataSummary& summary = *c.Summary();
  summary.SetOptions(t.options);
  data::TcxDataSummaryItem* sum = summary.DefaultGroupSummaryItems()->Add(c.GetItem(kSoAmount), spGroup, skSum);
  summary.DefaultGroupSummaryItems()->Add(c.GetItem(kSoAmount), spGroup, skCount);
  if (t.by == SumOrderBy::SortedItem) sum->SetSorted(true);
  if (t.by == SumOrderBy::DataItemIndex) c.SetSortingBySummaryDataItemIndex(kSoAmount);
  sortBySummaryEngines = 0;
  c.Groups()->ChangeGrouping(kSoKey, 0);
  c.Groups()->ChangeGrouping(kSoSub, 1);
  EXPECT_EQ(sortBySummaryEngines > 0, t.engine);
  EXPECT_EQ(c.DataControllerInfo()->IsSortingBySummary(), t.by != SumOrderBy::Nothing && t.engine == t.engineClass);
  const std::vector<int> keys = t.engine ? std::vector<int>{1, 4, 2, 0, 3} : std::vector<int>{0, 1, 2, 3, 4};
  EXPECT_EQ(sumOrderRows(c), sumOrderExpected(keys));
  // Each group keeps its own values: a sum recomputed from its records.
  if (!t.options.contains(data::soSelectedRecords))
    for (int g = 0; g < c.Groups()->GetDataGroupCount(); ++g) {
      std::vector<int> records;
      c.Groups()->LoadRecordIndexes(records, g);
      double total = 0;
      int count = 0;
      for (int r : records)
        if (!std::isnan(kSumOrderRecords[r].amount)) total += kSumOrderRecords[r].amount, ++count;
      const data::TcxDataSummaryValues& values = *summary.GetGroupSummaryValues(g);
      EXPECT_EQ(show(values[0]), count == 0 ? "null" : show(Variant(total))) << "group " << g;
      EXPECT_EQ(values[1].AsInt64(), count) << "group " << g;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SummarySortByGroups, ::testing::ValuesIn(kSortBySummaryCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SummarySortByGroups, EngineRunsWhenTheOrderCanChangeAndFocusAndExpansionFollowTheirGroups) {
  SumOrderController c(true);
  fillSumOrder(c);
  TcxDataSummary& summary = *c.Summary();
  summary.SetOptions({data::soNullIgnore});
  summary.DefaultGroupSummaryItems()->Add(c.GetItem(kSoAmount), spGroup, skSum)->SetSorted(true);
  c.Groups()->ChangeGrouping(kSoKey, 0);
  auto topKeys = [&] {
    std::vector<std::string> keys;
    for (int row = 0; row < c.GetRowCount(); ++row)
      if (c.GetRowInfo(row).Level == 0) keys.push_back(show(c.GetValue(c.GetRowInfo(row).RecordIndex, kSoKey)));
    return keys;
  };
  auto rowOfKey = [&](int AKey) {
    for (int row = 0; row < c.GetRowCount(); ++row)
      if (c.GetRowInfo(row).Level == 0 && c.GetValue(c.GetRowInfo(row).RecordIndex, kSoKey) == Variant(AKey)) return row;
    return -1;
  };
  ASSERT_EQ(topKeys(), (std::vector<std::string>{"1", "4", "2", "0", "3"}));
  // Record 6 (key 2) focused inside its expanded group.
  c.Groups()->ChangeExpanding(rowOfKey(2), true, false);
  ASSERT_TRUE(c.ChangeFocusedRowIndex(rowOfKey(2) + 2));
  ASSERT_EQ(c.GetFocusedRecordIndex(), 6);

  sortBySummaryEngines = 0;
  ASSERT_TRUE(c.ChangeFocusedRowIndex(rowOfKey(2) + 1));
  ASSERT_TRUE(c.ChangeFocusedRowIndex(rowOfKey(2) + 2));
  c.Groups()->ChangeExpanding(rowOfKey(0), true, false);
  c.Groups()->ChangeExpanding(rowOfKey(0), false, false);
  EXPECT_EQ(sortBySummaryEngines, 0) << "focus and expansion leave the order alone";

  c.SetValue(4, kSoAmount, Variant(100.0));  // key 4 now sums 100: last
  EXPECT_GT(sortBySummaryEngines, 0);
  EXPECT_EQ(topKeys(), (std::vector<std::string>{"1", "2", "0", "3", "4"}));
  EXPECT_EQ(c.GetFocusedRecordIndex(), 6);
  EXPECT_EQ(c.GetRowInfo(c.GetFocusedRowIndex()).RecordIndex, 6) << "the focused row follows its record";
  EXPECT_TRUE(c.GetRowInfo(rowOfKey(2)).Expanded) << "expansion moved with its group";
  EXPECT_FALSE(c.GetRowInfo(rowOfKey(4)).Expanded);
  EXPECT_EQ(c.GetFocusedRowIndex(), rowOfKey(2) + 2);

  // No longer sorted by the summary: the plain order, without the engine.
  sortBySummaryEngines = 0;
  summary.DefaultGroupSummaryItems()->Items(0)->SetSorted(false);
  EXPECT_EQ(sortBySummaryEngines, 0);
  EXPECT_EQ(topKeys(), (std::vector<std::string>{"0", "1", "2", "3", "4"}));
  EXPECT_EQ(c.GetFocusedRecordIndex(), 6);
  EXPECT_EQ(c.GetRowInfo(c.GetFocusedRowIndex()).RecordIndex, 6);
}

TEST(SummarySortByGroups, ReorderRejectsAnOrderThatIsNotOneOfTheChildren) {
  SumOrderController c(false);
  fillSumOrder(c);
  c.Groups()->ChangeGrouping(kSoKey, 0);
  data::TcxCustomDataControllerInfo& info = *c.DataControllerInfo();
  const std::vector<std::vector<int>> bad = {{0, 1, 2, 3}, {0, 1, 2, 3, 3}, {0, 1, 2, 3, 5}, {-1, 0, 1, 2, 3}};
  for (const std::vector<int>& order : bad)
    EXPECT_THROW(info.ReorderChildGroups(-1, order), data::EcxInvalidDataControllerOperation);
  EXPECT_THROW(info.ReorderChildGroups(info.GetDataGroupCount(), {}), data::EcxInvalidDataControllerOperation);
  EXPECT_EQ(c.Groups()->GetDataGroupCount(), 5) << "nothing moved";
}

}  // namespace
}  // namespace data_test
