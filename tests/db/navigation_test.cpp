// Cursor movement, record counts, Bof/Eof and MoveBy distances.
#include <gtest/gtest.h>

#include "platform/rtl/stringlist.h"
#include "tests/db/db_test_util.h"

using namespace dbtest;

namespace {

struct MoveCase {
  const char* name;
  int startRecNo;  // 0: after First
  int distance;
  int moved;
  int recNo;
  bool bof;
  bool eof;
};

class MoveByTable : public testing::TestWithParam<MoveCase> {};

TEST_P(MoveByTable, MovesAndSetsBofEof) {
  const MoveCase& c = GetParam();
  auto ds = makeNumbered(10);
  if (c.startRecNo > 0) ds->SetRecNo(c.startRecNo);
  EXPECT_EQ(ds->MoveBy(c.distance), c.moved);
  EXPECT_EQ(ds->RecNo(), c.recNo);
  EXPECT_EQ(ds->Bof(), c.bof);
  EXPECT_EQ(ds->Eof(), c.eof);
  EXPECT_EQ(ds->FieldByName(u"ID")->AsInteger(), c.recNo);
}

INSTANTIATE_TEST_SUITE_P(
    Dataset, MoveByTable,
    testing::Values(MoveCase{"ForwardWithin", 0, 3, 3, 4, false, false},
                    MoveCase{"ForwardExactlyToLast", 0, 9, 9, 10, false, false},
                    MoveCase{"ForwardPastEnd", 0, 50, 9, 10, false, true},
                    MoveCase{"BackwardWithin", 8, -5, -5, 3, false, false},
                    MoveCase{"BackwardPastStart", 8, -50, -7, 1, true, false},
                    MoveCase{"BackwardFromFirstStaysBof", 0, -1, 0, 1, true, false},
                    MoveCase{"ZeroDoesNothing", 5, 0, 0, 5, false, false}),
    [](const testing::TestParamInfo<MoveCase>& i) { return std::string(i.param.name); });

TEST(Dataset, FirstLastNextPriorWalkTheRecords) {
  auto ds = makeNumbered(5);
  EXPECT_TRUE(ds->Bof());
  EXPECT_FALSE(ds->Eof());
  std::vector<int> seen;
  while (!ds->Eof()) {
    seen.push_back(ds->FieldByName(u"ID")->AsInteger());
    ds->Next();
  }
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5}));
  ds->Last();
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(ds->RecNo(), 5);
  std::vector<int> back;
  while (!ds->Bof()) {
    back.push_back(ds->FieldByName(u"ID")->AsInteger());
    ds->Prior();
  }
  EXPECT_EQ(back, (std::vector<int>{5, 4, 3, 2, 1}));
  EXPECT_EQ(ds->RecordCount(), 5);
}

TEST(Dataset, EmptyDatasetIsBofAndEof) {
  auto ds = makeNumbered(0);
  EXPECT_TRUE(ds->IsEmpty());
  EXPECT_TRUE(ds->Bof());
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(ds->RecNo(), 0);
  EXPECT_EQ(ds->MoveBy(3), 0);
  EXPECT_TRUE(ds->FieldByName(u"ID")->IsNull());
  EXPECT_THROW(ds->Delete(), db::EDatabaseError);
}

TEST(Dataset, ClosedDatasetRefusesNavigationWithItsName) {
  auto ds = makeNumbered(3);
  ds->Close();
  try {
    ds->Next();
    FAIL();
  } catch (const db::EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Numbers: Cannot perform this operation on a closed dataset");
  }
  EXPECT_EQ(ds->RecordCount(), 0);
}

TEST(Dataset, ScrollEventsFireAroundEveryMove) {
  auto ds = makeNumbered(3);
  std::vector<std::string> log;
  ds->SetBeforeScroll(db::TDataSetNotifyEvent::fromClosure(&log, [&](db::TDataSet* d) {
    log.push_back("before " + std::to_string(d->RecNo()));
  }));
  ds->SetAfterScroll(db::TDataSetNotifyEvent::fromClosure(&log, [&](db::TDataSet* d) {
    log.push_back("after " + std::to_string(d->RecNo()));
  }));
  ds->Next();
  ds->Last();
  EXPECT_EQ(log, (std::vector<std::string>{"before 1", "after 2", "before 2", "after 3"}));
}

TEST(Dataset, FieldByNameIgnoresCaseAndNamesTheMissingField) {
  auto ds = makeNumbered(1);
  EXPECT_EQ(ds->FieldByName(u"name"), ds->FieldByName(u"NAME"));
  EXPECT_EQ(ds->FindField(u"Amount"), ds->Fields()->Fields(2));
  EXPECT_EQ(ds->FindField(u"nothing"), nullptr);
  try {
    ds->FieldByName(u"Nothing");
    FAIL();
  } catch (const db::EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Numbers: Field 'Nothing' not found");
  }
  std::vector<db::TField*> list;
  ds->GetFieldList(list, u"when;id");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0]->FieldName(), u"WHEN");
  EXPECT_EQ(list[1]->FieldName(), u"ID");
  rtl::TStringList names;
  ds->GetFieldNames(&names);
  EXPECT_EQ(names.Text(), u"ID\nNAME\nAMOUNT\nWHEN\n");
}

TEST(Dataset, DefaultFieldsFollowTheFieldDefsAndGoOnClose) {
  auto ds = makeNumbered(1);
  EXPECT_TRUE(ds->DefaultFields());
  EXPECT_TRUE(ds->FieldByName(u"ID")->Is<db::TIntegerField>());
  EXPECT_TRUE(ds->FieldByName(u"WHEN")->Is<db::TDateTimeField>());
  EXPECT_EQ(ds->FieldCount(), 4);
  ds->Close();
  EXPECT_EQ(ds->FieldCount(), 0);
}

TEST(Dataset, PersistentFieldsAreKeptAndBoundByName) {
  db::TCustomMemDataSet ds(nullptr);
  auto* id = new db::TIntegerField(&ds);
  id->SetFieldName(u"id");
  id->SetDataSet(&ds);
  auto* name = new db::TStringField(&ds);
  name->SetFieldName(u"Name");
  name->SetDataSet(&ds);
  ds.CreateDataSet();
  EXPECT_FALSE(ds.DefaultFields());
  ds.AppendRecord({Variant(7), Variant(u"seven")});
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 7);
  ds.Close();
  EXPECT_EQ(ds.FieldCount(), 2);  // persistent fields stay
  ds.FieldDefs()->Clear();
  ds.FieldDefs()->Add(u"ID", db::ftInteger);
  auto* extra = new db::TStringField(&ds);
  extra->SetFieldName(u"MISSING");
  extra->SetDataSet(&ds);
  EXPECT_THROW(ds.Open(), db::EDatabaseError);
  EXPECT_FALSE(ds.Active());
}

}  // namespace
