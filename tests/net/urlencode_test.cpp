#include <gtest/gtest.h>

#include "platform/net/urlencode.h"
#include "platform/rtl/ustring.h"

using rtl::S;

namespace {

struct EncodeCase {
  const char16_t* text;
  const char* encoded;
};

TEST(URLEncode, FollowsThePlatformTable) {
  const EncodeCase cases[] = {
      {u"21/06/2025", "21%2F06%2F2025"},
      {u"20/06/2025 14:00:00", "20%2F06%2F2025+14%3A00%3A00"},
      {u"", ""},
      {u"AZaz09", "AZaz09"},
      {u"!$'()*-.@_", "!$'()*-.@_"},
      {u"a b", "a+b"},
      // Characters that other encoders leave alone but this one does not.
      {u"~", "%7E"},
      {u"&=+?#%", "%26%3D%2B%3F%23%25"},
      {u",;:/[]", "%2C%3B%3A%2F%5B%5D"},
      {u"\"<>\\^`{|}", "%22%3C%3E%5C%5E%60%7B%7C%7D"},
      {u"\t\r\n", "%09%0D%0A"},
      // Every UTF-8 byte of a character, upper-case hex.
      {u"\u00C3", "%C3%83"},
      {u"CAMINH\u00C3O \u00D3LEO", "CAMINH%C3%83O+%C3%93LEO"},
      {u"\u20AC", "%E2%82%AC"},
      {u"\U0001F600", "%F0%9F%98%80"},
      // A lone surrogate cannot be written as UTF-8: it goes as U+FFFD.
      {u"\xD800", "%EF%BF%BD"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(net::URLEncode(c.text), S(c.encoded)) << rtl::StringToUtf8(c.text);
    EXPECT_EQ(net::TNetEncoding::URL.Encode(c.text), S(c.encoded));
  }
}

TEST(URLEncode, EveryAsciiCharacterEitherPassesOrBecomesItsHexCode) {
  const std::u16string pass = u"!$'()*-.@_";
  for (char16_t c = 0; c < 128; ++c) {
    bool alnum = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
    std::u16string expected;
    if (alnum || pass.find(c) != std::u16string::npos) {
      expected = std::u16string(1, c);
    } else if (c == u' ') {
      expected = u"+";
    } else {
      static const char hex[] = "0123456789ABCDEF";
      expected = {u'%', static_cast<char16_t>(hex[c >> 4]), static_cast<char16_t>(hex[c & 15])};
    }
    EXPECT_EQ(net::URLEncode(std::u16string(1, c)), expected) << static_cast<int>(c);
  }
}

}  // namespace
