#include "platform/rtl/mathutil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace rtl {
namespace {

TEST(MulDiv, RoundsHalvesAwayFromZeroWithA64BitProduct) {
  constexpr int kMax = std::numeric_limits<int>::max();
  struct Case {
    int a, b, c, want;
  } cases[] = {
      {10, 3, 2, 15},   {5, 3, 2, 8},     {-5, 3, 2, -8},         {5, -3, 2, -8},    {5, 3, -2, -8},
      {-5, -3, 2, 8},   {-5, 3, -2, 8},   {7, 1, 3, 2},           {8, 1, 3, 3},      {-8, 1, 3, -3},
      {0, 5, 3, 0},     {1, 1, 0, -1},    {0, 0, 0, -1},          {kMax, kMax, kMax, kMax},
      {kMax, 2, 1, -1}, {kMax, 2, 3, 1431655765},                 {-kMax - 1, 1, 1, -kMax - 1},
      {96, 120, 96, 120},  // the common DPI scaling call
  };
  for (const auto& c : cases) EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.want) << c.a << "*" << c.b << "/" << c.c;
}

TEST(Round, HalvesGoToTheEvenNeighbour) {
  struct Case {
    double value;
    Int64 want;
  } cases[] = {
      {0.5, 0},   {1.5, 2},        {2.5, 2},        {3.5, 4},      {-0.5, 0},
      {-1.5, -2}, {-2.5, -2},      {2.4999999, 2},  {2.5000001, 3}, {-2.5000001, -3},
      {0.0, 0},   {1e15 + 0.5, 1000000000000000},  {4503599627370497.0, 4503599627370497},
      {-9223372036854775808.0, std::numeric_limits<Int64>::min()},
  };
  for (const auto& c : cases) EXPECT_EQ(Round(c.value), c.want) << c.value;
}

TEST(Round, ValuesWithoutAnInt64RaiseInvalidOp) {
  for (double v : {std::nan(""), std::numeric_limits<double>::infinity(), 9223372036854775808.0, -1e19}) {
    EXPECT_THROW(Round(v), EInvalidOp) << v;
    EXPECT_THROW(Trunc(v), EInvalidOp) << v;
    EXPECT_THROW(Ceil(v), EInvalidOp) << v;
    EXPECT_THROW(Floor(v), EInvalidOp) << v;
  }
}

TEST(Round, TruncCeilFloorFrac) {
  EXPECT_EQ(Trunc(2.7), 2);
  EXPECT_EQ(Trunc(-2.7), -2);
  EXPECT_EQ(Ceil(2.1), 3);
  EXPECT_EQ(Ceil(-2.5), -2);
  EXPECT_EQ(Ceil(3.0), 3);
  EXPECT_EQ(Floor(-2.1), -3);
  EXPECT_EQ(Floor(2.9), 2);
  EXPECT_DOUBLE_EQ(Frac(2.75), 0.75);
  EXPECT_DOUBLE_EQ(Frac(-2.75), -0.75);
  EXPECT_EQ(Frac(5.0), 0.0);
}

TEST(SameValue, DefaultToleranceIsRelative) {
  EXPECT_TRUE(SameValue(0.1 + 0.2, 0.3));
  EXPECT_TRUE(SameValue(1e6, 1e6 + 1e-7));
  EXPECT_FALSE(SameValue(1.0, 1.0 + 1e-9));
  EXPECT_TRUE(SameValue(0.0, 1e-13));
  EXPECT_FALSE(SameValue(0.0, 1e-11));
  EXPECT_TRUE(SameValue(1.0, 1.05, 0.1));
  EXPECT_FALSE(SameValue(1.0, 1.2, 0.1));
  EXPECT_TRUE(SameValue(std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()));
  EXPECT_FALSE(SameValue(std::nan(""), std::nan("")));
}

TEST(Ranges, SignInRangeEnsureRange) {
  EXPECT_EQ(Sign(-3), -1);
  EXPECT_EQ(Sign(0.0), 0);
  EXPECT_EQ(Sign(2.5), 1);
  EXPECT_EQ(Sign(Int64{-1} << 40), -1);
  EXPECT_TRUE(InRange(5, 1, 10));
  EXPECT_TRUE(InRange(1, 1, 10));
  EXPECT_TRUE(InRange(10, 1, 10));
  EXPECT_FALSE(InRange(0, 1, 10));
  EXPECT_FALSE(InRange(11, 1, 10));
  EXPECT_TRUE(InRange(2.5, 1, 3));
  EXPECT_FALSE(InRange(0.5, 1, 3));
  EXPECT_EQ(EnsureRange(15, 1, 10), 10);
  EXPECT_EQ(EnsureRange(-5, 1, 10), 1);
  EXPECT_EQ(EnsureRange(5, 1, 10), 5);
  EXPECT_EQ(EnsureRange(2.5, 0.0, 1.0), 1.0);
  EXPECT_EQ(EnsureRange(Int64{1} << 40, 0, 100), 100);
}

TEST(CurrencyFromDouble, RoundsHalfToEvenAtTheFourthDecimal) {
  struct Case {
    double value;
    Int64 scaled;
  } cases[] = {
      {1.5, 15000},       {-1234.5678, -12345678}, {0.00025, 2},  // 2.5 units -> 2
      {0.00035, 4},       {2.00025, 20002},        {-0.00025, -2},
      {0.00004, 0},       {900000000000000.0, 9000000000000000000},
  };
  for (const auto& c : cases) EXPECT_EQ(Currency::FromDouble(c.value).value, c.scaled) << c.value;
  EXPECT_THROW(Currency::FromDouble(1e15), EInvalidOp);
  EXPECT_THROW(Currency::FromDouble(std::nan("")), EInvalidOp);
}

}  // namespace
}  // namespace rtl
