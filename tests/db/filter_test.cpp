// The filter-expression language on its own.
#include <gtest/gtest.h>

#include <map>

#include "platform/db/filter.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/formatsettings.h"
#include "platform/rtl/ustring.h"

namespace {

using db::String;
using db::Variant;

bool eval(const char16_t* text, db::TFilterOptions options = {}) {
  auto expr = db::TFilterExpression::Parse(text, options);
  std::map<String, Variant> record = {
      {u"NAME", Variant(u"Maria")}, {u"AGE", Variant(42)},     {u"KM", Variant(10.5)},
      {u"NOTE", rtl::Null()},       {u"OK", Variant(true)},    {u"FIRST NAME", Variant(u"Ana")},
      {u"WHEN", Variant::FromDateTime(rtl::EncodeDate(2024, 5, 6))}};
  std::vector<Variant> values;
  for (const String& n : expr->FieldNames()) values.push_back(record.at(rtl::UpperCase(n)));
  return expr->Evaluate([&](int i) { return values[static_cast<size_t>(i)]; },
                        rtl::TFormatSettings::Create(rtl::LOCALE_PT_BR));
}

struct Case {
  const char16_t* text;
  bool result;
  db::TFilterOptions options;
};

TEST(FilterExpression, EvaluatesTheLanguage) {
  const Case cases[] = {
      {u"AGE = 42", true, {}},
      {u"age <> 42", false, {}},
      {u"AGE != 41", true, {}},
      {u"AGE > 41 AND AGE < 43", true, {}},
      {u"AGE >= 42 and AGE <= 42", true, {}},
      {u"KM > 10.25", true, {}},
      {u"KM < 1e1", false, {}},
      {u"NAME = 'Maria'", true, {}},
      {u"NAME = 'maria'", false, {}},
      {u"NAME = 'maria'", true, {db::foCaseInsensitive}},
      {u"NAME = 'Ma*'", true, {}},
      {u"NAME <> 'Ma*'", false, {}},
      {u"NAME = 'Ma*'", false, {db::foNoPartialCompare}},
      {u"NAME > 'M'", true, {}},
      {u"NOTE IS NULL", true, {}},
      {u"NOTE is not null", false, {}},
      {u"NOTE = 'x' OR NOT NOTE = 'x'", false, {}},  // NULL compares false both ways
      {u"OK", true, {}},
      {u"OK = TRUE", true, {}},
      {u"NOT (AGE = 1 OR AGE = 2) AND ([FIRST NAME] = 'Ana')", true, {}},
      {u"\"FIRST NAME\" = 'Ana'", true, {}},
      {u"NAME = 'it''s'", false, {}},
      {u"WHEN = '06/05/2024'", true, {}},
      {u"WHEN > '2024-05-01'", true, {}},
      {u"AGE = '42'", true, {}},
      {u"AGE = 'x'", false, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(eval(c.text, c.options), c.result) << rtl::StringToUtf8(c.text);
}

// Filter criteria write dates year first so that no display setting can
// read them as another date; a time keeps its milliseconds when it has any.
TEST(FilterExpression, YearFirstDatesMeanOneDateUnderEverySetting) {
  rtl::TFormatSettings dashes = rtl::TFormatSettings::Create(rtl::LOCALE_PT_BR);
  dashes.DateSeparator = u'-';
  dashes.ShortDateFormat = u"dd-mm-yyyy";
  const struct {
    const char* name;
    rtl::TFormatSettings fs;
  } settings[] = {{"pt-BR", rtl::TFormatSettings::Create(rtl::LOCALE_PT_BR)},
                  {"en-US", rtl::TFormatSettings::Create(rtl::LOCALE_EN_US)},
                  {"dd-mm-yyyy", dashes}};
  const Case cases[] = {
      {u"DAY = '2024-03-04'", true, {}},
      {u"DAY = '2024-04-03'", false, {}},
      {u"DAY IN ('2024-04-03', '2024-03-04')", true, {}},
      {u"AT = '2024-03-04 10:31:17'", true, {}},
      {u"AT > '2024-03-04 10:31'", true, {}},
      {u"AT BETWEEN '2024-03-04' AND '2024-03-05'", true, {}},
      {u"AT < '2024-03-04 10:31:17.001'", true, {}},
      {u"STAMP = '2024-03-04 10:31:17.250'", true, {}},
      {u"STAMP > '2024-03-04 10:31:17.249' AND STAMP < '2024-03-04 10:31:17.251'", true, {}},
      {u"STAMP = '2024-03-04 10:31:17'", false, {}},
  };
  const rtl::TDateTime day = rtl::EncodeDate(2024, 3, 4);
  std::map<String, Variant> record = {{u"DAY", Variant::FromDateTime(day)},
                                      {u"AT", Variant::FromDateTime(day + rtl::EncodeTime(10, 31, 17, 0))},
                                      {u"STAMP", Variant::FromDateTime(day + rtl::EncodeTime(10, 31, 17, 250))}};
  for (const auto& s : settings)
    for (const Case& c : cases) {
      auto expr = db::TFilterExpression::Parse(c.text);
      std::vector<Variant> values;
      for (const String& n : expr->FieldNames()) values.push_back(record.at(n));
      EXPECT_EQ(expr->Evaluate([&](int i) { return values[static_cast<size_t>(i)]; }, s.fs), c.result)
          << s.name << ": " << rtl::StringToUtf8(c.text);
    }
}

TEST(FilterExpression, RejectsBadTextWithAPosition) {
  const char16_t* bad[] = {u"", u"AGE =", u"(AGE = 1", u"AGE = 1)", u"'open", u"[open", u"AGE == 1",
                           u"AND", u"AGE IS 3", u"AGE # 1", u"[]", u"NOT", u"1 2"};
  for (const char16_t* text : bad) {
    try {
      db::TFilterExpression::Parse(text);
      ADD_FAILURE() << rtl::StringToUtf8(text);
    } catch (const db::EDatabaseError& e) {
      EXPECT_NE(e.Message().find(u"position"), String::npos) << rtl::StringToUtf8(e.Message());
    }
  }
  EXPECT_THROW(db::TFilterExpression::Parse(u"AGE = 1", {}).get() && eval(u"AGE ="), db::EDatabaseError);
}

TEST(FilterExpression, DeepNestingIsRefusedAndLongChainsAreFine) {
  String deep(1000, u'(');
  deep += u"AGE = 1";
  deep += String(1000, u')');
  EXPECT_THROW(db::TFilterExpression::Parse(deep), db::EDatabaseError);
  String chain = u"AGE = 0";
  for (int i = 1; i < 5000; ++i) chain += u" OR AGE = " + rtl::IntToStr(i);
  EXPECT_TRUE(eval(chain.c_str()));
  auto expr = db::TFilterExpression::Parse(chain);
  EXPECT_EQ(expr->FieldNames().size(), 1u);
}

}  // namespace
