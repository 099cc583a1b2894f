// Field kinds: conversions, texts in pt-BR, empty text as NULL, display labels.
#include <gtest/gtest.h>

#include "tests/db/db_test_util.h"

using namespace dbtest;

namespace {

class PtBrFields : public testing::Test {
 protected:
  void SetUp() override {
    ds = std::make_unique<db::TCustomMemDataSet>(nullptr);
    ds->SetFormatSettings(rtl::TFormatSettings::Create(rtl::LOCALE_PT_BR));
    ds->FieldDefs()->Add(u"KM", db::ftFloat);
    ds->FieldDefs()->Add(u"QTD", db::ftInteger);
    ds->FieldDefs()->Add(u"DATA", db::ftDateTime);
    ds->FieldDefs()->Add(u"DIA", db::ftDate);
    ds->FieldDefs()->Add(u"NOME", db::ftString, 20);
    ds->FieldDefs()->Add(u"VALOR", db::ftBCD);
    ds->FieldDefs()->Add(u"ATIVO", db::ftBoolean);
    ds->FieldDefs()->Add(u"TOTAL", db::ftLargeint);
    ds->CreateDataSet();
    ds->Append();
  }
  db::TField* f(const char16_t* name) { return ds->FieldByName(name); }
  std::unique_ptr<db::TCustomMemDataSet> ds;
};

TEST_F(PtBrFields, TextIntoNumbersAndDatesUsesTheDatasetSettings) {
  f(u"KM")->SetAsString(u"45,5");
  EXPECT_DOUBLE_EQ(f(u"KM")->AsFloat(), 45.5);
  f(u"KM")->SetText(u"1,5E3");
  EXPECT_DOUBLE_EQ(f(u"KM")->AsFloat(), 1500.0);
  EXPECT_EQ(f(u"KM")->AsString(), u"1500");
  f(u"KM")->SetAsFloat(2.25);
  EXPECT_EQ(f(u"KM")->DisplayText(), u"2,25");
  f(u"DATA")->SetAsString(u"05/03/2024 14:30");
  EXPECT_DOUBLE_EQ(f(u"DATA")->AsDateTime(), rtl::EncodeDateTime(2024, 3, 5, 14, 30, 0, 0));
  f(u"DATA")->SetAsString(u"05/03/2024 14:30:15");
  EXPECT_EQ(f(u"DATA")->DisplayText(), u"05/03/2024 14:30:15");
  f(u"DIA")->SetAsString(u"31/12/2023");
  EXPECT_DOUBLE_EQ(f(u"DIA")->AsDateTime(), rtl::EncodeDate(2023, 12, 31));
  EXPECT_EQ(f(u"DIA")->Text(), u"31/12/2023");
  f(u"VALOR")->SetAsString(u"10,1234");
  EXPECT_EQ(f(u"VALOR")->AsCurrency(), rtl::Currency::FromScaled(101234));
  f(u"QTD")->SetAsString(u" 42 ");
  EXPECT_EQ(f(u"QTD")->AsInteger(), 42);
}

struct BadText {
  const char16_t* field;
  const char16_t* text;
  const char16_t* message;
};

TEST_F(PtBrFields, BadTextRaisesAConversionErrorAndKeepsTheValue) {
  f(u"KM")->SetAsFloat(1);
  const BadText cases[] = {
      {u"KM", u"45.5x", u"'45.5x' is not a valid floating point value"},
      {u"QTD", u"4,5", u"'4,5' is not a valid integer value"},
      {u"DATA", u"31/02/2024", u"'31/02/2024' is not a valid date and time"},
      {u"DIA", u"ontem", u"'ontem' is not a valid date"},
      {u"ATIVO", u"talvez", u"'talvez' is not a valid boolean value"},
  };
  for (const BadText& c : cases) {
    try {
      f(c.field)->SetAsString(c.text);
      ADD_FAILURE() << rtl::StringToUtf8(c.field);
    } catch (const rtl::EConvertError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
  EXPECT_DOUBLE_EQ(f(u"KM")->AsFloat(), 1.0);
}

TEST_F(PtBrFields, EmptyTextIsNullInEveryKindUnlessSwitchedOff) {
  for (const char16_t* name : {u"KM", u"QTD", u"DATA", u"NOME", u"VALOR", u"ATIVO"}) {
    f(name)->SetAsString(u"");
    EXPECT_TRUE(f(name)->IsNull()) << rtl::StringToUtf8(name);
  }
  f(u"NOME")->SetAsString(u"x");
  f(u"NOME")->SetValue(Variant(u""));
  EXPECT_TRUE(f(u"NOME")->IsNull());
  f(u"NOME")->SetText(u"");
  EXPECT_TRUE(f(u"NOME")->IsNull());
  ds->SetEmptyTextAsNull(false);
  f(u"NOME")->SetAsString(u"");
  EXPECT_FALSE(f(u"NOME")->IsNull());
  EXPECT_EQ(f(u"NOME")->AsString(), u"");
  EXPECT_THROW(f(u"QTD")->SetAsString(u""), rtl::EConvertError);
}

TEST_F(PtBrFields, RangesOfIntegerKinds) {
  f(u"TOTAL")->SetAsLargeInt(9000000000LL);
  EXPECT_EQ(f(u"TOTAL")->AsLargeInt(), 9000000000LL);
  EXPECT_THROW(f(u"QTD")->SetAsLargeInt(9000000000LL), db::EDatabaseError);
  f(u"QTD")->SetAsFloat(2.6);
  EXPECT_EQ(f(u"QTD")->AsInteger(), 3);
}

TEST_F(PtBrFields, DisplayFormatsAndBooleanTexts) {
  auto* km = static_cast<db::TFloatField*>(f(u"KM"));
  km->SetAsFloat(1234.5);
  km->SetDisplayFormat(u"#,##0.00");
  EXPECT_EQ(km->DisplayText(), u"1.234,50");
  EXPECT_EQ(km->Text(), u"1234,5");
  km->SetEditFormat(u"0.000");
  EXPECT_EQ(km->Text(), u"1234,500");
  auto* data = static_cast<db::TDateTimeField*>(f(u"DATA"));
  data->SetAsDateTime(rtl::EncodeDate(2024, 1, 2));
  data->SetDisplayFormat(u"yyyy-mm-dd");
  EXPECT_EQ(data->DisplayText(), u"2024-01-02");
  auto* ativo = static_cast<db::TBooleanField*>(f(u"ATIVO"));
  ativo->SetDisplayValues(u"Sim;Não");
  ativo->SetAsString(u"não");
  EXPECT_FALSE(ativo->AsBoolean());
  EXPECT_EQ(ativo->DisplayText(), u"Não");
  ativo->SetAsString(u"S");
  EXPECT_TRUE(ativo->AsBoolean());
}

TEST_F(PtBrFields, OnGetTextAndOnSetTextReplaceTheConversion) {
  f(u"NOME")->SetOnGetText(db::TFieldGetTextEvent::fromClosure(ds.get(), [](db::TField* fld, String& text, bool display) {
    text = (display ? u"D:" : u"E:") + fld->AsString();
  }));
  f(u"NOME")->SetOnSetText(db::TFieldSetTextEvent::fromClosure(ds.get(), [](db::TField* fld, const String& text) {
    fld->SetAsString(rtl::AnsiUpperCase(text));
  }));
  f(u"NOME")->SetText(u"abc");
  EXPECT_EQ(f(u"NOME")->AsString(), u"ABC");
  EXPECT_EQ(f(u"NOME")->DisplayText(), u"D:ABC");
  EXPECT_EQ(f(u"NOME")->Text(), u"E:ABC");
}

TEST(Fields, SqliteTextReadsAsIsoDateTime) {
  db::TCustomMemDataSet ds(nullptr);
  ds.FieldDefs()->Add(u"STAMP", db::ftString, 19);
  ds.CreateDataSet();
  ds.AppendRecord({Variant(u"2024-03-05 06:07:08")});
  EXPECT_DOUBLE_EQ(ds.FieldByName(u"STAMP")->AsDateTime(), rtl::EncodeDateTime(2024, 3, 5, 6, 7, 8, 0));
}

TEST(Fields, DisplayLabelIsTheNameOrItsCapitals) {
  db::TCustomMemDataSet ds(nullptr);
  ds.FieldDefs()->Add(u"km", db::ftFloat);
  ds.CreateDataSet();
  db::TField* km = ds.FieldByName(u"KM");
  EXPECT_EQ(km->DisplayLabel(), u"km");
  ds.SetUpperCaseDisplayLabels(true);
  EXPECT_EQ(km->DisplayLabel(), u"KM");
  km->SetDisplayLabel(u"Quilometragem");
  EXPECT_EQ(km->DisplayLabel(), u"Quilometragem");
}

TEST(Fields, KindsAndTypesKeepThePlatformOrder) {
  EXPECT_EQ(static_cast<int>(db::ftBlob), 15);
  EXPECT_EQ(static_cast<int>(db::ftCursor), 22);
  EXPECT_EQ(static_cast<int>(db::ftWideString), 24);
  EXPECT_EQ(static_cast<int>(db::ftFMTBcd), 37);
  EXPECT_EQ(static_cast<int>(db::ftSingle), 51);
  EXPECT_EQ(db::FieldTypeName(db::ftFMTBcd), u"ftFMTBcd");
  EXPECT_EQ(db::DefaultFieldClass(db::ftOraClob)->ClassName(), u"TWideMemoField");
  EXPECT_FALSE(db::DefaultFieldClass(db::ftADT));
  db::TCustomMemDataSet ds(nullptr);
  ds.FieldDefs()->Add(u"MEMO", db::ftMemo);
  ds.FieldDefs()->Add(u"BIN", db::ftBlob);
  ds.FieldDefs()->Add(u"N", db::ftFMTBcd, 2);
  ds.CreateDataSet();
  ds.AppendRecord({Variant(u"long text"), Variant::FromAnsiString(std::string("\x01\x02", 2)), Variant(u"12.5")});
  EXPECT_TRUE(ds.FieldByName(u"MEMO")->IsBlob());
  EXPECT_EQ(ds.FieldByName(u"MEMO")->DisplayText(), u"(MEMO)");
  EXPECT_EQ(ds.FieldByName(u"MEMO")->Text(), u"long text");
  EXPECT_EQ(ds.FieldByName(u"BIN")->AsBytes(), std::string("\x01\x02", 2));
  EXPECT_EQ(ds.FieldByName(u"BIN")->DisplayText(), u"(BLOB)");
  EXPECT_DOUBLE_EQ(ds.FieldByName(u"N")->AsFloat(), 12.5);
  EXPECT_THROW(ds.FieldByName(u"MEMO")->AsDateTime(), db::EDatabaseError);
}

TEST(Fields, ValidCharsOfNumbers) {
  db::TIntegerField i(nullptr);
  db::TStringField s(nullptr);
  EXPECT_TRUE(i.IsValidChar(u'7'));
  EXPECT_TRUE(i.IsValidChar(u'-'));
  EXPECT_FALSE(i.IsValidChar(u'a'));
  EXPECT_FALSE(i.IsValidChar(u'\u00e9'));
  EXPECT_TRUE(s.IsValidChar(u'\u00e9'));
  EXPECT_TRUE(s.IsValidChar(u'\u4e2d'));
}

}  // namespace
