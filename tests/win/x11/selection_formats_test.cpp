#include "platform/win/x11/selection_formats.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/gdi/png.h"
#include "platform/rtl/except.h"

namespace win::x11 {
namespace {

Bytes bytes(std::string_view s) { return Bytes(s.begin(), s.end()); }

Bytes utf16(std::u16string_view s, bool nul = true) {
  Bytes out;
  for (char16_t c : s) {
    out.push_back(std::uint8_t(c & 0xFF));
    out.push_back(std::uint8_t(c >> 8));
  }
  if (nul) out.insert(out.end(), {0, 0});
  return out;
}

TEST(X11Selection, TextLineEndsFollowEachSide) {
  struct Case {
    const char* utf8;
    std::u16string_view clipboard;
  } cases[] = {
      {"a\nb", u"a\r\nb"},
      {"a\r\nb", u"a\r\nb"},
      {"a\rb", u"a\r\nb"},
      {"a\n\nb\n", u"a\r\n\r\nb\r\n"},
      {"ação €", u"ação €"},
      {"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8ToUnicodeText(bytes(c.utf8)), utf16(c.clipboard)) << c.utf8;
  }
  EXPECT_EQ(UnicodeTextToUtf8(utf16(u"a\r\nb\r\n")), "a\nb\n");
  EXPECT_EQ(UnicodeTextToUtf8(utf16(u"ação €😀")), "ação €😀");
}

TEST(X11Selection, TextFromOutsideIsCheckedAndCut) {
  // An invalid sequence becomes U+FFFD; an embedded NUL ends the text.
  EXPECT_EQ(Utf8ToUnicodeText(Bytes{'a', 0xFF, 'b'}), utf16(u"a\uFFFDb"));
  EXPECT_EQ(Utf8ToUnicodeText(Bytes{'a', 0, 'b'}), utf16(u"a"));
  // Clipboard text without its NUL, with an odd byte, or cut by a NUL.
  EXPECT_EQ(UnicodeTextToUtf8(utf16(u"ab", false)), "ab");
  Bytes odd = utf16(u"ab", false);
  odd.push_back('c');
  EXPECT_EQ(UnicodeTextToUtf8(odd), "ab");
  EXPECT_EQ(UnicodeTextToUtf8(utf16(u"a\0b", true)), "a");
  // A lone surrogate is not passed on as broken UTF-8.
  EXPECT_EQ(UnicodeTextToUtf8(utf16(u"x\xD800y")), "x\xEF\xBF\xBDy");
}

TEST(X11Selection, Latin1StringsConvertBothWays) {
  EXPECT_EQ(Latin1ToUnicodeText(Bytes{'a', 0xE7, '\n'}), utf16(u"a\u00E7\r\n"));
  EXPECT_EQ(UnicodeTextToLatin1(utf16(u"ç€😀\r\n")), "\xE7??\n");
}

gdi::ImageBGRA sample() {
  gdi::ImageBGRA img(3, 2);
  img.at(0, 0) = 0xFFFF0000;
  img.at(1, 0) = 0xFF00FF00;
  img.at(2, 0) = 0x800000FF;
  img.at(0, 1) = 0xFF123456;
  img.at(1, 1) = 0x00000000;
  img.at(2, 1) = 0xFFFFFFFF;
  return img;
}

TEST(X11Selection, PngAndDibRoundTrip) {
  const Bytes png = gdi::WritePng(sample());
  const Bytes dib = PngToDib(png);
  ASSERT_EQ(dib.size(), 40u + 3 * 2 * 4);
  EXPECT_EQ(dib[14], 32);  // bits per pixel
  // Bottom-up: the first row stored is the image's last.
  EXPECT_EQ(dib[40 + 0], 0x56);
  EXPECT_EQ(gdi::ReadPng(DibToPng(dib)), sample());
}

Bytes dibHeader(int width, int height, int bpp, std::uint32_t compression, std::uint32_t colors) {
  Bytes h(40, 0);
  auto put32 = [&h](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) h[at + i] = std::uint8_t(v >> (8 * i));
  };
  put32(0, 40);
  put32(4, std::uint32_t(width));
  put32(8, std::uint32_t(height));
  h[12] = 1;
  h[14] = std::uint8_t(bpp);
  put32(16, compression);
  put32(32, colors);
  return h;
}

TEST(X11Selection, DibsOfOtherDepthsBecomePngs) {
  // 24 bits, top-down, rows padded to four bytes.
  Bytes dib24 = dibHeader(1, -2, 24, 0, 0);
  dib24.insert(dib24.end(), {0x01, 0x02, 0x03, 0, 0x04, 0x05, 0x06, 0});
  const gdi::ImageBGRA a = gdi::ReadPng(DibToPng(dib24));
  EXPECT_EQ(a.at(0, 0), 0xFF030201u);
  EXPECT_EQ(a.at(0, 1), 0xFF060504u);
  // 1 bit with a two-colour table, bottom-up.
  Bytes dib1 = dibHeader(2, 1, 1, 0, 2);
  dib1.insert(dib1.end(), {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0x40, 0, 0, 0});
  const gdi::ImageBGRA b = gdi::ReadPng(DibToPng(dib1));
  EXPECT_EQ(b.at(0, 0), 0xFF000000u);
  EXPECT_EQ(b.at(1, 0), 0xFFFFFFFFu);
  // 32 bits with every alpha byte 0 (GDI's output) is opaque, not invisible.
  Bytes dib32 = dibHeader(1, 1, 32, 0, 0);
  dib32.insert(dib32.end(), {0x10, 0x20, 0x30, 0x00});
  EXPECT_EQ(gdi::ReadPng(DibToPng(dib32)).at(0, 0), 0xFF302010u);
  // 16 bits 5-6-5 by bit fields after the header.
  Bytes dib16 = dibHeader(1, 1, 16, 3, 0);
  dib16.insert(dib16.end(), {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0, 0x00, 0xF8, 0, 0});
  EXPECT_EQ(gdi::ReadPng(DibToPng(dib16)).at(0, 0), 0xFFFF0000u);
}

// A clipboard DIB shows what the same pixels show in a bitmap file: narrow
// channels widen by repeating their bits, and an alpha mask in the header
// is taken as it stands, even when every pixel is transparent.
TEST(X11Selection, DibPixelsReadAsInBitmapFiles) {
  struct Case {
    const char* what;
    Bytes dib;
    std::uint32_t want;
  };
  Bytes dib16 = dibHeader(1, 1, 16, 0, 0);
  dib16.insert(dib16.end(), {0x03, 0x7E, 0, 0});  // 5-5-5: red 31, green 16, blue 3
  Bytes alpha = dibHeader(1, 1, 32, 6, 0);        // BI_ALPHABITFIELDS, masks after the header
  alpha.insert(alpha.end(), {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0, 0xFF});
  alpha.insert(alpha.end(), {0x10, 0x20, 0x30, 0x00});
  const Case cases[] = {
      {"5-5-5", dib16, 0xFF000000u | (255u << 16) | (132u << 8) | 24u},
      {"alpha mask, alpha 0", alpha, 0x00302010u},
  };
  for (const Case& c : cases) EXPECT_EQ(gdi::ReadPng(DibToPng(c.dib)).at(0, 0), c.want) << c.what;
}

TEST(X11Selection, BadDibsAreRefusedWithAnError) {
  const Bytes good = PngToDib(gdi::WritePng(sample()));
  struct Case {
    const char* what;
    Bytes data;
  };
  Bytes shortRows(good.begin(), good.end() - 1);
  Bytes hugeWidth = dibHeader(0x7FFFFFFF, 0x7FFFFFFF, 32, 0, 0);
  Bytes zeroHeight = dibHeader(1, 0, 32, 0, 0);
  Bytes rle = dibHeader(1, 1, 8, 1, 0);
  rle.resize(rle.size() + 1024 + 4);
  Bytes tooManyColours = dibHeader(1, 1, 1, 0, 3);
  tooManyColours.resize(tooManyColours.size() + 16);
  Bytes missingTable = dibHeader(1, 1, 8, 0, 0);
  missingTable.resize(missingTable.size() + 20);
  Bytes missingMasks = dibHeader(1, 1, 32, 3, 0);
  Bytes headerTooLong = good;
  headerTooLong[0] = 0xFF;
  headerTooLong[1] = 0xFF;
  const Case cases[] = {
      {"empty", {}},
      {"header cut", Bytes(good.begin(), good.begin() + 39)},
      {"rows cut", shortRows},
      {"huge", hugeWidth},
      {"zero height", zeroHeight},
      {"run-length compressed", rle},
      {"more colours than the depth has", tooManyColours},
      {"colour table cut", missingTable},
      {"bit fields without masks", missingMasks},
      {"header longer than the data", headerTooLong},
  };
  for (const Case& c : cases) EXPECT_THROW(DibToPng(c.data), rtl::EReadError) << c.what;
  EXPECT_THROW(PngToDib(bytes("not a png")), rtl::EReadError);
}

TEST(X11Selection, TargetsFollowTheClipboardsFormats) {
  const ClipboardFormatId unicode{kCfUnicodeText, {}}, dib{kCfDib, {}};
  const ClipboardFormatId rtf{0, u"Rich Text Format"}, png{0, u"PNG"};
  auto types = [](const std::vector<SelectionTarget>& targets) {
    std::vector<std::string> out;
    for (const SelectionTarget& t : targets) out.push_back(t.type);
    return out;
  };
  EXPECT_EQ(types(TargetsForFormats({unicode, dib, rtf})),
            (std::vector<std::string>{"UTF8_STRING", "text/plain;charset=utf-8", "text/plain",
                                      "TEXT", "STRING", "text/rtf", "application/rtf",
                                      "image/png"}));
  EXPECT_TRUE(TargetsForFormats({{99, {}}}).empty());
  // A PNG kept as such is offered rather than one made from the bitmap.
  const auto both = TargetsForFormats({dib, png});
  ASSERT_EQ(both.size(), 1u);
  EXPECT_EQ(both[0].format, png);

  ClipboardFormatId f;
  ASSERT_TRUE(FormatForTarget("STRING", &f));
  EXPECT_EQ(f, unicode);
  ASSERT_TRUE(FormatForTarget("text/rtf", &f));
  EXPECT_EQ(f, rtf);
  EXPECT_FALSE(FormatForTarget("COMPOUND_TEXT", &f));
}

TEST(X11Selection, ConversionsPickTheRightDirection) {
  Bytes out;
  ASSERT_TRUE(ConvertToTarget("UTF8_STRING", {kCfUnicodeText, {}}, utf16(u"é\r\n"), out));
  EXPECT_EQ(out, bytes("é\n"));
  // ANSI text (code page 1252) on the clipboard reaches others as UTF-8.
  ASSERT_TRUE(ConvertToTarget("UTF8_STRING", {kCfText, {}}, Bytes{0x80, 0}, out));
  EXPECT_EQ(out, bytes("€"));
  EXPECT_FALSE(ConvertToTarget("image/png", {kCfUnicodeText, {}}, utf16(u"x"), out));
  ASSERT_TRUE(ConvertToTarget("text/rtf", {0, u"Rich Text Format"}, bytes(std::string("{\\rtf1}\0", 8)), out));
  EXPECT_EQ(out, bytes("{\\rtf1}"));

  Bytes in;
  ASSERT_TRUE(ConvertFromTarget("text/rtf", {0, u"Rich Text Format"}, bytes("{\\rtf1}"), in));
  EXPECT_EQ(in, bytes(std::string("{\\rtf1}\0", 8)));
  ASSERT_TRUE(ConvertFromTarget("STRING", {kCfUnicodeText, {}}, Bytes{0xE9}, in));
  EXPECT_EQ(in, utf16(u"é"));
  EXPECT_FALSE(ConvertFromTarget("UTF8_STRING", {kCfDib, {}}, bytes("x"), in));
  EXPECT_THROW(ConvertFromTarget("image/png", {kCfDib, {}}, bytes("garbage"), in), rtl::EReadError);
}

}  // namespace
}  // namespace win::x11
