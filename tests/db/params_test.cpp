// Parameters: names, typed values, empty text, copies.
#include <gtest/gtest.h>

#include "platform/db/params.h"
#include "platform/rtl/datetime.h"

namespace {

using db::Variant;

TEST(Params, ByNameIgnoringCaseAndTheMissingOne) {
  db::TParams params;
  params.CreateParam(db::ftInteger, u"Empresa", db::ptInput);
  params.ParamByName(u"EMPRESA")->SetAsInteger(17);
  EXPECT_EQ(params.FindParam(u"empresa")->AsInteger(), 17);
  EXPECT_EQ(params.FindParam(u"other"), nullptr);
  try {
    params.ParamByName(u"other");
    FAIL();
  } catch (const db::EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Parameter 'other' not found");
  }
}

TEST(Params, TypedValuesConvertText) {
  db::TParams params;
  params.SetFormatSettings(rtl::TFormatSettings::Create(rtl::LOCALE_PT_BR));
  db::TParam* km = params.CreateParam(db::ftFloat, u"km", db::ptInput);
  km->SetValue(Variant(u"45,5"));
  EXPECT_DOUBLE_EQ(km->AsFloat(), 45.5);
  db::TParam* when = params.CreateParam(db::ftDateTime, u"quando", db::ptInput);
  when->SetValue(Variant(u"02/01/2024 10:00"));
  EXPECT_DOUBLE_EQ(when->AsDateTime(), rtl::EncodeDateTime(2024, 1, 2, 10, 0, 0, 0));
  db::TParam* name = params.CreateParam(db::ftUnknown, u"nome", db::ptInput);
  name->SetAsString(u"");
  EXPECT_TRUE(name->IsNull());
  EXPECT_TRUE(name->Bound());
  EXPECT_EQ(name->DataType(), db::ftString);
  db::TParam* untyped = params.AddParameter();
  untyped->SetName(u"x");
  untyped->SetValue(Variant(static_cast<long long>(5)));
  EXPECT_EQ(untyped->DataType(), db::ftLargeint);
  untyped->Clear();
  EXPECT_TRUE(untyped->IsNull());
  EXPECT_THROW(km->SetValue(Variant(u"abc")), rtl::EConvertError);
}

TEST(Params, ValuesOfSeveralAndAssignValues) {
  db::TParams a, b;
  a.CreateParam(db::ftInteger, u"p1", db::ptInput)->SetAsInteger(1);
  a.CreateParam(db::ftString, u"p2", db::ptInput)->SetAsString(u"two");
  b.CreateParam(db::ftInteger, u"P1", db::ptOutput);
  b.AssignValues(&a);
  EXPECT_EQ(b.ParamByName(u"p1")->AsInteger(), 1);
  EXPECT_EQ(b.ParamByName(u"p1")->ParamType(), db::ptOutput);
  Variant values = a.ParamValues(u"p1;p2");
  EXPECT_EQ(values[1].AsString(), u"two");
  a.SetParamValues(u"p1;p2", rtl::VarArrayOf({Variant(9), Variant(u"nine")}));
  EXPECT_EQ(a.ParamByName(u"p2")->AsString(), u"nine");
  EXPECT_FALSE(a.IsEqual(&b));
}

}  // namespace
