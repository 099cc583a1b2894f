// The dataset-bound controller's fields: summaries over a field by name,
// the find panel's criteria posting a pending edit, lookup items, the
// routines that decide how a field is edited and shown, default fields,
// and the filter text AutoDataSetFilter gives the dataset (null values and
// the pt-BR decimal comma).
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "lib/data/cxDBData.h"
#include "lib/data/cxDataSummary.h"
#include "platform/db/db.h"
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

TEST_F(DbFieldsFixture, FormatFilterTextValueRewritesTheDatasetsText) {
  data::TcxDBDataFilterCriteria* f = dc->Filter();
  f->SetOnFormatFilterTextValue(data::TcxDBDataFilterCriteria::TcxDBDataFilterFormatFilterTextValueEvent::fromClosure(
      this, [](data::TcxDBDataFilterCriteria*, data::TcxFilterCriteriaItem*, const Variant& value, String& text) {
        if (rtl::VarIsStr(value)) text = u"UPPER(" + text + u")";
      }));
  f->AddItem(nullptr, dc->GetItem(note), TcxFilterOperatorKind::foEqual, Variant(u"note1"), u"note1");
  EXPECT_EQ(f->GetFilterText(), u"(NOTE = UPPER('note1'))");
}

}  // namespace
