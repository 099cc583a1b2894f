// The controller's filter criteria and the value lists of a column's filter
// drop-down.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataFilter.h"
#include "lib/data/cxDataStorage.h"
#include "platform/rtl/streams.h"
#include "tests/data/data_controller_support.h"

namespace {

using data::TcxFilterOperatorKind;
using data::TcxFilterValueItemKind;
using data_test::show;
using data_test::utf8;
using rtl::Variant;
using Kind = TcxFilterValueItemKind;

// Items answer their position as identifier, so conditions survive a stream.
class IdController : public data_test::TestController {
 public:
  using TestController::TestController;
  int GetItemID(rtl::TObject* AItem) const override {
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i].get() == AItem) return static_cast<int>(i);
    return -1;
  }
};

struct FilterColumn {
  rtl::TComponent owner{nullptr};
  IdController controller{&owner};
  explicit FilterColumn(data::TcxValueTypeClass type, const std::vector<Variant>& values = {}) {
    controller.addItem(type);
    for (const Variant& v : values) controller.SetValue(controller.AppendRecord(), 0, v);
  }
  data::TcxDataFilterCriteria* filter() { return controller.Filter(); }
  rtl::TObject* item(int i) { return controller.items.at(static_cast<size_t>(i)).get(); }
};

std::vector<std::string> entries(const data::TcxFilterValueList& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.Count(); ++i) {
    const data::TcxFilterValueItem* item = list.Items(i);
    switch (item->Kind()) {
      case Kind::fviValue: out.push_back(show(item->Value())); break;
      case Kind::fviMRU: out.push_back("mru " + show(item->Value())); break;
      case Kind::fviMRUSeparator: out.push_back("---"); break;
      default: out.push_back(utf8(item->DisplayText()));
    }
  }
  return out;
}

data::TcxValueTypeClass integer() { return data::TcxIntegerValueType::Instance(); }
data::TcxValueTypeClass text() { return data::TcxStringValueType::Instance(); }

class ValueList : public testing::Test {
 protected:
  FilterColumn column{integer(), {Variant(3), Variant(1), rtl::Null(), Variant(2), Variant(1)}};
  std::unique_ptr<data::TcxDataFilterValueList> list = column.filter()->CreateValueList();
};

TEST_F(ValueList, LoadPutsSpecialsBeforeSortedDistinctValues) {
  list->Load(0);
  EXPECT_EQ(entries(*list),
            (std::vector<std::string>{"(All)", "(Custom...)", "(Blanks)", "(NonBlanks)", "1", "2", "3"}));
  EXPECT_EQ(list->StartValueIndex(), 4);
}

TEST_F(ValueList, MostRecentEntriesGoBeforeTheirSeparator) {
  list->Load(0);
  list->Add(Kind::fviMRU, Variant(9), u"9");
  list->Add(Kind::fviMRU, Variant(8), u"8");
  EXPECT_EQ(entries(*list), (std::vector<std::string>{"mru 9", "mru 8", "---", "(All)", "(Custom...)", "(Blanks)",
                                                      "(NonBlanks)", "1", "2", "3"}));
  EXPECT_EQ(list->GetMRUSeparatorIndex(), 2);
  int index = -1;
  ASSERT_TRUE(list->Find(Variant(8), u"8", index));
  EXPECT_EQ(index, 1);
}

TEST_F(ValueList, RepeatsAndValuesBeyondTheLimitAreIgnored) {
  list->Load(0);
  list->Add(Kind::fviValue, Variant(2), u"2");
  EXPECT_EQ(list->Count(), 7);
  // The limit counts entries of every kind: seven are there already.
  column.filter()->SetMaxValueListCount(7);
  list->Add(Kind::fviValue, Variant(0), u"0");
  EXPECT_EQ(entries(*list).back(), "3");
  EXPECT_EQ(list->Count(), 7);
}

TEST_F(ValueList, AppendedUnsortedValueIsStillFound) {
  list->Load(0);
  list->Add(Kind::fviValue, Variant(0), u"0", /*ANoSorting=*/true);
  int index = -1;
  EXPECT_TRUE(list->Find(Variant(0), u"0", index));
  EXPECT_EQ(index, 7);
  EXPECT_EQ(list->FindItemByValue(Variant(0)), 7);
  list->Clear();
  EXPECT_FALSE(list->IsUnsortedValues());
}

TEST_F(ValueList, EntryForACondition) {
  list->Load(0);
  data::TcxFilterCriteriaItemList* root = column.filter()->Root();
  struct Case {
    TcxFilterOperatorKind kind;
    Variant value;
    std::string entry;
  };
  const Case cases[] = {
      {TcxFilterOperatorKind::foNotEqual, rtl::Null(), "(NonBlanks)"},
      {TcxFilterOperatorKind::foEqual, rtl::Null(), "(Blanks)"},
      {TcxFilterOperatorKind::foGreater, Variant(5), "(Custom...)"},
      {TcxFilterOperatorKind::foEqual, Variant(2), "2"},
      {TcxFilterOperatorKind::foEqual, Variant(99), "(Custom...)"},
  };
  for (const Case& c : cases) {
    data::TcxFilterCriteriaItem* condition = root->AddItem(column.item(0), c.kind, c.value, rtl::VarToStr(c.value));
    const int index = list->GetIndexByCriteriaItem(condition);
    ASSERT_GE(index, 0) << c.entry;
    EXPECT_EQ(entries(*list)[static_cast<size_t>(index)], c.entry);
    condition->Free();
  }
  EXPECT_EQ(list->GetIndexByCriteriaItem(nullptr), 0);
}

TEST(DataValueList, NonBlanksWithFilteredValuesWhenTheItemHasANotBlankCondition) {
  FilterColumn column(integer(), {Variant(1)});
  column.filter()->Root()->AddItem(column.item(0), TcxFilterOperatorKind::foNotEqual, rtl::Null(), u"");
  auto list = column.filter()->CreateValueList();
  list->Load(0, true, /*AUseFilteredValues=*/true);
  EXPECT_EQ(entries(*list), (std::vector<std::string>{"(All)", "(Custom...)", "(NonBlanks)", "1"}));
  list->Load(0, true, false);
  EXPECT_EQ(entries(*list), (std::vector<std::string>{"(All)", "(Custom...)", "1"}));
}

TEST(DataValueList, CaseInsensitiveCriteriaMakeOneEntryOfDifferentCase) {
  FilterColumn column(text(), {Variant(u"abc"), Variant(u"ABC"), Variant(u"b")});
  column.filter()->SetOptions({data::TcxFilterCriteriaOption::fcoCaseInsensitive});
  auto list = column.filter()->CreateValueList();
  list->Load(0);
  EXPECT_EQ(entries(*list), (std::vector<std::string>{"(All)", "(Custom...)", "abc", "b"}));
}

// Adding many values at once must give what one Add per value gives.
struct BulkCase {
  const char* name;
  std::vector<int> values;
  int maxCount;
  std::vector<int> present;  // values already in the list
};

class ValueListBulk : public testing::TestWithParam<BulkCase> {};

TEST_P(ValueListBulk, SameAsOneAddEach) {
  const BulkCase& c = GetParam();
  FilterColumn column(integer());
  column.filter()->SetMaxValueListCount(c.maxCount);
  data::TcxDataFilterValueList single(column.filter()), bulk(column.filter());
  for (auto* list : {&single, &bulk}) {
    list->Add(Kind::fviAll, rtl::Null(), u"(All)");
    for (int v : c.present) list->Add(Kind::fviValue, Variant(v), rtl::VarToStr(Variant(v)));
  }
  std::vector<data::TcxFilterValueEntry> entriesToAdd;
  for (int v : c.values) {
    single.Add(Kind::fviValue, Variant(v), rtl::VarToStr(Variant(v)));
    entriesToAdd.push_back({Variant(v), rtl::VarToStr(Variant(v))});
  }
  bulk.AddValues(entriesToAdd);
  EXPECT_EQ(entries(bulk), entries(single));
}

void PrintTo(const BulkCase& c, std::ostream* os) { *os << c.name; }

const BulkCase kBulk[] = {
    {"Unlimited", {5, 3, 9, 3, 1, 5, 7}, 0, {}},
    {"LimitKeepsTheFirstComers", {5, 3, 9, 3, 1, 5, 7, 0}, 4, {}},
    {"LimitWithValuesPresent", {8, 2, 6, 4, 2}, 5, {6, 1}},
    {"FullAlready", {1, 2}, 2, {7}},
    {"MergesAroundPresentValues", {10, 0, 5, 5}, 0, {3, 7}},
};
INSTANTIATE_TEST_SUITE_P(Lists, ValueListBulk, testing::ValuesIn(kBulk),
                         [](const testing::TestParamInfo<BulkCase>& i) { return std::string(i.param.name); });

TEST(DataFilterCriteria, FiltersOnlyWhenActiveAndNotEmpty) {
  FilterColumn column(integer(), {Variant(1), Variant(5), rtl::Null()});
  data::TcxDataFilterCriteria* filter = column.filter();
  EXPECT_FALSE(filter->IsFiltering());
  filter->SetActive(true);
  EXPECT_FALSE(filter->IsFiltering());  // empty
  filter->Root()->AddItem(column.item(0), TcxFilterOperatorKind::foGreater, Variant(2), u"2");
  EXPECT_TRUE(filter->IsFiltering());
  EXPECT_EQ((std::vector<bool>{filter->DoFilterRecord(0), filter->DoFilterRecord(1), filter->DoFilterRecord(2)}),
            (std::vector<bool>{false, true, false}));
  filter->SetActive(false);
  EXPECT_FALSE(filter->IsFiltering());
}

TEST(DataFilterCriteria, ConditionsLinkToFieldsAndAnswerTheirItem) {
  FilterColumn column(integer());
  data::TcxFilterCriteriaItem* condition =
      column.filter()->Root()->AddItem(column.item(0), TcxFilterOperatorKind::foEqual, Variant(1), u"1");
  EXPECT_EQ(condition->ItemLink(), column.controller.GetItemField(0));
  EXPECT_EQ(condition->GetItemLink(), column.item(0));
  EXPECT_EQ(column.filter()->FindItemByItemLink(column.item(0)), condition);
}

TEST(DataFilterCriteria, ComparesDisplayTextsWhenAsked) {
  FilterColumn column(integer(), {Variant(12), Variant(3)});
  data::TcxDataFilterCriteria* filter = column.filter();
  filter->SetCompareByDisplayValues(true);
  filter->Root()->AddItem(column.item(0), TcxFilterOperatorKind::foLike, Variant(u"1%"), u"1%");
  EXPECT_TRUE(filter->DoFilterRecord(0));
  EXPECT_FALSE(filter->DoFilterRecord(1));
}

TEST(DataFilterCriteria, BinaryFormRoundTripsThroughTheControllersItems) {
  FilterColumn source(integer());
  source.controller.addItem(text());
  data::TcxFilterCriteriaItemList* list =
      source.filter()->Root()->AddItemList(data::TcxFilterBoolOperatorKind::fboOr);
  list->AddItem(source.item(1), TcxFilterOperatorKind::foLike, Variant(u"a%"), u"a%");
  list->AddItem(source.item(0), TcxFilterOperatorKind::foLess, Variant(4), u"4");
  rtl::TMemoryStream once, twice;
  source.filter()->WriteData(&once);

  FilterColumn target(integer());
  target.controller.addItem(text());
  once.SetPosition(0);
  target.filter()->ReadData(&once);
  target.filter()->WriteData(&twice);
  EXPECT_TRUE(data::TcxFilterCriteria::StreamsEqual(&once, &twice));
  auto* read = static_cast<data::TcxFilterCriteriaItemList*>(target.filter()->Root()->Items(0));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(static_cast<data::TcxFilterCriteriaItem*>(read->Items(0))->GetItemLink(), target.item(1));
  EXPECT_EQ(target.filter()->Version(), data::cxDataFilterVersion);
}

TEST(DataFilterCriteria, ComponentFormCarriesTheTreeAsCriteriaProperty) {
  FilterColumn source(integer(), {Variant(1), Variant(9)});
  source.filter()->Root()->AddItem(source.item(0), TcxFilterOperatorKind::foGreater, Variant(4), u"4");
  rtl::TMemoryStream form;
  source.filter()->SaveToStream(&form);
  const std::string bytes(static_cast<const char*>(form.Memory()), static_cast<std::size_t>(form.Size()));
  EXPECT_NE(bytes.find("Criteria"), std::string::npos);

  FilterColumn target(integer(), {Variant(1), Variant(9)});
  form.SetPosition(0);
  target.filter()->LoadFromStream(&form);
  ASSERT_EQ(target.filter()->Root()->Count(), 1);
  EXPECT_FALSE(target.filter()->DoFilterRecord(0));
  EXPECT_TRUE(target.filter()->DoFilterRecord(1));
}

TEST(DataFilterCriteria, ChangesReachTheControllerUnlessInternal) {
  FilterColumn column(integer(), {Variant(1)});
  int changes = 0;
  auto counter = rtl::TNotifyEvent::fromClosure(&changes, [&changes](rtl::TObject*) { ++changes; });
  column.filter()->SetOnChanged(counter);
  column.filter()->Root()->AddItem(column.item(0), TcxFilterOperatorKind::foEqual, Variant(1), u"1");
  EXPECT_EQ(changes, 1);

  data::TcxDataFilterCriteria* internal = column.controller.Filters()->Add(column.controller.CreateFilter());
  internal->SetOnChanged(counter);
  internal->Root()->AddItem(column.item(0), TcxFilterOperatorKind::foEqual, Variant(1), u"1");
  EXPECT_EQ(changes, 1);
  column.controller.Filters()->Clear();
  EXPECT_EQ(column.controller.Filters()->Count(), 0);
}

TEST(DataFilterCriteria, RemovedItemTakesItsConditionsAlong) {
  FilterColumn column(integer());
  column.controller.addItem(text());
  column.filter()->Root()->AddItem(column.item(0), TcxFilterOperatorKind::foEqual, Variant(1), u"1");
  column.filter()->Root()->AddItem(column.item(1), TcxFilterOperatorKind::foEqual, Variant(u"x"), u"x");
  column.controller.RemoveItem(column.item(0));
  ASSERT_EQ(column.filter()->Root()->Count(), 1);
  EXPECT_EQ(static_cast<data::TcxFilterCriteriaItem*>(column.filter()->Root()->Items(0))->GetItemLink(),
            column.item(1));
}

// A controller whose provider runs in grid mode.
class GridModeProvider : public data::TcxCustomDataProvider {
 public:
  using TcxCustomDataProvider::TcxCustomDataProvider;
  bool IsGridMode() const override { return true; }
};

class GridModeController : public data::TcxCustomDataController {
 public:
  explicit GridModeController(rtl::TComponent* owner) : TcxCustomDataController(owner, parts()) {
    ActiveChanged(true);
    AddItem(&item);
  }
  rtl::TObject* GetItem(int) const override { return const_cast<rtl::TComponent*>(&item); }
  int GetItemCount() const override { return 1; }
  rtl::TComponent item{nullptr};

 private:
  static data::TcxDataControllerParts parts() {
    data::TcxDataControllerParts p = data::TcxDataControllerParts::Default();
    p.DataProvider = [](data::TcxCustomDataController* c) { return std::make_unique<GridModeProvider>(c); };
    return p;
  }
};

TEST(DataFilterCriteria, GridModeListsBlanksWithoutValuesAndDoesNotFilter) {
  rtl::TComponent owner(nullptr);
  GridModeController controller(&owner);
  data::TcxDataFilterCriteria* filter = controller.Filter();
  filter->SetActive(true);
  filter->Root()->AddItem(&controller.item, TcxFilterOperatorKind::foEqual, Variant(1), u"1");
  EXPECT_FALSE(filter->IsFiltering());
  auto list = filter->CreateValueList();
  list->Load(0);
  EXPECT_EQ(entries(*list), (std::vector<std::string>{"(All)", "(Custom...)", "(Blanks)", "(NonBlanks)"}));
}

}  // namespace
