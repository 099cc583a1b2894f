// The library's ordering and equality of variants and the condition arrays.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "lib/data/cxVariants.h"
#include "platform/rtl/except.h"

namespace data {
namespace {

using rtl::Null;
using rtl::Unassigned;

Variant arrayOf(std::initializer_list<Variant> items) { return rtl::VarArrayOf(items); }

struct CompareCase {
  const char* what;
  Variant a, b;
  int expected;
};

class VarCompareTable : public ::testing::TestWithParam<CompareCase> {};

TEST_P(VarCompareTable, GivesTheOrderOfTheRules) {
  const CompareCase& c = GetParam();
  EXPECT_EQ(VarCompare(c.a, c.b), c.expected) << c.what;
  EXPECT_EQ(VarEquals(c.a, c.b), c.expected == 0) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VarCompareTable,
    ::testing::Values(
        CompareCase{"Empty, Empty", Unassigned(), Unassigned(), 0},
        CompareCase{"Empty, Null", Unassigned(), Null(), -1},
        CompareCase{"Null, Empty", Null(), Unassigned(), 1},
        CompareCase{"Empty, 0", Unassigned(), Variant(0), -1},
        CompareCase{"0, Empty", Variant(0), Unassigned(), 1},
        CompareCase{"Null, 5", Null(), Variant(5), -1},
        CompareCase{"5, Null", Variant(5), Null(), 1},
        CompareCase{"Null, Null", Null(), Null(), 0},
        CompareCase{"Null, empty text", Null(), Variant(String()), -1},
        CompareCase{"2, 10", Variant(2), Variant(10), -1},
        CompareCase{"Int64 limit, Int64 limit - 1", Variant(std::numeric_limits<long long>::max()),
                    Variant(std::numeric_limits<long long>::max() - 1), 1},
        CompareCase{"byte 7, double 7.0", Variant(static_cast<unsigned char>(7)), Variant(7.0), 0},
        CompareCase{"currency 1.5, double 1.5", Variant(rtl::Currency::FromScaled(15000)), Variant(1.5), 0},
        CompareCase{"ordinal text: B before a", Variant(u"B"), Variant(u"a"), -1},
        CompareCase{"text 10, number 9", Variant(u"10"), Variant(9), 1},
        CompareCase{"text that is no number, 5", Variant(u"abc"), Variant(5), -1},
        CompareCase{"5, text that is no number", Variant(5), Variant(u"abc"), -1},
        CompareCase{"False, True", Variant(false), Variant(true), -1},
        CompareCase{"True, True", Variant(true), Variant(true), 0},
        CompareCase{"array, scalar", arrayOf({1}), Variant(99), 1},
        CompareCase{"scalar, array", Variant(99), arrayOf({1}), -1},
        CompareCase{"array, Null", arrayOf({}), Null(), 1},
        CompareCase{"3 items, 5 items", arrayOf({1, 2, 3}), arrayOf({1, 2, 3, 4, 5}), -2},
        CompareCase{"5 items, 3 items", arrayOf({1, 2, 3, 4, 5}), arrayOf({1, 2, 3}), 2},
        CompareCase{"equal arrays", arrayOf({1, Variant(u"x"), Null()}), arrayOf({1, Variant(u"x"), Null()}), 0},
        CompareCase{"first differing item decides", arrayOf({1, 2, 3}), arrayOf({1, 5, 0}), -1},
        CompareCase{"nested arrays", arrayOf({arrayOf({1, 2})}), arrayOf({arrayOf({1, 1})}), 1},
        CompareCase{"empty arrays", arrayOf({}), arrayOf({}), 0}));

TEST(VarCompare, ArraysAreReadFromIndexZero) {
  // An array whose low bound is above 0 has no item 0: not comparable, -1.
  Variant shifted = rtl::VarArrayCreate({1, 2}, rtl::varVariant);
  Variant plain = rtl::VarArrayCreate({0, 2}, rtl::varVariant);  // same high bound
  EXPECT_EQ(VarCompare(shifted, plain), -1);
  EXPECT_EQ(VarCompare(plain, shifted), -1);
}

TEST(VarCompare, NotANumberIsNeverEqual) {
  const Variant nan(std::numeric_limits<double>::quiet_NaN());
  EXPECT_NE(VarCompare(nan, Variant(1.0)), 0);
  EXPECT_NE(VarCompare(nan, nan), 0);
}

TEST(VarCompare, FollowsByReferenceVariants) {
  Variant target(5);
  const Variant ref = Variant::ByRef(target);
  EXPECT_EQ(VarCompare(ref, Variant(5)), 0);
  target = Variant(7);
  EXPECT_EQ(VarCompare(ref, Variant(5)), 1);
}

struct ExactCase {
  const char* what;
  Variant a, b;
  bool expected;
};

class VarEqualsExactTable : public ::testing::TestWithParam<ExactCase> {};

TEST_P(VarEqualsExactTable, SeparatesBooleansFromNumbers) {
  const ExactCase& c = GetParam();
  EXPECT_EQ(VarEqualsExact(c.a, c.b), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VarEqualsExactTable,
    ::testing::Values(ExactCase{"True, 1", Variant(true), Variant(1), false},
                      ExactCase{"1, True", Variant(1), Variant(true), false},
                      ExactCase{"True, text True", Variant(true), Variant(u"True"), true},
                      ExactCase{"False, text False", Variant(false), Variant(u"False"), true},
                      ExactCase{"False, 0", Variant(false), Variant(0), false},
                      ExactCase{"True, True", Variant(true), Variant(true), true},
                      ExactCase{"Null, False follows VarEquals", Null(), Variant(false), false},
                      ExactCase{"Null, Null", Null(), Null(), true},
                      ExactCase{"numbers as VarEquals", Variant(3), Variant(3.0), true},
                      ExactCase{"False, array", Variant(false), rtl::VarArrayOf({1}), false}));

TEST(VariantTests, SoftNullDateNumericAndCurrencyKinds) {
  EXPECT_TRUE(VarIsSoftNull(Null()));
  EXPECT_TRUE(VarIsSoftNull(Variant(String())));
  EXPECT_TRUE(VarIsSoftNull(Variant::FromOleStr(u"")));
  EXPECT_TRUE(VarIsSoftNull(Variant::FromAnsiString("")));
  EXPECT_FALSE(VarIsSoftNull(Unassigned()));
  EXPECT_FALSE(VarIsSoftNull(Variant(u" ")));
  EXPECT_FALSE(VarIsSoftNull(Variant(0)));

  EXPECT_TRUE(VarIsDate(Variant::FromDateTime(45000.5)));
  EXPECT_TRUE(VarIsDate(rtl::VarSQLTimeStampCreate(45000.5)));
  EXPECT_FALSE(VarIsDate(Variant(45000.5)));
  Variant date = Variant::FromDateTime(1);
  EXPECT_TRUE(VarIsDate(Variant::ByRef(date)));
  EXPECT_TRUE(VarTypeIsDate(rtl::VarSQLTimeStamp()));
  EXPECT_FALSE(VarTypeIsDate(rtl::varDouble));

  EXPECT_TRUE(VarIsNumericEx(rtl::VarFMTBcdCreate(u"1.25", 10, 2)));
  EXPECT_TRUE(VarIsNumericEx(Variant(1)));
  EXPECT_FALSE(VarIsNumericEx(Variant(u"1")));
  EXPECT_TRUE(VarTypeIsCurrency(rtl::varCurrency));
  EXPECT_TRUE(VarTypeIsCurrency(rtl::VarFMTBcd()));
  EXPECT_FALSE(VarTypeIsCurrency(rtl::varDouble));
}

TEST(ConditionArrays, BetweenAndListArrays) {
  const Variant between = VarBetweenArrayCreate(Variant(1), Variant(u"z"));
  EXPECT_EQ(rtl::VarArrayLowBound(between, 1), 0);
  EXPECT_EQ(rtl::VarArrayHighBound(between, 1), 1);
  EXPECT_EQ(VarCompare(between[0], Variant(1)), 0);
  EXPECT_EQ(VarCompare(between[1], Variant(u"z")), 0);

  Variant list = VarListArrayCreate(Variant(10));
  EXPECT_EQ(rtl::VarArrayHighBound(list, 1), 0);
  VarListArrayAddValue(list, Variant(20));
  VarListArrayAddValue(list, Null());
  ASSERT_EQ(rtl::VarArrayHighBound(list, 1), 2);
  EXPECT_EQ(rtl::VarType(list), rtl::varArray | rtl::varVariant);
  EXPECT_EQ(VarCompare(list, rtl::VarArrayOf({10, 20, Null()})), 0);
}

TEST(ConditionArrays, AddingToAListLeavesCopiesAlone) {
  Variant list = VarListArrayCreate(Variant(1));
  const Variant before = list;
  VarListArrayAddValue(list, Variant(2));
  EXPECT_EQ(rtl::VarArrayHighBound(before, 1), 0);
  EXPECT_EQ(rtl::VarArrayHighBound(list, 1), 1);
}

}  // namespace
}  // namespace data
