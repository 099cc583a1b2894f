#include "platform/rtl/variant.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <ostream>
#include <vector>

#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

namespace rtl {

// Failure messages show the type and the text of a variant.
void PrintTo(const Variant& v, std::ostream* os) {
  *os << StringToUtf8(VarTypeAsText(VarType(v)));
  try {
    *os << " " << StringToUtf8(VarToStr(v, TFormatSettings::Create(LOCALE_EN_US)));
  } catch (const Exception&) {
  }
}

namespace {

const TFormatSettings& variantPtBR() {
  static const TFormatSettings s = TFormatSettings::Create(LOCALE_PT_BR);
  return s;
}
const TFormatSettings& variantEnUS() {
  static const TFormatSettings s = TFormatSettings::Create(LOCALE_EN_US);
  return s;
}

// "ClassName: message" of what `f` raises, or "" when it raises nothing.
String errorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return S(e.ClassName()) + u": " + e.Message();
  }
  return String();
}

String castError(const char* from, const char* to) {
  return S("EVariantTypeCastError: Could not convert variant of type (") + S(from) + u") into type (" + S(to) + u")";
}
String overflowError(const char* from, const char* to) {
  return S("EVariantOverflowError: Overflow while converting variant of type (") + S(from) + u") into type (" +
         S(to) + u")";
}

Variant bcd(const char16_t* text) { return VarFMTBcdCreate(StrToBcd(text, variantEnUS())); }

constexpr Int64 kInt64Max = std::numeric_limits<Int64>::max();
constexpr UInt64 kUInt64Max = std::numeric_limits<UInt64>::max();

// --- types -----------------------------------------------------------------------

TEST(Variant, ConstructorsChooseThePlatformTypeCodes) {
  struct Case {
    Variant v;
    TVarType type;
    const char* name;
  } cases[] = {
      {Variant(), varEmpty, "Empty"},
      {Null(), varNull, "Null"},
      {Variant(true), varBoolean, "Boolean"},
      {Variant(static_cast<short>(-5)), varSmallint, "Smallint"},
      {Variant(5), varInteger, "Integer"},
      {Variant(1.5f), varSingle, "Single"},
      {Variant(1.5), varDouble, "Double"},
      {Variant(Currency::FromScaled(15000)), varCurrency, "Currency"},
      {Variant::FromDateTime(45000.5), varDate, "Date"},
      {Variant::FromOleStr(u"x"), varOleStr, "OleStr"},
      {Variant::FromError(5), varError, "Error"},
      {Variant(static_cast<signed char>(-5)), varShortInt, "ShortInt"},
      {Variant(static_cast<unsigned char>(5)), varByte, "Byte"},
      {Variant(static_cast<unsigned short>(5)), varWord, "Word"},
      {Variant(5u), varLongWord, "LongWord"},
      {Variant(Int64{5}), varInt64, "Int64"},
      {Variant(5LL), varInt64, "Int64"},
      {Variant(UInt64{5}), varUInt64, "UInt64"},
      {Variant::FromAnsiString("x"), varString, "String"},
      {Variant(u"x"), varUString, "UnicodeString"},
      {Variant(String(u"x")), varUString, "UnicodeString"},
      {Variant(u'x'), varUString, "UnicodeString"},
      {VarArrayOf({1, 2}), varArray | varVariant, "Array Variant"},
      {VarArrayCreate({0, 1}, varDouble), varArray | varDouble, "Array Double"},
      {VarSQLTimeStampCreate(TSQLTimeStamp{2026, 1, 2, 3, 4, 5, 6}), VarSQLTimeStamp(), "SQLTimeStampVariantType"},
      {bcd(u"1.5"), VarFMTBcd(), "FMTBcdVariantType"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VarType(c.v), c.type) << c.name;
    EXPECT_EQ(VarTypeAsText(VarType(c.v)), S(c.name));
  }
  EXPECT_EQ(VarTypeAsText(0x0FF0), u"$0FF0");
  EXPECT_NE(VarSQLTimeStamp(), VarFMTBcd());
  EXPECT_EQ(VarSQLTimeStamp() & (varArray | varByRef), 0);
}

TEST(Variant, TypeTests) {
  struct Case {
    Variant v;
    bool null, empty, numeric, ordinal, floating, str, array;
  } cases[] = {
      {Variant(), false, true, false, false, false, false, false},
      {Null(), true, false, false, false, false, false, false},
      {Variant(1), false, false, true, true, false, false, false},
      {Variant(true), false, false, true, true, false, false, false},
      {Variant(1.5), false, false, true, false, true, false, false},
      {Variant(Currency{}), false, false, true, false, true, false, false},
      {bcd(u"1"), false, false, true, false, true, false, false},
      {Variant::FromDateTime(1), false, false, false, false, false, false, false},
      {Variant(u"1"), false, false, false, false, false, true, false},
      {Variant::FromOleStr(u"1"), false, false, false, false, false, true, false},
      {Variant::FromAnsiString("1"), false, false, false, false, false, true, false},
      {VarArrayOf({}), false, false, false, false, false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.v));
    EXPECT_EQ(VarIsNull(c.v), c.null);
    EXPECT_EQ(VarIsEmpty(c.v), c.empty);
    EXPECT_EQ(VarIsClear(c.v), c.empty);
    EXPECT_EQ(VarIsNumeric(c.v), c.numeric);
    EXPECT_EQ(VarIsOrdinal(c.v), c.ordinal);
    EXPECT_EQ(VarIsFloat(c.v), c.floating);
    EXPECT_EQ(VarIsStr(c.v), c.str);
    EXPECT_EQ(VarIsArray(c.v), c.array);
  }
}

// --- conversions ---------------------------------------------------------------------

TEST(VariantConversion, ToInteger) {
  struct Case {
    Variant v;
    Integer want;
    String error;
  } cases[] = {
      {Variant(), 0, u""},
      {Variant(true), -1, u""},
      {Variant(false), 0, u""},
      {Variant(2.5), 2, u""},  // half to even
      {Variant(3.5), 4, u""},
      {Variant(-2.5), -2, u""},
      {Variant(Currency::FromScaled(15000)), 2, u""},
      {Variant(Currency::FromScaled(-25001)), -3, u""},
      {Variant(u"42"), 42, u""},
      {Variant(u" -42"), -42, u""},
      {Variant(u"2,5"), 2, u""},
      {Variant(u"1e3"), 1000, u""},
      {Variant::FromAnsiString("7"), 7, u""},
      {Variant::FromDateTime(45000.75), 45001, u""},
      {bcd(u"-12.5"), -12, u""},
      {Variant(Int64{2147483647}), 2147483647, u""},
      {Variant(u"abc"), 0, castError("UnicodeString", "Integer")},
      {Variant(u""), 0, castError("UnicodeString", "Integer")},
      {Variant::FromOleStr(u"x"), 0, castError("OleStr", "Integer")},
      {Null(), 0, castError("Null", "Integer")},
      {Variant(Int64{2147483648}), 0, overflowError("Int64", "Integer")},
      {Variant(1e10), 0, overflowError("Double", "Integer")},
      {Variant(std::nan("")), 0, overflowError("Double", "Integer")},
      {Variant(u"3000000000"), 0, overflowError("UnicodeString", "Integer")},
      {VarFMTBcdCreate(DoubleToBcd(1e20)), 0, overflowError("FMTBcdVariantType", "Integer")},
      {VarArrayOf({1}), 0, castError("Array Variant", "Integer")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.v));
    Integer got = 12345;
    EXPECT_EQ(errorOf([&] { got = c.v.AsInteger(variantPtBR()); }), c.error);
    if (c.error.empty()) {
      EXPECT_EQ(got, c.want);
    }
  }
}

TEST(VariantConversion, ToInt64AndUnsignedRanges) {
  EXPECT_EQ(Variant(UInt64{kInt64Max}).AsInt64(), kInt64Max);
  EXPECT_EQ(Variant(u"-9223372036854775808").AsInt64(), std::numeric_limits<Int64>::min());
  EXPECT_EQ(errorOf([] { Variant(kUInt64Max).AsInt64(); }), overflowError("UInt64", "Int64"));
  EXPECT_EQ(errorOf([] { Variant(1e19).AsInt64(); }), overflowError("Double", "Int64"));
  EXPECT_EQ(VarAsType(Variant(-1), varInt64).AsInt64(), -1);
  EXPECT_EQ(errorOf([] { VarAsType(Variant(-1), varUInt64); }), overflowError("Integer", "UInt64"));
  EXPECT_EQ(VarToStr(VarAsType(Variant(1.8e19), varUInt64)), u"18000000000000000000");
  EXPECT_EQ(VarToStr(Variant(kUInt64Max)), u"18446744073709551615");
}

TEST(VariantConversion, ToDoubleCurrencyAndDate) {
  EXPECT_EQ(Variant(u"1,5").AsDouble(variantPtBR()), 1.5);
  EXPECT_EQ(Variant(u"1.5").AsDouble(variantEnUS()), 1.5);
  EXPECT_EQ(Variant(Currency::FromScaled(123456)).AsDouble(), 12.3456);
  EXPECT_EQ(Variant(true).AsDouble(), -1);
  EXPECT_EQ(Variant().AsDouble(), 0);
  EXPECT_EQ(bcd(u"0.125").AsDouble(), 0.125);
  EXPECT_EQ(errorOf([] { Variant(u"1,5").AsDouble(variantEnUS()); }), castError("UnicodeString", "Double"));
  EXPECT_EQ(errorOf([] { Null().AsDouble(); }), castError("Null", "Double"));

  EXPECT_EQ(Variant(1.23456).AsCurrency().value, 12346);
  EXPECT_EQ(Variant(0.00005).AsCurrency().value, 0);  // half to even
  EXPECT_EQ(Variant(u"1,23455").AsCurrency(variantPtBR()).value, 12346);
  EXPECT_EQ(Variant(u"1,23445").AsCurrency(variantPtBR()).value, 12344);
  EXPECT_EQ(Variant(7).AsCurrency().value, 70000);
  EXPECT_EQ(bcd(u"-0.00015").AsCurrency().value, -2);
  EXPECT_EQ(errorOf([] { Variant(1e300).AsCurrency(); }), overflowError("Double", "Currency"));
  EXPECT_EQ(errorOf([] { Variant(kInt64Max).AsCurrency(); }), overflowError("Int64", "Currency"));
  EXPECT_EQ(errorOf([] { Variant(u"x").AsCurrency(variantPtBR()); }), castError("UnicodeString", "Currency"));

  EXPECT_EQ(Variant(u"05/03/2026 14:07:09").AsDateTime(variantPtBR()), EncodeDateTime(2026, 3, 5, 14, 7, 9, 0));
  EXPECT_EQ(Variant(u"3/5/2026").AsDateTime(variantEnUS()), EncodeDate(2026, 3, 5));
  EXPECT_EQ(Variant(u"45000,5").AsDateTime(variantPtBR()), 45000.5);
  EXPECT_EQ(Variant(45000).AsDateTime(), 45000);
  EXPECT_EQ(VarToDateTime(VarSQLTimeStampCreate(TSQLTimeStamp{2026, 3, 5, 0, 0, 0, 0})), EncodeDate(2026, 3, 5));
  EXPECT_EQ(errorOf([] { Variant(u"31/02/2026").AsDateTime(variantPtBR()); }), castError("UnicodeString", "Date"));
  EXPECT_EQ(errorOf([] { Null().AsDateTime(); }), castError("Null", "Date"));
}

TEST(VariantConversion, ToBoolean) {
  struct Case {
    Variant v;
    bool want;
    String error;
  } cases[] = {
      {Variant(), false, u""},
      {Variant(0), false, u""},
      {Variant(2), true, u""},
      {Variant(-0.0), false, u""},
      {Variant(0.001), true, u""},
      {Variant(Currency::FromScaled(1)), true, u""},
      {bcd(u"0.000"), false, u""},
      {Variant(u"True"), true, u""},
      {Variant(u"false"), false, u""},
      {Variant(u"0"), false, u""},
      {Variant(u"yes"), false, castError("UnicodeString", "Boolean")},
      {Null(), false, castError("Null", "Boolean")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.v));
    bool got = !c.want;
    EXPECT_EQ(errorOf([&] { got = c.v.AsBoolean(variantPtBR()); }), c.error);
    if (c.error.empty()) {
      EXPECT_EQ(got, c.want);
    }
  }
}

TEST(VariantConversion, ToStringThroughTheSettings) {
  const TDateTime when = EncodeDateTime(2026, 3, 5, 14, 7, 9, 0);
  struct Case {
    Variant v;
    const char16_t* pt;
    const char16_t* en;
  } cases[] = {
      {Variant(), u"", u""},
      {Variant(true), u"True", u"True"},
      {Variant(false), u"False", u"False"},
      {Variant(-42), u"-42", u"-42"},
      {Variant(1.5), u"1,5", u"1.5"},
      {Variant(0.1f), u"0,1", u"0.1"},
      {Variant(1.0 / 3), u"0,333333333333333", u"0.333333333333333"},
      {Variant(Currency::FromScaled(12345000)), u"1234,5", u"1234.5"},
      {Variant::FromDateTime(when), u"05/03/2026 14:07:09", u"3/5/2026 2:07:09 PM"},
      {Variant::FromDateTime(EncodeDate(2026, 3, 5)), u"05/03/2026", u"3/5/2026"},
      {Variant::FromAnsiString("caf\xe9"), u"caf\u00e9", u"caf\u00e9"},
      {Variant::FromOleStr(u"ole"), u"ole", u"ole"},
      {bcd(u"-1234.500"), u"-1234,5", u"-1234.5"},
      {VarSQLTimeStampCreate(when), u"05/03/2026 14:07:09", u"3/5/2026 2:07:09 PM"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.v.AsString(variantPtBR()), c.pt);
    EXPECT_EQ(VarToStr(c.v, variantEnUS()), c.en);
  }
  EXPECT_EQ(errorOf([] { Null().AsString(); }), castError("Null", "UnicodeString"));
  EXPECT_EQ(VarToStr(Null()), u"");
  EXPECT_EQ(VarToStrDef(Null(), u"n/a"), u"n/a");
  EXPECT_EQ(VarToStrDef(Variant(), u"n/a"), u"");
  EXPECT_EQ(VarToStrDef(Variant(7), u"n/a"), u"7");
  EXPECT_EQ(Variant(u"caf\u00e9").AsAnsiString(), "caf\xe9");
}

TEST(VariantConversion, VarAsTypeChecksTheTargetRange) {
  struct Case {
    Variant v;
    TVarType type;
    const char16_t* text;  // the result shown with pt-BR settings
    String error;
  } cases[] = {
      {Variant(u"12"), varSmallint, u"12", u""},
      {Variant(255), varByte, u"255", u""},
      {Variant(300), varByte, nullptr, overflowError("Integer", "Byte")},
      {Variant(-1), varWord, nullptr, overflowError("Integer", "Word")},
      {Variant(-129), varShortInt, nullptr, overflowError("Integer", "ShortInt")},
      {Variant(40000), varSmallint, nullptr, overflowError("Integer", "Smallint")},
      {Variant(4294967295.0), varLongWord, u"4294967295", u""},
      {Variant(1.5), varUString, u"1,5", u""},
      {Variant(42), varOleStr, u"42", u""},
      {Variant(u"True"), varBoolean, u"True", u""},
      {Variant(u"2,5"), varCurrency, u"2,5", u""},
      {Variant(u"05/03/2026"), varDate, u"05/03/2026", u""},
      {Variant(3.4e39), varSingle, nullptr, overflowError("Double", "Single")},
      {Variant(1.5), varSingle, u"1,5", u""},
      {Null(), varInteger, nullptr, castError("Null", "Integer")},
      {Null(), varNull, u"", u""},
      {Variant(5), varEmpty, u"", u""},
      {Variant(5), varVariant, u"5", u""},
      {Variant(u"abc"), varString, u"abc", u""},
      {VarArrayOf({1}), varInteger, nullptr, castError("Array Variant", "Integer")},
      {Variant(5), varDispatch, nullptr, castError("Integer", "Dispatch")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.v) + " as " + StringToUtf8(VarTypeAsText(c.type)));
    Variant got;
    EXPECT_EQ(errorOf([&] { got = VarAsType(c.v, c.type, variantPtBR()); }), c.error);
    if (c.error.empty()) {
      EXPECT_EQ(VarType(got), c.type == varVariant ? VarType(c.v) : c.type);
      EXPECT_EQ(VarToStr(got, variantPtBR()), c.text);
    }
  }
}

// --- comparison --------------------------------------------------------------------------

TEST(VariantCompare, CompareValueAcrossTypes) {
  const double nan = std::nan("");
  struct Case {
    Variant a, b;
    TVariantRelationship want;
  } cases[] = {
      {Variant(), Variant(), vrEqual},
      {Null(), Null(), vrEqual},
      {Variant(), Null(), vrNotEqual},
      {Null(), Variant(), vrNotEqual},
      {Null(), Variant(0), vrNotEqual},
      {Variant(0), Variant(), vrNotEqual},
      {Variant(u""), Variant(), vrNotEqual},
      {Variant(1), Variant(2), vrLessThan},
      {Variant(2), Variant(1.5), vrGreaterThan},
      {Variant(1), Variant(1.0), vrEqual},
      {Variant(static_cast<short>(7)), Variant(Int64{7}), vrEqual},
      {Variant(kInt64Max), Variant(kUInt64Max), vrLessThan},
      {Variant(kUInt64Max), Variant(-1), vrGreaterThan},
      {Variant(kUInt64Max - 1), Variant(kUInt64Max), vrLessThan},  // beyond double precision
      {Variant(Currency::FromScaled(15000)), Variant(1.5), vrEqual},
      {Variant(Currency::FromScaled(10001)), Variant(1), vrGreaterThan},
      {Variant(u"10"), Variant(9), vrGreaterThan},  // text read as a number
      {Variant(u"abc"), Variant(u"abd"), vrLessThan},
      {Variant(u"a"), Variant(u"B"), vrGreaterThan},  // ordinal, case counts
      {Variant::FromOleStr(u"x"), Variant(u"x"), vrEqual},
      {Variant::FromAnsiString("x"), Variant(u"x"), vrEqual},
      {Variant(true), Variant(false), vrGreaterThan},
      {Variant(u"True"), Variant(true), vrEqual},
      {Variant::FromDateTime(45000.5), Variant(45000.5), vrEqual},
      {Variant::FromDateTime(EncodeDate(2026, 3, 5)), Variant(u"5/5/2026"), vrLessThan},
      {bcd(u"1.10"), Variant(1.1), vrEqual},
      {bcd(u"10.5"), bcd(u"9.75"), vrGreaterThan},
      {bcd(u"-0.5"), bcd(u"0.25"), vrLessThan},
      {bcd(u"12345678901234567890.1"), bcd(u"12345678901234567890.2"), vrLessThan},
      {bcd(u"2"), Variant(Currency::FromScaled(20000)), vrEqual},
      {VarSQLTimeStampCreate(45000.25), Variant::FromDateTime(45000.25), vrEqual},
      {Variant(nan), Variant(1.0), vrNotEqual},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.a) + " vs " + testing::PrintToString(c.b));
    EXPECT_EQ(VarCompareValue(c.a, c.b), c.want);
    EXPECT_EQ(VarSameValue(c.a, c.b), c.want == vrEqual);
  }
}

TEST(VariantCompare, InvalidComparisonsRaise) {
  EXPECT_EQ(errorOf([] { VarCompareValue(Variant(u"abc"), Variant(1)); }), castError("UnicodeString", "Double"));
  EXPECT_EQ(errorOf([] { VarCompareValue(VarArrayOf({1}), Variant(1)); }),
            u"EVariantInvalidOpError: Invalid variant operation");
  EXPECT_EQ(errorOf([] { (void)(VarArrayOf({1}) == VarArrayOf({1})); }),
            u"EVariantInvalidOpError: Invalid variant operation");
}

TEST(VariantCompare, OperatorsUseLooseNullRules) {
  struct Case {
    Variant a, b;
    bool equal, less;
  } cases[] = {
      {Null(), Null(), true, false},
      {Null(), Variant(0), false, true},  // Null sorts first
      {Variant(0), Null(), false, false},
      {Null(), Variant(), false, true},
      {Variant(), Variant(0), true, false},  // Empty acts as zero
      {Variant(), Variant(u""), true, false},
      {Variant(), Variant(1), false, true},
      {Variant(), Variant(false), true, false},
      {Variant(1), Variant(u"1"), true, false},
      {Variant(1.5), Variant(2), false, true},
      {Variant(u"b"), Variant(u"a"), false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.a) + " vs " + testing::PrintToString(c.b));
    EXPECT_EQ(c.a == c.b, c.equal);
    EXPECT_EQ(c.a != c.b, !c.equal);
    EXPECT_EQ(c.a < c.b, c.less);
    EXPECT_EQ(c.a >= c.b, !c.less);
  }
  std::vector<Variant> values = {Variant(3), Null(), Variant(1.5), Variant(Int64{-2}), Null(), Variant(u"2")};
  std::stable_sort(values.begin(), values.end());
  std::vector<String> shown;
  for (const Variant& v : values) shown.push_back(VarIsNull(v) ? u"Null" : VarToStr(v, variantEnUS()));
  EXPECT_EQ(shown, (std::vector<String>{u"Null", u"Null", u"-2", u"1.5", u"2", u"3"}));
}

// --- addition ------------------------------------------------------------------------------

TEST(VariantAdd, TypesOfSums) {
  const TDateTime day = EncodeDate(2026, 3, 5);
  struct Case {
    Variant a, b;
    TVarType type;
    const char16_t* text;  // en-US
  } cases[] = {
      {Variant(1), Variant(2), varInteger, u"3"},
      {Variant(static_cast<unsigned char>(200)), Variant(static_cast<unsigned char>(100)), varInteger, u"300"},
      {Variant(2147483647), Variant(1), varInt64, u"2147483648"},
      {Variant(-2147483647 - 1), Variant(-1), varInt64, u"-2147483649"},
      {Variant(kInt64Max), Variant(1), varUInt64, u"9223372036854775808"},
      {Variant(kUInt64Max), Variant(1), varDouble, u"1.84467440737096E19"},
      {Variant(UInt64{5}), Variant(-10), varInt64, u"-5"},
      {Variant(1), Variant(2.5), varDouble, u"3.5"},
      {Variant(1.5f), Variant(1.25f), varSingle, u"2.75"},
      {Variant(Currency::FromScaled(11000)), Variant(Currency::FromScaled(22000)), varCurrency, u"3.3"},
      {Variant(Currency::FromScaled(11000)), Variant(2), varCurrency, u"3.1"},
      {Variant(Currency::FromScaled(11000)), Variant(0.5), varDouble, u"1.6"},
      {Variant(u"ab"), Variant(u"cd"), varUString, u"abcd"},
      {Variant::FromOleStr(u"ab"), Variant::FromOleStr(u"cd"), varOleStr, u"abcd"},
      {Variant::FromAnsiString("ab"), Variant::FromAnsiString("cd"), varString, u"abcd"},
      {Variant::FromAnsiString("ab"), Variant(u"cd"), varUString, u"abcd"},
      {Variant(u"1"), Variant(2), varDouble, u"3"},  // text with a number adds numerically
      {Variant(2), Variant(u"1"), varDouble, u"3"},
      {Variant(u"1"), Variant(Currency::FromScaled(5000)), varCurrency, u"1.5"},
      {Variant(true), Variant(1), varInteger, u"0"},
      {Variant(), Variant(5), varInteger, u"5"},
      {Variant(u"x"), Variant(), varUString, u"x"},
      {Variant(), Variant(), varEmpty, u""},
      {Null(), Variant(1), varNull, u""},
      {Variant(u"x"), Null(), varNull, u""},
      {Variant::FromDateTime(day), Variant(1), varDate, u"3/6/2026"},
      {Variant::FromDateTime(day), Variant(0.5), varDate, u"3/5/2026 12:00:00 PM"},
      {bcd(u"0.1"), bcd(u"0.2"), VarFMTBcd(), u"0.3"},
      {bcd(u"1.5"), Variant(2), VarFMTBcd(), u"3.5"},
      {bcd(u"1.5"), Variant(-1.75), VarFMTBcd(), u"-0.25"},
      {bcd(u"99999999999999999999"), Variant(1), VarFMTBcd(), u"100000000000000000000"},
      {VarSQLTimeStampCreate(day), Variant(1), VarSQLTimeStamp(), u"3/6/2026"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.a) + " + " + testing::PrintToString(c.b));
    const Variant sum = c.a + c.b;
    EXPECT_EQ(VarTypeAsText(VarType(sum)), VarTypeAsText(c.type));
    EXPECT_EQ(VarToStr(sum, variantEnUS()), c.text);
  }
}

TEST(VariantAdd, ErrorsAndSummaries) {
  EXPECT_EQ(errorOf([] { (void)(Variant(u"abc") + Variant(1)); }), castError("UnicodeString", "Double"));
  EXPECT_EQ(errorOf([] { (void)(VarArrayOf({1}) + Variant(1)); }),
            u"EVariantInvalidOpError: Invalid variant operation");
  EXPECT_EQ(errorOf([] { (void)(Variant(Currency::FromScaled(kInt64Max)) + Variant(Currency::FromScaled(1))); }),
            u"EVariantOverflowError: Variant overflow");

  // A summary starts empty and adds field values; decimals stay exact.
  Variant total;
  for (int i = 0; i < 10; ++i) total += bcd(u"0.1");
  EXPECT_EQ(VarCompareValue(total, Variant(1)), vrEqual);
  EXPECT_EQ(VarToStr(total, variantPtBR()), u"1");
  Variant money;
  for (int i = 0; i < 1000; ++i) money += Variant(Currency::FromScaled(100));  // 0.01
  EXPECT_EQ(money.AsCurrency().value, 100000);
  // One Null makes the whole sum Null.
  Variant withNull = Variant(1) + Null() + Variant(2);
  EXPECT_TRUE(VarIsNull(withNull));
}

// --- arrays ----------------------------------------------------------------------------------

TEST(VariantArray, TypedArraysConvertWhatTheyStore) {
  Variant a = VarArrayCreate({1, 3}, varInteger);
  EXPECT_EQ(VarType(a), varArray | varInteger);
  EXPECT_EQ(VarArrayDimCount(a), 1);
  EXPECT_EQ(VarArrayLowBound(a, 1), 1);
  EXPECT_EQ(VarArrayHighBound(a, 1), 3);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(VarType(a[i]), varInteger);
    EXPECT_EQ(a[i].AsInteger(), 0);
  }
  VarArrayPut(a, Variant(u"7"), 2);
  EXPECT_EQ(VarType(a[2]), varInteger);
  EXPECT_EQ(a[2].AsInteger(), 7);
  EXPECT_EQ(errorOf([&] { VarArrayPut(a, Variant(u"x"), 3); }), castError("UnicodeString", "Integer"));
  EXPECT_EQ(a[3].AsInteger(), 0);

  const String badIndex = u"EVariantBadIndexError: Variant or safe array index out of bounds";
  EXPECT_EQ(errorOf([&] { (void)a[0]; }), badIndex);
  EXPECT_EQ(errorOf([&] { (void)a[4]; }), badIndex);
  EXPECT_EQ(errorOf([&] { VarArrayPut(a, Variant(1), 4); }), badIndex);
  EXPECT_EQ(errorOf([&] { VarArrayHighBound(a, 2); }), badIndex);

  Variant s = VarArrayCreate({0, 1}, varOleStr);
  EXPECT_EQ(VarType(s[0]), varOleStr);
  VarArrayPut(s, Variant(12), 1);
  EXPECT_EQ(VarType(s[1]), varOleStr);
  EXPECT_EQ(VarToStr(s[1]), u"12");
}

TEST(VariantArray, CopiesAreIndependent) {
  Variant a = VarArrayOf({1, u"two", Null()});
  EXPECT_EQ(VarType(a), varArray | varVariant);
  EXPECT_EQ(VarArrayLowBound(a, 1), 0);
  EXPECT_EQ(VarArrayHighBound(a, 1), 2);
  EXPECT_EQ(VarType(a[0]), varInteger);
  EXPECT_EQ(VarType(a[1]), varUString);
  EXPECT_TRUE(VarIsNull(a[2]));

  Variant b = a;
  VarArrayPut(b, Variant(u"changed"), 0);
  EXPECT_EQ(VarToStr(b[0]), u"changed");
  EXPECT_EQ(a[0].AsInteger(), 1);
  VarArrayRedim(b, 4);
  EXPECT_EQ(VarArrayHighBound(b, 1), 4);
  EXPECT_TRUE(VarIsEmpty(b[4]));
  EXPECT_EQ(VarArrayHighBound(a, 1), 2);
  VarArrayRedim(b, 0);
  EXPECT_EQ(VarArrayHighBound(b, 1), 0);

  Variant empty = VarArrayCreate({5, 4}, varVariant);
  EXPECT_EQ(VarArrayLowBound(empty, 1), 5);
  EXPECT_EQ(VarArrayHighBound(empty, 1), 4);
}

TEST(VariantArray, MisuseRaises) {
  const String notArray = u"EVariantError: Variant is not an array";
  EXPECT_EQ(VarArrayDimCount(Variant(1)), 0);
  EXPECT_EQ(errorOf([] { VarArrayLowBound(Variant(1), 1); }), notArray);
  EXPECT_EQ(errorOf([] { (void)Variant(u"abc")[0]; }), notArray);
  Variant n = Null();
  EXPECT_EQ(errorOf([&] { VarArrayPut(n, Variant(1), 0); }), notArray);
  EXPECT_THROW(VarArrayCreate({0}, varInteger), EVariantError);
  EXPECT_THROW(VarArrayCreate({0, 1, 0, 1}, varInteger), EVariantError);
  EXPECT_THROW(VarArrayCreate({3, 1}, varInteger), EVariantError);
  EXPECT_THROW(VarArrayCreate({0, 1}, varNull), EVariantError);
  EXPECT_EQ(errorOf([] { VarToStr(VarArrayOf({1})); }), castError("Array Variant", "UnicodeString"));
}

TEST(VariantByRef, ReadsSeeTheTarget) {
  Variant target = 5;
  const Variant ref = Variant::ByRef(target);
  EXPECT_EQ(VarType(ref), varByRef | varVariant);
  EXPECT_EQ(VarTypeAsText(VarType(ref)), u"ByRef Variant");
  EXPECT_TRUE(VarIsByRef(ref));
  EXPECT_EQ(ref.AsInteger(), 5);
  target = u"abc";
  EXPECT_TRUE(VarIsStr(ref));
  EXPECT_EQ(VarToStr(ref), u"abc");
  EXPECT_TRUE(ref == Variant(u"abc"));
  target = Null();
  EXPECT_TRUE(VarIsNull(ref));
  EXPECT_EQ(VarToStr(ref), u"");
}

// --- custom types --------------------------------------------------------------------------------

TEST(VariantSQLTimeStamp, ConvertsLikeADate) {
  const TSQLTimeStamp stamp{2026, 3, 5, 14, 7, 9, 45};
  const Variant v = VarSQLTimeStampCreate(stamp);
  EXPECT_TRUE(VarIsSQLTimeStamp(v));
  EXPECT_FALSE(VarIsSQLTimeStamp(Variant::FromDateTime(1)));
  EXPECT_EQ(VarToSQLTimeStamp(v), stamp);
  EXPECT_EQ(v.AsDateTime(), EncodeDateTime(2026, 3, 5, 14, 7, 9, 45));
  EXPECT_EQ(VarToSQLTimeStamp(Variant::FromDateTime(EncodeDateTime(2026, 3, 5, 14, 7, 9, 45))), stamp);
  EXPECT_EQ(VarToSQLTimeStamp(VarAsType(Variant(u"05/03/2026 14:07:09"), VarSQLTimeStamp(), variantPtBR())),
            (TSQLTimeStamp{2026, 3, 5, 14, 7, 9, 0}));
  EXPECT_EQ(VarType(VarAsType(v, varDate)), varDate);
  EXPECT_EQ(errorOf([] { VarAsType(Null(), VarSQLTimeStamp()); }), castError("Null", "SQLTimeStampVariantType"));
  EXPECT_EQ(errorOf([] { VarToSQLTimeStamp(Variant(true)); }), castError("Boolean", "SQLTimeStampVariantType"));
}

TEST(VariantFMTBcd, DecimalTextPrecisionAndScale) {
  struct Case {
    const char16_t* text;
    const char16_t* value;
    Word precision, scale;
  } cases[] = {
      {u"123,456", u"123.456", 6, 3},  {u"-0,05", u"-0.05", 2, 2}, {u"  42 ", u"42", 2, 0},
      {u"000,10", u"0.10", 2, 2},      {u"-0", u"0", 1, 0},         {u",5", u"0.5", 1, 1},
  };
  for (const Case& c : cases) {
    TBcd b;
    ASSERT_TRUE(TryStrToBcd(c.text, b, variantPtBR())) << StringToUtf8(c.text);
    EXPECT_EQ(b.Value, c.value);
    EXPECT_EQ(b.Precision, c.precision) << StringToUtf8(c.text);
    EXPECT_EQ(b.Scale, c.scale) << StringToUtf8(c.text);
  }
  TBcd b;
  for (const char16_t* bad : {u"", u"-", u"1.5", u"1,2,3", u"1e5", u"abc"})
    EXPECT_FALSE(TryStrToBcd(bad, b, variantPtBR())) << StringToUtf8(bad);
  EXPECT_EQ(errorOf([] { StrToBcd(u"x1", variantPtBR()); }), u"EConvertError: 'x1' is not a valid BCD value");

  EXPECT_EQ(NormalizeBcd(StrToBcd(u"123.456", variantEnUS()), 10, 2).Value, u"123.46");
  EXPECT_EQ(NormalizeBcd(StrToBcd(u"-0.125", variantEnUS()), 10, 2).Value, u"-0.13");  // half away from zero
  EXPECT_EQ(NormalizeBcd(StrToBcd(u"7", variantEnUS()), 10, 3).Value, u"7.000");
  EXPECT_EQ(errorOf([] { NormalizeBcd(StrToBcd(u"12345.6", variantEnUS()), 5, 2); }), u"EOverflow: BCD overflow");

  EXPECT_EQ(DoubleToBcd(1e20).Value, u"100000000000000000000");
  EXPECT_EQ(DoubleToBcd(1.5e-7).Value, u"0.00000015");
  EXPECT_EQ(DoubleToBcd(-2.5).Value, u"-2.5");
  EXPECT_EQ(BcdToDouble(StrToBcd(u"-2.5", variantEnUS())), -2.5);
  EXPECT_EQ(CurrToBcd(Currency::FromScaled(-12345)).Value, u"-1.2345");
  EXPECT_EQ(BcdToCurr(StrToBcd(u"1.23455", variantEnUS())).value, 12346);
  EXPECT_EQ(errorOf([] { BcdToCurr(StrToBcd(u"1000000000000000", variantEnUS())); }), u"EOverflow: BCD overflow");
  EXPECT_EQ(BcdCompare(StrToBcd(u"1.50", variantEnUS()), StrToBcd(u"1.5", variantEnUS())), 0);
  EXPECT_EQ(BcdToStr(BcdAdd(StrToBcd(u"0.75", variantEnUS()), StrToBcd(u"-1", variantEnUS())), variantPtBR()), u"-0,25");
}

TEST(VariantFMTBcd, VariantConversions) {
  const Variant v = VarFMTBcdCreate(StrToBcd(u"123,456", variantPtBR()));
  EXPECT_TRUE(VarIsFMTBcd(v));
  EXPECT_EQ(VarType(v), VarFMTBcd());
  EXPECT_EQ(v.AsString(variantPtBR()), u"123,456");
  EXPECT_EQ(v.AsCurrency().value, 1234560);
  EXPECT_EQ(v.AsInteger(), 123);
  EXPECT_EQ(v.AsDouble(), 123.456);
  EXPECT_EQ(VarToBcd(VarAsType(Variant(u"9,99"), VarFMTBcd(), variantPtBR())), StrToBcd(u"9.99", variantEnUS()));
  EXPECT_EQ(VarToBcd(Variant(Currency::FromScaled(5))).Value, u"0.0005");
  EXPECT_EQ(VarToBcd(Variant(-7)).Value, u"-7");
  EXPECT_EQ(VarToBcd(VarFMTBcdCreate(1.005, 18, 2)).Value, u"1.01");
  EXPECT_EQ(errorOf([] { VarToBcd(Null()); }), castError("Null", "FMTBcdVariantType"));
  EXPECT_EQ(errorOf([] { VarFMTBcdCreate(DoubleToBcd(1e30)).AsInt64(); }), overflowError("FMTBcdVariantType", "Int64"));
}

}  // namespace
}  // namespace rtl
