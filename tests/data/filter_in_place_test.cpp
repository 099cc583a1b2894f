// Conditions tested on values read in place must keep exactly the records
// the variant way keeps: every condition below runs over the same random
// records (nulls, empty and mixed-case texts, non-ASCII letters, every
// numeric kind) once through criteria that test in place and once through
// criteria that may not, and both must agree record by record.
#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "lib/data/cxDataFilter.h"
#include "lib/data/cxDataStorage.h"
#include "tests/data/data_controller_support.h"

namespace {

using data::TcxFilterCriteriaOption;
using data::TcxFilterOperatorKind;
using rtl::String;
using rtl::Variant;
using K = TcxFilterOperatorKind;
using O = TcxFilterCriteriaOption;

enum InPlaceItem { kInt, kFloat, kMoney, kWhen, kFlag, kText, kWide, kSmall, kLarge, kInPlaceItems };

// The same criteria, kept to the variant way.
class VariantOnlyCriteria : public data::TcxDataFilterCriteria {
 public:
  using TcxDataFilterCriteria::TcxDataFilterCriteria;
  bool CanTestRecordsInPlace() override { return false; }
};

struct InPlaceRecords {
  rtl::TComponent owner{nullptr};
  data_test::TestController controller{&owner};
  InPlaceRecords() {
    const data::TcxValueTypeClass types[kInPlaceItems] = {
        data::TcxIntegerValueType::Instance(),  data::TcxFloatValueType::Instance(),
        data::TcxCurrencyValueType::Instance(), data::TcxDateTimeValueType::Instance(),
        data::TcxBooleanValueType::Instance(),  data::TcxStringValueType::Instance(),
        data::TcxWideStringValueType::Instance(), data::TcxSmallintValueType::Instance(),
        data::TcxLargeIntValueType::Instance()};
    for (auto type : types) controller.addItem(type);
    static const char16_t* const kTexts[] = {u"Anna", u"anne", u"JOANNE", u"", u"ab", u"AB", u"zebra",
                                             u"\u00e9cole", u"Stra\u00dfe", u"STRASSE", u"50%", u"a_b", u"x^y",
                                             u"\u0131nne"};
    std::mt19937 random(7);
    controller.BeginUpdate();
    for (int r = 0; r < 600; ++r) {
      const int record = controller.AppendRecord();
      auto maybe = [&](const Variant& v) { return random() % 7 == 0 ? rtl::Null() : v; };
      const int n = static_cast<int>(random() % 41) - 20;
      controller.SetValue(record, kInt, maybe(Variant(n)));
      controller.SetValue(record, kFloat, maybe(Variant(n / 4.0)));
      controller.SetValue(record, kMoney, maybe(Variant(rtl::Currency::FromScaled(n * 2500))));
      controller.SetValue(record, kWhen, maybe(Variant::FromDateTime(44000.0 + n + 0.5)));
      controller.SetValue(record, kFlag, maybe(Variant(n % 2 == 0)));
      const String text = kTexts[random() % std::size(kTexts)];
      controller.SetValue(record, kText, maybe(Variant(text)));
      controller.SetValue(record, kWide, maybe(Variant::FromOleStr(text)));
      controller.SetValue(record, kSmall, maybe(Variant(static_cast<short>(n))));
      controller.SetValue(record, kLarge, maybe(Variant(static_cast<long long>(n) * 3000000000LL)));
    }
    controller.EndUpdate();
  }
};

struct InPlaceCase {
  const char* name;
  InPlaceItem item;
  K kind;
  Variant value;
  data::TcxFilterCriteriaOptions options;
  bool byDisplay = false;
  char16_t escape = 0;
};

void PrintTo(const InPlaceCase& c, std::ostream* os) { *os << c.name; }

class FilterInPlace : public testing::TestWithParam<InPlaceCase> {
 protected:
  static InPlaceRecords& records() {
    static InPlaceRecords instance;
    return instance;
  }
  static void setUp(data::TcxDataFilterCriteria& ACriteria, const InPlaceCase& c) {
    ACriteria.BeginUpdate();
    ACriteria.SetOptions(c.options);
    ACriteria.SetCompareByDisplayValues(c.byDisplay);
    ACriteria.SetEscapeWildcard(c.escape);
    ACriteria.Root()->AddItem(records().controller.items[c.item].get(), c.kind, c.value,
                             rtl::VarIsArray(c.value) ? String(u"list") : rtl::VarToStr(c.value));
    ACriteria.SetActive(true);
    ACriteria.EndUpdate();
  }
};

TEST_P(FilterInPlace, KeepsWhatTheVariantWayKeeps) {
  const InPlaceCase& c = GetParam();
  data_test::TestController& controller = records().controller;
  std::unique_ptr<data::TcxDataFilterCriteria> inPlace = controller.CreateFilter();
  VariantOnlyCriteria variants(&controller);
  inPlace->SetInternal(true);
  variants.SetInternal(true);
  setUp(*inPlace, c);
  setUp(variants, c);
  int kept = 0;
  for (int r = 0; r < controller.GetRecordCount(); ++r) {
    const bool expected = variants.DoFilterRecord(r);
    ASSERT_EQ(inPlace->DoFilterRecord(r), expected) << "record " << r;
    kept += expected ? 1 : 0;
  }
  // The table is meant to keep some records and drop others.
  EXPECT_GT(kept, 0);
  EXPECT_LT(kept, controller.GetRecordCount());
}

Variant pair(const Variant& a, const Variant& b) { return rtl::VarArrayOf({a, b}); }
const data::TcxFilterCriteriaOptions kNone{};
const data::TcxFilterCriteriaOptions kCase{O::fcoCaseInsensitive};
const data::TcxFilterCriteriaOptions kFind{O::fcoCaseInsensitive, O::fcoIgnoreNull};
const data::TcxFilterCriteriaOptions kSoft{O::fcoSoftNull, O::fcoIgnoreNull};

const InPlaceCase kInPlaceCases[] = {
    {"IntegerGreater", kInt, K::foGreater, Variant(3), kNone},
    {"IntegerLessThanDouble", kInt, K::foLess, Variant(2.5), kNone},
    {"IntegerEqualIgnoringNulls", kInt, K::foNotEqual, Variant(0), {O::fcoIgnoreNull}},
    {"FloatLessEqual", kFloat, K::foLessEqual, Variant(1.25), kNone},
    {"CurrencyBetween", kMoney, K::foBetween,
     pair(Variant(rtl::Currency::FromDouble(-2)), Variant(rtl::Currency::FromDouble(3))), kNone},
    {"CurrencyNotBetweenIntegers", kMoney, K::foNotBetween, pair(Variant(-1), Variant(1)), kNone},
    {"DateGreaterEqual", kWhen, K::foGreaterEqual, Variant::FromDateTime(44003), kNone},
    {"BooleanEqual", kFlag, K::foEqual, Variant(true), kNone},
    {"SmallintInList", kSmall, K::foInList, rtl::VarArrayOf({Variant(1), Variant(-4), Variant(7.0)}), kNone},
    {"LargeIntNotInList", kLarge, K::foNotInList, rtl::VarArrayOf({Variant(0), Variant(3000000000LL)}), kNone},
    {"IntegerIsBlank", kInt, K::foEqual, rtl::Null(), kNone},
    {"TextIsNotBlankSoftly", kText, K::foNotEqual, rtl::Null(), kSoft},
    {"TextEqualOrdinal", kText, K::foEqual, Variant(u"ab"), kNone},
    {"TextEqualIgnoringCase", kText, K::foEqual, Variant(u"ab"), kCase},
    {"TextLessIgnoringCase", kText, K::foLess, Variant(u"joanne"), kCase},
    {"TextNonAsciiIgnoringCase", kText, K::foEqual, Variant(u"strasse"), kCase},
    {"TextAccentIgnoringCase", kText, K::foLike, Variant(u"\u00c9%"), kCase},
    {"TextContains", kText, K::foLike, Variant(u"%nn%"), kNone},
    {"TextContainsIgnoringCase", kText, K::foLike, Variant(u"%ANN%"), kCase},
    // A dotless i upper-cases to an ASCII I: a text with it is folded whole,
    // not letter by ASCII letter, before the pattern meets it.
    {"TextNonAsciiFoldsToAsciiPattern", kText, K::foLike, Variant(u"%INN%"), kCase},
    {"TextNotLikeWildcards", kText, K::foNotLike, Variant(u"_n%e"), kCase},
    {"TextLikeEscapedPercent", kText, K::foLike, Variant(u"%0^%"), kNone, false, u'^'},
    {"TextBetween", kText, K::foBetween, pair(Variant(u"B"), Variant(u"j")), kNone},
    {"WideTextContains", kWide, K::foLike, Variant(u"%ss%"), kCase},
    {"WideTextInList", kWide, K::foInList, rtl::VarArrayOf({Variant(u"anne"), Variant(u"")}), kNone},
    {"FindPanelOverText", kText, K::foLike, Variant(u"%ann%"), kFind, true},
    {"FindPanelOverNumbers", kInt, K::foLike, Variant(u"%1%"), kFind, true},
    {"FindPanelOverDates", kWhen, K::foLike, Variant(u"%/%"), kFind, true},
    {"NumberLikeGoesTheVariantWay", kInt, K::foLike, Variant(u"1%"), kNone},
    {"NumberAgainstTextGoesTheVariantWay", kInt, K::foGreater, Variant(u"3"), {O::fcoSoftCompare}},
};
INSTANTIATE_TEST_SUITE_P(Conditions, FilterInPlace, testing::ValuesIn(kInPlaceCases),
                         [](const testing::TestParamInfo<InPlaceCase>& i) { return std::string(i.param.name); });

// A condition whose value changes while the criteria are locked is tested
// with its new value at once, as the variant way would.
TEST(FilterInPlaceChanges, NewValueCountsBeforeTheCriteriaArePreparedAgain) {
  rtl::TComponent owner(nullptr);
  data_test::TestController controller(&owner);
  controller.addItem(data::TcxIntegerValueType::Instance());
  for (int v : {1, 5}) controller.SetValue(controller.AppendRecord(), 0, Variant(v));
  data::TcxDataFilterCriteria* filter = controller.Filter();
  data::TcxFilterCriteriaItem* condition =
      filter->Root()->AddItem(controller.items[0].get(), K::foGreater, Variant(2), u"2");
  filter->SetActive(true);
  EXPECT_EQ((std::vector<bool>{filter->DoFilterRecord(0), filter->DoFilterRecord(1)}),
            (std::vector<bool>{false, true}));
  filter->BeginUpdate();
  condition->SetValue(Variant(0));
  EXPECT_EQ((std::vector<bool>{filter->DoFilterRecord(0), filter->DoFilterRecord(1)}),
            (std::vector<bool>{true, true}));
  filter->SetOptions({O::fcoCaseInsensitive});
  condition->SetOperatorKind(K::foLess);
  EXPECT_EQ((std::vector<bool>{filter->DoFilterRecord(0), filter->DoFilterRecord(1)}),
            (std::vector<bool>{false, false}));
  filter->EndUpdate();
}

}  // namespace
