// A query opened again keeps its default fields while the result keeps its
// shape: a field a caller or a control holds stays valid and reads the new
// rows; a result of another shape gets new fields.
#include <gtest/gtest.h>

#include "platform/dac/dac.h"
#include "platform/db/db.h"
#include "tests/dac/driver_fixture.h"

namespace {

using dac_test::DriverTest;
using rtl::String;

class FieldReuseTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    conn_ = &Connect();
    CreateTable(*conn_, u"reuse_items", u"id integer primary key, name varchar(20), price numeric(12,2)");
    conn_->ExecSQL(u"INSERT INTO reuse_items VALUES (1, 'one', 1.5), (2, 'two', 2.5)");
    CreateTable(*conn_, u"reuse_wide", u"id integer primary key, name varchar(40)");
    conn_->ExecSQL(u"INSERT INTO reuse_wide VALUES (1, 'wide')");
  }

  dac::TConnection* conn_ = nullptr;
};

TEST_P(FieldReuseTest, HeldFieldStaysValidAcrossCloseAndOpen) {
  auto q = Query(*conn_, u"select id, name, price from reuse_items where id = :id");
  q->ParamByName(u"id")->SetAsInteger(1);
  q->Open();
  db::TField* name = q->FieldByName(u"name");
  db::TField* price = q->FieldByName(u"price");
  EXPECT_EQ(name->AsString(), u"one");

  q->Close();
  EXPECT_EQ(q->FieldCount(), 0);  // a closed query shows no default fields
  EXPECT_FALSE(q->DefaultFields());
  q->ParamByName(u"id")->SetAsInteger(2);
  q->Open();
  EXPECT_TRUE(q->DefaultFields());
  EXPECT_EQ(q->FieldByName(u"name"), name);
  EXPECT_EQ(q->FieldByName(u"price"), price);
  EXPECT_EQ(name->DataSet(), q.get());
  EXPECT_EQ(name->AsString(), u"two");
  EXPECT_DOUBLE_EQ(price->AsFloat(), 2.5);
  EXPECT_EQ(q->FieldCount(), 3);
  EXPECT_EQ(name->Index(), 1);

  // Editing through the kept fields writes the new rows.
  q->SetCachedUpdates(true);
  q->SetUpdateTableName(u"reuse_items");
  q->Edit();
  name->SetAsString(u"dois");
  q->Post();
  EXPECT_EQ(q->ApplyUpdates(0), 0);
  auto check = Query(*conn_, u"select name from reuse_items where id = 2");
  check->Open();
  EXPECT_EQ(check->FieldByName(u"name")->AsString(), u"dois");
}

TEST_P(FieldReuseTest, AnotherShapeMakesNewFields) {
  struct Case {
    const char16_t* first;
    const char16_t* second;
  };
  const Case cases[] = {
      // Another column list.
      {u"select id, name from reuse_items", u"select id, price from reuse_items"},
      // A column fewer.
      {u"select id, name from reuse_items", u"select id from reuse_items"},
      // Same names, another type.
      {u"select id, name from reuse_items", u"select id, price as name from reuse_items"},
      // Same names and types, another size.
      {u"select id, name from reuse_items", u"select id, name from reuse_wide"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.second));
    auto q = Query(*conn_, c.first);
    q->Open();
    q->Close();
    q->SQL().SetText(c.second);
    q->Open();
    const db::TField* last = q->Fields()->Fields(q->FieldCount() - 1);
    // The new fields describe the new result.
    for (int i = 0; i < q->FieldCount(); ++i) {
      const db::TField* f = q->Fields()->Fields(i);
      const db::TFieldDef* def = q->FieldDefs()->Items(i);
      EXPECT_EQ(f->FieldName(), def->Name());
      EXPECT_EQ(f->DataType(), def->DataType());
      if (def->Size() > 0) {
        EXPECT_EQ(f->Size(), def->Size());
      }
      EXPECT_EQ(f->DataSet(), q.get());
    }
    EXPECT_FALSE(q->IsEmpty());
    EXPECT_NO_THROW(last->AsString());
  }
}

TEST_P(FieldReuseTest, FieldFreedWhileClosedIsNotTakenBack) {
  auto q = Query(*conn_, u"select id, name from reuse_items order by id");
  q->Open();
  db::TField* id = q->FieldByName(u"id");
  q->Close();
  id->Free();  // the caller's to free once out of the dataset
  q->Open();
  ASSERT_EQ(q->FieldCount(), 2);
  EXPECT_EQ(q->FieldByName(u"id")->AsInteger(), 1);
  EXPECT_EQ(q->FieldByName(u"name")->AsString(), u"one");
}

TEST_P(FieldReuseTest, PersistentFieldAddedWhileClosedReplacesTheKeptOnes) {
  auto q = Query(*conn_, u"select id, name from reuse_items order by id");
  q->Open();
  q->Close();
  auto* id = new db::TLargeintField(q.get());
  id->SetFieldName(u"id");
  id->SetDataSet(q.get());
  q->Open();
  EXPECT_FALSE(q->DefaultFields());
  ASSERT_EQ(q->FieldCount(), 1);
  EXPECT_EQ(q->Fields()->Fields(0), id);
  EXPECT_EQ(id->AsInteger(), 1);
}

TEST_P(FieldReuseTest, DataLinkFindsTheSameFieldAfterReopen) {
  auto q = Query(*conn_, u"select id, name from reuse_items order by id");
  db::TDataSource source(nullptr);
  source.SetDataSet(q.get());
  db::TFieldDataLink link;
  link.SetDataSource(&source);
  link.SetFieldName(u"name");
  q->Open();
  db::TField* first = link.Field();
  ASSERT_NE(first, nullptr);
  q->Close();
  EXPECT_EQ(link.Field(), nullptr);
  q->Open();
  EXPECT_EQ(link.Field(), first);
  EXPECT_EQ(link.Field()->AsString(), u"one");
  link.SetDataSource(nullptr);
}

INSTANTIATE_FOR_DRIVERS(FieldReuseTest);

}  // namespace
