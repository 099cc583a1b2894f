// The dataset-bound controller over memory tables: loaded mode, grid mode's
// window, editing through the dataset, filter texts handed to the dataset,
// and the routines and bookmark list beside them.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "lib/data/cxDBData.h"
#include "platform/db/db.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

namespace {

using data::TcxDBDataController;
using data::TcxFilterOperatorKind;
using rtl::String;
using rtl::Variant;

class DbTestController : public TcxDBDataController {
 public:
  DbTestController() : TcxDBDataController(nullptr) {}
  rtl::TObject* GetItem(int index) const override { return items.at(static_cast<size_t>(index)).get(); }
  int addItem(const String& fieldName) {
    items.push_back(std::make_unique<rtl::TComponent>(nullptr));
    items.back()->SetName(fieldName.empty() ? String(u"unbound") : fieldName);
    const int index = AddItem(items.back().get())->GetIndex();
    ChangeFieldName(index, fieldName);
    return index;
  }
  std::vector<std::unique_ptr<rtl::TComponent>> items;
};

// ID 1..N, NAME "n<ID>", AMOUNT ID*1.5, CITY cycling through four names
// (one of them null).
std::unique_ptr<db::TCustomMemDataSet> makeTable(int rows) {
  auto ds = std::make_unique<db::TCustomMemDataSet>(nullptr);
  ds->FieldDefs()->Add(u"ID", db::ftInteger);
  ds->FieldDefs()->Add(u"NAME", db::ftString, 20);
  ds->FieldDefs()->Add(u"AMOUNT", db::ftFloat);
  ds->FieldDefs()->Add(u"CITY", db::ftString, 20);
  ds->CreateDataSet();
  static const char16_t* const cities[] = {u"Porto", u"Lisboa", nullptr, u"Braga"};
  for (int i = 1; i <= rows; ++i) {
    const char16_t* city = cities[i % 4];
    ds->AppendRecord({Variant(i), Variant(u"n" + rtl::IntToStr(i)), Variant(i * 1.5),
                      city ? Variant(String(city)) : rtl::Null()});
  }
  ds->First();
  return ds;
}

class DbDataFixture : public testing::Test {
 protected:
  void bind(int rows, bool gridMode, int bufferCount = 0) {
    table = makeTable(rows);
    source = std::make_unique<db::TDataSource>(nullptr);
    source->SetDataSet(table.get());
    dc = std::make_unique<DbTestController>();
    id = dc->addItem(u"ID");
    name = dc->addItem(u"NAME");
    amount = dc->addItem(u"AMOUNT");
    city = dc->addItem(u"CITY");
    dc->DataModeController()->SetGridModeBufferCount(bufferCount);
    dc->DataModeController()->SetGridMode(gridMode);
    dc->SetDataSource(source.get());
  }
  void TearDown() override {
    dc.reset();
    source.reset();
    table.reset();
  }
  int focusedId() { return dc->GetValue(dc->GetFocusedRecordIndex(), id).AsInteger(); }
  int currentId() { return table->FieldByName(u"ID")->AsInteger(); }
  std::set<int> rowIds() {
    std::set<int> ids;
    for (int r = 0; r < dc->GetRowCount(); ++r) ids.insert(dc->GetValue(dc->GetRowInfo(r).RecordIndex, id).AsInteger());
    return ids;
  }

  std::unique_ptr<db::TCustomMemDataSet> table;
  std::unique_ptr<db::TDataSource> source;
  std::unique_ptr<DbTestController> dc;
  int id = -1, name = -1, amount = -1, city = -1;
};

// --- loaded mode ------------------------------------------------------------------------------
TEST_F(DbDataFixture, LoadedModeReadsEveryRecordWithTheFieldsTypes) {
  bind(10, false);
  EXPECT_FALSE(dc->IsGridMode());
  ASSERT_EQ(dc->GetRecordCount(), 10);
  EXPECT_EQ(dc->GetValue(3, id).AsInteger(), 4);
  EXPECT_EQ(dc->GetValue(3, name), Variant(u"n4"));
  EXPECT_DOUBLE_EQ(dc->GetValue(3, amount).AsDouble(), 6.0);
  EXPECT_TRUE(rtl::VarIsNull(dc->GetValue(1, city)));
  EXPECT_EQ(dc->GetItemValueTypeClass(id), data::TcxIntegerValueType::Instance());
  EXPECT_EQ(dc->GetItemValueTypeClass(amount), data::TcxFloatValueType::Instance());
  EXPECT_EQ(dc->GetItemField(name), table->FieldByName(u"NAME"));
  // The link buffers one record in loaded mode.
  EXPECT_EQ(dc->Provider()->DataLink()->BufferCount(), 1);
}

TEST_F(DbDataFixture, LoadedModeFocusFollowsTheCursorAndMovesIt) {
  bind(10, false);
  table->MoveBy(4);
  EXPECT_EQ(focusedId(), 5);
  dc->ChangeFocusedRowIndex(7);
  EXPECT_EQ(currentId(), 8);
  dc->GotoFirst();
  EXPECT_EQ(currentId(), 1);
  EXPECT_EQ(focusedId(), 1);
}

TEST_F(DbDataFixture, AppendedDatasetRecordReloadsLoadedMode) {
  bind(5, false);
  table->AppendRecord({Variant(6), Variant(u"six"), Variant(9.0), rtl::Null()});
  ASSERT_EQ(dc->GetRecordCount(), 6);
  EXPECT_EQ(rowIds(), (std::set<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(focusedId(), 6);
}

TEST_F(DbDataFixture, TwoItemsOnOneFieldShareItsValues) {
  bind(3, false);
  const int again = dc->addItem(u"name");  // a name differing in case only
  EXPECT_NE(dc->DBField(again)->ReferenceField(), nullptr);
  EXPECT_EQ(dc->GetValue(2, again), Variant(u"n3"));
  EXPECT_EQ(dc->GetItemByFieldName(u"name"), dc->GetItem(name));
}

// --- keys -------------------------------------------------------------------------------------
TEST_F(DbDataFixture, LocateByKeyInLoadedModeFocusesOrClearsTheFocus) {
  bind(10, false);
  dc->SetKeyFieldNames(u"ID");
  ASSERT_TRUE(dc->IsKeyNavigation());
  EXPECT_TRUE(dc->LocateByKey(Variant(7)));
  EXPECT_EQ(focusedId(), 7);
  EXPECT_EQ(currentId(), 7);
  EXPECT_FALSE(dc->LocateByKey(Variant(99)));
  EXPECT_EQ(dc->GetFocusedRowIndex(), -1);
}

TEST_F(DbDataFixture, CompositeKeyNeedsAnArrayOfAsManyValues) {
  bind(6, false);
  dc->SetKeyFieldNames(u"ID;NAME");
  ASSERT_EQ(dc->KeyField()->FieldCount(), 2);
  EXPECT_EQ(dc->FindRecordIndexByKey(rtl::VarArrayOf({Variant(4), Variant(u"n4")})), 3);
  EXPECT_EQ(dc->FindRecordIndexByKey(Variant(4)), -1);                        // not an array
  EXPECT_EQ(dc->FindRecordIndexByKey(rtl::VarArrayOf({Variant(4)})), -1);     // too short
  EXPECT_EQ(dc->FindRecordIndexByKey(rtl::VarArrayOf({Variant(4), Variant(u"n5")})), -1);
  table->MoveBy(2);
  const Variant current = dc->GetKeyFieldsValues();
  ASSERT_TRUE(rtl::VarIsArray(current));
  EXPECT_EQ(rtl::VarArrayGet(current, 1), Variant(u"n3"));
}

TEST_F(DbDataFixture, KeyFieldWithoutDatasetFieldRaises) {
  bind(3, false);
  dc->SetKeyFieldNames(u"NOPE");
  EXPECT_THROW(dc->GetKeyFieldsValues(), data::EcxInvalidDataControllerOperation);
}

// --- grid mode --------------------------------------------------------------------------------
TEST_F(DbDataFixture, GridModeHoldsOnlyTheLinksWindow) {
  bind(250, true);
  ASSERT_TRUE(dc->IsGridMode());
  EXPECT_EQ(dc->Provider()->DataLink()->BufferCount(), 100);
  EXPECT_EQ(dc->GetRecordCount(), 100);
  EXPECT_EQ(dc->GetActiveRecordIndex(), 0);
  EXPECT_EQ(dc->GetDataRowCount(), 250);
  table->MoveBy(149);  // record 150: the window is rows 51..150
  EXPECT_EQ(dc->GetRecordCount(), 100);
  EXPECT_EQ(dc->GetActiveRecordIndex(), 99);
  EXPECT_EQ(dc->GetValue(0, id).AsInteger(), 51);
  EXPECT_EQ(dc->GetDisplayText(99, name), u"n150");
  EXPECT_EQ(focusedId(), 150);
  EXPECT_EQ(dc->GetFocusedDataRowIndex(), 149);
  // Reading the window put the cursor back where it was.
  EXPECT_EQ(currentId(), 150);
}

TEST_F(DbDataFixture, GridModeScrollMovesPastTheWindowsEdges) {
  bind(250, true);
  table->MoveBy(110);  // record 111 at the bottom row of rows 12..111
  table->MoveBy(-89);  // record 22: buffer row 10
  ASSERT_EQ(dc->GetActiveRecordIndex(), 10);
  dc->Scroll(5);  // to 5 rows below the window's last row: +94
  EXPECT_EQ(currentId(), 22 + 94);
  EXPECT_EQ(dc->GetValue(dc->GetRecordCount() - 1, id).AsInteger(), 116);
  const int active = dc->GetActiveRecordIndex();
  dc->Scroll(-5);  // 5 rows above the window's first row
  EXPECT_EQ(currentId(), 116 - 5 - active);
  EXPECT_EQ(dc->GetValue(0, id).AsInteger(), currentId());
}

TEST_F(DbDataFixture, GridModeBufferCountSetting) {
  bind(50, true, 20);
  EXPECT_EQ(dc->GetRecordCount(), 20);
  dc->DataModeController()->SetGridModeBufferCount(-3);  // stored as 0: the default window
  EXPECT_EQ(dc->DataModeController()->GridModeBufferCount(), 0);
  EXPECT_EQ(dc->GetRecordCount(), 50);
}

TEST_F(DbDataFixture, GridModeOnAUnidirectionalDatasetStaysOff) {
  class OneWay : public db::TCustomMemDataSet {
   public:
    OneWay() : TCustomMemDataSet(nullptr) {}
    bool IsUniDirectional() const override { return true; }
  } oneWay;
  oneWay.FieldDefs()->Add(u"ID", db::ftInteger);
  oneWay.CreateDataSet();
  db::TDataSource src(nullptr);
  src.SetDataSet(&oneWay);
  DbTestController c;
  c.addItem(u"ID");
  c.SetDataSource(&src);
  c.DataModeController()->SetGridMode(true);
  EXPECT_TRUE(c.DataModeController()->GridMode());
  EXPECT_FALSE(c.IsGridMode());
  c.SetDataSource(nullptr);
}

TEST_F(DbDataFixture, GridModeFollowsACloseAndTheRecordsOfTheNextOpen) {
  bind(30, true, 10);
  table->MoveBy(25);
  table->Close();
  EXPECT_EQ(dc->GetRecordCount(), 0);
  EXPECT_EQ(dc->GetItemField(id), nullptr);  // default fields are let go on a close
  table->Open();  // a memory table opens empty
  EXPECT_EQ(dc->GetRecordCount(), 0);
  for (int i = 101; i <= 104; ++i) table->AppendRecord({Variant(i), Variant(u"x"), Variant(1.0), rtl::Null()});
  ASSERT_EQ(dc->GetRecordCount(), 4);
  EXPECT_EQ(dc->GetItemField(id), table->FieldByName(u"ID"));
  EXPECT_EQ(dc->GetValue(0, id).AsInteger(), 101);
  EXPECT_EQ(focusedId(), 104);
}

TEST_F(DbDataFixture, GridModeLocateByKeyOutsideTheWindowMovesTheDataset) {
  bind(500, true);
  dc->SetKeyFieldNames(u"ID");
  EXPECT_FALSE(dc->IsKeyNavigation());  // grid mode locates through the dataset
  EXPECT_TRUE(dc->LocateByKey(Variant(420)));
  EXPECT_EQ(currentId(), 420);
  EXPECT_EQ(focusedId(), 420);
  EXPECT_FALSE(dc->LocateByKey(Variant(9999)));
  EXPECT_FALSE(dc->LocateByKey(rtl::VarArrayOf({Variant(1), Variant(2)})));  // wrong shape
  EXPECT_EQ(currentId(), 420);
}

TEST_F(DbDataFixture, GridModeSeesAPostedChangeWithoutAReload) {
  bind(30, true, 10);
  table->MoveBy(3);
  table->Edit();
  table->FieldByName(u"NAME")->SetAsString(u"changed");
  table->Post();
  EXPECT_EQ(dc->GetValue(3, name), Variant(u"changed"));
  EXPECT_EQ(focusedId(), 4);
}

TEST_F(DbDataFixture, SwitchingGridModeRestructures) {
  bind(150, false);
  ASSERT_EQ(dc->GetRecordCount(), 150);
  int reported = 0;
  dc->FOnGridModeChanged = rtl::TNotifyEvent::fromClosure(this, [&](rtl::TObject*) { ++reported; });
  dc->DataModeController()->SetGridMode(true);
  EXPECT_EQ(dc->GetRecordCount(), 100);
  dc->DataModeController()->SetGridMode(false);
  EXPECT_EQ(dc->GetRecordCount(), 150);
  EXPECT_EQ(dc->Provider()->DataLink()->BufferCount(), 1);
}

TEST_F(DbDataFixture, RestorePosPutsTheRecordBackOnItsBufferRow) {
  bind(250, true);
  table->MoveBy(7);
  data::TcxDBDataProvider* p = dc->Provider();
  p->SavePos();
  table->Last();
  p->RestorePos();  // the jump lands the record on row 0; it had row 7
  EXPECT_EQ(currentId(), 8);
  EXPECT_EQ(p->DataLink()->ActiveRecord(), 7);
  EXPECT_EQ(dc->GetValue(0, id).AsInteger(), 1);
}

// While one controller of a dataset is frozen, another skips the dataset's
// change and takes it once the first one thaws.
TEST_F(DbDataFixture, SecondControllerWaitsForTheFrozenOne) {
  bind(5, false);
  DbTestController other;
  const int otherId = other.addItem(u"ID");
  other.SetDataSource(source.get());
  ASSERT_EQ(other.GetRecordCount(), 5);
  dc->Provider()->Freeze();
  table->AppendRecord({Variant(6), Variant(u"six"), Variant(9.0), rtl::Null()});
  EXPECT_EQ(other.GetRecordCount(), 5);
  dc->Provider()->Unfreeze();
  EXPECT_EQ(other.GetRecordCount(), 6);
  EXPECT_EQ(other.GetValue(5, otherId).AsInteger(), 6);
  other.SetDataSource(nullptr);
}

// --- editing --------------------------------------------------------------------------------------
struct DbEditCase {
  const char* name;
  bool gridMode;
};

class DbEditing : public DbDataFixture, public testing::WithParamInterface<DbEditCase> {};

TEST_P(DbEditing, PostWritesTheDataset) {
  bind(8, GetParam().gridMode);
  dc->ChangeFocusedRowIndex(2);
  dc->Edit();
  ASSERT_EQ(table->State(), db::dsEdit);
  dc->SetEditValue(name, Variant(u"edited"), data::evsValue);
  dc->Post();
  EXPECT_EQ(table->State(), db::dsBrowse);
  EXPECT_EQ(table->Lookup(u"ID", Variant(3), u"NAME"), Variant(u"edited"));
  EXPECT_EQ(dc->GetValue(dc->GetFocusedRecordIndex(), name), Variant(u"edited"));
}

TEST_P(DbEditing, CancelRestoresTheRecord) {
  bind(8, GetParam().gridMode);
  dc->ChangeFocusedRowIndex(4);
  dc->Edit();
  dc->SetEditValue(amount, Variant(0.25), data::evsValue);
  dc->Cancel();
  EXPECT_EQ(table->State(), db::dsBrowse);
  EXPECT_DOUBLE_EQ(table->Lookup(u"ID", Variant(5), u"AMOUNT").AsDouble(), 7.5);
  EXPECT_DOUBLE_EQ(dc->GetValue(dc->GetFocusedRecordIndex(), amount).AsDouble(), 7.5);
}

TEST_P(DbEditing, DeleteFocusedRemovesTheDatasetRecord) {
  bind(8, GetParam().gridMode);
  dc->ChangeFocusedRowIndex(5);
  dc->DeleteFocused();
  EXPECT_EQ(table->RecordCount(), 7);
  EXPECT_TRUE(rtl::VarIsNull(table->Lookup(u"ID", Variant(6), u"ID")));
  EXPECT_EQ(dc->GetRecordCount(), 7);
}

TEST_P(DbEditing, InsertedRecordWithoutValuesIsNotPosted) {
  bind(4, GetParam().gridMode);
  dc->Append();
  ASSERT_EQ(table->State(), db::dsInsert);
  dc->CheckBrowseMode();
  EXPECT_EQ(table->State(), db::dsBrowse);
  EXPECT_EQ(table->RecordCount(), 4);
  dc->Append();
  dc->SetEditValue(id, Variant(77), data::evsValue);
  dc->CheckBrowseMode();
  EXPECT_EQ(table->RecordCount(), 5);
}

INSTANTIATE_TEST_SUITE_P(Modes, DbEditing,
                         testing::Values(DbEditCase{"loaded", false}, DbEditCase{"grid", true}),
                         [](const testing::TestParamInfo<DbEditCase>& info) { return std::string(info.param.name); });

TEST_F(DbDataFixture, DeleteRecordsByPositionCorrectsAfterTheLastRecord) {
  bind(10, false);
  dc->DeleteRecords({2, 6, 9});  // records 3, 7 and 10
  std::set<int> left;
  for (table->First(); !table->Eof(); table->Next()) left.insert(currentId());
  EXPECT_EQ(left, (std::set<int>{1, 2, 4, 5, 6, 8, 9}));
}

TEST_F(DbDataFixture, DeleteRecordsByKey) {
  bind(10, false);
  dc->SetKeyFieldNames(u"ID");
  dc->DeleteRecords({0, 4, 5});
  EXPECT_EQ(table->RecordCount(), 7);
  for (int gone : {1, 5, 6}) EXPECT_TRUE(rtl::VarIsNull(table->Lookup(u"ID", Variant(gone), u"ID"))) << gone;
  EXPECT_EQ(dc->GetRecordCount(), 7);
}

// --- filter texts handed to the dataset -------------------------------------------------------------
struct DbFilterCase {
  const char* name;
  const char16_t* field;
  TcxFilterOperatorKind op;
  std::vector<Variant> values;  // several: an array (BETWEEN, IN)
};

class DbAutoDataSetFilter : public DbDataFixture, public testing::WithParamInterface<DbFilterCase> {
 protected:
  void setCriteria() {
    const DbFilterCase& c = GetParam();
    data::TcxDBDataFilterCriteria* f = dc->Filter();
    f->BeginUpdate();
    f->Clear();
    const Variant value = c.values.size() == 1 ? c.values.front() : rtl::VarArrayOf(c.values);
    const int item = c.field == String(u"ID") ? id : c.field == String(u"NAME") ? name : c.field == String(u"AMOUNT") ? amount : city;
    f->AddItem(nullptr, dc->GetItem(item), c.op, value, rtl::VarToStr(c.values.front()));
    f->SetActive(true);
    f->EndUpdate();
  }
};

// The dataset, filtered by the criteria's text, keeps exactly the rows the
// controller's own filtering keeps.
TEST_P(DbAutoDataSetFilter, DatasetKeepsTheCriteriasOwnRows) {
  bind(40, false);
  setCriteria();
  const std::set<int> own = rowIds();
  ASSERT_FALSE(table->Filtered());
  dc->Filter()->SetAutoDataSetFilter(true);
  ASSERT_TRUE(table->Filtered()) << rtl::StringToUtf8(dc->Filter()->GetFilterText());
  EXPECT_FALSE(dc->Filter()->IsFiltering());
  std::set<int> viaDataSet;
  for (table->First(); !table->Eof(); table->Next()) viaDataSet.insert(currentId());
  EXPECT_EQ(viaDataSet, own) << rtl::StringToUtf8(dc->Filter()->GetFilterText());
  EXPECT_EQ(rowIds(), own);
  EXPECT_FALSE(own.empty());
}

const DbFilterCase kFilterCases[] = {
    {"equal", u"ID", TcxFilterOperatorKind::foEqual, {Variant(7)}},
    {"notEqualText", u"NAME", TcxFilterOperatorKind::foNotEqual, {Variant(u"n3")}},
    {"less", u"AMOUNT", TcxFilterOperatorKind::foLess, {Variant(10.5)}},
    {"greaterEqual", u"ID", TcxFilterOperatorKind::foGreaterEqual, {Variant(33)}},
    {"like", u"NAME", TcxFilterOperatorKind::foLike, {Variant(u"n1%")}},
    {"notLike", u"NAME", TcxFilterOperatorKind::foNotLike, {Variant(u"%2%")}},
    {"between", u"ID", TcxFilterOperatorKind::foBetween, {Variant(5), Variant(9)}},
    {"notBetween", u"AMOUNT", TcxFilterOperatorKind::foNotBetween, {Variant(3.0), Variant(45.0)}},
    {"inList", u"ID", TcxFilterOperatorKind::foInList, {Variant(2), Variant(13), Variant(40)}},
    {"notInList", u"NAME", TcxFilterOperatorKind::foNotInList, {Variant(u"n1"), Variant(u"n22")}},
    {"isNull", u"CITY", TcxFilterOperatorKind::foEqual, {rtl::Null()}},
    {"isNotNull", u"CITY", TcxFilterOperatorKind::foNotEqual, {rtl::Null()}},
};

INSTANTIATE_TEST_SUITE_P(Criteria, DbAutoDataSetFilter, testing::ValuesIn(kFilterCases),
                         [](const testing::TestParamInfo<DbFilterCase>& info) { return std::string(info.param.name); });

TEST_F(DbDataFixture, AutoDataSetFilterLeavesAnUnchangedDatasetAlone) {
  bind(10, false);
  dc->Filter()->SetAutoDataSetFilter(true);
  dc->Filter()->AddItem(nullptr, dc->GetItem(id), TcxFilterOperatorKind::foLess, Variant(4), u"4");
  dc->Filter()->SetActive(true);
  ASSERT_EQ(table->RecordCount(), 3);
  int changes = 0;
  source->SetOnDataChange(db::TDataChangeEvent::fromClosure(this, [&](rtl::TObject*, db::TField* f) {
    if (f == nullptr) ++changes;
  }));
  dc->Filter()->Changed();  // same text, options and state
  EXPECT_EQ(changes, 0);
  source->SetOnDataChange(nullptr);
}

// --- routines ---------------------------------------------------------------------------------------
TEST(DbRoutines, FilterFieldNamesAreBracketedWithClosingBracketsDoubled) {
  EXPECT_EQ(data::CheckFilterFieldName(u"NAME"), u"NAME");
  EXPECT_EQ(data::CheckFilterFieldName(u"FIRST NAME"), u"[FIRST NAME]");
  EXPECT_EQ(data::CheckFilterFieldName(u"A]B"), u"[A]]B]");
  // The dataset's filter reads such a name back.
  db::TCustomMemDataSet ds(nullptr);
  ds.FieldDefs()->Add(u"A]B", db::ftInteger);
  ds.CreateDataSet();
  for (int i = 1; i <= 4; ++i) ds.AppendRecord({Variant(i)});
  ds.SetFilter(data::CheckFilterFieldName(u"A]B") + u" > 2");
  ds.SetFiltered(true);
  EXPECT_EQ(ds.RecordCount(), 2);
}

TEST(DbRoutines, FieldNameLists) {
  EXPECT_FALSE(data::IsMultipleFieldNames(u"ID"));
  EXPECT_TRUE(data::IsMultipleFieldNames(u"ID;NAME"));
  EXPECT_EQ(data::GetFieldNamesCount(u"A; B ;C"), 3);
  EXPECT_EQ(data::GetFieldNames(u"A; B ;C")[1], u"B");
  EXPECT_TRUE(data::IsEqualFieldNames(u"nome", u"NOME"));
}

TEST(DbRoutines, DataSetValuesOfTwoNullFieldsAreATwoElementArray) {
  db::TCustomMemDataSet ds(nullptr);
  ds.FieldDefs()->Add(u"A", db::ftInteger);
  ds.FieldDefs()->Add(u"B", db::ftString, 5);
  ds.CreateDataSet();
  ds.AppendRecord({rtl::Null(), rtl::Null()});
  const Variant values = data::GetDataSetValues(&ds, {ds.FieldByName(u"A"), ds.FieldByName(u"B")});
  ASSERT_TRUE(rtl::VarIsArray(values));
  EXPECT_EQ(rtl::VarArrayHighBound(values, 1), 1);
  EXPECT_TRUE(rtl::VarIsNull(rtl::VarArrayGet(values, 0)));
  EXPECT_TRUE(rtl::VarIsNull(data::GetDataSetValues(&ds, {})));
}

TEST(DbRoutines, ValueTypesByFieldType) {
  struct Case {
    db::TFieldType type;
    data::TcxValueTypeClass expected;
  };
  const Case cases[] = {
      {db::ftString, data::TcxStringValueType::Instance()},   {db::ftAutoInc, data::TcxIntegerValueType::Instance()},
      {db::ftCurrency, data::TcxFloatValueType::Instance()},  {db::ftBCD, data::TcxCurrencyValueType::Instance()},
      {db::ftDate, data::TcxDateTimeValueType::Instance()},   {db::ftLargeint, data::TcxLargeIntValueType::Instance()},
      {db::ftTimeStamp, data::TcxSQLTimeStampValueType::Instance()},
      {db::ftBlob, data::TcxVariantValueType::Instance()},
  };
  for (const Case& c : cases) {
    db::TCustomMemDataSet ds(nullptr);
    ds.FieldDefs()->Add(u"F", c.type, c.type == db::ftString ? 10 : 0);
    ds.CreateDataSet();
    EXPECT_EQ(data::GetValueTypeClassByField(ds.FieldByName(u"F")), c.expected) << db::FieldTypeName(c.type).size();
  }
}

TEST(DbRoutines, CanCallDataSetLocateChecksTheKeysShape) {
  db::TCustomMemDataSet ds(nullptr);
  ds.FieldDefs()->Add(u"A", db::ftAutoInc);
  ds.FieldDefs()->Add(u"B", db::ftInteger);
  ds.CreateDataSet();
  EXPECT_TRUE(data::CanCallDataSetLocate(&ds, u"B", Variant(1)));
  EXPECT_FALSE(data::CanCallDataSetLocate(&ds, u"A", rtl::Null()));  // an auto-increment key is never null
  EXPECT_FALSE(data::CanCallDataSetLocate(&ds, u"A;B", Variant(1)));
  EXPECT_FALSE(data::CanCallDataSetLocate(&ds, u"C", Variant(1)));
  EXPECT_TRUE(data::CanCallDataSetLocate(&ds, u"A;B", rtl::VarArrayOf({Variant(1), Variant(2)})));
  EXPECT_FALSE(data::CanCallDataSetLocate(&ds, u"A;B", rtl::VarArrayOf({Variant(1)})));
  EXPECT_FALSE(data::CanCallDataSetLocate(&ds, u"A;B", rtl::VarArrayOf({rtl::Null(), Variant(2)})));
}

// --- the bookmark list ------------------------------------------------------------------------------
TEST(DbBookmarkList, EveryIndexIsChecked) {
  data::TcxBookmarkList list;
  EXPECT_THROW(list.Items(0), rtl::EListError);
  list.Insert(0, db::TBookmark{1});
  list.Insert(1, db::TBookmark{3});
  list.Insert(1, db::TBookmark{2});
  EXPECT_EQ(list.Items(1), db::TBookmark{2});
  for (int bad : {-1, 3}) {
    try {
      list.Items(bad);
      ADD_FAILURE() << bad;
    } catch (const rtl::EListError& e) {
      EXPECT_EQ(e.Message(), u"List index out of bounds (" + rtl::IntToStr(bad) + u")");
    }
  }
  EXPECT_THROW(list.Delete(3), rtl::EListError);
  EXPECT_THROW(list.Insert(5, {}), rtl::EListError);
  list.Delete(0);
  EXPECT_EQ(list.Count(), 2);
}

}  // namespace
