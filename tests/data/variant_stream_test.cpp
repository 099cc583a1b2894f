// The tagged encoding of one variant, the primitives and the filers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "lib/data/cxVariants.h"
#include "platform/rtl/except.h"
#include "platform/rtl/streams.h"

namespace data {
namespace {

using rtl::Byte;
using Bytes = std::vector<Byte>;

Bytes written(const Variant& v) {
  rtl::TBytesStream s;
  WriteVariantProc(&s, v);
  const Bytes& all = s.Bytes();
  return Bytes(all.begin(), all.begin() + s.Size());
}

Variant readBack(const Bytes& bytes) {
  rtl::TBytesStream s(rtl::TBytes(bytes.begin(), bytes.end()));
  Variant v = ReadVariantFunc(&s);
  EXPECT_EQ(s.Position(), s.Size()) << "the reader stops at the end of the value";
  return v;
}

Bytes variantStreamConcat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// --- the tag chosen and the type read back ----------------------------------------------

struct TagCase {
  const char* what;
  Variant value;
  Byte tag;
  size_t size;           // bytes written, tag included
  rtl::TVarType readAs;  // type of the value read back
};

class TaggedRoundTrip : public ::testing::TestWithParam<TagCase> {};

TEST_P(TaggedRoundTrip, ChoosesTheTagAndReadsBackEqual) {
  const TagCase& c = GetParam();
  const Bytes bytes = written(c.value);
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(bytes[0], c.tag) << c.what;
  EXPECT_EQ(bytes.size(), c.size) << c.what;
  const Variant back = readBack(bytes);
  EXPECT_EQ(rtl::VarType(back), c.readAs) << c.what;
  if (!rtl::VarIsType(c.value, rtl::varUInt64) && !rtl::VarIsFMTBcd(c.value) &&
      !rtl::VarIsSQLTimeStamp(c.value)) {
    EXPECT_TRUE(VarEquals(back, c.value) || (rtl::VarIsEmpty(back) && rtl::VarIsEmpty(c.value))) << c.what;
  }
}

const std::string k255(255, 'x');
const std::string k256(256, 'y');
const std::string k300(300, 'z');

INSTANTIATE_TEST_SUITE_P(
    Tags, TaggedRoundTrip,
    ::testing::Values(
        TagCase{"Null", rtl::Null(), 0, 1, rtl::varNull},
        TagCase{"Empty", rtl::Unassigned(), 13, 1, rtl::varEmpty},
        TagCase{"127", Variant(127), 2, 2, rtl::varShortInt},
        TagCase{"-128", Variant(-128), 2, 2, rtl::varShortInt},
        TagCase{"128", Variant(128), 3, 3, rtl::varSmallint},
        TagCase{"-129", Variant(-129), 3, 3, rtl::varSmallint},
        TagCase{"byte 200", Variant(static_cast<unsigned char>(200)), 3, 3, rtl::varSmallint},
        TagCase{"32767", Variant(static_cast<short>(32767)), 3, 3, rtl::varSmallint},
        TagCase{"word 32768", Variant(static_cast<unsigned short>(32768)), 4, 5, rtl::varInteger},
        TagCase{"2^31 - 1", Variant(2147483647), 4, 5, rtl::varInteger},
        TagCase{"-2^31", Variant(std::numeric_limits<int>::min()), 4, 5, rtl::varInteger},
        TagCase{"2^31", Variant(2147483648LL), 19, 9, rtl::varInt64},
        TagCase{"long word 2^32 - 1", Variant(4294967295u), 19, 9, rtl::varInt64},
        TagCase{"Int64 minimum", Variant(std::numeric_limits<long long>::min()), 19, 9, rtl::varInt64},
        TagCase{"small Int64", Variant(5LL), 2, 2, rtl::varShortInt},
        TagCase{"double", Variant(3.25), 5, 11, rtl::varDouble},
        TagCase{"single", Variant(1.5f), 15, 5, rtl::varSingle},
        TagCase{"currency", Variant(rtl::Currency::FromScaled(-123456789)), 16, 9, rtl::varCurrency},
        TagCase{"date", Variant::FromDateTime(45123.75), 17, 9, rtl::varDate},
        TagCase{"SQL time stamp as a date", rtl::VarSQLTimeStampCreate(45123.5), 17, 9, rtl::varDate},
        TagCase{"UTF-16 text", Variant(u"ação"), 18, 5 + 8, rtl::varOleStr},
        TagCase{"empty text", Variant(String()), 18, 5, rtl::varOleStr},
        TagCase{"OLE text", Variant::FromOleStr(u"ab"), 18, 9, rtl::varOleStr},
        TagCase{"True", Variant(true), 9, 1, rtl::varBoolean},
        TagCase{"False", Variant(false), 8, 1, rtl::varBoolean},
        TagCase{"ANSI 255 bytes", Variant::FromAnsiString(k255), 6, 2 + 255, rtl::varString},
        TagCase{"ANSI 256 bytes", Variant::FromAnsiString(k256), 12, 5 + 256, rtl::varString},
        TagCase{"ANSI 300 bytes", Variant::FromAnsiString(k300), 12, 5 + 300, rtl::varString},
        TagCase{"empty ANSI", Variant::FromAnsiString(""), 6, 2, rtl::varString},
        TagCase{"unsigned 64-bit as text", Variant(18446744073709551615ULL), 6, 2 + 20, rtl::varString},
        TagCase{"decimal as text", rtl::VarFMTBcdCreate(u"12.5", 10, 1), 6, 2 + 4, rtl::varString},
        TagCase{"empty array", rtl::VarArrayOf({}), 1, 3, rtl::varArray | rtl::varVariant},
        TagCase{"array", rtl::VarArrayOf({1, Variant(u"a"), rtl::Null()}), 1, 3 + 2 + 7 + 1,
                rtl::varArray | rtl::varVariant}));

TEST(TaggedVariant, ExactBytesOfCompactIntegersAndLists) {
  EXPECT_EQ(written(Variant(127)), (Bytes{2, 127}));
  EXPECT_EQ(written(Variant(128)), (Bytes{3, 128, 0}));
  EXPECT_EQ(written(Variant(-2)), (Bytes{2, 0xFE}));
  EXPECT_EQ(written(Variant(2147483648LL)), (Bytes{19, 0, 0, 0, 0x80, 0, 0, 0, 0}));
  EXPECT_EQ(written(rtl::VarArrayOf({})), (Bytes{1, 2, 0}));
  EXPECT_EQ(written(Variant(u"A")), (Bytes{18, 1, 0, 0, 0, 'A', 0}));
  EXPECT_EQ(written(Variant(18446744073709551615ULL))[1], 20);  // "18446744073709551615"
}

TEST(TaggedVariant, ArrayWithLowBoundAboveZeroReadsBackFromZero) {
  Variant a = rtl::VarArrayCreate({3, 4}, rtl::varVariant);
  rtl::VarArrayPut(a, Variant(7), 3);
  rtl::VarArrayPut(a, Variant(u"x"), 4);
  const Variant back = readBack(written(a));
  EXPECT_EQ(rtl::VarArrayLowBound(back, 1), 0);
  EXPECT_EQ(rtl::VarArrayHighBound(back, 1), 1);
  EXPECT_EQ(VarCompare(back[0], Variant(7)), 0);
  EXPECT_EQ(VarCompare(back[1], Variant(u"x")), 0);
  const Variant empty = readBack(written(rtl::VarArrayOf({})));
  EXPECT_EQ(rtl::VarArrayHighBound(empty, 1), -1);
}

TEST(TaggedVariant, DoublesSurviveTheExtendedForm) {
  const double values[] = {0.0,
                           -0.0,
                           1.0 / 3.0,
                           -1e308,
                           std::numeric_limits<double>::max(),
                           std::numeric_limits<double>::min(),
                           std::numeric_limits<double>::denorm_min(),
                           -std::numeric_limits<double>::denorm_min() * 12345,
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity()};
  for (double d : values) {
    const Variant back = readBack(written(Variant(d)));
    ASSERT_TRUE(rtl::VarIsType(back, rtl::varDouble));
    const double r = back.AsDouble();
    EXPECT_EQ(std::memcmp(&r, &d, sizeof d), 0) << d;
  }
  const Variant nan = readBack(written(Variant(std::numeric_limits<double>::quiet_NaN())));
  EXPECT_TRUE(std::isnan(nan.AsDouble()));
}

TEST(TaggedVariant, ListCountMayUseAnyIntegerTag) {
  // A count written by another writer as four bytes, and one as eight.
  EXPECT_EQ(rtl::VarArrayHighBound(readBack({1, 4, 2, 0, 0, 0, 2, 5, 9}), 1), 1);
  EXPECT_EQ(rtl::VarArrayHighBound(readBack({1, 19, 1, 0, 0, 0, 0, 0, 0, 0, 8}), 1), 0);
}

TEST(TaggedVariant, ValuesWithoutAnAnsiTextOrNestedTooDeepAreRefused) {
  Variant deep = rtl::VarArrayOf({1});
  for (int i = 0; i < kMaxVariantNesting; ++i) deep = rtl::VarArrayOf({deep});
  const Variant cases[] = {deep, Variant::FromError(5)};
  for (const Variant& v : cases) {
    rtl::TBytesStream s;
    try {
      WriteVariantProc(&s, v);
      ADD_FAILURE() << "no error for type " << rtl::VarType(v);
    } catch (const rtl::EWriteError& e) {
      EXPECT_EQ(e.Message(), u"Stream write error");
    }
  }
}

// --- bad input --------------------------------------------------------------------------

struct BadCase {
  const char* what;
  Bytes bytes;
};

class TaggedReadErrors : public ::testing::TestWithParam<BadCase> {};

TEST_P(TaggedReadErrors, RaiseStreamReadErrorAndLeaveNull) {
  const BadCase& c = GetParam();
  rtl::TBytesStream s(rtl::TBytes(c.bytes.begin(), c.bytes.end()));
  Variant v(42);
  try {
    ReadVariantProc(&s, v);
    FAIL() << c.what << ": no error";
  } catch (const rtl::EReadError& e) {
    EXPECT_EQ(e.Message(), u"Stream read error") << c.what;
  }
  EXPECT_TRUE(rtl::VarIsNull(v)) << c.what;
}

Bytes nested(int depth) {
  Bytes b;
  for (int i = 0; i < depth; ++i) b.insert(b.end(), {1, 2, 1});
  b.push_back(0);
  return b;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TaggedReadErrors,
    ::testing::Values(BadCase{"tag 7", {7}}, BadCase{"tag 10", {10, 0, 0, 0, 0}}, BadCase{"tag 11", {11}},
                      BadCase{"tag 14", {14}}, BadCase{"tag 20", {20, 0, 0, 0, 0}}, BadCase{"tag 21", {21}},
                      BadCase{"tag 22", {22}}, BadCase{"tag 255", {255}}, BadCase{"no bytes", {}},
                      BadCase{"short integer", {4, 1, 2}}, BadCase{"short extended", {5, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
                      BadCase{"short string", {6, 3, 'a', 'b'}},
                      BadCase{"long string, negative length", {12, 0xFF, 0xFF, 0xFF, 0xFF}},
                      BadCase{"long string past the end", {12, 0, 0, 0, 0x7F, 'a'}},
                      BadCase{"wide string, odd bytes", {18, 2, 0, 0, 0, 'a', 0, 'b'}},
                      BadCase{"wide string, negative count", {18, 0, 0, 0, 0x80}},
                      BadCase{"wide string count that overflows bytes", {18, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0}},
                      BadCase{"list, negative count", {1, 2, 0xFF}},
                      BadCase{"list count past the end", {1, 4, 0, 0, 0, 0x10, 0, 0}},
                      BadCase{"list count as a huge Int64", {1, 19, 0, 0, 0, 0, 0, 0, 0, 0x40}},
                      BadCase{"list whose item is unknown", {1, 2, 1, 7}},
                      BadCase{"lists nested too deep", nested(kMaxVariantNesting + 1)}));

TEST(TaggedVariant, NestingUpToTheLimitIsRead) {
  const Variant v = readBack(nested(kMaxVariantNesting));
  EXPECT_TRUE(rtl::VarIsArray(v));
}

// --- primitives and filers ----------------------------------------------------------------

TEST(Primitives, LittleEndianLayoutsAndRoundTrips) {
  rtl::TBytesStream s;
  WriteBooleanProc(&s, true);
  WriteByteProc(&s, 0xAB);
  WriteSmallIntProc(&s, -2);
  WriteWordProc(&s, 0xFFFE);
  WriteIntegerProc(&s, 0x01020304);
  WriteLargeIntProc(&s, -1);
  WriteSingleProc(&s, 2.5f);
  WriteFloatProc(&s, 1.0);
  WriteCurrencyProc(&s, rtl::Currency::FromScaled(15000));
  WriteDateTimeProc(&s, 2.25);
  WriteAnsiStringProc(&s, "hi");
  WriteWideStringProc(&s, u"\u00e7");
  const Bytes all(s.Bytes().begin(), s.Bytes().begin() + s.Size());
  const Bytes expected = variantStreamConcat({{1, 0xAB, 0xFE, 0xFF, 0xFE, 0xFF, 4, 3, 2, 1},
                                 Bytes(8, 0xFF),
                                 {0, 0, 0x20, 0x40},
                                 {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F},
                                 {0x98, 0x3A, 0, 0, 0, 0, 0, 0},
                                 {0, 0, 0, 0, 0, 0, 2, 0x40},
                                 {2, 0, 0, 0, 'h', 'i'},
                                 {1, 0, 0, 0, 0xE7, 0}});
  EXPECT_EQ(all, expected);

  s.SetPosition(0);
  EXPECT_TRUE(ReadBooleanFunc(&s));
  EXPECT_EQ(ReadByteFunc(&s), 0xAB);
  EXPECT_EQ(ReadSmallIntFunc(&s), -2);
  EXPECT_EQ(ReadWordFunc(&s), 0xFFFE);
  EXPECT_EQ(ReadIntegerFunc(&s), 0x01020304);
  EXPECT_EQ(ReadLargeIntFunc(&s), -1);
  float f;
  ReadSingleProc(&s, f);
  EXPECT_EQ(f, 2.5f);
  double d;
  ReadFloatProc(&s, d);
  EXPECT_EQ(d, 1.0);
  EXPECT_EQ(ReadCurrencyFunc(&s).value, 15000);
  EXPECT_EQ(ReadDateTimeFunc(&s), 2.25);
  EXPECT_EQ(ReadAnsiStringFunc(&s), "hi");
  EXPECT_EQ(ReadWideStringFunc(&s), u"\u00e7");
  EXPECT_EQ(s.Position(), s.Size());
}

TEST(Primitives, NonzeroByteIsTrue) {
  rtl::TBytesStream s(rtl::TBytes{7});
  EXPECT_TRUE(ReadBooleanFunc(&s));
}

TEST(Primitives, LengthsBeyondTheBytesLeftAreRefusedBeforeAllocating) {
  rtl::TBytesStream ansi(rtl::TBytes{0xFF, 0xFF, 0xFF, 0x7F, 'a'});
  EXPECT_THROW(ReadAnsiStringFunc(&ansi), rtl::EReadError);
  rtl::TBytesStream wide(rtl::TBytes{0xFF, 0xFF, 0xFF, 0x7F, 'a', 0});
  EXPECT_THROW(ReadWideStringFunc(&wide), rtl::EReadError);
  rtl::TBytesStream shortInt(rtl::TBytes{1, 2, 3});
  EXPECT_THROW(ReadIntegerFunc(&shortInt), rtl::EReadError);
}

struct FilerCase {
  const char* what;
  std::string prefix;
  bool unicode;
  rtl::Int64 positionAfter;
};

class FilerMarkers : public ::testing::TestWithParam<FilerCase> {};

TEST_P(FilerMarkers, ConsumeOnlyAKnownMarker) {
  const FilerCase& c = GetParam();
  rtl::TBytesStream s(rtl::TBytes(c.prefix.begin(), c.prefix.end()));
  TcxReader reader(&s, 3);
  EXPECT_EQ(reader.IsUnicode(), c.unicode) << c.what;
  EXPECT_EQ(reader.Version(), 3);
  EXPECT_EQ(s.Position(), c.positionAfter) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, FilerMarkers,
                         ::testing::Values(FilerCase{"Unicode marker", "DXUFMT\x01", true, 6},
                                           FilerCase{"ANSI marker", "DXAFMT\x01", false, 6},
                                           FilerCase{"no marker", "DXXFMT\x01", false, 0},
                                           FilerCase{"too short", "DXUFM", false, 0}));

TEST(Filers, WriterAndReaderShareTheLayout) {
  rtl::TBytesStream s;
  {
    TcxWriter writer(&s);
    EXPECT_EQ(writer.Version(), 0);
    writer.WriteInteger(-5);
    writer.WriteAnsiString("abc");
  }
  s.SetPosition(0);
  TcxReader reader(&s);
  EXPECT_EQ(reader.ReadInteger(), -5);
  EXPECT_EQ(reader.ReadAnsiString(), "abc");
}

}  // namespace
}  // namespace data
