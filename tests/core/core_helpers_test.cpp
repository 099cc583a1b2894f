// Conversions, character classes, hexadecimal text and the small helpers of
// the library's base unit.
#include <gtest/gtest.h>

#include <string>

#include "lib/core/dxCore.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/lists.h"
#include "platform/rtl/variant.h"
#include "platform/rtl/ustring.h"
#include "platform/win/shell.h"

namespace core {
namespace {

using rtl::String;

TEST(CoreText, CodePageConversionsRoundTrip) {
  struct Case {
    unsigned codePage;
    std::string bytes;
    String text;
  };
  const Case cases[] = {
      {0, "a\xE7\xE3o \x80", u"a\u00E7\u00E3o \u20AC"},        // the ANSI code page is 1252
      {1252, "\x93x\x94", u"\u201Cx\u201D"},
      {65001, "a\xC3\xA7\xE2\x82\xAC", u"a\u00E7\u20AC"},
      {850, "\x87\x80", u"\u00E7\u00C7"},
      {1251, "\xC0\xE1", u"\u0410\u0431"},
      {0, "", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(dxAnsiStringToString(c.bytes, c.codePage), c.text) << c.codePage;
    EXPECT_EQ(dxStringToAnsiString(c.text, c.codePage), c.bytes) << c.codePage;
  }
}

TEST(CoreText, PrecomposedExceptForUtf8) {
  // "e" followed by a combining acute accent, in UTF-8 and as 1252 cannot hold it.
  EXPECT_EQ(dxAnsiStringToString("e\xCC\x81", 65001), String(u"e\u0301"));
  EXPECT_EQ(rtl::MultiByteToWideChar(65001, rtl::MB_PRECOMPOSED, "e\xCC\x81"), String(u"\u00E9"));
  EXPECT_EQ(dxStringToAnsiString(u"\u4E2D", 1252), "?");
  EXPECT_THROW(dxAnsiStringToString("x", 1), rtl::EConvertError);
}

TEST(CoreText, VariantsToAnsiString) {
  rtl::Variant bytes = rtl::VarArrayCreate({1, 3}, rtl::varByte);
  rtl::VarArrayPut(bytes, rtl::Variant(static_cast<unsigned char>(0x41)), 1);
  rtl::VarArrayPut(bytes, rtl::Variant(static_cast<unsigned char>(0x00)), 2);
  rtl::VarArrayPut(bytes, rtl::Variant(static_cast<unsigned char>(0xE9)), 3);
  EXPECT_EQ(dxVariantToAnsiString(bytes), std::string("A\0\xE9", 3));
  EXPECT_EQ(dxVariantToAnsiString(rtl::Variant::FromAnsiString("\xE9t\xE9")), "\xE9t\xE9");
  EXPECT_EQ(dxVariantToAnsiString(rtl::Variant(String(u"\u00E9"))), "\xE9");
  EXPECT_EQ(dxVariantToString(rtl::Variant(String(u"\u4E2D"))), String(u"\u4E2D"));
  EXPECT_EQ(dxVariantToString(rtl::Variant::FromAnsiString("\xE9")), String(u"\u00E9"));
  EXPECT_EQ(dxVariantToString(rtl::Variant(12)), String(u"12"));
}

TEST(CoreText, CharacterClasses) {
  struct Case {
    char16_t c;
    bool alpha;
    bool numeric;
  };
  const Case cases[] = {
      {u'a', true, false},      {u'Z', true, false},       {u'\u00E7', true, false},
      {u'\u0416', true, false}, {u'5', false, true},       {u'\u0663', false, true},
      {u' ', false, false},     {u'-', false, false},
      {0xD800, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(dxCharIsAlpha(c.c), c.alpha) << int(c.c);
    EXPECT_EQ(dxWideIsNumeric(c.c), c.numeric) << int(c.c);
  }
  EXPECT_EQ(dxGetWideCharCType1(u'A') & (rtl::C1_UPPER | rtl::C1_XDIGIT | rtl::C1_ALPHA),
            rtl::C1_UPPER | rtl::C1_XDIGIT | rtl::C1_ALPHA);
  EXPECT_NE(dxGetWideCharCType1(u'\t') & rtl::C1_BLANK, 0);
  EXPECT_NE(dxGetWideCharCType1(u'\t') & rtl::C1_CNTRL, 0);
  rtl::Word types[2];
  EXPECT_FALSE(dxGetStringTypeW(2 /* CT_CTYPE2 */, u"ab", 2, types));
}

TEST(CoreText, CharNextSkipsPairsAndMarks) {
  const char16_t text[] = u"a\u0301\U0001F600b";
  const char16_t* p = rtl::CharNextW(text);
  EXPECT_EQ(p - text, 2);
  p = rtl::CharNextW(p);
  EXPECT_EQ(p - text, 4);
  p = rtl::CharNextW(p);
  EXPECT_EQ(*p, 0);
  EXPECT_EQ(rtl::CharNextW(p), p);
}

TEST(CoreHex, BinToHexAndBack) {
  EXPECT_EQ(dxBinToHex(std::string("\x00\x1F\xAB", 3)), String(u"001FAB"));
  EXPECT_EQ(dxBinToHex(std::string()), String());
  struct Case {
    const char16_t* text;
    std::string bytes;
  };
  const Case cases[] = {
      {u"001fab", std::string("\x00\x1F\xAB", 3)},
      {u"ABC", "\xAB"},       // an odd length converts the whole pairs
      {u"41zz42", "A"},       // stops at the first pair that is not hexadecimal
      {u"4", ""},
      {u"", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(dxHexToBin(rtl::StringView(c.text)), c.bytes) << rtl::StringToUtf8(c.text);
  EXPECT_EQ(dxHexToBin(std::string("7e7E")), "~~");
}

TEST(CoreHelpers, DefaultBooleanAndComparisons) {
  EXPECT_TRUE(dxDefaultBooleanToBoolean(TdxDefaultBoolean::bDefault, true));
  EXPECT_FALSE(dxDefaultBooleanToBoolean(TdxDefaultBoolean::bDefault, false));
  EXPECT_FALSE(dxDefaultBooleanToBoolean(TdxDefaultBoolean::bFalse, true));
  EXPECT_TRUE(dxDefaultBooleanToBoolean(TdxDefaultBoolean::bTrue, false));
  EXPECT_EQ(dxCompareValues(rtl::Int64(-5), rtl::Int64(3)), -1);
  EXPECT_EQ(dxCompareValues(rtl::Int64(3), rtl::Int64(3)), 0);
  // Addresses compare unsigned: the top half of the address space sorts last.
  const void* high = reinterpret_cast<const void*>(~std::uintptr_t{0});
  const void* low = reinterpret_cast<const void*>(std::uintptr_t{16});
  EXPECT_EQ(dxCompareValues(high, low), 1);
  EXPECT_EQ(dxPointToLParam(gdi::POINT{-1, 2}), win::LPARAM(0x0002FFFF));
}

TEST(CoreHelpers, CallNotifyAndSameMethods) {
  int calls = 0;
  rtl::TObject* seen = nullptr;
  int token = 0;
  auto m = rtl::TNotifyEvent::fromClosure(&token, [&](rtl::TObject* s) {
    ++calls;
    seen = s;
  });
  dxCallNotify(rtl::TNotifyEvent(), nullptr);  // unassigned: nothing
  rtl::TObject sender;
  dxCallNotify(m, &sender);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(seen, &sender);
  EXPECT_TRUE(dxSameMethods(rtl::TNotifyEvent(), rtl::TNotifyEvent()));
  EXPECT_TRUE(dxSameMethods(m, m));
  EXPECT_FALSE(dxSameMethods(m, rtl::TNotifyEvent()));
}

TEST(CoreHelpers, CopyListAndMemory) {
  rtl::TList source, dest;
  int a = 0, b = 0;
  source.Add(&a);
  source.Add(nullptr);
  source.Add(&b);
  dest.Add(&b);
  dxCopyList(&source, &dest);
  ASSERT_EQ(dest.Count(), 3);
  EXPECT_EQ(dest.Get(0), &a);
  EXPECT_EQ(dest.Get(2), &b);
  auto* block = static_cast<unsigned char*>(cxAllocMem(8));
  for (int i = 0; i < 8; ++i) EXPECT_EQ(block[i], 0);
  cxCopyData("abcdefgh", block, 8);
  cxCopyData(block, block + 2, 4);  // overlapping moves keep the bytes
  EXPECT_EQ(std::string(reinterpret_cast<char*>(block), 8), "ababcdgh");
  cxZeroMemory(block, 8);
  EXPECT_EQ(block[3], 0);
  cxFreeMem(block);
}

class ShellOpen : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = win::SetShellLauncher([this](const std::string& target) {
      targets_.push_back(target);
      return succeed_;
    });
  }
  void TearDown() override { win::SetShellLauncher(previous_); }
  win::ShellLauncher previous_;
  std::vector<std::string> targets_;
  bool succeed_ = true;
};

TEST_F(ShellOpen, OpensThroughTheLauncher) {
  EXPECT_TRUE(dxShellExecute(u"https://example.com/\u00E7"));
  ASSERT_EQ(targets_.size(), 1u);
  EXPECT_EQ(targets_[0], "https://example.com/\xC3\xA7");
  succeed_ = false;
  EXPECT_FALSE(dxShellExecute(nullptr, u"/tmp/x.pdf"));
  EXPECT_FALSE(dxShellExecute(u""));  // nothing to open: the launcher is not asked
  EXPECT_EQ(targets_.size(), 2u);
}

TEST_F(ShellOpen, OnlyTheOpenVerbIsKnown) {
  auto code = [](win::HINSTANCE h) { return static_cast<int>(reinterpret_cast<win::UINT_PTR>(h)); };
  EXPECT_EQ(code(win::ShellExecuteW(nullptr, u"print", u"/tmp/x", nullptr, nullptr, 1)),
            win::SE_ERR_NOASSOC);
  EXPECT_EQ(code(win::ShellExecuteW(nullptr, nullptr, u"/tmp/x", nullptr, nullptr, 1)), win::SE_OK);
  EXPECT_EQ(code(win::ShellExecuteW(nullptr, u"open", u"/tmp/x", u"-v", nullptr, 1)),
            win::SE_ERR_NOASSOC);
  EXPECT_EQ(targets_.size(), 1u);
}

}  // namespace
}  // namespace core
