// The dataset-bound controller's fields: summaries over a field by name,
// the find panel's criteria posting a pending edit, lookup items, the
// routines that decide how a field is edited and shown, default fields,
// the filter text AutoDataSetFilter gives the dataset (null values, the
// pt-BR decimal comma, dates, soft null and keys of several fields), and the
// adapters picked by dataset class that write null tests as SQL for queries.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "lib/data/cxDBData.h"
#include "lib/data/cxDataSummary.h"
#include "platform/dac/memtable.h"
#include "platform/dac/query.h"
#include "platform/db/db.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/except.h"
#include "platform/rtl/format.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/ustring.h"

namespace {

using data::TcxDBDataController;
using data::TcxFilterOperatorKind;
using rtl::String;
using rtl::Variant;

class FieldsController : public TcxDBDataController {
 public:
  FieldsController() : TcxDBDataController(nullptr) {}
  rtl::TObject* GetItem(int index) const override { return items.at(static_cast<size_t>(index)).get(); }
  int addItem(const String& fieldName) {
    items.push_back(std::make_unique<rtl::TComponent>(nullptr));
    items.back()->SetName(fieldName);
    const int index = AddItem(items.back().get())->GetIndex();
    ChangeFieldName(index, fieldName);
    return index;
  }
  std::vector<std::unique_ptr<rtl::TComponent>> items;
};

template <class Field>
Field* fieldsAdd(db::TDataSet* ds, const String& name) {
  auto* f = new Field(ds);  // owned by the dataset
  f->SetFieldName(name);
  f->SetDataSet(ds);
  return f;
}

// Orders 1..8 with persistent fields: CITY_ID cycles 1, 2, 3, null; CITY
// looks its name up in the cities table; AMOUNT (a currency float) is
// ID * 2.5; NOTE is "note<ID>".
class DbFieldsFixture : public testing::Test {
 protected:
  void SetUp() override {
    cities = std::make_unique<db::TCustomMemDataSet>(nullptr);
    cities->FieldDefs()->Add(u"ID", db::ftInteger);
    cities->FieldDefs()->Add(u"NAME", db::ftString, 20);
    cities->CreateDataSet();
    cities->AppendRecord({Variant(1), Variant(u"Porto")});
    cities->AppendRecord({Variant(2), Variant(u"Lisboa")});
    cities->AppendRecord({Variant(3), Variant(u"Braga")});

    orders = std::make_unique<db::TCustomMemDataSet>(nullptr);
    orders->FieldDefs()->Add(u"ID", db::ftInteger);
    orders->FieldDefs()->Add(u"CITY_ID", db::ftInteger);
    orders->FieldDefs()->Add(u"AMOUNT", db::ftFloat);
    orders->FieldDefs()->Add(u"NOTE", db::ftString, 20);
    idField = fieldsAdd<db::TIntegerField>(orders.get(), u"ID");
    idField->SetRequired(true);
    fieldsAdd<db::TIntegerField>(orders.get(), u"CITY_ID");
    amountField = fieldsAdd<db::TFloatField>(orders.get(), u"AMOUNT");
    amountField->SetCurrency(true);
    fieldsAdd<db::TStringField>(orders.get(), u"NOTE")->SetSize(20);
    auto* look = fieldsAdd<db::TStringField>(orders.get(), u"CITY");
    look->SetSize(20);
    look->SetFieldKind(db::fkLookup);
    look->SetLookupDataSet(cities.get());
    look->SetKeyFields(u"CITY_ID");
    look->SetLookupKeyFields(u"ID");
    look->SetLookupResultField(u"NAME");
    orders->CreateDataSet();
    for (int i = 1; i <= 8; ++i)
      orders->AppendRecord({Variant(i), i % 4 == 0 ? rtl::Null() : Variant(i % 4), Variant(i * 2.5),
                            Variant(u"note" + rtl::IntToStr(i))});
    orders->First();

    source = std::make_unique<db::TDataSource>(nullptr);
    source->SetDataSet(orders.get());
    dc = std::make_unique<FieldsController>();
    id = dc->addItem(u"ID");
    city = dc->addItem(u"CITY");
    note = dc->addItem(u"NOTE");
    dc->SetDataSource(source.get());
  }
  void TearDown() override {
    dc.reset();
    source.reset();
    orders.reset();
    cities.reset();
  }
  int idOf(int record) { return dc->GetValue(record, id).AsInteger(); }
  std::vector<int> rowIds() {
    std::vector<int> ids;
    for (int r = 0; r < dc->GetRowCount(); ++r) ids.push_back(idOf(dc->GetRowInfo(r).RecordIndex));
    return ids;
  }
  int recordOfId(int value) {
    for (int r = 0; r < dc->GetRecordCount(); ++r)
      if (idOf(r) == value) return r;
    return -1;
  }

  std::unique_ptr<db::TCustomMemDataSet> cities;
  std::unique_ptr<db::TCustomMemDataSet> orders;
  std::unique_ptr<db::TDataSource> source;
  std::unique_ptr<FieldsController> dc;
  db::TIntegerField* idField = nullptr;
  db::TFloatField* amountField = nullptr;
  int id = -1, city = -1, note = -1;
};

// --- summaries over a field by name -----------------------------------------------------------
TEST_F(DbFieldsFixture, SummaryByFieldNameCoversAFieldNoItemShows) {
  data::TcxDataFooterSummaryItems* footer = dc->Summary()->FooterSummaryItems();
  auto* item = dynamic_cast<data::TcxDBDataSummaryItem*>(footer->Add());
  ASSERT_NE(item, nullptr);
  const int internalBefore = dc->Fields()->InternalCount();
  item->SetFieldName(u"AMOUNT");
  item->SetKind(data::skSum);
  EXPECT_EQ(dc->Fields()->InternalCount(), internalBefore + 1);
  EXPECT_DOUBLE_EQ(dc->Summary()->GetFooterSummaryValue(0).AsDouble(), 2.5 * 36);
  // The field's currency flag picks the currency format, not the float one.
  const String currencyText =
      rtl::FormatFloat(data::cxDataGetDataSummaryValueDefaultFormat(data::svtCurrency, data::skSum, true), 90.0);
  ASSERT_NE(currencyText,
            rtl::FormatFloat(data::cxDataGetDataSummaryValueDefaultFormat(data::svtFloat, data::skSum, true), 90.0));
  EXPECT_EQ(dc->Summary()->GetFooterSummaryText(0), currencyText);

  // A copy binds its own internal field; freeing an item frees its field.
  auto* copy = static_cast<data::TcxDBDataSummaryItem*>(footer->Add());
  copy->Assign(item);
  EXPECT_EQ(copy->FieldName(), u"AMOUNT");
  EXPECT_EQ(dc->Fields()->InternalCount(), internalBefore + 2);
  EXPECT_DOUBLE_EQ(dc->Summary()->GetFooterSummaryValue(1).AsDouble(), 90.0);
  footer->Delete(1);
  EXPECT_EQ(dc->Fields()->InternalCount(), internalBefore + 1);
  item->SetFieldName(String());
  EXPECT_EQ(dc->Fields()->InternalCount(), internalBefore);
  EXPECT_FALSE(item->IsDataBinded());
  // A named item left in the footer goes with the controller (TearDown).
  item->SetFieldName(u"ID");
  EXPECT_EQ(dc->Summary()->GetFooterSummaryValue(0).AsInteger(), 36);
}

// --- the find panel's criteria ------------------------------------------------------------------
TEST_F(DbFieldsFixture, FindTextPostsTheDatasetsPendingEdit) {
  ASSERT_TRUE(orders->Locate(u"ID", Variant(3)));
  orders->Edit();
  orders->FieldByName(u"NOTE")->SetAsString(u"typed");
  dc->AddFindFilterItem(note);
  dc->SetFindFilterText(u"typ");
  EXPECT_EQ(orders->State(), db::dsBrowse);
  ASSERT_TRUE(orders->Locate(u"ID", Variant(3)));
  EXPECT_EQ(orders->FieldByName(u"NOTE")->AsString(), u"typed");
  EXPECT_EQ(rowIds(), std::vector<int>{3});
}

TEST_F(DbFieldsFixture, FindTextThatCannotPostDropsTheSearch) {
  dc->AddFindFilterItem(note);
  orders->Edit();
  idField->Clear();  // required: the post fails
  EXPECT_THROW(dc->SetFindFilterText(u"note1"), db::EDatabaseError);
  EXPECT_EQ(dc->GetFindFilterText(), String());
  EXPECT_FALSE(dc->IsFindFiltering());
  orders->Cancel();
  EXPECT_EQ(dc->GetRowCount(), 8);
}

// --- lookup items -------------------------------------------------------------------------------
TEST_F(DbFieldsFixture, LookupItemShowsAndSortsByTheLookedUpName) {
  ASSERT_TRUE(dc->DBField(city)->IsLookup());
  ASSERT_EQ(dc->DBField(city)->FieldCount(), 1);  // the key field CITY_ID
  const int r2 = recordOfId(2);
  EXPECT_EQ(dc->GetValue(r2, city), Variant(u"Lisboa"));
  EXPECT_EQ(dc->GetDisplayText(r2, city), u"Lisboa");
  EXPECT_TRUE(rtl::VarIsNull(dc->GetValue(recordOfId(4), city)));
  dc->ChangeSorting(city, data::soAscending);
  // Null first, then Braga (3, 7), Lisboa (2, 6), Porto (1, 5).
  EXPECT_EQ(rowIds(), (std::vector<int>{4, 8, 3, 7, 2, 6, 1, 5}));
}

TEST_F(DbFieldsFixture, LookupItemGroupsAndFiltersByItsKey) {
  data::TcxCustomDataField* field = dc->DBField(city);
  const int r6 = recordOfId(6);
  EXPECT_EQ(dc->GetGroupValue(r6, field), Variant(2));
  EXPECT_EQ(dc->GetFilterDataValue(r6, field), Variant(2));
  EXPECT_TRUE(rtl::VarIsNull(dc->GetFilterDataValue(recordOfId(8), field)));
  EXPECT_EQ(dc->GetFilterItemFieldName(dc->GetItem(city)), u"CITY_ID");

  data::TcxDBDataFilterCriteria* f = dc->Filter();
  f->AddItem(nullptr, dc->GetItem(city), TcxFilterOperatorKind::foEqual, Variant(2), u"Lisboa");
  f->SetActive(true);
  EXPECT_EQ(rowIds(), (std::vector<int>{2, 6}));
  EXPECT_EQ(f->GetFilterCaption(), u"(CITY = Lisboa)");
  // The dataset gets the key's name and value and keeps the same rows.
  f->SetAutoDataSetFilter(true);
  EXPECT_EQ(orders->Filter(), u"(CITY_ID = 2)");
  EXPECT_EQ(orders->RecordCount(), 2);
}

TEST_F(DbFieldsFixture, LookupItemIsEditedThroughItsKeyOnly) {
  data::TcxDBDataField* field = dc->DBField(city);
  EXPECT_TRUE(field->CanModify(data::evsKey));
  EXPECT_FALSE(field->CanModify(data::evsValue));
  EXPECT_FALSE(field->CanModify(data::evsText));
  EXPECT_TRUE(data::CanModifyLookupField(field->Field()));
  orders->FieldByName(u"CITY_ID")->SetReadOnly(true);
  EXPECT_FALSE(field->CanModify(data::evsKey));
  EXPECT_FALSE(data::CanModifyLookupField(field->Field()));
}

// --- display texts kept beside the values ---------------------------------------------------------
TEST_F(DbFieldsFixture, FormattedFieldKeepsItsDisplayTextInTheController) {
  const int amount = dc->addItem(u"AMOUNT");
  const int plainNote = note;
  // A currency float shows money, which its float value alone would not.
  EXPECT_TRUE(dc->GetItemTextStored(amount));
  EXPECT_FALSE(dc->GetItemTextStored(plainNote));
  const int r3 = recordOfId(3);
  ASSERT_TRUE(orders->Locate(u"ID", Variant(3)));
  EXPECT_EQ(dc->GetDisplayText(r3, amount), amountField->DisplayText());
  EXPECT_NE(dc->GetDisplayText(r3, amount), rtl::VarToStr(Variant(7.5)));
  // A display format set later takes effect at the next binding.
  amountField->SetCurrency(false);
  amountField->SetDisplayFormat(u"0.000");
  dc->ResyncDBFields();
  EXPECT_TRUE(dc->GetItemTextStored(amount));
  EXPECT_EQ(dc->GetDisplayText(r3, amount), rtl::FormatFloat(u"0.000", 7.5));
}

struct FormattedCase {
  const char* name;
  db::TFieldType type;
  void (*setUp)(db::TField*);
  bool textEdit;
  bool formatted;
};

void fieldsNone(db::TField*) {}
void fieldsEditMask(db::TField* f) { f->SetEditMask(u"000;0;_"); }
void fieldsGetText(db::TField* f) {
  f->SetOnGetText(db::TFieldGetTextEvent::fromClosure(f, [](db::TField*, String& text, bool) { text = u"x"; }));
}
void fieldsCurrency(db::TField* f) { static_cast<db::TFloatField*>(f)->SetCurrency(true); }
void fieldsDisplayFormat(db::TField* f) { static_cast<db::TNumericField*>(f)->SetDisplayFormat(u"0.0"); }
void fieldsEditFormat(db::TField* f) { static_cast<db::TNumericField*>(f)->SetEditFormat(u"0.0"); }
void fieldsDateFormat(db::TField* f) { static_cast<db::TDateTimeField*>(f)->SetDisplayFormat(u"yyyy"); }

const FormattedCase kFormattedCases[] = {
    {"plainText", db::ftString, fieldsNone, true, false},
    {"textWithMask", db::ftString, fieldsEditMask, false, true},
    {"textWithGetText", db::ftString, fieldsGetText, false, true},
    {"plainFloat", db::ftFloat, fieldsNone, true, false},
    {"currencyFloat", db::ftFloat, fieldsCurrency, false, true},
    {"floatDisplayFormat", db::ftFloat, fieldsDisplayFormat, false, true},
    {"integerEditFormat", db::ftInteger, fieldsEditFormat, false, true},
    {"booleanAsText", db::ftBoolean, fieldsNone, true, true},
    {"booleanAsValue", db::ftBoolean, fieldsNone, false, false},
    {"blobAsText", db::ftBlob, fieldsNone, true, true},
    {"blobAsValue", db::ftBlob, fieldsNone, false, false},
    {"plainDate", db::ftDateTime, fieldsNone, true, false},
    {"dateDisplayFormat", db::ftDateTime, fieldsDateFormat, false, true},
};

class DbFieldFormatted : public testing::TestWithParam<FormattedCase> {};

TEST_P(DbFieldFormatted, AnswersWhetherTheDisplayTextIsKept) {
  const FormattedCase& c = GetParam();
  db::TCustomMemDataSet ds(nullptr);
  ds.FieldDefs()->Add(u"F", c.type, c.type == db::ftString ? 10 : 0);
  ds.CreateDataSet();
  db::TField* f = ds.FieldByName(u"F");
  c.setUp(f);
  EXPECT_EQ(data::IsFieldFormatted(f, c.textEdit), c.formatted);
}

INSTANTIATE_TEST_SUITE_P(Fields, DbFieldFormatted, testing::ValuesIn(kFormattedCases),
                         [](const testing::TestParamInfo<FormattedCase>& info) { return std::string(info.param.name); });

TEST(DbFieldCanModify, BinaryFieldsTakeTextOnlyThroughOnSetText) {
  db::TCustomMemDataSet ds(nullptr);
  ds.FieldDefs()->Add(u"B", db::ftBlob);
  ds.FieldDefs()->Add(u"S", db::ftString, 10);
  ds.CreateDataSet();
  db::TField* blob = ds.FieldByName(u"B");
  db::TField* text = ds.FieldByName(u"S");
  EXPECT_TRUE(data::IsFieldCanModify(blob, true));
  EXPECT_FALSE(data::IsFieldCanModify(blob, false));
  EXPECT_TRUE(data::IsFieldCanModify(text, false));
  blob->SetOnSetText(db::TFieldSetTextEvent::fromClosure(blob, [](db::TField*, const String&) {}));
  EXPECT_TRUE(data::IsFieldCanModify(blob, false));
  text->SetReadOnly(true);
  EXPECT_FALSE(data::IsFieldCanModify(text, true));
  EXPECT_FALSE(data::IsFieldCanModify(text, false));
}

// --- default fields -------------------------------------------------------------------------------
// Fields the dataset made at Open go when it closes: the controller lets go
// of them then; persistent fields stay, and so do the bindings.
TEST_F(DbFieldsFixture, ClosingADatasetWithDefaultFieldsUnbindsTheItems) {
  EXPECT_FALSE(data::IsDefaultFields(orders.get()));
  orders->Close();
  EXPECT_EQ(dc->GetItemField(id), idField);

  auto plain = std::make_unique<db::TCustomMemDataSet>(nullptr);
  plain->FieldDefs()->Add(u"ID", db::ftInteger);
  plain->CreateDataSet();
  plain->AppendRecord({Variant(1)});
  EXPECT_TRUE(data::IsDefaultFields(plain.get()));
  db::TDataSource plainSource(nullptr);
  plainSource.SetDataSet(plain.get());
  dc->SetDataSource(&plainSource);
  ASSERT_NE(dc->GetItemField(id), nullptr);
  EXPECT_EQ(dc->GetRecordCount(), 1);
  plain->Close();
  EXPECT_EQ(dc->GetItemField(id), nullptr);
  plain->Open();
  EXPECT_EQ(dc->GetItemField(id), plain->FieldByName(u"ID"));
  dc->SetDataSource(nullptr);
}

// --- the filter text the dataset is given -----------------------------------------------------------
struct NullFilterCase {
  const char* name;
  const char16_t* field;
  TcxFilterOperatorKind op;
  std::vector<Variant> values;  // several: an array (BETWEEN, IN)
  bool underNot;                // the condition sits in a NOT list
};

struct LocaleCase {
  const char* name;
  rtl::LCID locale;
};

class DbDataSetFilterText
    : public DbFieldsFixture,
      public testing::WithParamInterface<std::tuple<NullFilterCase, LocaleCase>> {
 protected:
  void SetUp() override {
    saved = rtl::FormatSettings();
    rtl::SetFormatSettings(rtl::TFormatSettings::Create(std::get<1>(GetParam()).locale));
    DbFieldsFixture::SetUp();
    amount = dc->addItem(u"AMOUNT");
    cityId = dc->addItem(u"CITY_ID");
  }
  void TearDown() override {
    DbFieldsFixture::TearDown();
    rtl::SetFormatSettings(saved);
  }
  rtl::TFormatSettings saved;
  int amount = -1, cityId = -1;
};

// The dataset, filtered by the text the criteria hand it, keeps exactly
// the rows the criteria keep themselves: also those whose value is null,
// and also when display settings write numbers with a decimal comma.
TEST_P(DbDataSetFilterText, DatasetKeepsTheCriteriasOwnRows) {
  const NullFilterCase& c = std::get<0>(GetParam());
  data::TcxDBDataFilterCriteria* f = dc->Filter();
  f->BeginUpdate();
  data::TcxFilterCriteriaItemList* list =
      c.underNot ? f->Root()->AddItemList(data::TcxFilterBoolOperatorKind::fboNotAnd) : f->Root();
  const Variant value = c.values.size() == 1 ? c.values.front() : rtl::VarArrayOf(c.values);
  const int item = String(c.field) == u"AMOUNT" ? amount : cityId;
  f->AddItem(list, dc->GetItem(item), c.op, value, rtl::VarToStr(c.values.front()));
  f->SetActive(true);
  f->EndUpdate();
  const std::vector<int> own = rowIds();
  std::set<int> ownSet(own.begin(), own.end());

  f->SetAutoDataSetFilter(true);
  const std::string text = rtl::StringToUtf8(orders->Filter());
  ASSERT_TRUE(orders->Filtered()) << text;
  std::set<int> viaDataSet;
  for (orders->First(); !orders->Eof(); orders->Next()) viaDataSet.insert(idField->AsInteger());
  EXPECT_EQ(viaDataSet, ownSet) << text;
  EXPECT_FALSE(ownSet.empty()) << text;
  // What the criteria show and hand to other consumers stays as it was.
  EXPECT_EQ(f->GetFilterText().find(u"IS NULL"), String::npos);
}

// CITY_ID is null for records 4 and 8; AMOUNT is ID * 2.5.
const NullFilterCase kNullFilterCases[] = {
    {"notInList", u"CITY_ID", TcxFilterOperatorKind::foNotInList, {Variant(1), Variant(3)}, false},
    {"notEqual", u"CITY_ID", TcxFilterOperatorKind::foNotEqual, {Variant(2)}, false},
    {"less", u"CITY_ID", TcxFilterOperatorKind::foLess, {Variant(2)}, false},
    {"notBetween", u"CITY_ID", TcxFilterOperatorKind::foNotBetween, {Variant(2), Variant(3)}, false},
    {"inList", u"CITY_ID", TcxFilterOperatorKind::foInList, {Variant(1), Variant(3)}, false},
    {"equalUnderNot", u"CITY_ID", TcxFilterOperatorKind::foEqual, {Variant(2)}, true},
    {"greaterUnderNot", u"CITY_ID", TcxFilterOperatorKind::foGreater, {Variant(1)}, true},
    {"fractionLess", u"AMOUNT", TcxFilterOperatorKind::foLess, {Variant(8.75)}, false},
    {"fractionBetween", u"AMOUNT", TcxFilterOperatorKind::foBetween, {Variant(4.5), Variant(12.5)}, false},
    {"fractionInList", u"AMOUNT", TcxFilterOperatorKind::foInList, {Variant(7.5), Variant(17.5)}, false},
};

const LocaleCase kFilterLocales[] = {{"enUS", rtl::LOCALE_EN_US}, {"ptBR", rtl::LOCALE_PT_BR}};

INSTANTIATE_TEST_SUITE_P(
    Criteria, DbDataSetFilterText, testing::Combine(testing::ValuesIn(kNullFilterCases), testing::ValuesIn(kFilterLocales)),
    [](const testing::TestParamInfo<std::tuple<NullFilterCase, LocaleCase>>& info) {
      return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

// The dataset's reader takes a text ending in '*' as "starts with" unless
// told otherwise; the criteria compare the whole text.
TEST_F(DbFieldsFixture, TextEndingInAStarIsComparedWhole) {
  data::TcxDBDataFilterCriteria* f = dc->Filter();
  f->AddItem(nullptr, dc->GetItem(note), TcxFilterOperatorKind::foNotEqual, Variant(u"note1*"), u"note1*");
  f->SetActive(true);
  ASSERT_EQ(dc->GetRowCount(), 8);
  f->SetAutoDataSetFilter(true);
  EXPECT_EQ(orders->RecordCount(), 8) << rtl::StringToUtf8(orders->Filter());
}

TEST_F(DbFieldsFixture, FormatFilterTextValueRewritesTheDatasetsText) {
  data::TcxDBDataFilterCriteria* f = dc->Filter();
  f->SetOnFormatFilterTextValue(data::TcxDBDataFilterCriteria::TcxDBDataFilterFormatFilterTextValueEvent::fromClosure(
      this, [](data::TcxDBDataFilterCriteria*, data::TcxFilterCriteriaItem*, const Variant& value, String& text) {
        if (rtl::VarIsStr(value)) text = u"UPPER(" + text + u")";
      }));
  f->AddItem(nullptr, dc->GetItem(note), TcxFilterOperatorKind::foEqual, Variant(u"note1"), u"note1");
  EXPECT_EQ(f->GetFilterText(), u"(NOTE = UPPER('note1'))");
}

// --- adapters by dataset class ------------------------------------------------------------------
class DbAdaptersFirst : public data::TcxDBAdapterItem {
  RTL_CLASS(DbAdaptersFirst, data::TcxDBAdapterItem)
};
class DbAdaptersSecond : public data::TcxDBAdapterItem {
  RTL_CLASS(DbAdaptersSecond, data::TcxDBAdapterItem)
};

using DbAdaptersClass = const rtl::ClassInfo*;

struct AdapterOrderCase {
  const char* name;
  std::vector<DbAdaptersClass> registered;
  // Looked up: the dataset class, and the registered class that must serve it (null: none).
  std::vector<std::pair<DbAdaptersClass, DbAdaptersClass>> lookups;
};

class DbAdapterListOrder : public testing::TestWithParam<AdapterOrderCase> {};

// The nearest registered ancestor serves a class, whatever order the
// adapters came in; the list keeps every class after its ancestors.
TEST_P(DbAdapterListOrder, NearestRegisteredAncestorServesTheClass) {
  const AdapterOrderCase& c = GetParam();
  data::TcxDBAdapterList list;
  for (DbAdaptersClass cls : c.registered) list.RegisterAdapter(*cls, DbAdaptersFirst::classInfo());
  ASSERT_EQ(list.Count(), static_cast<int>(c.registered.size()));
  for (int i = 0; i < list.Count(); ++i)
    for (int j = i + 1; j < list.Count(); ++j)
      EXPECT_FALSE(list.Items(i)->DataSetClass() != list.Items(j)->DataSetClass() &&
                   list.Items(i)->DataSetClass()->InheritsFrom(list.Items(j)->DataSetClass()))
          << rtl::StringToUtf8(list.Items(i)->DataSetClass()->ClassName());
  for (const auto& [looked, expected] : c.lookups) {
    int index = 99;
    const bool found = list.FindAdapter(looked, index);
    ASSERT_EQ(found, expected != nullptr) << rtl::StringToUtf8(looked->ClassName());
    if (found) EXPECT_EQ(list.Items(index)->DataSetClass(), expected) << rtl::StringToUtf8(looked->ClassName());
  }
}

const DbAdaptersClass kDbFieldsDataSet = &db::TDataSet::classInfo();
const DbAdaptersClass kDbFieldsMemData = &db::TCustomMemDataSet::classInfo();
const DbAdaptersClass kDbFieldsQuery = &dac::TQuery::classInfo();
const DbAdaptersClass kDbFieldsMemTable = &dac::TMemTable::classInfo();

const AdapterOrderCase kAdapterOrderCases[] = {
    {"ancestorFirst", {kDbFieldsDataSet, kDbFieldsQuery}, {{kDbFieldsQuery, kDbFieldsQuery}, {kDbFieldsMemTable, kDbFieldsDataSet}, {kDbFieldsMemData, kDbFieldsDataSet}}},
    {"descendantFirst", {kDbFieldsQuery, kDbFieldsDataSet}, {{kDbFieldsQuery, kDbFieldsQuery}, {kDbFieldsMemTable, kDbFieldsDataSet}, {kDbFieldsDataSet, kDbFieldsDataSet}}},
    {"middleLast", {kDbFieldsQuery, kDbFieldsDataSet, kDbFieldsMemData},
     {{kDbFieldsQuery, kDbFieldsQuery}, {kDbFieldsMemTable, kDbFieldsMemData}, {kDbFieldsMemData, kDbFieldsMemData}, {kDbFieldsDataSet, kDbFieldsDataSet}}},
    {"onlyADescendant", {kDbFieldsQuery}, {{kDbFieldsDataSet, nullptr}, {kDbFieldsMemTable, nullptr}, {kDbFieldsQuery, kDbFieldsQuery}}},
};

INSTANTIATE_TEST_SUITE_P(Registry, DbAdapterListOrder, testing::ValuesIn(kAdapterOrderCases),
                         [](const testing::TestParamInfo<AdapterOrderCase>& info) { return std::string(info.param.name); });

TEST(DbAdapterList, MissedLookupReportsWhereTheClassBelongs) {
  data::TcxDBAdapterList list;
  list.RegisterAdapter(*kDbFieldsQuery, DbAdaptersFirst::classInfo());
  list.RegisterAdapter(*kDbFieldsMemTable, DbAdaptersFirst::classInfo());
  int index = 99;
  EXPECT_FALSE(list.FindAdapter(kDbFieldsMemData, index));
  EXPECT_EQ(index, 0);  // before both descendants
  list.RegisterAdapter(*kDbFieldsMemData, DbAdaptersSecond::classInfo());
  EXPECT_EQ(list.Items(0)->DataSetClass(), kDbFieldsMemData);
  EXPECT_EQ(list.Items(0)->ClassType(), &DbAdaptersSecond::classInfo());
}

TEST(DbAdapterList, UnregisterRemovesOnlyThatClassPair) {
  data::TcxDBAdapterList list;
  list.RegisterAdapter(*kDbFieldsDataSet, DbAdaptersFirst::classInfo());
  list.RegisterAdapter(*kDbFieldsDataSet, DbAdaptersSecond::classInfo());
  list.RegisterAdapter(*kDbFieldsQuery, DbAdaptersFirst::classInfo());
  list.UnregisterAdapter(*kDbFieldsDataSet, data::TcxDBAdapterItem::classInfo());  // exact class only
  EXPECT_EQ(list.Count(), 3);
  list.UnregisterAdapter(*kDbFieldsDataSet, DbAdaptersFirst::classInfo());
  ASSERT_EQ(list.Count(), 2);
  int index = -1;
  ASSERT_TRUE(list.FindAdapter(kDbFieldsMemTable, index));
  EXPECT_EQ(list.Items(index)->ClassType(), &DbAdaptersSecond::classInfo());
  ASSERT_TRUE(list.FindAdapter(kDbFieldsQuery, index));
  EXPECT_EQ(list.Items(index)->ClassType(), &DbAdaptersFirst::classInfo());
  EXPECT_THROW(list.Items(2), rtl::EListError);
  EXPECT_THROW(list.Items(-1), rtl::EListError);
  EXPECT_THROW(list.RegisterAdapter(*kDbFieldsQuery, db::TCustomMemDataSet::classInfo()), rtl::Exception);
  EXPECT_EQ(list.Count(), 2);
}

TEST(DbAdapterList, FilterOperatorListServesEveryDatasetAndIsMadeAgainAfterItsStop) {
  ASSERT_EQ(data::cxFilterOperatorAdapters()->Count(), 1);
  EXPECT_EQ(data::cxFilterOperatorAdapters()->Items(0)->DataSetClass(), kDbFieldsDataSet);
  EXPECT_EQ(data::cxGetFilterOperatorAdapter(nullptr), nullptr);
  dac::TMemTable table(nullptr);
  EXPECT_NE(data::cxGetFilterOperatorAdapter(&table), nullptr);
  data::cxDBDataAdaptersFinalization();
  data::cxDBDataAdaptersInitialization();
  data::cxDBDataAdaptersInitialization();  // a second start adds nothing
  EXPECT_EQ(data::cxFilterOperatorAdapters()->Count(), 1);
  EXPECT_NE(data::cxGetFilterOperatorAdapter(&table), nullptr);
}

// --- null tests written for query datasets ---------------------------------------------------
class TFieldsQuery : public db::TCustomMemDataSet {
  RTL_CLASS(TFieldsQuery, db::TCustomMemDataSet)
 public:
  using db::TCustomMemDataSet::TCustomMemDataSet;
};
class TFieldsquerySet : public db::TCustomMemDataSet {
  RTL_CLASS(TFieldsquerySet, db::TCustomMemDataSet)
 public:
  using db::TCustomMemDataSet::TCustomMemDataSet;
};
class TQUERYFIELDS : public db::TCustomMemDataSet {
  RTL_CLASS(TQUERYFIELDS, db::TCustomMemDataSet)
 public:
  using db::TCustomMemDataSet::TCustomMemDataSet;
};
// Only the class's own name counts, not its ancestors'.
class TFieldsView : public TFieldsQuery {
  RTL_CLASS(TFieldsView, TFieldsQuery)
 public:
  using TFieldsQuery::TFieldsQuery;
};

template <class DataSet>
std::unique_ptr<db::TCustomMemDataSet> dbFieldsMake() {
  return std::make_unique<DataSet>(nullptr);
}

struct QueryNullCase {
  const char* name;
  std::unique_ptr<db::TCustomMemDataSet> (*make)();
  bool sql;
};

// ID 1..6 with NOTE null for 2 and 5.
std::unique_ptr<db::TCustomMemDataSet> dbFieldsNotes(std::unique_ptr<db::TCustomMemDataSet> ds) {
  ds->FieldDefs()->Add(u"ID", db::ftInteger);
  ds->FieldDefs()->Add(u"NOTE", db::ftString, 10);
  ds->CreateDataSet();
  for (int i = 1; i <= 6; ++i)
    ds->AppendRecord({Variant(i), i % 3 == 2 ? rtl::Null() : Variant(u"n" + rtl::IntToStr(i))});
  return ds;
}

std::set<int> dbFieldsDataSetIds(db::TDataSet* ds) {
  std::set<int> ids;
  for (ds->First(); !ds->Eof(); ds->Next()) ids.insert(ds->FieldByName(u"ID")->AsInteger());
  return ids;
}

std::set<int> dbFieldsRowIds(TcxDBDataController* dc, int idItem) {
  std::set<int> ids;
  for (int r = 0; r < dc->GetRowCount(); ++r) ids.insert(dc->GetValue(dc->GetRowInfo(r).RecordIndex, idItem).AsInteger());
  return ids;
}

class DbQueryNullTests : public testing::TestWithParam<QueryNullCase> {};

TEST_P(DbQueryNullTests, QueryClassesWriteIsNullAndTheDatasetKeepsTheCriteriasRows) {
  const QueryNullCase& c = GetParam();
  auto ds = dbFieldsNotes(c.make());
  db::TDataSource source(nullptr);
  source.SetDataSet(ds.get());
  FieldsController dc;
  const int id = dc.addItem(u"ID");
  const int note = dc.addItem(u"NOTE");
  dc.SetDataSource(&source);
  data::TcxDBDataFilterCriteria* f = dc.Filter();
  const struct {
    TcxFilterOperatorKind op;
    const char16_t* sqlText;
    const char16_t* plainText;
  } tests[] = {{TcxFilterOperatorKind::foEqual, u"(NOTE IS NULL)", u"(NOTE = NULL)"},
               {TcxFilterOperatorKind::foNotEqual, u"(NOTE IS NOT NULL)", u"(NOTE <> NULL)"},
               {TcxFilterOperatorKind::foLike, u"(NOTE IS NULL)", u"(NOTE = NULL)"}};
  for (const auto& t : tests) {
    // Switching AutoDataSetFilter off leaves the dataset's filter as it was.
    f->SetAutoDataSetFilter(false);
    ds->SetFiltered(false);
    f->Clear();
    f->AddItem(nullptr, dc.GetItem(note), t.op, rtl::Null(), String());
    f->SetActive(true);
    EXPECT_EQ(f->GetFilterText(), c.sql ? t.sqlText : t.plainText);
    const std::set<int> own = dbFieldsRowIds(&dc, id);
    ASSERT_FALSE(own.empty());
    f->SetAutoDataSetFilter(true);
    EXPECT_EQ(ds->Filter(), c.sql ? t.sqlText : t.plainText);
    EXPECT_EQ(dbFieldsDataSetIds(ds.get()), own) << rtl::StringToUtf8(ds->Filter());
  }
}

const QueryNullCase kDbFieldsQueryNullCases[] = {
    {"TFieldsQuery", dbFieldsMake<TFieldsQuery>, true},
    {"lowerCaseQuery", dbFieldsMake<TFieldsquerySet>, true},
    {"upperCaseQuery", dbFieldsMake<TQUERYFIELDS>, true},
    {"descendantOfAQuery", dbFieldsMake<TFieldsView>, false},
    {"memTable", dbFieldsMake<dac::TMemTable>, false},
    {"memDataSet", dbFieldsMake<db::TCustomMemDataSet>, false},
};

INSTANTIATE_TEST_SUITE_P(Adapters, DbQueryNullTests, testing::ValuesIn(kDbFieldsQueryNullCases),
                         [](const testing::TestParamInfo<QueryNullCase>& info) { return std::string(info.param.name); });

// A stored filter is often loaded before the dataset is bound: its null
// tests follow the dataset bound later, and the next one bound after that.
TEST(DbQueryNullTest, BlankTestFollowsTheDatasetBoundLater) {
  auto query = dbFieldsNotes(dbFieldsMake<TFieldsQuery>());
  auto table = dbFieldsNotes(dbFieldsMake<dac::TMemTable>());
  db::TDataSource source(nullptr);
  FieldsController dc;
  dc.addItem(u"ID");
  const int note = dc.addItem(u"NOTE");
  dc.Filter()->AddItem(nullptr, dc.GetItem(note), TcxFilterOperatorKind::foNotEqual, rtl::Null(), String());
  dc.SetDataSource(&source);
  source.SetDataSet(query.get());
  EXPECT_EQ(dc.Filter()->GetFilterText(), u"(NOTE IS NOT NULL)");
  source.SetDataSet(table.get());
  EXPECT_EQ(dc.Filter()->GetFilterText(), u"(NOTE <> NULL)");
}

// Only NULL may follow IS: a soft-null blank test holding an empty text
// is still written "IS NULL" for a query.
TEST(DbQueryNullTest, SoftNullBlankTestOnAQueryIsWrittenWithNull) {
  auto query = dbFieldsNotes(dbFieldsMake<TFieldsQuery>());
  db::TDataSource source(nullptr);
  source.SetDataSet(query.get());
  FieldsController dc;
  dc.addItem(u"ID");
  const int note = dc.addItem(u"NOTE");
  dc.SetDataSource(&source);
  data::TcxDBDataFilterCriteria* f = dc.Filter();
  f->SetOptions({data::TcxFilterCriteriaOption::fcoSoftNull});
  f->AddItem(nullptr, dc.GetItem(note), TcxFilterOperatorKind::foEqual, Variant(u""), String());
  f->AddItem(nullptr, dc.GetItem(note), TcxFilterOperatorKind::foNotLike, Variant(u""), String());
  EXPECT_EQ(f->GetFilterText(), u"(NOTE IS NULL) AND (NOTE IS NOT NULL)");
}

// --- dates in the dataset's filter text -------------------------------------------------------------
struct DateFilterCase {
  const char* name;
  const char16_t* field;
  TcxFilterOperatorKind op;
  std::vector<Variant> values;  // several: an array (BETWEEN, IN)
};

struct DateDataSetCase {
  const char* name;
  std::unique_ptr<db::TCustomMemDataSet> (*make)();
};

Variant dbFieldsAt(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int msec = 0) {
  return Variant::FromDateTime(rtl::EncodeDate(rtl::Word(year), rtl::Word(month), rtl::Word(day)) +
                               rtl::EncodeTime(rtl::Word(hour), rtl::Word(minute), rtl::Word(second), rtl::Word(msec)));
}

// Days whose day and month both lie in 1..12 read as another date in the
// other order; AT has times, one with milliseconds; row 3 is null.
class DbDataSetDates : public testing::TestWithParam<std::tuple<DateFilterCase, LocaleCase, DateDataSetCase>> {
 protected:
  void SetUp() override {
    saved = rtl::FormatSettings();
    rtl::SetFormatSettings(rtl::TFormatSettings::Create(std::get<1>(GetParam()).locale));
    ds = std::get<2>(GetParam()).make();
    ds->FieldDefs()->Add(u"ID", db::ftInteger);
    ds->FieldDefs()->Add(u"DAY", db::ftDate);
    ds->FieldDefs()->Add(u"AT", db::ftDateTime);
    ds->CreateDataSet();
    ds->AppendRecord({Variant(1), dbFieldsAt(2024, 3, 4), dbFieldsAt(2024, 3, 4, 10, 31, 17)});
    ds->AppendRecord({Variant(2), dbFieldsAt(2024, 4, 3), dbFieldsAt(2024, 4, 3, 8)});
    ds->AppendRecord({Variant(3), rtl::Null(), rtl::Null()});
    ds->AppendRecord({Variant(4), dbFieldsAt(2024, 3, 5), dbFieldsAt(2024, 3, 4, 23, 59, 59, 500)});
    ds->AppendRecord({Variant(5), dbFieldsAt(2024, 12, 1), dbFieldsAt(2024, 3, 4)});
    ds->AppendRecord({Variant(6), dbFieldsAt(2023, 3, 4), dbFieldsAt(2024, 3, 5, 10, 31, 17)});
    source = std::make_unique<db::TDataSource>(nullptr);
    source->SetDataSet(ds.get());
    dc = std::make_unique<FieldsController>();
    id = dc->addItem(u"ID");
    day = dc->addItem(u"DAY");
    at = dc->addItem(u"AT");
    dc->SetDataSource(source.get());
  }
  void TearDown() override {
    dc.reset();
    source.reset();
    ds.reset();
    rtl::SetFormatSettings(saved);
  }
  rtl::TFormatSettings saved;
  std::unique_ptr<db::TCustomMemDataSet> ds;
  std::unique_ptr<db::TDataSource> source;
  std::unique_ptr<FieldsController> dc;
  int id = -1, day = -1, at = -1;
};

// A memory table reads its filter with pt-BR settings whatever the display
// settings; a plain memory dataset with the display settings.
TEST_P(DbDataSetDates, DatasetKeepsTheCriteriasRows) {
  const DateFilterCase& c = std::get<0>(GetParam());
  data::TcxDBDataFilterCriteria* f = dc->Filter();
  const Variant value = c.values.size() == 1 ? c.values.front() : rtl::VarArrayOf(c.values);
  f->AddItem(nullptr, dc->GetItem(String(c.field) == u"DAY" ? day : at), c.op, value, String());
  f->SetActive(true);
  const std::set<int> own = dbFieldsRowIds(dc.get(), id);
  f->SetAutoDataSetFilter(true);
  const std::string text = rtl::StringToUtf8(ds->Filter());
  EXPECT_EQ(dbFieldsDataSetIds(ds.get()), own) << text;
  EXPECT_FALSE(own.empty()) << text;
  EXPECT_EQ(text.find('/'), std::string::npos) << text;
}

const DateFilterCase kDateFilterCases[] = {
    {"dayEqual", u"DAY", TcxFilterOperatorKind::foEqual, {dbFieldsAt(2024, 3, 4)}},
    {"dayLess", u"DAY", TcxFilterOperatorKind::foLess, {dbFieldsAt(2024, 4, 1)}},
    {"dayNotEqual", u"DAY", TcxFilterOperatorKind::foNotEqual, {dbFieldsAt(2024, 3, 4)}},
    {"dayBetween", u"DAY", TcxFilterOperatorKind::foBetween, {dbFieldsAt(2024, 3, 4), dbFieldsAt(2024, 4, 3)}},
    {"dayInList", u"DAY", TcxFilterOperatorKind::foInList, {dbFieldsAt(2024, 4, 3), dbFieldsAt(2024, 12, 1)}},
    {"timeEqual", u"AT", TcxFilterOperatorKind::foEqual, {dbFieldsAt(2024, 3, 4, 10, 31, 17)}},
    {"timeLess", u"AT", TcxFilterOperatorKind::foLess, {dbFieldsAt(2024, 3, 4, 10, 31, 17)}},
    {"millisecondsGreaterEqual", u"AT", TcxFilterOperatorKind::foGreaterEqual,
     {dbFieldsAt(2024, 3, 4, 23, 59, 59, 500)}},
    {"timeBetweenDays", u"AT", TcxFilterOperatorKind::foBetween, {dbFieldsAt(2024, 3, 4), dbFieldsAt(2024, 3, 5)}},
    {"timeInList", u"AT", TcxFilterOperatorKind::foInList,
     {dbFieldsAt(2024, 3, 4, 10, 31, 17), dbFieldsAt(2024, 3, 4, 23, 59, 59, 500)}},
    {"relativeInPast", u"AT", TcxFilterOperatorKind::foInPast, {rtl::Null()}},
};

const DateDataSetCase kDateDataSets[] = {{"memTable", dbFieldsMake<dac::TMemTable>},
                                         {"memDataSet", dbFieldsMake<db::TCustomMemDataSet>}};

INSTANTIATE_TEST_SUITE_P(
    Criteria, DbDataSetDates,
    testing::Combine(testing::ValuesIn(kDateFilterCases), testing::ValuesIn(kFilterLocales),
                     testing::ValuesIn(kDateDataSets)),
    [](const testing::TestParamInfo<std::tuple<DateFilterCase, LocaleCase, DateDataSetCase>>& info) {
      return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name + "_" +
             std::get<2>(info.param).name;
    });

// A DateTimeFormat someone chose is what their dataset (or their own
// reader of the text) expects: it stays as it is.
TEST(DbDataSetDate, ChosenDateTimeFormatIsKept) {
  auto ds = dbFieldsMake<dac::TMemTable>();
  ds->FieldDefs()->Add(u"ID", db::ftInteger);
  ds->FieldDefs()->Add(u"DAY", db::ftDate);
  ds->CreateDataSet();
  ds->AppendRecord({Variant(1), dbFieldsAt(2024, 3, 4)});
  ds->AppendRecord({Variant(2), dbFieldsAt(2024, 4, 3)});
  db::TDataSource source(nullptr);
  source.SetDataSet(ds.get());
  FieldsController dc;
  dc.addItem(u"ID");
  const int day = dc.addItem(u"DAY");
  dc.SetDataSource(&source);
  data::TcxDBDataFilterCriteria* f = dc.Filter();
  f->SetDateTimeFormat(u"dd/mm/yyyy");
  f->AddItem(nullptr, dc.GetItem(day), TcxFilterOperatorKind::foEqual, dbFieldsAt(2024, 3, 4), String());
  f->SetActive(true);
  f->SetAutoDataSetFilter(true);
  EXPECT_EQ(ds->Filter(), u"(DAY = '04/03/2024')");
  EXPECT_EQ(dbFieldsDataSetIds(ds.get()), std::set<int>{1});
}

// --- soft null and keys of several fields -------------------------------------------------------------
struct NullKeyCase {
  const char* name;
  data::TcxFilterCriteriaOptions options;
  bool onPlace;  // the lookup item of two keys, else NOTE
  TcxFilterOperatorKind op;
  Variant value;
  bool underNot;
};

// NOTE holds texts, empty texts and nulls; PLACE looks a name up by the
// two keys K1;K2, which hold nulls.
class DbNullKeys : public testing::TestWithParam<NullKeyCase> {
 protected:
  void SetUp() override {
    places = std::make_unique<db::TCustomMemDataSet>(nullptr);
    places->FieldDefs()->Add(u"ID1", db::ftInteger);
    places->FieldDefs()->Add(u"ID2", db::ftInteger);
    places->FieldDefs()->Add(u"NAME", db::ftString, 10);
    places->CreateDataSet();
    places->AppendRecord({Variant(1), Variant(2), Variant(u"Porto")});
    places->AppendRecord({Variant(2), Variant(2), Variant(u"Braga")});

    ds = std::make_unique<db::TCustomMemDataSet>(nullptr);
    ds->FieldDefs()->Add(u"ID", db::ftInteger);
    ds->FieldDefs()->Add(u"NOTE", db::ftString, 10);
    ds->FieldDefs()->Add(u"K1", db::ftInteger);
    ds->FieldDefs()->Add(u"K2", db::ftInteger);
    fieldsAdd<db::TIntegerField>(ds.get(), u"ID");
    fieldsAdd<db::TStringField>(ds.get(), u"NOTE")->SetSize(10);
    fieldsAdd<db::TIntegerField>(ds.get(), u"K1");
    fieldsAdd<db::TIntegerField>(ds.get(), u"K2");
    auto* look = fieldsAdd<db::TStringField>(ds.get(), u"PLACE");
    look->SetSize(10);
    look->SetFieldKind(db::fkLookup);
    look->SetLookupDataSet(places.get());
    look->SetKeyFields(u"K1;K2");
    look->SetLookupKeyFields(u"ID1;ID2");
    look->SetLookupResultField(u"NAME");
    ds->CreateDataSet();
    ds->SetEmptyTextAsNull(false);  // keeps the empty texts soft null is about
    const Variant n = rtl::Null();
    const std::vector<std::vector<Variant>> rows = {
        {Variant(1), Variant(u"a"), Variant(1), Variant(2)}, {Variant(2), Variant(u""), Variant(1), n},
        {Variant(3), n, n, Variant(2)},                      {Variant(4), Variant(u"b"), Variant(2), Variant(2)},
        {Variant(5), Variant(u""), n, n},                    {Variant(6), n, Variant(1), Variant(2)},
        {Variant(7), Variant(u"a"), Variant(2), Variant(1)}};
    for (const auto& row : rows) ds->AppendRecord(row);
    source = std::make_unique<db::TDataSource>(nullptr);
    source->SetDataSet(ds.get());
    dc = std::make_unique<FieldsController>();
    id = dc->addItem(u"ID");
    note = dc->addItem(u"NOTE");
    place = dc->addItem(u"PLACE");
    dc->SetDataSource(source.get());
  }
  void TearDown() override {
    dc.reset();
    source.reset();
    ds.reset();
    places.reset();
  }
  std::unique_ptr<db::TCustomMemDataSet> places;
  std::unique_ptr<db::TCustomMemDataSet> ds;
  std::unique_ptr<db::TDataSource> source;
  std::unique_ptr<FieldsController> dc;
  int id = -1, note = -1, place = -1;
};

TEST_P(DbNullKeys, DatasetKeepsTheCriteriasRows) {
  const NullKeyCase& c = GetParam();
  ASSERT_EQ(dc->GetFilterItemFieldName(dc->GetItem(place)), u"K1;K2");
  data::TcxDBDataFilterCriteria* f = dc->Filter();
  f->BeginUpdate();
  f->SetOptions(c.options);
  data::TcxFilterCriteriaItemList* list =
      c.underNot ? f->Root()->AddItemList(data::TcxFilterBoolOperatorKind::fboNotAnd) : f->Root();
  f->AddItem(list, dc->GetItem(c.onPlace ? place : note), c.op, c.value, String());
  f->SetActive(true);
  f->EndUpdate();
  const std::set<int> own = dbFieldsRowIds(dc.get(), id);
  ASSERT_EQ(dc->GetRowCount(), static_cast<int>(own.size()));
  f->SetAutoDataSetFilter(true);
  const std::string text = rtl::StringToUtf8(ds->Filter());
  EXPECT_EQ(dbFieldsDataSetIds(ds.get()), own) << text;
}

using DbFieldsOpt = data::TcxFilterCriteriaOption;
const data::TcxFilterCriteriaOptions kDbFieldsSoft = {DbFieldsOpt::fcoSoftNull};
const data::TcxFilterCriteriaOptions kDbFieldsSoftIgnore = {DbFieldsOpt::fcoSoftNull, DbFieldsOpt::fcoIgnoreNull};
const data::TcxFilterCriteriaOptions kDbFieldsPlain = {};
const Variant kDbFieldsNull = rtl::Null();
const Variant kDbFieldsKey12 = rtl::VarArrayOf({Variant(1), Variant(2)});
const Variant kDbFieldsKey1Null = rtl::VarArrayOf({Variant(1), rtl::Null()});

const NullKeyCase kNullKeyCases[] = {
    {"softBlank", kDbFieldsSoft, false, TcxFilterOperatorKind::foEqual, kDbFieldsNull, false},
    {"softNotBlank", kDbFieldsSoft, false, TcxFilterOperatorKind::foNotEqual, kDbFieldsNull, false},
    {"softBlankUnderNot", kDbFieldsSoft, false, TcxFilterOperatorKind::foEqual, kDbFieldsNull, true},
    {"softEmptyTextIsBlank", kDbFieldsSoft, false, TcxFilterOperatorKind::foEqual, Variant(u""), false},
    {"softLikeEmptyText", kDbFieldsSoft, false, TcxFilterOperatorKind::foLike, Variant(u""), false},
    {"softIgnoredLess", kDbFieldsSoftIgnore, false, TcxFilterOperatorKind::foLess, Variant(u"b"), false},
    {"softIgnoredNotEqual", kDbFieldsSoftIgnore, false, TcxFilterOperatorKind::foNotEqual, Variant(u"a"), false},
    {"softIgnoredEqualUnderNot", kDbFieldsSoftIgnore, false, TcxFilterOperatorKind::foEqual, Variant(u"a"), true},
    {"softNotEqualText", kDbFieldsSoft, false, TcxFilterOperatorKind::foNotEqual, Variant(u"a"), false},
    {"keysEqual", kDbFieldsPlain, true, TcxFilterOperatorKind::foEqual, kDbFieldsKey12, false},
    {"keysNotEqual", kDbFieldsPlain, true, TcxFilterOperatorKind::foNotEqual, kDbFieldsKey12, false},
    {"keysEqualUnderNot", kDbFieldsPlain, true, TcxFilterOperatorKind::foEqual, kDbFieldsKey12, true},
    {"keysWithNullEqual", kDbFieldsPlain, true, TcxFilterOperatorKind::foEqual, kDbFieldsKey1Null, false},
    {"keysWithNullNotEqual", kDbFieldsPlain, true, TcxFilterOperatorKind::foNotEqual, kDbFieldsKey1Null, false},
    {"keysBlank", kDbFieldsPlain, true, TcxFilterOperatorKind::foEqual, kDbFieldsNull, false},
    {"keysNotBlank", kDbFieldsPlain, true, TcxFilterOperatorKind::foNotEqual, kDbFieldsNull, false},
    {"keysSoftNotEqual", kDbFieldsSoft, true, TcxFilterOperatorKind::foNotEqual, kDbFieldsKey12, false},
};

INSTANTIATE_TEST_SUITE_P(Criteria, DbNullKeys, testing::ValuesIn(kNullKeyCases),
                         [](const testing::TestParamInfo<NullKeyCase>& info) { return std::string(info.param.name); });

}  // namespace
