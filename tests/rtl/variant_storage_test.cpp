// Variant copies, moves and assignments between every kind of value: text
// lives inside the variant, the larger kinds in a block copies share.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "platform/rtl/format.h"
#include "platform/rtl/ustring.h"
#include "platform/rtl/variant.h"

namespace rtl {
namespace {

const TFormatSettings& storageEnUS() {
  static const TFormatSettings s = TFormatSettings::Create(LOCALE_EN_US);
  return s;
}

// Past any small-string buffer.
const String kLongText = u"Pendente de integração com a transportadora, lote 2024-000123";

// Type code and text of a value, array items included: equal descriptions,
// equal values.
String describe(const Variant& v) {
  String out = VarTypeAsText(VarType(v));
  if (VarIsArray(v)) {
    for (Integer i = VarArrayLowBound(v, 1); i <= VarArrayHighBound(v, 1); ++i)
      out += u"|" + describe(VarArrayGet(v, i));
    return out;
  }
  if (!VarIsNull(v)) out += u":" + VarToStr(v, storageEnUS());
  return out;
}

struct Sample {
  const char* name;
  Variant (*make)();
};

Variant byRefTarget = Variant(u"target text");

const Sample kSamples[] = {
    {"empty", [] { return Variant(); }},
    {"null", [] { return Null(); }},
    {"integer", [] { return Variant(42); }},
    {"double", [] { return Variant(45.5); }},
    {"boolean", [] { return Variant(true); }},
    {"empty text", [] { return Variant(String()); }},
    {"short text", [] { return Variant(u"ABC1D23"); }},
    {"long text", [] { return Variant(kLongText); }},
    {"char", [] { return Variant(u'x'); }},
    {"ole text", [] { return Variant::FromOleStr(kLongText); }},
    {"ansi", [] { return Variant::FromAnsiString("bytes \xE9"); }},
    {"array", [] { return VarArrayOf({Variant(1), Variant(kLongText), Variant(u"s")}); }},
    {"bcd", [] { return VarFMTBcdCreate(12.5, 10, 2); }},
    {"stamp", [] { return VarSQLTimeStampCreate(45000.5); }},
    {"by ref", [] { return Variant::ByRef(byRefTarget); }},
};

TEST(VariantStorage, CopiesAndMovesBetweenEveryKind) {
  for (const Sample& from : kSamples) {
    const String expected = describe(from.make());
    for (const Sample& to : kSamples) {
      SCOPED_TRACE(std::string(from.name) + " into " + to.name);
      const Variant source = from.make();

      Variant copied(source);
      EXPECT_EQ(describe(copied), expected);

      Variant assigned = to.make();
      assigned = source;
      EXPECT_EQ(describe(assigned), expected);
      EXPECT_EQ(describe(source), expected);

      Variant moving = from.make();
      Variant moveAssigned = to.make();
      moveAssigned = std::move(moving);
      EXPECT_EQ(describe(moveAssigned), expected);
      EXPECT_TRUE(VarIsEmpty(moving));  // NOLINT(bugprone-use-after-move)
      moving = to.make();               // a moved-from variant takes a new value
      EXPECT_EQ(describe(moving), describe(to.make()));

      Variant moveSource = from.make();
      Variant moveBuilt(std::move(moveSource));
      EXPECT_EQ(describe(moveBuilt), expected);
      EXPECT_TRUE(VarIsEmpty(moveSource));  // NOLINT(bugprone-use-after-move)
    }
  }
}

TEST(VariantStorage, SelfAssignmentKeepsTheValue) {
  for (const Sample& s : kSamples) {
    SCOPED_TRACE(s.name);
    const String expected = describe(s.make());
    Variant v = s.make();
    Variant& alias = v;
    v = alias;
    EXPECT_EQ(describe(v), expected);
    v = std::move(alias);
    EXPECT_EQ(describe(v), expected);
  }
}

TEST(VariantStorage, TextCopiesAreIndependent) {
  for (const String& text : {String(u"short"), kLongText}) {
    SCOPED_TRACE(StringToUtf8(text));
    auto original = std::make_unique<Variant>(text);
    Variant copy = *original;
    Variant assigned(u"a value to replace");
    assigned = *original;
    ASSERT_NE(copy.StringPtr(), nullptr);
    EXPECT_NE(copy.StringPtr(), original->StringPtr());
    // The copies outlive the original and a change to one of them.
    original.reset();
    copy += Variant(u"!");
    EXPECT_EQ(*copy.StringPtr(), text + u"!");
    EXPECT_EQ(*assigned.StringPtr(), text);
    EXPECT_EQ(VarType(copy), varUString);
  }
  // An OLE text stays one through copies and moves.
  Variant ole = Variant::FromOleStr(kLongText);
  Variant oleCopy = ole;
  Variant oleMoved = std::move(ole);
  EXPECT_EQ(VarType(oleCopy), varOleStr);
  EXPECT_EQ(VarType(oleMoved), varOleStr);
  EXPECT_EQ(*oleMoved.StringPtr(), kLongText);
}

TEST(VariantStorage, ContainersKeepValuesThroughGrowth) {
  // Growth moves every element; erasing shifts them by move assignment.
  std::vector<Variant> values;
  std::vector<String> expected;
  for (int i = 0; i < 200; ++i) {
    const Variant v = i % 3 == 0   ? Variant(i)
                      : i % 3 == 1 ? Variant(kLongText + IntToStr(i))
                                   : VarArrayOf({Variant(IntToStr(i))});
    values.push_back(v);
    expected.push_back(describe(v));
  }
  values.erase(values.begin(), values.begin() + 50);
  expected.erase(expected.begin(), expected.begin() + 50);
  ASSERT_EQ(values.size(), expected.size());
  for (size_t i = 0; i < values.size(); ++i) EXPECT_EQ(describe(values[i]), expected[i]) << i;
}

}  // namespace
}  // namespace rtl
