#include "platform/rtl/filer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "platform/rtl/classes.h"
#include "platform/rtl/except.h"
#include "platform/rtl/object.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/ustring.h"
#include "platform/rtl/variant.h"
#include "tests/rtl/stream_test_classes.h"

namespace rtl {
namespace {

using VT = TValueType;

using namespace stream_test;

// --- helpers -----------------------------------------------------------------------

std::string Bytes(TMemoryStream& s) {
  return std::string(static_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

std::string Written(const std::function<void(TWriter&)>& write) {
  TMemoryStream s;
  {
    TWriter w(&s);
    write(w);
  }
  return Bytes(s);
}

// A reader over a copy of `bytes` that stays alive with it.
struct ReaderOn {
  explicit ReaderOn(std::string bytes)
      : data(std::move(bytes)), stream(data.data(), static_cast<Int64>(data.size())), reader(&stream) {}
  std::string data;
  TPointerStream stream;
  TReader reader;
};

std::string Str(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

String ReadErrorMessage(const std::function<void()>& f) {
  try {
    f();
  } catch (const EReadError& e) {
    return e.Message();
  }
  ADD_FAILURE() << "no EReadError";
  return {};
}

// --- integers ------------------------------------------------------------------------

TEST(FilerValues, IntegersUseTheSmallestTag) {
  struct Case {
    Int64 value;
    VT tag;
    std::size_t size;  // tag included
  } cases[] = {
      {0, VT::vaInt8, 2},
      {-128, VT::vaInt8, 2},
      {127, VT::vaInt8, 2},
      {128, VT::vaInt16, 3},
      {-129, VT::vaInt16, 3},
      {-32768, VT::vaInt16, 3},
      {32767, VT::vaInt16, 3},
      {32768, VT::vaInt32, 5},
      {-32769, VT::vaInt32, 5},
      {2147483647, VT::vaInt32, 5},
      {-2147483647 - 1, VT::vaInt32, 5},
      {2147483648LL, VT::vaInt64, 9},
      {-2147483649LL, VT::vaInt64, 9},
      {std::numeric_limits<Int64>::max(), VT::vaInt64, 9},
      {std::numeric_limits<Int64>::min(), VT::vaInt64, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const std::string bytes = Written([&](TWriter& w) { w.WriteInteger(c.value); });
    ASSERT_EQ(bytes.size(), c.size);
    EXPECT_EQ(static_cast<Byte>(bytes[0]), static_cast<Byte>(c.tag));
    ReaderOn r(bytes);
    EXPECT_EQ(r.reader.ReadInt64(), c.value);
    ReaderOn r32(bytes);
    if (c.tag == VT::vaInt64)
      EXPECT_THROW(r32.reader.ReadInteger(), EReadError);
    else
      EXPECT_EQ(r32.reader.ReadInteger(), c.value);
    if (c.value >= std::numeric_limits<Integer>::min() && c.value <= std::numeric_limits<Integer>::max()) {
      // The 32-bit overload chooses the same tag.
      EXPECT_EQ(Written([&](TWriter& w) { w.WriteInteger(static_cast<Integer>(c.value)); }), bytes);
    }
  }
}

TEST(FilerValues, IntegersAreLittleEndian) {
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(-2); }), Str({2, 0xFE}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(0x1234); }), Str({3, 0x34, 0x12}));
  EXPECT_EQ(Written([](TWriter& w) { w.WriteInteger(0x12345678); }), Str({4, 0x78, 0x56, 0x34, 0x12}));
}

// --- floating point ---------------------------------------------------------------------

TEST(FilerValues, ExtendedHasTheX87Layout) {
  struct Case {
    double value;
    std::string ext;  // mantissa (8, little-endian), then sign and exponent
  } cases[] = {
      {1.0, Str({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F})},
      {-2.0, Str({0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0})},
      {0.5, Str({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x3F})},
      {3.0, Str({0, 0, 0, 0, 0, 0, 0, 0xC0, 0x00, 0x40})},
      {0.0, std::string(10, '\0')},
      {std::numeric_limits<double>::infinity(), Str({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    Byte ext[10];
    doubleToExtended(c.value, ext);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ext), 10), c.ext);
    EXPECT_EQ(extendedToDouble(reinterpret_cast<const Byte*>(c.ext.data())), c.value);
  }
}

TEST(FilerValues, ExtendedRoundTripsEveryDoubleExactly) {
  const double values[] = {0.0,
                           -0.0,
                           1.5,
                           -2.25,
                           3.141592653589793,
                           1e308,
                           -1e-308,
                           std::numeric_limits<double>::max(),
                           std::numeric_limits<double>::min(),
                           std::numeric_limits<double>::denorm_min(),
                           -std::numeric_limits<double>::denorm_min() * 12345,
                           -std::numeric_limits<double>::infinity(),
                           45.5,
                           0.1};
  for (double v : values) {
    SCOPED_TRACE(v);
    const std::string bytes = Written([&](TWriter& w) { w.WriteFloat(v); });
    ASSERT_EQ(bytes.size(), 11u);
    EXPECT_EQ(bytes[0], static_cast<char>(VT::vaExtended));
    ReaderOn r(bytes);
    const double back = r.reader.ReadFloat();
    EXPECT_EQ(std::memcmp(&back, &v, sizeof v), 0) << back;  // sign of zero included
  }
  ReaderOn nan(Written([](TWriter& w) { w.WriteFloat(std::nan("")); }));
  EXPECT_TRUE(std::isnan(nan.reader.ReadFloat()));
}

TEST(FilerValues, ExtendedBeyondDoubleRoundsOrSaturates) {
  struct Case {
    std::string ext;
    double expected;
  } cases[] = {
      // 64 one-bits of mantissa at exponent 0 round up to 2.
      {Str({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x3F}), 2.0},
      // 2^16000 and 2^-16000 lie outside double.
      {Str({0, 0, 0, 0, 0, 0, 0, 0x80, 0x7F, 0x7E}), std::numeric_limits<double>::infinity()},
      {Str({0, 0, 0, 0, 0, 0, 0, 0x80, 0x7F, 0xFE}), -std::numeric_limits<double>::infinity()},
      {Str({0, 0, 0, 0, 0, 0, 0, 0x80, 0x7F, 0x01}), 0.0},
      // An extended subnormal is far below double's range too.
      {Str({1, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 0.0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(extendedToDouble(reinterpret_cast<const Byte*>(c.ext.data())), c.expected);
  }
}

TEST(FilerValues, OtherNumericTagsRoundTrip) {
  const std::string dbl = Written([](TWriter& w) { w.WriteDouble(0.1); });
  EXPECT_EQ(dbl.size(), 9u);
  EXPECT_EQ(dbl[0], static_cast<char>(VT::vaDouble));
  EXPECT_EQ(ReaderOn(dbl).reader.ReadDouble(), 0.1);

  const std::string sgl = Written([](TWriter& w) { w.WriteSingle(-1.25f); });
  EXPECT_EQ(sgl, Str({15, 0, 0, 0xA0, 0xBF}));
  EXPECT_EQ(ReaderOn(sgl).reader.ReadSingle(), -1.25f);

  const std::string cur = Written([](TWriter& w) { w.WriteCurrency(Currency::FromScaled(-123456789)); });
  EXPECT_EQ(cur.size(), 9u);
  EXPECT_EQ(cur[0], static_cast<char>(VT::vaCurrency));
  EXPECT_EQ(ReaderOn(cur).reader.ReadCurrency().value, -123456789);
  EXPECT_DOUBLE_EQ(ReaderOn(cur).reader.ReadFloat(), -12345.6789);

  const std::string date = Written([](TWriter& w) { w.WriteDate(45123.75); });
  EXPECT_EQ(date.size(), 9u);
  EXPECT_EQ(date[0], static_cast<char>(VT::vaDate));
  EXPECT_EQ(ReaderOn(date).reader.ReadDate(), 45123.75);
}

TEST(FilerValues, ReadFloatAndReadCurrencyAcceptOtherNumbers) {
  EXPECT_EQ(ReaderOn(Written([](TWriter& w) { w.WriteInteger(-7); })).reader.ReadFloat(), -7.0);
  EXPECT_EQ(ReaderOn(Written([](TWriter& w) { w.WriteInteger(Int64{1} << 40); })).reader.ReadFloat(),
            1099511627776.0);
  EXPECT_EQ(ReaderOn(Written([](TWriter& w) { w.WriteSingle(0.5f); })).reader.ReadFloat(), 0.5);
  EXPECT_EQ(ReaderOn(Written([](TWriter& w) { w.WriteInteger(5); })).reader.ReadCurrency().value, 50000);
  // Floats round to four decimals, halves to even.
  EXPECT_EQ(ReaderOn(Written([](TWriter& w) { w.WriteFloat(1.23456); })).reader.ReadCurrency().value, 12346);
  EXPECT_EQ(ReaderOn(Written([](TWriter& w) { w.WriteFloat(0.00005); })).reader.ReadCurrency().value, 0);
  EXPECT_THROW(ReaderOn(Written([](TWriter& w) { w.WriteFloat(1e300); })).reader.ReadCurrency(), EReadError);
  EXPECT_THROW(ReaderOn(Written([](TWriter& w) { w.WriteString(u"1"); })).reader.ReadFloat(), EReadError);
}

// --- strings and identifiers -----------------------------------------------------------

TEST(FilerValues, StringsChooseTheirTagByContent) {
  const String long1252 = String(300, u'\u00E7');
  struct Case {
    const char* what;
    String text;
    VT tag;
    std::size_t size;
  } cases[] = {
      {"empty", u"", VT::vaString, 2},
      {"ascii", u"abc", VT::vaString, 5},
      {"1252 letters and euro", u"A\u00E7\u00E3o \u20AC", VT::vaString, 8},
      {"255 bytes", String(255, u'x'), VT::vaString, 257},
      {"256 bytes", String(256, u'x'), VT::vaLString, 261},
      {"long 1252", long1252, VT::vaLString, 305},
      {"outside 1252", u"\u65E5\u672C", VT::vaWString, 9},
      {"mixed", u"\u20AC \u65E5", VT::vaWString, 11},
      {"surrogate pair", u"\U0001F600", VT::vaWString, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string bytes = Written([&](TWriter& w) { w.WriteString(c.text); });
    EXPECT_EQ(static_cast<Byte>(bytes[0]), static_cast<Byte>(c.tag));
    EXPECT_EQ(bytes.size(), c.size);
    EXPECT_EQ(ReaderOn(bytes).reader.ReadString(), c.text);
  }
  EXPECT_EQ(Written([](TWriter& w) { w.WriteString(u"\u00E7\u20AC"); }), Str({6, 2, 0xE7, 0x80}));
}

TEST(FilerValues, WideAndUtf8StringsRoundTrip) {
  const String text = u"R$ 1.234,56 \u00E9 \u65E5\u672C \U0001F600";
  const std::string wide = Written([&](TWriter& w) { w.WriteWideString(text); });
  EXPECT_EQ(wide[0], static_cast<char>(VT::vaWString));
  EXPECT_EQ(ReaderOn(wide).reader.ReadString(), text);
  const std::string utf8 = Written([&](TWriter& w) { w.WriteUTF8Str(text); });
  EXPECT_EQ(utf8[0], static_cast<char>(VT::vaUTF8String));
  EXPECT_EQ(utf8.substr(5), StringToUtf8(text));
  EXPECT_EQ(ReaderOn(utf8).reader.ReadString(), text);
  EXPECT_EQ(ReaderOn(Written([](TWriter& w) { w.WriteChar(u'\u00E7'); })).reader.ReadChar(), u'\u00E7');
  EXPECT_THROW(ReaderOn(Written([](TWriter& w) { w.WriteString(u"ab"); })).reader.ReadChar(), EReadError);
}

TEST(FilerValues, IdentifiersUseTheirOwnTagsForKeywords) {
  struct Case {
    String ident;
    std::string bytes;
    String readBack;
  } cases[] = {
      {u"False", Str({8}), u"False"},
      {u"TRUE", Str({9}), u"True"},
      {u"nil", Str({13}), u"nil"},
      {u"Null", Str({0}), u"Null"},
      {u"alClient", Str({7, 8}) + "alClient", u"alClient"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.ident));
    const std::string bytes = Written([&](TWriter& w) { w.WriteIdent(c.ident); });
    EXPECT_EQ(bytes, c.bytes);
    EXPECT_EQ(ReaderOn(bytes).reader.ReadIdent(), c.readBack);
  }
  EXPECT_THROW(Written([](TWriter& w) { w.WriteIdent(String(256, u'a')); }), EWriteError);
  EXPECT_THROW(ReaderOn(Written([](TWriter& w) { w.WriteString(u"x"); })).reader.ReadIdent(), EReadError);
}

TEST(FilerValues, BooleansSetsBinaryAndLists) {
  EXPECT_EQ(Written([](TWriter& w) { w.WriteBoolean(true); }), Str({9}));
  EXPECT_FALSE(ReaderOn(Str({8})).reader.ReadBoolean());
  EXPECT_THROW(ReaderOn(Str({2, 1})).reader.ReadBoolean(), EReadError);

  const std::vector<String> names = {u"fsBold", u"fsItalic", u"fsUnderline"};
  const std::string set = Written([&](TWriter& w) { w.WriteSet(names, 0b101); });
  EXPECT_EQ(set, Str({11, 6}) + "fsBold" + Str({11}) + "fsUnderline" + Str({0}));
  ReaderOn r(set);
  r.reader.CheckValue(VT::vaSet);
  EXPECT_EQ(r.reader.ReadSetBits(names), 0b101u);
  ReaderOn unknown(Str({11, 3}) + "fsX" + Str({0}));
  unknown.reader.CheckValue(VT::vaSet);
  EXPECT_THROW(unknown.reader.ReadSetBits(names), EReadError);

  const std::string bin = Written([](TWriter& w) { w.WriteBinary("\x01\x00\xFF", 3); });
  EXPECT_EQ(bin, Str({10, 3, 0, 0, 0, 1, 0, 0xFF}));
  EXPECT_EQ(ReaderOn(bin).reader.ReadBinary(), (TBytes{1, 0, 0xFF}));

  const std::string list = Written([](TWriter& w) {
    w.WriteListBegin();
    w.WriteInteger(1);
    w.WriteString(u"a");
    w.WriteListEnd();
  });
  ReaderOn lr(list);
  lr.reader.ReadListBegin();
  EXPECT_FALSE(lr.reader.EndOfList());
  EXPECT_EQ(lr.reader.ReadInteger(), 1);
  EXPECT_EQ(lr.reader.ReadString(), u"a");
  EXPECT_TRUE(lr.reader.EndOfList());
  lr.reader.ReadListEnd();
  EXPECT_EQ(lr.reader.Remaining(), 0);
}

// --- every tag: skipping and truncation -------------------------------------------------

struct TagSample {
  VT tag;
  std::function<void(TWriter&)> write;
};

std::vector<TagSample> everyTag() {
  return {
      {VT::vaNull, [](TWriter& w) { w.WriteListEnd(); }},
      {VT::vaList, [](TWriter& w) { w.WriteListBegin(); w.WriteInteger(1); w.WriteListBegin(); w.WriteListEnd(); w.WriteListEnd(); }},
      {VT::vaInt8, [](TWriter& w) { w.WriteInteger(-5); }},
      {VT::vaInt16, [](TWriter& w) { w.WriteInteger(-300); }},
      {VT::vaInt32, [](TWriter& w) { w.WriteInteger(100000); }},
      {VT::vaExtended, [](TWriter& w) { w.WriteFloat(2.5); }},
      {VT::vaString, [](TWriter& w) { w.WriteString(u"short"); }},
      {VT::vaIdent, [](TWriter& w) { w.WriteIdent(u"alTop"); }},
      {VT::vaFalse, [](TWriter& w) { w.WriteBoolean(false); }},
      {VT::vaTrue, [](TWriter& w) { w.WriteBoolean(true); }},
      {VT::vaBinary, [](TWriter& w) { w.WriteBinary("abc", 3); }},
      {VT::vaSet, [](TWriter& w) { w.WriteSet({u"a", u"b"}, 3); }},
      {VT::vaLString, [](TWriter& w) { w.WriteString(String(300, u'L')); }},
      {VT::vaNil, [](TWriter& w) { w.WriteIdent(u"nil"); }},
      {VT::vaCollection,
       [](TWriter& w) {
         w.WriteValue(VT::vaCollection);
         w.WriteListBegin();
         w.WriteStr(u"Caption");
         w.WriteString(u"x");
         w.WriteListEnd();
         w.WriteInteger(7);  // an item with its order
         w.WriteListBegin();
         w.WriteListEnd();
         w.WriteListEnd();
       }},
      {VT::vaSingle, [](TWriter& w) { w.WriteSingle(1.5f); }},
      {VT::vaCurrency, [](TWriter& w) { w.WriteCurrency(Currency::FromScaled(5)); }},
      {VT::vaDate, [](TWriter& w) { w.WriteDate(1.25); }},
      {VT::vaWString, [](TWriter& w) { w.WriteString(u"\u65E5\u672C"); }},
      {VT::vaInt64, [](TWriter& w) { w.WriteInteger(Int64{1} << 50); }},
      {VT::vaUTF8String, [](TWriter& w) { w.WriteUTF8Str(u"\u00E9t\u00E9"); }},
      {VT::vaDouble, [](TWriter& w) { w.WriteDouble(0.25); }},
  };
}

TEST(FilerValues, SampleCoversEveryTag) {
  const auto samples = everyTag();
  ASSERT_EQ(samples.size(), static_cast<std::size_t>(kMaxValueType) + 1);
  for (const TagSample& s : samples) {
    const std::string bytes = Written(s.write);
    EXPECT_EQ(static_cast<Byte>(bytes[0]), static_cast<Byte>(s.tag));
  }
}

TEST(FilerValues, SkipValueLeavesTheNextValueForEveryTag) {
  for (const TagSample& s : everyTag()) {
    SCOPED_TRACE(static_cast<int>(s.tag));
    const std::string bytes = Written([&](TWriter& w) {
      s.write(w);
      w.WriteInteger(42);
    });
    ReaderOn r(bytes);
    r.reader.SkipValue();
    EXPECT_EQ(r.reader.ReadInteger(), 42);
    EXPECT_EQ(r.reader.Remaining(), 0);
  }
}

TEST(FilerValues, TruncatedValuesRaiseReadErrorAtEveryOffset) {
  for (const TagSample& s : everyTag()) {
    const std::string bytes = Written(s.write);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
      SCOPED_TRACE(testing::Message() << "tag " << static_cast<int>(s.tag) << " cut " << cut);
      ReaderOn r(bytes.substr(0, cut));
      EXPECT_THROW(r.reader.SkipValue(), EReadError);
    }
  }
}

TEST(FilerValues, BadTagsAndLengthsRaiseReadError) {
  EXPECT_EQ(ReadErrorMessage([] { ReaderOn(Str({22})).reader.SkipValue(); }), u"Invalid property value");
  EXPECT_THROW(ReaderOn(Str({0xFF})).reader.ReadValue(), EReadError);
  // A length larger than the stream fails before anything is allocated.
  EXPECT_EQ(ReadErrorMessage([] { ReaderOn(Str({12, 0xFF, 0xFF, 0xFF, 0x7F, 'a'})).reader.ReadString(); }),
            u"Stream read error");
  EXPECT_THROW(ReaderOn(Str({18, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 0})).reader.ReadString(), EReadError);
  EXPECT_THROW(ReaderOn(Str({10, 0xFF, 0xFF, 0xFF, 0x7F})).reader.SkipValue(), EReadError);
  EXPECT_THROW(ReaderOn(Str({20, 0xFF, 0xFF, 0xFF, 0xFF})).reader.ReadString(), EReadError);  // negative
  EXPECT_THROW(ReaderOn(Str({6, 5, 'a', 'b'})).reader.ReadString(), EReadError);
  EXPECT_THROW(ReaderOn(Str({2, 1})).reader.ReadString(), EReadError);  // wrong kind
  ReaderOn r(Str({2, 1}));
  EXPECT_THROW(r.reader.ReadString(), EReadError);
  EXPECT_EQ(r.reader.ReadInteger(), 1);  // a refused value is still there to read
}

TEST(FilerValues, DeepNestingIsRefusedWithoutExhaustingTheStack) {
  const std::string lists(100000, static_cast<char>(VT::vaList));
  EXPECT_THROW(ReaderOn(lists).reader.SkipValue(), EReadError);
  EXPECT_THROW(ReaderOn(lists).reader.ReadVariant(), EReadError);
  std::string collections;
  for (int i = 0; i < 50000; ++i) collections += Str({14, 1}) + Str({5}) + "Items";
  EXPECT_THROW(ReaderOn(Str({14, 1, 5}) + "Items" + collections).reader.SkipValue(), EReadError);
}

// --- variants ---------------------------------------------------------------------------

TEST(FilerVariants, RoundTripKeepsTypeAndValue) {
  const Variant values[] = {
      Unassigned(),
      Null(),
      Variant(static_cast<signed char>(-5)),
      Variant(static_cast<short>(-300)),
      Variant(100000),
      Variant(static_cast<long long>(1) << 40),
      Variant(2.5),
      Variant(1.5f),
      Variant(Currency::FromScaled(123456)),
      Variant::FromDateTime(45000.5),
      Variant(true),
      Variant(false),
      Variant(String(u"A\u00E7\u00E3o")),
      Variant(String(u"\u65E5\u672C")),
      Variant::FromOleStr(u"ole \u65E5"),
  };
  for (const Variant& v : values) {
    SCOPED_TRACE(StringToUtf8(VarTypeAsText(VarType(v))));
    const std::string bytes = Written([&](TWriter& w) { w.WriteVariant(v); });
    const Variant back = ReaderOn(bytes).reader.ReadVariant();
    EXPECT_EQ(VarType(back), VarType(v));
    if (!VarIsNull(v) && !VarIsEmpty(v)) {
      EXPECT_TRUE(VarSameValue(back, v));
    }
  }
}

TEST(FilerVariants, ArraysAndWidenedIntegers) {
  const Variant array = VarArrayOf({Variant(1), Variant(String(u"a")), Variant(2.5)});
  const Variant back = ReaderOn(Written([&](TWriter& w) { w.WriteVariant(array); })).reader.ReadVariant();
  ASSERT_TRUE(VarIsArray(back));
  EXPECT_EQ(VarArrayHighBound(back, 1) - VarArrayLowBound(back, 1), 2);
  EXPECT_EQ(VarArrayGet(back, VarArrayLowBound(back, 1) + 1).AsString(), u"a");
  // Integers come back in the smallest tag's type, with their value.
  const Variant small = ReaderOn(Written([](TWriter& w) { w.WriteVariant(Variant(static_cast<long long>(7))); }))
                            .reader.ReadVariant();
  EXPECT_EQ(small.AsInt64(), 7);
  EXPECT_THROW(ReaderOn(Str({7, 1, 'x'})).reader.ReadVariant(), EReadError);
}

// --- components ---------------------------------------------------------------------------

TTestComponent* MakeTree(TComponent* owner) {
  auto* root = Create<TTestComponent>(owner);
  root->SetName(u"Form1");
  root->count = 1000;
  root->big = Int64{1} << 40;
  root->enabled = false;
  root->align = TTestAlign::alClient;
  root->ratio = 0.1;
  root->caption = u"Relat\u00F3rio \u65E5";
  root->accel = u'R';
  root->font->name = u"Tahoma";
  root->font->size = 11;
  root->font->style = {TTestFontStyle::fsBold, TTestFontStyle::fsUnderline};
  root->value = Variant(String(u"tagged"));
  root->data = {0, 1, 2, 0xFF};
  root->numbers = {-1, 300, 70000};
  auto* item = static_cast<TTestItem*>(root->items->Add());
  item->caption = u"Col A";
  item->width = 120;
  static_cast<TTestItem*>(root->items->Add())->caption = u"Col B";

  auto* panel = Create<TTestPanel>(root);
  panel->SetName(u"Panel1");
  panel->SetParentComponent(root);
  panel->caption = u"inner";
  auto* button = Create<TTestComponent>(root);
  button->SetName(u"Button1");
  button->SetParentComponent(panel);
  button->count = -1;
  root->buddy = button;
  return root;
}

std::string WriteTree(TComponent* root) {
  TMemoryStream s;
  TWriter w(&s);
  w.WriteRootComponent(root);
  return Bytes(s);
}

TEST(FilerComponents, RootWithDefaultsIsHeaderAndTwoListEnds) {
  registerTestClasses();
  Owned<TTestComponent> root(Create<TTestComponent>(nullptr));
  root->SetName(u"Plain");
  EXPECT_EQ(WriteTree(root.get()), std::string("TPF0") + Str({14}) + "TTestComponent" + Str({5}) + "Plain" + Str({0, 0}));
}

TEST(FilerComponents, RoundTripRestoresPropertiesChildrenAndReferences) {
  registerTestClasses();
  Owned<TTestComponent> original(MakeTree(nullptr));
  const std::string bytes = WriteTree(original.get());

  ReaderOn r(bytes);
  Owned<TComponent> loaded(r.reader.ReadRootComponent(nullptr));
  auto* root = dynamic_cast<TTestComponent*>(loaded.get());
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->Name(), u"Form1");
  EXPECT_EQ(root->count, 1000);
  EXPECT_EQ(root->big, Int64{1} << 40);
  EXPECT_FALSE(root->enabled);
  EXPECT_EQ(root->align, TTestAlign::alClient);
  EXPECT_EQ(root->ratio, 0.1);
  EXPECT_EQ(root->caption, u"Relat\u00F3rio \u65E5");
  EXPECT_EQ(root->accel, u'R');
  EXPECT_EQ(root->font->name, u"Tahoma");
  EXPECT_EQ(root->font->size, 11);
  EXPECT_EQ(root->font->style, (TTestFontStyles{TTestFontStyle::fsBold, TTestFontStyle::fsUnderline}));
  EXPECT_EQ(root->value.AsString(), u"tagged");
  EXPECT_EQ(root->data, (TBytes{0, 1, 2, 0xFF}));
  EXPECT_EQ(root->numbers, (std::vector<int>{-1, 300, 70000}));
  ASSERT_EQ(root->items->Count(), 2);
  EXPECT_EQ(static_cast<TTestItem*>(root->items->Items(0))->caption, u"Col A");
  EXPECT_EQ(static_cast<TTestItem*>(root->items->Items(0))->width, 120);
  EXPECT_EQ(static_cast<TTestItem*>(root->items->Items(1))->width, 64);

  // Children were created by class name, owned by the root, inside their parents.
  ASSERT_EQ(root->ComponentCount(), 2);
  auto* panel = dynamic_cast<TTestPanel*>(root->FindComponent(u"Panel1"));
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->parent, root);
  EXPECT_EQ(panel->caption, u"inner");
  auto* button = dynamic_cast<TTestComponent*>(root->FindComponent(u"Button1"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->parent, panel);
  EXPECT_EQ(button->count, -1);
  EXPECT_EQ(root->buddy, button);  // resolved after the whole tree was read

  // Loading state ends with one Loaded per component.
  for (TTestComponent* c : {root, static_cast<TTestComponent*>(panel), button}) {
    EXPECT_EQ(c->loadedCalls, 1);
    EXPECT_FALSE(c->ComponentState().contains(TComponentStateItem::csLoading));
    EXPECT_FALSE(c->ComponentState().contains(TComponentStateItem::csReading));
  }
  // Writing the copy gives the same bytes.
  EXPECT_EQ(WriteTree(root), bytes);
}

TEST(FilerComponents, NestedPropertiesAreWrittenWithDottedNames) {
  registerTestClasses();
  Owned<TTestComponent> root(Create<TTestComponent>(nullptr));
  root->SetName(u"F");
  root->font->size = 12;
  const std::string bytes = WriteTree(root.get());
  EXPECT_NE(bytes.find(Str({9}) + "Font.Size" + Str({2, 12})), std::string::npos);
  EXPECT_EQ(bytes.find("Font.Name"), std::string::npos);  // still at its default
}

TEST(FilerComponents, ReadIntoAnExistingRoot) {
  registerTestClasses();
  Owned<TTestComponent> original(MakeTree(nullptr));
  const std::string bytes = WriteTree(original.get());
  Owned<TTestComponent> target(Create<TTestComponent>(nullptr));
  ReaderOn r(bytes);
  EXPECT_EQ(r.reader.ReadRootComponent(target.get()), target.get());
  EXPECT_EQ(target->Name(), u"Form1");
  EXPECT_EQ(target->ComponentCount(), 2);
  EXPECT_EQ(target->loadedCalls, 1);
}

TEST(FilerComponents, UnknownPropertyNamesTheComponentAndProperty) {
  registerTestClasses();
  const std::string bytes = std::string("TPF0") + Str({14}) + "TTestComponent" + Str({2}) + "F1" +
                            Str({5}) + "Color" + Str({2, 1}) + Str({5}) + "Count" + Str({2, 9}) + Str({0, 0});
  {
    ReaderOn r(bytes);
    EXPECT_EQ(ReadErrorMessage([&] { Owned<TComponent>(r.reader.ReadRootComponent(nullptr)); }),
              u"Error reading F1.Color: Property Color does not exist");
  }
  ReaderOn r(bytes);
  String seen;
  r.reader.OnError = [&](TReader*, const String& message, bool& handled) {
    seen = message;
    handled = true;  // skip the value and go on
  };
  Owned<TComponent> root(r.reader.ReadRootComponent(nullptr));
  EXPECT_EQ(seen, u"Error reading F1.Color: Property Color does not exist");
  EXPECT_EQ(static_cast<TTestComponent*>(root.get())->count, 9);
}

TEST(FilerComponents, BadComponentStreamsRaiseAndLeakNothing) {
  registerTestClasses();
  const std::string header = std::string("TPF0") + Str({14}) + "TTestComponent" + Str({2}) + "F1";
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"signature", std::string("TPF1") + header.substr(4) + Str({0, 0})},
      {"enum name", header + Str({5}) + "Align" + Str({7, 3}) + "alX" + Str({0, 0})},
      {"enum kind", header + Str({5}) + "Align" + Str({2, 1}) + Str({0, 0})},
      {"child of unknown class",
       header + Str({0}) + Str({5}) + "TNope" + Str({1}) + "x" + Str({0, 0}) + Str({0})},
      {"child name invalid", header + Str({0}) + Str({14}) + "TTestComponent" + Str({3}) + "1ab" + Str({0, 0, 0})},
      {"nested object missing", header + Str({9}) + "Nope.Size" + Str({2, 1}) + Str({0, 0})},
      {"integer too large", header + Str({5}) + "Count" + Str({19, 0, 0, 0, 0, 1, 0, 0, 0}) + Str({0, 0})},
      {"set member unknown", header + Str({10}) + "Font.Style" + Str({11, 3}) + "fsX" + Str({0, 0, 0})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ReaderOn r(c.bytes);
    EXPECT_THROW(Owned<TComponent>(r.reader.ReadRootComponent(nullptr)), Exception);
  }
}

TEST(FilerComponents, TruncatedComponentStreamRaisesAtEveryOffset) {
  registerTestClasses();
  Owned<TTestComponent> original(MakeTree(nullptr));
  const std::string bytes = WriteTree(original.get());
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    SCOPED_TRACE(cut);
    ReaderOn r(bytes.substr(0, cut));
    EXPECT_THROW(Owned<TComponent>(r.reader.ReadRootComponent(nullptr)), EReadError);
  }
  // A failed read into an existing root leaves it usable and not loading.
  Owned<TTestComponent> target(Create<TTestComponent>(nullptr));
  ReaderOn r(bytes.substr(0, bytes.size() - 1));
  EXPECT_THROW(r.reader.ReadRootComponent(target.get()), EReadError);
  EXPECT_FALSE(target->ComponentState().contains(TComponentStateItem::csLoading));
}

TEST(FilerComponents, DescendentStoresOnlyDifferencesAndFindsInheritedChildren) {
  registerTestClasses();
  Owned<TTestComponent> ancestor(MakeTree(nullptr));
  Owned<TTestComponent> descendant(MakeTree(nullptr));
  descendant->caption = u"changed";
  TMemoryStream s;
  {
    TWriter w(&s);
    w.WriteDescendent(descendant.get(), ancestor.get());
  }
  const std::string bytes = Bytes(s);
  EXPECT_NE(bytes.find("changed"), std::string::npos);
  EXPECT_EQ(bytes.find("Count"), std::string::npos);  // same as the ancestor's

  // Reading over a copy of the ancestor changes what differs and reuses children.
  Owned<TTestComponent> target(MakeTree(nullptr));
  TComponent* panelBefore = target->FindComponent(u"Panel1");
  ReaderOn r(bytes);
  r.reader.ReadRootComponent(target.get());
  EXPECT_EQ(target->caption, u"changed");
  EXPECT_EQ(target->count, 1000);
  EXPECT_EQ(target->ComponentCount(), 2);
  EXPECT_EQ(target->FindComponent(u"Panel1"), panelBefore);
}

TEST(FilerComponents, CollectionRoundTripOnItsOwn) {
  TCollection items(TTestItem::classInfo());
  static_cast<TTestItem*>(items.Add())->caption = u"one";
  static_cast<TTestItem*>(items.Add())->width = 7;
  const std::string bytes = Written([&](TWriter& w) { w.WriteCollection(&items); });
  TCollection back(TTestItem::classInfo());
  back.Add();  // replaced by the stream's items
  back.Add();
  back.Add();
  ReaderOn r(bytes);
  r.reader.ReadCollection(&back);
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(static_cast<TTestItem*>(back.Items(0))->caption, u"one");
  EXPECT_EQ(static_cast<TTestItem*>(back.Items(1))->width, 7);
  EXPECT_EQ(r.reader.Remaining(), 0);
}

}  // namespace
}  // namespace rtl
