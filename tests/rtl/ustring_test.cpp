#include "platform/rtl/ustring.h"

#include <gtest/gtest.h>
#include <unicode/uchar.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/rtl/encoding.h"
#include "platform/rtl/formatsettings.h"

namespace rtl {
namespace {

// Sets the thread locale for one test.
class ScopedThreadLocale {
 public:
  explicit ScopedThreadLocale(LCID lcid) : saved_(GetThreadLocale()) { SetThreadLocale(lcid); }
  ~ScopedThreadLocale() { SetThreadLocale(saved_); }

 private:
  LCID saved_;
};

int sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

// --- encodings ------------------------------------------------------------------

TEST(Utf8, RoundTripsEveryPlane) {
  const std::string utf8 = "a\xC3\xA7\xC3\xA3o \xE2\x82\xAC \xF0\x9F\x98\x80";  // "ação € 😀"
  const String text = Utf8ToString(utf8);
  EXPECT_EQ(text, u"a\u00e7\u00e3o \u20ac \U0001F600");
  EXPECT_EQ(text.size(), 9u);  // the emoji is a surrogate pair
  EXPECT_EQ(StringToUtf8(text), utf8);
  EXPECT_EQ(S("plain"), u"plain");
}

// Every UTF-8 reader of the run-time layer gives the same text for the same
// bytes: one U+FFFD per maximal ill-formed subpart, resuming at the byte that
// broke the sequence.
TEST(Utf8, InvalidInputBecomesReplacementCharacters) {
  struct Case {
    const char* bytes;
    const char16_t* want;
  } cases[] = {
      {"\xC3", u"\uFFFD"},                                     // truncated at the end
      {"\xC3(", u"\uFFFD("},                                   // missing continuation
      {"\xE2\x82", u"\uFFFD"},                                 // one per broken sequence
      {"\xE2\x82x", u"\uFFFDx"},
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},                 // encoded surrogate
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                           // overlong
      {"\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD"},                 // overlong
      {"\xE0\x80\x80\x41", u"\uFFFD\uFFFD\uFFFDA"},
      {"\xF0\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},       // overlong, four bytes
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},       // beyond U+10FFFF
      {"\xF5\x80", u"\uFFFD\uFFFD"},                           // lead byte of nothing
      {"\xF0\x9F\x98", u"\uFFFD"},
      {"\xF0\x9F\x98x\x98", u"\uFFFDx\uFFFD"},                 // a stray continuation byte
      {"\xE1\x80\xE2\x82\xAC", u"\uFFFD\u20AC"},             // a good sequence after a cut one
      {"\xFF\xFE", u"\uFFFD\uFFFD"},
      {"a\x80" "b", u"a\uFFFDb"},
      {"\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD"},
  };
  for (const auto& c : cases) {
    const std::string_view bytes(c.bytes);
    EXPECT_EQ(Utf8ToString(bytes), c.want) << c.bytes;
    const TBytes raw(bytes.begin(), bytes.end());
    EXPECT_EQ(TEncoding::UTF8()->GetString(raw), c.want) << c.bytes;
    EXPECT_FALSE(TEncoding::IsValidUtf8(raw.data(), raw.size())) << c.bytes;
  }
  EXPECT_EQ(Utf8ToString(std::string_view("a\0b", 3)), String(u"a\0b", 3));
}

TEST(Utf8, WellFormedEdgesDecodeAlike) {
  const char* cases[] = {"\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80",
                         "\xEF\xBF\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"};
  for (const char* c : cases) {
    const std::string_view bytes(c);
    const TBytes raw(bytes.begin(), bytes.end());
    EXPECT_TRUE(TEncoding::IsValidUtf8(raw.data(), raw.size())) << c;
    EXPECT_EQ(StringToUtf8(Utf8ToString(bytes)), bytes);
    EXPECT_EQ(TEncoding::UTF8()->GetString(raw), Utf8ToString(bytes)) << c;
  }
}

TEST(Utf8, LoneSurrogatesAreReplacedOnTheWayOut) {
  EXPECT_EQ(StringToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(StringToUtf8(u"x\xDC00"), "x\xEF\xBF\xBD");
  EXPECT_EQ(StringToUtf8(String(1, char16_t(0xDBFF)) + u"\xD83D\xDE00"), "\xEF\xBF\xBD\xF0\x9F\x98\x80");
}

TEST(Ansi, Cp1252BothWays) {
  EXPECT_EQ(AnsiToString("\x80\x8A\x9F\xE7\xFF"), u"\u20ac\u0160\u0178\u00e7\u00ff");
  // The unassigned bytes read as the C1 controls of the same value and go back.
  for (char hole : {'\x81', '\x8D', '\x8F', '\x90', '\x9D'}) {
    const String want(1, char16_t(static_cast<unsigned char>(hole)));
    EXPECT_EQ(AnsiToString(std::string(1, hole)), want) << int(static_cast<unsigned char>(hole));
    EXPECT_EQ(StringToAnsi(want), std::string(1, hole));
  }
  EXPECT_EQ(StringToAnsi(u"\u20ac\u00e7\u0178\u4e2d\u0080"), "\x80\xE7\x9F??");
  EXPECT_EQ(StringToAnsi(u"\U0001F600"), "?");  // one character, one '?'
  EXPECT_EQ(StringToAnsi(u"\uFFFD"), "?");
}

// The string helpers and the ANSI encoding read and write every byte alike,
// and every byte comes back.
TEST(Ansi, EveryByteRoundTripsThroughBothConverters) {
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const TBytes raw{static_cast<Byte>(b)};
    const String text = AnsiToString(byte);
    EXPECT_EQ(TEncoding::ANSI()->GetString(raw), text) << b;
    EXPECT_EQ(StringToAnsi(text), byte) << b;
    EXPECT_EQ(TEncoding::ANSI()->GetBytes(text), raw) << b;
  }
  // Characters without a byte become '?' in both.
  for (char16_t c : {u'\u0080', u'\u009F', u'\u4e2d', u'\uFFFD', u'\xD800'}) {
    EXPECT_EQ(StringToAnsi(String(1, c)), "?") << int(c);
    EXPECT_EQ(TEncoding::ANSI()->GetBytes(String(1, c)), TBytes{'?'}) << int(c);
  }
}

// --- 1-based helpers -------------------------------------------------------------

TEST(OneBased, CopyClamps) {
  struct Case {
    int index, count;
    const char16_t* want;
  } cases[] = {{2, 3, u"bcd"}, {1, 6, u"abcdef"}, {0, 2, u"ab"}, {-5, 2, u"ab"}, {5, 10, u"ef"},
               {6, 1, u"f"},   {7, 1, u""},       {2, 0, u""},   {2, -1, u""},   {1, 0x7fffffff, u"abcdef"}};
  for (const auto& c : cases) EXPECT_EQ(Copy(u"abcdef", c.index, c.count), c.want) << c.index << "," << c.count;
  EXPECT_EQ(Copy(u"", 1, 1), u"");
}

TEST(OneBased, Pos) {
  EXPECT_EQ(Pos(u"b", u"abcb"), 2);
  EXPECT_EQ(Pos(u"b", u"abcb", 3), 4);
  EXPECT_EQ(Pos(u"cb", u"abcb", 3), 3);
  EXPECT_EQ(Pos(u"x", u"abc"), 0);
  EXPECT_EQ(Pos(u"", u"abc"), 0);
  EXPECT_EQ(Pos(u"a", u"abc", 0), 0);
  EXPECT_EQ(Pos(u"a", u"abc", 4), 0);
  EXPECT_EQ(Pos(u"abcd", u"abc"), 0);
}

TEST(OneBased, DeleteAndInsert) {
  struct DeleteCase {
    int index, count;
    const char16_t* want;
  } deletes[] = {{2, 2, u"adef"}, {0, 2, u"abcdef"}, {5, 10, u"abcd"}, {7, 1, u"abcdef"},
                 {2, 0, u"abcdef"}, {1, 6, u""},     {6, 1, u"abcde"}};
  for (const auto& c : deletes) {
    String s = u"abcdef";
    Delete(s, c.index, c.count);
    EXPECT_EQ(s, c.want) << c.index << "," << c.count;
  }
  struct InsertCase {
    int index;
    const char16_t* want;
  } inserts[] = {{1, u"Xabc"}, {2, u"aXbc"}, {4, u"abcX"}, {10, u"abcX"}, {0, u"Xabc"}, {-3, u"Xabc"}};
  for (const auto& c : inserts) {
    String s = u"abc";
    Insert(u"X", s, c.index);
    EXPECT_EQ(s, c.want) << c.index;
  }
  EXPECT_EQ(StringOfChar(u'a', 3), u"aaa");
  EXPECT_EQ(StringOfChar(u'a', -1), u"");
}

// --- trimming and case ---------------------------------------------------------------

TEST(TrimAndCase, TrimRemovesControlsAndBlanksOnly) {
  EXPECT_EQ(Trim(u" \t ab c \r\n"), u"ab c");
  EXPECT_EQ(TrimLeft(u" \t ab "), u"ab ");
  EXPECT_EQ(TrimRight(u" ab \x01"), u" ab");
  EXPECT_EQ(Trim(u"\u00a0ab\u00a0"), u"\u00a0ab\u00a0");  // no-break space is text
  EXPECT_EQ(Trim(u"   "), u"");
}

TEST(TrimAndCase, AsciiAndFullCaseMapping) {
  EXPECT_EQ(UpperCase(u"abc\u00e7xyz"), u"ABC\u00e7XYZ");
  EXPECT_EQ(LowerCase(u"ABC\u00c7XYZ"), u"abc\u00c7xyz");
  EXPECT_EQ(AnsiUpperCase(u"a\u00e7\u00e3o"), u"A\u00c7\u00c3O");
  EXPECT_EQ(AnsiLowerCase(u"A\u00c7\u00c3O"), u"a\u00e7\u00e3o");
  EXPECT_EQ(AnsiUpperCase(u"stra\u00dfe"), u"STRASSE");
  EXPECT_EQ(AnsiUpperCase(u""), u"");
}

// Pure ASCII text takes a shortcut past ICU: it must map exactly as the full
// mapping does, whatever the thread locale (the mapping is the root
// locale's: no Turkish dotted capital I).
TEST(TrimAndCase, AsciiTextMapsAsTheFullMapping) {
  String ascii;
  for (Char c = 1; c < 0x80; ++c) ascii += c;
  String upper = ascii, lower = ascii;
  for (Char& c : upper) c = static_cast<Char>(u_toupper(c));
  for (Char& c : lower) c = static_cast<Char>(u_tolower(c));
  ScopedThreadLocale turkish(0x041F);
  EXPECT_EQ(AnsiUpperCase(ascii), upper);
  EXPECT_EQ(AnsiLowerCase(ascii), lower);
  EXPECT_EQ(AnsiUpperCase(u"istanbul"), u"ISTANBUL");
  // One unit past ASCII sends the whole text through the full mapping.
  EXPECT_EQ(AnsiUpperCase(u"stra\u00dfe abc"), u"STRASSE ABC");
}

// --- comparison --------------------------------------------------------------------

TEST(Compare, OrdinalAndAsciiInsensitive) {
  struct Case {
    const char16_t *a, *b;
    int str, text;
  } cases[] = {
      {u"a", u"b", -1, -1},   {u"b", u"a", 1, 1},       {u"a", u"a", 0, 0},
      {u"a", u"ab", -1, -1},  {u"B", u"a", -1, 1},      {u"abc", u"ABC", 1, 0},
      {u"\u00e7", u"\u00c7", 1, 1},  // CompareText folds ASCII only
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sign(CompareStr(c.a, c.b)), c.str) << StringToUtf8(c.a) << " " << StringToUtf8(c.b);
    EXPECT_EQ(sign(CompareText(c.a, c.b)), c.text) << StringToUtf8(c.a) << " " << StringToUtf8(c.b);
  }
  EXPECT_TRUE(SameText(u"Hello", u"hELLO"));
  EXPECT_FALSE(SameText(u"Hello", u"Hell"));
  EXPECT_TRUE(SameStr(u"x", u"x"));
  EXPECT_FALSE(SameStr(u"x", u"X"));
}

TEST(Compare, LocaleCollation) {
  ScopedThreadLocale scope(LOCALE_PT_BR);
  struct Case {
    const char16_t *a, *b;
    int str, text;
  } cases[] = {
      {u"a\u00e7\u00e3o", u"A\u00c7\u00c3O", -1, 0},  // lower case sorts first; case ignored by Text
      {u"a\u00e7\u00e3o", u"acao", 1, 1},             // accents still count
      {u"a", u"B", -1, -1},                           // not by code unit
      {u"\u00e9", u"f", -1, -1},
      {u"abc", u"abc", 0, 0},
      {u"", u"a", -1, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AnsiCompareStr(c.a, c.b), c.str) << StringToUtf8(c.a) << " " << StringToUtf8(c.b);
    EXPECT_EQ(AnsiCompareText(c.a, c.b), c.text) << StringToUtf8(c.a) << " " << StringToUtf8(c.b);
    EXPECT_EQ(AnsiCompareStr(c.b, c.a), -c.str);
  }
  EXPECT_TRUE(AnsiSameText(u"INTEGRA\u00c7\u00c3O", u"integra\u00e7\u00e3o"));
}

TEST(Compare, CollationWorksOnManyThreads) {
  ScopedThreadLocale scope(LOCALE_PT_BR);
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 200; ++i)
        if (AnsiCompareText(u"a\u00e7\u00e3o", u"A\u00c7\u00c3O") != 0 || AnsiCompareStr(u"a", u"B") >= 0) ++failures;
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(failures.load(), 0);
}

TEST(Compare, StartsEndsContains) {
  EXPECT_TRUE(StartsText(u"A\u00c7", u"a\u00e7\u00e3o"));
  EXPECT_TRUE(EndsText(u"\u00c3O", u"a\u00e7\u00e3o"));
  EXPECT_TRUE(ContainsText(u"Integra\u00e7\u00e3o", u"GRA\u00c7"));
  EXPECT_FALSE(ContainsText(u"abc", u"abcd"));
  EXPECT_TRUE(StartsText(u"", u"abc"));
  EXPECT_FALSE(StartsText(u"abcd", u"abc"));
  EXPECT_TRUE(StartsStr(u"ab", u"abc"));
  EXPECT_FALSE(StartsStr(u"AB", u"abc"));
  EXPECT_TRUE(EndsStr(u"bc", u"abc"));
  EXPECT_FALSE(EndsStr(u"BC", u"abc"));
  EXPECT_FALSE(EndsStr(u"zabc", u"abc"));
}

// --- replacing and quoting -----------------------------------------------------------

TEST(Replace, StringReplaceFlags) {
  using F = TReplaceFlag;
  struct Case {
    const char16_t *s, *from, *to;
    TReplaceFlags flags;
    const char16_t* want;
  } cases[] = {
      {u"a-b-c", u"-", u"+", {}, u"a+b-c"},
      {u"a-b-c", u"-", u"+", {F::rfReplaceAll}, u"a+b+c"},
      {u"Abc abc", u"abc", u"x", {F::rfReplaceAll}, u"Abc x"},
      {u"Abc abc", u"ABC", u"x", {F::rfReplaceAll, F::rfIgnoreCase}, u"x x"},
      {u"A\u00e7\u00e3o a\u00e7\u00e3o", u"A\u00c7\u00c3O", u"x", {F::rfReplaceAll, F::rfIgnoreCase}, u"x x"},
      {u"aaa", u"aa", u"b", {F::rfReplaceAll}, u"ba"},
      {u"aa", u"a", u"aa", {F::rfReplaceAll}, u"aaaa"},  // the replacement is not searched again
      {u"abc", u"", u"x", {F::rfReplaceAll}, u"abc"},
      {u"abc", u"c", u"", {}, u"ab"},
  };
  for (const auto& c : cases) EXPECT_EQ(StringReplace(c.s, c.from, c.to, c.flags), c.want) << StringToUtf8(c.s);
}

TEST(Replace, QuotingAndDequoting) {
  EXPECT_EQ(QuotedStr(u"it's"), u"'it''s'");
  EXPECT_EQ(QuotedStr(u""), u"''");
  EXPECT_EQ(AnsiQuotedStr(u"a\"b", u'"'), u"\"a\"\"b\"");
  struct Case {
    const char16_t* in;
    const char16_t* want;
  } cases[] = {{u"'abc'", u"abc"}, {u"'it''s'", u"it's"}, {u"abc", u"abc"},       {u"'abc", u"'abc"},
               {u"''", u""},       {u"'abc'def", u"abc"}, {u"", u""},             {u"'", u"'"},
               {u"'a''", u"a'"}};
  for (const auto& c : cases) EXPECT_EQ(AnsiDequotedStr(c.in, u'\''), c.want) << StringToUtf8(c.in);
}

TEST(Characters, Classes) {
  EXPECT_TRUE(IsLetter(u'a'));
  EXPECT_TRUE(IsLetter(u'\u00e7'));
  EXPECT_FALSE(IsLetter(u'1'));
  EXPECT_TRUE(IsDigit(u'5'));
  EXPECT_FALSE(IsDigit(u'\u0665'));
  EXPECT_TRUE(IsWhiteSpace(u' '));
  EXPECT_TRUE(IsWhiteSpace(u'\t'));
  EXPECT_TRUE(IsWhiteSpace(u'\u00a0'));
  EXPECT_FALSE(IsWhiteSpace(u'a'));
}

}  // namespace
}  // namespace rtl

TEST(StringToUtf8WithOffsets, OffsetsMapEveryUtf16UnitToItsCharactersFirstByte) {
  // a (1 byte), é (2), € (3), U+1F600 as a surrogate pair (4), a lone low
  // surrogate (U+FFFD, 3), z (1).
  const rtl::String text = u"a\u00e9\u20ac\U0001F600\xDC00z";
  std::string out;
  std::vector<int> offsets;
  rtl::StringToUtf8WithOffsets(text, out, offsets);
  EXPECT_EQ(out, rtl::StringToUtf8(text));
  EXPECT_EQ(offsets, (std::vector<int>{0, 1, 3, 6, 6, 10, 13, 14}));

  // A substitution changes the bytes, and the offsets follow them.
  rtl::StringToUtf8WithOffsets(u"a\tb", out, offsets, [](char32_t c) { return c == U'\t' ? U'\u200B' : c; });
  EXPECT_EQ(out, "a\xE2\x80\x8B" "b");
  EXPECT_EQ(offsets, (std::vector<int>{0, 1, 4, 5}));
}
