// The find panel's criteria: splitting the search text, the filter built
// from it over the searched fields, and where the found text starts.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataFilter.h"
#include "lib/data/cxDataStorage.h"
#include "tests/data/data_controller_support.h"

namespace {

using data::TcxDataFindFilterCriteriaConditions;
using data_test::utf8;
using rtl::String;
using rtl::Variant;
using Op = data::TcxDataFindFilterCriteriaConditionOperation;

std::vector<std::string> split(const String& text, bool extended) {
  TcxDataFindFilterCriteriaConditions conditions;
  conditions.Refresh(text, extended);
  static const char* const names[] = {"or", "and", "not"};
  std::vector<std::string> out;
  for (int i = 0; i < conditions.Count(); ++i)
    out.push_back(std::string(names[static_cast<int>(conditions.Items(i).FOperation)]) + ":" +
                  utf8(conditions.Items(i).FText));
  return out;
}

struct SplitCase {
  const char* name;
  const char16_t* text;
  bool extended;
  std::vector<std::string> conditions;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class FindPanelText : public testing::TestWithParam<SplitCase> {};

TEST_P(FindPanelText, SplitsIntoConditions) {
  const SplitCase& c = GetParam();
  EXPECT_EQ(split(c.text, c.extended), c.conditions);
}

const SplitCase kSplit[] = {
    {"PlainIsOneCondition", u"a \"b +c", false, {"or:a \"b +c"}},
    {"PlainEmptyIsNone", u"", false, {}},
    {"Words", u"a  b", true, {"or:a", "or:b"}},
    {"MustAndMustNot", u"+a -b", true, {"and:a", "not:b"}},
    {"QuotedPhraseKeepsBlank", u"\"a b\"", true, {"or:a b"}},
    {"DashInsideWord", u"a-b", true, {"or:a-b"}},
    {"QuoteInsideWord", u"a\"b", true, {"or:a\"b"}},
    {"UnclosedQuoteIsLiteral", u"\"ab", true, {"or:\"ab"}},
    {"TwoQuotesAlone", u"\"\"", true, {}},
    {"ThreeQuotesAlone", u"\"\"\"", true, {"or:\""}},
    {"MustPhraseThenWord", u"+\"new york\" x", true, {"and:new york", "or:x"}},
    {"SignOnlyAtWordStart", u"+-a", true, {"and:-a"}},
    {"UnclosedAfterWords", u"x \"a b", true, {"or:x", "or:\"a", "or:b"}},
};
INSTANTIATE_TEST_SUITE_P(Texts, FindPanelText, testing::ValuesIn(kSplit),
                         [](const testing::TestParamInfo<SplitCase>& i) { return std::string(i.param.name); });

// Name and City searched.
class FindFilter : public testing::Test {
 protected:
  rtl::TComponent owner{nullptr};
  data_test::TestController controller{&owner};
  data::TcxDataFindFilterCriteria* find = nullptr;

  void SetUp() override {
    controller.addItem(data::TcxStringValueType::Instance());
    controller.addItem(data::TcxStringValueType::Instance());
    addRow(u"Anne", u"Boston");
    addRow(u"Anne", u"Bobby");
    addRow(u"Joe", u"Annecy");
    addRow(u"Joe", u"Rome");
    addRow(u"Joanne", rtl::Null());
    find = controller.FindFilterCriteria();
  }
  void addRow(const Variant& name, const Variant& city) {
    const int r = controller.AppendRecord();
    controller.SetValue(r, 0, name);
    controller.SetValue(r, 1, city);
  }
  std::vector<int> kept() {
    std::vector<int> out;
    for (int r = 0; r < controller.GetRecordCount(); ++r)
      if (find->FilterRecord(r)) out.push_back(r);
    return out;
  }
};

TEST_F(FindFilter, ExtendedSyntaxKeepsRecordsByMustAndMustNot) {
  find->AddItem(0);
  find->AddItem(1);
  find->SetUseExtendedSyntax(true);
  find->SetText(u"+ann -bob");
  ASSERT_TRUE(find->IsFiltering());
  EXPECT_EQ(kept(), (std::vector<int>{0, 2, 4}));
  find->SetText(u"rome bobby");
  EXPECT_EQ(kept(), (std::vector<int>{1, 3}));
}

TEST_F(FindFilter, PlainTextEscapesWildcards) {
  addRow(u"50% off", u"x");
  addRow(u"500", u"x");
  find->AddItem(0);
  find->SetText(u"50%");
  auto* list = static_cast<data::TcxFilterCriteriaItemList*>(find->Filter()->Root()->Items(0));
  ASSERT_NE(list, nullptr);
  auto* condition = static_cast<data::TcxFilterCriteriaItem*>(list->Items(0));
  EXPECT_EQ(utf8(condition->Value().AsString()), "%50^%%");
  EXPECT_EQ(kept(), (std::vector<int>{5}));
  find->SetUseExtendedSyntax(true);  // the user's wildcards work
  EXPECT_EQ(kept(), (std::vector<int>{5, 6}));
}

TEST_F(FindFilter, FoundTextStartsWhereTheFirstConditionOccurs) {
  find->AddItem(0);
  find->SetUseExtendedSyntax(true);
  find->SetText(u"-joe ANN");
  String found;
  EXPECT_EQ(find->GetTextStartPosition(4, 0, found), 2);
  EXPECT_EQ(utf8(found), "ann");
  EXPECT_EQ(find->GetTextStartPosition(4, 1, found), -1);  // City is not searched
  EXPECT_EQ(find->GetTextStartPosition(3, 0, found), -1);  // only the excluded word occurs
}

TEST_F(FindFilter, TextWithoutFieldsChangesNothingUntilTheFirstField) {
  data_test::RecordingView view(controller);
  find->SetText(u"ann");
  EXPECT_FALSE(find->IsFiltering());
  EXPECT_TRUE(view.log.empty());
  find->AddItem(0);
  EXPECT_TRUE(find->IsFiltering());
  EXPECT_NE(std::find(view.log.begin(), view.log.end(), "findFilter"), view.log.end());
  EXPECT_EQ(kept(), (std::vector<int>{0, 1, 4}));
  find->RemoveItem(0);
  EXPECT_FALSE(find->IsFiltering());
}

TEST_F(FindFilter, RemovedItemIsNoLongerSearched) {
  find->AddItem(0);
  find->AddItem(1);
  find->SetText(u"bob");
  EXPECT_EQ(kept(), (std::vector<int>{1}));
  controller.RemoveItem(controller.items[1].get());
  EXPECT_EQ(find->ItemCount(), 1);
  find->SetText(u"joe");
  EXPECT_EQ(kept(), (std::vector<int>{2, 3}));
}

}  // namespace
