// The texts filter criteria write for a dataset, each filtering a memory
// table to the rows a predicate written by hand picks out. The table has
// nulls in every column, a quote in a name, names differing only in case,
// wildcard characters in the data and field names needing brackets.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <set>

#include "platform/db/db.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/ustring.h"

namespace {

using db::String;
using db::Variant;

struct Row {
  int id;
  std::optional<String> name;
  std::optional<int> age;
  std::optional<double> km;
  std::optional<int> day;  // of May 2024
  std::optional<String> first;
  std::optional<int> odd;  // the field "A]B"
  std::optional<bool> ok;
};

const Row kRows[] = {
    {1, u"Ana", 3, 1.5, 1, u"Ana", 1, true},
    {2, u"alberto", 7, 10.25, 6, u"Bia", 2, false},
    {3, std::nullopt, 1, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    {4, u"O'Brien", std::nullopt, 5.0, 30, u"Ana", 5, true},
    {5, u"ANA", 5, 0.0, 2, u"Cris", 0, false},
    {6, u"a_b%", 0, 2.5, 3, u"Ana", 7, true},
};

template <class T>
Variant value(const std::optional<T>& v) {
  return v ? Variant(*v) : rtl::Null();
}

std::unique_ptr<db::TCustomMemDataSet> makeTable() {
  auto ds = std::make_unique<db::TCustomMemDataSet>(nullptr);
  ds->FieldDefs()->Add(u"ID", db::ftInteger);
  ds->FieldDefs()->Add(u"NAME", db::ftString, 20);
  ds->FieldDefs()->Add(u"AGE", db::ftInteger);
  ds->FieldDefs()->Add(u"KM", db::ftFloat);
  ds->FieldDefs()->Add(u"WHEN", db::ftDateTime);
  ds->FieldDefs()->Add(u"FIRST NAME", db::ftString, 20);
  ds->FieldDefs()->Add(u"A]B", db::ftInteger);
  ds->FieldDefs()->Add(u"OK", db::ftBoolean);
  ds->CreateDataSet();
  ds->SetFormatSettings(rtl::TFormatSettings::Create(rtl::LOCALE_PT_BR));
  for (const Row& r : kRows) {
    Variant when = r.day ? Variant::FromDateTime(rtl::EncodeDate(2024, 5, static_cast<rtl::Word>(*r.day))) : rtl::Null();
    ds->AppendRecord({Variant(r.id), value(r.name), value(r.age), value(r.km), when, value(r.first), value(r.odd),
                      value(r.ok)});
  }
  return ds;
}

std::set<int> filtered(db::TDataSet& ds, const char16_t* text, db::TFilterOptions options) {
  ds.SetFiltered(false);
  ds.SetFilterOptions(options);
  ds.SetFilter(text);
  ds.SetFiltered(true);
  std::set<int> ids;
  for (ds.First(); !ds.Eof(); ds.Next()) ids.insert(ds.FieldByName(u"ID")->AsInteger());
  return ids;
}

bool startsWith(const std::optional<String>& s, const String& prefix) {
  return s && s->compare(0, prefix.size(), prefix) == 0;
}

// Some of these are false for a null, and so is their negation.
bool known(const std::optional<String>& s) { return s.has_value(); }
bool ageIn(const Row& r, int low, int high) { return r.age && *r.age >= low && *r.age <= high; }
bool ageOutside(const Row& r, int low, int high) { return r.age && (*r.age < low || *r.age > high); }
bool ageOneOf(const Row& r, std::initializer_list<int> list) {
  if (!r.age) return false;
  for (int v : list)
    if (*r.age == v) return true;
  return false;
}

struct FormCase {
  const char16_t* text;
  std::function<bool(const Row&)> expected;
  db::TFilterOptions options = {};
};

const db::TFilterOptions kCi = {db::foCaseInsensitive};

TEST(FilterForms, EachFilterTextFormPicksTheRowsOfItsPredicate) {
  const FormCase cases[] = {
      // Lists and sub-lists with their joiners; NOT around a whole list.
      {u"(NAME LIKE 'a%') AND ((AGE > 5) OR (AGE < 2))",
       [](const Row& r) { return startsWith(r.name, u"a") && r.age && (*r.age > 5 || *r.age < 2); }},
      {u"NOT ((NAME LIKE 'a%') AND ((AGE > 5) OR (AGE < 2)))",
       [](const Row& r) { return (r.name && !startsWith(r.name, u"a")) || ageIn(r, 2, 5); }},
      {u"(AGE >= 3) OR (KM < 2)", [](const Row& r) { return (r.age && *r.age >= 3) || (r.km && *r.km < 2); }},
      {u"NOT ((AGE = 1) OR (AGE = 7))", [](const Row& r) { return r.age && *r.age != 1 && *r.age != 7; }},
      // Plain comparisons: null passes neither a test nor its opposite.
      {u"(AGE <> 3)", [](const Row& r) { return r.age && *r.age != 3; }},
      {u"(KM <= 2.5)", [](const Row& r) { return r.km && *r.km <= 2.5; }},
      {u"(NAME > 'B')", [](const Row& r) { return r.name && *r.name > u"B"; }},
      // The blank tests, in the criteria's words and in SQL's.
      {u"(NAME = NULL)", [](const Row& r) { return !r.name; }},
      {u"(NAME <> NULL)", [](const Row& r) { return known(r.name); }},
      {u"(AGE = NULL) OR (KM = NULL)", [](const Row& r) { return !r.age || !r.km; }},
      {u"NOT (AGE = NULL)", [](const Row& r) { return r.age.has_value(); }},
      {u"(NAME IS NULL)", [](const Row& r) { return !r.name; }},
      {u"(NAME IS NOT NULL)", [](const Row& r) { return known(r.name); }},
      {u"(AGE < NULL)", [](const Row&) { return false; }},
      // LIKE, NOT LIKE and its expanded form (the leading blank included).
      {u"(NAME LIKE 'a%')", [](const Row& r) { return startsWith(r.name, u"a"); }},
      {u"(NAME LIKE '%a')", [](const Row& r) { return r.name && r.name->back() == u'a'; }},
      {u"(NAME LIKE '%n%')", [](const Row& r) { return r.name && r.name->find(u'n') != String::npos; }},
      {u"(NAME LIKE '_n_')", [](const Row& r) { return r.name && r.name->size() == 3 && (*r.name)[1] == u'n'; }},
      {u"(NAME LIKE 'a%') ", [](const Row& r) { return startsWith(r.name, u"a") || startsWith(r.name, u"A"); },
       kCi},
      {u"(NAME LIKE '%''%')", [](const Row& r) { return r.name && r.name->find(u'\'') != String::npos; }},
      {u"(NAME LIKE 'Ana')", [](const Row& r) { return r.name == String(u"Ana"); }},
      {u"(NAME LIKE 'a_b%%')", [](const Row& r) { return r.name && r.name->size() >= 3 && (*r.name)[0] == u'a' && (*r.name)[2] == u'b'; }},
      {u"(NAME NOT LIKE 'a%')", [](const Row& r) { return r.name && !startsWith(r.name, u"a"); }},
      {u" NOT (NAME LIKE 'a%')", [](const Row& r) { return r.name && !startsWith(r.name, u"a"); }},
      {u"( NOT (NAME LIKE 'a%')) AND (AGE > 0)",
       [](const Row& r) { return r.name && !startsWith(r.name, u"a") && r.age && *r.age > 0; }},
      // BETWEEN and its expansion, both bounds included.
      {u"(AGE BETWEEN 1 AND 5)", [](const Row& r) { return ageIn(r, 1, 5); }},
      {u"(AGE NOT BETWEEN 1 AND 5)", [](const Row& r) { return ageOutside(r, 1, 5); }},
      {u"((AGE >= 1) AND (AGE <= 5))", [](const Row& r) { return ageIn(r, 1, 5); }},
      {u"(NOT ((AGE >= 1) AND (AGE <= 5)))", [](const Row& r) { return ageOutside(r, 1, 5); }},
      {u"(NAME BETWEEN 'A' AND 'B')", [](const Row& r) { return r.name && *r.name >= u"A" && *r.name <= u"B"; }},
      {u"(WHEN BETWEEN '01/05/2024' AND '03/05/2024')", [](const Row& r) { return r.day && *r.day >= 1 && *r.day <= 3; }},
      // IN and its expansion.
      {u"(AGE IN (1, 3, 5))", [](const Row& r) { return ageOneOf(r, {1, 3, 5}); }},
      {u"(AGE NOT IN (1, 3, 5))", [](const Row& r) { return r.age && !ageOneOf(r, {1, 3, 5}); }},
      {u"((AGE = 1) OR (AGE = 3) OR (AGE = 5))", [](const Row& r) { return ageOneOf(r, {1, 3, 5}); }},
      {u"(NOT ((AGE = 1) OR (AGE = 3) OR (AGE = 5)))", [](const Row& r) { return r.age && !ageOneOf(r, {1, 3, 5}); }},
      {u"(NAME IN ('Ana', 'O''Brien'))",
       [](const Row& r) { return r.name == String(u"Ana") || r.name == String(u"O'Brien"); }},
      {u"(NAME IN ('ana'))", [](const Row& r) { return r.name == String(u"Ana") || r.name == String(u"ANA"); }, kCi},
      {u"(AGE IN (7))", [](const Row& r) { return r.age == 7; }},
      // Several fields at once, and its negation.
      {u"(ID = 1) AND (NAME = 'Ana')", [](const Row& r) { return r.id == 1; }},
      {u"NOT ((AGE = 5) AND (NAME = 'ANA'))", [](const Row& r) { return (r.age && *r.age != 5) || (r.name && *r.name != u"ANA"); }},
      // Relative dates: a half-open range, dates as the locale writes them.
      {u"(WHEN >= '02/05/2024') AND (WHEN < '06/05/2024')", [](const Row& r) { return r.day && *r.day >= 2 && *r.day < 6; }},
      {u"(WHEN < '02/05/2024')", [](const Row& r) { return r.day && *r.day < 2; }},
      // Quotes, case and Booleans.
      {u"(NAME = 'O''Brien')", [](const Row& r) { return r.name == String(u"O'Brien"); }},
      {u"(NAME = 'ana')", [](const Row&) { return false; }},
      {u"(NAME = 'ana')", [](const Row& r) { return r.name == String(u"Ana") || r.name == String(u"ANA"); }, kCi},
      {u"(OK = True)", [](const Row& r) { return r.ok == true; }},
      {u"(OK <> False)", [](const Row& r) { return r.ok == true; }},
      // Names that are not identifiers travel in brackets, "]" doubled.
      {u"([FIRST NAME] = 'Ana')", [](const Row& r) { return r.first == String(u"Ana"); }},
      {u"([A]]B] > 1) AND ([A]]B] IN (2, 7))", [](const Row& r) { return r.odd == 2 || r.odd == 7; }},
      {u"(\"A]B\" = 5)", [](const Row& r) { return r.odd == 5; }},
  };
  auto ds = makeTable();
  for (const FormCase& c : cases) {
    std::set<int> want;
    for (const Row& r : kRows)
      if (c.expected(r)) want.insert(r.id);
    EXPECT_EQ(filtered(*ds, c.text, c.options), want) << rtl::StringToUtf8(c.text);
  }
}

TEST(FilterForms, MalformedFormsFailWithAPosition) {
  const char16_t* bad[] = {
      u"AGE BETWEEN 1",    u"AGE BETWEEN 1 OR 5", u"AGE IN 1, 2",      u"AGE IN (1, 2",    u"AGE IN (1 2)",
      u"AGE NOT 5",        u"AGE NOT = 5",        u"NAME LIKE",        u"[A]B] = 1",       u"[A]]B = 1",
      u"AGE IN (1,)",      u"LIKE LIKE 'a'",      u"AGE = IN",         u"\"open = 1",      u"NAME NOT LIKE",
  };
  for (const char16_t* text : bad) {
    try {
      db::TFilterExpression::Parse(text);
      ADD_FAILURE() << "accepted: " << rtl::StringToUtf8(text);
    } catch (const db::EDatabaseError& e) {
      EXPECT_NE(e.Message().find(u"position"), String::npos) << rtl::StringToUtf8(e.Message());
    }
  }
}

TEST(FilterForms, EmptyListAndLongListsStayWithinBounds) {
  auto ds = makeTable();
  EXPECT_TRUE(filtered(*ds, u"AGE IN ()", {}).empty());
  EXPECT_EQ(filtered(*ds, u"AGE NOT IN ()", {}).size(), 6u);  // nothing is in an empty list, not even null
  String list = u"AGE IN (";
  for (int i = 100; i < 20000; ++i) list += rtl::IntToStr(i) + u", ";
  list += u"7)";
  EXPECT_EQ(filtered(*ds, list.c_str(), {}), (std::set<int>{2}));
  // A hostile pattern matches in time proportional to the lengths.
  String pattern = u"NAME LIKE '" + String(5000, u'%') + u"x'";
  EXPECT_TRUE(filtered(*ds, pattern.c_str(), {}).empty());
}

}  // namespace
