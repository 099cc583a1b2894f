// The stored forms of filter criteria: the binary tree byte for byte, its
// three versions, relinking conditions to renamed items, untrusted input,
// and the component form.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "lib/data/cxFilter.h"
#include "lib/data/cxVariants.h"
#include "platform/rtl/except.h"
#include "platform/rtl/streams.h"
#include "tests/data/filter_test_criteria.h"

using namespace data;
using namespace filter_test;
using K = TcxFilterOperatorKind;
using B = TcxFilterBoolOperatorKind;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Written(TcxFilterCriteria& c, int version = 0) {
  rtl::TMemoryStream s;
  c.WriteData(&s, version);
  const auto* p = static_cast<const unsigned char*>(s.Memory());
  return Bytes(p, p + s.Size());
}

void Read(TcxFilterCriteria& c, const Bytes& bytes) {
  rtl::TMemoryStream s;
  s.Write(bytes.data(), static_cast<rtl::Int64>(bytes.size()));
  s.SetPosition(0);
  c.ReadData(&s);
}

void Append(Bytes& b, std::initializer_list<unsigned char> more) { b.insert(b.end(), more); }
void AppendUtf16(Bytes& b, const char* ascii) {
  for (const char* p = ascii; *p; ++p) Append(b, {static_cast<unsigned char>(*p), 0});
}

TEST(FilterStream, EmptyTreeAndAConditionByteForByte) {
  TestCriteria empty;
  EXPECT_EQ(Written(empty), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0}));

  TestCriteria criteria(cxDataFilterVersion);
  Column price(7, u"Price");
  criteria.AddItem(nullptr, &price, K::foGreater, 5, u"5");
  Bytes expected = {0xFE, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0, 0, 0};
  Append(expected, {'D', 'X', 'U', 'F', 'M', 'T', 4, 1, 0, 0, 0, 0x35, 0, 7, 0, 0, 0, 5, 0, 0, 0});
  AppendUtf16(expected, "Price");
  Append(expected, {2, 5});
  EXPECT_EQ(Written(criteria), expected);
  EXPECT_EQ(criteria.SavedVersion(), 3);
  // Asked for version 2: no names.
  const Bytes v2 = Written(criteria, 2);
  EXPECT_EQ(v2.size(), expected.size() - 4 - 10);
  EXPECT_EQ(v2[0], 0xFF);
}

TEST(FilterStream, RoundTripKeepsTheTree) {
  TestCriteria source(cxDataFilterVersion), target(cxDataFilterVersion);
  Column a(1, u"A"), b(2, u"B");
  source.columns = target.columns = {&a, &b};
  source.Root()->SetBoolOperatorKind(B::fboNotOr);
  TcxFilterCriteriaItemList* sub = source.Root()->AddItemList(B::fboOr);
  source.AddItem(sub, &a, K::foBetween, VarBetweenArrayCreate(1, 9), u"1 and 9");
  source.AddItem(sub, &b, K::foLike, u"ab%", u"ab%");
  source.AddItem(nullptr, &a, K::foEqual, rtl::Null(), u"");
  source.AddItem(nullptr, &b, K::foThisWeek, Variant(), u"");
  target.Count();
  Read(target, Written(source));
  EXPECT_EQ(target.changes, 1);
  EXPECT_EQ(target.LoadedVersion(), 3);
  EXPECT_TRUE(target.EqualItems(&source));
  auto* blank = static_cast<TcxFilterCriteriaItem*>(target.Root()->Items(1));
  EXPECT_TRUE(blank->Operator()->IsNullOperator());
  EXPECT_EQ(blank->DisplayValue(), u"blank");
}

TEST(FilterStream, VersionOneStartsWithTheRootCount) {
  Bytes v1 = {2, 0, 0, 0};
  for (int id : {1, 2}) {
    // An older writer: no marker, ANSI display text.
    Append(v1, {0, static_cast<unsigned char>(K::foLess), 1, 0, 0, 0, '3', static_cast<unsigned char>(id), 0, 0,
                0, 2, 3});
  }
  TestCriteria criteria;
  Column a(1, u""), b(2, u"");
  criteria.columns = {&a, &b};
  Read(criteria, v1);
  EXPECT_EQ(criteria.LoadedVersion(), 1);
  ASSERT_EQ(criteria.Root()->Count(), 2);
  EXPECT_EQ(criteria.Root()->BoolOperatorKind(), B::fboAnd);
  auto* second = static_cast<TcxFilterCriteriaItem*>(criteria.Root()->Items(1));
  EXPECT_EQ(second->ItemLink(), &b);
  EXPECT_EQ(second->OperatorKind(), K::foLess);
  EXPECT_EQ(second->DisplayValue(), u"3");
  EXPECT_EQ(second->Value(), Variant(3));
}

TEST(FilterStream, ConditionsFindTheirItemByNameThenByANamelessIdentifier) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, const char16_t*>> columns;  // what the reading side has
    int linkedIndex;              // -1: the condition is dropped
  };
  const Case cases[] = {
      {"renamed item, another named Price", {{7, u"Cost"}, {9, u"Price"}}, 1},
      {"no Price, item 7 without a name", {{7, u""}, {9, u"Other"}}, 0},
      {"no Price, item 7 named otherwise", {{7, u"Cost"}}, -1},
      {"nothing of the kind", {{3, u"Other"}}, -1},
  };
  Column price(7, u"Price");
  TestCriteria source(cxDataFilterVersion);
  TcxFilterCriteriaItemList* sub = source.Root()->AddItemList(B::fboOr);
  source.AddItem(sub, &price, K::foGreater, 5, u"5");
  const Bytes bytes = Written(source);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::unique_ptr<Column>> columns;
    TestCriteria target(cxDataFilterVersion);
    for (const auto& [id, name] : c.columns) {
      columns.push_back(std::make_unique<Column>(id, name));
      target.columns.push_back(columns.back().get());
    }
    Read(target, bytes);
    if (c.linkedIndex < 0) {
      // The condition went, and so did the list it emptied.
      EXPECT_TRUE(target.IsEmpty());
    } else {
      ASSERT_EQ(target.Root()->Count(), 1);
      auto* list = static_cast<TcxFilterCriteriaItemList*>(target.Root()->Items(0));
      ASSERT_EQ(list->Count(), 1);
      EXPECT_EQ(static_cast<TcxFilterCriteriaItem*>(list->Items(0))->ItemLink(), columns[c.linkedIndex].get());
    }
  }
}

TEST(FilterStream, EqualItemsCanIgnoreNamesAndAssignCopiesOnlyWhenDifferent) {
  Column a(1, u"A"), renamed(1, u"Z");
  TestCriteria one(cxDataFilterVersion), two(cxDataFilterVersion);
  one.columns = {&a};
  two.columns = {&renamed};
  one.AddItem(nullptr, &a, K::foEqual, 1, u"1");
  two.AddItem(nullptr, &renamed, K::foEqual, 1, u"1");
  EXPECT_FALSE(one.EqualItems(&two));
  EXPECT_TRUE(one.EqualItems(&two, true));
  two.Count();
  two.AssignItems(&one, true);
  EXPECT_EQ(two.changes, 0);
  two.AssignItems(&one, false);  // names differ: Z does not answer to A, item 1 is named
  EXPECT_TRUE(two.IsEmpty());
  EXPECT_EQ(two.changes, 1);
}

TEST(FilterStream, UntrustedBytesFailWithTheReadError) {
  TestCriteria source(cxDataFilterVersion);
  Column a(1, u"A");
  source.columns = {&a};
  TcxFilterCriteriaItemList* sub = source.Root()->AddItemList(B::fboOr);
  source.AddItem(sub, &a, K::foInList, VarListArrayCreate(4), u"4");
  const Bytes good = Written(source);
  // Every truncation fails cleanly and leaves one notification.
  for (std::size_t n = 0; n < good.size(); ++n) {
    TestCriteria target(cxDataFilterVersion);
    target.columns = {&a};
    target.Count();
    EXPECT_THROW(Read(target, Bytes(good.begin(), good.begin() + n)), rtl::Exception) << n;
    EXPECT_EQ(target.changes, 1) << n;
  }
  struct Case {
    const char* name;
    Bytes bytes;
  };
  Bytes deep = {0xFF, 0xFF, 0xFF, 0xFF};
  // Deep enough to exhaust the stack of a reader that follows it.
  for (int i = 0; i < 100000; ++i) Append(deep, {0, 1, 0, 0, 0, 1});
  const Case bad[] = {
      {"joiner 4", {0xFF, 0xFF, 0xFF, 0xFF, 4, 0, 0, 0, 0}},
      {"child count beyond the bytes", {0xFF, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0, 0}},
      {"negative child count", {0xFF, 0xFF, 0xFF, 0xFF, 0, 0xF0, 0xFF, 0xFF, 0xFF}},
      {"version 1 with a negative count", {0xF0, 0xFF, 0xFF, 0xFF}},
      {"child tag 2", {0xFF, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0, 0, 2}},
      {"operator kind 34", {0xFF, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0, 0, 0, 'D', 'X', 'U', 'F', 'M', 'T', 34, 0, 0, 0, 0,
                            1, 0, 0, 0, 1}},
      {"lists nested 100,000 deep", deep},
  };
  for (const Case& c : bad) {
    TestCriteria target;
    EXPECT_THROW(Read(target, c.bytes), rtl::EReadError) << c.name;
  }
}

TEST(FilterStream, ComponentFormCarriesThePublishedSettings) {
  TestCriteria source;
  source.SetOptions({TcxFilterCriteriaOption::fcoCaseInsensitive, TcxFilterCriteriaOption::fcoSoftNull});
  source.SetPercentWildcard(u'*');
  rtl::TMemoryStream stream;
  source.SaveToStream(&stream);
  const std::string bytes(static_cast<const char*>(stream.Memory()), static_cast<std::size_t>(stream.Size()));
  EXPECT_EQ(bytes.substr(0, 4), "TPF0");
  EXPECT_NE(bytes.find("TFilterWrapper"), std::string::npos);
  EXPECT_NE(bytes.find("Filter.Options"), std::string::npos);
  EXPECT_NE(bytes.find("Filter.PercentWildcard"), std::string::npos);
  EXPECT_EQ(bytes.find("UnderscoreWildcard"), std::string::npos);  // at its default
  EXPECT_EQ(bytes.find("Criteria"), std::string::npos);            // plain criteria have none
  EXPECT_FALSE(source.SavingToStream());

  TestCriteria target;
  target.Count();
  stream.SetPosition(0);
  target.LoadFromStream(&stream);
  EXPECT_EQ(target.Options(), source.Options());
  EXPECT_EQ(target.PercentWildcard(), u'*');
  EXPECT_EQ(target.changes, 1);
}

}  // namespace
