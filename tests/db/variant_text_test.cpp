// Variant::StringPtr: the text a variant stores, read without a copy, as the
// data-access layer binds it.
#include <gtest/gtest.h>

#include "platform/rtl/ustring.h"
#include "platform/rtl/variant.h"

namespace {

using rtl::String;
using rtl::Variant;

TEST(VariantStringPtr, StringVariantsShowTheirStoredText) {
  const String longText = u"Pendente de integração com a transportadora";
  Variant v(longText);
  const String* text = v.StringPtr();
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(*text, longText);
  // A copy holds the same text in a String of its own.
  Variant copy = v;
  ASSERT_NE(copy.StringPtr(), nullptr);
  EXPECT_EQ(*copy.StringPtr(), longText);
  EXPECT_EQ(*text, rtl::VarToStr(v));

  Variant ole = Variant::FromOleStr(u"ole");
  ASSERT_NE(ole.StringPtr(), nullptr);
  EXPECT_EQ(*ole.StringPtr(), u"ole");

  Variant empty(String{});
  ASSERT_NE(empty.StringPtr(), nullptr);
  EXPECT_TRUE(empty.StringPtr()->empty());

  // A reference reads its target's current text.
  Variant target(u"first");
  Variant ref = Variant::ByRef(target);
  ASSERT_NE(ref.StringPtr(), nullptr);
  EXPECT_EQ(*ref.StringPtr(), u"first");
  target = Variant(u"second");
  EXPECT_EQ(*ref.StringPtr(), u"second");
  target = Variant(5);
  EXPECT_EQ(ref.StringPtr(), nullptr);
}

TEST(VariantStringPtr, OtherTypesHaveNoStoredText) {
  const Variant cases[] = {
      Variant(),
      rtl::Null(),
      Variant(42),
      Variant(static_cast<long long>(1) << 40),
      Variant(45.5),
      Variant(true),
      Variant::FromDateTime(45000.5),
      Variant::FromAnsiString("bytes"),  // ANSI text is not a String
      rtl::VarArrayOf({Variant(u"a"), Variant(u"b")}),
      rtl::VarFMTBcdCreate(1.5, 10, 2),
  };
  for (const Variant& v : cases)
    EXPECT_EQ(v.StringPtr(), nullptr) << rtl::StringToUtf8(rtl::VarTypeAsText(v.Type()));
}

}  // namespace
