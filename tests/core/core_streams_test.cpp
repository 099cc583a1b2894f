// Text markers of streams, the stream wrapper and the stream helpers.
#include <gtest/gtest.h>

#include <string>

#include "lib/core/dxCore.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/variant.h"

namespace core {
namespace {

rtl::TBytesStream streamOf(const std::string& bytes) {
  return rtl::TBytesStream(rtl::TBytes(bytes.begin(), bytes.end()));
}

struct MarkerCase {
  const char* bytes;
  int startPosition;
  bool unicode;
  int positionAfter;
};

class StreamMarker : public ::testing::TestWithParam<MarkerCase> {};

TEST_P(StreamMarker, ConsumesOnlyAKnownMarker) {
  const MarkerCase& c = GetParam();
  rtl::TBytesStream s = streamOf(c.bytes);
  s.SetPosition(c.startPosition);
  EXPECT_EQ(dxIsUnicodeStream(&s), c.unicode);
  EXPECT_EQ(s.Position(), c.positionAfter);
}

INSTANTIATE_TEST_SUITE_P(Core, StreamMarker,
                         ::testing::Values(MarkerCase{"DXUFMTabc", 0, true, 6},
                                           MarkerCase{"DXAFMT", 0, false, 6},
                                           MarkerCase{"DXUFM", 0, false, 0},
                                           MarkerCase{"ABCDEF", 0, false, 0},
                                           MarkerCase{"", 0, false, 0},
                                           MarkerCase{"xxDXUFMT", 2, true, 8},
                                           MarkerCase{"xxDXUFMT", 3, false, 3}));

TEST(CoreStreams, WrapperReadsMarkerOnceAndPassesThrough) {
  rtl::TBytesStream inner;
  dxWriteStreamType(&inner);
  WriteIntegerToStream(&inner, 0x04030201);
  inner.SetPosition(0);
  TdxStream s(&inner);
  EXPECT_TRUE(s.IsUnicode());
  EXPECT_EQ(s.Size(), 10);
  EXPECT_EQ(s.Position(), 6);
  unsigned char b[4] = {};
  EXPECT_EQ(s.Read(b, 4), 4);
  EXPECT_EQ(b[0], 1);
  EXPECT_EQ(b[3], 4);
  EXPECT_EQ(s.Read(b, 4), 0);
}

TEST(CoreStreams, ReadStringFromStreamReadsOnlyWhatRemains) {
  rtl::TBytesStream s = streamOf("headerBODY");
  s.SetPosition(6);
  EXPECT_EQ(ReadStringFromStream(&s), "BODY");
  EXPECT_EQ(s.Position(), 10);
  s.SetPosition(0);
  EXPECT_EQ(ReadStringFromStream(&s), "headerBODY");
  s.SetPosition(20);  // beyond the end
  EXPECT_EQ(ReadStringFromStream(&s), "");
}

TEST(CoreStreams, StreamToVariantKeepsThePosition) {
  rtl::TBytesStream s = streamOf("0123456789");
  s.SetPosition(4);
  rtl::Variant whole = dxStreamToVariant(&s);
  EXPECT_TRUE(rtl::VarIsType(whole, rtl::varString));
  EXPECT_EQ(whole.AsAnsiString(), "0123456789");
  EXPECT_EQ(s.Position(), 4);

  struct Case {
    rtl::Int64 count;
    const char* expected;  // nullptr: Empty
  };
  const Case cases[] = {{3, "456"}, {100, "456789"}, {0, nullptr}, {-1, nullptr}};
  for (const Case& c : cases) {
    rtl::Variant v = dxStreamToVariant(&s, c.count);
    if (c.expected)
      EXPECT_EQ(v.AsAnsiString(), c.expected) << c.count;
    else
      EXPECT_TRUE(rtl::VarIsEmpty(v)) << c.count;
    EXPECT_EQ(s.Position(), 4);
  }
}

TEST(CoreStreams, BlobsAreStringsAndOneDimensionalArrays) {
  EXPECT_TRUE(dxVarIsBlob(rtl::Variant::FromAnsiString("ab")));
  EXPECT_TRUE(dxVarIsBlob(rtl::Variant(rtl::String(u"ab"))));
  EXPECT_TRUE(dxVarIsBlob(rtl::VarArrayCreate({0, 3}, rtl::varByte)));
  EXPECT_FALSE(dxVarIsBlob(rtl::Variant(5)));
  EXPECT_FALSE(dxVarIsBlob(rtl::Variant()));
}

TEST(CoreStreams, WriteHelpersAreLittleEndianAndUnterminated) {
  rtl::TBytesStream s;
  WriteIntegerToStream(&s, -2);
  WriteStringToStream(&s, "ab");
  WriteStringToStream(&s, "");
  ASSERT_EQ(s.Size(), 6);
  const rtl::TBytes& b = s.Bytes();
  EXPECT_EQ(b[0], 0xFE);
  EXPECT_EQ(b[3], 0xFF);
  EXPECT_EQ(b[4], 'a');
  EXPECT_EQ(b[5], 'b');
}

}  // namespace
}  // namespace core
