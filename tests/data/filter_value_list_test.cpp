// The value list of a text column read in place (texts sorted where they
// lie, entries made for distinct values only) must hold exactly the entries
// the general way makes from every record's value and display text: the
// same kinds, values, value types and texts in the same order, under every
// criteria option that changes what is equal or blank, and under a limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataFilter.h"
#include "lib/data/cxVariants.h"
#include "platform/rtl/ustring.h"
#include "tests/data/data_controller_support.h"

namespace {

using data::TcxFilterCriteriaOption;
using rtl::String;
using rtl::Variant;
using O = TcxFilterCriteriaOption;

// The same records, kept to the general way.
class GeneralValueListController : public data_test::TestController {
 public:
  using TestController::TestController;
  bool CanReadFilterValuesInPlace(data::TcxCustomDataField*) const override { return false; }
};

enum ValueListItem { kValueListText, kValueListWide };

void fillValueListRecords(data_test::TestController& c) {
  c.addItem(data::TcxStringValueType::Instance());
  c.addItem(data::TcxWideStringValueType::Instance());
  // Case twins, non-ASCII letters whose upper case is ASCII (dotless i) or
  // longer (sharp s), empty texts and nulls.
  static const char16_t* const kTexts[] = {u"anna", u"Anna", u"ANNA", u"b", u"", u"Stra\u00dfe", u"STRASSE",
                                           u"\u0131nne", u"INNE", u"inne", u"zeta", u"\u00e9cole", u"\u00c9COLE",
                                           u"a_b", u"50%", u"Zeta"};
  std::mt19937 random(1211);
  c.BeginUpdate();
  c.SetRecordCount(400);
  for (int r = 0; r < 400; ++r) {
    const bool null = random() % 9 == 0;
    const String text = kTexts[random() % std::size(kTexts)];
    c.SetValue(r, kValueListText, null ? rtl::Null() : Variant(text));
    c.SetValue(r, kValueListWide, null ? rtl::Null() : Variant::FromOleStr(text));
  }
  c.EndUpdate();
}

struct ValueListCase {
  const char* name;
  ValueListItem item;
  data::TcxFilterCriteriaOptions options;
  int maxCount;
};

void PrintTo(const ValueListCase& c, std::ostream* os) { *os << c.name; }

std::string describe(const data::TcxFilterValueList& AList) {
  std::string out;
  for (int i = 0; i < AList.Count(); ++i) {
    const data::TcxFilterValueItem& item = *AList.Items(i);
    out += std::to_string(static_cast<int>(item.Kind())) + ":" + std::to_string(rtl::VarType(item.Value())) + ":" +
           rtl::StringToUtf8(rtl::VarToStr(item.Value())) + "/" + rtl::StringToUtf8(item.DisplayText()) + "\n";
  }
  return out;
}

class FilterValueListInPlace : public testing::TestWithParam<ValueListCase> {
 protected:
  static std::string load(data_test::TestController& AController, const ValueListCase& c) {
    fillValueListRecords(AController);
    data::TcxDataFilterCriteria* criteria = AController.Filter();
    criteria->SetOptions(c.options);
    criteria->SetMaxValueListCount(c.maxCount);
    std::unique_ptr<data::TcxDataFilterValueList> list = criteria->CreateValueList();
    list->Load(c.item);
    return describe(*list);
  }
};

TEST_P(FilterValueListInPlace, HoldsWhatTheGeneralWayHolds) {
  const ValueListCase& c = GetParam();
  data_test::TestController inPlace(nullptr);
  GeneralValueListController general(nullptr);
  const std::string expected = load(general, c);
  EXPECT_EQ(load(inPlace, c), expected);
  // The records are meant to give the list several values and the blanks.
  EXPECT_GT(std::count(expected.begin(), expected.end(), '\n'), 4);
}

const ValueListCase kValueListCases[] = {
    {"Ordinal", kValueListText, {}, 0},
    {"IgnoringCase", kValueListText, {O::fcoCaseInsensitive}, 0},
    {"EmptyTextIsBlank", kValueListText, {O::fcoSoftNull}, 0},
    {"WideIgnoringCaseSoftly", kValueListWide, {O::fcoCaseInsensitive, O::fcoSoftNull}, 0},
    // The limit keeps the values offered first, not the first in order.
    {"LimitedIgnoringCase", kValueListText, {O::fcoCaseInsensitive}, 4},
};
INSTANTIATE_TEST_SUITE_P(Columns, FilterValueListInPlace, testing::ValuesIn(kValueListCases),
                         [](const testing::TestParamInfo<ValueListCase>& i) { return std::string(i.param.name); });

}  // namespace
