// Filter criteria as text: the filter text with its quoting and expanded
// operators, the caption with its localised words and display values, and
// the text functions of display values.
#include <gtest/gtest.h>

#include "lib/core/cxDateUtils.h"
#include "lib/data/cxFilter.h"
#include "lib/data/cxVariants.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/datetime.h"
#include "tests/data/filter_test_criteria.h"

using namespace data;
using namespace filter_test;
using K = TcxFilterOperatorKind;
using B = TcxFilterBoolOperatorKind;
using O = TcxFilterCriteriaOption;

namespace {

struct Fields {
  Column name{1, u"Name"};
  Column age{2, u"Age"};
  Column date{3, u"Date"};
};

TEST(FilterText, TreesWithJoinersAndNegation) {
  Fields f;
  for (B root : {B::fboAnd, B::fboNotAnd}) {
    TestCriteria c;
    c.Root()->SetBoolOperatorKind(root);
    c.AddItem(nullptr, &f.name, K::foLike, u"a%", u"a%");
    TcxFilterCriteriaItemList* sub = c.Root()->AddItemList(B::fboOr);
    c.AddItem(sub, &f.age, K::foGreater, 5, u"5");
    c.AddItem(sub, &f.age, K::foLess, 2, u"2");
    const String body = u"(Name LIKE 'a%') AND ((Age > 5) OR (Age < 2))";
    EXPECT_EQ(c.GetFilterText(), root == B::fboAnd ? body : u"NOT (" + body + u")");
    const String caption = u"(Name LIKE a%) and ((Age > 5) or (Age < 2))";
    EXPECT_EQ(c.GetFilterCaption(), root == B::fboAnd ? caption : u"not (" + caption + u")");
  }
  TestCriteria empty;
  EXPECT_EQ(empty.GetFilterText(), u"");
  EXPECT_EQ(empty.GetFilterCaption(), u"");
}

TEST(FilterText, ConditionsAsTextAndCaption) {
  struct Case {
    const char* name;
    K kind;
    Variant value;
    String display;
    TcxFilterCriteriaOptions options;
    bool translate;
    String text;
    String caption;
  };
  const Case cases[] = {
      {"like", K::foLike, u"a%", u"a%", {}, false, u"Name LIKE 'a%'", u"Name LIKE a%"},
      {"like described", K::foLike, u"a%", u"a%", {O::fcoShowOperatorDescription}, false, u"Name LIKE 'a%'",
       u"Name begins with a"},
      {"quote doubled", K::foEqual, u"it's", u"it's", {}, false, u"Name = 'it''s'", u"Name = it's"},
      {"null", K::foEqual, rtl::Null(), u"", {}, false, u"Name = NULL", u"Name = blank"},
      {"null described", K::foEqual, rtl::Null(), u"", {O::fcoShowOperatorDescription}, false, u"Name = NULL",
       u"Name is blank"},
      {"not null", K::foNotEqual, rtl::Null(), u"", {}, false, u"Name <> NULL", u"Name <> blank"},
      {"between", K::foBetween, VarBetweenArrayCreate(1, 5), u"1;5", {}, false, u"Name BETWEEN 1 AND 5",
       u"Name between 1 and 5"},
      {"between expanded", K::foBetween, VarBetweenArrayCreate(1, 5), u"1;5", {}, true,
       u"(Name >= 1) AND (Name <= 5)", u"Name between 1 and 5"},
      {"not between expanded", K::foNotBetween, VarBetweenArrayCreate(1, 5), u"1;5", {}, true,
       u"NOT ((Name >= 1) AND (Name <= 5))", u"Name not between 1 and 5"},
      {"in", K::foInList, [] { Variant v = VarListArrayCreate(1); VarListArrayAddValue(v, u"x"); return v; }(),
       u"1; 2 ;3", {}, false, u"Name IN (1, 'x')", u"Name in (1, 2, 3)"},
      {"in expanded", K::foInList, [] { Variant v = VarListArrayCreate(1); VarListArrayAddValue(v, 2); return v; }(),
       u"1;2", {}, true, u"(Name = 1) OR (Name = 2)", u"Name in (1, 2)"},
      {"not in expanded", K::foNotInList, VarListArrayCreate(1), u"1", {}, true, u"NOT ((Name = 1))",
       u"Name not in (1)"},
      {"not like expanded", K::foNotLike, u"%a%", u"%a%", {}, true, u" NOT (Name LIKE '%a%')", u"Name NOT LIKE %a%"},
      {"boolean", K::foEqual, true, u"True", {}, false, u"Name = True", u"Name = True"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestCriteria criteria;
    Column name(1, u"Name");
    criteria.SetOptions(c.options);
    criteria.SetTranslateBetween(c.translate);
    criteria.SetTranslateIn(c.translate);
    criteria.SetTranslateLike(c.translate);
    criteria.AddItem(nullptr, &name, c.kind, c.value, c.display);
    EXPECT_EQ(criteria.GetFilterText(), u"(" + c.text + u")");
    EXPECT_EQ(criteria.GetFilterCaption(), u"(" + c.caption + u")");
  }
}

TEST(FilterText, SeveralFieldsCompareAtOnceWithAnArray) {
  TestCriteria criteria;
  Column pair(1, u"Name; Age");
  Variant values = VarListArrayCreate(u"Ann");
  VarListArrayAddValue(values, 30);
  criteria.AddItem(nullptr, &pair, K::foEqual, values, u"");
  EXPECT_EQ(criteria.GetFilterText(), u"((Name = 'Ann') AND (Age = 30))");
  criteria.Root()->Items(0);
  static_cast<TcxFilterCriteriaItem*>(criteria.Root()->Items(0))->SetOperatorKind(K::foNotEqual);
  EXPECT_EQ(criteria.GetFilterText(), u"(NOT ((Name = 'Ann') AND (Age = 30)))");
}

TEST(FilterText, DateOperatorsPrintTheirBounds) {
  core::dxSetAssignedStartOfWeek(core::dMonday);
  rtl::TestClockScope time(rtl::DateTimeToUnixMs(rtl::EncodeDateTime(2024, 3, 13, 12, 0, 0, 0), false));
  struct Case {
    K kind;
    String text;
  };
  const Case cases[] = {
      {K::foThisWeek, u"(Date >= '2024-03-11') AND (Date < '2024-03-18')"},
      {K::foInPast, u"(Date < '2024-03-13')"},
      {K::foInFuture, u"(Date >= '2024-03-14')"},
  };
  for (const Case& c : cases) {
    TestCriteria criteria;
    criteria.SetDateTimeFormat(u"yyyy-mm-dd");
    Column date(3, u"Date");
    criteria.AddItem(nullptr, &date, c.kind, Variant(), u"");
    EXPECT_EQ(criteria.GetFilterText(), u"(" + c.text + u")") << static_cast<int>(c.kind);
    // Captions show the operator's words alone.
    EXPECT_EQ(criteria.GetFilterCaption().substr(0, 6), u"(Date ");
  }
  TestCriteria criteria;
  criteria.SetDateTimeFormat(u"yyyy-mm-dd");
  Column date(3, u"Date");
  criteria.AddItem(nullptr, &date, K::foToday, Variant(), u"");
  EXPECT_EQ(criteria.GetFilterCaption(), u"(Date is today)");
  core::dxResetAssignedStartOfWeek();
}

TEST(FilterText, DisplayValuePieces) {
  int pos = 1;
  const String text = u" a ;b; c";
  EXPECT_EQ(ExtractFilterDisplayValue(text, pos), u"a");
  EXPECT_EQ(ExtractFilterDisplayValue(text, pos), u"b");
  EXPECT_EQ(ExtractFilterDisplayValue(text, pos), u"c");
  EXPECT_EQ(ExtractFilterDisplayValue(text, pos), u"");
  EXPECT_EQ(VarBetweenArrayToStr(StrToVarBetweenArray(u"1")), u"1 and ");
  EXPECT_EQ(VarListArrayToStr(StrToVarListArray(u"")), u"()");
  EXPECT_EQ(VarListArrayToStr(StrToVarListArray(u"x;")), u"(x, )");
  EXPECT_EQ(VarListArrayToStr(VarListArrayCreate(rtl::Null())), u"(blank)");
  EXPECT_EQ(FilterVarToStr(rtl::Null()), u"blank");
}

}  // namespace
