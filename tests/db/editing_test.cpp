// Append, insert, edit, post, cancel and delete, with their events in order.
#include <gtest/gtest.h>

#include "tests/db/db_test_util.h"

using namespace dbtest;

namespace {

std::vector<int> ids(db::TDataSet& ds) {
  std::vector<int> out;
  db::TBookmark keep = ds.GetBookmark();
  ds.First();
  while (!ds.Eof()) {
    out.push_back(ds.FieldByName(u"ID")->AsInteger());
    ds.Next();
  }
  if (!keep.empty()) ds.GotoBookmark(keep);
  return out;
}

class EventLog {
 public:
  std::vector<std::string> lines;
  void attach(db::TDataSet& ds) {
#define HOOK(Name)                                                                          \
  ds.Set##Name(db::TDataSetNotifyEvent::fromClosure(this, [this](db::TDataSet*) { \
    lines.push_back(#Name);                                                                 \
  }));
    HOOK(BeforeInsert) HOOK(AfterInsert) HOOK(BeforeEdit) HOOK(AfterEdit) HOOK(BeforePost)
    HOOK(AfterPost) HOOK(BeforeCancel) HOOK(AfterCancel) HOOK(BeforeDelete) HOOK(AfterDelete)
    HOOK(BeforeScroll) HOOK(AfterScroll) HOOK(OnNewRecord)
#undef HOOK
  }
};

TEST(Editing, AppendPostsAtTheEndWithEventsInOrder) {
  auto ds = makeNumbered(3);
  EventLog log;
  log.attach(*ds);
  ds->Append();
  EXPECT_EQ(ds->State(), db::dsInsert);
  ds->FieldByName(u"ID")->SetAsInteger(4);
  EXPECT_TRUE(ds->Modified());
  ds->Post();
  EXPECT_EQ(ds->State(), db::dsBrowse);
  EXPECT_EQ(log.lines, (std::vector<std::string>{"BeforeInsert", "BeforeScroll", "OnNewRecord",
                                                 "AfterInsert", "AfterScroll", "BeforePost",
                                                 "AfterPost"}));
  EXPECT_EQ(ids(*ds), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(ds->FieldByName(u"ID")->AsInteger(), 4);
}

TEST(Editing, InsertGoesBeforeTheCurrentRecord) {
  auto ds = makeNumbered(3);
  ds->Next();
  ds->Insert();
  EXPECT_EQ(ds->RecordCount(), 3);  // the unposted record is not counted
  ds->FieldByName(u"ID")->SetAsInteger(99);
  ds->Post();
  EXPECT_EQ(ids(*ds), (std::vector<int>{1, 99, 2, 3}));
  EXPECT_EQ(ds->RecNo(), 2);
}

TEST(Editing, EditCancelRestoresTheValues) {
  auto ds = makeNumbered(2);
  EventLog log;
  log.attach(*ds);
  ds->Edit();
  ds->FieldByName(u"NAME")->SetAsString(u"changed");
  EXPECT_EQ(ds->FieldByName(u"NAME")->AsString(), u"changed");
  EXPECT_EQ(ds->FieldByName(u"NAME")->OldValue().AsString(), u"name1");
  ds->Cancel();
  EXPECT_EQ(ds->FieldByName(u"NAME")->AsString(), u"name1");
  EXPECT_EQ(log.lines, (std::vector<std::string>{"BeforeEdit", "AfterEdit", "BeforeCancel", "AfterCancel"}));
}

TEST(Editing, InsertCancelLeavesNoRecord) {
  auto ds = makeNumbered(2);
  ds->Last();
  ds->Insert();
  ds->FieldByName(u"ID")->SetAsInteger(50);
  ds->Cancel();
  EXPECT_EQ(ids(*ds), (std::vector<int>{1, 2}));
  EXPECT_EQ(ds->FieldByName(u"ID")->AsInteger(), 2);
}

TEST(Editing, DeleteMovesToTheNextRecordAndLastDeleteEmpties) {
  auto ds = makeNumbered(3);
  EventLog log;
  log.attach(*ds);
  ds->Next();
  log.lines.clear();
  ds->Delete();
  EXPECT_EQ(log.lines, (std::vector<std::string>{"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}));
  EXPECT_EQ(ds->FieldByName(u"ID")->AsInteger(), 3);
  ds->Delete();
  EXPECT_EQ(ds->FieldByName(u"ID")->AsInteger(), 1);
  ds->Delete();
  EXPECT_TRUE(ds->IsEmpty());
  EXPECT_TRUE(ds->Eof());
}

TEST(Editing, WritingOutsideEditModeFails) {
  auto ds = makeNumbered(1);
  try {
    ds->FieldByName(u"ID")->SetAsInteger(3);
    FAIL();
  } catch (const db::EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Numbers: Dataset not in edit or insert mode");
  }
}

TEST(Editing, EditOnEmptyDatasetAppends) {
  auto ds = makeNumbered(0);
  ds->Edit();
  EXPECT_EQ(ds->State(), db::dsInsert);
}

TEST(Editing, CheckBrowseModePostsAModifiedRecordAndCancelsAnUnmodifiedOne) {
  auto ds = makeNumbered(2);
  ds->Edit();
  ds->FieldByName(u"NAME")->SetAsString(u"kept");
  ds->CheckBrowseMode();
  EXPECT_EQ(ds->State(), db::dsBrowse);
  EXPECT_EQ(ds->FieldByName(u"NAME")->AsString(), u"kept");
  ds->Append();
  ds->CheckBrowseMode();
  EXPECT_EQ(ds->RecordCount(), 2);
  // Moving posts too.
  ds->First();
  ds->Edit();
  ds->FieldByName(u"NAME")->SetAsString(u"moved");
  ds->Next();
  ds->First();
  EXPECT_EQ(ds->FieldByName(u"NAME")->AsString(), u"moved");
}

TEST(Editing, AppendRecordAndInsertRecordSkipUnassignedValues) {
  auto ds = makeNumbered(1);
  ds->InsertRecord({Variant(0), rtl::Unassigned(), rtl::Null()});
  ds->First();
  EXPECT_EQ(ds->FieldByName(u"ID")->AsInteger(), 0);
  EXPECT_TRUE(ds->FieldByName(u"NAME")->IsNull());
  EXPECT_EQ(ids(*ds), (std::vector<int>{0, 1}));
}

TEST(Editing, RequiredFieldMustHaveAValueAndThePostErrorHandlerDecides) {
  auto ds = makeNumbered(0);
  ds->FieldByName(u"NAME")->SetRequired(true);
  ds->Append();
  try {
    ds->Post();
    FAIL();
  } catch (const db::EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Numbers: Field 'NAME' must have a value");
  }
  EXPECT_EQ(ds->State(), db::dsInsert);
  int calls = 0;
  ds->SetOnPostError(db::TDataSetErrorEvent::fromClosure(
      &calls, [&](db::TDataSet* d, db::EDatabaseError&, db::TDataAction& action) {
        ++calls;
        d->FieldByName(u"NAME")->SetAsString(u"fixed");
        action = db::daRetry;
      }));
  ds->Post();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(ds->FieldByName(u"NAME")->AsString(), u"fixed");
}

TEST(Editing, OnValidateSeesTheNewValueAndCanRefuseIt) {
  auto ds = makeNumbered(1);
  ds->FieldByName(u"ID")->SetOnValidate(db::TFieldNotifyEvent::fromClosure(ds.get(), [](db::TField* f) {
    if (f->AsInteger() < 0) throw db::EDatabaseError(u"negative");
  }));
  int changes = 0;
  ds->FieldByName(u"ID")->SetOnChange(db::TFieldNotifyEvent::fromClosure(&changes, [&](db::TField*) { ++changes; }));
  ds->Edit();
  ds->FieldByName(u"ID")->SetAsInteger(5);
  EXPECT_THROW(ds->FieldByName(u"ID")->SetAsInteger(-1), db::EDatabaseError);
  EXPECT_EQ(ds->FieldByName(u"ID")->AsInteger(), 5);
  EXPECT_EQ(changes, 1);
}

TEST(Editing, ReadOnlyDatasetAndFieldRefuseChanges) {
  auto ds = makeNumbered(1);
  ds->FieldByName(u"ID")->SetReadOnly(true);
  ds->Edit();
  EXPECT_THROW(ds->FieldByName(u"ID")->SetAsInteger(2), db::EDatabaseError);
  ds->Cancel();
  ds->SetReadOnly(true);
  EXPECT_THROW(ds->Edit(), db::EDatabaseError);
  EXPECT_THROW(ds->Append(), db::EDatabaseError);
}

TEST(Editing, CalculatedFieldsComeFromOnCalcFields) {
  db::TCustomMemDataSet ds(nullptr);
  ds.FieldDefs()->Add(u"A", db::ftInteger);
  ds.FieldDefs()->Add(u"B", db::ftInteger);
  auto* a = new db::TIntegerField(&ds);
  a->SetFieldName(u"A");
  a->SetDataSet(&ds);
  auto* b = new db::TIntegerField(&ds);
  b->SetFieldName(u"B");
  b->SetDataSet(&ds);
  auto* sum = new db::TIntegerField(&ds);
  sum->SetFieldName(u"SUM");
  sum->SetFieldKind(db::fkCalculated);
  sum->SetDataSet(&ds);
  ds.SetOnCalcFields(db::TDataSetNotifyEvent::fromClosure(&ds, [](db::TDataSet* d) {
    EXPECT_EQ(d->State(), db::dsCalcFields);
    d->FieldByName(u"SUM")->SetAsInteger(d->FieldByName(u"A")->AsInteger() + d->FieldByName(u"B")->AsInteger());
  }));
  ds.CreateDataSet();
  ds.AppendRecord({Variant(1), Variant(2)});
  ds.AppendRecord({Variant(10), Variant(20)});
  ds.First();
  EXPECT_EQ(sum->AsInteger(), 3);
  ds.Next();
  EXPECT_EQ(sum->AsInteger(), 30);
  ds.Edit();
  a->SetAsInteger(100);
  EXPECT_EQ(sum->AsInteger(), 120);  // recalculated while editing
  ds.Post();
  EXPECT_EQ(sum->AsInteger(), 120);
  EXPECT_TRUE(ds.Locate(u"SUM", Variant(3)));
  EXPECT_EQ(a->AsInteger(), 1);
}

TEST(Editing, LookupFieldReadsAnotherDataset) {
  auto names = makeNumbered(3);
  db::TCustomMemDataSet orders(nullptr);
  orders.FieldDefs()->Add(u"NUMBER_ID", db::ftInteger);
  auto* key = new db::TIntegerField(&orders);
  key->SetFieldName(u"NUMBER_ID");
  key->SetDataSet(&orders);
  auto* look = new db::TStringField(&orders);
  look->SetFieldName(u"NUMBER_NAME");
  look->SetFieldKind(db::fkLookup);
  look->SetLookupDataSet(names.get());
  look->SetKeyFields(u"NUMBER_ID");
  look->SetLookupKeyFields(u"ID");
  look->SetLookupResultField(u"NAME");
  look->SetDataSet(&orders);
  orders.CreateDataSet();
  orders.AppendRecord({Variant(2)});
  orders.AppendRecord({Variant(7)});
  orders.First();
  EXPECT_EQ(look->AsString(), u"name2");
  orders.Next();
  EXPECT_TRUE(look->IsNull());
  names.reset();  // the lookup field forgets the dataset that went
  EXPECT_EQ(look->LookupDataSet(), nullptr);
}

// A descendant writing through immediately: WriteRecord sees each change.
class WritingTable : public db::TCustomMemDataSet {
 public:
  using db::TCustomMemDataSet::TCustomMemDataSet;
  std::vector<std::string> writes;
  bool refuse = false;

 protected:
  void OpenData() override {
    FieldDefs()->Clear();
    FieldDefs()->Add(u"ID", db::ftInteger);
    FieldDefs()->Add(u"NAME", db::ftString, 10);
    AppendLoadedRecord({Variant(1), Variant(u"one")});
    AppendLoadedRecord({Variant(2), Variant(u"two")});
  }
  void WriteRecord(db::TUpdateStatus status, const db::TMemRecord& record,
                   std::vector<Variant>& values) override {
    if (refuse) throw db::EDatabaseError(u"refused by the database");
    std::string line = status == db::usInserted ? "insert" : status == db::usModified ? "update" : "delete";
    if (!record.Values.empty()) line += " " + rtl::StringToUtf8(rtl::VarToStr(record.Values[1]));
    line += " -> " + rtl::StringToUtf8(rtl::VarToStr(values[1]));
    writes.push_back(line);
    if (status == db::usInserted) values[0] = Variant(1000);  // a generated key
  }
};

TEST(Editing, ImmediateModeWritesEachChangeAndKeepsTheEditOnRefusal) {
  WritingTable t(nullptr);
  t.Open();
  EXPECT_EQ(t.RecordCount(), 2);
  t.Edit();
  t.FieldByName(u"NAME")->SetAsString(u"uno");
  t.Post();
  t.Append();
  t.FieldByName(u"NAME")->SetAsString(u"new");
  t.Post();
  EXPECT_EQ(t.FieldByName(u"ID")->AsInteger(), 1000);
  t.First();
  t.Delete();
  EXPECT_EQ(t.writes, (std::vector<std::string>{"update one -> uno", "insert -> new", "delete uno -> uno"}));
  EXPECT_FALSE(t.UpdatesPending());
  t.refuse = true;
  t.Edit();
  t.FieldByName(u"NAME")->SetAsString(u"x");
  EXPECT_THROW(t.Post(), db::EDatabaseError);
  EXPECT_EQ(t.State(), db::dsEdit);
  t.Cancel();
  EXPECT_EQ(t.FieldByName(u"NAME")->AsString(), u"two");
  EXPECT_THROW(t.Delete(), db::EDatabaseError);
  EXPECT_EQ(t.RecordCount(), 2);
}

TEST(Editing, CachedUpdatesLogChangesInOrderAndCanBeCancelledOrCommitted) {
  WritingTable t(nullptr);
  t.SetCachedUpdates(true);
  t.Open();
  t.Edit();
  t.FieldByName(u"NAME")->SetAsString(u"uno");
  t.Post();
  EXPECT_EQ(t.UpdateStatus(), db::usModified);
  t.Append();
  t.FieldByName(u"ID")->SetAsInteger(3);
  t.FieldByName(u"NAME")->SetAsString(u"tres");
  t.Post();
  t.Locate(u"ID", Variant(2));
  t.Delete();
  EXPECT_TRUE(t.writes.empty());
  EXPECT_EQ(t.RecordCount(), 2);
  auto changes = t.ChangedRecords();
  ASSERT_EQ(changes.size(), 3u);
  EXPECT_EQ(changes[0]->Status, db::usModified);
  EXPECT_EQ(rtl::VarToStr(changes[0]->OriginalValues[1]), u"one");
  EXPECT_EQ(rtl::VarToStr(changes[0]->Values[1]), u"uno");
  EXPECT_EQ(changes[1]->Status, db::usInserted);
  EXPECT_EQ(changes[2]->Status, db::usDeleted);
  EXPECT_EQ(rtl::VarToStr(changes[2]->OriginalValues[1]), u"two");

  t.CancelUpdates();
  EXPECT_FALSE(t.UpdatesPending());
  EXPECT_EQ(t.RecordCount(), 2);
  t.First();
  EXPECT_EQ(t.FieldByName(u"NAME")->AsString(), u"one");
  t.Next();
  EXPECT_EQ(t.FieldByName(u"NAME")->AsString(), u"two");  // the deleted record is back in place

  t.Delete();
  t.CommitUpdate(t.ChangedRecords()[0]->Id);
  EXPECT_FALSE(t.UpdatesPending());
  t.CancelUpdates();
  EXPECT_EQ(t.RecordCount(), 1);  // committed deletes stay deleted
}

TEST(Editing, RevertRecordRestoresOnlyTheCurrentRecord) {
  WritingTable t(nullptr);
  t.SetCachedUpdates(true);
  t.Open();
  t.Edit();
  t.FieldByName(u"NAME")->SetAsString(u"a");
  t.Post();
  t.Next();
  t.Edit();
  t.FieldByName(u"NAME")->SetAsString(u"b");
  t.Post();
  t.RevertRecord();
  EXPECT_EQ(t.FieldByName(u"NAME")->AsString(), u"two");
  EXPECT_EQ(t.ChangeCount(), 1);
}

}  // namespace

TEST(Editing, RecordsRemovedInAnyOrderLeaveTheOthersAndTheirBookmarks) {
  auto ds = makeNumbered(6);
  auto idOf = [&] { return ds->FieldByName(u"ID")->AsInteger(); };
  ds->SetRecNo(4);
  const db::TBookmark four = ds->GetBookmark();
  ds->SetRecNo(6);
  const db::TBookmark six = ds->GetBookmark();
  // The first, a middle and the last record go; the others stay where their
  // bookmarks say.
  ds->First();
  ds->Delete();
  ds->SetRecNo(2);  // record 3
  ds->Delete();
  ds->Last();
  ds->Delete();
  EXPECT_EQ(ds->RecordCount(), 3);
  EXPECT_FALSE(ds->BookmarkValid(six));
  ASSERT_TRUE(ds->BookmarkValid(four));
  ds->GotoBookmark(four);
  EXPECT_EQ(idOf(), 4);
  // New records come after the holes; emptied, the dataset starts afresh.
  ds->AppendRecord({Variant(7), Variant(u"seven"), Variant(1.0), Variant::FromDateTime(45007.0)});
  std::vector<int> ids;
  for (ds->First(); !ds->Eof(); ds->Next()) ids.push_back(idOf());
  EXPECT_EQ(ids, (std::vector<int>{2, 4, 5, 7}));
  while (!ds->IsEmpty()) ds->Delete();
  EXPECT_FALSE(ds->BookmarkValid(four));
  ds->AppendRecord({Variant(8), Variant(u"eight"), Variant(1.0), Variant::FromDateTime(45008.0)});
  EXPECT_EQ(ds->RecordCount(), 1);
  EXPECT_EQ(idOf(), 8);
  ds->GotoBookmark(ds->GetBookmark());
  EXPECT_EQ(idOf(), 8);
}
