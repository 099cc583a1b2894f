// Bookmarks, Locate/Lookup and filters.
#include <gtest/gtest.h>

#include "tests/db/db_test_util.h"

using namespace dbtest;

namespace {

TEST(Bookmarks, StayValidWhileOtherRecordsComeAndGo) {
  auto ds = makeNumbered(5);
  ds->SetRecNo(3);
  db::TBookmark three = ds->GetBookmark();
  ds->SetRecNo(5);
  db::TBookmark five = ds->GetBookmark();
  ds->First();
  ds->Insert();
  ds->FieldByName(u"ID")->SetAsInteger(0);
  ds->Post();
  ds->Locate(u"ID", Variant(4));
  ds->Delete();
  EXPECT_TRUE(ds->BookmarkValid(three));
  ds->GotoBookmark(three);
  EXPECT_EQ(ds->FieldByName(u"ID")->AsInteger(), 3);
  EXPECT_EQ(ds->RecNo(), 4);
  ds->GotoBookmark(five);
  EXPECT_EQ(ds->FieldByName(u"ID")->AsInteger(), 5);
  ds->Delete();
  EXPECT_FALSE(ds->BookmarkValid(five));
  EXPECT_THROW(ds->GotoBookmark(five), db::EDatabaseError);
  EXPECT_TRUE(ds->BookmarkValid(three));
}

TEST(Bookmarks, CompareInDatasetOrderNotCreationOrder) {
  auto ds = makeNumbered(3);
  ds->Last();
  db::TBookmark last = ds->Bookmark();
  ds->First();
  ds->Insert();  // created after the others, shown first
  ds->FieldByName(u"ID")->SetAsInteger(99);
  ds->Post();
  db::TBookmark newest = ds->Bookmark();
  ds->Next();
  db::TBookmark one = ds->Bookmark();
  EXPECT_EQ(ds->CompareBookmarks(newest, one), -1);
  EXPECT_EQ(ds->CompareBookmarks(last, one), 1);
  EXPECT_EQ(ds->CompareBookmarks(one, one), 0);
  EXPECT_EQ(ds->CompareBookmarks({}, one), -1);
  EXPECT_EQ(ds->CompareBookmarks(one, {}), 1);
  EXPECT_EQ(ds->CompareBookmarks({}, {}), 0);
  ds->SetIndexFieldNames(u"ID");  // a new order changes the comparison
  EXPECT_EQ(ds->CompareBookmarks(newest, one), 1);
}

TEST(Bookmarks, NoBookmarkForAnUnpostedRecord) {
  auto ds = makeNumbered(1);
  EXPECT_TRUE(ds->BookmarkAvailable());
  ds->Append();
  EXPECT_FALSE(ds->BookmarkAvailable());
  EXPECT_TRUE(ds->GetBookmark().empty());
}

struct LocateCase {
  const char* name;
  const char16_t* fields;
  Variant values;
  db::TLocateOptions options;
  int foundId;  // 0: not found
};

class LocateTable : public testing::TestWithParam<LocateCase> {};

TEST_P(LocateTable, FindsTheFirstMatch) {
  const LocateCase& c = GetParam();
  auto ds = makeNumbered(0);
  const char16_t* names[] = {u"Ana", u"anabela", u"Bruno", u"ana", u"Carla"};
  for (int i = 0; i < 5; ++i) ds->AppendRecord({Variant(i + 1), Variant(names[i]), Variant(i % 2 * 1.0)});
  ds->Last();
  bool found = ds->Locate(c.fields, c.values, c.options);
  EXPECT_EQ(found, c.foundId != 0);
  EXPECT_EQ(ds->FieldByName(u"ID")->AsInteger(), c.foundId ? c.foundId : 5);  // stays put when not found
}

INSTANTIATE_TEST_SUITE_P(
    Dataset, LocateTable,
    testing::Values(
        LocateCase{"Exact", u"NAME", Variant(u"ana"), {}, 4},
        LocateCase{"CaseInsensitive", u"name", Variant(u"ANA"), {db::loCaseInsensitive}, 1},
        LocateCase{"Partial", u"NAME", Variant(u"an"), {db::loPartialKey}, 2},
        LocateCase{"PartialCaseInsensitive", u"NAME", Variant(u"AN"), {db::loPartialKey, db::loCaseInsensitive}, 1},
        LocateCase{"NoMatch", u"NAME", Variant(u"Zé"), {}, 0},
        LocateCase{"IntegerFromText", u"ID", Variant(u"3"), {}, 3},
        LocateCase{"BadTextForIntegerIsNoMatch", u"ID", Variant(u"x"), {}, 0},
        LocateCase{"TwoFields", u"AMOUNT;NAME", rtl::VarArrayOf({Variant(0.0), Variant(u"Carla")}), {}, 5},
        LocateCase{"TwoFieldsNeedAnArray", u"AMOUNT;NAME", Variant(0.0), {}, 0},
        LocateCase{"NullMatchesNull", u"WHEN", rtl::Null(), {}, 1}),
    [](const testing::TestParamInfo<LocateCase>& i) { return std::string(i.param.name); });

TEST(Locate, LookupAnswersWithoutMoving) {
  auto ds = makeNumbered(4);
  ds->SetRecNo(2);
  EXPECT_EQ(ds->Lookup(u"ID", Variant(4), u"NAME").AsString(), u"name4");
  Variant both = ds->Lookup(u"NAME", Variant(u"name3"), u"ID;AMOUNT");
  EXPECT_EQ(both[0].AsInteger(), 3);
  EXPECT_DOUBLE_EQ(both[1].AsDouble(), 4.5);
  EXPECT_TRUE(rtl::VarIsNull(ds->Lookup(u"ID", Variant(40), u"NAME")));
  EXPECT_EQ(ds->RecNo(), 2);
}

TEST(Filter, ExpressionShowsOnlyMatchingRecords) {
  auto ds = makeNumbered(10);
  ds->SetFilter(u"ID > 3 and (NAME = 'name5' or AMOUNT >= 12) and not ID = 9");
  ds->SetFiltered(true);
  std::vector<int> seen;
  for (ds->First(); !ds->Eof(); ds->Next()) seen.push_back(ds->FieldByName(u"ID")->AsInteger());
  EXPECT_EQ(seen, (std::vector<int>{5, 8, 10}));
  EXPECT_EQ(ds->RecordCount(), 3);
  ds->SetFiltered(false);
  EXPECT_EQ(ds->RecordCount(), 10);
}

TEST(Filter, PartialTextAndCaseOptions) {
  auto ds = makeNumbered(12);
  ds->SetFilter(u"NAME = 'NAME1*'");
  ds->SetFiltered(true);
  EXPECT_EQ(ds->RecordCount(), 0);
  ds->SetFilterOptions({db::foCaseInsensitive});
  EXPECT_EQ(ds->RecordCount(), 4);  // name1, name10, name11, name12
  ds->SetFilterOptions({db::foCaseInsensitive, db::foNoPartialCompare});
  EXPECT_EQ(ds->RecordCount(), 0);
}

TEST(Filter, BadExpressionKeepsTheOldFilter) {
  auto ds = makeNumbered(5);
  ds->SetFilter(u"ID < 3");
  ds->SetFiltered(true);
  EXPECT_THROW(ds->SetFilter(u"ID < "), db::EDatabaseError);
  EXPECT_EQ(ds->Filter(), u"ID < 3");
  EXPECT_EQ(ds->RecordCount(), 2);
}

TEST(Filter, OnFilterRecordSeesEachRecordInFilterState) {
  auto ds = makeNumbered(6);
  ds->SetOnFilterRecord(db::TFilterRecordEvent::fromClosure(ds.get(), [](db::TDataSet* d, bool& accept) {
    EXPECT_EQ(d->State(), db::dsFilter);
    accept = d->FieldByName(u"ID")->AsInteger() % 2 == 0;
  }));
  ds->SetFiltered(true);
  EXPECT_EQ(ds->RecordCount(), 3);
  EXPECT_EQ(ds->FieldByName(u"ID")->AsInteger(), 2);
  // A posted record that no longer passes leaves the view.
  ds->Edit();
  ds->FieldByName(u"ID")->SetAsInteger(7);
  ds->Post();
  EXPECT_EQ(ds->RecordCount(), 2);
}

TEST(Filter, NullTestsAndDates) {
  auto ds = makeNumbered(3);
  ds->Edit();
  ds->FieldByName(u"NAME")->Clear();
  ds->Post();
  ds->SetFilter(u"NAME is null");
  ds->SetFiltered(true);
  EXPECT_EQ(ds->RecordCount(), 1);
  ds->SetFilter(u"[NAME] IS NOT NULL and WHEN > '2023-03-15'");  // 45000 is 2023-03-15
  EXPECT_EQ(ds->RecordCount(), 2);
}

}  // namespace

namespace {

TEST(Filter, UnknownFieldIsRefusedAndTheDatasetStaysUsable) {
  auto ds = makeNumbered(4);
  ds->SetFilter(u"ID > 2");
  ds->SetFiltered(true);
  EXPECT_THROW(ds->SetFilter(u"NOPE = 1"), db::EDatabaseError);
  EXPECT_EQ(ds->Filter(), u"ID > 2");
  ds->Append();
  ds->FieldByName(u"ID")->SetAsInteger(9);
  ds->Post();
  EXPECT_EQ(ds->RecordCount(), 3);
}

}  // namespace
